// The per-tick motion handlers: idle separation, pushes, knock-backs,
// walking along a path and the path search call.
#include <algorithm>
#include <cmath>

#include "roles/actor/actor.h"
#include "roles/actor/actor_util.h"
#include "core/constants.h"
#include "core/txt_table.h"
#include "gfx/anim.h"
#include "world/map/line_walk.h"
#include "world/map/map_grid.h"
#include "world/map/path_search.h"
#include "world/objects/proximity.h"
#include "world/scene/scn_mng.h"

using namespace actor_util;

namespace {

CActor* ActorOf(CGameObj* obj) { return AsActor(obj); }

constexpr int32_t kFriendWaitTicks = 15;
constexpr int32_t kMaxFriendWaits = 3;
constexpr int32_t kPushClearance = 65;

} // namespace

// ---- idle separation and pushes

void CActor::IdleSeparation() {
    if (TestFlag(0x4000)) return;
    if (!IsMobile() && !HasState(106)) return;
    if (!IsPosture(0) && !IsTumbled() && !IsPosture(2)) return;
    const int32_t reach = (IsMobile() ? 4 : 2) * 64;
    for (CGameObj* o = FindFirstRoleNear(m_X, m_Y, reach); o; o = FindNextRoleNear()) {
        if (o == this) continue;
        CActor* other = ActorOf(o);
        if (!other || !other->IsPosture(0)) continue;
        if (!other->IsMobile() && !other->HasState(106)) continue;
        const int32_t m = other->m_PushDivisor;
        if (m == 0) continue;
        const int32_t d = ObjectDistance(this, other);
        if (d >= 0) continue;
        int32_t s = std::clamp(-(d / m), 1, 32);
        int32_t dir = DirectionTo({m_X, m_Y}, {other->m_X, other->m_Y});
        if (m_DirCount == 16) dir /= 2;
        if (!HasMount() && (other->m_Motion == kMotionReturn || m == 1)) s = std::max(s, other->m_Speed);
        TryPush(s, dir, 1);
        return;
    }
}

int CActor::TryPush(int32_t step, int32_t dir, int chain) {
    CGamePoint off{0, 0};
    MoveDir8(off, dir, step);
    return TryPushOffset(off.x, off.y, chain);
}

int CActor::TryPushOffset(int32_t dx, int32_t dy, int chain) {
    if (m_Motion > 5) return 0;
    if (dx == 0 && dy == 0) return 1;
    const CGamePoint pos{m_X, m_Y};
    const CGamePoint target{m_X + dx, m_Y + dy};
    const int32_t d0 = GetDir8(target, pos);
    const int32_t dirs[3] = {d0, (d0 + 7) % 8, (GetDir8(target, pos) + 1) % 8};
    CMapGrid* grid = Grid();
    const CGamePoint own = GetCell();
    const uint16_t me = static_cast<uint16_t>(m_Handle & 0xFFFF);
    for (int32_t d : dirs) {
        const CGamePoint nb{own.x + kDir8Step[d].x, own.y + kDir8Step[d].y};
        CMapCell* cell = grid ? grid->GetCell(nb.x, nb.y) : nullptr;
        if (!cell) continue;  // outside the grid nothing blocks
        if (cell->m_Occupant != kNoObj && cell->m_Occupant != me) {
            if (CActor* other = ActorOf(cell->GetRole())) {
                if (!other->IsMobile()) return 0;
                if (ObjectDistance(this, other) < 0) {
                    if (!chain) return 0;
                    if (!other->TryPushOffset(dx, dy, 0)) return 0;
                }
            }
        }
        if (!CellAllowsWalkClass(cell, m_WalkClass)) {
            const CGamePoint c = CellCentre(nb);
            if (DistanceTrunc(target.x - c.x, target.y - c.y) < kPushClearance) return 0;
        }
    }
    SetPixelPos(target.x, target.y);
    EnterCell(target.x / 64, target.y / 64, 0);
    return 1;
}

void CActor::StartKnockBack() {
    if (m_MotionP2 > 16) m_MotionP2 = std::min((m_MotionP2 - 16) / 2 + 16, 32);
    m_MotionP3 = 0;
}

void CActor::TickSlide() {
    if (m_MotionP2 < 1) {
        SetMotion(kMotionStand, 0, 0, 0);
        return;
    }
    ++m_MotionP3;
    if (!TryPush(m_MotionP2, m_MotionP1, 1)) {
        SetMotion(kMotionStand, 0, 0, 0);
        return;
    }
    if (++m_MotionP3 >= 5) m_MotionP2 -= 2;
}

void CActor::TickBounce() {
    if (m_MotionP2 < 1) {
        SetMotion(kMotionStand, 0, 0, 0);
        return;
    }
    ++m_MotionP3;
    if (!TryPush(m_MotionP2, m_MotionP1, 1)) {
        m_MotionP2 -= 1;
        m_MotionP3 = 5;
        m_MotionP1 = (m_MotionP1 + 4) % 8;
        if (!TryPush(m_MotionP2, m_MotionP1, 1)) {
            SetMotion(kMotionStand, 0, 0, 0);
            return;
        }
    }
    if (++m_MotionP3 >= 3) m_MotionP2 -= 1;
}

// ---- walking with 8 directions

void CActor::TickWalk8() {
    if (m_StepDone == 0) {
        if (AdvanceStep()) m_StepDone = 1;
        return;
    }
    if (m_WaitTicks > 0) {
        --m_WaitTicks;
        return;
    }
    if (m_PathFound) {
        m_PathFound = 0;
    } else if (Chebyshev(GetCell(), m_PathGoal) <= m_MotionP3) {
        SetMotion(kMotionStand, 0, 0, 0);
        return;
    }
    if (m_PathIndex < 0) {
        ReenterWalk();
        return;
    }
    CMapGrid* grid = Grid();
    if (!grid) return;
    CGamePoint* pt = GetPathPoint(m_PathIndex);
    if (!pt) return;
    // A friend on the next point: walk past it, one point a tick.
    if (const CMapCell* c = grid->GetCell(pt->x, pt->y); c && c->PassableForCamp(m_WalkClass, m_Camp) == kPassOwnCamp) {
        if (CActor* friendRole = ActorOf(c->GetRole())) friendRole->SetBlocker(m_Handle);
        --m_PathIndex;
        pt = GetPathPoint(m_PathIndex);
        if (!pt) return;
    }
    const CGamePoint pos{m_X, m_Y};
    const int32_t d = GetDir8(CellCentre(*pt), pos);
    bool cut = false;
    if (FoldDir(d - m_Facing, 8) == 1 && m_PathIndex >= 1) {
        const CGamePoint* next = GetPathPoint(m_PathIndex - 1);
        if (next && GetDir8(*next, *pt) == m_Facing && EnterCell(next->x, next->y, 0)) {
            --m_PathIndex;
            cut = true;
        }
    }
    if (!cut) {
        bool back = false;
        if (!TestFlag(kFlagRunning) && HasState(0)) {
            CGameObj* t = GetTarget();
            if (t && DistanceTrunc(t->m_X - m_X, t->m_Y - m_Y) < 320 &&
                FoldDir(GetDir8(pos, {t->m_X, t->m_Y}) - d, 8) <= 2) {
                int hostile = 0;
                for (CGameObj* o = FindFirstRoleNear(m_X, m_Y, 320); o; o = FindNextRoleNear())
                    if (o != this && AreRolesHostile(this, o)) ++hostile;
                back = hostile < 2;
            }
        }
        m_Backing = back ? 1 : 0;
        SetDirection(back ? (d + 4) % 8 : d);
        if (!EnterCell(pt->x, pt->y, 0)) {
            const CMapCell* c = grid->GetCell(pt->x, pt->y);
            CActor* holder = c ? ActorOf(c->GetRole()) : nullptr;
            if (holder && holder != this && holder->m_Camp == m_Camp && holder->m_Motion != kMotionStand &&
                holder->m_WaitTicks == 0 && m_WaitCount < kMaxFriendWaits) {
                m_WaitTicks = kFriendWaitTicks;
                ++m_WaitCount;
                return;
            }
            ReenterWalk();
            return;
        }
        m_WaitCount = 0;
    }
    PlanStepToCell(-1, -1, -1);
    m_StepDone = 0;
    --m_PathIndex;
    if (AdvanceStep()) m_StepDone = 1;
}

// ---- paths

int CActor::MoveTo(const CGamePoint& goal) {
    m_PathGoal = goal;
    m_PathIndex = 0;
    CMapGrid* grid = Grid();
    if (!grid) return 0;
    const CMapCell* cell = grid->GetCell(goal.x, goal.y);
    if (cell && CellAllowsWalkClass(cell, m_WalkClass) && cell->m_Occupant == kNoObj) {
        if (!FindPath()) return 0;
        m_PathFound = 1;
        return 1;
    }
    return ChooseReachableGoal(goal);
}

int CActor::ChooseReachableGoal(const CGamePoint& goal) {
    CMapGrid* grid = Grid();
    const CGamePoint own = GetCell();
    if (Chebyshev(goal, own) <= 1) {
        m_PathGoal = own;
        const CGamePoint c = CellCentre(own);
        if (DistanceTrunc(c.x - m_X, c.y - m_Y) >= 8) {
            CGamePoint* p0 = GetPathPoint(0);
            CGamePoint* p1 = GetPathPoint(1);
            if (!p0 || !p1) return 0;
            *p0 = *p1 = own;
            m_PathLength = 2;
            m_PathIndex = 1;
            // The first walk tick heads for the centre without the goal test.
            m_PathFound = 1;
            return 1;
        }
        SetPixelPos(c.x, c.y);
        return 0;
    }
    auto fits = [&](const CGamePoint& p) {
        const CMapCell* c = grid->GetCell(p.x, p.y);
        return c && CellAllowsWalkClass(c, m_WalkClass) && c->m_Occupant == kNoObj;
    };
    // The first free cell on the cell line from the goal toward the actor.
    CGamePoint sub{-1, -1};
    {
        const int32_t dx = own.x - goal.x, dy = own.y - goal.y;
        const int32_t n = std::max(std::abs(dx), std::abs(dy));
        for (int32_t i = 1; i <= n; ++i) {
            const CGamePoint p{goal.x + dx * i / n, goal.y + dy * i / n};
            if (p.x == own.x && p.y == own.y) break;
            if (fits(p)) {
                sub = p;
                break;
            }
        }
    }
    if (sub.x < 0) {
        CGamePoint p = goal;
        if (!grid->FindNearestFree(&p, m_WalkClass, 6)) return 0;
        sub = p;
    }
    // Walking toward the target: a substitute too far from it is no use,
    // unless the actor is farther still.
    const CMapCell* asked = grid->GetCell(goal.x, goal.y);
    CGameObj* target = GetTarget();
    if (asked && target && asked->m_Occupant == static_cast<uint16_t>(target->m_Handle & 0xFFFF) &&
        Chebyshev(sub, goal) > m_MotionP3 && Chebyshev(own, goal) <= m_MotionP3)
        return 0;
    m_PathGoal = sub;
    if (!FindPath()) return 0;
    m_PathFound = 1;
    return 1;
}

int CActor::FindPath() {
    CMapGrid* grid = Grid();
    CPathSearch* engine = ActorPathSearch();
    if (!grid || !engine || !m_pPathPoints) return 0;
    SetPathCamp(m_Camp);
    const CGamePoint own = GetCell();
    CMapCell* goal = grid->GetCell(m_PathGoal.x, m_PathGoal.y);
    const uint16_t saved = goal ? goal->m_Occupant : kNoObj;
    if (goal) goal->SetOccupant(static_cast<uint16_t>(m_Handle & 0xFFFF));
    CPathMap map(grid, m_WalkClass, m_PathGoal.x, m_PathGoal.y);
    map.m_pEngine = engine;
    engine->Search(MakePathKey(own.x, own.y), &map, m_PathCapacity);
    if (goal) goal->SetOccupant(saved);
    m_PathLength = map.CollectPath(m_pPathPoints, m_PathCapacity);
    m_PathIndex = m_PathLength - 2;
    if (m_PathIndex < 0) return 0;
    if (m_PathIndex == 0 && (m_pPathPoints[0].x != m_PathGoal.x || m_pPathPoints[0].y != m_PathGoal.y)) return 0;
    return 1;
}

// ---- walking with 16 directions

void CActor::TickWalk16() {
    if (m_StepDone) {
        if (m_PathIndex < 0) {
            SetMotion(kMotionStand, 0, 0, 0);
            return;
        }
        int32_t index = m_PathIndex;
        if (const CGamePoint* goal = GetPathPoint(0)) {
            // The actor's own mark is no role in its way.
            CMapCell* own = RecordedCell();
            const uint16_t mark = own ? own->m_Occupant : kNoObj;
            if (own && mark == static_cast<uint16_t>(m_Handle & 0xFFFF)) own->SetOccupant(kNoObj);
            if (IsLineFree(GetCell(), *goal, m_WalkClass)) index = 0;
            if (own) own->SetOccupant(mark);
        }
        const CGamePoint* pt = GetPathPoint(index);
        if (pt && index <= m_PathIndex) {
            PlanStepToCell(pt->x, pt->y, m_Speed);
            m_PathIndex = index - 1;
            m_StepDone = 0;
            m_Backing = 0;
            UpdateWalkFacing();
        } else {
            ReenterWalk();
            return;
        }
    }
    if (AdvanceStep()) m_StepDone = 1;
    const CGamePoint at{m_X / 64, m_Y / 64};
    const CGamePoint own = GetCell();
    if (at.x != own.x || at.y != own.y) {
        if (!EnterCell(at.x, at.y, 0)) {
            ReenterWalk();
            return;
        }
        UpdateWalkFacing();
    }
    if (Chebyshev(GetCell(), m_PathGoal) <= m_MotionP3) SetMotion(kMotionStand, 0, 0, 0);
}

void CActor::UpdateWalkFacing() {
    if (m_DirCount != 16) return;
    const CGamePoint pos{m_X, m_Y};
    const int32_t toward = DirectionTo(m_StepTarget, pos);
    if (TestFlag(kFlagRunning)) {
        // Small turns wait a few ticks, so a runner does not wobble.
        const int32_t k = FoldDir(m_Facing - toward, 16);
        if (k == 0) {
            m_TurnDelay = 0;
        } else if (k <= 2) {
            if (++m_TurnDelay >= (k == 1 ? 5 : 2)) {
                SetDirection(toward);
                m_TurnDelay = 0;
            }
        } else {
            SetDirection(toward);
            m_TurnDelay = 0;
        }
        return;
    }
    SetDirection(toward);
    CGameObj* target = HasState(0) ? GetTarget() : nullptr;
    if (!target) return;
    const int32_t t = GetDir16(pos, {target->m_X, target->m_Y});
    const int32_t w = GetDir16({m_X + static_cast<int32_t>(m_StepDelta[0] * 1000.0f),
                                m_Y + static_cast<int32_t>(m_StepDelta[1] * 1000.0f)},
                               pos);
    const int32_t k = FoldDir(w - t, 16);
    int32_t item = 1;
    if (k >= 6) {
        m_Backing = 0;
        m_Facing = w;
    } else if (k >= 3) {
        m_Backing = 0;
        m_Facing = (t + 8) % 16;
        item = 2;
    } else {
        m_Backing = 1;
        m_Facing = (w + 8) % 16;
    }
    const int32_t anim = m_pModelRow ? m_pModelRow->GetIntItem(10, item) : 0;
    SetAnimIndex(m_Facing + (anim & 0xFFFF));
}

// ---- play once and jumps

int CActor::StartJump() {
    CMapGrid* grid = Grid();
    if (!grid) return 0;
    const CGamePoint own = GetCell();
    CGamePoint target{m_MotionP1, m_MotionP2};
    const int32_t wind = WindDirection();
    if (wind >= 0) {
        static const float kFactor[4] = {1.5f, 1.2f, 0.6f, 0.5f};
        const int32_t k = FoldDir(GetDir8(target, own) - wind, 8);
        target = PointAlongLine(own, target, kFactor[std::min(k, 3)]);
    }
    CGamePoint room = target;
    if (!grid->FindNearestFree(&room, m_WalkClass, DistanceTrunc(target.x - own.x, target.y - own.y))) return 0;
    int traceMode = 1;
    if (m_Motion == kMotionJump) {
        TakeAirborneClass(target.x, target.y);
        traceMode = 4;
    }
    if (target.x == own.x && target.y == own.y) return 0;
    CGamePoint landing;
    const CMapCell* cell = grid->GetCell(target.x, target.y);
    if (m_WalkClass > 10 && cell && CellAllowsWalkClass(cell, m_WalkClass) && cell->m_Occupant == kNoObj)
        landing = target;
    else
        landing = TraceCellLine(own, target, m_MotionP3, 1, traceMode, m_WalkClass);
    SetSpeed(m_Speed * 4);
    EnterCell(landing.x, landing.y, 0);
    PlanStepToCell(-1, -1, -1);
    if (m_Motion == kMotionJump) SetJumpPhase(1);
    return 1;
}

void CActor::SetJumpPhase(int phase) {
    if (phase == 1) {
        m_JumpHalfSteps = m_StepsLeft / 2;
        SetHeightVelocity(14, m_Height + m_JumpHalfSteps * 14);
        return;
    }
    // Landing: an airborne walker takes the class of the cell below.
    if (m_WalkClass > 10) {
        if (const CMapCell* cell = RecordedCell()) SetWalkClass(static_cast<uint8_t>(cell->GetMoveClass()));
    }
    m_JumpHalfSteps = 0;
    SetHeightVelocity(14, 0);
}

void CActor::CheckJumpApex() {
    if (m_StepsLeft == m_JumpHalfSteps) SetJumpPhase(0);
}

void CActor::TickPlayOnce() {
    // Without an animation there is nothing left to play: waiting on one
    // would hold the actor in the motion for good.
    if (!IsStepDone()) return;
    const CAnimPlayer* anim = GetCurrentAnim();
    if (TestFlag(kFlagPlaying) || !anim || anim->IsAtEnd()) SetMotion(kMotionStand, 1, 0, 0);
}

// ---- pushed, hit and return

void CActor::PushedStep() {
    if (m_StepDone && m_MotionP2 > 0) {
        CGamePoint next = GetCell();
        MoveDir8(next, m_MotionP1, 1);
        if (!EnterCell(next.x, next.y, 0)) {
            CMapGrid* grid = Grid();
            const CMapCell* cell = grid ? grid->GetCell(next.x, next.y) : nullptr;
            if (!(cell && cell->GetRole() && m_MotionP2 > 1)) {
                SetMotion(kMotionStand, 0, 0, 0);
                return;
            }
            // Over the role in the way.
            MoveDir8(next, m_MotionP1, 1);
            if (!EnterCell(next.x, next.y, 0)) {
                SetMotion(kMotionStand, 0, 0, 0);
                return;
            }
        }
        PlanStepToCell(next.x, next.y, -1);
        m_StepDone = 0;
        --m_MotionP2;
    }
    if (DistanceTrunc(m_X - m_PushOrigin.x, m_Y - m_PushOrigin.y) >= m_PushLimit) {
        m_StepDone = 1;
        SetMotion(kMotionStand, 0, 0, 0);
        return;
    }
    // Cells used up short of the distance (the push began past its cell's
    // centre): the motion has nothing left to do and ends, a tick after its
    // last step as one that reaches its distance does.
    if (m_StepDone && m_MotionP2 <= 0) {
        SetMotion(kMotionStand, 0, 0, 0);
        return;
    }
    if (AdvanceStep()) m_StepDone = 1;
}

void CActor::TickPushed() { PushedStep(); }

void CActor::TickHitReaction() {
    if (m_MotionP2 < m_MotionP3 / 2) {
        SetHeightVelocity(20, 0);
        m_MotionP3 = 0;
    } else if (m_MotionP2 > m_MotionP3 - m_MotionP3 / 2) {
        SetHeightVelocity(8, 80);
    } else if (!(m_MotionP2 < 6 && (m_HeightVelocity < 0 || m_Height <= 0))) {
        SetHeightVelocity(5, 0);
    }
    PushedStep();
    if (m_Motion != kMotionHitReaction || !m_StepDone || m_MotionP2 <= 1) return;
    // Roles in the way are thrown aside, turned one sector toward the
    // throw when they stand at its edge.
    for (CGameObj* o = FindFirstRoleNear(m_X, m_Y, 192); o; o = FindNextRoleNear()) {
        CActor* other = ActorOf(o);
        if (!other || other == this || other->m_Handle == m_ExcludeHandle || other->IsUntargetable()) continue;
        if (!other->m_pModelRow || !other->m_pModelRow->HasValue(27)) continue;
        int32_t dir = GetDir8({other->m_X, other->m_Y}, {m_X, m_Y});
        const int32_t k = FoldDir(dir - m_MotionP1, 8);
        if (k > 2) continue;
        if (k == 2) dir = ((dir - m_MotionP1 + 8) % 8 <= 4) ? (dir + 7) % 8 : (dir + 1) % 8;
        other->Order(6, static_cast<uint32_t>(dir), static_cast<uint32_t>(m_MotionP2 / 2), 10, 0, 0);
        other->SetPosture(110);
    }
}

int CActor::StartReturn() {
    m_PushDivisor = 1;
    SetFlag(kFlagRunning, 1);
    UpdateSpeed(0);
    PlanStepToCell(m_MotionP1, m_MotionP2, -1);
    FaceTo({m_MotionP1, m_MotionP2}, GetCell());
    TickReturn();
    return m_Motion == kMotionReturn ? 1 : 0;
}

void CActor::TickReturn() {
    const CGamePoint centre = CellCentre(GetCell());
    if (IsNotPastPoint({m_X, m_Y}, centre, GetFacing8())) {
        CGamePoint next{m_X / 64, m_Y / 64};
        MoveDir8(next, GetFacing8(), 1);
        CMapGrid* grid = Grid();
        const CMapCell* cell = grid ? grid->GetCell(next.x, next.y) : nullptr;
        const uint16_t me = static_cast<uint16_t>(m_Handle & 0xFFFF);
        if (cell && cell->m_Occupant != kNoObj && cell->m_Occupant != me) {
            SetMotion(kMotionStand, 0, 0, 0);
            return;
        }
        if (!IsStepDone() && !EnterCell(next.x, next.y, 0)) {
            SetMotion(kMotionStand, 0, 0, 0);
            m_MoveOk = 0;
            return;
        }
    }
    if (AdvanceStep()) SetMotion(kMotionStand, 0, 0, 0);
}

// ---- circles

namespace {
// The angle of the centre as seen from (x, y), measured as atan2(dx, dy).
float CentreAngle(int32_t cx, int32_t cy, int32_t x, int32_t y) {
    const float dx = static_cast<float>(cx - x), dy = static_cast<float>(cy - y);
    if (dx > 0.0f) return kPi2 / 2.0f - std::atan(dy / dx);
    if (dx < 0.0f) return -std::atan(dy / dx) - kPi2 / 2.0f;
    return dy < 1.0f ? -kPi2 : 0.0f;
}
} // namespace

void CActor::StartCircle() {
    m_StepsLeft = 28;
    m_PathGoal = {m_MotionP1, m_MotionP2};
    m_StepPos[0] = CentreAngle(m_MotionP1, m_MotionP2, m_X, m_Y);
    m_StepPos[1] = 2.0f * kPi2 / 28.0f;
}

void CActor::TickCircle() {
    if (!EnterCell(m_X / 64, m_Y / 64, 0)) {
        SetMotion(kMotionStand, 0, 0, 0);
        return;
    }
    m_StepPos[0] += m_StepPos[1];
    const int32_t r = DistanceTrunc(m_X - m_PathGoal.x, m_Y - m_PathGoal.y);
    const int32_t oldX = m_X, oldY = m_Y;
    SetPixelPos(m_PathGoal.x + static_cast<int32_t>(std::cos(m_StepPos[0] + kPi2) * static_cast<float>(r)),
                m_PathGoal.y + static_cast<int32_t>(std::sin(m_StepPos[0] + kPi2) * static_cast<float>(r)));
    if (!EnterCell(m_X / 64, m_Y / 64, 0)) {
        SetPixelPos(oldX, oldY);
        SetMotion(kMotionStand, 0, 0, 0);
        return;
    }
    if (--m_StepsLeft <= 0) SetMotion(kMotionStand, 0, 0, 0);
}

// ---- arcs

int CActor::StartArc() {
    CMapGrid* grid = Grid();
    if (!grid) return 0;
    const CGamePoint own = GetCell();
    const float angle = CentreAngle(m_MotionP1, m_MotionP2, m_X, m_Y);
    auto freeCell = [&](const CGamePoint& c) {
        const CMapCell* cell = grid->GetCell(c.x, c.y);
        return cell && CellAllowsWalkClass(cell, m_WalkClass) && cell->m_Occupant == kNoObj;
    };
    auto passable = [&](const CGamePoint& c) { return CellAllowsWalkClass(grid->GetCell(c.x, c.y), m_WalkClass); };
    // One sector to a side with room beyond it: a wide arc; two sectors: a short one.
    CGamePoint chosen{-1, -1};
    float change = 0.0f;
    for (int wide = 1; wide >= 0 && chosen.x < 0; --wide) {
        for (int side : {-1, 1}) {
            const int32_t dir = ((m_MotionP3 + side * (wide ? 1 : 2)) % 8 + 8) % 8;
            CGamePoint c = own;
            MoveDir8(c, dir, 1);
            CGamePoint outer = c;
            MoveDir8(outer, dir, 1);
            if (!freeCell(c) || (wide && !passable(outer))) continue;
            chosen = c;
            change = static_cast<float>(side) * kPi2 * (wide ? 0.75f : 0.5f);
            break;
        }
    }
    if (chosen.x < 0) return 0;
    const CGamePoint centre = CellCentre(chosen);
    m_StepsLeft = std::max(8, DistanceTrunc(centre.x - m_X, centre.y - m_Y) / 16);
    m_StepPos[0] = angle;
    m_StepPos[1] = change / static_cast<float>(m_StepsLeft);
    m_MotionP3 = DistanceTrunc(m_MotionP1 - m_X, m_MotionP2 - m_Y);
    if (CGameObj* target = GetTarget()) {
        const CActor* t = ActorOf(target);
        m_MotionP3 = m_Radius + (t ? t->m_Radius : 0);
    }
    EnterCell(chosen.x, chosen.y, 0);
    SetState(102, 1);
    return 1;
}

void CActor::TickArc() {
    m_StepPos[0] += m_StepPos[1];
    const int32_t e = DistanceTrunc(m_X - m_MotionP1, m_Y - m_MotionP2) - m_MotionP3;
    int32_t& r = m_MotionP3;
    if (e < 0) r += 1;
    else if (e < 32) r -= 1;
    else if (e < 64) r -= 2;
    else if (e < 96) r -= 3;
    else r -= 4;
    const CGamePoint next{m_MotionP1 + static_cast<int32_t>(std::cos(m_StepPos[0] + kPi2) * static_cast<float>(r)),
                          m_MotionP2 + static_cast<int32_t>(std::sin(m_StepPos[0] + kPi2) * static_cast<float>(r))};
    FaceTo(next, {m_X, m_Y});
    if (--m_StepsLeft == 4) SetState(102, 0);
    SetPixelPos(next.x, next.y);
    if (m_StepsLeft <= 0) SetMotion(kMotionStand, 0, 0, 0);
}
