#include "world/scene/scn_mng.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "core/bin_file.h"
#include "core/directories.h"
#include "core/msg_lists.h"
#include "core/txt_table.h"
#include "gfx/res_lib.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "platform/text.h"
#include "sound/sound_play.h"
#include "world/objects/endpoint_objects.h"
#include "world/objects/game_obj.h"
#include "world/objects/obj_desc.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/scene/world_sound.h"

CScene* g_CurScene = nullptr;
int g_InServerStep = 0;
int g_LastCommandSender = 0;
int g_ClientCount = 0;
CScnMng* g_LiveScnMng = nullptr;
CSceneHooks g_SceneHooks;

namespace {

constexpr int kTicksPerSecond = 28;
constexpr int kOrderPacket = 240;
constexpr int kLeavePacket = 241;
constexpr const char* kNoScene = "NULL";
constexpr const char* kMissingScene = " Not Find This Scn Name !";
// A scene change that would need a 101st live scene.
constexpr const char* kTooManyScenes = " Too Many Scn !";

CViewTracker* AsTracker(CObjNode* n) { return static_cast<CViewTracker*>(n); }

// The object of a handle in the scene's own table (the 16 bits a packet
// carries: index and generation bit).
CGameObj* ResolveIn(CWorld* world, uint32_t handle) {
    if (!world || !world->m_pHandles) return nullptr;
    return world->m_pHandles->Resolve16(static_cast<uint16_t>(handle & 0xFFFF));
}

int32_t PlayerDataId() { return g_SceneHooks.getPlayerDataId ? g_SceneHooks.getPlayerDataId() : 1; }

CRoleData* RecordOf(const CGameObj* role) {
    return role && g_SceneHooks.getRecord ? g_SceneHooks.getRecord(role->m_DataId) : nullptr;
}

bool SceneFileExists(const char* name) {
    const std::string path = std::string(GetProgramDirectory()) + "cj\\" + name + ".scn";
    return FileExists(path.c_str()) != 0;
}

} // namespace

void SetCurrentScene(CScene* scene) {
    g_CurScene = scene;
    if (scene && scene->m_pWorld)
        scene->m_pWorld->MakeCurrent();
    else
        ClearCurrentWorld();
}

// ------------------------------------------------------------------ scene

CScene::CScene(const char* name) {
    m_SendMode = 1;
    m_pWorld = new CWorld();
    std::snprintf(m_pWorld->m_ScnName, sizeof m_pWorld->m_ScnName, "%s", name ? name : "");
    if (g_SceneHooks.createTriggers) m_pTriggers = g_SceneHooks.createTriggers(this);
}

CScene::~CScene() {
    RemoveAllClients();
    m_Removals.RemoveAll();
    if (m_pTriggers && g_SceneHooks.deleteTriggers) g_SceneHooks.deleteTriggers(m_pTriggers);
    m_pTriggers = nullptr;
    const bool current = m_pWorld && g_CurObjMng == &m_pWorld->m_ObjMng;
    delete m_pWorld;
    m_pWorld = nullptr;
    if (current) ClearCurrentWorld();
    if (g_CurScene == this) g_CurScene = nullptr;
}

const char* CScene::GetName() const { return m_pWorld ? m_pWorld->m_ScnName : ""; }

int CScene::GetScnType() const {
    const CTxtRow* row = m_pWorld ? m_pWorld->m_pScnRow : nullptr;
    return row ? row->GetInt(2) : 0;
}

int CScene::GetLevelOffset() const { return std::max(GetScnType() - 2, 0); }

void CScene::SetId(int id) {
    m_Id = id;
    SetCurrentScene(this);
}

// ---------------------------------------------------------------- sending

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
    for (CObjNode* n = m_Trackers.Head(); n; n = n->Next()) SendTo(packet, AsTracker(n)->m_ClientId);
    ClearTextLines();
}

void CScene::SendInView(const uint8_t* packet, int x, int y) {
    for (CObjNode* n = m_Trackers.Head(); n; n = n->Next())
        if (AsTracker(n)->ViewHolds(x, y)) SendTo(packet, AsTracker(n)->m_ClientId);
    ClearTextLines();
}

void CScene::SendToWatchers(const uint8_t* packet) {
    const uint16_t handle = GetU16(packet + 1);
    for (CObjNode* n = m_Trackers.Head(); n; n = n->Next()) {
        const CViewTracker* t = AsTracker(n);
        for (CObjNode* e = t->m_SeenRoles.Head(); e; e = e->Next()) {
            if ((static_cast<CViewEntry*>(e)->m_Handle & 0xFFFF) == handle) {
                SendTo(packet, t->m_ClientId);
                break;
            }
        }
    }
    ClearTextLines();
}

void CScene::SendObjText(uint32_t handle, const char* text) {
    AddTextLine(text);
    PacketFields f;
    f.type = kPacketRoleState;
    f.sub = kRoleSubSprite;
    f.handle = handle;
    uint8_t packet[kObjTextSize];
    WritePacket(f, packet, kObjTextSize);
    SendToWatchers(packet);
}

void CScene::UpdateViews(uint32_t handle) {
    for (CObjNode* n = m_Trackers.Head(); n; n = n->Next()) AsTracker(n)->UpdateView(handle);
}

void CScene::UntrackAll(uint32_t handle) {
    for (CObjNode* n = m_Trackers.Head(); n; n = n->Next()) AsTracker(n)->Untrack(handle);
}

void CScene::TrackObjectAll(uint32_t handle, int on) {
    for (CObjNode* n = m_Trackers.Head(); n; n = n->Next()) AsTracker(n)->TrackObject(handle, on);
}

void CScene::TrackBuildingAll(uint32_t handle, int on) {
    for (CObjNode* n = m_Trackers.Head(); n; n = n->Next()) AsTracker(n)->TrackBuilding(handle, on);
}

// ---------------------------------------------------------------- clients

CViewTracker* CScene::GetFirstTracker() {
    m_Trackers.SetCursor(m_Trackers.Head());
    return m_Trackers.Head() ? AsTracker(m_Trackers.Head()) : nullptr;
}

CViewTracker* CScene::FindTrackerByClient(int clientId) {
    for (CObjNode* n = m_Trackers.Head(); n; n = n->Next()) {
        if (AsTracker(n)->m_ClientId == clientId) {
            m_Trackers.SetCursor(n);
            return AsTracker(n);
        }
    }
    return nullptr;
}

CViewTracker* CScene::FindTrackerByRole(uint32_t handle) {
    for (CObjNode* n = m_Trackers.Head(); n; n = n->Next()) {
        if (AsTracker(n)->m_RoleHandle == handle) {
            m_Trackers.SetCursor(n);
            return AsTracker(n);
        }
    }
    return nullptr;
}

void CScene::SetState(int state) {
    m_State = state;
    m_ResetCounter = 0;
    if (state != 1) return;
    PacketFields f;
    f.type = kPacketReset;
    f.sub = kNoticeVersus;
    f.value = 1;
    uint8_t notice[kResetNoticeSize];
    WritePacket(f, notice, kResetNoticeSize);
    Broadcast(notice);
    if (!m_pWorld) return;
    // File order: from the last index back to the first.
    std::vector<const CScnPortal*> portals;
    for (int i = m_pWorld->m_Portals.Last(); i >= 0; i = m_pWorld->m_Portals.Prev(i))
        if (const CScnPortal* p = m_pWorld->m_Portals.GetAt(i)) portals.push_back(p);
    if (portals.empty()) return;
    size_t i = 0;
    for (CObjNode* n = m_Trackers.Head(); n; n = n->Next(), ++i) {
        const CScnPortal* p = portals[i % portals.size()];
        CGameObj* role = ResolveIn(m_pWorld, AsTracker(n)->m_RoleHandle);
        if (!role || !role->IsRole()) continue;
        if (g_SceneHooks.placeNear) g_SceneHooks.placeNear(role, p->m_X, p->m_Y, 0);
        if (g_SceneHooks.setDirection) g_SceneHooks.setDirection(role, p->m_Dir);
    }
}

void CScene::ReceiveMsg(const uint8_t* packet, CViewTracker* tracker) {
    if (!packet) return;
    if (packet[0] == kOrderPacket) {
        if (IsResetting()) return;
        CGameObj* role = ResolveIn(m_pWorld, GetU16(packet + 1));
        if (!role || !role->IsRole()) return;
        if (g_SceneHooks.order)
            g_SceneHooks.order(role, packet[5], GetU32(packet + 6), GetU32(packet + 10), GetU32(packet + 14));
    } else if (packet[0] == kLeavePacket && packet[1] == 0 && tracker) {
        tracker->OnRoleLeaves();
    }
}

CGameObj* CScene::JoinAtPortal(const char* fromScene, int entry, int clientId) {
    const std::string from = fromScene ? fromScene : "";
    std::string name;
    if (g_SceneHooks.isLocalPlayerDead && g_SceneHooks.isLocalPlayerDead()) {
        name = "DEAD";
    } else if (entry == 0) {
        name = from;
    } else if (entry == -1) {
        if (g_WorldSound.playEffect) g_WorldSound.playEffect(112, 0, 100, 0);
        name = "CSD";
    } else {
        name = from + std::to_string(entry);
    }
    const CScnPortal* portal = m_pWorld ? m_pWorld->FindPortal(name.c_str()) : nullptr;
    if (!portal && m_pWorld) portal = m_pWorld->GetLastPortal();
    CGamePoint pos{100, 100};
    int dir = 4;
    if (portal) {
        pos = {portal->m_X, portal->m_Y};
        dir = portal->m_Dir;
    } else {
        plat::MessageBox("not " + name + "Portal Point!", "");
        // The fallback point must lie on the map, however small.
        if (m_pWorld) {
            pos.x = std::clamp(pos.x, 0, std::max(m_pWorld->m_MapGrid.Width() - 1, 0));
            pos.y = std::clamp(pos.y, 0, std::max(m_pWorld->m_MapGrid.Height() - 1, 0));
        }
    }
    return CreateClient(from.c_str(), pos, dir, clientId);
}

CGameObj* CScene::CreateClient(const char* fromScene, const CGamePoint& pos, int dir, int clientId) {
    auto* tracker = new CViewTracker;
    tracker->Init(clientId, pos, dir);
    tracker->m_FromScene = fromScene ? fromScene : "";
    m_Trackers.AddTail(tracker);
    ++g_ClientCount;
    return CreateClientRole(tracker, -1);
}

CGameObj* CScene::CreateClientRole(CViewTracker* tracker, int32_t dataId) {
    if (!tracker || !m_pWorld) return nullptr;
    if (dataId == -1) dataId = PlayerDataId();
    SetCurrentScene(this);
    if (tracker->m_RoleHandle != 0xFFFFFFFFu) {
        if (CGameObj* old = ResolveIn(m_pWorld, tracker->m_RoleHandle)) old->Remove();
    }
    const CGamePoint pos = tracker->GetEntryPos();
    CGameObj* role = m_pWorld->m_ObjMng.AddRole(static_cast<uint16_t>(dataId), pos.x, pos.y, 1, 0, 0, -1, -1);
    if (!role) return nullptr;
    if (auto* d = dynamic_cast<CObjDesc11*>(role->GetDesc())) d->SetText("Default");
    role->SetName("Default");

    tracker->Bind(role->m_Handle);
    PacketFields jf;
    jf.type = kPacketRole;
    jf.sub = 1;
    jf.handle = role->m_Handle;
    jf.id = m_Id;
    jf.ambient = m_Weather.m_AmbientMode;
    jf.night = m_Weather.m_NightLevel;
    jf.day = m_Weather.m_DayLevel;
    jf.column6 = m_Weather.m_Column6;
    jf.weather = m_Weather.m_Kind;
    jf.duration = m_Weather.m_Countdown;
    uint8_t join[kJoinPacketSize];
    WritePacket(jf, join, kJoinPacketSize);
    Send(join, tracker->m_ClientId);
    uint8_t clock[kClockPacketSize] = {};
    BuildClockPacket(*GetGameClock(), clock);
    Send(clock, tracker->m_ClientId);

    role->m_DerivedWord = static_cast<int32_t>(tracker->m_RoleHandle);
    if (dataId == PlayerDataId() && g_SceneHooks.loadFromSheet) g_SceneHooks.loadFromSheet(role);
    if (CRoleData* record = RecordOf(role); record && g_SceneHooks.setRoleRef)
        g_SceneHooks.setRoleRef(record, m_Id, role->m_Handle);

    const CTxtRow* row = m_pWorld->m_pScnRow;
    const char* flag = row ? row->GetString(21) : nullptr;
    if (flag && std::strlen(flag) > 2 && m_pTriggers) {
        const std::string cond = std::string("IsFlag ") + flag + " 0";
        if (g_SceneHooks.evalCondition && g_SceneHooks.evalCondition(m_pTriggers, cond.c_str(), role->m_Handle)) {
            const std::string action = std::string("SetFlag ") + flag + " 1";
            if (g_SceneHooks.executeActions) g_SceneHooks.executeActions(m_pTriggers, action.c_str(), role);
        }
    }
    if (g_SceneHooks.saveGame) g_SceneHooks.saveGame(role);
    if (m_pTriggers && g_SceneHooks.setPlayerHandle) g_SceneHooks.setPlayerHandle(m_pTriggers, role->m_Handle);
    return role;
}

void CScene::RemoveClient(int clientId) {
    CViewTracker* tracker = FindTrackerByClient(clientId);
    if (!tracker) return;
    if (CGameObj* role = ResolveIn(m_pWorld, tracker->m_RoleHandle); role && role->IsRole()) {
        if (CRoleData* record = RecordOf(role); record && g_SceneHooks.resetLocals) g_SceneHooks.resetLocals(record);
        if (g_SceneHooks.saveToSheet) g_SceneHooks.saveToSheet(role);
        if (g_SceneHooks.die) g_SceneHooks.die(role, 1, 0);
    }
    if (g_SceneHooks.isClientActiveIn && g_SceneHooks.isClientActiveIn(this)) {
        if (g_SceneHooks.deactivateClient) g_SceneHooks.deactivateClient();
    } else if (g_InServerStep) {
        PacketFields f;
        f.type = kPacketLeaveAck;
        f.sub = 1;
        uint8_t ack[kLeaveAckSize];
        WritePacket(f, ack, kLeaveAckSize);
        Send(ack, clientId);
    }
    delete tracker;
    --g_ClientCount;
}

void CScene::RemoveAllClients() {
    while (CObjNode* n = m_Trackers.Head()) {
        const int before = m_Trackers.GetCount();
        RemoveClient(AsTracker(n)->m_ClientId);
        if (m_Trackers.GetCount() == before) delete n;  // never stuck
    }
}

void CScene::AddDelayedRemoval(int clientId, int ticks) {
    auto* r = new CDelayedRemoval;
    r->m_ClientId = clientId;
    r->m_Countdown = ticks;
    m_Removals.AddTail(r);
}

// ------------------------------------------------------------ activity

void CScene::SetActive(int on) {
    on = on ? 1 : 0;
    if (on == m_Active || !m_pWorld) return;
    CObjMng& mng = m_pWorld->m_ObjMng;
    if (!on) {
        for (CObjNode* n = mng.m_Magic.Head(); n;) {
            static_cast<CGameObj*>(n)->Remove();
            mng.m_Magic.SetCursor(n);
            n = CListWalk::RemoveCurrent(mng.m_Magic);
        }
        if (m_pWorld->m_pMagicList && g_SceneHooks.removeAllMagic) g_SceneHooks.removeAllMagic(m_pWorld->m_pMagicList);
        for (CObjNode* n = mng.m_Roles.Head(); n; n = n->Next()) static_cast<CGameObj*>(n)->FreeRes();
        for (CObjNode* n = mng.m_SceneObjs.Head(); n; n = n->Next()) static_cast<CGameObj*>(n)->FreeRes();
        m_pWorld->m_MapGrid.Clear();
        g_ResList.RemoveNoUse();
        if (CResLib* lib0 = g_ResList.GetLib(0)) lib0->RemoveAllNoUse();
        m_Active = 0;
        return;
    }
    // The grid and the objects' marks are made in this world.
    SetCurrentScene(this);
    LoadMap(m_pWorld);
    SetCurrentScene(this);
    mng.PlaceAll();
    mng.ResetCorpses();
    for (CObjNode* n = mng.m_Roles.Head(); n; n = n->Next()) static_cast<CGameObj*>(n)->LoadRes();
    for (CObjNode* n = mng.m_SceneObjs.Head(); n; n = n->Next()) static_cast<CGameObj*>(n)->LoadRes();
    m_Active = 1;
    SetCurrentScene(this);
}

void CScene::Tick() {
    if (m_pWorld) {
        m_pWorld->m_ObjMng.Update();
        m_pWorld->m_ObjMng.UpdateActions();
        if (m_pWorld->m_pMagicList && g_SceneHooks.stepMagicList) g_SceneHooks.stepMagicList(m_pWorld->m_pMagicList);
        m_pWorld->m_LightList.Update();
    }
    m_Weather.Tick();
    for (CObjNode* n = m_Removals.Head(); n;) {
        auto* r = static_cast<CDelayedRemoval*>(n);
        if (--r->m_Countdown > 0) {
            n = n->Next();
            continue;
        }
        const int client = r->m_ClientId;
        m_Removals.SetCursor(n);
        n = m_Removals.RemoveCurrent();
        RemoveClient(client);
    }
    if (m_pTriggers && g_SceneHooks.tickTriggers) g_SceneHooks.tickTriggers(m_pTriggers);
    if (IsResetting()) {
        ++m_ResetCounter;
        if (m_State == 1 && m_ResetCounter >= kTicksPerSecond) m_State = 0;
    }
}

void CScene::ResetObjects() {
    if (m_pTriggers && g_SceneHooks.runTransitionTriggers) g_SceneHooks.runTransitionTriggers(m_pTriggers, nullptr, 0);
    if (m_pWorld) m_pWorld->m_ObjMng.ResetCorpses();
}

// ---------------------------------------------------------- scene manager

CScnMng::CScnMng() : CSlotList<CScene*, 100>(nullptr) {
    g_LiveScnMng = this;
    InstallEndpointObjects();
}

CScnMng::~CScnMng() {
    DeleteAllScenes();
    if (g_LiveScnMng == this) g_LiveScnMng = nullptr;
}

template <class F>
void CScnMng::WithSceneCurrent(CScene* scene, F fn) {
    CScene* prev = g_CurScene;
    SetCurrentScene(scene);
    fn();
    if (prev && prev != scene && Find(prev) >= 0) {
        SetCurrentScene(prev);
    } else {
        g_CurScene = nullptr;
        ClearCurrentWorld();
    }
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

CScene* CScnMng::SelectScene(int slot) {
    CScene* scene = IsUsed(slot) ? GetAt(slot) : nullptr;
    if (scene) SetCurrentScene(scene);
    return scene;
}

CScene* CScnMng::SelectSceneByName(const char* name) {
    if (!name) return nullptr;
    for (int i = First(); i >= 0; i = Next(i)) {
        CScene* s = GetAt(i);
        if (s && plat::EqualsNoCase(s->GetName(), name)) {
            m_Cursor = i;
            SetCurrentScene(s);
            return s;
        }
    }
    return nullptr;
}

CScene* CScnMng::FindSceneOfClient(int clientId) {
    for (int i = First(); i >= 0; i = Next(i)) {
        CScene* s = GetAt(i);
        if (s && s->FindTrackerByClient(clientId)) {
            m_Cursor = i;
            SetCurrentScene(s);
            return s;
        }
    }
    return nullptr;
}

CScene* CScnMng::FindSceneById(int id) const {
    for (int i = First(); i >= 0; i = Next(i))
        if (CScene* s = GetAt(i); s && s->m_Id == id) return s;
    return nullptr;
}

void CScnMng::LeaveScene(int clientId) {
    if (CScene* s = FindSceneOfClient(clientId)) s->RemoveClient(clientId);
}

int CScnMng::ChangeScene(const char* name, int entry, int clientId, CScene* sceneLeft, uint32_t roleHandle,
                         uint32_t gateHandle) {
    const std::string target = name ? name : "";
    if (g_WorldHooks.closeSceneJM) g_WorldHooks.closeSceneJM();
    StopAllSounds();
    if (g_SceneHooks.resetClientLight) g_SceneHooks.resetClientLight();
    if (g_SceneHooks.resetView) g_SceneHooks.resetView(1000.0f);

    // The left scene may have gone since the request was made.
    if (sceneLeft && Find(sceneLeft) < 0) sceneLeft = nullptr;
    if (sceneLeft) {
        if (CViewTracker* t = sceneLeft->FindTrackerByRole(roleHandle)) clientId = t->m_ClientId;
    }
    if (target == kNoScene) return 1;
    // Every entry needs the descriptor, not only a change from a scene.
    if (!SceneFileExists(target.c_str())) {
        plat::MessageBox(kMissingScene, "");
        return 0;
    }
    const std::string from = sceneLeft ? sceneLeft->GetName() : kNoScene;

    CScene* scene = nullptr;
    for (int i = First(); i >= 0 && !scene; i = Next(i))
        if (CScene* s = GetAt(i); s && plat::EqualsNoCase(s->GetName(), target)) scene = s;
    // A new scene is built before the client leaves its old one, so that a
    // refusal leaves the client where it was.
    const bool created = scene == nullptr;
    if (created) {
        if (GetCount() >= kCapacity) {
            plat::MessageBox(kTooManyScenes, "");
            return 0;
        }
        scene = new CScene();
        int built = 0;
        WithSceneCurrent(scene, [&] { built = BuildMap(scene->m_pWorld, target.c_str()); });
        if (!built) {
            plat::MessageBox(kMissingScene, "");
            WithSceneCurrent(scene, [&] { delete scene; });
            return 0;
        }
    }
    if (sceneLeft) LeaveScene(clientId);

    if (created) {
        const int slot = Insert(First(), scene);
        scene->SetId(slot);
        if (scene->m_pTriggers && g_SceneHooks.loadSceneTriggers)
            g_SceneHooks.loadSceneTriggers(scene->m_pTriggers, target.c_str());
    }
    SetCurrentScene(scene);

    if (const CTxtRow* row = scene->m_pWorld->m_pScnRow) {
        const CTxtRow* music = g_ScnSoundMdl.GetRow(row->GetInt(17));
        if (music && music->HasValue(1) && g_SceneHooks.playMusic)
            g_SceneHooks.playMusic(music->GetString(1), music->HasValue(2) ? 0 : 1);
    }
    if (!created) {
        if (scene->m_Active)
            scene->m_pWorld->m_ObjMng.ResetCorpses();
        else
            scene->SetActive(1);
    }

    CGameObj* role = nullptr;
    bool joined = false;
    if (gateHandle) {
        CGameObj* gate = scene->m_pWorld->m_pHandles ? scene->m_pWorld->m_pHandles->Resolve(gateHandle) : nullptr;
        if (gate && gate->GetDesc()) {
            joined = true;
            role = scene->CreateClient(from.c_str(), {gate->GetDesc()->m_X, gate->GetDesc()->m_Y}, 0, clientId);
            CRoleData* record = RecordOf(role);
            const int rp = record && g_SceneHooks.findReturnPortal ? g_SceneHooks.findReturnPortal(record, gateHandle)
                                                                   : -1;
            if (rp >= 0 && g_SceneHooks.getReturnPortalScene &&
                g_SceneHooks.getReturnPortalScene(record, rp) != scene->m_Id && g_SceneHooks.closeReturnPortal)
                g_SceneHooks.closeReturnPortal(record, rp);
        }
    }
    // A gate that does not resolve still brings the client in at a portal.
    if (!joined) role = scene->JoinAtPortal(from.c_str(), entry, clientId);

    if (role && g_SceneHooks.loadFromSheet) g_SceneHooks.loadFromSheet(role);
    if (created) {
        SetCurrentScene(scene);
        BuildObj(scene->m_pWorld);
    }
    SetCurrentScene(scene);

    if (CRoleData* record = RecordOf(role)) {
        if (g_SceneHooks.getFlag && g_SceneHooks.getFlag(record, "1-6s") > 0 &&
            !(g_SceneHooks.isNoticeFlagSet && g_SceneHooks.isNoticeFlagSet()) && plat::Rand() % 6 == 1) {
            const char* text = g_TextTable.GetCell(324, 1);
            if (g_SceneHooks.showNotice) g_SceneHooks.showNotice(text ? text : "");
        }
    }
    if (scene->m_pTriggers && g_SceneHooks.runTransitionTriggers)
        g_SceneHooks.runTransitionTriggers(scene->m_pTriggers, target.c_str(), created ? 1 : 0);
    return 1;
}

void CScnMng::ParkIdleScene() {
    for (int i = First(); i >= 0; i = Next(i)) {
        CScene* s = GetAt(i);
        if (!s || !s->m_Active || s->HasClients()) continue;
        if (s->GetScnType() == 1) {
            RemoveScene(s);
        } else {
            WithSceneCurrent(s, [&] { s->SetActive(0); });
        }
        return;
    }
}

void CScnMng::Tick() {
    if (m_DeleteAllPending) {
        m_DeleteAllPending = 0;
        // The scene a pending change leaves goes too; the change still
        // brings the client in, the one that scene's tracker of the role
        // names (a script's change names none).
        if (m_Pending && m_PendingLeft && m_PendingClient < 0 && Find(m_PendingLeft) >= 0)
            if (CViewTracker* t = m_PendingLeft->FindTrackerByRole(m_PendingRole)) m_PendingClient = t->m_ClientId;
        m_PendingLeft = nullptr;
        DeleteAllScenes();
    }
    if (m_Pending) {
        const std::string name = m_PendingName;
        ChangeScene(name.c_str(), m_PendingEntry, m_PendingClient, m_PendingLeft, m_PendingRole, m_PendingGate);
        if (m_PendingName == name) m_Pending = 0;
    }
    ParkIdleScene();
    for (int i = First(); i >= 0; i = Next(i)) {
        CScene* s = GetAt(i);
        if (!s || !s->m_Active) continue;
        SetCurrentScene(s);
        s->Tick();
    }
}

int CScnMng::OnCreateClient(const char* text, int sender) {
    g_LastCommandSender = sender;
    if (!text || text[0] != '#') return 1;
    std::istringstream in(text);
    std::vector<std::string> tokens;
    for (std::string t; in >> t;) tokens.push_back(t);
    if (tokens.empty() || tokens[0] != "#CreateClient") return 1;
    // A short command or a sender in no scene is consumed and does nothing.
    if (tokens.size() < 4) return 1;
    CScene* scene = FindSceneOfClient(sender);
    if (!scene) return 1;
    CViewTracker* tracker = scene->FindTrackerByClient(sender);
    const int32_t dataId = std::atoi(tokens[1].c_str());
    const int32_t x = std::atoi(tokens[2].c_str());
    const int32_t y = std::atoi(tokens[3].c_str());
    CGameObj* role = scene->CreateClientRole(tracker, dataId);
    if (role && g_SceneHooks.placeNear) g_SceneHooks.placeNear(role, x, y, 0);
    return 1;
}

void CScnMng::RemoveScene(CScene* scene) {
    const int slot = scene ? Find(scene) : -1;
    if (slot < 0) return;
    if (g_SceneHooks.detachClientFrom) g_SceneHooks.detachClientFrom(scene->m_pWorld);
    RemoveAt(slot);
    // The scene's roles and objects run their removal code in their own
    // world, whatever scene was current before.
    WithSceneCurrent(scene, [&] { delete scene; });
    g_ResList.RemoveNoUse();
}

void CScnMng::DeleteAllScenes() {
    while (Last() >= 0) {
        CScene* s = GetAt(Last());
        if (!s) {
            RemoveAt(Last());
            continue;
        }
        RemoveScene(s);
    }
    g_CurScene = nullptr;
    ClearCurrentWorld();
}

void CScnMng::DeleteInactiveScenes() {
    for (int i = First(); i >= 0;) {
        const int next = Next(i);
        if (CScene* s = GetAt(i); s && !s->m_Active) RemoveScene(s);
        i = next;
    }
}
