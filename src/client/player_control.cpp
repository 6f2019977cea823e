#include "client/player_control.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "client/client.h"
#include "client/controller/input_util.h"
#include "client/client_hooks.h"
#include "client/painter.h"
#include "client/recording_client.h"
#include "client/selection.h"
#include "core/directories.h"
#include "core/frame_globals.h"
#include "core/key_state.h"
#include "core/txt_table.h"
#include "gfx/mouse_cursor.h"
#include "platform/input.h"
#include "platform/window.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "roles/tables/skill_table.h"
#include "sound/sound_play.h"
#include "world/buildings/bld.h"
#include "world/map/iso_grid.h"
#include "world/map/line_walk.h"
#include "world/map/map_grid.h"
#include "world/objects/handle_table.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

CPlayerControl* g_PlayerControl = nullptr;

namespace {

// The cursor shape a higher-priority owner (an item on the cursor) holds.
int32_t g_CursorPriority = 0;

bool ClientActive() { return g_Client && g_Client->IsActive(); }
int32_t HandleOf(const CGameObj* obj) { return obj ? static_cast<int32_t>(obj->m_Handle) : 0; }

int32_t LeftSkill() { return g_ClientHooks.getLeftSkill ? g_ClientHooks.getLeftSkill() : -1; }
int32_t RightSkill() { return g_ClientHooks.getRightSkill ? g_ClientHooks.getRightSkill() : -1; }
bool HasSelectedSlot() { return g_ClientHooks.hasSelectedSlot && g_ClientHooks.hasSelectedSlot(); }

} // namespace

using ctl::AsyncDown;
using ctl::Down;
using ctl::Now;
using ctl::Send;

int RoleActionLocked(const CRole* role) { return role && role->HasMount() ? 1 : 0; }
int RoleOffersTalk(const CRole* role) { return role && role->m_TalkId != -1 ? 1 : 0; }
int RoleAttackable(const CRole* role) {
    if (!role || role->m_Camp < 0 || role->m_Camp > 99) return 0;
    const CTxtRow* row = g_WorldHooks.getRoleModelRow ? g_WorldHooks.getRoleModelRow(role) : nullptr;
    return row && row->HasValue(31) ? 0 : 1;
}

CPlayerControl::CPlayerControl() { g_PlayerControl = this; }
CPlayerControl::~CPlayerControl() {
    if (g_PlayerControl == this) g_PlayerControl = nullptr;
}

void CPlayerControl::HandleMouse() {
    if (!ClientActive()) {
        m_pCell = nullptr;
        m_pHoverRole = nullptr;
        m_pOwn = nullptr;
        return;
    }
    if (CScene* scene = g_Client->GetScene()) SetCurrentScene(scene);
    plat::Point c;
    plat::GetCursorPos(&c);
    m_Cursor = {c.x, c.y};
    int32_t ux = c.x, uy = c.y;
    if (g_ClientHooks.unzoomPoint) g_ClientHooks.unzoomPoint(&ux, &uy);
    m_World = g_IsoGrid.ScreenToWorld(ux, uy);
    m_Cell = PixelToTile(m_World);
    m_pCell = g_CurMapGrid ? g_CurMapGrid->GetCell(m_Cell.x, m_Cell.y) : nullptr;
    m_pOwn = g_Selection ? g_Selection->GetRole() : nullptr;
    m_pHoverRole = nullptr;
    m_pHoverBld = nullptr;
    m_pHoverObj = nullptr;
    m_Aim = m_World;
    if (!m_pCell) return;
    if (m_pCell->m_GroundObj != 0 && m_pCell->m_GroundObj != kNoObj) m_pHoverObj = ResolveHandle16(m_pCell->m_GroundObj);
    m_pHoverRole = AsRole(PickRoleAtPoint(m_Cursor, m_Cell, 0));
    if (!m_pHoverRole && m_pOwn) {
        if (CRole* target = AsRole(m_pOwn->GetTargetRole())) {
            const double toCursor = std::hypot(double(m_World.x - target->m_X), double(m_World.y - target->m_Y));
            const double toOwn = std::min(100.0, std::hypot(double(m_pOwn->m_X - target->m_X), double(m_pOwn->m_Y - target->m_Y)));
            if (toCursor < toOwn) m_pHoverRole = target;
        }
    }
    m_pHoverBld = PickBldAtCell(m_Cell);
    if (m_pHoverRole) m_Aim = {m_pHoverRole->m_X, m_pHoverRole->m_Y};
}

void CPlayerControl::OnMouseMove(int, int x, int y) {
    if (m_ShapeHold || !m_pCell) return;
    if (!m_pOwn) {
        m_HoverCount = 0;
        return;
    }
    m_ShapeSet = 0;
    if (g_ClientHooks.isPanelAt && g_ClientHooks.isPanelAt(x, y)) {
        SetCursorShape(0);
    } else {
        if (m_pHoverBld && m_pHoverBld->m_Kind >= 10 && m_pHoverBld->m_Kind <= 20 && m_pHoverBld->IsUsable())
            SetCursorShape(2);
        if (!m_ShapeSet) {
            const int32_t before = m_HoverCount++;
            SetCursorShape(before > kHoverDelayTicks ? 1 : 0);
        }
    }
    if (g_Selection) {
        if (m_pHoverObj) g_Selection->SetHover(m_pHoverObj->m_Handle);
        else if (m_pHoverRole) g_Selection->SetHover(m_pHoverRole->m_Handle);
        else if (m_pHoverBld && m_pHoverBld->m_ModelId >= 128 && m_pHoverBld->m_ModelId <= 256)
            g_Selection->SetHover(m_pHoverBld->m_Handle);
        else if (!m_pHoverBld) g_Selection->SetHover(0);
    }
    m_HoverCount = 0;
}

void CPlayerControl::SetCursorShape(int32_t shape) {
    m_ShapeSet = 1;
    if (g_CursorPriority >= 2) return;
    // The cursor animation's sequence 1 is the normal arrow (start-up
    // selects it); the controller's shapes 0, 1, 2 follow from there.
    const int32_t sequence = shape + 1;
    if (g_MouseCursor.m_Shape != sequence) g_MouseCursor.m_Changed = 1;
    g_MouseCursor.m_Shape = sequence;
    m_CursorShape = shape;
}

void CPlayerControl::SetInputLock(int32_t lock) {
    m_InputLock = static_cast<uint32_t>(lock);
    if (lock) ResetCursor();
}

void CPlayerControl::ResetCursor() { SetCursorShape(0); }

void CPlayerControl::OnLButtonUp(int, int, int) {}

void CPlayerControl::OnLButtonDown(int, int, int) {
    m_RightHeld = 0;
    m_HoverCount = 0;
    if (!ClientActive()) return;
    CRoleData* record = g_RoleHooks.getLocalPlayerRecord ? g_RoleHooks.getLocalPlayerRecord() : nullptr;
    if (record && record->m_CursorItem != -1) {
        m_Walk = 0;
        record->DropItem(-1);
        if (g_ClientHooks.takeClick) g_ClientHooks.takeClick();
        return;
    }
    if (!m_pOwn) return;
    const bool shift = AsyncDown(plat::VK_SHIFT);
    if (!shift && m_pOwn->TestFlag(kRoleBitRunning)) Send(3, 0, 0, 0);
    else if (shift && m_pOwn->m_St > 5.0f && !m_pOwn->TestFlag(kRoleBitRunning)) Send(3, 1, 0, 0);
    if (Down(plat::VK_MENU)) return;

    const bool ctrl = Down(plat::VK_CONTROL);
    const int32_t s = LeftSkill();
    bool skillUsed = false;
    if (!g_LButtonHeld) {
        m_Walk = 0;
        if (!m_pCell) return;
        if (ctrl) {
            UseSkill(s, 1, nullptr);
            skillUsed = true;
        } else {
            bool decided = false;
            if (m_pHoverRole && !RoleOffersTalk(m_pHoverRole)) {
                if (RoleAttackable(m_pHoverRole)) {
                    UseSkill(s, 0, nullptr);
                    skillUsed = true;
                    decided = true;
                }
            } else if (m_pHoverRole) {
                Send(19, HandleOf(m_pHoverRole), 0, 0);
                decided = true;
            }
            if (!decided) {
                if (m_pHoverObj && m_pHoverObj->m_Kind == 23) {
                    Send(21, HandleOf(m_pHoverObj), 0, 0);
                    return;
                }
                if (m_pHoverBld) {
                    const int32_t model = m_pHoverBld->m_ModelId;
                    if (model == 135 || model == 136) {
                        Send(23, HandleOf(m_pHoverBld), 0, 0);
                        return;
                    }
                    if (model >= 128 && model <= 134) {
                        UseSkill(RoleSkillAt(m_pOwn, 0), 0, nullptr);
                        skillUsed = true;
                    } else if (model == 137) {
                        Send(24, HandleOf(m_pHoverBld), 0, 0);
                        return;
                    } else if (m_pHoverBld->IsUsable()) {
                        Send(20, m_Cell.x, m_Cell.y, HandleOf(m_pHoverBld));
                        return;
                    } else {
                        m_Walk = 1;
                    }
                } else {
                    m_Walk = 1;
                }
            }
        }
    }
    if (!m_pOwn) return;
    if (!shift && m_pHoverRole && RoleAttackable(m_pHoverRole) && !RoleOffersTalk(m_pHoverRole) &&
        !RoleActionLocked(m_pOwn) && !skillUsed) {
        UseSkill(s, ctrl ? 1 : 0, nullptr);
        return;
    }
    if (m_Walk) Send(1, m_Cell.x, m_Cell.y, 0);
}

void CPlayerControl::OnRButtonDown(int, int, int) {
    m_RightHeld = 1;
    m_HoverCount = 0;
    if (ClientActive() && m_pOwn && m_pCell) {
        FollowStep();
        if (m_RightReleased) {
            const int32_t field = g_ClientHooks.getRightSkillTarget ? g_ClientHooks.getRightSkillTarget() : -1;
            UseSkill(RightSkill(), 1, field != -1 ? AsRole(m_pOwn->GetTargetRole()) : nullptr);
        } else if (!RoleActionLocked(m_pOwn)) {
            UseSkill(RightSkill(), 1, nullptr);
        }
    }
    m_RightReleased = 0;
}

void CPlayerControl::OnRButtonUp(int, int, int) { m_RightReleased = 1; }

void CPlayerControl::FollowStep() {
    const int32_t now = Now();
    if (m_FollowTimer < 0) m_FollowTimer = now;
    if (std::abs(now - m_FollowTimer) <= 10) return;
    m_FollowTimer = now;
    if (!m_pOwn) return;
    CRole* target = AsRole(m_pOwn->GetTargetRole());
    if (!target) return;
    const int dir = m_pOwn->DirectionTo({m_pOwn->m_X, m_pOwn->m_Y}, {target->m_X, target->m_Y});
    if (m_pOwn->m_Motion == kMotionStand && dir != m_pOwn->m_Facing && !RoleActionLocked(m_pOwn)) {
        m_pOwn->SetDirection(dir);
        Send(14, dir, 0, 0);
    }
}

int32_t CPlayerControl::MaxChainLength() const {
    int32_t longest = 0;
    for (int32_t i = 0, n = RoleSkillCount(m_pOwn); i < n; ++i)
        longest = std::max(longest, ComboChildCount(RoleSkillAt(m_pOwn, i)));
    return longest;
}

int32_t CPlayerControl::ChainStage(int32_t k, int32_t requested, ComboChild* winner) {
    const int32_t n = ComboChildCount(k);
    if (n == 0) return -1;
    if (m_Actions.empty()) {
        const ComboChild first = ComboChildAt(k, 0);
        if (first.trigger != requested) return -1;
        *winner = first;
        return 0;
    }
    int32_t stage = 0;
    if (static_cast<int32_t>(m_Actions.size()) < n) {
        while (stage < static_cast<int32_t>(m_Actions.size()) && ComboChildAt(k, stage).trigger == m_Actions[size_t(stage)])
            ++stage;
    }
    int32_t at = stage;
    ComboChild child = ComboChildAt(k, at);
    if (stage > 0) {
        // A stage without timing hands over to the first later child with one.
        while (child.timing <= 0 && at + 1 < n) child = ComboChildAt(k, ++at);
    }
    const int32_t dir8 = m_pOwn ? GetDir8(m_Aim, {m_pOwn->m_X, m_pOwn->m_Y}) : 0;
    if (child.trigger != requested || ComboTimingCheck(child, m_Last, Now(), dir8) != 1) return -1;
    *winner = child;
    return at;
}

int CPlayerControl::UseSkill(int32_t skill, int32_t force, CRole* target) {
    CRole* own = m_pOwn;
    if (!own || RoleSkillCount(own) == 0) return 0;
    if (!target) target = m_pHoverRole;
    ComboChild win;
    int32_t best = -1;
    if (skill >= 0 && skill < 10000) {
        for (int32_t i = 0, n = RoleSkillCount(own); i < n; ++i) {
            const int32_t k = RoleSkillAt(own, i);
            if (k < 0 || own->GetSkillLevel(k) == -1) continue;
            ComboChild c;
            const int32_t stage = ChainStage(k, skill, &c);
            if (stage > best) {
                best = stage;
                win = c;
            }
        }
        if (best < 0) {
            if (m_QueuedCount <= 0) {
                m_QueuedSkill = skill;
                m_QueuedArg = force;
                m_QueuedCount = kQueuedSkillTicks;
            }
            if (m_Last.end != -1) ClearActions();
            return 0;
        }
        skill = win.skill;
    }
    if (!target && best >= 0 && win.target > 0) target = AsRole(own->GetTargetRole());
    if (target && g_Selection) g_Selection->SetTarget(target->m_Handle);

    const bool combo = !m_Actions.empty();
    const bool base = skill < 10000;
    const bool targetAlive = target && !target->m_Dead;
    if (!combo) {
        const CSkillDef* def = base ? own->GetKnownSkill(skill) : nullptr;
        if (base && (!def || !own->CanUseSkill(def))) {
            PlayEffect(2, 0, 100, 0);
            return 0;
        }
        if (force == 0) {
            if (targetAlive) Send(11, skill, HandleOf(target), 0);
            else if (m_pHoverBld) Send(11, skill, HandleOf(m_pHoverBld), 0);
            else Send(10, skill, m_Aim.x, m_Aim.y);
        } else if (targetAlive) {
            Send(9, skill, HandleOf(target), 0);
        } else {
            Send(10, skill, m_Aim.x, m_Aim.y);
        }
    } else if (!targetAlive) {
        Send(10, skill, m_Aim.x, m_Aim.y);
    } else if (force == 0 && base && own->GetSkillRange(skill) < 97) {
        Send(11, skill, HandleOf(target), 0);
    } else {
        Send(9, skill, HandleOf(target), 0);
    }
    return 1;
}

void CPlayerControl::LoadSkillTables() {
    const std::string dir = GetMbDirectory();
    g_SkillTable.Load((dir + "Skill.ini").c_str());
    g_SkillChildTable.Load((dir + "SkillChild.ini").c_str());
}

void CPlayerControl::ClearActions() {
    m_Last.skill = -1;
    m_Last.start = -1;
    m_Last.end = -1;
    m_Actions.clear();
}

void CPlayerControl::RecordAction(int32_t skill, int32_t a, int32_t b) {
    m_Last = {skill, Now(), -1, a, b};
    if (skill != -1) {
        m_Actions.push_back(skill);
        // A list longer than every chain gives stage 0 anyway: keep one
        // entry more than the longest chain, so a long fight does not grow it.
        const size_t keep = static_cast<size_t>(MaxChainLength()) + 1;
        if (m_Actions.size() > keep) m_Actions.erase(m_Actions.begin(), m_Actions.end() - static_cast<std::ptrdiff_t>(keep));
    }
    if (m_RightHeld && HasSelectedSlot() && g_ClientHooks.getUseCounter && g_ClientHooks.setUseCounter)
        g_ClientHooks.setUseCounter(g_ClientHooks.getUseCounter() + 1);
}

void CPlayerControl::StampActionTick() { m_Last.end = Now(); }
