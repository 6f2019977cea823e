#pragma once
// Calls of the client up into the game object, the game host and the
// panels. The client sits below all three (client <- host, ui <- app), so
// the application installs these at start-up; an unset hook does the
// least (nothing, 0).
#include <cstdint>

struct CClientHooks {
    // The game object's logic tick counter (also the recording's tick).
    uint32_t (*tickCount)() = nullptr;
    // CGameMain::StartScreenEffect (kind).
    void (*startScreenEffect)(int kind) = nullptr;
    // 1 while the loading window panel is shown.
    int (*isLoadingWindowShown)() = nullptr;
    // The message panel (JMMDL row 60): shown, and Show (1, 0).
    int (*isMessagePanelShown)() = nullptr;
    void (*showMessagePanel)() = nullptr;
    // CJMTimer::SetTime (seconds; negative hides it).
    void (*setTimer)(int seconds) = nullptr;
    // CJMNotice::ShowVersusBanner (on).
    void (*showVersusBanner)(int on) = nullptr;
    // CJMMiniMap::SetActive (on).
    void (*setMiniMapActive)(int on) = nullptr;
    // CGameHost::SetPaused (on).
    void (*setPaused)(int on) = nullptr;
};

extern CClientHooks g_ClientHooks;
