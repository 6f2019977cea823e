// Reference against fast kernels on an 800 x 600 frame with a padded pitch,
// in megapixels per second (counter "MP/s"). Arguments: the layout (16 =
// 5-6-5, 15 = 5-5-5) and the set (0 = reference, 1 = fast, 2 = fast without
// the AVX2 paths).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "datagen/image_encoder.h"
#include "kernel_fixtures.h"
#include "gfx/color_tables.h"
#include "gfx/fast_kernels.h"
#include "gfx/kernels.h"
#include "platform/display.h"
#include "platform/fast_stretch.h"
#include "platform/window.h"

namespace {

using namespace kbench;

// Set 2 is the fast set with the vector paths off (the portable code).
bool Fast(const benchmark::State& state) {
    fast::UseVectorPaths(state.range(1) != 2);
    return state.range(1) != 0;
}


void BM_CmpKeyedCopy(benchmark::State& state) {
    const int format = int(state.range(0));
    Frame src, dst;
    src.Fill(format, 4);
    dst.Fill(format, 0, 99);
    auto fn = Fast(state) ? fast::KeyedCopy16 : ref::KeyedCopy16;
    for (auto _ : state) {
        fn(dst.Row(0), src.Row(0), kW, kH, kPitch, kPitch, Key(format));
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_CmpBlendCopy(benchmark::State& state) {
    const int format = int(state.range(0));
    UseLayout(format);
    Frame src, dst;
    src.Fill(format, 4);
    dst.Fill(format, 0, 99);
    auto fn = Fast(state) ? fast::BlendCopy16 : ref::BlendCopy16;
    for (auto _ : state) {
        fn(dst.Row(0), src.Row(0), kW, kH, kPitch, kPitch, g_BlendTables[6], g_BlendTables[9], Key(format));
        benchmark::ClobberMemory();
    }
    Report(state);
}

// Table map through a brightness level (per-field tables: 0.45 in mode 1),
// a blend fraction (arithmetic) and grey (no per-field form: looked up as
// it is).
void TableMapWith(benchmark::State& state, int table) {
    const int format = int(state.range(0));
    UseLayout(format);
    Frame dst;
    dst.Fill(format, 0);
    auto fn = Fast(state) ? fast::TableMap16 : ref::TableMap16;
    for (auto _ : state) {
        fn(dst.Row(0), kW, kH, kPitch, g_ColorTables[table]);
        benchmark::ClobberMemory();
    }
    Report(state);
}
void BM_CmpTableMapLevel(benchmark::State& state) { TableMapWith(state, 6); }
void BM_CmpTableMapFraction(benchmark::State& state) { TableMapWith(state, kFirstBlendTable + 9); }
void BM_CmpTableMapGrey(benchmark::State& state) { TableMapWith(state, kGreyTable); }


void BM_CmpRleCopy(benchmark::State& state) {
    const int format = int(state.range(0));
    RleImage img(format);
    Frame dst;
    auto fn = Fast(state) ? fast::RleCopy : ref::RleCopy;
    for (auto _ : state) {
        fn(dst.Row(0), img.rows, kW * 2, kH, kPitch, 0);
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_CmpRleTable(benchmark::State& state) {
    const int format = int(state.range(0));
    UseLayout(format);
    RleImage img(format);
    Frame dst;
    auto fn = Fast(state) ? fast::RleTable16 : ref::RleTable16;
    for (auto _ : state) {
        fn(dst.Row(0), img.rows, kW * 2, kH, kPitch, 0, g_ColorTables[34]);
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_CmpRleBlend(benchmark::State& state) {
    const int format = int(state.range(0));
    UseLayout(format);
    RleImage img(format);
    Frame dst;
    dst.Fill(format, 0);
    auto fn = Fast(state) ? fast::RleBlend16 : ref::RleBlend16;
    for (auto _ : state) {
        fn(dst.Row(0), img.rows, kW * 2, kH, kPitch, 0, g_BlendTables[10], g_BlendTables[5]);
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BM_CmpRleAlpha(benchmark::State& state) {
    const int format = int(state.range(0));
    UseLayout(format);
    RleImage img(format);
    Frame dst;
    dst.Fill(format, 0);
    auto fn = Fast(state) ? fast::RleAlpha16 : ref::RleAlpha16;
    for (auto _ : state) {
        fn(dst.Row(0), img.rows, img.alphaRows, kW * 2, kH, kPitch, kW, 0);
        benchmark::ClobberMemory();
    }
    Report(state);
}

// Small sprites, where the per-call work (walking the rows, checking the
// tables) weighs most: a 48 x 48 picture with a transparent border and an
// alpha plane, drawn 100 times per iteration.
void SmallSprites(benchmark::State& state, int kernel) {
    const int format = int(state.range(0));
    UseLayout(format);
    constexpr int S = 48;
    std::vector<uint16_t> px(S * S);
    std::vector<uint8_t> al(S * S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            const int dx = x - S / 2, dy = y - S / 2;
            const bool inside = dx * dx + dy * dy < (S / 2) * (S / 2);
            px[size_t(y) * S + x] = inside ? uint16_t((x * 2654435761u + y * 40503u) >> 9) & 0x7BEF : Key(format);
            al[size_t(y) * S + x] = inside ? uint8_t(255 - 4 * (dx * dx + dy * dy) / S) : 0;
        }
    const std::string plane = datagen::EncodeRleRows(px, S, S, Key(format));
    const std::string alpha = datagen::EncodeRleAlpha(al, S, S);
    const auto* p = reinterpret_cast<const uint8_t*>(plane.data());
    const auto* a = reinterpret_cast<const uint8_t*>(alpha.data());
    const RleRows rows{p + 4 * S, p}, arows{a + 4 * S, a};
    Frame dst;
    dst.Fill(format, 0);
    const bool f = Fast(state);
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            uint8_t* d = dst.Row((i * 37) % (kH - S)) + 2 * ((i * 53) % (kW - S));
            if (kernel == 0)
                (f ? fast::RleAlpha16 : ref::RleAlpha16)(d, rows, arows, 2 * S, S, kPitch, S, 0);
            else
                (f ? fast::RleTable16 : ref::RleTable16)(d, rows, 2 * S, S, kPitch, 0, g_ColorTables[5]);
        }
        benchmark::ClobberMemory();
    }
    Report(state, 100.0 * S * S);
}
void BM_CmpSmallRleAlpha(benchmark::State& state) { SmallSprites(state, 0); }
void BM_CmpSmallRleTable(benchmark::State& state) { SmallSprites(state, 1); }

// The whole view through the light grid of a night frame: ambient level 4
// with lit ellipses of higher levels, cell 8.
void BM_CmpLightApply(benchmark::State& state) {
    const int format = int(state.range(0));
    UseLayout(format);
    Frame src, dst;
    src.Fill(format, 0);
    const int cell = 8, cols = kW / cell, rows = kH / cell + 100 / cell + 1;
    std::vector<uint8_t> map(size_t(cols) * rows, 4);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const int dx = (c % 25) - 12, dy = (r % 20) - 10;
            const int d2 = dx * dx + 4 * dy * dy;
            if (d2 < 100) map[size_t(r) * cols + c] = uint8_t(15 - d2 / 10);
        }
    std::vector<const uint16_t*> tables(256);
    for (int k = 0; k < 256; ++k) tables[k] = k <= kLastColorTable ? g_ColorTables[k] : g_ColorTables[15];
    const LightApplyArgs a{dst.Row(0), kPitch, src.Row(0), kPitch, 0, 0, kW, kH, map.data(), cols, rows, cell,
                           tables.data()};
    auto fn = Fast(state) ? fast::LightApply16 : LightApply16Reference;
    for (auto _ : state) {
        fn(a);
        benchmark::ClobberMemory();
    }
    Report(state);
}

// The frame loop's zoom: the back buffer stretched onto itself from a
// rectangle inset by 5 % on each side.
void BM_CmpZoomStretch(benchmark::State& state) {
    plat::UseHeadlessBackend();
    plat::SetDisplayLayout(state.range(0) == 16 ? plat::PixelLayout::k565 : plat::PixelLayout::k555);
    plat::DisplayDevice* dd = nullptr;
    if (plat::DirectDrawCreate(&dd) != plat::DD_OK) {
        state.SkipWithError("no display device");
        return;
    }
    plat::DDSurfaceDesc d;
    d.flags = plat::DDSD_CAPS | plat::DDSD_WIDTH | plat::DDSD_HEIGHT;
    d.caps = plat::DDSCAPS_OFFSCREENPLAIN;
    d.width = kW;
    d.height = kH;
    plat::DDSurface* s = nullptr;
    if (dd->CreateSurface(&d, &s) != plat::DD_OK) {
        dd->Release();
        state.SkipWithError("no surface");
        return;
    }
    const int zx = int(kW * 0.05f), zy = int(kH * 0.05f);
    const plat::Rect from{zx, zy, kW - zx, kH - zy};
    plat::SelectFastStretch(Fast(state));
    for (auto _ : state) {
        s->Blt(nullptr, s, &from, plat::DDBLT_WAIT, nullptr);
        benchmark::ClobberMemory();
    }
    plat::SelectFastStretch(true);
    s->Release();
    dd->Release();
    Report(state);
}

void Args(benchmark::internal::Benchmark* b) {
    for (int format : {16, 15})
        for (int set : {0, 1, 2}) b->Args({format, set});
    b->ArgNames({"layout", "fast"});
}

BENCHMARK(BM_CmpKeyedCopy)->Apply(Args);
BENCHMARK(BM_CmpBlendCopy)->Apply(Args);
BENCHMARK(BM_CmpTableMapLevel)->Apply(Args);
BENCHMARK(BM_CmpTableMapFraction)->Apply(Args);
BENCHMARK(BM_CmpTableMapGrey)->Apply(Args);
BENCHMARK(BM_CmpRleCopy)->Apply(Args);
BENCHMARK(BM_CmpRleTable)->Apply(Args);
BENCHMARK(BM_CmpRleBlend)->Apply(Args);
BENCHMARK(BM_CmpRleAlpha)->Apply(Args);
BENCHMARK(BM_CmpSmallRleAlpha)->Apply(Args);
BENCHMARK(BM_CmpSmallRleTable)->Apply(Args);
BENCHMARK(BM_CmpLightApply)->Apply(Args);
BENCHMARK(BM_CmpZoomStretch)->Apply(Args);

} // namespace
