#pragma once
// The rectangles of the view that must be repainted this frame. Overlapping
// rectangles are merged while the list is quiet; once it is more than half
// full every overlapping rectangle is swallowed, and when it overflows the
// list collapses to the whole view.
#include <cstdint>
#include <memory>

#include "core/geometry.h"

// A rectangle (inclusive corners (x, y) and (x + width - 1, y + height - 1))
// with its area; the list fills in the area where it merges.
struct CDirtyRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t area = 0;
};

void CopyRect5(CDirtyRect* dst, const CDirtyRect* src);
// Intersection of a and b into out (x, y, width, height; area untouched) and
// 1; 0 with out unchanged when they do not overlap (touching edges do not).
int IntersectRect5(CDirtyRect* out, const CDirtyRect* a, const CDirtyRect* b);

class CDirtyRectList {
public:
    CDirtyRectList() = default;
    ~CDirtyRectList() = default;
    CDirtyRectList(const CDirtyRectList&) = delete;
    CDirtyRectList& operator=(const CDirtyRectList&) = delete;

    // Drops any previous records; room for `capacity`, merge threshold
    // capacity / 2, empty. Returns 1.
    int Create(int32_t capacity);
    void SetBounds(const CDirtyRect& bounds) { CopyRect5(&m_Bounds, &bounds); }
    // Adds (x, y, w, h) clipped to the bounds. Returns the record that now
    // holds it, or null when nothing of it lies inside the bounds (or the
    // list was never created).
    CDirtyRect* Add(int32_t x, int32_t y, int32_t w, int32_t h, int32_t area);
    // Moves the records after i down by one. 0 when i was the last record
    // (or out of range), else 1.
    int RemoveAt(int32_t i);
    void Release();
    // The painter empties the list after each repaint.
    void Clear() { m_Count = 0; }

    int32_t m_Count = 0;
    int32_t m_Capacity = 0;
    int32_t m_Threshold = 0;
    std::unique_ptr<CDirtyRect[]> m_pRects;
    CDirtyRect m_Bounds;
};
