// Replays what the pack fuzz target found (tests/regress/pack/) and its seeds
// (fuzz/corpus/pack/) through the target's own harness, so a fixed finding
// stays fixed without clang. The harness aborts on any broken invariant.
#include <gtest/gtest.h>

#include "../../fuzz/harness/pack.h"
#include "../../fuzz/harness/replay.h"
#include "support/test_env.h"

namespace {

int Replay(const fuzzreplay::Input& in) { return fuzzharness::RunPack(fuzzreplay::Data(in), in.bytes.size()); }

class RegressPack : public vtest::TempDirTest {};

TEST_F(RegressPack, SavedFindingsAreRefusedOrHandled) {
    for (const fuzzreplay::Input& in : fuzzreplay::Findings("pack")) {
        SCOPED_TRACE(in.name);
        Replay(in);
        EXPECT_TRUE(g_PackList.empty());
    }
}

TEST_F(RegressPack, SeedsMountAndEveryEntryReads) {
    const std::vector<fuzzreplay::Input> seeds = fuzzreplay::Seeds("pack");
    ASSERT_FALSE(seeds.empty());
    for (const fuzzreplay::Input& in : seeds) {
        SCOPED_TRACE(in.name);
        EXPECT_EQ(Replay(in), 1);
    }
}

} // namespace
