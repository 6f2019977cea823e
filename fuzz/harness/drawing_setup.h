#pragma once
// One-time set-up of the targets that draw what they load (libraries,
// animation tables, role sprites): a headless 5-6-5 display, the colour
// tables and a display surface kept for the whole run, then the target's
// own preparation.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "env.h"
#include "gfx/color_tables.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "platform/display.h"
#include "platform/window.h"

namespace fuzzharness {

// prepare() runs with the scratch program folder as the current directory
// (start-up code writes "BugLog.ini" there); the old one is restored after,
// since libFuzzer writes its files relative to it. A failed preparation
// stops the run with `what`.
inline void InitDrawingTarget(bool (*prepare)(), const char* what) {
    plat::UseHeadlessBackend();
    plat::SetDisplayLayout(plat::PixelLayout::k565);
    g_PixelFormat.m_Format = kFormat565;
    BuildColorTables(kFormat565);
    // Off-screen surfaces come from the display.
    static std::unique_ptr<CSurface> display = std::make_unique<CSurface>();
    static std::unique_ptr<CSurface> keeper = std::make_unique<CSurface>(1, 1, 1);
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd) || chdir(fuzzenv::ProgramHome().native.c_str()) != 0) std::abort();
    const bool ok = prepare();
    if (chdir(cwd) != 0 || !ok) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

} // namespace fuzzharness
