#include "world/things/anim_map_obj.h"

#include <algorithm>

#include "core/directories.h"
#include "gfx/image.h"
#include "gfx/light_grid.h"
#include "gfx/rle_image.h"
#include "world/map/grid_search.h"
#include "world/objects/handle_table.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/scene/world_sound.h"

namespace {


} // namespace

CGameRect ViewClipRect() {
    const ViewRect* v = GetViewRect();
    return CGameRect{v->x, v->y, v->width, v->height};
}

int RunAnimStep(CAnimMapObj& obj) { return obj.StepAnim() ? 1 : 0; }

int SwitchSequence(CAnimRes& res, int32_t n) {
    if (n < 0 || n >= res.m_SeqCount || n == res.m_CurSeq) return 0;
    if (CAnimPlayer* leaving = res.CurrentPlayer()) leaving->Start(false);
    res.m_CurSeq = n;
    return 1;
}

// ------------------------------------------------------------------ base

CAnimMapObj::CAnimMapObj() {
    m_Height = 0;
    m_Dir = 0;
    m_ModelId = 14001;
    m_Kind = 22;
}

CAnimMapObj::~CAnimMapObj() = default;

int CAnimMapObj::SetPos(int x, int y) {
    m_X = x;
    m_Y = y;
    return x;
}

int CAnimMapObj::Tick() { return RunAnimStep(*this); }

CAnimFrame* CAnimMapObj::CurrentFrame() {
    CAnimRes* res = GetCurAnim();
    CAnimPlayer* p = res ? res->CurrentPlayer() : nullptr;
    return p ? p->CurrentFrame() : nullptr;
}

void CAnimMapObj::UpdateScreenRect() {
    CGamePoint a = g_IsoGrid.WorldToScreen(m_X, m_Y);
    a.y += m_Height;
    m_ScreenX = a.x;
    m_ScreenY = a.y;
    // A resource that failed to bind has no frame: nothing to draw, no area.
    if (CAnimFrame* f = CurrentFrame())
        f->GetRect(a.x, a.y, &m_ScreenRect);
    else
        m_ScreenRect = CGameRect{a.x, a.y, 0, 0};
}

int CAnimMapObj::Draw(CSurface* surface) {
    UpdateScreenRect();
    CAnimFrame* f = CurrentFrame();
    CImage* image = f ? f->GetImage() : nullptr;
    if (!image) return 1;
    const CGameRect view = ViewClipRect();
    const int32_t x = m_ScreenRect.x, y = m_ScreenRect.y;
    if (WorldDisplayOption() == 0) {
        image->Draw(surface, x, y, kDrawCopy, -1, &view);
    } else if (image->m_pAlpha) {
        image->Draw(surface, x, y, kDrawAlpha, -1, &view);
    } else if (image->IsRle()) {
        g_LightGrid.DrawThroughGridRow(surface, static_cast<CRleImage*>(image), &g_LightGrid.Map(), x, y, &view, y);
    } else {
        image->Draw(surface, x, y, kDrawCopy, -1, &view);
    }
    return 1;
}

int CAnimMapObj::DrawClipped(CSurface* surface, const CGameRect& clip) {
    UpdateScreenRect();
    const CGameRect& r = m_ScreenRect;
    const int32_t left = std::max(r.x, clip.x), top = std::max(r.y, clip.y);
    const int32_t right = std::min(r.x + r.width - 1, clip.x + clip.width - 1);
    const int32_t bottom = std::min(r.y + r.height - 1, clip.y + clip.height - 1);
    if (left > right || top > bottom) return 0;
    CAnimFrame* f = CurrentFrame();
    CImage* image = f ? f->GetImage() : nullptr;
    if (!image) return 0;
    const CGameRect cut{left, top, right - left + 1, bottom - top + 1};
    image->Draw(surface, r.x, r.y, image->m_pAlpha ? kDrawAlpha : kDrawCopy, -1, &cut);
    return 1;
}

void CAnimMapObj::RequestRedraw() {
    if (m_DrawLayer == 4) return;
    UpdateScreenRect();
    if (g_WorldHooks.invalidateRect) g_WorldHooks.invalidateRect(m_ScreenRect);
}

// ---------------------------------------------------------------- kind 24

COwnedProp::COwnedProp() { m_Kind = 24; }

COwnedProp::~COwnedProp() = default;

int COwnedProp::IsIdle() const {
    if (m_Armed) return 0;
    return m_State == 0 ? 1 : 0;
}

void COwnedProp::SetHover(uint32_t on) {
    if (IsIdle()) m_Hover = on;
}

int32_t COwnedProp::GetOwnerCamp() {
    if (CGameObj* owner = GetRoleByHandle(m_Owner)) {
        m_OwnerCamp = g_WorldHooks.getRoleCamp ? g_WorldHooks.getRoleCamp(owner) : 0;
    }
    return m_OwnerCamp;
}

void COwnedProp::SetState(int32_t state) {
    m_State = state;
    if (state == 0) {
        if (m_Res.m_SeqCount >= 1 && m_Res.m_CurSeq != 0) {
            if (CAnimPlayer* p = m_Res.CurrentPlayer()) p->Start(false);
            m_Res.m_CurSeq = 0;
        }
    } else if (state == 1) {
        g_WorldSound.playEffectAt(60, CGamePoint{m_X, m_Y}, 0);
        if (m_Res.m_SeqCount >= 2 && m_Res.m_CurSeq != 1) {
            if (CAnimPlayer* p = m_Res.CurrentPlayer()) p->Start(false);
            m_Res.m_CurSeq = 1;
        }
        m_Active = 0;
        m_Armed = 0;
    }
}

CGameObj* GetRoleByHandle(ObjHandle handle) {
    if (handle == 0 || !g_CurHandleTable) return nullptr;
    CGameObj* obj = g_CurHandleTable->Resolve(handle);
    return obj && obj->IsRole() ? obj : nullptr;
}

COwnedProp* FindOwnedPropNear(int32_t x, int32_t y, int32_t radius, int32_t camp) {
    if (!g_CurMapGrid || !g_CurHandleTable) return nullptr;
    CSpiralIter spiral;
    spiral.Init(x, y, std::max(radius, 1));
    CGamePoint c;
    while (spiral.Next(&c)) {
        const CMapCell* cell = g_CurMapGrid->GetCell(c.x, c.y);
        if (!cell) continue;
        CGameObj* obj = g_CurHandleTable->Resolve16(cell->m_GroundObj);
        if (!obj || obj->m_Kind != 24) continue;
        auto* prop = static_cast<COwnedProp*>(obj);
        if (prop->m_Armed && prop->GetOwnerCamp() != camp) return prop;
    }
    return nullptr;
}
