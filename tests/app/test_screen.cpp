// The screen presenter with the real display surface: presenting frames,
// the display events around a mode change, lost surfaces, the zoom blit
// and the presenter that the main window installs.
#include <gtest/gtest.h>

#include <SDL.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "app_fixture.h"
#include "gfx/surface.h"
#include "platform/png.h"
#include "platform/present.h"
#include "platform/present_sdl.h"

namespace {

// Records what the presenter and the game object hold when an event
// arrives; registered after the presenter, so it sees the event after it.
struct EventSpy : CMsgHandler {
    struct Seen {
        uint32_t code;
        CSurface* screenDisplay;
        int32_t screenW, screenH, area;
        int32_t gameW, gameH;
    };
    std::vector<Seen> seen;
    std::function<void(uint32_t)> onEvent;
    int OnMessage(uint32_t code, uint32_t, uint32_t) override {
        seen.push_back(Seen{code, g_Screen.m_pDisplay, g_Screen.m_Width, g_Screen.m_Height, g_Screen.m_Area,
                            g_GameMain.m_ScreenWidth, g_GameMain.m_ScreenHeight});
        if (onEvent) onEvent(code);
        return 1;
    }
};

class ScreenTest : public GameMainTest {
protected:
    void SetUp() override {
        GameMainTest::SetUp();
        plat::SetDisplayPresenter(&presenter_);
    }
    void TearDown() override {
        plat::SetDisplayPresenter(nullptr);
        GameMainTest::TearDown();
    }
    // As after start-up: the 640x480 mode is set and the presenter holds
    // the display surface.
    void StartDisplay(int state = GS_TITLE) {
        StandIn(state);
        g_GameMain.m_CurDisplayMode = DM_NONE;
        ASSERT_EQ(g_GameMain.SetDisplayMode(DM_640, 0), 1);
        g_Screen.Init();
        ASSERT_NE(g_Screen.m_pDisplay, nullptr);
    }
    // One frame drawn with no logic tick due.
    void DrawFrame() {
        g_GameMain.m_LogicTimeSet = 0;
        g_FrameDirty = 1;
        g_GameMain.TickAndDraw();
    }
    CSurface* Display() { return g_GameMain.m_pDisplay; }

    plat::HeadlessPresenter presenter_{""};
};

TEST_F(ScreenTest, DrawnFrameReachesThePresenterByteForByte) {
    StartDisplay();
    EXPECT_EQ(Display()->m_Width, 640);
    EXPECT_EQ(Display()->m_Height, 480);
    EXPECT_EQ(g_Screen.m_Width, 640);
    EXPECT_EQ(g_Screen.m_Area, 640 * 480);
    Display()->FillRect(0xF800, 10, 20, 30, 40);
    const int before = presenter_.FrameCount();
    DrawFrame();
    ASSERT_GT(presenter_.FrameCount(), before);
    const plat::Frame f = presenter_.LastFrame();
    ASSERT_EQ(f.width, 640);
    ASSERT_EQ(f.height, 480);
    auto px = [&](int x, int y) {
        uint16_t p;
        std::memcpy(&p, f.pixels + static_cast<size_t>(y) * f.pitch + x * 2, 2);
        return p;
    };
    EXPECT_EQ(px(10, 20), 0xF800);
    EXPECT_EQ(px(39, 59), 0xF800);
    EXPECT_EQ(px(40, 20), 0);
    EXPECT_EQ(px(10, 60), 0);
    EXPECT_EQ(px(639, 479), 0);
    // Present itself reports the blit.
    EXPECT_EQ(g_Screen.Present(nullptr), 1);
    g_Screen.m_pDisplay = nullptr;
    EXPECT_EQ(g_Screen.Present(nullptr), 0);
}

TEST_F(ScreenTest, ModeChangeTo800AnnouncesTheNewSizeAndPresents800x600) {
    StartDisplay();
    EventSpy spy;
    spy.Activate();
    ASSERT_EQ(g_GameMain.SetDisplayMode(DM_800, 0), 1);
    ASSERT_EQ(spy.seen.size(), 2u);
    EXPECT_EQ(spy.seen[0].code, 1u);
    EXPECT_EQ(spy.seen[0].screenDisplay, nullptr) << "released before the mode changes";
    EXPECT_EQ(spy.seen[1].code, 0u);
    EXPECT_EQ(spy.seen[1].screenDisplay, Display());
    EXPECT_EQ(spy.seen[1].screenW, 800);
    EXPECT_EQ(spy.seen[1].screenH, 600);
    EXPECT_EQ(spy.seen[1].area, 480000);
    EXPECT_EQ(spy.seen[1].gameW, 800) << "the UI is told the new size";
    EXPECT_EQ(spy.seen[1].gameH, 600);
    EXPECT_EQ(Display()->m_Width, 800);
    EXPECT_EQ(Display()->m_Height, 600);
    DrawFrame();
    EXPECT_EQ(presenter_.Width(), 800);
    EXPECT_EQ(presenter_.Height(), 600);
}

TEST_F(ScreenTest, NoFrameIsPresentedBetweenTheTwoEvents) {
    StartDisplay();
    EventSpy spy;
    int framesDuringChange = -1;
    spy.onEvent = [&](uint32_t code) {
        if (code != 1) return;
        const int before = presenter_.FrameCount();
        const int presentsBefore = g_Screen.m_Presents;
        Clock().Advance(35);
        g_FrameDirty = 1;
        g_GameMain.TickAndDraw();
        g_GameMain.DrawLoadingProgress(1);
        framesDuringChange = presenter_.FrameCount() - before + (g_Screen.m_Presents - presentsBefore);
    };
    spy.Activate();
    ASSERT_EQ(g_GameMain.SetDisplayMode(DM_1024, 0), 1);
    EXPECT_EQ(framesDuringChange, 0);
    const int before = presenter_.FrameCount();
    // A picture other than the black of the change (an unchanged one is
    // not handed over again).
    Display()->FillRect(0xF800, 10, 20, 30, 40);
    DrawFrame();
    EXPECT_EQ(presenter_.FrameCount(), before + 1) << "presenting again after the change";
    EXPECT_EQ(presenter_.Width(), 1024);
}

TEST_F(ScreenTest, LostPrimaryIsRestoredOnTheAfterEventAndByTheFrameLoop) {
    StartDisplay();
    // The after-event restores a lost primary; a failed restore leaves it.
    plat::ForceDisplayResult(plat::DisplayOp::Restore, plat::DDERR_GENERIC, 1);
    CSurface::s_pDD->LoseAllSurfaces();
    g_MsgDispatcher.Send(0, 0, 0);
    EXPECT_EQ(CSurface::s_pPrimary->IsLost(), plat::DDERR_SURFACELOST);
    g_MsgDispatcher.Send(0, 0, 0);
    EXPECT_EQ(CSurface::s_pPrimary->IsLost(), plat::DD_OK);

    // Everything lost (another program took the display): the next frame
    // re-applies the mode and still presents.
    CSurface::s_pDD->LoseAllSurfaces();
    const int before = presenter_.FrameCount();
    DrawFrame();
    EXPECT_EQ(CSurface::s_pPrimary->IsLost(), plat::DD_OK);
    EXPECT_EQ(Display()->m_pSurface->IsLost(), plat::DD_OK);
    EXPECT_GT(presenter_.FrameCount(), before);
    EXPECT_EQ(presenter_.Width(), 640);
}

TEST_F(ScreenTest, ZoomStretchesTheCentreOfTheBackBufferOntoItself) {
    StartDisplay(GS_INGAME);
    const int32_t w = 640, h = 480;
    auto pattern = [](int32_t x, int32_t y) { return static_cast<uint16_t>((x * 7) ^ (y << 6)); };
    uint8_t* base = Display()->Lock(nullptr);
    ASSERT_NE(base, nullptr);
    const int32_t pitch = Display()->m_Pitch;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const uint16_t p = pattern(x, y);
            std::memcpy(base + static_cast<size_t>(y) * pitch + x * 2, &p, 2);
        }
    }
    Display()->Unlock();
    g_GameMain.m_Zoom = 0.1f;  // margins of 64 and 48 pixels
    DrawFrame();
    // Nearest source pixel of the rectangle (64, 48)-(576, 432), read from
    // the pixels as they were before the stretch began.
    const plat::DDSurface* s = Display()->m_pSurface;
    int wrong = 0;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const int32_t sx = 64 + x * 512 / 640, sy = 48 + y * 384 / 480;
            if (s->PixelAt(x, y) != pattern(sx, sy)) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
    // The presented frame is the zoomed back buffer.
    const plat::Frame f = presenter_.LastFrame();
    ASSERT_EQ(f.width, w);
    for (int32_t y = 0; y < h; ++y) {
        if (std::memcmp(f.pixels + static_cast<size_t>(y) * f.pitch, s->Pixels() + static_cast<size_t>(y) * s->Pitch(),
                        static_cast<size_t>(w) * 2) != 0) {
            ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);

    // Without the zoom capability the back buffer stays as drawn.
    g_GameMain.m_ZoomCap = 0;
    const uint16_t corner = s->PixelAt(0, 0);
    DrawFrame();
    EXPECT_EQ(s->PixelAt(0, 0), corner);
}

TEST_F(ScreenTest, MainWindowInstallsAHeadlessPresenterThatDumpsTheLastFrame) {
    plat::SetDisplayPresenter(nullptr);
    const std::string png = Dir() + "last.png";
    setenv("VANTREL_FRAME_PNG", png.c_str(), 1);
    auto wnd = std::make_unique<CMainWnd>();
    unsetenv("VANTREL_FRAME_PNG");
    ASSERT_NE(wnd->GetPresenter(), nullptr);
    EXPECT_EQ(plat::GetDisplayPresenter(), wnd->GetPresenter());
    EXPECT_NE(dynamic_cast<plat::HeadlessPresenter*>(wnd->GetPresenter()), nullptr);
    EXPECT_EQ(wnd->GetWindow()->Width(), 1024) << "the headless desktop";

    StartDisplay();
    EXPECT_EQ(wnd->GetWindow()->Width(), 640) << "the window covers the 640x480 screen";
    EXPECT_EQ(wnd->GetWindow()->Height(), 480);
    Display()->FillRect(0x07E0, 0, 0, 2, 1);
    DrawFrame();
    wnd.reset();
    EXPECT_EQ(plat::GetDisplayPresenter(), nullptr);
    int32_t pw = 0, ph = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(plat::ReadPngRgb(png, &pw, &ph, &rgb));
    EXPECT_EQ(pw, 640);
    EXPECT_EQ(ph, 480);
    const uint8_t first[] = {0, 255, 0, 0, 255, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 9), std::vector<uint8_t>(first, first + 9));
}

TEST_F(ScreenTest, SdlMainWindowPresentsThroughItsRenderer) {
    plat::SetDisplayPresenter(nullptr);
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (!driver || std::string(driver) != "dummy") setenv("SDL_VIDEODRIVER", "dummy", 1);
    unsetenv("VANTREL_SCRIPT");
    unsetenv("VANTREL_HEADLESS");
    unsetenv("VANTREL_WINDOWED");
    plat::ResetBackendConfiguration();
    if (plat::ConfigureFromEnvironment() != plat::Backend::Sdl) {
        plat::UseHeadlessBackend();
        GTEST_SKIP() << "no SDL video driver";
    }
    {
        CMainWnd wnd;
        auto* sdl = dynamic_cast<plat::SdlPresenter*>(wnd.GetPresenter());
        ASSERT_NE(sdl, nullptr);
        ASSERT_EQ(plat::GetDisplayPresenter(), sdl);
        StartDisplay();
        Display()->FillAll(0xF800);
        const int before = sdl->PresentedCount();
        DrawFrame();
        EXPECT_GT(sdl->PresentedCount(), before);
        uint32_t argb = 0;
        SDL_Rect one{5, 5, 1, 1};
        ASSERT_EQ(SDL_RenderReadPixels(sdl->Renderer(), &one, SDL_PIXELFORMAT_ARGB8888, &argb, 4), 0);
        EXPECT_EQ(argb & 0xFFFFFF, 0xFF0000u);
        g_Effect3D.Shutdown();
        DisplayDelete(&g_GameMain.m_pDisplay);
    }
    EXPECT_EQ(plat::GetDisplayPresenter(), nullptr);
    plat::UseHeadlessBackend();
}

// The frame-capture flag saves every drawn frame as an 800x600 24-bit BMP;
// TakeScreenshot(0, 0) saves the primary as it is.
TEST_F(ScreenTest, FrameCaptureSavesDrawnFramesAsBitmaps) {
    StartDisplay();
    Display()->FillRect(0xF800, 10, 20, 30, 40);  // red, 565
    g_GameMain.m_FrameCapture = 1;
    DrawFrame();
    g_GameMain.m_FrameCapture = 0;
    g_GameMain.TakeScreenshot(0, 0);

    struct Bmp {
        int32_t w = 0, h = 0, bpp = 0;
        std::string bytes;
        uint32_t U32(size_t at) const {
            uint32_t v = 0;
            for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
            return v;
        }
        // B, G, R of pixel (x, y) counted from the top.
        std::array<int, 3> At(int32_t x, int32_t y) const {
            const size_t row = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
            const size_t at = U32(10) + (static_cast<size_t>(h - 1 - y)) * row + static_cast<size_t>(x) * 3;
            return {static_cast<uint8_t>(bytes[at]), static_cast<uint8_t>(bytes[at + 1]),
                    static_cast<uint8_t>(bytes[at + 2])};
        }
    };
    auto load = [&](const std::string& name) {
        Bmp b;
        b.bytes = ReadFile(Dir() + "ScreenShot/" + name);
        if (b.bytes.size() < 54 || b.bytes.compare(0, 2, "BM") != 0) return b;
        b.w = static_cast<int32_t>(b.U32(18));
        b.h = static_cast<int32_t>(b.U32(22));
        b.bpp = static_cast<uint8_t>(b.bytes[28]);
        return b;
    };
    const Bmp scaled = load("Scn0000.bmp");
    ASSERT_EQ(scaled.w, 800);
    ASSERT_EQ(scaled.h, 600);
    ASSERT_EQ(scaled.bpp, 24);
    EXPECT_EQ(scaled.bytes.size(), 54u + 800u * 3u * 600u);
    EXPECT_EQ(scaled.At(31, 50), (std::array<int, 3>{0, 0, 248}));  // inside the stretched rectangle
    EXPECT_EQ(scaled.At(400, 300), (std::array<int, 3>{0, 0, 0}));

    const Bmp plain = load("Scn0001.bmp");
    ASSERT_EQ(plain.w, 640);
    ASSERT_EQ(plain.h, 480);
    EXPECT_EQ(plain.At(10, 20), (std::array<int, 3>{0, 0, 248}));
    EXPECT_EQ(plain.At(40, 20), (std::array<int, 3>{0, 0, 0}));
}

} // namespace
