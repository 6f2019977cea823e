// Replays what the key=value file fuzz target found (tests/regress/ini/) and
// its seeds (fuzz/corpus/ini/) through the target's own harness, so a fixed
// finding stays fixed without clang. The harness aborts on any broken
// invariant.
#include <gtest/gtest.h>

#include "../../fuzz/harness/ini.h"
#include "../../fuzz/harness/replay.h"
#include "support/test_env.h"

namespace {

int Replay(const fuzzreplay::Input& in) { return fuzzharness::RunIni(fuzzreplay::Data(in), in.bytes.size()); }

class RegressIni : public vtest::TempDirTest {};

TEST_F(RegressIni, SavedFindingsAreRefusedOrHandled) {
    for (const fuzzreplay::Input& in : fuzzreplay::Findings("ini")) {
        SCOPED_TRACE(in.name);
        EXPECT_GE(Replay(in), 0);
    }
}

TEST_F(RegressIni, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    const std::vector<fuzzreplay::Input> seeds = fuzzreplay::Seeds("ini");
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
