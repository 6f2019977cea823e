// Replays what the sound table fuzz target found and its seeds, so a fixed
// finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../fuzz/harness/sound_table.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace {

class RegressSoundTable : public vtest::TempDirTest {};

TEST_F(RegressSoundTable, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("sound_table", fuzzharness::RunSoundTable);
}

TEST_F(RegressSoundTable, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("sound_table", fuzzharness::RunSoundTable);
}

} // namespace
