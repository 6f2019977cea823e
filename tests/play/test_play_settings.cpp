// The settings window in the real executable, headless on the demo data:
// opened from the title menu, its sliders dragged (the volume and the
// screen's brightness change at once), closed with Escape; "set.ini"
// carries the new values after the game ends.
#include <gtest/gtest.h>

#include <string>

#include "datagen/demo_settings.h"
#include "datagen/demo_title.h"
#include "datagen/demo_ui.h"
#include "support/image_check.h"
#include "support/play.h"
#include "support/random_input.h"
#include "support/test_env.h"

namespace play_settings {

class PlaySettings : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        std::string error;
        ASSERT_TRUE(vtest::WriteDemoFolder(Dir(), &error)) << error;
    }
    vtest::RgbImage Frame(const std::string& name) {
        vtest::RgbImage image;
        EXPECT_TRUE(image.Load(Dir() + name)) << name;
        return image;
    }
};

std::string At(int ms, const std::string& event) { return "at " + std::to_string(ms) + " " + event + "\n"; }
std::string Xy(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

// A press on (x, y) dragged to the left by `dx`, then released.
std::string Drag(int ms, int x, int y, int dx) {
    std::string t = At(ms, "move " + Xy(x, y)) + At(ms + 100, "ldown");
    t += At(ms + 200, "stroke 40 " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(x - dx / 2) +
                          "," + std::to_string(y) + " " + std::to_string(x - dx) + "," + std::to_string(y));
    return t + At(ms + 500, "lup");
}

// The eight values of a "set.ini" ("?=v" lines).
std::vector<int> SettingsValues(const std::string& text) {
    std::vector<int> v;
    for (size_t at = text.find("?="); at != std::string::npos; at = text.find("?=", at + 1))
        v.push_back(std::stoi(text.substr(at + 2)));
    return v;
}

TEST_F(PlaySettings, TitleSettingsSlidersEscapeAndTheWrittenFile) {
    int sx = 0, sy = 0;
    for (const datagen::DemoTitleButton& b : datagen::kDemoTitleButtons)
        if (b.id == 32) {
            sx = datagen::kDemoTitleButtonX + datagen::kDemoTitleButtonW / 2;
            sy = b.y + datagen::kDemoTitleButtonH / 2;
        }
    const int thumbHalf = datagen::kDemoThumbWidth / 2, free = datagen::kDemoTrackWidth - datagen::kDemoThumbWidth;
    // Music at 100 and brightness at 50: the thumbs' centres.
    const int musicX = datagen::kDemoSliderX + free + thumbHalf, musicY = datagen::kDemoSliderY + 50 + 8;
    const int brightX = datagen::kDemoSliderX + free / 2 + thumbHalf, brightY = datagen::kDemoSliderY + 100 + 8;
    std::string t = "step 2\nlimit 600000\n";
    t += At(2000, "move " + Xy(sx, sy)) + At(2100, "ldown") + At(2200, "lup");
    t += At(2600, "move 20 460") + At(2800, "frame shown.png");
    t += Drag(3000, musicX, musicY, 160);
    t += Drag(4000, brightX, brightY, 90);
    t += At(4800, "move 20 460") + At(5000, "frame darker.png");
    // Held over a few ticks: the keyboard is read once per tick.
    t += At(5200, "keydown esc") + At(5300, "keyup esc") + At(5600, "frame back.png");
    // Quit on the title menu.
    for (const datagen::DemoTitleButton& b : datagen::kDemoTitleButtons)
        if (b.id == 33) {
            const std::string p = Xy(datagen::kDemoTitleButtonX + 20, b.y + datagen::kDemoTitleButtonH / 2);
            t += At(6000, "move " + p) + At(6100, "ldown") + At(6200, "lup");
        }
    const vtest::GameRun run = vtest::RunGame(VANTREL_EXE, Dir(), t);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(vtest::LinesInOrder(run.err, {"JM show 25\n", "JM show 170\n", "JM focus 170\n", "JM show 25\n",
                                              "JM hide 170\n", "JM focus -\n"}))
        << run.err;

    // The written file: mode, zoom and effect volume as the demo had them,
    // the music lowered, the brightness lowered, no progress.
    const std::vector<int> v = SettingsValues(ReadFile(Dir() + "set.ini"));
    ASSERT_EQ(v.size(), 8u) << ReadFile(Dir() + "set.ini");
    EXPECT_EQ(v[0], 4);
    EXPECT_EQ(v[2], 100);
    EXPECT_GT(v[3], 10);
    EXPECT_LT(v[3], 60);
    EXPECT_GT(v[4], 0);
    EXPECT_LT(v[4], 30);
    EXPECT_EQ(v[5] + v[6] + v[7], 0);

    // Shown over the whole screen at the demo's brightness (the plain
    // ramp), then darker by the brightness slider's factor.
    const vtest::Rgb body{datagen::kDemoSettingsRgb[0], datagen::kDemoSettingsRgb[1], datagen::kDemoSettingsRgb[2]};
    EXPECT_TRUE(vtest::PixelNear(Frame("shown.png"), 100, 440, body, 8));
    EXPECT_TRUE(vtest::PixelNear(Frame("shown.png"), musicX, musicY, vtest::Rgb{230, 230, 230}, 8));
    const float k = static_cast<float>(v[4]) / 100.0f + 0.5f;
    const vtest::Rgb dark{static_cast<int>(body.r * k), static_cast<int>(body.g * k), static_cast<int>(body.b * k)};
    EXPECT_TRUE(vtest::PixelNear(Frame("darker.png"), 100, 440, dark, 8));
    // Back on the title menu, still at that brightness.
    const vtest::Rgb title{datagen::kDemoTitleRgb[0], datagen::kDemoTitleRgb[1], datagen::kDemoTitleRgb[2]};
    EXPECT_TRUE(vtest::PixelNear(Frame("back.png"), 100, 240,
                                 vtest::Rgb{static_cast<int>(title.r * k), static_cast<int>(title.g * k),
                                            static_cast<int>(title.b * k)},
                                 8));
}

// A minute of random input that starts on the settings window (it may
// close it and go on on the title screen, or quit there): the game ends in
// order whatever came.
TEST_F(PlaySettings, RandomInputFromTheSettingsWindowForAMinuteEndsCleanly) {
    std::string t = "step 5\nlimit 600000\n";
    for (const datagen::DemoTitleButton& b : datagen::kDemoTitleButtons)
        if (b.id == 32) {
            const std::string p = Xy(datagen::kDemoTitleButtonX + 20, b.y + datagen::kDemoTitleButtonH / 2);
            t += At(2000, "move " + p) + At(2100, "ldown") + At(2200, "lup");
        }
    vtest::RandomInputOptions o;
    o.seed = 170;
    o.startMs = 2600;
    o.durationMs = 60000;
    t += vtest::RandomInputTimeline(o) + At(63000, "close");
    const vtest::GameRun run = vtest::RunGame(VANTREL_EXE, Dir(), t);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ASSERT_GE(run.log.size(), 11u);
    EXPECT_EQ(run.log.substr(run.log.size() - 11), "tamiro end\n") << run.log;
    EXPECT_NE(run.err.find("JM show 170\n"), std::string::npos);
    EXPECT_EQ(SettingsValues(ReadFile(Dir() + "set.ini")).size(), 8u);
}

} // namespace play_settings
