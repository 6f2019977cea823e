// The AI role's thinking.
#include <algorithm>

#include "platform/random.h"
#include "roles/role.h"

void CAiRole::RollAttackDelay() {
    // A script may set any reaction level; a negative one would make the
    // modulus zero or negative.
    const int32_t reaction = std::max(0, m_AiValue);
    m_AttackDelay = plat::Rand() % ((reaction + 2) * 9) + reaction * 9;
}
