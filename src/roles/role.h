#pragma once
// The role: every creature, person and the player's character of a world.
// It stands on the actor (cells, motions, facing, state bytes) and adds its
// model rows, composed sprite, pools, postures, role bits, orders, timed
// states and camp. The object manager makes it (g_WorldHooks.createRole),
// calls Init with the placement record, InitModel with the "Role.txt" row
// and SetupAppearance, then runs TickAction (slot 5), Update (11) and
// PostUpdate (12) each tick and Draw (6) each frame.
//
// The placement record of a role is the world's CObjDesc11 / CObjDesc12:
//   idle mode              CObjDesc11::m_Logic
//   rest level             CObjDesc11::m_MoveLevel
//   rest countdown         CObjDesc11::m_WanderCount
//   group words 30-34      CObjDesc11::m_Words[0..3], m_LastWord
//   action item (modes 0 and 4)  CObjDesc12::m_PatrolX ("Logic_Init")
//   skill id (mode 4)            CObjDesc12::m_PatrolY ("Logic_Init")
//   facing                       CObjDesc12::m_Dir ("Logic_Dir")
//
// Orders, hits, pools and attributes, groups, magic objects and the role
// data record are other pieces of this library; what of them a role calls
// lives in roles/role/ with the least behaviour until they are built.
#include <cstdint>
#include <string>

#include "roles/actor/actor.h"

class CTxtRow;
class CSurface;
class CAnimRes;
class CAnimPlayer;
class CTrailAnim;
class CPointSwarm;
class CRoleGroup;
struct CSkillDef;
class CMagic;
class CRoleData;

// RoleBits of the role's flag mask that this code names.
enum RoleBit : uint32_t {
    kRoleBitBlocked = 0x1,
    kRoleBitNoMove = 0x4,
    kRoleBitNoRun = 0x8,
    kRoleBitStand = 0x10,
    kRoleBitHeavy = 0x20,
    kRoleBitSelected = 0x80,
    kRoleBitTint = 0x100,
    kRoleBitPlaying = 0x200,
    kRoleBitSpin = 0x400,
    kRoleBitCasting = 0x800,
    kRoleBitUntouchable = 0x4000,
    kRoleBitRunning = 0x10000,
    kRoleBitHidden = 0x20000,
    kRoleBitSwing = 0x40000,
};

// RolePosture.
enum RolePosture : int32_t {
    kPostureNone = 0,
    kPostureStagger = 2,
    kPostureKnockedUp = 101,
    kPostureTumbling = 110,
    kPostureHeld = 120,
};

// States with an effect of their own.
enum RoleStateId : int32_t {
    kStateAlerted = 0,
    kStateBusy = 10,
    kStateDarken = 12,
    kStateHidden = 13,
    kStateConfused = 14,
    kStateTaunt = 15,
    kStateHeal = 40,
    kStateHalo = 43,
    kStateSlow = 62,
    kStateDodging = 102,
    kStateLevelUp = 105,
    kStateGuard = 106,
    kStateThrownA = 109,
    kStateThrownB = 110,
    kStateHold = 111,
    kStateSteadyA = 113,
    kStateSteadyB = 114,
};

// A singly linked list of pending changes owned by the role.
struct RoleChangeNode {
    int32_t value[4] = {};
    RoleChangeNode* next = nullptr;
};
struct RoleChangeList {
    int32_t count = 0;
    RoleChangeNode* head = nullptr;
    RoleChangeNode* tail = nullptr;
    void Clear();
};

class CRole : public CActor {
public:
    CRole();
    ~CRole() override;

    // ---- virtual slots
    CAnimRes* GetAnim() override { return nullptr; }                   // 1
    int Init(CObjDesc* desc) override;                                  // 3
    int InitModel(const void* model) override;                          // 4 (InitFromModel)
    int Tick() override { return TickAction(); }                        // 5
    int Draw(int mode) override;                                        // 6 (needs a surface: DrawTo)
    void UpdateScreenRect() override;                                   // 7
    int Remove() override;                                              // 8
    int FreeRes() override { return ReleaseSprites(); }                 // 9
    int LoadRes() override { return RestoreSprites(); }                 // 10
    void Update() override;                                             // 11
    int IsUntargetable() override;                                      // 13
    void SetAnimIndex(int32_t index) override;                          // 14
    int TestFlag(uint32_t mask) const override { return (m_RoleBits & mask) ? 1 : 0; }  // 15
    int IsPosture(int32_t k) const override { return m_Posture == k ? 1 : 0; }           // 16
    int IsTumbled() const override { return m_Posture == kPostureTumbling && m_PostureSub == 2 ? 1 : 0; }  // 17
    void SetOverride(int32_t index, int32_t value, int32_t countdown) override;  // 18
    void UpdateSpeed(int32_t force) override;                           // 19
    void SetFlag(uint32_t mask, int on) override;                       // 20
    int IsMobile() const override;                                      // 21
    // 23: GiveOrder; the actor's name for it forwards here.
    void Order(int32_t code, uint32_t a, uint32_t b, uint32_t c, int clearCurrent, int queue) override {
        GiveOrder(code, static_cast<int32_t>(a), static_cast<int32_t>(b), static_cast<int32_t>(c), clearCurrent, queue);
    }
    virtual int GiveOrder(int32_t code, int32_t a, int32_t b, int32_t c, int clearCurrent, int queue);  // 23
    virtual void ProcessOrder();                                        // 24
    virtual int StepAnimation();                                        // 25
    virtual int SetupAppearance(const char* spriteSet);                 // 26
    virtual int OnHit(CGameObj* magic);                                 // 27
    // 28-46: attributes.
    virtual int32_t GetAP();          // 28
    virtual int32_t GetDP();          // 29
    virtual int32_t GetMaxHP();       // 30
    virtual int32_t GetMaxQi();       // 31
    virtual int32_t GetMaxST();       // 32
    virtual int32_t GetMaxNu();       // 33
    virtual int32_t GetHR();          // 34
    virtual int32_t GetCol14();       // 35
    virtual int32_t GetDodgeFactor(int32_t facingDiff);  // 36
    virtual float GetHPRegen();       // 37
    virtual float GetQiRegen();       // 38
    virtual float GetSTRegen();       // 39
    virtual float GetSTDrain();       // 40
    virtual float GetNuFactor();      // 41
    virtual int32_t GetSH();          // 42
    virtual int32_t GetRunSpeed();    // 43
    virtual int32_t GetIceDP();       // 44
    virtual int32_t GetFireDP();      // 45
    virtual int32_t GetPoisonDP();    // 46
    virtual void ClientFrame();                                         // 47
    int HasMount() const override { return m_pBoundMagic ? 1 : 0; }
    void SetPosture(int32_t k) override;

    // ---- set-up and small operations
    int InitFromModel(const CTxtRow* row);
    int SetPictureName(const char* name);
    void SetNoCorpse(uint8_t v) { m_NoCorpse = v; }
    void NotifyViews();
    void UntrackRole();
    void NotifyViewsIfMoved();
    CActor* GetTargetRole();
    int CanRun();
    void ClearOtherStates();
    void SetKeptStateFlag(int32_t v) { m_KeptStateFlag = v; }
    int IsAttackAnim();
    void SelectAttributeRow(int32_t offset);
    void ClearTarget();
    // Order 1 to the cell `cells` from the target on its far side, when the
    // role is idle and standing; the target is dropped when the order is
    // taken. 1 when it was.
    int StepAwayFrom(CGameObj* target, int32_t cells);
    int CannotAct() const;
    int32_t GetModelClass() const;

    // ---- states, camp, flags
    int SetState(int32_t k, int on, int32_t countdown, CGameObj* magic);
    void ApplyStateEffects(int32_t k, int on);
    void ApplyStateCode(int32_t code) { SetState(code & 127, (code & 128) ? 1 : 0, 0, nullptr); }
    void SendStateChange(int32_t k, int receiver);
    void SendStatesTo(int receiver);
    void PostStatesToClient();
    void EndState(int32_t k) { SetState(k, 0, 0, nullptr); }
    void SetCamp(int32_t camp);
    void SetFlags(uint32_t mask);
    void SetAnimOverride(int32_t index) { m_AnimOverride = index; }
    void SetSpriteSet(const char* set);
    void SetSpriteFrame(int32_t first, int32_t count);
    void SetSpriteOverlay(int32_t i, int32_t effectId);
    void TickOverrides();
    void TurnTowardsAnim();
    void TrackTargetHead();
    int ReleaseSprites();
    int RestoreSprites();
    void SetTargetByHandle(ObjHandle handle);
    void SetTarget(CGameObj* target, int force);
    void UpdateTalkId();
    void CancelQueuedOrder();
    void SetPendingTalk(ObjHandle h) { m_PendingTalk = h; }
    int IsIdle() const { return m_QueuedOrder[0] == -1; }
    int TickAction();
    // The role's area query (mode 0 hostile, 1 same camp, 2 led by the
    // pending-talk role, 3 player camps); radius in cells, -1 the level
    // row's column 5.
    CRole* FindFirstRoleNear(int32_t mode, int32_t radius);
    CRole* FindNextRoleNear();

    // ---- skills
    const CSkillDef* GetKnownSkill(int32_t skillId) const;
    int32_t FindCategory2Skill() const;
    const CSkillDef* GetCurrentSkill() const;
    void SetCurrentSkill(int32_t listIndex, int32_t level);
    void ClearCurrentSkill() { m_SkillGroup = -1; m_SkillLevel = 0; }
    int CanUseSkillNow(int32_t skillId);

    // ---- calls into orders, hits, pools (least behaviour; see roles/role/)
    void SetCurrentOrder(int32_t code, int32_t a, int32_t b, int32_t c);
    void Die(int32_t mode, int32_t flag);
    void UpdatePools();
    void FillPools();
    int AddHP(float delta);
    int32_t GetAttribute(int32_t col) const;
    CGameObj* GetLastAttacker();
    void LoadFromSheet();
    void SaveToSheet();
    void RemoveBoundMagic();

    // ==== pools, attributes, skills in use, hit resolution, kill rewards
    // (roles/role/role_pools.cpp, role_skills.cpp, role_combat.cpp)
    CRoleData* GetRecord() const;
    int AddQi(float delta);
    void AddST(float delta);
    void AddNu(int32_t delta, int scaled);
    void RefillPools();
    void RestoreAndLevel();
    void SetPendingHP(int32_t v);
    void SetPendingQi(int32_t v);
    int32_t GetHPPercent();
    int32_t GetQiPercent();
    int32_t GetSTPercent();
    int32_t GetPendingHPPercent();
    int32_t GetPendingQiPercent();
    int32_t GetNu() const { return m_Nu; }
    int32_t GetExp() const;
    int32_t GetNextLevelExp() const;
    int32_t GetExpPercent() const;
    void GetHPBars(int32_t* outPercent, int32_t* outBars);
    const CTxtRow* GetSkillRow(int32_t group) const;
    int32_t GetSkillLevel(int32_t group) const;
    int32_t GetSkillBonus(int32_t group) const;
    const CTxtRow* GetSkillRowBySlot(int32_t slot) const;
    int32_t GetSkillQiCost(int32_t skillId, int wholeGroup) const;
    int32_t GetSkillNuCost(int32_t skillId, int wholeGroup) const;
    int CanUseSkill(const CSkillDef* skill);
    void PaySkillCost(const CSkillDef* skill);
    int32_t GetSkillRange(int32_t skillId) const;
    int IsInSkillReach(int32_t skillId, int32_t distance) const;
    int32_t GetSkillRangeCells(int32_t skillId) const;
    // Point null: none.
    CMagic* UseSkill(int32_t skillId, const CGamePoint* point, ObjHandle target);
    void SetComboChain(const CSkillDef* skill);
    CMagic* UseNextComboSkill(const CGamePoint* point, ObjHandle target);
    int32_t GetListedSkill(int32_t i) const;
    int CastAtCell(int32_t x, int32_t y, int32_t spread);
    int ResolveHit(CMagic* magic);
    int CountComboHit(CMagic* magic);
    void ResetCombo(int force);
    int32_t GetComboRating();
    void SetStaggerThreshold(int initial);
    void AddStagger(int32_t s);
    void OnKillReward();
    void HandleDeathDrops(int killed, int32_t rating);
    void PlayDeathOnce();
    void AddExp(int32_t amount);
    int32_t GetStrength();
    CRole* FindStrongerRole();
    // The AI's skill choice: least behaviour until it is built
    // (roles/role/role_hits.cpp).
    int32_t SelectSkill(int32_t kind);
    float m_ComboHits = 0.0f;       // hits taken in the current combo
    int32_t m_HitFlag = 0;          // 1 after every landed hit
    int32_t m_ReservedItem = -1;    // item a category-3 skill consumes
    // ==== end of pools, attributes, skills in use, hits and kill rewards

    // ==== hits, postures, body parts and death
    // (roles/role/role_hits.cpp, role_postures.cpp, role_death.cpp)
    void PlaySpecialAnim(int32_t anim, int32_t flag);
    void PostureOnStance();
    void ReleaseIfHolding();
    // The magic object `id` at the role's hit point; null when none is made.
    CGameObj* EmitEffect(int32_t id);
    void DropRoll(int32_t flag);
    // Null when no shown part is listed.
    const char* PickLosablePart();
    int CanLosePart();
    // Null picks a part; the flung part object, or null.
    CGameObj* LosePart(const char* name);
    CGameObj* DropPart(const char* name, CGameObj* corpse);
    int DeathAction();
    void TickStateEffects();
    void KnockDownStep(int32_t phase);
    void TumbleStep(int32_t phase);
    int GrabbedBy(ObjHandle grabber, int32_t kind, int start);
    void FollowGrabber(CRole* grabber);
    // The phase driving of postures 101, 110 and 120 in the role's tick;
    // 0 when the tick's HP check is skipped.
    int TickPostures();
    // Set while Die runs: the watchers keep the role until its death packet
    // has gone.
    int32_t m_Dying = 0;
    // ==== end of hits, postures, body parts and death

    // ==== orders (roles/role/role_orders.cpp, role_orders_skills.cpp)
    void ClearCurrentOrder() { m_CurrentOrder[0] = -1; }
    int HasNoOrder() const { return m_CurrentOrder[0] == -1 ? 1 : 0; }
    int IsCurrentOrder(int32_t code, int32_t a, int32_t b, int32_t c) const;
    void QueueOrder(int32_t code, int32_t a, int32_t b, int32_t c);
    // A client's view tracker owns the role.
    int IsClientOwnRole() const;
    int IsPlayerCampRange() const;
    void EndSpecialAction();
    // Order 15: a releasable bound object is asked to end.
    void ReleaseBoundMagic();
    // Order 11 on the tick: the skill when in reach, else the walk into it.
    void ChaseForSkill();
    // Orders 19-24 on the tick.
    void CarryOutLongOrder();
    // 1 when a movement skill takes the role toward (x, y) instead of a walk.
    int MoveBySkill(int32_t x, int32_t y, int32_t range);
    // A map cell: a skill of use kind 8 at its centre, else a run to it.
    void AttackOrMove(const CGamePoint& cell);
    void UseSkillTowardFacing();
    void UseSkillAhead();
    void UseSkillOnTarget(CRole* role);
    int TryDodge();
    // From the target's cell to a spot within the skill's span.
    void StepBackForSkill(const CGamePoint& cell, int32_t skillId);
    void StepToReachableSpot(const CGamePoint& cell, int32_t r);
    // ==== end of orders

    // ---- drawing
    // Slot 6 on a surface.
    // The clip is the view rectangle unless given.
    int DrawTo(CSurface* surface, const CGameRect* clip = nullptr);
    // RoleBits 0x40000 with a cast object: the right hand's afterimages.
    void DrawSwingAfterimages(CSurface* surface, int32_t x, int32_t y, const CGameRect& clip);
    int DrawOnSurface(CSurface* surface);
    void DrawFaded(CSurface* surface, int32_t x, int32_t y, int32_t mode, int32_t level);
    CGamePoint ScreenPos() const;

    // ---- fields (in the order of the role's record)
    uint32_t m_RoleBits = 0;
    CGameObj* m_Attachments[3] = {};
    int32_t m_LabelHeight = 0;
    uint32_t m_SpecialDeath = 0;
    int32_t m_SearchCursor = 0;
    int32_t m_TrailEffect = 0;
    int32_t m_AiValue = 0;
    int32_t m_State105Countdown = 0;
    int32_t m_KeptState = 0;
    int32_t m_KeptStateFlag = 0;
    int32_t m_InitFlag = 0;
    int32_t m_TalkId = -1;
    int32_t m_CurrentSkillIndex = -1;
    int32_t m_SkillAux = -1;
    // The mount, cast object and attached magic: the magic object bound
    // to the role while its skill runs.
    CGameObj* m_pBoundMagic = nullptr;
    int32_t m_SkillAux2 = 0;
    int32_t m_SkillAux3 = 0;
    int32_t m_SpecialAnim = -1;
    uint32_t m_SpecialAnimActive = 0;
    CPointSwarm* m_pSwarm = nullptr;
    int32_t m_UpdateAux0 = -1;
    int32_t m_StanceOpen = 1;
    int32_t m_StandAnim = 0;
    uint8_t m_NoCorpse = 0;
    uint8_t m_UpdateAux1 = 0;
    int32_t m_Posture = 0;
    int32_t m_PostureSub = 0;
    int32_t m_PostureTimer = 0;
    int32_t m_KnockCounter = 0;
    int32_t m_KnockLimit = 0;
    int32_t m_AnimOverride = 0;
    int32_t m_PlayerSeen = 0;
    int32_t m_InitialActionOpen = 1;
    int32_t m_PoolAux = 0;
    float m_Hp = 0.0f;
    float m_Qi = 0.0f;
    float m_St = 0.0f;
    int32_t m_PendingHp = 0;
    int32_t m_PendingQi = 0;
    int32_t m_Nu = 0;
    int32_t m_HpBarSize = 0;
    int32_t m_DeathPlayed = 0;
    int32_t m_StaggerAccum = 0;
    int32_t m_StaggerThreshold = 0;
    int32_t m_ItemSkill = -1;
    uint32_t m_LastDodgeTick = 0;
    CRoleGroup* m_pGroup = nullptr;
    int32_t m_RunAllowed = 1;
    int32_t m_UpdateAux3 = -1;
    int32_t m_PostureAnimA = 0;
    int32_t m_PostureAnimB = 0;
    int32_t m_Provoked = 0;
    int32_t m_DeathAction = 0;
    int32_t m_QueuedOrder[4] = {-1, 0, 0, 0};
    int32_t m_QueuedOrderAge = 0;
    int32_t m_AiAux2 = 0;
    uint32_t m_Scripted = 0;
    int32_t m_AiAux3 = 0;
    int32_t m_ListAux = 0;
    RoleChangeList m_ChangeList1;
    RoleChangeList m_ChangeList2;
    float m_ComboLoad = 0.0f;
    int32_t m_FlagAux = 0;
    uint32_t m_Dead = 0;
    int32_t m_TumbleAux = 0;
    int32_t m_LastViewX = 0;
    int32_t m_LastViewY = 0;
    int32_t m_CurrentOrder[4] = {-1, 0, 0, 0};

    // Named by the states, the tick and the drawing.
    int32_t m_LastState = -1;
    int32_t m_SavedCamp = 0;
    int32_t m_SkillGroup = -1;    // current skill: group id, -1 none
    int32_t m_SkillLevel = 0;
    CAnimRes* m_pOverlays[3] = {};
    int32_t m_AnnouncedAnim = -1;
    int32_t m_FixedAnim = -1;     // an animation played to its end
    int32_t m_FadeLevel = 0;
    int32_t m_FadeTarget = 0;
    uint32_t m_SwarmFlag = 0;
    int32_t m_StateResetWord = 0;
    int32_t m_DeathCountdown = -1;
    int32_t m_HitCountdown = -1;
    int32_t m_HitDeathMode = 0;
    int32_t m_SpinCounter = 0;
    int32_t m_AlertWord = 0;
    int32_t m_HoldWord = 0;
    int32_t m_EffectWord = 0;
    int32_t m_FirstUpdate = 0;
    ObjHandle m_PendingTalk = 0;
    int32_t m_RepeatedOrder = -1;
    int32_t m_FixedSpeed = 0;
    int32_t m_CompanionWord = 0;
    int32_t m_ClassOverride = -1;
    float m_ComboStartHp = 0.0f;
    uint32_t m_ReverseFlag = 0;
    int32_t m_DrawOffsetX = 0;
    int32_t m_DrawOffsetY = 0;
    int32_t m_FootstepTicks = 0;
    int32_t m_AttackerCount = 0;
    ObjHandle m_LastAttacker = 0;
    // The last order given, taken or refused: what a role was told to do
    // (tests and the debugger read it).
    int32_t m_LastCommand = -1;
    uint32_t m_LastOrder[3] = {};
    int32_t m_DeathMode = 0;
    // The client frame's marks: where the last dust and trail objects were
    // made.
    CGamePoint m_LastDust{0, 0};
    CGamePoint m_LastTrailMagic{0, 0};

    // The counter state 14 takes camps from (99 down to 1, then 99 again).
    static int32_t s_ConfusedCamp;
    // Cleared while a role draws onto the painter's own surface.
    static int32_t s_DrawingElsewhere;

protected:
    const CTxtRow* Model() const { return m_pModelRow; }
    int ModelHas(int col) const;
    int32_t ModelInt(int col) const;
    int LevelHas(int col) const;
    int32_t LevelInt(int col) const;
    void StartState(int32_t k, int on);
    void DrawParts(CSurface* surface, int32_t x, int32_t y, const CGameRect& clip);
    void DrawOverlay(int i, CSurface* surface, int32_t x, int32_t y, const CGameRect& clip);
    // The point swarm cut from the sprite drawn at (x, y).
    void DrawSwarm(CSurface* surface, int32_t x, int32_t y, const CGameRect& clip);
};

// The AI role and the player's role (ai_role.h brings role60.h).
#include "roles/ai/ai_role.h"

// The role's of a handle of the current table: a CRole of kinds 30-100.
CRole* RoleOf(ObjHandle handle);
CRole* AsRole(CGameObj* obj);
const CRole* AsRole(const CGameObj* obj);

// The role classes into the world's and the scenes' hooks.
void InstallRoleHooks();
// The sheet copies and the magic objects' hooks (InstallRoleHooks calls it).
void InstallCombatHooks();
