// The cursor and the idle screen, headless: the cursor shows from the first
// frame where the pointer is, before any move; a still title hands the
// presenter only the frames whose cursor changed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/image_check.h"
#include "support/play.h"
#include "support/test_env.h"

namespace play_cursor {

class PlayCursor : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        std::string error;
        ASSERT_TRUE(vtest::WriteDemoFolder(Dir(), &error)) << error;
    }
    vtest::GameRun Run(const std::string& timeline) { return vtest::RunGame(VANTREL_EXE, Dir(), timeline); }
    // The frames the headless presenter received, from its closing line.
    static int Presented(const vtest::GameRun& run) {
        const auto lines = run.ErrLines("headless presenter: ");
        if (lines.size() != 1) return -1;
        return std::atoi(lines[0].c_str() + std::string("headless presenter: ").size());
    }
};

// The demo cursor with its hot-spot at (x, y): a right triangle down and
// right of it, outlined in black on its left edge, filled light (white,
// pale blue or yellow by shape and step).
bool CursorAt(const vtest::RgbImage& im, int x, int y) {
    const vtest::Rgb edge = im.At(x, y + 12), fill = im.At(x + 3, y + 10);
    return edge.r < 40 && edge.g < 40 && edge.b < 40 && fill.r > 180 && fill.g > 150;
}

TEST_F(PlayCursor, TheCursorShowsFromTheFirstFrameAtThePointerBeforeAnyMove) {
    // No move: the pointer rests where the system put it, the screen's
    // centre (the frame's centre, also after the new game's mode change).
    const vtest::GameRun run = Run("step 2\nlimit 600000\nat 300 frame first.png\nat 2000 frame title.png\n"
                                   "at 2100 close\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (const char* name : {"first.png", "title.png"}) {
        SCOPED_TRACE(name);
        vtest::RgbImage im;
        ASSERT_TRUE(im.Load(Dir() + name));
        ASSERT_EQ(im.width, 640);
        EXPECT_TRUE(CursorAt(im, 320, 240));
        EXPECT_FALSE(CursorAt(im, 0, 0));
    }
    // A move places it, as before.
    const vtest::GameRun moved = Run("step 2\nlimit 600000\nat 1000 move 100 400\nat 1500 frame moved.png\n"
                                     "at 1600 close\n");
    EXPECT_EQ(moved.exitCode, 0) << moved.err;
    vtest::RgbImage im;
    ASSERT_TRUE(im.Load(Dir() + "moved.png"));
    EXPECT_TRUE(CursorAt(im, 100, 400));
    EXPECT_FALSE(CursorAt(im, 320, 240));
}

TEST_F(PlayCursor, AStillTitlePresentsOnlyTheCursorsStepsAndAMovingPointerPresentsEachPosition) {
    // The loop draws a frame on every pass (every 2 ms of the script's
    // clock); the demo cursor changes its picture every fourth draw.
    const std::string start = "step 2\nlimit 600000\n";
    const vtest::GameRun shortRun = Run(start + "at 4000 close\n");
    const vtest::GameRun longRun = Run(start + "at 14000 close\n");
    const int idle = Presented(longRun) - Presented(shortRun);
    ASSERT_GT(Presented(shortRun), 0) << shortRun.err;
    // 10 s: 5,000 draws, 1,250 cursor steps.
    EXPECT_GE(idle, 1200);
    EXPECT_LE(idle, 1300) << "unchanged frames reach the presenter";

    // The same 10 s with the pointer moving one pixel every 2 ms: each
    // position is a new picture.
    std::string stroke = "at 4000 stroke 2";
    for (int i = 0; i < 5000; ++i) stroke += " " + std::to_string(20 + i % 600) + "," + std::to_string(300 + i / 600);
    const vtest::GameRun movingRun = Run(start + stroke + "\nat 14000 close\n");
    EXPECT_GE(Presented(movingRun) - Presented(shortRun), 4500);
}

} // namespace play_cursor
