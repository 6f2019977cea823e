#pragma once
// PNG files through libpng: 8-bit RGB, rows packed.
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Writes width x height RGB pixels (3 bytes each) to a native path.
bool WritePngRgb(const std::string& nativePath, int32_t width, int32_t height, const uint8_t* rgb);

// Reads a PNG as 8-bit RGB (alpha dropped, palette and grey expanded).
bool ReadPngRgb(const std::string& nativePath, int32_t* width, int32_t* height, std::vector<uint8_t>* rgb);

} // namespace plat
