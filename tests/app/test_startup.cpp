// Start-up loading, the start-up configuration and shutdown, on the demo
// data set.
#include <gtest/gtest.h>

#include <string>

#include "app/startup_config.h"
#include "app_fixture.h"
#include "platform/audio.h"
#include "core/directories.h"
#include "core/txt_table.h"
#include "datagen/demo_data.h"
#include "datagen/ini_writer.h"
#include "datagen/table_writer.h"
#include "platform/fs.h"
#include "platform/msgbox.h"

namespace {

CTxtTable* const kStartupTables[] = {&g_TextTable,        &g_PropGemFuncTable,  &g_PlayerInitTable,
                                     &g_PlayerSkillTable, &g_ScnInfoMdl,        &g_ScnSoundMdl,
                                     &g_PropMdlTable,     &g_RandPropTable,     &g_ActMdlTable,
                                     &g_RolePrivateTable, &g_TriggerQuestTable, &g_RoleQuestTable};

class StartupTest : public GameMainTest {
protected:
    void SetUp() override {
        GameMainTest::SetUp();
        SetProgramDirectory(0);
        for (CTxtTable* t : kStartupTables) t->Clear();
        ResetStartupConfig();
        plat::ClearRecordedMessageBoxes();
        // The silent mixer device, so start-up does not depend on the
        // machine's sound hardware.
        plat::SetAudioDeviceFactory([] { return std::make_unique<plat::NullAudioDevice>(); });
    }
    void TearDown() override {
        plat::SetAudioDeviceFactory({});
        g_GameHost.Shutdown();
        for (CTxtTable* t : kStartupTables) t->Clear();
        ResetStartupConfig();
        plat::ClearRecordedMessageBoxes();
        GameMainTest::TearDown();
    }
    void WriteDemo(const std::string& dx = "8.1") {
        datagen::DemoOptions o;
        o.dxVersion = dx;
        o.music = false;
        std::string error;
        ASSERT_TRUE(datagen::WriteDemoDataSet(Dir(), o, &error)) << error;
    }
    void WriteCaps(const datagen::KeyValues& kv) { ASSERT_TRUE(datagen::WriteIni(Dir() + "DisplayCapability.INI", kv, false)); }
    static std::vector<std::string> Boxes() {
        std::vector<std::string> v;
        for (const auto& b : plat::RecordedMessageBoxes()) v.push_back(b.text);
        return v;
    }
};

TEST_F(StartupTest, NormalStartLogsEveryTimedLabelInOrder) {
    WriteDemo();
    EXPECT_EQ(g_GameMain.StartApp(), 2);
    EXPECT_TRUE(Boxes().empty());
    const std::string log = Log();
    const char* labels[] = {"  Set DirectDraw SetDisplayEnd\n", "  Init CombineLibEnd\n", "  SoundInitEnd\n",
                            "  MdlInitEnd\n", "  Slr Init End\n", "  3DEffect Init End\n", "Begin InitJM()\n",
                            "End InitJM()\n", "  StartAppEnd()\n"};
    size_t at = 0;
    for (const char* label : labels) {
        const size_t found = log.find(label, at);
        ASSERT_NE(found, std::string::npos) << "missing in order: " << label << log;
        if (label[0] == ' ') {
            // "%d%s": the milliseconds stand right in front of the label.
            ASSERT_GT(found, 0u);
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(log[found - 1]))) << label;
        }
        at = found + 1;
    }
    EXPECT_EQ(log.find("\t\tSoundInit Fail\n"), std::string::npos);
    EXPECT_EQ(g_GameMain.m_CurDisplayMode, DM_640);
    // Tables, with "PropMdl.txt" read into its own table as well.
    EXPECT_NE(g_TextTable.GetRow(datagen::kDemoTextOldDirectXRow), nullptr);
    // Eight items, and spare rows so the reward's id 40 fits the index.
    EXPECT_EQ(g_PropMdlTable.GetRowCount(), 21);
    EXPECT_EQ(g_PlayerInitTable.GetRowCount(), 5);  // the five classes
    EXPECT_EQ(g_RoleQuestTable.GetRowCount(), 1);
    EXPECT_EQ(g_RoleEffectFile.GetRowCount(), 2);
    EXPECT_EQ(g_MarkerAnims[0].m_Id, 144u);
    EXPECT_EQ(g_MarkerAnims[1].m_Id, 145u);
    EXPECT_TRUE(g_MarkerAnims[0].IsBound());
    EXPECT_TRUE(g_MarkerAnims[1].IsBound());

    g_GameMain.Shutdown();
    const std::string after = Log();
    const size_t mem = after.find("   AllLib Mem(K)\n");
    ASSERT_NE(mem, std::string::npos);
    EXPECT_LT(mem, after.find("  Other.ClearUp\n"));
    EXPECT_FALSE(g_MarkerAnims[0].IsBound()) << "released";
    EXPECT_FALSE(g_MarkerAnims[1].IsBound()) << "released";
}

TEST_F(StartupTest, SoundFailureIsLoggedAndNotFatal) {
    WriteDemo();
    // No audio device at all: the game goes on without sound.
    plat::SetAudioDeviceFactory([]() -> std::unique_ptr<plat::AudioDevice> { return nullptr; });
    EXPECT_EQ(g_GameMain.StartApp(), 2);
    EXPECT_NE(Log().find("SY\\\t\tSoundInit Fail\n"), std::string::npos) << Log();
    EXPECT_NE(Log().find("  StartAppEnd()\n"), std::string::npos);
}

TEST_F(StartupTest, DirectXVersionDecidesTheWarningAndTheStart) {
    struct Case {
        const char* version;
        bool box;
        int result;
    } cases[] = {{"8.1", false, 2}, {"8.0", true, 2}, {"7.0", true, 0}, {"9.0", false, 2}, {"7.9", true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        for (CTxtTable* t : kStartupTables) t->Clear();
        plat::ClearRecordedMessageBoxes();
        plat::DeleteFile(Dir() + "BugLog.ini");
        WriteDemo(c.version);
        g_GameMain.m_ErrorCode = 0;
        EXPECT_EQ(g_GameMain.StartApp(), c.result);
        // A refused machine ends the program as a failure.
        EXPECT_EQ(g_GameMain.m_ErrorCode, c.result == 0 ? 2 : 0);
        if (c.box) {
            ASSERT_EQ(Boxes().size(), 1u);
            EXPECT_EQ(Boxes()[0], datagen::kDemoOldDirectXText);
        } else {
            EXPECT_TRUE(Boxes().empty());
        }
        if (c.result == 0) {
            // Nothing after the configuration was loaded.
            EXPECT_EQ(Log().find("SetDisplayEnd"), std::string::npos);
            EXPECT_EQ(g_PropMdlTable.GetRowCount(), 0);
            g_GameMain.Shutdown();  // safe over the empty tables
            EXPECT_NE(Log().find("  Other.ClearUp\n"), std::string::npos);
        }
    }
}

TEST_F(StartupTest, MissingFilesShowTheirPathAndTheStartGoesOn) {
    WriteDemo("");  // no capability file
    plat::DeleteFile(Dir() + "tamiro.ini");
    plat::DeleteFile(Dir() + "mb/define.ini");
    g_GameMain.m_ZoomCap = 1;
    EXPECT_EQ(LoadStartupConfig(), 1);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], std::string(GetProgramDirectory()) + "tamiro.ini");
    EXPECT_EQ(boxes[1], std::string(GetProgramDirectory()) + "DisplayCapability.INI");
    // The caption says what the path is about.
    for (const auto& b : plat::RecordedMessageBoxes()) EXPECT_EQ(b.caption, plat::kCannotOpenCaption);
    EXPECT_EQ(g_GameMain.m_ZoomCap, 1) << "unchanged without the file";
    EXPECT_EQ(g_PoisonRate, 90);
    EXPECT_EQ(g_FireRate, 60);
}

// A data table missing from a folder that has the game's data: its box
// names the file and says it did not open; the start goes on.
TEST_F(StartupTest, AMissingTableIsNamedAsNotOpenedAndTheStartGoesOn) {
    WriteDemo();
    plat::DeleteFile(Dir() + "mb/ScnInfo.txt");
    g_GameMain.m_ErrorCode = 0;
    EXPECT_EQ(g_GameMain.StartApp(), 2);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, std::string(GetMbDirectory()) + "ScnInfo.txt");
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].caption, plat::kCannotOpenCaption);
    EXPECT_EQ(g_GameMain.m_ErrorCode, 0);
}

// Without "mb\Text.txt" and the panel table the folder holds no game: one
// box says so, nothing is loaded and the program is to end with 2.
TEST_F(StartupTest, AFolderWithoutTheTextAndPanelTablesIsOneBoxAndAFailure) {
    WriteDemo();
    plat::DeleteFile(Dir() + "mb/Text.txt");
    plat::DeleteFile(Dir() + "mb/JMMDL.txt");
    g_GameMain.m_ErrorCode = 0;
    EXPECT_EQ(g_GameMain.StartApp(), 0);
    EXPECT_EQ(g_GameMain.m_ErrorCode, 2);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].rfind("No game data in " + plat::ProgramDirNative(), 0), 0u) << Boxes()[0];
    EXPECT_EQ(Log().find("SetDisplayEnd"), std::string::npos);
    g_GameMain.m_ErrorCode = 0;
}

// A capability file without a readable DXVersion used to refuse the machine
// on the default version.
TEST_F(StartupTest, UnreadableVersionSkipsTheVersionCheck) {
    WriteDemo();
    const datagen::KeyValues noVersion = {{"3dFunc", "1"}, {"VedioMemory", "0"}, {"ZoomCap", "1"}, {"AlphaCap", "1"}};
    const datagen::KeyValues outOfOrder = {
        {"3dFunc", "1"}, {"VedioMemory", "0"}, {"ZoomCap", "1"}, {"DXVersion", "7.0"}, {"AlphaCap", "1"}};
    for (const auto& kv : {noVersion, outOfOrder}) {
        plat::ClearRecordedMessageBoxes();
        WriteCaps(kv);
        EXPECT_EQ(LoadStartupConfig(), 1);
        EXPECT_TRUE(Boxes().empty());
    }
    // Out of order: the search for AlphaCap passed DXVersion, so the
    // version is what cannot be read; the keys before it still count.
    EXPECT_EQ(g_CapAlpha, 1);
    EXPECT_EQ(g_AlphaMode, 1);
    EXPECT_EQ(g_CapDXVersion, 0.0f);
}

TEST_F(StartupTest, ConfigurationValues) {
    WriteDemo();
    ASSERT_TRUE(datagen::WriteIni(Dir() + "tamiro.ini", {{"BeginScn", "7"}, {"Version", "1.5"}}, false));
    ASSERT_TRUE(datagen::WriteIni(Dir() + "mb/define.ini",
                                  {{"PoisonRate", "11"}, {"MaxIceDp", "1"}, {"MaxFireDp", "2"}, {"MaxPoisonDp", "3"},
                                   {"FireRate", "12"}},
                                  false));
    WriteCaps({{"3dFunc", "1"}, {"VedioMemory", "64"}, {"ZoomCap", "0"}, {"AlphaCap", "0"}, {"DXVersion", "8.1"}});
    EXPECT_EQ(LoadStartupConfig(), 1);
    EXPECT_EQ(g_GameVersion, 2.0f) << "whatever the file says";
    EXPECT_EQ(g_BeginScene, 7);
    EXPECT_EQ(g_MaxIceDp, 1);
    EXPECT_EQ(g_MaxFireDp, 2);
    EXPECT_EQ(g_MaxPoisonDp, 3);
    EXPECT_EQ(g_PoisonRate, 90) << "PoisonRate before MaxIceDp was passed over";
    EXPECT_EQ(g_FireRate, 60);
    EXPECT_EQ(g_AlphaMode, 0) << "3dFunc without AlphaCap";
    EXPECT_EQ(g_GameMain.m_ZoomCap, 0);
    EXPECT_EQ(g_CapVideoMemory, 64);

    WriteCaps({{"3dFunc", "1"}, {"VedioMemory", "0"}, {"ZoomCap", "1"}, {"AlphaCap", "1"}, {"DXVersion", "8.1"}});
    LoadStartupConfig();
    EXPECT_EQ(g_AlphaMode, 1);
    EXPECT_EQ(g_GameMain.m_ZoomCap, 1);
}

TEST_F(StartupTest, StartSceneSurvivesOnlyInDeveloperMode) {
    WriteDemo();
    ASSERT_TRUE(datagen::WriteIni(Dir() + "tamiro.ini", {{"BeginScn", "7"}, {"Version", "1"}}, false));
    LoadStartupConfig();
    InitGameResources();
    EXPECT_EQ(g_BeginScene, 0);
    g_GameMain.m_DevMode = 1;
    LoadStartupConfig();
    InitGameResources();
    EXPECT_EQ(g_BeginScene, 7);
    ReleaseGameResources();
}

// "PropGemFunc.txt" is handed -1 header rows; the table reads that as none,
// so the first row is data and nothing is read before the rows.
TEST_F(StartupTest, PropGemFuncKeepsItsFirstRow) {
    WriteDemo();
    EXPECT_EQ(kPropGemFuncHeaderRows, -1);
    ASSERT_EQ(g_GameMain.StartApp(), 2);
    ASSERT_EQ(g_PropGemFuncTable.GetRowCount(), 2);
    ASSERT_NE(g_PropGemFuncTable.GetRowAt(0), nullptr);
    EXPECT_STREQ(g_PropGemFuncTable.GetRowAt(0)->GetString(1), "Gem1");
    EXPECT_EQ(g_PropGemFuncTable.GetRow(1), nullptr) << "no key index";
}

} // namespace
