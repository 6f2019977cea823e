#include "core/msg_endpoint.h"

CEndpointObjects* g_EndpointObjects = nullptr;

CMsgEndpoint::CMsgEndpoint() { m_TextLines.reserve(10); }

CMsgEndpoint::~CMsgEndpoint() { ClearTextLines(); }

void CMsgEndpoint::Send(const uint8_t*, int) {}

void CMsgEndpoint::AddTextLine(const char* text) { m_TextLines.emplace_back(text ? text : ""); }

void CMsgEndpoint::ClearTextLines() { m_TextLines.clear(); }

const char* CMsgEndpoint::GetTextLine(int index) const {
    if (index < 0 || index >= GetTextCount()) return nullptr;
    return m_TextLines[static_cast<size_t>(index)].c_str();
}

void CMsgEndpoint::SendRoleAppear(uint32_t handle, int target) {
    if (!g_EndpointObjects) return;
    RoleAppearFields f;
    std::string picture, name, part;
    if (!g_EndpointObjects->GetRoleAppear(handle, &f, &picture, &name, &part)) return;
    g_EndpointObjects->SetRoleFixedHandle(handle, 1);
    AddTextLine((picture + " " + name + " " + part).c_str());
    f.handle = handle;
    uint8_t packet[kRoleAppearLength];
    BuildRoleAppearPacket(f, packet);
    Send(packet, target);
    g_EndpointObjects->SendRoleStates(handle, this, target, m_SendMode != 0 ? 1 : 0);
}

void CMsgEndpoint::SendObjState(uint32_t handle, int target) {
    if (!g_EndpointObjects) return;
    const int kind = g_EndpointObjects->GetKind(m_pWorld, handle);
    if (kind != 12 && kind != 13) return;
    g_EndpointObjects->SetFixedHandle(m_pWorld, handle, 1);
    uint8_t packet[kObjStateLength];
    BuildObjStatePacket(handle, g_EndpointObjects->GetState(m_pWorld, handle), packet);
    Send(packet, target);
}

void CMsgEndpoint::SendObjRemove(uint32_t handle, int target) {
    // An object that is gone still gets its removal sent: the client may
    // hold it yet.
    if (g_EndpointObjects && g_EndpointObjects->GetKind(m_pWorld, handle) >= 0) {
        g_EndpointObjects->SetFixedHandle(m_pWorld, handle, 0);
        if (!g_EndpointObjects->IsActive(m_pWorld, handle)) return;
    }
    uint8_t packet[kObjRemoveLength];
    BuildObjRemovePacket(handle, packet);
    Send(packet, target);
}
