// Replays what the text table fuzz target found and its seeds, so a fixed
// finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../fuzz/harness/txt_table.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace {

class RegressTxtTable : public vtest::TempDirTest {};

TEST_F(RegressTxtTable, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("txt_table", fuzzharness::RunTxtTable);
}

TEST_F(RegressTxtTable, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("txt_table", fuzzharness::RunTxtTable);
}

} // namespace
