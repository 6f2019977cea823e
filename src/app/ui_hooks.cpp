// The panels' calls up into the game object and the game host.
#include "app/game_main.h"
#include "app/links.h"
#include "app/startup_config.h"
#include "app/sequences.h"
#include "host/game_host.h"
#include "ui/jm_mng.h"

void InstallUiHooks() {
    g_JMHooks.setPaused = [](int on) { g_GameHost.SetPaused(on); };
    g_JMHooks.tickCount = [] { return static_cast<int>(g_GameMain.m_TickCount); };
    g_JMHooks.screenWidth = [] { return static_cast<int>(g_GameMain.m_ScreenWidth); };
    g_JMHooks.screenHeight = [] { return static_cast<int>(g_GameMain.m_ScreenHeight); };
    g_JMHooks.requestState = [](int state) { g_GameMain.m_ReqState = state; };
    g_JMHooks.gameState = [] { return static_cast<int>(g_GameMain.m_CurState); };
    g_JMHooks.gameVersion = [] { return g_GameVersion; };
    g_JMHooks.saveExists = SaveGameExists;
    g_JMHooks.setMonthDay = SaveSetMonthDay;
    g_JMHooks.newGame = [](const char* name, int difficulty) {
        SaveSetNewGame(name, difficulty);
        // A new game: no save to load when the game starts.
        g_GameMain.m_SaveName.clear();
    };
    // PLACEHOLDER until the game-completion sequence lands: no game is
    // completed in a run.
    g_JMHooks.gameCompleted = [] { return 0; };
    g_HostUiHooks.getNewCharacterClass = [] { return g_JMStartMenu ? static_cast<int>(g_JMStartMenu->m_ChosenClass) : 0; };
    g_JMSettingsHooks.getDisplayMode = [] { return static_cast<int>(g_GameMain.m_CurDisplayMode); };
    g_JMSettingsHooks.requestDisplayMode = [](int mode) { g_GameMain.m_ReqDisplayMode = mode; };
    g_JMSettingsHooks.getInGameDisplayMode = [] { return static_cast<int>(g_GameMain.m_InGameDisplayMode); };
    g_JMSettingsHooks.setInGameDisplayMode = [](int mode) { g_GameMain.m_InGameDisplayMode = mode; };
    g_JMSettingsHooks.getZoomSwitch = [] { return static_cast<int>(g_GameMain.m_ZoomCap); };
    g_JMSettingsHooks.setZoomSwitch = [](int on) { g_GameMain.m_ZoomCap = on; };
    g_JMSettingsHooks.getBrightness = [] { return g_GameMain.GetBrightness(); };
}
