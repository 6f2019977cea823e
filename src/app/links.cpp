// PLACEHOLDER bodies (see links.h).
#include "app/links.h"

#include "host/game_host.h"

namespace {
int g_failModes = 0;

int SaveRunningGameImpl() {
    // No client, so no player's role to save for.
    return -1;
}
} // namespace

int DisplaySetMode(CSurface**, plat::Window*, int, int) {
    if (g_failModes > 0) {
        --g_failModes;
        return 0;
    }
    return 1;
}
void DisplayRestoreDesktop(CSurface*) {}
int DisplayIsPrimaryLost(CSurface*) { return 0; }
void DisplayZoomBlit(CSurface*, float) {}
void DisplayDelete(CSurface** surface) { *surface = nullptr; }
void DisplayTakeScreenshot(CSurface*, int, int) {}
void DisplayForceModeFailures(int count) { g_failModes = count; }

bool ClientExists() { return g_GameHost.m_pClient != nullptr; }
bool ClientIsActive() { return false; }
void ClientMakeWorldCurrent() {}
void ClientDrawView(CSurface*) {}
void ClientUpdateViewPort() {}
void ClientStartShake() {}
bool PlayerTargetCannotAct() { return false; }
void RunSceneBlackTriggers() {}

int (*g_SaveRunningGame)() = SaveRunningGameImpl;

int LoadSavedGame(const std::string&) {
    // Without save games the named game cannot be read; start a new one so
    // the game state still runs.
    return g_GameHost.Start(nullptr);
}
