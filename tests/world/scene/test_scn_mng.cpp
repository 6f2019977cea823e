#include <gtest/gtest.h>

#include <cstring>

#include "core/msg_lists.h"
#include "core/txt_table.h"
#include "platform/msgbox.h"
#include "datagen/scene_tables.h"
#include "datagen/table_writer.h"
#include "support/packet_decode.h"
#include "world/objects/obj_desc.h"
#include "world/objects/obj_mng.h"
#include "world/scene_fixture.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"

using namespace scntest;
using testsupport::DecodePacket;

namespace {

bool HasBox(size_t from, const std::string& text) {
    const auto& boxes = plat::RecordedMessageBoxes();
    for (size_t i = from; i < boxes.size(); ++i)
        if (boxes[i].text == text) return true;
    return false;
}

// Lines of the decoded stream that are not text.
std::vector<std::string> Packets(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& l : lines)
        if (l.rfind("text", 0) != 0) out.push_back(l);
    return out;
}

class ScnMngTest : public SceneTest {
protected:
    // Two scenes: "Town" (type 2) with portals NULL, DEAD, CSD, Wood and
    // Wood2; "Wood" (type 1) with one portal back.
    void SetUp() override {
        SceneTest::SetUp();
        g_ClientCount = 0;  // a process-wide count; other suites may leave clients joined
        WriteScene({"Town", 2, 10, 8, {{"NULL", 2, 2, 3}, {"DEAD", 3, 3, 5}, {"CSD", 4, 4, 6}, {"Wood", 5, 5, 1},
                                        {"Wood2", 6, 6, 2}}, "", true});
        WriteScene({"Wood", 1, 6, 6, {{"Town", 1, 1, 7}}, "", true});
    }
    CScene* Enter(const char* name, int entry = 0, CScene* left = nullptr, uint32_t role = 0, uint32_t gate = 0) {
        mng->EnterScene(name, entry, 0, left, role, gate);
        mng->Tick();
        return mng->FindSceneOfClient(0);
    }
};

TEST_F(ScnMngTest, FirstEntryBuildsTheSceneAndJoinsTheClient) {
    CScene* town = Enter("Town");
    ASSERT_NE(town, nullptr);
    EXPECT_STREQ(town->GetName(), "Town");
    EXPECT_EQ(mng->GetSceneCount(), 1);
    EXPECT_EQ(g_ClientCount, 1);
    EXPECT_EQ(mng->m_Pending, 0);
    CFakeRole* hero = RoleOf(town, 0);
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(hero->m_Kind, 60);
    EXPECT_EQ(hero->m_X, 2 * 64 + 32) << "entry 0 from NULL: portal \"NULL\"";
    EXPECT_EQ(hero->m_Y, 2 * 64 + 32);
    EXPECT_STREQ(hero->GetPictureName(), "Default");
    EXPECT_EQ(hero->m_DerivedWord, static_cast<int32_t>(hero->m_Handle));
    const auto lines = DrainDecoded();
    ASSERT_EQ(lines.size(), 2u);
    char join[160];
    std::snprintf(join, sizeof join, "join h=%u scene=%d ambient=0 night=15 day=15 col6=0 weather=0 left=0 pad=0",
                  hero->m_Handle & 0xFFFF, town->m_Id);
    EXPECT_EQ(lines[0], join);
    EXPECT_EQ(lines[1], "clock y=0 m=0 d=0 h=20 t=0") << "the calendar as a new game resets it";
    EXPECT_EQ(g_CurScene, town);
    EXPECT_EQ(g_CurObjMng, &town->m_pWorld->m_ObjMng) << "the scene's world is current";
}

TEST_F(ScnMngTest, PortalChoice) {
    struct Case {
        int entry;
        bool dead;
        int x, y, dir;
        bool sound;
    } cases[] = {
        {-1, false, 4, 4, 6, true},   // "CSD" with sound 112
        {2, false, 6, 6, 2, false},   // "Wood2"
        {9, false, 6, 6, 2, false},   // "Wood9": none, the last portal of the file
        {0, true, 3, 3, 5, false},    // dead: "DEAD" whatever the entry
        {-1, true, 3, 3, 5, false},
    };
    CScene* wood = Enter("Wood");
    ASSERT_NE(wood, nullptr);
    for (const Case& c : cases) {
        sounds.clear();
        g_SceneHooks.isLocalPlayerDead = c.dead ? +[] { return 1; } : +[] { return 0; };
        CScene* left = mng->FindSceneOfClient(0);
        CScene* town = Enter("Town", c.entry, left, RoleOf(left, 0)->m_Handle);
        ASSERT_NE(town, nullptr);
        CFakeRole* hero = RoleOf(town, 0);
        ASSERT_NE(hero, nullptr);
        EXPECT_EQ(hero->m_X / 64, c.x) << c.entry;
        EXPECT_EQ(hero->m_Y / 64, c.y) << c.entry;
        CViewTracker* t = town->FindTrackerByClient(0);
        EXPECT_EQ(t->m_EntryDir, c.dir);
        EXPECT_EQ(t->m_FromScene, "Wood");
        EXPECT_EQ(sounds.size(), c.sound ? 1u : 0u);
        if (c.sound) {
            EXPECT_EQ(sounds[0], "112/0/100");
        }
        // Back to the wood for the next case.
        ASSERT_NE(Enter("Wood", 0, town, hero->m_Handle), nullptr);
    }
}

TEST_F(ScnMngTest, NameCaseFindsTheLiveSceneAndIdleScenesParkOrGo) {
    CScene* town = Enter("Town");
    CFakeRole* first = RoleOf(town, 0);
    // An object of the town that must outlive the visit.
    auto* d = new CObjDesc11;
    d->m_X = 7;
    d->m_Y = 1;
    d->SetText("Stone");
    d->m_ModelId = 7;
    CGameObj* stone = town->m_pWorld->m_ObjMng.AddObj(d, 31, 0, 0, -1);
    ASSERT_NE(stone, nullptr);
    const ObjHandle stoneHandle = stone->m_Handle;

    CScene* wood = Enter("WOOD", 0, town, first->m_Handle);
    ASSERT_NE(wood, nullptr);
    EXPECT_EQ(first->died, 1) << "the role left behind dies silently";
    EXPECT_EQ(mng->GetSceneCount(), 2);
    // The town has no client now: parked, not deleted (type 2).
    EXPECT_EQ(town->m_Active, 0);
    EXPECT_EQ(town->m_pWorld->m_MapGrid.Width(), 0) << "a parked scene drops its grid";
    EXPECT_EQ(g_CurScene, wood);

    CScene* back = Enter("town", 0, wood, RoleOf(wood, 0)->m_Handle);
    EXPECT_EQ(back, town) << "case does not matter";
    EXPECT_EQ(town->m_Active, 1);
    EXPECT_EQ(town->m_pWorld->m_MapGrid.Width(), 10);
    EXPECT_EQ(town->m_pWorld->m_pHandles->Resolve(stoneHandle), stone) << "objects and handles come back";
    EXPECT_EQ(RoleOf(town, 0)->m_X / 64, 5) << "from Wood: the portal \"Wood\"";
    // The wood (type 1) is deleted by the next tick once empty.
    EXPECT_EQ(mng->GetSceneCount(), 1);
    EXPECT_EQ(mng->SelectSceneByName("Wood"), nullptr);
}

TEST_F(ScnMngTest, TwoRequestsInOneFrameAndARequestDuringAChange) {
    mng->EnterScene("Wood", 0, 0, nullptr, 0, 0);
    mng->EnterScene("Town", 0, 0, nullptr, 0, 0);
    mng->Tick();
    EXPECT_NE(mng->SelectSceneByName("Town"), nullptr) << "the later request wins";
    EXPECT_EQ(mng->SelectSceneByName("Wood"), nullptr);
    // A request made while a change runs (here from the save hook) waits for
    // the next tick.
    g_SceneHooks.saveGame = [](CGameObj*) {
        g_LiveScnMng->EnterScene("Wood", 0, 0, g_CurScene, 0, 0);
        return 1;
    };
    CScene* town = mng->FindSceneOfClient(0);
    mng->EnterScene("Town", 0, 0, town, RoleOf(town, 0)->m_Handle, 0);
    mng->Tick();
    EXPECT_EQ(mng->m_Pending, 1);
    EXPECT_EQ(mng->m_PendingName, "Wood");
    g_SceneHooks.saveGame = nullptr;
    mng->Tick();
    EXPECT_EQ(mng->m_Pending, 0);
    EXPECT_STREQ(mng->FindSceneOfClient(0)->GetName(), "Wood");
}

TEST_F(ScnMngTest, RefusedChangesLeaveTheClientWhereItWas) {
    CScene* town = Enter("Town");
    const ObjHandle hero = RoleOf(town, 0)->m_Handle;
    Drain();
    struct Case {
        const char* name;
        const char* box;
    } cases[] = {
        {"Nowhere", " Not Find This Scn Name !"},  // no descriptor
        {"Broken", " Not Find This Scn Name !"},   // descriptor without its map
    };
    WriteScene({"Broken", 2, 8, 8, {{"Town", 1, 1, 0}}, "", false});
    for (const Case& c : cases) {
        const size_t boxes = MessageBoxCount();
        EXPECT_EQ(mng->ChangeScene(c.name, 0, 0, town, hero, 0), 0) << c.name;
        EXPECT_TRUE(HasBox(boxes, c.box)) << c.name;
        EXPECT_EQ(mng->FindSceneOfClient(0), town) << c.name;
        EXPECT_EQ(RoleOf(town, 0)->m_Handle, hero) << c.name;
        EXPECT_EQ(mng->GetSceneCount(), 1) << "a failed build is deleted: " << c.name;
    }
    // Not even a first entry goes to a missing scene.
    const size_t boxes = MessageBoxCount();
    EXPECT_EQ(mng->ChangeScene("Nowhere", 0, 5, nullptr, 0, 0), 0);
    EXPECT_TRUE(HasBox(boxes, " Not Find This Scn Name !"));
    EXPECT_EQ(mng->FindSceneOfClient(5), nullptr);
    EXPECT_EQ(mng->ChangeScene("NULL", 0, 0, town, hero, 0), 1);
    EXPECT_EQ(mng->FindSceneOfClient(0), town) << "\"NULL\" changes nothing";
    EXPECT_TRUE(Drain().empty());
}

TEST_F(ScnMngTest, AHundredScenesAtMost) {
    CScene* town = Enter("Town");
    const ObjHandle hero = RoleOf(town, 0)->m_Handle;
    // 99 more scenes fill the slots (they need no files for this).
    for (int i = 0; i < 99; ++i) {
        auto* s = new CScene("Filler");
        s->SetId(mng->Insert(mng->First(), s));
    }
    ASSERT_EQ(mng->GetSceneCount(), 100);
    const size_t boxes = MessageBoxCount();
    EXPECT_EQ(mng->ChangeScene("Wood", 0, 0, town, hero, 0), 0);
    EXPECT_TRUE(HasBox(boxes, " Too Many Scn !"));
    EXPECT_EQ(mng->FindSceneOfClient(0), town);
    EXPECT_EQ(mng->GetSceneCount(), 100);
}

TEST_F(ScnMngTest, NoPortalAtAllPlacesTheRoleInsideTheMap) {
    WriteScene({"Bare", 2, 5, 4, {}, "", true});
    const size_t boxes = MessageBoxCount();
    CScene* bare = Enter("Bare");
    ASSERT_NE(bare, nullptr);
    EXPECT_TRUE(HasBox(boxes, "not NULLPortal Point!"));
    CViewTracker* t = bare->FindTrackerByClient(0);
    EXPECT_EQ(t->m_EntryX, 4);
    EXPECT_EQ(t->m_EntryY, 3);
    EXPECT_EQ(t->m_EntryDir, 4);
}

TEST_F(ScnMngTest, GateHandles) {
    CScene* town = Enter("Town");
    CScene* wood = Enter("Wood", 0, town, RoleOf(town, 0)->m_Handle);
    // A gate object in the wood; then back to the town and in by the gate.
    wood->m_pWorld->MakeCurrent();
    auto* d = new CObjDesc11;
    d->m_X = 4;
    d->m_Y = 2;
    d->m_ModelId = 7;
    CGameObj* gate = wood->m_pWorld->m_ObjMng.AddObj(d, 31, 0, 0, -1);
    ASSERT_NE(gate, nullptr);
    // Keep the wood alive while the client is away: a second client.
    wood->CreateClient("NULL", {1, 1}, 0, 9);
    town = Enter("Town", 0, wood, RoleOf(wood, 0)->m_Handle);
    wood = Enter("Wood", 0, town, RoleOf(town, 0)->m_Handle, gate->m_Handle);
    ASSERT_NE(wood, nullptr);
    CViewTracker* t = wood->FindTrackerByClient(0);
    EXPECT_EQ(t->m_EntryX, 4);
    EXPECT_EQ(t->m_EntryY, 2);
    EXPECT_EQ(t->m_EntryDir, 0);
    // A stale gate handle still brings the client in, at a portal.
    town = Enter("Town", 0, wood, RoleOf(wood, 0)->m_Handle);
    wood = Enter("Wood", 0, town, RoleOf(town, 0)->m_Handle, 0x7000);
    ASSERT_NE(wood, nullptr);
    EXPECT_EQ(wood->FindTrackerByClient(0)->m_EntryX, 1) << "the fallback portal";
}

TEST_F(ScnMngTest, ResetPlacesClientsAtPortalsAndBlocksOrders) {
    CScene* town = Enter("Town");
    town->CreateClient("NULL", {8, 1}, 0, 1);
    town->CreateClient("NULL", {8, 2}, 0, 2);
    WriteScene({"Duo", 2, 8, 8, {{"P1", 1, 1, 1}, {"P2", 2, 5, 2}}, "", true});
    CScene* duo = Enter("Duo", 0, town, RoleOf(town, 0)->m_Handle);
    duo->CreateClient("NULL", {7, 7}, 3, 1);
    duo->CreateClient("NULL", {7, 6}, 3, 2);
    Drain();
    duo->SetState(1);
    const auto lines = Packets(DrainDecoded());
    EXPECT_EQ(lines, std::vector<std::string>(3, "notice sub=19 value=1")) << "to every client";
    const int want[3][3] = {{1, 1, 1}, {2, 5, 2}, {1, 1, 1}};
    const int clients[3] = {0, 1, 2};
    for (int i = 0; i < 3; ++i) {
        CFakeRole* r = RoleOf(duo, clients[i]);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->m_X / 64, want[i][0]) << i;
        EXPECT_EQ(r->m_Y / 64, want[i][1]) << i;
        EXPECT_EQ(r->dir, want[i][2]) << i;
    }
    uint8_t order[18] = {240};
    const ObjHandle h = RoleOf(duo, 0)->m_Handle;
    order[1] = static_cast<uint8_t>(h);
    order[2] = static_cast<uint8_t>(h >> 8);
    order[5] = 3;
    duo->ReceiveMsg(order, nullptr);
    EXPECT_EQ(RoleOf(duo, 0)->orders, 0) << "ignored while resetting";
    for (int i = 0; i < 28; ++i) {
        EXPECT_EQ(duo->IsResetting(), 1) << i;
        mng->Tick();
    }
    EXPECT_EQ(duo->IsResetting(), 0);
    duo->ReceiveMsg(order, nullptr);
    EXPECT_EQ(RoleOf(duo, 0)->orders, 1);
    EXPECT_EQ(RoleOf(duo, 0)->lastCommand, 3);
    order[2] ^= 0x80;  // wrong generation bit
    duo->ReceiveMsg(order, nullptr);
    EXPECT_EQ(RoleOf(duo, 0)->orders, 1);
}

TEST_F(ScnMngTest, CreateClientCommand) {
    CScene* town = Enter("Town");
    const ObjHandle old = RoleOf(town, 0)->m_Handle;
    for (const char* text : {"#CreateClient 7 1", "#CreateClient", "#Other 7 1 1", "hello", "#CreateClient x"}) {
        EXPECT_EQ(mng->OnCreateClient(text, 0), 1) << text;
        EXPECT_EQ(RoleOf(town, 0)->m_Handle, old) << text;
    }
    EXPECT_EQ(mng->OnCreateClient("#CreateClient 7 1 1", 42), 1) << "a sender in no scene";
    EXPECT_EQ(g_LastCommandSender, 42);
    calls.clear();
    EXPECT_EQ(mng->OnCreateClient("#CreateClient  7   6 5", 0), 1);
    CFakeRole* guard = RoleOf(town, 0);
    ASSERT_NE(guard, nullptr);
    EXPECT_NE(guard->m_Handle, old);
    EXPECT_EQ(guard->m_Kind, 60);
    ASSERT_NE(guard->GetDesc(), nullptr);
    EXPECT_EQ(guard->GetDesc()->m_ModelId, 7);
    EXPECT_EQ(calls, (std::vector<std::string>{"save", "place 6,5"}));
}

TEST_F(ScnMngTest, RemovedScenesRunTheirCodeInTheirOwnWorld) {
    CScene* town = Enter("Town");
    town->CreateClient("NULL", {8, 1}, 0, 1);
    CScene* wood = Enter("Wood", 0, town, RoleOf(town, 0)->m_Handle);
    ASSERT_TRUE(RoleOf(town, 1) && RoleOf(wood, 0));
    const void* townMng = &town->m_pWorld->m_ObjMng;
    const void* woodMng = &wood->m_pWorld->m_ObjMng;
    SetCurrentScene(wood);
    deathMngs.clear();
    mng->RemoveScene(town);
    EXPECT_EQ(deathMngs, std::vector<const void*>{townMng}) << "the town's role died in the town's world";
    EXPECT_EQ(g_CurScene, wood) << "the previous scene is current again";
    EXPECT_EQ(g_CurObjMng, woodMng);
    EXPECT_EQ(mng->GetSceneCount(), 1);
    mng->DeleteAllScenes();
    EXPECT_EQ(deathMngs, (std::vector<const void*>{townMng, woodMng}));
    EXPECT_EQ(mng->GetSceneCount(), 0);
    EXPECT_EQ(g_CurScene, nullptr);
    EXPECT_EQ(g_CurObjMng, nullptr);
    EXPECT_EQ(g_ClientCount, 0);
}

TEST_F(ScnMngTest, DelayedRemovalsAndTheLeaveAcknowledgement) {
    CScene* town = Enter("Town");
    town->CreateClient("NULL", {8, 1}, 0, 4);
    Drain();
    town->AddDelayedRemoval(4, 2);
    g_InServerStep = 1;
    mng->Tick();
    EXPECT_NE(town->FindTrackerByClient(4), nullptr);
    mng->Tick();
    g_InServerStep = 0;
    EXPECT_EQ(town->FindTrackerByClient(4), nullptr);
    EXPECT_EQ(Packets(DrainDecoded()), std::vector<std::string>{"host sub=1"});
    EXPECT_EQ(town->m_Removals.GetCount(), 0);
}

TEST_F(ScnMngTest, SendForms) {
    CScene* town = Enter("Town");
    town->CreateClient("NULL", {8, 1}, 0, 1);
    town->CreateClient("NULL", {8, 2}, 0, 2);
    Drain();
    int i = 0;
    for (CObjNode* n = town->m_Trackers.Head(); n; n = n->Next(), ++i) {
        auto* t = static_cast<CViewTracker*>(n);
        t->m_Left = i * 1000;
        t->m_Top = 0;
    }
    // Packet 8 of a new magic object: to the views holding its point only.
    uint8_t magic[7];
    MakeNewMagicPacket(magic, 5, 2000, 100);
    town->AddTextLine("one");
    town->SendInView(magic, 2000, 100);
    std::vector<std::string> three;
    for (int k = 0; k < 3; ++k) {
        three.push_back("text \"one\"");
        three.push_back("magic id=5 x=2000 y=100");
    }
    EXPECT_EQ(DrainDecoded(), three) << "every view holds x 2000, each gets the line";
    EXPECT_EQ(town->GetTextCount(), 0);
    town->SendInView(magic, 2560, 100);
    EXPECT_EQ(Packets(DrainDecoded()).size(), 2u) << "x 2560 lies past client 0's view";
    town->SendInView(magic, 4560, 100);
    EXPECT_TRUE(Drain().empty());
    // Object text to the watchers of the object only.
    const ObjHandle hero = RoleOf(town, 0)->m_Handle;
    auto* first = static_cast<CViewTracker*>(town->m_Trackers.Head());
    auto* e = new CViewEntry;
    e->m_Handle = hero;
    first->m_SeenRoles.AddTail(e);
    town->SendObjText(hero, "Cloak");
    char want[40];
    std::snprintf(want, sizeof want, "objtext h=%u", hero & 0xFFFF);
    EXPECT_EQ(DrainDecoded(), (std::vector<std::string>{"text \"Cloak\"", want}));
    EXPECT_EQ(town->GetTextCount(), 0);
}

} // namespace

namespace {

std::vector<std::string> g_TriggerCalls;

class ScnMngTriggerTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        g_TriggerCalls.clear();
        static int triggers;
        g_SceneHooks.createTriggers = [](CScene*) { return reinterpret_cast<CTriggerMgr*>(&triggers); };
        g_SceneHooks.evalCondition = [](CTriggerMgr*, const char* text, uint32_t) {
            g_TriggerCalls.push_back(text);
            return 1;
        };
        g_SceneHooks.executeActions = [](CTriggerMgr*, const char* text, CGameObj*) {
            g_TriggerCalls.push_back(text);
            return 1;
        };
        g_SceneHooks.loadSceneTriggers = [](CTriggerMgr*, const char* name) {
            g_TriggerCalls.push_back(std::string("load ") + name);
        };
        g_SceneHooks.runTransitionTriggers = [](CTriggerMgr*, const char* name, int created) {
            g_TriggerCalls.push_back(std::string("transition ") + (name ? name : "-") + " " + std::to_string(created));
        };
        g_SceneHooks.playMusic = [](const char* name, int loop) {
            g_TriggerCalls.push_back(std::string("music ") + name + " " + std::to_string(loop));
        };
    }
};

TEST_F(ScnMngTriggerTest, FirstEntryFlagMusicAndTransitions) {
    ASSERT_TRUE(datagen::WriteTable(Dir() + "mb/ScnSoundMdl.txt", {{"Id", "Name", "Loop"}, {"3", "Calm", ""}, {"4", "", ""}}));
    ASSERT_EQ(g_ScnSoundMdl.Load("mb\\ScnSoundMdl.txt", 0, 1, 1), 1);
    SceneSpec town{"Town", 2, 8, 8, {{"NULL", 1, 1, 0}}, "Met1", true};
    WriteScene(town);
    SceneSpec hut{"Hut", 2, 8, 8, {{"Town", 1, 1, 0}}, "ab", true};
    WriteScene(hut);
    // Column 17 (music row): the town plays "Calm" looped; the hut's row has none.
    datagen::Table rows = {datagen::ScnInfoHeader()};
    datagen::ScnInfoRow r;
    r.name = "Town";
    r.type = 2;
    r.flagName = "Met1";
    r.soundRow = 3;
    rows.push_back(datagen::BuildScnInfoRow(r));
    r.name = "Hut";
    r.flagName = "ab";
    r.soundRow = 4;
    rows.push_back(datagen::BuildScnInfoRow(r));
    ASSERT_TRUE(datagen::WriteTable(Dir() + "mb/ScnInfo.txt", rows));
    ASSERT_EQ(g_ScnInfoMdl.Load("mb\\ScnInfo.txt", 1, 1, 1), 1);

    mng->EnterScene("Town", 0, 0, nullptr, 0, 0);
    mng->Tick();
    EXPECT_EQ(g_TriggerCalls, (std::vector<std::string>{"load Town", "music Calm 1", "IsFlag Met1 0", "SetFlag Met1 1",
                                                        "transition Town 1"}));
    g_TriggerCalls.clear();
    CScene* t = mng->FindSceneOfClient(0);
    mng->EnterScene("Hut", 0, 0, t, RoleOf(t, 0)->m_Handle, 0);
    mng->Tick();
    EXPECT_EQ(g_TriggerCalls, (std::vector<std::string>{"load Hut", "transition Hut 1"}))
        << "a two-letter flag is no flag; an empty music name plays nothing";
    g_TriggerCalls.clear();
    t = mng->FindSceneOfClient(0);
    mng->EnterScene("Town", 0, 0, t, RoleOf(t, 0)->m_Handle, 0);
    mng->Tick();
    EXPECT_EQ(g_TriggerCalls, (std::vector<std::string>{"music Calm 1", "IsFlag Met1 0", "SetFlag Met1 1",
                                                        "transition Town 0"}));
    g_TriggerCalls.clear();
    t = mng->FindSceneOfClient(0);
    t->ResetObjects();
    EXPECT_EQ(g_TriggerCalls, std::vector<std::string>{"transition - 0"});
}

} // namespace

namespace {

class ScnMngParkTest : public SceneTest {};

TEST_F(ScnMngParkTest, DeleteInactiveScenesKeepsTheActiveOnes) {
    WriteScene({"Town", 2, 8, 8, {{"NULL", 1, 1, 0}}, "", true});
    WriteScene({"Hut", 2, 8, 8, {{"Town", 2, 2, 0}}, "", true});
    mng->EnterScene("Town", 0, 0, nullptr, 0, 0);
    mng->Tick();
    CScene* town = mng->FindSceneOfClient(0);
    mng->EnterScene("Hut", 0, 0, town, RoleOf(town, 0)->m_Handle, 0);
    mng->Tick();
    ASSERT_EQ(town->m_Active, 0);
    ASSERT_EQ(mng->GetSceneCount(), 2);
    mng->DeleteInactiveScenes();
    EXPECT_EQ(mng->GetSceneCount(), 1);
    EXPECT_EQ(mng->SelectSceneByName("Town"), nullptr);
    EXPECT_NE(mng->SelectSceneByName("Hut"), nullptr);
    EXPECT_EQ(mng->FindSceneOfClient(0), mng->SelectSceneByName("Hut"));
}

} // namespace
