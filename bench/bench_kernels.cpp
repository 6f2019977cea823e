// Pixel kernels on an 800 x 600 frame with a padded pitch, in megapixels per
// second (counter "MP/s"). The argument is the layout the colour tables and
// pixels are made for: 16 = 5-6-5, 15 = 5-5-5.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "gfx/color_tables.h"
#include "gfx/kernels.h"
#include "kernel_fixtures.h"

namespace {

using namespace kbench;


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
    g_layout = 0;
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
