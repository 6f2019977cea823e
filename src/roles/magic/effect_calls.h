#pragma once
// The effect executor: what one effect record does for a magic object
// (effect_exec.cpp). When records fire is the magic object's business.
#include <cstdint>

#include "core/geometry.h"
#include "roles/magic/attached_magic.h"
#include "world/objects/handle_table.h"

struct SkillEffect;
class CMagic;

// Carries out one record for a magic object with one argument.
void ApplyEffect(const SkillEffect* record, CMagic* magic, int32_t arg);
// The area sweep of effect class 0 around the magic object.
int HitAreaSweep(CMagic* magic, int32_t shape, int32_t radius, int32_t rangeCells, int32_t flag);
// A child of "SkillChild.ini" row id at spawn-point mode `mode` (class 2).
void SpawnChild(int32_t id, CMagic* magic, int32_t arg, int32_t mode);
// The spawn point of a mode; never a negative coordinate.
CGamePoint SpawnPoint(CMagic* magic, int32_t mode);
// The heading h of the vector (dx, dy): (sin h, cos h) points along it.
float HeadingOf(int32_t dx, int32_t dy);

// Tests that follow the magic object's timing rules alone install these:
// a record or a sweep then only reaches the probe.
struct CEffectProbe {
    void (*applyEffect)(const SkillEffect* record, CMagic* magic, int32_t arg) = nullptr;
    void (*hitArea)(CMagic* magic, int32_t shape, int32_t radius, int32_t rangeCells, int32_t flag) = nullptr;
};
extern CEffectProbe g_EffectProbe;
