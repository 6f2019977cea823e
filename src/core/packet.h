#pragma once
// The byte format shared by the server scenes and the client: byte 0 is the
// packet type, multi-byte fields are little-endian and unaligned, object
// handles travel as their low 16 bits. Every type has a fixed length except
// the text packet (type 10), which ends at its NUL.
#include <cstdint>
#include <string>
#include <vector>

enum : uint8_t {
    kPacketRole = 1,        // sub-type (byte 3) 0 appearance, 1 join
    kPacketObjRemove = 2,
    kPacketRoleState = 3,   // sub-type (byte 3) 0-150
    kPacketObjState = 7,
    kPacketNewMagic = 8,
    kPacketText = 10,
    kPacketClock = 11,
    kPacketWeather = 12,
    kPacketLeaveAck = 13,
    kPacketReset = 14,
    kPacketOrder = 240,
};

constexpr int kRoleAppearLength = 18;
constexpr int kObjRemoveLength = 3;
constexpr int kObjStateLength = 4;

// Length in bytes by byte 0 (and byte 3 for types 1 and 3); 0 for a text
// packet and for a type that does not exist. Byte 3 is read only for types
// 1 and 3, whose packets are longer than that.
int GetPacketLength(const uint8_t* packet);
// Length of a packet held in `size` bytes: the fixed length, or for a text
// packet the bytes up to and including its NUL; 0 when the type does not
// exist or the bytes end first.
int GetPacketLengthIn(const uint8_t* packet, int size);

// 1 when byte 0 is `type` and the sub-type matches: byte 3 for types 1 and 3,
// byte 1 for type 13; any other type matches only for sub -1.
int IsPacketType(const uint8_t* packet, int type, int sub);

// A text packet in a new buffer owned by the caller (delete[]): byte 10,
// the text, its NUL; *length = text length + 2.
void MakeTextPacket(const char* text, uint8_t** data, int* length);
// The same as a byte vector.
std::vector<uint8_t> BuildTextPacket(const std::string& text);

// Little-endian field helpers.
inline void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// The role-appearance packet (type 1, sub-type 0).
struct RoleAppearFields {
    uint32_t handle = 0;
    uint16_t descId = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t anim = 0;
    int32_t camp = 0;
    uint32_t roleBits = 0;
};
void BuildRoleAppearPacket(const RoleAppearFields& f, uint8_t out[kRoleAppearLength]);
void BuildObjRemovePacket(uint32_t handle, uint8_t out[kObjRemoveLength]);
void BuildObjStatePacket(uint32_t handle, uint8_t state, uint8_t out[kObjStateLength]);
