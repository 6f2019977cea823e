#pragma once
// The two marker animations the roles draw under themselves (resource ids
// 144 and 145), bound at start-up and stepped once per client step.
#include "gfx/anim.h"

extern CAnimRes g_MarkerAnims[2];

// Advances the current player of each marker animation by one looping step.
void StepCursorAnims();
