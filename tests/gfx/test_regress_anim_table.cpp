// Replays what the animation table fuzz target found (tests/regress/anim_table/)
// and its seeds (fuzz/corpus/anim_table/) through the target's own harness,
// so a fixed finding stays fixed without clang. The harness aborts on any
// broken invariant.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../../fuzz/harness/anim_table.h"
#include "../../fuzz/harness/replay.h"
#include "datagen/bytes.h"
#include "datagen/image_encoder.h"
#include "gfx/image_ref.h"
#include "platform/debug.h"
#include "support/regress_replay.h"
#include "test_image_fixture.h"

namespace {

class RegressAnimTable : public imgtest::ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        ASSERT_TRUE(fuzzharness::PrepareAnimLibs());
    }
};

TEST_F(RegressAnimTable, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("anim_table", fuzzharness::RunAnimTable);
}

// Libraries are plain files, never packed: the seeds are read from disk.
TEST_F(RegressAnimTable, SeedsBindPlayAndDraw) {
    const std::vector<fuzzreplay::Input> seeds = fuzzreplay::Seeds("anim_table");
    ASSERT_FALSE(seeds.empty());
    for (const fuzzreplay::Input& in : seeds) {
        SCOPED_TRACE(in.name);
        EXPECT_EQ(fuzzharness::RunAnimTable(fuzzreplay::Data(in), in.bytes.size()), 1);
    }
}

bool Refused(const std::string& why) {
    const auto& c = plat::DebugCaptured();
    return std::any_of(c.begin(), c.end(), [&](const std::string& m) {
        return m == "Animation table refused: " + why + "\n";
    });
}

// A sequence count is checked against the data before the sequences are
// allocated: 4 bytes claiming 32767 sequences are refused at once, not
// after allocating them. Each sequence takes at least 3 words, so tables of
// empty sequences that exactly fit still parse.
TEST_F(RegressAnimTable, SequenceCountBeyondTheDataIsRefusedBeforeAllocating) {
    struct Case {
        uint16_t count;
        uint32_t words;  // words after the count, all 0 (sequences of no frames)
        bool accepted;
    };
    const Case cases[] = {{0x7FFF, 0, false}, {0x7FFF, 3 * 0x7FFF - 1, false}, {0x7FFF, 3 * 0x7FFF, true},
                          {1, 2, false},      {1, 3, true},                     {2, 5, false},
                          {2, 6, true},       {0xFFFF, 0, true}};  // negative: an empty table
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " sequences in " << c.words << " words");
        datagen::Bytes b;
        b.U32(c.count);
        for (uint32_t i = 0; i < c.words; ++i) b.U32(0);
        plat::ClearDebugCapture();
        const auto* p = reinterpret_cast<const uint8_t*>(b.str().data());
        const std::unique_ptr<AnimTable> t = ParseAnimTable(p, static_cast<uint32_t>(b.size()));
        ASSERT_EQ(t != nullptr, c.accepted);
        if (t) {
            EXPECT_EQ(t->m_SeqCount, c.count == 0xFFFF ? 0 : c.count);
            continue;
        }
        EXPECT_TRUE(Refused("more sequences than the data holds"));
        EXPECT_FALSE(Refused("sequence past the end of the data"));
    }
}

} // namespace
