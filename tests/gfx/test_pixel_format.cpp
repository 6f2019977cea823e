#include <gtest/gtest.h>

#include "gfx/pixel_format.h"
#include "platform/display.h"

namespace {

struct FormatScope {
    explicit FormatScope(int32_t f) : saved(g_PixelFormat.m_Format) { g_PixelFormat.m_Format = f; }
    ~FormatScope() { g_PixelFormat.m_Format = saved; }
    int32_t saved;
};

TEST(PixelFormat, FromRgbAndToRgb) {
    struct Case {
        int32_t format;
        int r, g, b;
        uint16_t pixel;
    };
    const Case cases[] = {
        {16, 255, 255, 255, 0xFFFF}, {16, 255, 0, 255, 0xF81F}, {16, 0, 0, 0, 0x0000}, {16, 7, 3, 7, 0x0000},
        {16, 8, 4, 8, 0x0821},       {16, 128, 128, 128, 0x8410}, {15, 255, 255, 255, 0x7FFF}, {15, 255, 0, 255, 0x7C1F},
        {15, 8, 8, 8, 0x0421},       {15, 128, 128, 128, 0x4210},
    };
    for (const Case& c : cases) {
        FormatScope f(c.format);
        EXPECT_EQ(g_PixelFormat.FromRgb(c.r, c.g, c.b), c.pixel) << c.format << " " << c.r << "," << c.g << "," << c.b;
    }
    FormatScope f16(16);
    int r, g, b;
    g_PixelFormat.ToRgb(0xFFFF, &r, &g, &b);
    EXPECT_EQ(r, 248);
    EXPECT_EQ(g, 252);
    EXPECT_EQ(b, 248);
    g_PixelFormat.m_Format = 15;
    g_PixelFormat.ToRgb(0x7FFF, &r, &g, &b);
    EXPECT_EQ(r, 248);
    EXPECT_EQ(g, 248);
    // Every pixel survives ToRgb then FromRgb, in both layouts.
    for (int32_t fmt : {15, 16}) {
        g_PixelFormat.m_Format = fmt;
        const uint32_t limit = fmt == 16 ? 0x10000 : 0x8000;
        for (uint32_t p = 0; p < limit; ++p) {
            g_PixelFormat.ToRgb(p, &r, &g, &b);
            ASSERT_EQ(g_PixelFormat.FromRgb(r, g, b), p) << fmt;
        }
    }
    EXPECT_EQ(g_PixelFormat.ColorKey(), 0xF81F);
    g_PixelFormat.m_Format = 15;
    EXPECT_EQ(g_PixelFormat.ColorKey(), 0x7C1F);
}

TEST(PixelFormat, DefaultIs565) {
    CPixelFormat fresh;
    EXPECT_EQ(fresh.Get(), 16);
    EXPECT_EQ(fresh.FromRgb(255, 255, 255), 0xFFFF);
}

TEST(PixelFormat, ProbeReadsTheLayoutAndKeepsItOnFailure) {
    plat::ClearDisplayFaults();
    plat::DisplayDevice* dd = nullptr;
    ASSERT_EQ(plat::DirectDrawCreate(&dd), plat::DD_OK);
    plat::DDSurfaceDesc d;
    d.flags = plat::DDSD_CAPS | plat::DDSD_WIDTH | plat::DDSD_HEIGHT;
    d.caps = plat::DDSCAPS_OFFSCREENPLAIN;
    d.width = d.height = 4;
    plat::SetDisplayLayout(plat::PixelLayout::k555);
    plat::DDSurface* s555 = nullptr;
    ASSERT_EQ(dd->CreateSurface(&d, &s555), plat::DD_OK);
    plat::SetDisplayLayout(plat::PixelLayout::k565);
    plat::DDSurface* s565 = nullptr;
    ASSERT_EQ(dd->CreateSurface(&d, &s565), plat::DD_OK);

    CPixelFormat pf;
    EXPECT_EQ(pf.Probe(s555), 15);
    for (plat::DDResult code : {plat::DDERR_INVALIDPARAMS, plat::DDERR_INVALIDOBJECT, plat::DDERR_SURFACELOST}) {
        plat::ForceDisplayResult(plat::DisplayOp::GetPixelFormat, code);
        EXPECT_EQ(pf.Probe(s565), 15) << code;
    }
    EXPECT_EQ(pf.Probe(s565), 16);
    s555->Release();
    s565->Release();
    dd->Release();
    plat::ClearDisplayFaults();
}

} // namespace
