// The client's view port painting the demo scene "Start" at 800 x 600 with
// 200 roles round the view's centre, on the lit display (option 2):
//   BM_PaintStill      the view stands: the composed ground is reused whole;
//   BM_PaintScrolling  the view moves 4 pixels right or left each frame:
//                      the ground is shifted in place and one strip redrawn;
//   BM_PaintFullRedraw the whole view invalidated every frame: ground and
//                      buildings drawn from scratch, as the stand-in that
//                      came before the painter did (the reference).
// Counters: ms per frame (mean), roles (made), listed (moving objects the
// view listed).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/game_app.h"
#include "app/game_main.h"
#include "client/painter.h"
#include "datagen/demo_data.h"
#include "gfx/surface.h"
#include "platform/window.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/sky/weather.h"

namespace {

constexpr int32_t kW = 800, kH = 600;

// The demo written to a temporary folder and started as the game starts,
// "Start" built with 200 roles; torn down with the benchmark.
class PaintScene {
public:
    PaintScene() {
        char tmpl[] = "/tmp/bench-painter-XXXXXX";
        if (const char* d = mkdtemp(tmpl)) dir_ = d;
        datagen::DemoOptions o;
        o.music = o.sounds = false;
        std::string error;
        if (dir_.empty() || !datagen::WriteDemoDataSet(dir_, o, &error)) return;
        setenv("VANTREL_HOME", dir_.c_str(), 1);
        plat::UseHeadlessBackend();
        if (!g_GameApp.InitInstance() || !g_GameMain.StartApp()) return;
        saved_ = g_WorldHooks;
        g_WorldHooks.hostHasClient = [] { return 1; };
        g_WorldHooks.isLightingOn = [] { return 0; };
        g_WorldHooks.getDisplayOption = [] { return 2; };
        ServeViewOrigin(&painter_);
        g_Weather = &weather_;
        scene_ = std::make_unique<CScene>("Start");
        SetCurrentScene(scene_.get());
        world_ = std::make_unique<CWorld>();
        BuildMap(world_.get(), "Start");
        BuildObj(world_.get());
        world_->ApplySceneEnv();
        world_->MakeCurrent();
        const CGamePoint c{world_->m_MapGrid.Width() / 2, world_->m_MapGrid.Height() / 2};
        for (int i = 0; i < 400 && roles_ < 200; ++i)
            if (world_->m_ObjMng.AddRole(1, c.x - 10 + i % 20, c.y - 10 + i / 20, 0, -1, 0, -1, -1)) ++roles_;
        for (int t = 0; t < 5; ++t) {
            world_->m_ObjMng.Update();
            world_->m_ObjMng.PostUpdate();
        }
        painter_.SetViewRect(0, 0, kW, kH);
        painter_.PrepareScene(world_.get());
        const CGamePoint tl = CellTopLeft(c.x, c.y);
        painter_.MoveTo(tl.x + 32 - kW / 2, tl.y + 16 - kH / 2);
        frame_ = std::make_unique<CSurface>(kW, kH, 1);
        ok_ = true;
    }
    ~PaintScene() {
        if (world_) world_->Clear();
        world_.reset();
        scene_.reset();
        SetCurrentScene(nullptr);
        g_Weather = nullptr;
        if (ok_) g_WorldHooks = saved_;
        g_GameMain.Shutdown();
        g_GameApp.ExitInstance();
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    bool Ok() const { return ok_; }
    int Paint() { return painter_.Paint(frame_.get(), world_.get(), &weather_); }

    CPainter painter_;
    int roles_ = 0;

private:
    std::string dir_;
    bool ok_ = false;
    CWorldHooks saved_;
    CWeather weather_;
    std::unique_ptr<CScene> scene_;
    std::unique_ptr<CWorld> world_;
    std::unique_ptr<CSurface> frame_;
};

enum class Mode { Still, Scrolling, Full };

void Run(benchmark::State& state, Mode mode) {
    PaintScene scene;
    if (!scene.Ok()) {
        state.SkipWithError("the demo scene did not build");
        return;
    }
    CPainter& p = scene.painter_;
    scene.Paint();
    int64_t frames = 0;
    for (auto _ : state) {
        if (mode == Mode::Scrolling) {
            p.m_ScrollStep = 4;
            p.ScrollView((frames / 50) % 2 ? 3 : 7);
        } else if (mode == Mode::Full) {
            p.InvalidateRect(nullptr);
        }
        benchmark::DoNotOptimize(scene.Paint());
        ++frames;
    }
    state.counters["ms"] = benchmark::Counter(static_cast<double>(frames) / 1000.0,
                                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["roles"] = scene.roles_;
    state.counters["listed"] = p.m_ListA.Count();
}

void BM_PaintStill(benchmark::State& s) { Run(s, Mode::Still); }
void BM_PaintScrolling(benchmark::State& s) { Run(s, Mode::Scrolling); }
void BM_PaintFullRedraw(benchmark::State& s) { Run(s, Mode::Full); }

} // namespace

BENCHMARK(BM_PaintStill)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_PaintScrolling)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_PaintFullRedraw)->Unit(benchmark::kMillisecond)->Iterations(200);
