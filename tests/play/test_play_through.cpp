// The play-through: the real executable on the demo data, headless, driven
// as a new player goes: the title, a class, a Chinese name typed into the
// form, the start of the game. Later parts of the game extend this run.
#include <gtest/gtest.h>

#include <string>

#include "datagen/demo_title.h"
#include "datagen/demo_ui.h"
#include "support/image_check.h"
#include "support/play.h"
#include "support/random_input.h"
#include "support/test_env.h"

namespace play_through {

class PlayThrough : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        std::string error;
        ASSERT_TRUE(vtest::WriteDemoFolder(Dir(), &error)) << error;
    }
    vtest::GameRun Run(const std::string& timeline) { return vtest::RunGame(VANTREL_EXE, Dir(), timeline); }
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

const vtest::Rgb kCursorFill{255, 200, 0};
vtest::Rgb Of(const uint8_t (&c)[3]) { return {c[0], c[1], c[2]}; }

// Screen points (640 x 480) of the demo's controls.
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

TEST_F(PlayThrough, TitleClassChineseNameAndStart) {
    const Pt start = {datagen::kDemoStartButton[0] + 40, datagen::kDemoStartButton[1] + 12};
    std::string t = "step 2\nlimit 600000\n";
    // The cursor crosses the title; every frame is drawn whole.
    t += At(1500, "stroke 40 60,420 100,430 150,440 200,450") + At(1800, "frame path.png");
    t += Move(2000, TitleButton(31)) + At(2100, "frame title.png");
    t += Click(2200, TitleButton(31));
    t += Move(2500, Portrait(1)) + At(2800, "frame class.png");
    t += Click(2900, Portrait(1)) + At(3200, "frame form.png");
    // The default name goes, 中文名 comes ("\x08" is a backspace).
    t += At(3300, "text \\x08\\x08\\x08\\x08") + At(3400, "text \xE4\xB8\xAD\xE6\x96\x87\xE5\x90\x8D");
    t += At(3600, "frame name.png");
    t += Click(3700, start) + At(6000, "close");
    const vtest::GameRun run = Run(t);
    ExpectEndsCleanly(run);
    EXPECT_TRUE(vtest::LinesInOrder(run.err, {"JM show 25\n", "JM show 26\n", "JM hide 25\n", "JM show 156\n",
                                              "JM hide 26\n", "JM new game difficulty 1\n",
                                              "host new character class 30\n"}))
        << run.err;
    EXPECT_TRUE(vtest::LinesInOrder(run.log, {"End JM_BeginOut()\n", "End JM_EndOut()\n", "BeforeStrategy() Begin\n",
                                              "BeforeStrategy() End\n"}))
        << run.log;

    // Where the cursor was, the title shows again.
    const vtest::RgbImage path = Frame("path.png");
    for (Pt p : {Pt{60, 420}, Pt{100, 430}, Pt{150, 440}})
        EXPECT_TRUE(vtest::PixelNear(path, p.x + 3, p.y + 10, Of(datagen::kDemoTitleRgb), 8)) << p.x;
    EXPECT_TRUE(vtest::PixelNear(path, 203, 460, kCursorFill, 24));

    // The title: the hovered button lit, the others not, Chinese captions.
    const vtest::RgbImage title = Frame("title.png");
    EXPECT_TRUE(vtest::PixelNear(title, 244, 184, Of(datagen::kDemoButtonLitRgb), 8));
    EXPECT_TRUE(vtest::PixelNear(title, 244, 224, vtest::Rgb{30, 45, 110}, 8));
    EXPECT_TRUE(vtest::MatchesGolden(title, 160, 40, 320, 240, "title_menu", {8, 0}));

    // The class choice: the hovered portrait has brightened, its neighbour
    // not.
    const vtest::RgbImage cls = Frame("class.png");
    const vtest::Rgb lit = cls.At(datagen::DemoPortraitX(1) + 20, datagen::kDemoPortraitY + 100);
    const vtest::Rgb dim = cls.At(datagen::DemoPortraitX(0) + 20, datagen::kDemoPortraitY + 100);
    EXPECT_GT(lit.b, dim.b + 40) << "the blue portrait lights up";

    // The form: the default name, then the typed one drawn as glyphs with
    // the caret after its last character.
    const int bx = datagen::kDemoNameBox[0], by = datagen::kDemoNameBox[1];
    const auto glyphPixels = [&](const vtest::RgbImage& im, int x0, int x1) {
        int n = 0;
        for (int y = by + 2; y < by + datagen::kDemoNameBox[3]; ++y)
            for (int x = x0; x < x1; ++x)
                if (im.At(x, y).r > 200 && im.At(x, y).g > 200 && im.At(x, y).b > 200) ++n;
        return n;
    };
    const vtest::RgbImage form = Frame("form.png");
    EXPECT_GT(glyphPixels(form, bx + 2, bx + 34), 30) << "the default name";
    const vtest::RgbImage name = Frame("name.png");
    for (int k = 0; k < 3; ++k) EXPECT_GT(glyphPixels(name, bx + 2 + 16 * k, bx + 2 + 16 * k + 15), 15) << "glyph " << k;
    // The caret: a 2-pixel white bar right after the third glyph, nothing
    // further right.
    EXPECT_TRUE(vtest::PixelNear(name, bx + 2 + 48, by + 8, vtest::Rgb{255, 255, 255}, 8));
    EXPECT_EQ(glyphPixels(name, bx + 2 + 51, bx + 150), 0);
}

TEST_F(PlayThrough, QuitOnTheTitleEndsTheProgram) {
    // No close event: only the quit button can end the run before the
    // late frame.
    const vtest::GameRun run = Run("step 2\nlimit 600000\n" + Click(2000, TitleButton(33)) + At(30000, "frame late.png"));
    ExpectEndsCleanly(run);
    EXPECT_TRUE(run.pngs.empty()) << "ended at once";
    EXPECT_TRUE(vtest::LinesInOrder(run.log, {"End JM_BeginOut()\n", "End JM_EndOut()\n", "  Other.ClearUp\n"}));
}

TEST_F(PlayThrough, RandomInputOnTheClassChoiceAndFormForAMinuteEndsCleanly) {
    vtest::RandomInputOptions o;
    o.seed = 24;
    o.startMs = 3500;
    o.durationMs = 60000;
    const std::string t = "step 5\nlimit 600000\n" + Click(2000, TitleButton(31)) + Click(2800, Portrait(2)) +
                          vtest::RandomInputTimeline(o) + At(63800, "frame late.png") + At(64000, "close");
    const vtest::GameRun run = Run(t);
    ExpectEndsCleanly(run);
    // Still running at the end: the input did not hit the quit button.
    EXPECT_EQ(run.pngs, std::vector<std::string>{"late.png"});
    EXPECT_NE(run.err.find("JM show 156\n"), std::string::npos);
    EXPECT_FALSE(run.ErrLines("input: ldown").empty());
}

} // namespace play_through
