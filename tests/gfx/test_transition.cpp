#include <gtest/gtest.h>

#include <vector>

#include "gfx/screen_transition.h"
#include "test_image_fixture.h"

using namespace imgtest;

namespace {

class TransitionTest : public ImageTest {
protected:
    // What the game view draws into B on frame k.
    static std::vector<uint16_t> View(int32_t w, int32_t h, int k) {
        std::vector<uint16_t> v(static_cast<size_t>(w) * h);
        for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<uint16_t>(0x9A5B + 977 * i + 4099 * k);
        return v;
    }
    static std::vector<uint16_t> Blend(const std::vector<uint16_t>& b, const std::vector<uint16_t>& a, int32_t l) {
        std::vector<uint16_t> out(b.size());
        for (size_t i = 0; i < b.size(); ++i)
            out[i] = static_cast<uint16_t>(GetBlendTable(l)[b[i]] + GetBlendTable(15 - l)[a[i]]);
        return out;
    }
};

TEST_F(TransitionTest, EveryStepBlendsBTowardA) {
    constexpr int32_t W = 24, H = 10;
    struct Case {
        int mode;
        bool fadeIn;  // level 15 - counter / 2, else counter / 2
        bool snapshot;
    } cases[] = {{1, true, false}, {2, false, false}, {3, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        auto screen = PatternSurface(W, H);
        CScreenTransition t;
        EXPECT_EQ(t.Start(c.mode, screen.get()), 0);
        ASSERT_NE(t.m_pA, nullptr);
        ASSERT_NE(t.GetDrawTarget(), nullptr);
        EXPECT_EQ(t.m_Counter, 31);
        const std::vector<uint16_t> a = c.snapshot ? Pixels(W, H) : std::vector<uint16_t>(W * H, 0);
        EXPECT_EQ(Read(*t.m_pA), a);
        for (int k = 1; k <= 31; ++k) {
            EXPECT_EQ(t.Step(), 0) << k;
            const int32_t counter = 31 - k;
            ASSERT_EQ(t.m_Counter, counter);
            const int32_t level = c.fadeIn ? 15 - counter / 2 : counter / 2;
            EXPECT_EQ(t.Level(), level);
            Write(*t.m_pB, View(W, H, k));
            t.Draw(screen.get());
            const std::vector<uint16_t> want = Blend(View(W, H, k), a, level);
            ASSERT_EQ(Read(*t.m_pB), want) << "step " << k;
            ASSERT_EQ(Read(*screen), want) << "step " << k;
        }
        if (c.mode == 2) {
            // Holds its last state until stopped.
            for (int i = 0; i < 3; ++i) EXPECT_EQ(t.Step(), 0);
            EXPECT_EQ(t.m_Mode, 2);
            t.Stop();
        } else {
            EXPECT_EQ(t.Step(), 1);
        }
        EXPECT_EQ(t.m_Mode, 0);
        EXPECT_EQ(t.GetDrawTarget(), nullptr);
        EXPECT_EQ(t.Step(), 1) << "idle";
    }
}

TEST_F(TransitionTest, ModeFiveIsAPauseAndOtherModesRunNothing) {
    auto screen = PatternSurface(8, 4);
    CScreenTransition t;
    t.Start(5, screen.get());
    ASSERT_NE(t.GetDrawTarget(), nullptr);
    for (int k = 0; k < 31; ++k) {
        EXPECT_EQ(t.Step(), 0);
        Write(*t.m_pB, std::vector<uint16_t>(32, 0x1111));
        t.Draw(screen.get());
        EXPECT_EQ(Read(*screen), Pixels(8, 4)) << "nothing is drawn";
    }
    EXPECT_EQ(t.Step(), 1);
    EXPECT_EQ(t.m_Mode, 0);

    for (int mode : {4, 6, 9}) {
        t.Start(1, screen.get());
        t.Start(mode, screen.get());
        EXPECT_EQ(t.GetDrawTarget(), nullptr) << mode;
        t.Draw(screen.get());
        EXPECT_EQ(Read(*screen), Pixels(8, 4));
        EXPECT_EQ(t.Step(), 1) << "nothing runs: " << mode;
        EXPECT_EQ(t.m_Mode, 0);
    }
}

TEST_F(TransitionTest, SizeChangeStopsExceptModeTwo) {
    auto screen = PatternSurface(16, 8);
    auto bigger = PatternSurface(20, 8);
    CScreenTransition t;
    t.Start(1, screen.get());
    t.Step();
    t.Draw(bigger.get());
    EXPECT_EQ(t.m_Mode, 0);
    EXPECT_EQ(t.GetDrawTarget(), nullptr);
    EXPECT_EQ(Read(*bigger), Pixels(20, 8));

    t.Start(2, screen.get());
    t.Step();
    t.Draw(bigger.get());
    EXPECT_EQ(t.m_Mode, 2) << "mode 2 only skips the draw";
    EXPECT_EQ(Read(*bigger), Pixels(20, 8));

    // Starting again replaces the surfaces (the old ones are deleted; the
    // sanitizer build sees a leak otherwise).
    t.Start(3, bigger.get());
    EXPECT_EQ(t.m_pA->m_Width, 20);
    EXPECT_EQ(t.m_Counter, 31);
    t.Start(1, nullptr);
    EXPECT_EQ(t.GetDrawTarget(), nullptr);
    t.Draw(screen.get());
    EXPECT_EQ(t.Step(), 0) << "counts without surfaces";
}

} // namespace
