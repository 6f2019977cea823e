#pragma once
// Shared by the fuzz targets and by the regression tests that replay what
// they found: how an input reaches a loader. Everything is header-only so a
// test program can include a harness without linking anything from fuzz/.
//
// An input is a file. It is put where the game would find it, under the
// program folder (a scratch folder: VANTREL_HOME), either as a loose file or
// as an entry of a mounted pack (plain or scrambled), so the pack layer
// serves it the way it serves the game's data. Which of the three is decided
// by a hash of the bytes themselves: a saved input replays exactly, without
// a side channel.
//
// The fuzz targets install the platform's file overlay (UseFileOverlay):
// files then live in memory, and every open, read and seek still goes
// through the game's path translation, pack code and stdio streams. The
// regression tests replay the same inputs from the disk.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "core/pack_file.h"
#include "datagen/bytes.h"
#include "datagen/pack_writer.h"
#include "platform/debug.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/random.h"

namespace fuzzenv {

enum class Place { Disk, Pack, ScrambledPack };

inline const char* PlaceName(Place p) {
    return p == Place::Disk ? "disk" : p == Place::Pack ? "pack" : "scrambled pack";
}

// Tests pin the placement to replay a file through each of the three.
inline int& ForcedPlace() {
    static int forced = -1;
    return forced;
}
class ForcePlace {
public:
    explicit ForcePlace(Place p) { ForcedPlace() = int(p); }
    ~ForcePlace() { ForcedPlace() = -1; }
    ForcePlace(const ForcePlace&) = delete;
    ForcePlace& operator=(const ForcePlace&) = delete;
};

// FNV-1a over the bytes: half of the inputs are read from disk, a quarter
// from a plain pack, a quarter from a scrambled one.
inline Place PlaceFor(const uint8_t* data, size_t size) {
    if (ForcedPlace() >= 0) return Place(ForcedPlace());
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    switch (h & 3u) {
        case 2: return Place::Pack;
        case 3: return Place::ScrambledPack;
        default: return Place::Disk;
    }
}

// The program folder in the game's form (ending in '\\') and natively
// (ending in '/'), looked up again only when VANTREL_HOME changes.
struct Home {
    std::string win;
    std::string native;
};
inline const Home& ProgramHome() {
    static std::string s_key = "\x01";
    static Home s_home;
    const char* env = std::getenv("VANTREL_HOME");
    const std::string key = env ? env : "";
    if (key != s_key) {
        s_key = key;
        s_home.native = plat::ProgramDirNative();
        s_home.win = plat::ProgramDirWin();
    }
    return s_home;
}

// The overlay the fuzz targets read from, made and installed once.
inline plat::FileOverlay& Overlay() {
    static plat::FileOverlay s_overlay;
    return s_overlay;
}
inline void UseFileOverlay() { plat::InstallFileOverlay(&Overlay()); }

// A file at a native path: in the overlay when one is installed, else on
// disk (folders made as needed).
inline bool PutFile(const std::string& nativePath, std::string bytes) {
    if (plat::FileOverlay* ov = plat::InstalledFileOverlay()) {
        ov->Put(nativePath, std::move(bytes));
        return true;
    }
    return datagen::WriteBytes(nativePath, bytes);
}
inline void RemoveFile(const std::string& nativePath) {
    if (plat::FileOverlay* ov = plat::InstalledFileOverlay()) ov->Remove(nativePath);
    else std::remove(nativePath.c_str());
}

struct File {
    std::string name;  // within the folder, e.g. "a.sy"
    std::string bytes;
};

// Puts files into "<program folder>\<folder>\" for the lifetime of the
// object: loose (PutFile), or as the entries of "<program folder>\<folder>.fol"
// mounted as the only pack, as the game mounts its packs. Everything is
// removed and unmounted again on destruction, so one input never sees the
// files of another.
class PlacedFiles {
public:
    PlacedFiles(std::string folder, std::vector<File> files, Place place)
        : folder_(std::move(folder)), files_(std::move(files)), place_(place), home_(ProgramHome()) {
        if (place_ == Place::Disk) {
            for (const File& f : files_) PutFile(home_.native + folder_ + "/" + f.name, f.bytes);
            return;
        }
        std::vector<datagen::PackItem> items;
        for (const File& f : files_) items.push_back({f.name, f.bytes});
        packPath_ = home_.native + folder_ + ".fol";
        PutFile(packPath_, datagen::BuildPack(items, place_ == Place::ScrambledPack));
        g_PackRoot = home_.win;
        g_PackExt = "fol";
        g_PackNames = {folder_};
        mounted_ = InitGameFileProperty() == 1;
    }
    ~PlacedFiles() {
        if (place_ == Place::Disk) {
            for (const File& f : files_) RemoveFile(home_.native + folder_ + "/" + f.name);
        } else {
            UnmountPackLibraries();
            g_PackNames.clear();
            RemoveFile(packPath_);
        }
    }
    PlacedFiles(const PlacedFiles&) = delete;
    PlacedFiles& operator=(const PlacedFiles&) = delete;

    // The game's path of file i: "<program folder>\<folder>\<name>".
    std::string Path(size_t i = 0) const { return home_.win + folder_ + "\\" + files_[i].name; }
    // The game's path of the folder, ending in '\\'.
    std::string Folder() const { return home_.win + folder_ + "\\"; }
    // False only when a pack was asked for and did not mount (a harness
    // fault, not a finding).
    bool Ready() const { return place_ == Place::Disk || mounted_; }
    Place Where() const { return place_; }

private:
    std::string folder_;
    std::vector<File> files_;
    Place place_;
    Home home_;
    std::string packPath_;
    bool mounted_ = false;
};

// State that must not carry from one input to the next: captured debugger
// output and message boxes (both grow without bound otherwise) and the
// random generator.
inline void ResetProcessState() {
    plat::ClearDebugCapture();
    plat::ClearRecordedMessageBoxes();
    plat::SRand(1);
}

// Fuzz targets only: a fresh scratch folder (in memory when /dev/shm
// exists) made the program folder, and the file overlay installed, so
// nothing a target reads or writes reaches the disk. The current directory
// stays where it is: libFuzzer writes corpus entries and crash files
// relative to it.
inline void EnterScratchFolder() {
    UseFileOverlay();
    std::string base = "/dev/shm";
    if (!plat::IsDirectory(base)) {
        const char* t = std::getenv("TMPDIR");
        base = t && *t ? t : "/tmp";
    }
    std::string tmpl = base + "/vantrel-fuzz-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    setenv("VANTREL_HOME", buf.data(), 1);
    static std::string s_folder;
    s_folder = buf.data();
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(s_folder, ec);
    });
}

// Aborts with a message: an invariant of the game's own use of a loader's
// result does not hold (the fuzzer records the input like a crash).
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "fuzz harness: %s\n", what);
    std::abort();
}

} // namespace fuzzenv
