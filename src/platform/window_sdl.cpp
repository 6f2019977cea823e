// SDL2 backend: a window covering the desktop (SDL's desktop full screen;
// or a decorated one for development), SDL events turned into the window
// messages the game reads. The game's frame (its display mode's size) is
// scaled into the window by the presenter; mouse positions are mapped back
// into frame coordinates with the same fit.
#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/debug.h"
#include "platform/input.h"
#include "platform/msgbox.h"
#include "platform/present.h"
#include "platform/text.h"
#include "platform/window_backend.h"

namespace plat::detail {

namespace {

bool g_videoTried = false;
bool g_videoOk = false;

bool InitVideo() {
    if (!g_videoTried) {
        g_videoTried = true;
        // The platform layer turns SIGINT and SIGTERM into a close message
        // itself.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // Losing focus makes the game inactive (its activation messages);
        // the window stays where it is instead of minimising.
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        g_videoOk = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        if (!g_videoOk) OutputDebugString(std::string("SDL video unavailable: ") + SDL_GetError() + "\n");
    }
    return g_videoOk;
}

} // namespace

// Windows virtual-key code for an SDL scancode (0: none).
int ScancodeToVk(SDL_Scancode sc) {
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'A' + (sc - SDL_SCANCODE_A);
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return '1' + (sc - SDL_SCANCODE_1);
    if (sc == SDL_SCANCODE_0) return '0';
    if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return VK_F1 + (sc - SDL_SCANCODE_F1);
    if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return VK_NUMPAD0 + 1 + (sc - SDL_SCANCODE_KP_1);
    switch (sc) {
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_BACKSLASH: return VK_OEM_5;
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_PRINTSCREEN: return VK_SNAPSHOT;
    case SDL_SCANCODE_SCROLLLOCK: return VK_SCROLL;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_APPLICATION: return VK_APPS;
    case SDL_SCANCODE_LCTRL: return VK_LCONTROL;
    case SDL_SCANCODE_LSHIFT: return VK_LSHIFT;
    case SDL_SCANCODE_LALT: return VK_LMENU;
    case SDL_SCANCODE_LGUI: return VK_LWIN;
    case SDL_SCANCODE_RCTRL: return VK_RCONTROL;
    case SDL_SCANCODE_RSHIFT: return VK_RSHIFT;
    case SDL_SCANCODE_RALT: return VK_RMENU;
    case SDL_SCANCODE_RGUI: return VK_RWIN;
    default: return 0;
    }
}

namespace {

// Set when the X server reports our window gone (destroyed by another
// client, such as a window manager's or xdotool's close).
volatile bool g_xWindowGone = false;

// The leading fields of Xlib's XErrorEvent.
struct XErrorHead {
    int type;
    void* display;
    unsigned long resourceId;
    unsigned long serial;
    unsigned char errorCode;
};

// Xlib's default handler ends the process on any error. A window destroyed
// from outside makes every later request on it fail (BadWindow 3,
// BadDrawable 9); the game then closes in order, as after a close.
int OnXError(void*, void* event) {
    const auto* e = static_cast<const XErrorHead*>(event);
    if (e->errorCode == 3 || e->errorCode == 9) g_xWindowGone = true;
    return 0;
}

// Set when the connection to the X server is lost (our client killed with
// xkill, the server gone). Xlib then turns every later request into a no-op;
// a request that waits for an event (hiding or destroying the window) would
// wait forever, so the window and presenter leave the display alone.
std::atomic<bool> g_xConnectionLost{false};

// Xlib's default handler prints its own complaint and exits; exit's
// destructors then wait for the dead window's unmap event.
int OnXIoError(void*) {
    g_xConnectionLost = true;
    return 0;
}

// Returning instead of exiting keeps the process alive; the game closes in
// order on its next pass.
void OnXIoErrorExit(void*, void*) { g_xConnectionLost = true; }

// XEventsQueued and the connection of the game's window, to look for a
// lost connection at a point of our choosing.
int (*g_xEventsQueued)(void*, int) = nullptr;
void* g_xDisplay = nullptr;

void InstallXErrorHandlers(SDL_Window* window) {
    // SDL loads the X library itself; only a library already loaded is used.
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!x11) return;
    using Handler = int (*)(void*, void*);
    using SetHandler = Handler (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(x11, "XSetErrorHandler"))) set(&OnXError);
    using IoHandler = int (*)(void*);
    using SetIoHandler = IoHandler (*)(IoHandler);
    if (auto set = reinterpret_cast<SetIoHandler>(dlsym(x11, "XSetIOErrorHandler"))) set(&OnXIoError);
    // libX11 1.7 and later: without it Xlib still exits, but quietly and
    // without waiting on the dead window.
    using ExitHandler = void (*)(void*, void*);
    using SetExitHandler = void (*)(void*, ExitHandler, void*);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (auto set = reinterpret_cast<SetExitHandler>(dlsym(x11, "XSetIOErrorExitHandler"));
        set && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
        set(info.info.x11.display, &OnXIoErrorExit, nullptr);
        g_xEventsQueued = reinterpret_cast<int (*)(void*, int)>(dlsym(x11, "XEventsQueued"));
        g_xDisplay = info.info.x11.display;
    }
    dlclose(x11);
}

class SdlWindow final : public Window {
public:
    SdlWindow(const WindowDesc& desc, SDL_Window* w) : Window(desc), window_(w) {
        id_ = SDL_GetWindowID(w);
        SDL_StartTextInput();
        // A real display shows message boxes as modal dialogs; the dummy and
        // off-screen drivers (tests, servers) never block on one.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver && std::string(driver) == "x11") {
            InstallXErrorHandlers(w);
            // A write to a connection the server cut would end the process
            // with SIGPIPE before the I/O-error handler could close in order.
            std::signal(SIGPIPE, SIG_IGN);
        }
        realDisplay_ = driver && std::string(driver) != "dummy" && std::string(driver) != "offscreen";
        if (realDisplay_) {
            SetMessageBoxPresenter([w](const std::string& text, const std::string& caption, unsigned flags) {
                return ShowModalBox(w, text, caption, flags);
            });
            ownsBoxes_ = true;
        }
    }
    ~SdlWindow() override {
        if (ownsBoxes_) SetMessageBoxPresenter(nullptr);
        // The window went with a lost connection.
        if (SdlDisplayLost()) return;
        SDL_StopTextInput();
        if (window_) SDL_DestroyWindow(window_);
    }
    Backend GetBackend() const override { return Backend::Sdl; }
    SDL_Window* GetSdlWindow() const override { return window_; }

protected:
    void OnShow(bool shown) override {
        if (SdlDisplayLost()) return;
        if (shown) {
            SDL_ShowWindow(window_);
            SDL_RaiseWindow(window_);
            PointerFromDesktop();
        } else {
            SDL_HideWindow(window_);
        }
    }
    // The game's MoveWindow sets the frame the window shows (a mode change
    // resizes the frame); the native window keeps covering the desktop.
    // The pointer stays where it is on the desktop, so its frame point
    // changes with the frame.
    void OnMove() override { PointerFromDesktop(); }
    void OnTitle() override {
        if (window_) SDL_SetWindowTitle(window_, GbkToUtf8(titleGbk_).c_str());
    }
    // Any event (input, close, a window change) ends the wait early; it
    // stays queued for the next pump.
    void Idle(uint32_t maxMs) override {
        if (SdlDisplayLost()) SDL_Delay(maxMs);
        else SDL_WaitEventTimeout(nullptr, static_cast<int>(maxMs));
    }

    void Pump() override {
        SDL_Event e;
        bool closed = false;
        // Read before anything is written: a connection cut from outside
        // then shows as lost here, not as a write into a closed socket.
        if (SdlDisplayLost() || !SdlDisplayCheck()) {
            if (!lostSeen_) {
                lostSeen_ = true;
                std::fprintf(stderr, "vantrel: the connection to the X display was lost; closing\n");
                QueueClose(this);
            }
            return;
        }
        if (g_xWindowGone && !goneSeen_) {
            goneSeen_ = true;
            OutputDebugString("the window was destroyed from outside; closing\n");
            QueueClose(this);
            closed = true;
        }
        while (SDL_PollEvent(&e)) {
            switch (e.type) {
            case SDL_QUIT:
                if (!closed) QueueClose(this);
                closed = true;
                break;
            case SDL_WINDOWEVENT:
                if (e.window.windowID != id_) break;
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                    if (!closed) QueueClose(this);
                    closed = true;
                } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                    QueueActivate(this, true);
                } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                    QueueActivate(this, false);
                }
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                QueueKey(this, ScancodeToVk(e.key.keysym.scancode), e.type == SDL_KEYDOWN, e.key.repeat != 0,
                         static_cast<int>(e.key.keysym.scancode));
                break;
            case SDL_TEXTINPUT:
                QueueText(this, e.text.text);
                break;
            case SDL_MOUSEMOTION: {
                const Point p = ToFrame(e.motion.x, e.motion.y);
                QueueMouseMove(this, p.x, p.y);
                break;
            }
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                int vk = e.button.button == SDL_BUTTON_LEFT ? VK_LBUTTON
                       : e.button.button == SDL_BUTTON_RIGHT ? VK_RBUTTON
                       : e.button.button == SDL_BUTTON_MIDDLE ? VK_MBUTTON : 0;
                const Point p = ToFrame(e.button.x, e.button.y);
                if (vk) QueueMouseButton(this, vk, e.type == SDL_MOUSEBUTTONDOWN, p.x, p.y);
                break;
            }
            default:
                break;
            }
        }
    }

private:
    // The cursor position from the pointer itself: the system reports a
    // position only when the pointer moves (or enters the window, mapped
    // with the frame size of that moment), so without this the game's
    // cursor would stay at (0, 0) or outside a smaller frame until the user
    // moves the mouse. Queued as a move, so a recording replays it.
    void PointerFromDesktop() {
        if (!realDisplay_ || !shown_ || width_ <= 0 || height_ <= 0 || SdlDisplayLost()) return;
        int gx = 0, gy = 0, wx = 0, wy = 0;
        SDL_GetGlobalMouseState(&gx, &gy);
        SDL_GetWindowPosition(window_, &wx, &wy);
        const Point p = ToFrame(gx - wx, gy - wy);
        Point now;
        GetCursorPos(&now);
        if (p.x != now.x || p.y != now.y) QueueMouseMove(this, p.x, p.y);
    }

    // Enter takes the first button, Escape the last.
    static int ShowModalBox(SDL_Window* parent, const std::string& text, const std::string& caption, unsigned flags) {
        SDL_MessageBoxButtonData buttons[2] = {};
        int count = 1;
        if ((flags & 0xF) == MB_YESNO) {
            buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
            buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
            count = 2;
        } else if ((flags & 0xF) == MB_OKCANCEL) {
            buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"};
            buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"};
            count = 2;
        } else {
            buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"};
        }
        SDL_MessageBoxData data{};
        data.flags = (flags & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
        // A hidden parent (the error box hides the window first) would hide
        // the box with it.
        data.window = !SdlDisplayLost() && (SDL_GetWindowFlags(parent) & SDL_WINDOW_SHOWN) ? parent : nullptr;
        data.title = caption.c_str();
        data.message = text.c_str();
        data.numbuttons = count;
        data.buttons = buttons;
        int pressed = -1;
        if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) {
            DebugPrintf("message box not shown: %s\n", SDL_GetError());
            return buttons[0].buttonid;
        }
        return pressed;
    }

    bool ownsBoxes_ = false;
    bool realDisplay_ = false;
    bool goneSeen_ = false;
    bool lostSeen_ = false;
    // A window point in the frame the game draws (the window's own size as
    // the game set it), bars clamped to the frame's edge.
    Point ToFrame(int x, int y) const {
        int ww = 0, wh = 0;
        SDL_GetWindowSize(window_, &ww, &wh);
        Point p{x, y};
        OutputToFrame(ww, wh, width_, height_, x, y, &p.x, &p.y);
        return p;
    }

    SDL_Window* window_ = nullptr;
    uint32_t id_ = 0;
};

} // namespace

bool SdlVideoAvailable() { return InitVideo(); }

bool SdlDisplayLost() { return g_xConnectionLost; }

bool SdlDisplayCheck() {
    // A read without blocking (QueuedAfterReading): a closed connection
    // raises the I/O error here rather than inside the renderer, whose
    // library goes on with garbage after a failed request.
    if (!g_xConnectionLost && g_xEventsQueued && g_xDisplay) g_xEventsQueued(g_xDisplay, 1);
    return !g_xConnectionLost;
}

bool SdlScreenSize(int* w, int* h) {
    if (!InitVideo()) return false;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0) return false;
    *w = mode.w;
    *h = mode.h;
    return true;
}

std::unique_ptr<Window> MakeSdlWindow(const WindowDesc& desc) {
    if (!InitVideo()) return nullptr;
    WindowDesc d = desc;
    const BackendConfig& c = Config();
    Uint32 flags = SDL_WINDOW_HIDDEN;
    int sw = 0, sh = 0;
    if (!SdlScreenSize(&sw, &sh)) {
        sw = 640;
        sh = 480;
    }
    if (d.width <= 0) d.width = sw;
    if (d.height <= 0) d.height = sh;
    int x = d.x, y = d.y, w = d.width, h = d.height;
    if (c.windowed) {
        x = y = SDL_WINDOWPOS_CENTERED;
        w = c.windowedWidth;
        h = c.windowedHeight;
        d.width = w;
        d.height = h;
        flags |= SDL_WINDOW_RESIZABLE;
    } else {
        // Covers the desktop without changing its mode and without staying
        // on top of other programs (the top-most style is the game's
        // exclusive screen, which the desktop full screen stands for).
        x = y = 0;
        w = sw;
        h = sh;
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    SDL_Window* win = SDL_CreateWindow(GbkToUtf8(d.titleGbk).c_str(), x, y, w, h, flags);
    if (!win) {
        OutputDebugString(std::string("SDL_CreateWindow failed: ") + SDL_GetError() + "\n");
        return nullptr;
    }
    return std::make_unique<SdlWindow>(d, win);
}

} // namespace plat::detail
