#pragma once
// Where the player controller finds a skill's combination chain and its
// gesture. A listed skill K of a role (its ".rmd" row: count in column 1,
// ids from column 2) has a "Skill.gop" row whose values are the chain's
// children in order (the roles' own combo chain reads the same row). Each
// child is a "Skill.ini" record; its unnamed integer columns carry:
//   trigger skill        column 31
//   timing value T       column 32 (below 1000 ticks after the last action
//                        ended; 1000 and more a window since its start)
//   window end U         column 33 (65535: missing)
//   direction mode       column 7 (2: must turn more than two steps)
//   target field         column 8 (positive: aims at the own target)
// K's own "Skill.ini" record names its gesture pattern in column 36
// (1000 + pattern number; below 1000 none).
#include <cstdint>

class CRole;

struct ComboChild {
    int32_t skill = -1;
    int32_t trigger = -1;
    int32_t timing = 0;
    int32_t windowEnd = 0;
    int32_t dirMode = 0;
    int32_t target = 0;
};

int32_t RoleSkillCount(const CRole* role);
int32_t RoleSkillAt(const CRole* role, int32_t i);
// The chain of K: number of children, child i.
int32_t ComboChildCount(int32_t skill);
ComboChild ComboChildAt(int32_t skill, int32_t i);
int32_t SkillGestureField(int32_t skill);

// The last recorded action of the controller.
struct LastAction {
    int32_t skill = -1;
    int32_t start = -1;
    int32_t end = -1;
    int32_t a = 0;
    int32_t b = 0;
};
// 1 passes, 0 not yet (still running, or facing too close), -1 outside.
// dir8 is the 8-way direction from the own role to the aim point.
int ComboTimingCheck(const ComboChild& child, const LastAction& last, int32_t now, int32_t dir8);
