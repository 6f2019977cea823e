// PLACEHOLDER bodies (see recording_client.h).
#include "client/recording_client.h"

#include <cstring>

#include "client/scene_view.h"
#include "core/packet.h"
#include "gfx/surface.h"
#include "world/map/map_grid.h"
#include "world/objects/game_obj.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world.h"
#include "world/sky/weather.h"

void CClient::Send(const uint8_t*, int) {}

CClient::CClient() : m_pWeather(new CWeather) { g_Weather = m_pWeather; }

CClient::~CClient() {
    delete m_pWeather;
    m_pWeather = nullptr;
    g_Weather = nullptr;
}

void CClient::Update() {
    ++m_Updates;
    if (m_pWeather) m_pWeather->Tick();
    // PLACEHOLDER for the client's frame step: the least of it the server's
    // world relies on. While loading, the client works on its scene's own
    // world, so the second pass (flying creatures, the roles' and magic's
    // client steps) runs there.
    CScene* scene = GetScene();
    if (!scene || !scene->m_pWorld) return;
    if (m_Loading) {
        scene->m_pWorld->MakeCurrent();
        scene->m_pWorld->m_ObjMng.PostUpdate();
    }
    // The view over the client's role (the local client is client 0): once
    // placed it is no longer pending, and the tracker announces roles.
    CViewTracker* tracker = scene->FindTrackerByClient(0);
    const CGameObj* role = tracker ? tracker->GetOwnerRole() : nullptr;
    if (!role) return;
    tracker->m_Width = CViewTracker::kViewWidth;
    tracker->m_Height = CViewTracker::kViewHeight;
    tracker->m_Left = role->m_X - CViewTracker::kViewWidth / 2;
    tracker->m_Top = role->m_Y - CViewTracker::kViewHeight / 2;
    tracker->m_ViewPending = 0;
}

void CClient::HandlePacket(const uint8_t* data, int length) {
    if (!data || length < 1) return;
    if (data[0] == kPacketText) {
        // Up to the NUL, never past the buffer.
        const void* nul = std::memchr(data + 1, 0, static_cast<size_t>(length - 1));
        const size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - (data + 1))
                             : static_cast<size_t>(length - 1);
        AddTextLine(std::string(reinterpret_cast<const char*>(data + 1), n).c_str());
        return;
    }
    Received r;
    r.bytes.assign(data, data + length);
    r.textBefore = m_TextLines;
    m_Received.push_back(std::move(r));
    if (length >= 6 && IsPacketType(data, kPacketRole, 1)) {
        m_RoleHandle = GetU16(data + 1);
        m_Id = GetU16(data + 4);
        m_Active = 1;
    }
    ClearTextLines();
}

CScene* CClient::GetScene() {
    if (m_Id == -1 || !g_LiveScnMng) return nullptr;
    return g_LiveScnMng->FindSceneById(m_Id);
}

void CClient::UpdateWorld() {}

int CClient::Draw(CSurface* surface) {
    if (!surface) return 0;
    CScene* scene = GetScene();
    CWorld* world = scene ? scene->m_pWorld : nullptr;
    if (!world || world->m_MapGrid.Width() <= 0) {
        surface->FillAll(0);
        return 0;
    }
    CGamePoint centre{world->m_MapGrid.Width() / 2, world->m_MapGrid.Height() / 2};
    if (const CGameObj* role = world->m_pHandles ? world->m_pHandles->Resolve16(static_cast<uint16_t>(m_RoleHandle))
                                                 : nullptr)
        centre = {role->m_X / 64, role->m_Y / 64};
    if (!m_pView) m_pView = std::make_unique<CSceneView>();
    m_pView->CentreOn(*world, centre, surface->m_Width, surface->m_Height);
    m_pView->Draw(world, surface, m_pWeather);
    return 1;
}
