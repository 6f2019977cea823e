#pragma once
// Every call of the world up into roles and scripts, the client, the panels
// and the application/host. Those libraries sit above this one, so they
// install these hooks at start-up; an unset hook does the least (nothing,
// 0, null). Later work adds members here under the names its callers use.
#include <cstdint>

#include "core/geometry.h"
#include "world/objects/handle_table.h"

class CGameObj;
class CSurface;
class CScene;
class CTxtRow;
class CParticleRing;
class CRoleGroupMgr;
class CMerchantMng;
class CAttachedMagicList;

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
    // The display option of the game object: 0 plain, 1 lit, 2 lit with
    // every object light.
    int (*getDisplayOption)() = nullptr;
    // The client's painter marks the whole view for redraw.
    void (*invalidateView)() = nullptr;

    // ---- building a world (BuildMap)
    // CloseSceneJM: the interface drops the panels of the old scene.
    void (*closeSceneJM)() = nullptr;
    // The loading window over the screen.
    void (*showLoadingWindow)() = nullptr;
    // CGameMain::MarkMapBuilt.
    void (*markMapBuilt)() = nullptr;
    // CGameHost::ClientsShareScene: 1 when the clients share the scene.
    int (*clientsShareScene)() = nullptr;
    // The client's quiet flag: 1 shows no loading window.
    int (*isClientQuiet)() = nullptr;
    // A world's attached-magic list: made with the world, emptied by
    // CWorld::Clear (nodes deleted without their Remove), deleted with it.
    CAttachedMagicList* (*createMagicList)() = nullptr;
    void (*clearMagicList)(CAttachedMagicList* list) = nullptr;
    void (*deleteMagicList)(CAttachedMagicList* list) = nullptr;

    // ---- buildings
    // 1 while the game draws with lighting (the display option).
    int (*isLightingOn)() = nullptr;
    // The client's painter: 0 when there is no client or painter; else its
    // view origin in *origin.
    int (*getViewOrigin)(CGamePoint* origin) = nullptr;
    // CPainter::InvalidateRect (screen rectangle); nothing without a painter.
    void (*invalidateRect)(const CGameRect& rect) = nullptr;
    // The view port's off-screen surface of the view's size (corpses drawn
    // enlarged go through it); null without a painter.
    CSurface* (*getViewScratchSurface)() = nullptr;
    // CPainter::GetCenterCell: 0 without a painter.
    int (*getCenterCell)(CGamePoint* cell) = nullptr;
    // Takes the object out of the client's object list.
    void (*clientRemoveObject)(CGameObj* obj) = nullptr;
    // CJMMsgList::AddMessageLine at a screen point: 0 when the panel is missing.
    int (*addFloatingLine)(const char* text, int32_t x, int32_t y) = nullptr;
    // CJMNotice: a centre-screen notice.
    void (*showNotice)(const char* text) = nullptr;
    // GenerateDrops (table id, world position, flag).
    void (*generateDrops)(int32_t id, int32_t x, int32_t y, int32_t flag) = nullptr;
    // The scene's level offset (drop tables of buildings without a picture).
    int32_t (*getSceneLevelOffset)(CScene* scene) = nullptr;
    // CTriggerMgr: NoteBldStatusChange (name, tick) and the weighted action step.
    void (*noteBldStatusChange)(CScene* scene, const char* name, int32_t tick) = nullptr;
    void (*runWeightedAction)(CScene* scene) = nullptr;
    // A magic object's owner handle and the kind of its skill.
    ObjHandle (*getMagicOwner)(const CGameObj* magic) = nullptr;
    int32_t (*getMagicSkillKind)(const CGameObj* magic) = nullptr;
    // The first value of a role's data record (0 without one) and its camp.
    uint32_t (*getRoleSheetValue)(const CGameObj* role) = nullptr;

    // ---- creatures: the player's character as they react to it
    // CSelection::GetRole of the client: the character it plays, or null.
    CGameObj* (*getSelectedRole)() = nullptr;
    // The role's current speed (pixels per tick), motion (1 standing) and
    // height above the ground.
    int32_t (*getRoleSpeed)(const CGameObj* role) = nullptr;
    int32_t (*getRoleMotion)(const CGameObj* role) = nullptr;
    int32_t (*getRoleHeight)(const CGameObj* role) = nullptr;

    // ---- proximity queries
    // A role's body radius.
    int32_t (*getBodyRadius)(const CGameObj* role) = nullptr;
    // Role operation 20: sets (on 1) or clears role state flag `flag`.
    void (*setRoleFlag)(CGameObj* role, int32_t flag, int on) = nullptr;
    // CActor::FaceTo (other).
    void (*faceTo)(CGameObj* role, CGameObj* other) = nullptr;
    // A magic object's active flag (the object's own flag when unset).
    int (*isMagicActive)(const CGameObj* magic) = nullptr;
    // The index-th skill of a role model's skill list; null past its count.
    const void* (*getModelSkill)(int32_t modelId, int32_t index) = nullptr;
    // The skill named by column 10 of item `item` of the local player's
    // record; null when absent.
    const void* (*getItemSkill)(int32_t item) = nullptr;
};

extern CWorldHooks g_WorldHooks;

// The display option through its hook; 0 (plain) when nothing installed it.
inline int WorldDisplayOption() { return g_WorldHooks.getDisplayOption ? g_WorldHooks.getDisplayOption() : 0; }
