// Replays what the WAVE file fuzz target found and its seeds, so a fixed
// finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../fuzz/harness/wave.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace {

class RegressWave : public vtest::TempDirTest {};

TEST_F(RegressWave, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("wave", fuzzharness::RunWave);
}

TEST_F(RegressWave, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("wave", fuzzharness::RunWave);
}

} // namespace
