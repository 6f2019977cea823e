// Weather effects: pictures, element steps, 2D blits and the 3D quads.
#include <algorithm>

#include "datagen/bytes.h"
#include "datagen/texture_writer.h"
#include "gfx/effect3d.h"
#include "gfx/texture.h"
#include "platform/raster.h"
#include "../weather_fixture.h"

using namespace wxtest;

namespace {

constexpr uint16_t kBack = 0x0841;

uint16_t Px565(int r, int g, int b) {
    return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | ((b & 0xFF) >> 3));
}

class WeatherFxTest : public WeatherTest {
protected:
    void SetUp() override {
        WeatherTest::SetUp();
        target_ = std::make_unique<CSurface>(16, 12, 1);
        target_->FillAll(kBack);
        SetView(16, 12);
    }
    void TearDown() override {
        target_.reset();
        WeatherTest::TearDown();
    }
    // The target after drawing, and what a blit of `pic` (w x h from src)
    // at (x, y) clipped to the target would leave on the background.
    std::vector<uint16_t> Expect(std::vector<uint16_t> base, const std::vector<uint16_t>& pic, int32_t picW,
                                 int32_t srcX, int32_t srcY, int32_t x, int32_t y, int32_t w, int32_t h) {
        for (int32_t j = 0; j < h; ++j)
            for (int32_t i = 0; i < w; ++i) {
                const int32_t tx = x + i, ty = y + j;
                if (tx < 0 || ty < 0 || tx >= 16 || ty >= 12) continue;
                base[static_cast<size_t>(ty) * 16 + tx] = pic[static_cast<size_t>(srcY + j) * picW + srcX + i];
            }
        return base;
    }
    std::vector<uint16_t> Background() const { return std::vector<uint16_t>(16 * 12, kBack); }

    std::unique_ptr<CSurface> target_;
};

CEffectElem Elem(int32_t life, int32_t shape, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx = 0,
                 int32_t sy = 0) {
    CEffectElem e;
    e.life = life;
    e.shape = shape;
    e.x = x;
    e.y = y;
    e.width = w;
    e.height = h;
    e.srcX = sx;
    e.srcY = sy;
    return e;
}

} // namespace

TEST_F(WeatherFxTest, StreakPicturesByLevelAndLightning) {
    CRainEffect rain;
    rain.Create(5);
    const struct {
        int32_t level;
        int32_t lightning;
        int32_t k, r;
        uint16_t pixel;
    } cases[] = {
        {5, 0, 0, 0, Px565(80, 80, 110)},             // T[5] = 80; blue + 45 - 15
        {5, 0, 2, 9, Px565(152, 152, 182)},           // + 4 x 2 x 9
        {5, 1, 1, 3, Px565(92 + 30, 92, 92)},         // lightning: red takes the tint
        {0, 0, 0, 0, Px565(60, 60, 105)},
        {16, 0, 0, 0, Px565(160, 160, 157)},
        {CWeather::kFlashLevel, 0, 0, 0, Px565(160, 160, 157)},  // a flash is clamped to 16
        {-4, 0, 0, 0, Px565(60, 60, 105)},
    };
    for (const auto& c : cases) {
        rain.SetLightning(c.lightning);
        rain.SetLevel(c.level);
        const auto pic = ReadSurface(*rain.m_pStreaks[c.k]);
        EXPECT_EQ(pic[static_cast<size_t>(c.r) * 2], c.pixel) << c.level << " " << c.k << " " << c.r;
        EXPECT_EQ(pic[static_cast<size_t>(c.r) * 2 + 1], c.pixel);
    }
}

TEST_F(WeatherFxTest, WindAndFlakePicturesFromTheSharedSequence) {
    plat::SRand(9);
    Lcg lcg{9};
    CWindEffect wind;
    wind.Create(20);  // above 16: the last entry, 160
    auto pic = ReadSurface(*wind.m_pImage);
    for (int i = 0; i < 9; ++i) {
        const int r = 30 + lcg.Next() % 50 + 80;
        const int g = 30 + lcg.Next() % 50 + 80;
        const int b = lcg.Next() % 50;
        EXPECT_EQ(pic[static_cast<size_t>(i)], Px565(r, g, b)) << i;
    }
    CFlakeEffect flakes;
    flakes.Create(3);
    pic = ReadSurface(*flakes.m_pImage);
    for (int i = 0; i < 9; ++i) {
        const int r = 150 + lcg.Next() % 50;
        const int g = 150 + lcg.Next() % 50;
        const int b = 150 + lcg.Next() % 50;
        EXPECT_EQ(pic[static_cast<size_t>(i)], i == 4 ? 0xFFFF : Px565(r, g, b)) << i;
    }
}

TEST_F(WeatherFxTest, TwoDimensionalDrawsAreBlitsOfThePictures) {
    // Wind: element 0 inside, 1 cut by the right edge, 2 off the view (dies).
    CWindEffect wind;
    wind.Create(4);
    for (auto& e : wind.m_Elems) e.life = 0;
    wind.m_Elems[0] = Elem(9, 1, 2, 3, 3, 2);
    wind.m_Elems[1] = Elem(9, 0, 14, 8, 3, 3);
    wind.m_Elems[2] = Elem(9, 0, 40, 2, 3, 3);
    const auto windPic = ReadSurface(*wind.m_pImage);
    wind.Draw(target_.get(), nullptr);
    auto want = Expect(Background(), windPic, 3, 0, 0, 2, 3, 3, 2);
    want = Expect(want, windPic, 3, 0, 0, 14, 8, 3, 3);
    EXPECT_EQ(ReadSurface(*target_), want);
    EXPECT_EQ(wind.m_Elems[0].life, 9);
    EXPECT_EQ(wind.m_Elems[1].life, 9);
    EXPECT_EQ(wind.m_Elems[2].life, 0) << "a failed blit kills the shape";

    // Rain: a streak of picture 2 from source (1, 3), 1 x 6.
    target_->FillAll(kBack);
    CRainEffect rain;
    rain.Create(7);
    rain.m_Elems[0] = Elem(5, 2, 6, 1, 1, 6, 1, 3);
    rain.m_Elems[1] = Elem(0, 0, 0, 0, 2, 10);  // dead: not drawn
    const auto streak = ReadSurface(*rain.m_pStreaks[2]);
    rain.Draw(target_.get(), nullptr);
    EXPECT_EQ(ReadSurface(*target_), Expect(Background(), streak, 2, 1, 3, 6, 1, 1, 6));

    // Flakes: only the active ones; a live one outside the clip dies.
    target_->FillAll(kBack);
    CFlakeEffect flakes;
    flakes.Create(0);
    for (auto& e : flakes.m_Elems) e.life = 0;
    flakes.m_Elems[0] = Elem(50, 7, 4, 4, 3, 3);
    flakes.m_Elems[1] = Elem(50, 0, 20, 4, 1, 1);
    flakes.m_Elems[2] = Elem(50, 0, 1, 1, 1, 1);
    flakes.m_ActiveCount = 2;
    const auto flakePic = ReadSurface(*flakes.m_pImage);
    flakes.Draw(target_.get(), nullptr);
    EXPECT_EQ(ReadSurface(*target_), Expect(Background(), flakePic, 3, 0, 0, 4, 4, 3, 3));
    EXPECT_EQ(flakes.m_Elems[1].life, 0);
    EXPECT_EQ(flakes.m_Elems[2].life, 50) << "inactive: untouched";
}

TEST_F(WeatherFxTest, QuadsLieWhereTheBlitsWould) {
    SetProgramDirectory(0);
    for (const char* n : {"effect", "effect1", "effect2", "effect3"})
        datagen::WriteBytes(Dir() + "th/" + n + ".bmp",
                            datagen::BmpBytes(datagen::MakeImage(8, 8, [](int, int) { return 0xFFFFFFu; })));
    plat::ResetRasterConfig();
    auto display = std::make_unique<CSurface>();
    ASSERT_EQ(display->SetCooperativeLevel(nullptr, 1, plat::DDSCL_NORMAL), 1);
    g_Effect3D.Enable(1);
    ASSERT_EQ(g_Effect3D.Init(display.get()), 1);
    const CMeshSprite& m1 = g_Effect3D.Mesh(1);
    const CMeshSprite& m2 = g_Effect3D.Mesh(2);

    CWindEffect wind;
    wind.Create(4);
    for (auto& e : wind.m_Elems) e.life = 0;
    wind.m_Elems[0] = Elem(9, 3, 5, 6, 2, 2);
    wind.Draw(target_.get(), nullptr);
    EXPECT_EQ((CGameRect{m1.m_X, m1.m_Y, m1.m_Width, m1.m_Height}), (CGameRect{5, 6, 40, 1}));
    EXPECT_EQ(m1.m_Vertices[0].diffuse & 0xFFFFFFu, 0x1C1C05u) << "c = 20 + 3 x 25 / 9 = 28; blue c / 5";
    wind.m_Elems[0] = Elem(9, 3, -1, 6, 2, 2);
    wind.Draw(target_.get(), nullptr);
    EXPECT_EQ(wind.m_Elems[0].life, 0) << "a negative position ends a shape in 3D";

    CRainEffect rain;
    rain.Create(7);
    rain.m_Elems[0] = Elem(5, 2, 6, 1, 1, 6, 1, 3);
    rain.m_Elems[0].depth = 4;
    rain.Draw(target_.get(), nullptr);
    EXPECT_EQ((CGameRect{m1.m_X, m1.m_Y, m1.m_Width, m1.m_Height}), (CGameRect{6, 1, 1, 48}));
    EXPECT_EQ(m1.m_Vertices[0].diffuse & 0xFFFFFFu, 0x1C1C1Cu);
    rain.SetLightning(1);
    rain.Draw(target_.get(), nullptr);
    EXPECT_EQ(m1.m_Vertices[0].diffuse & 0xFFFFFFu, 0x540000u);

    CFlakeEffect flakes;
    flakes.Create(0);
    for (auto& e : flakes.m_Elems) e.life = 0;
    flakes.m_Elems[0] = Elem(30, 6, 4, 4, 3, 2);
    flakes.m_Elems[0].fullLife = 60;
    flakes.m_Elems[0].grey = 180;
    flakes.m_ActiveCount = 1;
    flakes.Draw(target_.get(), nullptr);
    // b = 8, r = 0.5: side 4 / 2 + 4 = 6.
    EXPECT_EQ((CGameRect{m2.m_X, m2.m_Y, m2.m_Width, m2.m_Height}), (CGameRect{4, 4, 6, 6}));
    EXPECT_EQ(m2.m_Vertices[0].diffuse & 0xFFFFFFu, 0xB4B4B4u);

    uint32_t blend = 1;
    g_pRasterDevice->GetRenderState(plat::D3DRENDERSTATE_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(blend, 0u) << "blending switched back off";
    g_Effect3D.Shutdown();
    CTexture::DestroyAll();
    display.reset();
}

TEST_F(WeatherFxTest, ElementArraysNeverOverflow) {
    SetView(640, 480);
    CRainEffect rain;
    rain.Create(3);
    rain.Reset(0);
    plat::SRand(11);
    for (int i = 0; i < 400; ++i) {
        rain.m_Rate = 31;
        rain.Update();
        const auto live = std::count_if(rain.m_Elems.begin(), rain.m_Elems.end(), [](const CEffectElem& e) {
            return e.life > 0;
        });
        ASSERT_EQ(live, rain.m_Live);
        ASSERT_LE(rain.m_Live, 250);
    }
    for (auto& e : rain.m_Elems) e.life = 5;
    rain.m_Live = 250;
    const uint32_t before = plat::RandState();
    rain.SpawnOne();
    EXPECT_EQ(rain.m_Live, 250);
    EXPECT_EQ(plat::RandState(), before) << "a full array spawns nothing";
    EXPECT_EQ(rain.Count(), 250);

    // A view of 150 pixels has no room above it for a streak.
    SetView(640, 150);
    rain.Reset(0);
    rain.SpawnOne();
    EXPECT_EQ(rain.m_Live, 0);

    const struct {
        int32_t width, full, count;
    } density[] = {{640, 1, 200}, {800, 1, 312}, {1024, 1, 512}, {700, 1, 512}, {640, 0, 50}, {800, 0, 78}};
    for (const auto& d : density) {
        SetView(d.width, 480);
        CFlakeEffect f;
        f.m_FullDensity = d.full;
        f.Create(0);
        EXPECT_EQ(f.Count(), d.count) << d.width;
        f.SetActive(1);
        for (int i = 0; i < 30; ++i) f.Update(10000);
        EXPECT_EQ(f.m_ActiveCount, d.count);
        f.Update(0);
        EXPECT_EQ(f.m_ActiveCount, d.count - 1) << "a running-out weather thins the field";
    }
}

TEST_F(WeatherFxTest, ElementSteps) {
    SetView(640, 480);
    plat::SRand(4);
    CWindEffect wind;
    wind.Create(0);
    wind.Update();
    for (const CEffectElem& e : wind.m_Elems) {
        ASSERT_GE(e.shape, 0);
        ASSERT_LE(e.shape, 8);
        EXPECT_GE(e.x, 320);
        EXPECT_LT(e.x, 640);
        EXPECT_LE(e.dx, -40 + 0 * e.shape);
        EXPECT_GE(e.dx, -10 * (12 - e.shape));
        EXPECT_GE(e.life, 500);
    }
    const CEffectElem first = wind.m_Elems[0];
    wind.Update();
    EXPECT_EQ(wind.m_Elems[0].x, first.x + first.dx);
    EXPECT_EQ(wind.m_Elems[0].life, first.life - 1);
    wind.Scroll(10, -7);
    EXPECT_EQ(wind.m_Elems[0].x, first.x + first.dx - 5);
    EXPECT_EQ(wind.m_Elems[0].y, first.y + first.dy + 3);

    // A flake whose sway timer went negative never turns again.
    CFlakeEffect flakes;
    flakes.Create(0);
    flakes.m_Elems[0] = Elem(100, 0, 100, 100, 1, 1);
    flakes.m_Elems[0].sway = -3;
    flakes.m_Elems[0].dx = 2;
    flakes.m_Elems[0].dy = 1;
    flakes.m_FullDensity = 0;
    flakes.m_ActiveCount = 0;
    for (int i = 0; i < 60; ++i) {
        flakes.m_ActiveCount = 0;  // only element 0 steps
        flakes.Update(10000);
        ASSERT_EQ(flakes.m_Elems[0].dx, 2);
        ASSERT_GE(flakes.m_Drift, -8);
        ASSERT_LE(flakes.m_Drift, 8);
    }
    EXPECT_EQ(flakes.m_Elems[0].x, 220);
    EXPECT_EQ(flakes.m_Elems[0].sway, -63);
}
