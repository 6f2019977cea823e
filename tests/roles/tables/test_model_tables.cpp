// The model tables with their ".rmd" skill lists, and the role-state table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/fixture_game.h"
#include "platform/msgbox.h"
#include "roles/tables/model_tables.h"
#include "roles/tables/role_effect_table.h"
#include "roles/tables/skill_table.h"
#include "support/test_env.h"

namespace {

using datagen::RoleMdlRow;

class ModelTablesTest : public vtest::TempDirTest {
protected:
    void TearDown() override {
        g_ModelTables.Clear();
        g_SkillTable.Clear();
        g_RoleEffectFile.Clear();
        g_RoleEffectTable.Clear();
        vtest::TempDirTest::TearDown();
    }
    void WriteSet(const std::string& folder, int roleId, int beastieId, int propId, int listId) {
        const datagen::Table head = {{"Name", "Id"}};
        ASSERT_TRUE(datagen::WriteTable(Dir() + folder + "/Role.txt", {{"Name", "Id"}, {"R", std::to_string(roleId)}}));
        ASSERT_TRUE(datagen::WriteTable(Dir() + folder + "/BeastieMdl.txt", {{"Name", "Id"}, {"B", std::to_string(beastieId)}}));
        ASSERT_TRUE(datagen::WriteTable(Dir() + folder + "/PropMdl.txt", {{"Name", "Id"}, {"P", std::to_string(propId)}}));
        ASSERT_TRUE(datagen::WriteTable(Dir() + folder + "/Role.rmd",
                                        datagen::RowsOf(std::vector<datagen::RoleSkillListRow>{
                                            datagen::RoleSkillListRow().Id(listId).Skills({3, 4})})));
    }
    void LoadSet(const std::string& folder) {
        const std::string f = Dir() + folder + "/";
        g_ModelTables.Load((f + "Role.txt").c_str(), (f + "BeastieMdl.txt").c_str(), (f + "PropMdl.txt").c_str());
    }
};

TEST_F(ModelTablesTest, TheSkillListFileIsNamedAfterTheRoleFile) {
    const struct {
        const char* role;
        const char* want;
    } cases[] = {
        {"C:\\game\\mb\\Role.txt", "C:\\game\\mb\\Role.rmd"},
        {"Role", "Role.rmd"},
        {"mb\\Role.v2.txt", "mb\\Role.v2.rmd"},
        {"", ".rmd"},
    };
    for (const auto& c : cases) EXPECT_EQ(CModelTables::SkillListFileName(c.role), c.want) << c.role;
    const std::string longName(300, 'a');
    EXPECT_EQ(CModelTables::SkillListFileName((longName + ".txt").c_str()), std::string(255, 'a') + ".rmd");
}

TEST_F(ModelTablesTest, LoadFillsTheFourTablesAndASecondLoadEmptiesThemFirst) {
    WriteSet("one", 1, 2, 3, 1);
    LoadSet("one");
    EXPECT_EQ(g_ModelTables.IsLoaded(), 1);
    EXPECT_NE(g_RoleMdlTable.GetRow(1), nullptr);
    EXPECT_NE(g_BeastieMdlTable.GetRow(2), nullptr);
    EXPECT_NE(g_PropMdlTable.GetRow(3), nullptr);
    ASSERT_NE(g_RoleSkillListTable.GetRow(1), nullptr);
    EXPECT_EQ(g_RoleSkillListTable.GetRow(1)->GetInt(3), 4);

    // A folder with only a role file: every other table ends up empty,
    // and nothing is reported.
    ASSERT_TRUE(datagen::WriteTable(Dir() + "two/Role.txt", {{"Name", "Id"}, {"S", "5"}}));
    LoadSet("two");
    EXPECT_EQ(g_RoleMdlTable.GetRow(1), nullptr);
    EXPECT_NE(g_RoleMdlTable.GetRow(5), nullptr);
    EXPECT_EQ(g_BeastieMdlTable.GetRowCount(), 0);
    EXPECT_EQ(g_PropMdlTable.GetRowCount(), 0);
    EXPECT_EQ(g_RoleSkillListTable.GetRowCount(), 0);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());

    // Creature and prop files are read only when given.
    WriteSet("one", 1, 2, 3, 1);
    g_ModelTables.Load((Dir() + "one/Role.txt").c_str(), nullptr, nullptr);
    EXPECT_EQ(g_BeastieMdlTable.GetRowCount(), 0);
    EXPECT_EQ(g_PropMdlTable.GetRowCount(), 0);
    EXPECT_NE(g_RoleSkillListTable.GetRow(1), nullptr);
    g_ModelTables.Clear();
    EXPECT_EQ(g_ModelTables.IsLoaded(), 0);
    EXPECT_EQ(g_RoleMdlTable.GetRowCount(), 0);
}

// GetRoleSkill's hook: the index-th id of the model's list, as a definition.
TEST_F(ModelTablesTest, ModelSkillsComeFromTheListAndTheSkillTable) {
    WriteSet("one", 1, 2, 3, 1);
    ASSERT_TRUE(datagen::WriteTable(Dir() + "Skill.ini", datagen::RowsOf(std::vector<datagen::SkillRow>{
                                                             datagen::SkillRow().Name("Three").Id(3)})));
    g_SkillTable.Load((Dir() + "Skill.ini").c_str());
    LoadSet("one");
    EXPECT_EQ(GetModelSkill(1, 0), g_SkillTable.GetAt(3));
    EXPECT_EQ(GetModelSkill(1, 1), nullptr);  // id 4 has no definition
    EXPECT_EQ(GetModelSkill(1, 2), nullptr);  // past the count
    EXPECT_EQ(GetModelSkill(1, -1), nullptr);
    EXPECT_EQ(GetModelSkill(9, 0), nullptr);
}

TEST_F(ModelTablesTest, RoleStatesAreKeyedByColumnOneAndHeaderLinesAreSkipped) {
    ASSERT_TRUE(datagen::WriteTable(Dir() + "RoleEffectMdl.txt",
                                    {{"State", "Id", "Anim"}, {"None", "0", "5"}, {"Poison", "3", "7"}, {"Note", "", "9"}}));
    ASSERT_EQ(g_RoleEffectFile.Load((Dir() + "RoleEffectMdl.txt").c_str()), 1);
    BuildRoleEffectTable();
    EXPECT_EQ(g_RoleEffectTable.GetRowCount(), 2);
    ASSERT_NE(g_RoleEffectTable.GetRow(0), nullptr);
    EXPECT_EQ(g_RoleEffectTable.GetRow(0)->GetInt(2), 5);  // not the header line
    ASSERT_NE(g_RoleEffectTable.GetRow(3), nullptr);
    EXPECT_EQ(g_RoleEffectTable.GetRow(3)->GetInt(2), 7);
    EXPECT_EQ(g_RoleEffectFile.GetRowCount(), 4);  // the raw rows stay as read
}

} // namespace
