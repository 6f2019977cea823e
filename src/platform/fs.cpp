#include "platform/fs.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

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

} // namespace

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
    std::string native = ResolvePath(path);
    if (IsDirectory(native)) return nullptr;
    return std::fopen(native.c_str(), ModeWithoutT(mode).c_str());
}

bool PathExists(std::string_view path) { return !path.empty() && Exists(ResolvePath(path)); }

bool IsDirectory(std::string_view path) {
    struct stat st {};
    std::string native = ResolvePath(path);
    return !native.empty() && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(std::string_view path) {
    std::string native = ResolvePath(path);
    return !native.empty() && !IsDirectory(native) && std::remove(native.c_str()) == 0;
}

bool CreateDirectory(std::string_view path) {
    std::string native = ResolvePath(path);
    return !native.empty() && mkdir(native.c_str(), 0755) == 0;
}

bool RemoveDirectory(std::string_view path) {
    std::string native = ResolvePath(path);
    return !native.empty() && rmdir(native.c_str()) == 0;
}

bool RenameFile(std::string_view from, std::string_view to) {
    std::string a = ResolvePath(from);
    std::string b = ResolvePath(to);
    return !a.empty() && !b.empty() && std::rename(a.c_str(), b.c_str()) == 0;
}

int64_t FileSize(std::string_view path) {
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
    std::string rdir = dir.empty() ? std::string() : ResolvePath(dir);
    DIR* d = opendir(rdir.empty() ? "." : rdir.c_str());
    if (!d) return out;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (!WildMatch(wild.c_str(), name.c_str())) continue;
        FindEntry fe;
        fe.name = name;
        struct stat st {};
        if (stat(DirCache::Join(rdir, name).c_str(), &st) == 0) {
            fe.isDir = S_ISDIR(st.st_mode);
            fe.size = static_cast<int64_t>(st.st_size);
        }
        out.push_back(std::move(fe));
    }
    closedir(d);
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

bool WriteFileAtomic(std::string_view path, const void* data, size_t size) {
    std::string target = ResolvePath(path);
    if (target.empty()) return false;
    std::string tmp = target + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    ok = (std::fflush(f) == 0) && ok;
    ok = (fsync(fileno(f)) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(tmp.c_str(), target.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace plat
