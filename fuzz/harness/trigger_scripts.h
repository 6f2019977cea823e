#pragma once
// Trigger scripts in the fixture game: one input is a scene script and a
// talk script (split at '\f'), "trigger\scene\Start.txt" and the talk
// scripts of the roles "Fuzz" and "Elder". The fixture game (a monster
// "Fuzz", an elder, a chest named "5", a second scene "Second") starts once
// per process; each input starts a new game on it, so the scene "Start" is
// built again, loads the fuzzed script and places the hero. The game then
// steps frames with a timer running, a transition run and a black run
// between them, and the scene's manager ticks on its own a few hundred
// times; every condition of both files is evaluated for the hero, the
// monster and no subject, every action of the scene script runs for the
// hero and the monster, the weighted actions are drawn and FindTalkId runs
// for every role. The panels' hooks record their calls; sounds go nowhere.
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/game_main.h"
#include "client/recording_client.h"
#include "core/directories.h"
#include "core/msg_lists.h"
#include "core/txt_table.h"
#include "datagen/demo_bld.h"
#include "datagen/fixture_game.h"
#include "env.h"
#include "host/game_host.h"
#include "platform/audio.h"
#include "platform/display.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "roles/role_hooks.h"
#include "script/trigger_mgr.h"
#include "split_files.h"
#include "ui/jm_mng.h"
#include "world/objects/game_obj.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world.h"
#include "world/scene/world_hooks.h"
#include "world/scene/world_sound.h"
#include "world/things/anim_map_obj.h"

namespace fuzzharness {

// Calls the recording hooks saw in the current input.
inline int& TriggerHookCalls() {
    static int calls = 0;
    return calls;
}

inline void InstallRecordingPanelHooks() {
    g_RoleHooks.talkWithRole = [](CGameObj*, CGameObj*) { ++TriggerHookCalls(); };
    g_RoleHooks.setTalkClickBlock = [](int32_t) { ++TriggerHookCalls(); };
    g_RoleHooks.loadTalkScript = [](const char*) { ++TriggerHookCalls(); };
    g_RoleHooks.openChoiceText = [](int32_t) { ++TriggerHookCalls(); };
    g_RoleHooks.setChoiceArea = [](int32_t, int32_t, int32_t, int32_t, int32_t) { ++TriggerHookCalls(); };
    g_RoleHooks.setChoicePicture = [](int32_t, int32_t) { ++TriggerHookCalls(); };
    g_RoleHooks.showJM = [](int32_t id) { return ++TriggerHookCalls(), id >= 0 ? 1 : 0; };
    g_RoleHooks.setLinkedJM = [](int32_t, int32_t, int32_t, int32_t) { ++TriggerHookCalls(); };
    g_RoleHooks.addMessageLine = [](const char*, int32_t, int32_t, int, uint32_t, int32_t) { ++TriggerHookCalls(); };
    g_RoleHooks.playMovie = [](const char*) { ++TriggerHookCalls(); };
    g_RoleHooks.startScreenEffect = [](int) { ++TriggerHookCalls(); };
    g_RoleHooks.setProgressValue = [](int, int32_t) { ++TriggerHookCalls(); };
    g_WorldHooks.showNotice = [](const char*) { ++TriggerHookCalls(); };
    g_SceneHooks.playMusic = [](const char*, int) { ++TriggerHookCalls(); };
    g_WorldSound = CWorldSoundCalls{[](int, int, int, int) {}, [](int) {}, [](int, int) {},
                                    [](int, const CGamePoint&, int) {}};
}

// The fixture game written into the program folder and started, once.
inline bool StartTriggerFixture() {
    static int state = 0;
    if (state) return state == 1;
    state = 2;
    datagen::FixtureGame g = datagen::DefaultFixtureGame();
    g.objects.cha = {datagen::FixtureRoamer(datagen::kFixtureMeleeModel, 10, 10, "Fuzz"),
                     datagen::ObjRecord(12, 1, 6, 6, 0, "Elder")};
    g.buildings = {datagen::FixtureBuilding(datagen::kDemoChestPart, 5, 5, "5")};
    g.moreScenes = {datagen::FixtureSceneNamed(g, "Second", 2, 1)};
    for (int id : {123, 124, 314, 315}) g.texts.push_back(datagen::TextRow().Id(id).Text("T" + std::to_string(id)));
    std::string error;
    if (!datagen::WriteFixtureGame(fuzzenv::ProgramHome().native, g, &error)) return false;
    // The start makes the program folder current; libFuzzer reads its
    // corpus and writes its findings relative to where it was.
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return false;
    plat::UseHeadlessBackend();
    plat::SetAudioDeviceFactory([] { return std::make_unique<plat::NullAudioDevice>(); });
    SetProgramDirectory(0);
    const int started = g_GameMain.StartApp();
    if (chdir(cwd) != 0 || started != 2) return false;
    g_GameMain.m_CurState = g_GameMain.m_ReqState = GS_INGAME;
    InstallRecordingPanelHooks();
    // Shut down at exit, before the globals go: the leak check then sees
    // only what an input left behind.
    std::atexit([] {
        g_GameHost.Shutdown();
        g_JMMng.ClearUp();
        g_GameMain.Shutdown();
    });
    state = 1;
    return true;
}

inline CScene* TriggerFixtureScene() {
    CClient* client = g_GameHost.m_pClient;
    return client ? client->GetScene() : nullptr;
}

inline CGameObj* TriggerFixtureHero(CScene* scene) {
    CViewTracker* t = scene ? scene->FindTrackerByClient(0) : nullptr;
    return t && scene->m_pWorld ? scene->m_pWorld->m_pHandles->Resolve(t->m_RoleHandle) : nullptr;
}

inline std::vector<std::string> ColumnOf(const std::string& bytes, int col) {
    std::vector<std::string> out;
    CTxtFile file;
    const fuzzenv::Home& home = fuzzenv::ProgramHome();
    if (!fuzzenv::PutFile(home.native + "cells.txt", bytes)) return out;
    if (!file.Load((home.win + "cells.txt").c_str())) return out;
    for (int r = 0; r < file.GetRowCount(); ++r)
        if (const std::string* c = file.Cell(r, col)) out.push_back(*c);
    return out;
}

inline void RunTriggerScripts(const uint8_t* data, size_t size) {
    if (!StartTriggerFixture()) fuzzenv::Fail("the fixture game does not start");
    const std::vector<std::string> parts = SplitInputFiles(std::string(reinterpret_cast<const char*>(data), size), 2);
    const fuzzenv::Home& home = fuzzenv::ProgramHome();
    fuzzenv::PutFile(home.native + "mb/trigger/scene/Start.txt", parts[0]);
    fuzzenv::PutFile(home.native + "mb/trigger/talk/Fuzz.txt", parts[1]);
    fuzzenv::PutFile(home.native + "mb/trigger/talk/Elder.txt", parts[1]);
    ForgetTalkScripts();
    TriggerHookCalls() = 0;

    g_GameHost.Shutdown();
    g_GameHost = CGameHost{};
    g_ClientMsgList.RemoveAll();
    g_ServerCmdList.RemoveAll();
    SetCurrentScene(nullptr);
    if (g_GameHost.Start(nullptr) != 1) fuzzenv::Fail("the host does not start a new game");

    for (int frame = 0; frame < 40; ++frame) {
        g_GameHost.FrameStep();
        CScene* scene = TriggerFixtureScene();
        CTriggerMgr* mgr = scene ? scene->m_pTriggers : nullptr;
        if (!mgr) continue;
        SetCurrentScene(scene);
        if (frame == 1) mgr->SetTimer(3);
        if (frame == 10) mgr->RunSceneTransitionTriggers("Start", 1);
        if (frame == 20) mgr->RunTriggersBlack();
    }
    CScene* scene = TriggerFixtureScene();
    CTriggerMgr* mgr = scene ? scene->m_pTriggers : nullptr;
    if (mgr) {
        SetCurrentScene(scene);
        for (int t = 0; t < 200; ++t) mgr->Tick();
        CGameObj* hero = TriggerFixtureHero(scene);
        CGameObj* monster = scene->m_pWorld->m_ObjMng.GetRoleByName("Fuzz");
        const uint32_t heroHandle = hero ? hero->m_Handle : 0xFFFFFFFFu;
        const uint32_t monsterHandle = monster ? monster->m_Handle : 0xFFFFFFFFu;
        std::vector<std::string> conditions = ColumnOf(parts[0], 0);
        for (const std::string& c : ColumnOf(parts[1], 1)) conditions.push_back(c);
        for (const std::string& c : conditions) {
            mgr->EvalCondition(c.c_str(), heroHandle);
            mgr->EvalCondition(c.c_str(), monsterHandle);
            mgr->EvalCondition(c.c_str(), 0xFFFFFFFFu);
        }
        for (const std::string& a : ColumnOf(parts[0], 1)) {
            // An action may end either role: each is found again by its handle.
            for (uint32_t h : {heroHandle, monsterHandle}) {
                SetCurrentScene(scene);
                if (CGameObj* subject = h != 0xFFFFFFFFu ? GetRoleByHandle(h) : nullptr) mgr->ExecuteActions(a.c_str(), subject);
            }
        }
        for (int i = 0; i < 4; ++i) mgr->RunWeightedAction();
        SetCurrentScene(scene);
        for (CObjNode* n = scene->m_pWorld->m_ObjMng.m_Roles.Head(); n; n = n->Next())
            FindTalkId(static_cast<CGameObj*>(n));
        // Whatever the actions asked of the scene manager is carried out.
        g_GameHost.FrameStep();
        g_GameHost.FrameStep();
    }
    plat::ClearRecordedMessageBoxes();
}

} // namespace fuzzharness
