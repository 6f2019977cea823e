// libFuzzer target; the work is in harness/res_lib.h, shared with the regression test.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "gfx/color_tables.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "harness/res_lib.h"
#include "platform/display.h"
#include "platform/window.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzenv::EnterScratchFolder();
    plat::UseHeadlessBackend();
    plat::SetDisplayLayout(plat::PixelLayout::k565);
    g_PixelFormat.m_Format = kFormat565;
    BuildColorTables(kFormat565);
    // The display off-screen surfaces come from; kept for the whole run.
    static std::unique_ptr<CSurface> display = std::make_unique<CSurface>();
    static std::unique_ptr<CSurface> keeper = std::make_unique<CSurface>(1, 1, 1);
    // The list's start-up writes a line to "BugLog.ini" in the current
    // directory: let it land in the scratch folder.
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd) || chdir(fuzzenv::ProgramHome().native.c_str()) != 0) std::abort();
    const bool ok = fuzzharness::PrepareResLibs();
    if (chdir(cwd) != 0 || !ok) {
        std::fprintf(stderr, "fuzz_res_lib: cannot prepare the library list\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunResLib(data, size);
    return 0;
}
