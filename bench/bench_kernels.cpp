// Pixel kernels on an 800 x 600 frame with a padded pitch, in megapixels per
// second (counter "MP/s"). The argument is the layout the colour tables and
// pixels are made for: 16 = 5-6-5, 15 = 5-5-5.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "gfx/color_tables.h"
#include "gfx/kernels.h"

namespace {

constexpr int kW = 800;
constexpr int kH = 600;
constexpr int kPitch = kW * 2 + 96;  // padded row pitch in bytes

int g_builtLayout = 0;

void UseLayout(int format) {
    if (g_builtLayout == format) return;
    FreeColorTables();
    BuildColorTables(format);
    g_builtLayout = format;
}

uint16_t Key(int format) { return format == 16 ? 0xF81F : 0x7C1F; }

struct Frame {
    std::vector<uint8_t> mem = std::vector<uint8_t>(size_t(kPitch) * kH + 4);
    uint8_t* Row(int y) { return mem.data() + size_t(y) * kPitch; }
    void Fill(int format, int keyEvery) {
        const uint16_t mask = format == 16 ? 0xFFFF : 0x7FFF;
        uint32_t s = 12345;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                s = s * 214013 + 2531011;
                uint16_t v = uint16_t(s >> 16) & mask;
                if (keyEvery && x % keyEvery == 0) v = Key(format);
                std::memcpy(Row(y) + 2 * x, &v, 2);
            }
    }
};

void Report(benchmark::State& state) {
    state.counters["MP/s"] =
        benchmark::Counter(double(state.iterations()) * kW * kH / 1e6, benchmark::Counter::kIsRate);
}

void BM_KeyedCopy(benchmark::State& state) {
    const int format = int(state.range(0));
    Frame src, dst;
    src.Fill(format, 4);
    dst.Fill(format, 0);
    for (auto _ : state) {
        KeyedCopy16(dst.Row(0), src.Row(0), kW, kH, kPitch, kPitch, Key(format));
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_KeyedCopyNoKey(benchmark::State& state) {
    const int format = int(state.range(0));
    Frame src, dst;
    src.Fill(format, 0);
    for (auto _ : state) {
        KeyedCopy16(dst.Row(0), src.Row(0), kW, kH, kPitch, kPitch, 0xFFFFFFFFu);
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_BlendCopy(benchmark::State& state) {
    const int format = int(state.range(0));
    UseLayout(format);
    Frame src, dst;
    src.Fill(format, 4);
    dst.Fill(format, 0);
    for (auto _ : state) {
        BlendCopy16(dst.Row(0), src.Row(0), kW, kH, kPitch, kPitch, g_BlendTables[6], g_BlendTables[9], Key(format));
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_TableMap(benchmark::State& state) {
    const int format = int(state.range(0));
    UseLayout(format);
    Frame dst;
    dst.Fill(format, 0);
    for (auto _ : state) {
        TableMap16(dst.Row(0), kW, kH, kPitch, g_ColorTables[32]);
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_FastFill(benchmark::State& state) {
    Frame dst;
    for (auto _ : state) {
        FastFill16(dst.Row(0) + 2, kW, kH, kPitch, 0x12345678u);
        benchmark::ClobberMemory();
    }
    Report(state);
}

std::vector<uint8_t> ShadeMask(int stride) {
    std::vector<uint8_t> m(size_t(stride) * kH);
    for (size_t i = 0; i < m.size(); ++i) m[i] = uint8_t((i * 7 + i / 13) % 10);
    return m;
}

void BM_ShadeRect(benchmark::State& state) {
    const int format = int(state.range(0));
    Frame dst;
    dst.Fill(format, 0);
    const std::vector<uint8_t> mask = ShadeMask(kW);
    for (auto _ : state) {
        if (format == 16)
            ShadeRect_565(dst.Row(0), mask.data(), kPitch, kW, kH, kW);
        else
            ShadeRect_555(dst.Row(0), mask.data(), kPitch, kW, kH, kW);
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_ShadeBlock32(benchmark::State& state) {
    const int format = int(state.range(0));
    Frame dst;
    dst.Fill(format, 0);
    const std::vector<uint8_t> mask = ShadeMask(32);
    for (auto _ : state) {
        // 25 x 18 blocks of 32 x 32 (800 x 576), scaled to the full frame below.
        for (int by = 0; by + 32 <= kH; by += 32)
            for (int bx = 0; bx < kW; bx += 32) {
                if (format == 16)
                    ShadeBlock32_565(dst.Row(by) + 2 * bx, mask.data(), kPitch);
                else
                    ShadeBlock32_555(dst.Row(by) + 2 * bx, mask.data(), kPitch);
            }
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(state.iterations()) * kW * (kH / 32 * 32) / 1e6, benchmark::Counter::kIsRate);
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

void BM_RleCopy(benchmark::State& state) {
    const int format = int(state.range(0));
    RleImage img(format);
    Frame dst;
    for (auto _ : state) {
        RleCopy(dst.Row(0), img.rows, kW * 2, kH, kPitch, 0);
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_RleTable(benchmark::State& state) {
    const int format = int(state.range(0));
    UseLayout(format);
    RleImage img(format);
    Frame dst;
    for (auto _ : state) {
        RleTable16(dst.Row(0), img.rows, kW * 2, kH, kPitch, 0, g_ColorTables[33]);
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_RleBlend(benchmark::State& state) {
    const int format = int(state.range(0));
    UseLayout(format);
    RleImage img(format);
    Frame dst;
    dst.Fill(format, 0);
    for (auto _ : state) {
        RleBlend16(dst.Row(0), img.rows, kW * 2, kH, kPitch, 0, g_BlendTables[9], g_BlendTables[6]);
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_RleAlpha(benchmark::State& state) {
    const int format = int(state.range(0));
    UseLayout(format);
    RleImage img(format);
    Frame dst;
    dst.Fill(format, 0);
    for (auto _ : state) {
        RleAlpha16(dst.Row(0), img.rows, img.alphaRows, kW * 2, kH, kPitch, kW, 0);
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_RleAlphaFaded(benchmark::State& state) {
    const int format = int(state.range(0));
    UseLayout(format);
    RleImage img(format);
    Frame dst;
    dst.Fill(format, 0);
    for (auto _ : state) {
        RleAlphaFaded16(dst.Row(0), img.rows, img.alphaRows, kW * 2, kH, kPitch, kW, 0, 3);
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_BuildColorTables(benchmark::State& state) {
    const int format = int(state.range(0));
    for (auto _ : state) {
        FreeColorTables();
        BuildColorTables(format);
    }
    FreeColorTables();
    g_builtLayout = 0;
}

} // namespace

BENCHMARK(BM_KeyedCopy)->Arg(16)->Arg(15);
BENCHMARK(BM_KeyedCopyNoKey)->Arg(16)->Arg(15);
BENCHMARK(BM_BlendCopy)->Arg(16)->Arg(15);
BENCHMARK(BM_TableMap)->Arg(16)->Arg(15);
BENCHMARK(BM_FastFill)->Arg(16);
BENCHMARK(BM_ShadeRect)->Arg(16)->Arg(15);
BENCHMARK(BM_ShadeBlock32)->Arg(16)->Arg(15);
BENCHMARK(BM_RleCopy)->Arg(16)->Arg(15);
BENCHMARK(BM_RleTable)->Arg(16)->Arg(15);
BENCHMARK(BM_RleBlend)->Arg(16)->Arg(15);
BENCHMARK(BM_RleAlpha)->Arg(16)->Arg(15);
BENCHMARK(BM_RleAlphaFaded)->Arg(16)->Arg(15);
BENCHMARK(BM_BuildColorTables)->Arg(16)->Arg(15)->Unit(benchmark::kMillisecond);
