#include "client/client.h"

#include <cstring>
#include <sstream>

#include "client/client_hooks.h"
#include "client/recording_client.h"
#include "client/painter.h"
#include "client/selection.h"
#include "core/frame_globals.h"
#include "core/log.h"
#include "core/packet.h"
#include "gfx/marker_anims.h"
#include "gfx/pixel_format.h"
#include "gfx/res_lib.h"
#include "gfx/surface.h"
#include "platform/debug.h"
#include "platform/display.h"
#include "roles/magic/attached_magic.h"
#include "sound/sound_play.h"
#include "roles/role.h"
#include "world/buildings/bld.h"
#include "world/map/cell_preloader.h"
#include "world/map/iso_grid.h"
#include "world/objects/game_obj.h"
#include "world/objects/handle_table.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world.h"
#include "world/scene/world_hooks.h"
#include "world/sky/game_clock.h"
#include "world/sky/weather.h"

CClient* g_Client = nullptr;
CClientHooks g_ClientHooks;
int g_OwnRolePresent = 0;

namespace {

void LogStep(const char* name, const char* step) {
    if (g_WorldHooks.logLoading) g_WorldHooks.logLoading(10, name, step);
}

// Text line 0 split at blanks (runs count as one) into up to three tokens.
void SplitNames(const char* line, std::string tokens[3]) {
    std::istringstream in(line ? line : "");
    for (int i = 0; i < 3 && (in >> tokens[i]); ++i) {
    }
}

} // namespace

CClient::CClient() {
    ClearHandleTables();
    m_pSelection = new CSelection();
    g_Selection = m_pSelection;
    m_pWeather = new CWeather();
    g_Weather = m_pWeather;
    LogStep("CreateVP", "Begin");
    CreateVP();
    LogStep("CreateVP", "End");
    SetActive(0);
    m_Loading = 1;
    g_Client = this;
}

CClient::~CClient() {
    if (g_Client == this) g_Client = nullptr;
    // The buildings' looping sounds that ClientCreate started end with the
    // client's world.
    for (CObjNode* n = g_SoundEmitters.Head(); n; n = n->Next()) StopEffect(static_cast<CSoundEmitter*>(n)->m_Id);
    g_SoundEmitters.RemoveAll();
    if (g_Selection == m_pSelection) g_Selection = nullptr;
    delete m_pSelection;
    m_pSelection = nullptr;
    if (g_Weather == m_pWeather) g_Weather = nullptr;
    delete m_pWeather;
    m_pWeather = nullptr;
    delete m_pViewPort;
    m_pViewPort = nullptr;
    // While loading, the world is the server scene's.
    if (m_pOwnWorld) {
        m_pOwnWorld->MakeCurrent();
        delete m_pOwnWorld;
    }
    m_pOwnWorld = nullptr;
    m_pWorld = nullptr;
    ClearHandleTables();
}

void CClient::ClearHandleTables() {
    for (auto& table : m_HandleTables)
        for (int32_t& v : table) v = -1;
}

void CClient::CreateVP() {
    delete m_pViewPort;
    m_pViewPort = new CPainter();
    // The view follows the display mode; any other width has no view.
    const int w = plat::GetScreenMetrics(plat::SM_CXSCREEN);
    int vw = 0, vh = 0;
    if (w == 640) vw = 640, vh = 431;
    else if (w == 800) vw = 800, vh = 600;
    else if (w == 1024) vw = 1024, vh = 768;
    m_pViewPort->SetViewRect(0, 0, vw, vh);
}

void CClient::Send(const uint8_t* packet) {
    if (!packet) return;
    if (CScene* scene = GetScene()) scene->ReceiveMsg(packet, scene->GetFirstTracker());
}

void CClient::SendOrder(uint32_t handle, int code, int32_t a, int32_t b, int32_t c) {
    PacketFields f;
    f.type = kPacketOrder;
    f.handle = handle;
    f.code = code;
    f.a = a;
    f.b = b;
    f.c = c;
    uint8_t packet[kCommandLength];
    if (WritePacket(f, packet, kCommandLength)) Send(packet);
}

CScene* CClient::GetScene() {
    if (m_Id == -1 || !g_LiveScnMng) return nullptr;
    return g_LiveScnMng->SelectScene(m_Id);
}

void CClient::Detach() {
    m_pWorld = nullptr;
    m_Id = -1;
}

void CClient::SetActive(int active) {
    if ((active ? 1 : 0) == m_Active) return;
    m_Active = active ? 1 : 0;
    if (m_Active) {
        if (g_SkipScreenEffect) {
            g_SkipScreenEffect = 0;
        } else if (!(g_ClientHooks.isLoadingWindowShown && g_ClientHooks.isLoadingWindowShown())) {
            if (g_ClientHooks.startScreenEffect) g_ClientHooks.startScreenEffect(3);
        }
    } else if (g_ClientHooks.setPaused) {
        g_ClientHooks.setPaused(0);
    }
}

void CClient::UpdateWorld() {
    if (!m_pWorld) return;
    m_pWorld->MakeCurrent();
    m_pWorld->m_ObjMng.Update();
}

void CClient::LoadWorld(const char* sceneName) {
    if (m_pOwnWorld) {
        m_pOwnWorld->MakeCurrent();
        delete m_pOwnWorld;
        if (m_pWorld == m_pOwnWorld) m_pWorld = nullptr;
        m_pOwnWorld = nullptr;
    }
    m_pOwnWorld = new CWorld();
    m_pWorld = m_pOwnWorld;
    m_pWorld->MakeCurrent();
    if (!BuildMap(m_pWorld, sceneName) || !BuildObj(m_pWorld))
        plat::DebugPrintf("Client: scene \"%s\" not built\n", sceneName ? sceneName : "");
    ClientCreate();
}

void CClient::ClientCreate() {
    LogStep("ClientCreate", "Begin");
    if (m_pWorld) {
        m_pWorld->MakeCurrent();
        m_pWorld->ApplySceneEnv();
    }
    if (m_pViewPort) m_pViewPort->PrepareScene();
    LogStep("ClientCreate", "End");
}

void CClient::AttachSceneWorld(CScene* scene) {
    m_pWorld = scene ? scene->m_pWorld : nullptr;
    ClientCreate();
}

void CClient::OnOwnRoleCreated() {
    SetActive(1);
    if (!m_pSelection) return;
    m_pSelection->Clear();
    if (GetRecordMode() != 2) m_pSelection->SelectOnly(m_RoleHandle & 0xFFFF);
    if (m_pViewPort) m_pViewPort->SetFollow(1);
    if (g_ClientHooks.setMiniMapActive) g_ClientHooks.setMiniMapActive(1);
}

void CClient::ResetView() {
    if (m_pWeather) m_pWeather->SetWeather(0, 1000);
    if (m_pSelection) m_pSelection->Clear();
}

void CClient::RecentreOnOwnRole() {
    if (m_pViewPort) m_pViewPort->RecentreOnOwnRole();
}

int CClient::Draw(CSurface* surface) {
    if (!m_Active || !surface) return 0;
    if (m_ViewerId != -1) {
        surface->FillAll(0);
        return 0;
    }
    if (m_pWorld) m_pWorld->MakeCurrent();
    if (m_pViewPort) m_pViewPort->Paint(surface, m_pWorld, m_pWeather);
    if (m_Highlight.width != 0) {
        // Yellow in the current layout.
        const uint16_t colour = g_PixelFormat.Get() == kFormat565 ? 0xFFE0 : 0x7FE0;
        surface->DrawRect(colour, m_Highlight.x, m_Highlight.y, m_Highlight.width, m_Highlight.height, 0, nullptr);
    }
    return 1;
}

void CClient::Step() {
    if (m_pWorld) m_pWorld->MakeCurrent();
    if (m_pWeather) m_pWeather->Tick();
    if (m_pWorld) m_pWorld->m_ObjMng.PostUpdate();
    StepCursorAnims();
    if (CResLib* lib = g_ResList.GetLib(1)) lib->LoadOnePending();
    g_CellPreloader.Step();
    CheckOwnRole();
    PlaceViewTracker();
}

void CClient::CheckOwnRole() {
    if (m_pWorld) m_pWorld->MakeCurrent();
    if (ClientRoleByHandle(m_RoleHandle == 0xFFFF ? 0 : m_RoleHandle)) {
        g_OwnRolePresent = 1;
        return;
    }
    if (!g_OwnRolePresent) return;
    if (g_ClientHooks.isMessagePanelShown && g_ClientHooks.isMessagePanelShown()) return;
    g_OwnRolePresent = 0;
    if (g_ClientHooks.showMessagePanel) g_ClientHooks.showMessagePanel();
}

void CClient::PlaceViewTracker() {
    // The server announces roles by each tracker's view: it is centred on
    // the client's role every frame, and once placed no longer pending.
    CScene* scene = GetScene();
    if (!scene || !scene->m_pWorld) return;
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
    const uint8_t type = data[0];
    // While loading the server has applied the rest to the shared world.
    if (m_Loading) {
        const bool join = type == kPacketRole && length >= 4 && data[3] == 1;
        const bool hostOff = type == kPacketLeaveAck && length >= 2 && data[1] == 1;
        if (!join && !hostOff && type != kPacketWeather && type != kPacketReset) return;
    }
    PacketFields f;
    if (!ReadPacket(data, length, &f)) {
        plat::DebugPrintf("Client: packet type %d dropped, %d bytes do not hold it\n", type, length);
        if (type != kPacketText) ClearTextLines();
        return;
    }
    if (f.type == kPacketText) {
        AddTextLine(f.text.c_str());
        return;
    }
    if (m_pWorld) m_pWorld->MakeCurrent();
    const char* line0 = GetTextLine(0);
    switch (f.type) {
    case kPacketRole:
        if (f.sub == 0) {
            std::string tokens[3];
            SplitNames(line0, tokens);
            if (m_SharedSceneCheck && g_WorldHooks.clientsShareScene && g_WorldHooks.clientsShareScene() &&
                tokens[0] == "Kong_Huo")
                break;
            if (!m_pWorld) break;
            const CGamePoint cell = PixelToTile({f.x, f.y});
            const int own = (f.handle & 0xFFFF) == (m_RoleHandle & 0xFFFF) ? 1 : 0;
            // A handle that still holds an object is not taken over: a
            // second object there would leave the first one unreachable.
            CRole* role = ClientRoleByHandle(f.handle);
            if (!role && !ResolveHandle16(static_cast<uint16_t>(f.handle))) {
                CGameObj* obj = m_pWorld->m_ObjMng.AddRole(static_cast<uint16_t>(f.id), cell.x, cell.y, own,
                                                           static_cast<int32_t>(f.handle), 0, -1, -1);
                role = obj ? dynamic_cast<CRole*>(obj) : nullptr;
                if (!role) break;
                role->SetFlags(f.bits);
                if (own) OnOwnRoleCreated();
            }
            if (!role) break;
            role->SetAnimOrDefault(f.anim);
            role->SetCamp(f.camp);
            role->SetName(tokens[1].c_str());
            role->SetPictureName(tokens[0].c_str());
        } else if (f.sub == 1) {
            WriteLog(kLogFile, "Client :BEGIN_Packet_Create_Client\n");
            m_Id = f.id;
            m_RoleHandle = f.handle & 0xFFFF;
            ResetView();
            if (m_Loading) {
                AttachSceneWorld(GetScene());
                OnOwnRoleCreated();
            }
            if (m_pWeather) {
                m_pWeather->SetWeather(f.weather, f.duration);
                m_pWeather->StartEffect();
            }
            WriteLog(kLogFile, "Client :Packet_Create_Client\n");
        }
        break;
    case kPacketObjRemove:
        if (CGameObj* obj = ResolveHandle16(static_cast<uint16_t>(f.handle))) obj->Remove();
        break;
    case kPacketRoleState: {
        CRole* role = ClientRoleByHandle(f.handle);
        if (!role) break;
        switch (f.sub) {
        case kRoleSubSprite:
            // Without a line there is no set to change to.
            if (line0) role->SetSpriteSet(line0);
            break;
        case kRoleSubDeath: role->Die(f.value, 0); break;
        case kRoleSubMotion: role->SetMotion(f.value, 0, 0, 0); break;
        case kRoleSubCamp: role->SetCamp(f.value); break;
        case kRoleSubAnim: role->SetAnimIndex(f.value); break;
        default: break;
        }
        break;
    }
    case kPacketCell:
        if (CRole* role = ClientRoleByHandle(f.handle)) role->ApplyServerPosition(f.cellX, f.cellY, f.x, f.y, f.speed);
        break;
    case kPacketStateCode:
        if (CRole* role = ClientRoleByHandle(f.handle)) role->ApplyStateCode(f.value);
        break;
    case kPacketObjState: {
        CGameObj* obj = ResolveHandle16(static_cast<uint16_t>(f.handle));
        auto* bld = obj && (obj->m_Kind == 12 || obj->m_Kind == 13) ? dynamic_cast<CMechBld*>(obj) : nullptr;
        if (bld) bld->SetState(f.value, 0);
        else plat::DebugPrintf(" PACKET_OBJ_TRIBLD %d %d", static_cast<int>(f.handle), f.value);
        break;
    }
    case kPacketNewMagic:
        if (m_pWorld) m_pWorld->m_ObjMng.AddMagic(f.id, f.x, f.y, nullptr, 0);
        break;
    case kPacketAttachedMagic:
        if (m_pWorld && m_pWorld->m_pMagicList) {
            const CGamePoint point{f.x, f.y};
            m_pWorld->m_pMagicList->CreateAttachedMagic(f.handle, f.id, &point, 0);
        }
        break;
    case kPacketClock: SetGameClock(f.year, f.month, f.mday, f.hour, f.tick); break;
    case kPacketWeather:
        if (m_pWeather) m_pWeather->SetWeather(f.weather, f.duration);
        break;
    case kPacketLeaveAck:
        if (f.sub == 1) {
            SetActive(0);
        } else if (f.sub == 2) {
            // Without a line there is no scene to build.
            if (line0) {
                const std::string name = line0;
                LoadWorld(name.c_str());
            }
        }
        break;
    case kPacketReset:
        if (f.sub == kNoticeVersus && g_ClientHooks.showVersusBanner) g_ClientHooks.showVersusBanner(f.value);
        else if (f.sub == kNoticeTimer && g_ClientHooks.setTimer) g_ClientHooks.setTimer(f.value);
        break;
    default: break;
    }
    ClearTextLines();
}
