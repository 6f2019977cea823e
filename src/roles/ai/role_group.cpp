// Role groups and the circle formation.
#include "roles/ai/role_group.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/random.h"
#include "roles/role.h"
#include "roles/save_mgr.h"
#include "roles/tables/skill_table.h"
#include "world/scene/world_hooks.h"
#include "world/sky/game_clock.h"

namespace role_group {

CGamePoint GroupCell(const CGameObj* o) { return {o->m_X / 64, o->m_Y / 64}; }

int32_t Difficulty() { return std::clamp(g_SaveMgr.m_Difficulty, 0, 3); }

} // namespace role_group

using namespace role_group;

CRoleGroup::CRoleGroup(int32_t type, int32_t id, int32_t a, int32_t b, int32_t c) : m_Type(type), m_Id(id), m_Words{a, b, c} {}

CRoleGroup::~CRoleGroup() {
    for (CRole* r : m_Joined) r->m_pGroup = nullptr;
}

void CRoleGroup::Join(CRole* role) {
    role->m_pGroup = this;
    m_Joined.push_back(role);
}

void CRoleGroup::Leave(CRole* role) {
    RemoveMember(role->m_Handle);
    m_Joined.erase(std::remove(m_Joined.begin(), m_Joined.end(), role), m_Joined.end());
    role->m_pGroup = nullptr;
}

void CRoleGroup::AddMember(uint32_t handle) { m_Members.push_back(handle); }

void CRoleGroup::RemoveMember(uint32_t handle) { m_Members.remove(handle); }

void CRoleGroupCircle::Reset() {
    m_Rotation = plat::Rand() % 8;
    m_Leader = 0;
    m_Radius = 256;
}

CGamePoint CRoleGroupCircle::RingPoint(int32_t cx, int32_t cy, int32_t r, int32_t rotation, int32_t n, int32_t i) {
    const double spacing = 2.0 * std::numbers::pi / std::max(n, 1);
    const double angle = rotation * spacing + (i + 1) * spacing;
    return {cx + static_cast<int32_t>(r * std::sin(std::numbers::pi + angle)),
            cy + static_cast<int32_t>(r * std::cos(std::numbers::pi + angle))};
}

void CRoleGroupCircle::GroupAttack(CRole* target) {
    if (m_AttackCountdown >= 1) return;
    // Each member takes its own skill of use kind 5 for the target, as
    // UseSkillOnTarget chooses.
    for (CRole* m : m_Active) {
        if (m->m_Handle == m_Leader || !m->CanUseSkillNow(-1)) continue;
        if (m->SelectSkill(5) < 0) continue;
        if (const CSkillDef* s = m->GetCurrentSkill()) m->GiveOrder(11, s->id, static_cast<int32_t>(target->m_Handle), 0, 1, 0);
    }
    m_AttackCountdown = 14 + plat::Rand() % 14;
}

int CRoleGroupCircle::Update() {
    CRole* target = RoleOf(m_Target);
    if (!target || target->m_Dead) {
        m_Target = 0;
        return 0;
    }
    if (GetGameTickCount() % 5 != 0) return 0;
    m_Active.clear();
    for (uint32_t h : m_Members)
        if (CRole* r = RoleOf(h); r && !r->m_Dead && r->IsMobile()) m_Active.push_back(r);
    const int32_t n = static_cast<int32_t>(m_Active.size());
    if (n < 2) return 0;

    // The ring closes in on the group's radius over successive updates.
    const int32_t cx = target->m_X, cy = target->m_Y;
    const int32_t d = PointDistance({cx, cy}, {m_Active[0]->m_X, m_Active[0]->m_Y});
    const int32_t r = d - m_Radius >= m_Radius ? d - m_Radius : m_Radius;
    int planning = 1;
    for (int32_t i = 0; i < n; ++i) {
        CRole* m = m_Active[static_cast<size_t>(i)];
        const CGamePoint px = RingPoint(cx, cy, r, m_Rotation, n, i);
        const CGamePoint cell{px.x / 64, px.y / 64};
        if (!m->CanUseSkillNow(-1)) {
            if (plat::Rand() % 3 == 1) planning = 0;
        } else if (!m_Leader && m->m_Motion == kMotionStand) {
            const CGamePoint own = GroupCell(m);
            if (!(own == cell) && PointDistance(own, cell) > 2 && m->CanKeepMoving())
                m->GiveOrder(1, cell.x, cell.y, 0, 1, 0);
            if (plat::Rand() % 28 < 2)
                m->UseSkillOnTarget(target);
            else
                m->FaceTo({cx, cy}, {m->m_X, m->m_Y});
        }
        if (m->m_Posture == kPostureStagger) m_Leader = m->m_Handle;
    }
    if (m_AttackCountdown >= 0) --m_AttackCountdown;

    if (m_Leader) {
        CRole* leader = RoleOf(m_Leader);
        if (!leader) {
            m_Leader = 0;
            return 1;
        }
        if (PointDistance(GroupCell(leader), GroupCell(target)) < 5) {
            if (leader->m_Motion == kMotionStand) leader->StepAwayFrom(target, 6);
            static const int32_t kOdds[4] = {15, 30, 60, 100};
            if (plat::Rand() % 100 < kOdds[Difficulty()]) {
                m_AttackCountdown -= 28;
                GroupAttack(target);
            }
            return 1;
        }
        m_Leader = 0;
    }
    if (!planning) return 1;

    bool planned = false;
    int32_t k;
    if (!target->FindStrongerRole()) {
        k = plat::Rand() % 10;
        if (k == 8) m_Radius = 192;
        if (k == 9) m_Radius = 256;
        planned = PlanAttack();
    } else {
        k = plat::Rand() % 120;
        if (k < 20) m_Radius = 448;
    }
    bool attack = planned;
    if (k == 0) {
        ++m_Rotation;
    } else if (k == 1) {
        --m_Rotation;
    } else if (k == 2 && !target->FindStrongerRole()) {
        const bool hold = (m_Radius > 192 && plat::Rand() % 2 == 0) ||
                          (target->m_Motion == kMotionStand && plat::Rand() % 2 == 0);
        if (!hold) attack = true;
    }
    if (attack) GroupAttack(target);
    return 1;
}

bool CRoleGroupCircle::PlanAttack() {
    static const int32_t kPlan[4] = {2, 6, 10, 20};
    return plat::Rand() % 600 < kPlan[Difficulty()];
}

CRoleGroup* CRoleGroupMgr::Find(int32_t type, int32_t id) const {
    for (const auto& g : m_Groups)
        if (g->m_Type == type && g->m_Id == id) return g.get();
    return nullptr;
}

CRoleGroup* CRoleGroupMgr::AddMember(uint32_t handle, int32_t type, int32_t id, int32_t a, int32_t b, int32_t c) {
    CRoleGroup* g = Find(type, id);
    if (!g) {
        if (type != 1) return nullptr;
        auto circle = std::make_unique<CRoleGroupCircle>(id, a, b, c);
        circle->Reset();
        g = circle.get();
        m_Groups.push_back(std::move(circle));
    }
    g->AddMember(handle);
    return g;
}

int CRoleGroupMgr::UpdateAll() {
    for (const auto& g : m_Groups) g->Update();
    return 1;
}

void InstallRoleGroupHooks() {
    g_WorldHooks.createRoleGroups = []() { return new CRoleGroupMgr(); };
    g_WorldHooks.updateRoleGroups = [](CRoleGroupMgr* m) {
        if (m) m->UpdateAll();
    };
    g_WorldHooks.clearRoleGroups = [](CRoleGroupMgr* m) {
        if (m) m->RemoveAll();
    };
    g_WorldHooks.deleteRoleGroups = [](CRoleGroupMgr* m) { delete m; };
}
