#pragma once
// Small animated objects on the map: the base that creatures, items,
// corpses and timed animations share (CAnimMapObj), and the owned prop of
// kind 24 as the player controller, the spiral search and the attached-magic
// code see it. A CAnimMapObj draws the current frame of its animation
// resource (GetCurAnim) at its screen anchor.
#include <cstdint>

#include "core/geometry.h"
#include "gfx/anim.h"
#include "world/objects/game_obj.h"

class CSurface;
class CImage;

class CAnimMapObj : public CMapObj {
public:
    // Height 0, direction 0, model id 14001, kind 22.
    CAnimMapObj();
    ~CAnimMapObj() override;

    using CGameObj::Draw;
    // Slot 2: stores the world position; returns x.
    int SetPos(int x, int y) override;
    // Slot 5: 1 when StepAnim gives non-zero.
    int Tick() override;
    // Slot 6 on a surface: the current frame at the screen rectangle, plain
    // (display option 0), with its alpha plane, or through the light grid's
    // row under it. Returns 1.
    virtual int Draw(CSurface* surface);
    // Slot 7: anchor = WorldToScreen (world position), y + height;
    // rectangle = the current frame's at the anchor (empty without one).
    void UpdateScreenRect() override;
    // Slot 11.
    virtual int StepAnim() { return 1; }
    // Slot 12: the current frame clipped to `clip`, never through the grid.
    virtual int DrawClipped(CSurface* surface, const CGameRect& clip);
    // Slot 13: the animation resource drawn (null here).
    virtual CAnimRes* GetCurAnim() { return nullptr; }

    // Unless on draw layer 4: the screen rectangle again, then the client's
    // view port redraws it.
    void RequestRedraw();

    int32_t m_Dir = 0;

protected:
    // The current frame of the current sequence, or null (nothing bound).
    CAnimFrame* CurrentFrame();
};

// The animation step of the moving objects (creatures, items, timed
// animations): 1 when the object's StepAnim gives non-zero, else 0.
int RunAnimStep(CAnimMapObj& obj);

// Switches `res` to sequence n: when 0 <= n < sequence count and n differs
// from the current one, the player being left restarts and n becomes
// current. 1 when switched.
int SwitchSequence(CAnimRes& res, int32_t n);

// The rectangle the frame draws to clipped by the view rectangle.
CGameRect ViewClipRect();

// Kind 24: a prop owned by a role that fires once (state 0 idle, 1 fired).
// Nothing in the game makes one; these are the operations others call.
class COwnedProp : public CAnimMapObj {
public:
    COwnedProp();
    ~COwnedProp() override;

    CAnimRes* GetCurAnim() override { return &m_Res; }
    // 0 while armed; else 1 in state 0.
    int IsIdle() const;
    // Stored only while idle.
    void SetHover(uint32_t on);
    // The owner role's camp (cached for when the role is gone).
    int32_t GetOwnerCamp();
    // 0: back to sequence 0; 1: sound 60, sequence 1, inactive and disarmed.
    void SetState(int32_t state);

    CAnimRes m_Res;
    int32_t m_State = 0;
    int32_t m_OwnerCamp = 0;
    uint32_t m_Armed = 0;
    uint32_t m_Hover = 0;
    ObjHandle m_Owner = 0;
};

// A role of the current world by handle: kinds 30-100 only; null for 0.
CGameObj* GetRoleByHandle(ObjHandle handle);

// Spiral of max(radius, 1) cells around cell (x, y) for a ground object of
// kind 24 that is armed and owned by a camp other than `camp`.
COwnedProp* FindOwnedPropNear(int32_t x, int32_t y, int32_t radius, int32_t camp);
