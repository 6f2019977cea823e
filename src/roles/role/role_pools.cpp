// Pools and attributes as far as states and set-up need them: the
// attributes read the level row as it is, the pools fill from it, and the
// update runs only the state countdowns (once a second).
// PLACEHOLDER: difficulty scaling, regeneration and hit resolution come
// with the pools.
#include <algorithm>

#include "core/txt_table.h"
#include "roles/role.h"

int32_t CRole::GetAttribute(int32_t col) const {
    return m_pLevelRow && m_pLevelRow->HasValue(col) ? m_pLevelRow->GetInt(col) : 0;
}

int32_t CRole::GetAP() { return GetAttribute(10); }
int32_t CRole::GetDP() { return m_pLevelRow && m_pLevelRow->HasValue(11) ? GetAttribute(11) : 1; }
int32_t CRole::GetMaxHP() { return GetAttribute(9); }
int32_t CRole::GetMaxQi() { return 10000; }
int32_t CRole::GetMaxST() { return 10000; }
int32_t CRole::GetMaxNu() { return 99900; }
int32_t CRole::GetHR() { return GetAttribute(13); }
int32_t CRole::GetCol14() { return GetAttribute(14); }
int32_t CRole::GetDodgeFactor(int32_t) { return 100; }
float CRole::GetHPRegen() { return 1.0f; }
float CRole::GetQiRegen() { return 1.0f; }
float CRole::GetSTRegen() { return 1.0f; }
float CRole::GetSTDrain() { return 0.0f; }
float CRole::GetNuFactor() { return 0.0f; }
int32_t CRole::GetSH() { return 0; }
int32_t CRole::GetRunSpeed() { return GetAttribute(4); }
int32_t CRole::GetIceDP() { return 1; }
int32_t CRole::GetFireDP() { return 1; }
int32_t CRole::GetPoisonDP() { return 1; }

void CRole::FillPools() {
    m_Hp = static_cast<float>(GetMaxHP());
    m_Qi = static_cast<float>(GetMaxQi());
    m_St = static_cast<float>(GetMaxST());
    m_Nu = 0;
}

int CRole::AddHP(float delta) {
    const float max = static_cast<float>(GetMaxHP());
    m_Hp += delta;
    if (m_Hp > max) {
        m_Hp = max;
        return 0;
    }
    return m_Hp < 0.0f ? 0 : 1;
}

void CRole::UpdatePools() {
    if (m_TickCount % 28 != 1) return;
    for (int32_t k = 0; k < 128; ++k) {
        if (!m_StateCountdowns[k]) continue;
        if (--m_StateCountdowns[k] == 0) SetState(k, 0, 0, nullptr);
    }
}

// The attribute sheet comes with the role data record.
void CRole::LoadFromSheet() {}
void CRole::SaveToSheet() {}
