#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/png.h"
#include "platform/present.h"
#include "platform/present_sdl.h"
#include "platform/window.h"
#include "support/test_env.h"

using namespace plat;

namespace {

class DisplayDeviceTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        UseHeadlessBackend();
        ClearDisplayFaults();
        SetDisplayLayout(PixelLayout::k565);
        ASSERT_EQ(DirectDrawCreate(&dd_), DD_OK);
    }
    void TearDown() override {
        for (DDSurface* s : made_) s->Release();
        dd_->RestoreDisplayMode();
        dd_->Release();
        SetDisplayPresenter(nullptr);
        SetDisplayLayout(PixelLayout::k565);
        ClearDisplayFaults();
        TempDirTest::TearDown();
    }
    DDSurface* Off(int w, int h) {
        DDSurfaceDesc d;
        d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.caps = DDSCAPS_OFFSCREENPLAIN;
        d.width = static_cast<uint32_t>(w);
        d.height = static_cast<uint32_t>(h);
        DDSurface* s = nullptr;
        EXPECT_EQ(dd_->CreateSurface(&d, &s), DD_OK);
        made_.push_back(s);
        return s;
    }
    DDSurface* Primary() {
        DDSurfaceDesc d;
        d.flags = DDSD_CAPS;
        d.caps = DDSCAPS_PRIMARYSURFACE;
        DDSurface* s = nullptr;
        EXPECT_EQ(dd_->CreateSurface(&d, &s), DD_OK);
        made_.push_back(s);
        return s;
    }
    static void Put(DDSurface* s, int x, int y, uint16_t p) { std::memcpy(s->MutablePixels() + y * s->Pitch() + x * 2, &p, 2); }
    static void Fill(DDSurface* s, uint16_t p) {
        for (int y = 0; y < s->Height(); ++y)
            for (int x = 0; x < s->Width(); ++x) Put(s, x, y, p);
    }
    // Row y as a string of hex digits (low nibble of each pixel).
    static std::string Row(DDSurface* s, int y) {
        std::string r;
        for (int x = 0; x < s->Width(); ++x) r += "0123456789ABCDEF"[s->PixelAt(x, y) & 15];
        return r;
    }
    DisplayDevice* dd_ = nullptr;
    std::vector<DDSurface*> made_;
};

TEST_F(DisplayDeviceTest, LockGivesPaddedRowsAndRefusesNesting) {
    DDSurface* s = Off(10, 3);
    DDSurfaceDesc d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
    EXPECT_GT(d.pitch, 20);
    EXPECT_EQ(d.pixelFormat.gBitMask, 0x7E0u);
    EXPECT_EQ(s->Lock(nullptr, &d, 0), DDERR_SURFACEBUSY);
    EXPECT_EQ(dd_->SetDisplayMode(640, 480, 16, 0, 0), DDERR_LOCKEDSURFACES);
    EXPECT_EQ(s->Unlock(nullptr), DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    Rect r{2, 1, 4, 3};
    ASSERT_EQ(s->Lock(&r, &d, 0), DD_OK);
    EXPECT_EQ(static_cast<uint8_t*>(d.surface), s->MutablePixels() + s->Pitch() + 4);
    s->Unlock(nullptr);
    Rect bad{8, 0, 11, 1};
    EXPECT_EQ(s->Lock(&bad, &d, 0), DDERR_INVALIDPARAMS);
}

TEST_F(DisplayDeviceTest, FastCopyWithAndWithoutKey) {
    DDSurface* src = Off(4, 1);
    DDSurface* dst = Off(6, 1);
    Put(src, 0, 0, 1);
    Put(src, 1, 0, 9);
    Put(src, 2, 0, 3);
    Put(src, 3, 0, 9);
    Rect all{0, 0, 4, 1};
    ASSERT_EQ(dst->BltFast(1, 0, src, &all, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY), DD_OK);  // no key set: all copied
    EXPECT_EQ(Row(dst, 0), "019390");
    Fill(dst, 0);
    const DDColorKey key{9, 9};
    src->SetColorKey(DDCKEY_SRCBLT, &key);
    ASSERT_EQ(dst->BltFast(1, 0, src, &all, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(Row(dst, 0), "010300");
    ASSERT_EQ(dst->BltFast(1, 0, src, &all, DDBLTFAST_NOCOLORKEY), DD_OK);
    EXPECT_EQ(Row(dst, 0), "019390");
    // BltFast does not clip.
    EXPECT_EQ(dst->BltFast(3, 0, src, &all, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(Row(dst, 0), "019390");
}

TEST_F(DisplayDeviceTest, StretchNearestNeighbourWithAndWithoutKey) {
    DDSurface* src = Off(2, 2);
    DDSurface* dst = Off(4, 4);
    Put(src, 0, 0, 1);
    Put(src, 1, 0, 2);
    Put(src, 0, 1, 3);
    Put(src, 1, 1, 4);
    ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Row(dst, 0), "1122");
    EXPECT_EQ(Row(dst, 1), "1122");
    EXPECT_EQ(Row(dst, 3), "3344");
    Fill(dst, 0);
    const DDColorKey key{4, 4};
    src->SetColorKey(DDCKEY_SRCBLT, &key);
    ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_KEYSRC, nullptr), DD_OK);
    EXPECT_EQ(Row(dst, 3), "3300");
    // Shrink: every other pixel.
    DDSurface* small = Off(1, 1);
    Rect part{0, 0, 4, 4};
    ASSERT_EQ(small->Blt(nullptr, dst, &part, 0, nullptr), DD_OK);
    EXPECT_EQ(small->PixelAt(0, 0), 1);
}

TEST_F(DisplayDeviceTest, SameSurfaceStretchReadsTheOldPixels) {
    // The zoom: a middle part of the surface stretched over all of it.
    DDSurface* s = Off(8, 1);
    for (int x = 0; x < 8; ++x) Put(s, x, 0, static_cast<uint16_t>(x));
    Rect mid{2, 0, 6, 1};
    ASSERT_EQ(s->Blt(nullptr, s, &mid, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Row(s, 0), "22334455");
    // Overlapping same-size copy.
    for (int x = 0; x < 8; ++x) Put(s, x, 0, static_cast<uint16_t>(x));
    Rect head{0, 0, 6, 1};
    ASSERT_EQ(s->BltFast(2, 0, s, &head, 0), DD_OK);
    EXPECT_EQ(Row(s, 0), "01012345");
}

TEST_F(DisplayDeviceTest, ColourFillAndClipper) {
    DDSurface* s = Off(4, 2);
    DDBltFx fx;
    fx.fillColor = 7;
    Rect r{1, 0, 3, 2};
    ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    EXPECT_EQ(Row(s, 1), "0770");
    Rect over{2, 0, 9, 2};
    EXPECT_EQ(s->Blt(&over, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDRECT);
    DDClipper* c = nullptr;
    ASSERT_EQ(dd_->CreateClipper(0, &c), DD_OK);
    ASSERT_EQ(s->SetClipper(c), DD_OK);
    Window* fakeWindow = reinterpret_cast<Window*>(0x1234);
    EXPECT_EQ(c->SetHWnd(0, fakeWindow), DD_OK);
    EXPECT_EQ(c->GetHWnd(), fakeWindow);
    fx.fillColor = 5;
    EXPECT_EQ(s->Blt(&over, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    EXPECT_EQ(Row(s, 0), "0755");
    c->Release();
}

TEST_F(DisplayDeviceTest, LostSurfacesAndModes) {
    DDSurface* s = Off(2, 2);
    DDSurface* t = Off(2, 2);
    dd_->LoseAllSurfaces();
    DDSurfaceDesc d;
    EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(s->Lock(nullptr, &d, 0), DDERR_SURFACELOST);
    EXPECT_EQ(t->BltFast(0, 0, s, nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(s->Restore(), DD_OK);
    EXPECT_EQ(s->IsLost(), DD_OK);
    EXPECT_EQ(t->IsLost(), DDERR_SURFACELOST);
    // A mode change of a different size loses every surface; 24 bits and odd sizes are refused.
    t->Restore();
    EXPECT_EQ(dd_->SetDisplayMode(640, 480, 24, 0, 0), DDERR_UNSUPPORTEDMODE);
    EXPECT_EQ(dd_->SetDisplayMode(600, 400, 16, 0, 0), DDERR_UNSUPPORTEDMODE);
    ASSERT_EQ(dd_->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
    EXPECT_EQ(GetScreenMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
    ASSERT_EQ(dd_->RestoreDisplayMode(), DD_OK);
    EXPECT_EQ(GetScreenMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CXSCREEN));
    // Forced results come first.
    ForceDisplayResult(DisplayOp::Restore, DDERR_GENERIC);
    EXPECT_EQ(s->Restore(), DDERR_GENERIC);
    EXPECT_EQ(s->Restore(), DD_OK);
}

TEST_F(DisplayDeviceTest, FlipChainPresentsTheBackBuffer) {
    HeadlessPresenter presenter("");
    SetDisplayPresenter(&presenter);
    ASSERT_EQ(dd_->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
    DDSurfaceDesc d;
    d.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    d.backBufferCount = 1;
    DDSurface* primary = nullptr;
    ASSERT_EQ(dd_->CreateSurface(&d, &primary), DD_OK);
    made_.push_back(primary);
    DDSurface* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(DDSCAPS_BACKBUFFER, &back), DD_OK);
    made_.push_back(back);
    EXPECT_EQ(back->Width(), 640);
    Put(back, 0, 0, 0xF800);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    ASSERT_TRUE(presenter.HasFrame());
    EXPECT_EQ(presenter.Width(), 640);
    const std::vector<uint8_t> rgb = presenter.LastRgb();
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1], 0);
    EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
}

// A presenter that can ask for the next frame whatever it shows.
class AskingPresenter : public HeadlessPresenter {
public:
    AskingPresenter() : HeadlessPresenter("") {}
    bool WantsFrame() const override { return wants; }
    bool wants = false;
};

TEST_F(DisplayDeviceTest, OnlyAChangedPrimaryReachesThePresenter) {
    AskingPresenter presenter;
    SetDisplayPresenter(&presenter);
    ASSERT_EQ(dd_->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
    DDSurfaceDesc d;
    d.flags = DDSD_CAPS;
    d.caps = DDSCAPS_PRIMARYSURFACE;
    DDSurface* primary = nullptr;
    ASSERT_EQ(dd_->CreateSurface(&d, &primary), DD_OK);
    made_.push_back(primary);
    const auto fill = [&](uint16_t colour, int32_t x) {
        Rect r{x, 5, x + 1, 6};
        DDBltFx fx;
        fx.size = 100;
        fx.fillColor = colour;
        ASSERT_EQ(primary->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    };
    fill(0xF800, 3);
    ASSERT_EQ(presenter.FrameCount(), 1);
    fill(0xF800, 3);
    EXPECT_EQ(presenter.FrameCount(), 1) << "the same picture again";
    fill(0x07E0, 3);
    EXPECT_EQ(presenter.FrameCount(), 2) << "one pixel changed";
    presenter.wants = true;
    fill(0x07E0, 3);
    EXPECT_EQ(presenter.FrameCount(), 3) << "asked for";
    presenter.wants = false;
    DDGammaControl* gamma = nullptr;
    ASSERT_EQ(primary->QueryGammaControl(&gamma), DD_OK);
    GammaRamp ramp;
    SetIdentityRamp(ramp);
    ramp.red[255] = 0x8000;
    ASSERT_EQ(gamma->SetGammaRamp(0, &ramp), DD_OK);
    EXPECT_EQ(presenter.FrameCount(), 4) << "a new gamma ramp";
    gamma->Release();
    primary->MarkLost();
    ASSERT_EQ(primary->Restore(), DD_OK);
    fill(0x07E0, 3);
    EXPECT_EQ(presenter.FrameCount(), 5) << "after the display was taken away";
    ForgetPresentedFrame();
    fill(0x07E0, 3);
    EXPECT_EQ(presenter.FrameCount(), 6) << "after something else was shown";
    fill(0x07E0, 3);
    EXPECT_EQ(presenter.FrameCount(), 6);
}

TEST_F(DisplayDeviceTest, Layouts565And555PresentTheSameColours) {
    // Same RGB in, same RGB out: red and blue exactly, green to within the
    // one extra bit that 5-6-5 keeps; full and empty channels exactly.
    const uint8_t levels[] = {0, 8, 64, 128, 200, 248, 255};
    for (uint8_t r : levels) {
        for (uint8_t g : levels) {
            for (uint8_t b : levels) {
                uint8_t out[2][3];
                int i = 0;
                for (PixelLayout layout : {PixelLayout::k565, PixelLayout::k555}) {
                    const uint16_t p = PackPixel(layout, r, g, b);
                    Frame f;
                    f.width = f.height = 1;
                    f.pitch = 2;
                    f.pixels = reinterpret_cast<const uint8_t*>(&p);
                    f.layout = layout;
                    const std::vector<uint8_t> rgb = FrameToRgb(f);
                    std::memcpy(out[i++], rgb.data(), 3);
                }
                ASSERT_EQ(out[0][0], out[1][0]);
                ASSERT_EQ(out[0][2], out[1][2]);
                ASSERT_LE(std::abs(out[0][1] - out[1][1]), 4);
                if (g == 0 || g == 255) {
                    ASSERT_EQ(out[0][1], out[1][1]);
                }
                if (r == 255) {
                    ASSERT_EQ(out[0][0], 255);
                }
            }
        }
    }
    // Through the device: a 555 primary shows white as white.
    SetDisplayLayout(PixelLayout::k555);
    HeadlessPresenter presenter("");
    SetDisplayPresenter(&presenter);
    DDSurface* primary = Primary();
    DDPixelFormat pf;
    ASSERT_EQ(primary->GetPixelFormat(&pf), DD_OK);
    EXPECT_EQ(pf.gBitMask, 0x3E0u);
    DDBltFx fx;
    fx.fillColor = 0x7FFF;
    ASSERT_EQ(primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    EXPECT_EQ(presenter.Layout(), PixelLayout::k555);
    EXPECT_EQ(presenter.LastRgb()[1], 255);
}

TEST_F(DisplayDeviceTest, HeadlessFrameDumpsAsPng) {
    const std::string path = Dir() + "frame.png";
    {
        HeadlessPresenter presenter(path);
        SetDisplayPresenter(&presenter);
        DDSurface* primary = Primary();
        DDGammaControl* gc = nullptr;
        ASSERT_EQ(primary->QueryGammaControl(&gc), DD_OK);
        GammaRamp ramp;
        SetIdentityRamp(ramp);
        ramp.red[255] = 0x8000;  // full red shows at half
        ASSERT_EQ(gc->SetGammaRamp(0, &ramp), DD_OK);
        Put(primary, 1, 0, 0xF800);
        Put(primary, 2, 0, 0x001F);
        DDSurfaceDesc d;
        ASSERT_EQ(primary->Lock(nullptr, &d, 0), DD_OK);
        ASSERT_EQ(primary->Unlock(nullptr), DD_OK);  // writes through a lock present on unlock
        gc->Release();
        SetDisplayPresenter(nullptr);
    }
    int32_t w = 0, h = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(ReadPngRgb(path, &w, &h, &rgb));
    EXPECT_EQ(w, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(h, GetSystemMetrics(SM_CYSCREEN));
    const uint8_t expect[] = {0, 0, 0, 128, 0, 0, 0, 0, 255};
    EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 9), std::vector<uint8_t>(expect, expect + 9));
    HeadlessPresenter empty("");
    EXPECT_FALSE(empty.WritePng(Dir() + "none.png"));
}

TEST(SdlPresenter, PresentsThroughAStreamingTexture) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << SDL_GetError();
    SDL_Window* win = SDL_CreateWindow("t", 0, 0, 64, 48, 0);
    if (!win) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        GTEST_SKIP() << SDL_GetError();
    }
    {
        SdlPresenter p(win, true, true);
        ASSERT_TRUE(p.IsReady());
        std::vector<uint16_t> px(32 * 24, 0xF800);
        Frame f;
        f.width = 32;
        f.height = 24;
        f.pitch = 64;
        f.pixels = reinterpret_cast<const uint8_t*>(px.data());
        EXPECT_TRUE(p.Present(f));
        // The frame is scaled onto the 64 x 48 window: read a pixel back.
        uint32_t argb = 0;
        SDL_Rect one{10, 10, 1, 1};
        ASSERT_EQ(SDL_RenderReadPixels(p.Renderer(), &one, SDL_PIXELFORMAT_ARGB8888, &argb, 4), 0);
        EXPECT_EQ(argb & 0xFFFFFF, 0xFF0000u);
        // 555 with a gamma ramp that halves green.
        GammaRamp ramp;
        SetIdentityRamp(ramp);
        for (int i = 0; i < 256; ++i) ramp.green[i] = static_cast<uint16_t>(i * 257 / 2);
        std::fill(px.begin(), px.end(), 0x03E0);
        f.layout = PixelLayout::k555;
        f.gamma = &ramp;
        EXPECT_TRUE(p.Present(f));
        ASSERT_EQ(SDL_RenderReadPixels(p.Renderer(), &one, SDL_PIXELFORMAT_ARGB8888, &argb, 4), 0);
        const uint32_t g = (argb >> 8) & 0xFF;
        EXPECT_GE(g, 120u);
        EXPECT_LE(g, 132u);
        EXPECT_EQ(p.PresentedCount(), 2);
    }
    SDL_DestroyWindow(win);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SdlPresenter none(nullptr);
    EXPECT_FALSE(none.IsReady());
}

} // namespace
