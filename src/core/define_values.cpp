#include "core/define_values.h"

int32_t g_MaxIceDp = 0;
int32_t g_MaxFireDp = 0;
int32_t g_MaxPoisonDp = 0;
int32_t g_PoisonRate = 90;
int32_t g_FireRate = 60;

void ResetDefineValues() {
    g_MaxIceDp = g_MaxFireDp = g_MaxPoisonDp = 0;
    g_PoisonRate = 90;
    g_FireRate = 60;
}
