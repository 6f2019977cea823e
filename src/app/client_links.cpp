// The client's calls up into the game object, the host and the panels
// (client/client_hooks.h), and the hooks through which the world, the roles
// and the panels reach the client.
#include "app/game_main.h"
#include "app/sequences.h"
#include "client/client_hooks.h"
#include "client/gesture_input.h"
#include "client/player_control.h"
#include "app/overlay.h"
#include "roles/record/record_hooks.h"
#include "platform/input.h"
#include "client/painter.h"
#include "client/recording_client.h"
#include "client/selection.h"
#include "host/game_host.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "core/txt_table.h"
#include "ui/jm.h"
#include "ui/jm_dialogs.h"
#include "ui/jm_loading.h"
#include "ui/jm_mng.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace {

constexpr int kRowMessagePanel = 60;

// The client's own role, its world made current; null without one.
CRole* SelectedRole() {
    CClient* c = g_GameHost.m_pClient;
    if (!c || !c->m_pSelection) return nullptr;
    if (c->m_pWorld) c->m_pWorld->MakeCurrent();
    return c->m_pSelection->GetRole();
}

// Column 0 of a role's model row.
std::string ModelName(const CRole* role) {
    const CTxtRow* row = role && g_WorldHooks.getRoleModelRow ? g_WorldHooks.getRoleModelRow(role) : nullptr;
    const char* name = row ? row->GetString(0) : nullptr;
    return name ? name : "";
}

} // namespace

void InstallClientHooks() {
    OpenRecordFileFromEnv();
    g_ClientHooks.tickCount = [] { return static_cast<uint32_t>(g_GameMain.m_TickCount); };
    g_ClientHooks.startScreenEffect = [](int kind) { g_GameMain.StartScreenEffect(kind); };
    g_ClientHooks.isLoadingWindowShown = [] { return g_JMLoading && g_JMLoading->IsShown() ? 1 : 0; };
    g_ClientHooks.isMessagePanelShown = [] {
        CJM* panel = g_JMMng.GetJM(kRowMessagePanel);
        return panel && panel->IsShown() ? 1 : 0;
    };
    g_ClientHooks.showMessagePanel = [] {
        if (CJM* panel = g_JMMng.GetJM(kRowMessagePanel)) panel->Show(1, 0);
    };
    // The timer and the minimap are stand-in panels without their
    // operations yet: setTimer and setMiniMapActive stay unset.
    g_ClientHooks.showVersusBanner = [](int on) {
        if (g_JMNotice) g_JMNotice->ShowVersusBanner(on);
    };
    g_ClientHooks.setPaused = [](int on) { g_GameHost.SetPaused(on); };

    // The HUD's calls answer "none" until the HUD exists.
    g_ClientHooks.getLeftSkill = [] { return int32_t{-1}; };
    g_ClientHooks.getRightSkill = [] { return int32_t{-1}; };
    g_ClientHooks.hasSelectedSlot = [] { return 0; };
    g_ClientHooks.getRightSkillTarget = [] { return int32_t{-1}; };
    g_ClientHooks.getJM16Center = [](int32_t*, int32_t*) { return -1; };
    g_ClientHooks.isPanelAt = [](int32_t x, int32_t y) { return g_JMMng.GetTargetPanel(x, y) ? 1 : 0; };
    g_ClientHooks.takeClick = [] { g_JMMng.m_ClickTaken = 1; };
    g_ClientHooks.loadFonts = [] { g_JMMng.LoadFonts(); };
    g_ClientHooks.unzoomPoint = [](int32_t* x, int32_t* y) {
        plat::Point p{*x, *y};
        g_GameMain.UnzoomPoint(&p);
        *x = p.x;
        *y = p.y;
    };
    g_ClientHooks.isDeveloperMode = [] { return g_GameMain.HiddenModeFlag1; };
    g_ClientHooks.adjustZoomTarget = [](float delta) { g_GameMain.AdjustZoomTarget(delta, 1); };
    g_ClientHooks.toggleDeveloperFlagA = [] { g_GameMain.m_FrameCapture = !g_GameMain.m_FrameCapture; };
    g_ClientHooks.toggleDeveloperFlagB = [] { g_GameMain.m_ControlValue1 = !g_GameMain.m_ControlValue1; };
    g_ClientHooks.toggleOverlay = [] { g_DevOverlayOn = !g_DevOverlayOn; };
    g_ClientHooks.setDisplayModeSetting = [](int mode) { g_GameMain.m_InGameDisplayMode = mode; };
    g_ClientHooks.getDisplayOption = [] { return static_cast<int>(g_GameMain.m_DisplayOption); };
    g_ClientHooks.setDisplayOption = [](int option) { g_GameMain.SetDisplayOption(option); };
    g_ClientHooks.takeScreenshot = [](int w, int h) { g_GameMain.TakeScreenshot(w, h); };
    g_ClientHooks.setStartMode = [](const char* name, int mode) { g_GameHost.SetStartMode(name, mode); };
    g_ClientHooks.setWaitFlag = [](int value) { g_GameHost.SetWaitFlag(value); };
    g_ClientHooks.togglePause = [] { g_GameHost.SetPaused(!g_GameHost.m_Paused); };
    g_ClientHooks.toggleCombatZoom = [] { g_GameHost.SetCombatZoom(!g_GameHost.m_CombatZoom); };
    InstallGestureLoader();

    // The magic code's action records reach the controller only for the
    // player's own role.
    g_RoleHooks.recordAction = [](CGameObj* role, int32_t group, int32_t dir, int32_t flag) {
        if (g_PlayerControl && role && role == SelectedRole()) g_PlayerControl->RecordAction(group, dir, flag);
    };
    g_RoleHooks.stampActionTick = [](CGameObj* role) {
        if (g_PlayerControl && role && role == SelectedRole()) g_PlayerControl->StampActionTick();
    };
    g_RecordHooks.setGestureStyle = [](int32_t a, int32_t b) { g_GestureInput.SetTrailStyle(a, b); };

    g_WorldHooks.getSelectedRole = []() -> CGameObj* { return SelectedRole(); };
    g_WorldHooks.isClientQuiet = [] { return g_GameHost.m_pClient ? g_GameHost.m_pClient->m_Quiet : 0; };
    // The client's painter, for the world's screen anchors and redraws.
    g_WorldHooks.getViewOrigin = [](CGamePoint* origin) {
        const CPainter* p = g_GameHost.m_pClient ? g_GameHost.m_pClient->m_pViewPort : nullptr;
        if (!p) return 0;
        if (origin) *origin = {p->m_View.x, p->m_View.y};
        return 1;
    };
    g_WorldHooks.invalidateRect = [](const CGameRect& rect) {
        if (CPainter* p = g_GameHost.m_pClient ? g_GameHost.m_pClient->m_pViewPort : nullptr) p->InvalidateRect(&rect);
    };
    g_WorldHooks.invalidateView = [] {
        if (CPainter* p = g_GameHost.m_pClient ? g_GameHost.m_pClient->m_pViewPort : nullptr) p->InvalidateRect(nullptr);
    };
    g_WorldHooks.getViewScratchSurface = []() -> CSurface* {
        CPainter* p = g_GameHost.m_pClient ? g_GameHost.m_pClient->m_pViewPort : nullptr;
        return p ? p->GetScratchSurface() : nullptr;
    };
    g_WorldHooks.getCenterCell = [](CGamePoint* cell) {
        const CPainter* p = g_GameHost.m_pClient ? g_GameHost.m_pClient->m_pViewPort : nullptr;
        if (!p) return 0;
        if (cell) *cell = p->GetCenterCell();
        return 1;
    };
    // The client keeps no object list of its own: nothing in the game
    // writes one, so updateClientSlots and clientRemoveObject stay unset.

    // A role's own command packet (its client frame's release, code 15):
    // that role's handle, straight to the client's scene.
    g_RoleHooks.sendOrder = [](CGameObj* role, int32_t command, int32_t a, int32_t b, int32_t c) {
        if (role && g_GameHost.m_pClient) g_GameHost.m_pClient->SendOrder(role->m_Handle, command, a, b, c);
    };
    g_RoleHooks.hasClientPlayer = [] {
        return g_GameHost.m_pClient && g_GameHost.m_pClient->m_RoleHandle != 0xFFFF ? 1 : 0;
    };

    g_JMHooks.getVersusNames = [](std::string* opponent, std::string* player) {
        CRole* own = SelectedRole();
        CRole* other = own ? own->FindFirstRoleNear(0, 20) : nullptr;
        if (!own || !other || !g_CurObjMng || g_CurObjMng->m_Roles.GetCount() > 2) return 0;
        if (opponent) *opponent = ModelName(other);
        if (player) *player = ModelName(own);
        return 1;
    };
    g_JMHooks.getRoleHeadPoint = [](uint16_t handle, int* x, int* y) {
        CClient* c = g_GameHost.m_pClient;
        if (c && c->m_pWorld) c->m_pWorld->MakeCurrent();
        CRole* role = ClientRoleByHandle(handle);
        if (!role) return 0;
        role->UpdateScreenRect();
        if (x) *x = role->m_ScreenX;
        if (y) *y = role->m_ScreenY - role->m_Height;
        return 1;
    };
}
