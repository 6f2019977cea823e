// Replays what the sound table fuzz target found (tests/regress/sound_table/)
// and its seeds (fuzz/corpus/sound_table/) through the target's own harness, so
// a fixed finding stays fixed without clang. The harness aborts on any broken
// invariant.
#include <gtest/gtest.h>

#include "../../fuzz/harness/sound_table.h"
#include "../../fuzz/harness/replay.h"
#include "support/test_env.h"

namespace {

int Replay(const fuzzreplay::Input& in) { return fuzzharness::RunSoundTable(fuzzreplay::Data(in), in.bytes.size()); }

class RegressSoundTable : public vtest::TempDirTest {};

TEST_F(RegressSoundTable, SavedFindingsAreRefusedOrHandled) {
    for (const fuzzreplay::Input& in : fuzzreplay::Findings("sound_table")) {
        SCOPED_TRACE(in.name);
        EXPECT_GE(Replay(in), 0);
    }
}

TEST_F(RegressSoundTable, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    const std::vector<fuzzreplay::Input> seeds = fuzzreplay::Seeds("sound_table");
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
