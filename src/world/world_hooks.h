#pragma once
// Every call of the world up into the layers above it, installed by them.
#include <cstdint>

#include "core/geometry.h"

class CGameObj;

struct CWorldHooks {
    // 1 when the game host has a client.
    int (*hostHasClient)() = nullptr;

    // ---- application: the display option of the game object (0 plain,
    // 1 lit, 2 lit with every light)
    int (*getDisplayOption)() = nullptr;
    // ---- client: the view port of the game host's client
    // CPainter::InvalidateRect of a screen rectangle; nothing without a
    // client or view port.
    void (*invalidateRect)(const CGameRect& rect) = nullptr;
    // The whole view marked for redraw.
    void (*invalidateView)() = nullptr;
    // ---- panels: CJMMsgList::AddMessageLine (text, x, y, a, b, c) when the
    // on-screen message list exists.
    void (*addMessageLine)(const char* text, int32_t x, int32_t y, int32_t a, int32_t b, int32_t c) = nullptr;
};

extern CWorldHooks g_WorldHooks;
