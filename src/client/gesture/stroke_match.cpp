#include "client/gesture/stroke_match.h"

#include <cmath>

#include "core/txt_table.h"

float SegmentAngle(int32_t px, int32_t py, int32_t qx, int32_t qy) {
    const float dx = static_cast<float>(px - qx);
    const float dy = static_cast<float>(py - qy);
    if (dx > 0.0f) return kGesturePi / 2.0f - std::atan(dy / dx);
    if (dx < 0.0f) return -std::atan(dy / dx) - kGesturePi / 2.0f;
    return dy < 1.0f ? -kGesturePi : 0.0f;
}

float AngleDifference(float a, float b) {
    float d = a - b;
    const float twoPi = 2.0f * kGesturePi;
    // Angles of a row are small numbers; a few steps bring any of them home.
    for (int i = 0; i < 8 && d > kGesturePi; ++i) d -= twoPi;
    for (int i = 0; i < 8 && d < -kGesturePi; ++i) d += twoPi;
    return d;
}

void BuildStrokeAngles(const std::vector<StrokePoint>& stroke, std::vector<float>* forward,
                       std::vector<float>* backward) {
    forward->clear();
    backward->clear();
    for (size_t i = 1; i < stroke.size(); ++i)
        forward->push_back(SegmentAngle(stroke[i - 1].x, stroke[i - 1].y, stroke[i].x, stroke[i].y));
    for (size_t i = stroke.size(); i-- > 1;)
        backward->push_back(SegmentAngle(stroke[i].x, stroke[i].y, stroke[i - 1].x, stroke[i - 1].y));
}

namespace {

// 1 when segment i's pair is present in the row.
bool HasPair(const CTxtRow* row, size_t i) {
    const int col = 2 * static_cast<int>(i) + 2;
    return row->HasValue(col) && row->HasValue(col + 1);
}

bool PairPasses(const CTxtRow* row, size_t i, float angle) {
    const int col = 2 * static_cast<int>(i) + 2;
    return std::fabs(AngleDifference(row->GetFloat(col), angle)) <= row->GetFloat(col + 1);
}

} // namespace

int MatchStroke(const CTxtRow* row, const std::vector<float>& forward, const std::vector<float>& backward) {
    if (!row || forward.empty()) return 0;
    bool forwardOk = true;
    for (size_t i = 0; i < forward.size(); ++i) {
        if (!HasPair(row, i)) return 0;
        if (!PairPasses(row, i, forward[i])) {
            forwardOk = false;
            break;
        }
    }
    if (forwardOk && !row->HasValue(2 * static_cast<int>(forward.size()) + 2)) return 1;
    if (backward.empty()) return row->HasValue(2) ? 0 : 1;
    for (size_t i = 0; i < backward.size(); ++i)
        if (!HasPair(row, i) || !PairPasses(row, i, backward[i])) return 0;
    return row->HasValue(2 * static_cast<int>(backward.size()) + 2) ? 0 : 1;
}
