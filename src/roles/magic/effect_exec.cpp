// What each effect record does: ApplyEffect, the child objects of class 2
// and the area sweeps of class 0. When the records fire is the magic
// object's business (magic.cpp).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/directories.h"
#include "core/txt_table.h"
#include "gfx/anim.h"
#include "gfx/image_ref.h"
#include "gfx/role_sprite.h"
#include "platform/random.h"
#include "roles/magic/anim/clone_magic.h"
#include "roles/magic/attached_magic.h"
#include "roles/magic/effect_calls.h"
#include "roles/magic/magic.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "roles/swarm/point_swarm.h"
#include "roles/tables/skill_table.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/objects/handle_table.h"
#include "world/objects/obj_mng.h"
#include "world/objects/proximity.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_sound.h"
#include "world/sky/obj_light.h"
#include "world/sky/weather.h"
#include "world/things/anim_map_obj.h"

CEffectProbe g_EffectProbe;

namespace {

constexpr float kPi = 3.1415925f;
constexpr int kMaxRedirects = 8;
constexpr int kMaxFanChildren = 64;

int32_t RangeCells(const CMagic* m) { return m->m_CastData[3]; }

void Order(CRole* owner, int32_t code, int32_t a, int32_t b, int32_t c) {
    if (owner) owner->GiveOrder(code, a, b, c, 0, 0);
}

void SetWeatherDefault() {
    if (g_Weather) g_Weather->SetLevel(0);
}

void RestoreZoom() {
    if (g_RoleHooks.restoreZoomTarget) g_RoleHooks.restoreZoomTarget();
}

CGamePoint CellOf(const CGamePoint& p) { return PixelToTile(p); }

CGamePoint NoNegative(CGamePoint p) { return {std::max(p.x, 0), std::max(p.y, 0)}; }

// The object handles a finder walk gives, taken in one go: a record fired
// while they are offered may start a walk of its own.
template <class First, class Next>
std::vector<ObjHandle> Collect(First first, Next next) {
    std::vector<ObjHandle> out;
    for (CGameObj* o = first(); o; o = next()) out.push_back(o->m_Handle);
    return out;
}

CGameObj* Resolve(ObjHandle h) { return h ? ResolveHandle(h) : nullptr; }

int DirDiff8(int a, int b) {
    int d = std::abs(a - b) % 8;
    return d > 4 ? 8 - d : d;
}

} // namespace

float HeadingOf(int32_t dx, int32_t dy) {
    if (dx > 0) return 1.5707963f - std::atan(static_cast<float>(dy) / static_cast<float>(dx));
    if (dx < 0) return -std::atan(static_cast<float>(dy) / static_cast<float>(dx)) - 1.5707963f;
    return dy > 0 ? 0.0f : -kPi;
}

// ---------------------------------------------------------------- spawn point

CGamePoint SpawnPoint(CMagic* magic, int32_t mode) {
    CGameObj* centre = magic->GetCenterObject();
    const CGamePoint c = centre ? CGamePoint{centre->m_X, centre->m_Y} : CGamePoint{0, 0};
    CGamePoint f{0, 0};
    if (CAnimPlayer* p = magic->GetCurrentPlayer())
        if (CAnimFrame* fr = p->CurrentFrame()) f = {fr->m_X, fr->m_Y};
    const int32_t h = centre ? centre->m_Height : 0;
    const CGamePoint t = magic->GetTargetPoint();
    CGamePoint out{0, 0};
    switch (mode) {
    case 0:
        if (!centre || !magic->GetCurrentPlayer()) return {0, 0};
        out = {c.x + 2 * (f.y - h) + f.x, c.y + 2 * (f.y - h) - f.x};
        break;
    case 1: out = c; break;
    case 2:
    case 4: out = t; break;
    case 3: {
        const CGameObj* o = magic->GetTarget();
        out = o ? CGamePoint{o->m_X, o->m_Y} : t;
        break;
    }
    case 5: {
        const int32_t rx = plat::Rand() & 63;
        const int32_t ry = plat::Rand() & 63;
        out = {c.x + 2 * f.y + f.x + rx - 32, c.y + 2 * f.y - f.x + ry - 32};
        break;
    }
    case 6: {
        // Without a range (no skill) there is nothing to draw modulo.
        const int32_t r = RangeCells(magic) * 64;
        if (r < 1) {
            out = c;
            break;
        }
        const int32_t rx = plat::Rand() % r;
        const int32_t ry = plat::Rand() % r;
        out = {c.x + rx - r / 2, c.y + ry - r / 2};
        break;
    }
    case 7: {
        const int32_t rx = plat::Rand() & 63;
        const int32_t ry = plat::Rand() & 63;
        out = {t.x + rx - 32, t.y + ry - 32};
        break;
    }
    case 8: {
        const int32_t rx = plat::Rand() & 127;
        const int32_t ry = plat::Rand() & 127;
        out = {t.x + rx - 64, t.y + ry - 64};
        break;
    }
    default: return {0, 0};
    }
    return NoNegative(out);
}

// ---------------------------------------------------------------- SpawnChild

namespace {

void BuildFan(CMagic* magic, int32_t id, const CGamePoint& p, int32_t n, float spread) {
    CRole* owner = magic->GetOwnerRole();
    const float r = static_cast<float>(RangeCells(magic) * 64);
    const CGamePoint t = magic->GetTargetPoint();
    const float h = HeadingOf(magic->m_X - t.x, magic->m_Y - t.y);
    const int32_t savedX = magic->m_TargetX, savedY = magic->m_TargetY;
    const ObjHandle savedTarget = magic->m_TargetHandle;
    for (int32_t k = 0; k < n && g_CurObjMng; ++k) {
        const float a = h - spread / 2.0f + static_cast<float>(k) * spread / static_cast<float>(n);
        const float sx = std::sin(a + kPi) * r;
        const float sy = std::cos(a + kPi) * r;
        const int32_t ox = static_cast<int32_t>(sx), oy = static_cast<int32_t>(sy);
        magic->m_TargetHandle = 0;
        if (owner) {
            magic->m_TargetX = magic->m_X + ox;
            magic->m_TargetY = magic->m_Y + oy;
            g_CurObjMng->AddMagic(id, p.x, p.y, magic, 0);
        } else {
            magic->m_TargetX = 0;
            magic->m_TargetY = 0;
            g_CurObjMng->AddMagic(id, ox, oy, magic, 0);
        }
    }
    magic->m_TargetX = savedX;
    magic->m_TargetY = savedY;
    magic->m_TargetHandle = savedTarget;
}

} // namespace

void SpawnChild(int32_t id, CMagic* magic, int32_t arg, int32_t mode) {
    if (!magic) return;
    const CSkillChildDef* def = id >= 0 ? g_SkillChildTable.GetAt(id) : nullptr;
    // A row may name others (itself too): a bounded number of redirects.
    for (int redirects = 0; def && def->kind == 2000; ++redirects) {
        if (redirects >= kMaxRedirects) return;
        const int32_t ids[5] = {def->col4, def->col5, def->col6, def->col7, def->col8};
        id = ids[plat::Rand() % 5];
        def = id >= 0 ? g_SkillChildTable.GetAt(id) : nullptr;
    }
    if (!def || def->kind == 1) return;
    switch (def->kind) {
    case 400: {
        CGameObj* centre = magic->GetCenterObject();
        if (centre && g_CurLightList) {
            const uint32_t colour = def->col9_14[0] | (def->col9_14[1] << 8) | (def->col9_14[2] << 16);
            g_CurLightList->Add(centre->m_Handle, 1, def->col4, colour, -1);
        }
        return;
    }
    case 455: {
        CGameObj* o = mode == 3 ? magic->GetTarget() : magic->GetOwner();
        if (CRole* r = AsRole(o)) r->SetOverride(def->col4, def->col5, def->col6);
        return;
    }
    case 456: magic->ScheduleAreaHit(def->col4, def->col9_14[1], def->col9_14[2]); return;
    default: break;
    }
    if (!magic->GetCenterObject() || !g_CurObjMng) return;
    if (mode == 3 && !magic->GetTarget()) return;
    const CGamePoint p = SpawnPoint(magic, mode);
    const CSkillDef* skill = magic->GetSkill();
    if (def->kind == 201 && !magic->m_FanFlag && skill && (skill->pattern == 2 || skill->pattern == 3)) {
        magic->m_FanFlag = 1;
        // A missing cell reads 65535: the count is held to what a fan can be.
        const int32_t n = std::min<int32_t>(static_cast<int32_t>(skill->patternCount) - 1, kMaxFanChildren);
        if (n > 0) {
            BuildFan(magic, id, p, n, skill->pattern == 3 ? 2.0f * kPi : kPi * 0.33333334f);
            return;
        }
    }
    CGameObj* child = g_CurObjMng->AddMagic(id, p.x, p.y, magic, 0);
    if (!child || !arg) return;
    if (CMagic* m = AsMagic(child)) m->m_TargetHandle = static_cast<ObjHandle>(arg);
    if (CGameObj* o = Resolve(static_cast<ObjHandle>(arg))) child->SetPos(o->m_X + 1, o->m_Y + 1);
}

// ---------------------------------------------------------------- summons

namespace {

void SummonRole(CMagic* magic, CRole* owner, int32_t p2) {
    if (!g_CurObjMng) return;
    int32_t id = p2;
    if (p2 == -1) {
        if (!owner || !owner->m_pModelRow) return;
        id = owner->m_pModelRow->GetInt(1);
    }
    if (id < 0 || id > 65535) return;
    const CGamePoint cell = CellOf(magic->GetTargetPoint());
    CRole* r = AsRole(g_CurObjMng->AddRole(static_cast<uint16_t>(id), cell.x, cell.y, 0, 0, 0, -1, -1));
    if (!r) return;
    r->SetPictureName("Summon");
    if (owner && owner->m_Camp >= 10000 && owner->m_Camp <= 60000)
        if (CRoleData* rec = owner->GetRecord()) rec->AddFollower(r);
    if (p2 != -1 || !owner) return;
    if (owner->m_pSprite) r->SetSpriteSet(GetRolePartFileName(owner->m_pSprite, true).c_str());
    r->SetState(8, 1, 0, nullptr);
    std::vector<ObjHandle> foes;
    for (CRole* f = r->FindFirstRoleNear(0, 8); f; f = r->FindNextRoleNear()) foes.push_back(f->m_Handle);
    for (ObjHandle h : foes)
        if (CRole* f = AsRole(Resolve(h))) {
            f->SetTarget(r, 0);
            f->m_CurrentOrder[0] = -1;
        }
}

void SubCode(CMagic* magic, CRole* owner, int32_t p1, int32_t p2) {
    switch (p1) {
    case 1: {
        CGamePoint p{magic->m_StartX, magic->m_StartY};
        MoveDir8(p, (magic->m_Direction + 2) & 7, p2 * 64);
        magic->m_TargetX = p.x;
        magic->m_TargetY = p.y;
        break;
    }
    case 2: if (owner) owner->TryPush(p2, magic->m_Direction, 1); break;
    case 3: magic->m_PeriodicEnabled = p2; break;
    case 4: if (owner) owner->m_PushDivisor = 1; break;
    case 5: if (owner) owner->m_PushDivisor = 5; break;
    case 6:
        if (owner && owner->m_DirCount != 16) {
            owner->SetDirection((owner->m_Facing + 4) % 8);
            owner->SetAnimOrDefault(-1);
        }
        break;
    case 9:
        if (owner)
            if (CAnimPlayer* p = owner->GetCurrentAnim()) p->m_CurFrame = p2;
        break;
    case 10: if (owner) owner->TurnBy(1); break;
    case 11:
        if (owner && owner->GetRecord() && !owner->GetRecord()->OpenReturnPortal(0)) magic->Remove();
        break;
    case 12:
        if (auto* a = dynamic_cast<CAttachedMagic*>(magic)) a->m_FollowUp = p2;
        break;
    case 13: if (owner) owner->SetMotion(kMotionSlide, magic->m_Direction, p2, 0); break;
    case 14: magic->SetValue1(3); magic->SetValue2(p2); break;
    case 19:
        if (!owner) break;
        if (p2 == 0) owner->RestorePosition();
        else owner->SavePosition();
        break;
    case 20: SummonClones(magic, 1, 2, p2); break;
    case 22: SummonClones(magic, 3, 0, p2); break;
    case 24: SummonClones(magic, 5, 0, p2); break;
    case 25: SummonClones(magic, 6, 0, p2); break;
    case 32: if (owner) owner->Die(p2, 1); break;
    case 33: if (owner) owner->RestoreAndLevel(); break;
    case 34: SummonRole(magic, owner, p2); break;
    case 35: if (owner) owner->SetMotion(kMotionStand, 0, 0, 0); break;
    case 39: if (g_Weather) g_Weather->SetLevel(p2); break;
    case 42: if (owner && owner->m_pSwarm) owner->m_pSwarm->Scatter(0); break;
    case 43: if (owner && owner->m_pSwarm) owner->m_pSwarm->Scatter(53); break;
    case 44:
    case 45:
        if (owner && owner->m_pSwarm) {
            const CGamePoint t = magic->GetTargetPoint();
            owner->m_pSwarm->FlyTo(t.x, t.y, 28);
        }
        break;
    default: break;
    }
}

void FollowUp(CMagic* magic, CRole* owner, CRole* target, int32_t skillId) {
    if (!owner) {
        SetWeatherDefault();
        RestoreZoom();
        return;
    }
    if (g_RoleHooks.setSceneChangeFlag) g_RoleHooks.setSceneChangeFlag(0);
    magic->Remove();
    auto* attached = dynamic_cast<CAttachedMagic*>(magic);
    if (attached) attached->Detach();
    const CSkillDef* skill = magic->GetSkill();
    const bool onTarget = target && ((skill && skill->targetClamp == 1) || magic->m_CastData[3] == 0);
    if (onTarget) {
        Order(owner, 9, skillId, static_cast<int32_t>(target->m_Handle), 0);
    } else {
        CGamePoint aim = magic->GetTargetPoint();
        if (attached && (attached->m_SavedX != aim.x || attached->m_SavedY != aim.y)) {
            const float h = HeadingOf(aim.x - attached->m_SavedX, aim.y - attached->m_SavedY);
            aim = {owner->m_X + static_cast<int32_t>(std::sin(h) * 128.0f),
                   owner->m_Y + static_cast<int32_t>(std::cos(h) * 128.0f)};
        }
        Order(owner, 10, skillId, aim.x, aim.y);
    }
    if (CMagic* next = AsMagic(owner->m_pBoundMagic); next && next != magic) {
        magic->CopyHitListTo(next);
        if (onTarget) next->m_TargetHandle = magic->m_TargetHandle;
    } else {
        SetWeatherDefault();
        owner->SetOverride(6, 0, 5);
        owner->SetHeightVelocity(-10, 0);
        RestoreZoom();
    }
    if (g_RoleHooks.setSceneChangeFlag) g_RoleHooks.setSceneChangeFlag(1);
}

void AnimAtSpawn(CMagic* magic, int32_t anim, int32_t dir, int32_t mode) {
    if (!g_CurObjMng) return;
    const CGamePoint p = SpawnPoint(magic, mode);
    if (CGameObj* o = g_CurObjMng->AddAnimObj(anim, dir, p.x, p.y)) o->SetWalkClass(magic->m_WalkClass);
}

} // namespace

// ---------------------------------------------------------------- ApplyEffect

void ApplyEffect(const SkillEffect* record, CMagic* magic, int32_t arg) {
    if (g_EffectProbe.applyEffect) {
        g_EffectProbe.applyEffect(record, magic, arg);
        return;
    }
    if (!record || !magic) return;
    CRole* owner = magic->GetOwnerRole();
    CRole* target = magic->GetTargetRole();
    const int32_t p1 = record->p1, p2 = record->p2;
    const int32_t range = RangeCells(magic);
    switch (record->effectClass) {
    case 0: magic->HitArea(p1, p2, range, 0); break;
    case 1:
        if (p2 == 0 || p2 == 1) g_WorldSound.playEffectAt(p1, {magic->m_X, magic->m_Y}, p2);
        else g_WorldSound.stopEffect(p1);
        break;
    case 2: SpawnChild(p1, magic, arg, record->p3); break;
    case 3: AnimAtSpawn(magic, p1, magic->m_Direction, record->p3); break;
    case 17: {
        const CAnimRes* res = magic->GetAnimRes();
        AnimAtSpawn(magic, p1, res ? res->m_CurSeq : 0, record->p3);
        break;
    }
    case 4: AnimAtSpawn(magic, p1, -1, record->p3); break;
    case 5: {
        if (!owner) break;
        const CGamePoint t = magic->GetTargetPoint();
        const int32_t d = owner->m_Radius + (target ? target->m_Radius : 48);
        const float h = HeadingOf(owner->m_X - t.x, owner->m_Y - t.y) + kPi;
        const CGamePoint p{t.x + static_cast<int32_t>(std::sin(h) * static_cast<float>(d)),
                           t.y + static_cast<int32_t>(std::cos(h) * static_cast<float>(d))};
        const CGamePoint c = CellOf(p);
        Order(owner, 12, c.x, c.y, range);
        break;
    }
    case 6: {
        auto* a = dynamic_cast<CAttachedMagic*>(magic);
        if (!a) break;
        a->m_StageArg = p1;
        if (p1 == 1 || p1 == 2) {
            a->SetStage(p1 == 1 ? 2 : 3);
            a->ScheduleAreaHit(1, 0, 1);
        } else if (p1 == 3) {
            a->SetStage(4);
        } else if (p1 == 4) {
            if (owner) {
                const int32_t index = owner->GetCurrentAnimIndex();
                a->SetStage(2);
                owner->SetAnimIndex(index);
            }
        } else {
            a->SetStage(2);
        }
        break;
    }
    case 7: {
        if (!owner) break;
        owner->m_Height = p1;
        CGamePoint c = CellOf(magic->GetTargetPoint());
        if ((owner->m_Camp < 10000 || owner->m_Camp > 60000) && g_CurMapGrid)
            g_CurMapGrid->FindNearestFree(&c, owner->m_WalkClass, 8);
        Order(owner, 8, c.x, c.y, range);
        break;
    }
    case 8:
        if (!owner) break;
        owner->SetFlag(static_cast<uint32_t>(p1), p2);
        if (p1 == 16384) owner->SetOverride(10, p2 == 0 ? 0 : 31, -1);
        break;
    case 9: FollowUp(magic, owner, target, p1); break;
    case 10: magic->Remove(); break;
    case 11:
        if (magic->m_Kind == 6) {
            magic->m_Height += p1;
            magic->m_Height = p1 < 0 ? std::max(magic->m_Height, p2) : std::min(magic->m_Height, p2);
        } else if (owner) {
            owner->SetHeightVelocity(p1, p2);
        }
        break;
    case 12:
        if (magic->m_Kind == 6) {
            magic->SetScale(p1, p2);
        } else if (p1 == 0) {
            RestoreZoom();
        } else if (owner && g_RoleHooks.hasClientPlayer && g_RoleHooks.hasClientPlayer()) {
            owner->UpdateScreenRect();
            const int64_t dx = int64_t{owner->m_ScreenX} - (g_ViewRect.x + g_ViewRect.width / 2);
            const int64_t dy = int64_t{owner->m_ScreenY} - (g_ViewRect.y + g_ViewRect.height / 2);
            if (std::sqrt(static_cast<double>(dx * dx + dy * dy)) < 150.0 && g_RoleHooks.adjustZoomTarget)
                g_RoleHooks.adjustZoomTarget(0.15f);
        }
        break;
    case 13:
        if (owner)
            if (CAnimPlayer* p = owner->GetCurrentAnim()) p->m_DelayOffset = p1 == 0 ? 0 : p1 - 5;
        break;
    case 14: if (g_RoleHooks.startScreenEffect) g_RoleHooks.startScreenEffect(p1); break;
    case 16: SubCode(magic, owner, p1, p2); break;
    default: break;
    }
}

// ---------------------------------------------------------------- HitArea

int HitAreaSweep(CMagic* magic, int32_t shape, int32_t radius, int32_t rangeCells, int32_t flag) {
    return magic ? magic->HitArea(shape, radius, rangeCells, flag) : 0;
}

namespace {

// Buildings, then props, within the radius until the first takes the hit;
// then every flying magic object.
int OfferOthers(CMagic* magic, int32_t x, int32_t y, int32_t r) {
    CObjMng* mng = g_CurObjMng;
    if (!mng) return 0;
    int hit = 0;
    const std::vector<ObjHandle> blds =
        Collect([&] { return mng->FindFirstMarkedNear(x, y, r); }, [&] { return mng->FindNextMarkedNear(); });
    for (ObjHandle h : blds)
        if (CGameObj* o = Resolve(h); o && magic->CanHit(o, 0)) {
            hit = 1;
            break;
        }
    if (!hit) {
        const std::vector<ObjHandle> props =
            Collect([&] { return mng->FindFirstPropNear(x, y, r); }, [&] { return mng->FindNextPropNear(); });
        for (ObjHandle h : props)
            if (CGameObj* o = Resolve(h); o && magic->CanHit(o, 0)) {
                hit = 1;
                break;
            }
    }
    const std::vector<ObjHandle> flying =
        Collect([&] { return mng->FindFirstFlyingMagic(); }, [&] { return mng->FindNextFlyingMagic(); });
    for (ObjHandle h : flying)
        if (CGameObj* o = Resolve(h); o && o != magic && magic->CanHit(o, 0)) hit = 1;
    return hit;
}

int OfferRoles(CMagic* magic, const std::vector<ObjHandle>& roles, bool all, bool airOnly, int* hitSoFar) {
    for (ObjHandle h : roles) {
        CRole* r = AsRole(Resolve(h));
        if (!r || (airOnly && !r->HasState(101))) continue;
        if (magic->CanHit(r, 0)) {
            *hitSoFar = 1;
            if (!all) return 1;
        }
    }
    return 0;
}

} // namespace

int CMagic::HitArea(int32_t shape, int32_t radius, int32_t rangeCells, int32_t flag) {
    if (g_EffectProbe.hitArea) {
        g_EffectProbe.hitArea(this, shape, radius, rangeCells, flag);
        return 0;
    }
    if (!GetCenterObject()) return 0;
    CRole* owner = GetOwnerRole();
    const ObjHandle ownerTarget = owner ? owner->m_TargetHandle : 0;
    if (owner && m_Kind != 6) SetPos(owner->m_X, owner->m_Y);
    int32_t cells = rangeCells, pixels = radius;
    if (radius > 0) cells = std::max(radius / 64, 1);
    else if (radius == 0) pixels = rangeCells * 64;
    const bool all = shape >= 10 && shape <= 19;
    const int32_t base = all ? shape - 10 : shape;
    CObjMng* mng = g_CurObjMng;
    int hit = 0;
    switch (base) {
    case 0:
    case 1:
    case 3: {
        if (!owner) return 0;
        if (flag == 0 && owner->HasState(kStateHalo)) m_Countdown = 5;
        const int32_t facing = owner->GetFacing8();
        bool done = false;
        if (!all) {
            CGameObj* t = Resolve(ownerTarget);
            CRole* tr = AsRole(t);
            if (tr && ObjectDistance(owner, tr) < radius &&
                DirDiff8(GetDir8({tr->m_X, tr->m_Y}, {owner->m_X, owner->m_Y}), facing) <= 1 &&
                (base != 3 || tr->HasState(101)) && CanHit(tr, 0)) {
                hit = 1;
                done = true;
            }
        }
        if (!done && mng) {
            const int32_t r = cells * 64 + owner->m_Radius;
            const int32_t x = owner->m_X, y = owner->m_Y, dir = (facing + 4) % 8;
            const std::vector<ObjHandle> roles = Collect([&] { return mng->FindFirstRoleInCone(x, y, dir, r, 1); },
                                                         [&] { return mng->FindNextRoleInCone(); });
            OfferRoles(this, roles, all, base == 3, &hit);
        }
        hit |= OfferOthers(this, owner->m_X, owner->m_Y, pixels);
        return hit;
    }
    case 2:
    case 4: {
        if (!owner) return 0;
        const int32_t r = m_Kind == 6 ? pixels : owner->m_Radius + pixels;
        if (mng) {
            const int32_t x = m_X, y = m_Y;
            const std::vector<ObjHandle> roles = Collect([&] { return mng->FindFirstRoleNear(x, y, r); },
                                                         [&] { return mng->FindNextRoleNear(); });
            OfferRoles(this, roles, all, base == 4, &hit);
        }
        hit |= OfferOthers(this, m_X, m_Y, pixels);
        return hit;
    }
    default: break;
    }
    switch (shape) {
    case 21: return AsRole(GetOwner()) ? CanHit(GetOwner(), 0) : 0;
    case 22: return AsRole(GetTarget()) ? CanHit(GetTarget(), 1) : 0;
    case 23: {
        CGameObj* t = Resolve(ownerTarget);
        return t ? CanHit(t, 0) : 0;
    }
    case 24:
        for (ObjHandle h : m_HitList.Handles())
            if (CRole* r = AsRole(Resolve(h))) CanHit(r, 0);
        return 1;
    default: return 0;
    }
}
