#include "app/overlay.h"

#include <cmath>
#include <cstdio>

#include "app/game_main.h"
#include "gfx/surface.h"
#include "host/game_host.h"
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

void DrawDevOverlay(CSurface* display) {
    g_Fps.Count(FrameClockNow());
    if (!g_DevOverlayOn || !display) return;

    plat::Point cursor;
    plat::GetCursorPos(&cursor);
    // The player's role and the view port belong to the client, not built
    // yet: their figures are 0.
    const int roleX = 0, roleY = 0, cellX = 0, cellY = 0;
    const int buildings = 0, viewX = 0, viewY = 0, viewA = 0, viewB = 0;
    const CGamePoint cursorCell = g_IsoGrid.ScreenToCell(cursor.x, cursor.y);
    const CGamePoint cursorWorld = g_IsoGrid.ScreenToWorld(cursor.x, cursor.y);
    const int cursorCellX = cursorCell.x, cursorCellY = cursorCell.y;
    const int cursorWorldX = cursorWorld.x, cursorWorldY = cursorWorld.y;
    const int recordCounter = 0, deathCount = 0;
    const int hour = GetGameClock()->hour;
    // The current stroke's points come from the gesture input once it
    // keeps them.
    const std::vector<OverlayPoint> stroke;

    plat::DrawContext* dc = display->GetDC();
    if (!dc) return;
    char line[512];
    std::snprintf(line, sizeof line, "%d  %i/%i//player:%i/%i,%i/%i//fps:%i,bld:%i,hour: %i,DeadCount: %d",
                  recordCounter, cursor.x, cursor.y, roleX, roleY, cellX, cellY, g_Fps.fps, buildings, hour,
                  deathCount);
    dc->TextOut(0, 0, line);
    std::snprintf(line, sizeof line, "%3d,%3d  %3d,%3d %3d,%3d %3d,%3d   %d/%d", cursorCellX, cursorCellY,
                  cursorWorldX, cursorWorldY, viewA, viewB, viewX, viewY, 0, 0);
    dc->TextOut(0, 20, line);
    for (const OverlayPoint& p : stroke) dc->TextOut(p.x, p.y, "!!");
    if (!stroke.empty()) {
        std::string dir, xy;
        BuildGestureLines(stroke, &dir, &xy);
        dc->TextOut(0, 40, dir);
        dc->TextOut(0, 60, xy);
    }
    display->ReleaseDC(dc);
}
