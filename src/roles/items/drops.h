#pragma once
// What a dying role or an opened building leaves on the ground, and the
// pick-up of a map prop into a player's record.
#include <cstdint>

#include "core/geometry.h"

class CGameObj;
class CMapProp;

// Pieces one drop or one money pile puts down at most; the rest is
// dropped with a line on the debugger output.
constexpr int kMaxDropPieces = 64;

// Money and items of the "randprop.txt" row at the cell of the world point;
// 0 for row 65535 or a failed grade roll, else 1.
int GenerateDrops(int32_t rowId, const CGamePoint& point, int32_t luckPercent);
// A role of a player camp with a record takes the map prop's item; 1.
int PickUpProp(CMapProp* prop, CGameObj* role);
