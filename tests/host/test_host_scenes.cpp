// A running game on the demo data: the game host, its scene manager over the
// demo scenes and its recording client, with the least roles installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "client/recording_client.h"
#include "core/directories.h"
#include "core/msg_lists.h"
#include "core/txt_table.h"
#include "datagen/demo_data.h"
#include "datagen/demo_world.h"
#include "host/game_host.h"
#include "host/player_record.h"
#include "platform/msgbox.h"
#include "platform/window.h"
#include "roles/role.h"
#include "support/packet_decode.h"
#include "support/test_env.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world.h"
#include "world/scene/world_hooks.h"

namespace {

using testsupport::ClockBytes;
using testsupport::DecodePackets;
using testsupport::JoinBytes;

class HostScenesTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        datagen::DemoOptions options;
        options.sounds = false;
        options.music = false;
        std::string error;
        ASSERT_TRUE(datagen::WriteDemoDataSet(Dir(), options, &error)) << error;
        SetProgramDirectory(0);
        ASSERT_EQ(g_RoleMdlTable.Load("mb\\Role.txt", 1, 1, 1), 1);
        ASSERT_EQ(g_ScnInfoMdl.Load("mb\\ScnInfo.txt", 1, 1, 1), 1);
        ASSERT_EQ(g_ScnSoundMdl.Load("mb\\ScnSoundMdl.txt", 0, 1, 1), 1);
        // A new game enters the revive scene of its act.
        ASSERT_EQ(g_ActMdlTable.Load("mb\\ActMdl.txt", 1, 1, 1), 1);
        m_Hooks = g_WorldHooks;
        m_SceneHooks = g_SceneHooks;
        InstallRoleHooks();
        InstallHostSceneHooks();
        g_GameHost = CGameHost{};
        g_ClientMsgList.RemoveAll();
        g_ServerCmdList.RemoveAll();
        plat::ClearRecordedMessageBoxes();
    }
    void TearDown() override {
        g_GameHost.Shutdown();
        g_ClientMsgList.RemoveAll();
        g_ServerCmdList.RemoveAll();
        g_RoleMdlTable.Clear();
        g_ScnInfoMdl.Clear();
        g_ScnSoundMdl.Clear();
        g_ActMdlTable.Clear();
        g_WorldHooks = m_Hooks;
        g_SceneHooks = m_SceneHooks;
        TempDirTest::TearDown();
    }
    CScnMng* Server() { return g_GameHost.m_pServer; }
    CRecordingClient* Client() { return g_GameHost.m_pClient; }
    // The packets the client received since the last call, but the weather
    // (packet 12), which a scene's scheduler sends when it picks a kind at
    // a random tick: that one is checked here, byte for byte, against the
    // kind a live scene holds now and the scheduler's duration range.
    std::vector<std::vector<uint8_t>> Received() {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& r : Client()->m_Received) {
            if (r.bytes[0] != 12) {
                out.push_back(r.bytes);
                continue;
            }
            EXPECT_EQ(r.bytes.size(), 4u);
            if (r.bytes.size() != 4) continue;
            const int kind = r.bytes[1], duration = r.bytes[2] | (r.bytes[3] << 8);
            EXPECT_TRUE(kind >= 1 && kind <= 10) << kind;
            EXPECT_TRUE(duration >= 2000 && duration < 6000) << duration;
            bool held = false;
            for (int i = Server()->First(); i >= 0; i = Server()->Next(i))
                if (CScene* sc = Server()->GetAt(i); sc && sc->m_Weather.m_Kind == kind) held = true;
            EXPECT_TRUE(held) << "weather kind " << kind << " that no live scene holds";
        }
        Client()->m_Received.clear();
        return out;
    }
    CGameObj* Hero(CScene* scene) {
        CViewTracker* t = scene ? scene->FindTrackerByClient(0) : nullptr;
        return t ? scene->m_pWorld->m_pHandles->Resolve(t->m_RoleHandle) : nullptr;
    }
    // What the client must receive when its role joins `scene`, whose
    // weather was of that kind and countdown then (a fresh scene: 0, 0).
    std::vector<std::vector<uint8_t>> JoinOf(CScene* scene, const datagen::ScnInfoRow& row, int kind = 0,
                                             int countdown = 0) {
        const CGameClock* c = GetGameClock();
        return {JoinBytes(static_cast<uint16_t>(Hero(scene)->m_Handle), static_cast<uint16_t>(scene->m_Id),
                          static_cast<uint16_t>(row.ambientMode), static_cast<uint8_t>(row.nightLevel),
                          static_cast<uint8_t>(row.dayLevel), static_cast<uint8_t>(row.column6),
                          static_cast<uint8_t>(kind), static_cast<uint16_t>(countdown)),
                ClockBytes(static_cast<uint16_t>(c->year), static_cast<uint8_t>(c->month),
                           static_cast<uint8_t>(c->day), static_cast<uint8_t>(c->hour),
                           static_cast<uint16_t>(c->tick))};
    }
    // The handles of a world's objects, in list order.
    static std::vector<ObjHandle> Handles(CScene* scene) {
        std::vector<ObjHandle> out;
        const CObjMng& m = scene->m_pWorld->m_ObjMng;
        for (const CObjList* list : {&m.m_Roles, &m.m_SceneObjs, &m.m_Props, &m.m_Creatures})
            for (CObjNode* n = list->Head(); n; n = n->Next())
                if (!static_cast<CGameObj*>(n)->m_Removed) out.push_back(static_cast<CGameObj*>(n)->m_Handle);
        return out;
    }
    // A portal of the demo's descriptors.
    static datagen::ScnPortalSpec DemoPortal(const datagen::ScnDescSpec& desc, const std::string& name) {
        for (const auto& p : desc.portals)
            if (p.name == name) return p;
        ADD_FAILURE() << "no demo portal " << name;
        return {};
    }
    static void ExpectAt(CGameObj* role, const datagen::ScnPortalSpec& p) {
        ASSERT_NE(role, nullptr);
        EXPECT_EQ(role->m_X / 64, p.x) << p.name;
        EXPECT_EQ(role->m_Y / 64, p.y) << p.name;
    }
    static CGameObj* PortalBuilding(CScene* scene) {
        for (CObjNode* n = scene->m_pWorld->m_ObjMng.m_SceneObjs.Head(); n; n = n->Next())
            if (static_cast<CGameObj*>(n)->m_Kind == 13) return static_cast<CGameObj*>(n);
        return nullptr;
    }
    // One frame; the client's scene afterwards.
    CScene* Step() {
        g_GameHost.FrameStep();
        return Client()->GetScene();
    }

    CWorldHooks m_Hooks;
    CSceneHooks m_SceneHooks;
};

TEST_F(HostScenesTest, NewGameEntersStartAndTravelsToTheFieldAndBack) {
    const std::vector<datagen::ScnInfoRow> rows = datagen::DemoScnInfoRows();
    const datagen::ScnInfoRow& startRow = rows[0];
    const datagen::ScnInfoRow& fieldRow = rows[1];
    const int clientsBefore = g_ClientCount;
    plat::UseHeadlessBackend();
    plat::WindowDesc desc;
    desc.titleGbk = "vantrel";
    plat::Window* window = plat::CreateMainWindow(desc, nullptr);
    ASSERT_EQ(g_GameHost.Start(nullptr), 1);
    EXPECT_EQ(window->TitleGbk(), "VantrelServer") << "the main window names the local server mode";
    plat::DestroyWindow(window);
    EXPECT_EQ(GetGameClock()->hour, 20);
    EXPECT_EQ(g_GameHost.m_Paused, 0) << "the scene request unpauses the host";
    EXPECT_EQ(Client()->m_Loading, 1);

    // A new game: "Start" at its portal "NULL".
    CScene* start = Step();
    ASSERT_NE(start, nullptr);
    EXPECT_STREQ(start->GetName(), "Start");
    EXPECT_EQ(Client()->IsActive(), 1);
    CGameObj* hero = Hero(start);
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(hero->m_Kind, 60);
    ExpectAt(hero, DemoPortal(datagen::DemoStartDesc(), "NULL"));
    EXPECT_EQ(Received(), JoinOf(start, startRow)) << testing::PrintToString(DecodePackets(JoinOf(start, startRow)));
    EXPECT_EQ(g_LocalPlayerRecord->m_SceneId, start->m_Id);
    EXPECT_EQ(g_LocalPlayerRecord->m_RoleHandle, hero->m_Handle);
    const ObjHandle firstHero = hero->m_Handle;  // the role itself goes when it leaves
    EXPECT_EQ(g_ClientMsgList.GetCount(), 0);
    Step();
    EXPECT_EQ(g_CurScene, start) << "each frame makes the client's scene current";
    const std::vector<ObjHandle> startObjects = Handles(start);
    ASSERT_FALSE(startObjects.empty());
    CGameObj* startGate = PortalBuilding(start);
    ASSERT_NE(startGate, nullptr);

    // To the field by its entry: the field's portal "Start".
    Server()->EnterScene("Field", 0, 0, start, firstHero, 0);
    CScene* field = Step();
    ASSERT_NE(field, nullptr);
    EXPECT_STREQ(field->GetName(), "Field");
    ExpectAt(Hero(field), DemoPortal(datagen::DemoFieldDesc(), "Start"));
    EXPECT_EQ(Received(), JoinOf(field, fieldRow)) << "the local client is deactivated directly, no packet";
    EXPECT_EQ(start->m_Active, 0) << "Start (type 2) is parked once empty";
    EXPECT_EQ(start->m_pWorld->m_MapGrid.Width(), 0);
    EXPECT_EQ(Handles(start).size(), startObjects.size() - 1) << "all but the hero stay";
    // A parked scene does not tick: its weather is what the next join tells.
    const int parkedKind = start->m_Weather.m_Kind, parkedCountdown = start->m_Weather.m_Countdown;
    const ObjHandle fieldGate = PortalBuilding(field)->m_Handle;
    const int fieldGateX = PortalBuilding(field)->GetDesc()->m_X;
    const int fieldGateY = PortalBuilding(field)->GetDesc()->m_Y;

    // Back by the start's gate.
    Server()->EnterScene("Start", 0, 0, field, Hero(field)->m_Handle, startGate->m_Handle);
    ASSERT_EQ(Step(), start);
    EXPECT_EQ(start->m_Active, 1);
    EXPECT_EQ(start->m_pWorld->m_MapGrid.Width(), 64);
    EXPECT_EQ(Hero(start)->m_X / 64, startGate->GetDesc()->m_X) << "at the gate";
    EXPECT_EQ(Hero(start)->m_Y / 64, startGate->GetDesc()->m_Y);
    EXPECT_EQ(start->FindTrackerByClient(0)->m_EntryDir, 0);
    EXPECT_EQ(Received(), JoinOf(start, startRow, parkedKind, parkedCountdown));
    std::vector<ObjHandle> now = Handles(start);
    now.erase(std::remove(now.begin(), now.end(), Hero(start)->m_Handle), now.end());
    std::vector<ObjHandle> before = startObjects;
    before.erase(std::remove(before.begin(), before.end(), firstHero), before.end());
    EXPECT_EQ(now, before) << "Start comes back with its objects and handles";
    EXPECT_EQ(Server()->SelectSceneByName("Field"), nullptr) << "Field (type 1) is deleted once empty";
    EXPECT_EQ(Server()->GetSceneCount(), 1);

    // To the field by its gate (a fresh field gives its gate the same handle),
    // and back by the entry: the start's portal "Field".
    Server()->EnterScene("Field", 0, 0, start, Hero(start)->m_Handle, fieldGate);
    field = Step();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(Hero(field)->m_X / 64, fieldGateX);
    EXPECT_EQ(Hero(field)->m_Y / 64, fieldGateY);
    EXPECT_EQ(Received(), JoinOf(field, fieldRow));
    const int kind2 = start->m_Weather.m_Kind, countdown2 = start->m_Weather.m_Countdown;
    Server()->EnterScene("Start", 0, 0, field, Hero(field)->m_Handle, 0);
    ASSERT_EQ(Step(), start);
    ExpectAt(Hero(start), DemoPortal(datagen::DemoStartDesc(), "Field"));
    EXPECT_EQ(start->FindTrackerByClient(0)->m_EntryDir, DemoPortal(datagen::DemoStartDesc(), "Field").dir);
    EXPECT_EQ(Received(), JoinOf(start, startRow, kind2, countdown2));
    EXPECT_EQ(Server()->GetSceneCount(), 1);
    EXPECT_EQ(g_ClientCount, clientsBefore + 1);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty()) << plat::RecordedMessageBoxes()[0].text;

    g_GameHost.Shutdown();
    EXPECT_EQ(g_GameHost.m_pServer, nullptr);
    EXPECT_EQ(g_ClientCount, clientsBefore);
    EXPECT_EQ(g_CurScene, nullptr);
}

TEST_F(HostScenesTest, OrdersReachTheRoleAndLeavingReturnsTheDeadToTheirPortal) {
    g_GameHost.Start(nullptr);
    CScene* start = Step();
    ASSERT_NE(start, nullptr);
    auto* hero = dynamic_cast<CRole*>(Hero(start));
    ASSERT_NE(hero, nullptr);
    uint8_t order[18] = {240};
    order[1] = static_cast<uint8_t>(hero->m_Handle);
    order[2] = static_cast<uint8_t>(hero->m_Handle >> 8);
    order[5] = 3;  // running on
    order[6] = 1;
    hero->SetFlag(kRoleBitRunning, 0);
    // The client's update hands the packet over with its scene current.
    SetCurrentScene(start);
    start->ReceiveMsg(order, start->FindTrackerByClient(0));
    EXPECT_TRUE(hero->m_RoleBits & kRoleBitRunning);

    // Packet 241: the record dies and the client comes back at "DEAD".
    const ObjHandle oldHero = hero->m_Handle;
    const uint8_t leave[2] = {241, 0};
    start->ReceiveMsg(leave, start->FindTrackerByClient(0));
    EXPECT_EQ(g_LocalPlayerRecord->m_Dead, 1);
    ASSERT_EQ(Step(), start);
    EXPECT_EQ(start->m_pWorld->m_pHandles->Resolve(oldHero), nullptr) << "the old role is gone";
    ExpectAt(Hero(start), DemoPortal(datagen::DemoStartDesc(), "DEAD"));
    EXPECT_EQ(start->m_Trackers.GetCount(), 1);
}

} // namespace
