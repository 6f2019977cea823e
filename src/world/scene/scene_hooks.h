#pragma once
// The calls of the scenes and their view trackers up into the roles, the
// role data record, the trigger scripts, the client, the game host and the
// application. Those libraries sit above the world and install these at
// start-up; an unset hook does the least (nothing, 0, null).
#include <cstdint>

class CGameObj;
class CScene;
class CRoleData;
class CMsgEndpoint;
class CWorld;
class CTriggerMgr;
class CAttachedMagicList;

struct CSceneHooks {
    // ---- roles
    // CActor::PlaceNear (map cell x, y, radius): 1 when placed.
    int (*placeNear)(CGameObj* role, int32_t x, int32_t y, int32_t radius) = nullptr;
    // CActor::SetDirection (0-7).
    void (*setDirection)(CGameObj* role, int32_t dir) = nullptr;
    // CRole::Die (mode, flag); removed or dead roles are skipped.
    void (*die)(CGameObj* role, int32_t mode, int32_t flag) = nullptr;
    // CRole::CancelQueuedOrder, then the order operation (command, a, b, c,
    // 1, 1).
    void (*order)(CGameObj* role, int32_t command, uint32_t a, uint32_t b, uint32_t c) = nullptr;
    void (*loadFromSheet)(CGameObj* role) = nullptr;
    void (*saveToSheet)(CGameObj* role) = nullptr;
    // The appearance packet's animation index and flag mask.
    int32_t (*getAnimIndex)(const CGameObj* role) = nullptr;
    uint32_t (*getRoleBits)(const CGameObj* role) = nullptr;
    // CRole::PostStatesToClient (direct) or CRole::SendStatesTo (target).
    void (*sendStates)(CGameObj* role, CMsgEndpoint* endpoint, int target, int direct) = nullptr;
    // The part-1 image name of the role's sprite set (GetRolePartFileName).
    const char* (*getPartFileName)(const CGameObj* role) = nullptr;
    // CRole::GetLastAttacker: null when gone.
    CGameObj* (*getLastAttacker)(CGameObj* role) = nullptr;

    // ---- the attached magic list of a world
    // Its slot 1, once per scene tick.
    void (*stepMagicList)(CAttachedMagicList* list) = nullptr;
    // CAttachedMagicList::RemoveAll: every object's Remove, nodes deleted.
    void (*removeAllMagic)(CAttachedMagicList* list) = nullptr;

    // ---- role data records
    // The record of a data id (GetPlayerRecord).
    CRoleData* (*getRecord)(int32_t dataId) = nullptr;
    // The player character's data id of the local player record.
    int32_t (*getPlayerDataId)() = nullptr;
    // The local player record's dead flag.
    int (*isLocalPlayerDead)() = nullptr;
    void (*setRoleRef)(CRoleData* record, int32_t sceneId, uint32_t handle) = nullptr;
    void (*resetLocals)(CRoleData* record) = nullptr;
    void (*setDead)(CRoleData* record, int dead) = nullptr;
    void (*dropMoney)(CRoleData* record, int32_t amount) = nullptr;
    // CRoleData::GetReviveScene; null for none.
    const char* (*getReviveScene)(CRoleData* record) = nullptr;
    // The record's scene id (-1 for none).
    int32_t (*getRecordSceneId)(CRoleData* record) = nullptr;
    // CRoleData::GetFlag: -1 when there is no such flag.
    int32_t (*getFlag)(CRoleData* record, const char* name) = nullptr;
    // CRoleData::FindReturnPortal (gate): 0, 1 or -1; the stored scene id of
    // a return portal; CRoleData::CloseReturnPortal.
    int (*findReturnPortal)(CRoleData* record, uint32_t gate) = nullptr;
    int32_t (*getReturnPortalScene)(CRoleData* record, int index) = nullptr;
    void (*closeReturnPortal)(CRoleData* record, int index) = nullptr;
    // CSaveMgr::Save (role) and the current save name.
    int (*saveGame)(CGameObj* role) = nullptr;
    const char* (*getSaveName)() = nullptr;

    // ---- the trigger system of a scene
    CTriggerMgr* (*createTriggers)(CScene* scene) = nullptr;
    void (*deleteTriggers)(CTriggerMgr* triggers) = nullptr;
    void (*tickTriggers)(CTriggerMgr* triggers) = nullptr;
    void (*loadSceneTriggers)(CTriggerMgr* triggers, const char* scnName) = nullptr;
    // Name null: no scene name.
    void (*runTransitionTriggers)(CTriggerMgr* triggers, const char* scnName, int created) = nullptr;
    void (*setPlayerHandle)(CTriggerMgr* triggers, uint32_t handle) = nullptr;
    int (*evalCondition)(CTriggerMgr* triggers, const char* text, uint32_t handle) = nullptr;
    int (*executeActions)(CTriggerMgr* triggers, const char* text, CGameObj* subject) = nullptr;

    // ---- client, interface and application
    // The client's weather back to its default light level (SetLevel -1).
    void (*resetClientLight)() = nullptr;
    // The zoom target restored and the brightness reset with this step.
    void (*resetView)(float step) = nullptr;
    // CGameMain::PlayMusic (name, loop).
    void (*playMusic)(const char* name, int loop) = nullptr;
    // The game object's flag that silences the "1-6s" notice.
    int (*isNoticeFlagSet)() = nullptr;
    // The centre-screen notice (CJMNotice::SplitAndAddMessage).
    void (*showNotice)(const char* text) = nullptr;
    // The local client: 1 while it is active and holds this scene's id.
    int (*isClientActiveIn)(CScene* scene) = nullptr;
    // CClient::SetActive (0).
    void (*deactivateClient)() = nullptr;
    // CClient::Detach when the client's world is this one.
    void (*detachClientFrom)(CWorld* world) = nullptr;
};

extern CSceneHooks g_SceneHooks;
