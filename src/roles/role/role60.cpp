// The player's own role: standing idle it plays a fidget now and then,
// then thinks like any other role.
#include "core/txt_table.h"
#include "gfx/anim.h"
#include "platform/random.h"
#include "roles/role.h"
#include "roles/role/role_posture_util.h"

namespace {
constexpr int kFidgetCol = 8;
constexpr int32_t kStateNoFidget = 106;
} // namespace

int CRole60::SetupAppearance(const char* spriteSet) { return CRole::SetupAppearance(spriteSet) > 0 ? 1 : 0; }

void CRole60::Update() {
    // The player's role is always alerted.
    if (!HasState(kStateAlerted)) SetState(kStateAlerted, 1, 0, nullptr);
    if (m_Motion == kMotionStand && !m_pBoundMagic && !m_TargetHandle && !HasState(kStateNoFidget) &&
        !(m_RoleBits & kRoleBitStand)) {
        --m_FidgetCountdown;
        const CAnimPlayer* anim = GetCurrentAnim();
        if ((!anim || anim->IsAtEnd()) && m_FidgetCountdown <= 0) {
            const int n = m_pModelRow ? m_pModelRow->GetItemCount(kFidgetCol) : 0;
            if (n > 1) {
                int32_t i = plat::Rand() % n;
                if (i > 0) i -= plat::Rand() % i;
                if (i < 1) i = 1;
                const int32_t item = role_posture::Item(m_pModelRow, kFidgetCol, i);
                if (item != kTxtEmptyInt) PlaySpecialAnim(item + m_Facing, 1);
                m_FidgetCountdown = plat::Rand() % 280 + 168;
            }
        }
    } else if (m_FidgetCountdown < 280) {
        m_FidgetCountdown = plat::Rand() % 280 + 280;
    }
    CAiRole::Update();
}
