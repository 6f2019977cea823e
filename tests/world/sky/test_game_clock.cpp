#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "world/sky/game_clock.h"

namespace {

struct ClockCase {
    CGameClock from;
    CGameClock to;
    int32_t result;
};

TEST(GameClock, RolloversOfOneTick) {
    const ClockCase cases[] = {
        {{3, 4, 5, 6, 0}, {3, 4, 5, 6, 1}, 1},
        {{3, 4, 5, 6, 1499}, {3, 4, 5, 6, 1500}, 1500},   // 1500 is a valid tick
        {{3, 4, 5, 6, 1500}, {3, 4, 5, 7, 0}, 0},         // hour
        {{3, 4, 5, 23, 1500}, {3, 4, 6, 0, 0}, 6},        // 23:1500 -> 0:0 of the next day
        {{3, 4, 31, 23, 1500}, {3, 5, 1, 0, 0}, 1},       // day 31 -> day 1 of the next month
        {{3, 12, 31, 23, 1500}, {4, 1, 1, 0, 0}, 4},      // month 12 -> month 1 of the next year
        {{0, 0, 0, 23, 1500}, {0, 0, 1, 0, 0}, 1},        // from the reset: day 0 -> 1, month stays 0
        {{0, 0, 31, 23, 1500}, {0, 1, 1, 0, 0}, 1},       // month 0 turns only when day 31 ends
    };
    for (const ClockCase& c : cases) {
        CGameClock k = c.from;
        EXPECT_EQ(k.Tick(), c.result);
        EXPECT_EQ(std::memcmp(&k, &c.to, sizeof k), 0)
            << k.year << "-" << k.month << "-" << k.day << " " << k.hour << ":" << k.tick;
    }
}

TEST(GameClock, ResetTickAndSet) {
    ResetGameClock();
    CGameClock* c = GetGameClock();
    EXPECT_EQ(c->hour, 20);
    EXPECT_EQ(c->day, 0);
    EXPECT_EQ(c->month, 0);
    for (int i = 0; i < 1501; ++i) TickGameClock();
    EXPECT_EQ(c->hour, 21) << "an hour lasts 1501 ticks";
    EXPECT_EQ(c->tick, 0);
    // The developer key sets tick 1500: the hour turns on the next tick.
    c->tick = 1500;
    TickGameClock();
    EXPECT_EQ(c->hour, 22);
    for (int i = 0; i < 2 * 1501; ++i) TickGameClock();
    EXPECT_EQ(c->hour, 0);
    EXPECT_EQ(c->day, 1) << "first day rollover after the reset";
    SetGameClock(70000, 12, 31, 23, 1500);
    EXPECT_EQ(c->year, 70000);
    EXPECT_EQ(c->tick, 1500);
    ResetGameClock();
}

// The tick counter wraps to 0 after 2^31 - 1 ticks instead of overflowing.
TEST(GameClock, TickCountWrapsToZero) {
    ResetGameClock();
    SetGameTickCount(INT32_MAX - 1);
    TickGameClock();
    EXPECT_EQ(GetGameTickCount(), INT32_MAX);
    TickGameClock();
    EXPECT_EQ(GetGameTickCount(), 0);
    ResetGameClock();
}

TEST(GameClock, ClockPacketBytes) {
    const struct {
        CGameClock clock;
        uint8_t bytes[kClockPacketSize];
    } cases[] = {
        {{0, 0, 0, 20, 0}, {11, 0, 0, 0, 0, 20, 0, 0}},
        {{0x1234, 12, 31, 23, 1500}, {11, 0x34, 0x12, 12, 31, 23, 0xDC, 0x05}},
        {{65536 + 7, 1, 1, 0, 750}, {11, 7, 0, 1, 1, 0, 0xEE, 0x02}},  // years wrap at 16 bits
    };
    for (const auto& c : cases) {
        uint8_t out[kClockPacketSize];
        std::memset(out, 0xAA, sizeof out);
        BuildClockPacket(c.clock, out);
        EXPECT_EQ(std::memcmp(out, c.bytes, sizeof out), 0);
    }
}

} // namespace
