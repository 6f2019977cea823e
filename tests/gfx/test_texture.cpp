#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/bytes.h"
#include "datagen/texture_writer.h"
#include "gfx/texture.h"
#include "platform/display.h"
#include "platform/raster.h"
#include "platform/window.h"
#include "support/test_env.h"

using namespace plat;
using datagen::RgbaImage;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// 0xAARRGGBB -> 0xRRGGBBAA as the TGA reader stores it.
uint32_t ToRgba(uint32_t argb) { return (argb << 8) | (argb >> 24); }

RgbaImage Sample(int w, int h) {
    return datagen::MakeImage(w, h, [](int x, int y) {
        // Runs of equal pixels (for repeat packets) mixed with distinct ones.
        const uint32_t a = static_cast<uint32_t>(0x40 + 16 * x + y);
        return x < 3 ? (0x80112233u + 0x10000u * y) : ((a << 24) | (x * 40u << 16) | (y * 50u << 8) | (x + y));
    });
}

int32_t Decode(const std::string& file, int32_t* w, int32_t* h, std::vector<uint32_t>* px, uint32_t* bits = nullptr) {
    uint32_t b = 0;
    const auto v = Bytes(file);
    const int32_t r = ReadTga(v.data(), v.size(), w, h, &b, px);
    if (bits) *bits = b;
    return r;
}

TEST(TgaReader, DecodesPlainAndRunLengthInBothRowOrders) {
    const RgbaImage img = Sample(7, 5);
    for (int bits : {24, 32})
        for (bool rle : {false, true})
            for (bool topDown : {false, true}) {
                SCOPED_TRACE(testing::Message() << bits << " rle " << rle << " top " << topDown);
                int32_t w = 0, h = 0;
                uint32_t gotBits = 0;
                std::vector<uint32_t> px;
                ASSERT_EQ(Decode(datagen::TgaBytes(img, bits, rle, topDown, "id!"), &w, &h, &px, &gotBits), kTexOk);
                EXPECT_EQ(w, 7);
                EXPECT_EQ(h, 5);
                EXPECT_EQ(gotBits, static_cast<uint32_t>(bits));
                for (int y = 0; y < 5; ++y)
                    for (int x = 0; x < 7; ++x) {
                        const uint32_t want = ToRgba(img.At(x, y));
                        EXPECT_EQ(px[y * 7 + x], bits == 32 ? want : (want | 0xFF)) << x << "," << y;
                    }
            }
}

TEST(TgaReader, ReadsHandWrittenRunLengthBytes) {
    // 2 x 2, 24 bits, bottom-up: the file's first row is the image's bottom.
    datagen::Bytes b;
    b.Raw(datagen::TgaHeader(10, 2, 2, 24, false));
    b.U8(0x81).U8(0x01).U8(0x02).U8(0x03);                        // two of B1 G2 R3
    b.U8(0x01).U8(0x10).U8(0x20).U8(0x30).U8(0x40).U8(0x50).U8(0x60);  // two literals
    int32_t w, h;
    std::vector<uint32_t> px;
    ASSERT_EQ(Decode(b.str(), &w, &h, &px), kTexOk);
    EXPECT_EQ(px, (std::vector<uint32_t>{0x302010FFu, 0x605040FFu, 0x030201FFu, 0x030201FFu}));
}

TEST(TgaReader, PacketsRunOnAcrossRowsButNeverPastTheImage) {
    // 3 x 2 top-down: one repeat packet of 4 spills into the second row, a
    // literal packet of 2 finishes it.
    datagen::Bytes b;
    b.Raw(datagen::TgaHeader(10, 3, 2, 24, true));
    b.U8(0x83).U8(0x0A).U8(0x0B).U8(0x0C);
    b.U8(0x01).U8(1).U8(2).U8(3).U8(4).U8(5).U8(6);
    int32_t w, h;
    std::vector<uint32_t> px;
    ASSERT_EQ(Decode(b.str(), &w, &h, &px), kTexOk);
    const uint32_t k = 0x0C0B0AFFu;
    EXPECT_EQ(px, (std::vector<uint32_t>{k, k, k, k, 0x030201FFu, 0x060504FFu}));
    // A 128-pixel repeat packet for a 6-pixel image stops at the last pixel.
    datagen::Bytes over;
    over.Raw(datagen::TgaHeader(10, 3, 2, 32, false));
    over.U8(0xFF).U8(1).U8(2).U8(3).U8(4);
    ASSERT_EQ(Decode(over.str(), &w, &h, &px), kTexOk);
    EXPECT_EQ(px, std::vector<uint32_t>(6, 0x03020104u));
    // So does a literal packet longer than what is left.
    datagen::Bytes lit;
    lit.Raw(datagen::TgaHeader(10, 1, 1, 24, false));
    lit.U8(0x01).U8(1).U8(2).U8(3).U8(4).U8(5).U8(6);
    ASSERT_EQ(Decode(lit.str(), &w, &h, &px), kTexOk);
    EXPECT_EQ(px, std::vector<uint32_t>{0x030201FFu});
}

TEST(TgaReader, RefusesOtherKindsDepthsAndShortFiles) {
    int32_t w, h;
    std::vector<uint32_t> px;
    const RgbaImage img = Sample(4, 4);
    const std::string good = datagen::TgaBytes(img, 24, false);
    const std::string goodRle = datagen::TgaBytes(img, 24, true);
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"16 bits", datagen::TgaHeader(2, 2, 2, 16, false) + std::string(8, '\0')},
        {"16 bits rle", datagen::TgaHeader(10, 2, 2, 16, false) + std::string("\x83\x00\x00", 3)},
        {"8 bits", datagen::TgaHeader(2, 2, 2, 8, false) + std::string(4, '\0')},
        {"colour-mapped", datagen::TgaHeader(1, 2, 2, 24, false, 0, 1) + std::string(12, '\0')},
        {"colour-mapped rle", datagen::TgaHeader(9, 2, 2, 24, false, 0, 1) + std::string(12, '\0')},
        {"grey", datagen::TgaHeader(3, 2, 2, 24, false) + std::string(12, '\0')},
        {"no pixels", datagen::TgaHeader(2, 0, 2, 24, false)},
        {"short header", good.substr(0, 17)},
        {"short plain", good.substr(0, good.size() - 1)},
        {"short rle", goodRle.substr(0, goodRle.size() - 1)},
        {"id past the end", std::string(1, '\x50') + good.substr(1, 17)},
        {"huge claim", datagen::TgaHeader(10, 65535, 65535, 32, false) + std::string("\xFF\x01\x02\x03\x04", 5)},
    };
    for (const Case& c : cases) EXPECT_EQ(Decode(c.bytes, &w, &h, &px), kTexFail) << c.what;
}

TEST(BmpReader, DecodesDepthsAndRowOrders) {
    const RgbaImage img = Sample(5, 3);
    for (int bits : {8, 24, 32})
        for (bool topDown : {false, true}) {
            const auto v = Bytes(datagen::BmpBytes(img, bits, topDown));
            CBitmapImage bmp;
            ASSERT_TRUE(ReadBmp(v.data(), v.size(), &bmp)) << bits;
            EXPECT_EQ(bmp.bitsPerPixel, static_cast<uint32_t>(bits));
            ASSERT_EQ(bmp.width, 5);
            ASSERT_EQ(bmp.height, 3);
            for (int i = 0; i < 15; ++i) EXPECT_EQ(bmp.rgb[i], img.pixels[i] & 0xFFFFFF) << bits << " " << i;
            CBitmapImage cut;
            EXPECT_FALSE(ReadBmp(v.data(), v.size() - 1, &cut)) << bits;
        }
}

// Texture records on a device over a small display.
class TextureTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        UseHeadlessBackend();
        ASSERT_EQ(DirectDrawCreate(&dd_), DD_OK);
        DDSurfaceDesc d;
        d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.width = d.height = 16;
        d.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        ASSERT_EQ(dd_->CreateSurface(&d, &surf_), DD_OK);
        ASSERT_EQ(QueryRaster(dd_, &raster_), D3D_OK);
    }
    void TearDown() override {
        CTexture::DestroyAll();
        ClearProgramBitmaps();
        if (dev_) dev_->Release();
        raster_->Release();
        surf_->Release();
        dd_->Release();
        ResetRasterConfig();
        EXPECT_EQ(LiveRasterObjects(), 0);
        TempDirTest::TearDown();
    }
    RasterDevice* Device(const RasterCaps& caps = RasterCaps{}) {
        if (dev_) dev_->Release();
        SetRasterCaps(caps);
        raster_->CreateDevice(surf_, &dev_);
        return dev_;
    }
    void Write(const std::string& rel, const std::string& bytes) { datagen::WriteBytes(Dir() + rel, bytes); }
    static int Count() {
        int n = 0;
        for (CTexture* t = CTexture::s_pHead; t; t = t->m_pNext) ++n;
        return n;
    }

    DisplayDevice* dd_ = nullptr;
    DDSurface* surf_ = nullptr;
    Raster* raster_ = nullptr;
    RasterDevice* dev_ = nullptr;
};

TEST_F(TextureTest, CreateResultsAndTheCache) {
    Write("th/a.tga", datagen::TgaBytes(Sample(4, 2), 32, true));
    Write("th/b.TGA", datagen::TgaBytes(Sample(4, 2), 24, false));
    Write("th/c.png", "not read");
    Write("th/noext", "not read");
    Write("th/bad.tga", datagen::TgaHeader(2, 2, 2, 16, false) + std::string(8, '\0'));
    Write("th/bad.bmp", "BM garbage");
    EXPECT_EQ(CTexture::Create(nullptr, 0, 0), kTexInvalidArg);
    EXPECT_EQ(CTexture::Create("", 0, 0), kTexInvalidArg);
    EXPECT_EQ(CTexture::Create("th\\missing.tga", 0, 0), kTexNotFound);
    EXPECT_EQ(CTexture::Create("th\\c.png", 0, 0), kTexNotImpl);
    EXPECT_EQ(CTexture::Create("th\\noext", 0, 0), kTexNotImpl);
    EXPECT_EQ(CTexture::Create("th\\bad.tga", 0, 0), kTexFail);
    EXPECT_EQ(CTexture::Create("th\\bad.bmp", 0, 0), kTexNotFound);
    EXPECT_EQ(Count(), 0);  // failed records are not kept
    ASSERT_EQ(CTexture::Create("th\\a.tga", 0, 0), kTexOk);
    ASSERT_EQ(CTexture::Create("th\\b.TGA", 1, 0), kTexOk);
    CTexture* first = CTexture::Find("th\\a.tga");
    ASSERT_NE(first, nullptr);
    // The same name in another case is the same record; the first is kept.
    EXPECT_EQ(CTexture::Create("TH\\A.TGA", 3, kTex16Bit), kTexOk);
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(CTexture::Find("Th\\A.tGa"), first);
    EXPECT_EQ(first->m_Name, "th\\a.tga");
    EXPECT_EQ(first->m_Flags, 0u);
    EXPECT_EQ(first->m_Width, 4u);
    EXPECT_EQ(first->m_BitsPerPixel, 32u);
    EXPECT_EQ(CTexture::s_pHead->m_Name, "th\\b.TGA");  // newest first
    EXPECT_EQ(CTexture::Find("th\\other.tga"), nullptr);
    EXPECT_EQ(CTexture::Restore("th\\other.tga", Device()), kTexNotFound);
    EXPECT_EQ(CTexture::GetSurface("th\\a.tga"), nullptr);
    EXPECT_EQ(CTexture::RestoreAll(dev_), kTexOk);
    EXPECT_NE(CTexture::GetSurface("th\\a.tga"), nullptr);
    EXPECT_NE(CTexture::GetSurface("TH\\B.tga"), nullptr);
    EXPECT_EQ(CTexture::GetSurface("th\\b.tga")->Desc().stage, 1u);
}

TEST_F(TextureTest, ProgramBitmapsComeBeforeFiles) {
    Write("glow.bmp", datagen::BmpBytes(Sample(8, 8), 24));
    RegisterProgramBitmap("GLOW.BMP", Bytes(datagen::BmpBytes(Sample(3, 2), 8)));
    ASSERT_EQ(CTexture::Create("glow.bmp", 0, 0), kTexOk);
    EXPECT_EQ(CTexture::Find("glow.bmp")->m_Width, 3u);
    EXPECT_EQ(CTexture::Find("glow.bmp")->m_BitsPerPixel, 8u);
    // Only a resource, no file.
    RegisterProgramBitmap("inside", Bytes(datagen::BmpBytes(Sample(2, 2), 24)));
    EXPECT_EQ(CTexture::Create("inside", 0, 0), kTexOk);
}

TEST_F(TextureTest, SurfaceSizeFollowsTheDeviceCaps) {
    struct Case {
        uint32_t w, h, caps, maxW, maxH, wantW, wantH;
    };
    const uint32_t pow2 = D3DPTEXTURECAPS_POW2, square = D3DPTEXTURECAPS_SQUAREONLY;
    const Case cases[] = {
        {100, 60, pow2 | square, 2048, 2048, 128, 128}, {100, 60, 0, 2048, 2048, 100, 60},
        {100, 60, pow2, 2048, 2048, 128, 64},           {100, 60, square, 2048, 2048, 100, 100},
        {300, 100, pow2 | square, 0, 0, 256, 256},      {1000, 10, 0, 512, 8, 512, 8},
    };
    for (const Case& c : cases) {
        uint32_t w, h;
        TextureSurfaceSize(c.w, c.h, c.caps, c.maxW, c.maxH, &w, &h);
        EXPECT_EQ(w, c.wantW) << c.w << "x" << c.h << " caps " << c.caps;
        EXPECT_EQ(h, c.wantH) << c.w << "x" << c.h << " caps " << c.caps;
    }
    // Through a device: the 100 x 60 image lands top-left in 128 x 128.
    Write("t.tga", datagen::TgaBytes(datagen::MakeImage(100, 60, [](int, int) { return 0xFFFFFFFFu; }), 32, true));
    ASSERT_EQ(CTexture::Create("t.tga", 0, kTex32Bit), kTexOk);
    RasterCaps caps;
    caps.textureCaps = pow2 | square;
    ASSERT_EQ(CTexture::Restore("t.tga", Device(caps)), kTexOk);
    RasterTexture* s = CTexture::GetSurface("t.tga");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Width(), 128u);
    EXPECT_EQ(s->Height(), 128u);
    EXPECT_EQ(s->Desc().caps2, TEXCAPS2_TEXTUREMANAGE);
    EXPECT_EQ(s->TexelAt(99, 59), 0x00FFFFFFu);  // X8R8G8B8
    EXPECT_EQ(s->TexelAt(100, 59), 0u);
    EXPECT_EQ(s->TexelAt(99, 60), 0u);
    // A software device gets a system-memory texture.
    caps.type = RasterDeviceType::Software;
    ASSERT_EQ(CTexture::Restore("t.tga", Device(caps)), kTexOk);
    EXPECT_EQ(CTexture::GetSurface("t.tga")->Desc().caps, uint32_t{TEXCAPS_TEXTURE} | uint32_t{DDSCAPS_SYSTEMMEMORY});
}

TEST_F(TextureTest, FormatChoiceAndTexelConversion) {
    const RgbaImage px = datagen::MakeImage(2, 1, [](int x, int) { return x ? 0x80FF8040u : 0xFFFFFFFFu; });
    Write("p32.tga", datagen::TgaBytes(px, 32, false));
    Write("p24.tga", datagen::TgaBytes(px, 24, false));
    Write("p24.bmp", datagen::BmpBytes(datagen::MakeImage(3, 1, [](int x, int) {
        return x == 0 ? 0xFFFFFFu : x == 1 ? 0x000000u : 0x808080u;
    })));
    struct Case {
        const char* name;
        uint32_t flags;
        uint32_t bits, alphaMask, rMask;
        uint32_t texel0, texel1;
    };
    const Case cases[] = {
        // 32-bit source: X8R8G8B8, or A8R8G8B8 with an alpha flag.
        {"p32.tga", 0, 32, 0, 0xFF0000, 0x00FFFFFF, 0x00FF8040},
        {"p32.tga", kTexAlphaBlack, 32, 0xFF000000u, 0xFF0000, 0xFFFFFFFF, 0x80FF8040},
        // 24 bits has no format of its own: 16 bits, R5G6B5 or A1R5G5B5
        // (A4R4G4B4 is passed over).
        {"p24.tga", 0, 16, 0, 0xF800, 0xFFFF, 0xFC08},
        {"p24.tga", kTexAlphaWhite, 16, 0x8000, 0x7C00, 0xFFFF, 0xFE08},
        {"p24.tga", kTex32Bit, 32, 0, 0xFF0000, 0x00FFFFFF, 0x00FF8040},
        {"p32.tga", kTex16Bit, 16, 0, 0xF800, 0xFFFF, 0xFC08},
    };
    Device();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " flags " << c.flags);
        CTexture::DestroyAll();
        ASSERT_EQ(CTexture::Create(c.name, 0, c.flags), kTexOk);
        ASSERT_EQ(CTexture::Restore(c.name, dev_), kTexOk);
        RasterTexture* s = CTexture::GetSurface(c.name);
        EXPECT_EQ(s->Desc().format.rgbBitCount, c.bits);
        EXPECT_EQ(s->Desc().format.alphaBitMask, c.alphaMask);
        EXPECT_EQ(s->Desc().format.rBitMask, c.rMask);
        EXPECT_EQ(s->TexelAt(0, 0), c.texel0);
        EXPECT_EQ(s->TexelAt(1, 0), c.texel1);
    }
    // Bitmap alpha keys: white (every colour bit) or black transparent.
    for (uint32_t flag : {kTexAlphaWhite, kTexAlphaBlack}) {
        CTexture::DestroyAll();
        ASSERT_EQ(CTexture::Create("p24.bmp", 0, flag), kTexOk);
        ASSERT_EQ(CTexture::Restore("p24.bmp", dev_), kTexOk);
        RasterTexture* s = CTexture::GetSurface("p24.bmp");
        EXPECT_EQ(s->TexelAt(0, 0), flag == kTexAlphaWhite ? 0x7FFFu : 0xFFFFu);
        EXPECT_EQ(s->TexelAt(1, 0), flag == kTexAlphaBlack ? 0x0000u : 0x8000u);
        EXPECT_EQ(s->TexelAt(2, 0), 0xC210u);
    }
    // No usable format at all.
    SetRasterTextureFormats({DefaultRasterTextureFormats()[6], DefaultRasterTextureFormats()[7]});
    Device();
    EXPECT_EQ(CTexture::Restore("p24.bmp", dev_), kTexFail);
    EXPECT_EQ(CTexture::GetSurface("p24.bmp"), nullptr);
    // A device that cannot describe itself.
    SetRasterTextureFormats(DefaultRasterTextureFormats());
    ForceRasterResult(RasterOp::GetCaps, RASTER_E_FAIL);
    EXPECT_EQ(CTexture::Restore("p24.bmp", dev_), kTexFail);
}

} // namespace
