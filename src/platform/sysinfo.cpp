#include "platform/sysinfo.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <cstdio>

namespace plat {

OsVersion GetOsVersion() {
    OsVersion v;
    struct utsname u {};
    if (uname(&u) != 0) return v;
    std::sscanf(u.release, "%d.%d.%d", &v.major, &v.minor, &v.build);
    v.extra = std::string(u.sysname) + " " + u.release;
    return v;
}

MemoryStatus GetMemoryStatus() {
    MemoryStatus m;
    struct sysinfo si {};
    if (sysinfo(&si) == 0) {
        m.totalPhys = static_cast<uint64_t>(si.totalram) * si.mem_unit;
        m.availPhys = static_cast<uint64_t>(si.freeram + si.bufferram) * si.mem_unit;
    }
    return m;
}

} // namespace plat
