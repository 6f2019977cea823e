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

    // ---- head-up display (-1 answers until the HUD exists)
    // CJMHud::GetLeftSkill, GetRightSkill.
    int32_t (*getLeftSkill)() = nullptr;
    int32_t (*getRightSkill)() = nullptr;
    // 1 when CJMHud::GetShortcutSlot (-1) names a slot.
    int (*hasSelectedSlot)() = nullptr;
    // The right skill's target field: not -1 when it aims at the target.
    int32_t (*getRightSkillTarget)() = nullptr;
    // The selected slot's use counter.
    int32_t (*getUseCounter)() = nullptr;
    void (*setUseCounter)(int32_t value) = nullptr;
    // CJMHud::SetGestureSkill (skill).
    void (*setGestureSkill)(int32_t skill) = nullptr;
    // CJMHud::GetJM16Center: the right-skill icon's centre; -1 without it.
    int (*getJM16Center)(int32_t* x, int32_t* y) = nullptr;

    // ---- panel manager
    // CJMMng::GetTargetPanel: 1 when a panel lies under the point.
    int (*isPanelAt)(int32_t x, int32_t y) = nullptr;
    // Sets the manager's click-consumed flag (m_ClickTaken).
    void (*takeClick)() = nullptr;
    // CJMMng::LoadFonts.
    void (*loadFonts)() = nullptr;

    // ---- game object
    // CGameMain::UnzoomPoint.
    void (*unzoomPoint)(int32_t* x, int32_t* y) = nullptr;
    // The developer mode flag (HiddenModeFlag1).
    int (*isDeveloperMode)() = nullptr;
    // CGameMain::AdjustZoomTarget (delta, saving the current zoom).
    void (*adjustZoomTarget)(float delta) = nullptr;
    // Developer flag A (frame capture) and B (m_ControlValue1).
    void (*toggleDeveloperFlagA)() = nullptr;
    void (*toggleDeveloperFlagB)() = nullptr;
    // The developer overlay on or off.
    void (*toggleOverlay)() = nullptr;
    // The display-mode setting (4, 5, 6).
    void (*setDisplayModeSetting)(int mode) = nullptr;
    // CGameMain's display option: read and CGameMain::SetDisplayOption.
    int (*getDisplayOption)() = nullptr;
    void (*setDisplayOption)(int option) = nullptr;
    // CGameMain::TakeScreenshot (width, height).
    void (*takeScreenshot)(int width, int height) = nullptr;

    // ---- game host
    // CGameHost::SetStartMode (name, mode), SetWaitFlag (value).
    void (*setStartMode)(const char* name, int mode) = nullptr;
    void (*setWaitFlag)(int value) = nullptr;
    // The pause flag and the combat zoom, each toggled.
    void (*togglePause)() = nullptr;
    void (*toggleCombatZoom)() = nullptr;
};

extern CClientHooks g_ClientHooks;
