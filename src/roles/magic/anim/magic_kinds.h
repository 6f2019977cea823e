#pragma once
// The stationary, burst and wandering kinds of "SkillChild.ini": 300 an
// animation on a point or stuck to a role (blasts, auras), 500 a burst that
// scatters children once and plays out, 510 a thing that wanders over the
// map dropping children.
#include <cstdint>

#include "roles/magic/anim/anim_magic.h"

class CMagic300 : public CAnimMagic {
public:
    int Tick() override;
    void UpdateScreenRect() override;
    int Start() override;
    // Placement by column 12: the point, the owner or the target.
    void AfterCreate(int32_t x, int32_t y);
    int32_t m_Lifetime = -1;
};

class CMagic500 : public CAnimMagic {
public:
    int Tick() override;
    int Draw(CSurface* surface) override;
    int Start() override;
    int32_t m_Col5 = 0;
    int32_t m_Duration = 0;  // -1 finished
};

class CMagic510 : public CAnimMagic {
public:
    // How far ahead a step must be free.
    static constexpr int32_t kLookAhead = 32;
    int Tick() override;
    int Draw(CSurface* surface) override;
    void UpdateScreenRect() override;
    int Start() override;
    CAnimRes m_Shadow;
    int32_t m_StepLength = 0;
    int32_t m_MovesLeft = 0;  // -1 finished
};

// One of a row's columns 6-8 (a random pick) at the position plus a random
// offset of +-half, parent `parent`, not announced.
CGameObj* DropChild(CAnimMagic* parent, int32_t half);
