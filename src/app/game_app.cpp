#include "app/game_app.h"

#include <cstdio>
#include <ctime>

#include "app/game_main.h"
#include "app/links.h"
#include "roles/save_mgr.h"
#include "core/directories.h"
#include "core/frame_globals.h"
#include "core/log.h"
#include "core/pack_file.h"
#include "platform/display.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/present.h"
#include "platform/present_sdl.h"
#include "platform/random.h"
#include "platform/recorder.h"
#include "platform/sysinfo.h"
#include "platform/window.h"
#include "sound/media_mng.h"

CGameApp g_GameApp;

// ------------------------------------------------------------ main window

CMainWnd::CMainWnd() {
    plat::WindowDesc desc;
    desc.titleGbk = "vantrel";
    desc.x = 0;
    desc.y = 0;
    desc.width = plat::GetSystemMetrics(plat::SM_CXSCREEN);
    desc.height = plat::GetSystemMetrics(plat::SM_CYSCREEN);
    desc.topmost = true;
    desc.style = plat::WS_POPUP | plat::WS_CLIPCHILDREN;
    m_pWindow = plat::CreateMainWindow(desc, [this](uint32_t m, uint32_t w, uint32_t l, intptr_t* r) {
        return OnWndMsg(m, w, l, r) != 0;
    });
    // The presenter must be in place before the first mode change: the
    // display hands it every new content of the primary surface.
    if (m_pWindow && m_pWindow->GetSdlWindow()) {
        auto sdl = std::make_unique<plat::SdlPresenter>(m_pWindow->GetSdlWindow());
        if (sdl->IsReady()) m_pPresenter = std::move(sdl);
    }
    if (!m_pPresenter) m_pPresenter = std::make_unique<plat::HeadlessPresenter>();
    plat::SetDisplayPresenter(m_pPresenter.get());
}

CMainWnd::~CMainWnd() {
    if (plat::GetDisplayPresenter() == m_pPresenter.get()) plat::SetDisplayPresenter(nullptr);
    // A headless presenter writes its last frame here; an SDL renderer
    // goes before its window.
    m_pPresenter.reset();
    plat::DestroyWindow(m_pWindow);
    m_pWindow = nullptr;
}

int CMainWnd::OnWndMsg(uint32_t message, uint32_t wParam, uint32_t lParam, intptr_t* result) {
    if (g_MediaMng.OnWindowMessage(message, wParam, lParam)) return 1;
    switch (message) {
    case plat::WM_ACTIVATE:
    case plat::WM_ACTIVATEAPP:
    case plat::WM_MOUSEACTIVATE:
    case plat::WM_NCACTIVATE:
        if (message == plat::WM_ACTIVATE) g_AppActive = plat::LoWord(wParam) != 0 ? 1 : 0;
        else g_AppActive = static_cast<int>(wParam);
        if (!g_AppActive && g_GameMain.m_CurState == GS_MOVIE) {
            // The movie ends when the window loses activation. It ends
            // through the same routine as a movie that ran out, so a return
            // to the game keeps the running game.
            g_GameMain.FinishMovie();
            g_GameMain.Step();
        }
        return 0;
    case plat::WM_CLOSE: {
        const int saved = g_SaveRunningGame();
        if (saved == 0) {
            WriteLog(kLogFile, "Save on close failed.\n");
            plat::MessageBox("Save failed: " + g_SaveMgr.LastError(), "vantrel", plat::MB_OK);
        }
        g_GameMain.m_ReqState = GS_SHUTDOWN;
        if (result) *result = 0;
        return 1;
    }
    case plat::WM_KEYDOWN:
    case plat::WM_KEYUP:
    case plat::WM_CHAR:
        if (g_AppActive) g_GameMain.OnKeyMessage(message, wParam, lParam, result);
        return 0;
    case plat::WM_COMMAND:
        // Swallowed: no command routing.
        if (result) *result = 0;
        return 1;
    default:
        return 0;
    }
}

// ------------------------------------------------------------ application

CGameApp::CGameApp() { g_AppActive = 1; }

int CGameApp::InitInstance() {
    SetProgramDirectory(0);

    plat::DeleteFile(kLogFile);
    WriteLog(kLogFile, "tamiro begin\n");

    g_PackRoot = GetProgramDirectory();
    g_PackExt = "fol";
    g_PackNames.clear();
    g_PackNames.push_back("mb");
    g_PackNames.push_back("slr");
    g_PackNames.push_back("cj");
    char line[1024];
    std::snprintf(line, sizeof line, "InitGameFileProperty() %d\n", InitGameFileProperty());
    WriteLog(kLogFile, line);

    const plat::OsVersion v = plat::GetOsVersion();
    std::snprintf(line, sizeof line, "System:%d %d %d %d %s\n", v.platformId, v.major, v.minor, v.build,
                  v.extra.c_str());
    WriteLog(kLogFile, line);

    // No component model to start on this platform.

    // A scripted run takes its seed from the script, so it repeats exactly.
    plat::SRand(plat::RunSeed(static_cast<uint32_t>(std::time(nullptr))));
    // Replays land their input on the logic tick it came in on.
    plat::SetTickSource([] { return static_cast<int64_t>(g_GameMain.m_TickCount); });

    m_pMainWnd = new CMainWnd();
    plat::ShowWindow(m_pMainWnd->GetWindow(), plat::SW_SHOW);

    g_GameMain.m_ReqState = GS_STARTUP;

    WriteLog(kLogFile, "EndInitInstance\n");
    return 1;
}

int CGameApp::Run() {
    for (;;) {
        plat::Msg msg;
        if (plat::PeekMessage(&msg)) {
            if (!plat::GetMessage(&msg)) return static_cast<int>(msg.wParam);
            plat::TranslateMessage(msg);
            plat::DispatchMessage(msg);
            continue;
        }
        // Music and movies are fed from the loop, not from a thread of their
        // own, so an idle or loading pass keeps them going too.
        g_MediaMng.Pump();
        const int32_t ticksBefore = g_GameMain.m_TickCount;
        if (!g_GameMain.Step()) {
            ExitInstance();
            return g_GameMain.m_ErrorCode;
        }
        // Nothing ticked: wait for input or the next tick instead of
        // spinning.
        if (g_GameMain.m_TickCount == ticksBefore) plat::IdleWait(g_GameMain.MsUntilDue());
    }
}

int CGameApp::ExitInstance() {
    delete m_pMainWnd;
    m_pMainWnd = nullptr;
    WriteLog(kLogFile, "tamiro end\n");
    UnmountPackLibraries();
    return 0;
}
