#pragma once
// The application object and the main window: prepares the process, opens
// the window and runs the message loop that drives the game object.
#include <cstdint>

namespace plat { class Window; }

class CMainWnd {
public:
    // Opens the borderless, screen-sized, top-most window "vantrel"
    // (hidden until shown).
    CMainWnd();
    // Destroys the native window first.
    ~CMainWnd();
    CMainWnd(const CMainWnd&) = delete;
    CMainWnd& operator=(const CMainWnd&) = delete;

    // 1 when the message was handled.
    int OnWndMsg(uint32_t message, uint32_t wParam, uint32_t lParam, intptr_t* result);
    plat::Window* GetWindow() const { return m_pWindow; }

private:
    plat::Window* m_pWindow = nullptr;
};

class CGameApp {
public:
    CGameApp();
    // 1 on success, 0 ends the program before the loop.
    int InitInstance();
    // The message loop; returns the exit code.
    int Run();
    int ExitInstance();

    CMainWnd* m_pMainWnd = nullptr;
};

extern CGameApp g_GameApp;
