// The skill choice and the orders built on it: which listed skill a role
// takes for a purpose (its use kind), the movement skill instead of a walk,
// skills ahead, toward the facing or on the target, the dodge around the
// target and the step back of a role too close for its skill.
//
// The skill list holds skill groups (as the rest of the role code reads
// it); a listed group stands for its first "Skill.gop" value, which is what
// the current skill then names. The weight of a group in the open draw is
// its learnt level in the record (roles without a record weigh 1 each).
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/txt_table.h"
#include "platform/random.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "world/map/grid_search.h"
#include "world/map/map_grid.h"
#include "world/objects/proximity.h"
#include "world/scene/world_globals.h"
#include "world/sky/game_clock.h"

namespace role_orders_skills {

constexpr int32_t kAheadPixels = 64;
constexpr int32_t kDodgeBar = 28 / 3;
constexpr int32_t kDodgeReach = 128;
constexpr int32_t kMoveSkillKind = 1;

const CSkillDef* GroupSkill(int32_t group) {
    const int32_t id = g_SkillGopTable.GetValue(group, 0);
    return id >= 0 ? g_SkillTable.GetAt(id) : nullptr;
}

int32_t CellDist(const CGamePoint& a, const CGamePoint& b) {
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y;
    return static_cast<int32_t>(std::sqrt(dx * dx + dy * dy));
}

} // namespace role_orders_skills

using namespace role_orders_skills;

int32_t CRole::SelectSkill(int32_t kind) {
    if (!m_pSkillRow) return -1;
    const int32_t n = std::clamp(m_pSkillRow->GetInt(1), 0, 200);
    struct Candidate {
        int32_t index;
        int32_t weight;
    };
    std::vector<Candidate> open;
    int32_t chosen = -1;
    int32_t k = 0;
    const int32_t hp = kind == -1 ? GetHPPercent() : 0;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t group = GetListedSkill(i);
        if (group < 0) continue;
        const CSkillDef* def = GroupSkill(group);
        if (!def || !CanUseSkill(def)) continue;
        if (kind != -1) {
            if (def->kind != kind) continue;
            ++k;
            if (k < 2 || plat::Rand() % k == 0) chosen = i;
            continue;
        }
        if ((def->kind == 10 && hp < 20) || (def->kind == 11 && hp < 35) || (def->kind == 12 && hp < 50)) {
            chosen = i;
            open.clear();
            break;
        }
        const int32_t level = GetRecord() ? GetSkillLevel(group) : 1;
        if (level == 7) continue;
        open.push_back({i, std::max(level, 0)});
    }
    if (kind == -1 && chosen < 0 && !open.empty()) {
        int64_t sum = 0;
        for (const Candidate& c : open) sum += c.weight;
        chosen = open.front().index;
        if (sum > 0) {
            int64_t roll = plat::Rand() % std::min<int64_t>(sum, INT32_MAX);
            for (const Candidate& c : open) {
                if (roll < c.weight) {
                    chosen = c.index;
                    break;
                }
                roll -= c.weight;
            }
        }
    }
    if (chosen < 0) {
        // Callers read the current skill next: none must not leave an old one.
        ClearCurrentSkill();
        return -1;
    }
    SetCurrentSkill(chosen, 0);
    return chosen;
}

int CRole::MoveBySkill(int32_t x, int32_t y, int32_t range) {
    if (IsPlayerCampRange() || !HasState(kStateHidden)) return 0;
    if (SelectSkill(kMoveSkillKind) < 0) return 0;
    const CSkillDef* skill = GetCurrentSkill();
    if (!skill) return 0;
    CGamePoint goal{x, y};
    if (range > 1) goal = FindOpenDirPoint(goal, range);
    const CGamePoint own = GetCell();
    const int32_t dist = CellDist(own, goal);
    CGamePoint cell = goal;
    if (!g_CurMapGrid || !g_CurMapGrid->FindNearestFree(&cell, m_WalkClass, dist)) return 0;
    if (dist <= 5 || !CanUseSkillNow(skill->id)) return 0;
    SetMotion(kMotionStand, 0, 0, 0);
    const CGamePoint centre{cell.x * 64 + 32, cell.y * 64 + 32};
    UseSkill(skill->id, &centre, 0);
    return 1;
}

void CRole::AttackOrMove(const CGamePoint& point) {
    const CSkillDef* skill = SelectSkill(8) >= 0 ? GetCurrentSkill() : nullptr;
    if (skill) {
        GiveOrder(10, skill->id, point.x * 64 + 32, point.y * 64 + 32, 0, 0);
    } else {
        GiveOrder(2, point.x, point.y, 0, 0, 0);
    }
}

void CRole::UseSkillTowardFacing() {
    const CSkillDef* skill = SelectSkill(14) >= 0 ? GetCurrentSkill() : nullptr;
    if (!skill) return;
    CGamePoint p{m_X, m_Y};
    MoveDir8(p, GetFacing8(), kAheadPixels);
    GiveOrder(10, skill->id, p.x, p.y, 0, 0);
}

void CRole::UseSkillAhead() {
    const CSkillDef* skill = SelectSkill(4) >= 0 ? GetCurrentSkill() : nullptr;
    if (!skill) return;
    CGamePoint p{m_X, m_Y};
    MoveDir8(p, GetFacing8(), kAheadPixels);
    // Queued first: a use that starts now drops it, one that cannot is
    // retried.
    QueueOrder(10, skill->id, p.x, p.y);
    GiveOrder(10, skill->id, p.x, p.y, 0, 0);
}

void CRole::UseSkillOnTarget(CRole* role) {
    if (role) {
        SetTarget(role, 1);
        if (const CSkillDef* skill = SelectSkill(5) >= 0 ? GetCurrentSkill() : nullptr) GiveOrder(11, skill->id, static_cast<int32_t>(role->m_Handle), 0, 0, 0);
        return;
    }
    const CSkillDef* skill = SelectSkill(5) >= 0 ? GetCurrentSkill() : nullptr;
    if (!skill) return;
    int32_t dir = GetFacing8();
    if (plat::Rand() % 3 == 0) dir = plat::Rand() % 8;
    CGamePoint p{m_X, m_Y};
    MoveDir8(p, dir, kAheadPixels);
    GiveOrder(10, skill->id, p.x, p.y, 0, 0);
}

int CRole::TryDodge() {
    const int32_t now = GetGameTickCount();
    if (std::abs(now - static_cast<int32_t>(m_LastDodgeTick)) <= kDodgeBar) return 0;
    if (!IsPosture(kPostureNone) || m_Motion > kMotionWalk || HasMount() || !HasState(kStateAlerted)) return 0;
    CGameObj* target = GetTargetRole();
    if (!target || ObjectDistance(this, target) > kDodgeReach) return 0;
    SetMotion(kMotionArc, target->m_X, target->m_Y, GetDir8({target->m_X, target->m_Y}, {m_X, m_Y}));
    if (m_Motion != kMotionArc) return 0;
    SetState(kStateDodging, 1, 1, nullptr);
    SetAnimIndex(-1);
    m_LastDodgeTick = static_cast<uint32_t>(now);
    return 1;
}

void CRole::StepBackForSkill(const CGamePoint& point, int32_t skillId) {
    const CSkillDef* def = skillId >= 0 ? g_SkillTable.GetAt(skillId) : nullptr;
    const int32_t lo = def && def->distance2 != 65535 ? def->distance2Cells : 0;
    const int32_t hi = def ? def->rangeCells : 1;
    int32_t r = lo;
    if (hi - lo > 1) r = lo + plat::Rand() % (hi - lo);
    if (r >= 3) r -= 1;
    StepToReachableSpot(point, r);
}

void CRole::StepToReachableSpot(const CGamePoint& point, int32_t r) {
    const CGamePoint own = GetCell();
    for (int32_t offset = 0; offset < 7; offset += 4) {
        AttackOrMove(StepAwayToRange(point, own, r, offset));
        if (CanKeepMoving()) return;
    }
}

int CRole::IsPlayerCampRange() const { return m_Camp >= 10000 && m_Camp <= 60000 ? 1 : 0; }
