#pragma once
// What flying and ground creatures share: the area their description lets
// them roam, the player's character they react to, and their model row.
#include <cstdint>

#include "core/geometry.h"

class CGameObj;
class CObjDesc;
class CTxtRow;

// The "Logic" value of a placed description (0 for any other record).
int32_t CreatureLogic(const CObjDesc* desc);
// The number of path points of a "Logic" 2 description (0 when it has
// none, so callers make no flight) and point i of them.
int32_t CreaturePathCount(const CObjDesc* desc);
CGamePoint CreaturePathPoint(const CObjDesc* desc, int32_t i);

// The wander pause and next target of an idle creature.
//   pauseBase: the fixed part of the pause per "MoveLevel" step (200 for
//   flying creatures, 0 for walking ones).
// 0 when the creature does not move this time (no description, "Logic"
// other than 1 or 2, countdown running, "MoveLevel" 4, no area or path);
// else 1 with the cell in *target.
int PickWanderCell(CObjDesc* desc, int32_t pauseBase, CGamePoint* target);

// The player's character (the client selection's role), or null.
CGameObj* PlayerRole();
// Its speed, motion (1 standing), height and body radius.
int32_t PlayerSpeed(const CGameObj* role);
int32_t PlayerMotion(const CGameObj* role);
int32_t PlayerHeight(const CGameObj* role);
int32_t PlayerBodyRadius(const CGameObj* role);
// The cell a role's description names; its position's cell without one.
CGamePoint RoleCell(const CGameObj* role);

// Column of a "BeastieMdl.txt" row; 65535 (empty) without a row.
int32_t RowInt(const CTxtRow* row, int col);
constexpr int32_t kEmptyCol = 65535;

// The light of a lit creature: radius 540, grey 200 both ways.
void AddCreatureLight(uint32_t handle);

class CSurface;
class CImage;
// A creature's frame picture at (x, y) clipped to the view: with an alpha
// plane mode 2; else by the row's column 4: 0 plain, 1 through the light
// grid's row under it while lighting is on (plain when off), any other
// value translucent (mode 3, level 8).
void DrawCreatureImage(CSurface* surface, CImage* image, int32_t x, int32_t y, int32_t drawing);
// 1 while the game draws with lighting (display option not 0).
int CreatureLightingOn();
