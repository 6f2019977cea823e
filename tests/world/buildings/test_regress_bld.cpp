// Replays what the building model and init fuzz targets found and their
// seeds, so a fixed finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../../fuzz/harness/bld_init.h"
#include "../../../fuzz/harness/bld_model.h"
#include "../../gfx/test_image_fixture.h"
#include "support/regress_replay.h"

namespace {

class RegressBld : public imgtest::ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        ASSERT_TRUE(fuzzharness::PrepareBldPictures());
        ASSERT_TRUE(fuzzharness::WriteFixedBldModel());
    }
    void TearDown() override {
        g_MdlCache.Clear();
        ImageTest::TearDown();
    }
};

TEST_F(RegressBld, SavedModelFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("bld_model", fuzzharness::RunBldModel);
}

TEST_F(RegressBld, ModelSeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("bld_model", fuzzharness::RunBldModel);
}

TEST_F(RegressBld, SavedInitFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("bld_init", fuzzharness::RunBldInit);
}

TEST_F(RegressBld, InitSeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("bld_init", fuzzharness::RunBldInit);
}

} // namespace
