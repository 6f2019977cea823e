// Replays what the map fuzz target found (tests/regress/map/) and its seeds
// (fuzz/corpus/map/) through the target's own harness, so a fixed finding
// stays fixed without clang. The harness aborts on any broken invariant.
#include <gtest/gtest.h>

#include "../../../fuzz/harness/map.h"
#include "../../gfx/test_image_fixture.h"
#include "support/regress_replay.h"

namespace {

class RegressMap : public imgtest::ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        ASSERT_TRUE(fuzzharness::PrepareMapTiles());
    }
};

TEST_F(RegressMap, SavedFindingsAreRefusedOrHandled) { vtest::ExpectFindingsHandled("map", fuzzharness::RunMap); }

TEST_F(RegressMap, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("map", fuzzharness::RunMap);
}

} // namespace
