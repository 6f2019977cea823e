#include "app/game_main.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/links.h"
#include "app/overlay.h"
#include "app/screen.h"
#include "app/sequences.h"
#include "client/gesture_input.h"
#include "client/player_control.h"
#include "core/directories.h"
#include "core/frame_globals.h"
#include "core/key_state.h"
#include "core/log.h"
#include "core/msg_lists.h"
#include "core/msg_dispatcher.h"
#include "gfx/mouse_cursor.h"
#include "gfx/surface.h"
#include "host/game_host.h"
#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/window.h"
#include "sound/media_mng.h"
#include "ui/jm_mng.h"

CGameMain g_GameMain;
CMouseRecord g_MouseRecord;

int32_t FrameClockNow() { return static_cast<int32_t>(plat::TimeGetTime() - g_AppClock.m_BaseMs); }

namespace {
constexpr float kZoomMax = 0.15f;
constexpr float kZoomStep = 0.015f;

float ClampZoom(float z) {
    if (z < 0.0f) return 0.0f;
    if (z > kZoomMax) return kZoomMax;
    return z;
}
} // namespace

CGameMain::CGameMain() {
    // Far from the catch-up counter, so no pass before the first map build
    // uses the short limit.
    m_MapBuiltMark = INT32_MIN;
}

CGameMain::~CGameMain() {
    // Still set only when the program ends without Shutdown (tools). The
    // screen is another static and may be gone by now: the display is let
    // go without DisplayDelete, which would look at it.
    delete m_pDisplay;
    m_pDisplay = nullptr;
}

// ---------------------------------------------------------------- states

int CGameMain::Step() {
    if (m_Finished) return 0;
    if (m_ReqDisplayMode != m_CurDisplayMode) {
        if (!SetDisplayMode(m_ReqDisplayMode, 0)) {
            Shutdown();
            std::snprintf(m_ErrorText, sizeof m_ErrorText, "%s", "Set display mode error.");
            m_ErrorCode = 3;
            WriteLog(kLogFile, "Set display mode error.\n");
            m_Finished = 1;
            return 0;
        }
    }
    if (m_ReqState != m_CurState) {
        ChangeState(m_ReqState);
        return 1;
    }
    g_MsgDispatcher.DispatchQueued();
    switch (m_CurState) {
    case GS_STARTUP:
        m_ReqState = StartApp() == 2 ? GS_TITLE : GS_SHUTDOWN;
        return 1;
    case GS_RUNNING:
    case GS_TITLE:
    case GS_INGAME:
    case GS_DEAD:
        TickAndDraw();
        return 1;
    case GS_SHUTDOWN:
        Shutdown();
        m_Finished = 1;
        return 0;
    case GS_MOVIE:
        MovieStep();
        return 1;
    default:
        return 1;
    }
}

uint32_t CGameMain::MsUntilDue() {
    if (m_Finished || m_ReqState != m_CurState || m_ReqDisplayMode != m_CurDisplayMode) return 0;
    switch (m_CurState) {
    case GS_RUNNING:
    case GS_TITLE:
    case GS_INGAME:
    case GS_DEAD: {
        if (!m_LogicTimeSet || g_TickMs <= 0) return 0;
        const int64_t left = static_cast<int64_t>(m_LogicTimeDone) + g_TickMs - FrameClockNow();
        if (left <= 0) return 0;
        return static_cast<uint32_t>(left > g_TickMs ? g_TickMs : left);
    }
    case GS_MOVIE:
        // Video frames come from the media pump, whose next frame time the
        // loop does not know: short waits keep them on time.
        return 5;
    default:
        return 0;
    }
}

void CGameMain::ChangeState(int newState) {
    LeaveState(m_CurState, newState);
    m_CurState = newState;
    EnterState(newState);
}

void CGameMain::LeaveState(int state, int newState) {
    switch (state) {
    case GS_TITLE:
        JM_EndOut();
        break;
    case GS_INGAME:
        // A movie played from the game comes back to it: keep the game.
        if (newState == GS_MOVIE) break;
        JM_EndIn();
        AfterStrategy();
        WriteLog(kLogFile, "AfterStrategy()  End\n");
        break;
    case GS_DEAD:
        JM_EndDead();
        break;
    case GS_MOVIE:
        StopMovie();
        break;
    default:
        break;
    }
}

void CGameMain::EnterState(int state) {
    switch (state) {
    case GS_TITLE:
        JM_BeginOut();
        break;
    case GS_INGAME:
        // Nothing of an earlier game may reach the new one. One thread,
        // and no drain runs here, so the lock is not taken.
        g_ServerCmdList.RemoveAll();
        g_ClientMsgList.RemoveAll();
        JM_BeginIn();
        WriteLog(kLogFile, "BeforeStrategy() Begin\n");
        BeforeStrategy();
        WriteLog(kLogFile, "BeforeStrategy() End\n");
        break;
    case GS_DEAD:
        JM_BeginDead();
        break;
    default:
        break;
    }
}

void CGameMain::BeforeStrategy() {
    m_ReqDisplayMode = m_InGameDisplayMode;
    // On failure the request stays pending and the next Step ends the
    // program in order.
    SetDisplayMode(m_InGameDisplayMode, 0);
    if (!m_SaveName.empty()) LoadSavedGame(m_SaveName);
    else g_GameHost.Start(nullptr);
}

// The server stays until the title screen shuts the host down.
void CGameMain::AfterStrategy() { g_GameHost.DestroyClient(); }

// ------------------------------------------------------------ frame loop

int CGameMain::GetCatchUpLimit() {
    m_CatchUpCalls = static_cast<int32_t>(static_cast<uint32_t>(m_CatchUpCalls) + 1u);
    const int64_t d = static_cast<int64_t>(m_MapBuiltMark) - m_CatchUpCalls;
    return (d >= -20 && d <= 20) ? 200 : 1500;
}

int CGameMain::TickAndDraw() {
    const int32_t now = FrameClockNow();
    if (!m_LogicTimeSet) {
        m_LogicTimeDone = now;
        m_LogicTimeSet = 1;
    }
    int32_t lag = now - m_LogicTimeDone;
    const int limit = GetCatchUpLimit();
    if (std::abs(static_cast<int64_t>(lag)) > limit) {
        m_LogicTimeDone = now;
        g_FrameDirty = 0;
        return 0;
    }
    if (!g_AppActive) m_FrameCapture = 0;
    else if (m_pDisplay && DisplayIsPrimaryLost(m_pDisplay)) SetDisplayMode(m_CurDisplayMode, 1);

    while (lag >= g_TickMs) {
        RunLogicTick();
        m_LogicTimeDone += g_TickMs;
        lag = now - m_LogicTimeDone;
        g_FrameDirty = 1;
        if (m_FrameCapture) break;
    }

    if (g_FrameDirty != 1 || !g_AppActive) return 1;
    if (!StepLoadingWindow()) return 1;
    if (m_CurState == GS_INGAME) {
        DrawGame();
        if (m_ZoomCap && m_Zoom != 0.0f) DisplayZoomBlit(m_pDisplay, m_Zoom);
    }
    if (IsClientInactive()) return 1;
    if (m_FrameCapture) TakeScreenshot(800, 600);
    DrawUi();
    ++m_FramesDrawn;
    if (g_Screen.m_pDisplay) {
        DrawGestureTrail(g_Screen.m_pDisplay);
        g_MouseCursor.Draw(g_Screen.m_pDisplay);
        DrawDevOverlay(g_Screen.m_pDisplay);
        g_Screen.Present(plat::GetMainWindow());
    }
    return 1;
}

void CGameMain::RunLogicTick() {
    ++m_TickCount;
    if (!g_AppActive) return;
    g_MediaMng.FadeStep();
    PollGestureInput();
    UpdateUi();
    m_Transition.Step();
    if (m_EffectCountdown > 0) {
        --m_EffectCountdown;
        if (m_EffectCountdown == 0) {
            RunSceneBlackTriggers();
            m_Transition.Start(1, m_pDisplay);
        }
    } else {
        ProcessInput();
    }
    if (m_CurState == GS_INGAME) StrategyTick();
}

void CGameMain::StrategyTick() {
    if (m_Brightness != m_BrightnessTarget) {
        if (m_Brightness > m_BrightnessTarget) {
            m_Brightness -= m_BrightnessStep;
            if (m_Brightness < m_BrightnessTarget) m_Brightness = m_BrightnessTarget;
        } else {
            m_Brightness += m_BrightnessStep;
            if (m_Brightness > m_BrightnessTarget) m_Brightness = m_BrightnessTarget;
        }
        if (g_JMSettings) g_JMSettings->ApplyGamma();
    }

    g_GameHost.FrameStep();
    float zoomTarget = 0.0f;
    if (g_GameHost.TakeZoomRequest(&zoomTarget)) SetZoomTarget(zoomTarget);

    if (m_Zoom != m_ZoomTarget) {
        if (std::fabs(m_Zoom - m_ZoomTarget) >= kZoomStep) AddZoom(m_Zoom < m_ZoomTarget ? kZoomStep : -kZoomStep);
        else m_Zoom = m_ZoomTarget;
    }

    if (m_HitCount == 0) return;
    if (m_HitCount != m_LastSeenHitCount) {
        m_LastSeenHitCount = m_HitCount;
        m_HitQuietTicks = 0;
        return;
    }
    ++m_HitQuietTicks;
    if (m_HitQuietTicks >= 15 && !PlayerTargetCannotAct()) {
        m_HitCount = 0;
        m_HitQuietTicks = 0;
    }
}

void CGameMain::ProcessInput() {
    g_KeyState.Snapshot();

    plat::Point p;
    plat::GetCursorPos(&p);
    CMouseRecord& m = g_MouseRecord;
    m.moved = (p.x != m.x || p.y != m.y) ? 1 : 0;
    m.prevX = m.x;
    m.prevY = m.y;
    m.x = p.x;
    m.y = p.y;
    plat::GetCursorPos(&p);
    const int x = p.x, y = p.y;

    const bool clientActive = ClientIsActive();
    if (ClientExists()) ClientMakeWorldCurrent();
    if (g_PlayerControl) g_PlayerControl->HandleMouse();
    if (clientActive && g_PlayerControl) g_PlayerControl->HandleDeveloperKeys();

    const bool swapped = plat::GetSystemMetrics(plat::SM_SWAPBUTTON) != 0;
    m.leftVk = swapped ? plat::VK_RBUTTON : plat::VK_LBUTTON;
    m.rightVk = swapped ? plat::VK_LBUTTON : plat::VK_RBUTTON;

    const bool leftNow = (plat::GetAsyncKeyState(m.leftVk) & 0x8000) != 0;
    const bool rightNow = (plat::GetAsyncKeyState(m.rightVk) & 0x8000) != 0;
    // Each button edge as the game sees it, with its back-buffer point, so a
    // test can tell where a click landed.
    if (leftNow != (m.leftDown != 0)) plat::DebugPrintf("input: %s %d %d\n", leftNow ? "ldown" : "lup", x, y);
    if (rightNow != (m.rightDown != 0)) plat::DebugPrintf("input: %s %d %d\n", rightNow ? "rdown" : "rup", x, y);
    if (m.leftDown && !leftNow) {
        m.leftDown = 0;
        if (!g_JMMng.OnLButtonUp(1, x, y) && g_PlayerControl) g_PlayerControl->OnLButtonUp(1, x, y);
    }
    if (leftNow) {
        m.leftDown = 1;
        if (!g_JMMng.OnLButtonDown(1, x, y)) {
            if (g_PlayerControl) g_PlayerControl->OnLButtonDown(1, x, y);
            g_LButtonHeld = 1;
        }
    } else {
        m.leftDown = 0;
        g_LButtonHeld = 0;
    }

    if (!g_JMMng.OnMouseMove(1, x, y) && g_PlayerControl) g_PlayerControl->OnMouseMove(1, x, y);

    if (m.rightDown && !rightNow) {
        m.rightDown = 0;
        if (!g_JMMng.OnRButtonUp(1, x, y) && g_PlayerControl) g_PlayerControl->OnRButtonUp(1, x, y);
    }
    if (rightNow) {
        m.rightDown = 1;
        if (!g_JMMng.OnRButtonDown(1, x, y) && g_PlayerControl) g_PlayerControl->OnRButtonDown(1, x, y);
    } else {
        m.rightDown = 0;
    }

    if (clientActive) ClientUpdateViewPort();

    if (g_JMMng.m_pFocus) {
        if (g_PlayerControl) g_PlayerControl->ResetCursor();
    } else if (clientActive && g_PlayerControl) {
        g_PlayerControl->HandleKeys();
    }
}

// ----------------------------------------------------------------- movie

void CGameMain::MovieStep() {
    bool finished = false;
    if (!m_MoviePath.empty()) {
        if (g_MediaMng.Open(m_MoviePath, 0)) {
            g_MediaMng.SetVideoWindow(0, 0, m_ScreenWidth, m_ScreenHeight);
            g_MediaMng.Play(0);
            g_MediaMng.HideCursor(0);
        } else {
            finished = true;
        }
        m_MoviePath.clear();
    } else {
        g_KeyState.Snapshot();
        if (m_MovieCountdown >= 0) {
            g_KeyState.LatchDownKeys();
            --m_MovieCountdown;
        } else if (!g_MediaMng.IsPlaying() || g_KeyState.IsNewPress(plat::VK_ESCAPE)) {
            finished = true;
        }
        plat::SleepMs(50);
    }
    if (finished) FinishMovie();
}

void CGameMain::FinishMovie() {
    if (m_CurState != GS_MOVIE) return;
    if (m_MovieReturnState == GS_INGAME) {
        StopMovie();
        m_CurState = GS_INGAME;
    }
    m_ReqState = m_MovieReturnState;
    m_MoviePath.clear();
    if (!m_MusicName.empty()) PlayMusic(m_MusicName.c_str(), 1);
    LogLoading(100);
    if (g_JMLoading) g_JMLoading->Show(0, 0);
}

int CGameMain::PlayMovie(const char* path) {
    if (m_CurState == GS_MOVIE) return 1;
    m_MovieReturnState = m_CurState;
    m_MovieSavedDisplayMode = m_CurDisplayMode;
    m_MoviePath = path ? path : "";
    m_ReqState = GS_MOVIE;
    m_MovieCountdown = 10;
    return 1;
}

void CGameMain::StopMovie() {
    g_MediaMng.Stop();
    g_MediaMng.Release();
}

int CGameMain::PlayMusic(const char* name, int loop) {
    if (m_CurState == GS_MOVIE) return 0;
    const std::string n = name ? name : "";
    if (IsMusicPlaying() && n == m_MusicName) return 1;
    const std::string path = std::string(GetProgramDirectory()) + "yy\\" + n + ".mp3";
    if (!g_MediaMng.CrossFadeTo(path, loop)) return 0;
    m_MusicName = n;
    return 1;
}

int CGameMain::IsMusicPlaying() { return g_MediaMng.IsPlaying(); }

// --------------------------------------------------------------- display

int CGameMain::SetDisplayMode(int mode, int force) {
    if (mode == m_CurDisplayMode && !force) return 1;
    if (mode == DM_DESKTOP) {
        if (m_pDisplay) DisplayRestoreDesktop(m_pDisplay);
        m_CurDisplayMode = mode;
        return 1;
    }
    int w = 640, h = 480;
    if (mode == DM_1024) {
        w = 1024;
        h = 768;
    } else if (mode == DM_800) {
        w = 800;
        h = 600;
    }
    g_MsgDispatcher.Send(1, 0, 0);
    plat::Window* wnd = plat::GetMainWindow();
    if (!DisplaySetMode(&m_pDisplay, wnd, w, h)) return 0;
    // Recorded only now that the mode is known to work.
    m_CurDisplayMode = mode;
    m_ScreenWidth = w;
    m_ScreenHeight = h;
    m_Bpp = 16;
    // The window covers the screen, which now has the mode's size.
    plat::MoveWindow(wnd, 0, 0, plat::GetScreenMetrics(plat::SM_CXSCREEN), plat::GetScreenMetrics(plat::SM_CYSCREEN));
    g_MsgDispatcher.Send(0, 0, 0);
    return 1;
}

void CGameMain::SetDisplayOption(int option) {
    m_DisplayOption = option;
    SetDisplayMode(m_CurDisplayMode, 1);
}

// ------------------------------------------------------ zoom, brightness

void CGameMain::AddZoom(float delta) { m_Zoom = ClampZoom(m_Zoom + delta); }

void CGameMain::SetZoomTarget(float value) {
    if (m_ZoomTarget != value) m_ZoomTarget = value;
}

void CGameMain::RestoreZoomTarget() { SetZoomTarget(m_SavedZoom); }

void CGameMain::AdjustZoomTarget(float delta, int saveCurrent) {
    if (saveCurrent) m_SavedZoom = m_Zoom;
    m_ZoomTarget = ClampZoom(m_ZoomTarget + delta);
}

void CGameMain::UnzoomPoint(plat::Point* point) const {
    const float z = m_Zoom;
    if (z == 0.0f || !point) return;
    const float k = 1.0f - 2.0f * z;
    point->x = static_cast<int32_t>(k * static_cast<float>(point->x)) +
               static_cast<int32_t>(static_cast<float>(m_ScreenWidth) * z);
    point->y = static_cast<int32_t>(k * static_cast<float>(point->y)) +
               static_cast<int32_t>(static_cast<float>(m_ScreenHeight) * z);
}

void CGameMain::SetBrightnessTarget(float target, float step) {
    m_BrightnessTarget = target;
    m_BrightnessStep = step;
}

void CGameMain::ResetBrightness(float step) {
    m_BrightnessTarget = 1.0f;
    if (step != 65535.0f) m_BrightnessStep = step;
}

// ---------------------------------------------------- effects and others

void CGameMain::StartScreenEffect(int kind) {
    if (kind == 4) {
        ClientStartShake();
    } else if (kind == 5) {
        m_EffectCountdown = 2 * g_TicksPerSecond;
        m_Transition.Start(2, m_pDisplay);
    } else {
        m_Transition.Start(kind, m_pDisplay);
    }
}

void CGameMain::CountHit(int force) {
    if (m_TickCount == m_LastHitTick) return;
    if (force || m_HitCount <= 20) ++m_HitCount;
    m_LastHitTick = m_TickCount;
}

void CGameMain::TakeScreenshot(int width, int height) { DisplayTakeScreenshot(m_pDisplay, width, height); }

int CGameMain::IsClientInactive() {
    return (m_CurState == GS_INGAME && ClientExists() && !ClientIsActive()) ? 1 : 0;
}

void CGameMain::DrawGame() {
    CSurface* target = m_Transition.GetDrawTarget() ? m_Transition.GetDrawTarget() : m_pDisplay;
    ClientDrawView(target);
    m_Transition.Draw(m_pDisplay);
}

void CGameMain::UpdateUi() {
    if (m_CurState != GS_SHUTDOWN) g_JMMng.Update();
}

void CGameMain::DrawUi() { g_JMMng.Draw(m_pDisplay); }

int CGameMain::StepLoadingWindow() {
    if (!g_JMLoading || !g_JMLoading->IsShown()) return 1;
    DrawLoadingProgress(1);
    if (g_JMLoading->m_Progress < 16) return 0;
    LogLoading(100);
    g_JMLoading->Show(0, 0);
    return 0;
}

void ShowLoadingWindow() {
    if (g_JMLoading) g_JMLoading->Show(1, 0);
}

void CGameMain::DrawLoadingProgress(int n) {
    if (!g_JMLoading) return;
    g_JMLoading->AddProgress(n);
    if (!g_AppActive) return;
    DrawUi();
    if (g_Screen.m_pDisplay) g_Screen.Present(plat::GetMainWindow());
}

void CGameMain::OnKeyMessage(uint32_t message, uint32_t wParam, uint32_t lParam, intptr_t* result) {
    if (m_CurState != GS_SHUTDOWN) g_JMMng.OnKey(message, wParam, lParam, result);
}

void CGameMain::OnDisplayReleasing() { g_JMMng.ReceiveMsg(1, 0, 0); }

void CGameMain::OnDisplayRestored() { g_JMMng.ReceiveMsg(0, m_ScreenWidth, m_ScreenHeight); }
