#pragma once
// Calls of the game object into subsystems whose classes are not built yet
// (the display surface, the client and its scene, role data and save
// games). Each is a PLACEHOLDER with the least behaviour that lets the
// frame loop run; the later work replaces these bodies with the real calls
// and the callers stay as they are.
#include <string>

class CSurface;
namespace plat { class Window; }

// Display surface (graphics engine). No surface is created yet: the pointer
// stays null and setting a mode succeeds unless a test forces failures.
int DisplaySetMode(CSurface** surface, plat::Window* window, int width, int height);
void DisplayRestoreDesktop(CSurface* surface);
int DisplayIsPrimaryLost(CSurface* surface);
void DisplayZoomBlit(CSurface* surface, float zoom);
void DisplayDelete(CSurface** surface);
void DisplayTakeScreenshot(CSurface* surface, int width, int height);
// Tests: the next `count` DisplaySetMode calls fail.
void DisplayForceModeFailures(int count);

// Client side (game host's client, its selection and view port).
bool ClientExists();
bool ClientIsActive();
void ClientMakeWorldCurrent();
void ClientDrawView(CSurface* target);
void ClientUpdateViewPort();
void ClientStartShake();
// The player's role has a target that cannot act now.
bool PlayerTargetCannotAct();
// The black-flagged triggers of the client's scene.
void RunSceneBlackTriggers();

// Save games. Returns -1 when there is no running game with a player's
// role, else the save result (0 failure). Tests may replace the pointer.
extern int (*g_SaveRunningGame)();
// Loads the named save and starts the game host with it; 0 on failure.
int LoadSavedGame(const std::string& name);
