#pragma once
// Writer of resource libraries (".lib") and of the library list "idx.lib".
//
// Library (little-endian):
//   0            "quorLib2.0" + NUL, padded with NULs
//   16           u32 entry count N (the rest of the 256-byte header is 0)
//   256 + 8 i    u32 offset of entry i from the start of the file, u32 size
//   256 + 8 N    the entries' data in order, stored as is
// List: a key=value file "num=<count>", then one "name=<library>" line per
// library (file name without folder and ".lib").
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

constexpr uint32_t kLibHeaderBytes = 256;

std::string BuildLib(const std::vector<std::string>& entries);
bool WriteLib(const std::string& nativePath, const std::vector<std::string>& entries);
// Byte position of entry i's directory row.
inline size_t LibDirRowPos(size_t i) { return kLibHeaderBytes + 8 * i; }

std::string BuildIdxLib(const std::vector<std::string>& names);
bool WriteIdxLib(const std::string& nativePath, const std::vector<std::string>& names);

// The demo libraries, in <nativeFolder>/Zy/: "idx.lib" listing
//   0 "anim":   animation tables; entry 28 the cursor (2 sequences: arrow,
//               hand), entries 144 and 145 the two markers; other entries
//               empty
//   1 "ui":     ten start-up images, ResIds 0x100000 - 0x100009 (bare
//               frames, raw and RLE, one with an alpha plane), then the
//               panels' pictures (demo_ui.h; their animation tables lie in
//               library 0)
//   2 "sprite": entry 0 a table of the cursor's 4 frames, entries 1 and 2
//               the markers' frame tables
bool WriteDemoLibraries(const std::string& nativeFolder);

} // namespace datagen
