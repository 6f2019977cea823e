// The SDL audio device on SDL's dummy driver: it opens, reopens at a new
// output format and closes while its callback thread mixes a playing buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/audio.h"

TEST(AudioSdl, OpensReformatsAndClosesWhileMixing) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    auto dev = plat::OpenSdlAudioDevice();
    if (!dev) GTEST_SKIP() << "no SDL audio driver";
    EXPECT_STREQ(dev->Name(), "sdl");
    EXPECT_EQ(dev->SetCooperativeLevel(nullptr, plat::DSSCL_PRIORITY), plat::DS_OK);
    plat::WaveFormat f;
    f.channels = 1;
    f.samplesPerSec = 22050;
    f.bitsPerSample = 16;
    f.blockAlign = 2;
    f.avgBytesPerSec = 44100;
    std::unique_ptr<plat::AudioBuffer> b;
    ASSERT_EQ(dev->CreateSoundBuffer(f, 4410, plat::DSBCAPS_CTRLVOLUME, &b), plat::DS_OK);
    ASSERT_EQ(b->Play(0, plat::DSBPLAY_LOOPING), plat::DS_OK);
    EXPECT_EQ(dev->SetPrimaryFormat(2, 44100, 16), plat::DS_OK);
    EXPECT_EQ(dev->Mixer().OutputRate(), 44100u);
    EXPECT_EQ(dev->SetPrimaryFormat(2, 44100, 12), plat::E_INVALIDARG);
    EXPECT_EQ(b->SetVolume(-500), plat::DS_OK);
    b.reset();
    dev.reset();
}

// A sound driver that cannot open: one line on stderr says why, and the
// silent device stands in, draining the mixer on the wall clock so a
// one-shot sound still ends (a bounded wait, not a timing check).
TEST(AudioSdl, DeviceThatCannotOpenFallsBackToTheSilentMixerWithOneLine) {
    const char* old = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    unsetenv("VANTREL_AUDIO");
    plat::SetAudioDeviceFactory(nullptr);
    testing::internal::CaptureStderr();
    auto dev = plat::OpenAudioDevice();
    const std::string err = testing::internal::GetCapturedStderr();
    if (old) setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else unsetenv("SDL_AUDIODRIVER");
    ASSERT_NE(dev, nullptr);
    EXPECT_STREQ(dev->Name(), "silent");
    EXPECT_EQ(err.rfind("vantrel: no sound device (SDL audio: ", 0), 0u) << err;
    EXPECT_NE(err.find("); the game runs without sound\n"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

    EXPECT_EQ(dev->SetPrimaryFormat(2, 22050, 16), plat::DS_OK);
    plat::WaveFormat f;
    f.channels = 1;
    f.samplesPerSec = 22050;
    f.bitsPerSample = 16;
    f.blockAlign = 2;
    f.avgBytesPerSec = 44100;
    std::unique_ptr<plat::AudioBuffer> b;
    ASSERT_EQ(dev->CreateSoundBuffer(f, 2205, 0, &b), plat::DS_OK);  // 50 ms
    ASSERT_EQ(b->Play(0, 0), plat::DS_OK);
    uint32_t status = plat::DSBSTATUS_PLAYING;
    for (int i = 0; i < 1000 && (status & plat::DSBSTATUS_PLAYING); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        b->GetStatus(&status);
    }
    EXPECT_FALSE(status & plat::DSBSTATUS_PLAYING) << "the silent mixer never reached the end";
    b.reset();
    dev.reset();
}
