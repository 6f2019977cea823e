// Replays what the item_tables fuzz target found and its seeds, so a fixed
// finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../../fuzz/harness/item_tables.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace test_regress_item_tables {

class RegressItemTables : public vtest::TempDirTest {};

TEST_F(RegressItemTables, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("item_tables", fuzzharness::RunItemTables);
}

TEST_F(RegressItemTables, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("item_tables", fuzzharness::RunItemTables);
}

} // namespace test_regress_item_tables
