#pragma once
// Shared by the image and library tests: a headless 5-6-5 display, colour
// tables, surfaces with a pattern, and a per-pixel model of the draw modes
// to compare surfaces with byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "gfx/color_tables.h"
#include "gfx/image.h"
#include "gfx/pixel_format.h"
#include "gfx/res_lib.h"
#include "gfx/surface.h"
#include "platform/debug.h"
#include "platform/display.h"
#include "platform/msgbox.h"
#include "platform/window.h"
#include "support/display565.h"
#include "support/test_env.h"

namespace imgtest {

using vtest::ReadSurface;

class ImageTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        vtest::Start565Display(display_, keeper_);
        plat::ClearDebugCapture();
        plat::ClearRecordedMessageBoxes();
        g_LibMemBudget = 0;
    }
    void TearDown() override {
        g_ResList.Destroy();
        keeper_.reset();
        display_.reset();
        EXPECT_EQ(g_LibLoadedBytes, 0u) << "loaded bytes not given back";
        g_LibLoadedBytes = 0;
        FreeColorTables();
        g_PixelFormat.m_Format = kFormat565;
        TempDirTest::TearDown();
    }

    std::unique_ptr<CSurface> display_;
    std::unique_ptr<CSurface> keeper_;

    // Writes libraries into Zy/ and the list naming them; inits g_ResList.
    int InitLibs(const std::vector<std::pair<std::string, std::vector<std::string>>>& libs) {
        std::vector<std::string> names;
        for (const auto& l : libs) {
            names.push_back(l.first);
            EXPECT_TRUE(datagen::WriteLib(Dir() + "Zy/" + l.first + ".lib", l.second));
        }
        EXPECT_TRUE(datagen::WriteIdxLib(Dir() + "Zy/idx.lib", names));
        return g_ResList.Init("Zy\\idx.lib");
    }

    static uint16_t Pattern(int32_t x, int32_t y) { return static_cast<uint16_t>(0x1234 + x * 0x0841 + y * 0x2107); }

    // A 16-bit off-screen surface holding Pattern.
    static std::unique_ptr<CSurface> PatternSurface(int32_t w, int32_t h) {
        auto s = std::make_unique<CSurface>(w, h, 1);
        Write(*s, Pixels(w, h));
        return s;
    }
    static std::vector<uint16_t> Pixels(int32_t w, int32_t h) {
        std::vector<uint16_t> v(static_cast<size_t>(w) * h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) v[static_cast<size_t>(y) * w + x] = Pattern(x, y);
        return v;
    }
    static std::vector<uint16_t> Read(CSurface& s) { return ReadSurface(s); }
    static void Write(CSurface& s, const std::vector<uint16_t>& v) {
        uint8_t* p = s.Lock(nullptr);
        ASSERT_NE(p, nullptr);
        for (int32_t y = 0; y < s.m_Height; ++y)
            std::memcpy(p + static_cast<size_t>(y) * s.m_Pitch, &v[static_cast<size_t>(y) * s.m_Width],
                        2 * static_cast<size_t>(s.m_Width));
        s.Unlock();
    }
};

// What a picture holds, for the model.
struct RefPic {
    int32_t w = 0, h = 0;
    std::vector<uint16_t> px;
    std::vector<uint8_t> alpha;  // empty = none
    bool compressedAlpha = false;
    uint16_t key = kColorKey565;
    bool rle = false;
};

inline RefPic Ref(const datagen::ImageFrame& f) {
    RefPic r;
    r.w = f.width;
    r.h = f.height;
    r.px = f.pixels;
    r.alpha = f.alpha;
    r.compressedAlpha = f.compressAlpha;
    r.rle = f.rle;
    return r;
}

// The surface `dst` (dw x dh) after drawing the part (srcX, srcY, w, h) of
// p at (x, y) with mode and level, clipped to clip and the surface.
inline std::vector<uint16_t> Model(std::vector<uint16_t> dst, int32_t dw, int32_t dh, const RefPic& p, int32_t x,
                                   int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, int32_t mode,
                                   int32_t level, const CGameRect* clip) {
    const auto T = [](int32_t k) { return GetBlendTable(k); };
    const int32_t k = std::clamp(level, 0, 15);
    for (int32_t dy = 0; dy < dh; ++dy)
        for (int32_t dx = 0; dx < dw; ++dx) {
            if (dx < x || dx >= x + w || dy < y || dy >= y + h) continue;
            if (clip && (dx < clip->x || dx >= clip->x + clip->width || dy < clip->y || dy >= clip->y + clip->height))
                continue;
            const int32_t sx = srcX + dx - x, sy = srcY + dy - y;
            if (sx < 0 || sy < 0 || sx >= p.w || sy >= p.h) continue;
            const uint16_t s = p.px[static_cast<size_t>(sy) * p.w + sx];
            uint16_t& d = dst[static_cast<size_t>(dy) * dw + dx];
            if (s == p.key) continue;
            const int32_t al = p.alpha.empty() ? 0 : p.alpha[static_cast<size_t>(sy) * p.w + sx];
            if (!p.rle) {
                d = mode == 3 ? static_cast<uint16_t>(T(k)[d] + T(15 - k)[s]) : s;
                continue;
            }
            switch (mode) {
            case 0:
            case 1: d = s; break;
            case 2:
            case 5: {
                if (!p.compressedAlpha || al == 0) break;
                const int32_t a = (al >> 4) - (mode == 5 ? k : 0);
                if (a > 1) d = static_cast<uint16_t>(T(a)[s] + T(15 - a)[d]);
                break;
            }
            case 3: d = static_cast<uint16_t>(T(k)[s] + T(15 - k)[d]); break;
            case 4:
                if (const uint16_t* t = GetColorTable(level)) d = t[s];
                break;
            default: break;
            }
        }
    return dst;
}

} // namespace imgtest
