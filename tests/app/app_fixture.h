#pragma once
// A fresh game object on a fake clock, in a scratch program folder.
#include <new>
#include <string>

#include "app/game_app.h"
#include "app/game_main.h"
#include "app/links.h"
#include "app/screen.h"
#include "app/sequences.h"
#include "core/directories.h"
#include "core/frame_globals.h"
#include "core/key_state.h"
#include "core/log.h"
#include "datagen/demo_ui.h"
#include "gfx/effect3d.h"
#include "host/game_host.h"
#include "platform/display.h"
#include "platform/fs.h"
#include "platform/input.h"
#include "platform/window.h"
#include "sound/media_mng.h"
#include "support/test_env.h"
#include "ui/jm_mng.h"

// The next `count` display-mode changes fail as an unsupported mode (0:
// clears every forced display result).
inline void DisplayForceModeFailures(int count) {
    if (count > 0) plat::ForceDisplayResult(plat::DisplayOp::SetDisplayMode, plat::DDERR_UNSUPPORTEDMODE, count);
    else plat::ClearDisplayFaults();
}

class GameMainTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        // Paths are built from the program folder: point it at this test's
        // folder, whatever an earlier test left there.
        SetProgramDirectory(0);
        clock_ = std::make_unique<vtest::FakeClockScope>(100000);
        g_AppClock.Reset();
        g_GameMain.~CGameMain();
        new (&g_GameMain) CGameMain();
        g_AppActive = 1;
        g_FrameDirty = 1;
        g_LButtonHeld = 0;
        g_KeyState = CKeyState{};
        g_MouseRecord = CMouseRecord{};
        g_GameHost = CGameHost{};
        g_MediaMng.Release();
        g_IntroMoviePending = 0;
        plat::ResetInput();
        plat::UseHeadlessBackend();
        plat::ClearMessageQueue();
        DisplayForceModeFailures(0);
        plat::SetDisplayPresenter(nullptr);
        g_Screen.m_pDisplay = nullptr;
        g_Screen.m_Presents = 0;
        // Every start reads the panel tables.
        ASSERT_TRUE(datagen::WriteDemoUiTables(Dir()));
    }
    void TearDown() override {
        g_JMMng.ClearUp();
        // The game keeps the screen's handler linked until exit; a test must
        // not leave later tests' messages reaching it.
        g_Screen.Deactivate();
        plat::ClearMessageQueue();
        DisplayForceModeFailures(0);
        plat::SetDisplayPresenter(nullptr);
        // Nothing of the display outlives the test.
        g_Effect3D.Shutdown();
        if (g_GameMain.m_pDisplay) DisplayDelete(&g_GameMain.m_pDisplay);
        g_SaveRunningGame = savedSave_;
        clock_.reset();
        vtest::TempDirTest::TearDown();
    }
    // The game object standing in a state with the display set, as after
    // start-up.
    void StandIn(int state) {
        g_GameMain.m_CurState = g_GameMain.m_ReqState = state;
        g_GameMain.m_CurDisplayMode = g_GameMain.m_ReqDisplayMode = DM_640;
        g_GameMain.m_ScreenWidth = 640;
        g_GameMain.m_ScreenHeight = 480;
    }
    plat::FakeClock& Clock() { return **clock_; }
    std::string Log() { return ReadFile(Dir() + "BugLog.ini"); }
    static int Count(const std::string& text, const std::string& what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }

    std::unique_ptr<vtest::FakeClockScope> clock_;
    int (*savedSave_)() = g_SaveRunningGame;
};
