// The scene viewer on the fixture game: a hero and three monsters draw
// themselves where the empty scene shows grass.
#include <gtest/gtest.h>

#include <string>

#include "datagen/fixture_game.h"
#include "support/image_check.h"
#include "support/process.h"
#include "support/test_env.h"

namespace test_worldview_roles {

class WorldviewRolesTest : public vtest::TempDirTest {
protected:
    // Writes the game into `folder` and draws it; the frame's path.
    std::string Draw(const std::string& folder, const datagen::FixtureGame& g, bool hero) {
        std::string error;
        EXPECT_TRUE(datagen::WriteFixtureGame(Dir() + folder, g, &error)) << error;
        const std::string png = Dir() + folder + ".png", errPath = Dir() + folder + ".txt";
        vtest::ChildProcess child;
        std::vector<std::string> args{WORLDVIEW_EXE, Dir() + folder, png, "--ticks", "3"};
        if (hero) args.push_back("--hero");
        EXPECT_TRUE(child.Start(args, vtest::ChildEnvironment({"SDL_AUDIODRIVER=dummy"}), "/dev/null", errPath));
        EXPECT_EQ(child.Wait(), 0) << ReadFile(errPath);
        EXPECT_EQ(ReadFile(errPath).find("worldview:"), std::string::npos) << ReadFile(errPath);
        return png;
    }
};

TEST_F(WorldviewRolesTest, AHeroAndThreeMonstersAreDrawnAroundTheCentre) {
    datagen::FixtureGame roles = datagen::DefaultFixtureGame();
    roles.objects.cha = {datagen::ObjRecord(12, datagen::kFixtureMeleeModel, 10, 8, 1, "M1"),
                         datagen::ObjRecord(12, datagen::kFixtureArcherModel, 8, 10, 1, "M2"),
                         datagen::ObjRecord(12, datagen::kFixtureGrabberModel, 6, 8, 1, "M3")};
    vtest::RgbImage withRoles, empty;
    ASSERT_TRUE(withRoles.Load(Draw("roles", roles, true)));
    ASSERT_TRUE(empty.Load(Draw("empty", datagen::DefaultFixtureGame(), false)));
    ASSERT_EQ(withRoles.width, 800);
    // Four roles of the demo sprite: each some hundreds of pixels.
    const int differing = vtest::CountDifferingPixels(withRoles, empty, 8);
    EXPECT_GT(differing, 4 * 100);
    // The hero stands on the centre cell: its sprite rises above the
    // frame's middle.
    int above = 0;
    for (int y = 250; y < 300; ++y)
        for (int x = 380; x < 420; ++x) {
            const vtest::Rgb a = withRoles.At(x, y), b = empty.At(x, y);
            above += a.r != b.r || a.g != b.g || a.b != b.b;
        }
    EXPECT_GT(above, 50);
}

} // namespace test_worldview_roles
