#include "host/player_record.h"

#include "client/recording_client.h"
#include "core/txt_table.h"
#include "host/game_host.h"
#include "roles/items/prop_rec.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "roles/tables/skill_table.h"
#include "world/map/line_walk.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_hooks.h"

CRoleData* NewPlayerRecord() { return new CRoleData(); }

void DeletePlayerRecord(CRoleData* record) { delete record; }

void PlayerRecordNewCharacter(CRoleData* record, int classValue) {
    if (record) record->NewCharacter(classValue);
}

std::string PlayerRecordReviveScene(CRoleData* record) { return record ? record->GetReviveScene() : ""; }

void InstallHostSceneHooks() {
    g_SceneHooks.getRecord = [](int32_t dataId) { return GetPlayerRecord(dataId); };
    g_SceneHooks.getPlayerDataId = [] { return kPlayerDataId; };
    g_SceneHooks.isLocalPlayerDead = [] { return g_LocalPlayerRecord && g_LocalPlayerRecord->m_Dead ? 1 : 0; };
    g_SceneHooks.setRoleRef = [](CRoleData* record, int32_t sceneId, uint32_t handle) {
        if (record) record->SetRoleRef(sceneId, handle);
    };
    g_SceneHooks.resetLocals = [](CRoleData* record) {
        if (record) record->ResetLocals();
    };
    g_SceneHooks.setDead = [](CRoleData* record, int dead) {
        if (record) record->SetDead(dead);
    };
    g_SceneHooks.dropMoney = [](CRoleData* record, int32_t amount) {
        if (record) record->DropMoney(amount);
    };
    g_SceneHooks.getReviveScene = [](CRoleData* record) -> const char* {
        return record ? record->GetReviveScene() : nullptr;
    };
    g_SceneHooks.getRecordSceneId = [](CRoleData* record) { return record ? record->m_SceneId : -1; };
    g_SceneHooks.getFlag = [](CRoleData* record, const char* name) { return record ? record->GetFlag(name) : -1; };
    g_SceneHooks.findReturnPortal = [](CRoleData* record, uint32_t gate) {
        return record ? record->FindReturnPortal(gate) : -1;
    };
    g_SceneHooks.getReturnPortalScene = [](CRoleData* record, int index) {
        return record && index >= 0 && index < 2 ? record->m_Portals[index].nearScene : -1;
    };
    g_SceneHooks.closeReturnPortal = [](CRoleData* record, int index) {
        if (record) record->CloseReturnPortal(index);
    };
    g_SceneHooks.isClientActiveIn = [](CScene* scene) {
        const CClient* c = g_GameHost.m_pClient;
        return c && scene && c->IsActive() && c->m_Id == scene->m_Id ? 1 : 0;
    };
    g_SceneHooks.deactivateClient = [] {
        if (g_GameHost.m_pClient) g_GameHost.m_pClient->SetActive(0);
    };
    g_SceneHooks.detachClientFrom = [](CWorld* world) {
        CClient* c = g_GameHost.m_pClient;
        if (c && world && c->m_pWorld == world) c->m_pWorld = nullptr;
    };

    g_WorldHooks.getItemSkill = [](int32_t item) -> const void* {
        const CRoleData* record = GetLocalPlayerRecord();
        const PropRec* it = record ? record->GetItem(item) : nullptr;
        if (!it || !it->m_pModelRow || !it->m_pModelRow->HasValue(propcol::kAttributes)) return nullptr;
        return g_SkillTable.GetAt(it->m_pModelRow->GetInt(propcol::kAttributes));
    };
    g_WorldHooks.getRoleSheetValue = [](const CGameObj* role) -> uint32_t {
        // The record's identity: its data id while the role has one.
        return role && GetPlayerRecord(role->m_DataId) ? static_cast<uint32_t>(role->m_DataId) : 0u;
    };
    g_GridSearchHooks.isPlayerFollower = [](const CGameObj* role) {
        const CRoleData* record = GetLocalPlayerRecord();
        return record && role && record->HasFollower(role->m_Handle) ? 1 : 0;
    };
    g_RoleHooks.getLocalPlayerRecord = [] { return GetLocalPlayerRecord(); };
    InstallRecordItemOps();
}
