// PLACEHOLDER bodies (see scn_mng.h).
#include "world/scn_mng.h"

#include <cstring>
#include <strings.h>

#include "core/msg_lists.h"

CScene* g_CurScene = nullptr;
int g_InServerStep = 0;
int g_LastCommandSender = 0;
CScnMng* g_LiveScnMng = nullptr;

namespace {
CGameClock g_Clock;
} // namespace

void SetCurrentScene(CScene* scene) { g_CurScene = scene; }

CGameClock* GetGameClock() { return &g_Clock; }

void ResetGameClock() {
    g_Clock = CGameClock{};
    g_Clock.hour = 20;
}

void TickGameClock() {
    ++g_Clock.totalTicks;
    if (++g_Clock.tick >= 1501) {
        g_Clock.tick = 0;
        g_Clock.hour = (g_Clock.hour + 1) % 24;
    }
}

// ------------------------------------------------------------------ scene

CScene::CScene(const std::string& name) : m_Name(name) { m_SendMode = 1; }

CScene::~CScene() {
    if (g_CurScene == this) g_CurScene = nullptr;
}

void CScene::SendTo(const uint8_t* packet, int) {
    for (const std::string& line : m_TextLines) {
        const std::vector<uint8_t> text = BuildTextPacket(line);
        PostClientMessage(text.data(), static_cast<int>(text.size()));
    }
    const int n = packet ? GetPacketLength(packet) : 0;
    if (n > 0) PostClientMessage(packet, n);
}

void CScene::Send(const uint8_t* packet, int clientId) {
    SendTo(packet, clientId);
    ClearTextLines();
}

void CScene::Broadcast(const uint8_t* packet) {
    for (int c : m_Clients) SendTo(packet, c);
    ClearTextLines();
}

void CScene::SendInView(const uint8_t*, int, int) {}

void CScene::SetId(int id) {
    m_Id = id;
    SetCurrentScene(this);
}

void CScene::Tick() { ++m_Ticks; }

void CScene::CreateClient(int clientId) {
    m_Clients.push_back(clientId);
    uint8_t join[15] = {};
    join[0] = kPacketRole;
    join[3] = 1;
    PutU16(join + 4, static_cast<uint16_t>(m_Id & 0xFFFF));
    Send(join, clientId);
    const CGameClock* c = GetGameClock();
    uint8_t clock[8] = {};
    clock[0] = kPacketClock;
    PutU16(clock + 1, static_cast<uint16_t>(c->year));
    clock[3] = static_cast<uint8_t>(c->month);
    clock[4] = static_cast<uint8_t>(c->day);
    clock[5] = static_cast<uint8_t>(c->hour);
    PutU16(clock + 6, static_cast<uint16_t>(c->tick));
    Send(clock, clientId);
}

// ---------------------------------------------------------- scene manager

CScnMng::CScnMng() { g_LiveScnMng = this; }

CScnMng::~CScnMng() {
    for (auto& s : m_Scenes)
        if (g_CurScene == s.get()) g_CurScene = nullptr;
    m_Scenes.clear();
    if (g_LiveScnMng == this) g_LiveScnMng = nullptr;
}

void CScnMng::EnterScene(const char* name, int entry, int clientId, CScene* sceneLeft, uint32_t roleHandle,
                         uint32_t gateHandle) {
    m_Pending = 1;
    m_PendingName = name ? name : "";
    m_PendingEntry = entry;
    m_PendingClient = clientId;
    m_PendingLeft = sceneLeft;
    m_PendingRole = roleHandle;
    m_PendingGate = gateHandle;
    if (m_SetPaused) m_SetPaused(0);
}

CScene* CScnMng::SelectSceneByName(const char* name) {
    for (auto& s : m_Scenes)
        if (name && strcasecmp(s->m_Name.c_str(), name) == 0) return s.get();
    return nullptr;
}

CScene* CScnMng::FindSceneById(int id) const {
    for (const auto& s : m_Scenes)
        if (s->m_Id == id) return s.get();
    return nullptr;
}

int CScnMng::ChangeScene(const char* name, int, int clientId, CScene*, uint32_t, uint32_t) {
    if (!name || std::strcmp(name, "NULL") == 0) return 1;
    CScene* scene = SelectSceneByName(name);
    if (!scene) {
        m_Scenes.insert(m_Scenes.begin(), std::make_unique<CScene>(name));
        scene = m_Scenes.front().get();
        int id = 0;
        while (FindSceneById(id)) ++id;
        scene->SetId(id);
    }
    SetCurrentScene(scene);
    scene->CreateClient(clientId);
    return 1;
}

void CScnMng::Tick() {
    ++m_Ticks;
    if (m_Pending) {
        const std::string name = m_PendingName;
        ChangeScene(name.c_str(), m_PendingEntry, m_PendingClient, m_PendingLeft, m_PendingRole, m_PendingGate);
        if (m_PendingName == name) m_Pending = 0;
    }
    for (auto& s : m_Scenes)
        if (s->m_Active) s->Tick();
}

int CScnMng::OnCreateClient(const char* text, int sender) {
    g_LastCommandSender = sender;
    // No scene here can make roles yet: the command is consumed unchanged.
    (void)text;
    return 1;
}
