// The scene viewer with magic objects: an arrow in flight toward the hero
// over its ground shadow, and a blast stuck on the hero.
#include <gtest/gtest.h>

#include <string>

#include "datagen/demo_creatures.h"
#include "datagen/fixture_game.h"
#include "support/image_check.h"
#include "support/process.h"
#include "support/test_env.h"

namespace test_worldview_magic {

constexpr int kArrow = 5, kBlast = 6;

class WorldviewMagicTest : public vtest::TempDirTest {
protected:
    std::string Draw(const std::string& folder, const std::vector<std::string>& extra) {
        datagen::FixtureGame g = datagen::DefaultFixtureGame();
        g.skillChildren.push_back(datagen::SkillChildRow().ClassWord(5).Name("Arrow").Kind(201).Id(kArrow)
                                      .Anim(static_cast<int>(datagen::kDemoArrowAnim))
                                      .ShadowAnim(static_cast<int>(datagen::kDemoArrowShadowAnim)).Params(1, 0, 0)
                                      .Bytes({0, 40, 0, 12, 0, 0}));
        g.skillChildren.push_back(datagen::SkillChildRow().ClassWord(5).Name("Blast").Kind(300).Id(kBlast)
                                      .Anim(static_cast<int>(datagen::kDemoBlastAnim)).Bytes({1, 2, 0, 2, 0, 1}));
        std::string error;
        EXPECT_TRUE(datagen::WriteFixtureGame(Dir() + folder, g, &error)) << error;
        const std::string png = Dir() + folder + ".png", errPath = Dir() + folder + ".txt";
        vtest::ChildProcess child;
        std::vector<std::string> args{WORLDVIEW_EXE, Dir() + folder, png, "--ticks", "3", "--hero"};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_TRUE(child.Start(args, vtest::ChildEnvironment({"SDL_AUDIODRIVER=dummy"}), "/dev/null", errPath));
        EXPECT_EQ(child.Wait(), 0) << ReadFile(errPath);
        EXPECT_EQ(ReadFile(errPath).find("worldview:"), std::string::npos) << ReadFile(errPath);
        return png;
    }
    // Pixels of the rectangle that differ between the two frames.
    static int Differing(const vtest::RgbImage& a, const vtest::RgbImage& b, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const vtest::Rgb p = a.At(x, y), q = b.At(x, y);
                n += p.r != q.r || p.g != q.g || p.b != q.b;
            }
        return n;
    }
};

TEST_F(WorldviewMagicTest, AnArrowOverItsShadowAndABlastOnTheHero) {
    vtest::RgbImage magic, plain;
    // The arrow starts four cells up-left of the centre (8, 8), the blast
    // on the centre cell follows the hero standing there.
    ASSERT_TRUE(magic.Load(Draw("magic", {"--magic", "5,4,8", "--magic", "6,8,8"})));
    ASSERT_TRUE(plain.Load(Draw("plain", {})));
    ASSERT_EQ(magic.width, 800);
    // The blast's rings round the hero's feet.
    EXPECT_GT(Differing(magic, plain, 370, 280, 430, 320), 20);
    // The arrow and its shadow, 40 rows apart, left of the centre and above it.
    int arrowRow = -1, shadowRow = -1;
    for (int y = 150; y < 300 && (arrowRow < 0 || shadowRow < 0); ++y)
        for (int x = 200; x < 380; ++x) {
            const vtest::Rgb p = magic.At(x, y), q = plain.At(x, y);
            if (p.r == q.r && p.g == q.g && p.b == q.b) continue;
            if (p.b > 200 && p.r > 200 && arrowRow < 0) arrowRow = y;
            if (p.r < q.r && p.g < q.g && arrowRow >= 0 && y > arrowRow + 20 && shadowRow < 0) shadowRow = y;
        }
    EXPECT_GE(arrowRow, 0) << "the arrow's tip";
    EXPECT_GE(shadowRow, 0) << "its darker shadow below";
    if (arrowRow >= 0 && shadowRow >= 0) {
        EXPECT_NEAR(shadowRow - arrowRow, 40, 12);
    }
}

} // namespace test_worldview_magic
