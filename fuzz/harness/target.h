#pragma once
// For the libFuzzer targets only (the regression tests do not include it):
// the run settings every target starts with, so a bare command line runs
// at full speed, and the end of each input.
#include <vector>

#include "env.h"

namespace fuzztarget {

// libFuzzer flags put before the command line's own (a later flag wins, so
// the command line can still change them). libFuzzer purges the sanitizer
// allocator every second by default (with no RSS limit); each purge hands
// the freed pages back, and every input after it faults them in again:
// that cost five times the executions. The memory-watch thread goes with
// -rss_limit_mb=0; -malloc_limit_mb still stops an oversized allocation.
inline void AddDefaultFlags(int* argc, char*** argv) {
    static const char* const kDefaults[] = {"-purge_allocator_interval=-1", "-rss_limit_mb=0", "-malloc_limit_mb=2048"};
    static std::vector<char*> s_args;
    s_args.assign(*argv, *argv + 1);
    for (const char* d : kDefaults) s_args.push_back(const_cast<char*>(d));
    s_args.insert(s_args.end(), *argv + 1, *argv + *argc);
    s_args.push_back(nullptr);
    *argc = static_cast<int>(s_args.size()) - 1;
    *argv = s_args.data();
}

// Once per process, first thing in LLVMFuzzerInitialize.
inline void Init(int* argc, char*** argv) {
    AddDefaultFlags(argc, argv);
    fuzzenv::EnterScratchFolder();
}

// After each input: what it captured (debugger lines, message boxes) is
// freed within the input, so its allocations balance and libFuzzer does not
// run a leak scan for it.
inline void EndInput() { fuzzenv::ResetProcessState(); }

} // namespace fuzztarget

// A small quarantine keeps freed memory in reuse: several times the
// executions of the default, with the same checks. Free pages stay with the
// process (as with -purge_allocator_interval=-1): handing them back every
// few seconds made the next inputs fault them in again. ASAN_OPTIONS still
// wins.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16:allocator_release_to_os_interval_ms=-1";
}
