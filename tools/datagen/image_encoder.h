#pragma once
// Encoder of image frames, frame tables and animation tables, the contents
// of resource library entries.
//
// Frame: a 48-byte header (see FrameHeader below for the fields written),
// the alpha plane when present, then the pixels.
//   alpha, plain:       width x height bytes
//   alpha, compressed:  height u32 row offsets (from the end of the table),
//                       rows of: u16 skip, then while below the width
//                       u16 run, run bytes, u16 skip (all in pixels)
//   pixels, raw:        height rows of width x 2 bytes
//   pixels, RLE:        height u32 row offsets (from the end of the table),
//                       rows of: u16 skip, then until the row's byte width is
//                       used up: u16 run, run bytes, u16 skip (in bytes)
// Transparent pixels (equal to the colour key) become skips; alpha 0 becomes
// an alpha skip.
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

// Divisors of the frame-size restoration: an altered RLE frame stores
// width as (width - addend) x D[i] + r (r < D[i]) and the game restores it
// as stored / D[i] + addend. src/gfx/image.h holds the same table.
inline constexpr uint32_t kFrameSizeDivisors[8] = {1, 2, 3, 4, 5, 6, 8, 16};
constexpr size_t kFrameHeaderSize = 48;

constexpr uint16_t kKey565 = 0xF81F;
constexpr uint16_t kKey555 = 0x7C1F;

struct ImageFrame {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint16_t> pixels;  // width x height, row by row
    std::vector<uint8_t> alpha;    // empty = no alpha plane; else width x height
    bool rle = false;
    bool compressAlpha = false;
    uint32_t colorKey = kKey565;  // transparent pixel; stored in the header
    uint8_t format = 16;          // format byte: 16 for 5-6-5, 15 for 5-5-5
    bool ownBuffer = false;
    bool copyPixels = false;
    // Size alteration (honoured by the game for RLE frames only).
    bool alterSize = false;
    uint8_t widthDiv = 0;
    uint8_t heightDiv = 0;
    int32_t widthAdd = 0;
    int32_t heightAdd = 0;
};

// RLE rows of 16-bit pixels (row offset table + rows), pixels equal to key
// skipped. Runs and skips longer than a u16 are split.
std::string EncodeRleRows(const std::vector<uint16_t>& pixels, int32_t width, int32_t height, uint32_t key);
// Compressed alpha plane (row offset table + rows), alpha 0 skipped.
std::string EncodeRleAlpha(const std::vector<uint8_t>& alpha, int32_t width, int32_t height);
// A whole frame: header + alpha + pixels.
std::string EncodeFrame(const ImageFrame& frame);
// u32 frame count, u32 offsets (from the start of the entry), the frames.
std::string BuildFrameTable(const std::vector<std::string>& frames);

// 8-bit RGB to a 16-bit pixel: format 16 is 5-6-5, anything else 5-5-5.
uint16_t Rgb16(int r, int g, int b, int format = 16);
// A PNG file as a frame of 16-bit pixels; magenta (255, 0, 255) becomes the
// colour key. False when the file does not read.
bool LoadPngFrame(const std::string& nativePath, int format, ImageFrame* out);

struct AnimFrameSpec {
    bool empty = false;  // a frame with no picture
    uint32_t delay = 1;
    uint32_t resId = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t hotX = 0;
    int32_t hotY = 0;
};
struct AnimSeqSpec {
    uint32_t attribute = 0;
    std::vector<AnimFrameSpec> frames;
};
// Sequence count, then per sequence: frame count, attribute, record size 7,
// the 7-word frame records.
std::string BuildAnimTable(const std::vector<AnimSeqSpec>& seqs);

} // namespace datagen
