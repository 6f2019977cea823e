#pragma once
// Start-up loading and shutdown helpers, and the UI-screen sequences that
// the game-state machine runs when it enters and leaves its screens.
#include <cstdint>

#include "core/txt_table.h"
#include "gfx/anim.h"
#include "gfx/marker_anims.h"
#include "gfx/image_ref.h"

// Loading-time log of the scene loaders and the movie state: progress 0
// begins, 100 ends, anything else logs a step line.
void LogLoading(int progress, const char* name1 = nullptr, const char* name2 = nullptr);

// Binds the start-up images, markers, cursor and role effect rows; can be
// repeated. Both return 1.
int InitGameResources();
int ReleaseGameResources();

// 0 when the panels cannot be made.
int InitJM();
// The panels' calls into the game object and the game host.
void InstallUiHooks();
// The roles, the host, the panels and the game object into the scenes
// (with the client's hooks).
void InstallSceneHooks();
// The client into the game object, host and panels, and the world, roles
// and panels into the client; opens the packet recording that
// VANTREL_PACKET_RECORD asks for.
void InstallClientHooks();
void JM_BeginOut();
void JM_EndOut();
void JM_BeginIn();
void JM_EndIn();
void JM_BeginDead();
void JM_EndDead();

// 1 until the first title screen has played the intro movie.
extern int g_IntroMoviePending;

// Start-up resources.
constexpr int kUiImageCount = 10;
constexpr uint32_t kFirstUiImageId = 0x100000;
extern CImageRef g_UiImages[kUiImageCount];

// Header rows handed to the text table for "PropGemFunc.txt": the table
// takes a negative count as 0, so its first row is data.
constexpr int kPropGemFuncHeaderRows = -1;
