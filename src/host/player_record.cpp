// PLACEHOLDER bodies (see player_record.h).
#include "host/player_record.h"

#include "client/recording_client.h"
#include "host/game_host.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"

CRoleData* NewPlayerRecord() { return new CRoleData(); }

void DeletePlayerRecord(CRoleData* record) { delete record; }

void PlayerRecordNewCharacter(CRoleData*, int) {}

std::string PlayerRecordReviveScene(const CRoleData*) { return "Start"; }

void InstallHostSceneHooks() {
    g_SceneHooks.getRecord = [](int32_t dataId) { return GetPlayerRecord(dataId); };
    g_SceneHooks.getPlayerDataId = [] { return kPlayerDataId; };
    g_SceneHooks.isLocalPlayerDead = [] { return g_LocalPlayerRecord && g_LocalPlayerRecord->m_Dead ? 1 : 0; };
    g_SceneHooks.setRoleRef = [](CRoleData* record, int32_t sceneId, uint32_t handle) {
        record->m_SceneId = sceneId;
        record->m_RoleHandle = handle;
    };
    g_SceneHooks.setDead = [](CRoleData* record, int dead) { record->m_Dead = dead ? 1 : 0; };
    g_SceneHooks.getReviveScene = [](CRoleData* record) -> const char* {
        static std::string revive;
        revive = PlayerRecordReviveScene(record);
        return revive.c_str();
    };
    g_SceneHooks.getRecordSceneId = [](CRoleData* record) { return record->m_SceneId; };
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
}
