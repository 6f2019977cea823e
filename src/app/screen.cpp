#include "app/screen.h"

#include "app/game_main.h"
#include "app/links.h"
#include "gfx/effect3d.h"
#include "gfx/surface.h"
#include "host/game_host.h"
#include "platform/display.h"
#include "platform/window.h"

CScreen g_Screen;

void CScreen::ReadScreenSize() {
    // The screen as the display sees it: the mode's size while one is set.
    m_Width = plat::GetScreenMetrics(plat::SM_CXSCREEN);
    m_Height = plat::GetScreenMetrics(plat::SM_CYSCREEN);
    m_Area = m_Width * m_Height;
}

int CScreen::Init() {
    ReadScreenSize();
    m_X = m_Y = 0;
    m_pDisplay = g_GameMain.m_pDisplay;
    Activate();
    return 1;
}

int CScreen::Present(plat::Window* window) {
    ++m_Presents;
    if (!m_pDisplay) return 0;
    return m_pDisplay->BltToWindow(window, m_X, m_Y, m_pDisplay->m_Width, m_pDisplay->m_Height, 0, 0);
}

void CScreen::RestoreLostSurfaces() {
    plat::DDSurface* primary = CSurface::s_pPrimary;
    if (!primary || primary->IsLost() != plat::DDERR_SURFACELOST) return;
    if (primary->Restore() == plat::DD_OK) ClientScrollView(-1);
}

int CScreen::OnMessage(uint32_t code, uint32_t a, uint32_t b) {
    g_GameHost.OnActivate(static_cast<int>(code), static_cast<int>(a), static_cast<int>(b));
    g_Effect3D.OnActivate(static_cast<int32_t>(code));
    if (code == 0) {
        RestoreLostSurfaces();
        ReadScreenSize();
        m_pDisplay = g_GameMain.m_pDisplay;
        g_GameMain.OnDisplayRestored();
    } else if (code == 1) {
        g_GameMain.OnDisplayReleasing();
        g_GameMain.m_Transition.Stop();
        m_pDisplay = nullptr;
    }
    return 1;
}
