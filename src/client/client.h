#pragma once
// The player's side of the in-process packet layer. The server side tells
// the client everything as byte packets (core/packet.h); the client applies
// them to its world, owns the view port, the selection set and the client
// weather, and forwards the player's commands to its server scene.
//
// With the loading flag set (the game host's start) the client works on its
// server scene's own world: the own-player packet attaches that world and
// of the rest only the packets the server has not applied to it already
// pass (weather, notices, deactivation). With the flag clear it keeps a
// world of its own, built by host control 13/2 and deleted with it.
#include <cstdint>
#include <string>

#include "core/geometry.h"
#include "core/msg_endpoint.h"

class CScene;
class CSurface;
class CSelection;
class CPainter;
class CWeather;
class CWorld;

class CClient : public CMsgEndpoint {
public:
    // Selection and weather made and published (g_Selection, g_Weather),
    // the view port made, inactive, loading flag 1.
    CClient();
    ~CClient() override;

    using CMsgEndpoint::Send;
    // The way out to the server: the client's scene's ReceiveMsg with its
    // first tracker, synchronously; nothing without a scene.
    void Send(const uint8_t* packet);
    // The command packet 240 for the role of `handle` (its low 16 bits),
    // sent as above; bytes 3-4 are zeros.
    void SendOrder(uint32_t handle, int code, int32_t a, int32_t b, int32_t c);
    // Slot 2: the per-frame step.
    virtual void Step();
    // Slot 3: one server-to-client packet of `length` bytes.
    virtual void HandlePacket(const uint8_t* data, int length);

    void CreateVP();
    void SetLoading(int loading) { m_Loading = loading; }
    void SetActive(int active);
    int IsActive() const { return m_Active; }
    // The server scene of the client's id, made current; null for none.
    CScene* GetScene();
    void Detach();
    void UpdateWorld();
    void LoadWorld(const char* sceneName);
    void ClientCreate();
    void AttachSceneWorld(CScene* scene);
    void OnOwnRoleCreated();
    void ResetView();
    void RecentreOnOwnRole();
    // The view over the surface: nothing while inactive, black while a
    // viewer id is set. 1 when the view was painted.
    int Draw(CSurface* surface);

    uint32_t m_ConstOne = 1;
    int32_t m_Loading = 1;
    CSelection* m_pSelection = nullptr;
    CPainter* m_pViewPort = nullptr;
    CWeather* m_pWeather = nullptr;
    CGameRect m_Highlight;
    std::string m_NameText;
    // The own role as the join packet gives it (16 bits), 0xFFFF before.
    uint32_t m_RoleHandle = 0xFFFF;
    int32_t m_Active = 0;
    int32_t m_ViewerId = -1;
    // Enables the "Kong_Huo" filter of role creation; nothing sets it.
    int32_t m_SharedSceneCheck = 0;
    // Two 500-slot handle tables, only ever cleared.
    static constexpr int kHandleSlots = 500;
    int32_t m_HandleTables[2][kHandleSlots];
    // The client's quiet flag (no loading window while building).
    int32_t m_Quiet = 0;

private:
    void ClearHandleTables();
    void CheckOwnRole();
    void PlaceViewTracker();
    // The world the client built itself (loading flag 0), deleted with it.
    CWorld* m_pOwnWorld = nullptr;
};

// The one client, for the panels; null when none.
extern CClient* g_Client;
// Set while the own role resolved at the last step; cleared (and the
// message panel shown) once it stops resolving.
extern int g_OwnRolePresent;
