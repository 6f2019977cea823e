// The role's three per-tick operations: the animation step (slot 25) and
// TickAction (slot 5) from the object manager's update, Update (slot 11)
// from its action pass.
#include <algorithm>

#include "core/packet.h"
#include "core/txt_table.h"
#include "gfx/anim.h"
#include "gfx/role_sprite.h"
#include "platform/random.h"
#include "roles/role.h"
#include "roles/swarm/point_swarm.h"
#include "world/map/line_walk.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_sound.h"

namespace {
constexpr int kFootstepSound = 12;
} // namespace

// ---------------------------------------------------------------- slot 25

int CRole::StepAnimation() {
    const int32_t n = m_DirCount > 0 ? m_DirCount : 8;
    if (HasState(kStateGuard) && m_pModelRow && GetCurrentAnimIndex() / n != m_pModelRow->GetIntItem(16, 0) / n)
        GiveOrder(16, 0, 0, 0, 0, 0);
    CAnimPlayer* p = GetCurrentAnim();
    if (m_Dead) {
        if (p && !p->IsAtEnd()) {
            p->Step();
        } else if (m_pModelRow && m_pModelRow->HasValue(19)) {
            SelectAnim(m_pModelRow->GetInt(19) + m_Facing);
            if (CAnimPlayer* q = GetCurrentAnim()) q->m_CurFrame = std::max(0, q->m_FrameCount - 1);
        }
        return 0;
    }
    if (p && !(m_RoleBits & kRoleBitPlaying)) {
        if (m_Posture == kPostureTumbling || m_Posture == 1 || HasState(kStateGuard))
            p->Step();
        else if (m_ReverseFlag)
            p->StepLoopBack();
        else
            p->StepLoop();
    }
    for (CAnimRes* o : m_pOverlays) {
        CAnimPlayer* q = o ? o->CurrentPlayer() : nullptr;
        if (!q) continue;
        if (o->m_SeqCount > 1 && q->IsAtEnd()) {
            o->m_CurSeq = 0;
            if (CAnimPlayer* r = o->CurrentPlayer()) r->Start(false);
        } else {
            q->StepLoop();
        }
    }
    return 1;
}

// ---------------------------------------------------------------- slot 5

int CRole::TickAction() {
    if (m_Removed) return 0;
    if (!StepAnimation()) return 0;
    TickValue();
    if (m_HitCountdown > -1) --m_HitCountdown;
    const int hpCheck = TickPostures();
    if (m_Removed) return 0;
    if (!CannotAct()) {
        if (m_Hp > 0.0f) m_ComboStartHp = 0.0f;
        if (m_ComboLoad > 0.0f || m_AttackerCount > 0) {
            m_ComboLoad -= 0.02f;
            if (m_ComboLoad <= 0.01f) {
                m_ComboLoad = 0.0f;
                m_AttackerCount = 0;
            }
        }
    }
    if (m_FixedAnim != -1) {
        CAnimPlayer* p = GetCurrentAnim();
        const bool atEnd = !p || p->IsAtEnd();
        if (m_Posture == kPostureStagger && atEnd) {
            m_PostureSub = 100;
            if (m_PostureTimer > 0) --m_PostureTimer;
        }
        const int32_t n = m_DirCount > 0 ? m_DirCount : 8;
        if (atEnd || GetCurrentAnimIndex() / n != m_FixedAnim / n) {
            m_FixedAnim = -1;
            SetAnimIndex(-1);
        }
    }
    if (hpCheck && m_Hp <= 0.0f && !m_Dead) {
        Die(m_NoCorpse, 0);
        if (m_Removed) return 1;
    }
    if (m_DeathCountdown > 0 && --m_DeathCountdown == 0) {
        m_DeathCountdown = -1;
        Die(m_HitDeathMode, 0);
        return 1;
    }
    if (!(m_RoleBits & kRoleBitSpin)) {
        if ((m_RoleBits & kRoleBitPlaying) && m_Motion != kMotionStand) return 1;
        const int32_t index = m_DefaultAnimGroup;
        if (GetAnimSet() && index != m_AnnouncedAnim) {
            if (g_CurScene) {
                PacketFields f;
                f.type = kPacketRoleState;
                f.sub = kRoleSubAnim;
                f.handle = m_Handle;
                f.value = index;
                uint8_t p[6];
                WritePacket(f, p, 6);
                g_CurScene->SendToWatchers(p);
            }
            m_AnnouncedAnim = index;
        }
        TurnTowardsAnim();
    } else {
        const int32_t n = m_DirCount > 0 ? m_DirCount : 8;
        ++m_SpinCounter;
        const int32_t dir = (m_Facing + std::max(1, n / 8)) % n;
        CAnimPlayer* p = GetCurrentAnim();
        const int32_t frame = p ? p->m_CurFrame : 0;
        const int32_t group = GetCurrentAnimIndex() / n * n;
        m_Facing = dir;
        m_DefaultAnimGroup = group + dir;
        SelectAnim(group + dir);
        if (CAnimPlayer* q = GetCurrentAnim(); q && q->m_FrameCount > frame) q->m_CurFrame = frame;
    }
    if (m_Camp >= 10000 && m_Camp <= 60000) {
        bool ended = false;
        for (CAnimRes* o : m_pOverlays) {
            CAnimPlayer* q = o ? o->CurrentPlayer() : nullptr;
            if (q && q->IsAtEnd()) ended = true;
        }
        if (ended)
            for (int32_t k = 96; k <= 99; ++k)
                if (m_States[k]) {
                    SetState(k, 0, 0, nullptr);
                    break;
                }
    }
    if (m_TickCount % 5 == 0) TickOverrides();
    if (m_Motion == kMotionWalk && IsPlayerCamp(m_Camp)) {
        if (++m_FootstepTicks >= std::max(18 - m_Step, 5)) {
            m_FootstepTicks = 0;
            if (g_WorldSound.playEffectAt) g_WorldSound.playEffectAt(kFootstepSound, {m_X, m_Y}, 0);
        }
    }
    if (!m_pModelRow || !m_pModelRow->HasValue(7)) {
        if (m_FadeLevel < m_FadeTarget) ++m_FadeLevel;
        else if (m_FadeLevel > m_FadeTarget) --m_FadeLevel;
    }
    if (m_SwarmFlag && m_pSwarm) {
        m_pSwarm->MoveAnchor(m_X, m_Y);
        m_pSwarm->Update();
    }
    if (m_StateResetWord) ClearOtherStates();
    return 1;
}

// ---------------------------------------------------------------- slot 11

void CRole::Update() {
    if (m_Removed) return;
    CActor::Update();
    ProcessOrder();
    NotifyViewsIfMoved();
    m_FirstUpdate = 1;
    UpdatePools();
    TickStateEffects();
    if (m_Motion != kMotionStand || m_Posture != 0 || !m_pModelRow) return;
    const int32_t mode = m_pModelRow->GetInt(27);
    if (mode == -1) {
        const int r = plat::Rand() % 112;
        if (r <= 14)
            SetHeightVelocity(1, 10);
        else if (r <= 28)
            SetHeightVelocity(-1, 0);
    } else if (mode == 0 && !m_pBoundMagic) {
        const int32_t size = m_pModelRow->GetInt(26);
        if (size > 48 && m_Height < 61) {
            if (plat::Rand() % 14 < 2) SetHeightVelocity(6, 68);
        } else if (size <= 48 && m_Height < 11) {
            if (plat::Rand() % 56 < 2) SetHeightVelocity(1, 30);
        }
    }
}

