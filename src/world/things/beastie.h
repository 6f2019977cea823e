#pragma once
// Ground and water creatures (kind 27): they idle or wander inside their
// area, walk to target cells round obstacles, flee from the player's
// character, get pushed aside or squashed by it, and some seek water, jump
// in and stay there, off the draw lists, until the player is far away. The
// same class is the companion of another creature: a translucent copy that
// follows its owner and draws the owner's current frame from its own
// resource. A companion has no description.
#include <cstdint>

#include "gfx/anim.h"
#include "world/things/anim_map_obj.h"

class CTxtRow;

class CBeastie : public CAnimMapObj, public CAnimRes {
public:
    enum : int32_t { kIdle = 0, kWalk = 1, kFlee = 2, kDead = 3, kJump = 4, kInWater = 5 };
    static constexpr uint32_t kSplashAnim = 94;
    static constexpr int kSplashSound = 51;

    // A lower handle (filed at draw layer 0), then kind 27.
    CBeastie();
    ~CBeastie() override;

    CAnimRes* GetAnim() override { return this; }
    // The creature uses the current map grid, not one of its own.
    int Init(CObjDesc* desc) override { return CGameObj::Init(desc); }
    // The "BeastieMdl.txt" row: animation (column 16 for a companion, else
    // 2), facing 5, idle; a light when column 7 is 1; draw layer 1 when
    // column 3 is 3.
    int InitModel(const void* model) override;
    int Tick() override;
    using CAnimMapObj::Draw;
    int Draw(CSurface* surface) override;
    int StepAnim() override;
    CAnimRes* GetCurAnim() override { return this; }

    // 0 when the row names no companion animation (column 16).
    int InitAsCompanion(const CTxtRow* row, ObjHandle owner);
    void SetOwner(ObjHandle owner) { m_Owner = owner; }
    void SetTarget(const CGamePoint& cell);
    CGamePoint GetTargetCell() const { return m_Target; }
    void SetState(int32_t s);
    // The flight from an object. 0 when it has no target (gone, or no path).
    int FleeFrom(ObjHandle handle);
    // 1 when the creature may step onto the map cell.
    int CanEnter(const CGamePoint& cell) const;
    void PlayAct(int32_t i);

    void Wander();
    void WalkStep();
    void OnArrive();
    void JumpToWater();
    void StayInWater();

    int32_t m_State = kIdle;
    CGamePoint m_Target;
    int32_t m_Speed = 0;
    ObjHandle m_Owner = 0;
    int32_t m_Act = -1;
    const CTxtRow* m_pRow = nullptr;
    int32_t m_Timer = 0;
    uint32_t m_Companion = 0;
    uint32_t m_WaterSeek = 0;

private:
    // The probe's answer for the cell of a world point: 1 enterable or off
    // the grid, 0 refused.
    int MayStepOn(const CGamePoint& world) const;
};

// The factory's kind-22 branch for a "BeastieMdl.txt" row: a flying
// creature when column 3 is 1, else a ground one; when column 16 names an
// animation, a companion following it is made and filed too.
CGameObj* MakeBeastie(const CTxtRow* row);
