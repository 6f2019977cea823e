// CWaveFile: RIFF parsing with chunk padding, non-PCM extra bytes, program
// resources, and refusal of malformed files without reading past them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/wave_writer.h"
#include "platform/debug.h"
#include "sound/wave_file.h"
#include "support/test_env.h"

namespace {

class WaveFileTest : public vtest::TempDirTest {
protected:
    void TearDown() override {
        CWaveFile::ClearProgramResources();
        TempDirTest::TearDown();
    }
    static std::string Str(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }
};

std::vector<uint8_t> ReadAll(CWaveFile& w) {
    std::vector<uint8_t> out(w.GetSize() + 8, 0xEE);
    uint32_t got = 0;
    EXPECT_GE(w.Read(out.data(), static_cast<uint32_t>(out.size()), &got), 0);
    out.resize(got);
    return out;
}

} // namespace

// Written by hand: an odd-sized chunk between 'fmt ' and 'data' is skipped
// with its pad byte.
TEST_F(WaveFileTest, ReadsHandWrittenFileWithPaddedChunk) {
    const std::string bytes = std::string("RIFF") + std::string("\x34\x00\x00\x00", 4) + "WAVE" + "fmt " +
                              std::string("\x10\x00\x00\x00", 4) +
                              std::string("\x01\x00\x02\x00\x11\x2B\x00\x00\x44\xAC\x00\x00\x04\x00\x10\x00", 16) +
                              "LIST" + std::string("\x03\x00\x00\x00", 4) + "abc" + std::string(1, '\0') + "data" +
                              std::string("\x04\x00\x00\x00", 4) + "\x01\x02\x03\x04";
    WriteFile(Dir() + "t.sy", bytes);
    CWaveFile w;
    ASSERT_EQ(w.Open("T.SY", nullptr, WAVEFILE_READ), plat::DS_OK);  // case-insensitive like every path
    const plat::WaveFormat* f = w.GetFormat();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->formatTag, 1);
    EXPECT_EQ(f->channels, 2);
    EXPECT_EQ(f->samplesPerSec, 11025u);
    EXPECT_EQ(f->avgBytesPerSec, 44100u);
    EXPECT_EQ(f->blockAlign, 4);
    EXPECT_EQ(f->bitsPerSample, 16);
    EXPECT_TRUE(f->extra.empty());
    EXPECT_EQ(w.GetSize(), 4u);
    // Reads stop at the chunk's end; ResetFile starts over.
    uint8_t two[2];
    uint32_t got = 0;
    w.Read(two, 2, &got);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(ReadAll(w), (std::vector<uint8_t>{3, 4}));
    ASSERT_EQ(w.ResetFile(), plat::DS_OK);
    EXPECT_EQ(ReadAll(w), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST_F(WaveFileTest, NonPcmFormatKeepsItsExtraBytes) {
    datagen::WaveSpec spec;
    spec.formatTag = 2;
    spec.bits = 4;
    spec.extra = {9, 8, 7};
    ASSERT_TRUE(datagen::WriteWave(Dir() + "adpcm.sy", spec, {1, 2, 3, 4, 5}));
    CWaveFile w;
    ASSERT_EQ(w.Open("adpcm.sy", nullptr, WAVEFILE_READ), plat::DS_OK);
    EXPECT_EQ(w.GetFormat()->formatTag, 2);
    EXPECT_EQ(w.GetFormat()->extra, (std::vector<uint8_t>{9, 8, 7}));
    EXPECT_EQ(ReadAll(w), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
}

TEST_F(WaveFileTest, ProgramResourceStandsInForAMissingFile) {
    datagen::WaveSpec spec;
    CWaveFile::AddProgramResource("chime", "WAV", datagen::WaveBytes(spec, {7, 0}));
    CWaveFile w;
    ASSERT_EQ(w.Open("Chime", nullptr, WAVEFILE_READ), plat::DS_OK);
    EXPECT_EQ(ReadAll(w), (std::vector<uint8_t>{7, 0}));
    EXPECT_EQ(w.Open("other", nullptr, WAVEFILE_READ), plat::E_FAIL);
    EXPECT_EQ(w.Open(nullptr, nullptr, WAVEFILE_READ), plat::E_INVALIDARG);
    EXPECT_EQ(w.GetFormat(), nullptr);
}

TEST_F(WaveFileTest, RefusesMalformedFiles) {
    datagen::WaveSpec pcm;
    const std::string good = Str(datagen::WaveBytes(pcm, {1, 2, 3, 4}));
    std::string shortFmt = good;
    shortFmt[16] = 14;  // 'fmt ' of 14 bytes
    datagen::WaveSpec adpcm;
    adpcm.formatTag = 2;
    adpcm.extra = {1, 2};
    std::string extraPast = Str(datagen::WaveBytes(adpcm, {0, 0}));
    extraPast[36] = 50;  // extra count runs past the chunk
    datagen::WaveSpec adpcmNoCount;
    adpcmNoCount.formatTag = 2;
    std::string noCount = Str(datagen::WaveBytes(adpcmNoCount, {0, 0}));
    noCount.erase(36, 2);  // a 16-byte 'fmt ' without the count
    noCount[16] = 16;
    noCount[4] = static_cast<char>(noCount.size() - 8);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"truncated header", good.substr(0, 10)},
        {"not RIFF", "RIFX" + good.substr(4)},
        {"not WAVE", good.substr(0, 8) + "AVI " + good.substr(12)},
        {"short fmt", shortFmt},
        {"no fmt", good.substr(0, 12) + good.substr(36)},
        {"no data", good.substr(0, 36)},
        {"extra past fmt", extraPast},
        {"non-PCM without count", noCount},
        {"fmt cut by the file", good.substr(0, 30)},
    };
    for (const auto& c : cases) {
        WriteFile(Dir() + "bad.sy", c.bytes);
        CWaveFile w;
        EXPECT_EQ(w.Open("bad.sy", nullptr, WAVEFILE_READ), plat::E_FAIL) << c.what;
        EXPECT_EQ(w.GetFormat(), nullptr) << c.what;
        EXPECT_EQ(w.GetSize(), 0u) << c.what;
    }
}

TEST_F(WaveFileTest, DataChunkLongerThanTheFileIsCutToWhatIsThere) {
    datagen::WaveSpec pcm;
    std::string bytes = Str(datagen::WaveBytes(pcm, {1, 2, 3, 4, 5, 6}));
    bytes[40] = 0x00;  // declare 0x10000000 bytes of data
    bytes[43] = 0x10;
    bytes.resize(bytes.size() - 2);
    WriteFile(Dir() + "cut.sy", bytes);
    plat::ClearDebugCapture();
    CWaveFile w;
    ASSERT_EQ(w.Open("cut.sy", nullptr, WAVEFILE_READ), plat::DS_OK);
    EXPECT_EQ(w.GetSize(), 4u);
    EXPECT_EQ(ReadAll(w), (std::vector<uint8_t>{1, 2, 3, 4}));
    ASSERT_FALSE(plat::DebugCaptured().empty());
    EXPECT_NE(plat::DebugCaptured().back().find("4 of 268435456"), std::string::npos);
}
