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

// ---------------------------------------------------------------- codec
// Every layout that crosses between server and client, written and read by
// one pair of functions so writer and reader cannot drift apart. Fields
// wider than their slot travel as their low bits; a handle travels as its
// low 16 bits (bit 15 the low generation bit).
enum : uint8_t {
    kPacketCell = 4,
    kPacketStateCode = 5,
    kPacketReserved = 6,
    kPacketAttachedMagic = 9,
    kPacketRevive = 241,
};
// Sub-types of type 3 (role sub-command).
enum : uint8_t {
    kRoleSubSprite = 1,
    kRoleSubDeath = 51,
    kRoleSubMotion = 52,
    kRoleSubCamp = 101,
    kRoleSubAnim = 102,
};
// Sub-types of type 14 (screen notice).
enum : uint8_t {
    kNoticeVersus = 19,
    kNoticeTimer = 57,
};
constexpr int kCommandLength = 18;
constexpr int kReviveLength = 2;
// The longest fixed layout; a text packet is as long as its text plus 2.
constexpr int kMaxFixedPacketLength = 18;

struct PacketFields {
    uint8_t type = 0;
    // Byte 3 of types 1 and 3; byte 1 of types 13, 14 and 241.
    uint8_t sub = 0;
    // Bytes 1-2 of types 1, 2, 3, 4, 5, 7, 9 (owner) and 240.
    uint32_t handle = 0;
    // 1/0 model id, 1/1 scene id, 8 magic id, 9 skill id.
    int32_t id = 0;
    // Pixel position (1/0, 4, 8) or target point (9).
    int32_t x = 0;
    int32_t y = 0;
    // 1/0.
    int32_t anim = 0;
    int32_t camp = 0;
    uint32_t bits = 0;
    // 1/1: the scene's weather record as the join carries it.
    int32_t ambient = 0;
    int32_t night = 0;
    int32_t day = 0;
    int32_t column6 = 0;
    // 1/1 and 12: weather kind and its ticks left (duration).
    int32_t weather = 0;
    int32_t duration = 0;
    // 3: the sub-type's argument (death mode, motion, camp, animation);
    // 5: state number plus 128 when set; 7: building state; 14: the signed
    // value.
    int32_t value = 0;
    // 4.
    int32_t cellX = 0;
    int32_t cellY = 0;
    int32_t speed = 0;
    // 11.
    int32_t year = 0;
    int32_t month = 0;
    int32_t mday = 0;
    int32_t hour = 0;
    int32_t tick = 0;
    // 240.
    int32_t code = 0;
    int32_t a = 0;
    int32_t b = 0;
    int32_t c = 0;
    // 10 (up to its first NUL).
    std::string text;
};

// The bytes of `f` into `out` (room for `size` bytes): their count, or 0
// when the type (or its sub-type) has no layout or the room is short. Bytes
// without meaning (3-4 of 240, 14 of 1/1) are written as zeros.
int WritePacket(const PacketFields& f, uint8_t* out, int size);
// The same into a vector (empty for no layout).
std::vector<uint8_t> WritePacket(const PacketFields& f);
// Reads a packet of `length` bytes: 1 with its fields, 0 when the type has
// no layout or the bytes end before the layout does (a text packet must
// hold its NUL). Nothing past `length` is read.
int ReadPacket(const uint8_t* data, int length, PacketFields* f);
