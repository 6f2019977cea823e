#pragma once
// Object kind 40: every role but the player's character. It keeps all of
// CRole and thinks once a tick in Update (slot 11): it sees, chases, guards,
// dodges, keeps its distance, casts, flees, patrols, follows and returns to
// its leash, deciding through GiveOrder as the player's commands do.
//
// What it reads of its placement record (CObjDesc11 and the types deriving
// from it):
//   idle mode                  m_Logic (0 stand, 1 wander, 2 patrol,
//                              3 follow, 4 ambush, 10 after the ambush)
//   rest level, countdown      m_MoveLevel, m_WanderCount
//   home box x, y, w, h        m_Nested[0..3] ("MoveRange"; w 0 = none)
//   stand items, facing        CObjDesc12: column 12 holds two animations
//                              (low and high 16 bits), m_Dir the facing
//   ambush skill               CObjDesc12::m_PatrolY
//   wander box                 CObjDesc13::m_RectX, m_RectY, m_RectW, m_RectH
//   patrol                     CObjDesc14::m_Path, m_PathIndex
//   follow handle, flag, range CObjDesc15::m_A, m_S, m_D
// The object list has no key left for the follow name or the two leash
// words: they live here and only code and scripts set them, so a role
// placed from a file has no leash.
#include <cstdint>
#include <string>

#include "roles/role.h"

class CAiRole : public CRole {
public:
    CAiRole();
    void Update() override;
    // The decision of the tick after CRole::Update: 0 when the AI did not
    // act (the caller may run other logic), 1 when it decided something.
    int Think();

    // The wait before the next attack decision: longer the slower the
    // reaction level (the role's aiValue; below 0 counts as 0).
    void RollAttackDelay();
    void AcquireTarget();
    // The ambush's first strike; 0 when no cast object came of it.
    int OnFirstSight();
    void PickNearTarget();
    int UpdateLeash();
    int IsThreatened(CGameObj* castObject);
    void DodgeTarget();
    int KeepDistance();
    int CastPeriodically();
    int CollectAndCast();

    // The reaction level: aiValue, below 0 counted as 0.
    int32_t Reaction() const { return m_AiValue < 0 ? 0 : m_AiValue; }
    int32_t AiKind() const;
    int32_t Sight() const;
    // "Every n ticks at phase p" of the role's own tick count.
    bool Every(uint32_t n, uint32_t p) const { return n && m_TickCount % n == p; }

    int32_t m_HomeX = -1;  // the leash's home cell; -1 not taken yet, -2 (x) home reached
    int32_t m_HomeY = -1;
    int32_t m_AttackDelay = 0;  // ticks to the next attack decision; below 0 ready
    int32_t m_SpareAi[2] = {0, 0};

    // Beside the record: the leash (mode 2 leashes to the home cell; the
    // second word set keeps a leashed role without a target from looking
    // for one) and the follow name of idle mode 3.
    int32_t m_LeashMode = 0;
    int32_t m_LeashWord = 0;
    std::string m_FollowName;
    // A leader (followers of a player or of another role) and a bound role
    // (a guard of that role); the stay flag keeps the role where it stands.
    uint32_t m_LeaderHandle = 0;
    uint32_t m_BoundRole = 0;
    int32_t m_StayFlag = 0;
    // Set when the role stepped away from its target; cleared before its
    // next attack.
    int32_t m_KeepAway = 0;
    int32_t m_LostTargetTicks = 0;
    int32_t m_RegroupTick = 0;
    int32_t m_StayCounter = 0;
    int32_t m_CollectHandle = -1;
};

#include "roles/role/role60.h"
