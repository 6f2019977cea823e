#include "support/packet_decode.h"

#include <cstdarg>
#include <cstdio>

#include "core/packet.h"

namespace testsupport {

namespace {

std::string Fmt(const char* f, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* f, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, f);
    std::vsnprintf(buf, sizeof buf, f, ap);
    va_end(ap);
    return buf;
}

unsigned U(int32_t v) { return static_cast<unsigned>(v); }

} // namespace

std::string DecodePacket(const std::vector<uint8_t>& b) {
    if (b.empty()) return "bad empty";
    PacketFields f;
    const int n = static_cast<int>(b.size());
    if (b[0] == kPacketText) {
        if (n < 2 || b.back() != 0 || !ReadPacket(b.data(), n, &f) || f.text.size() + 2 != b.size())
            return Fmt("bad text len=%zu", b.size());
        return "text \"" + f.text + "\"";
    }
    // Exactly the layout's length: a longer buffer is as wrong as a shorter.
    if (!ReadPacket(b.data(), n, &f) || GetPacketLength(b.data()) != n) return Fmt("bad type=%u len=%zu", b[0], b.size());
    const unsigned h = f.handle & 0xFFFF;
    switch (f.type) {
    case 1:
        if (f.sub == 0)
            return Fmt("appear h=%u model=%u x=%u y=%u anim=%u camp=%u bits=%u", h, U(f.id), U(f.x), U(f.y), U(f.anim),
                       U(f.camp), f.bits);
        return Fmt("join h=%u scene=%u ambient=%u night=%u day=%u col6=%u weather=%u left=%u pad=%u", h, U(f.id),
                   U(f.ambient), U(f.night), U(f.day), U(f.column6), U(f.weather), U(f.duration), b[14]);
    case 2: return Fmt("remove h=%u", h);
    case 3:
        if (f.sub == 1) return Fmt("objtext h=%u", h);
        if (f.sub == 51) return Fmt("death h=%u mode=%u", h, U(f.value));
        if (f.sub == 52) return Fmt("motion h=%u m=%u", h, U(f.value));
        return Fmt("role h=%u sub=%u ...", h, f.sub);
    case 4:
        return Fmt("cell h=%u x=%u y=%u cx=%u cy=%u speed=%u", h, U(f.x), U(f.y), U(f.cellX), U(f.cellY), U(f.speed));
    case 7: return Fmt("objstate h=%u state=%u", h, U(f.value));
    case 8: return Fmt("magic id=%u x=%u y=%u", U(f.id), U(f.x), U(f.y));
    case 9: return Fmt("attached h=%u skill=%u x=%u y=%u", h, U(f.id), U(f.x), U(f.y));
    case 11: return Fmt("clock y=%u m=%u d=%u h=%u t=%u", U(f.year), U(f.month), U(f.mday), U(f.hour), U(f.tick));
    case 12: return Fmt("weather kind=%u dur=%u", U(f.weather), U(f.duration));
    case 13: return Fmt("host sub=%u", f.sub);
    case 14: return Fmt("notice sub=%u value=%d", f.sub, f.value);
    default: return Fmt("type=%u len=%zu", b[0], b.size());
    }
}

std::vector<std::string> DecodePackets(const std::vector<std::vector<uint8_t>>& packets) {
    std::vector<std::string> out;
    for (const auto& p : packets) out.push_back(DecodePacket(p));
    return out;
}

std::vector<uint8_t> JoinBytes(uint16_t handle, uint16_t scene, uint16_t ambient, uint8_t night, uint8_t day,
                               uint8_t column6, uint8_t weather, uint16_t countdown) {
    PacketFields f;
    f.type = kPacketRole;
    f.sub = 1;
    f.handle = handle;
    f.id = scene;
    f.ambient = ambient;
    f.night = night;
    f.day = day;
    f.column6 = column6;
    f.weather = weather;
    f.duration = countdown;
    return WritePacket(f);
}

std::vector<uint8_t> ClockBytes(uint16_t year, uint8_t month, uint8_t day, uint8_t hour, uint16_t tick) {
    PacketFields f;
    f.type = kPacketClock;
    f.year = year;
    f.month = month;
    f.mday = day;
    f.hour = hour;
    f.tick = tick;
    return WritePacket(f);
}

} // namespace testsupport
