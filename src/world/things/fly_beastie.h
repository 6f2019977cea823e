#pragma once
// Flying creatures (kind 4): they drift up and down, idle or wander inside
// the area their description allows, fly in straight lines from cell to
// cell, and flee from (or keep to) the player's character. The trail
// animation base is the creature's animation resource.
#include <cstdint>

#include "gfx/trail.h"
#include "world/objects/game_obj.h"

class CSurface;
class CTxtRow;

class CFlyObj : public CGameObj, public CTrailAnim {
public:
    // Kind 4, a lower handle (draw layer 2), height 0.
    CFlyObj();
    ~CFlyObj() override;

    CAnimRes* GetAnim() override { return this; }
    int SetPos(int x, int y) override;
    // 1 when StepAnim gives non-zero.
    int Tick() override;
    using CGameObj::Draw;
    virtual int Draw(CSurface* surface);
    // Anchor = the world position on screen (no height); rectangle = the
    // current frame's there (empty without one).
    void UpdateScreenRect() override;
    virtual int StepAnim() { return 1; }

protected:
    CAnimFrame* CurrentFrame() const;
    // The current frame: plain, with its alpha plane, or through the light
    // grid's row under it.
    void DrawFrame(CSurface* surface, int lightMode);
};

class CFlyBeastie : public CFlyObj {
public:
    CFlyBeastie();
    ~CFlyBeastie() override;

    // The "BeastieMdl.txt" row (const CTxtRow*): animation, starting
    // height (column 17), facing 5, landed; a light when column 7 is 1.
    int InitModel(const void* model) override;
    int Tick() override;
    // Raised by its height; drawn by column 4 (plain, lit, translucent).
    int Draw(CSurface* surface) override;
    // Groups of eight directions: idle (+ 8 unless exactly 8), flying,
    // reacting (+ 16).
    int StepAnim() override;

    // Idle at the normal speed.
    void Land();
    // Straight flight to the cell's centre; 0 (landed) when already there.
    int FlyTo(const CGamePoint& cell);
    void FlyStep();
    void Wander();
    // Flees from the role, or (column 10 = 2) heads for the path point
    // nearest to it. Without a target (no path) nothing changes.
    void FleeFrom(CGameObj* role);
    CGamePoint GetTargetCell() const { return m_Target; }

    int32_t m_Dir = 0;
    int32_t m_State = 0;  // 0 idle, 1 wandering flight, 2 reacting
    int32_t m_Steps = 0;
    float m_ExactX = 0.0f;
    float m_ExactY = 0.0f;
    float m_StepX = 0.0f;
    float m_StepY = 0.0f;
    CGamePoint m_Target;
    int32_t m_Speed = 0;
    uint32_t m_Ticks = 0;
    int32_t m_Drift = 0;
    const CTxtRow* m_pRow = nullptr;
};
