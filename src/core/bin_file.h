#pragma once
// Whole-file reading through the shared pack-aware file object.
#include <cstdint>
#include <vector>

// 1 when the path opens (from a pack or from disk), else 0.
int FileExists(const char* path);

class CBinFile {
public:
    // Reads the whole file into memory; 0 when it does not open, is empty,
    // or the read falls short. The position starts at 0.
    int Load(const char* path);
    // Copies size * count bytes from the position and advances; 0 and
    // nothing copied when that would pass the end, else count.
    int Read(void* buffer, int size, int count);
    void Free();

    const uint8_t* GetData() const { return data_.data(); }
    int GetSize() const { return size_; }
    int GetPos() const { return pos_; }

private:
    std::vector<uint8_t> data_;
    int pos_ = 0;
    int size_ = 0;
};
