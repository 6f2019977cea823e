// A new player's first minutes, headless on the real executable: every
// panel a button or key opens can be left again, and a start without data,
// without a font or with a broken settings file says what is wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "datagen/demo_title.h"
#include "datagen/demo_ui.h"
#include "support/image_check.h"
#include "support/play.h"
#include "support/run_program.h"
#include "support/test_env.h"

namespace play_entry {

namespace fs = std::filesystem;

class PlayEntry : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        std::string error;
        ASSERT_TRUE(vtest::WriteDemoFolder(Dir(), &error)) << error;
    }
    vtest::GameRun Run(const std::string& timeline, const vtest::GameRunOptions& o = {}) {
        return vtest::RunGame(VANTREL_EXE, Dir(), timeline, o);
    }
    vtest::RgbImage Frame(const std::string& name) {
        vtest::RgbImage image;
        EXPECT_TRUE(image.Load(Dir() + name)) << name;
        return image;
    }
    static void ExpectEndsCleanly(const vtest::GameRun& run) {
        EXPECT_EQ(run.exitCode, 0) << run.err;
        ASSERT_GE(run.log.size(), 11u);
        EXPECT_EQ(run.log.substr(run.log.size() - 11), "tamiro end\n") << run.log;
    }
};

struct Pt {
    int x, y;
};
Pt TitleButton(int id) {
    for (const datagen::DemoTitleButton& b : datagen::kDemoTitleButtons)
        if (b.id == id) return {datagen::kDemoTitleButtonX + datagen::kDemoTitleButtonW / 2, b.y + datagen::kDemoTitleButtonH / 2};
    return {0, 0};
}
Pt Portrait(int k) { return {datagen::DemoPortraitX(k) + 48, datagen::kDemoPortraitY + 64}; }
std::string At(int ms, const std::string& event) { return "at " + std::to_string(ms) + " " + event + "\n"; }
std::string Move(int ms, Pt p) { return At(ms, "move " + std::to_string(p.x) + " " + std::to_string(p.y)); }
std::string Click(int ms, Pt p) { return Move(ms, p) + At(ms + 50, "ldown") + At(ms + 120, "lup"); }
std::string RightClick(int ms, Pt p) { return Move(ms, p) + At(ms + 50, "rdown") + At(ms + 120, "rup"); }
std::string Escape(int ms) { return At(ms, "keydown esc") + At(ms + 100, "keyup esc"); }
vtest::Rgb Of(const uint8_t (&c)[3]) { return {c[0], c[1], c[2]}; }

// Message boxes print "[caption] text" on stderr (the media decoder's
// notes look like "[mp3float @ 0x...] ...").
std::vector<std::string> BoxLines(const std::string& err) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < err.size()) {
        size_t end = err.find('\n', at);
        if (end == std::string::npos) end = err.size();
        const std::string line = err.substr(at, end - at);
        if (!line.empty() && line[0] == '[' && line.find(" @ ") > line.find(']')) out.push_back(line);
        at = end + 1;
    }
    return out;
}

// The demo's load panel (row 148): 400 x 320, centred, dark blue.
const vtest::Rgb kLoadPanel{40, 40, 80};

// Load on the title opens an empty panel; Escape or a right click closes
// it and the title menu takes the clicks again (here: Quit).
TEST_F(PlayEntry, TheEmptyLoadPanelClosesByEscapeOrRightClick) {
    const struct {
        const char* name;
        std::string close;
    } cases[] = {{"escape", Escape(3000)}, {"right click", RightClick(3000, Pt{600, 20})}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string t = "step 2\nlimit 600000\n";
        t += Click(2000, TitleButton(34)) + Move(2400, Pt{620, 460}) + At(2600, "frame load.png");
        // Keys and clicks a stuck player tries first do not close it.
        t += At(2700, "keydown enter") + At(2800, "keyup enter") + Click(2850, Pt{320, 240});
        t += c.close + Move(3400, Pt{620, 460}) + At(3600, "frame back.png");
        t += Click(4000, TitleButton(33));
        const vtest::GameRun run = Run(t);
        ExpectEndsCleanly(run);
        EXPECT_TRUE(vtest::LinesInOrder(run.err, {"JM show 148\n", "JM focus 148\n", "JM hide 25\n", "JM hide 148\n",
                                                  "JM focus -\n", "JM show 25\n"}))
            << run.err;
        // Quit on the title ended the run, so the menu had the clicks back.
        EXPECT_NE(run.log.find("End JM_BeginOut()\n"), std::string::npos);
        EXPECT_TRUE(vtest::PixelNear(Frame("load.png"), 320, 240, kLoadPanel, 8));
        EXPECT_TRUE(vtest::PixelNear(Frame("back.png"), 60, 240, Of(datagen::kDemoTitleRgb), 8));
    }
}

// In a running game Escape shows the system menu (a placeholder); Escape or
// a right click closes it, and a third Escape opens it again.
TEST_F(PlayEntry, TheSystemMenuInGameClosesByEscapeOrRightClick) {
    const Pt start = {datagen::kDemoStartButton[0] + 40, datagen::kDemoStartButton[1] + 12};
    const struct {
        const char* name;
        std::string close;
    } cases[] = {{"escape", Escape(6000)}, {"right click", RightClick(6000, Pt{20, 20})}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The game saves when its hero is placed: the next new game of that
        // name would be refused as existing.
        std::error_code ec;
        std::filesystem::remove_all(Dir() + "Save", ec);
        std::string t = "step 5\nlimit 600000\n";
        t += Click(2000, TitleButton(31)) + Click(2600, Portrait(0)) + Click(3200, start);
        t += Escape(5000) + c.close + Escape(7000) + Escape(8000) + At(9000, "close");
        const vtest::GameRun run = Run(t);
        ExpectEndsCleanly(run);
        EXPECT_TRUE(vtest::LinesInOrder(run.err, {"JM new game difficulty", "JM show 45\n", "JM focus 45\n",
                                                  "JM hide 45\n", "JM focus -\n", "JM show 45\n", "JM hide 45\n"}))
            << run.err;
    }
}

// A folder without the game's data: one message naming the folder,
// VANTREL_HOME and the demo script, and exit code 2.
TEST_F(PlayEntry, AFolderWithoutDataIsToldOnceAndExitsWithTwo) {
    // The program copied into an empty folder, run without VANTREL_HOME, as
    // from a build folder; and the demo run with VANTREL_HOME on an empty one.
    const std::string bin = Dir() + "bin/", empty = Dir() + "empty/";
    fs::create_directories(bin);
    fs::create_directories(empty);
    fs::copy_file(VANTREL_EXE, bin + "vantrel");
    WriteFile(Dir() + "script.txt", "step 2\nlimit 60000\nat 5000 close\n");
    const struct {
        const char* name;
        std::string exe;
        std::vector<std::string> env;
        std::string folder, says;
    } cases[] = {
        {"no VANTREL_HOME", bin + "vantrel", {}, bin, "VANTREL_HOME is not set"},
        {"empty VANTREL_HOME", VANTREL_EXE, {"VANTREL_HOME=" + empty}, empty, "the folder VANTREL_HOME names"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> env = c.env;
        for (const char* e : {"VANTREL_HEADLESS=1", "VANTREL_AUDIO=null", "SDL_AUDIODRIVER=dummy"}) env.push_back(e);
        env.push_back("VANTREL_SCRIPT=" + Dir() + "script.txt");
        const int rc = vtest::RunProgram(c.exe, env, Dir() + "err.txt");
        const std::string err = ReadFile(Dir() + "err.txt");
        EXPECT_EQ(rc, 2) << err;
        const std::vector<std::string> boxes = BoxLines(err);
        ASSERT_EQ(boxes.size(), 1u) << err;
        EXPECT_EQ(boxes[0].rfind("[vantrel] No game data in " + c.folder + " (", 0), 0u) << boxes[0];
        for (const std::string& part : {c.says, std::string("mb\\Text.txt"), std::string("VANTREL_HOME"),
                                        std::string("bash scripts/run.sh")})
            EXPECT_NE(err.find(part), std::string::npos) << part << "\n" << err;
    }
}

// A VANTREL_FONT that is no font and no other: one line and one box name the
// file and the variable; the title still comes and the run ends as usual.
TEST_F(PlayEntry, NoUsableFontIsSaidOnceAndTheGameGoesOn) {
    WriteFile(Dir() + "notafont.ttf", "this is not a font file\n");
    const vtest::GameRun run =
        Run("step 2\nlimit 600000\nat 3000 close\n", {{"VANTREL_FONT=" + Dir() + "notafont.ttf"}});
    ExpectEndsCleanly(run);
    const std::vector<std::string> boxes = BoxLines(run.err);
    ASSERT_EQ(boxes.size(), 1u) << run.err;
    EXPECT_EQ(boxes[0].rfind("[vantrel] No usable font", 0), 0u) << boxes[0];
    EXPECT_NE(boxes[0].find("VANTREL_FONT=\"" + Dir() + "notafont.ttf\""), std::string::npos) << boxes[0];
    EXPECT_NE(run.err.find("JM show 25\n"), std::string::npos);
}

// The version is written in the title's top strip, 20 pixels from the right
// edge: no line of the title's frame runs through it, and none of it is cut.
TEST_F(PlayEntry, TheVersionOnTheTitleIsClearOfTheFrame) {
    const vtest::GameRun run = Run("step 2\nlimit 600000\nat 2000 move 320 460\nat 2300 frame title.png\n"
                                   "at 2500 close\n");
    ExpectEndsCleanly(run);
    const vtest::RgbImage title = Frame("title.png");
    int ink = 0, frame = 0, inkLeft = 640, inkRight = -1;
    for (int y = 0; y < 20; ++y)
        for (int x = 580; x < 640; ++x) {
            const vtest::Rgb c = title.At(x, y);
            if (c.r > 200 && c.g > 200 && c.b > 200) {
                ++ink;
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
            if (PixelNear(title, x, y, Of(datagen::kDemoTitleFrameRgb), 8)) ++frame;
        }
    EXPECT_GT(ink, 20) << "\"v 2.00\" is drawn";
    EXPECT_EQ(frame, 0) << "the frame runs through the version";
    // Centred on 620: as far left of it as right, so nothing is cut off.
    EXPECT_NEAR(620 - inkLeft, inkRight - 620, 3) << inkLeft << ".." << inkRight;
}

// The eight values of a "set.ini" ("?=v" lines).
std::vector<int> SettingsValues(const std::string& text) {
    std::vector<int> v;
    for (size_t at = text.find("?="); at != std::string::npos; at = text.find("?=", at + 1))
        v.push_back(std::stoi(text.substr(at + 2)));
    return v;
}

// A "set.ini" that holds no settings is logged and the defaults stand at
// full brightness, which is what is saved; one that is a folder cannot be
// replaced, and that is logged and said in a box when the window closes.
TEST_F(PlayEntry, AnUnreadableSettingsFileIsLoggedAndDoesNotDimTheScreen) {
    const struct {
        const char* name;
        const char* content;  // null: a folder
    } cases[] = {{"garbage", "\x01\x02garbage\xFF\xFE no settings here\n"}, {"empty", ""}, {"a folder", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Dir() + "set.ini");
        if (c.content) WriteFile(Dir() + "set.ini", c.content);
        else fs::create_directories(Dir() + "set.ini/inside");
        const vtest::GameRun run = Run("step 2\nlimit 600000\nat 2000 move 620 460\nat 2500 frame title.png\n"
                                       "at 3000 close\n");
        ExpectEndsCleanly(run);
        EXPECT_NE(run.log.find("set.ini " + std::string(c.content ? "holds no settings" : "is not a file") +
                               "; the default settings stand.\n"),
                  std::string::npos)
            << run.log;
        // The title at the display's own brightness, not half of it.
        EXPECT_TRUE(vtest::PixelNear(Frame("title.png"), 60, 240, Of(datagen::kDemoTitleRgb), 8));
        if (c.content) {
            const std::vector<int> v = SettingsValues(ReadFile(Dir() + "set.ini"));
            ASSERT_EQ(v.size(), 8u);
            EXPECT_EQ(v[4], 50) << "the brightness saved at its middle";
            EXPECT_TRUE(BoxLines(run.err).empty()) << run.err;
        } else {
            const std::string said = "The settings were not saved: " + Dir() + "set.ini cannot be written";
            EXPECT_NE(run.log.find(said), std::string::npos) << run.log;
            const std::vector<std::string> boxes = BoxLines(run.err);
            ASSERT_EQ(boxes.size(), 1u) << run.err;
            EXPECT_EQ(boxes[0].rfind("[vantrel] " + said, 0), 0u) << boxes[0];
        }
    }
}

int Near(const vtest::Rgb& a, const vtest::Rgb& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// The new-game form: only the focused edit box has a caret; the pop-up a
// refused start opens has its frame along the whole of each edge.
TEST_F(PlayEntry, TheFormShowsOneCaretAndAPopUpFramedAllRound) {
    const Pt start = {datagen::kDemoStartButton[0] + 40, datagen::kDemoStartButton[1] + 12};
    std::string t = "step 2\nlimit 600000\n";
    t += Click(2000, TitleButton(31)) + Click(2600, Portrait(0)) + Move(3000, Pt{620, 460});
    t += At(3200, "frame form.png");
    // A name with a path character: the start is refused in a pop-up at
    // the cursor, wide enough for its long text.
    t += At(3300, "text \\x08\\x08\\x08\\x08\\x08\\x08a/b") + Click(3500, start) + Move(3700, Pt{620, 460});
    t += At(3900, "frame popup.png") + At(4200, "close");
    const vtest::GameRun run = Run(t);
    ExpectEndsCleanly(run);
    EXPECT_NE(run.err.find("JM new game refused"), std::string::npos) << run.err;

    // The caret is a white bar 2 pixels wide from one pixel below the box's
    // top, where no text reaches (text starts 3 pixels down), after the text.
    const vtest::RgbImage form = Frame("form.png");
    const auto whiteColumns = [&](const int (&box)[4]) {
        int n = 0;
        for (int x = box[0] + 2; x < box[0] + box[2]; ++x)
            if (Near(form.At(x, box[1] + 1), vtest::Rgb{255, 255, 255}, 8) &&
                Near(form.At(x, box[1] + 2), vtest::Rgb{255, 255, 255}, 8) &&
                Near(form.At(x, box[1] + 8), vtest::Rgb{255, 255, 255}, 8))
                ++n;
        return n;
    };
    EXPECT_GE(whiteColumns(datagen::kDemoNameBox), 2) << "the name box has the caret";
    EXPECT_EQ(whiteColumns(datagen::kDemoMonthBox), 0) << "no caret in the month box";
    EXPECT_EQ(whiteColumns(datagen::kDemoDayBox), 0) << "no caret in the day box";

    // The frame's colour, found around the start button; its top row runs
    // from its left to its right edge.
    const vtest::RgbImage popup = Frame("popup.png");
    const vtest::Rgb gold{220, 180, 60};
    int left = 640, right = -1, top = 480;
    for (int y = start.y - 80; y < start.y + 40; ++y)
        for (int x = start.x - 120; x < start.x + 120; ++x)
            if (popup.Contains(x, y) && Near(popup.At(x, y), gold, 8)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
            }
    ASSERT_GT(right - left, 70) << "a pop-up wider than one frame piece of old";
    int gap = 0;
    for (int x = left + 2; x <= right - 2; ++x)
        if (!Near(popup.At(x, top), gold, 8)) ++gap;
    EXPECT_EQ(gap, 0) << "top edge from " << left << " to " << right;
}

} // namespace play_entry
