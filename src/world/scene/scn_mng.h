#pragma once
// The server side's scenes and their manager. A scene is one live world
// with the clients in it: a view tracker per client, the weather scheduler,
// the delayed client removals and the trigger system. It receives its
// clients' command packets and sends them packets through the client
// message list. The manager keeps up to 100 scenes, builds a scene on the
// first entry, parks or deletes idle ones and carries out scene changes.
#include <cstdint>
#include <functional>
#include <string>

#include "core/containers.h"
#include "core/geometry.h"
#include "core/msg_endpoint.h"
#include "world/sky/game_clock.h"
#include "world/objects/slot_list.h"
#include "world/sky/weather.h"

class CViewTracker;
class CTriggerMgr;
class CGameObj;
class CWorld;

// A client removal due after a countdown of ticks.
class CDelayedRemoval : public CObjNode {
public:
    int32_t m_ClientId = 0;
    int32_t m_Countdown = 0;
};

// Packets built by the scenes.
constexpr int kJoinPacketSize = 15;
constexpr int kLeaveAckSize = 2;
constexpr int kResetNoticeSize = 4;
constexpr int kObjTextSize = 4;

class CScene : public CMsgEndpoint {
public:
    // A new world, named `name` until a build names it from its descriptor.
    explicit CScene(const char* name = "");
    explicit CScene(const std::string& name) : CScene(name.c_str()) {}
    ~CScene() override;

    // Slot 0: to that client alone; the pending lines are cleared after.
    void Send(const uint8_t* packet, int clientId) override;
    // The pending lines as text packets, then the packet (length from
    // GetPacketLength), onto the client message list. Lines stay pending.
    void SendTo(const uint8_t* packet, int clientId);
    // The forms below clear the pending lines once after the last client.
    void Broadcast(const uint8_t* packet);
    // To every client whose view holds (x, y).
    void SendInView(const uint8_t* packet, int x, int y);
    // To every client that has seen the object of the u16 handle at 1-2.
    void SendToWatchers(const uint8_t* packet);
    // The text as a pending line, then packet 3/1 to the watchers.
    void SendObjText(uint32_t handle, const char* text);

    // Every tracker of the scene learns of the handle.
    void UpdateViews(uint32_t handle);
    void UntrackAll(uint32_t handle);
    void TrackObjectAll(uint32_t handle, int on);
    void TrackBuildingAll(uint32_t handle, int on = 1);

    // Sets the id and makes the scene current.
    void SetId(int id);
    const char* GetName() const;
    int GetScnType() const;
    int GetLevelOffset() const;
    int GetState() const { return m_State; }
    void SetState(int state);
    int IsResetting() const { return m_State != 0 ? 1 : 0; }
    int HasClients() const { return m_Trackers.GetCount() > 0 ? 1 : 0; }
    CViewTracker* GetFirstTracker();
    CViewTracker* FindTrackerByClient(int clientId);
    CViewTracker* FindTrackerByRole(uint32_t handle);

    // Packets from the client side: 240 orders, 241 leave.
    void ReceiveMsg(const uint8_t* packet, CViewTracker* tracker);
    // The client arrives at the portal its origin names.
    CGameObj* JoinAtPortal(const char* fromScene, int entry, int clientId);
    CGameObj* CreateClient(const char* fromScene, const CGamePoint& pos, int dir, int clientId);
    CGameObj* CreateClientRole(CViewTracker* tracker, int32_t dataId);
    void RemoveClient(int clientId);
    void RemoveAllClients();
    // Removes the client after `ticks` scene ticks.
    void AddDelayedRemoval(int clientId, int ticks);

    // Parks (0: objects keep, grid and resources go) or reactivates (1).
    void SetActive(int on);
    void Tick();
    void ResetObjects();

    CObjList m_Trackers;
    CWeatherRandom m_Weather;
    CObjList m_Removals;
    CTriggerMgr* m_pTriggers = nullptr;
    int32_t m_State = 0;
    int32_t m_ResetCounter = 0;
    int32_t m_Active = 1;
};

class CScnMng : public CSlotList<CScene*, 100> {
public:
    CScnMng();
    ~CScnMng() override;
    CScnMng(const CScnMng&) = delete;
    CScnMng& operator=(const CScnMng&) = delete;

    // Records the change (carried out by the next Tick) and unpauses the
    // game host through m_SetPaused.
    void EnterScene(const char* name, int entry, int clientId, CScene* sceneLeft, uint32_t roleHandle,
                    uint32_t gateHandle);
    // 1 when carried out (or "NULL"); 0 when refused, the client staying
    // where it was.
    int ChangeScene(const char* name, int entry, int clientId, CScene* sceneLeft, uint32_t roleHandle,
                    uint32_t gateHandle);
    void Tick();
    // Server text command; 1 when consumed (always), 0 would stop the
    // host's drain.
    virtual int OnCreateClient(const char* text, int sender);
    // The scene of a slot, made current; null for an empty slot.
    CScene* SelectScene(int slot);
    CScene* SelectSceneByName(const char* name);
    // The scene holding the client's tracker, made current; null when none.
    CScene* FindSceneOfClient(int clientId);
    CScene* FindSceneById(int id) const;
    void LeaveScene(int clientId);
    void RemoveScene(CScene* scene);
    void DeleteAllScenes();
    // Every scene is deleted first thing in the next Tick, before a scene
    // change requested meanwhile is carried out: the request may come from
    // inside one of the scenes' own tick.
    void RequestDeleteAllScenes() { m_DeleteAllPending = 1; }
    void DeleteInactiveScenes();
    int GetSceneCount() const { return GetCount(); }

    // Set by the game host: the world does not depend on the host.
    std::function<void(int)> m_SetPaused;

    int32_t m_Cursor = -1;
    int32_t m_Pending = 0;
    int32_t m_DeleteAllPending = 0;
    std::string m_PendingName;
    int32_t m_PendingEntry = 0;
    int32_t m_PendingClient = 0;
    CScene* m_PendingLeft = nullptr;
    uint32_t m_PendingRole = 0;
    uint32_t m_PendingGate = 0;

private:
    // Parks or deletes the first active scene without clients.
    void ParkIdleScene();
    // Runs `fn` with the scene current, then makes the previous scene
    // current again (none when it was that scene).
    template <class F>
    void WithSceneCurrent(CScene* scene, F fn);
};

// The scene being worked on; SetCurrentScene also makes its world current.
extern CScene* g_CurScene;
void SetCurrentScene(CScene* scene);
// 1 while the server step runs.
extern int g_InServerStep;
// Sender id of the last server text command.
extern int g_LastCommandSender;
// Clients in all scenes (their view trackers).
extern int g_ClientCount;
// The scene manager of the running game (null when none): the client finds
// its scene through it.
extern CScnMng* g_LiveScnMng;

// The calendar lives in world/game_clock.h.
