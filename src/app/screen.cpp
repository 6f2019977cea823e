// PLACEHOLDER presenter (see screen.h).
#include "app/screen.h"

#include "app/game_main.h"
#include "host/game_host.h"
#include "platform/window.h"

CScreen g_Screen;

int CScreen::Init() {
    m_Width = plat::GetSystemMetrics(plat::SM_CXSCREEN);
    m_Height = plat::GetSystemMetrics(plat::SM_CYSCREEN);
    m_X = m_Y = 0;
    m_Area = m_Width * m_Height;
    m_pDisplay = g_GameMain.m_pDisplay;
    Activate();
    return 1;
}

int CScreen::Present(plat::Window*) {
    ++m_Presents;
    return 0;
}

int CScreen::OnMessage(uint32_t code, uint32_t a, uint32_t b) {
    g_GameHost.OnActivate(static_cast<int>(code), static_cast<int>(a), static_cast<int>(b));
    if (code == 0) {
        m_Width = plat::GetSystemMetrics(plat::SM_CXSCREEN);
        m_Height = plat::GetSystemMetrics(plat::SM_CYSCREEN);
        m_Area = m_Width * m_Height;
        m_pDisplay = g_GameMain.m_pDisplay;
        g_GameMain.OnDisplayRestored();
    } else if (code == 1) {
        g_GameMain.OnDisplayReleasing();
        g_GameMain.m_Transition.Stop();
        m_pDisplay = nullptr;
    }
    return 1;
}
