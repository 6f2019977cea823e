// The roles' tables through the real start-up on the fixture game: loaded
// in their order, GetRoleSkill's hook installed, all emptied at shutdown.
#include <gtest/gtest.h>

#include "core/txt_table.h"
#include "datagen/fixture_game.h"
#include "roles/tables/model_tables.h"
#include "roles/tables/role_effect_table.h"
#include "roles/tables/skill_table.h"
#include "scenario/scenario.h"
#include "world/objects/proximity.h"

namespace {

using scenario::ScenarioTest;

TEST_F(ScenarioTest, StartUpLoadsTheRoleTablesAndInstallsTheModelSkillHook) {
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(g_ModelTables.IsLoaded(), 1);
    EXPECT_EQ(g_SkillTable.GetCount(), 4);  // strike, arrow, claw, gather
    EXPECT_EQ(g_SkillChildTable.GetCount(), 1);
    EXPECT_EQ(g_SkillGopTable.GetCount(), 3);
    EXPECT_EQ(g_SkillGopTable.GetValue(1, 1), datagen::kFixtureArrowSkill);
    ASSERT_NE(g_RoleMdlTable.GetRow(datagen::kFixtureGhostModel), nullptr);
    EXPECT_EQ(g_RoleMdlTable.GetRow(datagen::kFixtureGhostModel)->GetInt(8), 50);
    EXPECT_EQ(g_RoleMdlTable.GetRow(datagen::kFixtureStatueModel)->HasValue(27), 0);
    EXPECT_NE(g_RolePrivateTable.GetRow(datagen::kFixtureGrabberModel), nullptr);
    // The thinking rows: AI kind in model column 31, reaction 0-5 in level
    // column 6.
    EXPECT_EQ(g_RoleMdlTable.GetRow(datagen::kFixtureSeerModel)->GetInt(31), 31);
    for (int level = 0; level <= 5; ++level)
        EXPECT_EQ(g_RolePrivateTable.GetRow(datagen::kFixtureReactionModel + level)->GetInt(6), level);
    // "PropMdl.txt" comes in once, with the model set.
    EXPECT_NE(g_PropMdlTable.GetRow(3), nullptr);
    EXPECT_NE(g_RoleEffectTable.GetRow(0), nullptr);
    EXPECT_EQ(GetRoleSkill(datagen::kFixtureArcherModel, 0), g_SkillTable.GetAt(datagen::kFixtureArrowSkill));
    EXPECT_EQ(GetRoleSkill(datagen::kFixtureArcherModel, 1), nullptr);
    EXPECT_EQ(GetRoleSkill(1, 0), nullptr);  // the hero has no list
    const CSkillDef* arrow = g_SkillTable.GetAt(datagen::kFixtureArrowSkill);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->rangeCells, 5);
    ASSERT_EQ(arrow->effects.size(), 1u);
    EXPECT_EQ(arrow->effects[0].p1, datagen::kFixtureArrowChild);
}

} // namespace
