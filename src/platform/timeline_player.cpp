#include "platform/timeline_player.h"

#include <filesystem>

#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/display.h"
#include "platform/fs.h"
#include "platform/input.h"
#include "platform/present.h"
#include "platform/recorder.h"
#include "platform/window.h"
#include "platform/window_backend.h"

namespace plat {

TimelinePlayer::TimelinePlayer(Timeline timeline, bool advanceClock)
    : timeline_(std::move(timeline)), advanceClock_(advanceClock) {}

void TimelinePlayer::Pump(Window* window) {
    const uint32_t now = TimeGetTime();
    while (next_ < timeline_.events.size() && timeline_.events[next_].timeMs <= now) {
        Apply(window, timeline_.events[next_++]);
    }
    if (nextTick_ < timeline_.tickEvents.size()) {
        const int64_t tick = detail::WatchedTick();
        if (tick < 0 && !warnedNoTicks_) {
            warnedNoTicks_ = true;
            OutputDebugString("timeline: tick events wait for a tick source\n");
        }
        const uint32_t since = detail::WatchedTickSinceMs();
        while (tick >= 0 && nextTick_ < timeline_.tickEvents.size()) {
            const TimelineEvent& e = timeline_.tickEvents[nextTick_];
            const int64_t due = static_cast<int64_t>(e.tick);
            if (due > tick || (due == tick && e.tickOffsetMs > since)) break;
            Apply(window, e);
            ++nextTick_;
        }
    }
    if (timeline_.limitMs != 0 && !limitHit_ && now >= timeline_.limitMs) {
        limitHit_ = true;
        detail::QueueClose(window);
    }
}

void TimelinePlayer::IdlePass() {
    if (advanceClock_) SleepMs(timeline_.stepMs);
}

void TimelinePlayer::Apply(Window* window, const TimelineEvent& e) {
    using K = TimelineEvent::Kind;
    Point p;
    GetCursorPos(&p);
    if (e.hasPos) p = Point{e.a, e.b};
    if (e.kind == K::Move || e.hasPos) pointerPlaced_ = true;
    uint8_t keys[256];
    switch (e.kind) {
    case K::KeyDown:
        // A key that is down already repeats, as the system reports it.
        GetKeyboardState(keys);
        detail::QueueKey(window, e.a, true, (keys[e.a & 0xFF] & 0x80) != 0, 0);
        break;
    case K::KeyUp: detail::QueueKey(window, e.a, false, false, 0); break;
    case K::Key:
        detail::QueueKey(window, e.a, true, false, 0);
        detail::QueueKey(window, e.a, false, false, 0);
        break;
    case K::Text: detail::QueueText(window, e.text); break;
    case K::Move: detail::QueueMouseMove(window, e.a, e.b); break;
    case K::LDown: detail::QueueMouseButton(window, VK_LBUTTON, true, p.x, p.y); break;
    case K::LUp: detail::QueueMouseButton(window, VK_LBUTTON, false, p.x, p.y); break;
    case K::RDown: detail::QueueMouseButton(window, VK_RBUTTON, true, p.x, p.y); break;
    case K::RUp: detail::QueueMouseButton(window, VK_RBUTTON, false, p.x, p.y); break;
    case K::Activate: detail::QueueActivate(window, e.a != 0); break;
    case K::Command: PostMessage(window, WM_COMMAND, static_cast<uint32_t>(e.a), 0); break;
    case K::Close: detail::QueueClose(window); break;
    case K::Jump:
        if (advanceClock_) SleepMs(static_cast<uint32_t>(e.a));
        break;
    case K::Frame: CaptureShownFrame(e.text); break;
    }
}

bool CaptureShownFrame(const std::string& relativePath) {
    auto* headless = dynamic_cast<HeadlessPresenter*>(GetDisplayPresenter());
    if (!headless || !headless->HasFrame()) {
        OutputDebugString("timeline: no shown frame for " + relativePath + "\n");
        return false;
    }
    const std::string path = ProgramDirNative() + ToNativePath(relativePath);
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    if (!headless->WritePng(path)) {
        OutputDebugString("timeline: cannot write frame " + path + "\n");
        return false;
    }
    return true;
}

} // namespace plat
