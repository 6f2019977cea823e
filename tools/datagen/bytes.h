#pragma once
// Little-endian byte building for the data-file writers.
#include <cstdint>
#include <string>
#include <string_view>

namespace datagen {

class Bytes {
public:
    Bytes& U8(uint8_t v) { s_.push_back(static_cast<char>(v)); return *this; }
    Bytes& U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    Bytes& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Bytes& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    Bytes& F32(float v);
    Bytes& Raw(std::string_view b) { s_.append(b); return *this; }
    // `text` padded with NULs (or cut) to exactly n bytes.
    Bytes& Fixed(std::string_view text, size_t n);
    const std::string& str() const { return s_; }
    size_t size() const { return s_.size(); }

private:
    std::string s_;
};

// Writes bytes to a native path, creating parent folders. False on failure.
bool WriteBytes(const std::string& nativePath, std::string_view bytes);

} // namespace datagen
