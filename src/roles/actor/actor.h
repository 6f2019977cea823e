#pragma once
// Everything that walks on a world's map grid: the motion state machine
// run once a logic tick, pixel steps between cells, cell occupancy, facing
// in 8 or 16 directions, a height for jumps and knock-backs, the state
// bytes and the path buffer.
//
// Two copies of the simulation may hold an actor: the server side (a scene
// is current) decides and tells the watching clients (motion packet 3/52,
// cell packet 4); the client side (no current scene) only applies what it
// is told. Each operation tests g_CurScene when it is called.
#include <cstdint>

#include "core/geometry.h"
#include "world/objects/game_obj.h"

class CTxtRow;
class CRoleSprite;
struct CMapCell;
class CAnimRes;
class CAnimPlayer;

// The motion field.
enum ActorMotion : int32_t {
    kMotionStand = 1,
    kMotionBounce = 2,     // knock-back bouncing off obstacles
    kMotionSlide = 3,      // knock-back stopping at obstacles
    kMotionWalk = 11,
    kMotionPlayOnce = 21,
    kMotionJump = 22,      // play once, airborne
    kMotionArc = 23,
    kMotionCircle = 24,
    kMotionPushed = 31,
    kMotionReturn = 32,
    kMotionHitReaction = 33,
};

// CGameObj::m_ClassBits of the roles' classes.
constexpr uint8_t kClassBitActor = 1;
constexpr uint8_t kClassBitRole = 2;

class CActor : public CMapObj {
public:
    struct Override {
        uint32_t value = 0;
        int32_t countdown = -1;  // -1: free (or, with a value, permanent)
    };

    CActor();
    ~CActor() override;
    CActor(const CActor&) = delete;
    CActor& operator=(const CActor&) = delete;

    // ---- slots (1-10 are CGameObj's)
    // 2: previousPosition = position; position = (x, y).
    int SetPos(int x, int y) override;
    void SetPixelPos(int32_t x, int32_t y) { SetPos(x, y); }
    int InitModel(const void*) override { return 1; }
    // 5: the height tick (TickValue).
    int Tick() override { TickValue(); return 1; }
    int Draw(int) override { return 1; }
    int FreeRes() override { return 1; }
    int LoadRes() override { return 1; }
    // 11: motion dispatch; 12: idle separation, jump apex, AdvanceStep.
    virtual void Update();
    virtual void PostUpdate();
    virtual int IsUntargetable() { return 1; }                    // 13
    virtual void SetAnimIndex(int32_t) {}                         // 14
    virtual int TestFlag(uint32_t) const { return 0; }            // 15
    virtual int IsPosture(int32_t) const { return 1; }            // 16
    virtual int IsTumbled() const { return 1; }                   // 17
    virtual void SetOverride(int32_t, int32_t, int32_t) {}        // 18
    virtual void UpdateSpeed(int32_t) {}                          // 19
    virtual void SetFlag(uint32_t, int) {}                        // 20
    virtual int IsMobile() const { return 1; }                    // 21
    virtual int FindPath();                                       // 22
    // The mount of a role (none here; roles fill it).
    virtual int HasMount() const { return 0; }
    // The role's order operation (slot 23) and its posture; an actor takes
    // no orders and keeps its posture.
    virtual void Order(int32_t, uint32_t, uint32_t, uint32_t, int, int) {}
    virtual void SetPosture(int32_t) {}

    // ---- motions
    void SetMotion(int32_t motion, int32_t p1, int32_t p2, int32_t p3);
    int CanKeepMoving() const;
    void SetMoveOk(uint32_t v) { m_MoveOk = v; }
    int MoveTo(const CGamePoint& cell);

    // ---- cells and placement
    int EnterCell(int32_t cellX, int32_t cellY, int mode);
    void LeaveCell();
    void SavePosition();
    void RestorePosition();
    int PlaceNear(int32_t x, int32_t y, int32_t radius);
    // Client side of the cell packet.
    void ApplyServerPosition(int32_t cellX, int32_t cellY, int32_t x, int32_t y, int32_t speed);
    // The recorded cell (the placement record's), (-1, -1) without one.
    CGamePoint GetCell() const;

    // ---- facing
    int DirectionTo(const CGamePoint& a, const CGamePoint& b) const;
    void SetDirection(int32_t d);
    void SetDirection8(int32_t d) { SetDirection(m_DirCount == 16 ? d * 2 : d); }
    void FaceTo(const CGamePoint& a, const CGamePoint& b) { SetDirection(DirectionTo(a, b)); }
    void TurnBy(int32_t n);
    int32_t GetFacing8() const { return m_DirCount == 16 ? m_Facing / 2 : m_Facing; }

    // ---- steps and speed
    int PlanStep(int32_t x, int32_t y, int32_t speed);
    int PlanStepToCell(int32_t cx, int32_t cy, int32_t speed);
    int IsStepDone() const { return m_StepsLeft < 1; }
    int AdvanceStep();
    // A step planned aside: {tag, steps, dx bits, dy bits} in
    // secondaryStep; the running step is left as it is.
    void PlanSecondaryStep(int32_t x, int32_t y, int32_t speed, int32_t tag);
    void PlanPushStep(int32_t count, int32_t speed, int32_t dir, int32_t tag);
    void SetSpeed(int32_t v);
    void SetRadius(int32_t r) { m_Radius = r; }
    void ClearStates();
    // The state byte `k & 255`; 0 for 128 and above.
    int HasState(int32_t k) const;
    void SetState(int32_t k, uint8_t v);
    // The scene's wind direction (0-7), -1 without wind.
    static int32_t WindDirection();

    // ---- pushes and knock-backs
    int TryPush(int32_t step, int32_t dir, int chain);
    int TryPushOffset(int32_t dx, int32_t dy, int chain);

    // ---- animation set: the main part of the composed sprite
    // Null (and index 0) without a sprite or a bound main part.
    CAnimRes* GetAnimSet() const;
    // Animation i; the first when i is out of range.
    CAnimPlayer* GetAnimAt(int32_t i) const;
    CAnimPlayer* GetCurrentAnim() const;
    int32_t GetCurrentAnimIndex() const;
    // Out of range or unchanged: nothing; else the newly selected animation
    // restarts.
    void SelectAnim(int32_t i);
    // g != -1 becomes defaultAnimGroup; selects defaultAnimGroup.
    void SetAnimOrDefault(int32_t g);

    // ---- target and path
    CGameObj* GetTarget();
    void SetBlocker(uint32_t h) { if (h != m_Handle) m_BlockerHandle = h; }
    CGamePoint GetPathGoal() const { return m_PathGoal; }
    void SetPathCapacity(int32_t n);
    CGamePoint* GetPathPoint(int32_t i);
    void SetHeightVelocity(int32_t v, int32_t target);
    void TickValue();

    // ---- fields
    int32_t m_Motion = -1;
    int32_t m_MotionP1 = 0, m_MotionP2 = 0, m_MotionP3 = 0;
    uint32_t m_RunningAtLastMotion = 0;
    Override m_Overrides[20];
    int32_t m_RoleScratch0 = -1;
    int32_t m_DefaultAnimGroup = 0;
    CGamePoint m_LastTrailPos{0, 0};
    uint32_t m_BlockerHandle = 0;
    uint32_t m_TargetHandle = 0;
    uint32_t m_ExcludeHandle = 0;
    int32_t m_Facing = 0;
    int32_t m_Speed = 0;
    int32_t m_Step = 0;
    uint32_t m_TickCount = 0;
    CGamePoint m_PathGoal{0, 0};
    CGamePoint m_StepTarget{0, 0};
    int32_t m_TurnDelay = 0;
    CGamePoint* m_pPathPoints = nullptr;  // owned, pathCapacity + 5 entries
    int32_t m_PathLength = 0;
    int32_t m_PathIndex = 0;
    int32_t m_PathCapacityWanted = 0;
    int32_t m_PathCapacity = 5;
    uint32_t m_StepDone = 0;
    int32_t m_PushDivisor = 5;
    const CTxtRow* m_pModelRow = nullptr;
    const CTxtRow* m_pLevelRow = nullptr;
    const CTxtRow* m_pSkillRow = nullptr;
    int32_t m_JumpHalfSteps = 0;
    int32_t m_HeightVelocity = 0;
    int32_t m_HeightTarget = 0;
    CRoleSprite* m_pSprite = nullptr;  // owned
    int32_t m_Camp = 0;
    uint8_t m_States[128] = {};
    uint8_t m_StateCountdowns[128] = {};
    uint32_t m_Backing = 0;
    CGamePoint m_HeldPosition{-1, -1};
    CMapCell* m_pHeldCell = nullptr;
    int32_t m_DirCount = 8;
    int32_t m_Radius = 0;
    int32_t m_FootprintSide = 0;
    CGamePoint m_LastFootprint{0, 0};
    CGamePoint m_PreviousPosition{0, 0};
    CGamePoint m_PushOrigin{0, 0};
    int32_t m_PushLimit = 0;
    uint32_t m_PathFound = 0;
    int32_t m_StepsLeft = 0;
    float m_StepPos[2] = {};
    float m_StepDelta[2] = {};
    int32_t m_SecondaryStep[4] = {};
    uint32_t m_LastPathTick = 0;
    uint32_t m_MoveOk = 0;
    uint8_t m_WaitTicks = 0;
    uint8_t m_WaitCount = 0;
    // The frame-delay adjustment SetSpeed chose for the walk animations.
    int32_t m_WalkFrameDelay = 0;
    // The recorded cell of an actor without a placement record, and 1 while
    // the actor has marked its recorded cell.
    CGamePoint m_Cell{-1, -1};
    int32_t m_OnCell = 0;

protected:
    void EnterMotion();
    void LeaveMotion();
    // The grid the actor stands on: its own, else the current one.
    CMapGrid* Grid() const;
    CMapCell* RecordedCell() const;
    void SetRecordedCell(int32_t x, int32_t y);
    void SendMotionPacket();
    void SendCellPacket(int32_t cellX, int32_t cellY);
    // The airborne walk class for a jump toward cell (x, y).
    void TakeAirborneClass(int32_t x, int32_t y);

    void IdleSeparation();
    void TickWalk8();
    void TickWalk16();
    void TickPlayOnce();
    void TickPushed();
    void TickHitReaction();
    void TickReturn();
    void TickBounce();
    void TickSlide();
    void TickArc();
    void TickCircle();
    void StartKnockBack();
    int StartJump();
    int StartArc();
    void StartCircle();
    int StartReturn();
    void UpdateWalkFacing();
    // Phase 1 rises for half the steps; phase 0 lands and falls.
    void SetJumpPhase(int phase);
    void CheckJumpApex();
    // The step shared by pushed and hit motions.
    void PushedStep();
    int ChooseReachableGoal(const CGamePoint& goal);
    // Re-enters the walk after a failed step; stands when it may not go on.
    void ReenterWalk();
};

// The one path search engine of the process: start-up makes it
// (CreatePathSearch; a second call keeps the first), it is deleted at exit
// or by DeleteActorPathSearch. Without one every path search fails.
class CPathSearch;
void CreateActorPathSearch();
CPathSearch* ActorPathSearch();
void DeleteActorPathSearch();

// The object as an actor (dynamic_cast's answer, from the class bits).
inline CActor* AsActor(CGameObj* obj) {
    return obj && (obj->m_ClassBits & kClassBitActor) ? static_cast<CActor*>(obj) : nullptr;
}
inline const CActor* AsActor(const CGameObj* obj) {
    return obj && (obj->m_ClassBits & kClassBitActor) ? static_cast<const CActor*>(obj) : nullptr;
}
