#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace plat {

uint32_t RealClock::NowMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void RealClock::SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

namespace {
RealClock g_realClock;
Clock* g_clock = &g_realClock;
} // namespace

Clock& GetClock() { return *g_clock; }
void SetClock(Clock* clock) { g_clock = clock ? clock : &g_realClock; }

bool ClockIsReal() { return g_clock == &g_realClock; }

uint32_t TimeGetTime() { return g_clock->NowMs(); }
void SleepMs(uint32_t ms) { g_clock->SleepMs(ms); }

// The steady clock has no coarser period to report; these are the figures a
// typical multimedia timer gives, which the game's resolution rule expects.
TimerCaps GetTimerCaps() { return TimerCaps{1, 1000000}; }

} // namespace plat

namespace plat {

namespace {
bool g_WallFixed = false;
WallTime g_FixedWall;
} // namespace

WallTime GetWallTime() {
    if (g_WallFixed) return g_FixedWall;
    const time_t now = std::time(nullptr);
    WallTime w;
    w.seconds = static_cast<uint32_t>(now);
    struct tm t {};
    if (localtime_r(&now, &t)) {
        w.year = t.tm_year + 1900;
        w.month = t.tm_mon + 1;
        w.day = t.tm_mday;
        w.hour = t.tm_hour;
        w.minute = t.tm_min;
        w.second = t.tm_sec;
    }
    return w;
}

void SetWallTime(const WallTime* fixed) {
    g_WallFixed = fixed != nullptr;
    if (fixed) g_FixedWall = *fixed;
}

} // namespace plat
