#include "gfx/mouse_cursor.h"

#include <algorithm>

#include "gfx/image.h"
#include "gfx/surface.h"
#include "platform/input.h"

CMouseCursor g_MouseCursor;

int CMouseCursor::SetAnim(uint32_t resId) {
    Clear();
    m_Anim.Bind(resId);
    m_AnimId = resId;
    return 1;
}

int CMouseCursor::SetAttached(CAnimPlayer* player) {
    m_pAttached = player;
    m_AttachedMode = 0;
    return 1;
}

void CMouseCursor::Clear() {
    m_Rects[0] = m_Rects[1] = CCursorRect{};
    m_Anim.Release();
    m_pAttached = nullptr;
    m_AnimId = 0;
}

CAnimPlayer* CMouseCursor::ShapePlayer() const {
    if (CAnimPlayer* p = m_Anim.Player(m_Shape)) return p;
    return m_Anim.Player(0);
}

void CMouseCursor::Draw(CSurface* surface) {
    plat::Point pos;
    plat::GetCursorPos(&pos);
    const int32_t x = pos.x, y = pos.y;
    CAnimPlayer* shape = ShapePlayer();
    CCursorRect& rect = m_Rects[m_RectIndex];
    rect = CCursorRect{};
    if (const CAnimFrame* f = shape ? shape->CurrentFrame() : nullptr) {
        CGameRect r;
        f->GetRect(x, y, &r);
        rect = CCursorRect{r.x, r.y, r.width, r.height, 0};
    }
    if (m_pAttached) {
        int32_t w = 0, h = 0;
        for (int32_t i = 0; i < m_pAttached->m_FrameCount; ++i) {
            if (const CImage* img = m_pAttached->m_pFrames[i].GetImage()) {
                w = std::max(w, img->m_Width);
                h = std::max(h, img->m_Height);
            }
        }
        m_pAttached->Draw(surface, x - w / 2, y - h / 2, m_AttachedMode, -1, nullptr);
    } else if (shape) {
        shape->Draw(surface, x, y, kDrawCopy, -1, nullptr);
        shape->StepLoop();
    }
    // Each back buffer of a flip chain keeps its own record.
    if (surface && surface->m_FullScreen) m_RectIndex ^= 1;
    m_Changed = 0;
}
