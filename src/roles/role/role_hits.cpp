// What a magic object's hit does to a role beyond the damage: the guard,
// the push, the reaction by the hit kind and the postures it leads to, the
// effects emitted at the role, the drop roll and the per-tick effects of
// poison, fire and their like.
#include <algorithm>
#include <cstdlib>

#include "core/define_values.h"
#include "core/txt_table.h"
#include "gfx/anim.h"
#include "gfx/image_ref.h"
#include "platform/random.h"
#include "roles/actor/actor_util.h"
#include "roles/magic/magic.h"
#include "roles/role.h"
#include "roles/role/role_posture_util.h"
#include "roles/role_hooks.h"
#include "roles/swarm/point_swarm.h"
#include "roles/tables/skill_table.h"
#include "world/map/line_walk.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_sound.h"
#include "world/things/anim_map_obj.h"

using actor_util::FoldDir;
using role_posture::Item;

namespace role_hits_cpp {
constexpr int32_t kSparkEffect = 17;
constexpr int32_t kStateGuardStance = 106;
constexpr int32_t kCaptureGrab = 5;
constexpr int32_t kCaptureRelease = 6;
constexpr uint32_t kFlagNoKnock = 32;
} // namespace role_hits_cpp
using namespace role_hits_cpp;

// ---------------------------------------------------------------- postures

void CRole::SetPosture(int32_t p) {
    const int32_t old = m_Posture;
    if (p == old && p != kPostureKnockedUp) return;
    if ((p == kPostureStagger || p == kPostureTumbling || p == kPostureKnockedUp) && TestFlag(kFlagNoKnock)) return;
    if (p != 0 && p != kPostureTumbling) SetMotion(kMotionStand, 0, 0, 0);
    if (old != 0 && p != 0) {
        if (p < 100) return;
        PlaySpecialAnim(-1, 1);
        if (p == kPostureTumbling && old == kPostureKnockedUp) {
            KnockDownStep(4);
            return;
        }
        if (old > 100) {
            m_Posture = old;
            return;
        }
    }
    m_Posture = p;
    switch (p) {
    case 0:
        m_PostureAnimA = m_PostureAnimB = 0;
        if (old != kPostureHeld) SetAnimIndex(-1);
        return;
    case kPostureTumbling: TumbleStep(0); return;
    case kPostureKnockedUp:
        if (ModelHas(17)) {
            KnockDownStep(0);
        } else {
            m_Posture = kPostureStagger;
            m_PostureSub = 0;
        }
        return;
    case kPostureStagger: {
        m_PostureSub = 0;
        const int32_t anim = Item(m_pModelRow, 14, 0);
        if (anim == kTxtEmptyInt || anim == Item(m_pModelRow, 7, 0)) {
            m_Posture = old;
            return;
        }
        PlaySpecialAnim(m_Facing + anim, 1);
        return;
    }
    case 3: {
        const int32_t anim = Item(m_pModelRow, 15, 0);
        if (anim == kTxtEmptyInt) {
            m_Posture = old;
            return;
        }
        PlaySpecialAnim(m_Facing + anim, 1);
        return;
    }
    case 1: {
        const int32_t anim = Item(m_pModelRow, 14, 1);
        if (anim == kTxtEmptyInt) {
            m_Posture = old;
            return;
        }
        const int32_t sound = Item(m_pModelRow, 37, 1);
        if (sound != kTxtEmptyInt && g_WorldSound.playEffectAt) g_WorldSound.playEffectAt(sound, {m_X, m_Y}, 0);
        PlaySpecialAnim(m_Facing + anim, 1);
        return;
    }
    default: return;
    }
}

void CRole::PlaySpecialAnim(int32_t anim, int32_t flag) {
    m_SpecialAnim = anim;
    if (anim != -1) {
        m_SpecialAnimActive = static_cast<uint32_t>(flag);
        SetAnimIndex(anim);
        SetAnimOrDefault(-1);
        if (CAnimPlayer* p = GetCurrentAnim()) p->Start(false);
        return;
    }
    if (m_SpecialAnimActive) {
        m_SpecialAnimActive = 0;
        SetPosture(0);
    }
    SetAnimIndex(-1);
}

void CRole::PostureOnStance() {
    if (HasState(kStateAlerted)) SetPosture(1);
}

void CRole::ReleaseIfHolding() {
    if (m_Posture == kPostureHeld) GrabbedBy(0, 0, 0);
}

// ---------------------------------------------------------------- the hit

int CRole::OnHit(CGameObj* obj) {
    CMagic* magic = AsMagic(obj);
    if (!magic) return 0;
    const CSkillDef* def = magic->GetSkill();
    const int32_t kind = def ? def->kind : 0;
    if (kind == 3) {
        const CGamePoint target = magic->GetTargetPoint();
        const CGamePoint reached =
            TraceCellLine(GetCell(), {target.x / 64, target.y / 64}, 20, 1, 1, m_WalkClass);
        EnterCell(reached.x, reached.y, 0);
        if (const CMapCell* cell = g_CurMapGrid ? g_CurMapGrid->GetCell(reached.x, reached.y) : nullptr)
            SetWalkClass(static_cast<uint8_t>(cell->GetMoveClass()));
        return 1;
    }
    // The circle group finds its staggered members at its own update.
    if (kind == 0 && !((!IsUntargetable() && IsWalkClassRestricted() == magic->IsWalkClassRestricted()) ||
                       magic->m_Kind == 6))
        return 0;
    CRole* owner = magic->GetOwnerRole();
    if (!owner) return 0;
    m_ExcludeHandle = owner->m_Handle;

    if (kind == 0 && HasState(kStateGuardStance)) {
        AddNu(static_cast<int32_t>(GetNuFactor()), 1);
        const int32_t d = magic->m_Kind == 6 ? magic->m_Direction & 7 : GetDir8({m_X, m_Y}, {magic->m_X, magic->m_Y});
        if (FoldDir(d - GetFacing8(), 8) > 2) {
            const int32_t mode = def ? def->guardReaction : 0;
            if (mode != 3) {
                if (mode == 1) owner->SetPosture(3);
                else if (mode == 2) owner->RemoveBoundMagic();
                if (magic->GetValue1() < 6) PlanPushStep(magic->GetValue2() * 4, 16, d, 0);
                EmitEffect(kSparkEffect);
                return 1;
            }
        }
    }

    if (owner->m_Camp != m_Camp) {
        m_Provoked = 1;
        if (!GetTarget() || (!(m_Camp >= 10000 && m_Camp <= 60000) && plat::Rand() % 2 == 0))
            SetTarget(owner, 1);
    }
    for (CGameObj* a : m_Attachments) {
        CAnimRes* res = a ? a->GetAnim() : nullptr;
        CAnimPlayer* p = res ? res->CurrentPlayer() : nullptr;
        if (p && p->m_FrameCount > 1 && p->IsAtEnd()) p->Start(false);
    }
    if (!g_CurScene) return 1;
    if (!ResolveHit(magic)) return 1;
    if ((m_Kind == 60 || owner->m_Kind == 60) && g_RoleHooks.countHit) g_RoleHooks.countHit(0);

    const int32_t capture = def ? def->pattern : 0;
    if (kind == 0) {
        if (!HasState(kStateAlerted)) SetState(kStateAlerted, 1, 0, nullptr);
        if (capture == kCaptureGrab) {
            if (!TestFlag(kFlagNoKnock) && GrabbedBy(owner->m_Handle, def->patternCount, 1)) {
                owner->RemoveBoundMagic();
                FollowGrabber(owner);
            }
        } else if (capture == kCaptureRelease) {
            GrabbedBy(0, 0, 0);
        }
    }
    if (m_Removed || m_Dead) return 1;

    if ((m_Motion == kMotionStand || m_Motion == 11 || m_Motion == 31) && !TestFlag(kFlagNoKnock)) {
        if (m_Posture == kPostureKnockedUp) KnockDownStep(3);
        const int32_t k = magic->GetValue1();
        const int32_t v = magic->GetValue2();
        const CGamePoint here{m_X, m_Y}, there{magic->m_X, magic->m_Y};
        const int32_t away = GetDir8(here, there);
        const int32_t d = capture == kCaptureRelease ? owner->GetFacing8() : away;
        const auto faceMagic = [&] { FaceTo(there, here); };
        switch (k) {
        case 5:
            SetFlag(kRoleBitSpin, 1);
            [[fallthrough]];
        case 2:
            SetMotion(33, d, v, 28);
            SetPosture(kPostureTumbling);
            break;
        case 1:
            SetPosture(kPostureStagger);
            SetMotion(31, d, v, 18);
            if (m_Posture == kPostureStagger) {
                m_PostureSub = 1;
                m_PostureTimer = 8 * v;
            }
            break;
        case 3:
            if (v >= 1) SetMotion(31, d, v, 22);
            SetPosture(kPostureTumbling);
            break;
        case 4:
            TryPush(v, away, 1);
            SetPosture(kPostureStagger);
            if (m_Posture == kPostureStagger) {
                faceMagic();
                m_PostureSub = 1;
                m_PostureTimer = v / 2;
            }
            break;
        case 8:
            if (capture != kCaptureRelease) faceMagic();
            SetPosture(kPostureKnockedUp);
            if (m_Posture == kPostureKnockedUp && m_PostureSub != 4) {
                m_KnockLimit = v;
                SetHeightVelocity(v / 20, v);
                if (def && def->pushDistance != 65535) SetMotion(31, d, def->pushDistance, 8);
            }
            PlanPushStep(3, 2, away, 0);
            break;
        case 20: break;
        default:
            SetPosture(kPostureStagger);
            if (m_Posture == kPostureStagger) {
                faceMagic();
                m_PostureSub = 1;
                m_PostureTimer = v;
            }
            break;
        }
        if (!CountComboHit(magic)) SetPosture(kPostureTumbling);
    }
    if (def && def->hitEffect != 0 && IsAttackAnim()) EmitEffect(def->hitEffect);
    return 1;
}

CGameObj* CRole::EmitEffect(int32_t id) {
    int32_t fx = 0, fy = 0;
    if (CAnimPlayer* p = GetCurrentAnim())
        if (const CAnimFrame* f = p->CurrentFrame()) {
            fx = f->m_X;
            fy = f->m_Y;
        }
    int32_t x = m_X - 80, y = m_Y - 80;
    if (fx != 0 || fy != 0) {
        x = m_X + 2 * fy + fx;
        y = m_Y + 2 * fy - fx;
    }
    const int32_t j = plat::Rand() % 20 - 8;
    const int32_t k = plat::Rand() & 7;
    x += (k - 4) + 2 * j;
    y += (4 - k) + 2 * j;
    CGameObj* effect = g_CurObjMng ? g_CurObjMng->AddMagic(id, x, y, this, 1) : nullptr;
    if (effect) effect->m_Height = m_Height;
    return effect;
}

void CRole::DropRoll(int32_t flag) {
    static constexpr int32_t kAlways[4] = {1, 1, 1, 1};
    static constexpr int32_t kRare[4] = {0, 0, 200, 50};
    const int32_t entry = static_cast<int32_t>(m_Overrides[3].value);
    // The override is any value a state or script gave it: outside the
    // table nothing drops.
    if (entry < 0 || entry > 3) return;
    const int32_t divisor = (flag ? kAlways : kRare)[entry];
    if (divisor == 0) return;
    if (plat::Rand() % divisor != 0 || !ModelHas(45)) return;
    CGameObj* drop = g_CurObjMng ? g_CurObjMng->AddMagic(ModelInt(45), m_X, m_Y, this, 1) : nullptr;
    if (drop) drop->SetWalkClass(m_WalkClass);
}

// ---------------------------------------------------------------- per tick

void CRole::TickStateEffects() {
    --m_State105Countdown;
    if (HasState(kStateDarken)) {
        if (m_TickCount % 5 == 1) {
            const CGamePoint cell = GetCell();
            if (COwnedProp* prop = FindOwnedPropNear(cell.x, cell.y, 5, m_Camp)) prop->SetState(1);
        }
    } else if (HasState(kStateLevelUp)) {
        if (m_State105Countdown < 0) SetState(kStateLevelUp, 0, 0, nullptr);
    } else if (HasState(112)) {
        const int32_t r = plat::Rand() % 14;
        if (m_pSwarm) {
            if (m_pSwarm->GetJitter() == 0) {
                if (r < 10) m_pSwarm->Scatter(80);
            } else if (r < 4) {
                m_pSwarm->Scatter(0);
            }
        }
    } else if (HasState(1)) {
        // "define.ini" may give 0 or less: the defaults stand in.
        const int32_t rate = g_PoisonRate > 0 ? g_PoisonRate : 90;
        const int32_t loss = GetMaxHP() / rate;
        if (m_Hp > static_cast<float>(loss)) AddHP(-static_cast<float>(loss));
    } else if (HasState(2)) {
        AddST(-static_cast<float>(GetMaxST() / 30));
    } else if (HasState(3)) {
        const int32_t rate = g_FireRate > 0 ? g_FireRate : 60;
        AddQi(-static_cast<float>(GetMaxQi() / rate));
    }
}
