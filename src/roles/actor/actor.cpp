#include "roles/actor/actor.h"

#include "core/packet.h"

#include <algorithm>
#include <cstring>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "core/strings.h"
#include "core/txt_table.h"
#include "gfx/anim.h"
#include "gfx/role_sprite.h"
#include "platform/random.h"
#include "roles/actor/actor_util.h"
#include "world/map/grid_search.h"
#include "world/map/line_walk.h"
#include "world/map/map_grid.h"
#include "world/map/path_search.h"
#include "world/objects/handle_table.h"
#include "world/objects/obj_desc.h"
#include "world/objects/proximity.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/sky/game_clock.h"

using namespace actor_util;

namespace {

constexpr int kModelColWalkAnim = 9;
constexpr int kModelColWalkAnimAlt = 10;
constexpr int kModelColWalkSpeed = 28;
constexpr int kModelColFallsBack = 27;

// Deleted through its virtual destructor at exit.
std::unique_ptr<CPathSearch> g_ActorPathSearch;

} // namespace

void CreateActorPathSearch() {
    if (!g_ActorPathSearch) g_ActorPathSearch.reset(CreatePathSearch());
}

CPathSearch* ActorPathSearch() { return g_ActorPathSearch.get(); }

void DeleteActorPathSearch() {
    g_ActorPathSearch.reset();
}

CActor::CActor() {
    m_ClassBits |= kClassBitActor;
    m_TickCount = static_cast<uint32_t>(plat::Rand() % 100);
    SetRadius(0);
    ClearStates();
}

CActor::~CActor() {
    // A role's part is gone once this runs; the actor's with it.
    m_ClassBits &= static_cast<uint8_t>(~kClassBitRole);
    delete[] m_pPathPoints;
    DestroyRoleSprite(&m_pSprite);
    m_ClassBits &= static_cast<uint8_t>(~kClassBitActor);
}

int CActor::SetPos(int x, int y) {
    m_PreviousPosition = {m_X, m_Y};
    m_X = x;
    m_Y = y;
    return x;
}

CMapGrid* CActor::Grid() const { return m_pGrid ? m_pGrid : g_CurMapGrid; }

CGamePoint CActor::GetCell() const {
    if (m_pDesc) return {m_pDesc->m_X, m_pDesc->m_Y};
    return m_Cell;
}

void CActor::SetRecordedCell(int32_t x, int32_t y) {
    m_Cell = {x, y};
    if (m_pDesc) {
        m_pDesc->m_X = x;
        m_pDesc->m_Y = y;
    }
}

CMapCell* CActor::RecordedCell() const {
    CMapGrid* grid = Grid();
    const CGamePoint c = GetCell();
    return grid ? grid->GetCell(c.x, c.y) : nullptr;
}

// ---- state bytes

void CActor::ClearStates() {
    std::fill(std::begin(m_States), std::end(m_States), uint8_t(0));
    std::fill(std::begin(m_StateCountdowns), std::end(m_StateCountdowns), uint8_t(0));
}

int CActor::HasState(int32_t k) const {
    // The mask is kept (300 reads 44); 128-255 lie past the array.
    const uint32_t i = static_cast<uint32_t>(k) & 255u;
    return i < 128 ? m_States[i] : 0;
}

void CActor::SetState(int32_t k, uint8_t v) {
    const uint32_t i = static_cast<uint32_t>(k) & 255u;
    if (i < 128) m_States[i] = v;
}

// ---- packets

void CActor::SendMotionPacket() {
    if (!g_CurScene) return;
    PacketFields f;
    f.type = kPacketRoleState;
    f.sub = kRoleSubMotion;
    f.handle = m_Handle;
    f.value = m_Motion;
    uint8_t p[5];
    WritePacket(f, p, 5);
    g_CurScene->SendToWatchers(p);
}

void CActor::SendCellPacket(int32_t cellX, int32_t cellY) {
    if (!g_CurScene) return;
    PacketFields f;
    f.type = kPacketCell;
    f.handle = m_Handle;
    f.x = m_X;
    f.y = m_Y;
    f.cellX = cellX;
    f.cellY = cellY;
    f.speed = m_Speed;
    uint8_t p[12];
    WritePacket(f, p, 12);
    g_CurScene->SendToWatchers(p);
}

// ---- cells

int CActor::EnterCell(int32_t x, int32_t y, int mode) {
    if (m_Removed) return 0;
    CMapGrid* grid = Grid();
    if (!grid) return 0;
    const uint16_t me = static_cast<uint16_t>(m_Handle & 0xFFFF);
    CMapCell* cell = grid->GetCell(x, y);
    auto heldByOther = [&](const CMapCell* c) { return c->m_Occupant != kNoObj && c->m_Occupant != me; };
    if (mode == 1 && (!cell || !CellAllowsWalkClass(cell, m_WalkClass) || heldByOther(cell))) {
        CGamePoint p{x, y};
        if (!grid->FindNearestFree(&p, m_WalkClass, 8)) return 0;
        x = p.x;
        y = p.y;
        cell = grid->GetCell(x, y);
    }
    if (!cell) return 0;
    if (mode != 2 && !CellAllowsWalkClass(cell, m_WalkClass)) return 0;
    if (heldByOther(cell)) {
        CGamePoint p{x, y};
        if (!grid->FindNearestFree(&p, m_WalkClass, 2)) return 0;
        x = p.x;
        y = p.y;
        cell = grid->GetCell(x, y);
        if (!cell) return 0;
    }
    LeaveCell();
    cell->SetOccupant(me);
    m_OnCell = 1;
    SetRecordedCell(x, y);
    if (g_CurScene && mode != 1) SendCellPacket(x, y);
    return 1;
}

void CActor::LeaveCell() {
    const uint16_t me = static_cast<uint16_t>(m_Handle & 0xFFFF);
    // Only a cell this actor marked: the grid may be gone by destruction.
    if (m_OnCell) {
        CMapCell* cell = RecordedCell();
        if (cell && cell->m_Occupant == me) cell->SetOccupant(kNoObj);
        m_OnCell = 0;
    }
    if (m_pHeldCell) m_pHeldCell->SetOccupant(me);
}

void CActor::SavePosition() {
    m_HeldPosition = {m_X, m_Y};
    m_pHeldCell = RecordedCell();
}

void CActor::RestorePosition() {
    if (!m_pHeldCell) return;
    LeaveCell();
    SetPixelPos(m_HeldPosition.x, m_HeldPosition.y);
    SetRecordedCell(m_X / 64, m_Y / 64);
    m_OnCell = 1;
    m_HeldPosition = {-1, -1};
    m_pHeldCell = nullptr;
}

int CActor::PlaceNear(int32_t x, int32_t y, int32_t radius) {
    CMapGrid* grid = Grid();
    if (!grid || grid->Width() <= 0 || grid->Height() <= 0) return 0;
    // Scripts may name any cell: one off the grid is taken to its nearest edge cell.
    CGamePoint cell{std::clamp(x, 0, grid->Width() - 1), std::clamp(y, 0, grid->Height() - 1)};
    if (radius > 0) {
        const CGamePoint open = FindOpenDirPoint(cell, radius);
        if (open.x >= 0) cell = open;
    }
    // The actor's own cell counts as free for its own placement.
    const uint16_t me = static_cast<uint16_t>(m_Handle & 0xFFFF);
    CMapCell* own = m_OnCell ? RecordedCell() : nullptr;
    if (own && own->m_Occupant != me) own = nullptr;
    if (own) own->SetOccupant(kNoObj);
    const int found = grid->FindNearestFree(&cell, 1, 6);
    if (own) own->SetOccupant(me);
    if (!found) return 0;
    const CGamePoint c = CellCentre(cell);
    SetPixelPos(c.x, c.y);
    EnterCell(cell.x, cell.y, 0);
    SetMotion(kMotionStand, 0, 0, 0);
    return 1;
}

void CActor::ApplyServerPosition(int32_t cellX, int32_t cellY, int32_t x, int32_t y, int32_t speed) {
    if (g_CurScene) return;
    m_Speed = speed & 0xFF;
    if (DistanceTrunc(x - m_X, y - m_Y) >= 64) SetPixelPos(x, y);
    EnterCell(cellX, cellY, 1);
    PlanStepToCell(cellX, cellY, -1);
}

void CActor::TakeAirborneClass(int32_t x, int32_t y) {
    SetMoverWalkClass();
    CMapGrid* grid = Grid();
    const CMapCell* cell = grid ? grid->GetCell(x, y) : nullptr;
    if (m_WalkClass == 11 && !(cell && cell->m_Terrain == 12)) SetWalkClass(1);
}

// ---- facing

int CActor::DirectionTo(const CGamePoint& a, const CGamePoint& b) const {
    return m_DirCount == 16 ? GetDir16(a, b) : GetDir8(a, b);
}

void CActor::SetDirection(int32_t d) {
    if (d == m_Facing) return;
    m_Facing = d;
    if (g_CurScene && m_DirCount > 0) SetAnimIndex(m_DefaultAnimGroup / m_DirCount * m_DirCount + d);
}

void CActor::TurnBy(int32_t n) {
    const int32_t count = m_DirCount == 16 ? 16 : 8;
    m_Facing = ((m_Facing + n) % count + count) % count;
}

// ---- speed and steps

void CActor::SetSpeed(int32_t v) {
    if (HasState(62)) v = std::max(1, v / 2);
    m_Speed = m_Step = v;
    if (!m_pModelRow) return;
    const int drawn = m_pModelRow->GetInt(kModelColWalkSpeed);
    if (drawn == 0) return;
    const float r = static_cast<float>(m_Speed) / static_cast<float>(drawn);
    int32_t delay;
    if (r == 1.0f) delay = 0;
    else if (r >= 3.0f) delay = -3;
    else if (r >= 2.4f) delay = -2;
    else if (r >= 1.4f) delay = -1;
    else if (r < 0.5f) delay = 5;
    else if (r < 0.6f) delay = 4;
    else if (r < 0.7f) delay = 3;
    else if (r < 0.8f) delay = 2;
    else delay = 1;
    m_WalkFrameDelay = delay;
    // The walk animations, one per direction, so they step in time with the feet.
    CAnimRes* set = GetAnimSet();
    if (!set) return;
    const int32_t first = m_pModelRow->HasValue(kModelColWalkAnim) ? m_pModelRow->GetInt(kModelColWalkAnim)
                                                                   : m_pModelRow->GetInt(kModelColWalkAnimAlt);
    for (int32_t i = 0; i < m_DirCount; ++i)
        if (CAnimPlayer* p = set->Player(first + i)) p->m_DelayOffset = delay;
}

// ---- animation set

CAnimRes* CActor::GetAnimSet() const {
    CTrailAnim* anim = GetRoleSpriteAnim(m_pSprite);
    return anim && anim->IsBound() ? anim : nullptr;
}

CAnimPlayer* CActor::GetAnimAt(int32_t i) const {
    const CAnimRes* set = GetAnimSet();
    if (!set) return nullptr;
    CAnimPlayer* p = set->Player(i);
    return p ? p : set->Player(0);
}

CAnimPlayer* CActor::GetCurrentAnim() const {
    const CAnimRes* set = GetAnimSet();
    return set ? set->CurrentPlayer() : nullptr;
}

int32_t CActor::GetCurrentAnimIndex() const {
    const CAnimRes* set = GetAnimSet();
    return set ? set->m_CurSeq : 0;
}

void CActor::SelectAnim(int32_t i) {
    CAnimRes* set = GetAnimSet();
    if (!set || i < 0 || i >= set->m_SeqCount || i == set->m_CurSeq) return;
    set->m_CurSeq = i;
    set->Player(i)->Start(false);
}

void CActor::SetAnimOrDefault(int32_t g) {
    if (g != -1) m_DefaultAnimGroup = g;
    SelectAnim(m_DefaultAnimGroup);
}

int32_t CActor::WindDirection() {
    if (!g_CurScene || g_CurScene->m_Weather.m_Kind != kWeatherWind) return -1;
    return g_CurScene->m_Weather.m_Phase;
}

int CActor::PlanStep(int32_t x, int32_t y, int32_t speed) {
    if (speed < 1) return 1;
    m_StepTarget = {x, y};
    const int32_t d = DistanceTrunc(x - m_X, y - m_Y);
    if (d <= 0) {
        m_StepsLeft = 0;
        return 1;
    }
    const int32_t wind = WindDirection();
    if (wind >= 0) {
        static const int32_t kPercent[5] = {150, 130, 80, 50, 50};
        const int32_t k = FoldDir(GetFacing8() - wind - 1, 8);
        m_Step = std::max(1, speed * kPercent[k] / 100);
    } else if (!g_CurScene) {
        m_Step = speed;
    }
    const int32_t step = std::max(1, m_Step);
    m_StepsLeft = d / step;
    if (m_StepsLeft < 1) return 1;
    m_StepPos[0] = static_cast<float>(m_X);
    m_StepPos[1] = static_cast<float>(m_Y);
    m_StepDelta[0] = static_cast<float>(x - m_X) / static_cast<float>(m_StepsLeft);
    m_StepDelta[1] = static_cast<float>(y - m_Y) / static_cast<float>(m_StepsLeft);
    return 0;
}

int CActor::PlanStepToCell(int32_t cx, int32_t cy, int32_t speed) {
    if (cx < 0) {
        const CGamePoint c = GetCell();
        cx = c.x;
        cy = c.y;
    }
    if (speed < 0) speed = m_Speed;
    const CGamePoint p = CellCentre({cx, cy});
    return PlanStep(p.x, p.y, speed);
}

int CActor::AdvanceStep() {
    if (m_StepsLeft < 1) return 1;
    m_StepPos[0] += m_StepDelta[0];
    m_StepPos[1] += m_StepDelta[1];
    SetPixelPos(static_cast<int32_t>(m_StepPos[0]), static_cast<int32_t>(m_StepPos[1]));
    --m_StepsLeft;
    return m_StepsLeft < 1 ? 1 : 0;
}

void CActor::PlanSecondaryStep(int32_t x, int32_t y, int32_t speed, int32_t tag) {
    const int32_t steps = m_StepsLeft, step = m_Step;
    const CGamePoint target = m_StepTarget;
    const float pos[2] = {m_StepPos[0], m_StepPos[1]}, delta[2] = {m_StepDelta[0], m_StepDelta[1]};
    m_StepsLeft = 0;
    const int planned = PlanStep(x, y, speed) == 0;
    m_SecondaryStep[0] = tag;
    m_SecondaryStep[1] = planned ? m_StepsLeft : 0;
    std::memcpy(&m_SecondaryStep[2], &m_StepDelta[0], sizeof(float));
    std::memcpy(&m_SecondaryStep[3], &m_StepDelta[1], sizeof(float));
    if (!planned) m_SecondaryStep[2] = m_SecondaryStep[3] = 0;
    m_StepsLeft = steps;
    m_Step = step;
    m_StepTarget = target;
    m_StepPos[0] = pos[0];
    m_StepPos[1] = pos[1];
    m_StepDelta[0] = delta[0];
    m_StepDelta[1] = delta[1];
}

void CActor::PlanPushStep(int32_t count, int32_t speed, int32_t dir, int32_t tag) {
    CGamePoint p{m_X, m_Y};
    MoveDir8(p, dir, count * speed);
    PlanSecondaryStep(p.x, p.y, speed, tag);
}

// ---- height

void CActor::SetHeightVelocity(int32_t v, int32_t target) {
    m_HeightTarget = target;
    if (m_Height > target) m_HeightVelocity = -std::abs(v);
    else if (m_Height < target) m_HeightVelocity = std::abs(v);
}

void CActor::TickValue() {
    ++m_TickCount;
    if (m_HeightVelocity == 0) return;
    if (m_Motion != kMotionJump) m_Height += m_HeightVelocity;
    bool reached;
    if (m_HeightVelocity > 0) {
        if (m_Motion == kMotionJump) m_Height += m_HeightVelocity;
        reached = m_Height >= m_HeightTarget;
    } else {
        if (m_Motion == kMotionStand) {
            const CGamePoint c = GetCell();
            EnterCell(c.x, c.y, 0);
        }
        if (IsPosture(110)) m_HeightVelocity -= std::max(1, static_cast<int32_t>(std::fabs(m_HeightVelocity * 0.2f)));
        // A jump comes down by its share of the height for the steps left.
        if (m_Motion == kMotionJump) TakeShare(&m_Height, m_StepsLeft, 0);
        reached = m_Height <= m_HeightTarget;
    }
    if (reached) {
        m_Height = m_HeightTarget;
        m_HeightVelocity = 0;
    }
}

// ---- path buffer and target

void CActor::SetPathCapacity(int32_t n) {
    m_PathCapacityWanted = n;
    m_PathCapacity = std::max(5, n * 2 / 3);
    delete[] m_pPathPoints;
    m_pPathPoints = new (std::nothrow) CGamePoint[static_cast<size_t>(m_PathCapacity) + 5]();
}

CGamePoint* CActor::GetPathPoint(int32_t i) {
    if (!m_pPathPoints || i < 0 || i > m_PathCapacity) return nullptr;
    return &m_pPathPoints[i];
}

CGameObj* CActor::GetTarget() {
    CGameObj* obj = m_TargetHandle && g_CurHandleTable ? g_CurHandleTable->Resolve(m_TargetHandle) : nullptr;
    if (obj && obj->m_Kind >= 30 && obj->m_Kind <= 100 && g_WorldHooks.isRoleDead && g_WorldHooks.isRoleDead(obj))
        obj = nullptr;
    if (!obj) m_TargetHandle = 0;
    return obj;
}

// ---- motions

int CActor::CanKeepMoving() const {
    const int32_t wait = m_Camp >= 10000 && m_Camp <= 60000 ? 10 : 56;
    const int32_t since = std::abs(GetGameTickCount() - static_cast<int32_t>(m_LastPathTick));
    return since >= wait ? 1 : static_cast<int>(m_MoveOk);
}

void CActor::SetMotion(int32_t motion, int32_t p1, int32_t p2, int32_t p3) {
    const uint32_t r = TestFlag(kFlagRunning) ? 1u : 0u;
    if (motion == m_Motion && p1 == m_MotionP1 && p2 == m_MotionP2 && p3 == m_MotionP3 && r == m_RunningAtLastMotion) {
        m_RunningAtLastMotion = r;
        return;
    }
    if (!g_CurScene) {
        m_Motion = motion;
        if (motion == kMotionJump) TakeAirborneClass(p1, p2);
        m_RunningAtLastMotion = r;
        return;
    }
    LeaveMotion();
    const int32_t old = m_Motion;
    if (motion == kMotionStand) {
        const CMapCell* cell = RecordedCell();
        if (cell && cell->m_Special == 2 &&
            (old == kMotionWalk || old == kMotionPlayOnce || old == kMotionPushed || old == kMotionReturn ||
             old == kMotionHitReaction)) {
            SetMotion(kMotionBounce, GetDir8({m_X, m_Y}, m_PreviousPosition), m_Speed, 0);
            return;
        }
        m_LastFootprint = {-100, -100};
        if (!(p1 == 0 && (old == kMotionPlayOnce || old == kMotionJump))) {
            m_Motion = kMotionStand;
            m_MotionP1 = p1;
            m_MotionP2 = p2;
            m_MotionP3 = p3;
        }
        m_StepsLeft = 0;
        EnterCell(m_X / 64, m_Y / 64, 0);
        SetFlag(kFlagRunning, 0);
    } else {
        m_MoveOk = 1;
        m_Motion = motion;
        m_MotionP1 = p1;
        m_MotionP2 = p2;
        m_MotionP3 = p3;
        if (m_Speed < 2 && motion != kMotionWalk) {
            LeaveMotion();
            m_Motion = kMotionStand;
        }
        EnterMotion();
        if (!CanKeepMoving()) {
            LeaveMotion();
            m_Motion = kMotionStand;
        }
    }
    if (m_Motion != old) SendMotionPacket();
    if ((m_Motion < 20 || m_Motion > 30) && old != kMotionPlayOnce && old != kMotionJump &&
        (!HasMount() || m_Motion == kMotionReturn))
        SetAnimIndex(-1);
    if (m_Motion == kMotionWalk) UpdateWalkFacing();
    m_RunningAtLastMotion = r;
}

void CActor::LeaveMotion() {
    m_StepDone = 1;
    switch (m_Motion) {
    case kMotionWalk:
    case kMotionPushed: m_Backing = 0; break;
    case kMotionPlayOnce:
    case kMotionJump:
        SetFlag(kFlagPlaying, 0);
        // A missing cell reads 65535 and counts as set.
        if (!m_pModelRow || m_pModelRow->GetInt(kModelColFallsBack) != 0) SetHeightVelocity(28, 0);
        break;
    case kMotionArc: SetOverride(6, 0, -1); break;
    case kMotionReturn:
        m_PushDivisor = 5;
        SetFlag(kFlagRunning, 0);
        UpdateSpeed(0);
        break;
    case kMotionHitReaction:
        SetHeightVelocity(28, 0);
        m_Backing = 0;
        break;
    default: break;
    }
}

void CActor::EnterMotion() {
    m_LastPathTick = static_cast<uint32_t>(GetGameTickCount());
    if (m_Motion != kMotionStand) UpdateSpeed(0);
    m_StepDone = 1;
    switch (m_Motion) {
    case kMotionBounce:
    case kMotionSlide: StartKnockBack(); break;
    case kMotionWalk:
        if (CanKeepMoving() && !MoveTo({m_MotionP1, m_MotionP2})) m_MoveOk = 0;
        break;
    case kMotionPlayOnce:
    case kMotionJump:
        SetFlag(kFlagPlaying, 1);
        if (!StartJump()) m_MoveOk = 0;
        break;
    case kMotionArc:
        if (StartArc()) SetOverride(6, 1, -1);
        else m_MoveOk = 0;
        break;
    case kMotionCircle: StartCircle(); break;
    case kMotionPushed:
    case kMotionHitReaction:
        m_Facing = m_DirCount == 16 ? ((2 * m_MotionP1 - 8) % 16 + 16) % 16 : ((m_MotionP1 + 4) % 8 + 8) % 8;
        if (m_MotionP3 != 0) SetSpeed(m_MotionP3);
        if (m_Motion == kMotionHitReaction) {
            m_MotionP3 = m_MotionP2;
            SetHeightVelocity(14, 40);
        }
        m_PushLimit = m_MotionP2 * 64;
        m_PushOrigin = {m_X, m_Y};
        break;
    case kMotionReturn:
        if (!StartReturn()) m_MoveOk = 0;
        break;
    default: break;
    }
}

void CActor::Update() {
    switch (m_Motion) {
    case kMotionStand: IdleSeparation(); break;
    case kMotionWalk:
        if (m_DirCount == 16) TickWalk16();
        else TickWalk8();
        break;
    case kMotionPlayOnce: TickPlayOnce(); break;
    case kMotionJump:
        CheckJumpApex();
        TickPlayOnce();
        break;
    case kMotionPushed: TickPushed(); break;
    case kMotionHitReaction: TickHitReaction(); break;
    case kMotionReturn: TickReturn(); break;
    case kMotionBounce: TickBounce(); break;
    case kMotionSlide: TickSlide(); break;
    case kMotionArc: TickArc(); break;
    case kMotionCircle: TickCircle(); break;
    default: break;
    }
}

void CActor::PostUpdate() {
    if (m_Motion == kMotionStand) IdleSeparation();
    else if (m_Motion == kMotionJump) CheckJumpApex();
    AdvanceStep();
}

void CActor::ReenterWalk() {
    EnterMotion();
    if (!CanKeepMoving()) SetMotion(kMotionStand, 0, 0, 0);
}
