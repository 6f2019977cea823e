#include <gtest/gtest.h>

#include <string>

#include "core/directories.h"
#include "datagen/bytes.h"
#include "datagen/texture_writer.h"
#include "gfx/effect3d.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "gfx/texture.h"
#include "platform/display.h"
#include "platform/msgbox.h"
#include "platform/raster.h"
#include "platform/window.h"
#include "support/test_env.h"

using namespace plat;

namespace {

int g_patternLoads = 0;
int CountPatternLoad() { return ++g_patternLoads; }

class Effect3DTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        UseHeadlessBackend();
        ClearDisplayFaults();
        ResetRasterConfig();
        ClearRecordedMessageBoxes();
        SetDisplayLayout(PixelLayout::k565);
        g_PixelFormat.m_Format = 16;
        SetProgramDirectory(0);
        g_patternLoads = 0;
        CEffect3D::s_LoadGesturePatterns = CountPatternLoad;
        for (const char* n : {"effect", "effect1", "effect2", "effect3"})
            datagen::WriteBytes(Dir() + "th/" + n + ".bmp",
                                datagen::BmpBytes(datagen::MakeImage(8, 8, [](int, int) { return 0xFFFFFFu; })));
        display_ = std::make_unique<CSurface>();
        ASSERT_EQ(display_->SetCooperativeLevel(nullptr, 1, DDSCL_NORMAL), 1);
        fx_ = std::make_unique<CEffect3D>();
    }
    void TearDown() override {
        fx_.reset();
        CTexture::DestroyAll();
        display_.reset();
        CEffect3D::s_LoadGesturePatterns = nullptr;
        EXPECT_EQ(g_pRasterDevice, nullptr);
        EXPECT_EQ(LiveRasterObjects(), 0);
        ResetRasterConfig();
        ClearDisplayFaults();
        TempDirTest::TearDown();
    }
    std::string Path(const char* file) const { return std::string(GetProgramDirectory()) + "\\th\\" + file; }
    uint32_t State(uint32_t rs) const {
        uint32_t v = 0;
        g_pRasterDevice->GetRenderState(rs, &v);
        return v;
    }
    uint32_t Stage(uint32_t tss) const {
        uint32_t v = 0;
        g_pRasterDevice->GetTextureStageState(0, tss, &v);
        return v;
    }

    std::unique_ptr<CSurface> display_;
    std::unique_ptr<CEffect3D> fx_;
};

TEST_F(Effect3DTest, InitSetsUpDeviceMeshesAndTextures) {
    ASSERT_EQ(fx_->Init(display_.get()), 1);
    ASSERT_NE(g_pRasterDevice, nullptr);
    EXPECT_EQ(State(D3DRENDERSTATE_AMBIENT), 0xFFFFFFFFu);
    EXPECT_EQ(State(D3DRENDERSTATE_SRCBLEND), D3DBLEND_ONE);
    EXPECT_EQ(State(D3DRENDERSTATE_DESTBLEND), D3DBLEND_ONE);
    EXPECT_EQ(State(D3DRENDERSTATE_DITHERENABLE), 1u);
    EXPECT_EQ(State(D3DRENDERSTATE_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(Stage(D3DTSS_COLORARG1), D3DTA_TEXTURE);
    EXPECT_EQ(Stage(D3DTSS_COLORARG2), D3DTA_DIFFUSE);
    EXPECT_EQ(Stage(D3DTSS_COLOROP), D3DTOP_MODULATE);
    EXPECT_EQ(Stage(D3DTSS_ALPHAOP), D3DTOP_SELECTARG1);
    EXPECT_EQ(Stage(D3DTSS_ALPHAARG1), D3DTA_TEXTURE);
    EXPECT_EQ(Stage(D3DTSS_MINFILTER), D3DTFN_LINEAR);
    EXPECT_EQ(Stage(D3DTSS_MAGFILTER), D3DTFG_LINEAR);
    const int sides[4] = {3, 4, 4, 3};
    const char* files[4] = {"effect.bmp", "effect1.bmp", "effect2.bmp", "effect3.bmp"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(fx_->Mesh(i).m_W, sides[i]);
        EXPECT_EQ(fx_->Mesh(i).m_TextureName, Path(files[i]));
        EXPECT_EQ(fx_->Mesh(i).m_Width, 8);
        EXPECT_NE(CTexture::GetSurface(Path(files[i]).c_str()), nullptr) << files[i];
    }
    EXPECT_EQ(g_patternLoads, 1);
    EXPECT_EQ(fx_->Fallback(), nullptr);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(Effect3DTest, DrawsAdditivelyIntoTheSceneTarget) {
    ASSERT_EQ(fx_->Init(display_.get()), 1);
    CSurface back(32, 32, 1);
    back.FillAll(0);
    ASSERT_TRUE(fx_->BeginScene(&back));
    EXPECT_EQ(fx_->Target(), &back);
    g_pRasterDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    CMeshSprite& m = fx_->Mesh(1);
    m.SetPos(4, 4);
    m.SetColor(0xFF282828u);
    m.Render(g_pRasterDevice);
    m.Render(g_pRasterDevice);  // twice: 40 + 40
    g_pRasterDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0);
    fx_->EndScene();
    EXPECT_EQ(back.m_pSurface->PixelAt(5, 5), PackPixel(PixelLayout::k565, 80, 80, 80));
    EXPECT_EQ(back.m_pSurface->PixelAt(12, 12), 0);
}

TEST_F(Effect3DTest, FailedSetUpTurnsThreeDOffForGood) {
    for (RasterOp op : {RasterOp::QueryInterface, RasterOp::CreateDevice}) {
        SCOPED_TRACE(static_cast<int>(op));
        fx_ = std::make_unique<CEffect3D>();
        ClearRecordedMessageBoxes();
        ForceRasterResult(op, RASTER_E_FAIL);
        EXPECT_EQ(fx_->Init(display_.get()), 0);
        EXPECT_EQ(fx_->IsOn(), 0);
        ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
        EXPECT_EQ(RecordedMessageBoxes()[0].text, "3D Func Error");
        ASSERT_NE(fx_->Fallback(), nullptr);
        EXPECT_EQ(fx_->Fallback()->m_Width, 10);
        EXPECT_EQ(g_pRasterDevice, nullptr);
        EXPECT_EQ(g_pRaster, nullptr);
        EXPECT_EQ(g_patternLoads, 0);
        // Activation does not retry.
        const int queries = RasterCallCount(RasterOp::QueryInterface);
        EXPECT_EQ(fx_->OnActivate(0), 1);
        EXPECT_EQ(RasterCallCount(RasterOp::QueryInterface), queries);
        EXPECT_FALSE(fx_->BeginScene(display_.get()));
    }
}

TEST_F(Effect3DTest, SwitchedOffBeforeInitTakesTheTwoDimensionalPath) {
    fx_->Enable(0);
    EXPECT_EQ(fx_->Init(display_.get()), 0);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
    EXPECT_EQ(RasterCallCount(RasterOp::QueryInterface), 0);
    ASSERT_NE(fx_->Fallback(), nullptr);
    // A drawer asks for a scene, gets none, and blits in 2D instead.
    CSurface back(16, 16, 1);
    back.FillAll(0);
    CSurface dot(2, 2, 1);
    dot.FillAll(0x1234);
    if (fx_->BeginScene(&back)) {
        fx_->EndScene();
    } else {
        dot.Blt(&back, 3, 3, 2, 2, 0, 0, 1, -1, nullptr);
    }
    EXPECT_EQ(back.m_pSurface->PixelAt(3, 3), 0x1234);
    EXPECT_EQ(RasterCallCount(RasterOp::BeginScene), 0);
    EXPECT_EQ(RasterCallCount(RasterOp::SetRenderTarget), 0);
    fx_->Shutdown();
    EXPECT_EQ(fx_->Fallback(), nullptr);
}

TEST_F(Effect3DTest, FailedBeginSceneSkipsEndScene) {
    ASSERT_EQ(fx_->Init(display_.get()), 1);
    CSurface back(16, 16, 1);
    ForceRasterResult(RasterOp::BeginScene, RASTER_E_FAIL);
    EXPECT_FALSE(fx_->BeginScene(&back));
    fx_->EndScene();
    EXPECT_EQ(RasterCallCount(RasterOp::EndScene), 0);
    // A lost target fails the same way; a surface without pixels too.
    back.m_pSurface->MarkLost();
    EXPECT_FALSE(fx_->BeginScene(&back));
    back.m_pSurface->Restore();
    EXPECT_FALSE(fx_->BeginScene(nullptr));
    EXPECT_TRUE(fx_->BeginScene(&back));
    fx_->EndScene();
    EXPECT_EQ(RasterCallCount(RasterOp::EndScene), 1);
}

TEST_F(Effect3DTest, ActivationReleasesAndRebuilds) {
    ASSERT_EQ(fx_->Init(display_.get()), 1);
    const std::string tex = Path("effect2.bmp");
    EXPECT_EQ(fx_->OnActivate(1), 1);
    EXPECT_EQ(g_pRasterDevice, nullptr);
    EXPECT_EQ(g_pRaster, nullptr);
    CSurface back(16, 16, 1);
    EXPECT_FALSE(fx_->BeginScene(&back));
    const int made = RasterCallCount(RasterOp::CreateTexture);
    EXPECT_EQ(fx_->OnActivate(0), 1);
    ASSERT_NE(g_pRasterDevice, nullptr);
    EXPECT_EQ(State(D3DRENDERSTATE_DESTBLEND), D3DBLEND_ONE);
    EXPECT_NE(CTexture::GetSurface(tex.c_str()), nullptr);
    EXPECT_EQ(RasterCallCount(RasterOp::CreateTexture), made + 4);  // all four rebuilt
    EXPECT_TRUE(fx_->BeginScene(&back));
    fx_->EndScene();
    // Set-up failing on reactivation turns 3D off.
    fx_->OnActivate(1);
    ForceRasterResult(RasterOp::CreateDevice, RASTER_E_FAIL);
    fx_->OnActivate(0);
    EXPECT_EQ(fx_->IsOn(), 0);
    EXPECT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_NE(fx_->Fallback(), nullptr);
}

} // namespace
