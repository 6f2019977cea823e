#include "world/weather_fx.h"
#include "world/world_hooks.h"
void MakeRainSplash(int32_t, int32_t, int32_t) {}
