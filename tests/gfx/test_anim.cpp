#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/bytes.h"
#include "gfx/anim.h"
#include "gfx/image_ref.h"
#include "test_anim_fixture.h"

using namespace animtest;

namespace {

CAnimSeq Seq(const std::vector<int16_t>& delays) {
    CAnimSeq s;
    const size_t n = delays.size();
    s.m_pFrames.reset(new CAnimFrame[n ? n : 1]);
    s.m_FrameCount = static_cast<int16_t>(n);
    for (size_t i = 0; i < n; ++i) s.m_pFrames[i].m_Delay = delays[i];
    return s;
}

enum class Kind { Step, Loop, Back, LoopBack };

// Frame index after each tick, as digits; '*' after a tick where IsAtEnd
// holds.
std::string Play(const CAnimSeq& seq, Kind kind, int32_t offset, int ticks, bool reverse) {
    CAnimPlayer p;
    p.Init(seq);
    p.m_DelayOffset = offset;
    p.Start(reverse);
    std::string out;
    for (int i = 0; i < ticks; ++i) {
        const CAnimFrame* f = kind == Kind::Step   ? p.Step()
                              : kind == Kind::Loop ? p.StepLoop()
                              : kind == Kind::Back ? p.StepBack()
                                                   : p.StepLoopBack();
        EXPECT_EQ(f, &seq.m_pFrames[p.m_CurFrame]) << "the step returns the current frame";
        out += static_cast<char>('0' + p.m_CurFrame);
        if (p.IsAtEnd()) out += '*';
    }
    return out;
}

TEST(AnimPlayer, FrameIndexPerTickForEveryStepKind) {
    // Delays 2, 0, 3: a delay of 0 still lasts one tick.
    const CAnimSeq seq = Seq({2, 0, 3});
    struct Case {
        Kind kind;
        int32_t offset;
        bool reverse;
        int ticks;
        const char* want;
    } cases[] = {
        {Kind::Step, 0, false, 7, "01222*2*2*"},
        {Kind::Loop, 0, false, 9, "01222*0012"},
        {Kind::Back, 0, true, 7, "22*10000"},
        {Kind::LoopBack, 0, true, 9, "22*100222*1"},
        // Offset +1: 3, 1 and 4 ticks.
        {Kind::Step, 1, false, 9, "0012222*2*2*"},
        {Kind::Loop, 1, false, 10, "0012222*000"},
        // A negative offset larger than every delay: one tick each.
        {Kind::Step, -5, false, 4, "12*2*2*"},
        {Kind::Loop, -5, false, 5, "12*012*"},
        {Kind::Back, -5, true, 4, "1000"},
        {Kind::LoopBack, -5, true, 5, "102*10"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Play(seq, c.kind, c.offset, c.ticks, c.reverse), c.want)
            << "kind " << static_cast<int>(c.kind) << " offset " << c.offset;
}

TEST(AnimPlayer, LoopRangeAndEnds) {
    CAnimSeq seq = Seq({1, 1, 1, 1, 1});
    CAnimPlayer p;
    p.Init(seq);
    EXPECT_EQ(p.m_LoopEnd, 4);
    // A narrowed loop range: StepLoop returns to the loop start, Step holds
    // at the loop end, StepLoopBack goes from the start to the end.
    p.m_LoopStart = 1;
    p.m_LoopEnd = 3;
    p.m_CurFrame = 1;
    std::string s;
    for (int i = 0; i < 5; ++i) s += static_cast<char>('0' + (p.StepLoop(), p.m_CurFrame));
    EXPECT_EQ(s, "23123");
    p.m_CurFrame = 2;
    p.m_Tick = 0;
    s.clear();
    for (int i = 0; i < 3; ++i) s += static_cast<char>('0' + (p.Step(), p.m_CurFrame));
    EXPECT_EQ(s, "333");
    p.m_CurFrame = 2;
    s.clear();
    for (int i = 0; i < 3; ++i) s += static_cast<char>('0' + (p.StepLoopBack(), p.m_CurFrame));
    EXPECT_EQ(s, "132");

    // IsNearEnd: last tick of the frame two before the end.
    CAnimSeq four = Seq({2, 2, 2, 2});
    p.Init(four);
    p.Start(false);
    std::string near;
    for (int i = 0; i < 8; ++i) near += (p.Step(), p.IsNearEnd()) ? 'n' : '.';
    EXPECT_EQ(near, "..n.....");
    // Two frames: compares with frame -1, never true.
    CAnimSeq two = Seq({1, 1});
    p.Init(two);
    p.Start(false);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE((p.StepLoop(), p.IsNearEnd()));
}

TEST(AnimPlayer, FrameAtAndOutOfRangeIndices) {
    CAnimSeq seq = Seq({1, 1, 1});
    CAnimPlayer p;
    p.Init(seq);
    const std::pair<int32_t, int32_t> cases[] = {{-1, 0}, {0, 0}, {2, 2}, {3, 0}, {4, 1}, {5, 2}, {6, 0}, {100, 0}};
    for (auto [i, want] : cases) EXPECT_EQ(p.FrameAt(i), &seq.m_pFrames[want]) << i;
    // A caller writing an index past the sequence sees frame 0, not memory
    // beyond it.
    p.m_CurFrame = 7;
    EXPECT_EQ(p.CurrentFrame(), &seq.m_pFrames[0]);
    p.StepLoop();
    EXPECT_EQ(p.m_CurFrame, 0) << "wrapped back into the sequence";
}

TEST(AnimPlayer, SequenceWithoutFramesGivesNothing) {
    CAnimSeq empty = Seq({});
    CAnimPlayer p;
    p.Init(empty);
    EXPECT_EQ(p.m_LoopEnd, 0);
    p.Start(true);
    EXPECT_EQ(p.m_CurFrame, 0);
    EXPECT_EQ(p.m_LoopEnd, 0);
    EXPECT_EQ(p.CurrentFrame(), nullptr);
    EXPECT_EQ(p.FrameAt(0), nullptr);
    EXPECT_EQ(p.Step(), nullptr);
    EXPECT_EQ(p.StepLoop(), nullptr);
    EXPECT_EQ(p.StepBack(), nullptr);
    EXPECT_EQ(p.StepLoopBack(), nullptr);
    EXPECT_EQ(p.m_CurFrame, 0);
    EXPECT_TRUE(p.IsAtEnd()) << "nothing waits for ever on an empty sequence";
    EXPECT_FALSE(p.IsNearEnd());
    EXPECT_EQ(p.Draw(nullptr, 0, 0, 0, -1, nullptr), 0);
    EXPECT_EQ(p.DrawRegion(nullptr, 0, 0, 1, 1, 0, 0, 0, -1, nullptr), 0);
}

// ---- bound to libraries ----

class AnimResTest : public AnimTest {
protected:
    void SetUp() override {
        AnimTest::SetUp();
        pics_ = {Picture(4, 3, 1), Picture(6, 2, 2, true), Picture(3, 5, 3), Picture(80, 70, 4)};
        std::vector<std::string> picLib;
        for (const auto& p : pics_) picLib.push_back(datagen::EncodeFrame(p));
        const uint32_t p0 = 1u << 20, p1 = (1u << 20) | 1, p2 = (1u << 20) | 2;
        std::vector<std::string> animLib = {
            // 0: two sequences; picture 0 is used twice.
            datagen::BuildAnimTable({{3, {Frame(p0, 2, 3, 1, 1, 2), Frame(p1, 1)}}, {0, {Frame(p0, 1), EmptyFrame()}}}),
            // 1: written by hand below.
            HandTable(),
            // 2: no sequences; 3: truncated; 4: one sequence without frames.
            datagen::BuildAnimTable({}),
            datagen::BuildAnimTable({{0, {Frame(p2, 1), Frame(p2, 1)}}}).substr(0, 40),
            datagen::BuildAnimTable({{0, {}}}),
        };
        ASSERT_EQ(InitLibs({{"anim", animLib}, {"pics", picLib}}), 1);
    }
    // S = 1; F = 2, attribute 0x10007 (low half kept), R = 7; a frame with
    // delay 0x10003, picture 2, x -2, y 5, hot-spot (1, 0x10002); an empty
    // frame whose fields are ignored.
    static std::string HandTable() {
        datagen::Bytes b;
        b.U32(0xFFFF0001u).U32(2).U32(0x10007).U32(7);
        b.U32(0).U32(0x10003).U32((1u << 20) | 2).I32(-2).I32(5).I32(1).U32(0x10002);
        b.U32(1).U32(77).U32(0x99).I32(9).I32(9).I32(9).I32(9);
        return b.str();
    }
    std::vector<datagen::ImageFrame> pics_;
};

TEST_F(AnimResTest, BindReadsTheTableFieldByField) {
    CAnimRes a;
    ASSERT_EQ(a.Bind(1), 1);
    ASSERT_EQ(a.m_SeqCount, 1);
    const CAnimPlayer& p = a.m_pPlayers[0];
    EXPECT_EQ(p.m_FrameCount, 2);
    EXPECT_EQ(p.m_Attribute, 7);
    EXPECT_EQ(p.m_LoopEnd, 1);
    const CAnimFrame& f = p.m_pFrames[0];
    EXPECT_EQ(f.m_Delay, 3);
    EXPECT_EQ(f.m_X, -2);
    EXPECT_EQ(f.m_Y, 5);
    EXPECT_EQ(f.m_HotX, 1);
    EXPECT_EQ(f.m_HotY, 2);
    ASSERT_NE(f.GetImage(), nullptr);
    EXPECT_EQ(f.GetImage()->m_Width, 3);
    const CAnimFrame& e = p.m_pFrames[1];
    EXPECT_EQ(e.GetImage(), nullptr);
    EXPECT_EQ(e.m_Delay, 0);
    EXPECT_EQ(e.m_X, 0);
    CGameRect r;
    e.GetRect(10, 20, &r);
    EXPECT_EQ(r, (CGameRect{10, 20, 0, 0}));
    EXPECT_EQ(Refs(1, 2), 1);
}

TEST_F(AnimResTest, ReferencesKeepBoundAnimationsThroughPurges) {
    CAnimRes a, b;
    ASSERT_EQ(a.Bind(0), 1);
    EXPECT_EQ(a.m_SeqCount, 2);
    EXPECT_EQ(a.m_CurSeq, 0);
    EXPECT_EQ(a.m_pPlayers[0].m_Attribute, 3);
    EXPECT_EQ(Refs(0, 0), 1);
    // The table's frames reference their pictures once per frame.
    EXPECT_EQ(Refs(1, 0), 2);
    EXPECT_EQ(Refs(1, 1), 1);
    ASSERT_EQ(b.Bind(0), 1);
    EXPECT_EQ(Refs(0, 0), 2);
    EXPECT_EQ(Refs(1, 0), 2) << "the table is parsed once";
    EXPECT_EQ(b.m_pPlayers[0].m_pFrames, a.m_pPlayers[0].m_pFrames);

    // Binding again without a release neither leaks nor double-counts.
    ASSERT_EQ(a.Bind(0), 1);
    EXPECT_EQ(Refs(0, 0), 2);

    g_ResList.RemoveAllNoUse();
    ASSERT_TRUE(Loaded(0, 0));
    ASSERT_TRUE(Loaded(1, 0));
    ASSERT_TRUE(Loaded(1, 1));
    ASSERT_NE(a.m_pPlayers[0].CurrentFrame()->GetImage(), nullptr);

    a.Release();
    EXPECT_EQ(a.m_SeqCount, 0);
    EXPECT_EQ(a.m_pPlayers, nullptr);
    EXPECT_EQ(a.m_Id, 0u) << "the id stays stored";
    EXPECT_EQ(Refs(0, 0), 1);
    g_ResList.RemoveAllNoUse();
    EXPECT_TRUE(Loaded(0, 0)) << "b still holds it";
    b.Release();
    g_ResList.RemoveAllNoUse();
    EXPECT_FALSE(Loaded(0, 0));
    EXPECT_FALSE(Loaded(1, 0)) << "the pictures went with the table";
    EXPECT_FALSE(Loaded(1, 1));

    // Rebind binds the kept id again; a bound handle is left alone.
    EXPECT_EQ(a.Rebind(), 1);
    EXPECT_EQ(a.m_SeqCount, 2);
    EXPECT_EQ(Refs(0, 0), 1);
    EXPECT_EQ(a.Rebind(), 0);
    EXPECT_EQ(Refs(0, 0), 1);
    CAnimRes none;
    EXPECT_EQ(none.m_Id, kNoAnimId);
    EXPECT_EQ(none.Rebind(), 0);

    a.SetDelayOffset(-3);
    EXPECT_EQ(a.m_pPlayers[0].m_DelayOffset, -3);
    EXPECT_EQ(a.m_pPlayers[1].m_DelayOffset, -3);

    // A library closed under a bound handle: Release only forgets it.
    g_ResList.CloseAll();
    a.Release();
    EXPECT_EQ(a.m_pLib, nullptr);
}

TEST_F(AnimResTest, BadBindingsLeaveTheHandleUnbound) {
    struct Case {
        uint32_t id;
        int result;
        int32_t seqs;
    } cases[] = {
        {5u << 20, 0, 0},      // no such library
        {0x000FFFFFu, 0, 0},  // entry outside the library
        {3, 0, 0},             // truncated table
        {2, 1, 0},             // a table without sequences
        {4, 1, 1},             // a sequence without frames
    };
    for (const Case& c : cases) {
        CAnimRes a;
        EXPECT_EQ(a.Bind(c.id), c.result) << c.id;
        EXPECT_EQ(a.m_SeqCount, c.seqs) << c.id;
        EXPECT_EQ(a.m_Id, c.id);
        if (c.id == 3) {
            EXPECT_EQ(Refs(0, 3), 0) << "a refused table keeps no reference";
        }
        if (c.seqs == 0) {
            EXPECT_EQ(a.CurrentPlayer(), nullptr);
        }
        if (c.id == 4) {
            EXPECT_EQ(a.CurrentPlayer()->CurrentFrame(), nullptr);
            EXPECT_EQ(a.CurrentPlayer()->m_LoopEnd, 0);
        }
        if (c.id == 2) {
            // Rebinding an empty table keeps one reference, not two.
            EXPECT_EQ(a.Rebind(), 1);
            EXPECT_EQ(Refs(0, 2), 1);
        }
    }
    EXPECT_EQ(Refs(0, 2), 0);
    EXPECT_EQ(Refs(0, 4), 0);
}

TEST_F(AnimResTest, FramesDrawAtOffsetMinusHotSpot) {
    CAnimRes a;
    ASSERT_EQ(a.Bind(0), 1);
    // Frame 0 of sequence 0: picture 0 (4 x 3), offset (3, 1), hot-spot (1, 2).
    const CAnimPlayer& p = a.m_pPlayers[0];
    CGameRect r;
    p.CurrentFrame()->GetRect(10, 10, &r);
    EXPECT_EQ(r, (CGameRect{12, 9, 4, 3}));
    const RefPic ref = Ref(pics_[0]);
    for (int mode : {0, 3}) {
        auto s = PatternSurface(20, 16);
        EXPECT_EQ(p.Draw(s.get(), 10, 10, mode, 6, nullptr), 1);
        EXPECT_EQ(Read(*s), imgtest::Model(Pixels(20, 16), 20, 16, ref, 12, 9, 4, 3, 0, 0, mode, 6, nullptr)) << mode;
    }
    const CGameRect clip{0, 0, 13, 16};
    auto s = PatternSurface(20, 16);
    EXPECT_EQ(p.DrawRegion(s.get(), 10, 10, 2, 2, 1, 1, 0, -1, &clip), 1);
    EXPECT_EQ(Read(*s), imgtest::Model(Pixels(20, 16), 20, 16, ref, 12, 9, 2, 2, 1, 1, 0, -1, &clip));

    // Widest and tallest frames: picture 1 is 6 x 2, picture 0 4 x 3.
    const CAnimSeq& seq = g_ResList.GetLib(0)->GetAnim(0)->m_pSeqs[0];
    int32_t w = 0, h = 0;
    EXPECT_EQ(seq.WidestFrame(&w), 1);
    EXPECT_EQ(w, 6);
    EXPECT_EQ(seq.TallestFrame(&h), 0);
    EXPECT_EQ(h, 3);
    // Sequence 1: picture 0 then an empty frame.
    EXPECT_EQ(g_ResList.GetLib(0)->GetAnim(0)->m_pSeqs[1].WidestFrame(&w), 0);
    EXPECT_EQ(w, 4);
    CAnimSeq empty;
    EXPECT_EQ(empty.WidestFrame(&w), 0);
    EXPECT_EQ(w, 0);
}

TEST_F(AnimResTest, ImageRefCountsAndKeepLoadedRule) {
    CImageRef r;
    r.SetById((1u << 20) | 1);
    EXPECT_EQ(Refs(1, 1), 1);
    EXPECT_EQ(g_ResList.GetLib(1)->FindEntry(1)->m_LoadState, kEntryNotLoaded) << "small: loaded when asked for";
    {
        CImageRef big;
        big.SetById((1u << 20) | 3);
        EXPECT_EQ(g_ResList.GetLib(1)->FindEntry(3)->m_LoadState, kEntryLoaded) << "over 10240 bytes in library 1";
    }
    ASSERT_NE(r.GetImage(), nullptr);
    EXPECT_EQ(r.GetImage()->m_Width, 6);
    r.SetById((1u << 20) | 2);  // setting again releases the first entry
    EXPECT_EQ(Refs(1, 1), 0);
    EXPECT_EQ(Refs(1, 2), 1);
    r.Release();
    EXPECT_EQ(Refs(1, 2), 0);
    EXPECT_EQ(r.GetImage(), nullptr);
    r.SetById(7u << 20);  // no such library
    EXPECT_EQ(r.GetImage(), nullptr);
}

} // namespace
