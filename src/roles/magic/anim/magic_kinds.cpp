#include "roles/magic/anim/magic_kinds.h"

#include <algorithm>

#include "gfx/anim.h"
#include "gfx/image.h"
#include "platform/random.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/objects/handle_table.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"
#include "world/things/anim_map_obj.h"

namespace {
void SwitchTo(CAnimRes& res, int32_t seq) {
    if (seq < 0 || seq >= res.m_SeqCount) return;
    res.m_CurSeq = seq;
    if (CAnimPlayer* p = res.CurrentPlayer()) p->Start(false);
}
} // namespace

CGameObj* DropChild(CAnimMagic* parent, int32_t half) {
    const CSkillChildDef* def = parent->GetDef();
    if (!def || !g_CurObjMng) return nullptr;
    const int32_t ids[3] = {def->col6, def->col7, def->col8};
    const int32_t id = ids[plat::Rand() % 3];
    const int32_t dx = plat::Rand() % (2 * half) - half;
    const int32_t dy = plat::Rand() % (2 * half) - half;
    return g_CurObjMng->AddMagic(id, static_cast<uint16_t>(parent->m_X + dx), static_cast<uint16_t>(parent->m_Y + dy),
                                 parent, 0);
}

// ---------------------------------------------------------------- CMagic300

int CMagic300::Start() {
    if (m_pDef) Bind(static_cast<uint32_t>(m_pDef->col4));
    switch (Col(13)) {
    case 1: SwitchTo(*this, RandMod(m_SeqCount)); break;
    case 0: SwitchTo(*this, 0); break;
    case 2: SwitchTo(*this, m_Direction); break;
    default: break;
    }
    SetDrawLayer(Col(14));
    m_Lifetime = Col(10) == 1 ? Col(11) * 10 : -1;
    return 1;
}

void CMagic300::AfterCreate(int32_t x, int32_t y) {
    switch (Col(12)) {
    case 0: SetPos(x, y); break;
    case 1: SetFollowHandle(m_OwnerHandle); break;
    default:
        SetFollowHandle(m_TargetHandle);
        if (!Followed() && g_CurMapGrid) {
            const CGamePoint c = PixelToTile({m_X, m_Y});
            const CMapCell* cell = g_CurMapGrid->GetCell(c.x, c.y);
            if (cell && cell->m_Occupant != 0 && cell->m_Occupant != kNoObj)
                if (CGameObj* r = ResolveHandle16(cell->m_Occupant); r && r->IsRole()) SetFollowHandle(r->m_Handle);
        }
        break;
    }
}

int CMagic300::Tick() {
    if (m_Removed) return 0;
    CAnimMagic::Tick();
    if (m_Removed) return 0;
    if (m_FollowHandle) {
        CGameObj* o = Followed();
        if (!o || o->m_Removed) {
            Remove();
            return 0;
        }
        SetPos(o->m_X + 1, o->m_Y + 1);
        m_Height = o->m_Height;
    }
    CAnimPlayer* p = CurrentPlayer();
    const int32_t rule = Col(10);
    if (rule == 0 || rule == 3) {
        bool end = !p || p->IsAtEnd();
        if (rule == 3) {
            CRole* owner = GetOwnerRole();
            if (!owner || !owner->m_pBoundMagic || owner->m_pBoundMagic->m_Handle != m_ParentHandle) end = true;
        }
        if (end) {
            Remove();
            return 0;
        }
    } else if (rule == 1) {
        if (--m_Lifetime < 1) {
            Remove();
            return 0;
        }
    }
    if (p) p->StepLoop();
    return 1;
}

void CMagic300::UpdateScreenRect() {
    CGamePoint a = g_IsoGrid.WorldToScreen(m_X, m_Y);
    a.y -= m_Height;
    SetScreenRectAt(a);
}

// ---------------------------------------------------------------- CMagic500

int CMagic500::Start() {
    if (m_pDef) {
        Bind(static_cast<uint32_t>(m_pDef->col4));
        m_Col5 = m_pDef->col5;
    }
    m_Duration = Col(10);
    const int32_t n = RandMod(Col(9));
    for (int32_t i = 0; i < n; ++i) DropChild(this, 10);
    if (m_SeqCount >= 8 && m_Direction >= 0 && m_Direction < m_SeqCount) SwitchTo(*this, m_Direction);
    return 1;
}

int CMagic500::Tick() {
    if (m_Removed) return 0;
    if (m_Duration == -1) {
        Remove();
        return 0;
    }
    CAnimPlayer* p = CurrentPlayer();
    if (m_Duration > 0) {
        --m_Duration;
        if (p) p->StepLoop();
    } else {
        if (m_SeqCount >= 8 && m_CurSeq < 16) SwitchTo(*this, m_CurSeq + 16);
        else if (m_SeqCount >= 2 && m_SeqCount < 8 && m_CurSeq == 0) SwitchTo(*this, 1);
        p = CurrentPlayer();
        if (p) p->Step();
        if (!p || p->IsAtEnd()) m_Duration = -1;
    }
    if (m_Duration == -1) {
        Remove();
        return 0;
    }
    return CAnimMagic::Tick();
}

int CMagic500::Draw(CSurface* surface) {
    if (m_Removed) return 0;
    if (CAnimPlayer* p = CurrentPlayer()) {
        const CGameRect view = ViewClipRect();
        p->Draw(surface, m_ScreenX, m_ScreenY, kDrawCopy, -1, &view);
    }
    return 1;
}

// ---------------------------------------------------------------- CMagic510

int CMagic510::Start() {
    if (m_pDef) {
        Bind(static_cast<uint32_t>(m_pDef->col4));
        m_Shadow.Bind(static_cast<uint32_t>(m_pDef->col5));
    }
    m_StepLength = Col(9);
    m_MovesLeft = RandMod(Col(10));
    m_Direction = plat::Rand() & 7;
    SwitchTo(*this, m_Direction);
    return 1;
}

int CMagic510::Tick() {
    if (m_Removed) return 0;
    CAnimMagic::Tick();
    if (m_Removed) return 0;
    if (m_MovesLeft == -1) {
        Remove();
        return 0;
    }
    if (m_MovesLeft < 1) {
        if (plat::Rand() % 15 == 10) DropChild(this, 20);
        if (m_CurSeq != m_Direction + 8) SwitchTo(*this, m_Direction + 8);
        CAnimPlayer* p = CurrentPlayer();
        if (p) p->Step();
        if (!p || p->IsAtEnd()) m_MovesLeft = -1;
        return 1;
    }
    int32_t dir = -1;
    for (int i = 0; i < 8 && dir < 0; ++i) {
        const int32_t d = (m_Direction + i) & 7;
        CGamePoint ahead{m_X, m_Y};
        MoveDir8(ahead, d, kLookAhead);
        const CGamePoint c = PixelToTile(ahead);
        const CMapCell* cell = g_CurMapGrid ? g_CurMapGrid->GetCell(c.x, c.y) : nullptr;
        if (cell && CellAllowsWalkClass(cell, m_WalkClass) && (cell->m_Occupant == 0 || cell->m_Occupant == kNoObj))
            dir = d;
    }
    if (dir < 0) return 1;
    m_Direction = dir;
    CGamePoint pos{m_X, m_Y};
    MoveDir8(pos, dir, m_StepLength);
    SetPos(pos.x, pos.y);
    --m_MovesLeft;
    if (dir != m_CurSeq) SwitchTo(*this, dir);
    if (CAnimPlayer* p = CurrentPlayer()) p->StepLoop();
    if (plat::Rand() % 5 == 1) DropChild(this, 10);
    return 1;
}

void CMagic510::UpdateScreenRect() {
    CAnimMagic::UpdateScreenRect();
    CAnimPlayer* p = CurrentPlayer();
    const int32_t seq = m_CurSeq < m_Shadow.m_SeqCount ? m_CurSeq : 0;
    CAnimPlayer* s = m_Shadow.Player(seq);
    const CAnimFrame* f = s ? s->FrameAt(p ? p->m_CurFrame : 0) : nullptr;
    if (!f) return;
    CGameRect r;
    f->GetRect(m_ScreenX, m_ScreenY, &r);
    if (r.width <= 0 || r.height <= 0) return;
    if (m_ScreenRect.width <= 0 || m_ScreenRect.height <= 0) {
        m_ScreenRect = r;
        return;
    }
    const int32_t left = std::min(r.x, m_ScreenRect.x), top = std::min(r.y, m_ScreenRect.y);
    const int32_t right = std::max(r.x + r.width, m_ScreenRect.x + m_ScreenRect.width);
    const int32_t bottom = std::max(r.y + r.height, m_ScreenRect.y + m_ScreenRect.height);
    m_ScreenRect = CGameRect{left, top, right - left, bottom - top};
}

int CMagic510::Draw(CSurface* surface) {
    if (m_Removed) return 0;
    const CGameRect view = ViewClipRect();
    CAnimPlayer* p = CurrentPlayer();
    const int32_t seq = m_CurSeq < m_Shadow.m_SeqCount ? m_CurSeq : 0;
    if (CAnimPlayer* s = m_Shadow.Player(seq)) {
        s->m_CurFrame = p ? p->m_CurFrame : 0;
        s->Draw(surface, m_ScreenX, m_ScreenY, kDrawBlend, 8, &view);
    }
    if (p) p->Draw(surface, m_ScreenX, m_ScreenY, kDrawCopy, -1, &view);
    return 1;
}
