#include "world/buildings/bld_init.h"

#include <cstring>

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

} // namespace

int ParseBldInit(const uint8_t* data, size_t size, BldInitFile* out) {
    out->entries.clear();
    out->complete = false;
    if (size < kBldInitHeaderSize) return 0;
    if (std::memcmp(data, "QuorInit1.00", 13) != 0) return 0;
    const uint16_t count = U16(data + 16);
    out->modelFile.assign(reinterpret_cast<const char*>(data + 18), strnlen(reinterpret_cast<const char*>(data + 18), 177));
    size_t pos = kBldInitHeaderSize;
    for (uint16_t i = 0; i < count; ++i) {
        if (size - pos < 20) return 1;
        BldInitEntry e;
        e.type = U16(data + pos);
        e.modelId = U16(data + pos + 2);
        e.x = static_cast<int32_t>(U32(data + pos + 4));
        e.y = static_cast<int32_t>(U32(data + pos + 8));
        e.dataLength = static_cast<int32_t>(U32(data + pos + 16));
        pos += 20;
        if (e.dataLength > 0) {
            if (size - pos < static_cast<size_t>(e.dataLength)) return 1;
            e.data.assign(reinterpret_cast<const char*>(data + pos), static_cast<size_t>(e.dataLength));
            pos += static_cast<size_t>(e.dataLength);
        }
        if (e.type != 3 && e.type != 4) continue;
        if (e.type == 4) {
            if (size - pos < kBldInitTextSize) return 1;
            std::memcpy(e.text, data + pos, kBldInitTextSize);
            e.text[kBldInitTextSize - 1] = 0;
            pos += kBldInitTextSize;
        }
        out->entries.push_back(std::move(e));
    }
    out->complete = true;
    return 1;
}
