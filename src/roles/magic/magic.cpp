#include "roles/magic/magic.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/txt_table.h"
#include "gfx/anim.h"
#include "roles/magic/anim/anim_magic.h"
#include "roles/magic/attached_magic.h"
#include "roles/magic/effect_calls.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "world/buildings/bld.h"
#include "world/map/iso_grid.h"
#include "world/map/line_walk.h"
#include "world/objects/handle_table.h"
#include "world/scene/world_hooks.h"
#include "world/things/anim_map_obj.h"

namespace {
constexpr int32_t kDragStateA = 109;
constexpr int32_t kDragStateB = 110;

bool IsDragState(const CSkillDef* s) {
    return s && (s->sideState == kDragStateA || s->sideState == kDragStateB);
}

// Data values into integers: saturated outside the range, truncated inside.
int32_t SaturatingInt(float v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0f) return INT32_MAX;
    if (v <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(v);
}
} // namespace

// ---------------------------------------------------------------- CMagic

CMagic::CMagic() { Register(-1); }

CMagic::~CMagic() {
    if (IsDragState(m_pSkill))
        for (ObjHandle h : m_HitList.Handles())
            if (CRole* r = AsRole(Lookup(h))) r->SetState(m_pSkill->sideState, 0, 0, nullptr);
    m_HitList.Clear();
}

CMagic* AsMagic(CGameObj* obj) { return dynamic_cast<CMagic*>(obj); }

CGameObj* CMagic::Lookup(ObjHandle handle) const {
    if (!handle) return nullptr;
    // The table the object lives in, whatever world is current.
    if (CHandleTable* t = GetTable()) return t->Resolve(handle);
    return ResolveHandle(handle);
}

int CMagic::Remove() {
    if (m_Removed) return 1;
    CGameObj::Remove();
    RunAll(kListRemove, this);
    return 1;
}

void CMagic::SetSkill(const CSkillDef* def) {
    m_pSkill = def;
    if (!def) return;
    m_Value1 = def->magicValue1;
    m_Value2 = def->magicValue2;
}

CGameObj* CMagic::GetOwner() const { return Lookup(m_OwnerHandle); }
CRole* CMagic::GetOwnerRole() const { return AsRole(GetOwner()); }
CGameObj* CMagic::GetTarget() const { return Lookup(m_TargetHandle); }
CRole* CMagic::GetTargetRole() const { return AsRole(GetTarget()); }

CGamePoint CMagic::GetTargetPoint() const {
    if (const CGameObj* t = GetTarget()) return {t->m_X, t->m_Y};
    return {m_TargetX, m_TargetY};
}

void CMagic::SetupEffectLists(const SkillEffect* records, int n) {
    for (auto& l : m_Lists) l.clear();
    m_TickCounter = 0;
    m_NextTimed = 0;
    m_NextFrame = 0;
    if (!records) return;
    for (int i = 0; i < n; ++i) {
        const int list = records[i].list;
        m_Lists[list >= 0 && list < kListPeriodic ? list : kListPeriodic].push_back(&records[i]);
    }
}

void CMagic::ScheduleAreaHit(int32_t shape, int32_t radius, int32_t cells) {
    if (!GetCenterObject()) return;
    m_SweepShape = shape;
    m_SweepRadius = radius;
    m_SweepCells = cells;
    m_SweepLastX = -100;
    m_SweepLastY = -100;
}

void CMagic::Fire(const SkillEffect* record, CMagic* magic, int32_t arg) { ApplyEffect(record, magic, arg); }

void CMagic::RunAll(int list, CMagic* magic) {
    if (list < 0 || list >= kListCount) return;
    // A record may end the object's lists (a new definition): walk a copy.
    const std::vector<const SkillEffect*> records = m_Lists[list];
    for (const SkillEffect* r : records) Fire(r, magic, 0);
}

void CMagic::RunSelected(int list, CMagic* magic, int32_t code, int32_t arg) {
    if (list < 0 || list >= kListCount) return;
    const std::vector<const SkillEffect*> records = m_Lists[list];
    for (const SkillEffect* r : records)
        if (r->selector == code || r->selector == -1) Fire(r, magic, arg);
}

void CMagic::RunPeriodic(int list, CMagic* magic, int32_t tick) {
    if (list < 0 || list >= kListCount) return;
    const std::vector<const SkillEffect*> records = m_Lists[list];
    for (const SkillEffect* r : records) {
        // A period of 0 has no multiple to fire on.
        if (r->selector == 0) continue;
        if (tick % r->selector == 0) Fire(r, magic, 0);
    }
}

void CMagic::StepTimers() {
    while (m_NextTimed >= 0 && m_NextTimed < static_cast<int32_t>(m_Lists[kListTimed].size())) {
        const SkillEffect* r = m_Lists[kListTimed][static_cast<size_t>(m_NextTimed)];
        if (r->selector > m_TickCounter) break;
        ++m_NextTimed;
        Fire(r, this, 0);
    }
    ++m_TickCounter;
    if (!m_Lists[kListPeriodic].empty() && m_PeriodicEnabled) RunPeriodic(kListPeriodic, this, m_TickCounter);
    if (m_SweepShape != -1) {
        // Without a centre object the sweep has no position: skipped.
        if (CGameObj* c = GetCenterObject()) {
            if (std::abs(c->m_X - m_SweepLastX) >= 63 || std::abs(c->m_Y - m_SweepLastY) >= 63) {
                HitArea(m_SweepShape, m_SweepRadius, m_SweepCells, 0);
                m_SweepLastX = c->m_X;
                m_SweepLastY = c->m_Y;
            }
        }
    }
    if (m_Countdown > 0 && --m_Countdown == 0 && m_Kind == 7) HitArea(1, 0, 1, 0);
}

void CMagic::StepFrameEffects() {
    if (IsDragState(m_pSkill)) {
        for (ObjHandle h : m_HitList.Handles()) {
            CGameObj* o = Lookup(h);
            if (!o) {
                m_HitList.Remove(h);
                break;
            }
            CGamePoint p{o->m_X, o->m_Y};
            OrbitStep(p, m_X, m_Y, 64, 8);
            o->SetPos(p.x, p.y);
        }
    }
    while (m_NextFrame >= 0 && m_NextFrame < static_cast<int32_t>(m_Lists[kListFrame].size())) {
        CAnimPlayer* player = GetCurrentPlayer();
        if (!player) return;
        const SkillEffect* r = m_Lists[kListFrame][static_cast<size_t>(m_NextFrame)];
        if (player->m_CurFrame < r->selector) return;
        ++m_NextFrame;
        Fire(r, this, 0);
    }
}

void CMagic::HitRole(ObjHandle handle) {
    if (CRole* r = AsRole(Lookup(handle))) {
        RunSelected(kListHit, this, 1, static_cast<int32_t>(handle));
        if (IsDragState(m_pSkill)) r->SetState(m_pSkill->sideState, 1, 0, nullptr);
    }
    m_HitList.Add(handle);
}

void CMagic::CopyHitListTo(CMagic* other) const {
    if (!other) return;
    for (ObjHandle h : m_HitList.Handles())
        if (Lookup(h)) other->m_HitList.Add(h);
}

int CMagic::CanHit(CGameObj* other, int force) {
    if (!other) return 0;
    const CGamePoint mine = PixelToTile({m_X, m_Y});
    const CGamePoint theirs = PixelToTile({other->m_X, other->m_Y});
    CRole* role = AsRole(other);
    if (role && !IsCellLineClear(mine, theirs, 3)) return 0;
    CGameObj* owner = GetOwner();
    int32_t ownerCamp = -1;
    if (owner && !(m_pSkill && m_pSkill->pattern == 1)) {
        if (const CActor* a = dynamic_cast<const CActor*>(owner)) ownerCamp = a->m_Camp;
        else if (COwnedProp* p = dynamic_cast<COwnedProp*>(owner)) ownerCamp = p->GetOwnerCamp();
    }
    int32_t heightBase = 0;
    if (m_Kind == 6) heightBase = m_Height < 70 ? 0 : m_Height;
    else if (owner) heightBase = owner->m_Height;
    if (role) {
        if (m_pSkill && m_pSkill->kind == 0) {
            if (role->m_Camp == ownerCamp) return 0;
            int32_t window = role->HasState(101) ? 85 : 65;
            if (m_pSkill->heightRule) window = 1;
            if (!force && std::abs(role->m_Height - heightBase) >= window) return 0;
        }
        if (!role->OnHit(this)) return 0;
        m_HitSomething = 1;
        HitRole(role->m_Handle);
        if (m_Pierce == 0) Remove();
        return 1;
    }
    if (other->m_Kind >= 10 && other->m_Kind <= 20) {
        if (CBld* b = dynamic_cast<CBld*>(other)) return b->OnMagicHit(this);
        return 0;
    }
    if (CMagic* m = AsMagic(other)) return m->OnCollide(this);
    return 0;
}

// ---------------------------------------------------------------- owner-scaled values

float CMagic::Scaled(float skillValue, int rowCol) const {
    CRole* owner = GetOwnerRole();
    if (!owner) return 0.0f;
    float factor = 1.0f;
    const CTxtRow* row = m_pSkill ? owner->GetSkillRow(m_pSkill->group) : nullptr;
    if (row) {
        const float v = row->GetFloat(rowCol);
        if (v >= 0.0f && v < 1000.0f) {
            factor = v;
        } else if (v >= 1000.0f) {
            const int32_t d = SaturatingInt(v - 1000.0f);
            // (v - 1000) below 1 truncates to 0: no division.
            factor = d != 0 ? static_cast<float>(owner->GetSkillBonus(row->GetInt(3))) / static_cast<float>(d) : 1.0f;
        } else {
            const CTxtRow* other = owner->GetSkillRowBySlot(SaturatingInt(-v));
            factor = other ? other->GetFloat(rowCol) : v;
        }
    }
    return factor * skillValue;
}

float CMagic::GetScaledA() const { return Scaled(m_pSkill ? m_pSkill->scaleA : 0.0f, 8); }
float CMagic::GetScaledB() const { return Scaled(m_pSkill ? m_pSkill->scaleB : 0.0f, 9); }
float CMagic::GetScaledC() const { return Scaled(m_pSkill ? m_pSkill->scaleC : 0.0f, 10); }

int32_t CMagic::GetLevelPercent(int i) const {
    const CRole* owner = GetOwnerRole();
    if (i < 0 || i > 2 || !owner || !owner->m_pLevelRow || !m_pSkill) return 0;
    const int64_t v = static_cast<int64_t>(owner->m_pLevelRow->GetInt(17 + i)) * m_pSkill->levelPercent[i] / 100;
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// ---------------------------------------------------------------- hooks

void InstallMagicHooks() {
    g_WorldHooks.getMagicOwner = [](const CGameObj* magic) -> ObjHandle {
        const CMagic* m = dynamic_cast<const CMagic*>(magic);
        return m ? m->m_OwnerHandle : 0;
    };
    g_WorldHooks.getMagicSkillKind = [](const CGameObj* magic) -> int32_t {
        const CMagic* m = dynamic_cast<const CMagic*>(magic);
        return m && m->m_pSkill ? m->m_pSkill->kind : -1;
    };
    g_WorldHooks.isMagicActive = [](const CGameObj* magic) -> int {
        return magic && magic->m_Active ? 1 : 0;
    };
    InstallAttachedMagicHooks();
    InstallAnimMagicHooks();
}
