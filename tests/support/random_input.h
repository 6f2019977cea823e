#pragma once
// Seeded random input for end-to-end runs: "at" timeline lines of cursor
// moves, clicks, drags, right clicks, key presses (some held, some with
// Shift or Ctrl), typed ASCII and GBK text and brief activation losses,
// with points inside the screen and just outside it. The same options give
// the same lines.
#include <cstdint>
#include <string>

namespace vtest {

struct RandomInputOptions {
    uint32_t seed = 1;
    uint32_t startMs = 0;
    uint32_t durationMs = 60000;
    int width = 640;   // the screen the points aim at
    int height = 480;
    int outside = 12;  // points reach this far beyond each edge
    int meanGapMs = 150;  // between actions
};

std::string RandomInputTimeline(const RandomInputOptions& options);

} // namespace vtest
