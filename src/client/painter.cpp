#include "client/painter.h"

#include <algorithm>
#include <cstdlib>

#include "client/client.h"
#include "client/recording_client.h"
#include "client/selection.h"
#include "core/directories.h"
#include "core/log.h"
#include "gfx/light_grid.h"
#include "gfx/surface.h"
#include "platform/msgbox.h"
#include "roles/magic/anim/anim_magic.h"
#include "roles/magic/anim/particle_ring.h"
#include "world/map/iso_grid.h"
#include "world/things/anim_map_obj.h"
#include "world/things/corpse.h"
#include "world/things/fly_beastie.h"
#include "platform/display.h"
#include "roles/role.h"
#include "sound/sound_play.h"
#include "world/buildings/bld.h"
#include "world/map/cell_preloader.h"
#include "world/scene/world.h"
#include "world/scene/world_hooks.h"
#include "world/sky/weather.h"

namespace {

// Staggered (column, row) of a pixel, as CellToPixel lays boxes out.
CGamePoint StaggeredOf(int32_t x, int32_t y) {
    const int32_t row = (y + 16) >= 0 ? (y + 16) / 16 : -((15 - (y + 16)) / 16);
    const int32_t sx = x + ((row & 1) ? 32 : 0);
    return {sx >= 0 ? sx / 64 : -((63 - sx) / 64), row};
}

} // namespace

CGamePoint LayoutPoint(const CGameObj* obj) {
    // The cell's box centre, moved by the point's place inside the cell.
    const int32_t cx = obj->m_X / 64, cy = obj->m_Y / 64, fx = obj->m_X % 64 - 32, fy = obj->m_Y % 64 - 32;
    const CGamePoint tl = CellTopLeft(cx, cy);
    return {tl.x + 32 + (fx - fy) / 2, tl.y + 16 + (fx + fy) / 4};
}

CGamePoint MapCellNearPixel(int32_t x, int32_t y) {
    // An estimate from the box layout, then the nearest box start around it.
    CGamePoint best{0, 0};
    int64_t bestD = -1;
    // A coarse guess of the tile, refined by a small search.
    int32_t gx = 0, gy = 0;
    {
        const CGamePoint o = CellTopLeft(0, 0);
        // One tile step in x moves the box (+32, +16), in y (-32, +16).
        const int32_t u = (x - o.x) / 32, v = (y - o.y) / 16;
        gx = (u + v) / 2;
        gy = (v - u) / 2;
    }
    for (int32_t dx = -3; dx <= 3; ++dx)
        for (int32_t dy = -3; dy <= 3; ++dy) {
            const CGamePoint p = CellTopLeft(gx + dx, gy + dy);
            const int64_t ex = p.x - x, ey = p.y - y;
            const int64_t d = ex * ex + 4 * ey * ey;
            if (bestD < 0 || d < bestD) {
                bestD = d;
                best = {gx + dx, gy + dy};
            }
        }
    return best;
}

CPainter::CPainter() {
    m_Dirty.Create(30);
    m_ObjRects.Create(50);
}

CPainter::~CPainter() = default;

void CPainter::SetViewRect(int32_t x, int32_t y, int32_t w, int32_t h) {
    m_View = {x, y, w, h};
    m_Area = w * h;
    Resize(w, h);
}

void CPainter::FreeSurfaces() {
    m_pCurrent = nullptr;
    m_pOverlay.reset();
    m_pGround[0].reset();
    m_pGround[1].reset();
}

void CPainter::Resize(int32_t w, int32_t h) {
    m_View.width = w;
    m_View.height = h;
    m_Area = w * h;
    const CDirtyRect full{0, 0, w, h, w * h};
    m_Dirty.SetBounds(full);
    m_ObjRects.SetBounds(full);
    m_Dirty.Clear();
    m_ObjRects.Clear();
    SetFocusMode(m_FocusMode);
    FreeSurfaces();
    if (w > 0 && h > 0) {
        const int option = WorldDisplayOption();
        m_pGround[0] = std::make_unique<CSurface>(w, h, option == 2 ? 1 : 0);
        m_pGround[1] = std::make_unique<CSurface>(w, h, 1);
        m_pCurrent = option == 2 ? Ground(0) : Ground(1);
        m_pOverlay = std::make_unique<CSurface>(w, h, 0);
        m_pOverlay->SetColorKey(0xFFFFFFFFu);
        Ground(1)->SetColorKey(0xFFFFFFFFu);
        Ground(0)->FillAll(0);
        Ground(1)->FillAll(0);
    }
    if (g_Weather) g_Weather->RestoreEffects();
    g_LightGrid.Init(8, w, h);
    InvalidateRect(nullptr);
    ClampView();
    m_Previous = m_View;
}

void CPainter::OnDisplayChange(int phase) {
    if (phase == 1) {
        FreeSurfaces();
        if (g_Weather) g_Weather->ReleaseEffects();
    } else if (phase == 0) {
        ResizeToScreen();
        if (g_Weather) g_Weather->RestoreEffects();
    }
}

void CPainter::ResizeToScreen() {
    const int w = plat::GetScreenMetrics(plat::SM_CXSCREEN);
    if (w == 640) Resize(640, 431);
    else if (w == 1024) Resize(1024, 768);
    else Resize(800, 600);
    ScrollView(0);
}

void CPainter::PrepareScene() { PrepareScene(g_Client ? g_Client->m_pWorld : nullptr); }

void CPainter::PrepareScene(const CWorld* world) {
    if (world) {
        // The staggered layout's extent of the map: its four corner tiles.
        const int32_t w = world->m_MapGrid.Width(), h = world->m_MapGrid.Height();
        const CGamePoint corners[4] = {CellTopLeft(0, 0), CellTopLeft(w - 1, 0), CellTopLeft(0, h - 1),
                                       CellTopLeft(w - 1, h - 1)};
        int32_t x0 = corners[0].x, y0 = corners[0].y, x1 = x0 + 64, y1 = y0 + 32;
        for (const CGamePoint& c : corners) {
            x0 = std::min(x0, c.x);
            y0 = std::min(y0, c.y);
            x1 = std::max(x1, c.x + 64);
            y1 = std::max(y1, c.y + 32);
        }
        m_Bounds = {x0, y0, x1 - x0, y1 - y0};
    }
    for (int i = 0; i < 2; ++i)
        if (Ground(i)) Ground(i)->FillAll(0);
    m_View.x = m_Bounds.x + 1400;
    m_View.y = m_Bounds.y + 500;
    ClampView();
    ScrollView(0);
    m_Previous = m_View;
    InvalidateRect(nullptr);
    g_CellPreloader.Start();
}

void CPainter::MoveTo(int32_t x, int32_t y) {
    const int32_t maxX = m_Bounds.x + m_Bounds.width - m_View.width;
    m_View.x = std::max(m_Bounds.x, std::min(x, maxX));
    const int32_t maxY = m_Bounds.y + m_Bounds.height - m_View.height;
    if (y - 16 < m_Bounds.y) y = m_Bounds.y;
    else if (y - 16 > maxY) y = maxY;
    m_View.y = y;
    ScrollView(0);
}

void CPainter::ClampView() {
    if (m_View.y + m_View.height >= m_Bounds.y + m_Bounds.height)
        m_View.y = m_Bounds.y + m_Bounds.height - m_View.height - 1;
    if (m_View.y < m_Bounds.y) m_View.y = m_Bounds.y;
    if (m_View.x + m_View.width >= m_Bounds.x + m_Bounds.width)
        m_View.x = m_Bounds.x + m_Bounds.width - m_View.width - 1;
    if (m_View.x < m_Bounds.x) m_View.x = m_Bounds.x;
}

void CPainter::CenterOn(const CGameObj* obj) {
    if (!obj) return;
    const CGamePoint at = LayoutPoint(obj);
    const ViewRect* v = GetViewRect();
    const int32_t w = v && v->width > 0 ? v->width : m_View.width;
    const int32_t h = v && v->height > 0 ? v->height : m_View.height;
    MoveTo(at.x - w / 2, at.y - h / 2);
    m_Previous = m_View;
    InvalidateRect(nullptr);
}

void CPainter::RecentreOnOwnRole() {
    if (const CRole* own = g_Selection ? g_Selection->GetRole() : nullptr) CenterOn(own);
}

void CPainter::SetFollow(int on) {
    m_Follow = on;
    if (on) RecentreOnOwnRole();
}

void CPainter::SetFocusMode(int mode) {
    m_FocusMode = mode;
    const int32_t w = m_View.width, h = m_View.height;
    m_Focus = {mode == 1 ? w / 4 : mode == 2 ? 3 * w / 4 : w / 2, h / 2};
    m_DeadW = (w - 50) / 2;
    m_DeadH = (h - 50) / 2;
    m_FollowStepX = w / 25;
    m_FollowStepY = h / 25;
    SetSoundListener(m_Focus);
}

CGamePoint CPainter::GetCenterCell() const {
    return MapCellNearPixel(m_View.x + m_View.width / 2 - 32, m_View.y + m_View.height / 2 - 16);
}

void CPainter::InvalidateRect(const CGameRect* rect) {
    m_Invalidated = 1;
    if (rect) {
        m_Dirty.Add(rect->x, rect->y, rect->width, rect->height, rect->width * rect->height);
        return;
    }
    for (CDrawList& l : m_Layers) l.Clear();
    m_ListA.Clear();
    m_ListB.Clear();
    m_PartialRedraw = 0;
}

void CPainter::ScrollView(int direction) {
    switch (direction) {
    case 1: m_View.y -= m_ScrollStep; break;
    case 3: m_View.x -= m_ScrollStep; break;
    case 5: m_View.y += m_ScrollStep; break;
    case 7: m_View.x += m_ScrollStep; break;
    default: break;
    }
    ClampView();
    const CGamePoint cell = StaggeredOf(m_View.x, m_View.y);
    m_OriginCell = cell;
    const CGamePoint tl = CellToPixel(cell.x, cell.y);
    m_OriginOffset = {m_View.x - tl.x, m_View.y - tl.y};
    m_Invalidated = 1;
    if (std::abs(cell.x - m_SoundCell.x) >= 3 || std::abs(cell.y - m_SoundCell.y) >= 3) {
        g_SoundEmitters.Restart();
        m_SoundCell = cell;
    }
}

void CPainter::StartShake() {
    if (m_Shake <= 0) m_Shake = 20;
}

void CPainter::Update() {
    if (m_Shake > 0) {
        if (m_Shake % 2 == 0) {
            m_ScrollStep = m_View.width * 25 / 640;
            ScrollView((m_Shake / 2) % 2 == 0 ? 1 : 5);
        }
        --m_Shake;
        return;
    }
    if (!m_Follow || GetRecordMode() == kRecordPlayback) return;
    if (const CRole* own = g_Selection ? g_Selection->GetRole() : nullptr) FollowRole(own);
}

void CPainter::FollowRole(const CGameObj* role) {
    if (!role) return;
    const CGamePoint at = LayoutPoint(role);
    const CGamePoint screen{at.x - m_View.x, at.y - m_View.y};
    const int32_t dx = std::abs(screen.x - m_Focus.x), dy = std::abs(screen.y - m_Focus.y);
    // The wider thresholds while the role's action is locked wait for the
    // controller, which keeps that lock.
    const int32_t tx = m_View.width / 25, ty = m_View.height / 25;
    const auto* r = dynamic_cast<const CRole*>(role);
    const bool still = screen.x == m_LastRoleScreen.x && screen.y == m_LastRoleScreen.y;
    const auto step = [still](int32_t d, int32_t t) {
        if (d > t) return still ? d / 10 : d - t;
        if (d > 0) return still ? std::max(d / 10, 1) : 0;
        return 0;
    };
    int32_t sx = step(dx, tx), sy = step(dy, ty);
    if (r && r->m_Motion < 6) {
        sx = std::min(sx, 10);
        sy = std::min(sy, 10);
    }
    m_LastRoleScreen = screen;
    if (sx > m_DeadW) sx = sx - m_DeadW + 2;
    if (sx > 0) {
        m_ScrollStep = sx;
        ScrollView(screen.x < m_Focus.x ? 3 : 7);
    }
    if (sy > m_DeadH) sy = sy - m_DeadH + 2;
    if (sy > 0) {
        m_ScrollStep = sy;
        ScrollView(screen.y < m_Focus.y ? 1 : 5);
    }
}

CGamePoint CellTopLeft(int32_t x, int32_t y) {
    const CGamePoint c = TileToCell(x, y);
    return CellToPixel(c.x, c.y);
}

CGamePoint StaggeredToTile(int32_t col, int32_t row) {
    // TileToCell: row = half + x + y + 1, col = floor((half + x - y) / 2).
    const int32_t half = GetCoordHalfWidth();
    const int32_t sum = row - half - 1;
    int32_t diff = 2 * col - half;
    if (((diff - sum) & 1) != 0) ++diff;
    const int32_t x2 = sum + diff, y2 = sum - diff;
    return {x2 >= 0 ? x2 / 2 : -((-x2) / 2), y2 >= 0 ? y2 / 2 : -((-y2) / 2)};
}

namespace {

int DrawObjClipped(CGameObj* obj, CSurface* surface, const CGameRect& clip) {
    if (auto* a = dynamic_cast<CAnimMapObj*>(obj)) return a->DrawClipped(surface, clip);
    return DrawGameObj(obj, surface, clip);
}

bool Meets(const CGameRect& a, const CGameRect& b) {
    return a.width > 0 && a.height > 0 && b.width > 0 && b.height > 0 && a.x < b.x + b.width && b.x < a.x + a.width &&
           a.y < b.y + b.height && b.y < a.y + a.height;
}

CGameRect Intersection(const CGameRect& a, const CGameRect& b) {
    const int32_t x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int32_t x1 = std::min(a.x + a.width, b.x + b.width), y1 = std::min(a.y + a.height, b.y + b.height);
    if (x1 <= x0 || y1 <= y0) return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

CGameRect Joined(const CGameRect& a, const CGameRect& b) {
    const int32_t x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    const int32_t x1 = std::max(a.x + a.width, b.x + b.width), y1 = std::max(a.y + a.height, b.y + b.height);
    return {x0, y0, x1 - x0, y1 - y0};
}

void AddRect(CDirtyRectList& list, const CGameRect& r) {
    if (r.width > 0 && r.height > 0) list.Add(r.x, r.y, r.width, r.height, r.width * r.height);
}

CGameRect RectOf(const CDirtyRect& r) { return {r.x, r.y, r.width, r.height}; }

// A building's frame counts: all, ground, top and layered (special) ones.
struct FrameCounts {
    int32_t total = 0, ground = 0, top = 0, layered = 0;
};

FrameCounts CountFrames(const CBld* b) {
    FrameCounts f;
    int32_t first = 0, end = 0;
    b->GetLayerRange(0, &first, &end);
    f.ground = end - first;
    b->GetLayerRange(2, &first, &end);
    f.top = end - first;
    f.total = end;
    for (int32_t i = 0; i < f.total; ++i) f.layered += b->IsFrameSpecial(i);
    return f;
}

} // namespace

namespace {
CPainter* g_Served = nullptr;
}

void ServeViewOrigin(CPainter* painter) {
    g_Served = painter;
    if (!painter) {
        g_WorldHooks.getViewOrigin = nullptr;
        return;
    }
    g_WorldHooks.getViewOrigin = [](CGamePoint* o) {
        if (!g_Served) return 0;
        if (o) *o = {g_Served->m_View.x, g_Served->m_View.y};
        return 1;
    };
}

int DrawGameObj(CGameObj* obj, CSurface* surface, const CGameRect& view) {
    if (!obj || !surface) return 0;
    if (CRole* r = AsRole(obj)) return r->DrawTo(surface, &view);
    if (auto* a = dynamic_cast<CAnimMapObj*>(obj)) return a->Draw(surface);
    if (auto* m = dynamic_cast<CAnimMagic*>(obj)) return m->Draw(surface);
    if (auto* f = dynamic_cast<CFlyObj*>(obj)) return f->Draw(surface);
    return 0;
}

void CPainter::PlaceIsoGrid() {
    // The iso grid's reference pixel of the cell under the view's centre is
    // that cell's box corner, so objects placed by the grid line up with
    // the tiles and buildings placed by the staggered layout.
    const CGamePoint centre = MapCellNearPixel(m_View.x + m_View.width / 2 - 32, m_View.y + m_View.height / 2 - 16);
    const CGamePoint tl = CellTopLeft(centre.x, centre.y);
    g_IsoGrid.SetView(0, 0, 0, 0);
    const CGamePoint iso = g_IsoGrid.CellToScreen(centre.x, centre.y);
    g_IsoGrid.SetView(0, 0, iso.x - (tl.x - m_View.x), iso.y - (tl.y - m_View.y));
    ViewRect view;
    view.width = m_View.width;
    view.height = m_View.height;
    ::SetViewRect(view);
}

void CPainter::CollectCells(CWorld* world, bool full) {
    CMapGrid& grid = world->m_MapGrid;
    const CGameRect view = ScreenView();
    // Staggered rows and columns of the view with an 8-cell margin.
    const CGamePoint origin = StaggeredOf(m_View.x, m_View.y);
    const int32_t row0 = origin.y - 16, rows = m_View.height / 16 + 34;
    const int32_t col0 = origin.x - 8, cols = m_View.width / 64 + 17;
    for (int32_t r = row0; r < row0 + rows; ++r)
        for (int32_t c = col0; c < col0 + cols; ++c) {
            const CGamePoint t = StaggeredToTile(c, r);
            const CMapCell* cell = grid.GetCell(t.x, t.y);
            if (!cell) continue;
            if (full && cell->m_ObjMark != kNoObj)
                if (CGameObj* o = ResolveHandle16(cell->m_ObjMark)) {
                    o->UpdateScreenRect();
                    m_ListB.InsertSorted(o, view);
                }
            if (cell->m_GroundObj != kNoObj)
                if (CGameObj* o = ResolveHandle16(cell->m_GroundObj)) {
                    o->UpdateScreenRect();
                    m_ListA.InsertSorted(o, view);
                }
        }
    // Buildings without footprint cells (lamps, fences) mark no cell: they
    // join list B from the manager's scene objects.
    if (full)
        for (CObjNode* n = world->m_ObjMng.m_SceneObjs.Head(); n; n = n->Next())
            if (auto* b = dynamic_cast<CBld*>(static_cast<CGameObj*>(n))) {
                b->UpdateScreenRect();
                m_ListB.InsertSorted(b, view);
            }
    // Roles keep no cell handle of their own on the client: they join the
    // moving objects from the manager's role list.
    for (CObjNode* n = world->m_ObjMng.m_Roles.Head(); n; n = n->Next()) {
        auto* o = static_cast<CGameObj*>(n);
        o->UpdateScreenRect();
        m_ListA.InsertSorted(o, view);
    }
}

void CPainter::RebuildLayers() {
    for (int i = 0; i < 4; ++i) m_Layers[i].Clear();
    for (int32_t i = m_ListB.Tail(); i != -1; i = m_ListB.Prev(i)) {
        const auto* b = dynamic_cast<const CBld*>(m_ListB.At(i));
        if (!b) continue;
        const FrameCounts f = CountFrames(b);
        CGameObj* o = m_ListB.At(i);
        if (f.layered != 0) m_Layers[0].PushHead(o);
        if (f.ground != 0) m_Layers[1].PushHead(o);
        if (f.total - f.top != f.ground) m_Layers[2].PushHead(o);
        if (f.top != 0) m_Layers[3].PushHead(o);
    }
}

void CPainter::ScrollCopy() {
    const int32_t w = m_View.width, h = m_View.height;
    if (!m_PartialRedraw) {
        m_Dirty.Clear();
        m_Dirty.Add(0, 0, w, h, w * h);
        m_Previous = m_View;
        m_PartialRedraw = 1;
        return;
    }
    const int32_t dx = m_View.x - m_Previous.x, dy = m_View.y - m_Previous.y;
    if (dx == 0 && dy == 0) return;
    m_Previous = m_View;
    if (std::abs(dx) >= w || std::abs(dy) >= h) {
        m_Dirty.Add(0, 0, w, h, w * h);
        return;
    }
    // The surface onto itself: what stays in view moves by the scroll; an
    // overlapping copy reads the old pixels.
    CSurface* s = m_pCurrent;
    const int32_t cw = w - std::abs(dx), ch = h - std::abs(dy);
    const int32_t sx = dx > 0 ? dx : 0, sy = dy > 0 ? dy : 0;
    const int32_t tx = dx > 0 ? 0 : -dx, ty = dy > 0 ? 0 : -dy;
    if (s) s->Blt(s, tx, ty, cw, ch, sx, sy, 1, -1, nullptr);
    if (dx > 0) m_Dirty.Add(w - dx, 0, dx, h, dx * h);
    else if (dx < 0) m_Dirty.Add(0, 0, -dx, h, -dx * h);
    if (dy > 0) m_Dirty.Add(0, h - dy, w, dy, w * dy);
    else if (dy < 0) m_Dirty.Add(0, 0, w, -dy, w * -dy);
}

void CPainter::DrawGround(CSurface* surface, const CGameRect& rect, CWorld* world) {
    // Outside the map the ground stays black.
    surface->FillRectClipped(0, rect.x, rect.y, rect.width, rect.height, &rect);
    CMapGrid& grid = world->m_MapGrid;
    // Staggered cells covering the rectangle, from half a cell before it.
    const int32_t wx = rect.x + m_View.x - 32, wy = rect.y + m_View.y - 16;
    const int32_t row0 = (wy + 16 >= 0 ? (wy + 16) / 16 : -((15 - (wy + 16)) / 16)) - 1;
    const int32_t col0 = (wx >= 0 ? wx / 64 : -((63 - wx) / 64));
    const int32_t rows = rect.height / 16 + 4, cols = rect.width / 64 + 3;
    for (int32_t r = row0; r < row0 + rows; ++r)
        for (int32_t c = col0; c < col0 + cols; ++c) {
            const CGamePoint t = StaggeredToTile(c, r);
            const CMapCell* cell = grid.GetCell(t.x, t.y);
            if (!cell) continue;
            const CGamePoint at = CellToPixel(c, r);
            const int32_t sx = at.x - m_View.x, sy = at.y - m_View.y;
            for (uint16_t tile : {cell->m_Tile0, cell->m_Tile1})
                if (CImage* img = grid.Tiles().GetTileImage(tile)) img->Draw(surface, sx, sy, kDrawCopy, -1, &rect);
        }
}

void CPainter::DrawStaticInRect(CSurface* surface, const CGameRect& rect, CWorld* world) {
    const auto buildings = [&](int layer) {
        for (int32_t i = m_ListB.Head(); i != -1; i = m_ListB.Next(i))
            if (auto* b = dynamic_cast<CBld*>(m_ListB.At(i))) b->DrawClipped(surface, &rect, layer);
    };
    buildings(0);
    if (CObjList* list = world->m_ObjMng.GetDrawList(4))
        for (CObjNode* n = list->Head(); n; n = n->Next()) {
            CGameObj* o = static_cast<CDrawNode*>(n)->m_pObj;
            if (!o || o->IsWalkClassRestricted()) continue;
            DrawObjClipped(o, surface, rect);
        }
    buildings(1);
    buildings(2);
}

void CPainter::CopyDirtyRect(const CGameRect& rect) {
    if (WorldDisplayOption() == 1) {
        g_LightGrid.Apply(Ground(0), Ground(1), &g_LightGrid.Map(), rect);
        return;
    }
    const CGameRect view = ScreenView();
    Ground(1)->Blt(Ground(0), rect.x, rect.y, rect.width, rect.height, rect.x, rect.y, 1, -1, &view);
}

void CPainter::ReportPaintError(bool failed) {
    if (!failed) {
        m_PaintErrorShown = 0;
        return;
    }
    // Once per run of failing frames: a box every frame would never let
    // the player back in.
    if (m_PaintErrorShown) return;
    m_PaintErrorShown = 1;
    WriteLog("BugLog.ini", "Paint Error");
    plat::MessageBox("Paint Error", "", plat::MB_OK);
}

int CPainter::Paint(CSurface* surface, CWorld* world, CWeather* weather) {
    if (!surface) return 0;
    if (!world || world->m_MapGrid.Width() <= 0 || m_View.width <= 0 || m_View.height <= 0 || !Ground(0) ||
        !Ground(1)) {
        surface->FillAll(0);
        return 0;
    }
    world->MakeCurrent();
    PlaceIsoGrid();
    const int option = WorldDisplayOption();
    if (option != 0) world->m_LightList.Draw();

    m_ListA.Clear();
    const bool full = m_Invalidated || !m_PartialRedraw;
    if (full) {
        m_ListB.Clear();
        ++m_FrameStamp;
    }
    CollectCells(world, full);
    m_BuildingCount = 0;
    for (int32_t i = m_ListB.Head(); i != -1; i = m_ListB.Next(i)) m_BuildingCount += m_ListB.At(i)->m_Kind >= 10 && m_ListB.At(i)->m_Kind <= 20;

    m_GroundRects = 0;
    if (m_Invalidated) {
        RebuildLayers();
        ScrollCopy();
        m_Invalidated = 0;
        if (option != 2) m_pCurrent = Ground(1);
        for (int32_t i = 0; i < m_Dirty.m_Count; ++i) {
            const CGameRect r = RectOf(m_Dirty.m_pRects[size_t(i)]);
            DrawGround(m_pCurrent, r, world);
            DrawStaticInRect(m_pCurrent, r, world);
            if (option != 2) CopyDirtyRect(r);
            ++m_GroundRects;
        }
        if (option != 2) m_pCurrent = Ground(0);
        m_Dirty.Clear();
    }
    const CGameRect view = ScreenView();
    int ok = 0;
    if (option == 2) ok = g_LightGrid.Apply(surface, m_pCurrent, &g_LightGrid.Map(), view);
    else ok = m_pCurrent->Blt(surface, 0, 0, m_View.width, m_View.height, 0, 0, 1, -1, nullptr);
    ReportPaintError(!ok);
    const int drawn = DrawObjects(surface, world);
    if (weather) weather->Draw(surface);
    return drawn;
}

void CPainter::DrawSeeThrough(CSurface* target, CGameObj* obj) {
    CGameRect j{};
    for (int32_t i = m_ListB.Tail(); i != -1; i = m_ListB.Prev(i)) {
        auto* b = dynamic_cast<CBld*>(m_ListB.At(i));
        if (!b) continue;
        const FrameCounts f = CountFrames(b);
        if (f.total == f.ground) continue;
        const CGameRect x = Intersection(obj->m_ScreenRect, b->m_ScreenRect);
        if (x.width <= 0) continue;
        j = j.width <= 0 ? x : Joined(j, x);
    }
    if (j.width <= 1) return;
    CSurface* g1 = Ground(1);
    g1->FillRectClipped(g1->GetColorKey(), j.x, j.y, j.width, j.height, nullptr);
    if (CRole* r = AsRole(obj)) r->DrawOnSurface(g1);
    else if (auto* c = dynamic_cast<CCorpse*>(obj)) c->Draw(g1);
    else DrawGameObj(obj, g1, ScreenView());
    const CGameRect view = ScreenView();
    g1->Blt(target, j.x, j.y, j.width, j.height, j.x, j.y, kDrawBlend, 8, &view);
    ++m_SeeThrough;
}

int CPainter::DrawObjects(CSurface* surface, CWorld* world) {
    CObjMng& mng = world->m_ObjMng;
    const CGameRect view = ScreenView();
    int drawn = 0;
    m_SeeThrough = 0;
    // 1. The hovered building is redrawn over whatever stands before it.
    m_ObjRects.Clear();
    if (g_Selection && g_Selection->m_Hover)
        if (CGameObj* h = ResolveHandle(g_Selection->m_Hover); h && h->m_Kind >= 10 && h->m_Kind <= 20)
            AddRect(m_ObjRects, h->m_ScreenRect);
    CDrawList& seeThrough = m_Layers[4];
    seeThrough.Clear();
    // 2. Layered frames below everything.
    for (int32_t i = m_Layers[0].Head(); i != -1; i = m_Layers[0].Next(i))
        static_cast<CBld*>(m_Layers[0].At(i))->DrawLayer(surface, 0);
    // 3. Particle rings.
    if (mng.m_pParticles) mng.m_pParticles->Draw(surface);
    // 4. Objects lying on the ground (and corpses still falling).
    const auto overlapsStanding = [&](const CGameRect& r) {
        for (int32_t i = m_Layers[2].Head(); i != -1; i = m_Layers[2].Next(i))
            if (Meets(r, m_Layers[2].At(i)->m_ScreenRect)) return true;
        return false;
    };
    const auto lying = [&](CGameObj* o) {
        o->UpdateScreenRect();
        drawn += DrawGameObj(o, surface, view) ? 1 : 0;
        if (o->m_Kind == 25) seeThrough.PushHead(o);
        if (overlapsStanding(o->m_ScreenRect)) AddRect(m_ObjRects, o->m_ScreenRect);
    };
    if (CObjList* list = mng.GetDrawList(0))
        for (CObjNode* n = list->Head(); n; n = n->Next())
            if (CGameObj* o = static_cast<CDrawNode*>(n)->m_pObj) lying(o);
    for (int i = mng.m_CorpsePool.First(); i != -1; i = mng.m_CorpsePool.Next(i))
        if (auto* c = static_cast<CCorpse*>(mng.m_CorpsePool.GetAt(i)); c->m_State == CCorpseBase::kFalling) lying(c);
    // 5. Standing objects of layers 1 and 3 join the moving ones; layer 3
    // sorts as if 192 pixels further along both axes.
    if (CObjList* list = mng.GetDrawList(1))
        for (CObjNode* n = list->Head(); n; n = n->Next()) {
            CGameObj* o = static_cast<CDrawNode*>(n)->m_pObj;
            if (!o) continue;
            o->UpdateScreenRect();
            if (o->m_DrawLayer != 3) {
                m_ListA.InsertSorted(o, view);
                continue;
            }
            o->SetPos(o->m_X + 192, o->m_Y + 192);
            m_ListA.InsertSorted(o, view);
            o->SetPos(o->m_X - 192, o->m_Y - 192);
        }
    // 6. Moving objects and standing building frames, back to front.
    MergeDrawLists(
        m_ListA, m_Layers[2],
        [&](CGameObj* o) {
            if (o->IsWalkClassRestricted()) return;
            drawn += DrawGameObj(o, surface, view) ? 1 : 0;
            if (o->IsRole() || o->m_Kind == 25 || o->m_Kind == 23) seeThrough.PushHead(o);
            AddRect(m_ObjRects, o->m_ScreenRect);
        },
        [&](CGameObj* o) {
            auto* b = static_cast<CBld*>(o);
            for (int32_t i = 0; i < m_ObjRects.m_Count; ++i) {
                const CGameRect r = Intersection(RectOf(m_ObjRects.m_pRects[size_t(i)]), b->m_ScreenRect);
                if (r.width > 0) b->DrawUpperStatic(surface, &r);
            }
            CGameRect layered;
            if (CountFrames(b).layered != 0 && b->DrawLayer(surface, 1) && b->GetAnimatedRect(&layered))
                AddRect(m_ObjRects, layered);
        });
    // 7. Top frames over every object drawn.
    for (int32_t i = m_Layers[3].Head(); i != -1; i = m_Layers[3].Next(i)) {
        auto* b = static_cast<CBld*>(m_Layers[3].At(i));
        for (int32_t k = 0; k < m_ObjRects.m_Count; ++k) {
            const CGameRect r = RectOf(m_ObjRects.m_pRects[size_t(k)]);
            if (Meets(r, b->m_ScreenRect)) b->DrawTopStatic(surface, &r);
        }
    }
    // 8. Layered frames above.
    for (int32_t i = m_Layers[0].Head(); i != -1; i = m_Layers[0].Next(i))
        static_cast<CBld*>(m_Layers[0].At(i))->DrawLayer(surface, 2);
    // 9. What the buildings hide shows through them, in drawing order.
    for (int32_t i = seeThrough.Tail(); i != -1; i = seeThrough.Prev(i)) DrawSeeThrough(surface, seeThrough.At(i));
    // 10. The top layer.
    if (CObjList* list = mng.GetDrawList(2))
        for (CObjNode* n = list->Head(); n; n = n->Next())
            if (CGameObj* o = static_cast<CDrawNode*>(n)->m_pObj) {
                o->UpdateScreenRect();
                drawn += DrawGameObj(o, surface, view) ? 1 : 0;
            }
    return drawn;
}

CSurface* CPainter::GetScratchSurface() { return m_pOverlay.get(); }
