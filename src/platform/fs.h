#pragma once
// Files and folders. Game code keeps Windows-form paths ("mb\Role.txt",
// "C:\GAMES\X\"); they are translated only here, when something is opened:
// backslashes become slashes, doubled separators collapse, and every folder
// and file name is matched without regard to ASCII letter case (an exact
// match wins when both exist). Relative paths are relative to the current
// directory.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
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

// Writes `data` to `path` + ".tmp", flushes and fsyncs it, renames it over
// `path` and fsyncs the folder, so a crash at any moment leaves the old file
// or the new one whole, never a mix, and a file written after this one
// returns is never found on disk without it.
bool WriteFileAtomic(std::string_view path, const void* data, size_t size);

// Test hook of WriteFileAtomic's steps (each write of a chunk, the flush,
// each fsync, the rename): counting from the call, step `n` (1-based) fails
// (the write reports failure) or raises SIGKILL in this process; 0 turns it
// off. FileStepCount is the number of steps taken since the call, so a test
// can learn how many points a save has.
enum class FileFault { Fail, Kill };
void SetFileFaultPoint(int n, FileFault fault = FileFault::Kill);
int FileStepCount();

// Length of an open stream, from the disk or from the file overlay; -1 for
// a folder or when it cannot be told. Buffered writes are not counted.
int64_t StreamLength(FILE* f);

// In-memory files in front of the disk, for the fuzz targets and tests: a
// table of translated path -> bytes. While one is installed every function
// above looks there first, after the same translation (backslashes, doubled
// separators, relative to the current directory, ASCII case ignored), so
// loaders still go through their own path and pack code; what it does not
// hold comes from the disk. The folders of its files exist; a pack file in
// it mounts as on disk.
//
// Every open for writing ("w", "a", "r+", ...) and WriteFileAtomic go to the
// overlay (an append or update of a disk file starts from a copy of it);
// deleting and renaming act on the overlay's own files, on the disk
// otherwise. The overlay itself never touches the disk. A stream keeps the
// bytes it opened even when the file is replaced or removed meanwhile.
class FileOverlay {
public:
    // Adds or replaces a file; `path` in the game's form or natively.
    void Put(std::string_view path, std::string bytes);
    bool Remove(std::string_view path);  // false when it holds no such file
    // A copy of the file's current bytes; false when it holds no such file.
    bool Get(std::string_view path, std::string* bytes) const;
    bool Contains(std::string_view path) const;
    void Clear();
    size_t FileCount() const;

    // A path made absolute and native, "." and ".." folded away; its key
    // (the look-up) is the same upper-cased.
    static std::string Normal(std::string_view path);
    static std::string Key(std::string_view path);

    // Used by the file functions; the key is Key(path).
    struct File {
        std::string path;  // Normal(), as first put (listings show its name)
        std::shared_ptr<std::string> bytes;
    };
    std::shared_ptr<std::string> FindKey(const std::string& key) const;
    bool IsFolderKey(const std::string& key) const;
    // Creates or replaces the file of `key`, empty, and returns its bytes.
    std::shared_ptr<std::string> CreateKey(const std::string& key, const std::string& normal);
    void PutKey(const std::string& key, const std::string& normal, std::shared_ptr<std::string> bytes);
    bool RemoveKey(const std::string& key);
    bool AddFolderKey(const std::string& key, const std::string& normal);  // false when it exists
    bool RemoveFolderKey(const std::string& key);  // only an empty one it made
    // Files and folders directly inside the folder of `key`.
    std::vector<FindEntry> List(const std::string& key) const;

private:
    void AddParents(const std::string& key, int delta);

    mutable std::mutex mutex_;
    std::unordered_map<std::string, File> files_;
    std::unordered_map<std::string, int> parents_;  // folder key -> files below it
    std::unordered_map<std::string, std::string> folders_;  // key -> Normal(), made by CreateDirectory
};

// Installs `overlay` (null removes it); the caller keeps it alive while
// installed. Without one the file functions are the disk's alone.
void InstallFileOverlay(FileOverlay* overlay);
FileOverlay* InstalledFileOverlay();

} // namespace plat
