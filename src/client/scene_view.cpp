// PLACEHOLDER bodies (see scene_view.h).
#include "client/scene_view.h"

#include "client/painter.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/directories.h"
#include "core/txt_table.h"
#include "gfx/image.h"
#include "gfx/light_grid.h"
#include "gfx/role_sprite.h"
#include "gfx/surface.h"
#include "roles/magic/anim/anim_magic.h"
#include "roles/role.h"
#include "world/buildings/bld.h"
#include "world/map/iso_grid.h"
#include "world/scene/world.h"
#include "world/scene/world_hooks.h"
#include "world/sky/weather.h"
#include "world/things/anim_map_obj.h"
#include "world/things/corpse.h"
#include "world/things/fly_beastie.h"

namespace {

// While a view draws, the world's hooks read its origin and the display
// option of the pass (plain objects, then every light into the grid).
const CSceneView* g_DrawingView = nullptr;
int g_PassOption = 0;

class DrawHooks {
public:
    explicit DrawHooks(const CSceneView* view)
        : m_Origin(g_WorldHooks.getViewOrigin), m_Option(g_WorldHooks.getDisplayOption) {
        g_DrawingView = view;
        g_WorldHooks.getViewOrigin = [](CGamePoint* o) {
            if (!g_DrawingView) return 0;
            *o = g_DrawingView->m_Origin;
            return 1;
        };
        g_WorldHooks.getDisplayOption = [] { return g_PassOption; };
    }
    ~DrawHooks() {
        g_WorldHooks.getViewOrigin = m_Origin;
        g_WorldHooks.getDisplayOption = m_Option;
        g_DrawingView = nullptr;
    }
    DrawHooks(const DrawHooks&) = delete;
    DrawHooks& operator=(const DrawHooks&) = delete;

private:
    int (*m_Origin)(CGamePoint*);
    int (*m_Option)();
};

} // namespace

CGamePoint CellTopLeft(int32_t x, int32_t y) {
    const CGamePoint c = TileToCell(x, y);
    return CellToPixel(c.x, c.y);
}

CSceneView::CSceneView() = default;

CSceneView::~CSceneView() = default;

void CSceneView::CentreOn(const CWorld& world, const CGamePoint& centre, int32_t width, int32_t height) {
    const CGamePoint tl = CellTopLeft(centre.x, centre.y);
    PlaceAt(world, {tl.x + 32 - width / 2, tl.y + 16 - height / 2}, width, height);
}

void CSceneView::PlaceAt(const CWorld&, const CGamePoint& origin, int32_t width, int32_t height) {
    m_Origin = origin;
    // The cell nearest the view's centre anchors the iso grid.
    const CGamePoint centre = MapCellNearPixel(origin.x + width / 2 - 32, origin.y + height / 2 - 16);
    m_Centre = centre;
    const CGamePoint tl = CellTopLeft(centre.x, centre.y);
    // The iso grid's reference pixel of the centre cell is the same box
    // corner, so items, creatures, lights and weather line up with tiles.
    g_IsoGrid.SetView(0, 0, 0, 0);
    const CGamePoint iso = g_IsoGrid.CellToScreen(centre.x, centre.y);
    g_IsoGrid.SetView(0, 0, iso.x - (tl.x - m_Origin.x), iso.y - (tl.y - m_Origin.y));
    ViewRect view;
    view.width = width;
    view.height = height;
    SetViewRect(view);
    if (width != m_Width || height != m_Height || !m_pScratch) {
        m_Width = width;
        m_Height = height;
        m_pScratch = std::make_unique<CSurface>(width, height, 1);
        g_LightGrid.Init(8, width, height);
    }
}

int CSceneView::DrawRole(CGameObj* role, CSurface* s) {
    CRole* r = AsRole(role);
    if (!r) return 0;
    const CGameRect clip{0, 0, m_Width, m_Height};
    return r->DrawTo(s, &clip);
}

int CSceneView::DrawObjects(CWorld* world, int layer, CSurface* s) {
    int n = 0;
    CObjList* list = world->m_ObjMng.GetDrawList(layer);
    for (CObjNode* node = list ? list->Head() : nullptr; node; node = node->Next()) {
        CGameObj* obj = static_cast<CDrawNode*>(node)->m_pObj;
        if (auto* a = dynamic_cast<CAnimMapObj*>(obj)) {
            a->UpdateScreenRect();
            a->Draw(s);
        } else if (auto* m = dynamic_cast<CAnimMagic*>(obj)) {
            m->UpdateScreenRect();
            m->Draw(s);
        } else if (auto* f = dynamic_cast<CFlyObj*>(obj)) {
            // Flying creatures expect the painter's screen rectangle first.
            f->UpdateScreenRect();
            f->Draw(s);
        } else {
            continue;
        }
        ++n;
    }
    return n;
}

int CSceneView::Draw(CWorld* world, CSurface* target, CWeather* weather) {
    if (!world || !target || !m_pScratch) return 0;
    world->MakeCurrent();
    DrawHooks hooks(this);
    CSurface& scratch = *m_pScratch;
    scratch.FillAll(0);
    const CGameRect clip{0, 0, m_Width, m_Height};
    CMapGrid& grid = world->m_MapGrid;
    for (int32_t y = 0; y < grid.Height(); ++y)
        for (int32_t x = 0; x < grid.Width(); ++x) {
            const CGamePoint p = CellTopLeft(x, y);
            const int32_t sx = p.x - m_Origin.x, sy = p.y - m_Origin.y;
            if (sx <= -64 || sy <= -32 || sx >= m_Width || sy >= m_Height) continue;
            const CMapCell* cell = grid.GetCell(x, y);
            for (uint16_t tile : {cell->m_Tile0, cell->m_Tile1})
                if (CImage* img = grid.Tiles().GetTileImage(tile)) img->Draw(&scratch, sx, sy, kDrawCopy, -1, &clip);
        }
    CObjMng& mng = world->m_ObjMng;
    g_PassOption = 0;
    int n = DrawObjects(world, 0, &scratch);
    // Falling corpses sit on no draw list.
    for (int i = mng.m_CorpsePool.First(); i != -1; i = mng.m_CorpsePool.Next(i))
        if (auto* c = static_cast<CCorpse*>(mng.m_CorpsePool.GetAt(i)); c->m_State == CCorpseBase::kFalling) {
            c->Draw(&scratch);
            ++n;
        }
    for (int layer = 0; layer < 3; ++layer)
        for (CObjNode* node = mng.m_SceneObjs.Head(); node; node = node->Next())
            if (auto* b = dynamic_cast<CBld*>(static_cast<CGameObj*>(node))) {
                b->UpdateScreenRect();
                b->DrawClipped(&scratch, &clip, layer);
            }
    n += DrawObjects(world, 1, &scratch);
    // Roles sit on no draw list on the server side: the view draws them
    // standing, back to front.
    std::vector<CGameObj*> roles;
    for (CObjNode* node = mng.m_Roles.Head(); node; node = node->Next()) roles.push_back(static_cast<CGameObj*>(node));
    std::stable_sort(roles.begin(), roles.end(),
                     [](const CGameObj* a, const CGameObj* b) { return a->m_X + a->m_Y < b->m_X + b->m_Y; });
    for (CGameObj* role : roles) n += DrawRole(role, &scratch);
    n += DrawObjects(world, 2, &scratch);
    // Every light stamped into the grid, the frame copied through it.
    g_PassOption = 2;
    world->m_LightList.Draw();
    g_LightGrid.Apply(target, &scratch, &g_LightGrid.Map(), clip);
    if (weather) weather->Draw(target);
    return n;
}
