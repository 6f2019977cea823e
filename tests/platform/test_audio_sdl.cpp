// The SDL audio device on SDL's dummy driver: it opens, reopens at a new
// output format and closes while its callback thread mixes a playing buffer.
#include <gtest/gtest.h>

#include <cstdlib>

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
