// The equivalence guard of the role tick: a seeded run of the crowd fixture
// (datagen/fixture_crowd.h) whose packet log, draw count and object digests
// every 100 ticks were recorded before the tick was made fast. Indexes and
// caches may answer faster; any change of what a run does (an order, a
// draw, a packet, an object's cell, HP, motion or target) changes a value
// here. The recording client's view covers little of the 128 x 128 map, so
// the digests, not the packet log, see most of the crowd.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "scenario/crowd.h"

namespace test_crowd_guard {

using scenario::ScenarioTest;

struct GuardRun {
    std::vector<uint64_t> digests;  // after ticks 100, 200, ...
    uint64_t runHash = 0;
    uint64_t draws = 0;
    scenario::CrowdCounts counts;
};

GuardRun RunCrowd(scenario::CScenario& run, int roles, int ticks) {
    GuardRun g;
    if (!scenario::StartCrowd(run, roles, 60)) return g;
    for (int t = 100; t <= ticks; t += 100) {
        run.Tick(100);
        g.digests.push_back(scenario::CrowdDigest(run));
    }
    g.runHash = run.RunHash();
    g.draws = run.Draws();
    g.counts = scenario::CountCrowd(run);
    return g;
}

// Folds the digests into one value, so a change shows the first tick
// block it appears in and the whole.
uint64_t Fold(const std::vector<uint64_t>& v) {
    uint64_t h = 14695981039346656037ull;
    for (uint64_t d : v) h = (h ^ d) * 1099511628211ull;
    return h;
}

void Print(const GuardRun& g) {
    std::printf("runHash 0x%016llxull draws %llu fold 0x%016llxull live %d alerted %d moving %d\n",
                static_cast<unsigned long long>(g.runHash), static_cast<unsigned long long>(g.draws),
                static_cast<unsigned long long>(Fold(g.digests)), g.counts.live, g.counts.alerted, g.counts.moving);
    for (size_t i = 0; i < g.digests.size(); ++i)
        std::printf("  tick %zu: 0x%016llxull\n", (i + 1) * 100, static_cast<unsigned long long>(g.digests[i]));
}

TEST_F(ScenarioTest, AHundredRoleCrowdRunsAsRecorded) {
    const GuardRun g = RunCrowd(run, 100, 2000);
    ASSERT_EQ(g.digests.size(), 20u);
    // The crowd is busy: most of it alive, a good part alerted or moving.
    EXPECT_EQ(g.counts.live, 100);
    EXPECT_GE(g.counts.alerted + g.counts.moving, 40);
    const std::vector<uint64_t> kDigests = {
        0x255eccd61bff019eull, 0x9b54a9b6fc74689bull, 0xe843f7dcc386f5feull, 0xcf6b6123a8099ba5ull,
        0x03645e397138d9d5ull, 0x6c320fa80fe91044ull, 0x3625dd2eea39b23dull, 0x2765dd19706627d1ull,
        0xec9e0f6e3677835full, 0xc7c826dcf76671c4ull, 0xd912cd78b3e699beull, 0x92d5f03f1504d290ull,
        0xb63c4d890ff8cf6cull, 0x3afb2cf26604ab27ull, 0x0c25aaa89a9a0f5cull, 0xc80196b8e5ed267dull,
        0x6cfcb0f27f8529b4ull, 0x87da2de680b7b64dull, 0x86a492e466722ca8ull, 0xc68a59626f85b65bull,
    };
    EXPECT_EQ(g.digests, kDigests);
    EXPECT_EQ(g.draws, 80011u);
    EXPECT_EQ(g.runHash, 0x9917df1525db2524ull);
    if (HasFailure()) Print(g);
}

// The 500-role run, checked by hand before and after a change of the tick
// (too slow for the suite under the sanitizers).
TEST_F(ScenarioTest, DISABLED_AFiveHundredRoleCrowdRunsAsRecorded) {
    const GuardRun g = RunCrowd(run, 500, 2000);
    ASSERT_EQ(g.digests.size(), 20u);
    EXPECT_EQ(g.counts.live, 500);
    EXPECT_EQ(Fold(g.digests), 0xfc748f64355b53e9ull);
    EXPECT_EQ(g.draws, 144619u);
    EXPECT_EQ(g.runHash, 0xf6f0a601e4beb22eull);
    if (HasFailure()) Print(g);
}

} // namespace test_crowd_guard
