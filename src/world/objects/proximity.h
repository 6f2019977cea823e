#pragma once
// Proximity helpers beside the object manager's finders.
#include <cstdint>

#include "core/geometry.h"
#include "world/objects/handle_table.h"

class CGameObj;

// Truncated distance between the two positions, minus the body radius of
// each one that is a role.
int32_t ObjectDistance(const CGameObj* a, const CGameObj* b);
// A solid footprint cell of that building lies within one cell of the object.
int IsNextToBld(const CGameObj* obj, ObjHandle handle);
// The first cell within 8 of `cell` whose surface kind is 4 and that is not
// walkable; (-1, -1) when none.
CGamePoint FindSpecialCellNear(const CGamePoint& cell);
// The object of the handle when it is a map prop (kind 23).
CGameObj* GetPropByHandle(ObjHandle handle);
// start: role flag 16 on both and each turns to face the other; else the
// flag is cleared on each that is not null.
void SetTalkPair(CGameObj* a, CGameObj* b, int start);
// Owner ids below 10000 are role models (their skill list), 10000 and
// above the player's items (item id - 10000).
const void* GetRoleSkill(int32_t ownerId, int32_t index);

