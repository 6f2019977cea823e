#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/iso_seam.h"
#include "gfx/trail.h"
#include "test_anim_fixture.h"

using namespace animtest;

namespace {

// World positions straight to screen pixels, so the test places the
// afterimages where it wants them.
CGamePoint Flat(int32_t x, int32_t y) { return {x, y}; }

class TrailTest : public AnimTest {
protected:
    void SetUp() override {
        AnimTest::SetUp();
        pics_ = {Picture(4, 3, 1), Picture(5, 4, 2, true, true)};
        std::vector<std::string> picLib;
        for (const auto& p : pics_) picLib.push_back(datagen::EncodeFrame(p));
        ASSERT_EQ(InitLibs({{"anim", {datagen::BuildAnimTable({{0, {animtest::Frame(1u << 20, 1, 1, 0, 0, 0),
                                                                      animtest::Frame((1u << 20) | 1, 1)}}})}},
                            {"pics", picLib}}),
                  1);
        ASSERT_EQ(anim_.Bind(0), 1);
        SetWorldToScreen(Flat);
    }
    void TearDown() override {
        SetWorldToScreen(nullptr);
        anim_.DisableTrail();
        anim_.Release();
        AnimTest::TearDown();
    }
    const CAnimFrame* FrameOf(int i) const { return &anim_.m_pPlayers[0].m_pFrames[i]; }
    // Pushes until a sampled trail records n more samples at (x0 + 10 i, y).
    static void Sample(CAfterimageTrail& t, int n, int32_t x0, int32_t y, const CAnimFrame* f) {
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < 5; ++k) {
                const CGamePoint p{x0 + 10 * i, y};
                t.Push(&p, f);
            }
    }
    static std::vector<int32_t> Xs(const CAfterimageTrail& t) {
        std::vector<int32_t> v;
        for (int32_t i = 0; i < t.Count(); ++i) v.push_back(t.At(i).x);
        return v;
    }
    CTrailAnim anim_;
    std::vector<datagen::ImageFrame> pics_;
};

TEST_F(TrailTest, SampledTrailCountsAndDrawLevels) {
    // Start 2, end 10, step 2: at most 4 samples, drawn at 2, 4, 6.
    ASSERT_EQ(anim_.EnableTrail(2, 10, 2, 0), 1);
    CAfterimageTrail* t = anim_.m_pTrail;
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->m_Limit, 4);
    CAfterimageTrail* same = t;
    anim_.EnableTrail(0, 15, 1, 1);
    EXPECT_EQ(anim_.m_pTrail, same) << "an existing trail is kept";

    // Only every fifth push records.
    const CGamePoint p{0, 0};
    for (int i = 0; i < 4; ++i) t->Push(&p, FrameOf(0));
    EXPECT_EQ(t->Count(), 0);
    t->Push(&p, FrameOf(0));
    EXPECT_EQ(t->Count(), 1);
    Sample(*t, 5, 10, 2, FrameOf(0));
    EXPECT_EQ(Xs(*t), (std::vector<int32_t>{20, 30, 40, 50})) << "the oldest go first";

    auto s = PatternSurface(64, 8);
    EXPECT_EQ(t->Draw(s.get(), nullptr), 3);
    // Oldest first at levels 2, 4, 6; the newest (x 50) is not drawn. The
    // frame's offset moves each picture one pixel right.
    std::vector<uint16_t> want = Pixels(64, 8);
    const RefPic ref = Ref(pics_[0]);
    for (int i = 0; i < 3; ++i)
        want = imgtest::Model(want, 64, 8, ref, 21 + 10 * i, 2, 4, 3, 0, 0, 3, 2 + 2 * i, nullptr);
    EXPECT_EQ(Read(*s), want);

    // A clip reaches every afterimage.
    const CGameRect clip{0, 0, 33, 8};
    s = PatternSurface(64, 8);
    t->Draw(s.get(), &clip);
    want = Pixels(64, 8);
    for (int i = 0; i < 3; ++i)
        want = imgtest::Model(want, 64, 8, ref, 21 + 10 * i, 2, 4, 3, 0, 0, 3, 2 + 2 * i, &clip);
    EXPECT_EQ(Read(*s), want);

    // Null positions drain one sample per call.
    for (int n = 3; n >= 0; --n) {
        t->Push(nullptr, nullptr);
        EXPECT_EQ(t->Count(), n);
    }
    t->Push(nullptr, nullptr);
    EXPECT_EQ(t->Count(), 0);
    Sample(*t, 1, 0, 0, FrameOf(0));
    s = PatternSurface(8, 8);
    EXPECT_EQ(t->Draw(s.get(), nullptr), 0) << "one sample: nothing to draw";
    EXPECT_EQ(Read(*s), Pixels(8, 8));

    anim_.DisableTrail();
    EXPECT_EQ(anim_.m_pTrail, nullptr);
}

TEST_F(TrailTest, ContinuousTrailKeepsSixAndCapacityIsFifteen) {
    ASSERT_EQ(anim_.EnableTrail(1, 13, 2, 1), 1);
    CAfterimageTrail* t = anim_.m_pTrail;
    for (int i = 0; i < 7; ++i) {
        const CGamePoint p{i, 0};
        t->Push(&p, FrameOf(0));
        EXPECT_EQ(t->Count(), i < 6 ? i + 1 : 6);
    }
    EXPECT_EQ(Xs(*t), (std::vector<int32_t>{1, 2, 3, 4, 5, 6})) << "the seventh push dropped the oldest";
    anim_.DisableTrail();

    // A sampled trail whose limit is larger than the pool stops at 15.
    ASSERT_EQ(anim_.EnableTrail(0, 100, 1, 0), 1);
    t = anim_.m_pTrail;
    EXPECT_EQ(t->m_Limit, 15);
    Sample(*t, 20, 0, 0, FrameOf(0));
    EXPECT_EQ(t->Count(), 15);
    EXPECT_EQ(t->At(0).x, 50);
    EXPECT_EQ(t->At(14).x, 190);
}

TEST_F(TrailTest, AlphaPicturesDrawInModeFive) {
    ASSERT_EQ(anim_.EnableTrail(3, 12, 3, 0), 1);
    CAfterimageTrail* t = anim_.m_pTrail;
    Sample(*t, 3, 2, 1, FrameOf(1));
    auto s = PatternSurface(40, 8);
    EXPECT_EQ(t->Draw(s.get(), nullptr), 2);
    std::vector<uint16_t> want = Pixels(40, 8);
    const RefPic ref = Ref(pics_[1]);
    for (int i = 0; i < 2; ++i) want = imgtest::Model(want, 40, 8, ref, 2 + 10 * i, 1, 5, 4, 0, 0, 5, 3 + 3 * i, nullptr);
    EXPECT_EQ(Read(*s), want);
}

TEST_F(TrailTest, LevelStepZeroIsRefused) {
    EXPECT_EQ(anim_.EnableTrail(2, 10, 0, 0), 0);
    EXPECT_EQ(anim_.m_pTrail, nullptr);
    // A falling range gives a limit of 0: each sample replaces the last.
    ASSERT_EQ(anim_.EnableTrail(10, 2, 2, 0), 1);
    Sample(*anim_.m_pTrail, 3, 0, 0, FrameOf(0));
    EXPECT_EQ(anim_.m_pTrail->Count(), 1);
}

TEST(IsoSeam, DefaultConversionAndOverride) {
    EXPECT_EQ(WorldToScreen(0, 0), (CGamePoint{32, 0}));
    EXPECT_EQ(WorldToScreen(63, 63), (CGamePoint{32, 31}));
    EXPECT_EQ(WorldToScreen(64, 0), (CGamePoint{64, 16}));
    EXPECT_EQ(WorldToScreen(0, 64), (CGamePoint{0, 16}));
    SetWorldToScreen(Flat);
    EXPECT_EQ(WorldToScreen(64, 0), (CGamePoint{64, 0}));
    SetWorldToScreen(nullptr);
    EXPECT_EQ(WorldToScreen(64, 0), (CGamePoint{64, 16}));
}

} // namespace
