#pragma once
// Projectiles ("SkillChild.ini" kind 201): a straight flight from the spawn
// point to the target point with a height above the ground, a ground
// shadow, map collision and an optional afterimage trail. Sub-kinds 1, 3
// and 5 (the returning blade) fly as CMagic201, 2 arcs (CMagic201_2), 4
// spirals in on its target (CMagic201_4).
#include <cstdint>

#include "roles/magic/anim/anim_magic.h"

class CMagic201Base : public CAnimMagic {
public:
    CMagic201Base();
    int Tick() override;                     // 5: flight step
    int Draw(CSurface* surface) override;    // 6: trail, then the picture
    int Start() override;                    // 16: flight start
    virtual void Accelerate();               // 20: height arc step

    int32_t SubKind() const;
    // Velocity, steps and the fall toward the target point; speed 0 removes.
    void Aim();

    CAnimRes m_Shadow;
    int32_t m_FlightMode = 0;
    int32_t m_StepsLeft = 0;
    int32_t m_LastCellX = 0, m_LastCellY = 0;
    int32_t m_CellsTravelled = 0;
    float m_PosX = 0.0f, m_PosY = 0.0f;
    float m_VelX = 0.0f, m_VelY = 0.0f;
    float m_Spare = 0.0f;
    float m_DriftX = 0.0f, m_DriftY = 0.0f;
    int32_t m_Twenty = 20;
    int32_t m_VSpeed = 0;
    int32_t m_HeightAcc = 0;
    int32_t m_GravityStep = 0;
    int32_t m_GravityDiv = 1;
    int32_t m_ReturnState = -1;  // -1 outbound, 0 returning
    int32_t m_Speed = 0;

protected:
    void SwitchSeq(CAnimRes& res, int32_t seq);
    // The shadow at the screen position, mode 3 level 8.
    void DrawShadow(CSurface* surface, int32_t seq, int32_t frame);
    void Lift();
};

class CMagic201 : public CMagic201Base {
public:
    static constexpr int32_t kFlightSeqs = 32;
    static constexpr int32_t kImpactSeqs = 48;
    int Tick() override;
    int Draw(CSurface* surface) override;
    // With impact sequences the object plays one and ends after it.
    int Remove() override;
    int Start() override;
    int32_t m_Ending = 0;
};

class CMagic201_2 : public CMagic201Base {
public:
    int Draw(CSurface* surface) override;
    void Accelerate() override;
};

class CMagic201_4 : public CAnimMagic {
public:
    static constexpr int32_t kLifetime = 2000;
    int Tick() override;
    void UpdateScreenRect() override;
    int Start() override;
    int32_t m_TurnStep = 0;
    int32_t m_Lifetime = 0;
    float m_Angle = 0.0f;
};
