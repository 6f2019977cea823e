// Path search: the production search against the reference layout
// (tests/world/path_oracle.h) on the same grids, in searches per second and
// nodes per second. Names: Path<Impl>/<grid>/<layout>/<budget>; grids
// 0 64x64, 1 256x256, 2 512x512, 3 512x128; layouts 0 open, 1 25 % blocked,
// 2 maze, 3 wall with a gap, 4 unreachable goal. 2 % of the cells hold roles
// of the mover's camp. Also the spiral finder and the line walks.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "../tests/world/path_oracle.h"
#include "platform/random.h"
#include "world/objects/game_obj.h"
#include "world/map/grid_search.h"
#include "world/objects/handle_table.h"
#include "world/map/line_walk.h"
#include "world/map/path_search.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace {

struct Field {
    std::unique_ptr<CMapGrid> grid = std::make_unique<CMapGrid>();
    CGamePoint start, goal;
};

struct Roles {
    CHandleTable table;
    std::vector<std::unique_ptr<CGameObj>> objs;
    std::vector<uint16_t> handles;
    Roles() {
        g_CurHandleTable = &table;
        for (int i = 0; i < 64; ++i) {
            auto o = std::make_unique<CGameObj>();
            o->m_Kind = 31;
            handles.push_back(uint16_t(table.Allocate(o.get()) & 0xFFFF));
            objs.push_back(std::move(o));
        }
        g_WorldHooks.getRoleCamp = [](const CGameObj*) { return int32_t(1); };
        SetPathCamp(1);
    }
};

Roles& SharedRoles() {
    static Roles r;
    return r;
}

Field Make(int gridKind, int layout) {
    static const int kSize[4][2] = {{64, 64}, {256, 256}, {512, 512}, {512, 128}};
    const int w = kSize[gridKind][0], h = kSize[gridKind][1];
    Field f;
    f.grid->Create(w, h);
    plat::SRand(uint32_t(gridKind * 10 + layout + 1));
    auto cell = [&](int x, int y) -> CMapCell& { return *f.grid->GetCell(x, y); };
    f.start = {2, 2};
    f.goal = {w - 3, h - 3};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            CMapCell& c = cell(x, y);
            if (layout == 1 && plat::Rand() % 4 == 0) c.m_Walkable = 0;
            if (layout == 2 && y % 4 == 2 && (y % 8 == 2 ? x < w - 2 : x > 1)) c.m_Walkable = 0;
            if (layout == 3 && x == w / 2 && y != h - 4) c.m_Walkable = 0;
        }
    if (layout == 4)
        for (int d = 0; d < 8; ++d) cell(f.goal.x + kPathDir[d].x, f.goal.y + kPathDir[d].y).m_Walkable = 0;
    const Roles& roles = SharedRoles();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (plat::Rand() % 50 == 0 && cell(x, y).m_Walkable) cell(x, y).SetOccupant(roles.handles[size_t(x % 64)]);
    for (CGamePoint p : {f.start, f.goal}) {
        cell(p.x, p.y).m_Walkable = 1;
        cell(p.x, p.y).SetOccupant(kNoObj);
    }
    return f;
}

template <bool kProduction>
void BM_Path(benchmark::State& state) {
    SharedRoles();
    Field f = Make(int(state.range(0)), int(state.range(1)));
    const int32_t budget = int32_t(state.range(2));
    CPathSearch prod;
    pathoracle::CRefPathSearch ref;
    int64_t nodes = 0;
    // An engine serves many searches and keeps its memory: one untimed
    // search first, so neither side is timed growing its arrays.
    {
        CPathMap map(f.grid.get(), 1, f.goal.x, f.goal.y);
        if constexpr (kProduction)
            prod.Search(MakePathKey(f.start.x, f.start.y), &map, budget);
        else
            ref.Search(MakePathKey(f.start.x, f.start.y), &map, budget);
    }
    for (auto _ : state) {
        CPathMap map(f.grid.get(), 1, f.goal.x, f.goal.y);
        if constexpr (kProduction) {
            benchmark::DoNotOptimize(prod.Search(MakePathKey(f.start.x, f.start.y), &map, budget));
            nodes += prod.NodeCount();
        } else {
            benchmark::DoNotOptimize(ref.Search(MakePathKey(f.start.x, f.start.y), &map, budget));
            nodes += ref.Made();
        }
    }
    state.counters["searches/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["nodes/s"] = benchmark::Counter(double(nodes), benchmark::Counter::kIsRate);
}

// Each case runs the reference and then the production search, so the two
// of a pair see the same machine.
const bool kPathRegistered = [] {
    for (int g = 0; g < 4; ++g)
        for (int l = 0; l < 5; ++l)
            for (int budget : {0, 50, 500, 5000}) {
                benchmark::RegisterBenchmark("PathReference", BM_Path<false>)
                    ->Args({g, l, budget})
                    ->Unit(benchmark::kMicrosecond);
                benchmark::RegisterBenchmark("PathProduction", BM_Path<true>)
                    ->Args({g, l, budget})
                    ->Unit(benchmark::kMicrosecond);
            }
    return true;
}();

void BM_FindFreeCellNear(benchmark::State& state) {
    Field f = Make(1, 1);
    g_CurMapGrid = f.grid.get();
    int found = 0;
    for (auto _ : state) {
        CGamePoint p{128, 128};
        found += FindFreeCellNear(&p, int32_t(state.range(0)));
    }
    benchmark::DoNotOptimize(found);
    g_CurMapGrid = nullptr;
}
BENCHMARK(BM_FindFreeCellNear)->Arg(1)->Arg(8);

void BM_LineWalks(benchmark::State& state) {
    Field f = Make(1, 0);
    g_CurMapGrid = f.grid.get();
    int n = 0;
    for (auto _ : state) {
        n += TraceCellLine({5, 5}, {200, 120}, 300, 0, 1, 1).x;
        n += IsCellLineClear({5, 5}, {200, 120}, 1);
        n += IsLinePassable({5, 5}, {200, 120}, 1);
    }
    benchmark::DoNotOptimize(n);
    g_CurMapGrid = nullptr;
}
BENCHMARK(BM_LineWalks);

} // namespace
