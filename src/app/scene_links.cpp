// The scenes' calls up into the roles, the host, the interface and the game
// object (world/scene_hooks.h).
#include "app/game_main.h"
#include "app/sequences.h"
#include "client/recording_client.h"
#include "host/game_host.h"
#include "host/player_record.h"
#include "roles/items/item_record.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "roles/save_mgr.h"
#include "roles/save/record_link.h"
#include "script/trigger_mgr.h"
#include "ui/jm_settings.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/world_hooks.h"
#include "world/sky/weather.h"

void InstallSceneHooks() {
    InstallRoleHooks();
    InstallTriggerHooks();
    InstallItemHooks();
    InstallHostSceneHooks();
    g_SceneHooks.resetClientLight = [] {
        if (CClient* client = g_GameHost.m_pClient; client && client->m_pWeather) client->m_pWeather->SetLevel(-1);
    };
    g_SceneHooks.resetView = [](float step) {
        g_GameMain.RestoreZoomTarget();
        g_GameMain.ResetBrightness(step);
    };
    g_SceneHooks.playMusic = [](const char* name, int loop) { g_GameMain.PlayMusic(name, loop); };
    g_SceneHooks.showNotice = [](const char* text) {
        if (g_WorldHooks.showNotice) g_WorldHooks.showNotice(text);
    };
    // The roles' and scripts' calls up into the game object and the host.
    g_RoleHooks.countHit = [](int force) { g_GameMain.CountHit(force); };
    g_RoleHooks.setBrightnessTarget = [](float target, float step) { g_GameMain.SetBrightnessTarget(target, step); };
    g_RoleHooks.startScreenEffect = [](int kind) { g_GameMain.StartScreenEffect(kind); };
    g_RoleHooks.playMovie = [](const char* path) { g_GameMain.PlayMovie(path); };
    g_RoleHooks.setProgressValue = [](int which, int32_t value) {
        if (which == 2) g_ProgressValue2 = value;
        if (which == 3) g_ProgressValue3 = value;
    };
    g_RoleHooks.getScreenSize = [](int32_t* w, int32_t* h) {
        *w = g_GameMain.m_ScreenWidth > 0 ? g_GameMain.m_ScreenWidth : 640;
        *h = g_GameMain.m_ScreenHeight > 0 ? g_GameMain.m_ScreenHeight : 480;
    };
    g_RoleHooks.restoreZoomTarget = [] { g_GameMain.RestoreZoomTarget(); };
    g_RoleHooks.adjustZoomTarget = [](float delta) { g_GameMain.AdjustZoomTarget(delta, 0); };
    g_RoleHooks.setPaused = [](int on) { g_GameHost.SetPaused(on); };
    g_RoleHooks.getLocalPlayerRecord = GetLocalPlayerRecord;
    g_RoleHooks.restartHost = [](CRoleData* record) {
        g_GameHost.Shutdown();
        g_GameHost.Start(record);
    };
    // Saves of the scenes (a client's role placed, a checkpoint): a failure
    // is told to the player; the last good save stays.
    g_SceneHooks.saveGame = [](CGameObj* role) {
        if (!SaveRecordLinked()) return 0;
        const int saved = g_SaveMgr.Save(role);
        if (!saved) RoleNotice(("Save failed: " + g_SaveMgr.LastError()).c_str());
        return saved;
    };
    g_SceneHooks.getSaveName = [] { return g_SaveMgr.m_SaveName.c_str(); };
    InstallClientHooks();
}
