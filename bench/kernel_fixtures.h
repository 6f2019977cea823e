#pragma once
// Frames, run-length images and colour-table set-up shared by the kernel
// benchmarks. One layout record for the whole program, so switching between
// benchmarks of different files never leaves tables of the other layout.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "gfx/color_tables.h"
#include "gfx/kernels.h"

namespace kbench {

constexpr int kW = 800;
constexpr int kH = 600;
constexpr int kPitch = kW * 2 + 96;

inline int g_layout = 0;
inline void UseLayout(int format) {
    if (g_layout == format) return;
    FreeColorTables();
    BuildColorTables(format);
    BuildBrightnessTables(1, format);
    g_layout = format;
}

inline uint16_t Key(int format) { return format == 16 ? 0xF81F : 0x7C1F; }

struct Frame {
    std::vector<uint8_t> mem = std::vector<uint8_t>(size_t(kPitch) * kH + 4);
    uint8_t* Row(int y) { return mem.data() + size_t(y) * kPitch; }
    void Fill(int format, int keyEvery, uint32_t seed = 12345) {
        const uint16_t mask = format == 16 ? 0xFFFF : 0x7FFF;
        uint32_t s = seed;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                s = s * 214013 + 2531011;
                uint16_t v = uint16_t(s >> 16) & mask;
                if (keyEvery && x % keyEvery == 0) v = Key(format);
                std::memcpy(Row(y) + 2 * x, &v, 2);
            }
    }
};

inline void Report(benchmark::State& state, double pixels = double(kW) * kH) {
    state.counters["MP/s"] = benchmark::Counter(double(state.iterations()) * pixels / 1e6, benchmark::Counter::kIsRate);
}

// An 800-wide RLE image: runs of 40 opaque pixels between skips of 10, and
// an alpha plane covering every pixel.
struct RleImage {
    std::vector<uint8_t> plane, alpha;
    RleRows rows{}, alphaRows{};
    explicit RleImage(int format) {
        std::vector<uint8_t> data, adata;
        std::vector<uint32_t> offs, aoffs;
        auto put16 = [](std::vector<uint8_t>& v, int x) {
            v.push_back(uint8_t(x));
            v.push_back(uint8_t(x >> 8));
        };
        const uint16_t mask = format == 16 ? 0xFFFF : 0x7FFF;
        for (int y = 0; y < kH; ++y) {
            offs.push_back(uint32_t(data.size()));
            put16(data, 0);
            for (int x = 0; x < kW; x += 50) {
                put16(data, 40 * 2);
                for (int i = 0; i < 40; ++i) put16(data, ((x + i) * 2654435761u >> 7) & mask);
                put16(data, 10 * 2);
            }
            aoffs.push_back(uint32_t(adata.size()));
            put16(adata, 0);
            put16(adata, kW);
            for (int x = 0; x < kW; ++x) adata.push_back(uint8_t(x * 37));
        }
        for (uint32_t o : offs)
            for (int i = 0; i < 4; ++i) plane.push_back(uint8_t(o >> (8 * i)));
        plane.insert(plane.end(), data.begin(), data.end());
        for (uint32_t o : aoffs)
            for (int i = 0; i < 4; ++i) alpha.push_back(uint8_t(o >> (8 * i)));
        alpha.insert(alpha.end(), adata.begin(), adata.end());
        rows = {plane.data() + 4 * kH, plane.data()};
        alphaRows = {alpha.data() + 4 * kH, alpha.data()};
    }
};

} // namespace kbench
