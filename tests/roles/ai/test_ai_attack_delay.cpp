#include <gtest/gtest.h>

#include "platform/random.h"
#include "roles/role.h"

namespace test_ai_attack_delay {

struct DelayCase {
    int32_t reaction;
    int draw;
    int32_t delay;
};

TEST(AiAttackDelayTest, TheDelayGrowsWithTheReactionLevel) {
    const DelayCase cases[] = {
        {0, 0, 0},   {0, 17, 17}, {0, 18, 0},  // reaction 0: rand() mod 18
        {2, 0, 18},  {2, 35, 53}, {2, 36, 18},  // reaction 2: 18 to 53
        {5, 62, 107},
        // Levels below 0 count as 0 (the modulus would be 0 or negative).
        {-2, 17, 17}, {-5, 20, 2},
    };
    for (const DelayCase& c : cases) {
        CAiRole r;
        r.m_AiValue = c.reaction;
        plat::ScriptRand({c.draw});
        r.RollAttackDelay();
        EXPECT_EQ(r.m_AttackDelay, c.delay) << "reaction " << c.reaction << " draw " << c.draw;
        EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
    }
    plat::ScriptRand({});
}

TEST(AiAttackDelayTest, ANewAiRoleIsReadyWithoutAHome) {
    CAiRole r;
    EXPECT_EQ(r.m_Kind, 40);
    EXPECT_EQ(r.m_HomeX, -1);
    EXPECT_EQ(r.m_HomeY, -1);
    EXPECT_EQ(r.m_AttackDelay, 0);
}

} // namespace test_ai_attack_delay
