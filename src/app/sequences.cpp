// Start-up loading, shutdown and the UI-screen sequences.
// PLACEHOLDER in part: start-up loads nothing yet (no tables, libraries,
// sound or panels to load) and shutdown releases only what exists; the
// steps are kept in their order so the later work fills them in place.
#include "app/sequences.h"

#include <memory>
#include <string>

#include "app/game_main.h"
#include "app/links.h"
#include "app/screen.h"
#include "client/gesture_input.h"
#include "core/directories.h"
#include "core/log.h"
#include "gfx/mouse_cursor.h"
#include "host/game_host.h"
#include "platform/window.h"
#include "sound/media_mng.h"
#include "ui/jm_mng.h"

int g_IntroMoviePending = 1;

namespace {
std::unique_ptr<CLogTimer> g_LoadStepTimer;
std::unique_ptr<CLogTimer> g_LoadTotalTimer;
} // namespace

void LogLoading(int progress, const char* name1, const char* name2) {
    if (progress == 0) {
        g_LoadStepTimer = std::make_unique<CLogTimer>();
        g_LoadTotalTimer = std::make_unique<CLogTimer>();
        g_LoadStepTimer->LogElapsed("\t\tBeginLoading\n");
        return;
    }
    if (!g_LoadStepTimer || !g_LoadTotalTimer) return;
    if (progress == 100) {
        g_LoadStepTimer->LogElapsed("\t\tEndLoading\n");
        g_LoadTotalTimer->LogElapsed("\t\tAllLoadingTime\n");
        g_LoadStepTimer.reset();
        g_LoadTotalTimer.reset();
        return;
    }
    std::string line = "\t\t";
    if (name1) line += name1;
    if (name2) {
        line += "  ";
        line += name2;
    }
    line += "\n";
    g_LoadStepTimer->LogElapsed(line.c_str());
}

int CGameMain::StartApp() {
    CLogTimer timer;
    m_ReqDisplayMode = DM_640;
    // A failure leaves the current mode unchanged, so the next Step finds
    // the request still pending and ends the program in order.
    SetDisplayMode(DM_640, 0);
    timer.LogElapsed("  Set DirectDraw SetDisplayEnd\n");
    g_Screen.Init();
    InitJM();
    timer.LogElapsed("  StartAppEnd()\n");
    g_MediaMng.Init(plat::GetMainWindow(), plat::GetMainWindow());
    return 2;
}

void CGameMain::Shutdown() {
    CLogTimer timer;
    g_JMMng.ClearUp();
    g_JMMng.ClearUp();
    g_GameHost.Shutdown();
    g_MouseCursor.Clear();
    timer.LogElapsed("  Other.ClearUp\n");
    if (m_pDisplay) {
        DisplayRestoreDesktop(m_pDisplay);
        DisplayDelete(&m_pDisplay);
    }
}

void InitJM() {
    WriteLog(kLogFile, "Begin InitJM()\n");
    g_JMMng.CreatePanels();
    WriteLog(kLogFile, "End InitJM()\n");
}

void JM_BeginOut() {
    g_MouseCursor.SetAttached(nullptr);
    if (g_MouseCursor.m_Shape < 2) {
        g_MouseCursor.m_Frame = 0;
        g_MouseCursor.m_Shape = 1;
    }
    g_GameMain.m_ReqDisplayMode = DM_640;
    g_GestureInput.SetFreeDraw(1);
    if (g_IntroMoviePending) {
        const std::string path = std::string(GetProgramDirectory()) + "\\dhp\\begin.dhp";
        g_GameMain.PlayMovie(path.c_str());
        g_IntroMoviePending = 0;
        WriteLog(kLogFile, "LogAVI\n");
        return;
    }
    WriteLog(kLogFile, "Begin JM_BeginOut()\n");
    g_GameMain.PlayMusic("25_HERO", 1);
    g_JMMng.ShowAll(0);
    if (g_JMVersionPanel) g_JMVersionPanel->Show(1, 0);
    g_GameHost.Shutdown();
    WriteLog(kLogFile, "End JM_BeginOut()\n");
}

void JM_EndOut() {
    g_JMMng.ShowAll(-1);
    WriteLog(kLogFile, "End JM_EndOut()\n");
}

void JM_BeginIn() {
    WriteLog(kLogFile, "End JM_BeginIn()\n");
    g_GestureInput.SetFreeDraw(0);
}

void JM_EndIn() { WriteLog(kLogFile, "End JM_EndIn()\n"); }

void JM_BeginDead() { WriteLog(kLogFile, "End JM_BeginDead()\n"); }

void JM_EndDead() { WriteLog(kLogFile, "End JM_EndDead()\n"); }
