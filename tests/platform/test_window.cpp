#include <gtest/gtest.h>

#include <SDL.h>

#include <csignal>
#include <cstdlib>
#include <vector>

#include "platform/input.h"
#include "platform/present.h"
#include "platform/timeline.h"
#include "platform/window.h"
#include "support/test_env.h"

namespace {

struct Seen {
    uint32_t message;
    uint32_t wParam;
    uint32_t lParam;
};

// Opens a main window on the backend the test chose and records every
// message the hook sees.
class WindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        plat::DestroyWindow(window_);
        plat::ClearMessageQueue();
        plat::ResetInput();
    }
    void Open() {
        plat::WindowDesc d;
        d.titleGbk = "vantrel";
        window_ = plat::CreateMainWindow(d, [this](uint32_t m, uint32_t w, uint32_t l, intptr_t* r) {
            seen_.push_back(Seen{m, w, l});
            *r = 7;
            return m == plat::WM_CLOSE;
        });
        ASSERT_NE(window_, nullptr);
    }
    // Pumps until the queue is empty, dispatching like the game's loop.
    void Drain() {
        plat::Msg msg;
        while (plat::PeekMessage(&msg)) {
            ASSERT_TRUE(plat::GetMessage(&msg));
            plat::TranslateMessage(msg);
            plat::DispatchMessage(msg);
        }
    }
    std::vector<uint32_t> Messages() const {
        std::vector<uint32_t> v;
        for (const Seen& s : seen_) v.push_back(s.message);
        return v;
    }
    plat::Window* window_ = nullptr;
    std::vector<Seen> seen_;
};

TEST(Timeline, ParsesEventsSortedByTime) {
    plat::Timeline t;
    std::string err;
    ASSERT_TRUE(plat::ParseTimeline("# demo\nstep 5\nscreen 800 600\nlimit 9000\n"
                                    "at 200 close\nat 100 keydown 0x1B  # escape\nat 100 text ab\n"
                                    "at 150 ldown 10 20\nat 160 activate 0\nat 170 jump 5000\n",
                                    &t, &err))
        << err;
    EXPECT_EQ(t.stepMs, 5u);
    EXPECT_EQ(t.screenWidth, 800);
    EXPECT_EQ(t.screenHeight, 600);
    EXPECT_EQ(t.limitMs, 9000u);
    ASSERT_EQ(t.events.size(), 6u);
    using K = plat::TimelineEvent::Kind;
    EXPECT_EQ(t.events[0].kind, K::KeyDown);  // same time: file order kept
    EXPECT_EQ(t.events[0].a, 0x1B);
    EXPECT_EQ(t.events[1].kind, K::Text);
    EXPECT_EQ(t.events[1].text, "ab");
    EXPECT_EQ(t.events[2].kind, K::LDown);
    EXPECT_TRUE(t.events[2].hasPos);
    EXPECT_EQ(t.events[3].kind, K::Activate);
    EXPECT_EQ(t.events[4].kind, K::Jump);
    EXPECT_EQ(t.events[4].a, 5000);
    EXPECT_EQ(t.events[5].kind, K::Close);
    EXPECT_EQ(t.events[5].timeMs, 200u);
}

TEST(Timeline, RejectsMalformedLinesNamingTheLine) {
    const char* bad[] = {"at x close", "at 10 keydown 300", "at 10 move 5", "at 10 fly", "jump 3",
                         "step 0", "at 10 close now", "at 10 activate 2", "screen 10",
                         "at 10 jump", "at 10 jump 0"};
    for (const char* text : bad) {
        plat::Timeline t;
        std::string err;
        EXPECT_FALSE(plat::ParseTimeline(std::string("step 2\n") + text, &t, &err)) << text;
        EXPECT_NE(err.find("line 2"), std::string::npos) << err;
    }
}

TEST_F(WindowTest, HeadlessTimelineDeliversEventsAtTheirTimes) {
    vtest::FakeClockScope clock(1000);
    plat::UseHeadlessBackend(
        "screen 800 600\n"
        "at 1000 keydown 13\n"
        "at 1010 text \xE4\xB8\xAD\n"  // U+4E2D, GBK D6 D0
        "at 1020 move 30 40\nat 1020 ldown\nat 1030 activate 0\nat 1040 command 9\nat 1050 close\n");
    Open();
    EXPECT_EQ(window_->GetBackend(), plat::Backend::Headless);
    EXPECT_EQ(window_->GetSdlWindow(), nullptr);
    EXPECT_EQ(window_->Width(), 800);
    EXPECT_EQ(plat::GetSystemMetrics(plat::SM_CXSCREEN), 800);
    EXPECT_EQ(plat::GetSystemMetrics(plat::SM_CYSCREEN), 600);

    Drain();
    // Enter went down and was translated to its character.
    ASSERT_EQ(seen_.size(), 2u);
    EXPECT_EQ(seen_[0].message, plat::WM_KEYDOWN);
    EXPECT_EQ(seen_[0].wParam, 13u);
    EXPECT_EQ(seen_[1].message, plat::WM_CHAR);
    EXPECT_EQ(seen_[1].wParam, 13u);
    EXPECT_EQ(plat::GetAsyncKeyState(13) & 0x8000, 0x8000);

    seen_.clear();
    clock->Advance(10);
    Drain();
    ASSERT_EQ(seen_.size(), 2u);
    EXPECT_EQ(seen_[0].wParam, 0xD6u);  // lead byte first
    EXPECT_EQ(seen_[1].wParam, 0xD0u);

    seen_.clear();
    clock->Advance(40);
    Drain();
    EXPECT_EQ(Messages(), (std::vector<uint32_t>{plat::WM_MOUSEMOVE, plat::WM_LBUTTONDOWN, plat::WM_ACTIVATEAPP,
                                                 plat::WM_ACTIVATE, plat::WM_COMMAND, plat::WM_CLOSE}));
    EXPECT_EQ(seen_[1].lParam, plat::MakeLParam(30, 40));
    EXPECT_EQ(seen_[2].wParam, 0u);
    EXPECT_EQ(seen_[3].wParam, plat::WA_INACTIVE);
    EXPECT_EQ(seen_[4].wParam, 9u);
    plat::Point p;
    plat::GetCursorPos(&p);
    EXPECT_EQ(p.x, 30);
    EXPECT_EQ(p.y, 40);
    EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_LBUTTON) & 0x8000, 0x8000);
}

TEST_F(WindowTest, HeadlessLimitClosesAndIdlePassesAdvanceTheClock) {
    vtest::FakeClockScope clock(0);
    plat::UseHeadlessBackend("step 7\nlimit 20\n", true);
    Open();
    plat::Msg msg;
    EXPECT_FALSE(plat::PeekMessage(&msg));
    EXPECT_EQ(clock->NowMs(), 7u);
    EXPECT_FALSE(plat::PeekMessage(&msg));
    EXPECT_FALSE(plat::PeekMessage(&msg));
    EXPECT_EQ(clock->NowMs(), 21u);
    ASSERT_TRUE(plat::PeekMessage(&msg));
    EXPECT_EQ(msg.message, plat::WM_CLOSE);
    EXPECT_EQ(clock->NowMs(), 21u) << "a pass with a message waiting does not advance time";
}

TEST_F(WindowTest, QuitSignalsArriveAsCloseMessages) {
    plat::UseHeadlessBackend();
    Open();
    ASSERT_EQ(std::raise(SIGTERM), 0);
    Drain();
    EXPECT_EQ(Messages(), (std::vector<uint32_t>{plat::WM_CLOSE}));
    plat::InstallQuitSignals();
    ASSERT_EQ(std::raise(SIGINT), 0);
    Drain();
    EXPECT_EQ(Messages(), (std::vector<uint32_t>{plat::WM_CLOSE, plat::WM_CLOSE}));
    plat::InstallQuitSignals();  // leave the process with handlers in place
}

TEST_F(WindowTest, QuitMessageEndsGetMessageAndUnhandledMessagesGoToTheDefault) {
    plat::UseHeadlessBackend();
    Open();
    plat::PostMessage(window_, plat::WM_KEYUP, 65, 0);
    plat::PostQuitMessage(3);
    plat::Msg msg;
    ASSERT_TRUE(plat::GetMessage(&msg));
    EXPECT_EQ(plat::DispatchMessage(msg), 0) << "not handled: the default result";
    EXPECT_FALSE(plat::GetMessage(&msg));
    EXPECT_EQ(msg.message, plat::WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(plat::SendMessage(window_, plat::WM_CLOSE, 0, 0), 7) << "handled: the hook's result";
}

TEST_F(WindowTest, BadScriptClosesAtOnce) {
    plat::UseHeadlessBackend("at 10 explode\n");
    Open();
    plat::Msg msg;
    ASSERT_TRUE(plat::PeekMessage(&msg));
    EXPECT_EQ(msg.message, plat::WM_CLOSE);
}

TEST_F(WindowTest, SdlBackendMapsEventsToWindowMessages) {
    if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "dummy", 1);
    unsetenv("VANTREL_SCRIPT");
    unsetenv("VANTREL_HEADLESS");
    plat::ResetBackendConfiguration();
    if (plat::ConfigureFromEnvironment() != plat::Backend::Sdl) GTEST_SKIP() << "no SDL video driver";
    Open();
    ASSERT_EQ(window_->GetBackend(), plat::Backend::Sdl);
    SDL_Window* sw = window_->GetSdlWindow();
    ASSERT_NE(sw, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(sw), "vantrel");
    plat::SetWindowText(window_, "\xC4\xE3" "Server");  // GBK
    EXPECT_STREQ(SDL_GetWindowTitle(sw), "\xE4\xBD\xA0" "Server");
    // Covers the desktop without changing its mode and without staying on
    // top of other programs.
    EXPECT_EQ(SDL_GetWindowFlags(sw) & SDL_WINDOW_FULLSCREEN_DESKTOP, static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP));
    EXPECT_FALSE(SDL_GetWindowFlags(sw) & SDL_WINDOW_ALWAYS_ON_TOP);
    EXPECT_TRUE(SDL_GetWindowFlags(sw) & SDL_WINDOW_HIDDEN);
    plat::ShowWindow(window_, plat::SW_SHOW);
    EXPECT_TRUE(window_->IsShown());

    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = SDL_GetWindowID(sw);
    e.key.keysym.scancode = SDL_SCANCODE_F11;
    SDL_PushEvent(&e);
    e.type = SDL_KEYUP;
    e.key.keysym.scancode = SDL_SCANCODE_LSHIFT;
    SDL_PushEvent(&e);
    SDL_Event q{};
    q.type = SDL_QUIT;
    SDL_PushEvent(&q);
    SDL_PushEvent(&q);  // two quits in one pump make one close
    seen_.clear();
    Drain();
    std::vector<Seen> keys;
    for (const Seen& s : seen_) {
        if (s.message == plat::WM_KEYDOWN || s.message == plat::WM_KEYUP || s.message == plat::WM_CLOSE) keys.push_back(s);
    }
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].message, plat::WM_KEYDOWN);
    EXPECT_EQ(keys[0].wParam, static_cast<uint32_t>(plat::VK_F11));
    EXPECT_EQ(keys[1].message, plat::WM_KEYUP);
    EXPECT_EQ(keys[1].wParam, static_cast<uint32_t>(plat::VK_LSHIFT));
    EXPECT_EQ(keys[1].lParam & 0xC0000000u, 0xC0000000u);
    EXPECT_EQ(keys[2].message, plat::WM_CLOSE);
}

} // namespace

namespace {

// The game sets a 640x480 frame (its display mode) on a window covering the
// desktop: pointer positions reach it in frame coordinates, bars clamped.
TEST_F(WindowTest, SdlBackendMapsPointerPositionsIntoTheFrame) {
    if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "dummy", 1);
    unsetenv("VANTREL_SCRIPT");
    unsetenv("VANTREL_HEADLESS");
    unsetenv("VANTREL_WINDOWED");
    plat::ResetBackendConfiguration();
    if (plat::ConfigureFromEnvironment() != plat::Backend::Sdl) GTEST_SKIP() << "no SDL video driver";
    Open();
    SDL_Window* sw = window_->GetSdlWindow();
    ASSERT_NE(sw, nullptr);
    plat::ShowWindow(window_, plat::SW_SHOW);
    plat::MoveWindow(window_, 0, 0, 640, 480);
    int ww = 0, wh = 0;
    SDL_GetWindowSize(sw, &ww, &wh);
    ASSERT_GT(ww, 0);
    ASSERT_GT(wh, 0);
    const plat::FrameFit fit = plat::FitFrame(ww, wh, 640, 480);

    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = SDL_GetWindowID(sw);
    e.motion.x = ww / 2;
    e.motion.y = wh / 2;
    SDL_PushEvent(&e);
    SDL_Event b{};
    b.type = SDL_MOUSEBUTTONDOWN;
    b.button.windowID = SDL_GetWindowID(sw);
    b.button.button = SDL_BUTTON_LEFT;
    b.button.state = SDL_PRESSED;
    b.button.x = fit.x + fit.w + 3 < ww ? fit.x + fit.w + 3 : ww - 1;  // a right bar when there is one
    b.button.y = wh - 1;
    SDL_PushEvent(&b);
    seen_.clear();
    Drain();
    std::vector<Seen> mouse;
    for (const Seen& s : seen_) {
        if (s.message == plat::WM_MOUSEMOVE || s.message == plat::WM_LBUTTONDOWN) mouse.push_back(s);
    }
    ASSERT_EQ(mouse.size(), 2u);
    EXPECT_EQ(mouse[0].lParam, plat::MakeLParam(320, 240)) << ww << "x" << wh;
    EXPECT_EQ(mouse[1].message, static_cast<uint32_t>(plat::WM_LBUTTONDOWN));
    EXPECT_EQ(mouse[1].lParam, plat::MakeLParam(639, 479));
    plat::Point p;
    plat::GetCursorPos(&p);
    EXPECT_EQ(p.x, 639);
    EXPECT_EQ(p.y, 479);
}

} // namespace
