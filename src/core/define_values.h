#pragma once
// Combat constants of "define.ini", read by role code; the start-up
// configuration fills them.
#include <cstdint>

extern int32_t g_MaxIceDp;
extern int32_t g_MaxFireDp;
extern int32_t g_MaxPoisonDp;
extern int32_t g_PoisonRate;   // 90 unless the file says otherwise
extern int32_t g_FireRate;     // 60 unless the file says otherwise

// Back to the defaults (0, 0, 0, 90, 60).
void ResetDefineValues();
