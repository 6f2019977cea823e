#pragma once
// Text on 16-bit surfaces. A font is chosen by face name and pixel height
// like a GDI font; every face name maps to the one CJK font installed on the
// system (WenQuanYi Zen Hei: its monospaced face for the layout, half-width
// Latin and full-width CJK, and its pixel-font face where it has a bitmap
// strike for the size). Glyphs are rendered without antialiasing in one
// colour over a transparent background, and cached, so drawing a line costs
// no FreeType call once its glyphs have been seen.
//
// The font file is looked for in VANTREL_FONT, then in the usual Debian
// places. Without one, text draws nothing and says so once on the debugger
// output.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/display.h"

namespace plat {

struct FontCore;

enum : int { FW_NORMAL = 400, FW_BOLD = 700 };

class Font {
public:
    // height: as GDI, the absolute value is the pixel size (0: 12).
    // weight >= 600 draws a synthetic bold (one pixel wider per glyph).
    Font(int32_t height, int32_t weight, std::string_view faceNameGbk);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    int32_t PixelSize() const { return size_; }
    bool Bold() const { return bold_; }
    const std::string& FaceName() const { return faceGbk_; }
    // Cell metrics: the text cell is Ascent() + Descent() rows high; the
    // baseline lies Ascent() rows below the cell's top.
    int32_t Ascent() const;
    int32_t Descent() const;
    int32_t CellHeight() const { return Ascent() + Descent(); }
    // False when no font file was found (text then draws nothing).
    bool IsUsable() const;

    // Average width of a Latin character (the text metrics' average
    // character width; the edit box sizes its byte limit by it).
    int32_t AverageCharWidth() const;

    // The font file has a glyph for the character (text without one would
    // draw as boxes or nothing).
    bool HasGlyph(char32_t c) const;

    TextSize MeasureGbk(std::string_view textGbk) const;
    TextSize Measure(std::u32string_view text) const;

    // Draws text with its cell's top-left at (x, y) into 16-bit pixels
    // (pitch in bytes, surface w x h). Pixels of glyphs take `colour`;
    // nothing else is touched, and nothing outside the text's extent or the
    // surface. Returns false when the font is unusable.
    bool Draw(uint8_t* pixels, int32_t pitch, int32_t width, int32_t height, int32_t x, int32_t y,
              std::u32string_view text, uint16_t colour) const;
    bool DrawGbk(uint8_t* pixels, int32_t pitch, int32_t width, int32_t height, int32_t x, int32_t y,
                 std::string_view textGbk, uint16_t colour) const;

    // Glyph renders done by FreeType so far, all fonts together (tests
    // check that a repeated line renders nothing new).
    static int64_t RenderCount();

private:
    int32_t size_;
    bool bold_;
    std::string faceGbk_;
    FontCore* core_;  // shared, cached per size
};

// Word-wrapped lines as a text box with word breaking lays them out: a line
// may break between any two double-byte characters, Latin text at blanks
// (blanks at a break are dropped); '\n' ends a line, '\r' is ignored;
// blanks alone make one empty line. A Latin word wider than the width is
// broken between characters, so no line is wider than maxWidth unless one
// character is. A double-byte character is never split. An empty text
// gives no lines.
std::vector<std::string> WrapTextGbk(const Font& font, std::string_view textGbk, int32_t maxWidth);

// The font file in use ("" when none); found on first use.
std::string FindFontFile();
// Where the font was looked for, in one line, for a message that says why
// no text is drawn.
std::string DescribeFontSearch();
// Drops the cached font files and glyphs (tests switching VANTREL_FONT).
void ResetFontCache();

} // namespace plat
