// Replays what the resource library fuzz target found (tests/regress/res_lib/)
// and its seeds (fuzz/corpus/res_lib/) through the target's own harness, so a
// fixed finding stays fixed without clang. The harness aborts on any broken
// invariant.
#include <gtest/gtest.h>

#include "../../fuzz/harness/replay.h"
#include "../../fuzz/harness/res_lib.h"
#include "test_image_fixture.h"

namespace {

class RegressResLib : public imgtest::ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        ASSERT_TRUE(fuzzharness::PrepareResLibs());
    }
    static int Replay(const fuzzreplay::Input& in) {
        return fuzzharness::RunResLib(fuzzreplay::Data(in), in.bytes.size());
    }
};

TEST_F(RegressResLib, SavedFindingsAreRefusedOrHandled) {
    for (const fuzzreplay::Input& in : fuzzreplay::Findings("res_lib")) {
        SCOPED_TRACE(in.name);
        EXPECT_GE(Replay(in), 0);
    }
}

TEST_F(RegressResLib, SeedsOpenAndTheirPicturesDraw) {
    const std::vector<fuzzreplay::Input> seeds = fuzzreplay::Seeds("res_lib");
    ASSERT_FALSE(seeds.empty());
    for (const fuzzreplay::Input& in : seeds) {
        SCOPED_TRACE(in.name);
        EXPECT_EQ(Replay(in), 1);
    }
}

} // namespace
