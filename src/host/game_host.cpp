// PLACEHOLDER bodies (see game_host.h).
#include "host/game_host.h"

CGameHost g_GameHost;

int CGameHost::Start(CRoleData*) {
    m_Running = 1;
    return 1;
}

void CGameHost::Shutdown() {
    m_Running = 0;
    m_Paused = 0;
}

void CGameHost::FrameStep() {
    if (m_Paused) return;
    ++m_FrameSteps;
}

void CGameHost::OnActivate(int, int, int) {}
