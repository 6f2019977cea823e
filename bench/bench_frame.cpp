// The whole-frame benchmark: the composed 800 x 600 scene of
// tools/gfxdemo/frame_scene.h (630 ground tiles, N six-part role sprites,
// 20 translucent pictures, the light grid with 30 spots, a running
// cross-fade, 10 dimmed UI panels, the cursor), reference and fast kernels
// alternating frame by frame in one run, against a plain 800 x 600 16-bit
// copy (the memory-bandwidth floor). Argument: the sprite count.
//
// Counters (milliseconds per frame): ref_ms / ref_p95 and fast_ms /
// fast_p95 (median and 95th percentile), copy_ms (median of the copy),
// speedup (reference median / fast median), fast_x_copy and ref_x_copy
// (median over the copy's median). The median time of each part of the
// frame is printed after the run. VANTREL_BENCH_FRAMES sets the frames per
// set (default 200). The run fails when the two sets draw different bytes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gfx/fast_kernels.h"
#include "gfx/surface.h"
#include "gfxdemo/frame_scene.h"
#include "platform/window.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
    return v[i];
}

// Builds the scene in a temporary folder and puts the working folder and
// VANTREL_HOME back afterwards, so other benchmarks see no change.
class SceneScope {
public:
    explicit SceneScope(int32_t sprites) : oldCwd_(std::filesystem::current_path()) {
        if (const char* h = std::getenv("VANTREL_HOME")) oldHome_ = h, hadHome_ = true;
        char tmpl[] = "/tmp/bench-frame-XXXXXX";
        if (const char* d = mkdtemp(tmpl)) dir_ = d;
        plat::UseHeadlessBackend();
        gfxdemo::FrameSceneOptions o;
        o.sprites = sprites;
        ok_ = !dir_.empty() && scene_.Build(dir_, o, &error_);
    }
    ~SceneScope() {
        scene_.Release();
        std::error_code ec;
        std::filesystem::current_path(oldCwd_, ec);
        if (hadHome_) setenv("VANTREL_HOME", oldHome_.c_str(), 1);
        else unsetenv("VANTREL_HOME");
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    gfxdemo::FrameScene& Scene() { return scene_; }
    bool Ok() const { return ok_; }
    const std::string& Error() const { return error_; }

private:
    std::filesystem::path oldCwd_;
    std::string oldHome_;
    bool hadHome_ = false;
    std::string dir_;
    std::string error_;
    bool ok_ = false;
    gfxdemo::FrameScene scene_;
};

int FramesPerSet() {
    const char* v = std::getenv("VANTREL_BENCH_FRAMES");
    const int n = v ? std::atoi(v) : 0;
    return n > 0 ? n : 200;
}

void BM_Frame(benchmark::State& state) {
    const KernelSet before = SelectedKernels();
    SceneScope scope(static_cast<int32_t>(state.range(0)));
    if (!scope.Ok()) {
        state.SkipWithError(("scene: " + scope.Error()).c_str());
        return;
    }
    gfxdemo::FrameScene& scene = scope.Scene();
    auto copyDst = std::make_unique<CSurface>(gfxdemo::kFrameWidth, gfxdemo::kFrameHeight, 1);

    // Both sets must draw the same bytes (this also warms the caches).
    SelectKernels(KernelSet::Reference);
    scene.Compose();
    const std::vector<uint16_t> ref = scene.Pixels();
    SelectKernels(KernelSet::Fast);
    const std::string fastName = KernelSetName();
    scene.Compose();
    if (scene.Pixels() != ref) {
        SelectKernels(before);
        state.SkipWithError("reference and fast kernels drew different frames");
        return;
    }

    const int frames = FramesPerSet();
    std::vector<double> refMs, fastMs, copyMs;
    std::vector<double> phases[2][gfxdemo::kPhaseCount];
    for (auto _ : state) {
        double total = 0;
        for (int i = 0; i < frames; ++i) {
            // Alternate which set goes first, so neither always finds the
            // other's frame in the caches.
            for (int k = 0; k < 2; ++k) {
                const bool fast = (i + k) % 2 == 1;
                SelectKernels(fast ? KernelSet::Fast : KernelSet::Reference);
                double phaseMs[gfxdemo::kPhaseCount];
                const auto t0 = Clock::now();
                scene.Compose(phaseMs);
                const auto t1 = Clock::now();
                (fast ? fastMs : refMs).push_back(Ms(t0, t1));
                for (int p = 0; p < gfxdemo::kPhaseCount; ++p) phases[fast][p].push_back(phaseMs[p]);
                total += Ms(t0, t1);
            }
            const auto t0 = Clock::now();
            scene.PlainCopy(copyDst.get());
            const auto t1 = Clock::now();
            copyMs.push_back(Ms(t0, t1));
            benchmark::ClobberMemory();
        }
        state.SetIterationTime(total / 1000.0);
    }
    SelectKernels(before);

    const double refMed = Percentile(refMs, 0.5), fastMed = Percentile(fastMs, 0.5), copyMed = Percentile(copyMs, 0.5);
    state.counters["ref_ms"] = refMed;
    state.counters["ref_p95"] = Percentile(refMs, 0.95);
    state.counters["fast_ms"] = fastMed;
    state.counters["fast_p95"] = Percentile(fastMs, 0.95);
    state.counters["copy_ms"] = copyMed;
    state.counters["speedup"] = fastMed > 0 ? refMed / fastMed : 0;
    state.counters["fast_x_copy"] = copyMed > 0 ? fastMed / copyMed : 0;
    state.counters["ref_x_copy"] = copyMed > 0 ? refMed / copyMed : 0;
    state.SetLabel(fastName);
    // Where a frame goes: median milliseconds of each part.
    std::printf("frame, %d sprites, median ms per part (reference -> fast):\n", static_cast<int>(state.range(0)));
    for (int p = 0; p < gfxdemo::kPhaseCount; ++p)
        std::printf("  %-10s %7.3f -> %7.3f\n", gfxdemo::FramePhaseName(p), Percentile(phases[0][p], 0.5),
                    Percentile(phases[1][p], 0.5));
    std::printf("  %-10s %7.3f\n", "copy", copyMed);
    copyDst.reset();
}
BENCHMARK(BM_Frame)->Arg(50)->Arg(200)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
