#pragma once
// Writers for the effect textures: BMP (8, 24 or 32 bits) and TGA (true
// colour, plain or run-length, 24 or 32 bits).
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

// Pixels 0xAARRGGBB, the top row first.
struct RgbaImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// An image whose pixel (x, y) is fn(x, y).
template <typename Fn>
RgbaImage MakeImage(int32_t w, int32_t h, Fn fn) {
    RgbaImage img;
    img.width = w;
    img.height = h;
    img.pixels.resize(static_cast<size_t>(w) * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) img.pixels[static_cast<size_t>(y) * w + x] = fn(x, y);
    return img;
}

// BMP file: 24 or 32 bits (BI_RGB), or 8 bits with a palette of the image's
// distinct colours (at most 256). Rows bottom-up unless topDown (negative
// height). Alpha is not stored.
std::string BmpBytes(const RgbaImage& img, int bits = 24, bool topDown = false);

// The 18-byte TGA header.
std::string TgaHeader(int imageType, int width, int height, int bits, bool topDown, int idLength = 0,
                      int colorMapType = 0);
// TGA file: image type 2 (plain) or 10 (run-length, packets kept within a
// row, runs of 2 or more equal pixels as repeat packets), 24 or 32 bits,
// rows bottom-up unless topDown; `id` is stored as the image ID.
std::string TgaBytes(const RgbaImage& img, int bits, bool rle, bool topDown = false, const std::string& id = "");

} // namespace datagen
