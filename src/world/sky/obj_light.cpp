#include "world/sky/obj_light.h"

#include "gfx/light_grid.h"
#include "world/buildings/bld.h"
#include "world/objects/game_obj.h"
#include "world/map/iso_grid.h"
#include "world/sky/weather.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace {

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }

} // namespace

int CObjLight::Update() {
    if (m_Dying) {
        const int32_t radius = m_pSpot1 ? m_pSpot1->m_Radius : 0;
        if (radius - m_Counter < 61) return 0;
        m_Counter += 10;
        m_pCurrent = g_LightGrid.GetSpot(radius - m_Counter, m_pSpot1->m_Color);
        return 1;
    }
    CGameObj* obj = ResolveHandle(m_Handle);
    if (!obj) {
        m_Dying = 1;
        m_Counter = 0;
        return 1;
    }
    const CBld* bld = obj->m_Kind >= 10 && obj->m_Kind <= 20 ? dynamic_cast<const CBld*>(obj) : nullptr;
    if (bld) {
        const CGamePoint p = bld->GetLightPos();
        m_X = p.x;
        m_Y = p.y;
    } else {
        m_X = obj->m_X;
        m_Y = obj->m_Y;
    }
    if (++m_Counter % 6 == 1) m_pCurrent = m_pCurrent != m_pSpot1 ? m_pSpot1 : m_pSpot2;
    return 1;
}

CObjLightList::~CObjLightList() { RemoveAll(); }

int CObjLightList::Add(ObjHandle handle, int32_t kind, int32_t radius, uint32_t colour, int32_t colour2) {
    if (!g_WorldHooks.hostHasClient || !g_WorldHooks.hostHasClient()) return 0;
    auto* l = new CObjLight;
    l->m_Handle = handle;
    l->m_Kind = kind;
    l->m_pSpot1 = g_LightGrid.GetSpot(radius, colour);
    l->m_pSpot2 = g_LightGrid.GetSpot(radius, colour2 == -1 ? colour : static_cast<uint32_t>(colour2));
    l->m_pCurrent = l->m_pSpot1;
    AddTail(l);
    return 1;
}

void CObjLightList::Update() {
    CObjNode* n = Head();
    while (n) {
        CObjNode* next = n->Next();
        auto* l = static_cast<CObjLight*>(n);
        if (!l->Update()) delete l;  // unlinks
        n = next;
    }
}

void CObjLightList::Draw() {
    g_LightGrid.Fill(g_Weather ? g_Weather->m_Light : 15);
    const int option = WorldDisplayOption();
    if (option != 1 && option != 2) return;
    for (CObjNode* n = Head(); n; n = n->Next()) {
        auto* l = static_cast<CObjLight*>(n);
        if (option == 1 && l->m_Kind != 0) continue;
        CLightMap* spot = option == 1 ? l->m_pSpot1 : l->m_pCurrent;
        if (!spot) continue;
        const CGamePoint s = g_IsoGrid.WorldToScreen(l->m_X, l->m_Y);
        g_LightGrid.Stamp(spot, s.x, s.y);
    }
}

int AddBldLight(ObjHandle handle, int32_t lightKind) {
    if (!g_CurLightList) return 0;
    const uint32_t white = Rgb(255, 255, 255);
    switch (lightKind) {
    case 1: return g_CurLightList->Add(handle, lightKind, 320, white, static_cast<int32_t>(Rgb(220, 220, 220)));
    case 2: return g_CurLightList->Add(handle, lightKind, 320, white, static_cast<int32_t>(white));
    case 3: return g_CurLightList->Add(handle, lightKind, 800, white, static_cast<int32_t>(Rgb(230, 230, 230)));
    case 4: return g_CurLightList->Add(handle, lightKind, 800, white, static_cast<int32_t>(white));
    default: return 0;
    }
}
