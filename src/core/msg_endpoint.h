#pragma once
// The message-endpoint base of the server's scenes and of the client: the
// endpoint's world, its id, the text lines waiting to travel ahead of the
// next packet, and the one send operation every end provides.
//
// The endpoint builds three packets from world objects (role appearance,
// mechanism state, removal). The object classes live above this layer, so
// the endpoint reaches them through CEndpointObjects, which the world
// installs; without it no object resolves.
#include <cstdint>
#include <string>
#include <vector>

#include "core/packet.h"

class CWorld;
class CMsgEndpoint;

// What the endpoint asks of world objects.
class CEndpointObjects {
public:
    virtual ~CEndpointObjects() = default;
    // Object of `handle` in `world`'s handle table (index bits 0-14,
    // generation bits 15-16 must match): its kind, or -1 when none.
    virtual int GetKind(CWorld* world, uint32_t handle) = 0;
    virtual int IsActive(CWorld* world, uint32_t handle) = 0;
    virtual uint8_t GetState(CWorld* world, uint32_t handle) = 0;
    virtual void SetFixedHandle(CWorld* world, uint32_t handle, int on) = 0;
    // The role of `handle` in the current world: 1 with its appearance
    // fields and its three names, 0 when there is no such role.
    virtual int GetRoleAppear(uint32_t handle, RoleAppearFields* fields, std::string* pictureName,
                              std::string* name, std::string* partName) = 0;
    virtual void SetRoleFixedHandle(uint32_t handle, int on) = 0;
    // The role's state packets: posted straight to the client (direct) or
    // sent to target through the endpoint.
    virtual void SendRoleStates(uint32_t handle, CMsgEndpoint* endpoint, int target, int direct) = 0;
};

// Installed by the world layer; null until then.
extern CEndpointObjects* g_EndpointObjects;

class CMsgEndpoint {
public:
    CMsgEndpoint();
    virtual ~CMsgEndpoint();
    CMsgEndpoint(const CMsgEndpoint&) = delete;
    CMsgEndpoint& operator=(const CMsgEndpoint&) = delete;

    // Slot 0: hands a packet to `target`. The base does nothing.
    virtual void Send(const uint8_t* packet, int target);

    void AddTextLine(const char* text);
    void ClearTextLines();
    int IsTextEmpty() const { return m_TextLines.empty() ? 1 : 0; }
    int GetTextCount() const { return static_cast<int>(m_TextLines.size()); }
    // The line at that position; null outside the list.
    const char* GetTextLine(int index) const;

    void SendRoleAppear(uint32_t handle, int target);
    void SendObjState(uint32_t handle, int target);
    void SendObjRemove(uint32_t handle, int target);

    CWorld* m_pWorld = nullptr;
    int32_t m_Id = -1;
    std::vector<std::string> m_TextLines;
    // Set by the derived class; read by SendRoleAppear only.
    int32_t m_SendMode = 0;
};
