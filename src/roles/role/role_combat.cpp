// One hit of a magic object on a role, from the dodge roll to death; the
// combo that decides whether the player's hits still count; stagger; and
// what a kill gives: experience, notices and drops.
//
// The combo's skill groups and attackers are the role's two change lists;
// its weight is comboLoad.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "core/define_values.h"
#include "core/txt_table.h"
#include "platform/random.h"
#include "roles/items/drops.h"
#include "roles/magic/magic.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/role/role_numbers.h"
#include "roles/role_hooks.h"
#include "roles/save_mgr.h"
#include "roles/tables/skill_table.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_sound.h"

using role_num::Sat;
using role_num::ToInt;

namespace {
constexpr int32_t kStateNoDodge = 63;
constexpr int32_t kStateWeak = 64;
constexpr int32_t kStateDoubleHit = 59;
constexpr int32_t kStateSoften = 44;

bool IsPlayerCampValue(int32_t camp) { return camp >= 10000 && camp <= 60000; }

bool ListHas(const RoleChangeList& l, int32_t v) {
    for (const RoleChangeNode* n = l.head; n; n = n->next)
        if (n->value[0] == v) return true;
    return false;
}
void ListAdd(RoleChangeList& l, int32_t v) {
    auto* n = new RoleChangeNode;
    n->value[0] = v;
    if (l.tail) l.tail->next = n;
    else l.head = n;
    l.tail = n;
    ++l.count;
}

int32_t LevelOf(const CRole* r) { return r && r->m_pLevelRow ? r->m_pLevelRow->GetInt(2) : 0; }

// e x L x f / (D x M + L x f); -1 when the denominator is not positive
// (the element is then skipped).
int64_t ElementShare(int64_t e, int64_t level, int64_t f, int64_t defence, int64_t max) {
    const int64_t den = defence * max + level * f;
    return den > 0 ? e * level * f / den : -1;
}

void PlaySoundAt(int32_t id, int32_t x, int32_t y) {
    if (g_WorldSound.playEffectAt) g_WorldSound.playEffectAt(id, {x, y}, 0);
}
} // namespace

// ---------------------------------------------------------------- hit resolution

int CRole::ResolveHit(CMagic* magic) {
    if (!magic) return 0;
    const CSkillDef* def = magic->GetSkill();
    int32_t d = std::abs(GetDir8({m_X, m_Y}, {magic->m_X, magic->m_Y}) - GetFacing8());
    if (d > 4) d = 8 - d;
    const int32_t dodgeFactor = GetDodgeFactor(d);

    CRole* attacker = magic->GetOwnerRole();
    if (!attacker) return 0;

    const int32_t hit = ToInt(static_cast<double>(static_cast<float>(attacker->GetHR()) * magic->GetScaledA()));
    int32_t defence = 0;
    const int32_t dp = GetDP();
    if (m_Posture == kPostureHeld) defence = 1;
    else if (m_Motion != kMotionStand) defence = dp / 4;
    else if (m_Kind != 60 && m_Posture != 0) defence = dp / 3;
    else defence = dp;
    int32_t dodge = Sat(int64_t{defence} * dodgeFactor / 100);
    if (HasState(kStateNoDodge)) dodge = ToInt(dodge * 0.5);

    if (dodge > 2 && plat::Rand() % dodge >= hit) return 0;

    int32_t damage = ToInt(static_cast<double>(static_cast<float>(attacker->GetAP()) * magic->GetScaledB()));
    if (attacker->HasState(kStateWeak)) damage = ToInt(damage * 0.5);
    const int64_t level = LevelOf(attacker);
    const int32_t maxDp[3] = {g_MaxIceDp, g_MaxFireDp, g_MaxPoisonDp};
    const int32_t ownDp[3] = {GetIceDP(), GetFireDP(), GetPoisonDP()};
    int32_t element[3];
    for (int i = 0; i < 3; ++i) {
        element[i] = magic->GetLevelPercent(i);
        if (element[i] > 0)
            if (const int64_t e = ElementShare(element[i], level, 50, ownDp[i], maxDp[i]); e >= 0) damage = Sat(damage + e);
    }

    if (m_pModelRow && m_pModelRow->HasValue(37) && m_pModelRow->GetInt(37) > 0 && damage != 0 &&
        plat::Rand() % 5 == 1)
        PlaySoundAt(m_pModelRow->GetInt(37), m_X, m_Y);

    const int32_t aiKind = m_pModelRow ? m_pModelRow->GetInt(31) : 0;
    if (aiKind == 20 || aiKind == 21) {
        SelectSkill(3);
        if (const CSkillDef* skill = GetCurrentSkill()) {
            if (m_pBoundMagic) m_pBoundMagic->Remove();
            CGamePoint p{m_X, m_Y};
            MoveDir8(p, GetDir8({m_X, m_Y}, {magic->m_X, magic->m_Y}), 192);
            GiveOrder(10, skill->id, p.x, p.y, 0, 0);
        }
        HandleDeathDrops(0, 0);
        ClearCurrentSkill();
        m_Hp -= 1.0f;
        if (aiKind == 21) {
            AddStagger(1);
            SetPosture(kPostureStagger);
            DropRoll(1);
        }
        return 0;
    }

    if (HasState(kStateBusy)) SetState(kStateBusy, 0, 0, nullptr);
    if (attacker->m_Camp == m_Camp) damage = ToInt(damage * 0.5);
    if (m_ChangeList2.count > 1) damage /= m_ChangeList2.count;
    damage = std::max(damage, 1);

    const int32_t ap = attacker->GetAP();
    // A divisor below 1 gives the cap, as an endless ratio would.
    float r = 8.0f;
    if (ap >= 1) {
        r = static_cast<float>(damage) / static_cast<float>(ap);
        if (r > 3.0f) r = std::min((r - 3.0f) * 0.1f + 3.0f, 8.0f);
    }
    attacker->AddNu(ToInt(attacker->GetNuFactor() * r), 1);
    const int32_t maxHp = GetMaxHP();
    r = 10.0f;
    if (maxHp >= 1) {
        r = static_cast<float>(damage) / static_cast<float>(maxHp) * 25.0f;
        if (r > 3.0f) r = std::min((r - 3.0f) * 0.125f + 3.0f, 10.0f);
    }
    AddNu(ToInt(GetNuFactor() * r), 1);

    CRoleData* rec = GetRecord();
    const int32_t recDp[3] = {rec ? rec->GetIceDp() : 0, rec ? rec->GetFireDp() : 0, rec ? rec->GetPoisonDp() : 0};
    if (def && def->sideState != 0 && def->sideState != 65535 && def->sideStateChance > 0) {
        int64_t c = def->sideStateChance;
        const int32_t roll = plat::Rand() % 100;
        if (rec)
            for (int i = 0; i < 3; ++i)
                if (const int64_t q = ElementShare(1, level, 100, recDp[i], maxDp[i]); element[i] > 0 && q >= 0) c *= q;
        if (roll < c) {
            if (def->sideState == kStateDoubleHit) {
                damage = Sat(int64_t{damage} * 2);
            } else {
                int64_t p = def->sideStateParam;
                if (rec)
                    for (int i = 0; i < 3; ++i)
                        if (const int64_t q = ElementShare(1, level, 50, recDp[i], maxDp[i]); element[i] > 0 && q >= 0) p *= q;
                SetState(def->sideState, 1, Sat(p), magic);
            }
        }
    }

    int32_t stagger = ToInt(static_cast<double>(static_cast<float>(attacker->GetSH()) * magic->GetScaledC()));
    if (HasState(kStateSoften)) {
        damage = ToInt(damage * 0.5);
        stagger = ToInt(stagger * 0.5);
    } else if (HasState(kStateSteadyA)) {
        damage = 1;
        stagger = 1;
    }
    if (stagger / 2 > 0) stagger = stagger + plat::Rand() % (stagger / 2) - stagger / 4;
    AddStagger(stagger);

    if (def && def->col27 == 0) DropRoll(1);
    if (def && def->alwaysState[0] != 0 && def->alwaysState[0] != 65535)
        SetState(def->alwaysState[0], 1, def->alwaysState[1], magic);

    const float before = m_Hp;
    AddHP(-static_cast<float>(damage));
    if (m_PendingHp <= 0) m_PendingHp = Sat(int64_t{m_PendingHp} - ToInt(before - m_Hp));

    if (m_Hp <= 0.0f) {
        if (m_DeathAction >= 0) PlayDeathOnce();
        Die(def ? def->deathMode : 0, 0);
    }
    m_HitFlag = 1;
    return 1;
}

// ---------------------------------------------------------------- stagger

void CRole::SetStaggerThreshold(int initial) {
    const int32_t max = GetMaxHP();
    if (initial) {
        const int32_t parts = m_pModelRow ? m_pModelRow->GetItemCount(24) : 0;
        m_StaggerThreshold = parts >= 2 ? max / parts : max;
    } else if (max / 4 > 2) {
        const int32_t grow = plat::Rand() % (max / 4) + max / 6;
        m_StaggerThreshold = Sat(int64_t{m_StaggerThreshold} + grow);
    }
    m_StaggerAccum = 0;
}

void CRole::AddStagger(int32_t s) {
    m_StaggerAccum = Sat(int64_t{m_StaggerAccum} + s);
    if (m_StaggerAccum <= m_StaggerThreshold) return;
    if (CanLosePart() && int64_t{m_StaggerAccum} <= int64_t{m_StaggerThreshold} * 2) return;
    LosePart(0);
}

// ---------------------------------------------------------------- combo

int CRole::CountComboHit(CMagic* magic) {
    if (!magic) return 0;
    if (m_ComboHits == 0.0f) m_ComboStartHp = static_cast<float>(ToInt(m_Hp));
    m_ComboHits += 1.0f;
    const ObjHandle who = magic->m_OwnerHandle;
    if (who && !ListHas(m_ChangeList2, static_cast<int32_t>(who))) ListAdd(m_ChangeList2, static_cast<int32_t>(who));
    if (m_ChangeList2.count > 2 && m_ComboHits > 3.0f) return 0;
    CRole* attacker = magic->GetOwnerRole();
    if (!attacker || attacker->m_Kind != 60) return 1;
    const int32_t g = m_ChangeList1.count;
    float limit = static_cast<float>(g + 1) * 0.8f + 0.2f;
    if (attacker->HasState(kStateHalo)) limit *= 2.0f;
    const CSkillDef* skill = magic->GetSkill();
    const int32_t group = skill ? skill->group : -1;
    if (const CTxtRow* row = skill ? attacker->GetSkillRow(group) : nullptr) {
        if (!ListHas(m_ChangeList1, group)) ListAdd(m_ChangeList1, group);
        if (!row->HasValue(19)) return 1;
        const float per = row->GetFloat(19);
        // Below 1 the weight would grow without end: nothing is added.
        if (per >= 1.0f) m_ComboLoad += 1.0f / per;
        return m_ComboLoad < static_cast<float>(m_ChangeList1.count) * 0.8f + 0.2f ? 1 : 0;
    }
    if (limit <= m_ComboLoad) return 0;
    const CSkillGopDef* gop = g_SkillGopTable.GetAt(group);
    const int32_t n = gop ? static_cast<int32_t>(gop->values.size()) : 0;
    if (n >= 1) m_ComboLoad += (static_cast<float>(g) * 0.1f + 0.2f) / static_cast<float>(n);
    return 1;
}

void CRole::ResetCombo(int force) {
    if (!force && m_Hp >= 1.0f) return;
    m_ComboLoad = 0.0f;
    m_ChangeList1.Clear();
    m_ChangeList2.Clear();
    m_ComboHits = 0.0f;
}

int32_t CRole::GetComboRating() {
    CRole* attacker = AsRole(GetLastAttacker());
    if (!attacker || !IsPlayerCampValue(attacker->m_Camp)) return 0;
    int32_t a = 0;
    const int64_t lost = int64_t{ToInt(m_ComboStartHp)} - ToInt(m_Hp);
    const int32_t ap = attacker->GetAP();
    if (ap > 0 && lost > ap) a = static_cast<int32_t>(std::min<int64_t>(lost / ap, 30));
    const int32_t g = std::min((m_ChangeList1.count - 3) * 6, 30);
    const int32_t h = ToInt(m_ComboHits);
    const int32_t hp = h <= 18 ? std::min(h - 3, 40) : std::min((h - 18) / 2 + 15, 40);
    return hp + g + a;
}

// ---------------------------------------------------------------- kill rewards

void CRole::OnKillReward() {
    CRole* killer = AsRole(GetLastAttacker());
    if (!killer || !IsPlayerCampValue(killer->m_Camp)) return;
    CRole* credited = killer;
    CRoleData* rec = killer->GetRecord();
    bool half = false;
    if (!rec) {
        // A follower's kill goes to the record that lists it, at half.
        CRoleData* local = g_RoleHooks.getLocalPlayerRecord ? g_RoleHooks.getLocalPlayerRecord() : nullptr;
        if (local && local->HasFollower(killer->m_Handle)) {
            rec = local;
            credited = AsRole(local->GetRole());
            half = true;
        }
    }
    const int32_t rating = GetComboRating();
    if (!rec || !m_pLevelRow || !m_pLevelRow->HasValue(16)) return;
    if (rating > 20) {
        const char* label = g_TextTable.GetCell(188, 1);
        char text[256];
        std::snprintf(text, sizeof text, "%s: %d", label ? label : "", rating);
        RoleNotice(text);
        const int sound = rating <= 40 ? 279 : rating <= 70 ? 280 : 281;
        if (g_WorldSound.playEffect) g_WorldSound.playEffect(sound, 0, 50, 0);
    }
    int64_t exp = m_pLevelRow->GetInt(16);
    int64_t gap = int64_t{rec->m_Level} - LevelOf(this);
    if (g_SaveMgr.m_Difficulty == 2) gap -= 6;
    else if (g_SaveMgr.m_Difficulty == 3) gap -= 12;
    if (gap > 5 && gap < 15) exp = (15 - gap) * exp / 10;
    else if (gap >= 15) exp = exp / 20;
    if (half) exp /= 2;
    exp = std::max<int64_t>(exp, 1);
    // A leader whose role is not in this world still gains on its record.
    if (credited) credited->AddExp(Sat(exp));
    else rec->AddExp(Sat(exp));
    if (rating > 20) HandleDeathDrops(1, rating);
}

void CRole::HandleDeathDrops(int killed, int32_t rating) {
    if (g_CurObjMng) g_CurObjMng->DropProps(this, killed);
    if (g_CurScene && g_CurScene->GetScnType() >= 2 && m_pModelRow)
        GenerateDrops(m_pModelRow->GetInt(1), {m_X, m_Y}, rating);
}

void CRole::PlayDeathOnce() {
    if (m_DeathPlayed) return;
    m_DeathPlayed = 1;
    HandleDeathDrops(1, 0);
    if (m_pModelRow && m_pModelRow->HasValue(38)) PlaySoundAt(m_pModelRow->GetInt(38), m_X, m_Y);
}

void CRole::AddExp(int32_t amount) {
    CRoleData* rec = GetRecord();
    if (!rec) return;
    const int32_t level = rec->m_Level;
    rec->AddExp(amount);
    if (rec->m_Level == level) return;
    AddHP(static_cast<float>(rec->GetMaxHP()) * 0.33333334f);
    AddQi(static_cast<float>(rec->GetMaxQi()) * 0.33333334f);
    SetState(kStateLevelUp, 1, 0, nullptr);
}

int32_t CRole::GetStrength() { return Sat(int64_t{GetAP()} * ToInt(m_Hp)); }

CRole* CRole::FindStrongerRole() {
    const int32_t mine = GetStrength();
    if (CRole* t = AsRole(GetTargetRole()); t && t->GetStrength() > mine) return t;
    if (!IsPlayerCampValue(m_Camp)) return nullptr;
    for (CRole* r = FindFirstRoleNear(0, 10); r; r = FindNextRoleNear())
        if (r->GetStrength() > mine) return r;
    return nullptr;
}

// ---------------------------------------------------------------- hooks

void InstallCombatHooks() {
    g_SceneHooks.saveToSheet = [](CGameObj* role) {
        if (CRole* r = AsRole(role)) r->SaveToSheet();
    };
    g_SceneHooks.loadFromSheet = [](CGameObj* role) {
        if (CRole* r = AsRole(role)) r->LoadFromSheet();
    };
    InstallMagicHooks();
}
