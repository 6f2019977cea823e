#pragma once
// RIFF WAVE writer for test and demo sounds (the game's ".sy" files are
// plain WAVE files), plus small tone generators.
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

struct WaveSpec {
    uint16_t formatTag = 1;  // 1 = PCM
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    // For a non-PCM tag: the extra format bytes written after their u16 count.
    std::vector<uint8_t> extra;
    // Chunks written between 'fmt ' and 'data' (id, payload), padded to even
    // length as RIFF asks.
    std::vector<std::pair<std::string, std::vector<uint8_t>>> otherChunks;
};

// Whole file as bytes. `data` are the raw sample bytes (little-endian).
std::vector<uint8_t> WaveBytes(const WaveSpec& spec, const std::vector<uint8_t>& data);
// `path` is native; parent folders are created.
bool WriteWave(const std::string& path, const WaveSpec& spec, const std::vector<uint8_t>& data);

// Sample helpers: 16-bit samples to little-endian bytes.
std::vector<uint8_t> Pcm16Bytes(const std::vector<int16_t>& samples);
// A mono 16-bit sine of `frames` frames at `hz`, peak `amplitude`.
std::vector<int16_t> SineWave(uint32_t rate, uint32_t frames, double hz, int amplitude);

} // namespace datagen
