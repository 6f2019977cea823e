// Volumes, positional playback and scene emitters.
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "sound_fixture.h"

namespace {

class SoundPlayTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        WriteSound("a", Constant(4000, 16000));
        WriteSound("m", Constant(4000, 8000));
        WriteTable({{"a", 1, "a*a", 0, ""}, {"m", 2, "m", 1, ""}, {"n", 3, "m", 1, ""}});
        ASSERT_EQ(InitSound("SY\\", nullptr), 1);
    }
};

} // namespace

TEST(SoundVolumes, MusicAttenuationAndClamps) {
    const struct {
        int volume, stored, attenuation;
    } cases[] = {{100, 100, 0}, {50, 50, -1000}, {1, 1, -1980}, {0, 0, -10000}, {-5, 0, -2000}, {150, 100, 0}};
    for (const auto& c : cases) {
        SetMusicVolume(c.volume, 0);
        EXPECT_EQ(GetMusicVolume(), c.stored);
        EXPECT_EQ(MusicAttenuation(c.volume), c.attenuation) << c.volume;
    }
    SetEffectVolume(-3);
    EXPECT_EQ(GetEffectVolume(), 0);
    SetEffectVolume(101);
    EXPECT_EQ(GetEffectVolume(), 100);
    SetMusicVolume(100, 0);
}

TEST(SoundPosition, PercentAndPan) {
    EXPECT_EQ(SoundPercentForDistance(0), 100);
    EXPECT_EQ(SoundPercentForDistance(300), 100);
    EXPECT_EQ(SoundPercentForDistance(311), 100);
    EXPECT_EQ(SoundPercentForDistance(312), 99);
    EXPECT_EQ(SoundPercentForDistance(1500), 0);
    EXPECT_EQ(SoundPercentForDistance(2147483647), -178956845);  // no overflow
    EXPECT_EQ(SoundPanFor(100, 0), 600);   // right of the listener: right speaker
    EXPECT_EQ(SoundPanFor(-100, 0), -600);
    EXPECT_EQ(SoundPanFor(50, 50), 1);     // straight above or below
    EXPECT_EQ(SoundPanFor(5000, 0), 10000);
    EXPECT_EQ(SoundPanFor(-2000000000, 2000000000), -10000);
}

TEST_F(SoundPlayTest, EffectVolumeTimesPercent) {
    SetEffectVolume(80);
    PlayEffect(1, 0, 50, 0);
    EXPECT_EQ(g_SoundMng.FindRecord(1)->volume, 40);
    EXPECT_EQ(VolumeOf(1, g_SoundMng.FindRecord(1)->current), -6000);
    g_SoundMng.StopAll();
    SetEffectVolume(1);
    PlayEffect(1, 0, 99, 0);
    EXPECT_EQ(Mixer().PlayingCount(), 0);
}

TEST_F(SoundPlayTest, PlayEffectAtUsesDistanceAndSide) {
    SetSoundListener({400, 300});
    PlayEffectAtScreen(1, {400, 612}, 0);  // 312 px straight below
    CSoundRecord* rec = g_SoundMng.FindRecord(1);
    EXPECT_EQ(rec->volume, 99);
    EXPECT_EQ(PanOf(1, rec->current), 1);
    g_SoundMng.StopAll();
    // The world point goes through the installed conversion.
    SetSoundPointToScreen([](const CGamePoint& w) { return CGamePoint{w.x / 2, w.y / 2}; });
    PlayEffectAt(1, {1000, 600}, 0);  // screen (500, 300): 100 px right
    EXPECT_EQ(rec->volume, 100);
    EXPECT_EQ(PanOf(1, rec->current), 600);
    g_SoundMng.StopAll();
    PlayEffectAt(1, {-2400, 600}, 0);  // 1600 px away: inaudible
    EXPECT_EQ(Mixer().PlayingCount(), 0);
}

// A sound right of the listener is louder on the right speaker.
TEST_F(SoundPlayTest, RightOfTheListenerIsHeardOnTheRight) {
    SetSoundListener({0, 0});
    PlayEffectAtScreen(2, {250, 0}, 0);  // pan 1500, full volume
    device_->SetCapture(true);
    device_->Advance(2);
    // Right untouched; left attenuated by 15 dB (Q15 gain 5827).
    EXPECT_EQ(device_->Captured(), (std::vector<int16_t>{1422, 8000, 1422, 8000}));
}

TEST_F(SoundPlayTest, MusicTrackSwitchesAndRespectsVolumeZero) {
    PlayMusicSound(2, 1);
    EXPECT_EQ(GetCurrentMusicSound(), 2);
    EXPECT_EQ(VolumeOf(2, 0), 0);
    PlayMusicSound(3, 1);
    EXPECT_EQ(GetCurrentMusicSound(), 3);
    EXPECT_EQ(g_SoundMng.FindRecord(2)->buffers[0], nullptr);  // the old track was unloaded
    SetMusicVolume(0, 1);
    PlayMusicSound(2, 1);
    EXPECT_EQ(GetCurrentMusicSound(), 3);
    EXPECT_NE(g_SoundMng.FindRecord(3)->buffers[0], nullptr);
}

// Restarting keeps one looping copy per emitter however often it runs, and
// where two emitters share a one-buffer sound the nearer one sets the volume.
TEST_F(SoundPlayTest, EmitterRestartStopsBeforeReplaying) {
    g_SoundEmitters.Add(1, 100, 0);
    for (int i = 0; i < 4; ++i) g_SoundEmitters.Restart();
    EXPECT_EQ(Mixer().PlayingCount(), 1);
    g_SoundEmitters.RemoveAll();
    g_SoundMng.StopAll();

    g_SoundEmitters.Add(2, 900, 0);  // far: 100 - 600/12 = 50
    g_SoundEmitters.Add(2, 0, 0);    // near: 100
    g_SoundEmitters.Restart();
    g_SoundEmitters.Restart();
    EXPECT_EQ(Mixer().PlayingCount(), 1);
    EXPECT_EQ(VolumeOf(2, 0), 0);
    EXPECT_EQ(PanOf(2, 0), 1);
}

// A sound moving from far left to far right of the listener, written as a
// WAVE file by the null device: the left side dominates the first half and
// the right side the second. VANTREL_PAN_WAV names a path to keep the file.
TEST_F(SoundPlayTest, MovingSoundPansFromLeftToRight) {
    datagen::WaveSpec spec;
    WriteSound("tone", datagen::SineWave(22050, 2205, 441.0, 12000));
    WriteTable({{"tone", 9, "tone", 0, ""}});
    ASSERT_EQ(InitSound("SY\\", nullptr), 1);
    SetSoundListener({400, 300});
    device_->SetCapture(true);
    for (int x = -800; x <= 1600; x += 100) {  // 25 steps of 0.1 s
        PlayEffectAtScreen(9, {x, 300}, 0);
        device_->Advance(2205);
    }
    const std::string path = Dir() + "pan_sweep.wav";
    ASSERT_TRUE(device_->WriteCapturedWave(path));
    if (const char* keep = std::getenv("VANTREL_PAN_WAV")) std::filesystem::copy_file(path, keep,
        std::filesystem::copy_options::overwrite_existing);
    const auto& s = device_->Captured();
    const size_t half = s.size() / 2 - (s.size() / 2) % 2;
    auto rms = [&](size_t from, size_t to, int side) {
        double sum = 0;
        for (size_t i = from + side; i < to; i += 2) sum += double(s[i]) * s[i];
        return std::sqrt(sum / double((to - from) / 2));
    };
    const double firstL = rms(0, half, 0), firstR = rms(0, half, 1);
    const double secondL = rms(half, s.size(), 0), secondR = rms(half, s.size(), 1);
    EXPECT_GT(firstL, 2 * firstR);
    EXPECT_GT(secondR, 2 * secondL);
}
