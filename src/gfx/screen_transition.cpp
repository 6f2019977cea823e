#include "gfx/screen_transition.h"

#include "gfx/image.h"
#include "gfx/surface.h"

int CScreenTransition::Start(int mode, CSurface* screen) {
    Stop();
    m_Mode = mode;
    if (mode != 1 && mode != 2 && mode != 3 && mode != 5) {
        // Nothing runs: the next Step ends it.
        m_Counter = m_StartCounter = m_DrawCountdown = 0;
        return 0;
    }
    m_Counter = kFrames;
    m_StartCounter = kFrames;
    m_DrawCountdown = kFrames;
    if (!screen || screen->m_Width < 1 || screen->m_Height < 1) return 0;
    m_pA = new CSurface(screen->m_Width, screen->m_Height, 1);
    m_pB = new CSurface(screen->m_Width, screen->m_Height, 1);
    if (mode == 3) screen->Blt(m_pA, 0, 0, screen->m_Width, screen->m_Height, 0, 0, kDrawCopy1, -1, nullptr);
    else m_pA->FillAll(0);
    return 0;
}

int32_t CScreenTransition::Level() const {
    switch (m_Mode) {
    case 1:
    case 3: return 15 - m_Counter / 2;
    case 2: return m_Counter / 2;
    default: return -1;
    }
}

void CScreenTransition::Draw(CSurface* screen) {
    if (m_Mode == 0) return;
    if (m_DrawCountdown > 0) --m_DrawCountdown;
    if (m_Mode != 1 && m_Mode != 2 && m_Mode != 3) return;
    if (!m_pA || !m_pB || !screen) return;
    if (screen->m_Width != m_pA->m_Width || screen->m_Height != m_pA->m_Height) {
        // The display mode changed under the transition.
        if (m_Mode != 2) Stop();
        return;
    }
    m_pA->Blt(m_pB, 0, 0, m_pA->m_Width, m_pA->m_Height, 0, 0, kDrawBlend, Level(), nullptr);
    m_pB->Blt(screen, 0, 0, m_pB->m_Width, m_pB->m_Height, 0, 0, kDrawCopy1, -1, nullptr);
}

int CScreenTransition::Step() {
    if (m_Mode == 0) return 1;
    if (m_Counter > 0) {
        --m_Counter;
        return 0;
    }
    if (m_Mode == 2) return 0;
    Stop();
    return 1;
}

void CScreenTransition::Stop() {
    m_Mode = 0;
    delete m_pA;
    delete m_pB;
    m_pA = nullptr;
    m_pB = nullptr;
}
