#pragma once
// Start-up configuration: "tamiro.ini" (start options), "define.ini"
// (combat constants) and "DisplayCapability.INI" (what the machine's
// display stack can do, written by capsprobe). Keys are read strictly in
// file order.
#include <cstdint>

#include "core/define_values.h"  // "define.ini"

// "tamiro.ini"
extern int32_t g_BeginScene;   // start scene number of a new game
extern float g_GameVersion;    // shown as "v %.2f"; always 2.0 after loading
// "DisplayCapability.INI"
extern int32_t g_Cap3dFunc;
extern int32_t g_CapVideoMemory;
extern int32_t g_CapZoom;
extern int32_t g_CapAlpha;
extern float g_CapDXVersion;
// 1 when "3dFunc" and "AlphaCap" are both non-zero.
extern int32_t g_AlphaMode;

// Row of "Text.txt" shown when DirectX is older than 8.1.
constexpr int kTextOldDirectX = 321;

// 1 to go on, 0 when DirectX is older than 8.0.
int LoadStartupConfig();
// Back to the values before any loading (tests).
void ResetStartupConfig();
