// The file overlay on table and pack loading, three ways side by side:
// "where:0" from the disk with no overlay installed (what the game does),
// "where:1" from the disk with an overlay installed that does not hold the
// file, "where:2" from the overlay.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/ini_file.h"
#include "core/pack_file.h"
#include "core/txt_table.h"
#include "datagen/bytes.h"
#include "datagen/pack_writer.h"
#include "datagen/table_writer.h"
#include "platform/fs.h"

namespace {

const std::string& Dir() {
    static const std::string* dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vantrel-bench-ov-XXXXXX").string();
        const char* made = mkdtemp(tmpl.data());
        auto* d = new std::string(made ? std::string(made) + "/" : std::string("./"));
        if (made)
            std::atexit([] {
                std::error_code ec;
                std::filesystem::remove_all(Dir(), ec);
            });
        return d;
    }();
    return *dir;
}

std::string Win(std::string s) {
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

constexpr int kRows = 2000;
constexpr int kEntries = 20000;

// The files, on disk and the same bytes in `Held()`; `Other()` holds an
// unrelated file only.
struct Files {
    std::string table, pack, ini;
    plat::FileOverlay held, other;
};
Files& Data() {
    static Files* f = [] {
        auto* d = new Files;
        datagen::Table rows;
        for (int i = 0; i < kRows; ++i)
            rows.push_back({std::to_string(i), "name" + std::to_string(i), std::to_string(i * 7 % 1000), "12*40*7",
                            "3.25", "some longer descriptive text for the tooltip column"});
        datagen::WriteTable(Dir() + "Table.txt", rows);
        std::vector<datagen::PackItem> items;
        for (int i = 0; i < kEntries; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "Scene%03d\\Obj%06d.txt", i % 500, i);
            items.push_back({name, "data"});
        }
        datagen::WriteBytes(Dir() + "cj.fol", datagen::BuildPack(items, true));
        datagen::WriteBytes(Dir() + "Setting.ini", "Version=3\r\nname=vantrel\r\nx=120\r\ny=-40\r\nspeed=2.5\r\n");
        for (const char* n : {"Table.txt", "cj.fol", "Setting.ini"}) {
            std::string bytes;
            FILE* in = std::fopen((Dir() + n).c_str(), "rb");
            for (int c; in && (c = std::fgetc(in)) != EOF;) bytes += char(c);
            if (in) std::fclose(in);
            d->held.Put(Dir() + n, bytes);
        }
        d->other.Put(Dir() + "elsewhere/x.txt", "x");
        return d;
    }();
    return *f;
}

// Installs the overlay of `where` for the benchmark's lifetime.
class Where {
public:
    explicit Where(int64_t where) {
        Data();
        plat::InstallFileOverlay(where == 0 ? nullptr : where == 1 ? &Data().other : &Data().held);
    }
    ~Where() { plat::InstallFileOverlay(nullptr); }
};

void BM_OverlayLoadTable(benchmark::State& state) {
    Where where(state.range(0));
    const std::string path = Win(Dir()) + "table.txt";
    for (auto _ : state) {
        CTxtTable t;
        benchmark::DoNotOptimize(t.Load(path.c_str(), 0, 0, 1));
        if (t.GetRowCount() != kRows) state.SkipWithError("rows");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_OverlayLoadTable)->DenseRange(0, 2)->ArgName("where")->Unit(benchmark::kMicrosecond);

void BM_OverlayMountPack(benchmark::State& state) {
    Where where(state.range(0));
    g_PackRoot = Win(Dir());
    g_PackExt = "fol";
    g_PackNames = {"cj"};
    for (auto _ : state) {
        if (InitGameFileProperty() != 1 || g_PackList.size() != 1) state.SkipWithError("mount");
        UnmountPackLibraries();
    }
    g_PackNames.clear();
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_OverlayMountPack)->DenseRange(0, 2)->ArgName("where")->Unit(benchmark::kMicrosecond);

void BM_OverlayOpenPackEntry(benchmark::State& state) {
    Where where(state.range(0));
    g_PackRoot = Win(Dir());
    g_PackExt = "fol";
    g_PackNames = {"cj"};
    InitGameFileProperty();
    const std::string root = Win(Dir()) + "cj\\scene123\\obj";
    int i = 0;
    CPackFile f;
    for (auto _ : state) {
        char num[16];
        std::snprintf(num, sizeof num, "%06d.TXT", (i * 500 + 123) % kEntries);
        i = (i + 7) % 40;
        if (f.Open((root + num).c_str(), "rb") != 4) state.SkipWithError("open");
    }
    f.Close();
    UnmountPackLibraries();
    g_PackNames.clear();
}
BENCHMARK(BM_OverlayOpenPackEntry)->DenseRange(0, 2)->ArgName("where");

// A small key=value file: opening dominates.
void BM_OverlayReadIni(benchmark::State& state) {
    Where where(state.range(0));
    const std::string path = Win(Dir()) + "setting.INI";
    for (auto _ : state) {
        CIniFile ini;
        int speed = 0;
        if (!ini.OpenFileRead(path.c_str()) || !ini.ReadInt("x", &speed)) state.SkipWithError("ini");
        benchmark::DoNotOptimize(speed);
    }
}
BENCHMARK(BM_OverlayReadIni)->DenseRange(0, 2)->ArgName("where");

}  // namespace
