// The three posture machines a hit starts: thrown up (101), tumbling on the
// ground (110) and held by another role (120). Each phase operation does
// the work of entering its phase; TickPostures moves them on once a tick.
#include <algorithm>
#include <cstdlib>

#include "core/txt_table.h"
#include "gfx/anim.h"
#include "gfx/image_ref.h"
#include "platform/random.h"
#include "roles/role.h"
#include "roles/role/role_posture_util.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_sound.h"

using role_posture::InPlayerCamps;
using role_posture::Item;

namespace role_postures_cpp {
constexpr int32_t kGroundSound = 13;
constexpr int32_t kDustEffect = 16;
constexpr int32_t kHalfSecond = 14;

int32_t EaseToZero(int32_t v, int32_t step) {
    if (v > 0) return std::max(0, v - step);
    if (v < 0) return std::min(0, v + step);
    return 0;
}
} // namespace role_postures_cpp

namespace role_postures_cpp {
// The animation group of an index for a role's direction count.
int32_t GroupOf(int32_t index, int32_t dirs) { return index / (dirs > 0 ? dirs : 8); }
} // namespace role_postures_cpp
using namespace role_postures_cpp;

// ---------------------------------------------------------------- knock-down

void CRole::KnockDownStep(int32_t phase) {
    const int32_t n = m_DirCount > 0 ? m_DirCount : 8;
    const auto in17 = [&] { return ModelHas(17) && GroupOf(GetCurrentAnimIndex(), n) == GroupOf(ModelInt(17), n); };
    const auto show = [&](int32_t index) {
        SetAnimIndex(index);
        SetAnimOrDefault(-1);
    };
    switch (phase) {
    case 0:
        if (ModelHas(19)) show(in17() ? GetCurrentAnimIndex() : ModelInt(19) + m_Facing);
        SetAnimOverride(1);
        m_KnockCounter = m_KnockLimit = 80;
        SetHeightVelocity(4, 80);
        m_PostureSub = 0;
        return;
    case 1:
        SetAnimOverride(0);
        if (ModelHas(17)) show(in17() ? GetCurrentAnimIndex() : ModelInt(17) + m_Facing);
        SetAnimOverride(1);
        m_PostureSub = 1;
        return;
    case 2: m_PostureSub = 2; return;
    case 3:
        if ((!InPlayerCamps(m_Camp) || m_ComboLoad <= 3.0f) && m_KnockCounter > 0) {
            --m_KnockCounter;
            if (m_PostureSub == 2 && m_Height > m_KnockLimit / 2) {
                m_PostureSub = 3;
                m_PostureTimer = kHalfSecond;
            }
            return;
        }
        [[fallthrough]];
    default:
        SetFlag(kRoleBitSpin, 0);
        SetAnimOverride(0);
        SetHeightVelocity(-8, 0);
        m_Posture = kPostureTumbling;
        TumbleStep(0);
        m_PostureAnimA = m_PostureAnimB = 0;
        return;
    }
}

// ---------------------------------------------------------------- tumble

void CRole::TumbleStep(int32_t phase) {
    const int32_t n = m_DirCount > 0 ? m_DirCount : 8;
    const auto in17 = [&](int32_t index) { return ModelHas(17) && GroupOf(index, n) == GroupOf(ModelInt(17), n); };
    const auto show = [&](int32_t index) {
        SetAnimIndex(index);
        SetAnimOrDefault(-1);
    };
    switch (phase) {
    case 0: {
        const int32_t was = GetCurrentAnimIndex();
        m_TumbleAux = 0;
        ResetCombo(0);
        if (ModelHas(19)) {
            show(ModelInt(19) + m_Facing);
            SetAnimOverride(1);
        }
        if (in17(was)) {
            SetAnimOverride(0);
            show(ModelInt(17) + m_Facing);
            SetAnimOverride(1);
        }
        m_PostureSub = 0;
        return;
    }
    case 1:
        if (in17(GetCurrentAnimIndex()) && ModelHas(19)) {
            SetAnimOverride(0);
            show(ModelInt(19) + m_Facing);
            if (CAnimPlayer* p = GetCurrentAnim()) p->m_CurFrame = std::max(0, p->m_FrameCount - 1);
            SetAnimOverride(1);
        }
        SetFlag(kRoleBitSpin, 0);
        if (g_WorldSound.playEffectAt) g_WorldSound.playEffectAt(kGroundSound, {m_X, m_Y}, 0);
        SetFlag(kRoleBitUntouchable, 1);
        if (g_CurObjMng) g_CurObjMng->AddMagic(kDustEffect, m_X, m_Y, this, 1);
        AddHP(-2.0f);
        m_PostureSub = 1;
        m_PostureTimer = plat::Rand() % 28 + kHalfSecond;
        return;
    case 2:
        SetAnimOverride(0);
        show((ModelHas(18) ? ModelInt(18) : ModelInt(8)) + m_Facing);
        SetAnimOverride(1);
        m_PostureSub = 2;
        return;
    default: {
        const int32_t countdown = InPlayerCamps(m_Camp) || ModelInt(31) == 1 ? 2 : 1;
        SetState(kStateDodging, 1, countdown, nullptr);
        SetAnimOverride(0);
        SetPosture(0);
        if (plat::Rand() % 100 < (countdown == 2 ? 50 : 100)) {
            const int32_t skill = Item(m_pModelRow, 39, 0);
            CActor* target = GetTargetRole();
            if (skill != kTxtEmptyInt && target) GiveOrder(11, skill, static_cast<int32_t>(target->m_Handle), 0, 0, 0);
            m_AiValue = 0;
        }
        m_PostureSub = phase;
        return;
    }
    }
}

// ---------------------------------------------------------------- held

int CRole::GrabbedBy(ObjHandle grabber, int32_t kind, int start) {
    if (!start) {
        m_PostureAnimA = m_PostureAnimB = 0;
        SetAnimOverride(0);
        // Never below the ground.
        if (m_KnockLimit < 100) m_Height = std::max(0, m_Height - 80);
        SetHeightVelocity(-10, 0);
        SetPosture(0);
        SetFlag(kRoleBitNoMove, 0);
        SetFlag(kRoleBitNoRun, 0);
        return 1;
    }
    GiveOrder(16, 0, 0, 0, 0, 0);
    const int32_t anim = kind < 100 ? Item(m_pModelRow, 15, kind) : Item(m_pModelRow, 17, 0);
    if (anim == kTxtEmptyInt) return 0;
    CRole* holder = RoleOf(grabber);
    if (!holder) return 0;
    if (m_Posture == kPostureKnockedUp) {
        SetFlag(kRoleBitSpin, 0);
        m_Posture = 0;
        SetHeightVelocity(0, 0);
        m_Height = 0;
    }
    SetPosture(kPostureHeld);
    if (m_Posture != kPostureHeld) return 0;
    const int32_t n = m_DirCount > 0 ? m_DirCount : 8;
    const int32_t d = (holder->GetFacing8() + 4) % 8;
    SetDirection8(d);
    m_KnockLimit = kind;
    const int32_t shown = kind == 102 ? (d + 2) % 8 : d;
    SetAnimIndex(n * shown / 8 + anim);
    SetAnimOrDefault(-1);
    SetFlag(kRoleBitNoMove, 1);
    SetFlag(kRoleBitNoRun, 1);
    m_PostureSub = static_cast<int32_t>(grabber);
    SetAnimOverride(1);
    SetMotion(kMotionStand, 0, 0, 0);
    return 1;
}

void CRole::FollowGrabber(CRole* grabber) {
    if (!grabber) return;
    const int32_t n = m_DirCount > 0 ? m_DirCount : 8;
    if (m_KnockLimit != 102) {
        const int32_t saved = m_AnimOverride;
        SetAnimOverride(0);
        const int32_t d = (grabber->GetFacing8() + 4) % 8;
        m_Facing = n == 16 ? d * 2 : d;
        m_DefaultAnimGroup = m_DefaultAnimGroup / n * n + m_Facing;
        SetAnimOrDefault(-1);
        SetAnimOverride(saved);
    }
    const auto offsets = [](CActor* a, int32_t* x, int32_t* y) {
        *x = *y = 0;
        if (CAnimPlayer* p = a->GetCurrentAnim())
            if (const CAnimFrame* f = p->CurrentFrame()) {
                *x = f->m_X;
                *y = f->m_Y;
            }
    };
    int32_t gx, gy, rx, ry;
    offsets(grabber, &gx, &gy);
    offsets(this, &rx, &ry);
    const int32_t gh = grabber->m_Height;
    m_PostureAnimA = gx - rx;
    m_PostureAnimB = gy - (ry + gh);
    const int32_t h = gh - ry - gy;
    if (h > 0) {
        m_Height = h;
        m_PostureAnimB += h;
    }
    const bool in17 = ModelHas(17) && GroupOf(GetCurrentAnimIndex(), n) == GroupOf(ModelInt(17), n);
    const int32_t f8 = GetFacing8();
    if (in17 || f8 <= 3 || f8 == 7) SetPos(grabber->m_X + 1, grabber->m_Y + 1);
    else SetPos(grabber->m_X - 1, grabber->m_Y - 1);
}

// ---------------------------------------------------------------- per tick

// The tick's HP check belongs to the tumble: a role brought to 0 HP while
// down dies once it may (a hit in posture 0 kills through ResolveHit).

int CRole::TickPostures() {
    CAnimPlayer* p = GetCurrentAnim();
    const bool atEnd = !p || p->IsAtEnd();
    const int32_t frame = p ? p->m_CurFrame : 0;
    const int32_t n = m_DirCount > 0 ? m_DirCount : 8;
    switch (m_Posture) {
    case kPostureTumbling: {
        m_PostureAnimA = EaseToZero(m_PostureAnimA, 3);
        m_PostureAnimB = EaseToZero(m_PostureAnimB, 3);
        if (m_PostureSub == 0) {
            const int check = frame < 2 && (m_NoCorpse == 6 || m_NoCorpse == 7 || m_NoCorpse == 9);
            if (m_Motion != 33 && m_Height > 0 && m_HeightVelocity > -5) SetHeightVelocity(-5, 0);
            if (m_Height < 6 && (atEnd || TestFlag(kRoleBitSpin))) TumbleStep(1);
            return check;
        }
        if (m_PostureSub == 1) {
            if (m_Height >= 1) {
                SetHeightVelocity(-5, 0);
                return 0;
            }
            if (--m_PostureTimer > 0) return 0;
            TumbleStep(2);
            return 1;
        }
        if (m_PostureSub == 2) {
            if (atEnd) TumbleStep(3);
            return 1;
        }
        return 0;
    }
    case kPostureKnockedUp: {
        if (m_Height < 51) {
            const int32_t step = 6 - m_Height / 10;
            m_PostureAnimA = EaseToZero(m_PostureAnimA, step);
            m_PostureAnimB = EaseToZero(m_PostureAnimB, step);
        } else {
            const CAnimPlayer* q = ModelHas(17) ? GetAnimAt(ModelInt(17) + m_Facing) : nullptr;
            const CAnimFrame* f = q ? q->CurrentFrame() : nullptr;
            m_PostureAnimA = f ? -f->m_X : 0;
            m_PostureAnimB = f ? -f->m_Y : 0;
        }
        switch (m_PostureSub) {
        case 0: {
            const int32_t mark = Item(m_pModelRow, 17, 1);
            if ((ModelHas(17) && GroupOf(GetCurrentAnimIndex(), n) == GroupOf(ModelInt(17), n)) ||
                (mark == kTxtEmptyInt ? atEnd : frame >= mark))
                KnockDownStep(1);
            break;
        }
        case 1:
            if (m_Height >= m_KnockLimit || m_HeightVelocity == 0) KnockDownStep(2);
            break;
        case 2:
            if (m_Height <= 30 || m_Height > 150) KnockDownStep(4);
            else if (m_HeightVelocity == 0) SetHeightVelocity(-std::max(m_Height / 20, 4), 0);
            break;
        case 3:
            if (--m_PostureTimer <= 0) KnockDownStep(2);
            else SetHeightVelocity(m_Height < 60 ? 2 : -2, m_KnockLimit);
            break;
        default: break;
        }
        return 0;
    }
    case kPostureHeld: {
        CRole* grabber = RoleOf(static_cast<ObjHandle>(m_PostureSub));
        if (!grabber || !grabber->m_pBoundMagic) {
            SetAnimIndex(-1);
            GrabbedBy(0, 0, 0);
        } else {
            FollowGrabber(grabber);
        }
        return 0;
    }
    default: return 0;
    }
}
