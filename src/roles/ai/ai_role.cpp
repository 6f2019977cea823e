// The AI role's thinking: the tick's decision and the behaviours it calls.
#include "roles/ai/ai_role.h"

#include <algorithm>
#include <cmath>

#include "core/txt_table.h"
#include "gfx/anim.h"
#include "platform/random.h"
#include "roles/ai/role_group.h"
#include "roles/magic/magic.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "world/map/grid_search.h"
#include "world/map/line_walk.h"
#include "world/objects/obj_desc.h"
#include "world/objects/obj_mng.h"
#include "world/objects/proximity.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/sky/game_clock.h"

namespace ai_role {

constexpr int32_t kStateFleeing = 17;
constexpr int32_t kStateLocked = 18;
constexpr int32_t kRegroupTicks = 2 * 224;
constexpr int32_t kAiKindCol = 31;
constexpr int32_t kMoveClassCol = 27;
constexpr int32_t kBoundCol = 28;
constexpr int32_t kStandItemsCol = 12;
constexpr int32_t kAhead = 64;

CGamePoint AiCell(const CGameObj* o) { return {o->m_X / 64, o->m_Y / 64}; }

int32_t Euclid(const CGamePoint& a, const CGamePoint& b) { return PointDistance(a, b); }

bool IsCampMonster(int32_t camp) { return camp >= 0 && camp <= 99; }

} // namespace ai_role

using namespace ai_role;

CAiRole::CAiRole() {
    m_Kind = 40;
    SetPathCapacity(50);
}

int32_t CAiRole::AiKind() const { return ModelHas(kAiKindCol) ? ModelInt(kAiKindCol) : 0; }

int32_t CAiRole::Sight() const { return LevelHas(5) ? LevelInt(5) : 0; }

void CAiRole::RollAttackDelay() {
    // A script may set any reaction level; a negative one would make the
    // modulus zero or negative.
    const int32_t reaction = Reaction();
    m_AttackDelay = plat::Rand() % ((reaction + 2) * 9) + reaction * 9;
}

void CAiRole::Update() {
    if (m_Removed) return;
    CRole::Update();
    if (m_Removed || m_Dead) return;
    Think();
}

// ---------------------------------------------------------------- targets

void CAiRole::AcquireTarget() {
    if (HasState(kStateLocked) && GetTargetRole()) return;
    if (CRole* r = FindFirstRoleNear(0, -1)) {
        SetTarget(r, 1);
        if (!HasState(kStateAlerted)) {
            if (!OnFirstSight()) return;
            SetState(kStateAlerted, 1, 0, nullptr);
        }
        return;
    }
    if (m_LeaderHandle && m_Motion == kMotionStand) {
        ClearTarget();
        if (HasState(kStateAlerted)) SetState(kStateAlerted, 0, 0, nullptr);
    }
}

int CAiRole::OnFirstSight() {
    auto* rec = dynamic_cast<CObjDesc12*>(m_pDesc);
    if (rec && rec->m_Logic == 4) {
        rec->m_Logic = 10;
        const int32_t skill = rec->m_PatrolY;
        if (CGameObj* t = GetTargetRole()) {
            GiveOrder(9, skill, static_cast<int32_t>(t->m_Handle), 0, 1, 0);
        } else {
            CGamePoint p{m_X, m_Y};
            MoveDir8(p, rec->m_Dir & 7, kAhead);
            GiveOrder(10, skill, p.x, p.y, 1, 0);
        }
        if (!m_pBoundMagic) return 0;
    }
    if (!IsPlayerCampRange()) ClearCurrentSkill();
    return 1;
}

void CAiRole::PickNearTarget() {
    CGameObj* o = FindFirstRoleNear(0, -1);
    if (!o && g_WorldHooks.getSelectedRole) o = g_WorldHooks.getSelectedRole();
    if (!o || o->m_Kind < 30 || o->m_Kind > 100) return;
    SetTarget(o, 1);
    if (!HasState(kStateAlerted)) SetState(kStateAlerted, 1, 0, nullptr);
}

// ---------------------------------------------------------------- the leash

int CAiRole::UpdateLeash() {
    if (m_LeashMode != 2 || m_HomeX == -2) return 0;
    const CGamePoint own = AiCell(this);
    if (m_HomeX == -1) {
        m_HomeX = own.x;
        m_HomeY = own.y;
    }
    if (!GetTargetRole()) {
        if (m_LeashWord == 0 && Every(100, 3)) PickNearTarget();
        return 0;
    }
    if (!IsIdle() || m_Motion != kMotionStand || m_pBoundMagic) return 1;
    if (Every(33, 3)) PickNearTarget();
    CGameObj* t = GetTargetRole();
    if (!t) return 1;
    const CGamePoint tc = AiCell(t);
    const int32_t d = Euclid(tc, own);
    if (d >= 13) {
        if (Every(45, 3)) GiveOrder(1, tc.x, tc.y, 9, 1, 0);
    } else if (d < 9) {
        const CGamePoint home{m_HomeX, m_HomeY};
        const int32_t e = Euclid(home, own);
        if (e < 3)
            m_HomeX = -2;
        else
            GiveOrder(2, home.x, home.y, e - 8, 1, 0);
    } else if (CanUseSkillNow(-1) && Every(static_cast<uint32_t>(d * 22), 3)) {
        UseSkillOnTarget(AsRole(t));
    }
    return 1;
}

// ---------------------------------------------------------------- behaviours

int CAiRole::IsThreatened(CGameObj* castObject) {
    auto* m = dynamic_cast<CMagic*>(castObject);
    if (!m) return 0;
    const CSkillDef* s = m->GetSkill();
    // The flag word: a skill the caster holds until released.
    if (Reaction() < 3 && s && s->releaseFlag) return 0;
    CGameObj* t = GetTargetRole();
    if (!t) return 1;
    auto* tr = AsRole(t);
    int32_t dist = ObjectDistance(this, t);
    if (dist >= 65) dist -= 64;
    return s && tr && tr->IsInSkillReach(s->id, dist) ? 1 : 0;
}

void CAiRole::DodgeTarget() {
    CRole* t = AsRole(GetTargetRole());
    if (!t) {
        if (HasState(kStateGuard)) GiveOrder(16, 0, 0, 0, 1, 0);
        return;
    }
    if (m_Posture != kPostureNone) return;
    const int32_t reaction = Reaction();
    if (t->m_Posture == kPostureTumbling) {
        RollAttackDelay();
        if (!t->m_TumbleAux || plat::Rand() % 140 == 0) UseSkillOnTarget(t);
        return;
    }
    if (!CanRun()) return;
    if (!HasState(kStateGuard)) {
        if (plat::Rand() % (reaction * 9 + 1) != 0) return;
        auto* m = dynamic_cast<CMagic*>(t->m_pBoundMagic);
        if (m && IsThreatened(m) && m->GetSkill() && m->GetSkill()->scaleA > 0.0f) {
            GiveOrder(16, 1, 0, 0, 1, 0);
            FaceTo({t->m_X, t->m_Y}, {m_X, m_Y});
        }
        return;
    }
    if (plat::Rand() % (reaction * 9 + 4) == 0) FaceTo({t->m_X, t->m_Y}, {m_X, m_Y});
    if (IsThreatened(t->m_pBoundMagic)) return;
    GiveOrder(16, 0, 0, 0, 1, 0);
    if (plat::Rand() % (reaction * 10 + 1) < reaction * 6 + 2 && SelectSkill(2) >= 0) {
        const CSkillDef* s = GetCurrentSkill();
        if (s && IsInSkillReach(s->id, ObjectDistance(this, t)))
            GiveOrder(11, s->id, static_cast<int32_t>(t->m_Handle), 0, 1, 0);
    }
    ClearCurrentSkill();
}

int CAiRole::KeepDistance() {
    if (AiKind() != 1) return 0;
    CRole* t = AsRole(GetTargetRole());
    if (!t) return 0;
    const int32_t r = ObjectDistance(this, t);
    if (r < 128 && m_KeepAway) return 0;
    CRole* stronger = t->FindStrongerRole();
    if (!stronger || stronger == this) return 0;
    if (m_Motion != kMotionStand) return 1;
    if (r < 320) {
        StepAwayFrom(t, 6);
        return 1;
    }
    if (r > 512) {
        const CGamePoint tc = AiCell(t);
        GiveOrder(1, tc.x, tc.y, 6, 1, 0);
        return 1;
    }
    if (CanUseSkillNow(-1) && plat::Rand() % 112 == 5) UseSkillOnTarget(t);
    FaceTo({t->m_X, t->m_Y}, {m_X, m_Y});
    return 1;
}

int CAiRole::CastPeriodically() {
    const int32_t kind = AiKind();
    if (kind != 30 && kind != 31) return 0;
    if (!CanUseSkillNow(-1)) return 1;
    const int32_t period = LevelHas(6) ? LevelInt(6) : 0;
    if (period > 0 && !Every(static_cast<uint32_t>(period) * 56, 0)) return 1;
    const CSkillDef* s = SelectSkill(-1) >= 0 ? GetCurrentSkill() : nullptr;
    if (!s) return 1;
    if (kind == 31) {
        if (CGameObj* t = GetTargetRole())
            GiveOrder(9, s->id, static_cast<int32_t>(t->m_Handle), 0, 1, 0);
        else if (CRole* r = FindFirstRoleNear(0, 35))
            SetTarget(r, 1);
    } else {
        CGamePoint p{m_X, m_Y};
        MoveDir8(p, GetFacing8(), kAhead);
        GiveOrder(10, s->id, p.x, p.y, 1, 0);
    }
    return 1;
}

int CAiRole::CollectAndCast() {
    if (AiKind() != 20) return 0;
    CRole* t = AsRole(GetTargetRole());
    if (!t) return 0;
    if (m_Motion != kMotionStand || m_pBoundMagic) return 1;
    if (m_KeepAway) {
        m_KeepAway = 0;
        m_CollectHandle = -1;
    }
    if (m_CollectHandle == -1) {
        const int32_t v = plat::Rand() % 28;
        if (v < 3)
            if (CGameObj* o = FindFirstGroundObjNear(m_X, m_Y, 640)) m_CollectHandle = static_cast<int32_t>(o->m_Handle);
        const CGamePoint tc = AiCell(t);
        const int32_t d = Euclid(tc, AiCell(this));
        if (d > 9 && v == 11) {
            GiveOrder(1, tc.x, tc.y, 8, 1, 0);
        } else if (d < 7) {
            StepAwayFrom(t, 9);
        } else if (CanUseSkillNow(-1) && Every(static_cast<uint32_t>(d * 9), 3)) {
            UseSkillOnTarget(t);
        }
        return 1;
    }
    CGameObj* prop = GetPropByHandle(static_cast<ObjHandle>(m_CollectHandle));
    if (!prop) {
        CGameObj* o = FindFirstGroundObjNear(m_X, m_Y, 640);
        m_CollectHandle = o ? static_cast<int32_t>(o->m_Handle) : -1;
        return 1;
    }
    if (ObjectDistance(this, prop) > 64) {
        const CGamePoint pc = AiCell(prop);
        GiveOrder(2, pc.x, pc.y, 0, 1, 0);
        return 1;
    }
    if (SelectSkill(6) >= 0)
        if (const CSkillDef* s = GetCurrentSkill()) GiveOrder(10, s->id, prop->m_X, prop->m_Y, 1, 0);
    return 1;
}

int CRole::StepAwayFrom(CGameObj* target, int32_t cells) {
    if (!target || !IsIdle() || m_Motion != kMotionStand) return 0;
    const CGamePoint p = StepAwayToRange(AiCell(target), AiCell(this), cells, 0);
    if (!GiveOrder(1, p.x, p.y, 0, 1, 0)) return 0;
    ClearTarget();
    if (auto* ai = dynamic_cast<CAiRole*>(this)) ai->m_KeepAway = 1;
    return 1;
}

// ---------------------------------------------------------------- the tick

namespace ai_role {

// Idle modes 1-3 in motion 1 (rest countdown, wander, patrol, follow).
void IdleMove(CAiRole* self, CObjDesc11* rec) {
    if (rec->m_WanderCount > 0) {
        --rec->m_WanderCount;
        return;
    }
    if (rec->m_MoveLevel == 4) {
        rec->m_WanderCount = 10000;
        return;
    }
    if (rec->m_MoveLevel != 0) rec->m_WanderCount = plat::Rand() % (rec->m_MoveLevel * 200 + 10);
    const CGamePoint own = AiCell(self);
    switch (rec->m_Logic) {
    case 1: {
        CGamePoint p{own.x + plat::Rand() % 10 - 5, 0};
        p.y = own.y + plat::Rand() % 10 - 5;
        if (auto* box = dynamic_cast<CObjDesc13*>(rec)) {
            p.x = std::clamp(p.x, box->m_RectX, box->m_RectX + std::max(box->m_RectW, 0));
            p.y = std::clamp(p.y, box->m_RectY, box->m_RectY + std::max(box->m_RectH, 0));
        }
        self->GiveOrder(1, p.x, p.y, 0, 1, 0);
        break;
    }
    case 2: {
        auto* path = dynamic_cast<CObjDesc14*>(rec);
        if (!path || path->m_Path.empty()) break;
        const int32_t n = static_cast<int32_t>(path->m_Path.size());
        if (path->m_PathIndex < 0 || path->m_PathIndex >= n) path->m_PathIndex = 0;
        const CObjDesc14::Point pt = path->m_Path[static_cast<size_t>(path->m_PathIndex)];
        self->GiveOrder(1, pt.x, pt.y, 0, 1, 0);
        path->m_PathIndex = (path->m_PathIndex + 1) % n;
        break;
    }
    case 3: {
        auto* f = dynamic_cast<CObjDesc15*>(rec);
        if (!f) break;
        if (f->m_A) {
            CRole* t = RoleOf(static_cast<ObjHandle>(f->m_A));
            if (!t) {
                if (!self->m_FollowName.empty())
                    rec->m_MoveLevel = 4;
                else
                    f->m_A = 0;
            } else if (AreRolesHostile(self, t)) {
                f->m_A = 0;
            } else if (!IsInSquare(own, AiCell(t), f->m_D)) {
                const CGamePoint tc = AiCell(t);
                self->GiveOrder(f->m_S && self->IsPlayerCampRange() ? 2 : 1, tc.x, tc.y, f->m_D, 1, 0);
            }
        } else if (self->m_FollowName.empty()) {
            if (CRole* p = self->FindFirstRoleNear(3, 6)) {
                f->m_A = static_cast<int32_t>(p->m_Handle);
                rec->m_WanderCount = 100;
            }
        } else {
            CGameObj* o = g_CurObjMng ? g_CurObjMng->GetRoleByName(self->m_FollowName.c_str()) : nullptr;
            if (o)
                f->m_A = static_cast<int32_t>(o->m_Handle);
            else
                rec->m_MoveLevel = 4;
        }
        break;
    }
    default:
        break;
    }
}

} // namespace ai_role

int CAiRole::Think() {
    // 2: a scene in a reset.
    if (g_CurScene && g_CurScene->GetState() != 0) {
        const int state = g_CurScene->GetState();
        if (state == 1) {
            if (CRole* r = FindFirstRoleNear(0, 20)) {
                SetTarget(r, 1);
                if (!HasState(kStateAlerted)) SetState(kStateAlerted, 1, 0, nullptr);
                FaceTo({r->m_X, r->m_Y}, {m_X, m_Y});
            }
            if (g_CurScene->m_ResetCounter < 5) UseSkillOnTarget(AsRole(GetTargetRole()));
        } else if (state == 2 && g_CurScene->m_ResetCounter < 2) {
            UseSkillAhead();
        }
        return 0;
    }
    // 3: who does not think.
    if (m_Kind == 60 || IsClientOwnRole()) return 0;
    if (m_Speed == 0 && !IsCampMonster(m_Camp)) return 0;
    if (!CanKeepMoving()) return 0;
    const CGamePoint own = AiCell(this);

    // 4: the leader.
    if (m_LeaderHandle && m_Motion == kMotionStand) {
        CRole* leader = RoleOf(m_LeaderHandle);
        if (!leader) {
            m_LeaderHandle = 0;
        } else if (!IsPlayerCamp(leader->m_Camp)) {
            const int32_t now = GetGameTickCount();
            const CGamePoint lc = AiCell(leader);
            if (now - m_RegroupTick > kRegroupTicks) {
                SetTargetByHandle(leader->m_TargetHandle);
                if (!IsInSquare(own, lc, 2) && m_Motion == kMotionStand) GiveOrder(1, lc.x, lc.y, 2, 1, 0);
            }
            if (IsInSquare(own, lc, 4)) m_RegroupTick = now;
        } else {
            const int32_t r = HasState(kStateAlerted) ? 12 : 5;
            const CGamePoint lc = AiCell(leader);
            if (!IsInSquare(own, lc, r)) {
                GiveOrder(16, 0, 0, 0, 1, 0);
                GiveOrder(1, lc.x, lc.y, r / 2, 1, 0);
                if (CanKeepMoving()) return 1;
            }
        }
    }

    // 5: fleeing.
    if (HasState(kStateFleeing)) {
        if (m_Motion != kMotionStand) return 1;
        const int32_t sight = Sight();
        CRole* threat = FindFirstRoleNear(0, sight - 2);
        const int32_t range = sight / 3 + 1;
        if (!threat) {
            const CGamePoint p = FindOpenDirPoint(own, range);
            if (p.x >= 0) GiveOrder(2, p.x, p.y, 2, 1, 0);
            SetState(kStateFleeing, 0, 0, nullptr);
            return 1;
        }
        const CGamePoint p = StepAwayToRange(AiCell(threat), own, range, 0);
        if (GiveOrder(2, p.x, p.y, 2, 1, 0)) {
            if (plat::Rand() % 2 == 0) SetState(kStateAlerted, 0, 0, nullptr);
            return 1;
        }
        SetState(kStateFleeing, 0, 0, nullptr);
        return 1;
    }

    // 6: a pending talk.
    if (Every(40, 1) && m_PendingTalk) {
        if (CRole* r = FindFirstRoleNear(2, 10)) GiveOrder(19, static_cast<int32_t>(r->m_Handle), 0, 0, 1, 0);
        m_PendingTalk = 0;
    }

    // 7.
    if (UpdateLeash()) return 1;
    if (CastPeriodically()) return 1;

    // 8: not alerted.
    auto* rec = dynamic_cast<CObjDesc11*>(m_pDesc);
    const int32_t mode = rec ? rec->m_Logic : 0;
    if (!HasState(kStateAlerted)) {
        static const uint32_t kLook[5] = {14, 28, 18, 56, 84};
        const int32_t reaction = Reaction();
        if (Every(reaction < 5 ? kLook[reaction] : 112, 1)) AcquireTarget();
        if (m_RoleBits & kRoleBitStand) return 1;
        if (!m_LeaderHandle && !m_BoundRole && rec) {
            if (mode == 0) {
                const int32_t items = ModelHas(kStandItemsCol) ? ModelInt(kStandItemsCol) : 0;
                auto* rec12 = dynamic_cast<CObjDesc12*>(rec);
                const int32_t facing = rec12 ? rec12->m_Dir : m_Facing;
                const int32_t first = (items & 0xFFFF) + facing;
                const int32_t second = ((items >> 16) & 0xFFFF) + facing;
                const CAnimPlayer* p = GetCurrentAnim();
                if (items && p && p->IsAtEnd() && GetCurrentAnimIndex() == second) {
                    SetAnimIndex(first);
                    return 1;
                }
            } else if (mode >= 1 && mode <= 3 && m_Motion == kMotionStand) {
                IdleMove(this, rec);
            }
        } else if (!m_LeaderHandle && m_BoundRole && (mode != 0 || (ModelHas(kBoundCol) && ModelInt(kBoundCol) != 0))) {
            CRole* bound = RoleOf(m_BoundRole);
            if (!bound)
                SetOverride(7, 0, -1);
            else if (m_StayFlag && m_Motion != kMotionStand)
                SetMotion(kMotionStand, 0, 0, 0);
            else if (m_StayFlag)
                FaceTo({bound->m_X, bound->m_Y}, {m_X, m_Y});
            return 1;
        }
        // Still unalerted: nothing to fight.
        if (!HasState(kStateAlerted)) return 1;
    }

    // 9: alerted.
    if ((IsCampMonster(m_Camp) && m_HoldWord == 1) || m_pBoundMagic) return 0;

    // 10.
    CRole* target = AsRole(GetTargetRole());
    if (!target) {
        if (IsIdle() && m_Motion == kMotionStand && !m_pBoundMagic && plat::Rand() % 56 < 2) {
            UseSkillOnTarget(nullptr);
            AcquireTarget();
        }
        if (++m_LostTargetTicks > 224) SetState(kStateAlerted, 0, 0, nullptr);
        target = AsRole(GetTargetRole());
    } else {
        m_LostTargetTicks = 0;
    }

    // 11, 12: a collector; a group decides for its members.
    if (CollectAndCast()) return 1;
    if (m_pGroup && m_pGroup->GetMemberCount() > 1) {
        if (!m_pGroup->m_Target && target) m_pGroup->m_Target = target->m_Handle;
        return 0;
    }

    // 13, 14.
    DodgeTarget();
    if (target) {
        if (Every(112, 1)) {
            AcquireTarget();
        } else if (Every(112, 100) && !IsPlayerCampRange() && rec && rec->m_Nested[2] > 0) {
            const CGameRect box{rec->m_Nested[0], rec->m_Nested[1], rec->m_Nested[2], rec->m_Nested[3]};
            if (own.x < box.x || own.x > box.x + box.width || own.y < box.y || own.y > box.y + box.height) {
                GiveOrder(1, box.x + box.width / 2, box.y + box.height / 2, 0, 1, 0);
                ClearTarget();
            }
        }
        target = AsRole(GetTargetRole());
    }

    // 15: nothing to fight with.
    const bool hasSkills = m_pSkillRow && m_pSkillRow->HasValue(1) && m_pSkillRow->GetInt(1) > 0;
    if (!hasSkills) {
        if (IsUntargetable()) return 0;
        if (target) StepAwayFrom(target, 8);
        return 1;
    }

    // 16, 17.
    if (KeepDistance()) return 0;
    if (!IsPlayerCampRange() && m_StayFlag) {
        if (!IsIdle() && m_Motion != kMotionStand) {
            if (++m_StayCounter % 6 == 0) {
                CancelQueuedOrder();
                SetMotion(kMotionStand, 0, 0, 0);
            }
        } else {
            m_StayCounter = 0;
        }
    }

    // 18.
    if (!target) return 1;
    const CGamePoint tc = AiCell(target);
    const int32_t d = std::abs(tc.x - own.x) + std::abs(tc.y - own.y);
    if (Every(300, 10)) {
        if (d >= 3 * Sight()) {
            ClearTarget();
            CancelQueuedOrder();
            return 1;
        }
        if (ModelHas(kMoveClassCol) && ModelInt(kMoveClassCol) == 4)
            if (CRole* r = FindFirstRoleNear(0, 2)) SetTarget(r, 1);
    } else if (Every(30, 10) && (target->m_Camp == m_Camp || HasState(kStateDodging))) {
        ClearTarget();
        CancelQueuedOrder();
        return 1;
    }

    // 19, 20.
    const bool mayAttack = CanUseSkillNow(-1) != 0;
    if (mayAttack) {
        if (m_AttackDelay < 0)
            RollAttackDelay();
        else
            --m_AttackDelay;
    }
    if (m_RoleBits & kRoleBitBlocked) {
        m_RoleBits &= ~static_cast<uint32_t>(kRoleBitBlocked);
        ClearTarget();
        CancelQueuedOrder();
        return 1;
    }

    // 21: the attack.
    target = AsRole(GetTargetRole());
    if (!target || !IsIdle() || m_Motion != kMotionStand || !mayAttack) return 1;
    if (m_SkillGroup < 0) SelectSkill(-1);
    const CSkillDef* s = GetCurrentSkill();
    if (!s) {
        if (!IsUntargetable()) StepAwayFrom(target, 8);
        return 1;
    }
    const int32_t r = GetSkillRangeCells(s->id);
    const CGamePoint goal = AiCell(target);
    if (m_TickCount % 50 == 2) {
        if (IsInSquare(goal, own, r - 2) && r - d - 2 > 1) StepBackForSkill(goal, s->id);
        return 1;
    }
    if (m_AttackDelay >= 0) return 1;
    if (r > 1 && d <= r && !IsWalkClassRestricted() && !target->IsWalkClassRestricted() &&
        !IsCellLineClear(own, goal, 3)) {
        GiveOrder(1, goal.x, goal.y, 2, 1, 0);
        return 1;
    }
    m_KeepAway = 0;
    GiveOrder(11, s->id, static_cast<int32_t>(target->m_Handle), 0, 1, 0);
    ClearCurrentSkill();
    return 1;
}
