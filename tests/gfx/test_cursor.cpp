#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/mouse_cursor.h"
#include "platform/input.h"
#include "test_anim_fixture.h"

using namespace animtest;

namespace {

class CursorTest : public AnimTest {
protected:
    void SetUp() override {
        AnimTest::SetUp();
        plat::ResetInput();
        pics_ = {Picture(4, 3, 1), Picture(5, 4, 2, true), Picture(3, 3, 3), Picture(6, 5, 4), Picture(2, 7, 5)};
        std::vector<std::string> picLib;
        for (const auto& p : pics_) picLib.push_back(datagen::EncodeFrame(p));
        const auto pic = [](uint32_t i) { return (1u << 20) | i; };
        ASSERT_EQ(InitLibs({{"anim",
                             {// 0: the cursor, two shapes of two frames; hot-spots (1, 1) and (2, 0).
                              datagen::BuildAnimTable({{0, {Frame(pic(0), 1, 0, 0, 1, 1), Frame(pic(1), 1, 0, 0, 1, 1)}},
                                                       {0, {Frame(pic(2), 1, 0, 0, 2, 0), Frame(pic(0), 1, 0, 0, 2, 0)}}}),
                              // 1: a carried item: pictures 6 x 5 and 2 x 7.
                              datagen::BuildAnimTable({{0, {Frame(pic(3), 1), Frame(pic(4), 1)}}})}},
                            {"pics", picLib}}),
                  1);
    }
    void TearDown() override {
        cursor_.Clear();
        item_.Release();
        plat::ResetInput();
        AnimTest::TearDown();
    }
    CMouseCursor cursor_;
    CAnimRes item_;
    std::vector<datagen::ImageFrame> pics_;
};

TEST_F(CursorTest, DrawsTheShapeAtTheMouseAndSteps) {
    ASSERT_EQ(cursor_.SetAnim(0), 1);
    EXPECT_EQ(cursor_.m_AnimId, 0u);
    EXPECT_EQ(Refs(0, 0), 1);
    struct Case {
        int32_t shape;
        int seq;  // the sequence shown
    } cases[] = {{1, 1}, {0, 0}, {2, 0}, {-1, 0}, {99, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        cursor_.m_Shape = c.shape;
        cursor_.m_Changed = 1;
        CAnimPlayer* p = cursor_.m_Anim.Player(c.seq);
        p->Start(false);
        ASSERT_EQ(cursor_.ShapePlayer(), p);
        plat::SetCursorPos(10, 6);
        auto s = PatternSurface(24, 16);
        cursor_.Draw(s.get());
        const int pic = c.seq == 1 ? 2 : 0;
        const int32_t hx = c.seq == 1 ? 2 : 1, hy = c.seq == 1 ? 0 : 1;
        const RefPic ref = Ref(pics_[pic]);
        EXPECT_EQ(Read(*s), imgtest::Model(Pixels(24, 16), 24, 16, ref, 10 - hx, 6 - hy, ref.w, ref.h, 0, 0, 0, -1, nullptr));
        EXPECT_EQ(cursor_.CurrentRect(), (CCursorRect{10 - hx, 6 - hy, ref.w, ref.h, 0}));
        EXPECT_EQ(p->m_CurFrame, 1) << "stepped after the draw";
        EXPECT_EQ(cursor_.m_Changed, 0);
        // The next draw follows the mouse and shows the next frame, then
        // loops back.
        plat::SetCursorPos(3, 9);
        s = PatternSurface(24, 16);
        cursor_.Draw(s.get());
        const RefPic next = Ref(pics_[c.seq == 1 ? 0 : 1]);
        EXPECT_EQ(Read(*s),
                  imgtest::Model(Pixels(24, 16), 24, 16, next, 3 - hx, 9 - hy, next.w, next.h, 0, 0, 0, -1, nullptr));
        EXPECT_EQ(p->m_CurFrame, 0);
    }
    EXPECT_EQ(cursor_.m_RectIndex, 0) << "no flip chain: one record";
}

TEST_F(CursorTest, AttachedPlayerIsCentredAndTheCursorHolds) {
    ASSERT_EQ(cursor_.SetAnim(0), 1);
    ASSERT_EQ(item_.Bind(1), 1);
    CAnimPlayer* item = item_.CurrentPlayer();
    cursor_.m_Shape = 1;
    CAnimPlayer* shape = cursor_.ShapePlayer();
    EXPECT_EQ(cursor_.SetAttached(item), 1);
    plat::SetCursorPos(12, 9);
    for (int i = 0; i < 3; ++i) {
        auto s = PatternSurface(24, 20);
        cursor_.Draw(s.get());
        // Largest width 6 and height 7: the item's frame at (12 - 3, 9 - 3).
        const RefPic ref = Ref(pics_[3]);
        EXPECT_EQ(Read(*s), imgtest::Model(Pixels(24, 20), 24, 20, ref, 9, 6, 6, 5, 0, 0, 0, -1, nullptr));
        EXPECT_EQ(shape->m_CurFrame, 0) << "the cursor animation does not advance";
        EXPECT_EQ(item->m_CurFrame, 0) << "nor does the attached player";
        // The record is the cursor frame's, not the item's.
        EXPECT_EQ(cursor_.CurrentRect(), (CCursorRect{10, 9, 3, 3, 0}));
    }
    cursor_.SetAttached(nullptr);
    auto s = PatternSurface(24, 20);
    cursor_.Draw(s.get());
    EXPECT_EQ(shape->m_CurFrame, 1);
}

TEST_F(CursorTest, UnboundCursorDrawsNothing) {
    // The library is missing, or the cursor was cleared.
    for (uint32_t id : {7u << 20, 5u}) {
        ASSERT_EQ(cursor_.SetAnim(id), 1);
        EXPECT_EQ(cursor_.m_Anim.m_SeqCount, 0);
        plat::SetCursorPos(4, 4);
        auto s = PatternSurface(16, 16);
        cursor_.Draw(s.get());
        EXPECT_EQ(Read(*s), Pixels(16, 16));
        EXPECT_EQ(cursor_.CurrentRect(), CCursorRect{});
    }
    ASSERT_EQ(cursor_.SetAnim(0), 1);
    plat::SetCursorPos(4, 4);
    auto s = PatternSurface(16, 16);
    cursor_.Draw(s.get());
    EXPECT_NE(cursor_.CurrentRect(), CCursorRect{});
    cursor_.Clear();
    EXPECT_EQ(cursor_.m_Rects[0], CCursorRect{});
    EXPECT_EQ(cursor_.m_AnimId, 0u);
    EXPECT_EQ(Refs(0, 0), 0);
    s = PatternSurface(16, 16);
    cursor_.Draw(s.get());
    EXPECT_EQ(Read(*s), Pixels(16, 16));
}

} // namespace
