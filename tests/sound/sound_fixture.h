#pragma once
// Sound tests run on the null device: the fixture installs a factory that
// hands out null devices and keeps the last one so tests can mix and read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/sound_table_writer.h"
#include "datagen/wave_writer.h"
#include "platform/audio.h"
#include "platform/random.h"
#include "sound/sound_mng.h"
#include "sound/sound_play.h"
#include "support/test_env.h"

class SoundTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        plat::SetAudioDeviceFactory([this]() -> std::unique_ptr<plat::AudioDevice> {
            if (noDevice_) return nullptr;
            auto d = std::make_unique<plat::NullAudioDevice>();
            device_ = d.get();
            return d;
        });
        plat::SRand(1);
    }
    void TearDown() override {
        ReleaseSound();
        g_SoundMng.GetDevice().Close();
        g_SoundEmitters.RemoveAll();
        SetEffectVolume(100);
        SetMusicVolume(100, 0);
        SetSoundListener({0, 0});
        SetSoundPointToScreen({});
        plat::SetAudioDeviceFactory({});
        TempDirTest::TearDown();
    }

    // A mono 16-bit 22050 Hz sound "SY/<name>.sy" of the given samples.
    void WriteSound(const std::string& name, const std::vector<int16_t>& samples) {
        datagen::WaveSpec spec;
        ASSERT_TRUE(datagen::WriteWave(Dir() + "SY/" + name + ".sy", spec, datagen::Pcm16Bytes(samples)));
    }
    void WriteTable(const std::vector<datagen::SoundRow>& rows) {
        ASSERT_TRUE(datagen::WriteSoundTable(Dir() + "SY/SoundMdl.sy", rows));
    }
    plat::AudioMixer& Mixer() { return device_->Mixer(); }
    // Attenuation of buffer 0 of the sound's k-th CSoundBuffer, as the mixer holds it.
    int32_t VolumeOf(int id, int k) {
        CSoundRecord* rec = g_SoundMng.FindRecord(id);
        if (!rec || !rec->buffers[k]) return 1;
        int32_t v = 1;
        rec->buffers[k]->GetBuffer(0)->GetVolume(&v);
        return v;
    }
    int32_t PanOf(int id, int k) {
        CSoundRecord* rec = g_SoundMng.FindRecord(id);
        if (!rec || !rec->buffers[k]) return 1;
        int32_t v = 1;
        rec->buffers[k]->GetBuffer(0)->GetPan(&v);
        return v;
    }
    static std::vector<int16_t> Constant(size_t n, int16_t v) { return std::vector<int16_t>(n, v); }

    plat::NullAudioDevice* device_ = nullptr;
    bool noDevice_ = false;
};
