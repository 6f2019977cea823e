#include <gtest/gtest.h>

#include <cstdint>
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
