#include "gfx/drawable.h"

#include <algorithm>

#include "gfx/image.h"
#include "platform/random.h"

int CImageDrawable::Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) {
    CImage* img = GetImage();
    return img ? img->Draw(dst, x, y, mode, level, clip) : 0;
}

void CImageDrawable::GetRect(CGameRect* rect) {
    const CImage* img = GetImage();
    rect->width = img ? img->m_Width : 0;
    rect->height = img ? img->m_Height : 0;
}

CImage* CAnimDrawable::GetImage() {
    const CAnimPlayer* p = CurrentPlayer();
    const CAnimFrame* f = p ? p->CurrentFrame() : nullptr;
    return f ? f->GetImage() : nullptr;
}

int CAnimDrawable::Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) {
    const CAnimPlayer* p = CurrentPlayer();
    return p ? p->Draw(dst, x, y, mode, level, clip) : 0;
}

void CAnimDrawable::GetRect(CGameRect* rect) {
    const CAnimPlayer* p = CurrentPlayer();
    const CAnimFrame* f = p ? p->CurrentFrame() : nullptr;
    if (f) f->GetRect(rect->x, rect->y, rect);
}

void CAnimDrawable::GetFullRect(CGameRect* rect) {
    const CAnimPlayer* p = CurrentPlayer();
    if (!p || p->m_FrameCount < 1) return;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    for (int32_t i = 0; i < p->m_FrameCount; ++i) {
        CGameRect r;
        p->m_pFrames[i].GetRect(rect->x, rect->y, &r);
        if (i == 0 || r.x < left) left = r.x;
        if (i == 0 || r.y < top) top = r.y;
        if (i == 0 || r.x + r.width > right) right = r.x + r.width;
        if (i == 0 || r.y + r.height > bottom) bottom = r.y + r.height;
    }
    *rect = CGameRect{left, top, right - left, bottom - top};
}

int CreateDrawable(CDrawable** out, bool animated, uint32_t resId) {
    if (animated) {
        auto* d = new CAnimDrawable();
        d->Bind(resId);
        // A table without sequences has no player and a sequence without
        // frames no start frame to draw: nothing to randomise.
        if (CAnimPlayer* p = d->CurrentPlayer(); p && p->m_FrameCount > 0) p->m_CurFrame = plat::Rand() % p->m_FrameCount;
        *out = d;
    } else {
        auto* d = new CImageDrawable();
        d->SetById(resId);
        *out = d;
    }
    return 1;
}
