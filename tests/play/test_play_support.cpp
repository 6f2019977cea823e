// The test support itself: the X window dump reader, golden regions and
// the random-input generator.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "platform/fs.h"
#include "platform/timeline.h"
#include "support/image_check.h"
#include "support/random_input.h"
#include "support/test_env.h"
#include "support/xdisplay.h"

namespace {

void Be32(std::string& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<char>((v >> s) & 0xFF));
}

// A 2 x 2 dump as xwd writes it: big-endian header, a window name, two
// colour entries, then rows padded to `bytesPerLine`.
std::string Xwd(uint32_t bpp, uint32_t byteOrder, uint32_t rmask, uint32_t gmask, uint32_t bmask,
                const std::vector<uint32_t>& pixels) {
    const std::string name = "root";
    const uint32_t bytesPerLine = 2 * bpp / 8 + 4;
    std::string b;
    const uint32_t header[25] = {100 + static_cast<uint32_t>(name.size()) + 1, 7, 2, 24, 2, 2, 0, byteOrder, 32, 0,
                                 32, bpp, bytesPerLine, 4, rmask, gmask, bmask, 8, 256, 2, 2, 2, 0, 0, 0};
    for (uint32_t v : header) Be32(b, v);
    b += name;
    b.push_back('\0');
    b.append(2 * 12, '\x55');
    for (int y = 0; y < 2; ++y) {
        std::string row;
        for (int x = 0; x < 2; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y * 2 + x)];
            for (uint32_t i = 0; i < bpp / 8; ++i) {
                const uint32_t shift = byteOrder == 0 ? 8 * i : 8 * (bpp / 8 - 1 - i);
                row.push_back(static_cast<char>((p >> shift) & 0xFF));
            }
        }
        row.resize(bytesPerLine, '\0');
        b += row;
    }
    return b;
}

TEST(XwdReader, ReadsTrueColourDumpsOfEachLayout) {
    const struct {
        uint32_t bpp, order, r, g, b;
        std::vector<uint32_t> pixels;
    } cases[] = {
        {32, 0, 0xFF0000, 0x00FF00, 0x0000FF, {0xFF0000, 0x00FF00, 0x0000FF, 0x123456}},
        {32, 1, 0xFF0000, 0x00FF00, 0x0000FF, {0xFF0000, 0x00FF00, 0x0000FF, 0x123456}},
        {24, 0, 0xFF0000, 0x00FF00, 0x0000FF, {0xFF0000, 0x00FF00, 0x0000FF, 0x123456}},
        {16, 0, 0xF800, 0x07E0, 0x001F, {0xF800, 0x07E0, 0x001F, 0x0000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bpp * 10 + c.order);
        vtest::RgbImage img;
        std::string why;
        ASSERT_TRUE(vtest::ReadXwd(Xwd(c.bpp, c.order, c.r, c.g, c.b, c.pixels), &img, &why)) << why;
        ASSERT_EQ(img.width, 2);
        ASSERT_EQ(img.height, 2);
        EXPECT_TRUE(vtest::PixelNear(img, 0, 0, {255, 0, 0}, 0));
        EXPECT_TRUE(vtest::PixelNear(img, 1, 0, {0, 255, 0}, 0));
        EXPECT_TRUE(vtest::PixelNear(img, 0, 1, {0, 0, 255}, 0));
        if (c.bpp != 16) {
            EXPECT_TRUE(vtest::PixelNear(img, 1, 1, {0x12, 0x34, 0x56}, 0));
        }
    }
}

TEST(XwdReader, RefusesDamagedDumps) {
    const std::string good = Xwd(32, 0, 0xFF0000, 0xFF00, 0xFF, {1, 2, 3, 4});
    std::vector<std::string> bad = {good.substr(0, 99), good.substr(0, good.size() - 1)};
    auto patched = [&](size_t field, uint32_t v) {
        std::string b = good;
        for (int i = 0; i < 4; ++i) b[field * 4 + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
        bad.push_back(b);
    };
    patched(1, 6);            // version
    patched(2, 1);            // XYPixmap
    patched(11, 8);           // 8 bits per pixel
    patched(12, 4);           // lines shorter than the pixels
    patched(13, 3);           // PseudoColor
    patched(19, 0x10000000);  // colour entries past the end
    patched(4, 0);            // no width
    patched(0, 0xFFFFFFF0);   // header past the end
    for (size_t i = 0; i < bad.size(); ++i) {
        vtest::RgbImage img;
        std::string why;
        EXPECT_FALSE(vtest::ReadXwd(bad[i], &img, &why)) << i;
        EXPECT_EQ(why.rfind("xwd: ", 0), 0u) << i;
    }
}

vtest::RgbImage Solid(int w, int h, vtest::Rgb c) {
    vtest::RgbImage img;
    img.width = w;
    img.height = h;
    for (int i = 0; i < w * h; ++i) {
        img.rgb.push_back(static_cast<uint8_t>(c.r));
        img.rgb.push_back(static_cast<uint8_t>(c.g));
        img.rgb.push_back(static_cast<uint8_t>(c.b));
    }
    return img;
}

class Golden : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        vtest::SetGoldenDirsForTest(Dir() + "golden", Dir() + "out");
        unsetenv("VANTREL_UPDATE_GOLDEN");
    }
    void TearDown() override {
        unsetenv("VANTREL_UPDATE_GOLDEN");
        vtest::SetGoldenDirsForTest("", "");
        vtest::TempDirTest::TearDown();
    }
};

TEST_F(Golden, UpdateWritesThenCompareAllowsToleranceAndCountWritingTheDiffOnFailure) {
    vtest::RgbImage frame = Solid(40, 30, {100, 100, 100});
    EXPECT_FALSE(vtest::MatchesGolden(frame, 5, 5, 10, 10, "box")) << "no golden picture yet";
    EXPECT_TRUE(plat::PathExists(Dir() + "out/box.actual.png"));
    setenv("VANTREL_UPDATE_GOLDEN", "1", 1);
    EXPECT_TRUE(vtest::MatchesGolden(frame, 5, 5, 10, 10, "box"));
    unsetenv("VANTREL_UPDATE_GOLDEN");
    vtest::RgbImage golden;
    ASSERT_TRUE(golden.Load(Dir() + "golden/box.png"));
    EXPECT_EQ(golden.width, 10);

    // Outside the region nothing counts; inside, small shifts pass the
    // channel tolerance and two far-off pixels pass a count of two.
    frame.rgb[0] = 0;
    frame.rgb[(6 * 40 + 6) * 3] = 104;
    EXPECT_TRUE(vtest::MatchesGolden(frame, 5, 5, 10, 10, "box", {4, 0}));
    EXPECT_FALSE(vtest::MatchesGolden(frame, 5, 5, 10, 10, "box", {3, 0}));
    frame.rgb[(7 * 40 + 7) * 3 + 2] = 255;
    frame.rgb[(8 * 40 + 8) * 3 + 1] = 0;
    EXPECT_TRUE(vtest::MatchesGolden(frame, 5, 5, 10, 10, "box", {4, 2}));
    EXPECT_FALSE(vtest::MatchesGolden(frame, 5, 5, 10, 10, "box", {4, 1}));
    vtest::RgbImage diff;
    ASSERT_TRUE(diff.Load(Dir() + "out/box.diff.png"));
    EXPECT_TRUE(vtest::PixelNear(diff, 2, 2, {255, 0, 0}, 0));
    EXPECT_TRUE(vtest::PixelNear(diff, 3, 3, {255, 0, 0}, 0));
    EXPECT_FALSE(vtest::PixelNear(diff, 1, 1, {255, 0, 0}, 0));

    EXPECT_FALSE(vtest::MatchesGolden(frame, 0, 0, 12, 12, "box")) << "another size";
    EXPECT_FALSE(vtest::MatchesGolden(frame, 35, 0, 10, 10, "box")) << "outside the picture";
    EXPECT_FALSE(vtest::MatchesGolden(Solid(400, 300, {}), 0, 0, 321, 10, "big")) << "over 320 x 240";
}

TEST(RandomInput, SameSeedSameLinesAllReadableAndNearTheScreen) {
    vtest::RandomInputOptions o;
    o.seed = 5;
    o.startMs = 1000;
    o.durationMs = 30000;
    const std::string a = vtest::RandomInputTimeline(o);
    EXPECT_EQ(a, vtest::RandomInputTimeline(o));
    o.seed = 6;
    EXPECT_NE(a, vtest::RandomInputTimeline(o));
    plat::Timeline t;
    std::string err;
    ASSERT_TRUE(plat::ParseTimeline(a, &t, &err)) << err;
    ASSERT_GT(t.events.size(), 150u);
    std::map<plat::TimelineEvent::Kind, int> kinds;
    int outside = 0;
    for (const plat::TimelineEvent& e : t.events) {
        ++kinds[e.kind];
        EXPECT_NE(e.kind, plat::TimelineEvent::Kind::Close);
        EXPECT_GE(e.timeMs, 1000u);
        if (e.kind == plat::TimelineEvent::Kind::Move && e.hasPos) {
            if (e.a < 0 || e.b < 0 || e.a >= 640 || e.b >= 480) ++outside;
        }
    }
    using K = plat::TimelineEvent::Kind;
    for (K k : {K::Move, K::LDown, K::LUp, K::RDown, K::RUp, K::Key, K::KeyDown, K::KeyUp, K::Text, K::Activate})
        EXPECT_GT(kinds[k], 0) << static_cast<int>(k);
    EXPECT_GT(outside, 0);
}

} // namespace
