#pragma once
// An item lying on the ground (kind 23). It takes the nearest free cell,
// marks itself in the cell's ground-object word so the player can pick it
// up, shows its picture (a sequence of the item-picture animation 14) under
// a looping sparkle (animation 21), bounces when it had to move to another
// cell, lights up and shows its name under the mouse, and is announced to
// every client view of the scene.
#include <cstdint>
#include <string>

#include "gfx/anim.h"
#include "world/things/anim_map_obj.h"

class CTxtRow;

// Bounce span: two thirds of a second of 28 ticks, in whole ticks (18), and
// its rising half (9).
extern int32_t g_PropFlightTicks;
extern int32_t g_PropRiseTicks;

class CMapProp : public CAnimMapObj {
public:
    static constexpr uint32_t kPictureAnim = 14;
    static constexpr uint32_t kSparkleAnim = 21;
    static constexpr int kDropSound = 36;

    CMapProp();
    ~CMapProp() override;

    // Nearest free cell within 10 of the description's cell (none: 0, the
    // prop is not made); a prop that had to move bounces there.
    int Init(CObjDesc* desc) override;
    // The "PropMdl.txt" row: column 0 name, 3 picture sequence, 4 landing
    // sound (65535 none).
    int InitModel(const void* model) override;
    int Tick() override;
    using CAnimMapObj::Draw;
    int Draw(CSurface* surface) override;
    // Anchor y - height: items rise above their cell.
    void UpdateScreenRect() override;
    // Clears the cell's ground-object word when it still holds this prop.
    int Remove() override;
    // The sparkle loops.
    int StepAnim() override;

    // The description's cell gets the prop's handle as its ground object.
    void PlaceOnCell();
    void SetPropInfo(const char* text, int32_t a, int32_t b);
    // Under the mouse: the name (and "%s:%d" with the count above 1) 35
    // pixels above the anchor.
    void SetHover(uint32_t on);

    int32_t m_Flight = 0;
    const CTxtRow* m_pRow = nullptr;
    int32_t m_Count = 1;
    std::string m_Text;
    int32_t m_ValueA = -1;
    int32_t m_ValueB = -1;
    uint32_t m_Hover = 0;
    float m_ExactX = 0.0f;
    float m_ExactY = 0.0f;
    float m_StepX = 0.0f;
    float m_StepY = 0.0f;
    CAnimPlayer* m_pPicture = nullptr;
    CAnimRes m_PictureRes;
    CAnimRes m_Sparkle;
    int32_t m_VSpeed = 0;
};

// The factory's kind-23 branch: a prop for the description's "PropMdl.txt"
// row (null without one), registered with `id`; `model` gets the row.
CGameObj* MakeMapProp(CObjDesc* desc, int32_t id, const void** model);
// Every kind-23 prop of the list marks its cell again.
void PlacePropMarks(CObjList& props);
