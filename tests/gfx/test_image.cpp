#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "gfx/raw_image.h"
#include "gfx/res_lib.h"
#include "gfx/rle_image.h"
#include "test_image_fixture.h"

using namespace imgtest;

namespace {

constexpr uint16_t K = kColorKey565;

std::vector<uint8_t> Buf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// A 13 x 9 picture with transparent holes: a keyed left column, a keyed
// middle band in row 3, a fully keyed row 6 and varied colours elsewhere.
datagen::ImageFrame Sample(bool rle, bool alpha) {
    datagen::ImageFrame f;
    f.width = 13;
    f.height = 9;
    f.rle = rle;
    for (int32_t y = 0; y < f.height; ++y)
        for (int32_t x = 0; x < f.width; ++x) {
            uint16_t p = static_cast<uint16_t>(0x8000 + 0x0123 * x + 0x0F0F * y);
            if (p == K) p = 0;
            if (x == 0 || y == 6 || (y == 3 && x > 3 && x < 9)) p = K;
            f.pixels.push_back(p);
            f.alpha.push_back(static_cast<uint8_t>((x * 37 + y * 11) % 7 == 0 ? 0 : (x * 0x13 + y * 0x31) & 0xFF));
        }
    if (!alpha) f.alpha.clear();
    f.compressAlpha = alpha;
    return f;
}

class ImageFrames : public ImageTest {};

TEST_F(ImageFrames, DivisorTablesOfReaderAndWriterAgree) {
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(kFrameSizeDivisors[i], datagen::kFrameSizeDivisors[i]) << i;
        EXPECT_GT(kFrameSizeDivisors[i], 0u);
    }
}

TEST_F(ImageFrames, SizeRestoration) {
    struct Case {
        bool rle, altered;
        uint8_t wdiv, hdiv;
        int32_t w, wadd, h, hadd;
        int result;
        int32_t outW, outH;
    };
    const Case cases[] = {
        {true, true, 1, 3, 41, 5, 17, -2, 1, 41 / 2 + 5, 17 / 4 - 2},
        {true, true, 7, 0, -35, 0, 3, 0, 1, -2, 3},  // truncation toward zero
        {false, true, 1, 1, 40, 5, 10, 5, 1, 40, 10},  // raw frames keep their stored size
        {true, false, 1, 1, 40, 5, 10, 5, 1, 40, 10},
        {true, true, 8, 0, 40, 0, 10, 0, 0, 40, 10},   // outside the table: refused, untouched
        {true, true, 0, 9, 40, 0, 10, 0, 0, 40, 10},
    };
    for (const Case& c : cases) {
        uint8_t h[48] = {};
        h[frame::kRle] = c.rle;
        h[frame::kSizeAltered] = c.altered;
        h[frame::kWidthDiv] = c.wdiv;
        h[frame::kHeightDiv] = c.hdiv;
        PutLeU32(h + frame::kWidth, static_cast<uint32_t>(c.w));
        PutLeU32(h + frame::kWidthAdd, static_cast<uint32_t>(c.wadd));
        PutLeU32(h + frame::kHeight, static_cast<uint32_t>(c.h));
        PutLeU32(h + frame::kHeightAdd, static_cast<uint32_t>(c.hadd));
        EXPECT_EQ(RestoreFrameSize(h), c.result);
        EXPECT_EQ(LeI32(h + frame::kWidth), c.outW);
        EXPECT_EQ(LeI32(h + frame::kHeight), c.outH);
        EXPECT_EQ(h[frame::kSizeAltered], (c.rle && c.altered && c.result) ? 0 : c.altered);
    }
}

TEST_F(ImageFrames, AlteredFrameIsRestoredOncePerLoad) {
    datagen::ImageFrame f = Sample(true, false);
    f.alterSize = true;
    f.widthDiv = 6;
    f.heightDiv = 2;
    f.widthAdd = 4;
    f.heightAdd = -1;
    std::vector<uint8_t> data = Buf(datagen::EncodeFrame(f));
    CRleImage a, b;
    ASSERT_EQ(a.Attach(data.data(), static_cast<uint32_t>(data.size())), 1);
    ASSERT_EQ(b.Attach(data.data(), static_cast<uint32_t>(data.size())), 1);
    EXPECT_EQ(a.m_Width, 13);
    EXPECT_EQ(a.m_Height, 9);
    EXPECT_EQ(b.m_Width, 13);
    EXPECT_EQ(b.m_Height, 9);
    EXPECT_EQ(data[frame::kSizeAltered], 0);
}

// A 3 x 2 RLE frame written by hand: row 0 = key, A, B; row 1 = C, key, key.
TEST_F(ImageFrames, HandWrittenRleFrame) {
    const uint16_t A = 0x1111, B = 0x2222, C = 0x3333;
    std::string hand(48, '\0');
    hand.replace(0, 4, std::string("PIC\0", 4));
    hand[5] = 3;
    hand[13] = 2;
    hand[21] = 16;
    hand[22] = 16;
    hand[23] = 1;
    hand[29] = '\x1F';
    hand[30] = '\xF8';
    const std::string rows = std::string("\x00\x00\x00\x00\x08\x00\x00\x00", 8) +  // row offsets
                             std::string("\x02\x00\x04\x00\x11\x11\x22\x22", 8) +  // skip 2, run A B
                             std::string("\x00\x00\x02\x00\x33\x33\x04\x00", 8);   // skip 0, run C, skip 4
    hand += rows;

    datagen::ImageFrame f;
    f.width = 3;
    f.height = 2;
    f.rle = true;
    f.pixels = {K, A, B, C, K, K};
    EXPECT_EQ(datagen::EncodeFrame(f), hand);

    std::vector<uint8_t> data = Buf(hand);
    CRleImage img;
    ASSERT_EQ(img.Attach(data.data(), static_cast<uint32_t>(data.size())), 1);
    EXPECT_EQ(img.IsRle(), 1);
    EXPECT_EQ(img.Kind(), 6);
    const uint32_t expect[2][3] = {{K, A, B}, {C, K, K}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(img.GetPixel(x, y), expect[y][x]) << x << "," << y;
    EXPECT_EQ(img.GetPixel(3, 0), K);
    EXPECT_EQ(img.GetPixel(0, -1), K);
    g_PixelFormat.m_Format = kFormat555;
    EXPECT_EQ(img.GetPixel(0, 0), 0x7C1Fu);
    EXPECT_EQ(img.GetPixel(0, 1), C);

    // Copy onto a 4 x 3 surface at (1, 1): bytes exactly where the runs are.
    auto s = PatternSurface(4, 3);
    std::vector<uint16_t> want = Pixels(4, 3);
    want[1 * 4 + 2] = A;
    want[1 * 4 + 3] = B;
    want[2 * 4 + 1] = C;
    EXPECT_EQ(img.Draw(s.get(), 1, 1, 0, -1, nullptr), 1);
    EXPECT_EQ(Read(*s), want);
}

TEST_F(ImageFrames, RawFrameOwnBufferAndCopy) {
    datagen::ImageFrame f = Sample(false, false);
    f.ownBuffer = true;
    f.copyPixels = true;
    std::vector<uint8_t> data = Buf(datagen::EncodeFrame(f));
    CRawImage img;
    ASSERT_EQ(img.Attach(data.data(), static_cast<uint32_t>(data.size())), 1);
    EXPECT_EQ(img.m_OwnsPixels, 1);
    EXPECT_NE(img.m_pPixels, data.data() + 48);
    EXPECT_EQ(std::memcmp(img.m_pPixels, data.data() + 48, 13 * 9 * 2), 0);
    // The copy is the image's own: primitives draw into it, not the frame.
    img.FillRect(0x0001, 0, 0, 2, 2);
    EXPECT_EQ(LeU16(img.m_pPixels), 0x0001);
    EXPECT_NE(LeU16(data.data() + 48), 0x0001);

    CRawImage inPlace;
    f.ownBuffer = f.copyPixels = false;
    data = Buf(datagen::EncodeFrame(f));
    ASSERT_EQ(inPlace.Attach(data.data(), static_cast<uint32_t>(data.size())), 1);
    EXPECT_EQ(inPlace.m_pPixels, data.data() + 48);
    EXPECT_EQ(inPlace.m_Pitch, 26);
    EXPECT_EQ(inPlace.GetColorKey(), K);

    CRawImage fromHeader(data.data());
    EXPECT_EQ(fromHeader.m_Width, 13);
    EXPECT_EQ(fromHeader.m_OwnsPixels, 1);
    EXPECT_EQ(fromHeader.m_Pitch, 26);
}

// Frames whose fields lie: each is refused on attach, nothing is read past
// its bytes (the sanitizer build checks), and a draw touches nothing.
TEST_F(ImageFrames, MalformedFramesAreRefused) {
    const std::string rle = datagen::EncodeFrame(Sample(true, true));
    const std::string raw = datagen::EncodeFrame(Sample(false, false));
    const uint32_t alphaSize = LeU32(reinterpret_cast<const uint8_t*>(rle.data()) + frame::kAlphaSize);
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::vector<Case> cases;
    const auto patch = [](std::string s, size_t at, uint32_t v, int n = 4) {
        std::string le;
        for (int i = 0; i < n; ++i) le.push_back(static_cast<char>(v >> (8 * i)));
        return s.replace(at, le.size(), le);
    };
    cases.push_back({"short header", rle.substr(0, 47)});
    cases.push_back({"divisor index", patch(patch(rle, frame::kSizeAltered, 1, 1), frame::kWidthDiv, 8, 1)});
    cases.push_back({"alpha size past the end", patch(rle, frame::kAlphaSize, static_cast<uint32_t>(rle.size()))});
    cases.push_back({"alpha row offset", patch(rle, 48 + 4 * 2, 0xFFFF0000u)});
    cases.push_back({"pixel row offset", patch(rle, 48 + alphaSize + 4 * 8, 0x7FFFFFF0u)});
    cases.push_back({"rows cut short", rle.substr(0, rle.size() - 1)});
    cases.push_back({"height too large", patch(rle, frame::kHeight, 400)});
    cases.push_back({"negative width", patch(rle, frame::kWidth, 0xFFFFFFFEu)});
    cases.push_back({"bits per pixel", patch(rle, frame::kBits, 12, 1)});
    cases.push_back({"raw pixels past the end", patch(raw, frame::kHeight, 10)});
    cases.push_back({"raw huge size", patch(patch(raw, frame::kWidth, 0x10000), frame::kHeight, 0x10000)});
    cases.push_back({"raw alpha past the end", patch(raw, frame::kAlpha, 1, 1)});
    for (const Case& c : cases) {
        std::vector<uint8_t> data = Buf(c.bytes);
        const bool isRle = data.size() > frame::kRle && data[frame::kRle] != 0;
        std::unique_ptr<CImage> img;
        if (isRle)
            img = std::make_unique<CRleImage>();
        else
            img = std::make_unique<CRawImage>();
        EXPECT_EQ(img->Attach(data.data(), static_cast<uint32_t>(data.size())), 0) << c.name;
        auto s = PatternSurface(20, 20);
        for (int mode = 0; mode <= 5; ++mode) EXPECT_EQ(img->Draw(s.get(), 0, 0, mode, 8, nullptr), 0) << c.name;
        EXPECT_EQ(Read(*s), Pixels(20, 20)) << c.name;
    }
}

// Frames taken from a library file, drawn in every mode at positions that
// clip them on each side, compared with the model pixel by pixel.
class LibraryFrameDraws : public ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        frames_ = {Sample(false, false), Sample(true, false), Sample(true, true)};
        frames_[0].alpha.assign(13 * 9, 0x80);  // a raw frame's plain alpha plane changes nothing
        std::vector<std::string> entries;
        for (const auto& f : frames_) entries.push_back(datagen::EncodeFrame(f));
        ASSERT_TRUE(datagen::WriteLib(Dir() + "pics.lib", entries));
        ASSERT_EQ(lib_.Open("pics.lib"), 1);
    }
    void TearDown() override {
        lib_.Close();
        ImageTest::TearDown();
    }
    std::vector<datagen::ImageFrame> frames_;
    CResLib lib_;
};

TEST_F(LibraryFrameDraws, EveryModeClippedOnEachSide) {
    struct Pos {
        int32_t x, y;
        bool clip;
        CGameRect rect;
    };
    const Pos positions[] = {
        {5, 5, false, {}},    {-4, 6, false, {}},   {33, 6, false, {}},           {8, -3, false, {}},
        {8, 25, false, {}},   {-6, -5, false, {}},  {30, 24, false, {}},          {2, 2, true, {6, 4, 8, 5}},
        {-2, -2, true, {-5, -5, 12, 12}},           {10, 10, true, {0, 0, 40, 30}},
    };
    const int32_t modes[][2] = {{0, -1}, {1, 7}, {2, -1}, {3, 0}, {3, 5}, {3, 15}, {4, 33},
                                {4, 2},  {4, -1}, {5, 3}, {5, 0}, {6, 8}, {9, 8}};
    for (size_t fi = 0; fi < frames_.size(); ++fi) {
        CImage* img = lib_.GetImage(static_cast<uint32_t>(fi));
        ASSERT_NE(img, nullptr);
        RefPic ref = Ref(frames_[fi]);
        if (!ref.rle) ref.alpha.clear();
        for (const Pos& p : positions)
            for (const auto& m : modes) {
                auto s = PatternSurface(40, 30);
                const std::vector<uint16_t> want = Model(Pixels(40, 30), 40, 30, ref, p.x, p.y, 13, 9, 0, 0, m[0],
                                                         m[1], p.clip ? &p.rect : nullptr);
                EXPECT_EQ(img->Draw(s.get(), p.x, p.y, m[0], m[1], p.clip ? &p.rect : nullptr), 1);
                EXPECT_TRUE(Read(*s) == want) << "frame " << fi << " at " << p.x << "," << p.y << " mode " << m[0]
                                              << " level " << m[1];
            }
    }
}

TEST_F(LibraryFrameDraws, RegionsAndInvisibleDraws) {
    for (size_t fi = 0; fi < frames_.size(); ++fi) {
        CImage* img = lib_.GetImage(static_cast<uint32_t>(fi));
        ASSERT_NE(img, nullptr);
        const RefPic ref = Ref(frames_[fi]);
        // A part of the picture, and a part reaching past it (kept inside).
        const int32_t regions[][4] = {{3, 2, 6, 5}, {5, 4, 30, 30}, {-3, -2, 8, 8}};
        for (const auto& r : regions) {
            auto s = PatternSurface(40, 30);
            const auto want = Model(Pixels(40, 30), 40, 30, ref, 7, 9, r[2], r[3], r[0], r[1], 3, 9, nullptr);
            img->Blt(s.get(), 7, 9, r[2], r[3], r[0], r[1], 3, 9, nullptr);
            EXPECT_TRUE(Read(*s) == want) << "frame " << fi << " region " << r[0] << "," << r[1];
        }
        // Entirely outside the surface or the clip: 0, nothing touched.
        auto s = PatternSurface(40, 30);
        const CGameRect clip{0, 0, 5, 5};
        EXPECT_EQ(img->Draw(s.get(), 40, 0, 0, -1, nullptr), 0);
        EXPECT_EQ(img->Draw(s.get(), 0, -9, 0, -1, nullptr), 0);
        EXPECT_EQ(img->Draw(s.get(), 6, 6, 0, -1, &clip), 0);
        EXPECT_EQ(Read(*s), Pixels(40, 30));
    }
}

TEST_F(LibraryFrameDraws, AlphaModesNeedACompressedPlane) {
    // An RLE frame with a plain alpha plane: modes 2 and 5 draw nothing, return 1.
    datagen::ImageFrame f = Sample(true, true);
    f.compressAlpha = false;
    std::vector<uint8_t> data = Buf(datagen::EncodeFrame(f));
    CRleImage img;
    ASSERT_EQ(img.Attach(data.data(), static_cast<uint32_t>(data.size())), 1);
    auto s = PatternSurface(20, 20);
    EXPECT_EQ(img.Draw(s.get(), 1, 1, 2, -1, nullptr), 1);
    EXPECT_EQ(img.Draw(s.get(), 1, 1, 5, 2, nullptr), 1);
    EXPECT_EQ(Read(*s), Pixels(20, 20));
}

} // namespace
