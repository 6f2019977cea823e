#pragma once
// Start-up loading and shutdown helpers, and the UI-screen sequences that
// the game-state machine runs when it enters and leaves its screens.

// Loading-time log of the scene loaders and the movie state: progress 0
// begins, 100 ends, anything else logs a step line.
void LogLoading(int progress, const char* name1 = nullptr, const char* name2 = nullptr);

void InitJM();
void JM_BeginOut();
void JM_EndOut();
void JM_BeginIn();
void JM_EndIn();
void JM_BeginDead();
void JM_EndDead();

// 1 until the first title screen has played the intro movie.
extern int g_IntroMoviePending;
