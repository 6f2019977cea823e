#include "world/objects/endpoint_objects.h"

#include "core/msg_endpoint.h"
#include "world/things/anim_map_obj.h"
#include "world/buildings/bld.h"
#include "world/objects/game_obj.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/world.h"
#include "world/scene/world_hooks.h"

namespace {

class CWorldEndpointObjects : public CEndpointObjects {
public:
    int GetKind(CWorld* world, uint32_t handle) override {
        CGameObj* obj = Find(world, handle);
        return obj ? obj->m_Kind : -1;
    }
    int IsActive(CWorld* world, uint32_t handle) override {
        CGameObj* obj = Find(world, handle);
        return obj && obj->m_Active ? 1 : 0;
    }
    uint8_t GetState(CWorld* world, uint32_t handle) override {
        auto* bld = dynamic_cast<CMechBld*>(Find(world, handle));
        return bld ? static_cast<uint8_t>(bld->m_State) : 0;
    }
    void SetFixedHandle(CWorld* world, uint32_t handle, int on) override {
        if (CGameObj* obj = Find(world, handle)) obj->m_FixedHandle = on ? 1 : 0;
    }
    int GetRoleAppear(uint32_t handle, RoleAppearFields* f, std::string* picture, std::string* name,
                      std::string* part) override {
        CGameObj* role = GetRoleByHandle(handle);
        if (!role) return 0;
        f->descId = role->GetDesc() ? role->GetDesc()->m_ModelId : role->m_ModelId;
        f->x = static_cast<uint16_t>(role->m_X);
        f->y = static_cast<uint16_t>(role->m_Y);
        f->anim = static_cast<uint16_t>(g_SceneHooks.getAnimIndex ? g_SceneHooks.getAnimIndex(role) : 0);
        f->camp = g_WorldHooks.getRoleCamp ? g_WorldHooks.getRoleCamp(role) : 0;
        f->roleBits = g_SceneHooks.getRoleBits ? g_SceneHooks.getRoleBits(role) : 0;
        const char* pic = role->GetPictureName();
        *picture = pic ? pic : "";
        *name = role->GetName();
        const char* p = g_SceneHooks.getPartFileName ? g_SceneHooks.getPartFileName(role) : nullptr;
        *part = p ? p : "";
        return 1;
    }
    void SetRoleFixedHandle(uint32_t handle, int on) override {
        if (CGameObj* role = GetRoleByHandle(handle)) role->m_FixedHandle = on ? 1 : 0;
    }
    void SendRoleStates(uint32_t handle, CMsgEndpoint* endpoint, int target, int direct) override {
        CGameObj* role = GetRoleByHandle(handle);
        if (role && g_SceneHooks.sendStates) g_SceneHooks.sendStates(role, endpoint, target, direct);
    }

private:
    // Index bits 0-14, generation bits 15-16 as the table keeps them.
    static CGameObj* Find(CWorld* world, uint32_t handle) {
        return world && world->m_pHandles ? world->m_pHandles->Resolve(handle) : nullptr;
    }
};

CWorldEndpointObjects g_WorldEndpointObjects;

} // namespace

void InstallEndpointObjects() { g_EndpointObjects = &g_WorldEndpointObjects; }
