#include "client/gesture_input.h"
#include "app/overlay.h"

#include <cmath>
#include <cstdio>

#include "app/game_main.h"
#include "gfx/surface.h"
#include "client/painter.h"
#include "client/recording_client.h"
#include "client/selection.h"
#include "host/game_host.h"
#include "roles/role.h"
#include "roles/save_mgr.h"
#include "world/objects/obj_desc.h"
#include "world/scene/world.h"
#include "platform/input.h"
#include "world/map/iso_grid.h"
#include "world/scene/scn_mng.h"

int g_DevOverlayOn = 0;
CFpsCounter g_Fps;

void CFpsCounter::Count(int32_t now) {
    ++frames;
    if (now > mark + 1000) {
        mark = now;
        fps = frames;
        frames = 0;
    }
}

float OverlayStepDirection(const OverlayPoint& prev, const OverlayPoint& cur) {
    const int dx = prev.x - cur.x;
    const int dy = prev.y - cur.y;
    const double ratio = dx != 0 ? static_cast<double>(dy) / static_cast<double>(dx) : 0.0;
    if (dx > 0) return static_cast<float>(1.5707963 - std::atan(ratio));
    if (dx < 0) return static_cast<float>(-std::atan(ratio) - 1.5707963);
    return dy < 1 ? -3.1415925f : 0.0f;
}

void BuildGestureLines(const std::vector<OverlayPoint>& points, std::string* directions, std::string* coords) {
    std::string dir = "Mouse:";
    std::string xy;
    char buf[64];
    for (size_t i = 0; i < points.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%d,%d ", points[i].x, points[i].y);
        xy += buf;
        if (i > 0) {
            std::snprintf(buf, sizeof buf, " %f", static_cast<double>(OverlayStepDirection(points[i - 1], points[i])));
            dir += buf;
        }
    }
    if (directions) *directions = dir;
    if (coords) *coords = xy;
}

std::vector<std::string> DevOverlayLines(int x, int y) {
    int roleX = 0, roleY = 0, cellX = 0, cellY = 0;
    int buildings = 0, viewX = 0, viewY = 0, viewA = 0, viewB = 0;
    CClient* client = g_GameHost.m_pClient;
    if (client && client->m_pWorld) client->m_pWorld->MakeCurrent();
    if (const CRole* role = client && client->m_pSelection ? client->m_pSelection->GetRole() : nullptr) {
        roleX = role->m_X;
        roleY = role->m_Y;
        if (const CObjDesc* desc = role->GetDesc()) {
            cellX = desc->m_X;
            cellY = desc->m_Y;
        }
    }
    if (const CPainter* p = client ? client->m_pViewPort : nullptr) {
        buildings = p->m_BuildingCount;
        viewX = p->m_View.x;
        viewY = p->m_View.y;
        viewA = p->m_OriginCell.x;
        viewB = p->m_OriginCell.y;
    }
    const CGamePoint cursorCell = g_IsoGrid.ScreenToCell(x, y);
    const CGamePoint cursorWorld = g_IsoGrid.ScreenToWorld(x, y);
    const int recordCounter = static_cast<int>(g_GameMain.m_TickCount);
    const int deathCount = g_SaveMgr.m_DeathCount;
    const int hour = GetGameClock()->hour;
    char line[512];
    std::vector<std::string> out;
    std::snprintf(line, sizeof line, "%d  %i/%i//player:%i/%i,%i/%i//fps:%i,bld:%i,hour: %i,DeadCount: %d",
                  recordCounter, x, y, roleX, roleY, cellX, cellY, g_Fps.fps, buildings, hour, deathCount);
    out.emplace_back(line);
    std::snprintf(line, sizeof line, "%3d,%3d  %3d,%3d %3d,%3d %3d,%3d   %d/%d", cursorCell.x, cursorCell.y,
                  cursorWorld.x, cursorWorld.y, viewA, viewB, viewX, viewY, 0, 0);
    out.emplace_back(line);
    return out;
}

void DrawDevOverlay(CSurface* display) {
    g_Fps.Count(FrameClockNow());
    if (!g_DevOverlayOn || !display) return;

    plat::Point cursor;
    plat::GetCursorPos(&cursor);
    std::vector<OverlayPoint> stroke;
    for (const StrokePoint& p : g_GestureInput.m_Stroke) stroke.push_back({p.x, p.y});
    const std::vector<std::string> lines = DevOverlayLines(cursor.x, cursor.y);

    plat::DrawContext* dc = display->GetDC();
    if (!dc) return;
    dc->TextOut(0, 0, lines[0]);
    dc->TextOut(0, 20, lines[1]);
    for (const OverlayPoint& p : stroke) dc->TextOut(p.x, p.y, "!!");
    if (!stroke.empty()) {
        std::string dir, xy;
        BuildGestureLines(stroke, &dir, &xy);
        dc->TextOut(0, 40, dir);
        dc->TextOut(0, 60, xy);
    }
    display->ReleaseDC(dc);
}
