#include "world/sky/game_clock.h"

#include <climits>

#include "core/packet.h"

namespace {
CGameClock g_Clock;
int32_t g_TickCount = 0;
} // namespace

int32_t CGameClock::Tick() {
    if (++tick < 1501) return tick;
    tick = 0;
    if (++hour < 24) return 0;
    hour = 0;
    if (++day < 32) return day;
    day = 1;
    if (++month < 13) return 1;
    month = 1;
    return ++year;
}

void ResetGameClock() {
    g_Clock = CGameClock{};
    g_Clock.hour = 20;
    g_TickCount = 0;
}

void TickGameClock() {
    // Wraps to 0 rather than past the i32 range (after about 2.4 years of
    // play at 35 ms a tick).
    g_TickCount = g_TickCount == INT32_MAX ? 0 : g_TickCount + 1;
    g_Clock.Tick();
}

int32_t GetGameTickCount() { return g_TickCount; }

void SetGameTickCount(int32_t count) { g_TickCount = count; }

CGameClock* GetGameClock() { return &g_Clock; }

void SetGameClock(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t tick) {
    g_Clock.year = year;
    g_Clock.month = month;
    g_Clock.day = day;
    g_Clock.hour = hour;
    g_Clock.tick = tick;
}

void BuildClockPacket(const CGameClock& c, uint8_t* out) {
    PacketFields f;
    f.type = kPacketClock;
    f.year = c.year;
    f.month = c.month;
    f.mday = c.day;
    f.hour = c.hour;
    f.tick = c.tick;
    WritePacket(f, out, kClockPacketSize);
}
