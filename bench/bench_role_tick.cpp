// One server step of a crowded scene: the crowd fixture (128 x 128 cells,
// four monster camps of AI kinds 1, 20, 30 and 31 round the hero, patrols,
// wanderers, followers, packs of four and a repeating scene script; see
// datagen/fixture_crowd.h) in the scenario runner, seeded. A tick is one
// frame step of the game host: the server step (calendar, commands, the
// scene's `CScene::Tick` with its trigger run) and the client pass.
//
// 500 warm-up ticks, then 3000 timed ones (VANTREL_ROLE_TICKS shortens
// them, for a run under callgrind). Counters: mean, median and p99 in ms;
// live, alerted, moving and busy (alerted or moving) roles at the end.
// Each size runs twice: cell_by_cell:1 with the role finders walking every
// cell of their spiral (the tick before the occupancy bits), then :0.
// The run fails when fewer than 90% of the roles live or fewer than half
// are busy. The budget is 1 ms for 500 roles on one core.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "scenario/crowd.h"
#include "world/map/grid_search.h"

namespace bench_role_tick {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5))];
}

int TickCount() {
    const char* env = std::getenv("VANTREL_ROLE_TICKS");
    const int n = env ? std::atoi(env) : 0;
    return n > 0 ? n : 3000;
}

// The timed ticks, apart so that a profile can pick them out.
[[gnu::noinline]] void TimedTicks(scenario::CScenario& run, int ticks, std::vector<double>& ms) {
    for (int i = 0; i < ticks; ++i) {
        const auto t0 = Clock::now();
        run.Tick(1);
        const auto t1 = Clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
}

// The timed run of `roles` roles: 500 warm-up ticks, then `ticks` timed
// ones into *ms. False when the crowd does not start.
bool RunCrowd(int roles, int ticks, std::vector<double>* ms, scenario::CrowdCounts* counts) {
    scenario::CScenario run;
    if (!scenario::StartCrowd(run, roles, 60)) return false;
    run.Tick(500);
    ms->reserve(size_t(ticks));
    TimedTicks(run, ticks, *ms);
    *counts = scenario::CountCrowd(run);
    return true;
}

std::string CheckCrowd(int roles, const scenario::CrowdCounts& c) {
    if (c.live * 10 >= roles * 9 && c.busy * 2 >= c.live) return "";
    return "too few live or busy roles: live " + std::to_string(c.live) + ", busy " + std::to_string(c.busy) +
           " (alerted " + std::to_string(c.alerted) + ", moving " + std::to_string(c.moving) + ") of " +
           std::to_string(roles);
}

void BM_RoleTick(benchmark::State& state) {
    const int roles = static_cast<int>(state.range(0));
    // Argument 2 = 1: the role finders walk every spiral cell, as before
    // the occupancy bits (the same run, for a side-by-side figure).
    g_SpiralCellByCell = state.range(1) != 0;
    std::vector<double> ms;
    scenario::CrowdCounts c;
    for (auto _ : state) {
        if (!RunCrowd(roles, TickCount(), &ms, &c)) {
            state.SkipWithError("the crowd does not start");
            return;
        }
        state.SetIterationTime(std::accumulate(ms.begin(), ms.end(), 0.0) / 1000.0);
    }
    g_SpiralCellByCell = false;
    state.counters["mean_ms"] = std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size());
    state.counters["median_ms"] = Percentile(ms, 0.5);
    state.counters["p99_ms"] = Percentile(ms, 0.99);
    state.counters["live"] = c.live;
    state.counters["alerted"] = c.alerted;
    state.counters["moving"] = c.moving;
    state.counters["busy"] = c.busy;
    if (const std::string e = CheckCrowd(roles, c); !e.empty()) state.SkipWithError(e.c_str());
}
BENCHMARK(BM_RoleTick)
    ->ArgsProduct({{100, 500, 2000}, {1, 0}})
    ->ArgNames({"roles", "cell_by_cell"})
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace bench_role_tick
