#include "scenario/crowd.h"

#include <cstring>

#include "datagen/fixture_crowd.h"
#include "roles/actor/actor.h"
#include "roles/role.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"

namespace scenario {

namespace {

void Mix(uint64_t& h, const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
}
void MixInt(uint64_t& h, int64_t v) { Mix(h, &v, sizeof v); }

CObjMng* SceneObjects(const CScenario& run) {
    CScene* scene = run.Scene();
    return scene && scene->m_pWorld ? &scene->m_pWorld->m_ObjMng : nullptr;
}

void MixPlain(uint64_t& h, CObjList& list) {
    for (CObjNode* n = list.Head(); n; n = n->Next()) {
        const auto* o = static_cast<CGameObj*>(n);
        MixInt(h, o->m_Handle);
        MixInt(h, o->m_Kind);
        MixInt(h, o->m_X);
        MixInt(h, o->m_Y);
    }
    MixInt(h, -1);
}

} // namespace

bool StartCrowd(CScenario& run, int roles, uint32_t seed) {
    if (!run.Start(datagen::CrowdFixtureGame(roles))) return false;
    run.Seed(seed);
    run.Tick(1);
    CRole* hero = AsRole(run.Hero());
    if (!hero) return false;
    hero->RefillPools();  // a new game's record holds no current HP
    return true;
}

CrowdCounts CountCrowd(const CScenario& run) {
    CrowdCounts c;
    CObjMng* mng = SceneObjects(run);
    if (!mng) return c;
    for (CObjNode* n = mng->m_Roles.Head(); n; n = n->Next()) {
        const CRole* r = AsRole(static_cast<const CGameObj*>(static_cast<CGameObj*>(n)));
        if (!r || r->m_Removed || r->m_Hp <= 0.0f) continue;
        ++c.live;
        const bool alerted = r->HasState(kStateAlerted) != 0;
        const bool moving = r->m_Motion != kMotionStand && r->m_Motion != kMotionPlayOnce;
        c.alerted += alerted;
        c.moving += moving;
        c.busy += alerted || moving;
    }
    return c;
}

uint64_t CrowdDigest(const CScenario& run) {
    uint64_t h = 14695981039346656037ull;
    CObjMng* mng = SceneObjects(run);
    if (!mng) return h;
    for (CObjNode* n = mng->m_Roles.Head(); n; n = n->Next()) {
        const auto* o = static_cast<CGameObj*>(n);
        MixInt(h, o->m_Handle);
        MixInt(h, o->m_Kind);
        MixInt(h, o->m_X);
        MixInt(h, o->m_Y);
        if (const CRole* r = AsRole(static_cast<const CGameObj*>(o))) {
            uint32_t hp;
            std::memcpy(&hp, &r->m_Hp, sizeof hp);
            MixInt(h, hp);
            MixInt(h, r->m_Motion);
            MixInt(h, r->m_TargetHandle);
            MixInt(h, r->m_LastCommand);
            for (uint32_t v : r->m_LastOrder) MixInt(h, v);
        }
    }
    MixInt(h, -1);
    MixPlain(h, mng->m_Magic);
    MixPlain(h, mng->m_Drops);
    MixPlain(h, mng->m_Props);
    MixPlain(h, mng->m_Creatures);
    return h;
}

} // namespace scenario
