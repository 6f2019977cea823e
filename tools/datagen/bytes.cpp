#include "datagen/bytes.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace datagen {

Bytes& Bytes::F32(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    return U32(u);
}

Bytes& Bytes::Fixed(std::string_view text, size_t n) {
    std::string b(text.substr(0, n));
    b.resize(n, '\0');
    s_.append(b);
    return *this;
}

bool WriteBytes(const std::string& nativePath, std::string_view bytes) {
    std::filesystem::path p(nativePath);
    std::error_code ec;
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    std::ofstream out(nativePath, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace datagen
