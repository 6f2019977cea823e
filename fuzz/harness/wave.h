#pragma once
// WAVE files (".sy" sounds): open and read the samples in pieces, then make
// sound buffers of the file on the null audio device as the effects
// manager does, play them (once and looping, panned and attenuated), mix a
// little, and refill from the kept copy after the file is dropped.
#include <memory>
#include <string>
#include <vector>

#include "env.h"
#include "platform/audio.h"
#include "sound/sound_device.h"
#include "sound/wave_file.h"

namespace fuzzharness {

// The null device the factory below handed out last.
inline plat::NullAudioDevice*& LastNullDevice() {
    static plat::NullAudioDevice* last = nullptr;
    return last;
}
// Makes the sound device a null device, as the sound tests do.
inline void UseNullAudio() {
    plat::SetAudioDeviceFactory([]() -> std::unique_ptr<plat::AudioDevice> {
        auto d = std::make_unique<plat::NullAudioDevice>();
        LastNullDevice() = d.get();
        return d;
    });
}

inline int RunWave(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzenv::PlacedFiles files("SY", {{"wave.sy", bytes}}, fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;
    const std::string path = files.Path();

    {
        CWaveFile wave;
        if (wave.Open(path.c_str(), nullptr, WAVEFILE_READ) < 0) return 0;
        const plat::WaveFormat* fmt = wave.GetFormat();
        if (!fmt) fuzzenv::Fail("an open WAVE file has no format");
        if (wave.GetSize() > size) fuzzenv::Fail("more samples than file");
        std::vector<uint8_t> buf(997);
        uint32_t total = 0, got = 0;
        do {
            if (wave.Read(buf.data(), uint32_t(buf.size()), &got) < 0) fuzzenv::Fail("a read of an open file failed");
            total += got;
        } while (got > 0 && total <= wave.GetSize());
        if (total != wave.GetSize()) fuzzenv::Fail("the samples read are not the data size");
        if (wave.ResetFile() < 0) fuzzenv::Fail("cannot rewind");
    }

    UseNullAudio();
    CDSoundDevice device;
    if (device.Init(nullptr, plat::DSSCL_PRIORITY, 2, 22050, 16) < 0) fuzzenv::Fail("no null device");
    plat::NullAudioDevice* out = LastNullDevice();
    std::unique_ptr<CSoundBuffer> sound;
    if (device.CreateSoundBuffer(&sound, path.c_str(), plat::DSBCAPS_CTRLPAN | plat::DSBCAPS_CTRLVOLUME, 0, 2) >= 0 &&
        sound) {
        sound->Play(0, 0);
        if (plat::AudioBuffer* b = sound->GetBuffer(0)) {
            b->SetVolume(-600);
            b->SetPan(2500);
        }
        out->Advance(300);
        sound->Play(0, plat::DSBPLAY_LOOPING);
        out->Advance(700);
        sound->Stop();
        sound->DropWaveFile();
        for (int i = 0; i < sound->GetCount(); ++i) sound->Fill(sound->GetBuffer(i), 1);
        sound->Reset();
        sound->Play(0, 0);
        out->Advance(200);
        sound.reset();
    }
    device.Close();
    plat::SetAudioDeviceFactory({});
    return 1;
}

} // namespace fuzzharness
