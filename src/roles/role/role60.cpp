// The player's own role: standing idle it plays a fidget now and then,
// then thinks like any other role.
#include <algorithm>
#include <cstdlib>

#include "core/txt_table.h"
#include "gfx/anim.h"
#include "platform/random.h"
#include "roles/record/role_data.h"
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

CRole60::CRole60() {
    m_Kind = 60;
    m_DataId = 1;
    SetPathCapacity(500);
    m_FidgetCountdown = plat::Rand() % 280 + 280;
}

// ---------------------------------------------------------------- attributes
// From the live player record and its class row; a role without a record
// (no hook, no record yet) keeps the level row's.

namespace {
const CTxtRow* ClassRow(const CRoleData* rec) { return rec ? rec->m_pClassRow : nullptr; }
int32_t ClassInt(const CRoleData* rec, int col) {
    const CTxtRow* row = ClassRow(rec);
    return row && row->HasValue(col) ? row->GetInt(col) : 0;
}
float ClassFloat(const CRoleData* rec, int col) {
    const CTxtRow* row = ClassRow(rec);
    const char* s = row && row->HasValue(col) ? row->GetString(col) : nullptr;
    return s ? static_cast<float>(std::atof(s)) : 0.0f;
}
int32_t Trunc(float v) { return static_cast<int32_t>(std::clamp(v, -2147483648.0f, 2147483520.0f)); }
constexpr int kClassDodgeCol = 6;
constexpr int kClassStRegenCol = 19;
constexpr int kClassStDrainCol = 20;
constexpr int32_t kStateNoHpRegen = 41;
constexpr int32_t kStateNoQiRegen = 40;
} // namespace

int32_t CRole60::GetAP() { const CRoleData* r = GetRecord(); return r ? r->GetAP() : CAiRole::GetAP(); }
int32_t CRole60::GetDP() { const CRoleData* r = GetRecord(); return r ? r->GetDP() : CAiRole::GetDP(); }
int32_t CRole60::GetMaxHP() { const CRoleData* r = GetRecord(); return r ? r->GetMaxHP() : CAiRole::GetMaxHP(); }
int32_t CRole60::GetMaxQi() { const CRoleData* r = GetRecord(); return r ? r->GetMaxQi() : CAiRole::GetMaxQi(); }
int32_t CRole60::GetMaxST() { const CRoleData* r = GetRecord(); return r ? r->GetST() : CAiRole::GetMaxST(); }
int32_t CRole60::GetMaxNu() { const CRoleData* r = GetRecord(); return r ? Trunc(r->m_MaxNu) : CAiRole::GetMaxNu(); }
int32_t CRole60::GetHR() { const CRoleData* r = GetRecord(); return r ? r->GetHR() : CAiRole::GetHR(); }
int32_t CRole60::GetDodgeFactor(int32_t facingDiff) {
    const CRoleData* r = GetRecord();
    return r ? ClassInt(r, kClassDodgeCol) : CAiRole::GetDodgeFactor(facingDiff);
}
float CRole60::GetHPRegen() {
    const CRoleData* r = GetRecord();
    if (!r) return CAiRole::GetHPRegen();
    return HasState(kStateNoHpRegen) ? 0.0f : static_cast<float>(GetMaxHP()) * r->GetHPResume() * 0.01f;
}
float CRole60::GetQiRegen() {
    const CRoleData* r = GetRecord();
    if (!r) return CAiRole::GetQiRegen();
    return HasState(kStateNoQiRegen) ? -1.0f : static_cast<float>(GetMaxQi()) * r->GetQiResume() * 0.01f;
}
float CRole60::GetSTRegen() {
    const CRoleData* r = GetRecord();
    return r ? static_cast<float>(GetMaxST()) * ClassFloat(r, kClassStRegenCol) * 0.01f : CAiRole::GetSTRegen();
}
float CRole60::GetSTDrain() {
    const CRoleData* r = GetRecord();
    return r ? ClassFloat(r, kClassStDrainCol) : CAiRole::GetSTDrain();
}
float CRole60::GetNuFactor() { const CRoleData* r = GetRecord(); return r ? r->GetNu() : CAiRole::GetNuFactor(); }
int32_t CRole60::GetSH() { const CRoleData* r = GetRecord(); return r ? r->GetSH() : CAiRole::GetSH(); }
int32_t CRole60::GetRunSpeed() { const CRoleData* r = GetRecord(); return r ? r->GetSP() : CAiRole::GetRunSpeed(); }
int32_t CRole60::GetIceDP() { const CRoleData* r = GetRecord(); return r ? r->GetIceDp() : CAiRole::GetIceDP(); }
int32_t CRole60::GetFireDP() { const CRoleData* r = GetRecord(); return r ? r->GetFireDp() : CAiRole::GetFireDP(); }
int32_t CRole60::GetPoisonDP() { const CRoleData* r = GetRecord(); return r ? r->GetPoisonDp() : CAiRole::GetPoisonDP(); }
