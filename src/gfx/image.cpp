#include "gfx/image.h"

#include <limits>

#include "gfx/kernels.h"
#include "platform/debug.h"

int RestoreFrameSize(uint8_t* h) {
    if (h[frame::kRle] == 0 || h[frame::kSizeAltered] == 0) return 1;
    const uint8_t wi = h[frame::kWidthDiv], hi = h[frame::kHeightDiv];
    if (wi >= 8 || hi >= 8) return 0;
    // Signed 32-bit division truncating toward zero; the addend in 64 bits
    // so a hostile one cannot overflow.
    const int64_t w = static_cast<int64_t>(LeI32(h + frame::kWidth) / static_cast<int64_t>(kFrameSizeDivisors[wi])) +
                      LeI32(h + frame::kWidthAdd);
    const int64_t ht =
        static_cast<int64_t>(LeI32(h + frame::kHeight) / static_cast<int64_t>(kFrameSizeDivisors[hi])) +
        LeI32(h + frame::kHeightAdd);
    constexpr int64_t lo = std::numeric_limits<int32_t>::min(), hiLimit = std::numeric_limits<int32_t>::max();
    if (w < lo || w > hiLimit || ht < lo || ht > hiLimit) return 0;
    PutLeU32(h + frame::kWidth, static_cast<uint32_t>(static_cast<int32_t>(w)));
    PutLeU32(h + frame::kHeight, static_cast<uint32_t>(static_cast<int32_t>(ht)));
    h[frame::kSizeAltered] = 0;
    return 1;
}

namespace {

bool Refuse(const char* why) {
    plat::DebugPrintf("Image frame refused: %s\n", why);
    return false;
}

} // namespace

bool ReadFrameLayout(uint8_t* h, uint32_t size, bool rle, FrameLayout* out) {
    if (!h || size < frame::kHeaderSize) return Refuse("shorter than its header");
    if (!RestoreFrameSize(h)) return Refuse("size divisor index outside the table");
    FrameLayout L;
    L.width = LeI32(h + frame::kWidth);
    L.height = LeI32(h + frame::kHeight);
    L.bitsPerPixel = h[frame::kBits];
    if (L.width < 0 || L.height < 0) return Refuse("negative size");
    if (L.bitsPerPixel != 8 && L.bitsPerPixel != 16 && L.bitsPerPixel != 24) return Refuse("bits per pixel");
    const uint64_t bpp = static_cast<uint64_t>(L.bitsPerPixel / 8);
    const uint64_t rowBytes = static_cast<uint64_t>(L.width) * bpp;
    if (rowBytes > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return Refuse("row too wide");
    const uint64_t area = static_cast<uint64_t>(L.width) * static_cast<uint64_t>(L.height);

    uint8_t* p = h + frame::kHeaderSize;
    uint64_t rest = size - frame::kHeaderSize;
    if (h[frame::kAlpha]) {
        L.alpha = p;
        L.alphaCompressed = h[frame::kAlphaCompressed] != 0;
        const uint64_t asz = L.alphaCompressed ? LeU32(h + frame::kAlphaSize) : area;
        if (asz > rest) return Refuse("alpha plane past the end of the frame");
        if (L.alphaCompressed && !RleAlphaRowsValid(p, static_cast<uint32_t>(asz), L.height, L.width))
            return Refuse("malformed compressed alpha rows");
        L.alphaSize = static_cast<uint32_t>(asz);
        p += asz;
        rest -= asz;
    }
    L.pixels = p;
    L.pixelBytes = static_cast<uint32_t>(rest);
    if (rle) {
        if (!RleRowsValid(p, L.pixelBytes, L.height, static_cast<int32_t>(rowBytes), static_cast<int32_t>(bpp)))
            return Refuse("malformed RLE rows");
    } else if (area * bpp > rest) {
        return Refuse("pixels past the end of the frame");
    }
    *out = L;
    return true;
}
