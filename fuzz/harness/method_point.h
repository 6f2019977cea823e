#pragma once
// Gesture patterns ("MethodPoint.txt"): load the file the way the game does
// (through the gesture input, from the data folder or its pack), then match
// every row against a fixed set of strokes and their reversals, and against
// a stroke drawn along the row's own angles, which must match read either way
// whenever the row is well formed.
#include <cmath>
#include <string>
#include <vector>

#include "client/gesture/stroke_match.h"
#include "client/gesture_input.h"
#include "core/directories.h"
#include "core/txt_table.h"
#include "env.h"

namespace fuzzharness {

inline std::vector<StrokePoint> ReversedStroke(std::vector<StrokePoint> s) {
    return std::vector<StrokePoint>(s.rbegin(), s.rend());
}

inline int MatchBothWays(const CTxtRow* row, const std::vector<StrokePoint>& stroke) {
    std::vector<float> f, b;
    BuildStrokeAngles(stroke, &f, &b);
    const int forward = MatchStroke(row, f, b);
    BuildStrokeAngles(ReversedStroke(stroke), &f, &b);
    const int backward = MatchStroke(row, f, b);
    if ((forward != 0 && forward != 1) || (backward != 0 && backward != 1)) fuzzenv::Fail("a match gave neither 0 nor 1");
    return forward + backward;
}

// The strokes every row meets: the four axes, two corners, a zigzag, a
// single point and the seam of straight down one pixel off.
inline const std::vector<std::vector<StrokePoint>>& SeededStrokes() {
    static const std::vector<std::vector<StrokePoint>> s_strokes = [] {
        const std::vector<std::vector<std::pair<int, int>>> shapes = {
            {{0, 0}, {100, 0}},  {{0, 0}, {0, 100}},   {{100, 0}, {0, 0}},
            {{0, 100}, {0, 0}},  {{0, 0}, {-1, 100}},  {{0, 0}, {100, 0}, {100, 100}},
            {{0, 0}, {50, 50}, {100, 0}}, {{0, 0}, {40, 40}, {80, 0}, {120, 40}, {160, 0}},
            {{5, 5}},
        };
        std::vector<std::vector<StrokePoint>> out;
        for (const auto& shape : shapes) {
            std::vector<StrokePoint> s;
            for (auto [x, y] : shape) s.push_back({0, x, y});
            out.push_back(s);
        }
        return out;
    }();
    return s_strokes;
}

// A stroke along the row's pairs (200-pixel segments), or empty when the
// row is not one a drawn stroke can be held to: an angle out of range, a
// tolerance too tight for whole pixels, more segments than a stroke keeps,
// or a stray cell after the last pair.
inline std::vector<StrokePoint> StrokeAlong(const CTxtRow* row) {
    std::vector<StrokePoint> s{{0, 0, 0}};
    int col = 2;
    for (; row->HasValue(col) && row->HasValue(col + 1); col += 2) {
        const float a = row->GetFloat(col), tol = row->GetFloat(col + 1);
        if (!std::isfinite(a) || !std::isfinite(tol) || std::fabs(a) > 4.0f || tol < 0.05f) return {};
        if (s.size() >= kStrokeMaxPoints) return {};
        const StrokePoint& last = s.back();
        s.push_back({0, last.x + static_cast<int32_t>(std::lround(-std::sin(a) * 200.0f)),
                     last.y + static_cast<int32_t>(std::lround(-std::cos(a) * 200.0f))});
    }
    if (s.size() < 2 || row->HasValue(col)) return {};
    return s;
}

inline int RunMethodPoint(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    SetProgramDirectory(0);
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzenv::PlacedFiles files("mb", {{"MethodPoint.txt", bytes}}, fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;

    if (g_GestureInput.LoadMethodPoints() != 1) fuzzenv::Fail("the pattern loader reported a failure");
    CTxtTable& table = g_GestureInput.m_Patterns;
    const int rows = table.GetRowCount();
    for (int i = 0; i < rows; ++i) {
        const CTxtRow* row = table.GetRowAt(i);
        if (!row) fuzzenv::Fail("GetRowAt gave null inside the row count");
        // The way a skill's gesture field reaches its row.
        if (const CTxtRow* keyed = table.GetRow(row->GetInt(1))) MatchBothWays(keyed, SeededStrokes()[0]);
        for (const std::vector<StrokePoint>& s : SeededStrokes()) MatchBothWays(row, s);
        const std::vector<StrokePoint> along = StrokeAlong(row);
        if (!along.empty() && MatchBothWays(row, along) != 2)
            fuzzenv::Fail("a stroke along a pattern's own angles does not match both ways");
    }
    g_GestureInput.m_Patterns.Clear();
    return rows > 0 ? 1 : 0;
}

} // namespace fuzzharness
