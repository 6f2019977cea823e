// The timeline forms, the player behind the headless backend, the input
// recorder and the run seed.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/fs.h"
#include "platform/input.h"
#include "platform/png.h"
#include "platform/present.h"
#include "platform/random.h"
#include "platform/recorder.h"
#include "platform/timeline.h"
#include "platform/timeline_player.h"
#include "platform/window.h"
#include "support/test_env.h"

namespace {

using K = plat::TimelineEvent::Kind;

plat::Timeline Parse(const std::string& text) {
    plat::Timeline t;
    std::string err;
    EXPECT_TRUE(plat::ParseTimeline(text, &t, &err)) << err;
    return t;
}

TEST(TimelineForms, KeyNamesAndNumbers) {
    const struct {
        const char* word;
        int vk;
    } cases[] = {
        {"esc", 0x1B},  {"ENTER", 0x0D}, {"space", 0x20},  {"tab", 0x09},    {"back", 0x08},  {"shift", 0x10},
        {"ctrl", 0x11}, {"alt", 0x12},   {"left", 0x25},   {"up", 0x26},     {"right", 0x27}, {"down", 0x28},
        {"f1", 0x70},   {"F12", 0x7B},   {"a", 0x41},      {"Z", 0x5A},      {"0", 0x30},     {"9", 0x39},
        {"kp0", 0x60},  {"kp9", 0x69},   {"kpplus", 0x6B}, {"kpminus", 0x6D}, {"print", 0x2C}, {"grave", 0xC0},
        {"13", 13},     {"0x41", 0x41},  {"255", 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(plat::ParseKeyName(c.word), c.vk);
        const plat::Timeline t = Parse(std::string("at 5 keydown ") + c.word);
        ASSERT_EQ(t.events.size(), 1u);
        EXPECT_EQ(t.events[0].a, c.vk);
    }
    for (const char* bad : {"f0", "f13", "f01", "kp10", "256", "00", "escape", "-1", ""})
        EXPECT_EQ(plat::ParseKeyName(bad), 0) << bad;
    // The recorder's names read back to their codes; unnamed codes in hex.
    for (int vk = 1; vk < 256; ++vk) EXPECT_EQ(plat::ParseKeyName(plat::KeyName(vk)), vk) << vk;
    EXPECT_EQ(plat::KeyName(0x70), "f1");
    EXPECT_EQ(plat::KeyName(0xA0), "0xA0");
}

TEST(TimelineForms, FrameStrokeTickSeedAndTextEscapes) {
    const plat::Timeline t = Parse(
        "seed 77\n"
        "at 100 frame shots/title.png\n"
        "tick 40 ldown 5 6\n"
        "tick 12 key esc\n"
        "at 50 stroke 10 1,2 3,4 -5,600\n"
        "tick 12+7 frame t12.png\n"
        "tick 12+3 lup\n"
        "at 60 text \\x20a\\#b\\\\c\\x20  # the comment\n"
        "at 60 text \xE4\xB8\xAD\n");
    EXPECT_TRUE(t.hasSeed);
    EXPECT_EQ(t.seed, 77u);
    ASSERT_EQ(t.events.size(), 6u);
    // Stroke points at 50, 60, 70; the texts at 60 keep their file order
    // after the stroke's point at 60.
    EXPECT_EQ(t.events[0].kind, K::Move);
    EXPECT_EQ(t.events[0].timeMs, 50u);
    EXPECT_EQ(t.events[0].a, 1);
    EXPECT_EQ(t.events[0].b, 2);
    EXPECT_EQ(t.events[1].timeMs, 60u);
    EXPECT_EQ(t.events[1].a, 3);
    EXPECT_EQ(t.events[2].kind, K::Text);
    EXPECT_EQ(t.events[2].text, " a#b\\c ");
    EXPECT_EQ(t.events[3].text, "\xE4\xB8\xAD");
    EXPECT_EQ(t.events[4].timeMs, 70u);
    EXPECT_EQ(t.events[4].a, -5);
    EXPECT_EQ(t.events[4].b, 600);
    EXPECT_EQ(t.events[5].kind, K::Frame);
    EXPECT_EQ(t.events[5].text, "shots/title.png");
    // Sorted by tick, then by the offset within the tick.
    ASSERT_EQ(t.tickEvents.size(), 4u);
    EXPECT_EQ(t.tickEvents[0].tick, 12u);
    EXPECT_EQ(t.tickEvents[0].kind, K::Key);
    EXPECT_EQ(t.tickEvents[1].kind, K::LUp);
    EXPECT_EQ(t.tickEvents[1].tickOffsetMs, 3u);
    EXPECT_EQ(t.tickEvents[2].kind, K::Frame);
    EXPECT_EQ(t.tickEvents[2].tickOffsetMs, 7u);
    EXPECT_EQ(t.tickEvents[3].tick, 40u);
    EXPECT_TRUE(t.tickEvents[3].hasPos);
    EXPECT_FALSE(Parse("at 1 close\n").hasSeed);
    EXPECT_EQ(Parse("at 1 close\n").seed, plat::kScriptSeed);
}

TEST(TimelineForms, MalformedLinesAreRefusedNamingTheLine) {
    const char* bad[] = {
        "at 10 keydown escape", "at 10 key", "at 10 frame", "at 10 frame /etc/x.png", "at 10 frame ../up.png",
        "at 10 frame a/../../b.png", "at 10 stroke", "at 10 stroke 5", "at 10 stroke 5 1,2 3",
        "at 10 stroke 5 1,2 3;4", "at 10 stroke x 1,2", "tick 5 stroke 5 1,2", "tick x close", "tick -1 close",
        "tick 5", "tick 5+ close", "tick 5+x close", "tick +3 close", "tick 5+-1 close", "seed", "seed -1", "seed 1 2", "at 10 text", "at 10 text \\q", "at 10 text ab\\x4",
        "at 10 text \\", "step 2 3", "at 010x close",
    };
    for (const char* text : bad) {
        plat::Timeline t;
        std::string err;
        EXPECT_FALSE(plat::ParseTimeline(std::string("step 2\n# fine\n") + text + "\n", &t, &err)) << text;
        EXPECT_NE(err.find("line 3"), std::string::npos) << text << ": " << err;
    }
}

TEST(TimelineForms, FormattedEventsReadBackUnchanged) {
    std::vector<plat::TimelineEvent> events;
    auto add = [&](K kind, int a, int b, bool pos, std::string text) {
        plat::TimelineEvent e;
        e.kind = kind;
        e.a = a;
        e.b = b;
        e.hasPos = pos;
        e.text = std::move(text);
        events.push_back(e);
    };
    add(K::KeyDown, 0x1B, 0, false, "");
    add(K::KeyUp, 0xA3, 0, false, "");
    add(K::Key, '7', 0, false, "");
    add(K::Text, 0, 0, false, " lead#and\\trail\t\x01\x7F \xE4\xB8\xAD ");
    add(K::Move, -3, 500, true, "");
    add(K::LDown, 320, 240, true, "");
    add(K::LUp, 0, 0, false, "");
    add(K::RDown, 1, 2, true, "");
    add(K::RUp, 3, 4, true, "");
    add(K::Activate, 0, 0, false, "");
    add(K::Command, 9, 0, false, "");
    add(K::Close, 0, 0, false, "");
    add(K::Jump, 5000, 0, false, "");
    add(K::Frame, 0, 0, false, "f/x.png");
    for (const plat::TimelineEvent& e : events) {
        const std::string line = "tick 3 " + plat::FormatTimelineEvent(e);
        SCOPED_TRACE(line);
        const plat::Timeline t = Parse(line);
        ASSERT_EQ(t.tickEvents.size(), 1u);
        const plat::TimelineEvent& r = t.tickEvents[0];
        EXPECT_EQ(r.kind, e.kind);
        EXPECT_EQ(r.a, e.a);
        EXPECT_EQ(r.b, e.b);
        EXPECT_EQ(r.hasPos, e.hasPos);
        EXPECT_EQ(r.text, e.text);
    }
}

// A headless main window with a tick source the test moves.
class PlayTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        clock_ = std::make_unique<vtest::FakeClockScope>(0);
        plat::ResetInput();
        plat::ClearMessageQueue();
        plat::SetTickSource([this] { return tick_; });
    }
    void TearDown() override {
        plat::StopRecording();
        plat::DestroyWindow(window_);
        plat::ClearMessageQueue();
        plat::ResetInput();
        plat::SetTickSource(nullptr);
        plat::SetDisplayPresenter(nullptr);
        clock_.reset();
        vtest::TempDirTest::TearDown();
    }
    void Open(const std::string& script) {
        plat::UseHeadlessBackend(script);
        plat::WindowDesc d;
        window_ = plat::CreateMainWindow(d, [this](uint32_t m, uint32_t w, uint32_t l, intptr_t*) {
            seen_.push_back(std::to_string(m) + ":" + std::to_string(w) + ":" + std::to_string(l));
            return true;
        });
        ASSERT_NE(window_, nullptr);
    }
    void Drain() {
        plat::Msg msg;
        while (plat::PeekMessage(&msg)) {
            ASSERT_TRUE(plat::GetMessage(&msg));
            plat::TranslateMessage(msg);
            plat::DispatchMessage(msg);
        }
    }
    plat::FakeClock& Clock() { return **clock_; }
    std::unique_ptr<vtest::FakeClockScope> clock_;
    plat::Window* window_ = nullptr;
    int64_t tick_ = 0;
    std::vector<std::string> seen_;
};

TEST_F(PlayTest, TickEventsWaitForTheirTickAndAtEventsForTheirTime) {
    Open("tick 3 keydown a\ntick 3 move 7 8\nat 50 keyup a\ntick 5 ldown\n");
    Drain();
    EXPECT_TRUE(seen_.empty());
    tick_ = 2;
    Drain();
    EXPECT_TRUE(seen_.empty());
    tick_ = 4;  // several ticks in one pass: everything up to 4 lands
    Drain();
    ASSERT_EQ(seen_.size(), 2u);
    EXPECT_EQ(seen_[0], "256:65:1");
    plat::Point p;
    plat::GetCursorPos(&p);
    EXPECT_EQ(p.x, 7);
    Clock().Set(50);
    tick_ = 5;
    Drain();
    ASSERT_EQ(seen_.size(), 4u);
    EXPECT_EQ(seen_[2].rfind("257:65:", 0), 0u) << "time events first";
    EXPECT_EQ(seen_[3], "513:0:" + std::to_string(plat::MakeLParam(7, 8))) << "at the cursor";
}

TEST_F(PlayTest, TickOffsetsCountFromTheFirstPassThatSawTheTick) {
    Open("tick 2+10 keydown a\ntick 2+30 keydown b\ntick 3+5 keydown c\n");
    ASSERT_TRUE(plat::StartRecording(Dir() + "rec.txt"));
    Clock().Set(100);
    tick_ = 2;
    Drain();
    Clock().Set(109);
    Drain();
    EXPECT_TRUE(seen_.empty());
    Clock().Set(110);
    Drain();
    ASSERT_EQ(seen_.size(), 1u);
    tick_ = 3;  // the next tick came first: b is late, c waits its offset
    Drain();
    ASSERT_EQ(seen_.size(), 2u);
    EXPECT_EQ(seen_[1], "256:66:1");
    Clock().Set(115);
    Drain();
    EXPECT_EQ(seen_.size(), 3u);

    plat::StopRecording();
    EXPECT_NE(ReadFile(Dir() + "rec.txt").find("tick 2+10 keydown a\ntick 3 keydown b\ntick 3+5 keydown c\n"),
              std::string::npos)
        << "the recorder writes the same form:\n" << ReadFile(Dir() + "rec.txt");
}

TEST_F(PlayTest, KeyDownOfAHeldKeyIsARepeat) {
    Open("at 0 keydown space\nat 1 keydown space\n");
    Drain();
    Clock().Set(1);
    Drain();
    ASSERT_EQ(seen_.size(), 2u);
    EXPECT_EQ(seen_[0], "256:32:1");
    EXPECT_EQ(seen_[1], "256:32:" + std::to_string(0x40000001u));
}

TEST_F(PlayTest, FrameEventsWriteTheShownFrameUnderTheProgramFolder) {
    plat::HeadlessPresenter presenter("");
    plat::SetDisplayPresenter(&presenter);
    Open("at 0 frame early.png\nat 10 frame shots/a.png\ntick 1 frame b.png\n");
    Drain();
    EXPECT_FALSE(plat::PathExists(Dir() + "early.png")) << "nothing shown yet";
    const uint16_t pixels[2] = {0xF800, 0x001F};  // red, blue in 565
    plat::Frame f;
    f.width = 2;
    f.height = 1;
    f.pitch = 4;
    f.pixels = reinterpret_cast<const uint8_t*>(pixels);
    ASSERT_TRUE(presenter.Present(f));
    Clock().Set(10);
    Drain();
    int32_t w = 0, h = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(plat::ReadPngRgb(Dir() + "shots/a.png", &w, &h, &rgb));
    EXPECT_EQ(w, 2);
    EXPECT_EQ(rgb, (std::vector<uint8_t>{255, 0, 0, 0, 0, 255}));
    EXPECT_FALSE(plat::PathExists(Dir() + "b.png"));
    tick_ = 1;
    Drain();
    EXPECT_TRUE(plat::PathExists(Dir() + "b.png"));
}

TEST_F(PlayTest, RecorderWritesTickLinesWithOneMovePerTick) {
    Open("step 4\nseed 99\n"
         "tick 0 activate 1\n"
         "tick 1 move 1 1\ntick 1 move 2 2\ntick 1 keydown a\ntick 1 move 3 3\n"  // the last point only
         "tick 2 move 5 5\ntick 2 ldown 6 6\n"  // the button carries its point
         "tick 3 text \\#\\\\x\ntick 3 keyup a\ntick 3 move 6 6\n"  // no move to where it is
         "tick 4 rdown\ntick 4 rup 9 9\ntick 4 move 10 10\n"
         "tick 6 close\n");
    plat::SRand(plat::RunSeed(5));
    const std::string file = Dir() + "rec.txt";
    ASSERT_TRUE(plat::StartRecording(file));
    for (tick_ = 0; tick_ <= 6; ++tick_) Drain();
    plat::StopRecording();
    EXPECT_EQ(ReadFile(file),
              "seed 99\nscreen 1024 768\n"
              "tick 0 activate 1\n"
              "tick 1 keydown a\ntick 1 move 3 3\n"
              "tick 2 ldown 6 6\n"
              "tick 3 text \\#\\\\x\ntick 3 keyup a\n"
              "tick 4 rdown 6 6\ntick 4 rup 9 9\ntick 4 move 10 10\n"
              "tick 6 close\n");
}

TEST_F(PlayTest, RecordingReplaysToTheSameInput) {
    // Without a tick source the recorder stamps the clock's time.
    plat::SetTickSource(nullptr);
    const std::string script =
        "at 3 move 10 20\nat 3 keydown shift\nat 4 text Hi \xE4\xB8\xAD\nat 6 ldown\nat 9 stroke 2 11,21 12,22 13,23\n"
        "at 20 lup\nat 20 keyup shift\nat 21 activate 0\nat 22 key f5\nat 30 close\n";
    // What the game can tell apart: the messages other than cursor moves,
    // and the input state after each pass.
    std::vector<std::vector<std::string>> runs;
    for (int round = 0; round < 2; ++round) {
        const std::string rec = Dir() + "rec" + std::to_string(round) + ".txt";
        Open(round == 0 ? script : ReadFile(Dir() + "rec0.txt"));
        Clock().Set(0);
        ASSERT_TRUE(plat::StartRecording(rec));
        seen_.clear();
        for (uint32_t t = 0; t <= 30; ++t) {
            Clock().Set(t);
            Drain();
            plat::Point p;
            plat::GetCursorPos(&p);
            uint8_t keys[256];
            plat::GetKeyboardState(keys);
            seen_.push_back(std::to_string(t) + ": " + std::to_string(p.x) + "," + std::to_string(p.y) + " " +
                            std::string(reinterpret_cast<const char*>(keys), 256));
        }
        std::erase_if(seen_, [](const std::string& s) { return s.rfind("512:", 0) == 0; });
        plat::StopRecording();
        plat::DestroyWindow(window_);
        window_ = nullptr;
        runs.push_back(seen_);
        plat::ResetInput();
    }
    EXPECT_EQ(runs[0], runs[1]);
    // A recording of the replay is the recording itself.
    EXPECT_EQ(ReadFile(Dir() + "rec1.txt"), ReadFile(Dir() + "rec0.txt"));
    EXPECT_NE(ReadFile(Dir() + "rec0.txt").find("at 13 move 13 23\n"), std::string::npos)
        << ReadFile(Dir() + "rec0.txt");
}

TEST_F(PlayTest, ASignalCloseIsRecorded) {
    Open("");
    const std::string file = Dir() + "rec.txt";
    ASSERT_TRUE(plat::StartRecording(file));
    tick_ = 8;
    ASSERT_EQ(std::raise(SIGTERM), 0);
    Drain();
    plat::InstallQuitSignals();
    plat::StopRecording();
    EXPECT_NE(ReadFile(file).find("tick 8 close\n"), std::string::npos) << ReadFile(file);
}

TEST(RunSeed, ScriptedRunsRepeatUnscriptedRunsTakeTheirOwn) {
    plat::UseHeadlessBackend("at 1 close\n");
    EXPECT_EQ(plat::RunSeed(123), plat::kScriptSeed);
    plat::UseHeadlessBackend("seed 4000000000\n");
    EXPECT_EQ(plat::RunSeed(123), 4000000000u);
    plat::UseHeadlessBackend();
    EXPECT_EQ(plat::RunSeed(123), 123u);
}

TEST(SystemCursor, ShowCursorKeepsADisplayCount) {
    EXPECT_TRUE(plat::SystemCursorShown());
    EXPECT_EQ(plat::ShowCursor(false), -1);
    EXPECT_FALSE(plat::SystemCursorShown());
    EXPECT_EQ(plat::ShowCursor(false), -2);
    EXPECT_EQ(plat::ShowCursor(true), -1);
    EXPECT_FALSE(plat::SystemCursorShown());
    EXPECT_EQ(plat::ShowCursor(true), 0);
    EXPECT_TRUE(plat::SystemCursorShown());
}

} // namespace
