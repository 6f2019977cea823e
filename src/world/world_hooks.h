#pragma once
// Every call of the world up into roles and scripts, the client, the panels
// and the application/host. Those libraries sit above this one, so they
// install these hooks at start-up; an unset hook does the least (nothing,
// 0, null). Later work adds members here under the names its callers use.
#include <cstdint>

class CGameObj;
class CScene;
class CTxtRow;
class CParticleRing;
class CRoleGroupMgr;
class CMerchantMng;

struct CWorldHooks {
    // ---- roles (objects of kinds 30-100; the world holds no role class)
    // The role factory: a CRole60 for kind 60, else a CAiRole, with its kind
    // set and not yet registered.
    CGameObj* (*createRole)(int kind) = nullptr;
    // The role's model row ("Role.txt"): column 0 is its name.
    const CTxtRow* (*getRoleModelRow)(const CGameObj* role) = nullptr;
    // Role operation 11: the per-frame role update (server pass).
    void (*roleUpdate)(CGameObj* role) = nullptr;
    // Role operation 26: sets up the appearance from AddObj's extra value.
    void (*roleSetAppearance)(CGameObj* role, int32_t extra) = nullptr;
    // Role operation 47: the client-side frame step.
    void (*roleClientStep)(CGameObj* role) = nullptr;
    // CActor::EnterCell (mode).
    void (*roleEnterCell)(CGameObj* role, int mode) = nullptr;
    // The role's dead flag.
    int (*isRoleDead)(const CGameObj* role) = nullptr;
    // The role's camp id (10000-60000 are player camps).
    int32_t (*getRoleCamp)(const CGameObj* role) = nullptr;
    // The role's direction count (8 or 16).
    int (*getRoleDirCount)(const CGameObj* role) = nullptr;
    // CRole::SetSpriteFrame (first animation id, frame count).
    void (*setSpriteFrame)(CGameObj* role, int firstId, int count) = nullptr;
    // CRole::UpdateTalkId.
    void (*updateTalkId)(CGameObj* role) = nullptr;

    // ---- magic objects
    // Looks the SkillChild definition up, makes the class of its type, sets
    // the position and runs InitFromDefinition (and the after-create step
    // of type 300); not registered. Null for an unknown id or type.
    CGameObj* (*createMagic)(int defId, int x, int y, CGameObj* parent) = nullptr;
    // Magic operation 18 (server pass) and 19 (client pass).
    void (*magicUpdate)(CGameObj* magic) = nullptr;
    void (*magicClientStep)(CGameObj* magic) = nullptr;

    // ---- what the object manager owns of subsystem 5
    CParticleRing* (*createParticleRing)() = nullptr;  // with InitIndices
    void (*updateParticleRing)(CParticleRing* ring) = nullptr;
    void (*deleteParticleRing)(CParticleRing* ring) = nullptr;
    CRoleGroupMgr* (*createRoleGroups)() = nullptr;
    void (*updateRoleGroups)(CRoleGroupMgr* groups) = nullptr;  // UpdateAll
    void (*clearRoleGroups)(CRoleGroupMgr* groups) = nullptr;   // RemoveAll
    void (*deleteRoleGroups)(CRoleGroupMgr* groups) = nullptr;
    CMerchantMng* (*createMerchants)() = nullptr;
    void (*clearMerchants)(CMerchantMng* merchants) = nullptr;  // RemoveAll
    void (*deleteMerchants)(CMerchantMng* merchants) = nullptr;

    // ---- scripts: the trigger manager of a scene
    // CTriggerMgr::ExecuteActions (text, subject): its result.
    int (*executeActions)(CScene* scene, const char* text, CGameObj* subject) = nullptr;
    // CTriggerMgr::RequestRun.
    void (*requestRun)(CScene* scene) = nullptr;

    // ---- client
    // Operation 11 of each object in the client's own slot list.
    void (*updateClientSlots)() = nullptr;

    // ---- application and host
    // 1 when the game host has a client.
    int (*hostHasClient)() = nullptr;
    // LogLoading (progress, name, step).
    void (*logLoading)(int progress, const char* name, const char* step) = nullptr;
    // CGameMain::DrawLoadingProgress (n).
    void (*drawLoadingProgress)(int n) = nullptr;
};

extern CWorldHooks g_WorldHooks;
