// Replays what the BMP and TGA fuzz targets found (tests/regress/bmp/,
// tests/regress/tga/) and their seeds (fuzz/corpus/bmp/, fuzz/corpus/tga/)
// through the targets' own harness, so a fixed finding stays fixed without
// clang. The harness aborts on any broken invariant.
#include <gtest/gtest.h>

#include "../../fuzz/harness/replay.h"
#include "../../fuzz/harness/texture.h"
#include "platform/raster.h"
#include "support/test_env.h"

namespace {

class RegressTexture : public vtest::TempDirTest {
protected:
    void TearDown() override {
        EXPECT_EQ(plat::LiveRasterObjects(), 0);
        TempDirTest::TearDown();
    }
};

TEST_F(RegressTexture, SavedFindingsAreRefusedOrHandled) {
    for (const char* kind : {"bmp", "tga"}) {
        const std::string ext = std::string(".") + kind;
        for (const fuzzreplay::Input& in : fuzzreplay::Findings(kind)) {
            SCOPED_TRACE(std::string(kind) + "/" + in.name);
            EXPECT_GE(fuzzharness::RunTexture(fuzzreplay::Data(in), in.bytes.size(), ext.c_str()), 0);
        }
    }
}

TEST_F(RegressTexture, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    for (const char* kind : {"bmp", "tga"}) {
        const std::string ext = std::string(".") + kind;
        const std::vector<fuzzreplay::Input> seeds = fuzzreplay::Seeds(kind);
        ASSERT_FALSE(seeds.empty()) << kind;
        for (fuzzenv::Place place : {fuzzenv::Place::Disk, fuzzenv::Place::Pack, fuzzenv::Place::ScrambledPack}) {
            fuzzenv::ForcePlace pin(place);
            for (const fuzzreplay::Input& in : seeds) {
                SCOPED_TRACE(std::string(kind) + "/" + in.name + " from " + fuzzenv::PlaceName(place));
                EXPECT_EQ(fuzzharness::RunTexture(fuzzreplay::Data(in), in.bytes.size(), ext.c_str()), 1);
            }
        }
    }
}

} // namespace
