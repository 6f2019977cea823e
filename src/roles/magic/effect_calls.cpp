// PLACEHOLDER: the effect executor and the attached magic list come later;
// until then a fired record and a sweep only reach the probe.
#include "roles/magic/effect_calls.h"

#include "roles/magic/magic.h"

CEffectProbe g_EffectProbe;

void ApplyEffect(const SkillEffect* record, CMagic* magic, int32_t arg) {
    if (g_EffectProbe.applyEffect) g_EffectProbe.applyEffect(record, magic, arg);
}

int HitAreaSweep(CMagic* magic, int32_t shape, int32_t radius, int32_t rangeCells, int32_t flag) {
    if (g_EffectProbe.hitArea) g_EffectProbe.hitArea(magic, shape, radius, rangeCells, flag);
    return 0;
}

CMagic* CAttachedMagicList::CreateAttachedMagic(ObjHandle, int32_t, const CGamePoint*, ObjHandle) { return nullptr; }
