#pragma once
// The client of a running game, as the game host creates it.
// PLACEHOLDER until the client subsystem lands: the client has no world,
// selection or view port; it owns the weather (published in g_Weather)
// and steps it while active. It handles packets only as far as
// keeping what arrived: text lines are kept until the next other packet;
// the join packet (type 1, sub-type 1) gives it its scene id and makes it
// active. The host's calls (slots 2 and 3, SetLoading, GetScene, Draw) are
// the real ones; later work replaces the bodies. Draw shows the scene
// through the PLACEHOLDER scene view (client/scene_view.h), centred on the
// player's role, reading the server's scene world directly: server and
// client run in one process, and the client builds no world of its own yet.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/msg_endpoint.h"

class CScene;
class CSurface;
class CSelection;
class CPainter;
class CWeather;
class CSceneView;

class CClient : public CMsgEndpoint {
public:
    // Creates the weather object and publishes it in g_Weather.
    CClient();
    // Deletes the weather and clears g_Weather.
    ~CClient() override;

    // Client packets go to the client's scene; nothing to send to yet.
    void Send(const uint8_t* packet, int target) override;
    // Slot 2: the per-frame step while active.
    virtual void Update();
    // Slot 3: one server-to-client packet.
    virtual void HandlePacket(const uint8_t* data, int length);

    void SetLoading(int loading) { m_Loading = loading; }
    void SetActive(int active) { m_Active = active; }
    int IsActive() const { return m_Active; }
    // The server scene whose id the client holds (null for none).
    CScene* GetScene();
    void UpdateWorld();
    // The scene around the player's role over the whole surface (black
    // while the client has no scene). 1 when a scene was drawn.
    int Draw(CSurface* surface);

    int32_t m_Active = 0;
    int32_t m_Loading = 0;
    CSelection* m_pSelection = nullptr;
    CPainter* m_pViewPort = nullptr;
    CWeather* m_pWeather = nullptr;
    // The player's role (16-bit handle of the join packet), 0xFFFF none.
    uint32_t m_RoleHandle = 0xFFFF;
    std::unique_ptr<CSceneView> m_pView;

    // What arrived, in order: the packets other than text (whole bytes) and
    // the text lines that preceded each.
    struct Received {
        std::vector<uint8_t> bytes;
        std::vector<std::string> textBefore;
    };
    std::vector<Received> m_Received;
    int32_t m_Updates = 0;
};

class CRecordingClient : public CClient {
public:
    CRecordingClient() = default;
    ~CRecordingClient() override = default;
};
