#pragma once
// Files and folders. Game code keeps Windows-form paths ("mb\Role.txt",
// "C:\GAMES\X\"); they are translated only here, when something is opened:
// backslashes become slashes, doubled separators collapse, and every folder
// and file name is matched without regard to ASCII letter case (an exact
// match wins when both exist). Relative paths are relative to the current
// directory.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Pure translation, no look-up: '\' -> '/', runs of separators -> one.
std::string ToNativePath(std::string_view path);

// Translation plus case-insensitive look-up of each component that exists;
// components that do not exist (yet) are kept as written.
std::string ResolvePath(std::string_view path);

// fopen on the resolved path ("r", "rb", "w", "wb", "a", "at", ...; a 't'
// in the mode is dropped). Null when it does not open.
FILE* OpenFile(std::string_view path, const char* mode);

bool PathExists(std::string_view path);
bool IsDirectory(std::string_view path);
bool DeleteFile(std::string_view path);
bool CreateDirectory(std::string_view path);  // one level; false if it exists
bool RemoveDirectory(std::string_view path);
bool RenameFile(std::string_view from, std::string_view to);  // replaces `to`
int64_t FileSize(std::string_view path);       // -1 when missing

struct FindEntry {
    std::string name;  // name as stored on disk (no folder part)
    bool isDir = false;
    int64_t size = 0;
};
// Lists the folder of `pattern`, keeping names whose last component matches
// the wildcard part ('*' any run, '?' one byte; ASCII case ignored). "." and
// ".." are never listed. Sorted by name so results are reproducible.
std::vector<FindEntry> FindFiles(std::string_view pattern);

// The program folder: VANTREL_HOME when set, else the folder of the
// executable. Native form, absolute, ending in '/'.
std::string ProgramDirNative();
// The same in the game's Windows form: every '/' a '\', ending in '\'.
std::string ProgramDirWin();

bool SetCurrentDir(std::string_view path);
std::string GetCurrentDir();  // native, no trailing '/'

// Writes `data` to a temporary file beside `path` and renames it over
// `path`, so a crash mid-write never destroys the old file.
bool WriteFileAtomic(std::string_view path, const void* data, size_t size);

} // namespace plat
