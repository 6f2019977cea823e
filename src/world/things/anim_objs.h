#pragma once
// Bare animations on the ground, all of kind 22:
// - CTimedAnimObj plays once, holds its last frame and goes after 300
//   ticks (ground marks of skills and landing body parts); on a water cell
//   it shows the splash 95 instead;
// - CFootprintObj stays 300 ticks, then plays the fade sequence (+ 8) and
//   goes;
// - COneShotAnimObj goes when its sequence ends (splashes, weather).
// Each registers a lower handle when made; the creator places it and files
// it with the object manager.
#include <cstdint>

#include "gfx/anim.h"
#include "world/things/anim_map_obj.h"

class CTimedAnimObj : public CAnimMapObj, public CAnimRes {
public:
    static constexpr uint32_t kSplashAnim = 95;

    CTimedAnimObj();
    ~CTimedAnimObj() override;

    // Binds the animation (95, sequence 0 on a water cell) and switches to
    // `seq`; -1 picks one at random (none for a resource without sequences).
    int SetAnimation(uint32_t id, int32_t seq);
    int StepAnim() override;
    int Tick() override;
    CAnimRes* GetCurAnim() override { return this; }

    int32_t m_Age = 0;
    int32_t m_Life = 300;
};

class CFootprintObj : public CTimedAnimObj {
public:
    // Slot 14: the animation, a redraw, not fading, 300 ticks to live.
    virtual int Setup(uint32_t id, int32_t seq);
    int Tick() override;
    void StartFade();

    uint32_t m_Fading = 0;
};

class COneShotAnimObj : public CAnimMapObj, public CAnimRes {
public:
    COneShotAnimObj();
    ~COneShotAnimObj() override;

    // Slot 14: binds and starts on sequence 0.
    virtual int SetAnimation(uint32_t id);
    int StepAnim() override;
    // Removed on the last tick of its sequence; one without frames (or
    // without any sequence) goes at once rather than never.
    int Tick() override;
    CAnimRes* GetCurAnim() override { return this; }
};
