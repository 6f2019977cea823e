// CDSoundDevice and CSoundBuffer on the null device: buffer creation and its
// errors, filling with silence or repeats, free-buffer choice, and lost
// buffers restored (within a bound) and refilled after the file was dropped.
#include <cstring>

#include "platform/debug.h"
#include "sound/sound_device.h"
#include "sound_fixture.h"

namespace {

class SoundBufferTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        ASSERT_EQ(dev_.Init(nullptr, plat::DSSCL_PRIORITY, 2, 22050, 16), plat::DS_OK);
    }
    void TearDown() override {
        dev_.Close();
        SoundTest::TearDown();
    }
    static std::vector<uint8_t> Contents(plat::AudioBuffer* b) {
        void* p = nullptr;
        uint32_t n = 0;
        EXPECT_EQ(b->Lock(0, 0, &p, &n, nullptr, nullptr, plat::DSBLOCK_ENTIREBUFFER), plat::DS_OK);
        std::vector<uint8_t> out(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + n);
        b->Unlock(p, 0, nullptr, 0);
        return out;
    }
    // A device buffer larger than the file's data, prefilled with 0x55 so
    // leftovers would show.
    std::unique_ptr<plat::AudioBuffer> DirtyBuffer(uint16_t bits, uint32_t bytes) {
        plat::WaveFormat f;
        f.channels = 1;
        f.samplesPerSec = 22050;
        f.bitsPerSample = bits;
        f.blockAlign = bits / 8;
        f.avgBytesPerSec = 22050 * f.blockAlign;
        std::unique_ptr<plat::AudioBuffer> b;
        EXPECT_EQ(dev_.GetDevice()->CreateSoundBuffer(f, bytes, kSoundBufferFlags, &b), plat::DS_OK);
        void* p = nullptr;
        uint32_t n = 0;
        b->Lock(0, 0, &p, &n, nullptr, nullptr, plat::DSBLOCK_ENTIREBUFFER);
        std::memset(p, 0x55, n);
        b->Unlock(p, n, nullptr, 0);
        return b;
    }
    std::unique_ptr<CWaveFile> OpenWave(const std::string& name, uint16_t bits, const std::vector<uint8_t>& data) {
        datagen::WaveSpec spec;
        spec.bits = bits;
        EXPECT_TRUE(datagen::WriteWave(Dir() + name, spec, data));
        auto w = std::make_unique<CWaveFile>();
        EXPECT_EQ(w->Open(name.c_str(), nullptr, WAVEFILE_READ), plat::DS_OK);
        return w;
    }
    CDSoundDevice dev_;
};

} // namespace

TEST_F(SoundBufferTest, CreateSoundBufferErrors) {
    std::unique_ptr<CSoundBuffer> sb;
    CDSoundDevice closed;
    EXPECT_EQ(closed.CreateSoundBuffer(&sb, "x.sy", kSoundBufferFlags, 0, 1), plat::CO_E_NOTINITIALIZED);
    EXPECT_EQ(closed.SetPrimaryFormat(2, 22050, 16), plat::CO_E_NOTINITIALIZED);
    EXPECT_EQ(dev_.CreateSoundBuffer(&sb, nullptr, kSoundBufferFlags, 0, 1), plat::E_INVALIDARG);
    EXPECT_EQ(dev_.CreateSoundBuffer(nullptr, "x.sy", kSoundBufferFlags, 0, 1), plat::E_INVALIDARG);
    EXPECT_EQ(dev_.CreateSoundBuffer(&sb, "x.sy", kSoundBufferFlags, 0, 0), plat::E_INVALIDARG);
    EXPECT_EQ(dev_.CreateSoundBuffer(&sb, "missing.sy", kSoundBufferFlags, 0, 1), plat::E_FAIL);
    OpenWave("empty.sy", 16, {});
    EXPECT_EQ(dev_.CreateSoundBuffer(&sb, "empty.sy", kSoundBufferFlags, 0, 1), plat::E_FAIL);
    EXPECT_EQ(sb, nullptr);
    EXPECT_EQ(device_->Mixer().VoiceCount(), 0);

    noDevice_ = true;
    CDSoundDevice none;
    EXPECT_EQ(none.Init(nullptr, plat::DSSCL_PRIORITY, 2, 22050, 16), plat::DSERR_NODRIVER);
    EXPECT_EQ(none.GetDevice(), nullptr);
}

TEST_F(SoundBufferTest, DuplicatesPlayTheFileAndGetFreeSkipsBusyOnes) {
    OpenWave("three.sy", 16, datagen::Pcm16Bytes({1000, 2000}));
    std::unique_ptr<CSoundBuffer> sb;
    ASSERT_EQ(dev_.CreateSoundBuffer(&sb, "three.sy", kSoundBufferFlags, 0, 3), plat::DS_OK);
    ASSERT_EQ(sb->GetCount(), 3);
    EXPECT_EQ(sb->GetBuffer(3), nullptr);
    EXPECT_EQ(sb->GetBuffer(-1), nullptr);
    EXPECT_EQ(Contents(sb->GetBuffer(2)), datagen::Pcm16Bytes({1000, 2000}));  // duplicates share the samples
    EXPECT_EQ(sb->GetFree(), sb->GetBuffer(0));
    sb->GetBuffer(0)->Play(0, plat::DSBPLAY_LOOPING);
    EXPECT_EQ(sb->GetFree(), sb->GetBuffer(1));
    ASSERT_EQ(sb->Play(0, plat::DSBPLAY_LOOPING), plat::DS_OK);
    ASSERT_EQ(sb->Play(0, plat::DSBPLAY_LOOPING), plat::DS_OK);
    EXPECT_EQ(sb->IsPlaying(), 1);
    EXPECT_EQ(device_->Mixer().PlayingCount(), 3);
    // All busy: a random one (rand() % 3 with seed 1 draws 41 % 3 = 2).
    plat::SRand(1);
    EXPECT_EQ(sb->GetFree(), sb->GetBuffer(2));
    sb->Stop();
    EXPECT_EQ(sb->IsPlaying(), 0);
    sb.reset();
    EXPECT_EQ(device_->Mixer().VoiceCount(), 0);
}

TEST_F(SoundBufferTest, ShortDataLeavesSilenceOrRepeats) {
    // 8-bit pads with 128, 16-bit with 0; nothing of the old contents stays.
    {
        auto w = OpenWave("a8.sy", 8, {10, 20, 30});
        std::vector<std::unique_ptr<plat::AudioBuffer>> bufs;
        bufs.push_back(DirtyBuffer(8, 8));
        CSoundBuffer sb(std::move(bufs), 8, std::move(w));
        EXPECT_EQ(Contents(sb.GetBuffer(0)), (std::vector<uint8_t>{10, 20, 30, 128, 128, 128, 128, 128}));
        ASSERT_EQ(sb.Fill(sb.GetBuffer(0), 1), plat::DS_OK);
        EXPECT_EQ(Contents(sb.GetBuffer(0)), (std::vector<uint8_t>{10, 20, 30, 10, 20, 30, 10, 20}));
    }
    {
        auto w = OpenWave("a16.sy", 16, datagen::Pcm16Bytes({-2}));
        std::vector<std::unique_ptr<plat::AudioBuffer>> bufs;
        bufs.push_back(DirtyBuffer(16, 6));
        CSoundBuffer sb(std::move(bufs), 6, std::move(w));
        EXPECT_EQ(Contents(sb.GetBuffer(0)), (std::vector<uint8_t>{0xFE, 0xFF, 0, 0, 0, 0}));
        // After the file is dropped the kept samples refill the same way.
        sb.DropWaveFile();
        EXPECT_EQ(sb.GetWaveFile(), nullptr);
        ASSERT_EQ(sb.Fill(sb.GetBuffer(0), 1), plat::DS_OK);
        EXPECT_EQ(Contents(sb.GetBuffer(0)), (std::vector<uint8_t>{0xFE, 0xFF, 0xFE, 0xFF, 0xFE, 0xFF}));
    }
}

// The manager drops every file right after loading; a buffer lost later must
// still come back with its samples, not silence or a dangling file.
TEST_F(SoundBufferTest, LostBufferIsRestoredAndRefilledAfterTheFileWasDropped) {
    OpenWave("s.sy", 16, datagen::Pcm16Bytes({300, -400, 500}));
    std::unique_ptr<CSoundBuffer> sb;
    ASSERT_EQ(dev_.CreateSoundBuffer(&sb, "s.sy", kSoundBufferFlags, 0, 1), plat::DS_OK);
    sb->DropWaveFile();
    device_->Mixer().LoseAll(3);
    vtest::FakeClockScope clock(1000);
    ASSERT_EQ(sb->Play(0, 0), plat::DS_OK);
    EXPECT_EQ(clock->NowMs(), 1030u);  // three failed tries, 10 ms apart
    device_->SetCapture(true);
    device_->Advance(3);
    EXPECT_EQ(device_->Captured(), (std::vector<int16_t>{300, 300, -400, -400, 500, 500}));
}

TEST_F(SoundBufferTest, RestoreGivesUpInsteadOfHanging) {
    OpenWave("s.sy", 16, datagen::Pcm16Bytes({1}));
    std::unique_ptr<CSoundBuffer> sb;
    ASSERT_EQ(dev_.CreateSoundBuffer(&sb, "s.sy", kSoundBufferFlags, 0, 1), plat::DS_OK);
    device_->Mixer().LoseAll(1000000);
    vtest::FakeClockScope clock(0);
    plat::ClearDebugCapture();
    int restored = 7;
    EXPECT_EQ(sb->Restore(sb->GetBuffer(0), &restored), plat::DSERR_BUFFERLOST);
    EXPECT_EQ(restored, 0);
    EXPECT_EQ(clock->NowMs(), 10u * CSoundBuffer::kMaxRestoreTries);
    EXPECT_EQ(sb->Play(0, 0), plat::DSERR_BUFFERLOST);
    EXPECT_EQ(sb->IsPlaying(), 0);
    ASSERT_FALSE(plat::DebugCaptured().empty());
    EXPECT_NE(plat::DebugCaptured().back().find("still lost"), std::string::npos);
}
