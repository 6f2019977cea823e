// Replays what the model_tables fuzz target found and its seeds, so a fixed
// finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../../fuzz/harness/model_tables.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace {

class RegressModelTables : public vtest::TempDirTest {};

TEST_F(RegressModelTables, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("model_tables", fuzzharness::RunModelTables);
}

TEST_F(RegressModelTables, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("model_tables", fuzzharness::RunModelTables);
}

} // namespace
