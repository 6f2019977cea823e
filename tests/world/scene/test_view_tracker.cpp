#include <gtest/gtest.h>

#include <cstdio>

#include "datagen/table_writer.h"
#include "support/packet_decode.h"
#include "world/buildings/bld.h"
#include "world/objects/obj_mng.h"
#include "world/scene_fixture.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world.h"

using namespace scntest;

namespace {

std::string H(const char* form, uint32_t handle, int extra = 0) {
    char buf[80];
    std::snprintf(buf, sizeof buf, form, handle & 0xFFFF, extra);
    return buf;
}

class ViewTrackerTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        WriteScene({"Town", 2, 80, 60, {{"NULL", 2, 2, 3}}, "", true});
        mng->EnterScene("Town", 0, 0, nullptr, 0, 0);
        mng->Tick();
        town = mng->FindSceneOfClient(0);
        ASSERT_NE(town, nullptr);
        tracker = town->FindTrackerByClient(0);
        ASSERT_EQ(tracker->m_Bound, 1);
        EXPECT_EQ(tracker->m_ViewPending, 1);
        EXPECT_EQ(tracker->m_Width, 2560);
        EXPECT_EQ(tracker->m_Height, 1920);
        // The client has placed its view at the map's corner.
        tracker->m_ViewPending = 0;
        tracker->m_Left = 0;
        tracker->m_Top = 0;
        RoleOf(town, 0)->camp = 1;
        Drain();
    }
    CFakeRole* AddGuard(int cx, int cy, int camp) {
        auto* r = dynamic_cast<CFakeRole*>(town->m_pWorld->m_ObjMng.AddRole(7, cx, cy, 0, 0, 0, -1, -1));
        if (r) r->camp = camp;
        return r;
    }
    CMechBld* AddMech(int kind, int state) {
        town->m_pWorld->MakeCurrent();
        auto* b = new CMechBld;
        b->m_Kind = kind;
        b->m_State = state;
        b->Register(0);
        town->m_pWorld->m_ObjMng.m_SceneObjs.AddTail(b);
        return b;
    }
    CScene* town = nullptr;
    CViewTracker* tracker = nullptr;
};

TEST_F(ViewTrackerTest, RolesAreAnnouncedByCampAndView) {
    CFakeRole* friendFar = AddGuard(70, 50, 1);  // (4512, 3232): outside the view
    CFakeRole* foe = AddGuard(70, 50, 2);
    ASSERT_TRUE(friendFar && foe);
    Drain();
    town->UpdateViews(friendFar->m_Handle);
    const auto lines = DrainDecoded();
    ASSERT_EQ(lines.size(), 2u) << "the own camp is announced wherever it is";
    EXPECT_EQ(lines[0], "text \"  \"") << "picture, name and part names";
    char appear[120];
    std::snprintf(appear, sizeof appear, "appear h=%u model=7 x=%d y=%d anim=0 camp=1 bits=0",
                  friendFar->m_Handle & 0xFFFF, 70 * 64 + 32, 50 * 64 + 32);
    EXPECT_EQ(lines[1], appear);
    town->UpdateViews(friendFar->m_Handle);
    EXPECT_TRUE(Drain().empty()) << "announced once";

    town->UpdateViews(foe->m_Handle);
    EXPECT_TRUE(Drain().empty()) << "another camp outside the view";
    EXPECT_EQ(tracker->HasSeen(foe->m_Handle), 0);
    foe->SetTilePos(10, 10);
    town->UpdateViews(foe->m_Handle);
    EXPECT_EQ(DrainDecoded().size(), 2u) << "inside the view";
    foe->SetTilePos(60, 10);
    town->UpdateViews(foe->m_Handle);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(CViewTracker::FindEntry(tracker->m_SeenRoles, foe->m_Handle)->m_State, 100);
    foe->SetTilePos(11, 10);
    town->UpdateViews(foe->m_Handle);
    EXPECT_TRUE(Drain().empty()) << "an entry is never announced again";
    EXPECT_EQ(CViewTracker::FindEntry(tracker->m_SeenRoles, foe->m_Handle)->m_State, 0);

    town->UntrackAll(foe->m_Handle);
    EXPECT_EQ(tracker->HasSeen(foe->m_Handle), 0);
    tracker->m_ViewPending = 1;
    town->UpdateViews(foe->m_Handle);
    EXPECT_TRUE(Drain().empty()) << "nothing while the view is pending";
    EXPECT_EQ(tracker->HasSeen(foe->m_Handle), 0);
}

TEST_F(ViewTrackerTest, BuildingStates) {
    CMechBld* door = AddMech(12, 1);
    CMechBld* portal = AddMech(13, 0);
    CMechBld* plain = AddMech(11, 0);
    struct Step {
        CMechBld* bld;
        int state, on;
        std::vector<std::string> sent;
    } steps[] = {
        {door, 1, 1, {H("objstate h=%u state=%d", door->m_Handle, 1)}},  // first seen in state 1: announced
        {door, 1, 1, {}},                                               // known
        {door, 3, 1, {H("objstate h=%u state=%d", door->m_Handle, 3)}},
        {door, 1, 1, {}},  // a change to 1 is not announced to a view that knew the building
        {door, 3, 1, {H("objstate h=%u state=%d", door->m_Handle, 3)}},
        {door, 3, 0, {}},  // forgotten, nothing sent
        {door, 3, 1, {H("objstate h=%u state=%d", door->m_Handle, 3)}},
        {portal, 0, 1, {H("objstate h=%u state=%d", portal->m_Handle, 0)}},
        {plain, 0, 1, {}},  // no mechanism
    };
    int i = 0;
    for (const Step& s : steps) {
        s.bld->m_State = s.state;
        town->TrackBuildingAll(s.bld->m_Handle, s.on);
        EXPECT_EQ(DrainDecoded(), s.sent) << "step " << i++;
    }
    EXPECT_EQ(CViewTracker::FindEntry(tracker->m_Buildings, door->m_Handle)->m_State, 3);
}

TEST_F(ViewTrackerTest, ObjectsShownAndHidden) {
    CFakeRole* thing = AddGuard(5, 5, 2);
    const uint32_t h = thing->m_Handle;
    Drain();
    town->TrackObjectAll(h, 0);
    EXPECT_TRUE(Drain().empty()) << "never shown: nothing to hide";
    town->TrackObjectAll(h, 1);
    town->TrackObjectAll(h, 1);
    EXPECT_TRUE(Drain().empty()) << "showing sends nothing";
    EXPECT_EQ(tracker->m_Shown.GetCount(), 1);
    town->TrackObjectAll(h, 0);
    EXPECT_EQ(DrainDecoded(), std::vector<std::string>{H("remove h=%u", h)});
    town->TrackObjectAll(h, 0);
    EXPECT_TRUE(Drain().empty());
    // An unbound tracker keeps nothing.
    town->CreateClient("NULL", {1, 1}, 0, 5);
    CViewTracker* other = town->FindTrackerByClient(5);
    other->m_Bound = 0;
    town->TrackObjectAll(h, 1);
    EXPECT_EQ(other->m_Shown.GetCount(), 0);
    EXPECT_EQ(tracker->m_Shown.GetCount(), 1);
}

TEST_F(ViewTrackerTest, LeavePacketSendsTheClientToItsReviveScene) {
    static int record;  // any address stands for the record
    static int deadCalls;
    deadCalls = 0;
    g_SceneHooks.getRecord = [](int32_t id) { return id == 1 ? reinterpret_cast<CRoleData*>(&record) : nullptr; };
    g_SceneHooks.setDead = [](CRoleData*, int dead) { deadCalls += dead; };
    g_SceneHooks.getReviveScene = [](CRoleData*) -> const char* { return "Town"; };
    g_SceneHooks.getRecordSceneId = [](CRoleData*) { return g_LiveScnMng->FindSceneOfClient(0)->m_Id; };
    tracker->Bind(tracker->m_RoleHandle);
    ASSERT_NE(tracker->m_pRecord, nullptr);
    const uint8_t other[2] = {241, 1};
    town->ReceiveMsg(other, tracker);
    EXPECT_EQ(mng->m_Pending, 0);
    const uint8_t leave[2] = {241, 0};
    town->ReceiveMsg(leave, nullptr);
    EXPECT_EQ(mng->m_Pending, 0) << "no tracker, nothing";
    town->ReceiveMsg(leave, tracker);
    EXPECT_EQ(deadCalls, 1);
    EXPECT_EQ(mng->m_Pending, 1);
    EXPECT_EQ(mng->m_PendingName, "Town");
    EXPECT_EQ(mng->m_PendingEntry, -1);
    EXPECT_EQ(mng->m_PendingLeft, town);
    sounds.clear();
    mng->Tick();
    EXPECT_EQ(sounds, std::vector<std::string>{"112/0/100"}) << "entry -1: the CSD portal";
    EXPECT_EQ(mng->FindSceneOfClient(0), town);
    EXPECT_EQ(town->m_Trackers.GetCount(), 1);
}

TEST_F(ViewTrackerTest, DeathNoticeNamesAnAttackerWhoseRowAsksForIt) {
    static int record;
    static std::vector<std::string> seen;
    static CGameObj* attacker;
    seen.clear();
    attacker = nullptr;
    // The key index reaches only a little past the row count: one row per key.
    datagen::Table text;
    for (int key = 0; key <= 232; ++key) text.push_back({std::to_string(key), "-"});
    text[231][1] = " fell";
    text[232][1] = ": slain by ";
    ASSERT_TRUE(datagen::WriteTable(Dir() + "Text.txt", text));
    ASSERT_EQ(g_TextTable.Load("Text.txt", 0, 0, 1), 1);
    // Column 27 set for the guard only.
    std::vector<std::string> head(28, "x"), hero(28, ""), guard(28, "");
    head[0] = "Name", head[1] = "Id", hero[0] = "Hero", hero[1] = "1", guard[0] = "Guard", guard[1] = "7";
    guard[27] = "1";
    ASSERT_TRUE(datagen::WriteTable(Dir() + "mb/Role.txt", {head, hero, guard}));
    ASSERT_EQ(g_RoleMdlTable.Load("mb\\Role.txt", 1, 1, 1), 1);
    g_WorldHooks.getRoleModelRow = [](const CGameObj* r) -> const CTxtRow* {
        return g_RoleMdlTable.GetRow(r->m_Kind == 60 ? 1 : 7);
    };
    g_SceneHooks.getRecord = [](int32_t id) { return id == 1 ? reinterpret_cast<CRoleData*>(&record) : nullptr; };
    g_SceneHooks.setDead = [](CRoleData*, int dead) { seen.push_back("dead " + std::to_string(dead)); };
    g_SceneHooks.dropMoney = [](CRoleData*, int32_t amount) { seen.push_back("drop " + std::to_string(amount)); };
    g_SceneHooks.getLastAttacker = [](CGameObj*) { return attacker; };
    g_SceneHooks.getSaveName = []() -> const char* { return "Ann"; };
    g_SceneHooks.showNotice = [](const char* text) { seen.push_back(std::string("notice ") + text); };

    tracker->ShowDeathNotice();
    EXPECT_TRUE(seen.empty()) << "no player record yet";
    tracker->Bind(tracker->m_RoleHandle);
    ASSERT_NE(tracker->m_pRecord, nullptr);

    CFakeRole* guard7 = AddGuard(5, 5, 2);
    ASSERT_NE(guard7, nullptr);
    tracker->ShowDeathNotice();
    EXPECT_EQ(seen, (std::vector<std::string>{"drop -1", "dead 1"})) << "scene type 2, no attacker";

    seen.clear();
    attacker = guard7;
    tracker->ShowDeathNotice();
    EXPECT_EQ(seen, (std::vector<std::string>{"drop -1", "dead 1", "notice Ann: slain by Guard fell"}));

    seen.clear();
    attacker = RoleOf(town, 0);  // the hero's row leaves column 27 empty
    tracker->ShowDeathNotice();
    EXPECT_EQ(seen, (std::vector<std::string>{"drop -1", "dead 1"}));

    // A scene of type 1 or less keeps the record's money and life.
    const CTxtRow* row = town->m_pWorld->m_pScnRow;
    town->m_pWorld->m_pScnRow = nullptr;
    seen.clear();
    attacker = guard7;
    tracker->ShowDeathNotice();
    town->m_pWorld->m_pScnRow = row;
    EXPECT_EQ(seen, (std::vector<std::string>{"notice Ann: slain by Guard fell"}));
    g_TextTable.Clear();
}

} // namespace
