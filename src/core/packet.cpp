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

void BuildRoleAppearPacket(const RoleAppearFields& r, uint8_t out[kRoleAppearLength]) {
    PacketFields f;
    f.type = kPacketRole;
    f.sub = 0;
    f.handle = r.handle;
    f.id = r.descId;
    f.x = r.x;
    f.y = r.y;
    f.anim = r.anim;
    f.camp = r.camp;
    f.bits = r.roleBits;
    WritePacket(f, out, kRoleAppearLength);
}

void BuildObjRemovePacket(uint32_t handle, uint8_t out[kObjRemoveLength]) {
    PacketFields f;
    f.type = kPacketObjRemove;
    f.handle = handle;
    WritePacket(f, out, kObjRemoveLength);
}

void BuildObjStatePacket(uint32_t handle, uint8_t state, uint8_t out[kObjStateLength]) {
    PacketFields f;
    f.type = kPacketObjState;
    f.handle = handle;
    f.value = state;
    WritePacket(f, out, kObjStateLength);
}

namespace {

uint16_t Low16(int64_t v) { return static_cast<uint16_t>(static_cast<uint64_t>(v) & 0xFFFF); }
uint8_t Low8(int64_t v) { return static_cast<uint8_t>(static_cast<uint64_t>(v) & 0xFF); }

// The layout length of a head (type, sub-type); 0 for none, -1 for text.
int LayoutLength(uint8_t type, uint8_t sub) {
    switch (type) {
    case kPacketRole: return sub == 0 ? 18 : (sub == 1 ? 15 : 0);
    case kPacketRoleState: return sub <= 50 ? 4 : sub <= 100 ? 5 : sub <= 150 ? 6 : 0;
    case kPacketText: return -1;
    case kPacketRevive: return kReviveLength;
    default: {
        const uint8_t head[4] = {type, 0, 0, 0};
        return GetPacketLength(head);
    }
    }
}

} // namespace

int WritePacket(const PacketFields& f, uint8_t* out, int size) {
    if (!out) return 0;
    int n = LayoutLength(f.type, f.sub);
    if (n == -1) n = static_cast<int>(std::strlen(f.text.c_str())) + 2;
    if (n <= 0 || size < n) return 0;
    std::memset(out, 0, static_cast<size_t>(n));
    out[0] = f.type;
    switch (f.type) {
    case kPacketRole:
        PutU16(out + 1, Low16(f.handle));
        out[3] = f.sub;
        if (f.sub == 0) {
            PutU16(out + 4, Low16(f.id));
            PutU16(out + 6, Low16(f.x));
            PutU16(out + 8, Low16(f.y));
            PutU16(out + 10, Low16(f.anim));
            PutU16(out + 12, Low16(f.camp));
            PutU32(out + 14, f.bits);
        } else {
            PutU16(out + 4, Low16(f.id));
            PutU16(out + 6, Low16(f.ambient));
            out[8] = Low8(f.night);
            out[9] = Low8(f.day);
            out[10] = Low8(f.column6);
            out[11] = Low8(f.weather);
            PutU16(out + 12, Low16(f.duration));
        }
        break;
    case kPacketObjRemove: PutU16(out + 1, Low16(f.handle)); break;
    case kPacketRoleState:
        PutU16(out + 1, Low16(f.handle));
        out[3] = f.sub;
        if (n == 5) out[4] = Low8(f.value);
        if (n == 6) PutU16(out + 4, Low16(f.value));
        break;
    case kPacketCell:
        PutU16(out + 1, Low16(f.handle));
        PutU16(out + 3, Low16(f.x));
        PutU16(out + 5, Low16(f.y));
        PutU16(out + 7, Low16(f.cellX));
        PutU16(out + 9, Low16(f.cellY));
        out[11] = Low8(f.speed);
        break;
    case kPacketStateCode:
    case kPacketObjState:
        PutU16(out + 1, Low16(f.handle));
        out[3] = Low8(f.value);
        break;
    case kPacketReserved: break;
    case kPacketNewMagic:
        PutU16(out + 1, Low16(f.id));
        PutU16(out + 3, Low16(f.x));
        PutU16(out + 5, Low16(f.y));
        break;
    case kPacketAttachedMagic:
        PutU16(out + 1, Low16(f.handle));
        PutU16(out + 3, Low16(f.id));
        PutU16(out + 5, Low16(f.x));
        PutU16(out + 7, Low16(f.y));
        break;
    case kPacketText: std::memcpy(out + 1, f.text.c_str(), static_cast<size_t>(n - 1)); break;
    case kPacketClock:
        PutU16(out + 1, Low16(f.year));
        out[3] = Low8(f.month);
        out[4] = Low8(f.mday);
        out[5] = Low8(f.hour);
        PutU16(out + 6, Low16(f.tick));
        break;
    case kPacketWeather:
        out[1] = Low8(f.weather);
        PutU16(out + 2, Low16(f.duration));
        break;
    case kPacketLeaveAck: out[1] = f.sub; break;
    case kPacketReset:
        out[1] = f.sub;
        PutU16(out + 2, Low16(f.value));
        break;
    case kPacketOrder:
        PutU16(out + 1, Low16(f.handle));
        out[5] = Low8(f.code);
        PutU32(out + 6, static_cast<uint32_t>(f.a));
        PutU32(out + 10, static_cast<uint32_t>(f.b));
        PutU32(out + 14, static_cast<uint32_t>(f.c));
        break;
    case kPacketRevive: out[1] = f.sub; break;
    default: return 0;
    }
    return n;
}

std::vector<uint8_t> WritePacket(const PacketFields& f) {
    std::vector<uint8_t> v(f.type == kPacketText ? std::strlen(f.text.c_str()) + 2 : kMaxFixedPacketLength);
    const int n = WritePacket(f, v.data(), static_cast<int>(v.size()));
    v.resize(static_cast<size_t>(n));
    return v;
}

int ReadPacket(const uint8_t* d, int length, PacketFields* out) {
    if (!d || length < 1 || !out) return 0;
    PacketFields f;
    f.type = d[0];
    // The sub-type sits in byte 3 for types 1 and 3, which need 4 bytes to
    // have one at all.
    if (f.type == kPacketRole || f.type == kPacketRoleState) {
        if (length < 4) return 0;
        f.sub = d[3];
    } else if (f.type == kPacketLeaveAck || f.type == kPacketReset || f.type == kPacketRevive) {
        if (length < 2) return 0;
        f.sub = d[1];
    }
    const int n = LayoutLength(f.type, f.sub);
    if (n == -1) {
        const void* nul = std::memchr(d + 1, 0, static_cast<size_t>(length - 1));
        if (!nul) return 0;
        f.text.assign(reinterpret_cast<const char*>(d + 1), static_cast<const uint8_t*>(nul) - (d + 1));
        *out = std::move(f);
        return 1;
    }
    if (n <= 0 || length < n) return 0;
    switch (f.type) {
    case kPacketRole:
        f.handle = GetU16(d + 1);
        f.id = GetU16(d + 4);
        if (f.sub == 0) {
            f.x = GetU16(d + 6);
            f.y = GetU16(d + 8);
            f.anim = GetU16(d + 10);
            f.camp = GetU16(d + 12);
            f.bits = GetU32(d + 14);
        } else {
            f.ambient = GetU16(d + 6);
            f.night = d[8];
            f.day = d[9];
            f.column6 = d[10];
            f.weather = d[11];
            f.duration = GetU16(d + 12);
        }
        break;
    case kPacketObjRemove: f.handle = GetU16(d + 1); break;
    case kPacketRoleState:
        f.handle = GetU16(d + 1);
        if (n == 5) f.value = d[4];
        if (n == 6) f.value = GetU16(d + 4);
        break;
    case kPacketCell:
        f.handle = GetU16(d + 1);
        f.x = GetU16(d + 3);
        f.y = GetU16(d + 5);
        f.cellX = GetU16(d + 7);
        f.cellY = GetU16(d + 9);
        f.speed = d[11];
        break;
    case kPacketStateCode:
    case kPacketObjState:
        f.handle = GetU16(d + 1);
        f.value = d[3];
        break;
    case kPacketReserved: break;
    case kPacketNewMagic:
        f.id = GetU16(d + 1);
        f.x = GetU16(d + 3);
        f.y = GetU16(d + 5);
        break;
    case kPacketAttachedMagic:
        f.handle = GetU16(d + 1);
        f.id = GetU16(d + 3);
        f.x = GetU16(d + 5);
        f.y = GetU16(d + 7);
        break;
    case kPacketClock:
        f.year = GetU16(d + 1);
        f.month = d[3];
        f.mday = d[4];
        f.hour = d[5];
        f.tick = GetU16(d + 6);
        break;
    case kPacketWeather:
        f.weather = d[1];
        f.duration = GetU16(d + 2);
        break;
    case kPacketLeaveAck: break;
    case kPacketReset: f.value = static_cast<int16_t>(GetU16(d + 2)); break;
    case kPacketOrder:
        f.handle = GetU16(d + 1);
        f.code = d[5];
        f.a = static_cast<int32_t>(GetU32(d + 6));
        f.b = static_cast<int32_t>(GetU32(d + 10));
        f.c = static_cast<int32_t>(GetU32(d + 14));
        break;
    case kPacketRevive: break;
    default: return 0;
    }
    *out = std::move(f);
    return 1;
}
