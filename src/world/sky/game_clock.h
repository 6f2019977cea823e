#pragma once
// The world calendar: one record shared by the server side, which advances
// it a tick per server step, and the client side, which is told it by the
// clock packet (type 11) and lights the scene by the time of day. An hour
// has 1501 ticks (0..1500), a day 24 hours, every month 31 days, a year 12
// months. After a reset day and month stay 0 until they first roll over.
#include <cstdint>

struct CGameClock {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t hour = 0;
    int32_t tick = 0;

    // One tick. Returns the new tick when the hour holds, 0 when only the
    // hour turned, the new day when the day turned, 1 for a new month and
    // the new year for a new year.
    int32_t Tick();
};

// 20:00 of day 0, month 0, year 0 (when the game host starts).
void ResetGameClock();
void TickGameClock();
// Calendar ticks since the last reset: the logic tick counter that
// buildings pace their flashing and script notes by (kept outside the
// five-field record).
int32_t GetGameTickCount();
// For tests that need a counter near its wrap.
void SetGameTickCount(int32_t count);
// The one record, read-write.
CGameClock* GetGameClock();
void SetGameClock(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t tick);

// Packet 11: u8 11, u16 year, u8 month, u8 day, u8 hour, u16 tick (8 bytes).
constexpr int kClockPacketSize = 8;
void BuildClockPacket(const CGameClock& clock, uint8_t* out);
