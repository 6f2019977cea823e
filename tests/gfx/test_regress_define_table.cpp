// Replays what the "#define" reader's fuzz target found
// (tests/regress/define_table/) and its seeds (fuzz/corpus/define_table/)
// through the target's own harness, so a fixed finding stays fixed without
// clang. The harness aborts on any broken invariant.
#include <gtest/gtest.h>

#include "../../fuzz/harness/define_table.h"
#include "../../fuzz/harness/replay.h"
#include "support/test_env.h"

namespace {

int Replay(const fuzzreplay::Input& in) {
    return fuzzharness::RunDefineTable(fuzzreplay::Data(in), in.bytes.size());
}

class RegressDefineTable : public vtest::TempDirTest {};

TEST_F(RegressDefineTable, SavedFindingsAreRefusedOrHandled) {
    for (const fuzzreplay::Input& in : fuzzreplay::Findings("define_table")) {
        SCOPED_TRACE(in.name);
        EXPECT_GE(Replay(in), 0);
    }
}

TEST_F(RegressDefineTable, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    const std::vector<fuzzreplay::Input> seeds = fuzzreplay::Seeds("define_table");
    ASSERT_FALSE(seeds.empty());
    for (fuzzenv::Place place : {fuzzenv::Place::Disk, fuzzenv::Place::Pack, fuzzenv::Place::ScrambledPack}) {
        fuzzenv::ForcePlace pin(place);
        for (const fuzzreplay::Input& in : seeds) {
            SCOPED_TRACE(in.name + " from " + fuzzenv::PlaceName(place));
            EXPECT_EQ(Replay(in), 1);
        }
    }
}

} // namespace
