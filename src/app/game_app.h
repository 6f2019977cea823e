#pragma once
// The application object and the main window: prepares the process, opens
// the window and runs the message loop that drives the game object.
#include <cstdint>
#include <memory>

namespace plat {
class Window;
class Presenter;
} // namespace plat

class CMainWnd {
public:
    // Opens the borderless, screen-sized, top-most window "vantrel"
    // (hidden until shown) and installs the display's presenter for it: the
    // window itself on SDL, else a headless presenter that keeps the last
    // frame (written as a PNG at exit when VANTREL_FRAME_PNG names a file).
    CMainWnd();
    // Removes the presenter, then destroys the native window.
    ~CMainWnd();
    CMainWnd(const CMainWnd&) = delete;
    CMainWnd& operator=(const CMainWnd&) = delete;

    // 1 when the message was handled.
    int OnWndMsg(uint32_t message, uint32_t wParam, uint32_t lParam, intptr_t* result);
    plat::Window* GetWindow() const { return m_pWindow; }

    plat::Presenter* GetPresenter() const { return m_pPresenter.get(); }

private:
    plat::Window* m_pWindow = nullptr;
    std::unique_ptr<plat::Presenter> m_pPresenter;
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
