#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gfx/fast_kernels.h"
#include "gfxdemo/frame_scene.h"
#include "test_image_fixture.h"

namespace {

class FrameSceneTest : public imgtest::ImageTest {
protected:
    void TearDown() override {
        SelectKernels(KernelSet::Fast);
        fast::UseVectorPaths(true);
        ImageTest::TearDown();
    }
    void Build(gfxdemo::FrameScene& scene, int32_t format) {
        gfxdemo::FrameSceneOptions o;
        o.format = format;
        std::string error;
        ASSERT_TRUE(scene.Build(Dir() + (format == 16 ? "f565" : "f555"), o, &error)) << error;
    }
    static void Scribble(CSurface* s, uint16_t seed) {
        std::vector<uint16_t> junk(static_cast<size_t>(s->m_Width) * s->m_Height);
        for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<uint16_t>(seed + 40503u * i);
        Write(*s, junk);
    }
};

TEST_F(FrameSceneTest, ComposesWhatWasAskedFor) {
    gfxdemo::FrameScene scene;
    Build(scene, 16);
    const gfxdemo::FrameSceneCounts& c = scene.Counts();
    EXPECT_EQ(c.groundTiles, 630);
    EXPECT_EQ(c.sprites, 200);
    EXPECT_EQ(c.alphaSprites, 66);
    EXPECT_EQ(c.litSprites, 50);
    EXPECT_GT(c.ghostSprites, 0);
    EXPECT_EQ(c.translucent, 20);
    EXPECT_EQ(c.lightSpots, 30);
    EXPECT_EQ(c.panels, 10);
    ASSERT_NE(scene.ViewTarget(), scene.Back()) << "the transition is running";
}

// Every kernel set draws the same bytes in both layouts, and a frame does
// not depend on what the buffers held before (the ground covers the view).
TEST_F(FrameSceneTest, KernelSetsDrawIdenticalFrames) {
    for (int32_t format : {16, 15}) {
        SCOPED_TRACE(format);
        gfxdemo::FrameScene scene;
        Build(scene, format);
        SelectKernels(KernelSet::Reference);
        scene.Compose();
        const std::vector<uint16_t> ref = scene.Pixels();

        SelectKernels(KernelSet::Fast);
        Scribble(scene.Back(), 0x1357);
        Scribble(scene.ViewTarget(), 0x2468);
        scene.Compose();
        EXPECT_TRUE(scene.Pixels() == ref) << "fast set (" << KernelSetName() << ")";

        fast::UseVectorPaths(false);
        Scribble(scene.ViewTarget(), 0x9BDF);
        scene.Compose();
        EXPECT_TRUE(scene.Pixels() == ref) << "fast set without vector paths";
        fast::UseVectorPaths(true);
    }
}

// The 5-5-5 frame is the 5-6-5 frame short of one green bit: red and blue
// agree exactly, and green, compared on five bits, differs by at most a
// rounding step or two where tables scaled the extra bit.
TEST_F(FrameSceneTest, LayoutsLookTheSame) {
    std::vector<uint8_t> rgb[2];
    for (int32_t i = 0; i < 2; ++i) {
        gfxdemo::FrameScene scene;
        Build(scene, i == 0 ? 16 : 15);
        scene.Compose();
        rgb[i] = scene.Rgb();
    }
    ASSERT_EQ(rgb[0].size(), rgb[1].size());
    size_t redBlue = 0, greenOff = 0;
    int32_t greenMax = 0;
    for (size_t p = 0; p < rgb[0].size(); p += 3) {
        if ((rgb[0][p] >> 3) != (rgb[1][p] >> 3) || (rgb[0][p + 2] >> 3) != (rgb[1][p + 2] >> 3)) ++redBlue;
        const int32_t d = std::abs((rgb[0][p + 1] >> 3) - (rgb[1][p + 1] >> 3));
        greenOff += d != 0;
        greenMax = std::max(greenMax, d);
    }
    EXPECT_EQ(redBlue, 0u);
    EXPECT_LE(greenMax, 2);
    EXPECT_LT(greenOff, rgb[0].size() / 3 / 4) << greenOff << " pixels differ in green";
}

} // namespace
