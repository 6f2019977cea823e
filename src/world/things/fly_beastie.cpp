#include "world/things/fly_beastie.h"

#include <cstdlib>

#include "core/txt_table.h"
#include "gfx/image.h"
#include "platform/random.h"
#include "world/things/anim_map_obj.h"
#include "world/things/creature_area.h"
#include "world/map/iso_grid.h"
#include "world/objects/obj_desc.h"
#include "world/scene/world_sound.h"

// ------------------------------------------------------------------ base

CFlyObj::CFlyObj() {
    m_Kind = 4;
    Register(-1);
    m_Height = 0;
}

CFlyObj::~CFlyObj() = default;

int CFlyObj::SetPos(int x, int y) {
    m_X = x;
    m_Y = y;
    return x;
}

int CFlyObj::Tick() { return StepAnim() ? 1 : 0; }

CAnimFrame* CFlyObj::CurrentFrame() const {
    CAnimPlayer* p = CurrentPlayer();
    return p ? p->CurrentFrame() : nullptr;
}

void CFlyObj::UpdateScreenRect() {
    const CGamePoint a = g_IsoGrid.WorldToScreen(m_X, m_Y);
    m_ScreenX = a.x;
    m_ScreenY = a.y;
    if (CAnimFrame* f = CurrentFrame())
        f->GetRect(a.x, a.y, &m_ScreenRect);
    else
        m_ScreenRect = CGameRect{a.x, a.y, 0, 0};
}

void CFlyObj::DrawFrame(CSurface* surface, int drawing) {
    CAnimFrame* f = CurrentFrame();
    DrawCreatureImage(surface, f ? f->GetImage() : nullptr, m_ScreenRect.x, m_ScreenRect.y, drawing);
}

int CFlyObj::Draw(CSurface* surface) {
    UpdateScreenRect();
    // Plain with lighting off, else through the grid (an alpha plane wins).
    DrawFrame(surface, 1);
    return 1;
}

// ------------------------------------------------------------- creature

CFlyBeastie::CFlyBeastie() = default;

CFlyBeastie::~CFlyBeastie() = default;

int CFlyBeastie::InitModel(const void* model) {
    CGameObj::InitModel(model);
    m_pRow = static_cast<const CTxtRow*>(model);
    Bind(static_cast<uint32_t>(RowInt(m_pRow, 2)));
    m_Height = RowInt(m_pRow, 17);
    m_Drift = 0;
    m_Dir = 5;
    Land();
    if (RowInt(m_pRow, 7) == 1) AddCreatureLight(m_Handle);
    return 1;
}

void CFlyBeastie::Land() {
    if (m_State != 0) m_State = 0;
    m_Speed = RowInt(m_pRow, 5);
}

int CFlyBeastie::Tick() {
    if (!CFlyObj::Tick()) return 0;
    const int32_t high = RowInt(m_pRow, 17), low = RowInt(m_pRow, 18);
    if (high != low && plat::Rand() % 10 == 1) m_Drift = plat::Rand() % 3 - 1;
    m_Height += m_Drift;
    if (m_Height > high) m_Height = high;
    if (m_Height < low) m_Height = low;

    if (m_State == 0) {
        const int32_t idle = RowInt(m_pRow, 13);
        if (idle != kEmptyCol && plat::Rand() % 200 == 1) g_WorldSound.playEffectAt(idle, CGamePoint{m_X, m_Y}, 0);
        if (RowInt(m_pRow, 10) != 2) Wander();
    } else {
        FlyStep();
    }

    const uint32_t c = m_Ticks++;
    if (c % 20 == 1) {
        const int32_t reaction = RowInt(m_pRow, 10);
        if (reaction == 1 && m_State != 2) {
            CGameObj* role = PlayerRole();
            if (role && PointDistance(CGamePoint{m_X, m_Y}, CGamePoint{role->m_X, role->m_Y}) < 480) FleeFrom(role);
        } else if (reaction == 2) {
            if (CGameObj* role = PlayerRole()) FleeFrom(role);
        }
    }
    return 1;
}

void CFlyBeastie::Wander() {
    CGamePoint target;
    if (PickWanderCell(m_pDesc, 200, &target)) FlyTo(target);
}

int CFlyBeastie::FlyTo(const CGamePoint& cell) {
    if (!m_pDesc || (m_pDesc->m_X == cell.x && m_pDesc->m_Y == cell.y)) {
        Land();
        return 0;
    }
    if (m_State != 2) m_State = 1;
    m_Target = cell;
    const CGamePoint dest = TileToPixel(cell);
    const CGamePoint pos{m_X, m_Y};
    // A speed of 0 (or a bad negative one) would divide by zero: one step.
    int32_t steps = m_Speed > 0 ? PointDistance(dest, pos) / m_Speed : 1;
    if (steps < 1) steps = 1;
    m_Steps = steps;
    m_Dir = GetDir8(dest, pos);
    m_ExactX = static_cast<float>(m_X);
    m_ExactY = static_cast<float>(m_Y);
    m_StepX = static_cast<float>(dest.x - m_X) / static_cast<float>(steps);
    m_StepY = static_cast<float>(dest.y - m_Y) / static_cast<float>(steps);
    return 1;
}

void CFlyBeastie::FlyStep() {
    if (m_Steps <= 0) {
        Land();
        return;
    }
    m_ExactX += m_StepX;
    --m_Steps;
    m_ExactY += m_StepY;
    m_X = static_cast<int32_t>(m_ExactX);
    m_Y = static_cast<int32_t>(m_ExactY);
    if (m_pDesc) {
        const CGamePoint c = PixelToTile(CGamePoint{m_X, m_Y});
        m_pDesc->m_X = c.x;
        m_pDesc->m_Y = c.y;
    }
}

void CFlyBeastie::FleeFrom(CGameObj* role) {
    if (!role || !m_pDesc) return;
    const int32_t reaction = RowInt(m_pRow, 10);
    const int32_t logic = CreatureLogic(m_pDesc);
    const CGamePoint rc = RoleCell(role);
    CGamePoint target;
    if (reaction == 1 && logic == 1) {
        target = StepAwayToRange(rc, CGamePoint{m_pDesc->m_X, m_pDesc->m_Y}, 5, 0);
    } else if (reaction == 1 || reaction == 2) {
        if (reaction == 2 && logic == 1) return;  // keeps to no path
        const int32_t n = CreaturePathCount(m_pDesc);
        if (n < 1) return;  // no path, no flight
        int32_t best = reaction == 1 ? 0 : 50000;
        target = CreaturePathPoint(m_pDesc, 0);
        for (int32_t i = 0; i < n; ++i) {
            const CGamePoint p = CreaturePathPoint(m_pDesc, i);
            const int32_t d = std::abs(rc.x - (p.x + 3)) + std::abs(rc.y - (p.y + 3));
            if (reaction == 1 ? d > best : d < best) {
                best = d;
                target = p;
            }
        }
    } else {
        return;
    }
    m_State = 2;
    m_Speed = RowInt(m_pRow, 6);
    if (!FlyTo(target)) return;
    const int32_t sound = RowInt(m_pRow, 14);
    if (sound != kEmptyCol && plat::Rand() % 3 == 1) g_WorldSound.playEffectAt(sound, CGamePoint{m_X, m_Y}, 0);
}

int CFlyBeastie::StepAnim() {
    if (m_SeqCount > 7) {
        int32_t seq = m_Dir;
        if (m_State == 0)
            seq = m_SeqCount == 8 ? m_Dir : m_Dir + 8;
        else if (m_State == 2 && m_SeqCount >= 16)
            seq = m_Dir + 16;
        SwitchSequence(*this, seq);
    }
    if (CAnimPlayer* p = CurrentPlayer()) p->StepLoop();
    return 1;
}

int CFlyBeastie::Draw(CSurface* surface) {
    m_ScreenRect.y -= m_Height;
    DrawFrame(surface, RowInt(m_pRow, 4));
    return 1;
}
