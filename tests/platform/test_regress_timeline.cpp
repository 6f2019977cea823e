// Replays what the timeline fuzz target found and its seeds, so a fixed
// finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../fuzz/harness/timeline.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace {

class RegressTimeline : public vtest::TempDirTest {};

TEST_F(RegressTimeline, SavedFindingsAreRefusedOrHandledAndSeedsPlay) {
    vtest::ExpectFindingsHandled("timeline", fuzzharness::RunTimeline);
    const std::vector<fuzzreplay::Input> seeds = fuzzreplay::Seeds("timeline");
    ASSERT_FALSE(seeds.empty());
    for (const fuzzreplay::Input& in : seeds) {
        SCOPED_TRACE(in.name);
        EXPECT_EQ(fuzzharness::RunTimeline(fuzzreplay::Data(in), in.bytes.size()), 1);
    }
}

} // namespace
