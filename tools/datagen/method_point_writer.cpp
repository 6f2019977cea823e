#include "datagen/method_point_writer.h"

#include <cstdio>

#include "datagen/table_writer.h"

namespace datagen {

namespace {

std::string AngleCell(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", static_cast<double>(v));
    return buf;
}

} // namespace

std::string BuildMethodPoints(const std::vector<GesturePattern>& patterns) {
    Table rows{{"name", "id", "a0", "t0", "a1", "t1", "a2", "t2"}};
    for (const GesturePattern& p : patterns) {
        std::vector<std::string> row{p.name, std::to_string(p.id)};
        for (const auto& [angle, tolerance] : p.pairs) {
            row.push_back(AngleCell(angle));
            row.push_back(AngleCell(tolerance));
        }
        rows.push_back(std::move(row));
    }
    return BuildTable(rows);
}

std::vector<GesturePattern> DemoGesturePatterns() {
    constexpr float kTol = 0.5f;
    return {
        {"line", 1, {{kGestureRight, kTol}}},
        {"drop", 2, {{kGestureDown, kTol}}},
        {"corner", 3, {{kGestureRight, kTol}, {kGestureDown, kTol}}},
        {"vee", 4, {{kGestureDownRight, kTol}, {kGestureUpRight, kTol}}},
    };
}

} // namespace datagen
