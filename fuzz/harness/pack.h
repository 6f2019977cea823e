#pragma once
// Pack files: the bytes are a whole pack "mb.fol", mounted as the game
// mounts its packs. When it mounts, every entry is opened by its name
// through the file object, read whole, byte by byte and after seeks, and
// the first entries are also read as a text table and a key=value file, as
// the game reads its data from packs.
#include <cstring>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "core/pack_file.h"
#include "core/txt_table.h"
#include "datagen/bytes.h"
#include "env.h"

namespace fuzzharness {

inline int RunPack(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    const fuzzenv::Home& home = fuzzenv::ProgramHome();
    fuzzenv::PutFile(home.native + "mb.fol", std::string(reinterpret_cast<const char*>(data), size));
    g_PackRoot = home.win;
    g_PackExt = "fol";
    g_PackNames = {"mb"};
    const int mounted = InitGameFileProperty();
    if (mounted && g_PackList.size() == 1) {
        const CPackLib& pack = *g_PackList[0];
        if (pack.count != int(pack.entries.size())) fuzzenv::Fail("entry count and index disagree");
        if (pack.scrambled && pack.keys.size() != pack.entries.size()) fuzzenv::Fail("a key per entry is missing");
        std::vector<uint8_t> buf;
        int tables = 0;
        const size_t n = std::min<size_t>(pack.entries.size(), 64);
        for (size_t i = 0; i < n; ++i) {
            const CPackEntry& e = pack.entries[i];
            if (int64_t(e.offset) + int64_t(e.size) > pack.length) fuzzenv::Fail("an entry lies beyond the file");
            // A name that climbs out of the folder would make the disk
            // fallback read outside the scratch folder.
            if (e.name.empty() || e.name.find("..") != std::string::npos) continue;
            const std::string path = home.win + "mb\\" + e.name;
            CPackFile f;
            const int got = f.Open(path.c_str(), "rb");
            if (got < 0) continue;  // another entry's name took it, or it fell back to a missing disk file
            const int len = f.GetLength();
            if (len != got) fuzzenv::Fail("an open entry's length is not its size");
            buf.assign(size_t(len) + 1, 0);
            if (len > 0 && f.Read(buf.data(), 1, len) != len) fuzzenv::Fail("an entry does not read whole");
            if (f.Read(buf.data(), 1, 1) != 0) fuzzenv::Fail("a read passed the end of an entry");
            if (!f.IsEof()) fuzzenv::Fail("no end after the last byte");
            if (f.Seek(0, 0) != 0) fuzzenv::Fail("cannot seek to the start");
            for (int k = 0; k < len && k < 256; ++k)
                if (f.GetByte() != buf[size_t(k)]) fuzzenv::Fail("byte-wise reading differs from a whole read");
            if (f.Seek(1, 2) == 0) fuzzenv::Fail("a seek past the end was taken");
            if (f.Seek(-1, 0) == 0) fuzzenv::Fail("a seek before the start was taken");
            f.Seek(len / 2, 0);
            f.Seek(-(len / 4), 1);
            f.GetByte();
            f.Close();
            if (tables < 2) {
                ++tables;
                CTxtTable table;
                if (table.Load(path.c_str(), 0, 1, 1))
                    for (int r = 0; r < table.GetRowCount(); ++r) table.GetRowAt(r)->GetString(1);
                CIniFile ini;
                char value[64];
                if (ini.OpenFileRead(path.c_str())) ini.ReadLine("name", value, sizeof value);
            }
        }
    }
    UnmountPackLibraries();
    g_PackNames.clear();
    fuzzenv::RemoveFile(home.native + "mb.fol");
    return mounted;
}

} // namespace fuzzharness
