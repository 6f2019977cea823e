// Entry point: the framework part of the program. The backend and its
// clock are chosen before anything reads the clock, then the application
// object runs.
#include "app/game_app.h"
#include "core/log.h"
#include "platform/window.h"

int main() {
    plat::ConfigureFromEnvironment();
    g_AppClock.Reset();
    if (!g_GameApp.InitInstance()) {
        g_GameApp.ExitInstance();
        return 1;
    }
    return g_GameApp.Run();
}
