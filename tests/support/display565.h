#pragma once
// The headless 5-6-5 display that drawing tests start from, and a surface
// read without the pitch's padding.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "gfx/color_tables.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "platform/display.h"
#include "platform/window.h"

namespace vtest {

// A surface's pixels row by row, without the pitch's padding.
inline std::vector<uint16_t> ReadSurface(CSurface& s) {
    std::vector<uint16_t> v(static_cast<size_t>(s.m_Width) * s.m_Height);
    uint8_t* p = s.Lock(nullptr);
    EXPECT_NE(p, nullptr);
    if (!p) return v;
    for (int32_t y = 0; y < s.m_Height; ++y)
        std::memcpy(&v[static_cast<size_t>(y) * s.m_Width], p + static_cast<size_t>(y) * s.m_Pitch,
                    2 * static_cast<size_t>(s.m_Width));
    s.Unlock();
    return v;
}

// Headless backend, 5-6-5 layout and colour tables. Off-screen surfaces come
// from the display, which lives while a surface does, so one small surface
// is kept for the whole test.
inline void Start565Display(std::unique_ptr<CSurface>& display, std::unique_ptr<CSurface>& keeper) {
    plat::UseHeadlessBackend();
    plat::ClearDisplayFaults();
    plat::SetDisplayLayout(plat::PixelLayout::k565);
    g_PixelFormat.m_Format = kFormat565;
    FreeColorTables();
    BuildColorTables(kFormat565);
    display = std::make_unique<CSurface>();
    keeper = std::make_unique<CSurface>(1, 1, 1);
}

} // namespace vtest
