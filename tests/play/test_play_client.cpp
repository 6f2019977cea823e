// The client of a new game, headless on the demo: the own-player packet is
// logged, the frames after the loading window show the HUD over the scene,
// and VANTREL_PACKET_RECORD records the stream the client handled.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/demo_title.h"
#include "play/play_timeline.h"
#include "support/image_check.h"
#include "support/play.h"
#include "support/random_input.h"
#include "support/test_env.h"

namespace play_client {

using ClientPlay = playtl::DemoFolderTest;

using playtl::At;
using playtl::Click;
using playtl::StartFromTitle;

uint32_t U32(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8) |
           (static_cast<uint8_t>(s[at + 2]) << 16) | (static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24);
}

TEST_F(ClientPlay, ANewGameJoinsTheClientShowsTheHudAndRecordsTheStream) {
    std::string t = "step 2\nlimit 600000\n" + StartFromTitle(2000);
    t += At(6150, "frame c3.png") + At(6500, "close");
    vtest::GameRunOptions options;
    options.env.push_back("VANTREL_PACKET_RECORD=" + Dir() + "rec.bin");
    const vtest::GameRun run = vtest::RunGame(VANTREL_EXE, Dir(), t, options);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(vtest::LinesInOrder(run.log, {"Client :BEGIN_Packet_Create_Client\n", "Client :Packet_Create_Client\n"}))
        << run.log;

    vtest::RgbImage im;
    ASSERT_TRUE(im.Load(Dir() + "c3.png"));
    ASSERT_EQ(im.width, 640);
    // The HUD's brown bar at the bottom, the scene's grass above it: not
    // the loading window's frame.
    for (int x : {20, 320, 620}) vtest::ExpectPixelNear(im, x, 450, vtest::Rgb{56, 40, 16}, 24);
    const vtest::Rgb grass = im.At(20, 20);
    EXPECT_GT(grass.g, grass.r + 30);
    EXPECT_TRUE(vtest::MatchesGolden(im, 0, 400, 320, 80, "client_hud_over_scene", {24, 150}));

    const std::string rec = vtest::ReadWholeFile(Dir() + "rec.bin");
    // Records: tick marker, viewer marker {0x40, 5, -1}, tick marker, the
    // own-player packet 1/1, the clock 11.
    std::vector<std::string> bodies;
    for (size_t at = 0; at + 4 <= rec.size() && bodies.size() < 5;) {
        const uint32_t n = U32(rec, at);
        ASSERT_LE(at + 4 + n, rec.size());
        bodies.push_back(rec.substr(at + 4, n));
        at += 4 + n;
    }
    ASSERT_EQ(bodies.size(), 5u);
    EXPECT_EQ(bodies[0].substr(0, 2), std::string("\x40\x00", 2));
    EXPECT_EQ(bodies[1], std::string("\x40\x05\xFF\xFF\xFF\xFF", 6));
    EXPECT_EQ(bodies[2].substr(0, 2), std::string("\x40\x00", 2));
    EXPECT_GT(U32(bodies[2], 2), U32(bodies[0], 2)) << "a later tick";
    ASSERT_EQ(bodies[3].size(), 15u);
    EXPECT_EQ(bodies[3][0], 1);
    EXPECT_EQ(bodies[3][3], 1);
    ASSERT_EQ(bodies[4].size(), 8u);
    EXPECT_EQ(bodies[4][0], 11);
}

TEST_F(ClientPlay, AnUnwritableRecordFileIsNamedAndTheGameGoesOn) {
    std::string t = "step 2\nlimit 600000\n" + StartFromTitle(2000) + At(5000, "close");
    vtest::GameRunOptions options;
    options.env.push_back("VANTREL_PACKET_RECORD=" + Dir() + "missing/rec.bin");
    const vtest::GameRun run = vtest::RunGame(VANTREL_EXE, Dir(), t, options);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.ErrLines("vantrel: cannot record packets to").size(), 1u) << run.err;
    EXPECT_NE(run.err.find("missing/rec.bin"), std::string::npos);
    EXPECT_TRUE(vtest::LinesInOrder(run.log, {"Client :Packet_Create_Client\n"}));
}

TEST_F(ClientPlay, RandomInputInTheRunningGameForAMinuteEndsCleanly) {
    vtest::RandomInputOptions o;
    o.seed = 61;
    o.startMs = 4000;
    o.durationMs = 60000;
    const std::string t = "step 5\nlimit 600000\n" + StartFromTitle(2000) + vtest::RandomInputTimeline(o) + At(64500, "close");
    const vtest::GameRun run = vtest::RunGame(VANTREL_EXE, Dir(), t);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(vtest::LinesInOrder(run.log, {"Client :Packet_Create_Client\n", "  Other.ClearUp\n"})) << run.log;
    EXPECT_FALSE(run.ErrLines("input: ldown").empty()) << "clicks reached the game";
}

} // namespace play_client
