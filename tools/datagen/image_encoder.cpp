#include "datagen/image_encoder.h"

#include "datagen/bytes.h"
#include "platform/png.h"

namespace datagen {

namespace {

constexpr uint32_t kFieldMax = 0xFFFF;

// Builds one row of alternating u16 fields, skip first: skips count `unit`
// bytes a position, runs carry their bytes. A field that would pass a u16
// is continued after an empty field of the other kind. The row ends right
// after the field that reaches its width, so a row ending in a run has no
// trailing skip.
class RowBuilder {
public:
    explicit RowBuilder(uint32_t unit) : unit_(unit) {}
    void Skip(uint32_t positions) {
        for (uint32_t i = 0; i < positions; ++i) Add(false, "");
    }
    void Run(const std::string& bytes) { Add(true, bytes); }
    std::string Finish() {
        // A trailing empty skip after a run is not written.
        if (!fields_.empty() && !fields_.back().run && fields_.back().len == 0 && fields_.size() > 1)
            fields_.pop_back();
        if (fields_.empty()) fields_.push_back({false, 0, ""});
        Bytes b;
        for (const Field& f : fields_) {
            b.U16(static_cast<uint16_t>(f.len));
            if (f.run) b.Raw(f.bytes);
        }
        return b.str();
    }

private:
    struct Field {
        bool run;
        uint32_t len;
        std::string bytes;
    };
    void Add(bool run, const std::string& bytes) {
        if (fields_.empty()) fields_.push_back({false, 0, ""});
        if (fields_.back().run != run) fields_.push_back({run, 0, ""});
        if (fields_.back().len + unit_ > kFieldMax) {
            fields_.push_back({!run, 0, ""});
            fields_.push_back({run, 0, ""});
        }
        fields_.back().len += unit_;
        fields_.back().bytes += bytes;
    }
    uint32_t unit_;
    std::vector<Field> fields_;
};

std::string OffsetTable(const std::vector<std::string>& rows) {
    Bytes table;
    uint32_t at = 0;
    for (const std::string& r : rows) {
        table.U32(at);
        at += static_cast<uint32_t>(r.size());
    }
    std::string out = table.str();
    for (const std::string& r : rows) out += r;
    return out;
}

std::string Pixel16(uint16_t p) { return std::string{static_cast<char>(p & 0xFF), static_cast<char>(p >> 8)}; }

} // namespace

std::string EncodeRleRows(const std::vector<uint16_t>& pixels, int32_t width, int32_t height, uint32_t key) {
    std::vector<std::string> rows;
    for (int32_t y = 0; y < height; ++y) {
        RowBuilder row(2);
        for (int32_t x = 0; x < width; ++x) {
            const uint16_t p = pixels[static_cast<size_t>(y) * width + x];
            if (p == key)
                row.Skip(1);
            else
                row.Run(Pixel16(p));
        }
        rows.push_back(row.Finish());
    }
    return OffsetTable(rows);
}

std::string EncodeRleAlpha(const std::vector<uint8_t>& alpha, int32_t width, int32_t height) {
    std::vector<std::string> rows;
    for (int32_t y = 0; y < height; ++y) {
        RowBuilder row(1);
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t a = alpha[static_cast<size_t>(y) * width + x];
            if (a == 0)
                row.Skip(1);
            else
                row.Run(std::string(1, static_cast<char>(a)));
        }
        rows.push_back(row.Finish());
    }
    return OffsetTable(rows);
}

namespace {

int32_t AlteredField(int32_t size, int32_t add, uint8_t div) {
    const int32_t d = static_cast<int32_t>(kFrameSizeDivisors[div & 7]);
    const int32_t base = size - add;
    // A remainder below the divisor, which the restoring division drops.
    return base * d + (base >= 0 ? d - 1 : -(d - 1));
}

} // namespace

std::string EncodeFrame(const ImageFrame& f) {
    std::string alpha;
    if (!f.alpha.empty())
        alpha = f.compressAlpha ? EncodeRleAlpha(f.alpha, f.width, f.height)
                                : std::string(f.alpha.begin(), f.alpha.end());
    std::string pixels;
    if (f.rle) {
        pixels = EncodeRleRows(f.pixels, f.width, f.height, f.colorKey);
    } else {
        for (uint16_t p : f.pixels) pixels += Pixel16(p);
    }
    const bool alter = f.alterSize;
    Bytes h;
    h.Fixed("PIC", 4).U8(0);
    h.I32(alter ? AlteredField(f.width, f.widthAdd, f.widthDiv) : f.width).I32(alter ? f.widthAdd : 0);
    h.I32(alter ? AlteredField(f.height, f.heightAdd, f.heightDiv) : f.height).I32(alter ? f.heightAdd : 0);
    h.U8(16).U8(f.format).U8(f.rle ? 1 : 0).U8(0);
    h.U8(f.alpha.empty() ? 0 : 1).U8(f.ownBuffer ? 1 : 0).U8(f.copyPixels ? 1 : 0).U8(f.compressAlpha ? 1 : 0);
    h.U32(f.colorKey).U32(f.compressAlpha ? static_cast<uint32_t>(alpha.size()) : 0);
    h.U8(alter ? 1 : 0).U8(f.widthDiv).U8(f.heightDiv).Fixed("", 8);
    return h.str() + alpha + pixels;
}

std::string BuildFrameTable(const std::vector<std::string>& frames) {
    Bytes b;
    b.U32(static_cast<uint32_t>(frames.size()));
    uint32_t at = 4 + 4 * static_cast<uint32_t>(frames.size());
    for (const std::string& f : frames) {
        b.U32(at);
        at += static_cast<uint32_t>(f.size());
    }
    for (const std::string& f : frames) b.Raw(f);
    return b.str();
}

uint16_t Rgb16(int r, int g, int b, int format) {
    if (format == 16) return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
    return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}

bool LoadPngFrame(const std::string& nativePath, int format, ImageFrame* out) {
    int32_t w = 0, h = 0;
    std::vector<uint8_t> rgb;
    if (!plat::ReadPngRgb(nativePath, &w, &h, &rgb)) return false;
    ImageFrame f;
    f.width = w;
    f.height = h;
    f.format = static_cast<uint8_t>(format == 16 ? 16 : 15);
    f.colorKey = format == 16 ? kKey565 : kKey555;
    f.pixels.resize(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < f.pixels.size(); ++i) {
        const int r = rgb[3 * i], g = rgb[3 * i + 1], b = rgb[3 * i + 2];
        f.pixels[i] = (r == 255 && g == 0 && b == 255) ? static_cast<uint16_t>(f.colorKey) : Rgb16(r, g, b, format);
    }
    *out = std::move(f);
    return true;
}

std::string BuildAnimTable(const std::vector<AnimSeqSpec>& seqs) {
    Bytes b;
    b.U32(static_cast<uint32_t>(seqs.size()));
    for (const AnimSeqSpec& s : seqs) {
        b.U32(static_cast<uint32_t>(s.frames.size())).U32(s.attribute).U32(7);
        for (const AnimFrameSpec& f : s.frames) {
            if (f.empty) {
                b.U32(1).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
                continue;
            }
            b.U32(0).U32(f.delay).U32(f.resId).I32(f.x).I32(f.y).I32(f.hotX).I32(f.hotY);
        }
    }
    return b.str();
}

} // namespace datagen
