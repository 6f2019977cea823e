// Headless backend: no display. Input comes from the scripted timeline, at
// the times of the process clock. When the script came from the
// environment the backend installs its own fake clock and advances it by
// the script's step on every loop pass that found no message, so a run is
// reproducible and never sleeps for real.
#include <memory>

#include "platform/clock.h"
#include "platform/input.h"
#include "platform/window_backend.h"

namespace plat::detail {

namespace {

FakeClock g_scriptClock(0);

class HeadlessWindow final : public Window {
public:
    explicit HeadlessWindow(const WindowDesc& desc) : Window(desc) {
        const BackendConfig& c = Config();
        timeline_ = c.timeline;
        advanceClock_ = c.advanceClock;
    }
    Backend GetBackend() const override { return Backend::Headless; }

protected:
    void Pump() override {
        const uint32_t now = TimeGetTime();
        while (next_ < timeline_.events.size() && timeline_.events[next_].timeMs <= now) {
            Apply(timeline_.events[next_++]);
        }
        if (timeline_.limitMs != 0 && !limitHit_ && now >= timeline_.limitMs) {
            limitHit_ = true;
            QueueClose(this);
        }
    }
    void OnIdlePass() override {
        if (advanceClock_) SleepMs(timeline_.stepMs);
    }
    // Only a run on the real clock sleeps; a fake clock moves by the script.
    void Idle(uint32_t maxMs) override {
        if (!advanceClock_ && ClockIsReal()) SleepMs(maxMs);
    }

private:
    void Apply(const TimelineEvent& e) {
        using K = TimelineEvent::Kind;
        Point p;
        GetCursorPos(&p);
        if (e.hasPos) p = Point{e.a, e.b};
        switch (e.kind) {
        case K::KeyDown: QueueKey(this, e.a, true, false, 0); break;
        case K::KeyUp: QueueKey(this, e.a, false, false, 0); break;
        case K::Key:
            QueueKey(this, e.a, true, false, 0);
            QueueKey(this, e.a, false, false, 0);
            break;
        case K::Text: QueueText(this, e.text); break;
        case K::Move: QueueMouseMove(this, e.a, e.b); break;
        case K::LDown: QueueMouseButton(this, VK_LBUTTON, true, p.x, p.y); break;
        case K::LUp: QueueMouseButton(this, VK_LBUTTON, false, p.x, p.y); break;
        case K::RDown: QueueMouseButton(this, VK_RBUTTON, true, p.x, p.y); break;
        case K::RUp: QueueMouseButton(this, VK_RBUTTON, false, p.x, p.y); break;
        case K::Activate: QueueActivate(this, e.a != 0); break;
        case K::Command: PostMessage(this, WM_COMMAND, static_cast<uint32_t>(e.a), 0); break;
        case K::Close: QueueClose(this); break;
        case K::Jump:
            if (advanceClock_) SleepMs(static_cast<uint32_t>(e.a));
            break;
        }
    }

    Timeline timeline_;
    size_t next_ = 0;
    bool advanceClock_ = false;
    bool limitHit_ = false;
};

} // namespace

void InstallScriptClock() {
    // Stays installed for the rest of the process: the program still logs
    // after the window is gone.
    SetClock(&g_scriptClock);
}

std::unique_ptr<Window> MakeHeadlessWindow(const WindowDesc& desc) {
    WindowDesc d = desc;
    if (d.width <= 0) d.width = Config().timeline.screenWidth;
    if (d.height <= 0) d.height = Config().timeline.screenHeight;
    return std::make_unique<HeadlessWindow>(d);
}

} // namespace plat::detail
