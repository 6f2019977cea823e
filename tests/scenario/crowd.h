#pragma once
// A run of the crowd fixture (datagen/fixture_crowd.h) in the scenario
// runner, seeded, with its counts and a digest of every object, for the
// role-tick benchmark and its equivalence guard.
#include <cstdint>

#include "scenario/scenario.h"

namespace scenario {

struct CrowdCounts {
    int live = 0;     // roles in the scene with HP left
    int alerted = 0;  // of them, alerted
    int moving = 0;   // of them, walking or otherwise under way
    int busy = 0;     // alerted or moving
};

// Starts the crowd of `roles` roles with the generator seeded by `seed`
// and ticks the first frame step (the scene is built, the hero placed).
bool StartCrowd(CScenario& run, int roles, uint32_t seed);
CrowdCounts CountCrowd(const CScenario& run);
// FNV-1a over every object of the scene in list order: roles (handle,
// kind, cell, HP, motion, target, last order), magic objects, drops,
// props and creatures (handle, kind, cell).
uint64_t CrowdDigest(const CScenario& run);

} // namespace scenario
