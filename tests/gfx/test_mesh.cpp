#include <gtest/gtest.h>

#include <vector>

#include "datagen/bytes.h"
#include "datagen/texture_writer.h"
#include "gfx/mesh_sprite.h"
#include "gfx/texture.h"
#include "platform/display.h"
#include "platform/raster.h"
#include "platform/window.h"
#include "support/test_env.h"

using namespace plat;

namespace {

TEST(VertexGrid, CountsIndexOrderAndFreshVertices) {
    CVertexGrid g;
    ASSERT_EQ(g.Create(3, 3), 1);
    EXPECT_EQ(g.m_VertexCount, 9);
    EXPECT_EQ(g.m_IndexCount, 24);
    EXPECT_EQ(std::vector<uint16_t>(g.m_Indices.begin(), g.m_Indices.begin() + 12),
              (std::vector<uint16_t>{0, 1, 3, 3, 1, 4, 1, 2, 4, 4, 2, 5}));
    EXPECT_EQ(std::vector<uint16_t>(g.m_Indices.end() - 6, g.m_Indices.end()),
              (std::vector<uint16_t>{4, 5, 7, 7, 5, 8}));
    const CVertex& v = g.m_Vertices[4];
    EXPECT_EQ(v.z, 0.5f);
    EXPECT_EQ(v.rhw, 0.5f);
    EXPECT_EQ(v.diffuse, 0x00FFFFFFu);
    EXPECT_EQ(v.specular, 0u);
    ASSERT_EQ(g.Create(4, 4), 1);
    EXPECT_EQ(g.m_VertexCount, 16);
    EXPECT_EQ(g.m_IndexCount, 54);
    EXPECT_EQ(g.m_Scale, 1.0f);
    // A side below two columns or rows spans nothing.
    EXPECT_EQ(g.Create(1, 4), 0);
    EXPECT_EQ(g.m_VertexCount, 0);
    g.SetRect(0, 0, 10, 10);  // harmless on an empty grid
}

TEST(VertexGrid, RectangleAndTextureCoordinates) {
    CVertexGrid g;
    g.Create(4, 3);
    g.SetRect(10, 20, 30, 8);
    const float xs[4] = {10, 20, 30, 40}, ys[3] = {20, 24, 28};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(g.m_Vertices[r * 4 + c].x, xs[c]);
            EXPECT_EQ(g.m_Vertices[r * 4 + c].y, ys[r]);
        }
    g.SetUV(0.25f, 0.0f, 0.75f, 0.5f);
    EXPECT_EQ(g.m_Vertices[0].tu, 0.25f);
    EXPECT_EQ(g.m_Vertices[1].tu, 0.5f);
    EXPECT_EQ(g.m_Vertices[3].tu, 1.0f);
    EXPECT_EQ(g.m_Vertices[4].tv, 0.25f);
    EXPECT_EQ(g.m_Vertices[11].tv, 0.5f);
    // Positions are accumulated in float, step by step: 0.1 x 3 is not 0.3.
    CVertexGrid a;
    a.Create(4, 2);
    a.SetRect(0, 0, 1, 1);  // steps of 1/3
    float acc = 0.0f;
    for (int c = 0; c < 4; ++c, acc += 1.0f / 3.0f) EXPECT_EQ(a.m_Vertices[c].x, acc);
}

TEST(VertexGrid, ScaleKeepsTheCentre) {
    CVertexGrid g;
    g.Create(3, 3);
    g.m_BaseWidth = 20;
    g.m_BaseHeight = 10;
    g.SetRect(100, 50, 20, 10);
    g.SetScale(1.0f);  // unchanged factor: nothing moves
    EXPECT_EQ(g.m_X, 100);
    g.SetScale(2.5f);
    EXPECT_EQ(g.m_Width, 50);
    EXPECT_EQ(g.m_Height, 25);
    EXPECT_EQ(g.m_X, 110 - 25);
    EXPECT_EQ(g.m_Y, 55 - 12);
    EXPECT_EQ(g.m_Vertices[8].x, 110.0f - 25 + 50);
    g.SetScale(0.01f);  // sides never below 2
    EXPECT_EQ(g.m_Width, 2);
    EXPECT_EQ(g.m_Height, 2);
}

class MeshSpriteTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        UseHeadlessBackend();
        ASSERT_EQ(DirectDrawCreate(&dd_), DD_OK);
        DDSurfaceDesc d;
        d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.width = 40;
        d.height = 30;
        d.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        ASSERT_EQ(dd_->CreateSurface(&d, &surf_), DD_OK);
        ASSERT_EQ(QueryRaster(dd_, &raster_), D3D_OK);
        ASSERT_EQ(raster_->CreateDevice(surf_, &dev_), D3D_OK);
        dev_->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        dev_->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
        dev_->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
        dev_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    }
    void TearDown() override {
        CTexture::DestroyAll();
        dev_->Release();
        raster_->Release();
        surf_->Release();
        dd_->Release();
        ResetRasterConfig();
        EXPECT_EQ(LiveRasterObjects(), 0);
        TempDirTest::TearDown();
    }
    DisplayDevice* dd_ = nullptr;
    DDSurface* surf_ = nullptr;
    Raster* raster_ = nullptr;
    RasterDevice* dev_ = nullptr;
};

TEST_F(MeshSpriteTest, TextureGivesSizeAndRenderDrawsTheGrid) {
    datagen::WriteBytes(Dir() + "th/white.bmp",
                        datagen::BmpBytes(datagen::MakeImage(16, 8, [](int, int) { return 0xFFFFFFu; })));
    ASSERT_EQ(CTexture::Create("th\\white.bmp", 0, 0), kTexOk);
    CTexture::RestoreAll(dev_);
    CMeshSprite m;
    m.Create(4, 4);
    m.SetRect(1, 2, 5, 5);
    // No record: the name is kept, size and coordinates are not touched.
    EXPECT_EQ(m.SetTexture("th\\none.bmp"), 1);
    EXPECT_EQ(m.m_TextureName, "th\\none.bmp");
    EXPECT_EQ(m.m_Width, 5);
    EXPECT_EQ(m.m_Vertices[15].tu, 0.0f);
    ASSERT_EQ(m.SetTexture("TH\\WHITE.BMP"), 1);
    EXPECT_EQ(m.m_Width, 16);
    EXPECT_EQ(m.m_Height, 8);
    EXPECT_EQ(m.m_BaseWidth, 16);
    EXPECT_EQ(m.m_Vertices[15].tu, 1.0f);
    EXPECT_EQ(m.m_Vertices[15].tv, 1.0f);
    m.SetPos(10, 12);
    EXPECT_FLOAT_EQ(m.m_Vertices[15].x, 26.0f);  // three accumulated steps of 16 / 3
    EXPECT_EQ(m.m_Vertices[15].y, 20.0f);
    m.SetColor(0xFF606060u);
    ASSERT_EQ(dev_->BeginScene(), D3D_OK);
    EXPECT_EQ(m.Render(dev_), 1);
    dev_->EndScene();
    EXPECT_EQ(dev_->GetTexture(0), CTexture::GetSurface("th\\white.bmp"));
    EXPECT_EQ(dev_->TrianglesDrawn(), 18u);
    const uint16_t grey = PackPixel(surf_->Layout(), 0x60, 0x60, 0x60);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            EXPECT_EQ(surf_->PixelAt(x, y), (x >= 10 && x < 26 && y >= 12 && y < 20) ? grey : 0) << x << "," << y;
    // A name without a texture sets none and still draws.
    m.SetTexture("th\\none.bmp");
    dev_->BeginScene();
    m.Render(dev_);
    dev_->EndScene();
    EXPECT_EQ(dev_->GetTexture(0), nullptr);
    EXPECT_EQ(dev_->TrianglesDrawn(), 36u);
}

} // namespace
