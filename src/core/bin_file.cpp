#include "core/bin_file.h"

#include <cstring>

#include "core/pack_file.h"

int FileExists(const char* path) {
    const int r = g_SharedFile.Open(path, "rb");
    g_SharedFile.Close();
    return r == -2 ? 0 : 1;
}

int CBinFile::Load(const char* path) {
    Free();
    if (g_SharedFile.Open(path, "rb") == -2) return 0;
    const int size = g_SharedFile.GetLength();
    if (size < 1) {
        g_SharedFile.Close();
        return 0;
    }
    data_.resize(size_t(size));
    const int got = g_SharedFile.Read(data_.data(), size, 1);
    g_SharedFile.Close();
    if (got != 1) {
        Free();
        return 0;
    }
    size_ = size;
    return 1;
}

int CBinFile::Read(void* buffer, int size, int count) {
    if (!buffer || size <= 0 || count <= 0) return 0;
    const int64_t n = int64_t(size) * int64_t(count);
    if (int64_t(pos_) + n > size_) return 0;
    std::memcpy(buffer, data_.data() + pos_, size_t(n));
    pos_ += int(n);
    return count;
}

void CBinFile::Free() {
    std::vector<uint8_t>().swap(data_);
    pos_ = 0;
    size_ = 0;
}
