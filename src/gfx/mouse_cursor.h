#pragma once
// The game's own mouse cursor, drawn last on every presented frame: one
// sequence of the cursor animation per shape, or an attached player (an
// item being carried) centred on the mouse instead.
#include <cstdint>

#include "gfx/anim.h"

class CSurface;

struct CCursorRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t spare = 0;
    bool operator==(const CCursorRect&) const = default;
};

class CMouseCursor {
public:
    CMouseCursor() = default;
    CMouseCursor(const CMouseCursor&) = delete;
    CMouseCursor& operator=(const CMouseCursor&) = delete;

    // Clear, then binds the cursor animation. 1.
    int SetAnim(uint32_t resId);
    // Null returns to the cursor animation. 1.
    int SetAttached(CAnimPlayer* player);
    // Both rectangle records zeroed, the animation released, no attached
    // player.
    void Clear();
    // Draws at the mouse position: the attached player's current frame
    // centred on it, else the shape's current frame with its hot-spot on it
    // (then that player steps, looping). Nothing when neither exists (the
    // cursor animation did not bind).
    void Draw(CSurface* surface);
    // The player of the current shape (sequence 0 for a shape outside the
    // animation); null when the animation is not bound.
    CAnimPlayer* ShapePlayer() const;
    // Where the cursor frame was drawn this frame and the frame before.
    const CCursorRect& CurrentRect() const { return m_Rects[m_RectIndex]; }

    int32_t m_Shape = 0;
    // Set by game code when it changes the shape; cleared by each draw.
    int32_t m_Changed = 0;
    CAnimRes m_Anim;
    CAnimPlayer* m_pAttached = nullptr;
    int32_t m_AttachedMode = 0;
    int32_t m_RectIndex = 0;
    CCursorRect m_Rects[2];

    // Reset to 0 with the shape by the start-up and title sequences; the
    // frame drawn is the shape player's own.
    int32_t m_Frame = 0;
    // The id SetAnim bound; 0 after Clear.
    uint32_t m_AnimId = 0;
};

extern CMouseCursor g_MouseCursor;
