#pragma once
// What a magic object calls of the effect executor and of the attached
// magic list, which come later.
// PLACEHOLDER: ApplyEffect and the area sweep do nothing but tell the
// probe below; CreateAttachedMagic creates nothing.
#include <cstdint>

#include "core/geometry.h"
#include "world/objects/handle_table.h"

struct SkillEffect;
class CMagic;

// Fires one effect record for a magic object with one argument.
void ApplyEffect(const SkillEffect* record, CMagic* magic, int32_t arg);
// The area sweep of effect class 0 around the magic object.
int HitAreaSweep(CMagic* magic, int32_t shape, int32_t radius, int32_t rangeCells, int32_t flag);

// Observers of the two calls above while they have no body (tests).
struct CEffectProbe {
    void (*applyEffect)(const SkillEffect* record, CMagic* magic, int32_t arg) = nullptr;
    void (*hitArea)(CMagic* magic, int32_t shape, int32_t radius, int32_t rangeCells, int32_t flag) = nullptr;
};
extern CEffectProbe g_EffectProbe;

// The attached magic objects of one world.
class CAttachedMagicList {
public:
    virtual ~CAttachedMagicList() = default;
    // The new object bound to the owner, or null. Point null: no point.
    CMagic* CreateAttachedMagic(ObjHandle owner, int32_t skillId, const CGamePoint* point, ObjHandle target);
};
