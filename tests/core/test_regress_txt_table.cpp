// Replays what the text table fuzz target found (tests/regress/txt_table/) and
// its seeds (fuzz/corpus/txt_table/) through the target's own harness, so a
// fixed finding stays fixed without clang. The harness aborts on any broken
// invariant.
#include <gtest/gtest.h>

#include "../../fuzz/harness/txt_table.h"
#include "../../fuzz/harness/replay.h"
#include "support/test_env.h"

namespace {

int Replay(const fuzzreplay::Input& in) { return fuzzharness::RunTxtTable(fuzzreplay::Data(in), in.bytes.size()); }

class RegressTxtTable : public vtest::TempDirTest {};

TEST_F(RegressTxtTable, SavedFindingsAreRefusedOrHandled) {
    for (const fuzzreplay::Input& in : fuzzreplay::Findings("txt_table")) {
        SCOPED_TRACE(in.name);
        EXPECT_GE(Replay(in), 0);
    }
}

TEST_F(RegressTxtTable, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    const std::vector<fuzzreplay::Input> seeds = fuzzreplay::Seeds("txt_table");
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
