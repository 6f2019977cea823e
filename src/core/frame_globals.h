#pragma once
// Globals of the frame loop that every subsystem reads: the logic tick and
// the time spans derived from it, the application's active flag and a few
// input flags shared between the input pass, the client and the panels.

// Length of one logic tick in milliseconds.
extern int g_TickMs;
// Ticks per second as the game's time spans count them (one tick is 35 ms,
// so this is 28 rather than 28.57).
extern int g_TicksPerSecond;
extern int g_TicksHalfSecond;       // 14
extern int g_TicksThirdSecond;      // 9
extern int g_TicksSixthSecond;      // 4
extern int g_TicksTwoThirdsSecond;  // 18
extern int g_Ticks2Seconds;         // 56
extern int g_Ticks3Seconds;         // 84
extern int g_Ticks4Seconds;         // 112
extern int g_Ticks5Seconds;         // 140
extern int g_Ticks8Seconds;         // 224

// 1 after a logic tick, 0 after a resynchronisation: frames are drawn only
// while it is 1.
extern int g_FrameDirty;
// 1 while the main window is active.
extern int g_AppActive;

// Longest gap between the two clicks of a double click, in ticks.
extern int g_DoubleClickTicks;
// Set: the next activation of the client skips its screen effect (the
// client only clears it then).
extern int g_SkipScreenEffect;
// The left button is held over the game view (set by the input pass;
// panels clear it when they find the button released).
extern int g_LButtonHeld;
