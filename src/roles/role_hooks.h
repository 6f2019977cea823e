#pragma once
// Every call of the roles and the trigger scripts up into the client, the
// panels, the game host and the game object. Those libraries sit above
// this one (roles <- script <- client <- host, ui <- app), so they install
// these hooks at start-up, as they do the world's tables; an unset hook
// does the least (nothing, 0, null). Each piece of roles and scripts adds
// the members it calls, under the names its callers use.
//
// What the world's tables already carry is called there, not doubled here:
// centre notices (g_WorldHooks.showNotice), message lines at a screen
// point (g_WorldHooks.addFloatingLine), role data records
// (g_SceneHooks.getRecord), music (g_SceneHooks.playMusic), zoom and
// brightness reset (g_SceneHooks.resetView). Sounds go through
// g_WorldSound, so tests record them.
//
// Every centre notice and message line of roles and scripts goes through
// RoleNotice and RoleMessageLine below: they also write it to the debugger
// output, hook or no hook, so a headless run and a test read them there.
#include <cstdint>
#include <cstdio>

class CRoleData;
class CGameObj;
class CTriggerMgr;

struct CRoleHooks {
    // ---- game object
    // CGameMain::CountHit (force): one hit a logic tick at most.
    void (*countHit)(int force) = nullptr;
    // CGameMain::SetBrightnessTarget (target, per-tick step).
    void (*setBrightnessTarget)(float target, float step) = nullptr;
    // CGameMain::ResetBrightness (per-tick step): back to 1.0.
    void (*resetBrightness)(float step) = nullptr;
    // CGameMain::StartScreenEffect (kind).
    void (*startScreenEffect)(int kind) = nullptr;
    // CGameMain::RestoreZoomTarget: back to the saved zoom target.
    void (*restoreZoomTarget)() = nullptr;
    // CGameMain::AdjustZoomTarget (delta), the current zoom not saved.
    void (*adjustZoomTarget)(float delta) = nullptr;
    // 1 when the game host has a client with a player.
    int (*hasClientPlayer)() = nullptr;
    // The process-wide scene-change flag that CloseSceneJM raises.
    void (*setSceneChangeFlag)(int on) = nullptr;

    // ---- player controller (only for the player's own role; the
    // installer checks the selection and the controller)
    // CPlayerControl::RecordAction (group, direction, flag).
    void (*recordAction)(CGameObj* role, int32_t group, int32_t dir, int32_t flag) = nullptr;
    // CPlayerControl::StampActionTick.
    void (*stampActionTick)(CGameObj* role) = nullptr;

    // ---- client
    // The client's send of a command packet 240 for a role (command, a, b,
    // c), as the player controller sends it.
    void (*sendOrder)(CGameObj* role, int32_t command, int32_t a, int32_t b, int32_t c) = nullptr;

    // ---- game host
    // CGameHost::SetPaused (flag).
    void (*setPaused)(int on) = nullptr;
    // GetLocalPlayerRecord: the record of the client's controlled role;
    // null when any link is missing.
    CRoleData* (*getLocalPlayerRecord)() = nullptr;
    // CGameHost::Shutdown, then CGameHost::Start with this record as the
    // local player's (a loaded save game); the host owns the record after.
    void (*restartHost)(CRoleData* record) = nullptr;

    // ---- panels
    // The HUD block of a save slot file (CJMHud::SaveHudState and
    // LoadHudState): 1 written or read, 0 on a failure. Unset: no HUD, so
    // no block is written and a block in a file is not applied.
    int (*SaveHudState)(FILE* file) = nullptr;
    int (*LoadHudState)(FILE* file) = nullptr;

    // ---- trigger scripts
    // The trigger manager's dead-role flag: a role outside the player camps
    // died in the scene of that manager.
    void (*setTriggerDeathFlag)(CTriggerMgr* triggers) = nullptr;
    // The talk trigger id of a role (its talk mark); -1 for none.
    int32_t (*findTalkId)(CGameObj* role) = nullptr;

    // ---- the trigger actions' calls (unset until the panel exists)
    // CJMTalk::LoadRoleTalkScript: a conversation of the subject with a role.
    void (*talkWithRole)(CGameObj* subject, CGameObj* role) = nullptr;
    // The talk window ignores clicks for that many ticks.
    void (*setTalkClickBlock)(int32_t ticks) = nullptr;
    // CJMTalk::LoadTalkScript: the narration script of that name.
    void (*loadTalkScript)(const char* name) = nullptr;
    // The scrolling text box: CJMTalk::ParseTalkText (row, 0, 0) and
    // CJMChoice::Open, then CJMChoice::SetArea and SetPicture.
    void (*openChoiceText)(int32_t talkRow) = nullptr;
    void (*setChoiceArea)(int32_t x, int32_t y, int32_t w, int32_t h, int32_t mode) = nullptr;
    void (*setChoicePicture)(int32_t picture, int32_t action) = nullptr;
    // The panel of a JMMDL row: shown (Show (1, 0)); 0 when there is none.
    int (*showJM)(int32_t id) = nullptr;
    // CJM::SetLinkedJM of that panel with three ids (-1 for none).
    void (*setLinkedJM)(int32_t id, int32_t a, int32_t b, int32_t c) = nullptr;
    // CJMMsgList::AddMessageLine with a position, follow flag, role and kind.
    void (*addMessageLine)(const char* text, int32_t x, int32_t y, int follow, uint32_t role, int32_t kind) = nullptr;
    // CGameMain::PlayMovie (path).
    void (*playMovie)(const char* path) = nullptr;
    // The settings panel's progress values g_ProgressValue2 (2) and
    // g_ProgressValue3 (3).
    void (*setProgressValue)(int which, int32_t value) = nullptr;
    // The size of the game's display mode; unset: 640 x 480.
    void (*getScreenSize)(int32_t* w, int32_t* h) = nullptr;
};

extern CRoleHooks g_RoleHooks;

// The debugger-output lines of RoleNotice and RoleMessageLine, for readers
// that look for them.
constexpr const char* kRoleNoticePrefix = "notice: ";
constexpr const char* kRoleMessagePrefix = "message: ";

// A centre-screen notice: "notice: <text>" on the debugger output, then
// g_WorldHooks.showNotice. A null text shows nothing.
void RoleNotice(const char* text);
// A message line at a screen point: "message: <text>" on the debugger
// output, then g_WorldHooks.addFloatingLine; its result (0 without the
// hook or the panel).
int RoleMessageLine(const char* text, int32_t x, int32_t y);
