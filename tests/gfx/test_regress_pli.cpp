// Replays what the PLI fuzz target found (tests/regress/pli/) and its seeds
// (fuzz/corpus/pli/) through the target's own harness, so a fixed finding
// stays fixed without clang. The harness aborts on any broken invariant.
#include <gtest/gtest.h>

#include "../../fuzz/harness/pli.h"
#include "support/regress_replay.h"
#include "test_image_fixture.h"

namespace {

class RegressPli : public imgtest::ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        ASSERT_TRUE(fuzzharness::PreparePliRoles());
    }
    void TearDown() override {
        g_RoleSprMng.Clear();
        ImageTest::TearDown();
    }
};

TEST_F(RegressPli, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("pli", fuzzharness::RunPli);
}

TEST_F(RegressPli, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("pli", fuzzharness::RunPli);
}

} // namespace
