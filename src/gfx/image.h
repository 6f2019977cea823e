#pragma once
// The abstract picture shared by surfaces and library frames, and the frame
// header that starts every picture inside a resource library entry.
//
// Frame header (48 bytes, little-endian; read field by field):
//   0  signature (3 letters + NUL; never compared)   25 u8 alpha plane present
//   5  i32 width                                     26 u8 own pixel buffer
//   9  i32 width addend (size restoration only)      27 u8 copy pixels into it
//  13  i32 height                                    28 u8 alpha plane compressed
//  17  i32 height addend                             29 u32 colour key (raw)
//  21  u8 bits per pixel (8, 16, 24)                 33 u32 compressed alpha size
//  22  u8 format byte                                37 u8 size-altered flag
//  23  u8 RLE flag                                   38 u8 width divisor index
//                                                    39 u8 height divisor index
// Then the alpha plane when present (width x height bytes, or the compressed
// size: u32 row offsets + run rows counted in pixels), then the pixels (raw
// rows, or u32 row offsets + run rows counted in bytes).
#include <cstdint>

#include "core/geometry.h"

class CSurface;

namespace frame {
constexpr uint32_t kHeaderSize = 48;
constexpr int kWidth = 5;
constexpr int kWidthAdd = 9;
constexpr int kHeight = 13;
constexpr int kHeightAdd = 17;
constexpr int kBits = 21;
constexpr int kFormat = 22;
constexpr int kRle = 23;
constexpr int kAlpha = 25;
constexpr int kOwnBuffer = 26;
constexpr int kCopy = 27;
constexpr int kAlphaCompressed = 28;
constexpr int kColorKey = 29;
constexpr int kAlphaSize = 33;
constexpr int kSizeAltered = 37;
constexpr int kWidthDiv = 38;
constexpr int kHeightDiv = 39;
} // namespace frame

// Divisors of the frame-size restoration. The library writer stores an
// altered RLE frame's width as (width - addend) x D[i] + r with r < D[i], so
// width / D[i] + addend gives the size back; tools/datagen/image_encoder.h
// holds the same table and a test keeps the two equal.
inline constexpr uint32_t kFrameSizeDivisors[8] = {1, 2, 3, 4, 5, 6, 8, 16};

// Restores an altered RLE frame's size in place (only when both the RLE and
// the size-altered flags are set), then clears the flag so a frame is
// restored once per load. 0 when a divisor index lies outside the table or
// the restored size does not fit 32 bits: the header is left untouched and
// the frame must be refused. The header must hold 48 bytes.
int RestoreFrameSize(uint8_t* header);

// Little-endian field reads from frame and library data.
inline uint32_t LeU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
inline uint16_t LeU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline int32_t LeI32(const uint8_t* p) { return static_cast<int32_t>(LeU32(p)); }
inline void PutLeU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

class CImage {
public:
    virtual ~CImage() = default;
    virtual int IsRle() { return 0; }
    // Attaches the picture to a frame of `size` bytes (header included) in
    // memory that outlives the picture. 0 when the frame is malformed: the
    // picture then draws nothing.
    virtual int Attach(uint8_t* frameHeader, uint32_t size) {
        (void)frameHeader;
        (void)size;
        return 1;
    }
    // Draws the rectangle (srcX, srcY, w, h) of this picture at (x, y) on dst.
    virtual int Blt(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                    int32_t mode, int32_t level, const CGameRect* clip) {
        (void)dst, (void)x, (void)y, (void)w, (void)h, (void)srcX, (void)srcY, (void)mode, (void)level, (void)clip;
        return 1;
    }
    // Draws the whole picture at (x, y) on dst.
    virtual int Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) {
        (void)dst, (void)x, (void)y, (void)mode, (void)level, (void)clip;
        return 1;
    }
    // 0 surface, 4 raw image, 6 RLE image.
    virtual int Kind() = 0;

    int32_t m_OriginX = 0;
    int32_t m_OriginY = 0;
    int32_t m_Width = 0;
    int32_t m_Height = 0;
    int32_t m_PixelCount = 0;
    uint8_t m_BitsPerPixel = 8;
    uint8_t m_Format = 8;
    uint8_t* m_pAlpha = nullptr;
    uint8_t m_AlphaCompressed = 0;
};

// Draw modes (level 0-15; -1 = none).
enum : int32_t {
    kDrawCopy = 0,
    kDrawCopy1 = 1,
    kDrawAlpha = 2,
    kDrawBlend = 3,
    kDrawTable = 4,
    kDrawAlphaFaded = 5,
};

// Where the parts of a frame lie, after the header was checked against the
// bytes that hold it.
struct FrameLayout {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 16;
    uint8_t* alpha = nullptr;  // null when the frame has no alpha plane
    uint32_t alphaSize = 0;
    bool alphaCompressed = false;
    uint8_t* pixels = nullptr;  // raw rows, or the RLE row offset table
    uint32_t pixelBytes = 0;    // bytes from `pixels` to the end of the frame
};

// Restores the frame's size (RestoreFrameSize) and checks that its size,
// bits per pixel (8, 16 or 24), alpha plane and pixel rows lie inside the
// `size` bytes of the frame; compressed alpha rows and RLE rows are walked
// once. False (with a debugger message) when anything does not fit.
bool ReadFrameLayout(uint8_t* frameHeader, uint32_t size, bool rle, FrameLayout* out);
