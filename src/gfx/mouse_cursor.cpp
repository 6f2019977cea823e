// PLACEHOLDER bodies (see mouse_cursor.h).
#include "gfx/mouse_cursor.h"

CMouseCursor g_MouseCursor;

int CMouseCursor::SetAnim(uint32_t resId) {
    Clear();
    m_AnimId = resId;
    return 1;
}

int CMouseCursor::SetAttached(CAnimPlayer* player) {
    m_pAttached = player;
    return 1;
}

void CMouseCursor::Clear() {
    m_AnimId = 0;
    m_pAttached = nullptr;
}

void CMouseCursor::Draw(CSurface*) {}
