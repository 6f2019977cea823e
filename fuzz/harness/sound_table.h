#pragma once
// The sound table "SoundMdl.sy": the bytes are the table; a few valid
// sounds lie beside it under the names the seeds use. The manager reads
// the table, loads the resident sounds, plays every sound once and
// looping, loads a model's sounds (twice: the first call only remembers
// the model), changes volumes, unloads the on-demand sounds, plays again
// and releases, mixing on the null device in between.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "datagen/wave_writer.h"
#include "env.h"
#include "wave.h"
#include "core/txt_table.h"
#include "sound/sound_mng.h"

namespace fuzzharness {

// Names of the sounds present beside the table.
inline const std::vector<std::string>& SoundNames() {
    static const std::vector<std::string> names = {"click", "step", "hit"};
    return names;
}

// The sounds, made once: they do not depend on the input.
inline const std::vector<fuzzenv::File>& SoundWaves() {
    static const std::vector<fuzzenv::File> s_waves = [] {
        std::vector<fuzzenv::File> waves;
        uint32_t frames = 40;
        for (const std::string& n : SoundNames()) {
            datagen::WaveSpec spec;
            if (n == "hit") {
                spec.bits = 8;
                spec.channels = 2;
                spec.rate = 11025;
            }
            const std::vector<uint8_t> w =
                datagen::WaveBytes(spec, datagen::Pcm16Bytes(datagen::SineWave(spec.rate, frames, 440.0, 8000)));
            waves.push_back({n + ".sy", std::string(w.begin(), w.end())});
            frames += 30;
        }
        return waves;
    }();
    return s_waves;
}

inline std::vector<fuzzenv::File> SoundFiles(std::string table) {
    std::vector<fuzzenv::File> files;
    files.push_back({"SoundMdl.sy", std::move(table)});
    files.insert(files.end(), SoundWaves().begin(), SoundWaves().end());
    return files;
}

inline int RunSoundTable(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    fuzzenv::PlacedFiles files("SY", SoundFiles(std::string(reinterpret_cast<const char*>(data), size)),
                               fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;

    UseNullAudio();
    int accepted = 0;
    {
        CSoundMng mng;
        if (mng.Init(nullptr, files.Folder().c_str())) {
            accepted = 1;
            plat::NullAudioDevice* out = LastNullDevice();
            mng.LoadResident();
            std::vector<int> ids;
            // The index has a slot per table row plus 20; rows are at most
            // kTxtMaxRows.
            for (int id = 0; id < kTxtMaxRows + 20; ++id)
                if (mng.FindRecord(id)) ids.push_back(id);
            if (int(ids.size()) != mng.GetRecordCount()) fuzzenv::Fail("a record cannot be found by its id");
            if (ids.size() > 32) ids.resize(32);
            for (int id : ids) mng.Play(id, 0, 80, -2000);
            out->Advance(100);
            for (int id : ids) mng.Play(id, 1, 100, 3000);
            out->Advance(100);
            for (int id : ids) {
                const CSoundRecord* rec = mng.FindRecord(id);
                for (const char* p = rec->models.c_str(); *p;) {
                    const int model = std::atoi(p);
                    mng.LoadModelSounds(model);
                    mng.LoadModelSounds(model);
                    const char* star = std::strchr(p, '*');
                    if (!star) break;
                    p = star + 1;
                }
            }
            for (int id : ids) mng.SetVolumeAll(id, 50);
            mng.StopAll();
            mng.UnloadSounds(0);
            for (int id : ids) mng.Play(id, 0, 100, 0);
            out->Advance(100);
            mng.UnloadSounds(1);
            mng.Release();
        }
        mng.GetDevice().Close();
    }
    plat::SetAudioDeviceFactory({});
    return accepted;
}

} // namespace fuzzharness
