// Cost of mixing 32 looping voices (mono 16-bit, half of them resampled from
// 11025 Hz, each with its own volume and pan) into 22050 Hz stereo, in
// blocks of 1024 frames as the SDL callback asks for them.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/audio.h"

namespace {

void BM_Mix(benchmark::State& state) {
    const int voices = static_cast<int>(state.range(0));
    plat::NullAudioDevice dev;
    dev.SetPrimaryFormat(2, 22050, 16);
    std::vector<std::unique_ptr<plat::AudioBuffer>> buffers;
    for (int v = 0; v < voices; ++v) {
        plat::WaveFormat f;
        f.channels = 1;
        f.samplesPerSec = v % 2 ? 11025 : 22050;
        f.bitsPerSample = 16;
        f.blockAlign = 2;
        f.avgBytesPerSec = f.samplesPerSec * 2;
        std::unique_ptr<plat::AudioBuffer> b;
        dev.CreateSoundBuffer(f, 44100, plat::DSBCAPS_CTRLPAN | plat::DSBCAPS_CTRLVOLUME, &b);
        void* p = nullptr;
        uint32_t n = 0;
        b->Lock(0, 0, &p, &n, nullptr, nullptr, plat::DSBLOCK_ENTIREBUFFER);
        auto* s = static_cast<uint8_t*>(p);
        for (uint32_t i = 0; i < n; ++i) s[i] = static_cast<uint8_t>(i * 7 + v);
        b->Unlock(p, n, nullptr, 0);
        b->SetVolume(-(v * 97) % 3000);
        b->SetPan((v * 613) % 20001 - 10000);
        b->Play(0, plat::DSBPLAY_LOOPING);
        buffers.push_back(std::move(b));
    }
    constexpr uint32_t kFrames = 1024;
    std::vector<int16_t> out(kFrames * 2);
    for (auto _ : state) {
        dev.Mixer().Mix(out.data(), kFrames);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
    // Share of one core the mix takes in real time (1024 frames = 46.4 ms).
    state.counters["frames"] = benchmark::Counter(static_cast<double>(state.iterations() * kFrames),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Mix)->Arg(1)->Arg(8)->Arg(32);

} // namespace
