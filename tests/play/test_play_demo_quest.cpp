// The demo's quest step in the real executable, headless: a new game from
// the title runs two minutes of game time while the guard by the pond kills
// the wolves; the script's notices reach the debugger output, the arrival
// and the window's close save the game. Then, in-process, that save is
// loaded as the game object loads one: the flag and the reward are back and
// the scene welcomes the hero back.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "datagen/demo_fighters.h"
#include "datagen/demo_title.h"
#include "play/play_timeline.h"
#include "platform/text.h"
#include "roles/record/role_data.h"
#include "roles/role_hooks.h"
#include "roles/save/save_format.h"
#include "roles/save_mgr.h"
#include "scenario/scenario.h"
#include "support/image_check.h"
#include "support/play.h"
#include "support/test_env.h"
#include "world/scene/scene_hooks.h"

namespace play_demo_quest {

namespace fs = std::filesystem;

constexpr char kName[] = "Rider";

using playtl::At;
using playtl::Click;

// The notice line as the debugger output has it (GBK), and as stderr shows
// it (UTF-8).
std::string Notice(int textRow) {
    return std::string(kRoleNoticePrefix) + datagen::kDemoQuestTexts[textRow - datagen::kDemoQuestText] + "\n";
}
std::string NoticeOnStderr(int textRow) { return plat::GbkToUtf8(Notice(textRow)); }

class DemoQuestPlay : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        std::string error;
        ASSERT_TRUE(vtest::WriteDemoFolder(Dir(), &error)) << error;
    }
    std::string SaveFile(const std::string& ext) { return Dir() + "Save/" + kName + ext; }
};

TEST_F(DemoQuestPlay, ANewGameRunsTheFightAndQuestSavesOnCloseAndTheSaveLoadsBack) {
    // Title, the second class (30), the name typed over the default, start; two
    // minutes of game time; the window's close.
    std::string t = "step 5\nlimit 600000\n";
    t += Click(2000, datagen::kDemoTitleButtonX + datagen::kDemoTitleButtonW / 2, playtl::TitleButtonY(31));
    t += Click(2800, datagen::DemoPortraitX(1) + 48, datagen::kDemoPortraitY + 64);
    t += At(3300, "text \\x08\\x08\\x08\\x08") + At(3400, std::string("text ") + kName);
    t += Click(3700, datagen::kDemoStartButton[0] + 40, datagen::kDemoStartButton[1] + 12);
    t += At(3700 + 120000, "close");
    const auto began = std::chrono::steady_clock::now();
    const vtest::GameRun run = vtest::RunGame(VANTREL_EXE, Dir(), t);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    EXPECT_LT(seconds, 60.0);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(vtest::LinesInOrder(run.err, {"host new character class 30\n", NoticeOnStderr(301), NoticeOnStderr(302)}))
        << run.err;
    EXPECT_EQ(run.err.find(NoticeOnStderr(303)), std::string::npos);
    EXPECT_EQ(run.log.find("Save on close failed."), std::string::npos) << run.log;

    // The summary and the slots written (arrival, then close), each whole.
    std::vector<std::pair<fs::file_time_type, int>> slots;
    for (int slot = 0; slot < 4; ++slot) {
        const std::string path = SaveFile(".00" + std::to_string(slot));
        if (!fs::exists(path)) continue;
        slots.push_back({fs::last_write_time(path), slot});
        std::string_view layout;
        std::string reason;
        const std::string bytes = vtest::ReadWholeFile(path);
        EXPECT_TRUE(savefmt::SplitLayout(bytes, &layout, &reason)) << path << ": " << reason;
        EXPECT_EQ(bytes.substr(bytes.size() - savefmt::kTrailerSize, 4), "VTSV") << path;
    }
    ASSERT_GE(slots.size(), 2u) << "the arrival and the close";
    std::string_view layout;
    std::string reason;
    const std::string summary = vtest::ReadWholeFile(SaveFile(".sav"));
    ASSERT_TRUE(savefmt::SplitLayout(summary, &layout, &reason)) << reason;
    CSaveMgr read;
    ASSERT_EQ(read.ReadSummary(SaveFile(".sav")), 1) << read.LastError();
    EXPECT_EQ(read.m_Slot, std::max_element(slots.begin(), slots.end())->second) << "the summary names the newest slot";

    // In-process: the save loaded through the game object's save to load.
    scenario::CScenario game;
    ASSERT_TRUE(game.StartSaved(Dir(), kName));
    game.Tick(2);
    CRoleData* record = g_SceneHooks.getRecord(g_SceneHooks.getPlayerDataId());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->GetFlag(datagen::kDemoQuestFlag), 1);
    EXPECT_GE(record->FindItemById(datagen::kDemoRewardProp), 0);
    const std::vector<std::string> notices = game.DebugLines(kRoleNoticePrefix);
    EXPECT_NE(std::find(notices.begin(), notices.end(), Notice(303)), notices.end());
    EXPECT_EQ(std::find(notices.begin(), notices.end(), Notice(301)), notices.end());
    game.Reset();
}

} // namespace play_demo_quest
