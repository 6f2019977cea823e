#pragma once
// Writer of "MethodPoint.txt", the gesture patterns: a header row, then one
// row per pattern {name, id, angle 0, tolerance 0, angle 1, tolerance 1, ...}
// with one (angle, tolerance) pair in radians per stroke segment in drawing
// order. A skill's gesture field names a pattern as 1000 + its id.
#include <string>
#include <utility>
#include <vector>

namespace datagen {

struct GesturePattern {
    std::string name;
    int id = 0;
    std::vector<std::pair<float, float>> pairs;  // (angle, tolerance)
};

// Segment angles of straight strokes (the screen's y grows downward).
constexpr float kGestureUp = 0.0f;
constexpr float kGestureRight = -1.5707963f;
constexpr float kGestureDown = -3.1415925f;
constexpr float kGestureLeft = 1.5707963f;
constexpr float kGestureDownRight = -2.3561944f;
constexpr float kGestureUpRight = -0.7853982f;

std::string BuildMethodPoints(const std::vector<GesturePattern>& patterns);
// The demo's four patterns: ids 1 "line" (rightward), 2 "drop" (downward),
// 3 "corner" (right, then down), 4 "vee" (down-right, then up-right).
std::vector<GesturePattern> DemoGesturePatterns();

} // namespace datagen
