#include "datagen/texture_writer.h"

#include <algorithm>

#include "datagen/bytes.h"

namespace datagen {

namespace {

void PutPixel(Bytes& b, uint32_t argb, int bits) {
    b.U8(argb & 0xFF).U8((argb >> 8) & 0xFF).U8((argb >> 16) & 0xFF);
    if (bits == 32) b.U8(argb >> 24);
}

} // namespace

std::string BmpBytes(const RgbaImage& img, int bits, bool topDown) {
    std::vector<uint32_t> palette;
    if (bits == 8) {
        for (uint32_t p : img.pixels) {
            const uint32_t rgb = p & 0xFFFFFF;
            if (std::find(palette.begin(), palette.end(), rgb) == palette.end() && palette.size() < 256)
                palette.push_back(rgb);
        }
    }
    const int bpp = bits / 8;
    const uint32_t rowBytes = static_cast<uint32_t>((img.width * bits + 31) / 32 * 4);
    const uint32_t paletteBytes = static_cast<uint32_t>(palette.size() * 4);
    const uint32_t offset = 14 + 40 + paletteBytes;
    Bytes b;
    b.U8('B').U8('M').U32(offset + rowBytes * img.height).U32(0).U32(offset);
    b.U32(40).I32(img.width).I32(topDown ? -img.height : img.height).U16(1).U16(static_cast<uint16_t>(bits));
    b.U32(0).U32(rowBytes * img.height).I32(2835).I32(2835).U32(static_cast<uint32_t>(palette.size())).U32(0);
    for (uint32_t c : palette) b.U32(c);
    for (int32_t i = 0; i < img.height; ++i) {
        const int32_t y = topDown ? i : img.height - 1 - i;
        uint32_t written = 0;
        for (int32_t x = 0; x < img.width; ++x) {
            const uint32_t p = img.At(x, y);
            if (bits == 8) {
                const auto it = std::find(palette.begin(), palette.end(), p & 0xFFFFFF);
                b.U8(static_cast<uint8_t>(it == palette.end() ? 0 : it - palette.begin()));
            } else {
                PutPixel(b, bits == 32 ? (p | 0xFF000000u) : p, bits);
            }
            written += static_cast<uint32_t>(bits == 8 ? 1 : bpp);
        }
        for (; written < rowBytes; ++written) b.U8(0);
    }
    return b.str();
}

std::string TgaHeader(int imageType, int width, int height, int bits, bool topDown, int idLength, int colorMapType) {
    Bytes b;
    b.U8(static_cast<uint8_t>(idLength)).U8(static_cast<uint8_t>(colorMapType)).U8(static_cast<uint8_t>(imageType));
    b.U16(0).U16(0).U8(0);  // colour map spec
    b.U16(0).U16(0).U16(static_cast<uint16_t>(width)).U16(static_cast<uint16_t>(height));
    b.U8(static_cast<uint8_t>(bits)).U8(static_cast<uint8_t>((topDown ? 0x20 : 0) | (bits == 32 ? 8 : 0)));
    return b.str();
}

std::string TgaBytes(const RgbaImage& img, int bits, bool rle, bool topDown, const std::string& id) {
    Bytes b;
    b.Raw(TgaHeader(rle ? 10 : 2, img.width, img.height, bits, topDown, static_cast<int>(id.size())));
    b.Raw(id);
    const uint32_t mask = bits == 32 ? 0xFFFFFFFFu : 0x00FFFFFFu;
    for (int32_t i = 0; i < img.height; ++i) {
        const int32_t y = topDown ? i : img.height - 1 - i;
        if (!rle) {
            for (int32_t x = 0; x < img.width; ++x) PutPixel(b, img.At(x, y), bits);
            continue;
        }
        int32_t x = 0;
        while (x < img.width) {
            int32_t run = 1;
            while (x + run < img.width && run < 128 && (img.At(x + run, y) & mask) == (img.At(x, y) & mask)) ++run;
            if (run >= 2) {
                b.U8(static_cast<uint8_t>(0x80 | (run - 1)));
                PutPixel(b, img.At(x, y), bits);
                x += run;
                continue;
            }
            int32_t lit = 1;
            while (x + lit < img.width && lit < 128 &&
                   !(x + lit + 1 < img.width && (img.At(x + lit, y) & mask) == (img.At(x + lit + 1, y) & mask)))
                ++lit;
            b.U8(static_cast<uint8_t>(lit - 1));
            for (int32_t k = 0; k < lit; ++k) PutPixel(b, img.At(x + k, y), bits);
            x += lit;
        }
    }
    return b.str();
}

} // namespace datagen
