#include "datagen/pack_writer.h"

#include <cstring>

#include "datagen/bytes.h"

namespace datagen {

namespace {

void PutU32(std::string& s, size_t at, uint32_t v) {
    for (int b = 0; b < 4; ++b) s[at + size_t(b)] = char((v >> (8 * b)) & 0xFF);
}

uint32_t GetU32(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int b = 0; b < 4; ++b) v |= uint32_t(uint8_t(s[at + size_t(b)])) << (8 * b);
    return v;
}

} // namespace

uint32_t DefaultPackKey(size_t i) { return 0x9E3779B9u * uint32_t(i + 1) + 0x1234567u; }

std::string BuildPack(const std::vector<PackItem>& items, bool scrambled, const std::vector<uint32_t>* keys) {
    const size_t n = items.size();
    if (keys && keys->size() != n) return {};
    for (const PackItem& it : items)
        if (it.name.size() > 127) return {};

    std::string out = Bytes().U32(uint32_t(n) | (scrambled ? 0x80000000u : 0u)).str();
    out.resize(4 + n * 136, '\0');
    for (size_t i = 0; i < n; ++i) {
        const size_t e = PackEntryPos(i);
        std::memcpy(&out[e], items[i].name.data(), items[i].name.size());
        PutU32(out, e + 128, uint32_t(out.size()));
        PutU32(out, e + 132, uint32_t(items[i].data.size()));
        const size_t at = out.size();
        out += items[i].data;
        if (scrambled) {
            const uint32_t k = keys ? (*keys)[i] : DefaultPackKey(i);
            for (uint32_t j = 0; j < items[i].data.size() / 4; ++j)
                PutU32(out, at + j * 4, GetU32(out, at + j * 4) + k + 99u * j * j);
        }
    }
    if (scrambled) {
        for (size_t i = 0; i < n; ++i) {
            const uint32_t k = keys ? (*keys)[i] : DefaultPackKey(i);
            const size_t e = PackEntryPos(i);
            for (uint32_t j = 0; j < 34; ++j) PutU32(out, e + j * 4, GetU32(out, e + j * 4) + k + 9u * j * j * j);
            out += Bytes().U32(k).str();
        }
        out.append(97 * 4, '\0');
    }
    return out;
}

bool WritePack(const std::string& path, const std::vector<PackItem>& items, bool scrambled,
               const std::vector<uint32_t>* keys) {
    std::string bytes = BuildPack(items, scrambled, keys);
    if (bytes.empty()) return false;
    return WriteBytes(path, bytes);
}

} // namespace datagen
