#pragma once
// Millisecond clock and sleep, injectable so tests run on a fake clock.
#include <cstdint>

namespace plat {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary origin; wraps at 2^32 like the
    // multimedia clock the game was written against.
    virtual uint32_t NowMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
};

// Monotonic wall clock.
class RealClock final : public Clock {
public:
    uint32_t NowMs() override;
    void SleepMs(uint32_t ms) override;
};

// Test clock: time moves only when told; SleepMs advances it instead of
// blocking.
class FakeClock final : public Clock {
public:
    explicit FakeClock(uint32_t start = 0) : now_(start) {}
    uint32_t NowMs() override { return now_; }
    void SleepMs(uint32_t ms) override { now_ += ms; }
    void Advance(uint32_t ms) { now_ += ms; }
    void Set(uint32_t ms) { now_ = ms; }

private:
    uint32_t now_;
};

// The process-wide clock. SetClock(nullptr) restores the real clock; the
// caller keeps ownership of what it installs.
Clock& GetClock();
void SetClock(Clock* clock);

// True while the process clock is the real one (nothing installed).
bool ClockIsReal();

// Shorthands for GetClock().NowMs() / SleepMs().
uint32_t TimeGetTime();
void SleepMs(uint32_t ms);

// Timer period range in milliseconds, as the multimedia timer reports it.
struct TimerCaps {
    uint32_t periodMin;
    uint32_t periodMax;
};
TimerCaps GetTimerCaps();

// Calendar time: seconds since 1970 and the local date and time of that
// moment. Save games stamp it; tests set it so file bytes do not depend on
// when they run.
struct WallTime {
    uint32_t seconds = 0;
    int32_t year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
WallTime GetWallTime();
// A fixed time for every later GetWallTime; null returns to the real one.
void SetWallTime(const WallTime* fixed);

} // namespace plat
