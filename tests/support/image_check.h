#pragma once
// Checks on pictures the game wrote (PNG frames, screenshots): pixel probes
// and golden regions.
//
// Golden regions are crops of at most 320 x 240 kept as PNG under
// tests/golden/. A crop matches when no more than `maxDiffering` pixels
// differ from the golden one by more than `channelTolerance` in any
// channel. With VANTREL_UPDATE_GOLDEN=1 the crop is written as the new
// golden picture instead. On a mismatch the crop and a diff picture (red
// where pixels differ, the golden picture dimmed elsewhere) are written to
// golden-out/ in the build folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vtest {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

struct RgbImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes per pixel, rows packed

    bool Load(const std::string& pngPath);
    bool Save(const std::string& pngPath) const;
    bool Contains(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    Rgb At(int32_t x, int32_t y) const;
    // The part inside the picture of the rectangle (x, y, w, h).
    RgbImage Crop(int32_t x, int32_t y, int32_t w, int32_t h) const;
};

::testing::AssertionResult PixelNear(const RgbImage& image, int32_t x, int32_t y, Rgb want, int tolerance);
// Probes one pixel of a PNG file (or a loaded picture): every channel within
// `tolerance` of `want`.
void ExpectPixelNear(const std::string& png, int32_t x, int32_t y, Rgb want, int tolerance);
void ExpectPixelNear(const RgbImage& image, int32_t x, int32_t y, Rgb want, int tolerance);

struct GoldenTolerance {
    int channelTolerance = 0;
    int maxDiffering = 0;
};

// Pixels of `a` and `b` (same size) farther apart than `channelTolerance`
// in some channel; -1 when the sizes differ. `diff`, when given, receives
// the diff picture.
int CountDifferingPixels(const RgbImage& a, const RgbImage& b, int channelTolerance, RgbImage* diff = nullptr);

// Compares the crop (x, y, w, h) of `actual` with tests/golden/<name>.png.
::testing::AssertionResult MatchesGolden(const RgbImage& actual, int32_t x, int32_t y, int32_t w, int32_t h,
                                         const std::string& name, GoldenTolerance tolerance = {});

// The folders behind the golden pictures (overridable for tests of this
// support code).
std::string GoldenDir();
std::string GoldenOutDir();
void SetGoldenDirsForTest(const std::string& goldenDir, const std::string& outDir);

// Each line found in `text` after the previous one (other text may lie
// between).
::testing::AssertionResult LinesInOrder(const std::string& text, const std::vector<std::string>& lines);

} // namespace vtest
