#include "core/packet.h"

#include <cstring>

int GetPacketLength(const uint8_t* packet) {
    if (!packet) return 0;
    switch (packet[0]) {
    case 1: return packet[3] == 0 ? 18 : (packet[3] == 1 ? 15 : 0);
    case 2: return 3;
    case 3: {
        // Byte 3 is read only for the types that have one: a 3-byte removal
        // packet must not be read past its end.
        const uint8_t sub = packet[3];
        if (sub <= 50) return 4;
        if (sub <= 100) return 5;
        if (sub <= 150) return 6;
        return 0;
    }
    case 4: return 12;
    case 5: return 4;
    case 6: return 11;
    case 7: return 4;
    case 8: return 7;
    case 9: return 9;
    case 11: return 8;
    case 12: return 4;
    case 13: return 2;
    case 14: return 4;
    case 240: return 18;
    default: return 0;
    }
}

int GetPacketLengthIn(const uint8_t* packet, int size) {
    if (!packet || size < 1) return 0;
    if (packet[0] == kPacketText) {
        const void* nul = std::memchr(packet + 1, 0, static_cast<size_t>(size - 1));
        if (!nul) return 0;
        return static_cast<int>(static_cast<const uint8_t*>(nul) - packet) + 1;
    }
    // Byte 3 decides only for types 1 and 3; a shorter buffer cannot hold
    // any packet of those types anyway.
    uint8_t head[4] = {packet[0], 0, 0, 0};
    if (size >= 4) std::memcpy(head, packet, 4);
    else if ((packet[0] == 1 || packet[0] == 3)) return 0;
    const int n = GetPacketLength(head);
    return n <= size ? n : 0;
}

int IsPacketType(const uint8_t* packet, int type, int sub) {
    if (!packet || packet[0] != static_cast<uint8_t>(type)) return 0;
    if (type == 1 || type == 3) return packet[3] == static_cast<uint8_t>(sub) ? 1 : 0;
    if (type == 13) return packet[1] == static_cast<uint8_t>(sub) ? 1 : 0;
    return sub == -1 ? 1 : 0;
}

void MakeTextPacket(const char* text, uint8_t** data, int* length) {
    const char* t = text ? text : "";
    const size_t n = std::strlen(t);
    uint8_t* p = new uint8_t[n + 2];
    p[0] = kPacketText;
    std::memcpy(p + 1, t, n + 1);
    if (data) *data = p;
    else delete[] p;
    if (length) *length = static_cast<int>(n + 2);
}

std::vector<uint8_t> BuildTextPacket(const std::string& text) {
    // Up to the first NUL, as the C string would be.
    const size_t n = std::strlen(text.c_str());
    std::vector<uint8_t> v(n + 2, 0);
    v[0] = kPacketText;
    std::memcpy(v.data() + 1, text.data(), n);
    return v;
}

void BuildRoleAppearPacket(const RoleAppearFields& f, uint8_t out[kRoleAppearLength]) {
    out[0] = kPacketRole;
    PutU16(out + 1, static_cast<uint16_t>(f.handle & 0xFFFF));
    out[3] = 0;
    PutU16(out + 4, f.descId);
    PutU16(out + 6, f.x);
    PutU16(out + 8, f.y);
    PutU16(out + 10, f.anim);
    PutU16(out + 12, static_cast<uint16_t>(static_cast<uint32_t>(f.camp) & 0xFFFF));
    PutU32(out + 14, f.roleBits);
}

void BuildObjRemovePacket(uint32_t handle, uint8_t out[kObjRemoveLength]) {
    out[0] = kPacketObjRemove;
    PutU16(out + 1, static_cast<uint16_t>(handle & 0xFFFF));
}

void BuildObjStatePacket(uint32_t handle, uint8_t state, uint8_t out[kObjStateLength]) {
    out[0] = kPacketObjState;
    PutU16(out + 1, static_cast<uint16_t>(handle & 0xFFFF));
    out[3] = state;
}
