#include "support/packet_decode.h"

#include <cstdarg>
#include <cstdio>

namespace testsupport {

namespace {

unsigned U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
unsigned U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<unsigned>(b[at + 3]) << 24);
}

// The length a packet of this head must have; 0 for none, -1 for a text.
int Expected(const std::vector<uint8_t>& b) {
    switch (b[0]) {
    case 1: return b.size() < 4 ? 0 : b[3] == 0 ? 18 : b[3] == 1 ? 15 : 0;
    case 2: return 3;
    case 3: return b.size() < 4 ? 0 : b[3] <= 50 ? 4 : b[3] <= 100 ? 5 : b[3] <= 150 ? 6 : 0;
    case 4: return 12;
    case 5: case 7: case 12: case 14: return 4;
    case 6: return 11;
    case 8: return 7;
    case 9: return 9;
    case 10: return -1;
    case 11: return 8;
    case 13: return 2;
    default: return 0;
    }
}

std::string Fmt(const char* f, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* f, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, f);
    std::vsnprintf(buf, sizeof buf, f, ap);
    va_end(ap);
    return buf;
}

} // namespace

std::string DecodePacket(const std::vector<uint8_t>& b) {
    if (b.empty()) return "bad empty";
    const int want = Expected(b);
    if (want == -1) {
        if (b.size() < 2 || b.back() != 0) return Fmt("bad text len=%zu", b.size());
        return "text \"" + std::string(b.begin() + 1, b.end() - 1) + "\"";
    }
    if (want == 0 || static_cast<size_t>(want) != b.size())
        return Fmt("bad type=%u len=%zu", b[0], b.size());
    switch (b[0]) {
    case 1:
        if (b[3] == 0)
            return Fmt("appear h=%u model=%u x=%u y=%u anim=%u camp=%u bits=%u", U16(b, 1), U16(b, 4), U16(b, 6),
                       U16(b, 8), U16(b, 10), U16(b, 12), U32(b, 14));
        return Fmt("join h=%u scene=%u ambient=%u night=%u day=%u col6=%u weather=%u left=%u pad=%u", U16(b, 1),
                   U16(b, 4), U16(b, 6), b[8], b[9], b[10], b[11], U16(b, 12), b[14]);
    case 2: return Fmt("remove h=%u", U16(b, 1));
    case 3:
        if (b[3] == 1) return Fmt("objtext h=%u", U16(b, 1));
        if (b[3] == 51) return Fmt("death h=%u mode=%u", U16(b, 1), b[4]);
        if (b[3] == 52) return Fmt("motion h=%u m=%u", U16(b, 1), b[4]);
        return Fmt("role h=%u sub=%u ...", U16(b, 1), b[3]);
    case 4:
        return Fmt("cell h=%u x=%u y=%u cx=%u cy=%u speed=%u", U16(b, 1), U16(b, 3), U16(b, 5), U16(b, 7), U16(b, 9),
                   b[11]);
    case 7: return Fmt("objstate h=%u state=%u", U16(b, 1), b[3]);
    case 8: return Fmt("magic id=%u x=%u y=%u", U16(b, 1), U16(b, 3), U16(b, 5));
    case 9: return Fmt("attached h=%u skill=%u x=%u y=%u", U16(b, 1), U16(b, 3), U16(b, 5), U16(b, 7));
    case 11: return Fmt("clock y=%u m=%u d=%u h=%u t=%u", U16(b, 1), b[3], b[4], b[5], U16(b, 6));
    case 12: return Fmt("weather kind=%u dur=%u", b[1], U16(b, 2));
    case 13: return Fmt("host sub=%u", b[1]);
    case 14: return Fmt("notice sub=%u value=%d", b[1], static_cast<int16_t>(U16(b, 2)));
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
    return {1,
            static_cast<uint8_t>(handle),
            static_cast<uint8_t>(handle >> 8),
            1,
            static_cast<uint8_t>(scene),
            static_cast<uint8_t>(scene >> 8),
            static_cast<uint8_t>(ambient),
            static_cast<uint8_t>(ambient >> 8),
            night,
            day,
            column6,
            weather,
            static_cast<uint8_t>(countdown),
            static_cast<uint8_t>(countdown >> 8),
            0};
}

std::vector<uint8_t> ClockBytes(uint16_t year, uint8_t month, uint8_t day, uint8_t hour, uint16_t tick) {
    return {11, static_cast<uint8_t>(year), static_cast<uint8_t>(year >> 8), month, day, hour,
            static_cast<uint8_t>(tick), static_cast<uint8_t>(tick >> 8)};
}

} // namespace testsupport
