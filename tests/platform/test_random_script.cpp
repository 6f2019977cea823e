// The random generator's scripted mode and draw counter.
#include <gtest/gtest.h>

#include <vector>

#include "platform/random.h"

namespace {

uint64_t g_OverrunAt = 0;
int g_OverrunCalls = 0;

class RandomScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::ResetRand();
        g_OverrunAt = 0;
        g_OverrunCalls = 0;
    }
    void TearDown() override { plat::ResetRand(); }
};

TEST_F(RandomScriptTest, ScriptIsConsumedInOrderThenTheGeneratorGoesOnWhereItStood) {
    plat::SRand(77);
    const int first = plat::Rand();
    const uint32_t state = plat::RandState();
    // Values beyond 15 bits come back masked, as a real draw never exceeds them.
    plat::ScriptRand({5, 0, 32767, 40000});
    EXPECT_EQ(plat::IsRandScripted(), 1);
    EXPECT_EQ(plat::ScriptedRandLeft(), 4u);
    EXPECT_EQ(plat::Rand(), 5);
    EXPECT_EQ(plat::Rand(), 0);
    EXPECT_EQ(plat::Rand(), 32767);
    EXPECT_EQ(plat::Rand(), 40000 & 0x7FFF);
    EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
    EXPECT_EQ(plat::RandState(), state) << "scripted draws leave the generator alone";
    EXPECT_EQ(plat::RandOverruns(), 0);
    plat::ScriptRand({});
    EXPECT_EQ(plat::IsRandScripted(), 0);
    plat::SRand(77);
    EXPECT_EQ(plat::Rand(), first);
}

TEST_F(RandomScriptTest, EveryDrawCountsScriptedOrNot) {
    plat::SRand(3);
    plat::Rand();
    plat::Rand();
    plat::ScriptRand({1, 2});
    plat::Rand();
    EXPECT_EQ(plat::RandDrawCount(), 3u);
    plat::ResetRandDrawCount();
    plat::Rand();
    EXPECT_EQ(plat::RandDrawCount(), 1u);
    plat::ResetRand();
    EXPECT_EQ(plat::RandDrawCount(), 0u);
    EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
    EXPECT_EQ(plat::RandState(), 1u);
}

TEST_F(RandomScriptTest, ADrawPastTheScriptIsReportedAndFallsBackToTheGenerator) {
    plat::SetRandOverrunHandler([](uint64_t draw) {
        g_OverrunAt = draw;
        ++g_OverrunCalls;
    });
    plat::SRand(9);
    const uint32_t before = plat::RandState();
    plat::SRand(before);
    const int expected = plat::Rand();
    plat::SRand(before);
    plat::ResetRandDrawCount();
    plat::ScriptRand({11});
    EXPECT_EQ(plat::Rand(), 11);
    EXPECT_EQ(g_OverrunCalls, 0);
    EXPECT_EQ(plat::Rand(), expected);
    EXPECT_EQ(g_OverrunCalls, 1);
    EXPECT_EQ(g_OverrunAt, 2u);
    EXPECT_EQ(plat::RandOverruns(), 1);
    plat::Rand();
    EXPECT_EQ(g_OverrunCalls, 2) << "each draw past the end is reported";
    plat::ScriptRand({4});
    EXPECT_EQ(plat::RandOverruns(), 0) << "a new script starts clean";
}

} // namespace
