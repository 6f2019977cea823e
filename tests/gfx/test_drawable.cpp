#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gfx/drawable.h"
#include "platform/random.h"
#include "test_anim_fixture.h"

using namespace animtest;

namespace {

class DrawableTest : public AnimTest {
protected:
    void SetUp() override {
        AnimTest::SetUp();
        pics_ = {Picture(4, 3, 1), Picture(6, 2, 2, true), Picture(3, 5, 3)};
        std::vector<std::string> picLib;
        for (const auto& p : pics_) picLib.push_back(datagen::EncodeFrame(p));
        const uint32_t p0 = 1u << 20, p1 = (1u << 20) | 1, p2 = (1u << 20) | 2;
        std::vector<datagen::AnimFrameSpec> eight;
        for (int i = 0; i < 8; ++i) eight.push_back(Frame(i % 2 ? p1 : p0, 1, i, -i, 1, 1));
        eight[5] = Frame(p2, 1, -4, 7, 0, 2);
        ASSERT_EQ(InitLibs({{"anim",
                             {datagen::BuildAnimTable({{0, eight}}), datagen::BuildAnimTable({{0, {Frame(p2, 1, 2, 3, 1, 1)}}}),
                              datagen::BuildAnimTable({}), datagen::BuildAnimTable({{0, {}}})}},
                            {"pics", picLib}}),
                  1);
    }
    std::vector<datagen::ImageFrame> pics_;
};

TEST_F(DrawableTest, AnimatedDrawablesStartAtARandomFrame) {
    plat::SRand(7);
    const int first = plat::Rand() % 8, second = plat::Rand() % 8;
    ASSERT_NE(first, second) << "pick another seed";
    plat::SRand(7);
    CDrawable* a = nullptr;
    CDrawable* b = nullptr;
    ASSERT_EQ(CreateDrawable(&a, true, 0), 1);
    ASSERT_EQ(CreateDrawable(&b, true, 0), 1);
    std::unique_ptr<CDrawable> ka(a), kb(b);
    EXPECT_EQ(static_cast<CAnimDrawable*>(a)->CurrentPlayer()->m_CurFrame, first);
    EXPECT_EQ(static_cast<CAnimDrawable*>(b)->CurrentPlayer()->m_CurFrame, second);
    EXPECT_EQ(Refs(0, 0), 2);

    // The current frame gives the picture, the rectangle and the draw.
    CAnimDrawable* d = static_cast<CAnimDrawable*>(a);
    d->CurrentPlayer()->m_CurFrame = 5;
    EXPECT_EQ(d->GetImage(), g_ResList.GetLib(1)->GetImage(2));
    CGameRect r{100, 50, 0, 0};
    d->GetRect(&r);
    EXPECT_EQ(r, (CGameRect{96, 55, 3, 5}));
    auto s = PatternSurface(24, 24);
    EXPECT_EQ(d->Draw(s.get(), 12, 4, 0, -1, nullptr), 1);
    EXPECT_EQ(Read(*s), imgtest::Model(Pixels(24, 24), 24, 24, Ref(pics_[2]), 8, 9, 3, 5, 0, 0, 0, -1, nullptr));

    // Deleting releases the reference.
    ka.reset();
    kb.reset();
    EXPECT_EQ(Refs(0, 0), 0);
}

TEST_F(DrawableTest, FullRectIsTheUnionOfTheSequence) {
    CDrawable* raw = nullptr;
    CreateDrawable(&raw, true, 0);
    std::unique_ptr<CDrawable> d(raw);
    // Frames at position (100, 50): i even: picture 0 (4 x 3) at
    // (100 + i - 1, 50 - i - 1); i odd: picture 1 (6 x 2); frame 5: picture 2
    // (3 x 5) at (96, 55). Left 96 (frame 5), top 42 (frame 7), right 112
    // (frame 7: 106 + 6), bottom 60 (frame 5).
    CGameRect r{100, 50, 0, 0};
    d->GetFullRect(&r);
    EXPECT_EQ(r, (CGameRect{96, 42, 16, 18}));

    CreateDrawable(&raw, true, 1);
    std::unique_ptr<CDrawable> one(raw);
    CGameRect full{10, 20, 0, 0}, cur{10, 20, 0, 0};
    one->GetFullRect(&full);
    one->GetRect(&cur);
    EXPECT_EQ(full, cur);
    EXPECT_EQ(cur, (CGameRect{11, 22, 3, 5}));
}

TEST_F(DrawableTest, DrawablesWithNothingToShowDrawNothing) {
    // No sequences (no player) and a sequence without frames: no start
    // frame is drawn from the generator, nothing divides by zero.
    for (uint32_t id : {2u, 3u, 9u << 20}) {
        plat::SRand(11);
        const uint32_t before = plat::RandState();
        CDrawable* raw = nullptr;
        ASSERT_EQ(CreateDrawable(&raw, true, id), 1);
        std::unique_ptr<CDrawable> d(raw);
        EXPECT_EQ(plat::RandState(), before) << id;
        auto s = PatternSurface(8, 8);
        EXPECT_EQ(d->Draw(s.get(), 2, 2, 0, -1, nullptr), 0) << id;
        EXPECT_EQ(Read(*s), Pixels(8, 8));
        EXPECT_EQ(d->GetImage(), nullptr);
        CGameRect r{5, 6, 7, 8};
        d->GetRect(&r);
        d->GetFullRect(&r);
        EXPECT_EQ(r, (CGameRect{5, 6, 7, 8})) << "left unchanged";
    }
}

TEST_F(DrawableTest, ImageDrawable) {
    CDrawable* raw = nullptr;
    ASSERT_EQ(CreateDrawable(&raw, false, (1u << 20) | 1), 1);
    std::unique_ptr<CDrawable> d(raw);
    EXPECT_EQ(Refs(1, 1), 1);
    CGameRect r{30, 40, 0, 0};
    d->GetRect(&r);
    EXPECT_EQ(r, (CGameRect{30, 40, 6, 2}));
    r = CGameRect{30, 40, 0, 0};
    d->GetFullRect(&r);
    EXPECT_EQ(r, (CGameRect{30, 40, 6, 2}));
    auto s = PatternSurface(12, 8);
    EXPECT_EQ(d->Draw(s.get(), 3, 2, 3, 9, nullptr), 1);
    EXPECT_EQ(Read(*s), imgtest::Model(Pixels(12, 8), 12, 8, Ref(pics_[1]), 3, 2, 6, 2, 0, 0, 3, 9, nullptr));
    d.reset();
    EXPECT_EQ(Refs(1, 1), 0);
}

} // namespace
