#pragma once
// The game's own mouse cursor, drawn last on every presented frame.
// PLACEHOLDER until the graphics engine's cursor lands: it keeps the shape
// fields the start-up and title sequences set, and draws nothing.
#include <cstdint>

class CSurface;
class CAnimPlayer;

class CMouseCursor {
public:
    int SetAnim(uint32_t resId);
    int SetAttached(CAnimPlayer* player);
    void Clear();
    void Draw(CSurface* surface);

    int32_t m_Frame = 0;
    int32_t m_Shape = 0;
    uint32_t m_AnimId = 0;
    CAnimPlayer* m_pAttached = nullptr;
};

extern CMouseCursor g_MouseCursor;
