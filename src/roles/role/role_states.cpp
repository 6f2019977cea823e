// Timed states, camp, role bits, the choice of animation, overrides and
// the role's skill slot.
#include <algorithm>
#include <cstdlib>

#include "core/msg_lists.h"
#include "core/packet.h"
#include "core/txt_table.h"
#include "gfx/anim.h"
#include "gfx/role_sprite.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "roles/tables/role_effect_table.h"
#include "roles/tables/skill_table.h"
#include "world/map/grid_search.h"
#include "world/map/line_walk.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_sound.h"

namespace {

constexpr int kColNoAnnounce = 18;

int32_t ItemOrEmpty(const CTxtRow* row, int col) { return row ? row->GetIntItem(col, 0) : kTxtEmptyInt; }

} // namespace

// ---------------------------------------------------------------- states

int CRole::SetState(int32_t k, int on, int32_t countdown, CGameObj*) {
    // Scripts pass any number; past 127 there is no state byte to write.
    const uint32_t i = static_cast<uint32_t>(k) & 255u;
    if (i >= 128) return 0;
    k = static_cast<int32_t>(i);
    on = on ? 1 : 0;
    if (k == kStateSteadyB && on && !m_States[kStateSteadyA]) return 0;
    // A magic object's skill row of its owner's record: no records yet.
    m_StateCountdowns[k] = static_cast<uint8_t>(countdown);
    if (m_States[k] == on) return 0;
    m_States[k] = static_cast<uint8_t>(on);
    const CTxtRow* row = g_RoleEffectTable.GetRow(k);
    if (row) {
        ApplyStateEffects(k, on);
        if (!row->HasValue(kColNoAnnounce)) SendStateChange(k, -1);
    } else {
        SendStateChange(k, -1);
    }
    m_LastState = k;
    StartState(k, on);
    return 1;
}

void CRole::ApplyStateEffects(int32_t k, int on) {
    const CTxtRow* row = g_RoleEffectTable.GetRow(k);
    if (!row) return;
    auto bit = [&](int col, uint32_t mask) {
        if (row->HasValue(col)) SetFlag(mask, on);
    };
    auto over = [&](int col, int32_t index, int32_t value) {
        if (!row->HasValue(col)) return;
        if (on)
            SetOverride(index, value, -1);
        else
            SetOverride(index, 0, -1);
    };
    bit(2, kRoleBitPlaying);
    over(3, 1, row->GetInt(3) + 1);
    bit(4, kRoleBitCasting);
    bit(5, kRoleBitUntouchable);
    for (int i = 0; i < 3; ++i)
        if (row->HasValue(6 + i)) SetSpriteOverlay(i, on ? row->GetInt(6 + i) : -1);
    bit(9, 9);
    bit(10, kRoleBitSpin);
    over(11, 6, 1);
    for (int i = 0; i < 4; ++i) over(13 + i, 10 + i, row->GetInt(13 + i));
    over(17, 4, row->GetInt(17));
    if (row->HasValue(19)) {
        if (on) {
            if (g_WorldSound.playEffectAt)
                g_WorldSound.playEffectAt(row->GetInt(19), {m_X, m_Y}, row->HasValue(20) ? row->GetInt(20) : 0);
        } else if (g_WorldSound.stopEffect) {
            g_WorldSound.stopEffect(row->GetInt(19));
        }
    }
    // Column 21 off resets the player record's multiplier: no records yet.
}

void CRole::StartState(int32_t k, int on) {
    if (k == 44 || k == kStateSteadyA || k == kStateSteadyB) SetFlag(kRoleBitHeavy, on);
    switch (k) {
    case kStateAlerted:
        if (!g_CurScene) break;
        UpdateSpeed(0);
        SetAnimIndex(-1);
        m_AlertWord = 1;
        if (m_Kind != 60) {
            CancelQueuedOrder();
            SetMotion(kMotionStand, 0, 0, 0);
        }
        if (!on) ClearTarget();
        break;
    case kStateDarken:
        if (on) {
            if (g_RoleHooks.setBrightnessTarget) g_RoleHooks.setBrightnessTarget(0.0f, 0.05f);
        } else if (g_RoleHooks.resetBrightness) {
            g_RoleHooks.resetBrightness(0.1f);
        }
        break;
    case kStateHidden: SetFlag(kRoleBitHidden, on); break;
    case kStateConfused:
        if (!g_CurScene) break;
        if (on) {
            const int32_t saved = m_Camp;
            SetCamp(s_ConfusedCamp);
            m_SavedCamp = saved;
            if (--s_ConfusedCamp < 1) s_ConfusedCamp = 99;
        } else {
            SetCamp(m_SavedCamp);
        }
        break;
    case kStateTaunt:
        if (!on || !g_CurScene) break;
        for (CRole* r = FindFirstRoleNear(0, 10); r; r = FindNextRoleNear()) {
            if (r->CannotAct()) continue;
            r->SetState(kStateAlerted, 1, 0, nullptr);
            r->SetTarget(this, 1);
        }
        break;
    case kStateHeal:
        if (on && m_Kind != 60) AddHP(static_cast<float>(GetMaxHP() / 3));
        break;
    case kStateSlow:
        if (on) UpdateSpeed(0);
        break;
    case kStateLevelUp:
        if (on) m_EffectWord = 7;
        break;
    case kStateGuard:
        if (on) {
            CancelQueuedOrder();
            SetMotion(kMotionStand, 0, 0, 0);
            SetAnimIndex(ItemOrEmpty(m_pModelRow, 16) + m_Facing);
            if (CAnimPlayer* p = GetCurrentAnim()) p->Start(false);
        } else {
            SetAnimIndex(-1);
        }
        break;
    case kStateThrownA:
    case kStateThrownB:
        if (on) {
            RemoveBoundMagic();
            CancelQueuedOrder();
            SetMotion(kMotionArc, 2, 100, 0);
        } else {
            SetMotion(kMotionArc, -4, 0, 0);
            SetMotion(kMotionHitReaction, m_Facing, 0, 0);
            SetPosture(kPostureKnockedUp);
            if (m_Posture != kPostureKnockedUp) SetPosture(kPostureTumbling);
        }
        break;
    case kStateHold:
        SetFlag(kRoleBitUntouchable, on);
        UpdateTalkId();
        m_HoldWord = on;
        break;
    case kStateSteadyB:
        SetState(kStateSteadyA, on ? 0 : 1, 0, nullptr);
        break;
    default: break;
    }
}

namespace {
// Packet 5: a state number, plus 128 while the state is set.
void StatePacket(uint32_t handle, int32_t value, uint8_t* out) {
    PacketFields f;
    f.type = kPacketStateCode;
    f.handle = handle;
    f.value = value;
    WritePacket(f, out, 4);
}
} // namespace

void CRole::SendStateChange(int32_t k, int receiver) {
    if (!g_CurScene || k < 0 || k >= 128) return;
    uint8_t p[4];
    StatePacket(m_Handle, k + (m_States[k] ? 128 : 0), p);
    if (receiver == -1)
        g_CurScene->SendToWatchers(p);
    else
        g_CurScene->Send(p, receiver);
}

void CRole::SendStatesTo(int receiver) {
    for (int32_t k = 0; k < 128; ++k) {
        if (!m_States[k]) continue;
        const CTxtRow* row = g_RoleEffectTable.GetRow(k);
        if (row && row->HasValue(kColNoAnnounce)) continue;
        SendStateChange(k, receiver);
    }
}

void CRole::PostStatesToClient() {
    for (int32_t k = 0; k < 128; ++k) {
        if (!m_States[k]) continue;
        const CTxtRow* row = g_RoleEffectTable.GetRow(k);
        if (row && row->HasValue(kColNoAnnounce)) continue;
        uint8_t p[4];
        StatePacket(m_Handle, k + 128, p);
        PostClientMessage(p, 4);
    }
}

// ---------------------------------------------------------------- camp and bits

void CRole::SetCamp(int32_t camp) {
    if (camp == m_Camp) return;
    ClearTarget();
    m_Camp = camp;
    if (!g_CurScene) return;
    PacketFields f;
    f.type = kPacketRoleState;
    f.sub = kRoleSubCamp;
    f.handle = m_Handle;
    f.value = camp;
    uint8_t p[6];
    WritePacket(f, p, 6);
    g_CurScene->SendToWatchers(p);
}

void CRole::SetFlags(uint32_t mask) {
    if (mask != m_RoleBits && (m_RoleBits & kRoleBitCasting) && m_pBoundMagic) m_pBoundMagic->Remove();
    m_RoleBits = mask;
}

void CRole::SetFlag(uint32_t mask, int on) {
    SetFlags(on ? (m_RoleBits | mask) : (m_RoleBits & ~mask));
    if (mask & kRoleBitStand) {
        if (on)
            SetMotion(kMotionStand, 0, 0, 0);
        else
            SetAnimIndex(ItemOrEmpty(m_pModelRow, 7) + m_Facing);
    }
    if ((mask & kRoleBitSpin) && !on) m_CompanionWord = 0;
}

// ---------------------------------------------------------------- animation

// The index is the wanted animation (the default group of the actor); the
// shown one turns towards it a direction a tick (TurnTowardsAnim).
void CRole::SetAnimIndex(int32_t index) {
    const int32_t n = m_DirCount > 0 ? m_DirCount : 8;
    if (index >= 0) {
        m_DefaultAnimGroup = index;
        m_Facing = index % n;
        return;
    }
    int32_t group;
    if (m_AnimOverride) {
        return;  // a posture keeps the animation it showed
    } else if (HasState(kStateGuard)) {
        group = ItemOrEmpty(m_pModelRow, 16);
    } else if (!HasState(kStateAlerted)) {
        group = m_Motion < 6 ? ItemOrEmpty(m_pModelRow, 7)
                             : (m_RoleBits & kRoleBitRunning) ? ItemOrEmpty(m_pModelRow, 11) : ItemOrEmpty(m_pModelRow, 9);
    } else if (m_Motion < 6) {
        group = ItemOrEmpty(m_pModelRow, 8);
    } else if (m_RoleBits & kRoleBitRunning) {
        group = ItemOrEmpty(m_pModelRow, 11);
    } else if (m_Motion >= 20 && m_Motion <= 30) {
        return;
    } else {
        group = ItemOrEmpty(m_pModelRow, 10);
    }
    if (group == kTxtEmptyInt) return;
    m_DefaultAnimGroup = group + m_Facing;
}

void CRole::TurnTowardsAnim() {
    if (!GetAnimSet()) return;
    const int32_t n = m_DirCount > 0 ? m_DirCount : 8;
    const int32_t want = m_DefaultAnimGroup;
    int32_t cur = GetCurrentAnimIndex();
    if (cur == want || want < 0 || want >= GetAnimSet()->m_SeqCount) return;
    if (cur / n != want / n) {
        // Into the wanted group, keeping the direction shown.
        SelectAnim(want / n * n + cur % n);
        cur = GetCurrentAnimIndex();
        if (cur == want) return;
    }
    const int32_t dir = cur % n;
    const int32_t diff = (want % n - dir + n) % n;
    if (diff == 0) return;
    const int32_t next = (dir + (diff <= n / 2 ? 1 : n - 1)) % n;
    CAnimPlayer* p = GetCurrentAnim();
    const int32_t frame = p ? p->m_CurFrame : 0;
    SelectAnim(cur / n * n + next);
    if (CAnimPlayer* q = GetCurrentAnim(); q && q->m_FrameCount > frame) q->m_CurFrame = frame;
}

void CRole::TrackTargetHead() {
    const int32_t cls = ModelInt(43);
    if (cls != 2 && cls != 4) return;
    CGameObj* t = GetTarget();
    if (!t || m_DirCount <= 0) return;
    const int32_t group = GetCurrentAnimIndex() / m_DirCount * m_DirCount;
    if (group != ItemOrEmpty(m_pModelRow, 8) && group != ItemOrEmpty(m_pModelRow, 10)) return;
    const int32_t want = DirectionTo({m_X, m_Y}, {t->m_X, t->m_Y});
    const int32_t dir = GetCurrentAnimIndex() % m_DirCount;
    if (want == dir) return;
    const int32_t diff = (want - dir + m_DirCount) % m_DirCount;
    const int32_t step = diff <= m_DirCount / 2 ? 1 : m_DirCount - 1;
    CAnimPlayer* p = GetCurrentAnim();
    const int32_t frame = p ? p->m_CurFrame : 0;
    SelectAnim(group + (dir + step) % m_DirCount);
    if (CAnimPlayer* q = GetCurrentAnim(); q && q->m_FrameCount > frame) q->m_CurFrame = frame;
}

void CRole::SetSpriteOverlay(int32_t i, int32_t effectId) {
    if (i < 0 || i > 2) return;
    delete m_pOverlays[i];
    m_pOverlays[i] = nullptr;
    if (effectId < 0 || effectId == kTxtEmptyInt) return;
    m_pOverlays[i] = new CAnimRes;
    m_pOverlays[i]->Bind(static_cast<uint32_t>(effectId));
}

void CRole::SetSpriteSet(const char* set) {
    SetMotion(kMotionStand, 0, 0, 0);
    if (m_pSprite && set) SetRoleSpriteParts(m_pSprite, set);
    if (g_CurScene && set) g_CurScene->SendObjText(m_Handle, set);
    const int32_t index = GetCurrentAnimIndex();
    CAnimPlayer* p = GetCurrentAnim();
    const int32_t frame = p ? p->m_CurFrame : 0;
    if (index >= 0 && index < (GetAnimSet() ? GetAnimSet()->m_SeqCount : 0)) {
        SelectAnim(index);
        if (CAnimPlayer* q = GetCurrentAnim(); q && q->m_FrameCount > frame) q->m_CurFrame = frame;
    } else {
        SetAnimIndex(-1);
    }
    if (CAnimPlayer* q = GetCurrentAnim()) q->m_CurFrame = 0;
    SaveToSheet();
}

void CRole::SetSpriteFrame(int32_t first, int32_t count) {
    if (m_pSprite) PreloadRoleSpriteFrames(m_pSprite, first, count);
}

// ---------------------------------------------------------------- overrides and speed

void CRole::SetOverride(int32_t index, int32_t value, int32_t countdown) {
    // Skill rows name any index; only the 20 entries exist.
    if (index < 0 || index >= 20) return;
    m_Overrides[index].value = static_cast<uint32_t>(value);
    m_Overrides[index].countdown = countdown;
}

void CRole::TickOverrides() {
    for (int32_t i = 0; i < 20; ++i) {
        if (m_Overrides[i].countdown < 0) continue;
        m_Overrides[i].countdown -= 10;
        if (m_Overrides[i].countdown < 0) SetOverride(i, 0, -1);
    }
}

void CRole::UpdateSpeed(int32_t force) {
    if (!force && m_Motion >= 21) return;
    int32_t v;
    if (m_FixedSpeed != 0)
        v = m_FixedSpeed - 1;
    else if ((m_RoleBits & kRoleBitRunning) && (m_Motion == kMotionWalk || m_Motion == kMotionReturn))
        v = GetRunSpeed();
    else if (HasState(kStateAlerted))
        v = LevelHas(3) ? LevelInt(3) : 0;
    else
        v = ModelHas(28) ? ModelInt(28) : 0;
    SetSpeed(v);
}

// ---------------------------------------------------------------- area query

namespace {
CRole* g_QueryRole = nullptr;
int32_t g_QueryMode = 0;
} // namespace

CRole* CRole::FindFirstRoleNear(int32_t mode, int32_t radius) {
    if (radius == -1) radius = LevelHas(5) ? LevelInt(5) : 0;
    g_QueryRole = this;
    g_QueryMode = mode;
    BeginCellSearch(m_X, m_Y, radius * 64);
    return FindNextRoleNear();
}

CRole* CRole::FindNextRoleNear() {
    CRole* self = g_QueryRole;
    if (!self) return nullptr;
    while (CGameObj* o = ::FindNextRoleNear()) {
        CRole* r = AsRole(o);
        if (!r || r == self || r->m_Dead || (r->m_RoleBits & kRoleBitHidden) || r->GetModelClass() == 50 ||
            r->HasState(kStateHold))
            continue;
        switch (g_QueryMode) {
        case 1:
            if (r->m_Camp != self->m_Camp) continue;
            break;
        case 2:
            if (!self->m_PendingTalk || r->m_PendingTalk != self->m_PendingTalk) continue;
            break;
        case 3:
            if (r->m_Camp < 10000 || r->m_Camp > 60000) continue;
            break;
        default:
            if (!AreRolesHostile(self, r)) continue;
            if (r->m_pModelRow && r->m_pModelRow->HasValue(31) && r->m_Camp >= 0 && r->m_Camp <= 99) continue;
            break;
        }
        if (r->m_Camp >= 10000 && r->m_Camp <= 60000) self->m_PlayerSeen = 1;
        return r;
    }
    g_QueryRole = nullptr;
    return nullptr;
}

// ---------------------------------------------------------------- skills

const CSkillDef* CRole::GetKnownSkill(int32_t skillId) const {
    const CSkillDef* def = skillId >= 0 ? g_SkillTable.GetAt(skillId) : nullptr;
    if (!def) return nullptr;
    const CSkillGopDef* gop = g_SkillGopTable.GetAt(def->group);
    if (gop && gop->category == 3) return def;
    // No role data record: a listed group counts as learnt.
    if (!m_pSkillRow) return nullptr;
    const int32_t n = m_pSkillRow->GetInt(1);
    for (int32_t i = 0; i < n && i < 200; ++i)
        if (m_pSkillRow->HasValue(2 + i) && m_pSkillRow->GetInt(2 + i) == def->group) return def;
    return nullptr;
}

int32_t CRole::FindCategory2Skill() const {
    if (!m_pSkillRow) return -1;
    const int32_t n = m_pSkillRow->GetInt(1);
    for (int32_t i = 0; i < n && i < 200; ++i) {
        if (!m_pSkillRow->HasValue(2 + i)) continue;
        const CSkillGopDef* gop = g_SkillGopTable.GetAt(m_pSkillRow->GetInt(2 + i));
        if (gop && gop->category == 2) return m_pSkillRow->GetInt(2 + i);
    }
    return -1;
}

const CSkillDef* CRole::GetCurrentSkill() const {
    if (m_SkillGroup < 0) return nullptr;
    const int32_t id = g_SkillGopTable.GetValue(m_SkillGroup, m_SkillLevel);
    return id >= 0 ? g_SkillTable.GetAt(id) : nullptr;
}

void CRole::SetCurrentSkill(int32_t listIndex, int32_t level) {
    if (!m_pSkillRow || listIndex < 0 || !m_pSkillRow->HasValue(listIndex + 2)) {
        ClearCurrentSkill();
        return;
    }
    m_SkillGroup = m_pSkillRow->GetInt(listIndex + 2);
    m_SkillLevel = level;
}

int CRole::CanUseSkillNow(int32_t skillId) {
    if ((m_RoleBits & (kRoleBitNoRun | kRoleBitCasting)) || HasState(kStateGuard) || m_pBoundMagic) return 0;
    if (skillId == -1) return 1;
    const CSkillDef* def = GetKnownSkill(skillId);
    return def && CanUseSkill(def) ? 1 : 0;
}

void CRole::UpdateTalkId() {
    m_TalkId = g_RoleHooks.findTalkId ? g_RoleHooks.findTalkId(this) : -1;
}
