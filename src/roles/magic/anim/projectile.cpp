#include "roles/magic/anim/projectile.h"

#include <cmath>
#include <cstdlib>

#include "core/geometry.h"
#include "gfx/anim.h"
#include "gfx/image.h"
#include "platform/random.h"
#include "roles/actor/actor.h"
#include "roles/actor/actor_util.h"
#include "roles/magic/effect_calls.h"
#include "roles/tables/skill_table.h"
#include "world/map/iso_grid.h"
#include "world/map/line_walk.h"
#include "world/map/map_grid.h"
#include "world/scene/world_globals.h"
#include "world/things/anim_map_obj.h"

namespace projectile_consts {
constexpr int32_t kNoShadow = 83;
constexpr int32_t kHoverHeight = 11;
} // namespace projectile_consts
using namespace projectile_consts;

// ---------------------------------------------------------------- CMagic201Base

CMagic201Base::CMagic201Base() = default;

int32_t CMagic201Base::SubKind() const { return m_pDef ? m_pDef->col6 : 0; }

void CMagic201Base::SwitchSeq(CAnimRes& res, int32_t seq) {
    if (seq < 0 || seq >= res.m_SeqCount) return;
    res.m_CurSeq = seq;
    if (CAnimPlayer* p = res.CurrentPlayer()) p->Start(false);
}

int CMagic201Base::Start() {
    ScheduleAreaHit(2, 32, 0);
    m_Height = Col(10);
    m_Pierce = Col(11);
    m_Speed = Col(12);
    m_DefParam = Col(13);
    const int32_t wind = CActor::WindDirection();
    if (m_DefParam != 0 && wind >= 0) {
        const CGamePoint pos{m_X, m_Y};
        const CGamePoint target{m_TargetX, m_TargetY};
        const int32_t d = actor_util::FoldDir(GetDir8(target, pos) - wind, 8);
        int32_t percent = 60;
        float factor = 0.5f;
        if (d == 0) percent = 150, factor = 1.5f;
        else if (d == 1) percent = 120, factor = 1.2f;
        else if (d == 2) percent = 80, factor = 1.6f;
        m_Speed = m_Speed * percent / 100;
        const CGamePoint moved = PointAlongLine(pos, target, factor);
        m_TargetX = moved.x;
        m_TargetY = moved.y;
        if (m_Speed < 1) m_Speed = 1;
    }
    if (m_pDef) {
        Bind(static_cast<uint32_t>(m_pDef->col4));
        if (m_pDef->col5 != kNoShadow) m_Shadow.Bind(static_cast<uint32_t>(m_pDef->col5));
    }
    MoveIso(0, m_Height);
    const CGamePoint own = PixelToTile({m_X, m_Y});
    CGamePoint target{m_TargetX, m_TargetY};
    if (PixelToTile(target) == own) {
        MoveDir8(target, m_Direction, 64);
        m_TargetX = target.x;
        m_TargetY = target.y;
    }
    m_Direction = GetDir16(target, {m_X, m_Y});
    if (m_SeqCount >= 2 && m_Direction < m_SeqCount) SwitchSeq(*this, m_Direction);
    Aim();
    m_DriftX = 0.80f + static_cast<float>(plat::Rand() % 20) * 0.01f;
    m_DriftY = 0.80f + static_cast<float>(plat::Rand() % 20) * 0.01f;
    m_LastCellX = own.x;
    m_LastCellY = own.y;
    m_CellsTravelled = 0;
    return 1;
}

void CMagic201Base::Aim() {
    m_PosX = static_cast<float>(m_X);
    m_PosY = static_cast<float>(m_Y);
    if (m_Speed == 0) {
        Remove();
        return;
    }
    const int32_t dx = m_TargetX - m_X, dy = m_TargetY - m_Y;
    const int32_t len = static_cast<int32_t>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
    m_StepsLeft = len / m_Speed;
    if (m_StepsLeft == 0) m_StepsLeft = 2;
    m_VelX = static_cast<float>(dx) / static_cast<float>(m_StepsLeft);
    m_VelY = static_cast<float>(dy) / static_cast<float>(m_StepsLeft);
    m_VSpeed = m_Speed;
    m_HeightAcc = 0;
    m_GravityStep = m_Speed;
    m_GravityDiv = m_StepsLeft / 2;
    if (m_GravityDiv < 1) m_GravityDiv = 1;
}

void CMagic201Base::Accelerate() {
    m_HeightAcc += m_GravityStep;
    const int32_t q = m_HeightAcc / m_GravityDiv;
    if (q != 0) {
        m_HeightAcc %= m_GravityDiv;
        m_VSpeed -= q;
    }
    m_Height += m_VSpeed / 4;
}

int CMagic201Base::Tick() {
    if (m_Removed) return 0;
    if (CAnimPlayer* p = CurrentPlayer()) {
        p->StepLoop();
        if (SubKind() == 3 && p->IsAtEnd()) {
            Remove();
            return 0;
        }
    }
    if (!CAnimMagic::Tick()) return 0;
    if (m_Removed) return 0;
    const CGamePoint cell = PixelToTile({m_X, m_Y});
    if (cell.x != m_LastCellX || cell.y != m_LastCellY) {
        m_LastCellX = cell.x;
        m_LastCellY = cell.y;
        ++m_CellsTravelled;
        if (m_WalkClass != 11) {
            const CMapCell* c = g_CurMapGrid ? g_CurMapGrid->GetCell(cell.x, cell.y) : nullptr;
            bool stop = false;
            if (!c) {
                // Off the map: as good as a wall.
                stop = true;
            } else if (!CellAllowsWalkClass(c, m_WalkClass)) {
                if (c->m_Terrain >= 2 && c->m_Terrain <= 9) stop = true;
                else if (c->m_Terrain == 1 && m_CellsTravelled >= 3)
                    stop = plat::Rand() % (m_CellsTravelled - 1) != 0;
            }
            if (stop) {
                RunSelected(kListHit, this, 2, 0);
                Remove();
                return 0;
            }
        }
    }
    if (m_StepsLeft <= 0) {
        const int32_t sub = SubKind();
        if (sub == 5 && m_ReturnState == -1) {
            m_VelX *= 0.8333333f;
            m_VelY *= 0.8333333f;
            if (std::fabs(m_VelX) + std::fabs(m_VelY) < 0.3f) {
                CGameObj* owner = GetOwner();
                if (!owner) {
                    Remove();
                    return 0;
                }
                m_ReturnState = 0;
                m_TargetX = owner->m_X;
                m_TargetY = owner->m_Y;
                Aim();
                if (m_Removed) return 0;
                m_Direction = GetDir16({m_TargetX, m_TargetY}, {m_X, m_Y});
            }
        } else if (sub == 5) {
            Remove();
            return 0;
        } else if (m_Height < kHoverHeight || sub == 1) {
            RunAll(kListEnd, this);
            Remove();
            return 0;
        } else {
            m_VelX *= m_DriftX;
            m_VelY *= m_DriftY;
            Accelerate();
        }
    } else if (SubKind() == 2 && m_Height > 2) {
        Accelerate();
    }
    m_PosX += m_VelX;
    m_PosY += m_VelY;
    m_X = static_cast<int32_t>(m_PosX);
    m_Y = static_cast<int32_t>(m_PosY);
    if (m_StepsLeft > 0) --m_StepsLeft;
    if (m_pTrail) {
        const CGamePoint ground{m_X - 2 * m_Height, m_Y - 2 * m_Height};
        CAnimPlayer* p = CurrentPlayer();
        m_pTrail->Push(&ground, p ? p->CurrentFrame() : nullptr);
    }
    return 1;
}

int CMagic201Base::Draw(CSurface* surface) {
    if (m_pTrail) {
        const CGameRect view = ViewClipRect();
        m_pTrail->Draw(surface, &view);
    }
    return CAnimMagic::Draw(surface);
}

void CMagic201Base::DrawShadow(CSurface* surface, int32_t seq, int32_t frame) {
    if (seq < 0 || seq >= m_Shadow.m_SeqCount) seq = 0;
    CAnimPlayer* s = m_Shadow.Player(seq);
    if (!s) return;
    s->m_CurFrame = frame;
    const CGameRect view = ViewClipRect();
    s->Draw(surface, m_ScreenX, m_ScreenY, kDrawBlend, 8, &view);
}

void CMagic201Base::Lift() {
    m_ScreenRect.y -= m_Height;
    m_ScreenY -= m_Height;
}

// ---------------------------------------------------------------- CMagic201

int CMagic201::Start() {
    m_FlightMode = 2;
    return CMagic201Base::Start();
}

int CMagic201::Tick() {
    if (m_Ending) {
        // The impact sequence plays out; the flight is over.
        CAnimPlayer* p = CurrentPlayer();
        if (!p || p->IsAtEnd()) CMagic::Remove();
        else p->Step();
        return 1;
    }
    CAnimPlayer* p = CurrentPlayer();
    if (m_CurSeq < 16 && p && p->IsAtEnd() && m_SeqCount >= kFlightSeqs) SwitchSeq(*this, m_Direction + 16);
    return CMagic201Base::Tick();
}

int CMagic201::Remove() {
    if (m_Removed || m_Ending) return 1;
    m_Ending = 1;
    if (m_SeqCount >= kImpactSeqs) {
        const int32_t seq = m_Direction + 32;
        if (seq < m_SeqCount && seq != m_CurSeq) SwitchSeq(*this, seq);
        return 1;
    }
    return CMagic::Remove();
}

int CMagic201::Draw(CSurface* surface) {
    if (m_Removed) return 0;
    CAnimPlayer* p = CurrentPlayer();
    DrawShadow(surface, m_CurSeq, p ? p->m_CurFrame : 0);
    Lift();
    return CMagic201Base::Draw(surface);
}

// ---------------------------------------------------------------- CMagic201_2

int CMagic201_2::Draw(CSurface* surface) {
    if (m_Removed) return 0;
    DrawShadow(surface, m_Direction, 0);
    Lift();
    return CMagic201Base::Draw(surface);
}

void CMagic201_2::Accelerate() {
    CMagic201Base::Accelerate();
    if (m_Height < 30) {
        if (m_CurSeq < 32 && m_SeqCount >= 33) SwitchSeq(*this, m_CurSeq + 16);
    } else if (m_Height < 60) {
        if (m_CurSeq < 16 && m_SeqCount >= 17) SwitchSeq(*this, m_CurSeq + 16);
    }
}

// ---------------------------------------------------------------- CMagic201_4

int CMagic201_4::Start() {
    m_Height = Col(10);
    m_TurnStep = Col(12);
    if (m_pDef) Bind(static_cast<uint32_t>(m_pDef->col4));
    m_Lifetime = kLifetime;
    const CGamePoint t = GetTargetPoint();
    m_Angle = HeadingOf(t.x - m_X, t.y - m_Y);
    return 1;
}

int CMagic201_4::Tick() {
    if (m_Removed) return 0;
    CAnimMagic::Tick();
    if (m_Removed) return 0;
    if (m_Lifetime == -1) {
        Remove();
        return 0;
    }
    const int32_t was = m_Lifetime--;
    if (was == 0) return 1;
    const CGamePoint t = GetTargetPoint();
    const int32_t dx = t.x - m_X, dy = t.y - m_Y;
    const int32_t d = static_cast<int32_t>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
    if (d < 10) {
        Remove();
        return 0;
    }
    const int32_t r = d - m_TurnStep;
    const CGamePoint old{m_X, m_Y};
    CGamePoint next = t;
    // No turn, or a turn step reaching the target: straight onto it; it
    // ends on the next tick.
    if (r > 0 && m_TurnStep != 0) {
        m_Angle += static_cast<float>(m_TurnStep) * kAnimPi / static_cast<float>(r);
        next.x = t.x + static_cast<int32_t>(std::sin(m_Angle + kAnimPi) * static_cast<float>(r));
        next.y = t.y + static_cast<int32_t>(std::cos(m_Angle + kAnimPi) * static_cast<float>(r));
    }
    SetPos(next.x, next.y);
    m_Direction = GetDir16(next, old);
    if (m_Direction < m_SeqCount && m_Direction != m_CurSeq) {
        m_CurSeq = m_Direction;
    }
    if (CAnimPlayer* p = CurrentPlayer()) p->StepLoop();
    return 1;
}

void CMagic201_4::UpdateScreenRect() {
    CGamePoint a = g_IsoGrid.WorldToScreen(m_X, m_Y);
    a.y -= m_Height;
    SetScreenRectAt(a);
}
