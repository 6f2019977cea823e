#include "gfx/dirty_rects.h"

#include <algorithm>

namespace {

// Smallest rectangle holding both; the area field of r is left alone.
void UnionInto(CDirtyRect& r, const CDirtyRect& other) {
    CGameRect u{r.x, r.y, r.width, r.height};
    u.Union(CGameRect{other.x, other.y, other.width, other.height});
    r.x = u.x;
    r.y = u.y;
    r.width = u.width;
    r.height = u.height;
}

} // namespace

void CopyRect5(CDirtyRect* dst, const CDirtyRect* src) { *dst = *src; }

int IntersectRect5(CDirtyRect* out, const CDirtyRect* a, const CDirtyRect* b) {
    const int32_t x0 = std::max(a->x, b->x);
    const int32_t y0 = std::max(a->y, b->y);
    const int32_t x1 = std::min(a->x + a->width - 1, b->x + b->width - 1);
    const int32_t y1 = std::min(a->y + a->height - 1, b->y + b->height - 1);
    if (x0 > x1 || y0 > y1) return 0;
    out->x = x0;
    out->y = y0;
    out->width = x1 - x0 + 1;
    out->height = y1 - y0 + 1;
    return 1;
}

int CDirtyRectList::Create(int32_t capacity) {
    Release();
    capacity = std::max(capacity, 0);
    m_pRects = std::make_unique<CDirtyRect[]>(static_cast<size_t>(capacity));
    m_Capacity = capacity;
    m_Threshold = capacity / 2;
    m_Count = 0;
    return 1;
}

void CDirtyRectList::Release() {
    m_pRects.reset();
    m_Capacity = 0;
    m_Threshold = 0;
    m_Count = 0;
}

int CDirtyRectList::RemoveAt(int32_t i) {
    if (i < 0 || i >= m_Count) return 0;
    std::copy(&m_pRects[i + 1], &m_pRects[m_Count], &m_pRects[i]);
    --m_Count;
    return i == m_Count ? 0 : 1;
}

CDirtyRect* CDirtyRectList::Add(int32_t x, int32_t y, int32_t w, int32_t h, int32_t area) {
    if (!m_pRects || m_Capacity <= 0) return nullptr;
    const int32_t x0 = std::max(x, m_Bounds.x);
    const int32_t y0 = std::max(y, m_Bounds.y);
    const int32_t x1 = std::min(x + w - 1, m_Bounds.x + m_Bounds.width - 1);
    const int32_t y1 = std::min(y + h - 1, m_Bounds.y + m_Bounds.height - 1);
    if (x0 > x1 || y0 > y1) return nullptr;
    CDirtyRect r{x0, y0, x1 - x0 + 1, y1 - y0 + 1, area};
    CDirtyRect overlap;

    if (m_Count > m_Threshold) {
        // Crowded: swallow everything it touches, then append or give up and
        // repaint the whole bounds.
        for (int32_t i = 0; i < m_Count;) {
            if (!IntersectRect5(&overlap, &r, &m_pRects[i])) {
                ++i;
                continue;
            }
            UnionInto(r, m_pRects[i]);
            if (!RemoveAt(i)) break;
        }
        if (m_Count < m_Capacity) {
            m_pRects[m_Count] = r;
            return &m_pRects[m_Count++];
        }
        m_pRects[0] = m_Bounds;
        m_Count = 1;
        return &m_pRects[0];
    }

    // Quiet: merge only where the union costs no more than the overlap.
    for (int32_t i = 0; i < m_Count;) {
        CDirtyRect& rec = m_pRects[i];
        if (!IntersectRect5(&overlap, &r, &rec)) {
            ++i;
            continue;
        }
        const int32_t inter = overlap.width * overlap.height;
        r.area = r.width * r.height;
        rec.area = rec.width * rec.height;
        CDirtyRect u = r;
        UnionInto(u, rec);
        const int32_t unionArea = u.width * u.height;
        if (unionArea - rec.area - r.area <= inter) {
            r = u;
            r.area = unionArea;
            if (!RemoveAt(i)) break;
        } else {
            ++i;
        }
    }
    m_pRects[m_Count] = r;
    return &m_pRects[m_Count++];
}
