// The four pools (HP, Qi, ST, Nu), the attribute slots of a plain role
// with the game difficulty and the player's strength applied, the
// percentages the gauges read, the per-tick upkeep and the copy to and from
// the player's record.
#include <algorithm>
#include <climits>
#include <cmath>

#include "core/txt_table.h"
#include "gfx/anim.h"
#include "gfx/role_sprite.h"
#include "roles/record/role_calls.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/role/role_numbers.h"
#include "roles/role_hooks.h"
#include "roles/save_mgr.h"
#include "roles/tables/exp_table.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world_globals.h"

using role_num::Sat;
using role_num::ToInt;

CRoleData* CRole::GetRecord() const {
    if (m_DataId == -1 || !g_SceneHooks.getRecord) return nullptr;
    return g_SceneHooks.getRecord(m_DataId);
}

// ---------------------------------------------------------------- attributes

int32_t CRole::GetAttribute(int32_t col) const {
    if (!m_pLevelRow) return 0;
    int32_t v = m_pLevelRow->GetInt(col);
    const bool scaled = col == 9 || col == 10 || col == 11 || col == 13;
    if (scaled) {
        const int64_t w = v;
        int64_t r = w;
        switch (g_SaveMgr.m_Difficulty) {
        case 0: r = col == 9 ? w / 3 * 2 : w / 2; break;
        case 2: r = w * 130 / 100; break;
        case 3: r = col == 13 ? w * 300 / 100 : w * 200 / 100; break;
        default: break;
        }
        v = std::max<int32_t>(Sat(r), 1);
    }
    if (v == 65535) return v;
    if (!scaled || !g_CurScene || !m_pLevelRow->HasValue(15)) return v;
    CViewTracker* tracker = g_CurScene->GetFirstTracker();
    CRole* player = tracker ? AsRole(tracker->GetOwnerRole()) : nullptr;
    if (!player || player == this) return v;
    const double k = static_cast<float>(m_pLevelRow->GetInt(15));
    int32_t candidate = 0;
    switch (col) {
    case 9: candidate = ToInt(player->GetMaxHP() * k * 3.0); break;
    case 10: candidate = ToInt(player->GetAP() * k * 0.25); break;
    case 11: candidate = ToInt(player->GetDP() * k * 0.25); break;
    default: candidate = ToInt(player->GetHR() * k * 0.25); break;
    }
    return std::max(v, candidate);
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

// ---------------------------------------------------------------- pools

void CRole::FillPools() { RefillPools(); }

void CRole::RefillPools() {
    m_Hp = static_cast<float>(GetMaxHP());
    m_Qi = static_cast<float>(GetMaxQi());
    m_St = static_cast<float>(GetMaxST());
    SetStaggerThreshold(1);
    m_Nu = 0;
}

void CRole::RestoreAndLevel() {
    RefillPools();
    m_Nu = GetMaxNu();
    if (CRoleData* rec = GetRecord())
        AddExp(Sat(int64_t{rec->m_NextExp} - g_ExpTable.GetExp(rec->m_Level - 1) + 100));
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

int CRole::AddQi(float delta) {
    const float max = static_cast<float>(GetMaxQi());
    m_Qi += delta;
    if (m_Qi > max) {
        m_Qi = max;
        return 0;
    }
    if (m_Qi < 0.0f) {
        m_Qi = 0.0f;
        return 0;
    }
    return 1;
}

void CRole::AddST(float delta) { m_St = std::clamp(m_St + delta, 0.0f, static_cast<float>(GetMaxST())); }

void CRole::AddNu(int32_t delta, int scaled) {
    const int32_t max = GetMaxNu();
    if (scaled && delta >= 1 && max > 0) {
        const int32_t k = m_Nu / 1000;
        if (k > 0) delta = std::max(1, ToInt(1000.0 / ((k * 5 + 10) * 100) * delta));
    }
    m_Nu = Sat(int64_t{m_Nu} + delta);
    m_Nu = std::clamp(m_Nu, 0, std::max(max, 0));
}

void CRole::SetPendingHP(int32_t v) {
    if (m_Hp <= 0.0f) return;
    if (v > 0) {
        if (m_Hp < 1.0f) m_Hp = 1.0f;
        if (m_PendingHp < 0) m_PendingHp = 0;
        m_PendingHp = Sat(int64_t{m_PendingHp} + v);
    } else {
        m_PendingHp = v;
    }
}

void CRole::SetPendingQi(int32_t v) {
    if (m_Hp <= 0.0f) return;
    m_PendingQi = v;
}

// ---------------------------------------------------------------- percentages

namespace {
int32_t Percent(int64_t v, int64_t max) { return max > 0 ? Sat(v * 100 / max) : 0; }
} // namespace

int32_t CRole::GetHPPercent() {
    if (m_Hp < 0.0f) return 0;
    return Percent(ToInt(m_Hp), GetMaxHP());
}
int32_t CRole::GetQiPercent() { return Percent(ToInt(m_Qi), GetMaxQi()); }
int32_t CRole::GetSTPercent() { return Percent(ToInt(m_St), GetMaxST()); }
int32_t CRole::GetPendingHPPercent() { return std::max(0, Percent(m_PendingHp, GetMaxHP())); }
int32_t CRole::GetPendingQiPercent() { return std::max(0, Percent(m_PendingQi, GetMaxQi())); }

int32_t CRole::GetExp() const {
    const CRoleData* rec = GetRecord();
    return rec ? rec->m_Exp : 0;
}
int32_t CRole::GetNextLevelExp() const {
    const CRoleData* rec = GetRecord();
    return rec ? rec->m_NextExp : 0;
}
int32_t CRole::GetExpPercent() const {
    const CRoleData* rec = GetRecord();
    if (!rec) return 0;
    const int64_t base = g_ExpTable.GetExp(rec->m_Level - 1);
    const int64_t span = int64_t{rec->m_NextExp} - base;
    // The last level has no span left (the next total lies below).
    if (span <= 0) return 100;
    return Sat((rec->m_Exp - base) * 100 / span);
}

void CRole::GetHPBars(int32_t* outPercent, int32_t* outBars) {
    const CRoleData* local = g_RoleHooks.getLocalPlayerRecord ? g_RoleHooks.getLocalPlayerRecord() : nullptr;
    const int64_t d = local ? (int64_t{local->GetMaxHP()} + int64_t{local->m_Level} * 10) * 2 : 100;
    const int32_t max = GetMaxHP();
    int32_t percent = 0, bars = 0;
    if (max > 0) {
        const int64_t n = d > 0 ? std::clamp<int64_t>(max / d, 1, 5) : 5;
        m_HpBarSize = std::max<int32_t>(static_cast<int32_t>(max / n), 1);
        const int32_t hp = ToInt(m_Hp);
        bars = std::min(hp / m_HpBarSize, 5);
        percent = static_cast<int32_t>(int64_t{hp % m_HpBarSize} * 100 / m_HpBarSize);
    } else {
        // No maximum: nothing to divide into bars.
        m_HpBarSize = 0;
    }
    if (outPercent) *outPercent = percent;
    if (outBars) *outBars = bars;
}

// ---------------------------------------------------------------- upkeep

void CRole::UpdatePools() {
    const uint32_t phase = m_TickCount % 28;
    if (phase == 3 && m_Camp >= 10000 && m_Camp <= 60000) {
        if (g_CurScene && g_CurScene->GetScnType() == 0) {
            AddST(GetSTRegen());
        } else if ((m_RoleBits & kRoleBitRunning) && m_Motion != kMotionStand) {
            AddST(-GetSTDrain());
            if (m_St < 5.0f) SetFlag(kRoleBitRunning, 0);
        } else if (HasState(kStateGuard)) {
            AddST(-2.0f * GetSTDrain());
            if (m_St < 5.0f) GiveOrder(16, 0, 0, 0, 0, 0);
        } else {
            AddST(GetSTRegen());
        }
    }
    if (m_PendingHp != 0) {
        const int32_t step = std::max(1, ToInt(GetHPRegen()));
        if (m_PendingHp < 0) {
            m_PendingHp = Sat(int64_t{m_PendingHp} + step);
            if (m_PendingHp >= 1) m_PendingHp = 0;
        } else {
            m_PendingHp = Sat(int64_t{m_PendingHp} - int64_t{step} * 4);
            if (!AddHP(static_cast<float>(step) * 4.0f) || m_PendingHp < 0) m_PendingHp = 0;
        }
    }
    if (m_PendingQi != 0) {
        const int32_t step = std::max(1, ToInt(GetQiRegen()));
        if (m_PendingQi < 0) {
            m_PendingQi = Sat(int64_t{m_PendingQi} + step);
            if (m_PendingQi >= 1) m_PendingQi = 0;
        } else {
            m_PendingQi = Sat(int64_t{m_PendingQi} - int64_t{step} * 4);
            if (!AddQi(static_cast<float>(step) * 4.0f) || m_PendingQi < 0) m_PendingQi = 0;
        }
    }
    if (phase == 1) {
        for (int32_t k = 0; k < 128; ++k) {
            if (!m_StateCountdowns[k]) continue;
            if (--m_StateCountdowns[k] == 0) SetState(k, 0, 0, nullptr);
        }
    }
    if (phase == 5) {
        const int32_t kind = m_pModelRow ? m_pModelRow->GetInt(31) : 0;
        if (kind != 20 && kind != 21) {
            AddHP(GetHPRegen());
            AddQi(GetQiRegen());
        }
    }
}

// ---------------------------------------------------------------- the record's sheet

void CRole::SaveToSheet() { RoleSaveToSheet(this, GetRecord()); }

void CRole::LoadFromSheet() {
    CRoleData* rec = GetRecord();
    if (!rec) return;
    SetName(rec->m_Name.c_str());
    SetPictureName(rec->m_PictureName.c_str());
    if (m_pSprite && !rec->m_SpritePartName.empty()) SetRoleSpriteParts(m_pSprite, rec->m_SpritePartName.c_str());
    m_Hp = rec->m_HP > 0 ? static_cast<float>(rec->m_HP) : 1.0f;
    m_Qi = static_cast<float>(rec->m_Qi);
    m_Nu = rec->m_Nu;
}
