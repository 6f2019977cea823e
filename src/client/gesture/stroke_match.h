#pragma once
// Matching a drawn stroke against the gesture patterns of "MethodPoint.txt".
// A pattern row holds, from column 2 on, one (angle, tolerance) pair in
// radians per stroke segment in drawing order, ending at the first empty
// cell. A stroke matches read forward, or, when the row goes on past the
// forward angles, read backward from its newest point.
//
// Segment angles lie in (-pi, pi]; straight down sits on the seam at -pi
// and a stroke one pixel off it reads +3.04. Differences are therefore
// wrapped into [-pi, pi] before the tolerance test, which leaves every
// difference below pi as it was.
#include <cstdint>
#include <vector>

class CTxtRow;

struct StrokePoint {
    uint32_t tick = 0;
    int32_t x = 0;
    int32_t y = 0;
};

constexpr float kGesturePi = 3.1415925f;

// The direction of the segment from p to q (dx = p.x - q.x, dy = p.y - q.y).
float SegmentAngle(int32_t px, int32_t py, int32_t qx, int32_t qy);
// a - b wrapped into [-pi, pi].
float AngleDifference(float a, float b);
// Forward angles (oldest to newest point) and backward (newest to oldest).
void BuildStrokeAngles(const std::vector<StrokePoint>& stroke, std::vector<float>* forward,
                       std::vector<float>* backward);
// 1 when the pattern row matches the stroke's angles.
int MatchStroke(const CTxtRow* row, const std::vector<float>& forward, const std::vector<float>& backward);
