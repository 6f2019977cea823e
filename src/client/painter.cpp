#include "client/painter.h"

#include <cstdlib>

#include "client/client.h"
#include "client/recording_client.h"
#include "client/scene_view.h"
#include "client/selection.h"
#include "core/directories.h"
#include "gfx/surface.h"
#include "platform/display.h"
#include "roles/role.h"
#include "sound/sound_play.h"
#include "world/buildings/bld.h"
#include "world/map/cell_preloader.h"
#include "world/scene/world.h"
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

CPainter::CPainter() : m_pView(std::make_unique<CSceneView>()) {}

CPainter::~CPainter() = default;

void CPainter::SetViewRect(int32_t x, int32_t y, int32_t w, int32_t h) {
    m_View = {x, y, w, h};
    m_Area = w * h;
    Resize(w, h);
}

void CPainter::Resize(int32_t w, int32_t h) {
    m_View.width = w;
    m_View.height = h;
    m_Area = w * h;
    SetFocusMode(m_FocusMode);
    m_pScratch.reset();
    if (w > 0 && h > 0) m_pScratch = std::make_unique<CSurface>(w, h, 1);
    if (g_Weather) g_Weather->RestoreEffects();
    InvalidateRect(nullptr);
    ClampView();
    m_Previous = m_View;
}

void CPainter::OnDisplayChange(int phase) {
    if (phase == 1) {
        m_pScratch.reset();
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
    if (!rect) m_PartialRedraw = 0;
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

int CPainter::Paint(CSurface* surface, CWorld* world, CWeather* weather) {
    if (!surface) return 0;
    if (!world || world->m_MapGrid.Width() <= 0 || m_View.width <= 0 || m_View.height <= 0) {
        surface->FillAll(0);
        return 0;
    }
    m_pView->PlaceAt(*world, {m_View.x, m_View.y}, m_View.width, m_View.height);
    const int drawn = m_pView->Draw(world, surface, weather);
    m_BuildingCount = 0;
    const CGameRect view{0, 0, m_View.width, m_View.height};  // screen rectangles are view-relative
    for (CObjNode* n = world->m_ObjMng.m_SceneObjs.Head(); n; n = n->Next())
        if (const auto* b = dynamic_cast<const CBld*>(static_cast<CGameObj*>(n))) {
            const CGameRect& r = b->m_ScreenRect;
            if (r.x < view.width && r.y < view.height && r.x + r.width > 0 && r.y + r.height > 0) ++m_BuildingCount;
        }
    m_Invalidated = 0;
    m_PartialRedraw = 1;
    m_Previous = m_View;
    return drawn;
}

CSurface* CPainter::GetScratchSurface() { return m_pScratch.get(); }
