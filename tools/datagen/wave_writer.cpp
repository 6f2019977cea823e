#include "datagen/wave_writer.h"

#include <cmath>
#include "datagen/bytes.h"

namespace datagen {

namespace {
void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutChunk(std::vector<uint8_t>& b, const std::string& id, const std::vector<uint8_t>& payload) {
    b.insert(b.end(), id.begin(), id.begin() + 4);
    Put32(b, static_cast<uint32_t>(payload.size()));
    b.insert(b.end(), payload.begin(), payload.end());
    if (payload.size() % 2) b.push_back(0);
}
} // namespace

std::vector<uint8_t> WaveBytes(const WaveSpec& spec, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> fmt;
    const uint16_t align = static_cast<uint16_t>(spec.channels * (spec.bits / 8));
    Put16(fmt, spec.formatTag);
    Put16(fmt, spec.channels);
    Put32(fmt, spec.rate);
    Put32(fmt, spec.rate * align);
    Put16(fmt, align);
    Put16(fmt, spec.bits);
    if (spec.formatTag != 1) {
        Put16(fmt, static_cast<uint16_t>(spec.extra.size()));
        fmt.insert(fmt.end(), spec.extra.begin(), spec.extra.end());
    }
    std::vector<uint8_t> body = {'W', 'A', 'V', 'E'};
    PutChunk(body, "fmt ", fmt);
    for (const auto& [id, payload] : spec.otherChunks) PutChunk(body, id, payload);
    PutChunk(body, "data", data);
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    Put32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

bool WriteWave(const std::string& path, const WaveSpec& spec, const std::vector<uint8_t>& data) {
    const std::vector<uint8_t> bytes = WaveBytes(spec, data);
    return WriteBytes(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::vector<uint8_t> Pcm16Bytes(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> b;
    b.reserve(samples.size() * 2);
    for (int16_t s : samples) Put16(b, static_cast<uint16_t>(s));
    return b;
}

std::vector<int16_t> SineWave(uint32_t rate, uint32_t frames, double hz, int amplitude) {
    std::vector<int16_t> s(frames);
    const double kTwoPi = 6.283185307179586;
    for (uint32_t i = 0; i < frames; ++i) {
        s[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(kTwoPi * hz * i / rate)));
    }
    return s;
}

} // namespace datagen
