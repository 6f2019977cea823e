#include "gfx/texture.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/bin_file.h"
#include "platform/debug.h"
#include "platform/raster.h"
#include "platform/text.h"

using namespace plat;

CTexture* CTexture::s_pHead = nullptr;

namespace {

struct ProgramBitmap {
    std::string name;
    std::vector<uint8_t> bytes;
};

std::vector<ProgramBitmap>& ProgramBitmaps() {
    static std::vector<ProgramBitmap> list;
    return list;
}

inline uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t U32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

// A channel of a bit-field mask: where it sits and how wide it is.
struct MaskField {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit MaskField(uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1u)) ++shift;
        for (uint32_t v = m >> shift; v & 1u; v >>= 1) ++bits;
    }
    // Field value widened to 0..255.
    uint32_t Read(uint32_t v) const {
        if (!bits) return 0;
        const uint64_t f = (v & mask) >> shift;
        const uint64_t max = (uint64_t(1) << bits) - 1;
        return static_cast<uint32_t>((f * 255 + max / 2) / max);
    }
    // An 8-bit value reduced to the field's width and shifted into place.
    uint32_t Put(uint32_t v8) const {
        if (!bits) return 0;
        const uint32_t f = bits <= 8 ? (v8 >> (8 - bits)) : (v8 << (bits - 8));
        return (f << shift) & mask;
    }
};

// Picks the first enumerated format that suits a record.
struct FormatQuery {
    uint32_t depth = 16;
    bool alpha = false;
    bool found = false;
    DDPixelFormat format;
};

bool PickFormat(const DDPixelFormat& f, void* context) {
    auto* q = static_cast<FormatQuery*>(context);
    if (f.rgbBitCount < 16) return true;
    if (f.flags & (TEXPF_FOURCC | TEXPF_BUMPDUDV | TEXPF_LUMINANCE)) return true;
    if (f.alphaBitMask == 0xF000) return true;
    if (((f.flags & TEXPF_ALPHAPIXELS) != 0) != q->alpha) return true;
    if (f.rgbBitCount != q->depth) return true;
    q->format = f;
    q->found = true;
    return false;
}

uint32_t NextPow2(uint32_t v) {
    uint32_t p = 1;
    while (p < v && p < 0x80000000u) p <<= 1;
    return p;
}

} // namespace

// ---------------------------------------------------------------- decoding

bool ReadBmp(const uint8_t* data, size_t size, CBitmapImage* out) {
    if (!data || !out || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
    const uint32_t offBits = U32(data + 10);
    const uint32_t hdr = U32(data + 14);
    int32_t w, h;
    uint32_t bits, compression = 0, colorsUsed = 0;
    size_t paletteEntry = 4;
    if (hdr == 12) {
        w = U16(data + 18);
        h = static_cast<int16_t>(U16(data + 20));
        bits = U16(data + 24);
        paletteEntry = 3;
    } else if (hdr >= 40 && size >= 14 + 40) {
        w = I32(data + 18);
        h = I32(data + 22);
        bits = U16(data + 28);
        compression = U32(data + 30);
        colorsUsed = U32(data + 46);
    } else {
        return false;
    }
    if (w <= 0 || h == 0 || h == INT32_MIN || w > 32768 || h > 32768 || h < -32768) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    const bool bitFields = compression == 3;
    if (compression != 0 && !(bitFields && (bits == 16 || bits == 32))) return false;
    const bool topDown = h < 0;
    const int32_t height = topDown ? -h : h;

    // Channel masks of 16- and 32-bit images.
    uint32_t rMask = 0, gMask = 0, bMask = 0;
    if (bits == 16) {
        rMask = 0x7C00;
        gMask = 0x03E0;
        bMask = 0x001F;
    } else if (bits == 32) {
        rMask = 0x00FF0000;
        gMask = 0x0000FF00;
        bMask = 0x000000FF;
    }
    if (bitFields) {
        if (size < 14 + 40 + 12) return false;
        rMask = U32(data + 54);
        gMask = U32(data + 58);
        bMask = U32(data + 62);
    }
    // Palette.
    std::vector<uint32_t> palette;
    if (bits <= 8) {
        uint32_t n = colorsUsed ? colorsUsed : (1u << bits);
        n = std::min<uint32_t>(n, 1u << bits);
        const size_t at = 14 + static_cast<size_t>(hdr);
        if (at > size || (size - at) / paletteEntry < n) return false;
        palette.resize(1u << bits, 0);
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t* p = data + at + i * paletteEntry;
            palette[i] = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        }
    }
    const size_t stride = (static_cast<size_t>(w) * bits + 31) / 32 * 4;
    if (offBits > size || (size - offBits) / stride < static_cast<size_t>(height)) return false;

    const MaskField rf(rMask), gf(gMask), bf(bMask);
    out->width = w;
    out->height = height;
    out->bitsPerPixel = bits;
    out->rgb.assign(static_cast<size_t>(w) * height, 0);
    for (int32_t fileRow = 0; fileRow < height; ++fileRow) {
        const uint8_t* row = data + offBits + static_cast<size_t>(fileRow) * stride;
        const int32_t y = topDown ? fileRow : height - 1 - fileRow;
        uint32_t* dst = out->rgb.data() + static_cast<size_t>(y) * w;
        for (int32_t x = 0; x < w; ++x) {
            uint32_t c = 0;
            switch (bits) {
            case 1: c = palette[(row[x / 8] >> (7 - x % 8)) & 1]; break;
            case 4: c = palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 15]; break;
            case 8: c = palette[row[x]]; break;
            case 16: {
                const uint32_t v = U16(row + x * 2);
                c = (rf.Read(v) << 16) | (gf.Read(v) << 8) | bf.Read(v);
                break;
            }
            case 24: c = (uint32_t(row[x * 3 + 2]) << 16) | (uint32_t(row[x * 3 + 1]) << 8) | row[x * 3]; break;
            default: {
                const uint32_t v = U32(row + x * 4);
                c = (rf.Read(v) << 16) | (gf.Read(v) << 8) | bf.Read(v);
                break;
            }
            }
            dst[x] = c;
        }
    }
    return true;
}

int32_t ReadTga(const uint8_t* data, size_t size, int32_t* width, int32_t* height, uint32_t* bitsPerPixel,
                std::vector<uint32_t>* rgba) {
    if (!data || size < 18) return kTexFail;
    if (data[1] != 0 || (data[2] != 2 && data[2] != 10)) return kTexFail;
    const bool rle = data[2] == 10;
    const int32_t w = U16(data + 12), h = U16(data + 14);
    const uint32_t bits = data[16];
    // Only true colour of 24 and 32 bits is read: other depths have another
    // pixel layout and must not be read as three bytes a pixel.
    if (bits != 24 && bits != 32) return kTexFail;
    if (w == 0 || h == 0) return kTexFail;
    const bool topDown = (data[17] & 0x20) != 0;
    size_t pos = 18 + static_cast<size_t>(data[0]);
    const size_t bpp = bits / 8;
    const size_t total = static_cast<size_t>(w) * h;
    // The least data the pixels can take: refuses a short file before
    // anything is allocated.
    const size_t least = rle ? (total + 127) / 128 * (1 + bpp) : total * bpp;
    if (pos > size || size - pos < least) return kTexFail;

    std::vector<uint32_t> px;
    try {
        px.assign(total, 0);
    } catch (const std::bad_alloc&) {
        return kTexOutOfMemory;
    }
    const auto readPixel = [&](size_t at) {
        const uint8_t* p = data + at;
        const uint32_t a = bpp == 4 ? p[3] : 255u;
        return (uint32_t(p[2]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[0]) << 8) | a;
    };
    // Pixel k of the file lands in file row k / w, column k % w.
    const auto store = [&](size_t k, uint32_t v) {
        const size_t fileRow = k / static_cast<size_t>(w), x = k % static_cast<size_t>(w);
        const size_t y = topDown ? fileRow : static_cast<size_t>(h) - 1 - fileRow;
        px[y * static_cast<size_t>(w) + x] = v;
    };
    size_t k = 0;
    if (!rle) {
        for (; k < total; ++k, pos += bpp) store(k, readPixel(pos));
    } else {
        while (k < total) {
            if (pos >= size) return kTexFail;
            const uint8_t head = data[pos++];
            const size_t n = (head & 0x7Fu) + 1;
            if (head & 0x80) {
                if (size - pos < bpp) return kTexFail;
                const uint32_t v = readPixel(pos);
                pos += bpp;
                for (size_t i = 0; i < n && k < total; ++i) store(k++, v);
            } else {
                if ((size - pos) / bpp < n) return kTexFail;
                for (size_t i = 0; i < n; ++i, pos += bpp)
                    if (k < total) store(k++, readPixel(pos));
            }
        }
    }
    *width = w;
    *height = h;
    *bitsPerPixel = bits;
    *rgba = std::move(px);
    return kTexOk;
}

void RegisterProgramBitmap(const std::string& name, std::vector<uint8_t> bmpBytes) {
    for (ProgramBitmap& p : ProgramBitmaps())
        if (EqualsNoCase(p.name, name)) {
            p.bytes = std::move(bmpBytes);
            return;
        }
    ProgramBitmaps().push_back({name, std::move(bmpBytes)});
}

void ClearProgramBitmaps() { ProgramBitmaps().clear(); }

// ---------------------------------------------------------------- records

CTexture::~CTexture() {
    if (m_pSurface) m_pSurface->Release();
}

CTexture* CTexture::Find(const char* name) {
    if (!name) return nullptr;
    for (CTexture* t = s_pHead; t; t = t->m_pNext)
        if (EqualsNoCase(t->m_Name, name)) return t;
    return nullptr;
}

RasterTexture* CTexture::GetSurface(const char* name) {
    CTexture* t = Find(name);
    return t ? t->m_pSurface : nullptr;
}

int32_t CTexture::Create(const char* name, uint32_t stage, uint32_t flags) {
    if (!name || !*name) return kTexInvalidArg;
    if (Find(name)) return kTexOk;
    CTexture* rec = new (std::nothrow) CTexture;
    if (!rec) return kTexOutOfMemory;
    rec->m_Name = name;
    rec->m_Stage = stage;
    rec->m_Flags = flags;
    const int32_t r = rec->LoadImage();
    if (r != kTexOk) {
        delete rec;
        return r;
    }
    rec->m_pNext = s_pHead;
    s_pHead = rec;
    return kTexOk;
}

int32_t CTexture::LoadImage() {
    for (const ProgramBitmap& p : ProgramBitmaps()) {
        if (!EqualsNoCase(p.name, m_Name)) continue;
        auto bmp = std::make_unique<CBitmapImage>();
        if (ReadBmp(p.bytes.data(), p.bytes.size(), bmp.get())) {
            m_Width = static_cast<uint32_t>(bmp->width);
            m_Height = static_cast<uint32_t>(bmp->height);
            m_BitsPerPixel = bmp->bitsPerPixel;
            m_pBitmap = std::move(bmp);
            return kTexOk;
        }
        break;
    }
    if (!FileExists(m_Name.c_str())) return kTexNotFound;
    const size_t dot = m_Name.rfind('.');
    const std::string ext = dot == std::string::npos ? std::string() : m_Name.substr(dot);
    const bool isBmp = EqualsNoCase(ext, ".bmp"), isTga = EqualsNoCase(ext, ".tga");
    if (!isBmp && !isTga) return kTexNotImpl;
    CBinFile file;
    if (!file.Load(m_Name.c_str())) {
        plat::DebugPrintf("texture: cannot read %s\n", m_Name.c_str());
        return isBmp ? kTexNotFound : kTexFail;
    }
    if (isBmp) {
        auto bmp = std::make_unique<CBitmapImage>();
        if (!ReadBmp(file.GetData(), static_cast<size_t>(file.GetSize()), bmp.get())) {
            plat::DebugPrintf("texture: %s is not a bitmap this program reads\n", m_Name.c_str());
            return kTexNotFound;
        }
        m_Width = static_cast<uint32_t>(bmp->width);
        m_Height = static_cast<uint32_t>(bmp->height);
        m_BitsPerPixel = bmp->bitsPerPixel;
        m_pBitmap = std::move(bmp);
        return kTexOk;
    }
    int32_t w = 0, h = 0;
    uint32_t bits = 0;
    const int32_t r = ReadTga(file.GetData(), static_cast<size_t>(file.GetSize()), &w, &h, &bits, &m_Rgba);
    if (r != kTexOk) {
        plat::DebugPrintf("texture: %s is not a true-colour TGA of 24 or 32 bits\n", m_Name.c_str());
        return r;
    }
    m_Width = static_cast<uint32_t>(w);
    m_Height = static_cast<uint32_t>(h);
    m_BitsPerPixel = bits;
    return kTexOk;
}

void TextureSurfaceSize(uint32_t imageW, uint32_t imageH, uint32_t textureCaps, uint32_t maxW, uint32_t maxH,
                        uint32_t* outW, uint32_t* outH) {
    uint32_t w = imageW, h = imageH;
    if (textureCaps & D3DPTEXTURECAPS_POW2) {
        w = NextPow2(w);
        h = NextPow2(h);
    }
    if (!maxW) maxW = 256;
    if (!maxH) maxH = 256;
    w = std::min(w, maxW);
    h = std::min(h, maxH);
    if (textureCaps & D3DPTEXTURECAPS_SQUAREONLY) w = h = std::max(w, h);
    *outW = w;
    *outH = h;
}

int32_t CTexture::RestoreOn(RasterDevice* device) {
    if (m_pSurface) {
        m_pSurface->Release();
        m_pSurface = nullptr;
    }
    RasterCaps caps;
    if (!device || DDFailed(device->GetCaps(&caps))) return kTexFail;

    RasterTextureDesc desc;
    desc.caps = TEXCAPS_TEXTURE;
    if (caps.type == RasterDeviceType::Hal || caps.type == RasterDeviceType::TnLHal)
        desc.caps2 = TEXCAPS2_TEXTUREMANAGE;
    else
        desc.caps |= DDSCAPS_SYSTEMMEMORY;
    TextureSurfaceSize(m_Width, m_Height, caps.textureCaps, caps.maxTextureWidth, caps.maxTextureHeight, &desc.width,
                       &desc.height);
    desc.stage = m_Stage;

    FormatQuery q;
    q.alpha = (m_Flags & (kTexAlphaWhite | kTexAlphaBlack)) != 0;
    q.depth = m_BitsPerPixel;
    if (m_Flags & kTex16Bit)
        q.depth = 16;
    else if (m_Flags & kTex32Bit)
        q.depth = 32;
    device->EnumTextureFormats(PickFormat, &q);
    if (!q.found) {
        q.depth = 16;
        device->EnumTextureFormats(PickFormat, &q);
    }
    if (!q.found) return kTexFail;
    desc.format = q.format;

    const DDResult r = device->CreateTexture(desc, &m_pSurface);
    if (DDFailed(r)) {
        m_pSurface = nullptr;
        return r;
    }
    int32_t pitch = 0;
    uint8_t* texels = m_pSurface->Lock(&pitch);
    CopyInto(texels, pitch, desc.format);
    m_pSurface->Unlock();
    return kTexOk;
}

void CTexture::CopyInto(uint8_t* texels, int32_t pitch, const DDPixelFormat& format) const {
    const MaskField rf(format.rBitMask), gf(format.gBitMask), bf(format.bBitMask), af(format.alphaBitMask);
    const uint32_t texW = m_pSurface->Width(), texH = m_pSurface->Height();
    const uint32_t bytes = format.rgbBitCount / 8;
    const auto put = [&](uint32_t x, uint32_t y, uint32_t v) {
        uint8_t* p = texels + static_cast<size_t>(y) * pitch + x * bytes;
        if (bytes == 2) {
            const uint16_t s = static_cast<uint16_t>(v);
            std::memcpy(p, &s, 2);
        } else {
            std::memcpy(p, &v, 4);
        }
    };
    const auto get = [&](uint32_t x, uint32_t y) {
        const uint8_t* p = texels + static_cast<size_t>(y) * pitch + x * bytes;
        if (bytes == 2) {
            uint16_t s;
            std::memcpy(&s, p, 2);
            return static_cast<uint32_t>(s);
        }
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    };
    // The image is copied to the top-left corner; a larger surface keeps
    // black beyond it, a smaller one takes what fits.
    const uint32_t w = std::min(m_Width, texW), h = std::min(m_Height, texH);
    if (m_pBitmap) {
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const uint32_t c = m_pBitmap->rgb[static_cast<size_t>(y) * m_pBitmap->width + x];
                put(x, y, rf.Put((c >> 16) & 255u) | gf.Put((c >> 8) & 255u) | bf.Put(c & 255u));
            }
        if ((m_Flags & (kTexAlphaWhite | kTexAlphaBlack)) && format.alphaBitMask) {
            // Keyed alpha over the whole surface: pure white or pure black
            // (every colour bit set or clear) becomes transparent.
            const uint32_t colourBits = format.rBitMask | format.gBitMask | format.bBitMask;
            for (uint32_t y = 0; y < texH; ++y)
                for (uint32_t x = 0; x < texW; ++x) {
                    const uint32_t v = get(x, y);
                    const uint32_t rgb = v & colourBits;
                    const bool clear = ((m_Flags & kTexAlphaWhite) && rgb == colourBits) ||
                                       ((m_Flags & kTexAlphaBlack) && rgb == 0);
                    put(x, y, (v & ~format.alphaBitMask) | (clear ? 0u : format.alphaBitMask));
                }
        }
        return;
    }
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t c = m_Rgba[static_cast<size_t>(y) * m_Width + x];
            put(x, y, rf.Put(c >> 24) | gf.Put((c >> 16) & 255u) | bf.Put((c >> 8) & 255u) | af.Put(c & 255u));
        }
}

int32_t CTexture::Restore(const char* name, RasterDevice* device) {
    CTexture* t = Find(name);
    if (!t) return kTexNotFound;
    return t->RestoreOn(device);
}

int32_t CTexture::RestoreAll(RasterDevice* device) {
    for (CTexture* t = s_pHead; t; t = t->m_pNext) t->RestoreOn(device);
    return kTexOk;
}

void CTexture::DestroyAll() {
    while (s_pHead) {
        CTexture* next = s_pHead->m_pNext;
        delete s_pHead;
        s_pHead = next;
    }
}
