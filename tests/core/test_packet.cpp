#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/packet.h"

namespace {

TEST(PacketLength, EveryTypeBySubType) {
    struct Case {
        uint8_t type;
        uint8_t sub;
        int length;
    };
    const Case cases[] = {
        {1, 0, 18}, {1, 1, 15}, {1, 2, 0},   {1, 255, 0}, {2, 9, 3},   {3, 0, 4},   {3, 50, 4},
        {3, 51, 5}, {3, 100, 5}, {3, 101, 6}, {3, 150, 6}, {3, 151, 0}, {4, 0, 12},  {5, 0, 4},
        {6, 0, 11}, {7, 0, 4},  {8, 0, 7},   {9, 0, 9},   {10, 0, 0},  {11, 0, 8},  {12, 0, 4},
        {13, 0, 2}, {14, 0, 4}, {240, 0, 18}, {0, 0, 0},  {15, 0, 0},  {239, 0, 0}, {241, 0, 0},
        {255, 0, 0},
    };
    for (const Case& c : cases) {
        const uint8_t p[4] = {c.type, 0xEE, 0xEE, c.sub};
        EXPECT_EQ(GetPacketLength(p), c.length) << "type " << int(c.type) << " sub " << int(c.sub);
    }
}

TEST(PacketLength, BoundedFormNeverReadsPastTheBytes) {
    const uint8_t text[] = {10, 'a', 'b', 'c', 0, 99};
    EXPECT_EQ(GetPacketLengthIn(text, 6), 5);
    EXPECT_EQ(GetPacketLengthIn(text, 4), 0) << "no NUL inside the bytes";
    const uint8_t remove[] = {2, 1, 0};
    EXPECT_EQ(GetPacketLengthIn(remove, 3), 3);
    EXPECT_EQ(GetPacketLengthIn(remove, 2), 0);
    const uint8_t role[] = {1, 0, 0};
    EXPECT_EQ(GetPacketLengthIn(role, 3), 0) << "sub-type byte missing";
    EXPECT_EQ(GetPacketLengthIn(nullptr, 10), 0);
}

TEST(PacketType, SubTypeRules) {
    const uint8_t leave[] = {13, 4, 0, 0};
    EXPECT_EQ(IsPacketType(leave, 13, 4), 1);
    EXPECT_EQ(IsPacketType(leave, 13, 1), 0);
    const uint8_t p4[] = {4, 0, 0, 0};
    EXPECT_EQ(IsPacketType(p4, 4, -1), 1);
    EXPECT_EQ(IsPacketType(p4, 4, 0), 0);
    EXPECT_EQ(IsPacketType(p4, 5, -1), 0);
    const uint8_t join[] = {1, 7, 0, 1};
    EXPECT_EQ(IsPacketType(join, 1, 1), 1);
    EXPECT_EQ(IsPacketType(join, 1, 0), 0);
    const uint8_t state[] = {3, 0, 0, 120};
    EXPECT_EQ(IsPacketType(state, 3, 120), 1);
    EXPECT_EQ(IsPacketType(state, 3, -1), 0);
}

TEST(TextPacket, BytesAndLength) {
    uint8_t* data = nullptr;
    int length = 0;
    MakeTextPacket("abc", &data, &length);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(length, 5);
    EXPECT_EQ(std::vector<uint8_t>(data, data + length), (std::vector<uint8_t>{10, 'a', 'b', 'c', 0}));
    EXPECT_EQ(GetPacketLength(data), 0) << "a text packet has no fixed length";
    delete[] data;

    MakeTextPacket("", &data, &length);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(data[0], 10);
    EXPECT_EQ(data[1], 0);
    delete[] data;
    // GBK bytes travel unchanged.
    EXPECT_EQ(BuildTextPacket("\xC4\xE3"), (std::vector<uint8_t>{10, 0xC4, 0xE3, 0}));
}

TEST(EndpointPackets, LayoutsByHand) {
    RoleAppearFields f;
    f.handle = 0x12345;  // above 65535: only the low 16 bits travel
    f.descId = 0x0102;
    f.x = 0x0304;
    f.y = 0x0506;
    f.anim = 0x0708;
    f.camp = 0x7FFF0009;
    f.roleBits = 0xA1B2C3D4;
    uint8_t role[kRoleAppearLength];
    BuildRoleAppearPacket(f, role);
    const uint8_t wantRole[18] = {1, 0x45, 0x23, 0, 0x02, 0x01, 0x04, 0x03, 0x06,
                                  0x05, 0x08, 0x07, 0x09, 0x00, 0xD4, 0xC3, 0xB2, 0xA1};
    EXPECT_EQ(std::vector<uint8_t>(role, role + 18), std::vector<uint8_t>(wantRole, wantRole + 18));
    EXPECT_EQ(GetPacketLength(role), 18);

    uint8_t remove[kObjRemoveLength];
    BuildObjRemovePacket(0xABCDEF, remove);
    EXPECT_EQ(std::vector<uint8_t>(remove, remove + 3), (std::vector<uint8_t>{2, 0xEF, 0xCD}));

    uint8_t state[kObjStateLength];
    BuildObjStatePacket(0x8001, 3, state);
    EXPECT_EQ(std::vector<uint8_t>(state, state + 4), (std::vector<uint8_t>{7, 0x01, 0x80, 3}));
}

} // namespace

// ---------------------------------------------------------------- codec

namespace codec {

PacketFields F(uint8_t type, uint8_t sub = 0) {
    PacketFields f;
    f.type = type;
    f.sub = sub;
    return f;
}

// Each layout written from fields, its bytes checked by hand, read back to
// the same bytes.
TEST(PacketCodec, EveryLayoutRoundTripsByteExactly) {
    struct Case {
        const char* name;
        PacketFields f;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    {
        PacketFields f = F(1, 0);
        f.handle = 0x18005;  // generation 3: the low 16 bits travel
        f.id = 0x0102;
        f.x = 0x0304;
        f.y = 0x0506;
        f.anim = 7;
        f.camp = 10001;
        f.bits = 0xA1B2C3D4;
        cases.push_back({"appear", f, {1, 5, 0x80, 0, 2, 1, 4, 3, 6, 5, 7, 0, 0x11, 0x27, 0xD4, 0xC3, 0xB2, 0xA1}});
    }
    {
        PacketFields f = F(1, 1);
        f.handle = 0x8007;
        f.id = 3;
        f.ambient = 0x0201;
        f.night = 4;
        f.day = 5;
        f.column6 = 6;
        f.weather = 9;
        f.duration = 0x1234;
        cases.push_back({"join", f, {1, 7, 0x80, 1, 3, 0, 1, 2, 4, 5, 6, 9, 0x34, 0x12, 0}});
    }
    {
        PacketFields f = F(2);
        f.handle = 0xABCD;
        cases.push_back({"remove", f, {2, 0xCD, 0xAB}});
    }
    {
        PacketFields f = F(3, 1);
        f.handle = 9;
        cases.push_back({"sprite set", f, {3, 9, 0, 1}});
    }
    {
        PacketFields f = F(3, 51);
        f.handle = 9;
        f.value = 7;
        cases.push_back({"death", f, {3, 9, 0, 51, 7}});
    }
    {
        PacketFields f = F(3, 52);
        f.handle = 9;
        f.value = 0x104;  // the motion's low byte
        cases.push_back({"motion", f, {3, 9, 0, 52, 4}});
    }
    {
        PacketFields f = F(3, 101);
        f.handle = 9;
        f.value = 10001;
        cases.push_back({"camp 10001", f, {3, 9, 0, 101, 0x11, 0x27}});
    }
    {
        PacketFields f = F(3, 102);
        f.handle = 9;
        f.value = 0x0302;
        cases.push_back({"anim", f, {3, 9, 0, 102, 2, 3}});
    }
    {
        PacketFields f = F(4);
        f.handle = 9;
        f.x = 0x0102;
        f.y = 0x0304;
        f.cellX = 5;
        f.cellY = 6;
        f.speed = 300;
        cases.push_back({"cell, speed 300", f, {4, 9, 0, 2, 1, 4, 3, 5, 0, 6, 0, 44}});
    }
    {
        PacketFields f = F(5);
        f.handle = 9;
        f.value = 3 + 128;
        cases.push_back({"state 3 set", f, {5, 9, 0, 131}});
    }
    {
        PacketFields f = F(5);
        f.handle = 9;
        f.value = 3;
        cases.push_back({"state 3 cleared", f, {5, 9, 0, 3}});
    }
    cases.push_back({"reserved", F(6), {6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}});
    {
        PacketFields f = F(7);
        f.handle = 0x8001;
        f.value = 2;
        cases.push_back({"building state", f, {7, 1, 0x80, 2}});
    }
    {
        PacketFields f = F(8);
        f.id = 0x1234;
        f.x = 0xABCD;
        f.y = 70000;
        cases.push_back({"magic", f, {8, 0x34, 0x12, 0xCD, 0xAB, 0x70, 0x11}});
    }
    {
        PacketFields f = F(9);
        f.handle = 9;
        f.id = 0x0201;
        f.x = 0x0403;
        f.y = 0x0605;
        cases.push_back({"attached magic", f, {9, 9, 0, 1, 2, 3, 4, 5, 6}});
    }
    {
        PacketFields f = F(10);
        f.text = "ab c";
        cases.push_back({"text", f, {10, 'a', 'b', ' ', 'c', 0}});
    }
    {
        PacketFields f = F(11);
        f.year = 0x07D0;
        f.month = 3;
        f.mday = 4;
        f.hour = 20;
        f.tick = 0x0102;
        cases.push_back({"clock", f, {11, 0xD0, 0x07, 3, 4, 20, 2, 1}});
    }
    {
        PacketFields f = F(12);
        f.weather = 9;
        f.duration = 0x1234;
        cases.push_back({"weather", f, {12, 9, 0x34, 0x12}});
    }
    cases.push_back({"host control", F(13, 2), {13, 2}});
    {
        PacketFields f = F(14, 57);
        f.value = -1;
        cases.push_back({"timer off", f, {14, 57, 0xFF, 0xFF}});
    }
    {
        PacketFields f = F(14, 19);
        f.value = 1;
        cases.push_back({"versus", f, {14, 19, 1, 0}});
    }
    {
        PacketFields f = F(240);
        f.handle = 0x8005;
        f.code = 19;
        f.a = -2;
        f.b = 0x01020304;
        f.c = 7;
        cases.push_back({"command", f,
                         {240, 5, 0x80, 0, 0, 19, 0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1, 7, 0, 0, 0}});
    }
    cases.push_back({"revive", F(241, 0), {241, 0}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint8_t out[64];
        std::memset(out, 0xEE, sizeof out);
        const int n = WritePacket(c.f, out, sizeof out);
        ASSERT_EQ(n, static_cast<int>(c.bytes.size()));
        EXPECT_EQ(std::vector<uint8_t>(out, out + n), c.bytes);
        EXPECT_EQ(out[n], 0xEE) << "nothing written past the layout";
        if (c.f.type != 10 && c.f.type != 241) {
            EXPECT_EQ(GetPacketLength(out), n) << "the table agrees";
        }
        PacketFields back;
        ASSERT_EQ(ReadPacket(c.bytes.data(), n, &back), 1);
        EXPECT_EQ(WritePacket(back), c.bytes) << "read back, written again";
        EXPECT_EQ(ReadPacket(c.bytes.data(), n - 1, &back), 0) << "one byte short";
    }
}

TEST(PacketCodec, ReadValuesAsTheReaderSeesThem) {
    const uint8_t camp[6] = {3, 9, 0, 101, 0x11, 0x27};
    const uint8_t timer[4] = {14, 57, 0xFE, 0xFF};
    const uint8_t order[18] = {240, 1, 0, 0xAA, 0xBB, 1, 0xFF, 0xFF, 0xFF, 0xFF};
    PacketFields f;
    ASSERT_EQ(ReadPacket(camp, 6, &f), 1);
    EXPECT_EQ(f.value, 10001);
    ASSERT_EQ(ReadPacket(timer, 4, &f), 1);
    EXPECT_EQ(f.value, -2) << "sign-extended";
    ASSERT_EQ(ReadPacket(order, 18, &f), 1);
    EXPECT_EQ(f.a, -1);
    EXPECT_EQ(f.code, 1) << "bytes 3-4 carry nothing";
}

TEST(PacketCodec, NoLayoutAndShortOrUnterminatedBytesAreRefused) {
    PacketFields f;
    const uint8_t kinds[][4] = {{1, 0, 0, 2}, {3, 0, 0, 151}, {0, 0, 0, 0}, {15, 0, 0, 0}, {242, 0, 0, 0}};
    for (const auto& p : kinds) EXPECT_EQ(ReadPacket(p, 4, &f), 0) << int(p[0]) << "/" << int(p[3]);
    EXPECT_EQ(ReadPacket(kinds[0], 3, &f), 0) << "type 1 without its sub-type byte";
    const uint8_t text[3] = {10, 'a', 'b'};
    EXPECT_EQ(ReadPacket(text, 3, &f), 0) << "a text without its NUL";
    EXPECT_EQ(ReadPacket(nullptr, 4, &f), 0);
    EXPECT_EQ(WritePacket(F(1, 2)).size(), 0u);
    EXPECT_EQ(WritePacket(F(3, 200)).size(), 0u);
    uint8_t small[3];
    EXPECT_EQ(WritePacket(F(4), small, 3), 0) << "room short";
}

} // namespace codec
