#pragma once
// The game host: one running game's server and client parts.
// PLACEHOLDER until the host lands: there is no server or client (the
// client pointer stays null); Start and Shutdown only mark a game as
// running, and the frame step counts itself.
#include <cstdint>

class CClient;
class CRoleData;

class CGameHost {
public:
    int Start(CRoleData* record);
    void Shutdown();
    void FrameStep();
    void SetPaused(int paused) { m_Paused = paused; }
    // Display-mode events from the screen presenter (1 before, 0 after).
    void OnActivate(int code, int a, int b);

    CClient* m_pClient = nullptr;
    int m_Paused = 0;
    int m_Running = 0;
    int m_FrameSteps = 0;
};

extern CGameHost g_GameHost;
