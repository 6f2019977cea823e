// The frame's fit into a screen or window, the mapping of pointer positions
// back into the frame, and the SDL presenter's output with its bars.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <vector>

#include "platform/present.h"
#include "platform/present_sdl.h"

namespace {

using plat::FitFrame;
using plat::FrameFit;
using plat::OutputToFrame;

struct FitCase {
    int32_t outW, outH, frameW, frameH;
    FrameFit fit;
};

// Each display mode on common screens, and a development window smaller
// than the frame.
const FitCase kFits[] = {
    {1024, 768, 640, 480, {0, 0, 1024, 768, false}},
    {1024, 768, 800, 600, {0, 0, 1024, 768, false}},
    {1024, 768, 1024, 768, {0, 0, 1024, 768, true}},
    {1280, 1024, 640, 480, {0, 32, 1280, 960, true}},
    {1280, 1024, 800, 600, {0, 32, 1280, 960, false}},
    {1280, 1024, 1024, 768, {0, 32, 1280, 960, false}},
    {1920, 1080, 640, 480, {240, 0, 1440, 1080, false}},
    {1920, 1080, 800, 600, {240, 0, 1440, 1080, false}},
    {1920, 1080, 1024, 768, {240, 0, 1440, 1080, false}},
    {1920, 1440, 640, 480, {0, 0, 1920, 1440, true}},
    {1366, 768, 800, 600, {171, 0, 1024, 768, false}},
    {640, 480, 800, 600, {0, 0, 640, 480, false}},
    {640, 480, 640, 480, {0, 0, 640, 480, true}},
};

TEST(FrameFit, KeepsTheAspectCentredWithBarsAndSaysWhenTheScaleIsWhole) {
    for (const FitCase& c : kFits) {
        SCOPED_TRACE(testing::Message() << c.frameW << "x" << c.frameH << " in " << c.outW << "x" << c.outH);
        const FrameFit f = FitFrame(c.outW, c.outH, c.frameW, c.frameH);
        EXPECT_EQ(f.x, c.fit.x);
        EXPECT_EQ(f.y, c.fit.y);
        EXPECT_EQ(f.w, c.fit.w);
        EXPECT_EQ(f.h, c.fit.h);
        EXPECT_EQ(f.whole, c.fit.whole);
    }
    const FrameFit none = FitFrame(0, 768, 640, 480);
    EXPECT_EQ(none.w, 0);
    int32_t x = -1, y = -1;
    EXPECT_FALSE(OutputToFrame(1024, 768, 0, 480, 5, 5, &x, &y));
}

TEST(FrameFit, PointsMapIntoTheFrameAndBarsClampToItsEdge) {
    for (const FitCase& c : kFits) {
        SCOPED_TRACE(testing::Message() << c.frameW << "x" << c.frameH << " in " << c.outW << "x" << c.outH);
        auto map = [&](int32_t px, int32_t py) {
            int32_t x = -1, y = -1;
            EXPECT_TRUE(OutputToFrame(c.outW, c.outH, c.frameW, c.frameH, px, py, &x, &y));
            return std::pair<int32_t, int32_t>(x, y);
        };
        // The screen's centre is the frame's centre.
        EXPECT_EQ(map(c.outW / 2, c.outH / 2), std::make_pair(c.frameW / 2, c.frameH / 2));
        // Corners of the screen, bars or not, are the frame's corners.
        EXPECT_EQ(map(0, 0), std::make_pair(0, 0));
        EXPECT_EQ(map(c.outW - 1, c.outH - 1), std::make_pair(c.frameW - 1, c.frameH - 1));
        // Beyond the output (a pointer grabbed outside the window) clamps too.
        EXPECT_EQ(map(-50, c.outH + 50), std::make_pair(0, c.frameH - 1));
        EXPECT_EQ(map(c.outW + 50, -50), std::make_pair(c.frameW - 1, 0));
        // A bar beside or above the frame clamps to the edge it touches.
        if (c.fit.x > 0) {
            EXPECT_EQ(map(c.fit.x - 1, c.outH / 2).first, 0);
            EXPECT_EQ(map(c.fit.x + c.fit.w, c.outH / 2).first, c.frameW - 1);
        }
        if (c.fit.y > 0) {
            EXPECT_EQ(map(c.outW / 2, c.fit.y - 1).second, 0);
            EXPECT_EQ(map(c.outW / 2, c.fit.y + c.fit.h).second, c.frameH - 1);
        }
        // Across the drawn frame the columns and rows run in order from the
        // first to the last; scaled up, every one of them is reached.
        const int32_t stepX = (c.frameW + c.fit.w - 1) / c.fit.w, stepY = (c.frameH + c.fit.h - 1) / c.fit.h;
        int32_t prev = map(c.fit.x, c.outH / 2).first;
        EXPECT_EQ(prev, 0);
        for (int32_t px = c.fit.x + 1; px < c.fit.x + c.fit.w; ++px) {
            const int32_t fx = map(px, c.outH / 2).first;
            ASSERT_TRUE(fx >= prev && fx <= prev + stepX) << "column " << px;
            prev = fx;
        }
        EXPECT_EQ(prev, c.frameW - 1);
        prev = map(c.outW / 2, c.fit.y).second;
        EXPECT_EQ(prev, 0);
        for (int32_t py = c.fit.y + 1; py < c.fit.y + c.fit.h; ++py) {
            const int32_t fy = map(c.outW / 2, py).second;
            ASSERT_TRUE(fy >= prev && fy <= prev + stepY) << "row " << py;
            prev = fy;
        }
        EXPECT_EQ(prev, c.frameH - 1);
    }
}

// The SDL presenter on the dummy driver's software renderer: a frame scaled
// by two lands nearest-neighbour between black bars.
TEST(SdlPresenter, ScalesTheFrameBetweenBlackBars) {
    if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no SDL video: " << SDL_GetError();
    SDL_Window* w = SDL_CreateWindow("fit", 0, 0, 40, 40, SDL_WINDOW_HIDDEN);
    ASSERT_NE(w, nullptr) << SDL_GetError();
    {
        plat::SdlPresenter presenter(w, false, true);
        ASSERT_TRUE(presenter.IsReady());
        // 4x3 frame, each pixel its own 565 colour.
        std::vector<uint16_t> px(12);
        for (int i = 0; i < 12; ++i) px[i] = static_cast<uint16_t>(0x0841 * (i + 1));
        plat::Frame f;
        f.width = 4;
        f.height = 3;
        f.pitch = 8;
        f.pixels = reinterpret_cast<const uint8_t*>(px.data());
        ASSERT_TRUE(presenter.Present(f));
        int ow = 0, oh = 0;
        SDL_GetRendererOutputSize(presenter.Renderer(), &ow, &oh);
        ASSERT_EQ(ow, 40);
        ASSERT_EQ(oh, 40);
        const FrameFit& fit = presenter.LastFit();
        EXPECT_EQ(fit.x, 0);
        EXPECT_EQ(fit.y, 5);
        EXPECT_EQ(fit.w, 40);
        EXPECT_EQ(fit.h, 30);
        EXPECT_TRUE(fit.whole);
        // The software renderer keeps what it drew in the window surface.
        SDL_Surface* s = SDL_GetWindowSurface(w);
        ASSERT_NE(s, nullptr);
        std::vector<uint16_t> out(40 * 40);
        ASSERT_EQ(SDL_ConvertPixels(40, 40, s->format->format, s->pixels, s->pitch, SDL_PIXELFORMAT_RGB565, out.data(), 80),
                  0);
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x) {
                const bool bar = y < 5 || y >= 35;
                const uint16_t want = bar ? 0 : px[((y - 5) / 10) * 4 + x / 10];
                ASSERT_EQ(out[y * 40 + x], want) << "at " << x << "," << y;
            }
        }
        // The same frame again is not drawn again; a changed one is, and so
        // is the same one after the window was uncovered.
        ASSERT_TRUE(presenter.Present(f));
        EXPECT_EQ(presenter.UnchangedCount(), 1);
        // A change in the last row uploads that row alone; the texture
        // keeps the others, so the whole picture is still right.
        const int64_t rowsBefore = presenter.UploadedRows();
        px[11] = 0xFFFF;
        ASSERT_TRUE(presenter.Present(f));
        EXPECT_EQ(presenter.UnchangedCount(), 1);
        EXPECT_EQ(presenter.UploadedRows() - rowsBefore, 1);
        ASSERT_EQ(SDL_ConvertPixels(40, 40, s->format->format, s->pixels, s->pitch, SDL_PIXELFORMAT_RGB565, out.data(), 80),
                  0);
        for (int y = 5; y < 35; ++y)
            for (int x = 0; x < 40; ++x) ASSERT_EQ(out[y * 40 + x], px[((y - 5) / 10) * 4 + x / 10]) << "at " << x << "," << y;
        SDL_Event ev{};
        ev.type = SDL_WINDOWEVENT;
        ev.window.windowID = SDL_GetWindowID(w);
        ev.window.event = SDL_WINDOWEVENT_EXPOSED;
        SDL_PushEvent(&ev);
        SDL_PumpEvents();
        ASSERT_TRUE(presenter.Present(f));
        EXPECT_EQ(presenter.UnchangedCount(), 1);
        ASSERT_TRUE(presenter.Present(f));
        EXPECT_EQ(presenter.UnchangedCount(), 2);
        EXPECT_EQ(presenter.PresentedCount(), 5);
    }
    SDL_DestroyWindow(w);
}

} // namespace
