#include "world/things/beastie.h"

#include <cstdlib>

#include "core/txt_table.h"
#include "gfx/image.h"
#include "platform/random.h"
#include "world/things/anim_objs.h"
#include "world/things/creature_area.h"
#include "world/things/fly_beastie.h"
#include "world/map/iso_grid.h"
#include "world/map/line_walk.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_desc.h"
#include "world/objects/obj_mng.h"
#include "world/objects/proximity.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_sound.h"

namespace {

CGamePoint PosOf(const CGameObj& o) { return CGamePoint{o.m_X, o.m_Y}; }

// Each coordinate / 64, truncating toward zero.
CGamePoint CellOf(const CGamePoint& world) { return CGamePoint{world.x / 64, world.y / 64}; }

} // namespace

CBeastie::CBeastie() {
    Register(-1);
    m_Act = -1;
    m_Kind = 27;
}

CBeastie::~CBeastie() = default;

int CBeastie::InitModel(const void* model) {
    CAnimMapObj::InitModel(model);
    m_pRow = static_cast<const CTxtRow*>(model);
    Bind(static_cast<uint32_t>(RowInt(m_pRow, m_Companion ? 16 : 2)));
    m_Dir = 5;
    OnArrive();
    if (RowInt(m_pRow, 7) == 1) AddCreatureLight(m_Handle);
    if (RowInt(m_pRow, 3) == 3) SetDrawLayer(1);
    return 1;
}

int CBeastie::InitAsCompanion(const CTxtRow* row, ObjHandle owner) {
    m_pRow = row;
    if (RowInt(row, 16) == kEmptyCol) return 0;
    m_Companion = 1;
    SetOwner(owner);
    return InitModel(row);
}

void CBeastie::SetTarget(const CGamePoint& cell) {
    if (m_State != kFlee) m_State = kWalk;
    m_Target = cell;
}

void CBeastie::SetState(int32_t s) {
    m_WaterSeek = 0;
    if (s == m_State) return;
    m_State = s;
    if (s == kDead) {
        const int32_t sound = RowInt(m_pRow, 15);
        if (sound != kEmptyCol) g_WorldSound.playEffectAt(sound, PosOf(*this), 0);
    } else if (s == kInWater) {
        auto* splash = new COneShotAnimObj;
        if (splash->m_Handle && g_CurObjMng) {
            splash->SetPos(m_X, m_Y);
            splash->SetAnimation(kSplashAnim);
            g_CurObjMng->Register(splash->m_Handle);
        } else {
            delete splash;
        }
        SetDrawLayer(5);
        g_WorldSound.playEffectAt(kSplashSound, PosOf(*this), 0);
    }
}

int CBeastie::CanEnter(const CGamePoint& cell) const {
    if (m_Companion) return 1;
    const CMapCell* c = g_CurMapGrid ? g_CurMapGrid->GetCell(cell.x, cell.y) : nullptr;
    if (!c) return 0;
    switch (RowInt(m_pRow, 3)) {
    case 0:
    case 3: return c->AllowsWalkClass(m_WalkClass) ? 1 : 0;
    case 2: return c->IsSurface4() ? 1 : 0;
    default: return 1;
    }
}

int CBeastie::MayStepOn(const CGamePoint& world) const {
    const CGamePoint c = CellOf(world);
    if (!g_CurMapGrid || !g_CurMapGrid->GetCell(c.x, c.y)) return 1;  // walks on past the edge
    return CanEnter(c);
}

void CBeastie::PlayAct(int32_t i) {
    m_Act = -1;
    if (i >= 0) {
        const int32_t v = m_pRow ? m_pRow->GetIntItem(12, i) : kEmptyCol;
        if (v != kEmptyCol) {
            m_Act = v;
            m_Speed = 2 * RowInt(m_pRow, 5);
        }
    }
    if (m_Act == -1) m_Speed = RowInt(m_pRow, 5);
}

int CBeastie::Tick() {
    if (!RunAnimStep(*this)) return 0;
    ++m_Timer;
    if (m_State == kDead) {
        if (m_Timer > 500) Remove();
        return 1;
    }
    if (m_Companion) {
        CGameObj* owner = ResolveHandle(m_Owner);
        if (!owner) {
            Remove();
            return 1;
        }
        SetDrawLayer(owner->m_DrawLayer == 5 ? 5 : 0);
        SetPos(owner->m_X, owner->m_Y);
        return 1;
    }
    if (m_State == kJump) {
        JumpToWater();
        return 1;
    }
    if (m_State == kInWater) {
        StayInWater();
        return 1;
    }
    if (m_State == kIdle)
        Wander();
    else
        WalkStep();

    CGameObj* role = PlayerRole();
    if (RowInt(m_pRow, 10) == 1 && m_State != kFlee && plat::Rand() % 10 == 1) {
        if (role && PointDistance(PosOf(*this), PosOf(*role)) < 420) FleeFrom(role->m_Handle);
    }
    if (!role) return 1;
    const int32_t dist = PointDistance(PosOf(*this), PosOf(*role));
    const int32_t motion = PlayerMotion(role);
    if (RowInt(m_pRow, 11) == 3 && dist < PlayerBodyRadius(role) && motion != 1 && PlayerHeight(role) <= 5) {
        // A row without a push divisor cannot be pushed.
        const int32_t divisor = RowInt(m_pRow, 12);
        if (divisor != 0) {
            const int dir = GetDir8(PosOf(*this), PosOf(*role));
            CGamePoint p = PosOf(*this);
            MoveDir8(p, dir, PlayerSpeed(role) / divisor);
            const CGamePoint c = CellOf(p);
            if (g_CurMapGrid && g_CurMapGrid->GetCell(c.x, c.y) && CanEnter(c)) SetPos(p.x, p.y);
        }
    }
    if (m_SeqCount > 24 && motion != 1 && dist < 32) {
        m_Timer = 0;
        SetState(kDead);
        SwitchSequence(*this, m_Dir + 24);
    }
    return 1;
}

void CBeastie::Wander() {
    const int32_t idle = RowInt(m_pRow, 13);
    if (idle != kEmptyCol && plat::Rand() % 500 == 10) g_WorldSound.playEffectAt(idle, PosOf(*this), 0);
    if (m_Speed < 1) return;
    CGamePoint target;
    if (PickWanderCell(m_pDesc, 0, &target)) SetTarget(target);
}

void CBeastie::WalkStep() {
    if (!m_pDesc) return;
    for (int attempts = 0;;) {
        const CGamePoint dc{m_pDesc->m_X, m_pDesc->m_Y};
        if (m_Target == dc) {
            OnArrive();
            return;
        }
        m_Dir = GetDir8(m_Target, dc);
        CGamePoint probe = PosOf(*this);
        MoveDir8(probe, m_Dir, 32);
        CGamePoint dest = PosOf(*this);
        MoveDir8(dest, m_Dir, m_Speed);
        // The step itself must land where the creature may go too: a
        // diagonal step can cut the corner of a cell the probe skipped, and
        // a speed above 32 overshoots the probe.
        if (MayStepOn(probe) && MayStepOn(dest)) {
            SetPos(dest.x, dest.y);
            break;
        }
        if (m_WaterSeek && plat::Rand() % 10 < 8) break;  // stays this tick
        if (attempts >= 8) {
            OnArrive();
            return;
        }
        m_Target = NextDirPoint(dc, 5);
        ++attempts;
    }
    const CGamePoint c = PixelToTile(PosOf(*this));
    m_pDesc->m_X = c.x;
    m_pDesc->m_Y = c.y;
    const int32_t d = PointDistance(m_Target, c);
    if (d > 3 && RowInt(m_pRow, 11) == 1 && plat::Rand() % 50 == 1) PlayAct(0);
    if (m_WaterSeek && d < 8) {
        const CMapCell* t = g_CurMapGrid ? g_CurMapGrid->GetCell(m_Target.x, m_Target.y) : nullptr;
        if (t && t->m_Surface == 4) SetState(kJump);
        m_WaterSeek = 0;
    }
}

void CBeastie::OnArrive() {
    if (m_State == kFlee) {
        CGameObj* role = PlayerRole();
        if (role && PointDistance(PosOf(*this), PosOf(*role)) < 480 && FleeFrom(role->m_Handle)) return;
    }
    SetState(kIdle);
    m_Speed = RowInt(m_pRow, 5);
}

int CBeastie::FleeFrom(ObjHandle handle) {
    m_WaterSeek = 0;
    CGameObj* obj = ResolveHandle(handle);
    if (!obj || !m_pDesc) return 0;
    const CGamePoint own{m_pDesc->m_X, m_pDesc->m_Y};
    const CGamePoint oc = RoleCell(obj);
    // Decide where to go first: with no water, area or path there is no
    // flight at all.
    const CGamePoint water = RowInt(m_pRow, 11) == 2 ? FindSpecialCellNear(own) : CGamePoint{-1, -1};
    const int32_t logic = CreatureLogic(m_pDesc);
    const int32_t n = CreaturePathCount(m_pDesc);
    if (water.x == -1 && logic != 1 && n < 1) return 0;

    SetState(kFlee);
    m_Speed = RowInt(m_pRow, 6);
    const int32_t sound = RowInt(m_pRow, 14);
    if (sound != kEmptyCol && plat::Rand() % 3 == 1) g_WorldSound.playEffectAt(sound, PosOf(*this), 0);
    if (water.x != -1) {
        m_WaterSeek = 1;
        SetTarget(water);
        return 1;
    }
    CGamePoint target;
    if (logic == 1) {
        target = StepAwayToRange(oc, own, 5, 0);
    } else {
        int32_t best = 0;
        target = CreaturePathPoint(m_pDesc, 0);
        for (int32_t i = 0; i < n; ++i) {
            const CGamePoint p = CreaturePathPoint(m_pDesc, i);
            const int32_t d = std::abs(oc.y - p.y) + std::abs(oc.x - p.x);
            if (d > best) {
                best = d;
                target = p;
            }
        }
    }
    SetTarget(target);
    return 1;
}

void CBeastie::JumpToWater() {
    if (!m_pDesc) return;
    const CGamePoint start = TileToPixel(CGamePoint{m_pDesc->m_X, m_pDesc->m_Y});
    const CGamePoint dest = TileToPixel(m_Target);
    const int32_t total = PointDistance(start, dest);
    const int32_t remaining = PointDistance(PosOf(*this), dest);
    m_Height += remaining > total / 2 ? -10 : 10;
    // Without a positive speed the jump would never arrive: land at once.
    if (m_Speed > 0 && remaining > 2 * m_Speed) {
        m_Dir = GetDir8(dest, PosOf(*this));
        CGamePoint p = PosOf(*this);
        MoveDir8(p, m_Dir, 2 * m_Speed);
        SetPos(p.x, p.y);
    } else {
        SetPos(dest.x, dest.y);
        SetState(kInWater);
    }
}

void CBeastie::StayInWater() {
    CGameObj* role = PlayerRole();
    if (!role || PointDistance(PosOf(*this), PosOf(*role)) < 1025 || !m_pDesc) return;
    m_Height = 0;
    const CGamePoint home = TileToPixel(CGamePoint{m_pDesc->m_X, m_pDesc->m_Y});
    SetPos(home.x, home.y);
    SetState(kIdle);
    SetDrawLayer(0);
}

int CBeastie::StepAnim() {
    CAnimPlayer* p = nullptr;
    if (m_SeqCount > 7) {
        if (m_Act != -1) {
            SwitchSequence(*this, m_Dir + m_Act);
            if ((p = CurrentPlayer()) && p->IsAtEnd()) PlayAct(-1);
        }
        if (m_Act == -1 && m_State < kInWater) {
            if (m_State == kDead) {
                SwitchSequence(*this, m_Dir + 24);
            } else {
                int32_t seq = m_Dir;
                if (m_State == kIdle && m_SeqCount >= 9)
                    seq = m_Dir + 8;
                else if ((m_State == kFlee || m_State == kJump) && m_SeqCount >= 16)
                    seq = m_Dir + 16;
                SwitchSequence(*this, seq);
            }
        }
        p = CurrentPlayer();
        if (p && m_State == kJump && p->m_CurFrame == RowInt(m_pRow, 12)) return 1;  // the jump pose holds
    }
    if ((p = CurrentPlayer())) p->StepLoop();
    return 1;
}

int CBeastie::Draw(CSurface* surface) {
    UpdateScreenRect();
    if (m_Companion) {
        CGameObj* owner = ResolveHandle(m_Owner);
        CAnimRes* anim = owner ? owner->GetAnim() : nullptr;
        CAnimPlayer* op = anim ? anim->CurrentPlayer() : nullptr;
        if (!op) return 0;
        CAnimPlayer* own = Player(anim->m_CurSeq < m_SeqCount ? anim->m_CurSeq : 0);
        CAnimFrame* f = own ? own->FrameAt(op->m_CurFrame) : nullptr;
        const CGameRect view = ViewClipRect();
        if (f) f->Draw(surface, m_ScreenX, m_ScreenY, kDrawBlend, 8, &view);
        return 1;
    }
    CAnimFrame* f = CurrentFrame();
    DrawCreatureImage(surface, f ? f->GetImage() : nullptr, m_ScreenRect.x, m_ScreenRect.y, RowInt(m_pRow, 4));
    return 1;
}

// ------------------------------------------------------------- factory

CGameObj* MakeBeastie(const CTxtRow* row) {
    CGameObj* obj = nullptr;
    if (row->GetInt(3) == 1)
        obj = new CFlyBeastie;
    else
        obj = new CBeastie;
    if (!obj->m_Handle) {  // no world current to hold it
        delete obj;
        return nullptr;
    }
    if (row->GetInt(16) != kEmptyCol) {
        auto* companion = new CBeastie;
        if (companion->m_Handle && companion->InitAsCompanion(row, obj->m_Handle) && g_CurObjMng)
            g_CurObjMng->Register(companion->m_Handle);
        else
            delete companion;
    }
    return obj;
}

int IsBeastieLive(const CGameObj* obj) {
    const auto* b = dynamic_cast<const CBeastie*>(obj);
    return b && !b->m_Companion && b->m_State != CBeastie::kDead ? 1 : 0;
}
