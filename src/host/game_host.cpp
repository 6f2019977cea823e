#include "host/game_host.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "client/painter.h"
#include "client/player_control.h"
#include "client/recording_client.h"
#include "client/selection.h"
#include "core/msg_lists.h"
#include "gfx/res_lib.h"
#include "host/player_record.h"
#include "platform/debug.h"
#include "platform/window.h"
#include "roles/role.h"
#include "world/scene/scn_mng.h"
#include "world/sky/weather.h"

CGameHost g_GameHost;
CRoleData* g_LocalPlayerRecord = nullptr;
CHostUiHooks g_HostUiHooks;

namespace {
constexpr float kCombatZoomMax = 0.15f * 0.25f;  // 0.0375
} // namespace

int GetGameMode() { return kGameModeLocal; }

float CombatZoomForDistance(int dx, int dy) {
    const double ax = std::abs(dx), ay = std::abs(dy);
    float d = static_cast<float>(static_cast<int>(std::sqrt(ax * ax + ay * ay)));
    if (d < 128.0f) d = 128.0f;
    float z = 0.0f;
    if (d <= 320.0f) z = (1.0f - d / 320.0f) * 0.15f;
    if (z > kCombatZoomMax) z = kCombatZoomMax;
    return z;
}

CGameHost::CGameHost() {
    m_pControl = new CPlayerControl();
    g_PlayerControl = m_pControl;
    m_Paused = 1;
    // The game object's zoom target starts at 0.0 already, so the combat
    // zoom's "off" needs no request here.
    m_CombatZoom = 0;
    m_WaitFlag = 0;
    m_StartMode = 0;  // packet recording is off in this game
}

CGameHost::~CGameHost() {
    FreeParts();
    if (g_PlayerControl == m_pControl) g_PlayerControl = nullptr;
    delete m_pControl;
    m_pControl = nullptr;
}

void CGameHost::FreeParts() {
    delete m_pClient;
    m_pClient = nullptr;
    delete m_pServer;
    m_pServer = nullptr;
    delete m_pClient2;
    m_pClient2 = nullptr;
    delete m_pServer2;
    m_pServer2 = nullptr;
}

CGameHost& CGameHost::operator=(CGameHost&& other) noexcept {
    if (this == &other) return *this;
    Shutdown();
    std::swap(m_pServer, other.m_pServer);
    std::swap(m_pClient, other.m_pClient);
    std::swap(m_pControl, other.m_pControl);
    std::swap(m_pServer2, other.m_pServer2);
    std::swap(m_pClient2, other.m_pClient2);
    std::swap(m_Paused, other.m_Paused);
    std::swap(m_StartMode, other.m_StartMode);
    std::swap(m_StartFile, other.m_StartFile);
    std::swap(m_WaitFlag, other.m_WaitFlag);
    std::swap(m_CombatZoom, other.m_CombatZoom);
    std::swap(m_ZoomRequestPending, other.m_ZoomRequestPending);
    std::swap(m_ZoomRequest, other.m_ZoomRequest);
    std::swap(m_Running, other.m_Running);
    std::swap(m_FrameSteps, other.m_FrameSteps);
    g_PlayerControl = m_pControl;
    if (m_pServer) m_pServer->m_SetPaused = [this](int on) { SetPaused(on); };
    if (other.m_pServer) other.m_pServer->m_SetPaused = [p = &other](int on) { p->SetPaused(on); };
    return *this;
}

int CGameHost::Start(CRoleData* record) {
    if (record) {
        g_LocalPlayerRecord = record;
    } else {
        CRoleData* r = NewPlayerRecord();
        g_LocalPlayerRecord = r;
        const int cls = g_HostUiHooks.getNewCharacterClass ? g_HostUiHooks.getNewCharacterClass() : 0;
        plat::DebugPrintf("host new character class %d\n", cls);
        PlayerRecordNewCharacter(r, cls);
        if (g_HostUiHooks.clearShortcutSlots) g_HostUiHooks.clearShortcutSlots();
    }
    ResetGameClock();
    if (GetGameMode() == kGameModeLocal) {
        plat::SetWindowText(plat::GetMainWindow(), "VantrelServer");
        CreateServer();
        CreateClient(1);
        if (m_pServer) {
            const std::string scene = PlayerRecordReviveScene(g_LocalPlayerRecord);
            m_pServer->EnterScene(scene.c_str(), 0, 0, nullptr, 0, 0);
        }
    }
    m_Running = 1;
    return 1;
}

void CGameHost::CreateServer() {
    m_pServer = new CScnMng();
    m_pServer->m_SetPaused = [this](int on) { SetPaused(on); };
}

void CGameHost::CreateClient(int loading) {
    m_pClient = new CRecordingClient();
    m_pClient->SetLoading(loading);
}

void CGameHost::DestroyClient() {
    SetPaused(0);
    delete m_pClient;
    m_pClient = nullptr;
    g_ResList.RemoveAllNoUse();
    if (g_HostUiHooks.resetQuestJM) g_HostUiHooks.resetQuestJM();
}

void CGameHost::DestroyServer() {
    SetPaused(0);
    delete m_pServer;
    m_pServer = nullptr;
    g_ResList.RemoveAllNoUse();
}

void CGameHost::Shutdown() {
    DestroyClient();
    DestroyServer();
    DeletePlayerRecord(g_LocalPlayerRecord);
    g_LocalPlayerRecord = nullptr;
    delete m_pServer2;
    m_pServer2 = nullptr;
    delete m_pClient2;
    m_pClient2 = nullptr;
    m_Running = 0;
}

void ServerStep() {
    CGameHost& host = g_GameHost;
    g_InServerStep = 1;
    if (!host.m_Paused) {
        TickGameClock();
        host.DrainServerCommands();
        if (host.m_pServer) host.m_pServer->Tick();
    } else {
        host.DrainServerCommands();
    }
    g_InServerStep = 0;
}

int CGameHost::FrameStep() {
    ++m_FrameSteps;
    if (m_Paused) {
        if (m_pClient) {
            if (m_pServer) ServerStep();
            if (m_pClient->IsActive() && m_pControl) m_pControl->HandleKeys();
        }
    } else {
        if (m_pServer) {
            ServerStep();
        } else {
            TickGameClock();
            if (m_pClient && m_pClient->IsActive()) m_pClient->UpdateWorld();
        }
        if (m_pClient) {
            SetCurrentScene(m_pClient->GetScene());
            DrainClientMessages();
            if (m_pClient && m_pClient->IsActive()) m_pClient->Step();
        }
    }
    UpdateCombatZoom();
    return 1;
}

void CGameHost::DrainServerCommands() {
    plat::LockGuard lock(g_MsgListLock);
    while (CObjNode* head = g_ServerCmdList.Head()) {
        auto* node = static_cast<CServerCmdNode*>(head);
        const std::string text = node->m_Text;
        const int sender = node->m_Sender;
        // Taken off the list before the handler runs, so a command it posts
        // lands behind the rest.
        g_ServerCmdList.SetCursor(node);
        g_ServerCmdList.RemoveCurrent();
        const int go_on = m_pServer ? m_pServer->OnCreateClient(text.c_str(), sender) : 1;
        if (!go_on) break;
    }
}

void CGameHost::DrainClientMessages() {
    plat::LockGuard lock(g_MsgListLock);
    // A packet posted while one is handled joins the tail and is reached in
    // this same walk.
    for (CObjNode* n = g_ClientMsgList.Head(); n; n = n->Next()) {
        auto* node = static_cast<CClientMsgNode*>(n);
        if (m_pClient) m_pClient->HandlePacket(node->m_pData, node->m_Length);
    }
    g_ClientMsgList.RemoveAll();
}

void CGameHost::SetCombatZoom(int on) {
    m_CombatZoom = on;
    if (!on) {
        m_ZoomRequest = 0.0f;
        m_ZoomRequestPending = 1;
    }
}

void CGameHost::UpdateCombatZoom() {
    if (!m_CombatZoom) return;
    float z = 0.0f;
    const CRole* role = m_pClient && m_pClient->m_pSelection ? m_pClient->m_pSelection->GetRole() : nullptr;
    if (const CGameObj* target = role ? const_cast<CRole*>(role)->GetTarget() : nullptr)
        z = CombatZoomForDistance(role->m_X - target->m_X, role->m_Y - target->m_Y);
    if (z > kCombatZoomMax) z = kCombatZoomMax;
    m_ZoomRequest = z;
    m_ZoomRequestPending = 1;
}

int CGameHost::TakeZoomRequest(float* value) {
    if (!m_ZoomRequestPending) return 0;
    m_ZoomRequestPending = 0;
    if (value) *value = m_ZoomRequest;
    return 1;
}

void CGameHost::SetStartMode(const char* name, int mode) {
    m_StartMode = mode;
    m_StartFile = name ? name : "";
}

int CGameHost::OnActivate(int code, int a, int b) {
    if (m_pClient && m_pClient->m_pWeather) {
        if (code == 0) m_pClient->m_pWeather->RestoreEffects();
        else if (code == 1) m_pClient->m_pWeather->ReleaseEffects();
    }
    if (m_pClient && m_pClient->m_pViewPort) m_pClient->m_pViewPort->OnDisplayEvent(code, a, b);
    return 1;
}

void CGameHost::Draw(CSurface* surface) {
    if (m_pClient) m_pClient->Draw(surface);
}

int CGameHost::ClientsShareScene() {
    // No world carries a scene name yet; with the second client slot never
    // filled the answer is 0 anyway.
    if (!m_pClient || !m_pClient2 || !m_pClient->m_pWorld || !m_pClient2->m_pWorld) return 0;
    return 0;
}

CRoleData* GetPlayerRecord(int id) { return id == -1 ? nullptr : g_LocalPlayerRecord; }

CRoleData* GetLocalPlayerRecord() {
    // The client's controlled role, through its selection; the one player
    // record is that role's while it has a data id.
    const CClient* c = g_GameHost.m_pClient;
    const CRole* role = c && c->m_pSelection ? c->m_pSelection->GetRole() : nullptr;
    return role ? GetPlayerRecord(role->m_DataId) : nullptr;
}
