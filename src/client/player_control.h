#pragma once
// The player controller: turns the mouse and the keyboard into orders for
// the player's own role (command packets through the selection) and into
// view movements. The game host creates it (published in g_PlayerControl);
// the input pass calls the handlers once per logic tick for what the panels
// did not take. The button-down handlers run every tick a button is held.
//
// Roles answer two yes/no questions here: a role is locked in an action
// while a magic object is bound to it (its mount, HasMount), and it offers
// talk while it carries a talk mark (m_TalkId not -1).
#include <cstdint>
#include <vector>

#include "client/controller/combo_chain.h"
#include "core/geometry.h"

class CRole;
class CGameObj;
class CBld;
struct CMapCell;

// Ticks the cursor rests on the ground before it changes shape.
constexpr int32_t kHoverDelayTicks = 14;
// Ticks after the last action lock until the shortcut's use count resets.
constexpr int32_t kBusyTimeoutTicks = 56;
// Ticks after the last action ended until a combination is forgotten.
constexpr int32_t kComboTimeoutTicks = 28;
// Ticks a base skill that found no chain stage is retried.
constexpr int32_t kQueuedSkillTicks = 5;

class CPlayerControl {
public:
    CPlayerControl();
    virtual ~CPlayerControl();
    void HandleMouse();
    void OnLButtonDown(int flags, int x, int y);
    void OnLButtonUp(int flags, int x, int y);
    void OnMouseMove(int flags, int x, int y);
    void OnRButtonDown(int flags, int x, int y);
    void OnRButtonUp(int flags, int x, int y);
    void SetCursorShape(int32_t shape);
    void SetInputLock(int32_t lock);
    void ResetCursor();
    void HandleKeys();
    void HandleDeveloperKeys();
    // 1 when a command was sent.
    int UseSkill(int32_t skill, int32_t force, CRole* target);
    void LoadSkillTables();
    void ClearActions();
    void RecordAction(int32_t skill, int32_t a, int32_t b);
    void StampActionTick();
    void FollowStep();

    uint32_t m_InputLock = 0;
    uint32_t m_ShapeHold = 0;
    uint32_t m_ShapeSet = 0;
    CGamePoint m_Cursor;
    CGamePoint m_Cell;
    CGamePoint m_World;
    CGamePoint m_Aim;
    CMapCell* m_pCell = nullptr;
    CRole* m_pOwn = nullptr;
    CRole* m_pHoverRole = nullptr;
    CBld* m_pHoverBld = nullptr;
    CGameObj* m_pHoverObj = nullptr;
    LastAction m_Last;
    std::vector<int32_t> m_Actions;
    int32_t m_QueuedArg = 0;
    int32_t m_QueuedSkill = -1;
    int32_t m_QueuedCount = 0;
    int32_t m_BusyTick = 0;

    // The controller's globals.
    int32_t m_Walk = 0;
    int32_t m_HoverCount = 0;
    int32_t m_RightHeld = 0;
    int32_t m_RightReleased = 1;
    int32_t m_FollowTimer = -1;
    int32_t m_ViewLock = 1;
    int32_t m_SelectionRefresh = 1;
    int32_t m_DeathMode = 1;
    int32_t m_SpawnIndex = 0;
    int32_t m_SpriteSetCount[3] = {0, 0, 0};
    int32_t m_AnimStep = 0;
    int32_t m_AnimOverridden = 0;
    int32_t m_SwarmStrength = 0;
    int32_t m_CursorShape = 0;

private:
    int32_t ChainStage(int32_t skill, int32_t requested, ComboChild* winner);
    int32_t MaxChainLength() const;
};

extern CPlayerControl* g_PlayerControl;

// 1 when the role is locked in an action (a bound magic object).
int RoleActionLocked(const CRole* role);
// 1 when the role offers talk (a talk mark).
int RoleOffersTalk(const CRole* role);
// Camp 0-99 without column 31 of its model row.
int RoleAttackable(const CRole* role);
