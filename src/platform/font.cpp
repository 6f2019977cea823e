#include "platform/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <cstring>
#include <map>
#include <unordered_map>
#include <vector>

#include "platform/debug.h"
#include "platform/text.h"

namespace plat {

namespace {

struct Glyph {
    int32_t left = 0;     // from the pen to the first column
    int32_t top = 0;      // from the baseline up to the first row
    int32_t width = 0;
    int32_t rows = 0;
    int32_t advance = 0;
    std::vector<uint8_t> bits;  // width x rows, 1 = ink
};

const char* const kFontCandidates[] = {
    "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
    "/usr/share/fonts/wqy-zenhei/wqy-zenhei.ttc",
    "/usr/share/fonts/truetype/wqy-zenhei/wqy-zenhei.ttc",
    "/usr/local/share/fonts/wqy-zenhei.ttc",
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
};

struct FontSystem {
    FT_Library lib = nullptr;
    bool searched = false;
    bool warned = false;
    std::string file;
    long monoIndex = 0;    // face used for layout and outline glyphs
    long sharpIndex = -1;  // face with bitmap strikes, or -1
    std::map<int32_t, FontCore*> cores;
    int64_t renders = 0;
    // The cache lives for the process; freeing it at exit keeps leak checks
    // meaningful.
    ~FontSystem();
};

FontSystem& Sys() {
    static FontSystem s;
    return s;
}

bool FileReadable(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool EnsureLibrary() {
    FontSystem& s = Sys();
    if (s.lib) return true;
    if (FT_Init_FreeType(&s.lib) != 0) {
        s.lib = nullptr;
        return false;
    }
    return true;
}

void SearchFontFile() {
    FontSystem& s = Sys();
    if (s.searched) return;
    s.searched = true;
    const char* env = std::getenv("VANTREL_FONT");
    if (env && *env && FileReadable(env)) {
        s.file = env;
    } else {
        for (const char* c : kFontCandidates) {
            if (FileReadable(c)) {
                s.file = c;
                break;
            }
        }
    }
    if (s.file.empty() || !EnsureLibrary()) {
        s.file.clear();
        return;
    }
    // Pick the monospaced and the pixel-font faces of a collection by name.
    FT_Face probe = nullptr;
    if (FT_New_Face(s.lib, s.file.c_str(), -1, &probe) != 0) {
        DebugPrintf("font: %s is not a font file\n", s.file.c_str());
        s.file.clear();
        return;
    }
    const long faces = probe->num_faces;
    FT_Done_Face(probe);
    for (long i = 0; i < faces; ++i) {
        FT_Face f = nullptr;
        if (FT_New_Face(s.lib, s.file.c_str(), i, &f) != 0) continue;
        const std::string family = f->family_name ? f->family_name : "";
        if (family.find("Mono") != std::string::npos && s.monoIndex == 0) s.monoIndex = i;
        if (family.find("Sharp") != std::string::npos && f->num_fixed_sizes > 0) s.sharpIndex = i;
        FT_Done_Face(f);
    }
}

} // namespace

struct FontCore {
    int32_t size = 12;
    FT_Face mono = nullptr;
    FT_Face sharp = nullptr;  // only when it has a strike of this size
    std::unordered_map<char32_t, Glyph> glyphs;

    ~FontCore() {
        if (mono) FT_Done_Face(mono);
        if (sharp) FT_Done_Face(sharp);
    }

    static bool ToGlyph(FT_GlyphSlot slot, Glyph& g) {
        const FT_Bitmap& bm = slot->bitmap;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = static_cast<int32_t>(bm.width);
        g.rows = static_cast<int32_t>(bm.rows);
        g.bits.assign(static_cast<size_t>(g.width) * g.rows, 0);
        for (int32_t y = 0; y < g.rows; ++y) {
            const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
            for (int32_t x = 0; x < g.width; ++x) {
                bool ink;
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
                    ink = (row[x >> 3] >> (7 - (x & 7))) & 1;
                } else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
                    ink = row[x] >= 128;
                } else {
                    return false;
                }
                g.bits[static_cast<size_t>(y) * g.width + x] = ink ? 1 : 0;
            }
        }
        return true;
    }

    const Glyph& Get(char32_t c) {
        auto it = glyphs.find(c);
        if (it != glyphs.end()) return it->second;
        Glyph g;
        if (c >= 0x20) {
            ++Sys().renders;
            if (FT_Load_Char(mono, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
                g.advance = static_cast<int32_t>((mono->glyph->advance.x + 32) >> 6);
                ToGlyph(mono->glyph, g);
                // Full-width characters look best from the pixel font's strike.
                if (sharp && g.advance >= size && FT_Get_Char_Index(sharp, c) != 0 &&
                    FT_Load_Char(sharp, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
                    Glyph s;
                    if (ToGlyph(sharp->glyph, s)) {
                        s.advance = g.advance;
                        g = std::move(s);
                    }
                }
            }
        }
        return glyphs.emplace(c, std::move(g)).first->second;
    }
};

FontSystem::~FontSystem() {
    for (auto& [size, core] : cores) delete core;
    cores.clear();
    if (lib) FT_Done_FreeType(lib);
}

namespace {

FontCore* CoreFor(int32_t size) {
    FontSystem& s = Sys();
    auto it = s.cores.find(size);
    if (it != s.cores.end()) return it->second;
    SearchFontFile();
    FontCore* core = nullptr;
    if (!s.file.empty()) {
        core = new FontCore;
        core->size = size;
        if (FT_New_Face(s.lib, s.file.c_str(), s.monoIndex, &core->mono) != 0 ||
            FT_Set_Pixel_Sizes(core->mono, 0, static_cast<FT_UInt>(size)) != 0) {
            if (core->mono) FT_Done_Face(core->mono);
            core->mono = nullptr;
            delete core;
            core = nullptr;
        } else if (s.sharpIndex >= 0 && FT_New_Face(s.lib, s.file.c_str(), s.sharpIndex, &core->sharp) == 0) {
            bool strike = false;
            for (int i = 0; i < core->sharp->num_fixed_sizes; ++i) {
                if (core->sharp->available_sizes[i].height == size) strike = true;
            }
            if (!strike || FT_Set_Pixel_Sizes(core->sharp, 0, static_cast<FT_UInt>(size)) != 0) {
                FT_Done_Face(core->sharp);
                core->sharp = nullptr;
            }
        }
    }
    if (!core && !s.warned) {
        s.warned = true;
        OutputDebugString("font: no usable font file found (set VANTREL_FONT); text is not drawn\n");
    }
    s.cores[size] = core;
    return core;
}

} // namespace

std::string FindFontFile() {
    SearchFontFile();
    return Sys().file;
}

std::string DescribeFontSearch() {
    std::string out;
    const char* env = std::getenv("VANTREL_FONT");
    if (env && *env) {
        // A readable file is taken as the font, good or not.
        const bool readable = FileReadable(env);
        out = std::string("VANTREL_FONT=\"") + env + "\" (" +
              (readable ? "not a usable font file" : "cannot be read") + ")";
        if (readable) return out;
        out += ", then ";
    }
    constexpr size_t kOthers = sizeof kFontCandidates / sizeof kFontCandidates[0] - 1;
    return out + kFontCandidates[0] + " and " + std::to_string(kOthers) + " other usual places";
}

void ResetFontCache() {
    FontSystem& s = Sys();
    for (auto& kv : s.cores) delete kv.second;
    s.cores.clear();
    s.searched = false;
    s.warned = false;
    s.file.clear();
    s.monoIndex = 0;
    s.sharpIndex = -1;
}

int64_t Font::RenderCount() { return Sys().renders; }

Font::Font(int32_t height, int32_t weight, std::string_view faceNameGbk)
    : size_(height == 0 ? 12 : (height < 0 ? -height : height)), bold_(weight >= 600), faceGbk_(faceNameGbk) {
    if (size_ > 256) size_ = 256;
    core_ = CoreFor(size_);
}

Font::~Font() = default;

int32_t Font::Ascent() const { return (size_ * 7 + 7) / 8; }
int32_t Font::Descent() const { return (size_ + 3) / 4; }

bool Font::IsUsable() const {
    // The cache may have been reset since this font was made.
    return CoreFor(size_) != nullptr;
}

TextSize Font::Measure(std::u32string_view text) const {
    TextSize ts;
    ts.cy = CellHeight();
    FontCore* core = CoreFor(size_);
    if (!core) return ts;
    for (char32_t c : text) {
        const Glyph& g = core->Get(c);
        if (g.advance > 0) ts.cx += g.advance + (bold_ ? 1 : 0);
    }
    return ts;
}

namespace {

// Panels draw the same lines every frame; keep their conversions.
const std::u32string& ConvertCached(std::string_view textGbk) {
    static std::unordered_map<std::string, std::u32string> cache;
    auto it = cache.find(std::string(textGbk));
    if (it != cache.end()) return it->second;
    if (cache.size() >= 4096) cache.clear();
    return cache.emplace(std::string(textGbk), GbkToUtf32(textGbk)).first->second;
}

} // namespace

TextSize Font::MeasureGbk(std::string_view textGbk) const { return Measure(ConvertCached(textGbk)); }

bool Font::HasGlyph(char32_t c) const {
    FontCore* core = CoreFor(size_);
    return core && core->mono && FT_Get_Char_Index(core->mono, c) != 0;
}

int32_t Font::AverageCharWidth() const {
    const int32_t w = Measure(U"x").cx;
    return w > 0 ? w : (size_ + 1) / 2;
}

namespace {

// One unit of wrapping: a double-byte character, a Latin word, a run of
// blanks or a line end.
struct WrapToken {
    enum Kind { Wide, Word, Blank, Newline } kind;
    std::string_view text;
};

std::vector<WrapToken> Tokenise(std::string_view s) {
    std::vector<WrapToken> out;
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\n') {
            out.push_back({WrapToken::Newline, s.substr(i, 1)});
            ++i;
        } else if (c == '\r') {
            ++i;
        } else if (IsGbkLead(c) && i + 1 < s.size()) {
            out.push_back({WrapToken::Wide, s.substr(i, 2)});
            i += 2;
        } else if (c == ' ' || c == '\t') {
            size_t j = i;
            while (j < s.size() && (s[j] == ' ' || s[j] == '\t')) ++j;
            out.push_back({WrapToken::Blank, s.substr(i, j - i)});
            i = j;
        } else {
            size_t j = i;
            while (j < s.size()) {
                const unsigned char d = static_cast<unsigned char>(s[j]);
                if (d == ' ' || d == '\t' || d == '\n' || d == '\r' || (IsGbkLead(d) && j + 1 < s.size())) break;
                ++j;
            }
            out.push_back({WrapToken::Word, s.substr(i, j - i)});
            i = j;
        }
    }
    return out;
}

} // namespace

std::vector<std::string> WrapTextGbk(const Font& font, std::string_view textGbk, int32_t maxWidth) {
    std::vector<std::string> lines;
    if (textGbk.empty()) return lines;
    std::string line;
    int32_t width = 0;
    auto emit = [&] {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
        lines.push_back(line);
        line.clear();
        width = 0;
    };
    auto place = [&](std::string_view piece, int32_t w) {
        if (!line.empty() && width + w > maxWidth) emit();
        line.append(piece);
        width += w;
    };
    for (const WrapToken& t : Tokenise(textGbk)) {
        switch (t.kind) {
        case WrapToken::Newline:
            emit();
            break;
        case WrapToken::Blank:
            // Blanks never start a wrapped line; at its end they are trimmed.
            if (!line.empty()) {
                line.append(t.text);
                width += font.MeasureGbk(t.text).cx;
            }
            break;
        case WrapToken::Wide:
            place(t.text, font.MeasureGbk(t.text).cx);
            break;
        case WrapToken::Word: {
            const int32_t w = font.MeasureGbk(t.text).cx;
            if (w <= maxWidth || (line.empty() && t.text.size() == 1)) {
                place(t.text, w);
                break;
            }
            // Too wide for any line: break between its characters.
            for (size_t k = 0; k < t.text.size(); ++k) place(t.text.substr(k, 1), font.MeasureGbk(t.text.substr(k, 1)).cx);
            break;
        }
        }
    }
    if (!line.empty()) emit();
    // Blanks alone still take a line, as an empty paragraph drawn as two
    // spaces does.
    if (lines.empty()) lines.emplace_back();
    return lines;
}

bool Font::Draw(uint8_t* pixels, int32_t pitch, int32_t width, int32_t height, int32_t x, int32_t y,
                std::u32string_view text, uint16_t colour) const {
    FontCore* core = CoreFor(size_);
    if (!core || !pixels) return false;
    const TextSize ext = Measure(text);
    // Everything stays inside the text's extent and the surface.
    const int32_t cx0 = x < 0 ? 0 : x;
    const int32_t cy0 = y < 0 ? 0 : y;
    const int32_t cx1 = (x + ext.cx < width ? x + ext.cx : width);   // exclusive
    const int32_t cy1 = (y + ext.cy < height ? y + ext.cy : height);  // exclusive
    if (cx0 >= cx1 || cy0 >= cy1) return true;
    const int32_t baseline = y + Ascent();
    int32_t pen = x;
    for (char32_t c : text) {
        const Glyph& g = core->Get(c);
        if (g.advance <= 0) continue;
        for (int pass = 0; pass < (bold_ ? 2 : 1); ++pass) {
            const int32_t gx = pen + g.left + pass;
            const int32_t gy = baseline - g.top;
            for (int32_t row = 0; row < g.rows; ++row) {
                const int32_t py = gy + row;
                if (py < cy0 || py >= cy1) continue;
                uint8_t* line = pixels + static_cast<ptrdiff_t>(py) * pitch;
                const uint8_t* bits = g.bits.data() + static_cast<size_t>(row) * g.width;
                for (int32_t col = 0; col < g.width; ++col) {
                    const int32_t px = gx + col;
                    if (!bits[col] || px < cx0 || px >= cx1) continue;
                    std::memcpy(line + px * 2, &colour, 2);
                }
            }
        }
        pen += g.advance + (bold_ ? 1 : 0);
    }
    return true;
}

bool Font::DrawGbk(uint8_t* pixels, int32_t pitch, int32_t width, int32_t height, int32_t x, int32_t y,
                   std::string_view textGbk, uint16_t colour) const {
    return Draw(pixels, pitch, width, height, x, y, ConvertCached(textGbk), colour);
}

} // namespace plat
