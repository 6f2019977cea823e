// Resource library loading: entries read from the file and decoded into
// images (header checks and a walk of every RLE row included), in entries
// per second (counter "entries/s"). Argument: the frame side in pixels.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "gfx/res_lib.h"

namespace {

constexpr int kEntries = 1000;

std::string MakeLib(int side) {
    const auto dir = std::filesystem::temp_directory_path() / ("vantrel_bench_reslib_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / ("lib" + std::to_string(side) + ".lib")).string();
    std::vector<std::string> entries;
    for (int i = 0; i < kEntries; ++i) {
        datagen::ImageFrame f;
        f.width = f.height = side;
        f.rle = i % 4 != 0;  // three RLE frames to one raw
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                // A disc with a ragged edge: runs and skips on every row.
                const int dx = x - side / 2, dy = y - side / 2;
                const bool in = dx * dx + dy * dy < side * side / 4 && (x + y + i) % 11 != 0;
                f.pixels.push_back(in ? static_cast<uint16_t>(x * 31 + y * 7 + i) : datagen::kKey565);
            }
        if (i % 8 == 1) {
            f.alpha.assign(f.pixels.size(), 0);
            for (size_t p = 0; p < f.pixels.size(); ++p)
                if (f.pixels[p] != datagen::kKey565) f.alpha[p] = 0xC0;
            f.compressAlpha = true;
        }
        entries.push_back(datagen::EncodeFrame(f));
    }
    datagen::WriteLib(path, entries);
    return path;
}

void BM_LoadAndDecode(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const std::string path = MakeLib(side);
    uint64_t bytes = 0;
    for (auto _ : state) {
        CResLib lib;
        if (!lib.Open(path.c_str())) {
            state.SkipWithError("library does not open");
            break;
        }
        for (uint32_t i = 0; i < kEntries; ++i) benchmark::DoNotOptimize(lib.GetImage(i));
        bytes += g_LibLoadedBytes;
        lib.Close();
    }
    state.counters["entries/s"] = benchmark::Counter(kEntries, benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadAndDecode)->Arg(32)->Arg(64)->Arg(128)->Unit(benchmark::kMillisecond);

} // namespace
