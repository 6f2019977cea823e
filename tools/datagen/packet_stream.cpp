#include "datagen/packet_stream.h"

namespace datagen {

namespace {

void Put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

} // namespace

std::string BuildPacketStream(const std::vector<std::vector<uint8_t>>& bodies) {
    std::string out;
    for (const std::vector<uint8_t>& b : bodies) {
        const uint32_t n = static_cast<uint32_t>(b.size());
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(n >> (8 * i)));
        out.append(b.begin(), b.end());
    }
    return out;
}

std::vector<uint8_t> StreamMarker(uint8_t kind, uint32_t value) {
    std::vector<uint8_t> v{0x40, kind};
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return v;
}

std::vector<uint8_t> PacketText(const std::string& text) {
    std::vector<uint8_t> v(text.size() + 2, 0);
    v[0] = 10;
    for (size_t i = 0; i < text.size(); ++i) v[i + 1] = static_cast<uint8_t>(text[i]);
    return v;
}

std::vector<uint8_t> PacketAppear(uint16_t handle, uint16_t model, uint16_t x, uint16_t y, uint16_t camp) {
    std::vector<uint8_t> v{1};
    Put16(v, handle);
    v.push_back(0);
    Put16(v, model);
    Put16(v, x);
    Put16(v, y);
    Put16(v, 0);
    Put16(v, camp);
    for (int i = 0; i < 4; ++i) v.push_back(0);
    return v;
}

std::vector<uint8_t> PacketJoin(uint16_t handle, uint16_t scene, uint8_t weather, uint16_t ticks) {
    std::vector<uint8_t> v{1};
    Put16(v, handle);
    v.push_back(1);
    Put16(v, scene);
    for (int i = 0; i < 5; ++i) v.push_back(0);
    v.push_back(weather);
    Put16(v, ticks);
    v.push_back(0);
    return v;
}

std::vector<uint8_t> PacketRoleSub(uint16_t handle, uint8_t sub, uint16_t value) {
    std::vector<uint8_t> v{3};
    Put16(v, handle);
    v.push_back(sub);
    if (sub >= 51 && sub <= 100) v.push_back(static_cast<uint8_t>(value));
    if (sub >= 101 && sub <= 150) Put16(v, value);
    return v;
}

std::vector<uint8_t> PacketCell(uint16_t handle, uint16_t x, uint16_t y, uint16_t cx, uint16_t cy, uint8_t speed) {
    std::vector<uint8_t> v{4};
    Put16(v, handle);
    Put16(v, x);
    Put16(v, y);
    Put16(v, cx);
    Put16(v, cy);
    v.push_back(speed);
    return v;
}

} // namespace datagen
