// Skills in use: the learnt rows of the player's record, what a skill
// costs and whether the role can pay it and has the body parts for it,
// range and reach, the use itself and combo chains.
//
// Fields of a skill definition read here:
//   Qi and Nu cost percentages   column 6, items 1 and 2 (col6[0], col6[1])
//   body-part requirement code   column 4
//   minimum distance             column 12 (distance2)
#include <algorithm>
#include <climits>
#include <cmath>

#include "core/txt_table.h"
#include "gfx/role_sprite.h"
#include "roles/magic/effect_calls.h"
#include "roles/magic/magic.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/role/role_numbers.h"
#include "roles/tables/skill_table.h"
#include "world/map/grid_search.h"
#include "world/map/map_grid.h"
#include "world/objects/handle_table.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"

using role_num::Sat;
using role_num::ToInt;

namespace {
constexpr int kRowSkillId = 1;
constexpr int kRowGroup = 3;
constexpr int kRowTreeSlot = 4;
constexpr int kRowQiCost = 11;
constexpr int kRowNuCost = 12;
constexpr int kRowRange = 13;


int CategoryOf(const CSkillDef* def) {
    const CSkillGopDef* gop = def ? g_SkillGopTable.GetAt(def->group) : nullptr;
    return gop ? gop->category : -1;
}

// Row cost times a percentage of one definition.
int64_t CostOf(const CTxtRow* row, int col, int32_t percent) {
    const int64_t base = row->HasValue(col) ? row->GetInt(col) : 0;
    return base * percent / 100;
}

int32_t Cost(const CRole* role, int32_t skillId, int wholeGroup, int col, int item) {
    const CSkillDef* def = skillId >= 0 ? g_SkillTable.GetAt(skillId) : nullptr;
    if (!def) return 0;
    const CTxtRow* row = role->GetSkillRow(def->group);
    if (!row) return 0;
    const CSkillGopDef* gop = g_SkillGopTable.GetAt(def->group);
    if (wholeGroup && gop && !gop->values.empty() && gop->values[0] == skillId) {
        int64_t sum = 0;
        for (int32_t id : gop->values)
            if (const CSkillDef* d = id >= 0 ? g_SkillTable.GetAt(id) : nullptr) sum += CostOf(row, col, d->col6[item]);
        return Sat(sum);
    }
    return Sat(CostOf(row, col, def->col6[item]));
}

bool Shown(const CRoleSprite* sprite, const char* part) { return sprite && IsRoleSpritePartShown(sprite, part); }
} // namespace

// ---------------------------------------------------------------- learnt rows

const CTxtRow* CRole::GetSkillRow(int32_t group) const {
    const CRoleData* rec = GetRecord();
    if (!rec) return nullptr;
    for (int32_t id : rec->m_LearnedSkills)
        if (const CTxtRow* r = g_PlayerSkillTable.GetRow(id); r && r->GetInt(kRowGroup) == group) return r;
    return nullptr;
}

int32_t CRole::GetSkillLevel(int32_t group) const {
    if (!GetRecord()) return -2;
    const CTxtRow* r = GetSkillRow(group);
    return r ? r->GetInt(kRowSkillId) : -1;
}

int32_t CRole::GetSkillBonus(int32_t group) const {
    const CRoleData* rec = GetRecord();
    return rec ? rec->CountSkillPower(group) : 0;
}

const CTxtRow* CRole::GetSkillRowBySlot(int32_t slot) const {
    const CRoleData* rec = GetRecord();
    if (!rec) return nullptr;
    for (int32_t id : rec->m_LearnedSkills)
        if (const CTxtRow* r = g_PlayerSkillTable.GetRow(id); r && r->GetInt(kRowTreeSlot) == slot) return r;
    return nullptr;
}

// ---------------------------------------------------------------- costs

int32_t CRole::GetSkillQiCost(int32_t skillId, int wholeGroup) const { return Cost(this, skillId, wholeGroup, kRowQiCost, 0); }
int32_t CRole::GetSkillNuCost(int32_t skillId, int wholeGroup) const { return Cost(this, skillId, wholeGroup, kRowNuCost, 1); }

int CRole::CanUseSkill(const CSkillDef* skill) {
    if (!skill) return 0;
    const int32_t qi = GetSkillQiCost(skill->id, 1);
    if (qi != 0 && static_cast<float>(qi) > m_Qi) return 0;
    const int32_t nu = GetSkillNuCost(skill->id, 1);
    if (nu != 0 && nu > m_Nu) return 0;
    if (CategoryOf(skill) == 3 && g_CurScene && g_CurScene->GetScnType() < 2) return 0;
    const CRoleSprite* s = m_pSprite;
    switch (skill->col4) {
    case 1: return Shown(s, "LA") ? 1 : 0;
    case 2: return Shown(s, "RA") ? 1 : 0;
    case 3: return Shown(s, "RA") || Shown(s, "LA") ? 1 : 0;
    case 4: return Shown(s, "HD") ? 1 : 0;
    case 5: return Shown(s, "RH") ? 1 : 0;
    case 6: return Shown(s, "RA") && Shown(s, "LA") ? 1 : 0;
    case 7: return Shown(s, "RF") && Shown(s, "LF") ? 1 : 0;
    case 8: return Shown(s, "LH") ? 1 : 0;
    default: return 1;
    }
}

void CRole::PaySkillCost(const CSkillDef* skill) {
    if (!skill) return;
    CRoleData* rec = GetRecord();
    if (CategoryOf(skill) == 3) {
        if (m_Camp >= 10000 && m_Camp <= 60000 && m_ReservedItem != -1) {
            if (rec) rec->UseItem(rec->GetItem(m_ReservedItem));
            m_ReservedItem = -1;
        }
        return;
    }
    if (!rec) return;
    const int32_t qi = GetSkillQiCost(skill->id, 0);
    const int32_t nu = GetSkillNuCost(skill->id, 0);
    if (m_PendingQi < 1) m_PendingQi = Sat(int64_t{m_PendingQi} - qi);
    AddQi(-static_cast<float>(qi));
    const RoleFlag* free = rec->FindFlagQuiet("xdjsy");
    if (!free || free->m_Value != 10) AddNu(-nu, 0);
}

// ---------------------------------------------------------------- range

int32_t CRole::GetSkillRange(int32_t skillId) const {
    const CSkillDef* def = skillId >= 0 ? g_SkillTable.GetAt(skillId) : nullptr;
    if (!def) return 0;
    if (def->range < 1) return def->range == INT32_MIN ? INT32_MAX : -def->range;
    const CTxtRow* row = GetSkillRow(def->group);
    if (!row || !row->HasValue(kRowRange)) return def->range;
    int32_t k = row->GetInt(kRowRange);
    if (k < 0) {
        const CTxtRow* other = k == INT32_MIN ? nullptr : g_PlayerSkillTable.GetRow(-k);
        if (!other || !other->HasValue(kRowRange)) return def->range;
        k = other->GetInt(kRowRange);
    }
    return Sat(int64_t{def->range} * k);
}

int CRole::IsInSkillReach(int32_t skillId, int32_t distance) const {
    const int64_t r = GetSkillRange(skillId);
    const int64_t reach = r <= 64 ? r - 16 : r <= 128 ? r - 32 : r <= 192 ? r - 48 : r - 96;
    if (distance >= reach) return 0;
    const CSkillDef* def = skillId >= 0 ? g_SkillTable.GetAt(skillId) : nullptr;
    // An empty cell (65535) names no minimum either.
    if (def && def->distance2 != 0 && def->distance2 != 65535 && distance < def->distance2) return 0;
    return 1;
}

int32_t CRole::GetSkillRangeCells(int32_t skillId) const {
    const CSkillDef* def = skillId >= 0 ? g_SkillTable.GetAt(skillId) : nullptr;
    if (!def) return 0;
    if (!GetSkillRow(def->group)) return def->rangeCells;
    // The value is the role's own: the shared definition keeps its cells.
    return std::max(GetSkillRange(skillId) / 64, 1);
}

// ---------------------------------------------------------------- use

CMagic* CRole::UseSkill(int32_t skillId, const CGamePoint* point, ObjHandle target) {
    const CSkillDef* def = GetKnownSkill(skillId);
    if (!def || !CanUseSkill(def)) return nullptr;
    CRole* t = AsRole(ResolveHandle(target));
    if (t && m_TargetHandle == 0) SetTarget(t, 0);
    CGamePoint aim{m_X, m_Y};
    if (point) aim = *point;
    else if (t) aim = {t->m_X, t->m_Y};
    if (GetSkillRange(skillId) != 0 && (point || t)) FaceTo(aim, {m_X, m_Y});
    CAttachedMagicList* list = g_CurMagicList;
    CMagic* magic = list ? list->CreateAttachedMagic(m_Handle, skillId, point, target) : nullptr;
    if (!magic) return nullptr;
    if (!magic->m_OwnCost) PaySkillCost(def);
    m_QueuedOrder[0] = -1;
    return magic;
}

// The chain: m_SkillAux2 the group, m_SkillAux3 the index in its list.
void CRole::SetComboChain(const CSkillDef* skill) {
    if (!skill) return;
    m_SkillAux2 = skill->group;
    const CSkillGopDef* gop = g_SkillGopTable.GetAt(skill->group);
    m_SkillAux3 = gop ? gop->FindValue(skill->id) : -1;
}

CMagic* CRole::UseNextComboSkill(const CGamePoint* point, ObjHandle target) {
    const int32_t id = g_SkillGopTable.GetValue(m_SkillAux2, m_SkillAux3 + 1);
    if (id < 0) return nullptr;
    if (!CanUseSkillNow(id)) return nullptr;
    return UseSkill(id, point, target);
}

int32_t CRole::GetListedSkill(int32_t i) const {
    if (!m_pSkillRow || i < 0 || i >= std::min(m_pSkillRow->GetInt(1), 200) || !m_pSkillRow->HasValue(2 + i)) return -1;
    const int32_t group = m_pSkillRow->GetInt(2 + i);
    // Without a record a listed group counts as learnt.
    if (GetRecord() && !GetSkillRow(group)) return -1;
    return group;
}

int CRole::CastAtCell(int32_t x, int32_t y, int32_t spread) {
    if (!HasState(kStateAlerted) || (m_Camp >= 10000 && m_Camp <= 60000)) return 0;
    if (SelectSkill(9) < 0) return 0;
    const CSkillDef* skill = GetCurrentSkill();
    if (!skill) return 0;
    CGamePoint cell{x, y};
    if (spread >= 2) cell = FindOpenDirPoint(cell, spread - 1);
    if (!g_CurMapGrid || !g_CurMapGrid->FindNearestFree(&cell, m_WalkClass, 6)) return 0;
    const CGamePoint mine = GetCell();
    const double dx = cell.x - mine.x, dy = cell.y - mine.y;
    if (std::sqrt(dx * dx + dy * dy) < 6.0) return 0;
    if (CanUseSkillNow(skill->id)) {
        SetMotion(kMotionStand, 0, 0, 0);
        const CGamePoint centre{cell.x * 64 + 32, cell.y * 64 + 32};
        UseSkill(skill->id, &centre, 0);
    }
    return 1;
}
