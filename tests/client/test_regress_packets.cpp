// Replays what the packets fuzz target found and its seeds (recorded
// streams from the datagen writer), so a fixed finding stays fixed without
// clang, and the sanitizer build checks every seed packet's reads.
#include <gtest/gtest.h>

#include "../../fuzz/harness/packets.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace test_regress_packets {

class RegressPackets : public vtest::TempDirTest {};

int PlayStream(const uint8_t* data, size_t size) { return fuzzharness::RunPackets(data, size); }

TEST_F(RegressPackets, SavedFindingsAreRefusedOrHandled) { vtest::ExpectFindingsHandled("packets", PlayStream); }

TEST_F(RegressPackets, SeedsPlayThroughTheClientWithAndWithoutLoading) {
    const std::vector<fuzzreplay::Input> seeds = fuzzreplay::Seeds("packets");
    ASSERT_GE(seeds.size(), 3u);
    for (const fuzzreplay::Input& in : seeds) {
        SCOPED_TRACE(in.name);
        EXPECT_EQ(PlayStream(fuzzreplay::Data(in), in.bytes.size()), 1);
    }
}

} // namespace test_regress_packets
