// Fonts and texts of the panels: "Font.txt" limits, Chinese captions,
// word-wrapped text boxes and text surfaces. These need the CJK font; they
// fail (never skip) without it.
#include "ui_fixture.h"

#include <algorithm>

#include "datagen/demo_data.h"
#include "datagen/demo_ui.h"
#include "platform/font.h"
#include "platform/text.h"

using namespace uitest;

namespace {

class TextTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_FALSE(plat::FindFontFile().empty()) << "the CJK font (fonts-wqy-zenhei) must be installed";
    }
    CJM* Panel(int fontIndex = 0) {
        datagen::PanelRow r = Row(100, 0, 0, 0, 10, 10);
        r.font = std::to_string(fontIndex);
        WriteTable({r});
        EXPECT_EQ(Make({100}), 1);
        return g_JMMng.GetJM(100);
    }
};

// "你好世界，中文段落在任意两个汉字之间换行。" (GBK)
const char kParagraph[] =
    "\xC4\xE3\xBA\xC3\xCA\xC0\xBD\xE7\xA3\xAC\xD6\xD0\xCE\xC4\xB6\xCE\xC2\xE4\xD4\xDA\xC8\xCE\xD2\xE2\xC1\xBD"
    "\xB8\xF6\xBA\xBA\xD7\xD6\xD6\xAE\xBC\xE4\xBB\xBB\xD0\xD0\xA1\xA3";

TEST_F(TextTest, FontTableSizesAreClampedAndLimitedToSix) {
    const std::string song = "\xCB\xCE\xCC\xE5";
    ASSERT_TRUE(datagen::WriteFontTable(Dir() + "mb/Font.txt", {{"9", "0", song},
                                                                 {"1", "0", song},
                                                                 {"", "0", song},
                                                                 {"400", "0", song},
                                                                 {"-20", "0", song},
                                                                 {"12", "0", song},
                                                                 {"30", "0", song}}));
    LoadJMFonts(Dir() + "mb/Font.txt");
    const int want[6] = {12, 6, 12, 72, 6, 16};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(JMFont(i)->PixelSize(), want[i]) << i;
    // An index outside 0-5 uses font 0.
    EXPECT_EQ(JMFont(6), JMFont(0));
    EXPECT_EQ(JMFont(65535), JMFont(0));
    EXPECT_EQ(JMFont(-1), JMFont(0));
    EXPECT_NE(Log().find("Font.txt row 2: size 1 pixels, using 6\n"), std::string::npos) << Log();
    EXPECT_NE(Log().find("Font.txt row 4: size 533 pixels, using 72\n"), std::string::npos);
    EXPECT_NE(Log().find("only the first 6 are made"), std::string::npos);

    plat::DeleteFile(Dir() + "mb/Font.txt");
    plat::ClearRecordedMessageBoxes();
    LoadJMFonts(Dir() + "mb/Font.txt");
    for (int i = 0; i < 6; ++i) EXPECT_EQ(JMFont(i)->PixelSize(), 12);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty()) << "fonts are optional";
}

TEST_F(TextTest, FontPointSizesRoundToTheNearestPixel) {
    // Points at 96 dots per inch: a third of a pixel rounds down, two thirds up.
    const struct {
        const char* points;
        int pixels;
    } cases[] = {{"9", 12}, {"10", 13}, {"11", 15}, {"12", 16}, {"13", 17}, {"14", 19}};
    std::vector<datagen::FontRow> rows;
    for (const auto& c : cases) rows.push_back({c.points, "0", "\xCB\xCE\xCC\xE5"});
    ASSERT_TRUE(datagen::WriteFontTable(Dir() + "mb/Font.txt", rows));
    LoadJMFonts(Dir() + "mb/Font.txt");
    for (int i = 0; i < 6; ++i) EXPECT_EQ(JMFont(i)->PixelSize(), cases[i].pixels) << cases[i].points << " points";
    // The demo's 14-point face.
    ASSERT_TRUE(datagen::WriteFontTable(Dir() + "mb/Font.txt", datagen::DemoFontRows()));
    LoadJMFonts(Dir() + "mb/Font.txt");
    EXPECT_EQ(JMFont(4)->PixelSize(), 19);
    // Negative sizes round away from zero too, before the clamp.
    ASSERT_TRUE(datagen::WriteFontTable(Dir() + "mb/Font.txt", {{"-5", "0", ""}}));
    LoadJMFonts(Dir() + "mb/Font.txt");
    EXPECT_NE(Log().find("Font.txt row 1: size -7 pixels, using 6\n"), std::string::npos) << Log();
}

TEST_F(TextTest, EveryDemoTextConvertsAndHasAGlyph) {
    std::string error;
    ASSERT_TRUE(WriteDemoTables(&error)) << error;
    std::vector<std::string> texts;
    CTxtTable text;
    ASSERT_EQ(text.Load((Dir() + "mb/Text.txt").c_str(), 0, 0, 1), 1);
    for (int i = 0; i < text.GetRowCount(); ++i) texts.push_back(text.GetRowAt(i)->GetString(1));
    CTxtTable fonts;
    ASSERT_EQ(fonts.Load((Dir() + "mb/Font.txt").c_str(), -1, 1, 1), 1);
    for (int i = 0; i < fonts.GetRowCount(); ++i) texts.push_back(fonts.GetRowAt(i)->GetString(3));
    for (const auto& r : datagen::DemoPanelRows(640)) texts.push_back(r.name);
    plat::Font font(12, plat::FW_NORMAL, "\xCB\xCE\xCC\xE5");
    int wide = 0;
    for (const std::string& t : texts) {
        const std::u32string u = plat::GbkToUtf32(t);
        for (char32_t c : u) {
            ASSERT_NE(c, U'\uFFFD') << "not GBK: " << t;
            if (c > 0x7F) ++wide;
            if (c > 0x20) {
                EXPECT_TRUE(font.HasGlyph(c)) << "no glyph for U+" << std::hex << uint32_t(c);
            }
        }
    }
    EXPECT_GT(wide, 20) << "the demo texts hold Chinese";
}

TEST_F(TextTest, ChineseCaptionInksItsColourInsideItsExtentOnly) {
    CJM* p = Panel();
    p->SetTextColor(255, 200, 0);
    CSurface s(200, 60, 1);
    const uint16_t bg = g_PixelFormat.FromRgb(0, 0, 64);
    s.FillAll(bg);
    const std::string caption = "\xD6\xD0\xCE\xC4\xB2\xCB\xB5\xA5";  // 中文菜单
    const plat::TextSize ext = p->MeasureText(&s, caption);
    EXPECT_EQ(ext.cx, 48);
    p->DrawColorText(&s, 30, 20, caption, 0);
    const std::vector<uint16_t> px = Pixels(s);
    const uint16_t ink = g_PixelFormat.FromRgb(255, 200, 0);
    int inked = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            const uint16_t v = px[y * 200 + x];
            const bool inside = x >= 30 && x < 30 + ext.cx && y >= 20 && y < 20 + ext.cy;
            if (!inside) ASSERT_EQ(v, bg) << x << "," << y;
            else if (v != bg) {
                ASSERT_EQ(v, ink);
                ++inked;
            }
        }
    EXPECT_GT(inked, 60);
}

TEST_F(TextTest, ParagraphsWrapBetweenCharactersWithinTheWidth) {
    CJM* p = Panel();
    const plat::Font& f = *JMFont(0);
    const int h = f.CellHeight();
    // 21 characters of 12 pixels into 100 pixels: 8 a line.
    const std::vector<std::string> lines = plat::WrapTextGbk(f, kParagraph, 100);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 16u);
    std::string joined;
    for (const std::string& l : lines) {
        EXPECT_LE(f.MeasureGbk(l).cx, 100);
        joined += l;
    }
    EXPECT_EQ(joined, kParagraph) << "no character split or lost";
    // Latin breaks at blanks; an over-long word breaks between letters.
    struct Case {
        const char* in;
        int width;
        std::vector<std::string> want;
    } cases[] = {
        {"aaa bbb ccc", 40, {"aaa", "bbb", "ccc"}},
        {"  ", 40, {""}},
        {"aaa bbb ccc", 48, {"aaa bbb", "ccc"}},
        {"abcdefghij", 30, {"abcde", "fghij"}},
        {"one\ntwo", 200, {"one", "two"}},
        {"ab\xD6\xD0\xCE\xC4", 30, {"ab\xD6\xD0", "\xCE\xC4"}},
        {"", 30, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(plat::WrapTextGbk(f, c.in, c.width), c.want) << c.in;

    // The text box: "//" starts a paragraph, an empty one still takes a line.
    CSurface s(120, 200, 1);
    s.FillAll(0);
    const std::string box = std::string(kParagraph) + "////end";
    EXPECT_EQ(p->DrawTextBox(&s, CGameRect{0, 0, 100, 200}, box), 5 * h);
    const std::vector<uint16_t> px = Pixels(s);
    for (int y = 0; y < 200; ++y)
        for (int x = 100; x < 120; ++x) ASSERT_EQ(px[y * 120 + x], 0) << "ink past the width at " << x << "," << y;
}

TEST_F(TextTest, TextSurfaceIsSizedFromTheWrappedLines) {
    CJM* p = Panel();
    const int h = JMFont(0)->CellHeight();
    for (int width : {10, 1, 0, 102}) {
        int height = -1;
        std::unique_ptr<CSurface> s(p->RenderTextSurface(keeper_.get(), kParagraph, CGameRect{0, 0, width, 0}, &height));
        ASSERT_NE(s, nullptr) << width;
        const int lines = height / (h + 6);
        EXPECT_EQ(height, lines * (h + 6));
        EXPECT_EQ(s->m_Height, height);
        if (width == 102) {
            EXPECT_EQ(lines, 3);
        } else {
            EXPECT_EQ(lines, 21) << "one character a line at width " << width;
        }
    }
    int height = -1;
    EXPECT_EQ(p->RenderTextSurface(keeper_.get(), "", CGameRect{0, 0, 100, 0}, &height), nullptr);
    EXPECT_EQ(height, 0);
}

} // namespace
