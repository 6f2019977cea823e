#pragma once
// Pictures placed in the world that draw themselves without the owner
// knowing whether they are a still image or an animation (building parts).
#include <cstdint>

#include "core/geometry.h"
#include "gfx/anim.h"
#include "gfx/image_ref.h"

class CImage;
class CSurface;

class CDrawable {
public:
    virtual ~CDrawable() = default;
    // The picture shown now, or null.
    virtual CImage* GetImage() { return nullptr; }
    // What the picture's draw returns; 0 when there is nothing to draw.
    virtual int Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) {
        (void)dst, (void)x, (void)y, (void)mode, (void)level, (void)clip;
        return 0;
    }
    // In: the position in x, y. Out: the rectangle of the current picture.
    virtual void GetRect(CGameRect* rect) { (void)rect; }
    // In: the position. Out: the rectangle covering every picture the
    // drawable can show.
    virtual void GetFullRect(CGameRect* rect) { (void)rect; }
};

class CImageDrawable : public CDrawable, public CImageRef {
public:
    CImage* GetImage() override { return CImageRef::GetImage(); }
    int Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) override;
    void GetRect(CGameRect* rect) override;
    void GetFullRect(CGameRect* rect) override { GetRect(rect); }
};

// The current sequence's player gives the picture; the frames advance only
// through the players.
class CAnimDrawable : public CDrawable, public CAnimRes {
public:
    CImage* GetImage() override;
    int Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) override;
    void GetRect(CGameRect* rect) override;
    void GetFullRect(CGameRect* rect) override;
};

// A new drawable in *out: animated, bound to the id with the current
// sequence at a random start frame (no draw from the generator when the
// sequence has no frames); otherwise a still image set to the id. 1.
int CreateDrawable(CDrawable** out, bool animated, uint32_t resId);
