#include "world/scene/view_scratch.h"

#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "world/scene/world_hooks.h"

CSurface* TakeViewScratch(int32_t w, int32_t h, std::unique_ptr<CSurface>& own) {
    CSurface* scratch = g_WorldHooks.getViewScratchSurface ? g_WorldHooks.getViewScratchSurface() : nullptr;
    if (!scratch || !scratch->m_pSurface || scratch->m_Width < w || scratch->m_Height < h) {
        own = std::make_unique<CSurface>(w, h, 1);
        scratch = own.get();
        if (!scratch->m_pSurface) return nullptr;
    }
    const uint16_t key = g_PixelFormat.ColorKey();
    scratch->SetColorKey(key);
    scratch->FillRect(key, 0, 0, w, h);
    return scratch;
}
