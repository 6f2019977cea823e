#include "world/things/anim_objs.h"

#include "platform/random.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_mng.h"
#include "world/sky/weather_fx.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace {

CMapCell* CellUnder(const CGameObj& obj) {
    if (!g_CurMapGrid) return nullptr;
    const CGamePoint c = PixelToTile(CGamePoint{obj.m_X, obj.m_Y});
    return g_CurMapGrid->GetCell(c.x, c.y);
}

} // namespace

// ------------------------------------------------------------------ timed

CTimedAnimObj::CTimedAnimObj() { Register(-1); }

CTimedAnimObj::~CTimedAnimObj() = default;

int CTimedAnimObj::SetAnimation(uint32_t id, int32_t seq) {
    if (const CMapCell* cell = CellUnder(*this); cell && cell->m_Surface == 4 && cell->m_Walkable == 0) {
        id = kSplashAnim;
        seq = 0;
    }
    Bind(id);
    if (seq == -1) {
        // A resource without sequences has nothing to choose from.
        if (m_SeqCount < 1) return 1;
        seq = plat::Rand() % m_SeqCount;
    }
    SwitchSequence(*this, seq);
    return 1;
}

int CTimedAnimObj::StepAnim() {
    if (CAnimPlayer* p = CurrentPlayer()) p->Step();
    return 1;
}

int CTimedAnimObj::Tick() {
    if (!RunAnimStep(*this)) return 0;
    if (CAnimPlayer* p = CurrentPlayer(); p && p->IsAtEnd()) RequestRedraw();
    const int32_t c = m_Age++;
    if (c > m_Life) {
        Remove();
        return 0;
    }
    return 1;
}

// -------------------------------------------------------------- footprint

int CFootprintObj::Setup(uint32_t id, int32_t seq) {
    SetAnimation(id, seq);
    RequestRedraw();
    m_Fading = 0;
    m_Life = 300;
    return 1;
}

int CFootprintObj::Tick() {
    if (!RunAnimStep(*this)) return 0;
    if (!m_Fading) {
        const int32_t c = m_Age++;
        if (c > m_Life) {
            StartFade();
            return 0;
        }
    } else if (CAnimPlayer* p = CurrentPlayer(); !p || p->IsAtEnd()) {
        Remove();
    }
    return 1;
}

void CFootprintObj::StartFade() {
    m_Fading = 1;
    SwitchSequence(*this, m_CurSeq + 8);
    UpdateScreenRect();
    SetDrawLayer(0);
    if (CellUnder(*this) && g_WorldHooks.invalidateRect) g_WorldHooks.invalidateRect(m_ScreenRect);
}

// --------------------------------------------------------------- one-shot

COneShotAnimObj::COneShotAnimObj() { Register(-1); }

COneShotAnimObj::~COneShotAnimObj() = default;

int COneShotAnimObj::SetAnimation(uint32_t id) {
    Bind(id);
    if (m_SeqCount >= 1 && m_CurSeq != 0) {
        if (CAnimPlayer* p = CurrentPlayer()) p->Start(false);
        m_CurSeq = 0;
    }
    return 1;
}

int COneShotAnimObj::StepAnim() {
    if (CAnimPlayer* p = CurrentPlayer()) p->Step();
    return 1;
}

int COneShotAnimObj::Tick() {
    if (!RunAnimStep(*this)) return 0;
    CAnimPlayer* p = CurrentPlayer();
    if (!p) p = Player(0);
    if (!p || p->IsAtEnd()) {
        Remove();
        return 0;
    }
    return 1;
}

// ------------------------------------------------------------- factories

CGameObj* CObjMng::AddAnimObj(int a, int b, int x, int y) {
    auto* obj = new CTimedAnimObj;
    if (!obj->m_Handle) {  // no world current to hold it
        delete obj;
        return nullptr;
    }
    // Pixels: maps up to 65535 cells wide take positions past 16 bits.
    obj->SetPos(x, y);
    obj->SetAnimation(static_cast<uint32_t>(a), b);
    Register(obj->m_Handle);
    return obj;
}

void MakeRainSplash(int32_t screenX, int32_t screenY, int32_t lightning) {
    if (!g_CurMapGrid || !g_CurObjMng) return;
    const CGamePoint world = g_IsoGrid.ScreenToWorld(screenX, screenY);
    const CGamePoint c = PixelToTile(world);
    const CMapCell* cell = g_CurMapGrid->GetCell(c.x, c.y);
    if (!cell) return;
    auto* splash = new COneShotAnimObj;
    if (!splash->m_Handle) {
        delete splash;
        return;
    }
    splash->SetPos(world.x, world.y);
    if (!lightning) {
        splash->SetAnimation(cell->m_Surface == 4 ? 238 : 29);
    } else {
        splash->SetAnimation(47);
        const int32_t seq = plat::Rand() % 3;
        if (seq < splash->m_SeqCount) SwitchSequence(*splash, seq);
    }
    g_CurObjMng->Register(splash->m_Handle);
}
