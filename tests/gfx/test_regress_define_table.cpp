// Replays what the "#define" reader fuzz target found and its seeds, so a fixed
// finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../fuzz/harness/define_table.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace {

class RegressDefineTable : public vtest::TempDirTest {};

TEST_F(RegressDefineTable, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("define_table", fuzzharness::RunDefineTable);
}

TEST_F(RegressDefineTable, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("define_table", fuzzharness::RunDefineTable);
}

} // namespace
