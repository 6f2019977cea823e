// PLACEHOLDER bodies (see screen_transition.h).
#include "gfx/screen_transition.h"

int CScreenTransition::Start(int mode, CSurface*) {
    Stop();
    m_Mode = mode;
    if (mode == 1 || mode == 2 || mode == 3 || mode == 5) {
        m_Counter = 31;
        m_StartCounter = 31;
        m_DrawCountdown = 31;
    }
    return 0;
}

void CScreenTransition::Draw(CSurface*) {
    if (m_Mode == 0) return;
    --m_DrawCountdown;
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
    m_pA = nullptr;
    m_pB = nullptr;
}
