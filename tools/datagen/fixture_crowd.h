#pragma once
// The crowd: the fixture game's "Start" widened to 128 x 128 cells and
// filled with thinking roles, for the role-tick benchmark and its
// equivalence guard. Four monster camps (AI kinds 1, 20, 30 and 31 beside
// melee monsters) stand round the hero at the middle, patrols and
// wanderers roam the map, packs of four wolves and followers keep to their
// friends, and the scene script toggles a flag every tick. Every role
// carries HP for the whole run, so the crowd stays at its size.
#include "datagen/fixture_game.h"

namespace datagen {

constexpr int kCrowdSize = 128;
constexpr int kCrowdHeroX = 64, kCrowdHeroY = 64;

// The game with `roles` live roles in "Start", the hero counted (at least
// 20). The placements are fixed: the same count gives the same files.
FixtureGame CrowdFixtureGame(int roles);

} // namespace datagen
