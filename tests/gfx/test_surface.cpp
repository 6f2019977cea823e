#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "platform/display.h"
#include "platform/font.h"
#include "platform/present.h"
#include "platform/window.h"
#include "support/test_env.h"

using namespace plat;

namespace {

class SurfaceTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        UseHeadlessBackend();
        ClearDisplayFaults();
        SetDisplayLayout(PixelLayout::k565);
        g_PixelFormat.m_Format = 16;
    }
    void TearDown() override {
        ClearDisplayFaults();
        SetDisplayPresenter(nullptr);
        EXPECT_EQ(CSurface::s_pDD, nullptr) << "a test left display state behind";
        TempDirTest::TearDown();
    }
    std::string Log() const { return ReadFile(Dir() + "BugLog.ini"); }

    // A 16-bit off-screen surface whose every pixel is `fill`.
    static std::unique_ptr<CSurface> Filled(int32_t w, int32_t h, uint16_t fill) {
        auto s = std::make_unique<CSurface>(w, h, 1);
        s->FillAll(fill);
        return s;
    }
};

TEST_F(SurfaceTest, CooperativeLevelLogsEachResult) {
    struct Case {
        DDResult code;
        const char* line;
        int result;
    };
    const Case cases[] = {
        {DDERR_EXCLUSIVEMODEALREADYSET, "SetCooperativeLevel:DDERR_EXCLUSIVEMODEALREADYSET\n ", 0},
        {DDERR_HWNDALREADYSET, "SetCooperativeLevel:DDERR_HWNDALREADYSET \n", 0},
        {DDERR_HWNDSUBCLASSED, "SetCooperativeLevel:DDERR_HWNDSUBCLASSED\n ", 0},
        {DDERR_OUTOFMEMORY, "SetCooperativeLevel:DDERR_OUTOFMEMORY\n ", 0},
        {DDERR_INVALIDPARAMS, "SetCooperativeLevel:DDERR_INVALIDPARAMS\n ", 0},
        {DDERR_INVALIDOBJECT, "SetCooperativeLevel:DDERR_INVALIDOBJECT\n ", 0},
        {DDERR_GENERIC, "", 0},
    };
    for (const Case& c : cases) {
        WriteFile(Dir() + "BugLog.ini", "");
        {
            CSurface display;
            ForceDisplayResult(DisplayOp::SetCooperativeLevel, c.code);
            EXPECT_EQ(display.SetCooperativeLevel(nullptr, 1, DDSCL_NORMAL), c.result);
            EXPECT_EQ(CSurface::s_pPrimary, nullptr);
        }
        EXPECT_EQ(Log(), c.line) << c.code;
    }
    // Success: a windowed primary with a gamma control and a screen-sized back buffer.
    WriteFile(Dir() + "BugLog.ini", "");
    {
        CSurface display;
        EXPECT_EQ(display.SetCooperativeLevel(nullptr, 1, DDSCL_NORMAL), 1);
        EXPECT_NE(CSurface::s_pPrimary, nullptr);
        EXPECT_NE(CSurface::s_pGammaControl, nullptr);
        EXPECT_EQ(display.m_Width, GetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(display.m_Format, 16);
        EXPECT_EQ(CSurface::s_LiveCount, 1);
    }
    EXPECT_EQ(Log(), "SetCooperativeLevel:DD_OK \n");
}

TEST_F(SurfaceTest, DisplayModeLogsEachResult) {
    struct Case {
        DDResult code;
        const char* line;
    };
    const Case cases[] = {
        {DDERR_LOCKEDSURFACES, "SetDisplayMode:DDERR_LOCKEDSURFACES \n"},
        {DDERR_INVALIDOBJECT, "SetDisplayMode:DDERR_INVALIDOBJECT \n"},
        {DDERR_INVALIDPARAMS, "SetDisplayMode:DDERR_INVALIDOBJECT \n"},
        {DDERR_UNSUPPORTED, "SetDisplayMode:DDERR_UNSUPPORTED \n"},
        {DDERR_GENERIC, "SetDisplayMode:DDERR_GENERIC \n"},
        {DDERR_INVALIDMODE, "SetDisplayMode:DDERR_INVALIDMODE \n"},
        {DDERR_WASSTILLDRAWING, "SetDisplayMode:DDERR_WASSTILLDRAWING \n"},
        {DDERR_NOEXCLUSIVEMODE, "SetDisplayMode:DDERR_NOEXCLUSIVEMODE \n"},
        {DDERR_SURFACEBUSY, "SetDisplayMode:DDERR_SURFACEBUSY \n"},
        {DDERR_UNSUPPORTEDMODE, "SetDisplayMode:DDERR_UNSUPPORTEDMODE \n"},
        {DDERR_OUTOFMEMORY, ""},
    };
    for (const Case& c : cases) {
        WriteFile(Dir() + "BugLog.ini", "");
        {
            CSurface display;
            display.m_FullScreen = 1;
            ForceDisplayResult(DisplayOp::SetDisplayMode, c.code);
            EXPECT_EQ(display.SetDisplayMode(nullptr, 640, 480, 16, 1, 0x11), 0);
        }
        EXPECT_EQ(Log(), std::string("SetCooperativeLevel:DD_OK \n") + c.line) << c.code;
    }
}

TEST_F(SurfaceTest, DisplayModeCooperativeFailures) {
    // "Exclusive mode already set" is logged and the mode change goes on;
    // unlisted failures go on silently; other listed ones stop.
    {
        CSurface display;
        display.m_FullScreen = 1;
        ForceDisplayResult(DisplayOp::SetCooperativeLevel, DDERR_EXCLUSIVEMODEALREADYSET);
        EXPECT_EQ(display.SetDisplayMode(nullptr, 640, 480, 16, 1, 0x11), 1);
        ForceDisplayResult(DisplayOp::SetCooperativeLevel, DDERR_GENERIC);
        EXPECT_EQ(display.SetDisplayMode(nullptr, 640, 480, 16, 1, 0x11), 1);
        ForceDisplayResult(DisplayOp::SetCooperativeLevel, DDERR_HWNDSUBCLASSED);
        EXPECT_EQ(display.SetDisplayMode(nullptr, 640, 480, 16, 1, 0x11), 0);
    }
    EXPECT_EQ(Log(),
              "SetCooperativeLevel:DDERR_EXCLUSIVEMODEALREADYSET\n SetDisplayMode:DD_OK \n"
              "SetDisplayMode:DD_OK \n"
              "SetCooperativeLevel:DDERR_HWNDSUBCLASSED\n ");
}

TEST_F(SurfaceTest, UnsupportedModeIsRefusedByTheDevice) {
    {
        CSurface display;
        display.m_FullScreen = 1;
        EXPECT_EQ(display.SetDisplayMode(nullptr, 640, 480, 24, 1, 0x11), 0);
        EXPECT_EQ(display.SetDisplayMode(nullptr, 641, 480, 16, 1, 0x11), 0);
    }
    EXPECT_EQ(Log(),
              "SetCooperativeLevel:DD_OK \nSetDisplayMode:DDERR_UNSUPPORTEDMODE \n"
              "SetCooperativeLevel:DD_OK \nSetDisplayMode:DDERR_UNSUPPORTEDMODE \n");
}

TEST_F(SurfaceTest, DestructorLogsRestoreFailures) {
    const std::pair<DDResult, const char*> cases[] = {
        {DDERR_LOCKEDSURFACES, "Restore: DDERR_LOCKEDSURFACES\n"},
        {DDERR_NOEXCLUSIVEMODE, "Restore: DDERR_NOEXCLUSIVEMODE\n"},
        {DDERR_INVALIDPARAMS, "Restore: DDERR_INVALIDPARAMS\n"},
        {DDERR_INVALIDOBJECT, "Restore: DDERR_INVALIDOBJECT\n"},
        {DDERR_GENERIC, ""},
    };
    for (const auto& [code, line] : cases) {
        WriteFile(Dir() + "BugLog.ini", "");
        {
            CSurface display;
            ForceDisplayResult(DisplayOp::RestoreDisplayMode, code);
        }
        EXPECT_EQ(Log(), line);
    }
}

TEST_F(SurfaceTest, FullScreenFlipChainAndLiveCount) {
    CSurface display;
    display.m_FullScreen = 1;
    ASSERT_EQ(display.SetDisplayMode(nullptr, 800, 600, 16, 1, 0x11), 1);
    EXPECT_EQ(display.m_Width, 800);
    EXPECT_EQ(display.m_Height, 600);
    EXPECT_EQ(GetScreenMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(CSurface::s_LiveCount, 1);
    {
        CSurface off(32, 32, 0);
        EXPECT_EQ(CSurface::s_LiveCount, 2);
    }
    // The back buffer still counts, so the primary stays.
    EXPECT_EQ(CSurface::s_LiveCount, 1);
    EXPECT_NE(CSurface::s_pPrimary, nullptr);
    EXPECT_NE(CSurface::s_pDD, nullptr);

    // Flip swaps the back buffer onto the primary.
    display.FillAll(0x1234);
    EXPECT_EQ(display.Flip(), 1);
    EXPECT_EQ(CSurface::s_pPrimary->PixelAt(5, 5), 0x1234);
    display.Release();
    EXPECT_EQ(CSurface::s_pPrimary, nullptr);
}

TEST_F(SurfaceTest, FirstOffscreenCreatesWindowedPrimary) {
    ASSERT_EQ(CSurface::s_pDD, nullptr);
    CSurface display;
    EXPECT_EQ(CSurface::s_pPrimary, nullptr);
    {
        CSurface off(20, 10, 0);
        EXPECT_NE(CSurface::s_pPrimary, nullptr);
        EXPECT_EQ(off.m_Width, 20);
        EXPECT_EQ(off.m_Format, 16);
        EXPECT_EQ(off.m_BitsPerPixel, 16);
        EXPECT_EQ(CSurface::s_LiveCount, 1);
        // Video memory refused: the surface comes from system memory.
        ForceDisplayResult(DisplayOp::CreateSurface, DDERR_OUTOFVIDEOMEMORY);
        CSurface retry(8, 8, 0);
        ASSERT_NE(retry.m_pSurface, nullptr);
        EXPECT_EQ(retry.m_Desc.caps, 0x840u);
        // Both refused: no surface, and Lock says so.
        ForceDisplayResult(DisplayOp::CreateSurface, DDERR_OUTOFMEMORY, 2);
        CSurface none(8, 8, 0);
        EXPECT_EQ(none.m_pSurface, nullptr);
        EXPECT_EQ(none.Lock(nullptr), nullptr);
        none.FillAll(1);  // draws nothing, does not crash
    }
    EXPECT_EQ(CSurface::s_LiveCount, 0);
}

TEST_F(SurfaceTest, OffscreenPitchIsWiderThanTheRow) {
    CSurface display;
    CSurface s(10, 4, 0);
    uint8_t* p = s.Lock(nullptr);
    ASSERT_NE(p, nullptr);
    EXPECT_GT(s.m_Pitch, 20);
    s.Unlock();
    s.PutPixel(0x7777, 3, 2);
    EXPECT_EQ(s.m_pSurface->PixelAt(3, 2), 0x7777);
    s.PutPixel(0x1111, 10, 2);  // one right of the last column
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x) EXPECT_EQ(s.m_pSurface->PixelAt(x, y), (x == 3 && y == 2) ? 0x7777 : 0);
}

TEST_F(SurfaceTest, ColorKeyRules) {
    CSurface display;
    auto src = Filled(4, 1, 0xF81F);
    src->PutPixel(0x0000, 1, 0);
    src->PutPixel(0x1234, 2, 0);
    auto dst = Filled(4, 1, 0xAAAA);

    // Key -1 keys by black and stores 0.
    EXPECT_EQ(src->SetColorKey(0xFFFFFFFFu), 0u);
    EXPECT_EQ(src->GetColorKey(), 0u);
    DDColorKey ck;
    ASSERT_EQ(src->m_pSurface->GetColorKey(DDCKEY_SRCBLT, &ck), DD_OK);
    EXPECT_EQ(ck.low, 0u);
    EXPECT_EQ(src->m_pSurface->PixelAt(0, 0), 0xF81F) << "the probe pixel is put back";

    // Mode 0 skips key pixels; mode 1 copies them.
    ASSERT_EQ(src->Blt(dst.get(), 0, 0, 4, 1, 0, 0, 0, 0, nullptr), 1);
    EXPECT_EQ(dst->m_pSurface->PixelAt(1, 0), 0xAAAA);
    EXPECT_EQ(dst->m_pSurface->PixelAt(2, 0), 0x1234);
    ASSERT_EQ(src->Blt(dst.get(), 0, 0, 4, 1, 0, 0, 1, 0, nullptr), 1);
    EXPECT_EQ(dst->m_pSurface->PixelAt(1, 0), 0x0000);

    // Magenta key set directly.
    src->SetColorKey(0xF81F);
    dst->FillAll(0xAAAA);
    src->Blt(dst.get(), 0, 0, 4, 1, 0, 0, 0, 0, nullptr);
    EXPECT_EQ(dst->m_pSurface->PixelAt(0, 0), 0xAAAA);
    EXPECT_EQ(dst->m_pSurface->PixelAt(1, 0), 0x0000);

    // A surface without a surface only stores the key.
    ForceDisplayResult(DisplayOp::CreateSurface, DDERR_OUTOFMEMORY, 2);
    CSurface bare(2, 2, 0);
    EXPECT_EQ(bare.SetColorKey(0xFFFFFFFFu), 0xFFFFFFFFu);
}

TEST_F(SurfaceTest, SoftwareBlitKeyOfMinusOneNeverMatches) {
    CSurface display;
    auto src = Filled(3, 1, 0xFFFF);
    auto dst = Filled(3, 1, 0x0001);
    ASSERT_EQ(src->GetColorKey(), 0xFFFFFFFFu);
    // Mode 4 goes through the software blit with the stored 32-bit key.
    ASSERT_EQ(src->Blt(dst.get(), 0, 0, 3, 1, 0, 0, 4, 0, nullptr), 1);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dst->m_pSurface->PixelAt(x, 0), 0xFFFF);
    src->m_ColorKey = 0xFFFF;
    dst->FillAll(1);
    src->Blt(dst.get(), 0, 0, 3, 1, 0, 0, 4, 0, nullptr);
    EXPECT_EQ(dst->m_pSurface->PixelAt(0, 0), 1);
}

TEST_F(SurfaceTest, ClippedBlits) {
    CSurface display;
    auto src = Filled(8, 8, 0x5555);
    auto dst = Filled(8, 8, 0x0000);
    const CGameRect clip{2, 2, 4, 4};
    for (int mode : {1, 4}) {
        dst->FillAll(0);
        // Wholly outside the clip box: 0 and nothing touched.
        EXPECT_EQ(src->Blt(dst.get(), 6, 6, 2, 2, 0, 0, mode, 0, &clip), 0) << mode;
        EXPECT_EQ(src->Blt(dst.get(), -5, 0, 4, 4, 0, 0, mode, 0, nullptr), 0) << mode;
        const CGameRect far{9, 9, 3, 3};
        EXPECT_EQ(src->Blt(dst.get(), 0, 0, 4, 4, 0, 0, mode, 0, &far), 0) << mode;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) ASSERT_EQ(dst->m_pSurface->PixelAt(x, y), 0) << mode;
        // Partly inside: only the clip box is written.
        EXPECT_EQ(src->Blt(dst.get(), 0, 0, 8, 8, 0, 0, mode, 0, &clip), 1);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(dst->m_pSurface->PixelAt(x, y), (x >= 2 && x < 6 && y >= 2 && y < 6) ? 0x5555 : 0);
    }
    // The source corner moves with the clipped destination.
    auto grad = std::make_unique<CSurface>(8, 1, 1);
    for (int x = 0; x < 8; ++x) grad->PutPixel(static_cast<uint32_t>(x + 1), x, 0);
    dst->FillAll(0);
    EXPECT_EQ(grad->Blt(dst.get(), -3, 0, 8, 1, 0, 0, 1, 0, nullptr), 1);
    EXPECT_EQ(dst->m_pSurface->PixelAt(0, 0), 4);
    EXPECT_EQ(dst->m_pSurface->PixelAt(4, 0), 8);
    EXPECT_EQ(dst->m_pSurface->PixelAt(5, 0), 0);
}

TEST_F(SurfaceTest, LockRestoresALostSurfaceAndBoundsItsRetries) {
    CSurface display;
    CSurface s(4, 4, 0);
    // Lost once: restored and locked.
    s.m_pSurface->MarkLost();
    ASSERT_NE(s.Lock(nullptr), nullptr);
    s.Unlock();
    // Restore fails: null.
    s.m_pSurface->MarkLost();
    ForceDisplayResult(DisplayOp::Restore, DDERR_GENERIC);
    EXPECT_EQ(s.Lock(nullptr), nullptr);
    ClearDisplayFaults();
    // Lost again after every restore: gives up instead of looping forever.
    ForceDisplayResult(DisplayOp::Lock, DDERR_SURFACELOST, -1);
    EXPECT_EQ(s.Lock(nullptr), nullptr);
    EXPECT_EQ(DisplayCallCount(DisplayOp::Lock), CSurface::kMaxRestoreRetries + 1);
    ClearDisplayFaults();
    // Still drawing for ever: bounded too.
    ForceDisplayResult(DisplayOp::Lock, DDERR_WASSTILLDRAWING, -1);
    EXPECT_EQ(s.Lock(nullptr), nullptr);
    EXPECT_EQ(DisplayCallCount(DisplayOp::Lock), CSurface::kMaxBusyRetries + 1);
    ClearDisplayFaults();
    // A few "still drawing" answers are waited out.
    ForceDisplayResult(DisplayOp::Lock, DDERR_WASSTILLDRAWING, 3);
    EXPECT_NE(s.Lock(nullptr), nullptr);
    s.Unlock();
    // Any other failure: null at once.
    ForceDisplayResult(DisplayOp::Lock, DDERR_GENERIC);
    EXPECT_EQ(s.Lock(nullptr), nullptr);
}

TEST_F(SurfaceTest, BltToPrimaryBoundsRestoreRetries) {
    CSurface display;
    ASSERT_EQ(display.SetCooperativeLevel(nullptr, 1, DDSCL_NORMAL), 1);
    ForceDisplayResult(DisplayOp::BltFast, DDERR_SURFACELOST, -1);
    EXPECT_FALSE(display.BltToPrimary(0, 0, 16, 16, 0, 0));
    EXPECT_EQ(DisplayCallCount(DisplayOp::BltFast), CSurface::kMaxRestoreRetries + 1);
    ClearDisplayFaults();
    ForceDisplayResult(DisplayOp::BltFast, DDERR_SURFACELOST, 1);
    EXPECT_TRUE(display.BltToPrimary(0, 0, 16, 16, 0, 0));
    ForceDisplayResult(DisplayOp::BltFast, DDERR_NOBLTHW, 1);
    EXPECT_FALSE(display.BltToPrimary(0, 0, 16, 16, 0, 0));
}

TEST_F(SurfaceTest, GameModeSetShowsABlackFrame) {
    HeadlessPresenter presenter("");
    SetDisplayPresenter(&presenter);
    {
        // The game object's sequence for mode 640x480.
        CSurface display;
        display.m_FullScreen = 1;
        display.Release();
        ASSERT_EQ(display.SetDisplayMode(nullptr, 640, 480, 16, 1, 0x11), 1);
        EXPECT_EQ(display.AttachClipper(nullptr), 1);
        EXPECT_EQ(display.FillScreenRect(nullptr, 0, 0, 640, 480, 0), 1);
        display.FillAll(0);
        display.PutPixel(0xFFFF, 639, 479);
        EXPECT_EQ(display.BltToWindow(nullptr, 0, 0, display.m_Width, display.m_Height, 0, 0), 1);
        EXPECT_EQ(CSurface::s_pClipper->GetHWnd(), nullptr);
    }
    ASSERT_TRUE(presenter.HasFrame());
    EXPECT_EQ(presenter.Width(), 640);
    EXPECT_EQ(presenter.Height(), 480);
    const std::vector<uint8_t> rgb = presenter.LastRgb();
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[(479 * 640 + 639) * 3], 255);
    EXPECT_EQ(GetScreenMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CXSCREEN)) << "mode given back at exit";
}

TEST_F(SurfaceTest, BltToWindowClipsToWindowAndScreen) {
    HeadlessPresenter presenter("");
    SetDisplayPresenter(&presenter);
    CSurface display;
    ASSERT_EQ(display.SetCooperativeLevel(nullptr, 1, DDSCL_NORMAL), 1);
    display.FillAll(0x0001);
    display.PutPixel(0x00AA, 10, 10);
    // Drawn at (-10, -10): the pixel (10, 10) lands on (0, 0) of the screen.
    EXPECT_EQ(display.BltToWindow(nullptr, -10, -10, 50, 50, 0, 0), 1);
    EXPECT_EQ(CSurface::s_pPrimary->PixelAt(0, 0), 0x00AA);
    EXPECT_EQ(display.BltToWindow(nullptr, 5000, 0, 10, 10, 0, 0), 0);
}

TEST_F(SurfaceTest, GammaRampReachesThePresentedFrame) {
    HeadlessPresenter presenter("");
    SetDisplayPresenter(&presenter);
    CSurface display;
    ASSERT_EQ(display.SetCooperativeLevel(nullptr, 1, DDSCL_NORMAL), 1);
    ASSERT_NE(CSurface::s_pGammaControl, nullptr);
    GammaRamp half;
    SetIdentityRamp(half);
    for (int i = 0; i < 256; ++i) half.red[i] = half.green[i] = half.blue[i] = static_cast<uint16_t>(i * 257 / 2);
    ASSERT_EQ(CSurface::s_pGammaControl->SetGammaRamp(0, &half), DD_OK);
    display.FillAll(0xFFFF);
    display.BltToWindow(nullptr, 0, 0, display.m_Width, display.m_Height, 0, 0);
    const std::vector<uint8_t> rgb = presenter.LastRgb();
    EXPECT_EQ(rgb[0], 127);
    EXPECT_EQ(rgb[1], 127);
}

TEST_F(SurfaceTest, TextThroughTheDrawingContext) {
    if (FindFontFile().empty()) GTEST_SKIP() << "no CJK font installed";
    CSurface display;
    CSurface s(64, 20, 0);
    DrawContext* dc = s.GetDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(s.Lock(nullptr), nullptr) << "busy while the context is out";
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(Rgb(255, 255, 255));
    EXPECT_TRUE(dc->TextOut(0, 0, "A"));
    s.ReleaseDC(dc);
    int ink = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 64; ++x) ink += s.m_pSurface->PixelAt(x, y) == 0xFFFF;
    EXPECT_GT(ink, 0);
}

} // namespace
