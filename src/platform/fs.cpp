#include "platform/fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <unordered_set>

#include "platform/text.h"

namespace plat {

namespace {

bool Exists(const std::string& native) {
    struct stat st {};
    return lstat(native.c_str(), &st) == 0;
}

// Folder listings keyed by the folder's native path, then by the upper-cased
// name. A miss re-reads the folder once, so files created since are found.
struct DirCache {
    std::map<std::string, std::map<std::string, std::string>> dirs;

    const std::map<std::string, std::string>& Read(const std::string& dir) {
        auto& m = dirs[dir];
        m.clear();
        if (DIR* d = opendir(dir.empty() ? "." : dir.c_str())) {
            while (dirent* e = readdir(d)) {
                std::string name = e->d_name;
                if (name == "." || name == "..") continue;
                m.emplace(UpperGbk(name), name);  // first one wins on clashes
            }
            closedir(d);
        }
        return m;
    }

    // The on-disk spelling of `comp` inside `dir`, or "" when none.
    std::string Find(const std::string& dir, const std::string& comp) {
        std::string key = UpperGbk(comp);
        auto it = dirs.find(dir);
        if (it != dirs.end()) {
            auto f = it->second.find(key);
            if (f != it->second.end() && Exists(Join(dir, f->second))) return f->second;
        }
        const auto& m = Read(dir);
        auto f = m.find(key);
        return f == m.end() ? std::string() : f->second;
    }

    static std::string Join(const std::string& dir, const std::string& name) {
        if (dir.empty()) return name;
        if (dir.back() == '/') return dir + name;
        return dir + "/" + name;
    }
};

DirCache& Cache() {
    static DirCache c;
    return c;
}

std::string ModeWithoutT(const char* mode) {
    std::string m;
    for (const char* p = mode; *p; ++p)
        if (*p != 't') m += *p;
    return m;
}

bool WildMatch(const char* pat, const char* s) {
    // Iterative '*' / '?' matcher with ASCII case folding.
    const char* star = nullptr;
    const char* resume = nullptr;
    auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    while (*s) {
        if (*pat == '*') {
            star = pat++;
            resume = s;
        } else if (*pat == '?' || (*pat && up(*pat) == up(*s))) {
            ++pat;
            ++s;
        } else if (star) {
            pat = star + 1;
            s = ++resume;
        } else {
            return false;
        }
    }
    while (*pat == '*') ++pat;
    return *pat == '\0';
}

FileOverlay* g_Overlay = nullptr;

// A stream over an overlay file. Readers and writers share the bytes the
// file had when it was opened.
struct OverlayStream {
    std::shared_ptr<std::string> bytes;
    int64_t pos = 0;
    bool append = false;
};

ssize_t OverlayRead(void* cookie, char* buf, size_t n) {
    auto* s = static_cast<OverlayStream*>(cookie);
    const int64_t size = int64_t(s->bytes->size());
    if (s->pos >= size) return 0;
    const size_t k = size_t(std::min<int64_t>(int64_t(n), size - s->pos));
    std::memcpy(buf, s->bytes->data() + s->pos, k);
    s->pos += int64_t(k);
    return ssize_t(k);
}

ssize_t OverlayWrite(void* cookie, const char* buf, size_t n) {
    auto* s = static_cast<OverlayStream*>(cookie);
    std::string& b = *s->bytes;
    if (s->append) s->pos = int64_t(b.size());
    if (size_t(s->pos) > b.size()) b.resize(size_t(s->pos), '\0');  // a seek past the end leaves a hole of zeros
    const size_t overlap = std::min(n, b.size() - size_t(s->pos));
    b.replace(size_t(s->pos), overlap, buf, n);
    s->pos += int64_t(n);
    return ssize_t(n);
}

int OverlaySeek(void* cookie, off64_t* offset, int whence) {
    auto* s = static_cast<OverlayStream*>(cookie);
    int64_t base;
    switch (whence) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = s->pos; break;
        case SEEK_END: base = int64_t(s->bytes->size()); break;
        default: return -1;
    }
    const int64_t target = base + int64_t(*offset);
    if (target < 0) return -1;
    s->pos = target;
    *offset = off64_t(target);
    return 0;
}

int OverlayClose(void* cookie) {
    delete static_cast<OverlayStream*>(cookie);
    return 0;
}

FILE* OpenOverlayStream(std::shared_ptr<std::string> bytes, const std::string& mode, bool append) {
    auto* s = new OverlayStream{std::move(bytes), 0, append};
    FILE* f = fopencookie(s, mode.c_str(), {OverlayRead, OverlayWrite, OverlaySeek, OverlayClose});
    if (!f) delete s;
    return f;
}

// The disk file's bytes, for an update of a file the overlay does not hold.
bool ReadDiskFile(const std::string& native, std::string* out) {
    FILE* f = std::fopen(native.c_str(), "rb");
    if (!f) return false;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out->append(buf, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

FILE* OpenInOverlay(FileOverlay& ov, std::string_view path, const std::string& mode) {
    const std::string native = FileOverlay::Normal(path);
    const std::string key = UpperGbk(native);
    const bool writes = mode.find_first_of("wa+") != std::string::npos;
    std::shared_ptr<std::string> bytes = ov.FindKey(key);
    if (!writes) {
        if (bytes) return OpenOverlayStream(std::move(bytes), mode, false);
        if (ov.IsFolderKey(key)) return nullptr;
        std::string native = ResolvePath(path);
        if (IsDirectory(native)) return nullptr;
        return std::fopen(native.c_str(), mode.c_str());
    }
    if (ov.IsFolderKey(key)) return nullptr;
    if (mode[0] == 'w') {
        bytes = ov.CreateKey(key, native);
    } else if (!bytes) {
        // "a" or "r+" on a file only the disk has: start from its bytes.
        std::string disk;
        const std::string resolved = ResolvePath(path);
        struct stat st {};
        const bool onDisk = stat(resolved.c_str(), &st) == 0;
        if (onDisk && S_ISDIR(st.st_mode)) return nullptr;
        if (onDisk && !ReadDiskFile(resolved, &disk)) return nullptr;
        if (!onDisk && mode[0] == 'r') return nullptr;
        bytes = std::make_shared<std::string>(std::move(disk));
        ov.PutKey(key, native, bytes);
    }
    return OpenOverlayStream(std::move(bytes), mode, mode[0] == 'a');
}

} // namespace

// ---- FileOverlay ----

std::string FileOverlay::Normal(std::string_view path) {
    std::string native = ToNativePath(path);
    if (native.empty() || native[0] != '/') native = GetCurrentDir() + "/" + native;
    std::string out;
    out.reserve(native.size());
    size_t start = 1;
    while (start <= native.size()) {
        size_t slash = native.find('/', start);
        if (slash == std::string::npos) slash = native.size();
        const std::string_view comp(native.data() + start, slash - start);
        if (comp == "..") {
            const size_t up = out.rfind('/');
            out.resize(up == std::string::npos ? 0 : up);
        } else if (!comp.empty() && comp != ".") {
            out += '/';
            out += comp;
        }
        start = slash + 1;
    }
    if (out.empty()) out = "/";
    return out;
}

std::string FileOverlay::Key(std::string_view path) { return UpperGbk(Normal(path)); }

void FileOverlay::AddParents(const std::string& key, int delta) {
    for (size_t slash = key.rfind('/'); slash != std::string::npos && slash > 0; slash = key.rfind('/', slash - 1)) {
        const std::string parent = key.substr(0, slash);
        auto it = parents_.find(parent);
        if (delta > 0) {
            ++parents_[parent];
        } else if (it != parents_.end() && --it->second <= 0) {
            parents_.erase(it);
        }
    }
    if (delta > 0) ++parents_["/"];
    else if (auto it = parents_.find("/"); it != parents_.end() && --it->second <= 0) parents_.erase(it);
}

std::shared_ptr<std::string> FileOverlay::FindKey(const std::string& key) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = files_.find(key);
    return it == files_.end() ? nullptr : it->second.bytes;
}

bool FileOverlay::IsFolderKey(const std::string& key) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return parents_.count(key) != 0 || folders_.count(key) != 0;
}

void FileOverlay::PutKey(const std::string& key, const std::string& native, std::shared_ptr<std::string> bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = files_.find(key);
    if (it != files_.end()) {
        it->second.bytes = std::move(bytes);
        return;
    }
    files_.emplace(key, File{native, std::move(bytes)});
    AddParents(key, 1);
}

std::shared_ptr<std::string> FileOverlay::CreateKey(const std::string& key, const std::string& native) {
    auto bytes = std::make_shared<std::string>();
    PutKey(key, native, bytes);
    return bytes;
}

bool FileOverlay::RemoveKey(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = files_.find(key);
    if (it == files_.end()) return false;
    files_.erase(it);
    AddParents(key, -1);
    return true;
}

bool FileOverlay::AddFolderKey(const std::string& key, const std::string& normal) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (files_.count(key) || parents_.count(key) || folders_.count(key)) return false;
    folders_.emplace(key, normal);
    return true;
}

bool FileOverlay::RemoveFolderKey(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (parents_.count(key)) return false;
    return folders_.erase(key) != 0;
}

std::vector<FindEntry> FileOverlay::List(const std::string& key) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string prefix = key == "/" ? key : key + "/";
    std::vector<FindEntry> out;
    std::unordered_set<std::string> seen;
    // Keys and normal paths differ only in letter case, so the name as
    // spelled lies at the same place in the normal path.
    auto add = [&](const std::string& k, const std::string& normal, bool isDir, int64_t size) {
        if (k.size() <= prefix.size() || k.compare(0, prefix.size(), prefix) != 0) return;
        const size_t slash = k.find('/', prefix.size());
        const size_t end = slash == std::string::npos ? k.size() : slash;
        if (!seen.insert(k.substr(0, end)).second) return;
        const bool dir = isDir || slash != std::string::npos;
        out.push_back({normal.substr(prefix.size(), end - prefix.size()), dir, dir ? 0 : size});
    };
    for (const auto& [k, f] : files_) add(k, f.path, false, int64_t(f.bytes->size()));
    for (const auto& [k, normal] : folders_) add(k, normal, true, 0);
    return out;
}

void FileOverlay::Put(std::string_view path, std::string bytes) {
    const std::string normal = Normal(path);
    PutKey(UpperGbk(normal), normal, std::make_shared<std::string>(std::move(bytes)));
}

bool FileOverlay::Remove(std::string_view path) { return RemoveKey(Key(path)); }

bool FileOverlay::Get(std::string_view path, std::string* bytes) const {
    std::shared_ptr<std::string> b = FindKey(Key(path));
    if (!b) return false;
    if (bytes) *bytes = *b;
    return true;
}

bool FileOverlay::Contains(std::string_view path) const { return FindKey(Key(path)) != nullptr; }

void FileOverlay::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    files_.clear();
    parents_.clear();
    folders_.clear();
}

size_t FileOverlay::FileCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return files_.size();
}

int64_t StreamLength(FILE* f) {
    if (!f) return -1;
    const int fd = fileno(f);
    if (fd >= 0) {
        struct stat st {};
        if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) return -1;
        return int64_t(st.st_size);
    }
    // An overlay stream: its end, found without moving it.
    const off_t cur = ftello(f);
    if (cur < 0 || fseeko(f, 0, SEEK_END) != 0) return -1;
    const off_t end = ftello(f);
    fseeko(f, cur, SEEK_SET);
    return int64_t(end);
}

void InstallFileOverlay(FileOverlay* overlay) { g_Overlay = overlay; }

FileOverlay* InstalledFileOverlay() { return g_Overlay; }

std::string ToNativePath(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsGbkLead(c) && i + 1 < path.size()) {
            // A GBK trail byte may be 0x5C; it is not a separator.
            out += path[i];
            out += path[++i];
            continue;
        }
        char ch = (c == '\\') ? '/' : static_cast<char>(c);
        if (ch == '/' && !out.empty() && out.back() == '/') continue;
        out += ch;
    }
    return out;
}

std::string ResolvePath(std::string_view path) {
    std::string native = ToNativePath(path);
    if (native.empty()) return native;
    bool absolute = native[0] == '/';
    bool trailing = native.size() > 1 && native.back() == '/';

    std::vector<std::string> comps;
    size_t start = absolute ? 1 : 0;
    while (start <= native.size()) {
        size_t slash = native.find('/', start);
        if (slash == std::string::npos) slash = native.size();
        if (slash > start) comps.push_back(native.substr(start, slash - start));
        start = slash + 1;
    }

    std::string cur = absolute ? "/" : "";
    bool missing = false;
    for (const auto& comp : comps) {
        std::string next = DirCache::Join(cur, comp);
        if (!missing && comp != "." && comp != ".." && !Exists(next)) {
            std::string found = Cache().Find(cur, comp);
            if (found.empty())
                missing = true;  // keep the rest as written
            else
                next = DirCache::Join(cur, found);
        }
        cur = next;
    }
    if (trailing && (cur.empty() || cur.back() != '/')) cur += '/';
    return cur;
}

FILE* OpenFile(std::string_view path, const char* mode) {
    if (path.empty() || !mode) return nullptr;
    if (g_Overlay) return OpenInOverlay(*g_Overlay, path, ModeWithoutT(mode));
    std::string native = ResolvePath(path);
    if (IsDirectory(native)) return nullptr;
    return std::fopen(native.c_str(), ModeWithoutT(mode).c_str());
}

bool PathExists(std::string_view path) {
    if (path.empty()) return false;
    if (g_Overlay) {
        const std::string key = FileOverlay::Key(path);
        if (g_Overlay->FindKey(key) || g_Overlay->IsFolderKey(key)) return true;
    }
    return Exists(ResolvePath(path));
}

bool IsDirectory(std::string_view path) {
    if (g_Overlay && !path.empty()) {
        const std::string key = FileOverlay::Key(path);
        if (g_Overlay->IsFolderKey(key)) return true;
        if (g_Overlay->FindKey(key)) return false;
    }
    struct stat st {};
    std::string native = ResolvePath(path);
    return !native.empty() && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(std::string_view path) {
    if (g_Overlay && !path.empty() && g_Overlay->RemoveKey(FileOverlay::Key(path))) return true;
    std::string native = ResolvePath(path);
    return !native.empty() && !IsDirectory(native) && std::remove(native.c_str()) == 0;
}

bool CreateDirectory(std::string_view path) {
    if (g_Overlay && !path.empty()) {
        const std::string normal = FileOverlay::Normal(path);
        return !Exists(ResolvePath(path)) && g_Overlay->AddFolderKey(UpperGbk(normal), normal);
    }
    std::string native = ResolvePath(path);
    return !native.empty() && mkdir(native.c_str(), 0755) == 0;
}

bool RemoveDirectory(std::string_view path) {
    if (g_Overlay && !path.empty() && g_Overlay->RemoveFolderKey(FileOverlay::Key(path))) return true;
    std::string native = ResolvePath(path);
    return !native.empty() && rmdir(native.c_str()) == 0;
}

bool RenameFile(std::string_view from, std::string_view to) {
    if (g_Overlay && !from.empty() && !to.empty()) {
        const std::string a = FileOverlay::Key(from);
        if (std::shared_ptr<std::string> bytes = g_Overlay->FindKey(a)) {
            const std::string normal = FileOverlay::Normal(to);
            const std::string b = UpperGbk(normal);
            if (g_Overlay->IsFolderKey(b)) return false;
            if (a == b) return true;
            g_Overlay->RemoveKey(b);  // the new spelling replaces the old one
            g_Overlay->PutKey(b, normal, std::move(bytes));
            g_Overlay->RemoveKey(a);
            return true;
        }
    }
    std::string a = ResolvePath(from);
    std::string b = ResolvePath(to);
    return !a.empty() && !b.empty() && std::rename(a.c_str(), b.c_str()) == 0;
}

int64_t FileSize(std::string_view path) {
    if (g_Overlay && !path.empty()) {
        const std::string key = FileOverlay::Key(path);
        if (std::shared_ptr<std::string> bytes = g_Overlay->FindKey(key)) return int64_t(bytes->size());
        if (g_Overlay->IsFolderKey(key)) return 0;
    }
    struct stat st {};
    std::string native = ResolvePath(path);
    if (native.empty() || stat(native.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

std::vector<FindEntry> FindFiles(std::string_view pattern) {
    std::string native = ToNativePath(pattern);
    std::string dir;
    std::string wild = native;
    size_t slash = native.rfind('/');
    if (slash != std::string::npos) {
        dir = native.substr(0, slash + 1);
        wild = native.substr(slash + 1);
    }
    std::vector<FindEntry> out;
    // The overlay's names come first and hide the disk's of the same name.
    std::unordered_set<std::string> hidden;
    if (g_Overlay) {
        for (FindEntry& fe : g_Overlay->List(FileOverlay::Key(dir.empty() ? std::string_view(".") : dir))) {
            if (!WildMatch(wild.c_str(), fe.name.c_str())) continue;
            hidden.insert(UpperGbk(fe.name));
            out.push_back(std::move(fe));
        }
    }
    std::string rdir = dir.empty() ? std::string() : ResolvePath(dir);
    DIR* d = opendir(rdir.empty() ? "." : rdir.c_str());
    while (dirent* e = d ? readdir(d) : nullptr) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (!WildMatch(wild.c_str(), name.c_str())) continue;
        if (!hidden.empty() && hidden.count(UpperGbk(name))) continue;
        FindEntry fe;
        fe.name = name;
        struct stat st {};
        if (stat(DirCache::Join(rdir, name).c_str(), &st) == 0) {
            fe.isDir = S_ISDIR(st.st_mode);
            fe.size = static_cast<int64_t>(st.st_size);
        }
        out.push_back(std::move(fe));
    }
    if (d) closedir(d);
    std::sort(out.begin(), out.end(), [](const FindEntry& a, const FindEntry& b) { return a.name < b.name; });
    return out;
}

std::string ProgramDirNative() {
    std::string dir;
    if (const char* home = std::getenv("VANTREL_HOME"); home && *home) {
        char buf[4096];
        dir = realpath(home, buf) ? std::string(buf) : std::string(home);
    } else {
        char buf[4096];
        ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
        if (n > 0) {
            buf[n] = '\0';
            dir = buf;
            size_t slash = dir.rfind('/');
            dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
        } else {
            dir = GetCurrentDir();
        }
    }
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string ProgramDirWin() {
    std::string d = ProgramDirNative();
    std::replace(d.begin(), d.end(), '/', '\\');
    return d;
}

bool SetCurrentDir(std::string_view path) {
    std::string native = ResolvePath(path);
    return !native.empty() && chdir(native.c_str()) == 0;
}

std::string GetCurrentDir() {
    char buf[4096];
    return getcwd(buf, sizeof(buf)) ? std::string(buf) : std::string(".");
}

namespace {

int g_FaultPoint = 0;
FileFault g_Fault = FileFault::Kill;
int g_FileSteps = 0;

// One step of an atomic write: false when the test hook fails it here.
bool FileStep() {
    ++g_FileSteps;
    if (g_FaultPoint <= 0 || g_FileSteps != g_FaultPoint) return true;
    if (g_Fault == FileFault::Kill) raise(SIGKILL);
    return false;
}

// Chunks small enough that a save game's files take several writes, so a
// crash can land between them.
constexpr size_t kAtomicChunk = 4096;

bool SyncFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    const bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

} // namespace

void SetFileFaultPoint(int n, FileFault fault) {
    g_FaultPoint = n;
    g_Fault = fault;
    g_FileSteps = 0;
}

int FileStepCount() { return g_FileSteps; }

bool WriteFileAtomic(std::string_view path, const void* data, size_t size) {
    if (g_Overlay && !path.empty()) {
        // Memory has no half-written state: the new bytes replace the old at once.
        g_Overlay->Put(path, std::string(static_cast<const char*>(data), data ? size : 0));
        return true;
    }
    std::string target = ResolvePath(path);
    if (target.empty()) return false;
    std::string tmp = target + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    const auto* bytes = static_cast<const char*>(data);
    for (size_t done = 0; ok && data && done < size;) {
        const size_t n = std::min(kAtomicChunk, size - done);
        // Unbuffered in effect: each chunk reaches the file before the next
        // step, so a kill between steps leaves exactly what was written.
        ok = FileStep() && std::fwrite(bytes + done, 1, n, f) == n && std::fflush(f) == 0;
        done += n;
    }
    ok = ok && FileStep() && std::fflush(f) == 0;
    ok = ok && FileStep() && fsync(fileno(f)) == 0;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || !FileStep() || std::rename(tmp.c_str(), target.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    // The rename is durable only once the folder is.
    return FileStep() && SyncFolderOf(target);
}

} // namespace plat
