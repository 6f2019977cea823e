#pragma once
// The server side's scene manager and its scenes.
// PLACEHOLDER until the world subsystem builds scenes from their files: a
// scene here has no world, map or objects. A change to a scene name other
// than "NULL" makes (or re-uses) one empty scene and joins the client to it
// with the join and clock packets, so that a running game has a server that
// talks to its client. The scene's sending forms are already the real ones:
// the pending text lines go out as text packets ahead of every packet.
// Later work replaces the bodies, not the callers.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/msg_endpoint.h"
#include "world/game_clock.h"
#include "world/weather.h"

class CScene : public CMsgEndpoint {
public:
    explicit CScene(const std::string& name);
    ~CScene() override;

    // Slot 0: to that client alone; the pending lines are cleared after.
    void Send(const uint8_t* packet, int clientId) override;
    // The pending lines as text packets, then the packet (length from
    // GetPacketLength), onto the client message list. Lines stay pending.
    void SendTo(const uint8_t* packet, int clientId);
    void Broadcast(const uint8_t* packet);
    // To every client whose view holds (x, y); the pending lines are
    // cleared after. PLACEHOLDER until client views are tracked: nothing.
    void SendInView(const uint8_t* packet, int x, int y);
    // Every client view of the scene tracks the object (on) or forgets it.
    void TrackObjectAll(uint32_t handle, int on);
    void SetId(int id);
    void Tick();
    // Joins a client: the join packet, then the clock packet.
    void CreateClient(int clientId);
    // Tells every client view tracker that this object changed.
    // PLACEHOLDER until view tracking is built: does nothing.
    void TrackBuildingAll(uint32_t handle) { (void)handle; }
    int HasClients() const { return m_Clients.empty() ? 0 : 1; }

    std::string m_Name;
    std::vector<int> m_Clients;
    int32_t m_State = 0;
    int32_t m_Active = 1;
    int32_t m_Ticks = 0;
    // The scene's weather scheduler: BuildMap gives it the scene's row.
    CWeatherRandom m_Weather;
};

class CScnMng {
public:
    CScnMng();
    virtual ~CScnMng();
    CScnMng(const CScnMng&) = delete;
    CScnMng& operator=(const CScnMng&) = delete;

    // Records the change (carried out by the next Tick) and unpauses the
    // game host through m_SetPaused.
    void EnterScene(const char* name, int entry, int clientId, CScene* sceneLeft, uint32_t roleHandle,
                    uint32_t gateHandle);
    int ChangeScene(const char* name, int entry, int clientId, CScene* sceneLeft, uint32_t roleHandle,
                    uint32_t gateHandle);
    void Tick();
    // Server text command; 1 when consumed (always, as "#CreateClient" is
    // always consumed), 0 would stop the host's drain.
    virtual int OnCreateClient(const char* text, int sender);
    CScene* SelectSceneByName(const char* name);
    CScene* FindSceneById(int id) const;
    int GetSceneCount() const { return static_cast<int>(m_Scenes.size()); }

    // Set by the game host: the world does not depend on the host.
    std::function<void(int)> m_SetPaused;

    int32_t m_Pending = 0;
    std::string m_PendingName;
    int32_t m_PendingEntry = 0;
    int32_t m_PendingClient = 0;
    CScene* m_PendingLeft = nullptr;
    uint32_t m_PendingRole = 0;
    uint32_t m_PendingGate = 0;
    int32_t m_Ticks = 0;
    std::vector<std::unique_ptr<CScene>> m_Scenes;  // newest first
};

// The scene being worked on.
extern CScene* g_CurScene;
void SetCurrentScene(CScene* scene);
// 1 while the server step runs.
extern int g_InServerStep;
// Sender id of the last server text command.
extern int g_LastCommandSender;
// The scene manager of the running game (null when none): the client finds
// its scene through it.
extern CScnMng* g_LiveScnMng;

// The calendar lives in world/game_clock.h.
