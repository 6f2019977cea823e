// The play harness on the real executable, headless: frame captures,
// the input trace, recording and replaying a run, and random input.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/image_check.h"
#include "support/play.h"
#include "support/random_input.h"
#include "support/test_env.h"

namespace {

class PlayRun : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        std::string error;
        ASSERT_TRUE(vtest::WriteDemoFolder(Dir(), &error)) << error;
    }
    vtest::GameRun Run(const std::string& timeline, const vtest::GameRunOptions& o = {}) {
        return vtest::RunGame(VANTREL_EXE, Dir(), timeline, o);
    }
    static void ExpectEndsCleanly(const vtest::GameRun& run) {
        EXPECT_EQ(run.exitCode, 0) << run.err;
        ASSERT_GE(run.log.size(), 11u);
        EXPECT_EQ(run.log.substr(run.log.size() - 11), "tamiro end\n") << run.log;
    }
};

// The demo cursor's shape 1: a 16 x 16 right triangle of orange-yellow
// below and right of its hot-spot.
const vtest::Rgb kCursorFill{255, 200, 0};

TEST_F(PlayRun, FramesAtTheirTimesShowTheCursorWhereItWas) {
    const vtest::GameRun run = Run("step 2\nlimit 600000\n"
                                   "at 2000 move 200 150\nat 2100 frame shots/first.png\n"
                                   "at 2200 stroke 20 250,150 300,150 421,307\n"
                                   "at 2400 frame second.png\nat 2500 close\n");
    ExpectEndsCleanly(run);
    ASSERT_EQ(run.pngs, (std::vector<std::string>{"second.png", "shots/first.png"}));
    const std::string first = Dir() + "shots/first.png", second = Dir() + "second.png";
    for (auto [dx, dy] : {std::pair{1, 5}, {3, 10}, {7, 12}}) {
        vtest::ExpectPixelNear(first, 200 + dx, 150 + dy, kCursorFill, 24);
        vtest::ExpectPixelNear(second, 421 + dx, 307 + dy, kCursorFill, 24);
    }
    vtest::RgbImage image;
    ASSERT_TRUE(image.Load(second));
    EXPECT_TRUE(vtest::MatchesGolden(image, 411, 297, 32, 32, "title_cursor", {8, 0}));
}

TEST_F(PlayRun, TheInputPassTracesButtonEdgesWithTheirPoints) {
    const vtest::GameRun run = Run("step 2\nlimit 600000\n"
                                   "at 2000 move 320 240\nat 2000 ldown\nat 2100 lup\n"
                                   "at 2200 rdown 10 470\nat 2300 rup 12 471\n"
                                   "at 2500 close\n");
    ExpectEndsCleanly(run);
    EXPECT_EQ(run.ErrLines("input: "), (std::vector<std::string>{"input: ldown 320 240", "input: lup 320 240",
                                                                 "input: rdown 10 470", "input: rup 12 471"}));
}

TEST_F(PlayRun, ARecordedRunReplaysToTheSameLogAndLastFrame) {
    const std::string script = "step 3\nlimit 600000\n"
                               "at 1900 move 100 100\nat 2000 keydown esc\nat 2050 keyup esc\n"
                               "at 2100 text ab\\#\xE4\xB8\xAD\nat 2200 stroke 40 110,100 140,120 180,200\n"
                               "at 2300 ldown\nat 2400 lup\nat 2450 rdown 600 20\nat 2480 rup\n"
                               "at 2500 activate 0\nat 2600 activate 1\nat 2700 key f1\nat 2800 move 333 222\n"
                               "at 3000 close\n";
    const vtest::GameRun first = Run(script, {{"VANTREL_RECORD=" + Dir() + "rec.txt",
                                               "VANTREL_FRAME_PNG=" + Dir() + "first.png"}});
    ExpectEndsCleanly(first);
    const std::string rec = ReadFile(Dir() + "rec.txt");
    ASSERT_TRUE(vtest::LinesInOrder(rec, {"seed 20061\n", "step 3\n", "screen 1024 768\n", " keydown esc\n",
                                          " keyup esc\n", " text ab\\#\xE4\xB8\xAD\n", " ldown 180 200\n",
                                          " rdown 600 20\n", " activate 0\n", " keydown f1\n", " move 333 222\n",
                                          " close\n"}));
    EXPECT_EQ(rec.find("\nat "), std::string::npos) << "tick lines only:\n" << rec;

    const vtest::GameRun replay = Run(rec, {{"VANTREL_FRAME_PNG=" + Dir() + "replay.png"}});
    ExpectEndsCleanly(replay);
    EXPECT_EQ(replay.log, first.log);
    EXPECT_EQ(replay.ErrLines("input: "), first.ErrLines("input: "));
    const std::string a = ReadFile(Dir() + "first.png"), b = ReadFile(Dir() + "replay.png");
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(a == b) << "the last frames differ";
}

TEST_F(PlayRun, RandomInputAtTheTitleForAMinuteEndsCleanly) {
    vtest::RandomInputOptions o;
    o.seed = 21;
    o.startMs = 1500;
    o.durationMs = 60000;
    const std::string input = vtest::RandomInputTimeline(o);
    const vtest::GameRun run = Run("step 5\nlimit 600000\n" + input + "at 61600 close\n");
    ExpectEndsCleanly(run);
    EXPECT_TRUE(vtest::LinesInOrder(run.log, {"  StartAppEnd()\n", "End JM_BeginOut()\n", "  Other.ClearUp\n"}));
    EXPECT_FALSE(run.ErrLines("input: ldown").empty()) << "clicks reached the game";
}

TEST_F(PlayRun, AMissingTextTableIsReportedInARecordedBoxAndTheRunGoesOn) {
    std::filesystem::remove(Dir() + "mb/Text.txt");
    const vtest::GameRun run = Run("step 5\nlimit 600000\nat 3000 close\n");
    ExpectEndsCleanly(run);
    EXPECT_NE(run.err.find("\\MB\\Text.txt\n"), std::string::npos) << run.err;
    EXPECT_TRUE(vtest::LinesInOrder(run.log, {"  StartAppEnd()\n", "End JM_BeginOut()\n", "  Other.ClearUp\n"}));
}

} // namespace
