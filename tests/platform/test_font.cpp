#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/debug.h"
#include "platform/font.h"
#include "platform/text.h"

using namespace plat;

namespace {

// A 16-bit canvas with padded rows, filled with a background word.
struct Canvas {
    int32_t w, h, pitch;
    std::vector<uint8_t> mem;
    Canvas(int32_t w_, int32_t h_, uint16_t bg) : w(w_), h(h_), pitch(w_ * 2 + 10), mem(size_t(pitch) * h_) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) Set(x, y, bg);
    }
    uint16_t At(int x, int y) const {
        uint16_t v;
        std::memcpy(&v, mem.data() + y * pitch + x * 2, 2);
        return v;
    }
    void Set(int x, int y, uint16_t v) { std::memcpy(mem.data() + y * pitch + x * 2, &v, 2); }
    bool Draw(const Font& f, int x, int y, std::string_view gbk, uint16_t c) {
        return f.DrawGbk(mem.data(), pitch, w, h, x, y, gbk, c);
    }
};

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (FindFontFile().empty()) GTEST_SKIP() << "no CJK font installed";
    }
};

// "中文" in GBK.
const char kZhongWenGbk[] = "\xD6\xD0\xCE\xC4";

TEST_F(FontTest, ExtentOfKnownStrings) {
    Font f(12, FW_NORMAL, "\xCB\xCE\xCC\xE5");  // 宋体
    EXPECT_EQ(f.CellHeight(), 14);
    // Half-width Latin, full-width CJK, like the game's layout expects.
    EXPECT_EQ(f.MeasureGbk("Hello").cx, 30);
    EXPECT_EQ(f.MeasureGbk("Hello").cy, 14);
    EXPECT_EQ(f.MeasureGbk(kZhongWenGbk).cx, 24);
    EXPECT_EQ(f.MeasureGbk(std::string("A") + kZhongWenGbk).cx, 30);
    EXPECT_EQ(f.MeasureGbk("").cx, 0);
    Font bold(-16, FW_BOLD, "Arial");
    EXPECT_EQ(bold.PixelSize(), 16);
    EXPECT_EQ(bold.MeasureGbk("ab").cx, 2 * 8 + 2);
}

TEST_F(FontTest, InkOnlyInTheTextColourInsideTheExtent) {
    for (int size : {12, 14, 16, 20}) {
        Font f(size, FW_NORMAL, "");
        const std::string text = std::string("Agj|W") + kZhongWenGbk + "\xA1\xA3";  // 。
        Canvas c(200, 40, 0x1111);
        const int x0 = 7, y0 = 5;
        ASSERT_TRUE(c.Draw(f, x0, y0, text, 0xFFE0));
        const TextSize ext = f.MeasureGbk(text);
        int ink = 0;
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.w; ++x) {
                const uint16_t p = c.At(x, y);
                const bool inside = x >= x0 && x < x0 + ext.cx && y >= y0 && y < y0 + ext.cy;
                ASSERT_TRUE(p == 0x1111 || (inside && p == 0xFFE0)) << size << " at " << x << "," << y;
                ink += p == 0xFFE0;
            }
        }
        EXPECT_GT(ink, 20 * size / 12) << size;
        // Row padding is never written.
        for (int y = 0; y < c.h; ++y)
            for (int i = c.w * 2; i < c.pitch; ++i) ASSERT_EQ(c.mem[y * c.pitch + i], 0);
    }
}

TEST_F(FontTest, GbkDrawsTheSameGlyphsAsItsUtf8Twin) {
    Font f(12, FW_NORMAL, "");
    const std::string gbk = std::string("HP:") + kZhongWenGbk;
    const std::u32string fromUtf8 = U"HP:\u4E2D\u6587";
    Canvas a(80, 16, 0), b(80, 16, 0);
    a.Draw(f, 1, 1, gbk, 0xFFFF);
    f.Draw(b.mem.data(), b.pitch, b.w, b.h, 1, 1, fromUtf8, 0xFFFF);
    EXPECT_EQ(a.mem, b.mem);
    EXPECT_EQ(f.MeasureGbk(gbk).cx, f.Measure(fromUtf8).cx);
}

TEST_F(FontTest, RepeatedLinesRenderNoNewGlyphsAndClipAtTheEdges) {
    Font f(13, FW_NORMAL, "");
    Canvas c(40, 10, 0);
    c.Draw(f, -5, -3, "xyz", 0x0F0F);
    const int64_t after = Font::RenderCount();
    for (int i = 0; i < 5; ++i) c.Draw(f, 30, 4, "xyz zyx", 0x0F0F);
    EXPECT_EQ(Font::RenderCount(), after + 1) << "only the space was new";
    EXPECT_TRUE(c.Draw(f, 500, 500, "far away", 1));
}

TEST(FontMissing, TextFailsSoftly) {
    const char* old = std::getenv("VANTREL_FONT");
    const std::string saved = old ? old : "";
    setenv("VANTREL_FONT", "/nonexistent/font.ttc", 1);
    ResetFontCache();
    // The override is missing, so the standard places are searched next.
    const std::string found = FindFontFile();
    EXPECT_NE(found, "/nonexistent/font.ttc");
    // A file that is not a font: nothing drawn, a message, no crash.
    const std::string bogus = ::testing::TempDir() + "not_a_font.ttc";
    FILE* fp = std::fopen(bogus.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    std::fputs("garbage", fp);
    std::fclose(fp);
    setenv("VANTREL_FONT", bogus.c_str(), 1);
    ResetFontCache();
    ClearDebugCapture();
    {
        Font f(12, FW_NORMAL, "");
        EXPECT_FALSE(f.IsUsable());
        std::vector<uint8_t> mem(64 * 16 * 2, 0);
        EXPECT_FALSE(f.DrawGbk(mem.data(), 128, 64, 16, 0, 0, "abc", 0xFFFF));
        EXPECT_EQ(f.MeasureGbk("abc").cx, 0);
        EXPECT_EQ(mem, std::vector<uint8_t>(mem.size(), 0));
    }
    bool said = false;
    for (const std::string& m : DebugCaptured()) said = said || m.find("font") != std::string::npos;
    EXPECT_TRUE(said);
    if (saved.empty()) unsetenv("VANTREL_FONT");
    else setenv("VANTREL_FONT", saved.c_str(), 1);
    ResetFontCache();
    std::remove(bogus.c_str());
}

} // namespace
