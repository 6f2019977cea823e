#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/display.h"
#include "platform/raster.h"
#include "platform/window.h"

using namespace plat;

namespace {

// A display device with one 16-bit off-screen surface and a raster device
// drawing into it with additive blending of texture x diffuse.
class RasterTest : public ::testing::Test {
protected:
    void SetUp() override { Make(PixelLayout::k565); }
    void TearDown() override {
        Free();
        ResetRasterConfig();
        ClearDisplayFaults();
        SetDisplayLayout(PixelLayout::k565);
        EXPECT_EQ(LiveRasterObjects(), 0);
    }
    void Make(PixelLayout layout) {
        UseHeadlessBackend();
        SetDisplayLayout(layout);
        ASSERT_EQ(DirectDrawCreate(&dd_), DD_OK);
        DDSurfaceDesc d;
        d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.width = 32;
        d.height = 24;
        d.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        ASSERT_EQ(dd_->CreateSurface(&d, &surf_), DD_OK);
        ASSERT_EQ(QueryRaster(dd_, &raster_), D3D_OK);
        ASSERT_EQ(raster_->CreateDevice(surf_, &dev_), D3D_OK);
        dev_->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        dev_->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
        dev_->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
        dev_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        dev_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    }
    void Free() {
        if (tex_) tex_->Release();
        if (dev_) dev_->Release();
        if (raster_) raster_->Release();
        if (surf_) surf_->Release();
        if (dd_) dd_->Release();
        tex_ = nullptr;
        dev_ = nullptr;
        raster_ = nullptr;
        surf_ = nullptr;
        dd_ = nullptr;
    }
    // A 32-bit A8R8G8B8 texture of w x h texels (row-major, top first).
    void Texture(uint32_t w, uint32_t h, const std::vector<uint32_t>& argb) {
        RasterTextureDesc desc;
        desc.width = w;
        desc.height = h;
        desc.format = DefaultRasterTextureFormats()[4];
        ASSERT_EQ(dev_->CreateTexture(desc, &tex_), D3D_OK);
        int32_t pitch = 0;
        uint8_t* p = tex_->Lock(&pitch);
        for (uint32_t y = 0; y < h; ++y) std::memcpy(p + y * pitch, &argb[y * w], w * 4);
        tex_->Unlock();
        dev_->SetTexture(0, tex_);
    }
    void Fill(uint16_t v) {
        for (int y = 0; y < surf_->Height(); ++y)
            for (int x = 0; x < surf_->Width(); ++x)
                std::memcpy(surf_->MutablePixels() + y * surf_->Pitch() + x * 2, &v, 2);
    }
    // Quad (x, y, w, h) with UV 0..1 as two triangles sharing a diagonal.
    DDResult Quad(float x, float y, float w, float h, uint32_t diffuse, bool scene = true) {
        TLVertex v[4];
        const float xs[4] = {x, x + w, x, x + w}, ys[4] = {y, y, y + h, y + h};
        for (int i = 0; i < 4; ++i) {
            v[i].x = xs[i];
            v[i].y = ys[i];
            v[i].diffuse = diffuse;
            v[i].tu = (i & 1) ? 1.0f : 0.0f;
            v[i].tv = (i & 2) ? 1.0f : 0.0f;
        }
        const uint16_t idx[6] = {0, 1, 2, 2, 1, 3};
        if (scene && dev_->BeginScene() != D3D_OK) return RASTER_E_FAIL;
        const DDResult r = dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX_SPEC, v, 4, idx, 6, 0);
        if (scene) dev_->EndScene();
        return r;
    }
    uint16_t Grey(uint8_t c) const { return PackPixel(surf_->Layout(), c, c, c); }

    DisplayDevice* dd_ = nullptr;
    DDSurface* surf_ = nullptr;
    Raster* raster_ = nullptr;
    RasterDevice* dev_ = nullptr;
    RasterTexture* tex_ = nullptr;
};

TEST_F(RasterTest, WhiteTexelTimesGreyOverBlackGivesTheGrey) {
    for (PixelLayout layout : {PixelLayout::k565, PixelLayout::k555}) {
        Free();
        Make(layout);
        Texture(1, 1, {0xFFFFFFFFu});
        for (int c : {0, 1, 8, 100, 128, 200, 255}) {
            Fill(0);
            ASSERT_EQ(Quad(4, 4, 8, 8, 0xFF000000u | (c << 16) | (c << 8) | c), D3D_OK);
            EXPECT_EQ(surf_->PixelAt(4, 4), Grey(static_cast<uint8_t>(c))) << c;
            EXPECT_EQ(surf_->PixelAt(11, 11), Grey(static_cast<uint8_t>(c))) << c;
        }
    }
}

TEST_F(RasterTest, AdditiveBlendSaturatesPerChannel) {
    Texture(1, 1, {0xFFFFFFFFu});
    // White stays white; (200, 200, 200) + 100 saturates; red + green adds.
    Fill(0xFFFF);
    Quad(0, 0, 4, 4, 0xFF646464u);
    EXPECT_EQ(surf_->PixelAt(1, 1), 0xFFFF);
    Fill(Grey(200));
    Quad(0, 0, 4, 4, 0xFF646464u);
    EXPECT_EQ(surf_->PixelAt(1, 1), 0xFFFF);
    Fill(PackPixel(PixelLayout::k565, 255, 0, 0));
    Quad(0, 0, 4, 4, 0xFF00FF00u);
    EXPECT_EQ(surf_->PixelAt(1, 1), PackPixel(PixelLayout::k565, 255, 255, 0));
    // Modulate rounds: 128 x 128 / 255 = 64.25 -> 64; added to 16.
    Free();
    Make(PixelLayout::k565);
    Texture(1, 1, {0xFF808080u});
    Fill(Grey(16));
    Quad(0, 0, 4, 4, 0xFF808080u);
    EXPECT_EQ(surf_->PixelAt(1, 1), Grey(80));
}

TEST_F(RasterTest, CoversPixelCentresOnceAlongTheSharedDiagonal) {
    Texture(1, 1, {0xFFFFFFFFu});
    Fill(0);
    // A double-drawn pixel would add 80 twice.
    ASSERT_EQ(Quad(2, 3, 10, 6, 0xFF505050u), D3D_OK);
    int drawn = 0;
    for (int y = 0; y < surf_->Height(); ++y)
        for (int x = 0; x < surf_->Width(); ++x) {
            const bool inside = x >= 2 && x < 12 && y >= 3 && y < 9;
            EXPECT_EQ(surf_->PixelAt(x, y), inside ? Grey(80) : 0) << x << "," << y;
            drawn += inside;
        }
    EXPECT_EQ(dev_->PixelsDrawn(), static_cast<uint64_t>(drawn));
    EXPECT_EQ(dev_->TrianglesDrawn(), 2u);
    // Half-pixel edges: centres 0.5 and 1.5 lie inside [0.4, 2.4).
    Fill(0);
    Quad(0.4f, 0.0f, 2.0f, 1.0f, 0xFF505050u);
    EXPECT_EQ(surf_->PixelAt(0, 0), Grey(80));
    EXPECT_EQ(surf_->PixelAt(1, 0), Grey(80));
    EXPECT_EQ(surf_->PixelAt(2, 0), 0);
}

TEST_F(RasterTest, SamplesBilinearWithClampedEdges) {
    // One texel a pixel reproduces the texture exactly.
    const std::vector<uint32_t> t = {0xFF000000u, 0xFF808080u, 0xFFFFFFFFu, 0xFF404040u};
    Texture(2, 2, t);
    dev_->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0);
    Fill(0);
    Quad(0, 0, 2, 2, 0xFFFFFFFFu);
    EXPECT_EQ(surf_->PixelAt(0, 0), Grey(0));
    EXPECT_EQ(surf_->PixelAt(1, 0), Grey(128));
    EXPECT_EQ(surf_->PixelAt(0, 1), Grey(255));
    EXPECT_EQ(surf_->PixelAt(1, 1), Grey(64));
    // Black | white stretched over four pixels: samples at texel -0.25,
    // 0.25, 0.75, 1.25 give 0, (255 x 64 x 256 + 32768) >> 16 = 64, 191, 255.
    tex_->Release();
    tex_ = nullptr;
    Texture(2, 1, {0xFF000000u, 0xFFFFFFFFu});
    dev_->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0);
    Quad(0, 0, 4, 1, 0xFFFFFFFFu);
    EXPECT_EQ(surf_->PixelAt(0, 0), Grey(0));
    EXPECT_EQ(surf_->PixelAt(1, 0), Grey(64));
    EXPECT_EQ(surf_->PixelAt(2, 0), Grey(191));
    EXPECT_EQ(surf_->PixelAt(3, 0), Grey(255));
}

TEST_F(RasterTest, SixteenBitTexelsWidenAndNoTextureSamplesBlack) {
    RasterTextureDesc desc;
    desc.width = desc.height = 1;
    desc.format = DefaultRasterTextureFormats()[0];  // R5G6B5
    ASSERT_EQ(dev_->CreateTexture(desc, &tex_), D3D_OK);
    int32_t pitch;
    const uint16_t texel = 0x8410;  // r 16/31, g 32/63, b 16/31
    std::memcpy(tex_->Lock(&pitch), &texel, 2);
    tex_->Unlock();
    EXPECT_EQ(tex_->SampleArgb(0, 0), 0xFF848284u);  // round(16 x 255 / 31) = 132, round(32 x 255 / 63) = 130
    dev_->SetTexture(0, nullptr);
    Fill(Grey(40));
    ASSERT_EQ(Quad(0, 0, 4, 4, 0xFFFFFFFFu), D3D_OK);
    EXPECT_EQ(surf_->PixelAt(1, 1), Grey(40));
    EXPECT_EQ(dev_->TrianglesDrawn(), 2u);
}

TEST_F(RasterTest, RefusesBadCallsWithoutDrawing) {
    Texture(1, 1, {0xFFFFFFFFu});
    Fill(0);
    EXPECT_EQ(Quad(0, 0, 4, 4, 0xFFFFFFFFu, false), D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(dev_->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
    ASSERT_EQ(dev_->BeginScene(), D3D_OK);
    EXPECT_EQ(dev_->BeginScene(), D3DERR_SCENE_IN_SCENE);
    TLVertex v[3];
    const uint16_t bad[3] = {0, 1, 3};
    EXPECT_EQ(dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX_SPEC, v, 3, bad, 3, 0),
              DDERR_INVALIDPARAMS);
    const uint16_t ok[3] = {0, 1, 2};
    EXPECT_EQ(dev_->DrawIndexedPrimitive(5, D3DFVF_TLVERTEX_SPEC, v, 3, ok, 3, 0), D3DERR_INVALIDPRIMITIVETYPE);
    EXPECT_EQ(dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x144, v, 3, ok, 3, 0), D3DERR_INVALIDVERTEXFORMAT);
    EXPECT_EQ(dev_->EndScene(), D3D_OK);
    EXPECT_EQ(dev_->PixelsDrawn(), 0u);
    // A lost target refuses the scene; forced results come back as forced.
    surf_->MarkLost();
    EXPECT_EQ(dev_->BeginScene(), DDERR_SURFACELOST);
    surf_->Restore();
    ForceRasterResult(RasterOp::BeginScene, RASTER_E_FAIL);
    EXPECT_EQ(dev_->BeginScene(), RASTER_E_FAIL);
    EXPECT_EQ(dev_->BeginScene(), D3D_OK);
    dev_->EndScene();
    // Stage 1 does not exist; render states beyond the table are refused.
    EXPECT_EQ(dev_->SetTexture(1, tex_), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dev_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dev_->SetRenderState(100000, 1), DDERR_INVALIDPARAMS);
    // Triangles far off the surface draw nothing and do not overflow.
    Fill(0);
    EXPECT_EQ(Quad(-1e9f, -1e9f, 2e9f, 10.0f, 0xFFFFFFFFu), D3D_OK);
    EXPECT_EQ(Quad(40, 30, 10, 10, 0xFFFFFFFFu), D3D_OK);
    EXPECT_EQ(dev_->PixelsDrawn(), 0u);
}

TEST_F(RasterTest, TextureCapsAndFormats) {
    std::vector<uint32_t> bits;
    dev_->EnumTextureFormats(
        [](const DDPixelFormat& f, void* ctx) {
            static_cast<std::vector<uint32_t>*>(ctx)->push_back(f.rgbBitCount);
            return true;
        },
        &bits);
    EXPECT_EQ(bits, (std::vector<uint32_t>{16, 16, 16, 16, 32, 32, 8, 0}));
    RasterCaps caps;
    caps.textureCaps = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY;
    caps.maxTextureWidth = caps.maxTextureHeight = 128;
    dev_->SetCaps(caps);
    RasterTextureDesc desc;
    desc.format = DefaultRasterTextureFormats()[0];
    RasterTexture* t = nullptr;
    struct Case {
        uint32_t w, h;
        DDResult r;
    };
    for (const Case& c : {Case{64, 64, D3D_OK}, Case{100, 128, DDERR_INVALIDPARAMS}, Case{64, 32, DDERR_INVALIDPARAMS},
                          Case{256, 256, DDERR_INVALIDPARAMS}, Case{0, 0, DDERR_INVALIDPARAMS}}) {
        desc.width = c.w;
        desc.height = c.h;
        EXPECT_EQ(dev_->CreateTexture(desc, &t), c.r) << c.w << "x" << c.h;
        if (t) t->Release();
        t = nullptr;
    }
    desc.width = desc.height = 8;
    desc.format = DefaultRasterTextureFormats()[7];  // FourCC
    EXPECT_EQ(dev_->CreateTexture(desc, &t), DDERR_INVALIDPIXELFORMAT);
}

} // namespace
