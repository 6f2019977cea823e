#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "datagen/bytes.h"
#include "gfx/pixel_format.h"
#include "gfx/screenshot.h"
#include "platform/debug.h"
#include "platform/display.h"
#include "platform/fs.h"
#include "platform/png.h"
#include "platform/window.h"
#include "support/test_env.h"

using namespace plat;

namespace {

bool DebugHas(const std::string& needle) {
    for (const std::string& s : DebugCaptured())
        if (s.find(needle) != std::string::npos) return true;
    return false;
}

class ScreenshotTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        UseHeadlessBackend();
        ClearDisplayFaults();
        SetDisplayLayout(PixelLayout::k565);
        g_PixelFormat.m_Format = kFormat565;
        g_ScreenShotCounter = 0;
        ClearDebugCapture();
        ASSERT_EQ(DirectDrawCreate(&dd_), DD_OK);
    }
    void TearDown() override {
        ClearDisplayFaults();
        for (DDSurface* s : surfaces_) s->Release();
        dd_->Release();
        SetDisplayLayout(PixelLayout::k565);
        g_PixelFormat.m_Format = kFormat565;
        g_ScreenShotCounter = 0;
        TempDirTest::TearDown();
    }
    // An off-screen surface with pixel (x, y) = fill(x, y).
    template <class Fn>
    DDSurface* Make(int32_t w, int32_t h, Fn fill) {
        DDSurfaceDesc d;
        d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.width = static_cast<uint32_t>(w);
        d.height = static_cast<uint32_t>(h);
        d.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        DDSurface* s = nullptr;
        EXPECT_EQ(dd_->CreateSurface(&d, &s), DD_OK);
        if (!s) return nullptr;
        surfaces_.push_back(s);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const uint16_t v = fill(x, y);
                std::memcpy(s->MutablePixels() + static_cast<size_t>(y) * s->Pitch() + 2 * x, &v, 2);
            }
        return s;
    }
    void Touch(int n) { WriteFile(Dir() + "ScreenShot/" + Name(n), "x"); }
    static std::string Name(int n) {
        char b[32];
        std::snprintf(b, sizeof b, "Scn%04d.bmp", n);
        return b;
    }
    std::string Shot(int n) const { return ReadFile(Dir() + "ScreenShot/" + Name(n)); }

    DisplayDevice* dd_ = nullptr;
    std::vector<DDSurface*> surfaces_;
};

// The 54 header bytes of a w x h picture whose rows take `stride` bytes.
std::string Header(int32_t w, int32_t h, uint32_t stride) {
    datagen::Bytes b;
    const uint32_t image = stride * static_cast<uint32_t>(h);
    b.Raw("BM").U32(image + 54).U16(0).U16(0).U32(54);
    b.U32(40).I32(w).I32(h).U16(1).U16(24).U32(0).U32(image);
    for (int i = 0; i < 16; ++i) b.U8(0);
    return b.str();
}

TEST_F(ScreenshotTest, BytesOfASmallPictureWithPaddedRows) {
    // 3 x 2: rows of 9 bytes padded to 12, bottom row first.
    const uint16_t px[2][3] = {{0xFFFF, 0xF800, 0x07E0}, {0x001F, 0x0000, 0x8410}};
    DDSurface* s = Make(3, 2, [&](int32_t x, int32_t y) { return px[y][x]; });
    ASSERT_EQ(DRAW_CopyScreen(s), 1);
    const std::string want = Header(3, 2, 12) +
                             // bottom row: blue, black, grey (0x8410: 128, 128, 128)
                             std::string("\xF8\x00\x00" "\x00\x00\x00" "\x80\x80\x80" "\0\0\0", 12) +
                             // top row: white -> 248 252 248 (blue, green, red), red, green
                             std::string("\xF8\xFC\xF8" "\x00\x00\xF8" "\x00\xFC\x00" "\0\0\0", 12);
    EXPECT_EQ(Shot(0), want);
    EXPECT_EQ(g_ScreenShotCounter, 0);
    EXPECT_TRUE(IsDirectory(Dir() + "ScreenShot"));
}

TEST_F(ScreenshotTest, FiveFiveFiveFieldsAndDisplayWidthsNeedNoPadding) {
    SetDisplayLayout(PixelLayout::k555);
    g_PixelFormat.m_Format = kFormat555;
    for (int32_t w : {640, 800, 1024}) {
        SCOPED_TRACE(w);
        DDSurface* s = Make(w, 2, [](int32_t x, int32_t y) -> uint16_t { return y ? 0x7FFF : (x & 1 ? 0x7C00 : 0x03E0); });
        std::string want = Header(w, 2, static_cast<uint32_t>(w) * 3);
        for (int32_t x = 0; x < w; ++x) want += "\xF8\xF8\xF8";  // bottom: 555 white
        for (int32_t x = 0; x < w; ++x) want += (x & 1) ? std::string("\x00\x00\xF8", 3) : std::string("\x00\xF8\x00", 3);
        const std::string name = "shots\\w" + std::to_string(w) + ".bmp";
        ASSERT_EQ(DRAW_WriteBmp(s, name.c_str()), 1);
        const std::string got = ReadFile(Dir() + "shots/w" + std::to_string(w) + ".bmp");
        EXPECT_EQ(got.size(), 54u + static_cast<size_t>(w) * 6);
        EXPECT_TRUE(got == want);
    }
}

TEST_F(ScreenshotTest, NameSearchStartsAtTheCounterAndFallsBackToZero) {
    DDSurface* s = Make(2, 2, [](int32_t, int32_t) -> uint16_t { return 0x1234; });
    for (int n = 0; n < 5; ++n) Touch(n);
    ASSERT_EQ(DRAW_CopyScreen(s), 1);  // counter 0: 0..4 taken
    EXPECT_EQ(g_ScreenShotCounter, 5);
    EXPECT_EQ(Shot(5).size(), 54u + 2 * 8);

    // Above the last number, not into a gap below it.
    DeleteFile(Dir() + "ScreenShot/" + Name(1));
    ASSERT_EQ(DRAW_CopyScreen(s), 1);
    EXPECT_EQ(g_ScreenShotCounter, 6);

    // The counter's own file gone: the search starts again from 0.
    DeleteFile(Dir() + "ScreenShot/" + Name(6));
    ASSERT_EQ(DRAW_CopyScreen(s), 1);
    EXPECT_EQ(g_ScreenShotCounter, 1);
    EXPECT_EQ(Shot(1).size(), 54u + 16);

    // No free name at or above the counter.
    g_ScreenShotCounter = 9999;
    Touch(9999);
    ClearDebugCapture();
    EXPECT_EQ(DRAW_CopyScreen(s), 0);
    EXPECT_TRUE(DebugHas("DRAW_CopyScreen Error(7): Too many bitmaps already in the directory!\n"));
    EXPECT_EQ(g_ScreenShotCounter, 9999);
}

TEST_F(ScreenshotTest, LockWaitsOutBusyAndRestoresALostSurface) {
    DDSurface* s = Make(4, 1, [](int32_t x, int32_t) -> uint16_t { return static_cast<uint16_t>(x); });
    ForceDisplayResult(DisplayOp::Lock, DDERR_WASSTILLDRAWING, 3);
    EXPECT_EQ(DRAW_WriteBmp(s, "a.bmp"), 1);
    ForceDisplayResult(DisplayOp::Lock, DDERR_SURFACELOST, 1);
    EXPECT_EQ(DRAW_WriteBmp(s, "b.bmp"), 1);
    EXPECT_EQ(DisplayCallCount(DisplayOp::Restore), 1);
    EXPECT_EQ(ReadFile(Dir() + "b.bmp"), ReadFile(Dir() + "a.bmp"));
    EXPECT_FALSE(s->IsLocked());

    struct Case {
        DDResult lock;
        bool restoreFails;
    };
    for (const Case& c : {Case{DDERR_GENERIC, false}, Case{DDERR_SURFACELOST, true}, Case{DDERR_WASSTILLDRAWING, false}}) {
        ClearDisplayFaults();
        ClearDebugCapture();
        ForceDisplayResult(DisplayOp::Lock, c.lock, -1);
        if (c.restoreFails) ForceDisplayResult(DisplayOp::Restore, DDERR_GENERIC, -1);
        EXPECT_EQ(DRAW_WriteBmp(s, "c.bmp"), 0);
        EXPECT_TRUE(DebugHas("DRAW_CopyScreen Error(11): error in lock back buffer!\n"));
        EXPECT_FALSE(PathExists(Dir() + "c.bmp"));
    }
    ClearDisplayFaults();
    ForceDisplayResult(DisplayOp::Lock, DDERR_GENERIC, -1);
    EXPECT_EQ(DRAW_CopyScreen(s), 0);
    EXPECT_FALSE(PathExists(Dir() + "ScreenShot/Scn0000.bmp"));
}

TEST_F(ScreenshotTest, FailedWritesReturnZeroAndLeaveNoFile) {
    DDSurface* s = Make(640, 40, [](int32_t x, int32_t y) -> uint16_t { return static_cast<uint16_t>(x * 31 + y); });
    // The file cannot be created: "ScreenShot" is a file, not a folder.
    WriteFile(Dir() + "ScreenShot", "in the way");
    EXPECT_EQ(DRAW_CopyScreen(s), 0);
    EXPECT_TRUE(DebugHas("DRAW_CopyScreen Error(0): Cannot open file named: ScreenShot\\Scn0000.bmp\n"));
    EXPECT_FALSE(s->IsLocked());
    DeleteFile(Dir() + "ScreenShot");

    // The disk fills up after 1,000 bytes: the half-written picture is removed.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = DRAW_CopyScreen(s);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(PathExists(Dir() + "ScreenShot/Scn0000.bmp"));
    EXPECT_TRUE(IsDirectory(Dir() + "ScreenShot"));
    EXPECT_FALSE(s->IsLocked());

    // With room again the same name is used.
    EXPECT_EQ(DRAW_CopyScreen(s), 1);
    EXPECT_EQ(Shot(0).size(), 54u + 640 * 3 * 40);
}

TEST_F(ScreenshotTest, SizedCopyStretchesIntoATemporarySurface) {
    // 2 x 2 source stretched to 4 x 2: each pixel doubled across.
    const uint16_t px[2][2] = {{0xFFFF, 0x0000}, {0xF800, 0x001F}};
    DDSurface* s = Make(2, 2, [&](int32_t x, int32_t y) { return px[y][x]; });
    ClearDisplayFaults();
    ForceDisplayResult(DisplayOp::CreateSurface, DDERR_OUTOFVIDEOMEMORY, 1);  // video memory refused
    ASSERT_EQ(DRAW_CopyScreenSized(dd_, s, 4, 2), 1);
    EXPECT_EQ(DisplayCallCount(DisplayOp::CreateSurface), 2);
    const std::string want = Header(4, 2, 12) +
                             std::string("\x00\x00\xF8" "\x00\x00\xF8" "\xF8\x00\x00" "\xF8\x00\x00", 12) +
                             std::string("\xF8\xFC\xF8" "\xF8\xFC\xF8" "\x00\x00\x00" "\x00\x00\x00", 12);
    EXPECT_EQ(Shot(0), want);

    // No temporary surface, or no stretch: 0 and no file.
    ClearDisplayFaults();
    ForceDisplayResult(DisplayOp::CreateSurface, DDERR_OUTOFMEMORY, 2);
    EXPECT_EQ(DRAW_CopyScreenSized(dd_, s, 4, 2), 0);
    ForceDisplayResult(DisplayOp::Blt, DDERR_GENERIC, 1);
    EXPECT_EQ(DRAW_CopyScreenSized(dd_, s, 4, 2), 0);
    EXPECT_EQ(DRAW_CopyScreenSized(dd_, s, 0, 2), 0);
    EXPECT_EQ(DRAW_CopyScreenSized(nullptr, s, 4, 2), 0);
    EXPECT_FALSE(PathExists(Dir() + "ScreenShot/Scn0001.bmp"));
}

// Reads a 24-bit bottom-up BMP the way an ordinary viewer does (rows padded
// to 4 bytes) into top-down RGB.
bool DecodeBmp(const std::string& f, int32_t* w, int32_t* h, std::vector<uint8_t>* rgb) {
    auto u32 = [&](size_t o) {
        return static_cast<uint32_t>(static_cast<uint8_t>(f[o])) | static_cast<uint32_t>(static_cast<uint8_t>(f[o + 1])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(f[o + 2])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(f[o + 3])) << 24;
    };
    if (f.size() < 54 || f.compare(0, 2, "BM") != 0 || u32(2) != f.size()) return false;
    *w = static_cast<int32_t>(u32(18));
    *h = static_cast<int32_t>(u32(22));
    const size_t stride = (static_cast<size_t>(*w) * 3 + 3) & ~size_t{3};
    if (u32(10) + stride * static_cast<size_t>(*h) != f.size()) return false;
    rgb->assign(static_cast<size_t>(*w) * *h * 3, 0);
    for (int32_t y = 0; y < *h; ++y) {
        const size_t row = u32(10) + stride * static_cast<size_t>(*h - 1 - y);
        for (int32_t x = 0; x < *w; ++x)
            for (int c = 0; c < 3; ++c)
                (*rgb)[(static_cast<size_t>(y) * *w + x) * 3 + c] = static_cast<uint8_t>(f[row + 3 * x + 2 - c]);
    }
    return true;
}

TEST_F(ScreenshotTest, AnOddWidthPictureConvertsToTheSamePng) {
    // 37 pixels: 111 bytes a row, padded to 112.
    auto colour = [](int32_t x, int32_t y) -> uint16_t {
        return static_cast<uint16_t>(((x * 31 / 36) << 11) | ((y * 63 / 22) << 5) | ((x + y) & 31));
    };
    DDSurface* s = Make(37, 23, colour);
    ASSERT_EQ(DRAW_CopyScreen(s), 1);
    int32_t w = 0, h = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(DecodeBmp(Shot(0), &w, &h, &rgb));
    ASSERT_TRUE(WritePngRgb(Dir() + "shot.png", w, h, rgb.data()));
    std::vector<uint8_t> back;
    ASSERT_TRUE(ReadPngRgb(Dir() + "shot.png", &w, &h, &back));
    ASSERT_EQ(w, 37);
    ASSERT_EQ(h, 23);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint16_t c = colour(x, y);
            const uint8_t* p = &back[(static_cast<size_t>(y) * w + x) * 3];
            ASSERT_EQ(p[0], ((c >> 11) << 3) & 0xFF) << x << "," << y;
            ASSERT_EQ(p[1], (c >> 3) & 0xFC) << x << "," << y;
            ASSERT_EQ(p[2], (c << 3) & 0xFF) << x << "," << y;
        }
}

} // namespace
