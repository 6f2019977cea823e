// Orders: every command that moves a role or makes it act. GiveOrder runs a
// preparation part for every code (it runs even when the role cannot move
// now) and a motion part while the role stands or walks in posture 0.
// Long orders stay the current order and ProcessOrder carries them out
// once per tick; a dodge, guard or point skill that cannot start is queued
// and retried for half a second.
//
// Fields of a skill definition read here:
//   use kind                    kind (column 2)
//   approach range in cells     rangeCells
//   minimum distance            distance2 (column 12; 0 and 65535 none)
//   cast time                   the group's "Skill.gop" time in ms
//   release flag                releaseFlag
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/txt_table.h"
#include "platform/random.h"
#include "roles/items/drops.h"
#include "roles/items/prop_rec.h"
#include "roles/magic/magic.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "world/buildings/bld.h"
#include "world/buildings/bld_mdl.h"
#include "world/map/grid_search.h"
#include "world/map/line_walk.h"
#include "world/map/map_grid.h"
#include "world/objects/handle_table.h"
#include "world/objects/proximity.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/sky/game_clock.h"
#include "world/things/anim_map_obj.h"
#include "world/things/map_prop.h"

namespace role_orders {

constexpr int32_t kItemSkillBase = 10000;
constexpr int32_t kQueueTicks = 14;     // half a second, raised first
constexpr int32_t kPickUpReach = 192;
constexpr char kNoWay[] = "Can`t go there!";
constexpr char kTalk[] = "talk %s";

CGamePoint CellOf(const CGameObj* o) { return {o->m_X / 64, o->m_Y / 64}; }

int32_t CellDistance(const CGamePoint& a, const CGamePoint& b) {
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y;
    return static_cast<int32_t>(std::sqrt(dx * dx + dy * dy));
}

int32_t MinDistance(const CSkillDef* def) {
    return def && def->distance2 != 65535 ? def->distance2 : 0;
}

const CSkillDef* SkillAt(int32_t id) { return id >= 0 ? g_SkillTable.GetAt(id) : nullptr; }

} // namespace role_orders

using namespace role_orders;

// ---------------------------------------------------------------- orders

int CRole::IsClientOwnRole() const { return g_CurScene && g_CurScene->FindTrackerByRole(m_Handle) ? 1 : 0; }

int CRole::GiveOrder(int32_t code, int32_t a, int32_t b, int32_t c, int clearCurrent, int queue) {
    if (!g_CurScene) return 0;
    if (code == 26) EndSpecialAction();
    if (m_SpecialAnimActive || m_Posture == kPostureHeld) return 0;
    if (queue) CancelQueuedOrder();

    // Preparation: runs whether or not the role can move now.
    switch (code) {
    case 1:
    case 2:
        if (HasMount()) return 0;
        break;
    case 9:
    case 10:
    case 11: {
        CRoleData* record = GetRecord();
        const PropRec* item = nullptr;
        if (record && a >= kItemSkillBase) {
            // From the client: an item the record does not hold is refused
            // before anything changes.
            item = record->GetItem(a - kItemSkillBase);
            if (!item || !item->m_pModelRow) return 0;
        }
        if (code != 11) SetState(kStateGuard, 0, 0, nullptr);
        m_ItemSkill = -1;
        if (item) {
            m_ItemSkill = a - kItemSkillBase;
            a = item->m_pModelRow->GetInt(10);
            if (auto* def = const_cast<CSkillDef*>(SkillAt(a))) {
                const int cls = record->GetClassIndex();
                def->range = cls == 4 ? 320 : cls == 3 ? 304 : 224;
                def->rangeCells = std::max(def->range / 64, 1);
            }
        }
        if (const CSkillDef* def = GetKnownSkill(a)) {
            const CSkillGopDef* gop = g_SkillGopTable.GetAt(def->group);
            if (gop && gop->timeMs > 1000) {
                SetMotion(kMotionStand, 1, 0, 0);
                if (m_pBoundMagic) m_pBoundMagic->Remove();
            }
        }
        break;
    }
    case 13:
        SetState(kStateAlerted, a, 0, nullptr);
        m_StanceOpen = 0;
        break;
    case 14:
        if (m_Motion == kMotionStand && !HasMount()) SetDirection(a);
        break;
    case 15:
        ReleaseBoundMagic();
        break;
    case 16:
        if (!CanRun() && a != 0) {
            if (queue) QueueOrder(code, a, b, c);
            break;
        }
        if (CGameObj* t = GetTargetRole()) FaceTo({m_X, m_Y}, {t->m_X, t->m_Y});
        SetState(kStateGuard, a, 0, nullptr);
        CancelQueuedOrder();
        break;
    case 18:
        SetTargetByHandle(static_cast<ObjHandle>(a));
        break;
    default:
        break;
    }

    // The motion part.
    if (!((m_Motion < 6 || m_Motion == kMotionWalk) && IsPosture(kPostureNone))) return 0;
    if (clearCurrent) ClearCurrentOrder();
    switch (code) {
    case 1:
    case 2:
        if (!IsMobile() || (m_Motion != kMotionStand && m_Motion != kMotionWalk) || MoveBySkill(a, b, c)) break;
        if (code == 2) SetFlag(kRoleBitRunning, 1);
        if (m_Kind != 60 && !IsClientOwnRole()) {
            if (CellDistance(GetCell(), {a, b}) - c < 6)
                SetFlag(kRoleBitRunning, 0);
            else if (IsPlayerCampRange() || HasState(kStateAlerted))
                SetFlag(kRoleBitRunning, 1);
        }
        SetMotion(kMotionWalk, a, b, c);
        break;
    case 3: SetFlag(kRoleBitRunning, a); break;
    case 5: SetMotion(kMotionPushed, a, b, c); break;
    case 6: SetMotion(kMotionHitReaction, a, b, c); break;
    case 7: SetMotion(kMotionReturn, a, b, c); break;
    case 8: SetMotion(kMotionJump, a, b, c); break;
    case 12: SetMotion(kMotionPlayOnce, a, b, c); break;
    case 25: SetMotion(kMotionCircle, a, b, c); break;
    case 9:
    case 10:
    case 11: {
        const CSkillDef* def = GetKnownSkill(a);
        if (!((def && def->kind == 7) || !g_CurScene || (m_pModelRow && m_pModelRow->GetInt(2) > 0))) return 0;
        if (!HasState(kStateAlerted)) SetState(kStateAlerted, 1, 0, nullptr);
        if (!CanUseSkillNow(m_ItemSkill != -1 ? -1 : a)) return 0;
        if (IsCurrentOrder(code, a, b, c)) return 0;
        SetCurrentOrder(code, a, b, c);
        if (code == 9) {
            if (GetRoleByHandle(static_cast<ObjHandle>(b))) {
                SetMotion(kMotionStand, 0, 0, 0);
                UseSkill(a, nullptr, static_cast<ObjHandle>(b));
            }
            ClearCurrentOrder();
        } else if (code == 10) {
            SetMotion(kMotionStand, 0, 0, 0);
            const CGamePoint p{b, c};
            UseSkill(a, &p, 0);
            ClearCurrentOrder();
        }
        break;
    }
    case 17:
        if (TryDodge())
            CancelQueuedOrder();
        else if (queue)
            QueueOrder(code, a, b, c);
        break;
    case 19:
    case 20:
    case 21:
    case 23:
    case 24:
        if (IsCurrentOrder(code, a, b, c)) return 0;
        if (code == 19)
            if (CRole* other = RoleOf(static_cast<ObjHandle>(a))) other->SetOverride(7, static_cast<int32_t>(m_Handle), 100);
        SetCurrentOrder(code, a, b, c);
        break;
    case 22: {
        std::vector<CMapProp*> props;
        for (CGameObj* o = FindFirstGroundObjNear(m_X, m_Y, kPickUpReach); o; o = FindNextGroundObjNear())
            if (auto* p = dynamic_cast<CMapProp*>(o)) props.push_back(p);
        for (CMapProp* p : props) PickUpProp(p, this);
        break;
    }
    default:
        break;
    }
    return 1;
}

void CRole::ProcessOrder() {
    if (m_Speed == 0 && m_Motion != kMotionStand) SetMotion(kMotionStand, 0, 0, 0);

    const int32_t q = m_QueuedOrder[0];
    if ((q == 17 || q == 16 || q == 10) && !IsCurrentOrder(q, m_QueuedOrder[1], m_QueuedOrder[2], m_QueuedOrder[3])) {
        const int32_t order[4] = {m_QueuedOrder[0], m_QueuedOrder[1], m_QueuedOrder[2], m_QueuedOrder[3]};
        GiveOrder(order[0], order[1], order[2], order[3], 1, 0);
    }
    if (m_QueuedOrder[0] != -1 && ++m_QueuedOrderAge > kQueueTicks) CancelQueuedOrder();

    if (HasNoOrder()) return;
    if (m_CurrentOrder[0] == 11) {
        ChaseForSkill();
        return;
    }
    if (!IsStepDone()) return;
    CarryOutLongOrder();
}

void CRole::ChaseForSkill() {
    const int32_t skill = m_CurrentOrder[1];
    const ObjHandle h = static_cast<ObjHandle>(m_CurrentOrder[2]);
    CGameObj* target = g_CurHandleTable ? g_CurHandleTable->Resolve(h) : nullptr;
    if (!CanUseSkillNow(skill) || !GetKnownSkill(skill) || !target || target == this) {
        ClearCurrentOrder();
        return;
    }
    const int32_t d = ObjectDistance(this, target);
    const bool bld = target->m_Kind >= 10 && target->m_Kind <= 20;
    const bool inReach = bld ? IsNextToBld(this, h) != 0 : IsInSkillReach(skill, d) != 0;
    if (inReach) {
        if (IsPosture(kPostureNone)) {
            SetMotion(kMotionStand, 0, 0, 0);
            UseSkill(skill, nullptr, h);
            ClearCurrentOrder();
        }
        return;
    }
    const CGamePoint goal = CellOf(target);
    if (!IsStepDone() || (m_Motion == kMotionWalk && m_MotionP1 == goal.x && m_MotionP2 == goal.y)) return;
    if (!CanKeepMoving()) {
        SetFlag(kRoleBitBlocked, 1);
        ClearCurrentOrder();
        return;
    }
    const CSkillDef* def = SkillAt(skill);
    const int32_t r = def ? def->rangeCells : 1;
    const int32_t m = MinDistance(def);
    if (m < d) {
        int32_t range = r / 2;
        if (r > 2) {
            // The line as far as R cells toward the target (or the target's
            // cell when it is nearer).
            const CGamePoint from = GetCell();
            const int32_t len = CellDistance(from, goal);
            CGamePoint to = goal;
            if (len > r) to = PointAlongLine(from, goal, static_cast<float>(r) / static_cast<float>(len));
            if (!IsCellLineClear(from, to, 3)) range = 2;
        }
        GiveOrder(1, goal.x, goal.y, range, 0, 0);
    } else {
        StepBackForSkill(goal, skill);
    }
}

void CRole::CarryOutLongOrder() {
    const int32_t code = m_CurrentOrder[0];
    const int32_t a = m_CurrentOrder[1], b = m_CurrentOrder[2], c = m_CurrentOrder[3];
    CGamePoint t{0, 0};
    int32_t range = 0;
    std::string text;
    const CGamePoint own = GetCell();
    auto stop = [this] {
        SetMotion(kMotionStand, 0, 0, 0);
        ClearCurrentOrder();
    };

    switch (code) {
    case 19: {
        CRole* other = RoleOf(static_cast<ObjHandle>(a));
        if (!other || !other->m_Scripted) return stop();
        t = CellOf(other);
        if (!IsInSquare(own, t, 2)) break;
        bool talk = m_Kind != 60;
        if (!talk) {
            talk = AreRolesHostile(this, other);
            if (!talk) {
                talk = true;
                for (CRole* r = FindFirstRoleNear(0, 8); r; r = FindNextRoleNear())
                    if (r != other) {
                        talk = false;
                        break;
                    }
            }
        }
        if (!talk) {
            stop();
            const char* notice = g_TextTable.GetCell(125, 1);
            if (g_WorldHooks.showNotice) g_WorldHooks.showNotice(notice ? notice : "");
            return;
        }
        char line[300];
        const char* pic = other->GetPictureName();
        std::snprintf(line, sizeof line, kTalk, pic ? pic : "");
        text = line;
        break;
    }
    case 20: {
        auto* bld = dynamic_cast<CBld*>(g_CurHandleTable ? g_CurHandleTable->Resolve(static_cast<ObjHandle>(c)) : nullptr);
        if (!bld) return stop();
        const CBldPart* part = bld->GetPart();
        t = part && (part->m_LineDx != 0 || part->m_LineDy != 0) ? CGamePoint{a, b} : CellOf(bld);
        if (!IsBldAdjacent(own, static_cast<ObjHandle>(c))) break;
        auto* mech = dynamic_cast<CMechBld*>(bld);
        if (bld->m_Busy || (mech && mech->m_State == 5) || !bld->IsMech()) return stop();
        const char* script = bld->GetScriptText();
        if (!script || !*script) {
            text = kNoWay;
        } else if (mech && mech->ShowUseText(0)) {
            return stop();
        } else {
            if (mech) mech->SetState(5, 0);
            text = script;
        }
        break;
    }
    case 21: {
        CGameObj* prop = GetPropByHandle(static_cast<ObjHandle>(a));
        if (!prop) return stop();
        t = CellOf(prop);
        if (IsInSquare(own, t, 1)) {
            if (auto* p = dynamic_cast<CMapProp*>(prop)) PickUpProp(p, this);
            return stop();
        }
        range = 1;
        break;
    }
    case 23: {
        auto* bld = dynamic_cast<CBld*>(g_CurHandleTable ? g_CurHandleTable->Resolve(static_cast<ObjHandle>(a)) : nullptr);
        if (!bld) return stop();
        t = CellOf(bld);
        if (const CBldPart* part = bld->GetPart(); part && bld->m_Kind >= 10 && bld->m_Kind <= 20) {
            t.x += part->m_OriginX;
            t.y += part->m_OriginY;
        }
        if (IsNextToBld(this, static_cast<ObjHandle>(a))) {
            if (bld->m_ModelId >= 128 && bld->m_ModelId <= 134) return stop();
            if (bld->m_ModelId == 135 || bld->m_ModelId == 136) {
                if (auto* mech = dynamic_cast<CMechBld*>(bld)) mech->SetState(5, 0);
                return stop();
            }
        }
        break;
    }
    case 24: {
        CGameObj* obj = g_CurHandleTable ? g_CurHandleTable->Resolve(static_cast<ObjHandle>(a)) : nullptr;
        if (!obj) return stop();
        t = CellOf(obj);
        if (IsInSquare(own, t, 4)) return stop();
        break;
    }
    default:
        return;
    }

    if (!text.empty()) {
        RunActions(text.c_str());
        return stop();
    }
    const uint32_t running = TestFlag(kRoleBitRunning) ? 1u : 0u;
    if (m_Motion == kMotionWalk && m_MotionP1 == t.x && m_MotionP2 == t.y && running == m_RunningAtLastMotion) return;
    if (CanKeepMoving())
        GiveOrder(1, t.x, t.y, range, 0, 0);
    else
        stop();
}

void CRole::SetCurrentOrder(int32_t code, int32_t a, int32_t b, int32_t c) {
    ClearCurrentOrder();
    m_CurrentOrder[0] = code;
    m_CurrentOrder[1] = a;
    m_CurrentOrder[2] = b;
    m_CurrentOrder[3] = c;
}

void CRole::QueueOrder(int32_t code, int32_t a, int32_t b, int32_t c) {
    m_QueuedOrder[0] = code;
    m_QueuedOrder[1] = a;
    m_QueuedOrder[2] = b;
    m_QueuedOrder[3] = c;
}

int CRole::IsCurrentOrder(int32_t code, int32_t a, int32_t b, int32_t c) const {
    return m_CurrentOrder[0] == code && m_CurrentOrder[1] == a && m_CurrentOrder[2] == b && m_CurrentOrder[3] == c;
}

void CRole::EndSpecialAction() {
    // As the posture code's PlaySpecialAnim(-1, 1).
    m_SpecialAnim = -1;
    if (m_SpecialAnimActive) {
        m_SpecialAnimActive = 0;
        SetPosture(0);
    }
    SetAnimIndex(-1);
}

void CRole::ReleaseBoundMagic() {
    // PLACEHOLDER: until attached magic keeps a detach request, a releasable
    // bound object ends at once.
    CMagic* m = AsMagic(m_pBoundMagic);
    if (m && m->GetSkill() && m->GetSkill()->releaseFlag) m->Remove();
}
