#include "core/frame_globals.h"

int g_TickMs = 35;
int g_TicksPerSecond = 28;
// Derived at static initialisation, truncating, in this translation unit's
// order after g_TicksPerSecond.
int g_TicksHalfSecond = g_TicksPerSecond / 2;
int g_TicksThirdSecond = g_TicksPerSecond / 3;
int g_TicksSixthSecond = g_TicksPerSecond / 6;
int g_TicksTwoThirdsSecond = g_TicksPerSecond / 3 * 2;
int g_Ticks2Seconds = g_TicksPerSecond * 2;
int g_Ticks3Seconds = g_TicksPerSecond * 3;
int g_Ticks4Seconds = g_TicksPerSecond * 4;
int g_Ticks5Seconds = g_TicksPerSecond * 5;
int g_Ticks8Seconds = g_TicksPerSecond * 8;

int g_FrameDirty = 1;
int g_AppActive = 1;

int g_DoubleClickTicks = g_TicksPerSecond / 6;
int g_SkipScreenEffect = 0;
int g_LButtonHeld = 0;
