// Replays what the skill_tables fuzz target found and its seeds, so a fixed
// finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../../fuzz/harness/skill_tables.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace {

class RegressSkillTables : public vtest::TempDirTest {};

TEST_F(RegressSkillTables, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("skill_tables", fuzzharness::RunSkillTables);
}

TEST_F(RegressSkillTables, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("skill_tables", fuzzharness::RunSkillTables);
}

} // namespace
