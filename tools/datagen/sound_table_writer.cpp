#include "datagen/sound_table_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "datagen/table_writer.h"
#include "datagen/wave_writer.h"

namespace datagen {

bool WriteSoundTable(const std::string& path, const std::vector<SoundRow>& rows) {
    Table t;
    t.push_back({"name", "id", "files", "load", "models"});
    for (const auto& r : rows) {
        t.push_back({r.label, std::to_string(r.id), r.names, std::to_string(r.loadMode), r.models});
    }
    return WriteTable(path, t);
}

namespace {

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// A tone with a short linear fade at both ends so it starts and stops
// without a click.
std::vector<int16_t> Tone(uint32_t rate, uint32_t ms, double hz, int amplitude) {
    const uint32_t frames = rate * ms / 1000;
    std::vector<int16_t> s = SineWave(rate, frames, hz, amplitude);
    const uint32_t fade = std::min<uint32_t>(frames / 4, rate / 100);
    for (uint32_t i = 0; i < fade; ++i) {
        s[i] = static_cast<int16_t>(s[i] * static_cast<int>(i) / static_cast<int>(fade));
        s[frames - 1 - i] = static_cast<int16_t>(s[frames - 1 - i] * static_cast<int>(i) / static_cast<int>(fade));
    }
    return s;
}

} // namespace

bool WriteDemoSounds(const std::string& folder) {
    WaveSpec mono;
    mono.rate = 22050;
    bool ok = true;
    // Button click: short high blip.
    ok &= WriteWave(Join(folder, "click.sy"), mono, Pcm16Bytes(Tone(22050, 60, 1760.0, 9000)));
    // Footstep: low thud.
    ok &= WriteWave(Join(folder, "step.sy"), mono, Pcm16Bytes(Tone(22050, 90, 110.0, 14000)));
    // Hit: falling two-tone.
    std::vector<int16_t> hit = Tone(22050, 80, 660.0, 12000);
    const std::vector<int16_t> low = Tone(22050, 120, 440.0, 12000);
    hit.insert(hit.end(), low.begin(), low.end());
    ok &= WriteWave(Join(folder, "hit.sy"), mono, Pcm16Bytes(hit));
    // Ambient loop: one second of a soft chord, whole periods so it loops
    // cleanly.
    std::vector<int16_t> amb(22050);
    const std::vector<int16_t> a = SineWave(22050, 22050, 220.0, 3000);
    const std::vector<int16_t> b = SineWave(22050, 22050, 330.0, 2000);
    for (size_t i = 0; i < amb.size(); ++i) amb[i] = static_cast<int16_t>(a[i] + b[i]);
    ok &= WriteWave(Join(folder, "ambient.sy"), mono, Pcm16Bytes(amb));
    // Notice: 8-bit stereo chime at 11025 Hz, so the mixer's conversions run.
    WaveSpec chime;
    chime.channels = 2;
    chime.rate = 11025;
    chime.bits = 8;
    const std::vector<int16_t> c = Tone(11025, 300, 880.0, 20000);
    std::vector<uint8_t> chimeBytes;
    for (int16_t v : c) {
        chimeBytes.push_back(static_cast<uint8_t>((v >> 8) + 128));
        chimeBytes.push_back(static_cast<uint8_t>((v >> 9) + 128));
    }
    ok &= WriteWave(Join(folder, "notice.sy"), chime, chimeBytes);

    // Title loop: a soft four-note arpeggio of whole periods, so it loops
    // without a click.
    std::vector<int16_t> title;
    for (double hz : {220.0, 276.0, 330.0, 440.0}) {
        const std::vector<int16_t> note = Tone(22050, 500, hz, 2500);
        title.insert(title.end(), note.begin(), note.end());
    }
    ok &= WriteWave(Join(folder, "title.sy"), mono, Pcm16Bytes(title));
    // Menu hover: a faint tick.
    ok &= WriteWave(Join(folder, "hover.sy"), mono, Pcm16Bytes(Tone(22050, 35, 1320.0, 5000)));
    // Class chosen: a rising two-tone chime.
    std::vector<int16_t> chosen = Tone(22050, 100, 660.0, 9000);
    const std::vector<int16_t> high = Tone(22050, 140, 990.0, 9000);
    chosen.insert(chosen.end(), high.begin(), high.end());
    ok &= WriteWave(Join(folder, "chosen.sy"), mono, Pcm16Bytes(chosen));

    std::vector<SoundRow> rows = {
        {"click", 1, "click", 0, ""},
        {"step", 12, "step*step*step", 1, ""},
        {"hit", 20, "hit*hit", 2, "100*101"},
        {"ambient", 21, "ambient", 1, ""},
        {"notice", 22, "notice", 0, ""},
        {"title loop", 144, "title", 1, ""},
        {"menu hover", 147, "hover", 0, ""},
        {"class chosen", 149, "chosen", 1, ""},
    };
    // The manager indexes ids below the row count + 20 only, so like a full
    // table this one has a row for every id up to its highest; spare rows
    // name no file.
    for (int id = 23; id < 150; ++id)
        if (id != 144 && id != 147 && id != 149) rows.push_back({"spare", id, " ", 1, ""});
    ok &= WriteSoundTable(Join(folder, "SoundMdl.sy"), rows);
    return ok;
}

} // namespace datagen
