// The software mixer and the null device: sample-exact output for volume,
// pan, sample formats and resampling; buffer control; lost buffers.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/audio.h"

using namespace plat;

namespace {

WaveFormat Pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
    WaveFormat f;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.bitsPerSample = bits;
    f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}

constexpr uint32_t kCaps = DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;

std::unique_ptr<AudioBuffer> MakeBuffer(NullAudioDevice& dev, const WaveFormat& f, const std::vector<uint8_t>& bytes,
                                        uint32_t caps = kCaps) {
    std::unique_ptr<AudioBuffer> b;
    EXPECT_EQ(dev.CreateSoundBuffer(f, static_cast<uint32_t>(bytes.size()), caps, &b), DS_OK);
    void* p1 = nullptr;
    uint32_t n1 = 0;
    EXPECT_EQ(b->Lock(0, 0, &p1, &n1, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
    std::memcpy(p1, bytes.data(), n1);
    EXPECT_EQ(b->Unlock(p1, n1, nullptr, 0), DS_OK);
    return b;
}

std::vector<uint8_t> Le16(std::initializer_list<int> v) {
    std::vector<uint8_t> b;
    for (int s : v) {
        b.push_back(static_cast<uint8_t>(s & 0xFF));
        b.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
    }
    return b;
}

// Runs the device for `frames` and returns the captured samples.
std::vector<int16_t> MixFor(NullAudioDevice& dev, uint32_t frames) {
    dev.ClearCaptured();
    dev.SetCapture(true);
    dev.Advance(frames);
    return dev.Captured();
}

} // namespace

TEST(AudioGain, AttenuationAndPanToFixedPoint) {
    EXPECT_EQ(GainQ15(0), 32768);
    EXPECT_EQ(GainQ15(-10000), 0);        // the floor is silence, not 10^-5
    EXPECT_EQ(GainQ15(-600), 16423);      // 32768 x 10^-0.3 = 16422.9
    EXPECT_EQ(GainQ15(-2000), 3277);      // 32768 x 0.1
    EXPECT_FLOAT_EQ(AttenuationToGain(-2000), 0.1f);
    int l = 0, r = 0;
    PanToSideAttenuation(2500, &l, &r);
    EXPECT_EQ(l, -2500);  // a right pan attenuates the left side
    EXPECT_EQ(r, 0);
    PanToSideAttenuation(-400, &l, &r);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(r, -400);
}

// Mono 16-bit at the output rate: every output frame is the input sample
// times the side's Q15 gain, floored.
TEST(AudioMixer, VolumeAndPanAreSampleExact) {
    struct Case {
        int32_t volume, pan;
        int16_t left[3], right[3];
    };
    // Input samples 10000, -10000, 32767.
    const Case cases[] = {
        {0, 0, {10000, -10000, 32767}, {10000, -10000, 32767}},
        {-600, 0, {5011, -5012, 16422}, {5011, -5012, 16422}},
        {0, 2000, {1000, -1001, 3276}, {10000, -10000, 32767}},
        {0, -2000, {10000, -10000, 32767}, {1000, -1001, 3276}},
        {0, -10000, {10000, -10000, 32767}, {0, 0, 0}},
        {-10000, 0, {0, 0, 0}, {0, 0, 0}},
        {-600, 9000, {0, -1, 0}, {5011, -5012, 16422}},  // sides add: -9600 -> 33
    };
    for (const Case& c : cases) {
        NullAudioDevice dev;
        ASSERT_EQ(dev.SetPrimaryFormat(2, 22050, 16), DS_OK);
        auto b = MakeBuffer(dev, Pcm(1, 22050, 16), Le16({10000, -10000, 32767}));
        ASSERT_EQ(b->SetVolume(c.volume), DS_OK);
        ASSERT_EQ(b->SetPan(c.pan), DS_OK);
        ASSERT_EQ(b->Play(0, 0), DS_OK);
        const auto out = MixFor(dev, 4);
        ASSERT_EQ(out.size(), 8u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(out[2 * i], c.left[i]) << "volume " << c.volume << " pan " << c.pan << " frame " << i;
            EXPECT_EQ(out[2 * i + 1], c.right[i]) << "volume " << c.volume << " pan " << c.pan << " frame " << i;
        }
        EXPECT_EQ(out[6], 0);  // stopped after its last frame
        EXPECT_EQ(out[7], 0);
    }
}

TEST(AudioMixer, EightBitStereoAndMonoOutput) {
    NullAudioDevice dev;
    // 8-bit stereo: (byte - 128) x 256 per side, sides kept apart.
    auto b = MakeBuffer(dev, Pcm(2, 22050, 8), {200, 128, 0, 255});
    ASSERT_EQ(b->Play(0, 0), DS_OK);
    auto out = MixFor(dev, 2);
    EXPECT_EQ(out, (std::vector<int16_t>{18432, 0, -32768, 32512}));

    // Mono output: the two sides averaged.
    ASSERT_EQ(dev.SetPrimaryFormat(1, 22050, 16), DS_OK);
    ASSERT_EQ(b->SetCurrentPosition(0), DS_OK);
    ASSERT_EQ(b->Play(0, 0), DS_OK);
    out = MixFor(dev, 2);
    EXPECT_EQ(out, (std::vector<int16_t>{9216, -128}));  // (18432+0)/2, (-32768+32512)/2
    EXPECT_EQ(dev.SetPrimaryFormat(3, 22050, 16), E_INVALIDARG);
    EXPECT_EQ(dev.SetPrimaryFormat(2, 22050, 12), E_INVALIDARG);
}

TEST(AudioMixer, ResamplesLinearly) {
    NullAudioDevice dev;
    dev.SetPrimaryFormat(2, 22050, 16);
    // 11025 Hz into 22050 Hz: every second frame lies half-way.
    auto up = MakeBuffer(dev, Pcm(1, 11025, 16), Le16({0, 1000, 3000, -1000}));
    up->Play(0, 0);
    auto out = MixFor(dev, 9);
    const int16_t expect[] = {0, 500, 1000, 2000, 3000, 1000, -1000, -1000, 0};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(out[2 * i], expect[i]) << i;  // the last frame holds, then stops

    // 44100 Hz into 22050 Hz: every other input frame.
    auto down = MakeBuffer(dev, Pcm(1, 44100, 16), Le16({1, 2, 3, 4, 5, 6}));
    down->Play(0, 0);
    out = MixFor(dev, 4);
    EXPECT_EQ(out, (std::vector<int16_t>{1, 1, 3, 3, 5, 5, 0, 0}));
}

TEST(AudioMixer, LoopingWrapsAndOneShotStopsAtZero) {
    NullAudioDevice dev;
    auto b = MakeBuffer(dev, Pcm(1, 22050, 16), Le16({1, 2, 3}));
    b->Play(0, DSBPLAY_LOOPING);
    uint32_t status = 0;
    b->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    auto out = MixFor(dev, 7);
    const int16_t loop[] = {1, 2, 3, 1, 2, 3, 1};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(out[2 * i], loop[i]);
    uint32_t play = 99;
    b->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 2u);  // frame 1, in bytes

    b->Stop();
    b->SetCurrentPosition(2);
    b->Play(0, 0);
    out = MixFor(dev, 3);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(out[4], 0);
    b->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    b->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(b->SetCurrentPosition(6), E_INVALIDARG);  // past the end
}

TEST(AudioMixer, VoicesAddAndClip) {
    NullAudioDevice dev;
    auto a = MakeBuffer(dev, Pcm(1, 22050, 16), Le16({20000, -20000, 100}));
    auto b = MakeBuffer(dev, Pcm(1, 22050, 16), Le16({20000, -20000, 23}));
    a->Play(0, 0);
    b->Play(0, 0);
    EXPECT_EQ(dev.Mixer().PlayingCount(), 2);
    const auto out = MixFor(dev, 3);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[2], -32768);
    EXPECT_EQ(out[4], 123);
}

TEST(AudioMixer, DuplicatesShareSamplesNotState) {
    NullAudioDevice dev;
    auto a = MakeBuffer(dev, Pcm(1, 22050, 16), Le16({100, 200}));
    std::unique_ptr<AudioBuffer> d;
    ASSERT_EQ(dev.DuplicateSoundBuffer(*a, &d), DS_OK);
    EXPECT_EQ(dev.Mixer().VoiceCount(), 2);
    // Writing through the original is heard through the duplicate.
    void* p1 = nullptr;
    uint32_t n1 = 0;
    ASSERT_EQ(a->Lock(2, 2, &p1, &n1, nullptr, nullptr, 0), DS_OK);
    ASSERT_EQ(n1, 2u);
    std::memcpy(p1, Le16({-300}).data(), 2);
    a->Unlock(p1, n1, nullptr, 0);
    d->SetPan(-10000);
    d->Play(0, 0);
    auto out = MixFor(dev, 2);
    EXPECT_EQ(out, (std::vector<int16_t>{100, 0, -300, 0}));
    int32_t v = 1;
    a->GetPan(&v);
    EXPECT_EQ(v, 0);  // the original's pan is its own
    d.reset();
    EXPECT_EQ(dev.Mixer().VoiceCount(), 1);
}

TEST(AudioMixer, LockWrapsAroundTheRing) {
    NullAudioDevice dev;
    auto b = MakeBuffer(dev, Pcm(1, 22050, 16), Le16({1, 2, 3, 4}));
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(6, 4, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 2u);
    EXPECT_EQ(n2, 2u);
    EXPECT_EQ(std::memcmp(p1, Le16({4}).data(), 2), 0);
    EXPECT_EQ(std::memcmp(p2, Le16({1}).data(), 2), 0);
    void* q = nullptr;
    uint32_t qn = 0;
    EXPECT_EQ(b->Lock(0, 2, &q, &qn, nullptr, nullptr, 0), E_INVALIDARG);  // one lock at a time
    std::memcpy(p1, Le16({40}).data(), 2);
    std::memcpy(p2, Le16({10}).data(), 2);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    b->Play(0, 0);
    const auto out = MixFor(dev, 4);
    EXPECT_EQ(out, (std::vector<int16_t>{10, 10, 2, 2, 3, 3, 40, 40}));
    EXPECT_EQ(b->Lock(0, 4, &p1, &n1, nullptr, nullptr, 0), DS_OK);
    b->Unlock(p1, 0, nullptr, 0);
    EXPECT_EQ(b->Lock(6, 4, &p1, &n1, nullptr, nullptr, 0), E_INVALIDARG);  // wraps but no second part
}

TEST(AudioMixer, RefusesBadArguments) {
    NullAudioDevice dev;
    std::unique_ptr<AudioBuffer> b;
    WaveFormat adpcm = Pcm(1, 22050, 16);
    adpcm.formatTag = 2;
    EXPECT_EQ(dev.CreateSoundBuffer(adpcm, 100, kCaps, &b), DSERR_BADFORMAT);
    WaveFormat badAlign = Pcm(2, 22050, 16);
    badAlign.blockAlign = 3;
    EXPECT_EQ(dev.CreateSoundBuffer(badAlign, 100, kCaps, &b), DSERR_BADFORMAT);
    EXPECT_EQ(dev.CreateSoundBuffer(Pcm(1, 22050, 16), 1, kCaps, &b), E_INVALIDARG);
    EXPECT_EQ(dev.CreateSoundBuffer(Pcm(1, 22050, 16), 4, DSBCAPS_PRIMARYBUFFER, &b), E_INVALIDARG);
    EXPECT_EQ(b, nullptr);

    ASSERT_EQ(dev.CreateSoundBuffer(Pcm(1, 22050, 16), 4, kCaps, &b), DS_OK);
    EXPECT_EQ(b->SetVolume(1), E_INVALIDARG);
    EXPECT_EQ(b->SetVolume(-10001), E_INVALIDARG);
    EXPECT_EQ(b->SetPan(10001), E_INVALIDARG);
    std::unique_ptr<AudioBuffer> plain;
    ASSERT_EQ(dev.CreateSoundBuffer(Pcm(1, 22050, 16), 4, 0, &plain), DS_OK);
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(100), DSERR_CONTROLUNAVAIL);
}

TEST(AudioMixer, LostBuffersRestoreSilentAfterBoundedFailures) {
    NullAudioDevice dev;
    auto b = MakeBuffer(dev, Pcm(1, 22050, 16), Le16({500, 600}));
    b->Play(0, DSBPLAY_LOOPING);
    dev.Mixer().LoseAll(2);
    uint32_t status = 0;
    b->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_BUFFERLOST);
    EXPECT_EQ(b->Play(0, 0), DSERR_BUFFERLOST);
    void* p = nullptr;
    uint32_t n = 0;
    EXPECT_EQ(b->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DSERR_BUFFERLOST);
    EXPECT_EQ(MixFor(dev, 2), (std::vector<int16_t>{0, 0, 0, 0}));
    EXPECT_EQ(b->Restore(), DSERR_BUFFERLOST);
    EXPECT_EQ(b->Restore(), DSERR_BUFFERLOST);
    EXPECT_EQ(b->Restore(), DS_OK);
    // The contents did not survive: silence until refilled.
    b->Play(0, 0);
    EXPECT_EQ(MixFor(dev, 2), (std::vector<int16_t>{0, 0, 0, 0}));
}

TEST(AudioMixer, NullDeviceWritesItsMixAsWave) {
    NullAudioDevice dev;
    dev.SetPrimaryFormat(2, 8000, 16);
    auto b = MakeBuffer(dev, Pcm(1, 8000, 16), Le16({0x1234, -2}));
    b->SetPan(-10000);
    b->Play(0, 0);
    dev.SetCapture(true);
    dev.AdvanceMs(0);
    EXPECT_TRUE(dev.Captured().empty());  // time moves only when told
    dev.Advance(2);
    const auto path = (std::filesystem::temp_directory_path() / "vantrel_null_mix.wav").string();
    ASSERT_TRUE(dev.WriteCapturedWave(path));
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(path);
    const std::vector<uint8_t> expect = {
        'R', 'I', 'F', 'F', 44, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
        1, 0, 2, 0, 0x40, 0x1F, 0, 0, 0x00, 0x7D, 0, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a', 8, 0, 0, 0,
        0x34, 0x12, 0, 0, 0xFE, 0xFF, 0, 0};
    EXPECT_EQ(got, expect);
}

TEST(AudioMixer, BuffersOutlivingTheirDeviceAreHarmless) {
    std::unique_ptr<AudioBuffer> b;
    {
        NullAudioDevice dev;
        b = MakeBuffer(dev, Pcm(1, 22050, 16), Le16({1, 2}));
    }
    EXPECT_EQ(b->Play(0, 0), DS_OK);
    EXPECT_EQ(b->Stop(), DS_OK);
}

TEST(AudioDevice, FactoryChoosesTheDevice) {
    SetAudioDeviceFactory([] { return std::make_unique<NullAudioDevice>(); });
    auto dev = OpenAudioDevice();
    ASSERT_NE(dev, nullptr);
    EXPECT_STREQ(dev->Name(), "null");
    SetAudioDeviceFactory({});
    setenv("VANTREL_AUDIO", "null", 1);
    dev = OpenAudioDevice();
    unsetenv("VANTREL_AUDIO");
    ASSERT_NE(dev, nullptr);
    EXPECT_STREQ(dev->Name(), "null");
}

// Another thread mixes while this one creates, plays and destroys buffers;
// the mixer's lock keeps both sides consistent (run under the sanitizers).
TEST(AudioMixer, MixingThreadAndGameThreadShareTheMixer) {
    NullAudioDevice dev;
    std::atomic<bool> done{false};
    std::thread mixer([&] {
        std::vector<int16_t> out(2 * 256);
        while (!done.load()) dev.Mixer().Mix(out.data(), 256);
    });
    for (int i = 0; i < 300; ++i) {
        auto b = MakeBuffer(dev, Pcm(1, 11025, 16), Le16({1, 2, 3, 4, 5, 6, 7, 8}));
        b->Play(0, i % 2 ? DSBPLAY_LOOPING : 0);
        b->SetVolume(-(i % 50) * 10);
        b->SetPan((i % 21 - 10) * 100);
        uint32_t s = 0;
        b->GetStatus(&s);
    }
    done = true;
    mixer.join();
    EXPECT_EQ(dev.Mixer().VoiceCount(), 0);
}
