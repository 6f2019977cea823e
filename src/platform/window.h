#pragma once
// The main window and its message queue. The game's window hook sees
// Windows-style messages with the codes its logic depends on; the backend
// (SDL2, or headless driven by a scripted timeline) turns its own events
// into them. Every way to quit (window close, SDL quit, SIGINT, SIGTERM)
// arrives as WM_CLOSE, so the game's save and shutdown paths always run.
//
// Backend choice (ConfigureFromEnvironment, or the first window created):
//   VANTREL_HEADLESS=1      headless backend
//   VANTREL_SCRIPT=<file>   headless backend on a fake clock, events from
//                           the timeline file (see timeline.h)
//   VANTREL_WINDOWED=1      SDL: a decorated, resizable 640x480 window (or
//                           =WxH) instead of one covering the desktop
//   VANTREL_FRAME_PNG=<file> headless: the program writes its last shown
//                           frame there as a PNG when its window closes
//   otherwise SDL2; when SDL has no usable video the headless backend.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct SDL_Window;

namespace plat {

class Window;

enum : int { SW_HIDE = 0, SW_SHOW = 5 };

// Null-safe: a null window is ignored.
void ShowWindow(Window* window, int cmd);

enum : uint32_t {
    WM_NULL = 0x0000,
    WM_ACTIVATE = 0x0006,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ACTIVATEAPP = 0x001C,
    WM_MOUSEACTIVATE = 0x0021,
    WM_NCACTIVATE = 0x0086,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_COMMAND = 0x0111,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
};
enum : uint32_t { WA_INACTIVE = 0, WA_ACTIVE = 1 };
enum : int { SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_SWAPBUTTON = 23 };

// Window style bits (GWL_STYLE) with their system values.
enum : uint32_t {
    WS_POPUP = 0x80000000u,
    WS_CHILD = 0x40000000u,
    WS_VISIBLE = 0x10000000u,
    WS_CLIPSIBLINGS = 0x04000000u,
    WS_CLIPCHILDREN = 0x02000000u,
    WS_CAPTION = 0x00C00000u,
};
enum : int { GWL_STYLE = -16 };

inline uint32_t MakeLParam(int lo, int hi) {
    return (static_cast<uint32_t>(lo) & 0xFFFFu) | (static_cast<uint32_t>(hi) << 16);
}
inline uint32_t LoWord(uint32_t v) { return v & 0xFFFFu; }
inline uint32_t HiWord(uint32_t v) { return v >> 16; }

struct Msg {
    Window* window = nullptr;
    uint32_t message = WM_NULL;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
};

// The window hook: true when it handled the message (then *result is the
// message result); false lets DefWindowProc handle it.
using WndProc = std::function<bool(uint32_t message, uint32_t wParam, uint32_t lParam, intptr_t* result)>;

enum class Backend { Sdl, Headless };

struct WindowDesc {
    std::string titleGbk;
    int x = 0;
    int y = 0;
    int width = 0;   // 0: the screen's width
    int height = 0;  // 0: the screen's height
    bool topmost = true;  // the game's style; SDL covers the desktop without staying on top
    uint32_t style = WS_POPUP | WS_CLIPCHILDREN;  // WS_VISIBLE follows ShowWindow
};

class Window {
public:
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    virtual Backend GetBackend() const = 0;
    // The native SDL window (to create a renderer and a streaming texture
    // for presentation); null for the headless backend.
    virtual SDL_Window* GetSdlWindow() const { return nullptr; }

    int X() const { return x_; }
    int Y() const { return y_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsShown() const { return shown_; }
    const std::string& TitleGbk() const { return titleGbk_; }
    // Style bits as GWL_STYLE reads them (WS_VISIBLE while shown).
    uint32_t Style() const { return style_; }

    void SetWndProc(WndProc proc) { proc_ = std::move(proc); }
    // Calls the hook, else DefWindowProc.
    intptr_t Deliver(uint32_t message, uint32_t wParam, uint32_t lParam);

protected:
    explicit Window(const WindowDesc& desc);
    friend void ShowWindow(Window*, int);
    friend void MoveWindow(Window*, int, int, int, int);
    friend void SetWindowText(Window*, const std::string&);
    friend uint32_t SetWindowLong(Window*, int, uint32_t);
    friend bool PeekMessage(Msg*);
    friend bool GetMessage(Msg*);
    friend void IdleWait(uint32_t);
    virtual void OnShow(bool) {}
    virtual void OnMove() {}
    // The title changed (the SDL window shows it; headless keeps it only).
    virtual void OnTitle() {}
    // Turns backend events into queued messages (and input state).
    virtual void Pump() = 0;
    // Called once per loop pass that found nothing queued.
    virtual void OnIdlePass() {}
    virtual void Idle(uint32_t) {}

    int x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    bool shown_ = false;
    uint32_t style_ = 0;
    std::string titleGbk_;

private:
    WndProc proc_;
};

// Picks the backend (and, for a script, installs its fake clock) from the
// environment. Called by the program before anything reads the clock; safe
// to call more than once. Returns the backend that windows will use.
Backend ConfigureFromEnvironment();
// Forces the headless backend for the next window (tests), with an
// optional timeline text (see timeline.h; empty: no scripted events). With
// advanceClock every idle loop pass sleeps the timeline's step on the
// process clock, which a fake clock turns into an instant advance.
void UseHeadlessBackend(const std::string& timelineText = std::string(), bool advanceClock = false);
Backend CurrentBackend();
// Why VANTREL_SCRIPT could not be used (unreadable or malformed); empty when
// there is no script or it parsed. Such a run closes at once, in order, and
// the program then ends with a failure exit code.
const std::string& ScriptError();
// Forgets the choice, so the environment is read again (tests).
void ResetBackendConfiguration();

// Creates the main window (hidden until ShowWindow) on the chosen backend,
// installs the quit-signal handlers and makes it the main window.
Window* CreateMainWindow(const WindowDesc& desc, WndProc proc);
void DestroyWindow(Window* window);
Window* GetMainWindow();
void MoveWindow(Window* window, int x, int y, int width, int height);
// The window's title (GBK), as TitleGbk reads it back.
void SetWindowText(Window* window, const std::string& titleGbk);

// Window data as GetWindowLongA/SetWindowLongA: only GWL_STYLE is kept.
// GetWindowLong returns 0 for a null window or another index; SetWindowLong
// returns the previous value (0 on failure) and shows or hides the window
// when WS_VISIBLE changes. The backends draw no frame either way.
uint32_t GetWindowLong(Window* window, int index);
uint32_t SetWindowLong(Window* window, int index, uint32_t value);

// Screen size of the chosen backend (the desktop for SDL; 1024x768 or the
// timeline's "screen" line headless).
int GetSystemMetrics(int index);

// The message queue. PeekMessage pumps the backend and reports whether a
// message waits (without removing it). GetMessage removes the next message
// and returns false for WM_QUIT. TranslateMessage posts the WM_CHAR of the
// keys that type a control character (Backspace, Tab, Enter, Escape); typed
// text arrives from the backend as WM_CHAR bytes in GBK (lead byte first).
bool PeekMessage(Msg* out);
bool GetMessage(Msg* out);
void TranslateMessage(const Msg& msg);
intptr_t DispatchMessage(const Msg& msg);
void PostMessage(Window* window, uint32_t message, uint32_t wParam, uint32_t lParam);
void PostQuitMessage(int exitCode);
intptr_t SendMessage(Window* window, uint32_t message, uint32_t wParam, uint32_t lParam);
intptr_t DefWindowProc(Window* window, uint32_t message, uint32_t wParam, uint32_t lParam);
size_t QueuedMessageCount();
void ClearMessageQueue();

// A loop pass found no work due for up to `maxMs`: the SDL backend waits
// for the next event or the time, whichever comes first; the headless
// backend sleeps the time on the real clock and does nothing on a fake one
// (a scripted run advances its clock per idle pass instead).
void IdleWait(uint32_t maxMs);

// SIGINT and SIGTERM post WM_CLOSE to the main window (at the next pump).
// The first signal of each kind is handled; a second one ends the process
// the default way, so a hung shutdown can still be interrupted.
void InstallQuitSignals();

} // namespace plat
