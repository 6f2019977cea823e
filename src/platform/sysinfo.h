#pragma once
// Operating-system version for the "System:" log line, from uname.
#include <cstdint>
#include <string>

namespace plat {

struct OsVersion {
    int major = 0;       // kernel release, first number
    int minor = 0;       // second number
    int build = 0;       // third number
    int platformId = 0;  // 0: Linux (no Windows platform id applies)
    std::string extra;   // the system name and the rest of the release text
};
OsVersion GetOsVersion();

// Physical memory, for the resource libraries' memory budget.
struct MemoryStatus {
    uint64_t totalPhys = 0;
    uint64_t availPhys = 0;
};
MemoryStatus GetMemoryStatus();

} // namespace plat
