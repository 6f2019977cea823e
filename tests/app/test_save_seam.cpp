// The save manager's part of the new-game form, as the game installs it:
// the birthday check and the look for an existing save.
#include <gtest/gtest.h>

#include "app/links.h"
#include "roles/save_mgr.h"
#include "app/game_main.h"
#include "app/sequences.h"
#include "platform/debug.h"
#include "roles/role_hooks.h"
#include "roles/save/record_link.h"
#include "world/objects/game_obj.h"
#include "world/scene/scene_hooks.h"
#include "core/directories.h"
#include "host/game_host.h"
#include "platform/msgbox.h"
#include "support/test_env.h"

namespace save_seam {

class SaveSeamTest : public vtest::TempDirTest {};

TEST_F(SaveSeamTest, BirthdaysAreCheckedByMonthLengthWithTheTwentyNinthOfFebruaryAlways) {
    const struct {
        int month, day, ok;
    } cases[] = {{2, 29, 1}, {2, 30, 0}, {4, 31, 0}, {4, 30, 1}, {12, 31, 1}, {1, 31, 1}, {13, 1, 0},
                 {0, 5, 0},  {3, 0, 0},  {6, 31, 0}, {7, 32, 0}, {2147483647, 1, 0}};
    for (const auto& c : cases) {
        g_SaveMgr.m_BirthMonth = 1;
        g_SaveMgr.m_BirthDay = 1;
        EXPECT_EQ(SaveSetMonthDay(c.month, c.day), c.ok) << c.month << "/" << c.day;
        // A refused date leaves the stored one alone.
        EXPECT_EQ(g_SaveMgr.m_BirthMonth, c.ok ? c.month : 1);
        EXPECT_EQ(g_SaveMgr.m_BirthDay, c.ok ? c.day : 1);
    }
}

TEST_F(SaveSeamTest, ASaveExistsByItsSummaryFile) {
    ASSERT_EQ(setenv("VANTREL_HOME", Dir().c_str(), 1), 0);
    SetProgramDirectory(0);
    WriteFile(Dir() + "Save/hero.sav", "x");
    EXPECT_EQ(SaveGameExists("hero"), 1);
    EXPECT_EQ(SaveGameExists("HERO"), 1) << "names match without regard to letter case";
    EXPECT_EQ(SaveGameExists("other"), 0);
    SaveSetNewGame("\xD6\xD0", 2);
    EXPECT_EQ(g_SaveMgr.m_SaveName, "\xD6\xD0");
    EXPECT_EQ(g_SaveMgr.m_Difficulty, 2);
    unsetenv("VANTREL_HOME");
    SetProgramDirectory(0);
}

TEST_F(SaveSeamTest, AFailedLoadShowsItsReasonAndGoesBackToTheTitle) {
    ASSERT_EQ(setenv("VANTREL_HOME", Dir().c_str(), 1), 0);
    SetProgramDirectory(0);
    const std::string dir = g_SaveMgr.m_SaveDir;
    g_SaveMgr.m_SaveDir.clear();
    const std::string name = g_SaveMgr.m_SaveName;
    g_SaveMgr.m_SaveName = "keep";
    plat::ClearRecordedMessageBoxes();
    g_GameMain.m_ReqState = GS_INGAME;
    EXPECT_EQ(LoadSavedGame("gone"), 0);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "Save\\gone.sav: cannot be read");
    EXPECT_EQ(g_GameMain.m_ReqState, GS_TITLE);
    EXPECT_EQ(g_SaveMgr.m_SaveName, "keep");
    EXPECT_EQ(g_GameHost.m_Running, 0) << "no game started";
    // Names that would leave the save folder are not taken for a new game.
    SaveSetNewGame("..\\x", 2);
    EXPECT_EQ(g_SaveMgr.m_SaveName, "keep");
    EXPECT_EQ(SaveGameExists("..\\Save\\gone"), 0);
    g_SaveMgr.m_SaveName = name;
    g_SaveMgr.m_SaveDir = dir;
    unsetenv("VANTREL_HOME");
    SetProgramDirectory(0);
}

TEST_F(SaveSeamTest, WithoutARunningGameThereIsNothingToSave) {
    EXPECT_EQ(g_SaveRunningGame(), -1);
    EXPECT_EQ(RunningPlayerRole(), nullptr);
}

TEST_F(SaveSeamTest, ASceneSaveThatFailsIsToldToThePlayerAsANotice) {
    const CSaveRecordOps ops = g_SaveRecordOps;
    const CSceneHooks scene = g_SceneHooks;
    const CRoleHooks roleHooks = g_RoleHooks;
    const std::string dir = g_SaveMgr.m_SaveDir, name = g_SaveMgr.m_SaveName;
    InstallSceneHooks();
    static int s_Record;
    g_SceneHooks.getRecord = [](int32_t) { return reinterpret_cast<CRoleData*>(&s_Record); };
    g_SaveRecordOps.saveRole = [](CRoleData*, FILE*) { return 0; };
    g_SaveRecordOps.loadRole = [](CRoleData*, FILE*) { return 0; };
    g_SaveMgr.m_SaveDir = Dir() + "Save\\";
    g_SaveMgr.m_SaveName = "hero";
    g_SaveMgr.m_Slot = 0;
    CGameObj role;
    role.m_DataId = 1;
    plat::ClearDebugCapture();
    EXPECT_EQ(g_SceneHooks.saveGame(&role), 0);
    bool told = false;
    for (const std::string& l : plat::DebugCaptured())
        told |= l.find("notice: Save failed: Save\\hero.001: the record was not written") != std::string::npos;
    EXPECT_TRUE(told);
    EXPECT_STREQ(g_SceneHooks.getSaveName(), "hero");
    g_SaveRecordOps = ops;
    g_SceneHooks = scene;
    g_RoleHooks = roleHooks;
    g_SaveMgr.m_SaveDir = dir;
    g_SaveMgr.m_SaveName = name;
}

} // namespace save_seam
