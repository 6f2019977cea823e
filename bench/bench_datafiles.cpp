// Data-file layer: loading a full 10,000-row table, mounting a pack whose
// index is 50 MB, and opening entries of that pack.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/pack_file.h"
#include "core/txt_table.h"
#include "datagen/bytes.h"
#include "datagen/pack_writer.h"
#include "datagen/table_writer.h"

namespace {

// Scratch folder for the generated files, removed at exit. Kept on the
// heap so it outlives the exit handler that removes it.
const std::string& BenchDir() {
    static const std::string* dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vantrel-bench-XXXXXX").string();
        const char* made = mkdtemp(tmpl.data());
        auto* d = new std::string(made ? std::string(made) + "/" : std::string("./"));
        if (made)
            std::atexit([] {
                std::error_code ec;
                std::filesystem::remove_all(BenchDir(), ec);
            });
        return d;
    }();
    return *dir;
}

std::string WinForm(std::string s) {
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

constexpr int kTableRows = 10000;
// 385,505 entries of 136 bytes: an index of 50 MiB.
constexpr int kPackEntries = 50 * 1024 * 1024 / 136;

const std::string& TablePath() {
    static std::string path = [] {
        datagen::Table rows;
        rows.reserve(kTableRows);
        for (int i = 0; i < kTableRows; ++i) {
            rows.push_back({std::to_string(i), "\xC4\xA7\xB7\xA8\xD5\xC8" + std::to_string(i),  // "魔法杖"
                            std::to_string(i * 7 % 1000), "12*40*7", "", "3.25", std::to_string(i % 30),
                            "some longer descriptive text for the tooltip column"});
        }
        std::string p = BenchDir() + "table.txt";
        datagen::WriteTable(p, rows);
        return p;
    }();
    return path;
}

std::string PackName(bool scrambled) { return scrambled ? "cj" : "mb"; }

// Writes mb.fol (plain) or cj.fol (scrambled) once.
void EnsurePack(bool scrambled) {
    static bool made[2] = {false, false};
    if (made[scrambled]) return;
    std::vector<datagen::PackItem> items;
    items.reserve(kPackEntries);
    for (int i = 0; i < kPackEntries; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Scene%03d\\Obj%06d.txt", i % 500, i);
        items.push_back({name, "data"});
    }
    datagen::WriteBytes(BenchDir() + PackName(scrambled) + ".fol", datagen::BuildPack(items, scrambled));
    made[scrambled] = true;
}

void MountOne(bool scrambled) {
    g_PackRoot = WinForm(BenchDir());
    g_PackExt = "fol";
    g_PackNames = {PackName(scrambled)};
}

void BM_LoadTable10k(benchmark::State& state) {
    const std::string path = TablePath();
    for (auto _ : state) {
        CTxtTable t;
        int ok = t.Load(path.c_str(), 0, 0, 1);
        benchmark::DoNotOptimize(ok);
        if (t.GetRowCount() != kTableRows) state.SkipWithError("row count");
    }
    state.SetItemsProcessed(state.iterations() * kTableRows);
    state.SetBytesProcessed(state.iterations() * int64_t(std::filesystem::file_size(path)));
}
BENCHMARK(BM_LoadTable10k)->Unit(benchmark::kMillisecond);

void BM_MountPack50MB(benchmark::State& state) {
    const bool scrambled = state.range(0) != 0;
    EnsurePack(scrambled);
    MountOne(scrambled);
    for (auto _ : state) {
        int r = InitGameFileProperty();
        if (r != 1 || g_PackList.size() != 1 || g_PackList[0]->count != kPackEntries) state.SkipWithError("mount");
        UnmountPackLibraries();
    }
    state.SetItemsProcessed(state.iterations() * kPackEntries);
    state.SetBytesProcessed(state.iterations() * int64_t(kPackEntries) * 136);
}
BENCHMARK(BM_MountPack50MB)->Arg(0)->Arg(1)->ArgName("scrambled")->Unit(benchmark::kMillisecond);

void BM_OpenPackEntry(benchmark::State& state) {
    EnsurePack(true);
    MountOne(true);
    InitGameFileProperty();
    const std::string root = WinForm(BenchDir()) + "cj\\scene123\\obj";
    int i = 0;
    CPackFile f;
    for (auto _ : state) {
        char num[16];
        std::snprintf(num, sizeof num, "%06d.TXT", (i * 500 + 123) % kPackEntries);
        i = (i + 7) % 700;
        int r = f.Open((root + num).c_str(), "rb");
        if (r != 4) state.SkipWithError("open");
        benchmark::DoNotOptimize(r);
    }
    f.Close();
    UnmountPackLibraries();
}
BENCHMARK(BM_OpenPackEntry);

}  // namespace
