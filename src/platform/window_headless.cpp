// Headless backend: no display. Input comes from the scripted timeline, at
// the times of the process clock. When the script came from the
// environment the backend installs its own fake clock and advances it by
// the script's step on every loop pass that found no message, so a run is
// reproducible and never sleeps for real.
#include <memory>

#include "platform/clock.h"
#include "platform/input.h"
#include "platform/timeline_player.h"
#include "platform/window_backend.h"

namespace plat::detail {

namespace {

FakeClock g_scriptClock(0);

class HeadlessWindow final : public Window {
public:
    explicit HeadlessWindow(const WindowDesc& desc)
        : Window(desc), player_(Config().timeline, Config().advanceClock) {}
    Backend GetBackend() const override { return Backend::Headless; }

protected:
    // A scripted run's pointer starts where an X server puts it, at the
    // screen's centre, here the centre of the frame the window shows (also
    // after a mode change), until the script places it.
    void Pump() override {
        if (Config().scripted && !player_.PointerPlaced() && (centredW_ != width_ || centredH_ != height_)) {
            centredW_ = width_;
            centredH_ = height_;
            SetCursorPos(width_ / 2, height_ / 2);
        }
        player_.Pump(this);
    }
    void OnIdlePass() override { player_.IdlePass(); }
    // Only a run on the real clock sleeps; a fake clock moves by the script.
    void Idle(uint32_t maxMs) override {
        if (!Config().advanceClock && ClockIsReal()) SleepMs(maxMs);
    }

private:
    TimelinePlayer player_;
    int centredW_ = 0, centredH_ = 0;
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
