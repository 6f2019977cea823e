#pragma once
// The sound calls of world objects and the weather: the sound layer's own
// functions, unless a test records them.
#include "core/geometry.h"

struct CWorldSoundCalls {
    void (*playEffect)(int id, int loop, int percent, int pan);
    void (*stopEffect)(int id);
    void (*playMusicSound)(int id, int loop);
    void (*playEffectAt)(int id, const CGamePoint& world, int loop);
};
extern CWorldSoundCalls g_WorldSound;
