// The gesture trail on the effect layer: with 3D on it draws inside one
// BeginScene / EndScene pair as textured quads; when BeginScene fails it
// falls back to the 2D blocks and never ends a scene it did not begin.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "client/gesture_input.h"
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
#include "support/test_env.h"

namespace {

using plat::RasterOp;

class TrailSceneTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        plat::UseHeadlessBackend();
        plat::ClearDisplayFaults();
        plat::ResetRasterConfig();
        plat::ClearRecordedMessageBoxes();
        plat::SetDisplayLayout(plat::PixelLayout::k565);
        g_PixelFormat.m_Format = 16;
        SetProgramDirectory(0);
        savedLoader_ = CEffect3D::s_LoadGesturePatterns;
        savedOn_ = g_Effect3D.IsOn();
        CEffect3D::s_LoadGesturePatterns = nullptr;
        g_Effect3D.Enable(1);
        for (const char* n : {"effect", "effect1", "effect2", "effect3"})
            datagen::WriteBytes(Dir() + "th/" + n + ".bmp",
                                datagen::BmpBytes(datagen::MakeImage(8, 8, [](int, int) { return 0xFFFFFFu; })));
        display_ = std::make_unique<CSurface>();
        ASSERT_EQ(display_->SetCooperativeLevel(nullptr, 1, plat::DDSCL_NORMAL), 1);
        ASSERT_EQ(g_Effect3D.Init(display_.get()), 1);
        g_GestureInput.m_Trail.clear();
        g_GestureInput.m_HasPicture = -1;
        g_GestureInput.m_Trail.push_back(std::make_unique<CTrailSprite>(2, 100, 100, 0, 8));
        target_ = std::make_unique<CSurface>();
        ASSERT_TRUE(target_->CreateOffscreen(320, 240, 1));
        target_->Clear(nullptr);
        plat::ResetRasterConfig();
    }
    void TearDown() override {
        g_GestureInput.m_Trail.clear();
        g_GestureInput.m_HasPicture = -1;
        g_Effect3D.Shutdown();
        g_Effect3D.Enable(savedOn_);
        CEffect3D::s_LoadGesturePatterns = savedLoader_;
        CTexture::DestroyAll();
        target_.reset();
        display_.reset();
        plat::ResetRasterConfig();
        plat::ClearDisplayFaults();
        TempDirTest::TearDown();
    }
    // Bytes of the surface the trail draws on.
    std::vector<uint8_t> Pixels() {
        std::vector<uint8_t> out;
        if (uint8_t* p = target_->Lock(nullptr)) {
            for (int32_t y = 0; y < target_->m_Height; ++y)
                out.insert(out.end(), p + size_t(y) * size_t(target_->m_Pitch),
                           p + size_t(y) * size_t(target_->m_Pitch) + 2 * size_t(target_->m_Width));
            target_->Unlock();
        }
        return out;
    }
    std::unique_ptr<CSurface> display_;
    std::unique_ptr<CSurface> target_;
    int (*savedLoader_)() = nullptr;
    int32_t savedOn_ = 1;
};

TEST_F(TrailSceneTest, ThreeDDrawsInsideOneScene) {
    DrawGestureTrail(target_.get());
    EXPECT_EQ(plat::RasterCallCount(RasterOp::BeginScene), 1);
    EXPECT_EQ(plat::RasterCallCount(RasterOp::EndScene), 1);
    EXPECT_GT(plat::RasterCallCount(RasterOp::DrawIndexedPrimitive), 0);
}

TEST_F(TrailSceneTest, AFailedBeginSceneDrawsIn2DAndEndsNoScene) {
    const std::vector<uint8_t> before = Pixels();
    ASSERT_FALSE(before.empty());
    plat::ForceRasterResult(RasterOp::BeginScene, plat::RASTER_E_FAIL);
    DrawGestureTrail(target_.get());
    EXPECT_EQ(plat::RasterCallCount(RasterOp::EndScene), 0);
    EXPECT_EQ(plat::RasterCallCount(RasterOp::DrawIndexedPrimitive), 0);
    EXPECT_NE(Pixels(), before) << "the 2D blocks reached the surface";
}

} // namespace
