#include "image_check.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/png.h"

namespace fs = std::filesystem;

namespace vtest {

namespace {

std::string g_goldenDir;
std::string g_outDir;

std::string Describe(Rgb c) {
    std::ostringstream s;
    s << "(" << c.r << ", " << c.g << ", " << c.b << ")";
    return s.str();
}

bool Near(Rgb a, Rgb b, int tol) {
    return std::abs(a.r - b.r) <= tol && std::abs(a.g - b.g) <= tol && std::abs(a.b - b.b) <= tol;
}

} // namespace

bool RgbImage::Load(const std::string& pngPath) {
    return plat::ReadPngRgb(pngPath, &width, &height, &rgb) &&
           rgb.size() == static_cast<size_t>(width) * height * 3;
}

bool RgbImage::Save(const std::string& pngPath) const {
    std::error_code ec;
    const fs::path parent = fs::path(pngPath).parent_path();
    if (!parent.empty()) fs::create_directories(parent, ec);
    return width > 0 && height > 0 && plat::WritePngRgb(pngPath, width, height, rgb.data());
}

Rgb RgbImage::At(int32_t x, int32_t y) const {
    if (!Contains(x, y)) return Rgb{};
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return Rgb{rgb[i], rgb[i + 1], rgb[i + 2]};
}

RgbImage RgbImage::Crop(int32_t x, int32_t y, int32_t w, int32_t h) const {
    RgbImage out;
    const int32_t x0 = std::max(0, x), y0 = std::max(0, y);
    const int32_t x1 = std::min(width, x + w), y1 = std::min(height, y + h);
    if (x1 <= x0 || y1 <= y0) return out;
    out.width = x1 - x0;
    out.height = y1 - y0;
    out.rgb.reserve(static_cast<size_t>(out.width) * out.height * 3);
    for (int32_t row = y0; row < y1; ++row) {
        const auto from = rgb.begin() + (static_cast<ptrdiff_t>(row) * width + x0) * 3;
        out.rgb.insert(out.rgb.end(), from, from + static_cast<ptrdiff_t>(out.width) * 3);
    }
    return out;
}

::testing::AssertionResult PixelNear(const RgbImage& image, int32_t x, int32_t y, Rgb want, int tolerance) {
    if (!image.Contains(x, y))
        return ::testing::AssertionFailure() << "(" << x << ", " << y << ") lies outside the " << image.width << "x"
                                             << image.height << " picture";
    const Rgb got = image.At(x, y);
    if (Near(got, want, tolerance)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << Describe(got) << ", want "
                                         << Describe(want) << " +-" << tolerance;
}

void ExpectPixelNear(const RgbImage& image, int32_t x, int32_t y, Rgb want, int tolerance) {
    EXPECT_TRUE(PixelNear(image, x, y, want, tolerance));
}

void ExpectPixelNear(const std::string& png, int32_t x, int32_t y, Rgb want, int tolerance) {
    RgbImage image;
    if (!image.Load(png)) {
        ADD_FAILURE() << "cannot read " << png;
        return;
    }
    EXPECT_TRUE(PixelNear(image, x, y, want, tolerance)) << "in " << png;
}

int CountDifferingPixels(const RgbImage& a, const RgbImage& b, int channelTolerance, RgbImage* diff) {
    if (a.width != b.width || a.height != b.height) return -1;
    if (diff) {
        diff->width = a.width;
        diff->height = a.height;
        diff->rgb.assign(a.rgb.size(), 0);
    }
    int count = 0;
    for (int32_t y = 0; y < a.height; ++y) {
        for (int32_t x = 0; x < a.width; ++x) {
            const Rgb p = a.At(x, y), q = b.At(x, y);
            const bool differs = !Near(p, q, channelTolerance);
            count += differs ? 1 : 0;
            if (diff) {
                uint8_t* o = diff->rgb.data() + (static_cast<size_t>(y) * a.width + x) * 3;
                if (differs) {
                    o[0] = 255;
                } else {
                    const int grey = (p.r + p.g + p.b) / 12;
                    o[0] = o[1] = o[2] = static_cast<uint8_t>(grey);
                }
            }
        }
    }
    return count;
}

std::string GoldenDir() { return g_goldenDir.empty() ? std::string(VANTREL_SOURCE_DIR "/tests/golden") : g_goldenDir; }
std::string GoldenOutDir() { return g_outDir.empty() ? std::string(VANTREL_BINARY_DIR "/golden-out") : g_outDir; }

void SetGoldenDirsForTest(const std::string& goldenDir, const std::string& outDir) {
    g_goldenDir = goldenDir;
    g_outDir = outDir;
}

::testing::AssertionResult MatchesGolden(const RgbImage& actual, int32_t x, int32_t y, int32_t w, int32_t h,
                                         const std::string& name, GoldenTolerance tolerance) {
    if (w <= 0 || h <= 0 || w > 320 || h > 240)
        return ::testing::AssertionFailure() << "golden region " << name << " is " << w << "x" << h
                                             << "; at most 320x240";
    if (x < 0 || y < 0 || x + w > actual.width || y + h > actual.height)
        return ::testing::AssertionFailure() << "golden region " << name << " lies outside the " << actual.width
                                             << "x" << actual.height << " picture";
    const RgbImage crop = actual.Crop(x, y, w, h);
    const std::string goldenPath = GoldenDir() + "/" + name + ".png";
    const char* update = std::getenv("VANTREL_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        if (!crop.Save(goldenPath)) return ::testing::AssertionFailure() << "cannot write " << goldenPath;
        return ::testing::AssertionSuccess() << "updated " << goldenPath;
    }
    const std::string actualPath = GoldenOutDir() + "/" + name + ".actual.png";
    const std::string diffPath = GoldenOutDir() + "/" + name + ".diff.png";
    RgbImage golden;
    if (!golden.Load(goldenPath)) {
        crop.Save(actualPath);
        return ::testing::AssertionFailure() << "no golden picture " << goldenPath << " (the crop is in " << actualPath
                                             << "; VANTREL_UPDATE_GOLDEN=1 makes it the golden one)";
    }
    RgbImage diff;
    const int differing = CountDifferingPixels(crop, golden, tolerance.channelTolerance, &diff);
    if (differing >= 0 && differing <= tolerance.maxDiffering) return ::testing::AssertionSuccess();
    crop.Save(actualPath);
    if (differing >= 0) diff.Save(diffPath);
    auto fail = ::testing::AssertionFailure() << "golden region " << name << ": ";
    if (differing < 0)
        fail << "golden picture is " << golden.width << "x" << golden.height << ", the crop " << w << "x" << h;
    else
        fail << differing << " pixels differ by more than " << tolerance.channelTolerance << " (allowed "
             << tolerance.maxDiffering << "); diff in " << diffPath;
    return fail << "; the crop is in " << actualPath;
}

::testing::AssertionResult LinesInOrder(const std::string& text, const std::vector<std::string>& lines) {
    size_t at = 0;
    for (const std::string& line : lines) {
        const size_t found = text.find(line, at);
        if (found == std::string::npos)
            return ::testing::AssertionFailure() << "missing in order: \"" << line << "\" in:\n" << text;
        at = found + line.size();
    }
    return ::testing::AssertionSuccess();
}

} // namespace vtest
