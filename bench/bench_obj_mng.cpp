// The object manager: creating, ticking and clearing n objects (roles, props
// in draw layer 0, buildings in the pool), one op per object. Clear must
// scale linearly: each object leaves its draw list through its own node.
#include <benchmark/benchmark.h>

#include <memory>

#include "world/objects/game_obj.h"
#include "world/objects/handle_table.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"

namespace {

class CBenchObj : public CMapObj {
public:
    explicit CBenchObj(int kind) { m_Kind = kind; }
    ~CBenchObj() override {
        if (m_Kind == 12 && GetMng()) GetMng()->RemoveFromMechPool(this);
    }
    int Tick() override {
        ++m_DerivedWord;
        return 1;
    }
};

struct World {
    std::unique_ptr<CHandleTable> table = std::make_unique<CHandleTable>();
    std::unique_ptr<CObjMng> mng = std::make_unique<CObjMng>();
    World() {
        g_CurHandleTable = table.get();
        g_CurObjMng = mng.get();
    }
    ~World() {
        mng.reset();
        ClearCurrentWorld();
    }
    void Fill(int n) {
        for (int i = 0; i < n; ++i) {
            const int kind = i % 3 == 0 ? 31 : (i % 3 == 1 ? 23 : 12);
            auto* o = new CBenchObj(kind);
            o->Register(0);  // the upper range holds 24,576
            mng->Register(o->m_Handle);
            // Buildings of the pool leave it when destroyed (as the
            // mechanism classes do).
            if (kind == 12) mng->AddToMechPool(o);
        }
    }
};

void BM_CreateTickClear(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        World w;
        w.Fill(n);
        w.mng->Update();
        w.mng->Clear();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_Clear(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<World>();
        w->Fill(n);
        state.ResumeTiming();
        w->mng->Clear();
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK(BM_CreateTickClear)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Clear)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace
