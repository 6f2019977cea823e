// Display, client and save-game calls of the game object (see links.h).
#include "app/links.h"

#include "gfx/screenshot.h"

#include "app/screen.h"
#include "client/recording_client.h"
#include "client/painter.h"
#include "client/selection.h"
#include "roles/role.h"
#include "core/directories.h"
#include "gfx/surface.h"
#include "host/game_host.h"
#include "platform/display.h"
#include "platform/fs.h"
#include "roles/save_mgr.h"
#include "roles/save/record_link.h"
#include "script/trigger_mgr.h"
#include "app/game_main.h"
#include "platform/debug.h"
#include "platform/msgbox.h"
#include "world/objects/handle_table.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world.h"

namespace {
int SaveRunningGameImpl() {
    CGameObj* role = RunningPlayerRole();
    return role && SaveRecordLinked() ? g_SaveMgr.Save(role) : -1;
}
} // namespace

CGameObj* RunningPlayerRole() {
    // The player's own role as the selection knows it, in the client's
    // world (the scene's own in this process).
    CClient* c = g_GameHost.m_pClient;
    if (!c || !c->m_pSelection || !c->m_pWorld) return nullptr;
    c->m_pWorld->MakeCurrent();
    return c->m_pSelection->GetRole();
}

// ---------------------------------------------------------------- display

int DisplaySetMode(CSurface** surface, plat::Window* window, int width, int height) {
    if (!*surface) *surface = new CSurface();
    CSurface* s = *surface;
    s->Release();
    // Other surfaces alive (panels, views) keep the shared primary; one of
    // another mode's size would keep the game in the old mode.
    if (plat::DDSurface* p = CSurface::s_pPrimary; p && (p->Width() != width || p->Height() != height)) {
        if (CSurface::s_pGammaControl) CSurface::s_pGammaControl->Release();
        CSurface::s_pGammaControl = nullptr;
        p->Release();
        CSurface::s_pPrimary = nullptr;
    }
    if (!s->SetDisplayMode(window, width, height, 16, 1, plat::DDSCL_FULLSCREEN | plat::DDSCL_EXCLUSIVE)) return 0;
    if (!CSurface::s_pGammaControl && CSurface::s_pPrimary &&
        CSurface::s_pPrimary->QueryGammaControl(&CSurface::s_pGammaControl) != plat::DD_OK)
        CSurface::s_pGammaControl = nullptr;
    s->AttachClipper(window);
    s->FillScreenRect(window, 0, 0, width, height, 0);
    s->FillAll(0);
    return 1;
}

void DisplayRestoreDesktop(CSurface* surface) {
    if (surface) surface->RestoreDisplayMode();
}

int DisplayIsPrimaryLost(CSurface* surface) {
    if (!surface || !CSurface::s_pPrimary) return 0;
    return CSurface::s_pPrimary->IsLost() == plat::DDERR_SURFACELOST ? 1 : 0;
}

void DisplayZoomBlit(CSurface* surface, float zoom) {
    if (!surface || !surface->m_pSurface) return;
    const int32_t w = surface->m_Width, h = surface->m_Height;
    const int32_t mx = static_cast<int32_t>(static_cast<float>(w) * zoom);
    const int32_t my = static_cast<int32_t>(static_cast<float>(h) * zoom);
    const plat::Rect src{mx, my, w - mx, h - my};
    const plat::Rect dst{0, 0, w, h};
    // Source and destination are the same surface; the device reads the
    // source through a copy, so the overlap does not smear.
    surface->m_pSurface->Blt(&dst, surface->m_pSurface, &src, plat::DDBLT_WAIT, nullptr);
}

void DisplayDelete(CSurface** surface) {
    if (g_Screen.m_pDisplay == *surface) g_Screen.m_pDisplay = nullptr;
    delete *surface;
    *surface = nullptr;
}

void DisplayTakeScreenshot(CSurface* surface, int width, int height) {
    // With a size: the back buffer scaled to it; without: the primary as it is.
    if (width > 0 && height > 0) {
        if (surface && surface->m_pSurface) DRAW_CopyScreenSized(CSurface::s_pDD, surface->m_pSurface, width, height);
        return;
    }
    if (CSurface::s_pPrimary) DRAW_CopyScreen(CSurface::s_pPrimary);
}

// ---------------------------------------------------------------- client

bool ClientExists() { return g_GameHost.m_pClient != nullptr; }
bool ClientIsActive() { return g_GameHost.m_pClient && g_GameHost.m_pClient->IsActive(); }
void ClientMakeWorldCurrent() {
    if (CClient* c = g_GameHost.m_pClient; c && c->m_pWorld) c->m_pWorld->MakeCurrent();
}
void ClientDrawView(CSurface* target) { g_GameHost.Draw(target); }
void ClientUpdateViewPort() {
    if (CClient* c = g_GameHost.m_pClient; c && c->m_pViewPort) c->m_pViewPort->Update();
}
void ClientStartShake() {
    if (CClient* c = g_GameHost.m_pClient; c && c->m_pViewPort) c->m_pViewPort->StartShake();
}
void ClientScrollView(int step) {
    if (CClient* c = g_GameHost.m_pClient; c && c->m_pViewPort) c->m_pViewPort->ScrollView(step);
}
bool PlayerTargetCannotAct() {
    CClient* c = g_GameHost.m_pClient;
    if (!c || !c->m_pSelection) return false;
    if (c->m_pWorld) c->m_pWorld->MakeCurrent();
    CRole* role = c->m_pSelection->GetRole();
    CActor* target = role ? role->GetTargetRole() : nullptr;
    auto* targetRole = dynamic_cast<CRole*>(target);
    return targetRole && targetRole->CannotAct();
}
void RunSceneBlackTriggers() {
    CScene* scene = g_GameHost.m_pClient ? g_GameHost.m_pClient->GetScene() : nullptr;
    if (scene && scene->m_pTriggers) scene->m_pTriggers->RunTriggersBlack();
}

int (*g_SaveRunningGame)() = SaveRunningGameImpl;

int LoadSavedGame(const std::string& name) {
    if (g_SaveMgr.Load(name.c_str())) return 1;
    // The player learns why, and the title comes back instead of a game
    // with nothing running in it.
    plat::MessageBox(g_SaveMgr.LastError(), "vantrel", plat::MB_OK);
    g_GameMain.m_ReqState = GS_TITLE;
    return 0;
}

// ---------------------------------------------------------------- save manager

int SaveGameExists(const char* name) { return g_SaveMgr.SaveExists(name); }

int SaveSetMonthDay(int month, int day) { return g_SaveMgr.SetMonthDay(month, day); }

void SaveSetNewGame(const char* name, int difficulty) {
    // The form refuses such names first; the manager never takes one.
    if (!name || !IsValidSaveName(name)) {
        plat::DebugPrintf("save: new game name refused\n");
        return;
    }
    g_SaveMgr.m_SaveName = name;
    g_SaveMgr.m_Difficulty = difficulty < 0 || difficulty > 3 ? 1 : difficulty;
    g_SaveMgr.m_DeathCount = 0;
    g_SaveMgr.ResetPlayTime();
}
