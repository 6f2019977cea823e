#pragma once
// Straight-line walks over the current map grid, cell tests by terrain
// class, hostility by camp, direction-angle helpers and the bent gauge.
// Units are cells; line stepping and sampling use float.
#include <cstdint>
#include <vector>

#include "core/geometry.h"

class CGameObj;
struct CMapCell;

// What the line walks and the picking ask of the client and the role data
// (installed by those layers; unset: no controlled role, no followers).
struct CGridSearchHooks {
    // The role the local client controls, or null.
    CGameObj* (*getControlledRole)() = nullptr;
    // CRoleData::HasFollower of the local player for that role.
    int (*isPlayerFollower)(const CGameObj* role) = nullptr;
};
extern CGridSearchHooks g_GridSearchHooks;

// Walk modes of the line tests:
//   0 passes the walk class and has no role (or the given role)
//   1 passes the walk class
//   3 terrain class outside 2-9, or passes the walk class
//   4 terrain class outside 3-9, or passes the walk class
//   other: never
bool CellPassesWithRole(const CMapCell& c, int32_t walkClass, uint16_t roleHandle);
bool CellPassesClass2To9(const CMapCell& c, int32_t walkClass);
bool CellPassesClass3To9(const CMapCell& c, int32_t walkClass);

// Steps from `from` toward `to` in n = |to - from| (integer part) steps of
// (dx / n, dy / n), each coordinate rounded half up; walks N + 1 steps (past
// the target when N reaches beyond it), stopping outside the grid or at a
// cell failing the mode. The last cell that passed the walk class with no
// role; with stopAtTarget, returned as soon as the step count reached n
// and it differs from `from`. `from` when n is 0 or N negative.
CGamePoint TraceCellLine(const CGamePoint& from, const CGamePoint& to, int32_t maxSteps, int stopAtTarget,
                         int mode, int32_t walkClass);
// The same stepping for n steps, walk class 1: every cell in the grid and
// passing (mode 0: walk class 1 and no role at all). True for n = 0.
bool IsCellLineClear(const CGamePoint& from, const CGamePoint& to, int mode);
// Samples every half cell from `from` while below the integer length of
// the line (offsets truncated toward zero): each sample in the grid and
// passing the walk class. Equal cells: that cell's test.
bool IsLinePassable(const CGamePoint& from, const CGamePoint& to, int32_t walkClass);
// As IsLinePassable, and no sample (nor the single cell) holds a role.
bool IsLineFree(const CGamePoint& from, const CGamePoint& to, int32_t walkClass);
// a + fraction x |a b| (integer part) along the atan2 direction of b, each
// offset truncated toward zero.
CGamePoint PointAlongLine(const CGamePoint& a, const CGamePoint& b, float fraction);

// Same camp: no; a camp 0-99 on either side: yes; a player camp (10000-
// 60000) of a: whether its camp list holds b's camp; else of b likewise.
bool AreRolesHostile(const CGameObj* a, const CGameObj* b);
// The client's controlled role exists and has that camp.
bool IsPlayerCamp(int32_t camp);

// 0 pi/4, 1 pi/2, 2 3pi/4, 3 pi, 4 5pi/4, 5 3pi/2, 6 -pi/4, else 0.
float Dir8ToAngle(int d);
// Adds 1 pi, 2 pi/2, 3 3pi/2, 4 pi/4, 5 5pi/4, 6 3pi/4, 7 7pi/4; else none.
void AddDirAngle(int d, float* angle);
// Turns the shared direction counter on by one (7 -> 0) and moves the
// point by `step` that way.
CGamePoint NextDirPoint(const CGamePoint& point, int32_t step);
// That counter (0-7), shared by every caller.
extern int g_DirCounter;

struct CGaugeRect {
    int32_t left, top, right, bottom;
    bool operator==(const CGaugeRect&) const = default;
};
// The bent gauge at `percent`: L = percent x 0.01 x 221 (integer part),
// 1 to 4 rectangles; 0 (nothing built) for L of 222 or more. L = 0 with a
// positive percent draws as 0 percent.
int BuildGaugeRects(std::vector<CGaugeRect>* rects, int32_t* count, int32_t percent);

// The spiral of BeginCellSearch: the next cell whose role (or ground
// object, any kind) stands inside the search rectangle; null at the end.
CGameObj* FindNextRoleNear();
CGameObj* FindFirstRoleNear(int32_t x, int32_t y, int32_t r);
CGameObj* FindNextGroundObjNear();
CGameObj* FindFirstGroundObjNear(int32_t x, int32_t y, int32_t r);

// The role nearest to a screen point among the cells around `cell` (rows
// y + 4 down to y - 3, each from x + 4 down to x - 3): alive, not a follower
// of the local player, its screen rectangle grown by 20 holding the point,
// not of a camp 0-99 whose model row has a value in column 31, and not the
// controlled role unless allowed. Distance to its anchor (screen x of its
// position, middle of its rectangle); the first on a tie. Null for none.
CGameObj* PickRoleAtPoint(const CGamePoint& screen, const CGamePoint& cell, int allowSelf);
