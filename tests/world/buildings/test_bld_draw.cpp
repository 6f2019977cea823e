// A building frame drawn in each light mode and while flashing, checked
// byte for byte on a small surface against the pixel model of the draw
// modes (and against the light grid's own draws for the lit paths).
#include <gtest/gtest.h>

#include "../../gfx/test_image_fixture.h"
#include "../bld_fixture.h"
#include "gfx/image_ref.h"
#include "gfx/light_grid.h"
#include "gfx/rle_image.h"
#include "world/buildings/bld.h"
#include "world/buildings/bld_mdl.h"
#include "world/map/map_grid.h"
#include "../world_fixture.h"

namespace {

constexpr int32_t kSw = 20, kSh = 14;

int g_Lit = 0;

class BldDrawTest : public imgtest::ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        saved_ = g_WorldHooks;
        g_WorldHooks = CWorldHooks{};
        g_WorldHooks.isLightingOn = [] { return g_Lit; };
        world_ = std::make_unique<wtest::TestWorld>();
        world_->MakeCurrent();
        grid_.Create(8, 8);
        g_CurMapGrid = &grid_;
        plain_ = Pic(false);
        alpha_ = Pic(true);
        ASSERT_EQ(InitLibs({{"bld", {datagen::EncodeFrame(plain_), datagen::EncodeFrame(alpha_)}}}), 1);
        g_LightGrid.Init(4, kSw, kSh);
        g_LightGrid.SetAmbientMode(0, nullptr);
        g_LightGrid.Fill(6);
        datagen::BldPartSpec spec = bldtest::SamplePart(1, 11);
        spec.subs = {{"plain", 0, MakeResId(0, 0, 0), 3, 2}, {"glow", 0, MakeResId(0, 1, 0), 5, 4}};
        spec.middleStart = 0;
        spec.topCount = 0;
        const std::string bytes = datagen::BuildPartRecord(spec);
        size_t pos = 2;
        ASSERT_EQ(ReadBldPart(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pos, &part_), 1);
        mdl_.m_PartTable.SetSize(kBldMdlMaxRecords);
        mdl_.m_PartTable.SetAt(1, &part_);
        world_->mng->m_pBldMdl = &mdl_;
        bld_ = dynamic_cast<CBld*>(world_->mng->AddBld(3, 3, 1, nullptr));
        ASSERT_NE(bld_, nullptr);
        bld_->m_ScreenX = 2;
        bld_->m_ScreenY = 1;
    }
    void TearDown() override {
        world_.reset();
        ClearCurrentWorld();
        g_WorldHooks = saved_;
        g_Lit = 0;
        ImageTest::TearDown();
    }
    static datagen::ImageFrame Pic(bool alpha) {
        datagen::ImageFrame f;
        f.width = 7;
        f.height = 5;
        f.rle = true;
        for (int32_t y = 0; y < 5; ++y)
            for (int32_t x = 0; x < 7; ++x)
                f.pixels.push_back(x == 0 && y == 0 ? kColorKey565 : static_cast<uint16_t>(0x8410 + 0x0821 * (x + 3 * y)));
        if (alpha) f.alpha.assign(f.pixels.size(), 0x90);
        return f;
    }

    CWorldHooks saved_;
    std::unique_ptr<wtest::TestWorld> world_;
    CMapGrid grid_;
    CBldMdl mdl_;
    CBldPart part_;
    CBld* bld_ = nullptr;
    datagen::ImageFrame plain_, alpha_;
};

// How the frame is expected to reach the surface.
enum class Exp { None, Copy, Alpha, Blend, AlphaFaded, Grid, Level34 };

TEST_F(BldDrawTest, DrawFrameInEachLightModeAndWhileFlashing) {
    struct Case {
        int lit;
        int32_t colour;
        int32_t flash;
        int mode;
        int frame;
        Exp exp;
        int32_t level;
    };
    const Case cases[] = {
        {0, 0, -1, 1, 0, Exp::Copy, -1},      {0, 15, 9, 2, 1, Exp::Copy, -1},     // no lighting: plain
        {1, 0, -1, 0, 0, Exp::Copy, -1},      {1, 1, -1, 1, 0, Exp::Grid, 0},      // colour 0/1 by mode
        {1, 0, -1, 2, 0, Exp::None, 0},       {1, 1, -1, 2, 1, Exp::Alpha, -1},    // additive: alpha
        {1, 5, -1, 0, 0, Exp::Blend, 8},      {1, 15, -1, 1, 0, Exp::Level34, 34}, // 5 blend 8; 15 highlight
        {1, 15, -1, 1, 1, Exp::Alpha, -1},    {1, 7, -1, 1, 0, Exp::None, 0},      // other colours: nothing
        {1, 0, 9, 1, 0, Exp::Blend, 9},       {1, 0, 9, 1, 1, Exp::AlphaFaded, 9}, // flashing
        {1, 0, 9, 0, 0, Exp::Copy, -1},       {1, 1, 0, 1, 0, Exp::Grid, 0},       // mode 0, countdown 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "lit " << c.lit << " colour " << c.colour << " flash " << c.flash
                                          << " mode " << c.mode << " frame " << c.frame);
        g_Lit = c.lit;
        bld_->m_LabelColour = c.colour;
        bld_->m_Flash = c.flash;
        auto s = PatternSurface(kSw, kSh);
        const CGameRect clip{1, 1, 17, 11};
        const int drawn = bld_->DrawFrame(s.get(), c.frame, &clip, c.mode);
        const datagen::ImageFrame& f = c.frame ? alpha_ : plain_;
        const int32_t x = 2 + (c.frame ? 5 : 3), y = 1 + (c.frame ? 4 : 2);
        std::vector<uint16_t> want = Pixels(kSw, kSh);
        const auto model = [&](int32_t mode, int32_t level) {
            want = imgtest::Model(want, kSw, kSh, imgtest::Ref(f), x, y, f.width, f.height, 0, 0, mode, level, &clip);
        };
        switch (c.exp) {
            case Exp::None: break;
            case Exp::Copy: model(0, -1); break;
            case Exp::Alpha: model(2, -1); break;
            case Exp::Blend: model(3, c.level); break;
            case Exp::AlphaFaded: model(5, c.level); break;
            case Exp::Grid:
            case Exp::Level34: {
                auto ref = PatternSurface(kSw, kSh);
                CImageRef pic;
                pic.SetById(MakeResId(0, uint32_t(c.frame), 0));
                auto* rle = static_cast<CRleImage*>(pic.GetImage());
                ASSERT_NE(rle, nullptr);
                if (c.exp == Exp::Grid)
                    g_LightGrid.DrawThroughGrid(ref.get(), rle, &g_LightGrid.Map(), x, y, &clip);
                else
                    g_LightGrid.DrawAtLevel(ref.get(), rle, x, y, 34, &clip);
                want = Read(*ref);
                EXPECT_NE(want, Pixels(kSw, kSh));
                break;
            }
        }
        EXPECT_EQ(drawn, c.exp == Exp::None ? 0 : 1);
        EXPECT_EQ(Read(*s), want);
    }
}

TEST_F(BldDrawTest, HiddenAnimatedFramesAndLayersDrawNothing) {
    auto s = PatternSurface(kSw, kSh);
    part_.m_Items[0].m_Animated = 1;
    bld_->m_ShowAnimated = 0;
    EXPECT_EQ(bld_->DrawFrame(s.get(), 0, nullptr, 0), 0);
    EXPECT_EQ(bld_->DrawFrame(s.get(), 5, nullptr, 0), 0);
    EXPECT_EQ(Read(*s), Pixels(kSw, kSh));
    part_.m_Items[0].m_Animated = 0;
    // Layer 2 is empty (top count 0): the top pass draws nothing.
    EXPECT_EQ(bld_->DrawTopStatic(s.get(), nullptr), 0);
    // The clipped pass draws the plain frame as it is and the additive
    // one with its alpha plane.
    EXPECT_EQ(bld_->DrawClipped(s.get(), nullptr, 1), 1);
    std::vector<uint16_t> want = Pixels(kSw, kSh);
    want = imgtest::Model(want, kSw, kSh, imgtest::Ref(plain_), 5, 3, 7, 5, 0, 0, 0, -1, nullptr);
    want = imgtest::Model(want, kSw, kSh, imgtest::Ref(alpha_), 7, 5, 7, 5, 0, 0, 2, -1, nullptr);
    EXPECT_EQ(Read(*s), want);
}

} // namespace
