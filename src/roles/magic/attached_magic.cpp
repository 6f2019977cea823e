#include "roles/magic/attached_magic.h"

#include "core/packet.h"

#include <cmath>

#include "gfx/anim.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "roles/tables/skill_table.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/objects/handle_table.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/things/anim_map_obj.h"

namespace {

constexpr int32_t kMotionDash = 32;

CRole* RoleOnCell(const CGamePoint& pixel) {
    if (!g_CurMapGrid) return nullptr;
    const CGamePoint c = PixelToTile(pixel);
    const CMapCell* cell = g_CurMapGrid->GetCell(c.x, c.y);
    if (!cell || cell->m_Occupant == kNoObj || cell->m_Occupant == 0) return nullptr;
    return AsRole(ResolveHandle16(cell->m_Occupant));
}

bool InLeap(const CRole* r) { return r->m_Motion >= 20 && r->m_Motion <= 30; }

int32_t Cells(const CAttachedMagic* m) { return m->m_CastData[3]; }

} // namespace

void MakeAttachedMagicPacket(uint8_t* out, ObjHandle owner, int32_t skillId, int32_t x, int32_t y) {
    PacketFields f;
    f.type = kPacketAttachedMagic;
    f.handle = owner;
    f.id = skillId;
    f.x = x;
    f.y = y;
    WritePacket(f, out, 9);
}

// ---------------------------------------------------------------- CAttachedMagic

CAttachedMagic::CAttachedMagic() { m_Kind = 7; }

CAnimPlayer* CAttachedMagic::GetCurrentPlayer() {
    CGameObj* o = GetOwner();
    if (CActor* a = dynamic_cast<CActor*>(o)) return a->GetCurrentAnim();
    CAnimRes* res = o ? o->GetAnim() : nullptr;
    return res ? res->CurrentPlayer() : nullptr;
}

CAnimRes* CAttachedMagic::GetAnimRes() {
    CRole* r = GetOwnerRole();
    return r ? r->GetAnimSet() : nullptr;
}

int32_t CAttachedMagic::GetSkillByte() const { return m_pSkill ? m_pSkill->col27 : 0; }

int CAttachedMagic::Init(CGameObj* owner, int32_t skillId, const CGamePoint* point, ObjHandle target) {
    const CSkillDef* skill = skillId >= 0 ? g_SkillTable.GetAt(skillId) : nullptr;
    if (!skill || !owner) return 0;
    CRole* role = AsRole(owner);
    m_ParentHandle = m_Handle;
    m_CastData[2] = skill->distance2 / 64;
    m_CastData[3] = role ? role->GetSkillRangeCells(skillId) : skill->rangeCells;
    CGameObj* t = target ? ResolveHandle(target) : nullptr;
    if (t) {
        m_TargetHandle = target;
        m_TargetX = t->m_X;
        m_TargetY = t->m_Y;
    } else {
        const CGamePoint p = point ? *point : CGamePoint{owner->m_X, owner->m_Y};
        m_TargetX = p.x;
        m_TargetY = p.y;
        CRole* on = RoleOnCell(p);
        m_TargetHandle = on && on != owner ? on->m_Handle : 0;
    }
    SetSkill(skill);
    SetupEffectLists(skill->effects.data(), static_cast<int>(skill->effects.size()));
    m_OwnerHandle = owner->m_Handle;
    SetWalkClass(owner->m_WalkClass);
    SetPos(owner->m_X, owner->m_Y);
    m_SavedX = owner->m_X;
    m_SavedY = owner->m_Y;
    m_Direction = GetDir8({m_TargetX, m_TargetY}, {m_X, m_Y});
    if (role) {
        role->SetComboChain(skill);
        const int32_t reach = Cells(this) * 64;
        if (m_TargetX == m_X && m_TargetY == m_Y) {
            m_Direction = role->GetFacing8();
            CGamePoint p{m_TargetX, m_TargetY};
            MoveDir8(p, m_Direction, reach);
            m_TargetX = p.x;
            m_TargetY = p.y;
        }
        const double dx = m_TargetX - m_X, dy = m_TargetY - m_Y;
        const int32_t d = static_cast<int32_t>(std::sqrt(dx * dx + dy * dy));
        if (d > 0 && !(skill->targetClamp == 1 && d <= reach)) {
            // Put the point on the line at exactly the reach.
            const float f = 0.001f * (1000.0f / static_cast<float>(d) * static_cast<float>(reach));
            m_TargetX = m_X + static_cast<int32_t>(static_cast<float>(m_TargetX - m_X) * f);
            m_TargetY = m_Y + static_cast<int32_t>(static_cast<float>(m_TargetY - m_Y) * f);
        }
        if (g_RoleHooks.recordAction) g_RoleHooks.recordAction(role, skill->group, m_Direction, 0);
    }
    m_StartX = m_TargetX;
    m_StartY = m_TargetY;
    return 1;
}

int CAttachedMagic::Tick() {
    CGameObj* owner = GetOwner();
    if (!owner) {
        Remove();
        return 0;
    }
    StepTimers();
    if (m_Removed) return 0;
    if (CRole* r = AsRole(owner)) {
        if (m_DetachRequest) {
            RunAll(kListRelease, this);
            Remove();
            return 0;
        }
        SetPos(r->m_X, r->m_Y);
        switch (m_Stage) {
        case 1: {
            const int32_t n = r->m_DirCount > 0 ? r->m_DirCount : 8;
            CAnimPlayer* p = r->GetCurrentAnim();
            if (m_pSkill && r->GetCurrentAnimIndex() / n != m_pSkill->animBase / n) {
                Remove();
                return 0;
            }
            if (p && p->IsAtEnd()) {
                RunAll(kListEnd, this);
                Remove();
                return 0;
            }
            break;
        }
        case 2:
            if (r->m_Motion != kMotionDash) SetStage(1);
            break;
        case 3:
            if (!InLeap(r)) SetStage(1);
            break;
        case 4:
            if (!InLeap(r)) {
                SetStage(1);
                Remove();
            }
            break;
        default: break;
        }
        if (m_Removed) return 0;
    }
    StepFrameEffects();
    return 1;
}

void CAttachedMagic::SetStage(int32_t stage) {
    CRole* r = GetOwnerRole();
    if (!r) return;
    const int32_t from = m_Stage;
    m_Stage = stage;
    const CGamePoint cell = PixelToTile({m_TargetX, m_TargetY});
    const int32_t anim = (m_pSkill ? m_pSkill->animBase : 0) + r->m_Facing;
    switch (stage) {
    case 2:
        r->GiveOrder(7, cell.x, cell.y, Cells(this), 0, 0);
        if (r->m_Motion != kMotionDash) Remove();
        break;
    case 3:
        r->GiveOrder(12, cell.x, cell.y, Cells(this), 0, 0);
        r->SetAnimIndex(anim);
        r->SetFlag(512, 0);
        break;
    case 4:
        r->GiveOrder(25, m_TargetX, m_TargetY, 0, 0, 0);
        r->SetAnimIndex(anim);
        break;
    case 1: {
        if (from != 2) {
            CAnimPlayer* p = r->GetCurrentAnim();
            if (!p || p->IsAtEnd()) Remove();
            break;
        }
        if (r->CanKeepMoving() || m_SweepShape == -1) {
            r->SetAnimIndex(anim);
            break;
        }
        // The dash was stopped: against something in the way the owner
        // reels, in the open the effect ends.
        const CGamePoint here = r->GetCell();
        const int32_t f = r->GetFacing8();
        CGamePoint ahead = here, side = here;
        MoveDir8(ahead, f, 1);
        MoveDir8(side, (f + 1) & 7, 1);
        bool wall = false;
        for (const CGamePoint& c : {here, ahead, side}) {
            const CMapCell* m = g_CurMapGrid ? g_CurMapGrid->GetCell(c.x, c.y) : nullptr;
            if (m && m->m_Terrain != 0) wall = true;
        }
        if (wall) r->SetPosture(kPostureTumbling);
        else Remove();
        break;
    }
    default: break;
    }
}

void CAttachedMagic::Detach() {
    CRole* r = GetOwnerRole();
    if (!r) return;
    if (r->m_pBoundMagic == this) r->m_pBoundMagic = nullptr;
    r->SetKeptStateFlag(1);
    r->SetAnimIndex(-1);
    if (CAnimPlayer* p = r->GetCurrentAnim()) p->m_DelayOffset = 0;
    if (g_RoleHooks.stampActionTick) g_RoleHooks.stampActionTick(r);
    r->UpdateSpeed(0);
}

int CAttachedMagic::Remove() {
    if (m_Removed) return 1;
    CMagic::Remove();
    Detach();
    return 1;
}

// ---------------------------------------------------------------- CAttachedMagicList

CAttachedMagicList::~CAttachedMagicList() {
    m_List.SetCursor(m_List.Head());
    while (m_List.Cursor()) m_List.SetCursor(m_List.RemoveCurrent());
}

CMagic* CAttachedMagicList::CreateAttachedMagic(ObjHandle ownerHandle, int32_t skillId, const CGamePoint* point,
                                               ObjHandle target) {
    CGameObj* owner = ownerHandle ? ResolveHandle(ownerHandle) : nullptr;
    const CSkillDef* skill = skillId >= 0 ? g_SkillTable.GetAt(skillId) : nullptr;
    if (skill && skill->kind == 2) {
        CRole* ally = target ? AsRole(ResolveHandle(target)) : (point ? RoleOnCell(*point) : nullptr);
        CRole* o = AsRole(owner);
        if (!o || !ally || o->m_Camp != ally->m_Camp) return nullptr;
    }
    if (!owner) return nullptr;
    auto* magic = new CAttachedMagic;
    if (!magic->Init(owner, skillId, point, target) || magic->m_Removed) {
        delete magic;
        return nullptr;
    }
    auto* node = new CAttachedMagicNode;
    node->m_pMagic = magic;
    m_List.AddTail(node);
    if (CRole* r = AsRole(owner)) {
        r->m_pBoundMagic = magic;
        r->SetAnimIndex(skill->animBase + r->m_Facing);
        r->SetAnimOrDefault(-1);
        if (CAnimPlayer* p = r->GetCurrentAnim()) {
            p->Start(false);
            p->m_DelayOffset = 0;
        }
        magic->StepTimers();
    } else if (COwnedProp* prop = dynamic_cast<COwnedProp*>(owner)) {
        prop->SetState(1);
    }
    if (g_CurScene) {
        uint8_t packet[9];
        MakeAttachedMagicPacket(packet, owner->m_Handle, skillId, magic->m_TargetX, magic->m_TargetY);
        g_CurScene->SendInView(packet, owner->m_X, owner->m_Y);
    }
    return magic;
}

void CAttachedMagicList::Step() {
    m_List.SetCursor(m_List.Head());
    while (CObjNode* n = m_List.Cursor()) {
        CAttachedMagic* m = static_cast<CAttachedMagicNode*>(n)->m_pMagic;
        if (m && !m->m_Removed) m->Tick();
        // The tick may have added nodes behind; the cursor is still here.
        m_List.SetCursor(n);
        if (!m || m->m_Removed) m_List.SetCursor(m_List.RemoveCurrent());
        else m_List.SetCursor(n->Next());
    }
}

void CAttachedMagicList::RemoveAll() {
    for (CObjNode* n = m_List.Head(); n; n = n->Next())
        if (CAttachedMagic* m = static_cast<CAttachedMagicNode*>(n)->m_pMagic) m->Remove();
    m_List.SetCursor(m_List.Head());
    while (m_List.Cursor()) m_List.SetCursor(m_List.RemoveCurrent());
}

CAttachedMagicNode::~CAttachedMagicNode() { delete m_pMagic; }

void InstallAttachedMagicHooks() {
    g_WorldHooks.createMagicList = []() -> CAttachedMagicList* { return new CAttachedMagicList; };
    g_WorldHooks.clearMagicList = [](CAttachedMagicList* list) {
        if (list) list->RemoveAll();
    };
    g_WorldHooks.deleteMagicList = [](CAttachedMagicList* list) { delete list; };
    g_SceneHooks.stepMagicList = [](CAttachedMagicList* list) {
        if (list) list->Step();
    };
    g_SceneHooks.removeAllMagic = [](CAttachedMagicList* list) {
        if (list) list->RemoveAll();
    };
}
