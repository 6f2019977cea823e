// Importing a completed game into a new one: money / 20 (at most 10000),
// experience by the old level, and the five most valuable pieces of
// equipment, read from the old save into temporaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "datagen/save_writer.h"
#include "roles/items/prop_rec.h"
#include "roles/record/record_fixture.h"
#include "roles/role_hooks.h"
#include "roles/save_mgr.h"
#include "roles/tables/exp_table.h"

namespace test_save_import {

using record_fixture::kSword;
using record_fixture::kPotion;

class SaveImportTest : public record_fixture::RecordTest {
protected:
    void SetUp() override {
        RecordTest::SetUp();
        m_Role = g_RoleHooks;
        m_Dir = g_SaveMgr.m_SaveDir;
        g_SaveMgr.m_SaveDir = Dir() + "Save\\";
    }
    void TearDown() override {
        g_RoleHooks = m_Role;
        g_SaveMgr.m_SaveDir = m_Dir;
        RecordTest::TearDown();
    }
    CRoleHooks m_Role;
    std::string m_Dir;
};

CRoleData* g_Local = nullptr;

TEST_F(SaveImportTest, MoneyExperienceAndTheFiveBestPiecesOfEquipmentComeOver) {
    CRoleData old;
    old.m_Money = 300000;
    old.m_Level = 35;
    for (int price : {50, 400, 10, 300, 200, 100, 250}) old.AddItem(kSword, 1, 0, "ATB AP 1", 3, price);
    old.AddItem(kPotion, 5, 0, nullptr, -1, 9999);  // no equipment: stays behind
    datagen::SaveSummary s;
    s.slot = 1;
    WriteFile(Dir() + "Save/done.sav", datagen::BuildSaveSummary(s));
    WriteFile(Dir() + "Save/done.001", datagen::WithSaveTrailer(Bytes(old)));

    CRoleData local;
    g_Local = &local;
    g_RoleHooks.getLocalPlayerRecord = [] { return g_Local; };
    const int32_t exp0 = local.m_Exp;
    const std::string name = g_SaveMgr.m_SaveName;
    ASSERT_EQ(g_SaveMgr.ImportCharacter("done"), 1) << g_SaveMgr.LastError();
    EXPECT_EQ(g_SaveMgr.m_SaveName, name);
    EXPECT_EQ(local.m_Money, 10000) << "300000 / 20, at most 10000";
    if (local.m_Level == 1) {
        EXPECT_EQ(local.m_Exp - exp0, g_ExpTable.GetExp(3) - 1);
    }
    std::vector<int32_t> prices;
    for (int i = 0; i < kItemPoolSize; ++i)
        if (const PropRec* p = local.GetItem(i)) {
            EXPECT_EQ(p->m_Id, kSword);
            EXPECT_EQ(p->m_Text, "ATB AP 1");
            EXPECT_EQ(p->m_RequiredLevel, 3);
            prices.push_back(p->m_Price);
        }
    std::sort(prices.begin(), prices.end());
    EXPECT_EQ(prices, (std::vector<int32_t>{100, 200, 250, 300, 400}));

    // A damaged old save gives nothing.
    WriteFile(Dir() + "Save/done.001", datagen::WithSaveTrailer(Bytes(old).substr(0, 100)));
    EXPECT_EQ(g_SaveMgr.ImportCharacter("done"), 0);
    EXPECT_EQ(local.m_Money, 10000);
    g_Local = nullptr;
}

} // namespace test_save_import
