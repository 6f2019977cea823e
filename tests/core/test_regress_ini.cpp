// Replays what the key=value file fuzz target found and its seeds, so a fixed
// finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../fuzz/harness/ini.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace {

class RegressIni : public vtest::TempDirTest {};

TEST_F(RegressIni, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("ini", fuzzharness::RunIni);
}

TEST_F(RegressIni, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("ini", fuzzharness::RunIni);
}

} // namespace
