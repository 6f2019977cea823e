#include "platform/window.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <sstream>

#include "platform/debug.h"
#include "platform/input.h"
#include "platform/recorder.h"
#include "platform/text.h"
#include "platform/window_backend.h"

namespace plat {

namespace {

std::deque<Msg>& Queue() {
    static std::deque<Msg> q;
    return q;
}

std::unique_ptr<Window>& MainWindowSlot() {
    static std::unique_ptr<Window> w;
    return w;
}

bool g_configured = false;

volatile std::sig_atomic_t g_signalCount = 0;
std::sig_atomic_t g_signalsSeen = 0;

extern "C" void OnQuitSignal(int) { g_signalCount = g_signalCount + 1; }

void PumpSignals() {
    const std::sig_atomic_t now = g_signalCount;
    while (g_signalsSeen < now) {
        ++g_signalsSeen;
        detail::RecordClose();
        PostMessage(GetMainWindow(), WM_CLOSE, 0, 0);
    }
}

bool EnvSet(const char* name) {
    const char* v = std::getenv(name);
    return v && *v && std::string(v) != "0";
}

} // namespace

Window::Window(const WindowDesc& desc)
    : x_(desc.x), y_(desc.y), width_(desc.width), height_(desc.height), style_(desc.style & ~WS_VISIBLE),
      titleGbk_(desc.titleGbk) {}

Window::~Window() = default;

intptr_t Window::Deliver(uint32_t message, uint32_t wParam, uint32_t lParam) {
    intptr_t result = 0;
    if (proc_ && proc_(message, wParam, lParam, &result)) return result;
    return DefWindowProc(this, message, wParam, lParam);
}

namespace detail {

BackendConfig& Config() {
    static BackendConfig c;
    return c;
}

void QueueKey(Window* w, int vk, bool down, bool repeat, int scancode) {
    if (vk <= 0 || vk > 255) return;
    RecordKey(vk, down);
    SetKeyDown(vk, down);
    // lParam as the system builds it: repeat count 1, scan code, previous
    // state (bit 30) and transition (bit 31).
    uint32_t lp = 1u | (static_cast<uint32_t>(scancode & 0xFF) << 16);
    if (!down) lp |= 0xC0000000u;
    else if (repeat) lp |= 0x40000000u;
    PostMessage(w, down ? WM_KEYDOWN : WM_KEYUP, static_cast<uint32_t>(vk), lp);
}

void QueueText(Window* w, const std::string& utf8) {
    RecordText(utf8);
    const std::string gbk = Utf8ToGbk(utf8);
    for (unsigned char c : gbk) PostMessage(w, WM_CHAR, c, 1);
}

void QueueMouseMove(Window* w, int x, int y) {
    RecordMove(x, y);
    SetCursorPos(x, y);
    PostMessage(w, WM_MOUSEMOVE, 0, MakeLParam(x, y));
}

void QueueMouseButton(Window* w, int vk, bool down, int x, int y) {
    RecordButton(vk, down, x, y);
    SetCursorPos(x, y);
    SetKeyDown(vk, down);
    uint32_t msg = 0;
    if (vk == VK_LBUTTON) msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    else if (vk == VK_RBUTTON) msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    if (msg) PostMessage(w, msg, 0, MakeLParam(x, y));
}

void QueueActivate(Window* w, bool active) {
    RecordActivate(active);
    PostMessage(w, WM_ACTIVATEAPP, active ? 1u : 0u, 0);
    PostMessage(w, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
}

void QueueClose(Window* w) {
    RecordClose();
    PostMessage(w, WM_CLOSE, 0, 0);
}

} // namespace detail

Backend ConfigureFromEnvironment() {
    detail::BackendConfig& c = detail::Config();
    if (g_configured) return c.backend;
    g_configured = true;
    c = detail::BackendConfig{};
    if (const char* w = std::getenv("VANTREL_WINDOWED"); w && *w && std::string(w) != "0") {
        c.windowed = true;
        int ww = 0, wh = 0;
        if (std::sscanf(w, "%dx%d", &ww, &wh) == 2 && ww > 0 && wh > 0 && ww <= 16384 && wh <= 16384) {
            c.windowedWidth = ww;
            c.windowedHeight = wh;
        }
    }
    const char* script = std::getenv("VANTREL_SCRIPT");
    if (script && *script) {
        c.backend = Backend::Headless;
        c.scripted = true;
        c.advanceClock = true;
        std::ifstream in(script, std::ios::binary);
        if (!in) {
            c.scriptError = std::string("cannot read script ") + script;
        } else {
            std::ostringstream ss;
            ss << in.rdbuf();
            ParseTimeline(ss.str(), &c.timeline, &c.scriptError);
        }
        detail::InstallScriptClock();
        if (!c.scriptError.empty()) {
            std::fprintf(stderr, "vantrel: %s; closing\n", c.scriptError.c_str());
            OutputDebugString("VANTREL_SCRIPT: " + c.scriptError + "\n");
        }
    } else if (EnvSet("VANTREL_HEADLESS") || !detail::SdlVideoAvailable()) {
        c.backend = Backend::Headless;
    }
    return c.backend;
}

void UseHeadlessBackend(const std::string& timelineText, bool advanceClock) {
    g_configured = true;
    detail::BackendConfig& c = detail::Config();
    c = detail::BackendConfig{};
    c.backend = Backend::Headless;
    c.advanceClock = advanceClock;
    if (!timelineText.empty()) {
        c.scripted = true;
        ParseTimeline(timelineText, &c.timeline, &c.scriptError);
    }
}

Backend CurrentBackend() { return ConfigureFromEnvironment(); }

const std::string& ScriptError() { return detail::Config().scriptError; }

void ResetBackendConfiguration() { g_configured = false; }

Window* CreateMainWindow(const WindowDesc& desc, WndProc proc) {
    ConfigureFromEnvironment();
    std::unique_ptr<Window> w;
    if (detail::Config().backend == Backend::Sdl) {
        w = detail::MakeSdlWindow(desc);
        if (!w) {
            OutputDebugString("CreateMainWindow: SDL window failed, running headless\n");
            detail::Config().backend = Backend::Headless;
        }
    }
    if (!w) w = detail::MakeHeadlessWindow(desc);
    w->SetWndProc(std::move(proc));
    MainWindowSlot() = std::move(w);
    InstallQuitSignals();
    StartRecordingFromEnvironment();
    if (!detail::Config().scriptError.empty()) detail::QueueClose(MainWindowSlot().get());
    return MainWindowSlot().get();
}

void DestroyWindow(Window* window) {
    if (!window) return;
    // Messages for a window that is gone are dropped.
    auto& q = Queue();
    for (auto it = q.begin(); it != q.end();) {
        it = it->window == window ? q.erase(it) : it + 1;
    }
    if (MainWindowSlot().get() == window) {
        StopRecording();
        MainWindowSlot().reset();
    }
    else delete window;
}

Window* GetMainWindow() { return MainWindowSlot().get(); }

void ShowWindow(Window* window, int cmd) {
    if (!window) return;
    window->shown_ = cmd != SW_HIDE;
    if (window->shown_) window->style_ |= WS_VISIBLE;
    else window->style_ &= ~WS_VISIBLE;
    window->OnShow(window->shown_);
}

void MoveWindow(Window* window, int x, int y, int width, int height) {
    if (!window) return;
    window->x_ = x;
    window->y_ = y;
    window->width_ = width;
    window->height_ = height;
    window->OnMove();
}

void SetWindowText(Window* window, const std::string& titleGbk) {
    if (!window) return;
    window->titleGbk_ = titleGbk;
    window->OnTitle();
}

uint32_t GetWindowLong(Window* window, int index) {
    if (!window || index != GWL_STYLE) return 0;
    return window->Style();
}

uint32_t SetWindowLong(Window* window, int index, uint32_t value) {
    if (!window || index != GWL_STYLE) return 0;
    const uint32_t old = window->style_;
    window->style_ = value;
    if ((old ^ value) & WS_VISIBLE) ShowWindow(window, (value & WS_VISIBLE) ? SW_SHOW : SW_HIDE);
    return old;
}

int GetSystemMetrics(int index) {
    if (index == SM_SWAPBUTTON) return MouseButtonsSwapped() ? 1 : 0;
    if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
    ConfigureFromEnvironment();
    const detail::BackendConfig& c = detail::Config();
    int w = c.timeline.screenWidth, h = c.timeline.screenHeight;
    if (c.backend == Backend::Sdl) {
        int sw = 0, sh = 0;
        if (detail::SdlScreenSize(&sw, &sh)) {
            w = sw;
            h = sh;
        }
    }
    return index == SM_CXSCREEN ? w : h;
}

bool PeekMessage(Msg* out) {
    detail::WatchTick();
    PumpSignals();
    if (Window* w = GetMainWindow()) w->Pump();
    auto& q = Queue();
    if (q.empty()) {
        if (Window* w = GetMainWindow()) w->OnIdlePass();
        return false;
    }
    if (out) *out = q.front();
    return true;
}

bool GetMessage(Msg* out) {
    auto& q = Queue();
    if (q.empty()) {
        detail::WatchTick();
        PumpSignals();
        if (Window* w = GetMainWindow()) w->Pump();
    }
    Msg m;
    if (!q.empty()) {
        m = q.front();
        q.pop_front();
    }
    if (out) *out = m;
    return m.message != WM_QUIT;
}

void TranslateMessage(const Msg& msg) {
    if (msg.message != WM_KEYDOWN) return;
    switch (msg.wParam) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
        PostMessage(msg.window, WM_CHAR, msg.wParam, msg.lParam);
        break;
    default:
        break;
    }
}

intptr_t DispatchMessage(const Msg& msg) {
    if (!msg.window) return 0;
    return msg.window->Deliver(msg.message, msg.wParam, msg.lParam);
}

void PostMessage(Window* window, uint32_t message, uint32_t wParam, uint32_t lParam) {
    Queue().push_back(Msg{window, message, wParam, lParam});
}

void PostQuitMessage(int exitCode) { Queue().push_back(Msg{nullptr, WM_QUIT, static_cast<uint32_t>(exitCode), 0}); }

intptr_t SendMessage(Window* window, uint32_t message, uint32_t wParam, uint32_t lParam) {
    return window ? window->Deliver(message, wParam, lParam) : 0;
}

intptr_t DefWindowProc(Window*, uint32_t, uint32_t, uint32_t) {
    // Nothing the game relies on happens by default: closing is the hook's
    // business, and activation changes need no default action here.
    return 0;
}

size_t QueuedMessageCount() { return Queue().size(); }
void ClearMessageQueue() { Queue().clear(); }

void IdleWait(uint32_t maxMs) {
    if (maxMs == 0) return;
    if (Window* w = GetMainWindow()) w->Idle(maxMs);
}

void InstallQuitSignals() {
    struct sigaction sa {};
    sa.sa_handler = OnQuitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

} // namespace plat
