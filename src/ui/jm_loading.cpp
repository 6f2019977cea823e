#include "ui/jm_loading.h"

#include "gfx/surface.h"
#include "ui/jm_mng.h"

CJMLoading* g_JMLoading = nullptr;

int CJMLoading::LayerCount() const {
    int n = 1;
    for (int step : kLayerSteps)
        if (m_Progress > step) ++n;
    return n;
}

void CJMLoading::Show(int shown, int mode) {
    // Hiding it when it is hidden already (every game state's entry hides
    // it) must leave the HUD as it is.
    const bool change = (shown != 0) != (m_Shown != 0);
    CJM::Show(shown, mode);
    if (!change) return;
    if (shown) {
        m_Progress = 0;
        SetPos(-1, -1);
        if (CJM* hud = g_JMMng.GetJM(kRowHud)) hud->Show(0, 0);
    } else {
        const int state = g_JMHooks.gameState ? g_JMHooks.gameState() : 0;
        if (state == kStateInGame)
            if (CJM* hud = g_JMMng.GetJM(kRowHud)) hud->Show(1, 0);
    }
}

int CJMLoading::Draw(CSurface* surface) {
    if (!IsShown() || !surface) return 0;
    if (g_JMMng.ScreenWidth() != 640) surface->FillAll(0);
    // Sequence 0, then each layer whose step the progress passed; a picture
    // with fewer sequences stops at its last.
    const int layers = LayerCount();
    for (int seq = 0; seq < layers && seq < m_Pic.m_SeqCount; ++seq)
        if (CAnimPlayer* p = m_Pic.Player(seq)) p->Draw(surface, m_X, m_Y, m_DrawMode, m_DrawLevel, nullptr);
    DrawChildren(surface);
    return 1;
}
