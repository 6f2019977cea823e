#pragma once
// Plays a timeline (timeline.h) into the message queue of a window: "at"
// events once the process clock reaches their time, "tick" events once the
// game's tick source reports their tick, each through the same message
// helpers the backends use (so a replay can itself be recorded).
#include <cstddef>
#include <string>

#include "platform/timeline.h"

namespace plat {

class Window;

class TimelinePlayer {
public:
    TimelinePlayer() = default;
    // `advanceClock`: the process clock is the script's fake clock; idle
    // passes and "jump" move it.
    TimelinePlayer(Timeline timeline, bool advanceClock);

    // Queues every event that is due, then the close of "limit" when due.
    void Pump(Window* window);
    // An idle loop pass: the fake clock moves on by the step.
    void IdlePass();

    const Timeline& Script() const { return timeline_; }
    // True when no event waits any more (the limit aside).
    bool Done() const { return next_ >= timeline_.events.size() && nextTick_ >= timeline_.tickEvents.size(); }
    // True once an event placed the pointer (a move, or a button at a point).
    bool PointerPlaced() const { return pointerPlaced_; }

private:
    void Apply(Window* window, const TimelineEvent& e);

    Timeline timeline_;
    size_t next_ = 0;
    size_t nextTick_ = 0;
    bool advanceClock_ = false;
    bool limitHit_ = false;
    bool warnedNoTicks_ = false;
    bool pointerPlaced_ = false;
};

// The headless presenter writes the frame it shows now to `relativePath`
// under the program folder. False (with a debugger line) when there is no
// headless presenter, no frame yet, or the file cannot be written.
bool CaptureShownFrame(const std::string& relativePath);

} // namespace plat
