// Entry point: the framework part of the program. The backend and its
// clock are chosen before anything reads the clock, then the application
// object runs. Exit code: the loop's, or 64 (a usage error) when
// VANTREL_SCRIPT was unreadable or malformed.
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
    const int code = g_GameApp.Run();
    // A script that could not be used closed the run at once; the caller
    // (a test, a CI job) must not take that for a good run.
    if (!plat::ScriptError().empty()) return 64;
    return code;
}
