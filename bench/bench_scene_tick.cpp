// One logic tick of a busy scene on the demo map "Start": 200 ground
// creatures (150 pushable beetles roaming boxes, 50 fish in the pond), 100
// flying ones (50 lit fireflies on paths, 50 birds in boxes), 100 items, 50
// mechanism buildings (chests and doors), 50 timed animations, the lights
// of all of them and the weather scheduler. The player's character walks a
// square through the creatures, so they flee, push aside and re-target.
//
// One tick is the server pass (`CScene::Tick`: the object manager's Update
// and UpdateActions, the light update, the weather scheduler) and the client's
// PostUpdate (where flying creatures move) with the client weather's tick.
// Counters: tick_ms and tick_p95 (median and 95th percentile), live (the
// objects ticked), moving (creatures under way at the end). The budget is
// 1 ms on one core.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/directories.h"
#include "core/txt_table.h"
#include "datagen/demo_bld.h"
#include "datagen/demo_creatures.h"
#include "datagen/demo_data.h"
#include "gfx/res_lib.h"
#include "platform/random.h"
#include "world/things/beastie.h"
#include "world/things/fly_beastie.h"
#include "world/buildings/bld_mdl.h"
#include "world/objects/obj_desc.h"
#include "world/sky/weather.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/scene/world_sound.h"

namespace {

using Clock = std::chrono::steady_clock;

class CBenchPlayer : public CMapObj {
public:
    CBenchPlayer() {
        m_Kind = 60;
        Register(-1);
    }
};
CGameObj* g_BenchPlayer = nullptr;

// Writes the demo data into a temporary program folder, loads what the
// world reads, and builds "Start" with the objects above.
class BusyScene {
public:
    BusyScene() : oldCwd_(std::filesystem::current_path()) {
        if (const char* h = std::getenv("VANTREL_HOME")) oldHome_ = h, hadHome_ = true;
        savedHooks_ = g_WorldHooks;
        savedSound_ = g_WorldSound;
        char tmpl[] = "/tmp/bench-scene-XXXXXX";
        if (const char* d = mkdtemp(tmpl)) dir_ = std::string(d) + "/";
        ok_ = !dir_.empty() && Build();
    }
    ~BusyScene() {
        world_ = nullptr;
        scene_.reset();
        ClearCurrentWorld();
        g_BenchPlayer = nullptr;
        g_MdlCache.Clear();
        g_ResList.Destroy();
        g_BeastieMdlTable.Clear();
        g_PropMdlTable.Clear();
        g_ScnInfoMdl.Clear();
        g_WorldHooks = savedHooks_;
        g_WorldSound = savedSound_;
        std::error_code ec;
        std::filesystem::current_path(oldCwd_, ec);
        if (hadHome_) setenv("VANTREL_HOME", oldHome_.c_str(), 1);
        else unsetenv("VANTREL_HOME");
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    bool Ok() const { return ok_; }
    const std::string& Error() const { return error_; }

    // One tick as the running game does it.
    void Tick() {
        SetCurrentScene(scene_.get());
        // The player walks a square of 12 cells round the middle.
        const int leg = (ticks_ / 120) % 4, s = (ticks_ % 120) * 6;
        const int x0 = 26 * 64, y0 = 26 * 64;
        g_BenchPlayer->m_X = x0 + (leg == 0 ? s : leg == 1 ? 720 : leg == 2 ? 720 - s : 0);
        g_BenchPlayer->m_Y = y0 + (leg == 0 ? 0 : leg == 1 ? s : leg == 2 ? 720 : 720 - s);
        ++ticks_;

        scene_->Tick();
        world_->m_ObjMng.PostUpdate();
        weather_->Tick();
    }
    // Outside the timing: timed animations that ran out are made again.
    void TopUp() {
        world_->MakeCurrent();
        int timed = 0;
        for (CObjNode* n = world_->m_ObjMng.m_Props.Head(); n; n = n->Next())
            if (static_cast<CGameObj*>(n)->m_Kind == 22 && !static_cast<CGameObj*>(n)->m_Removed) ++timed;
        for (; timed < 50; ++timed) AddTimed();
    }
    // Creatures walking, fleeing or flying now.
    int Moving() const {
        int n = 0;
        for (CObjNode* o = world_->m_ObjMng.m_Props.Head(); o; o = o->Next())
            if (auto* b = dynamic_cast<CBeastie*>(static_cast<CGameObj*>(o)); b && b->m_State != 0) ++n;
        for (CObjNode* o = world_->m_ObjMng.m_Creatures.Head(); o; o = o->Next())
            if (auto* f = dynamic_cast<CFlyBeastie*>(static_cast<CGameObj*>(o)); f && f->m_State != 0) ++n;
        return n;
    }
    int Live() const {
        return world_->m_ObjMng.m_Props.GetCount() + world_->m_ObjMng.m_Creatures.GetCount() +
               world_->m_ObjMng.m_MechPool.GetCount();
    }

private:
    bool Fail(const std::string& what) {
        error_ = what;
        return false;
    }

    bool Build() {
        datagen::DemoOptions o;
        o.sounds = o.music = false;
        if (!datagen::WriteDemoDataSet(dir_, o, &error_)) return false;
        std::filesystem::current_path(dir_);
        setenv("VANTREL_HOME", dir_.c_str(), 1);
        SetProgramDirectory(0);
        if (!g_ResList.Init("Zy\\idx.lib")) return Fail("libraries");
        if (g_BeastieMdlTable.Load((dir_ + "mb/BeastieMdl.txt").c_str(), 1, 1, 1) != 1 ||
            g_PropMdlTable.Load((dir_ + "mb/PropMdl.txt").c_str(), 1, 1, 1) != 1 ||
            g_ScnInfoMdl.Load((dir_ + "mb/ScnInfo.txt").c_str(), 1, 1, 0) != 1)
            return Fail("tables");
        g_WorldHooks = CWorldHooks{};
        g_WorldHooks.hostHasClient = [] { return 1; };
        g_WorldHooks.getSelectedRole = [] { return g_BenchPlayer; };
        g_WorldHooks.getRoleSpeed = [](const CGameObj*) { return 6; };
        g_WorldHooks.getRoleMotion = [](const CGameObj*) { return 2; };
        g_WorldHooks.getBodyRadius = [](const CGameObj*) { return 24; };
        g_WorldSound.playEffect = [](int, int, int, int) {};
        g_WorldSound.stopEffect = [](int) {};
        g_WorldSound.playMusicSound = [](int, int) {};
        g_WorldSound.playEffectAt = [](int, const CGamePoint&, int) {};
        plat::SRand(1);

        // Built as the scene manager builds a scene on first entry: its
        // weather scheduler takes the scene row while the world loads.
        scene_ = std::make_unique<CScene>("Start");
        world_ = scene_->m_pWorld;
        SetCurrentScene(scene_.get());
        if (!BuildMap(world_, "Start")) return Fail("Start");
        SetCurrentScene(scene_.get());
        weather_ = std::make_unique<CWeather>();
        if (!world_->m_pScnRow) return Fail("Start's scene row");
        weather_->LoadRecord(world_->m_pScnRow);
        CObjMng& mng = world_->m_ObjMng;
        g_BenchPlayer = new CBenchPlayer;
        mng.Register(g_BenchPlayer->m_Handle);

        // Open ground: rows 26-44 and columns 26-44 round the road cross,
        // away from the pond (upper right) and the yard (lower left).
        const auto cell = [](int i, int span) { return 26 + (i * 7) % span; };
        for (int i = 0; i < 150; ++i)
            Add(datagen::kDemoBeetleModel, Area(cell(i, 19), cell(i / 3 + i, 19), 0));
        for (int i = 0; i < 50; ++i) Add(datagen::kDemoFishModel, Area(44 + i % 5, 14 + (i / 5) % 5, 0));
        for (int i = 0; i < 50; ++i) {
            auto* d = new CObjDesc14;
            d->m_X = cell(i, 19);
            d->m_Y = cell(i * 3, 19);
            d->m_Path = {{d->m_X + 4, d->m_Y}, {d->m_X + 4, d->m_Y + 4}, {d->m_X, d->m_Y + 4}, {d->m_X, d->m_Y}};
            Add(datagen::kDemoFireflyModel, d);
        }
        for (int i = 0; i < 50; ++i) Add(datagen::kDemoBirdModel, Area(cell(i * 5, 19), cell(i * 2, 19), 0));
        for (int i = 0; i < 100; ++i) mng.AddProp(1 + i % 3, cell(i, 19), cell(i * 11, 19), 0, 1);
        for (int i = 0; i < 50; ++i)
            if (!mng.AddBld(4 + (i % 10) * 2, 2 + (i / 10) * 2, i % 2 ? datagen::kDemoChestPart : datagen::kDemoDoorPart,
                            nullptr))
                return Fail("buildings");
        for (int i = 0; i < 50; ++i) AddTimed();
        if (mng.CountLiveBeasties() != 200 || mng.m_Creatures.GetCount() != 100) return Fail("creatures");
        return true;
    }

    CObjDesc13* Area(int x, int y, int rest) {
        auto* d = new CObjDesc13;
        d->m_Logic = 1;
        d->m_MoveLevel = rest;
        d->m_X = x, d->m_Y = y;
        d->m_RectX = x - 3, d->m_RectY = y - 3, d->m_RectW = 6, d->m_RectH = 6;
        return d;
    }
    void Add(int model, CObjDesc11* d) {
        d->m_ModelId = static_cast<uint16_t>(model);
        world_->m_ObjMng.AddObj(d, 22, -1, 0, -1);
    }
    void AddTimed() {
        const int i = timedMade_++;
        world_->m_ObjMng.AddAnimObj(static_cast<int>(datagen::kDemoFootprintAnim), i % 8, (26 + i % 19) * 64 + 32,
                                    (26 + (i * 7) % 19) * 64 + 32);
    }

    std::filesystem::path oldCwd_;
    std::string oldHome_;
    bool hadHome_ = false;
    std::string dir_;
    std::string error_;
    bool ok_ = false;
    CWorldHooks savedHooks_;
    CWorldSoundCalls savedSound_{};
    std::unique_ptr<CScene> scene_;
    CWorld* world_ = nullptr;  // the scene's
    std::unique_ptr<CWeather> weather_;
    int ticks_ = 0;
    int timedMade_ = 0;
};

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5))];
}

void BM_BusySceneTick(benchmark::State& state) {
    BusyScene scene;
    if (!scene.Ok()) {
        state.SkipWithError(("scene: " + scene.Error()).c_str());
        return;
    }
    for (int i = 0; i < 200; ++i) scene.Tick();  // settle: creatures under way
    std::vector<double> ms;
    int live = 0;
    for (auto _ : state) {
        scene.TopUp();
        live = scene.Live();
        const auto t0 = Clock::now();
        scene.Tick();
        const auto t1 = Clock::now();
        const double d = std::chrono::duration<double, std::milli>(t1 - t0).count();
        ms.push_back(d);
        state.SetIterationTime(d / 1000.0);
    }
    state.counters["tick_ms"] = Percentile(ms, 0.5);
    state.counters["tick_p95"] = Percentile(ms, 0.95);
    state.counters["live"] = live;
    state.counters["moving"] = scene.Moving();
}
BENCHMARK(BM_BusySceneTick)->UseManualTime()->Iterations(3000)->Unit(benchmark::kMicrosecond);

} // namespace
