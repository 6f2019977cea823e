#pragma once
// The developer overlay: diagnostic text over every presented frame while
// g_DevOverlayOn is set, and the frames-per-second figure, which is counted
// whether the overlay is shown or not.
#include <cstdint>
#include <string>
#include <vector>

class CSurface;

extern int g_DevOverlayOn;

struct CFpsCounter {
    int32_t frames = 0;  // in the current second
    int32_t mark = 0;    // clock reading (ms) where the second began
    int32_t fps = 0;
    // One presented frame at clock reading `now`.
    void Count(int32_t now);
};
extern CFpsCounter g_Fps;

struct OverlayPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// Direction in radians of the step from `prev` to `cur` as the overlay
// shows it.
float OverlayStepDirection(const OverlayPoint& prev, const OverlayPoint& cur);
// The direction line ("Mouse:" then " %f" per step) and the coordinate line
// ("%d,%d " per point) of a gesture stroke.
void BuildGestureLines(const std::vector<OverlayPoint>& points, std::string* directions, std::string* coords);

// The overlay's two text lines for a cursor at (x, y): the recording's
// tick, the cursor, the player's role (position, cell), fps, the view's
// building count, the hour and the death count; then the cursor's cell and
// world point, the view's origin cell, its origin, and two zero counters.
std::vector<std::string> DevOverlayLines(int x, int y);
// Counts the frame; with the overlay on, draws it on `display`. Called
// after the cursor and before the frame is presented.
void DrawDevOverlay(CSurface* display);
