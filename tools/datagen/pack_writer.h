#pragma once
// Writer of pack files (".fol"): header word (bit 31 scrambled, bits 0-30
// entry count N), N index entries of 136 bytes (name[128] NUL-padded, u32
// offset, u32 size), the entries' data in index order, and for scrambled
// packs N u32 entry keys followed by 97 u32 words of zero.
//
// Scrambling, all u32 little-endian and mod 2^32, with K the entry's key:
// index word j (0..33) is stored as plain + K + 9*j*j*j; data word j
// (0 .. size/4 - 1) as plain + K + 99*j*j; the last size % 4 bytes plain.
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

struct PackItem {
    std::string name;  // path relative to the pack's folder, e.g. "sub\\a.txt"
    std::string data;
};

// The key entry i gets unless keys are given.
uint32_t DefaultPackKey(size_t i);

// The whole pack as bytes; empty when a name does not fit 127 bytes or the
// keys do not match the items.
std::string BuildPack(const std::vector<PackItem>& items, bool scrambled,
                      const std::vector<uint32_t>* keys = nullptr);
// Paths are native (as datagen::WriteBytes takes them).
bool WritePack(const std::string& path, const std::vector<PackItem>& items, bool scrambled,
               const std::vector<uint32_t>* keys = nullptr);

// Byte offset of index entry i and of its name/offset/size fields, for tests
// that patch a pack by hand.
constexpr size_t PackEntryPos(size_t i) { return 4 + i * 136; }

} // namespace datagen
