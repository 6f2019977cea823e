#pragma once
// Calls of the game object into other subsystems: the display surface
// class, the client (its world, view and selection) and the save manager.
// The view port's drawing is the painter's stand-in (client/painter.h).
#include <cstdint>
#include <string>

class CSurface;
namespace plat { class Window; }

// Display surface. Makes the display object when there is none, releases
// its surfaces, sets the mode (16 bits, with a back buffer), attaches the
// clipper, and blackens the screen and the back buffer. 0 when the mode
// cannot be set.
int DisplaySetMode(CSurface** surface, plat::Window* window, int width, int height);
// Gives the display back to the desktop.
void DisplayRestoreDesktop(CSurface* surface);
// The primary surface reports itself lost.
int DisplayIsPrimaryLost(CSurface* surface);
// Stretches the centre of the back buffer over all of it: the margins
// (width x zoom, height x zoom) are cut off each side.
void DisplayZoomBlit(CSurface* surface, float zoom);
// Deletes the display object and clears the pointer (and the presenter's
// copy of it, so no frame is presented from a deleted surface).
void DisplayDelete(CSurface** surface);
// Saves a screenshot: the back buffer scaled to width x height, or the
// primary as it is without a size.
void DisplayTakeScreenshot(CSurface* surface, int width, int height);

// Client side (game host's client, its selection and view port).
bool ClientExists();
// The client's active flag (set when its own role is created, cleared by
// host control 13/1).
bool ClientIsActive();
void ClientMakeWorldCurrent();
void ClientDrawView(CSurface* target);
void ClientUpdateViewPort();
void ClientStartShake();
// Scrolls the client's view port by `step` when it has one (-1 repaints
// the whole view).
void ClientScrollView(int step);
// The player's role (the client's selection) has a target role that
// cannot act now.
bool PlayerTargetCannotAct();
// The black-flagged triggers of the client's scene.
void RunSceneBlackTriggers();

// Save games (g_SaveMgr, roles/save_mgr.h). Returns -1 when there is no
// running game with a player's role, else the save result (0 failure, the
// reason in g_SaveMgr.LastError()). Tests may replace the pointer.
extern int (*g_SaveRunningGame)();
// The running game's player's role (the local client's), null without one.
class CGameObj;
CGameObj* RunningPlayerRole();
// Loads the named save and restarts the game host with it. On failure the
// reason is shown in a message box, the title state is requested and 0
// returned.
int LoadSavedGame(const std::string& name);
// The save manager's part of a new game.
// A summary "Save\<name>.sav" exists in the program folder.
int SaveGameExists(const char* name);
// 1 and stored for a valid birthday (29 February in every year), else 0
// with nothing stored.
int SaveSetMonthDay(int month, int day);
// Name and difficulty of a new game; play time and death count start
// again. A name that is no plain file name is not taken.
void SaveSetNewGame(const char* name, int difficulty);
