// The object manager: factories, passes and their order, pools, drops,
// finders, camps and the role-frame preloader, with recording hooks.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/txt_table.h"
#include "platform/debug.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "datagen/table_writer.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "../world_fixture.h"

using wtest::CTestObj;
using wtest::Log;
using wtest::WorldTest;

namespace {

// Loads rows (header row first, key column 1) into a table.
void LoadRows(CTxtTable& table, const datagen::Table& rows) {
    const std::string path = (std::filesystem::temp_directory_path() / "vt_obj_mng_table.txt").string();
    ASSERT_TRUE(datagen::WriteTable(path, rows));
    ASSERT_EQ(table.Load(path.c_str(), 1, 1, 1), 1);
    std::remove(path.c_str());
}

std::string Joined() {
    std::string s;
    for (const std::string& c : Log().calls) s += (s.empty() ? "" : ", ") + c;
    return s;
}

class ObjMngTest : public WorldTest {
protected:
    // A registered and filed object of that kind.
    CTestObj* Add(int kind, const char* name, int32_t id = -1) {
        auto* o = new CTestObj(kind, name);
        o->Register(id);
        Mng().Register(o->m_Handle);
        return o;
    }
    // A building in the scene-object list and the mechanism pool, as the
    // mechanism classes file themselves.
    CTestObj* AddMech(const char* name) {
        CTestObj* o = Add(12, name, 0);
        Mng().AddToMechPool(o);
        return o;
    }
    void TearDown() override {
        g_RoleMdlTable.Clear();
        g_BeastieMdlTable.Clear();
        g_PropMdlTable.Clear();
        WorldTest::TearDown();
    }
};

// A mechanism that leaves the pool when destroyed.
class CTestMech : public CTestObj {
public:
    using CTestObj::CTestObj;
    ~CTestMech() override {
        if (GetMng()) GetMng()->RemoveFromMechPool(this);
    }
};

TEST_F(ObjMngTest, UpdateTicksListsThenThePoolNewestFirst) {
    Add(31, "r1");
    Add(23, "p1");
    Add(6, "m1");
    Add(40, "r2");
    Add(4, "bird");  // the creature list is the client pass's
    AddMech("b1");
    AddMech("b2");
    Add(11, "plain");  // plain buildings are not ticked
    Log().calls.clear();
    Mng().Update();
    EXPECT_EQ(Joined(), "tick r1, tick r2, tick p1, tick m1, tick b2, tick b1");
}

TEST_F(ObjMngTest, DeletionDuringUpdateGoesOnWithTheNextNode) {
    CTestObj* r1 = Add(31, "r1");
    Add(31, "r2");
    CTestObj* p1 = Add(25, "p1");
    Add(26, "p2");
    CTestObj* m1 = Add(6, "m1");
    r1->Remove();
    p1->Remove();
    m1->Remove();
    Log().calls.clear();
    Mng().Update();  // no scene: no trigger request
    EXPECT_EQ(Joined(), "delete r1, tick r2, delete p1, tick p2, delete m1");
    CScene scene("s");
    CScene* keep = g_CurScene;
    g_CurScene = &scene;
    static_cast<CTestObj*>(Mng().m_Roles.Head())->Remove();
    Log().calls.clear();
    Mng().Update();
    g_CurScene = keep;
    EXPECT_EQ(Joined(), "delete r2, requestRun, tick p2");
    EXPECT_EQ(Mng().m_Roles.GetCount(), 0);
}

TEST_F(ObjMngTest, RemovedPoolMembersAndPlainBuildingsAreDeletedByUpdate) {
    auto mk = [&](const char* name) {
        auto* o = new CTestMech(12, name);
        o->Register(0);
        Mng().Register(o->m_Handle);
        Mng().AddToMechPool(o);
        return o;
    };
    CTestObj* a = mk("a");
    mk("b");
    CTestObj* c = mk("c");
    CTestObj* plain = Add(11, "plain");
    a->Remove();  // the last in the pool's order
    c->Remove();  // the first
    plain->Remove();
    Log().calls.clear();
    Mng().Update();
    EXPECT_EQ(Joined(), "delete c, tick b, delete a, delete plain");
    EXPECT_EQ(Mng().m_MechPool.GetCount(), 1);
    EXPECT_EQ(Mng().m_SceneObjs.GetCount(), 1);
}

TEST_F(ObjMngTest, PoolsHoldAtMost999) {
    std::vector<std::unique_ptr<CGameObj>> objs;
    for (int i = 0; i < 1000; ++i) {
        objs.push_back(std::make_unique<CGameObj>());
        const int slot = Mng().AddToMechPool(objs.back().get());
        if (i < 999)
            ASSERT_GE(slot, 0) << i;
        else
            EXPECT_EQ(slot, -1);
        EXPECT_EQ(Mng().AddToCorpsePool(objs.back().get()) >= 0, i < 999);
    }
    EXPECT_EQ(Mng().m_MechPool.GetCount(), 999);
    // Newest first.
    EXPECT_EQ(Mng().m_MechPool.GetAt(Mng().m_MechPool.First()), objs[998].get());
    EXPECT_EQ(Mng().m_MechPool.GetAt(Mng().m_MechPool.Last()), objs[0].get());
    Mng().RemoveFromMechPool(objs[500].get());
    Mng().RemoveFromMechPool(objs[999].get());  // not in it: nothing
    EXPECT_EQ(Mng().m_MechPool.GetCount(), 998);
    EXPECT_GE(Mng().AddToMechPool(objs[999].get()), 0);
    Mng().m_MechPool.RemoveAll();
    Mng().m_CorpsePool.RemoveAll();
}

TEST_F(ObjMngTest, ActionAndClientPasses) {
    Add(31, "r1");
    Add(60, "hero");
    CTestObj* m1 = Add(6, "m1");
    Add(6, "m2");
    CTestObj* bird = Add(4, "bird");
    Add(4, "bird2");
    m1->Remove();
    bird->Remove();
    Log().calls.clear();
    Mng().PostUpdate();
    EXPECT_EQ(Joined(), "op47 r1, op47 hero, op19 m1, op19 m2, clientSlots, delete bird, tick bird2");
    Log().calls.clear();
    Mng().UpdateActions();
    EXPECT_EQ(Joined(), "op11 r1, op11 hero, delete m1, op18 m2");
}

TEST_F(ObjMngTest, ResetCorpsesRemovesCorpsesAndBodyParts) {
    CTestObj* corpse = Add(25, "c");
    CTestObj* part = Add(26, "hd");
    CTestObj* item = Add(23, "i");
    CTestObj* role = Add(31, "r");
    Mng().ResetCorpses();
    EXPECT_EQ(corpse->m_Removed, 1u);
    EXPECT_EQ(part->m_Removed, 1u);
    EXPECT_EQ(item->m_Removed, 0u);
    EXPECT_EQ(role->m_Removed, 0u);
}

TEST_F(ObjMngTest, RegisterFilesByKindAndIgnoresStaleHandles) {
    struct Case {
        int kind;
        CObjList CObjMng::*list;
    } cases[] = {{21, &CObjMng::m_Props}, {29, &CObjMng::m_Props}, {30, &CObjMng::m_Roles},
                 {100, &CObjMng::m_Roles}, {4, &CObjMng::m_Creatures}, {10, &CObjMng::m_SceneObjs},
                 {20, &CObjMng::m_SceneObjs}, {6, &CObjMng::m_Magic}};
    for (const Case& c : cases) {
        CTestObj* o = Add(c.kind, "x");
        EXPECT_EQ(o->Owner(), &(Mng().*c.list)) << c.kind;
    }
    CTestObj* loose = Add(7, "attached");
    EXPECT_EQ(loose->Owner(), nullptr);
    delete loose;
    auto* o = new CTestObj(31, "stale");
    const ObjHandle h = o->Register(0);
    Mng().Register(h ^ (1u << 15));
    EXPECT_EQ(o->Owner(), nullptr);
    delete o;
}

TEST_F(ObjMngTest, ClearDestroysEveryListAndKeepsThePreloadList) {
    Add(31, "r");
    Add(6, "m");
    AddMech("b");
    Add(23, "p");
    Add(4, "f");
    Mng().AddCampRecord(10000);
    CScene scene("s");
    CScene* keep = g_CurScene;
    g_CurScene = &scene;
    Mng().SetPropToObj(5, 1, 1, "x");
    g_CurScene = keep;
    Mng().m_Preloaded.push_back(3);
    Mng().m_MechPool.RemoveAll();  // CTestObj does not leave the pool by itself
    Log().calls.clear();
    Mng().Clear();
    EXPECT_EQ(Joined(), "delete r, delete m, delete b, delete p, delete f");
    EXPECT_EQ(Mng().m_Camps.GetCount() + Mng().m_Drops.GetCount(), 0);
    EXPECT_EQ(Mng().m_DrawLayer0.GetCount() + Mng().m_DrawLayer2.GetCount(), 0);
    EXPECT_EQ(Table().GetLowCount() + Table().GetHighCount(), 0);
    EXPECT_EQ(Mng().IsPreloaded(3), 1);
}

TEST_F(ObjMngTest, AddObjMakesRolesThroughTheFactoryHook) {
    LoadRows(g_RoleMdlTable, {{"Name", "Id"}, {"Guard", "7"}});
    g_WorldHooks.createRole = [](int kind) -> CGameObj* { return new CTestObj(kind, "role"); };
    auto* desc = new CObjDesc11;
    desc->m_ModelId = 7;
    desc->m_X = 2;
    desc->m_Y = 3;
    CGameObj* role = Mng().AddObj(desc, 40, -1, 1234, 9);
    ASSERT_NE(role, nullptr);
    EXPECT_EQ(role->m_Kind, 40);
    EXPECT_EQ(role->m_PlaceIndex, 9);
    EXPECT_EQ(role->m_X, 2 * 64 + 32);
    EXPECT_EQ(role->Owner(), &Mng().m_Roles);
    EXPECT_EQ(Table().Resolve(role->m_Handle), role);
    EXPECT_EQ(Log().calls.back(), "op26 40 1234");

    // No model row, kinds without a class yet, and a creature id without a
    // "BeastieMdl" row (scripts make ids 1500-2000 by name) all fail alike.
    LoadRows(g_BeastieMdlTable, {{"Name", "Id"}, {"Bird", "1"}});
    struct Case {
        int kind;
        uint16_t model;
    } cases[] = {{31, 8}, {22, 1500}, {22, 20002}, {23, 1}, {5, 7}};
    for (const Case& c : cases) {
        plat::ClearDebugCapture();
        auto* d = new CObjDesc11;
        d->m_ModelId = c.model;
        EXPECT_EQ(Mng().AddObj(d, c.kind, -1, 0, -1), nullptr);
        ASSERT_FALSE(plat::DebugCaptured().empty());
        EXPECT_EQ(plat::DebugCaptured().back(), "CObjMng::AddObj Error") << c.kind;
    }
    EXPECT_EQ(Mng().m_Roles.GetCount(), 1);
}

TEST_F(ObjMngTest, AddRoleBuildsItsRecord) {
    LoadRows(g_RoleMdlTable, {{"Name", "Id"}, {"Guard", "7"}});
    g_WorldHooks.createRole = [](int kind) -> CGameObj* { return new CTestObj(kind, "role"); };
    CGameObj* a = Mng().AddRole(7, 4, 5, 0, -1, 0, -1, 9);
    ASSERT_NE(a, nullptr);
    auto* d13 = dynamic_cast<CObjDesc13*>(a->GetDesc());
    ASSERT_NE(d13, nullptr);
    EXPECT_EQ(a->m_Kind, 31);
    EXPECT_EQ(d13->m_Logic, 1);
    EXPECT_EQ(d13->m_MoveLevel, 3);
    EXPECT_EQ(d13->m_RectX, 4);
    EXPECT_EQ(d13->m_RectY, 5);
    EXPECT_EQ(d13->m_RectW, 4);
    EXPECT_EQ(d13->m_RectH, 4);
    EXPECT_EQ(d13->m_Value, 16);
    EXPECT_EQ(d13->m_ModelId, 7);

    plat::SRand(99);
    const int dir = plat::Rand() & 7;
    plat::SRand(99);
    CGameObj* b = Mng().AddRole(7, 4, 5, 1, -1, 0, 10, 11);
    ASSERT_NE(b, nullptr);
    auto* d12 = dynamic_cast<CObjDesc12*>(b->GetDesc());
    ASSERT_NE(d12, nullptr);
    EXPECT_EQ(b->m_Kind, 60);
    EXPECT_EQ(d12->m_Type, 16u);
    EXPECT_EQ(d12->m_Logic, 4);
    EXPECT_EQ(d12->m_MoveLevel, 4);
    EXPECT_EQ(d12->m_Dir, dir);
    EXPECT_EQ(d12->m_PatrolX, 10);
    EXPECT_EQ(d12->m_PatrolY, 11);
    EXPECT_EQ(d12->m_X, 4);
    EXPECT_EQ(b->m_PlaceIndex, -1);
}

TEST_F(ObjMngTest, AddPropChecksTheIdBeforeReadingARow) {
    plat::ClearRecordedMessageBoxes();
    EXPECT_EQ(Mng().AddProp(-1, 1, 1, 0, 1), nullptr);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "AddProp \xce\xde" "PicID!");
    EXPECT_EQ(Mng().AddProp(42, 1, 1, 0, 1), nullptr);  // no row: no read past it
    EXPECT_EQ(plat::RecordedMessageBoxes().size(), 1u);
}

TEST_F(ObjMngTest, NewMagicPacketBytes) {
    uint8_t p[7];
    MakeNewMagicPacket(p, 0x1234, 0xABCD, 70000);
    const uint8_t want[7] = {8, 0x34, 0x12, 0xCD, 0xAB, 0x70, 0x11};
    EXPECT_EQ(std::vector<uint8_t>(p, p + 7), std::vector<uint8_t>(want, want + 7));
    // Factory hook: registered and filed; none makes nothing.
    EXPECT_EQ(Mng().AddMagic(1, 0, 0, nullptr, 1), nullptr);
    g_WorldHooks.createMagic = [](int, int x, int y, CGameObj*) -> CGameObj* {
        auto* m = new CTestObj(6, "magic");
        m->SetPos(x, y);
        m->Register(-1);
        return m;
    };
    CGameObj* m = Mng().AddMagic(1, 10, 20, nullptr, 1);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Owner(), &Mng().m_Magic);
}

TEST_F(ObjMngTest, DropsByHandleAutoAndName) {
    CScene scene("s");
    CScene* keep = g_CurScene;
    Mng().SetPropToObj(1, 1, 1, "x");  // no scene: ignored
    EXPECT_EQ(Mng().m_Drops.GetCount(), 0);
    g_CurScene = &scene;
    CTestObj* plain = Add(31, "plain");
    CTestObj* autoObj = Add(31, "auto");
    auto* d = new CObjDesc11;
    d->SetText("AUTO");
    autoObj->Init(d);
    CTestObj* named = Add(31, "named");
    auto* d2 = new CObjDesc11;
    d2->SetText("Chest");
    named->Init(d2);

    Mng().SetPropToObj(plain->m_Handle, 10, 1, "");
    Mng().SetPropToObj(autoObj->m_Handle, 11, 2, "");
    Mng().SetPropToObj(0, 12, 3, "chest");
    Mng().SetPropToObj(0, 13, 4, "CHEST");
    Mng().SetPropToObj(0, 14, 5, "other");
    EXPECT_EQ(Mng().FindDropByName("Chest")->m_PropId, 12);
    EXPECT_EQ(Mng().m_Drops.Cursor(), Mng().FindDropByName("chest"));
    EXPECT_EQ(Mng().FindDropByHandle(autoObj->m_Handle)->m_PropId, 11);

    // No prop rows: AddProp makes nothing, but every entry found is gone.
    Mng().DropProps(plain, 0);
    Mng().DropProps(autoObj, 1);
    EXPECT_EQ(Mng().FindDropByHandle(plain->m_Handle), nullptr);
    EXPECT_EQ(Mng().FindDropByHandle(autoObj->m_Handle), nullptr);
    Mng().DropProps(named, 0);  // one by name
    EXPECT_EQ(Mng().FindDropByName("chest")->m_PropId, 13);
    Mng().SetPropToObj(0, 15, 6, "Chest");
    Mng().DropProps(named, 1);  // all by name
    EXPECT_EQ(Mng().FindDropByName("chest"), nullptr);
    ASSERT_EQ(Mng().m_Drops.GetCount(), 1);
    EXPECT_EQ(Mng().FindDropByName("other")->m_PropId, 14);
    Mng().RemoveDrop(Mng().FindDropByName("other"));
    EXPECT_EQ(Mng().m_Drops.GetCount(), 0);
    g_CurScene = keep;
}

// Objects of kind k with a picture name.
CTestObj* Named(CTestObj* o, const char* pic) {
    auto* d = new CObjDesc11;
    d->SetText(pic);
    o->Init(d);
    return o;
}

TEST_F(ObjMngTest, NameFindersWalkInOrderWithTheirCursors) {
    CTestObj* m1 = Named(AddMech("m1"), "Door");
    Named(AddMech("m2"), "Gate");
    CTestObj* m3 = Named(AddMech("m3"), "door");
    // Pool order is newest first.
    EXPECT_EQ(Mng().FindFirstObjByName("DOOR"), m3);
    EXPECT_EQ(Mng().FindNextObjByName(), m1);
    EXPECT_EQ(Mng().FindNextObjByName(), nullptr);
    EXPECT_EQ(Mng().FindFirstObjByName("none"), nullptr);

    CTestObj* r1 = Named(Add(31, "r1"), "Guard");
    CTestObj* r2 = Named(Add(31, "r2"), "guard");
    CTestObj* dead = Named(Add(31, "dead"), "Guard");
    CTestObj* removed = Named(Add(31, "removed"), "Guard");
    CTestObj* r3 = Named(Add(40, "r3"), "GUARD");
    Add(31, "nopic");
    removed->m_Removed = 1;
    static CGameObj* s_Dead;
    s_Dead = dead;
    g_WorldHooks.isRoleDead = [](const CGameObj* r) { return r == s_Dead ? 1 : 0; };
    EXPECT_EQ(Mng().FindRoleByName("guard"), r1);
    EXPECT_EQ(Mng().FindNextRoleByName("guard"), r2);
    // GetRoleByName leaves the walk where it was.
    EXPECT_EQ(Mng().GetRoleByName("guard"), r1);
    EXPECT_EQ(Mng().FindNextRoleByName("guard"), r3);
    EXPECT_EQ(Mng().FindNextRoleByName("guard"), nullptr);
    EXPECT_EQ(Mng().FindRoleByName(""), nullptr);

    r2->m_PlaceIndex = 4;
    r3->m_PlaceIndex = 4;
    EXPECT_EQ(Mng().FindRoleByPlacement(4), r2);
    EXPECT_EQ(Mng().FindRoleByPlacement(5), nullptr);
    Mng().m_MechPool.RemoveAll();
}

TEST_F(ObjMngTest, CampRecordsAndRoleMarks) {
    CCampRecord* rec = Mng().AddCampRecord(10000);
    rec->m_Others.Insert(-1, 20000);
    rec->m_Others.Insert(-1, 7);
    EXPECT_EQ(Mng().AddCampRecord(10000), rec);
    EXPECT_EQ(Mng().FindCampRecord(10000), rec);
    EXPECT_EQ(Mng().FindCampRecord(3), nullptr);
    EXPECT_EQ(Mng().CampListHas(10000, 7), 1);
    EXPECT_EQ(Mng().CampListHas(10000, 8), 0);
    EXPECT_EQ(Mng().CampListHas(3, 7), 0);
    for (int i = 0; i < 200; ++i) rec->m_Others.Insert(-1, 100 + i);
    EXPECT_EQ(rec->m_Others.GetCount(), 200);  // at most 200 camps

    Add(31, "a");
    Add(60, "b");
    Add(23, "prop");
    Log().calls.clear();
    Mng().RefreshRoleMarks();
    EXPECT_EQ(Joined(), "talk a, talk b");
    EXPECT_EQ(Mng().CountLiveBeasties(), 0);
    Add(27, "not a creature class");  // kind 27 alone is not a live creature
    EXPECT_EQ(Mng().CountLiveBeasties(), 0);
}

TEST_F(ObjMngTest, PlaceAllEntersRolesAndMarksItemCells) {
    CMapGrid grid;
    ASSERT_EQ(grid.Create(8, 8), 1);
    CMapGrid* keep = g_CurMapGrid;
    g_CurMapGrid = &grid;
    Add(31, "r");
    CTestObj* item = Add(23, "item");
    item->SetTilePos(3, 4);
    CTestObj* corpse = Add(25, "corpse");
    corpse->SetTilePos(5, 5);
    CTestObj* far = Add(23, "far");
    far->SetTilePos(50, 50);  // outside the grid: nothing
    Log().calls.clear();
    Mng().PlaceAll();
    g_CurMapGrid = keep;
    EXPECT_EQ(Joined(), "enter r 1");
    EXPECT_EQ(grid.GetCell(3, 4)->m_GroundObj, static_cast<uint16_t>(item->m_Handle));
    EXPECT_EQ(grid.GetCell(5, 5)->m_GroundObj, kNoObj);
}

struct PreloadLog {
    static std::vector<std::string>& Calls() {
        static std::vector<std::string> c;
        return c;
    }
};

TEST_F(ObjMngTest, PreloadLoadsRunsOfFramesOncePerModel) {
    // Columns 7-11 and the items of 13 (up to 65535), joined into runs one
    // direction count (8) apart.
    LoadRows(g_RoleMdlTable, {{"Name", "Id", "c2", "c3", "c4", "c5", "c6", "c7", "c8", "c9", "c10", "c11", "c12",
                               "c13"},
                              {"Guard", "7", "", "", "", "", "1", "116", "100", "108", "200", "", "", "300*308*65535*400"},
                              {"Cat", "9", "", "", "", "", "", "50", "", "", "", "", "", ""}});
    g_WorldHooks.getRoleModelRow = [](const CGameObj* r) -> const CTxtRow* {
        return g_RoleMdlTable.GetRow(r->m_ModelId);
    };
    g_WorldHooks.getRoleCamp = [](const CGameObj* r) { return r->m_DataId; };
    g_WorldHooks.getRoleDirCount = [](const CGameObj*) { return 8; };
    g_WorldHooks.setSpriteFrame = [](CGameObj*, int a, int n) {
        PreloadLog::Calls().push_back(std::to_string(a) + "+" + std::to_string(n));
    };
    g_WorldHooks.logLoading = [](int p, const char* name, const char* step) {
        PreloadLog::Calls().push_back(std::to_string(p) + " " + name + " " + step);
    };
    g_WorldHooks.drawLoadingProgress = [](int n) { PreloadLog::Calls().push_back("progress " + std::to_string(n)); };
    PreloadLog::Calls().clear();

    CTestObj guard(31), guard2(31), cat(31), catPlayer(31);
    guard.m_ModelId = guard2.m_ModelId = 7;
    cat.m_ModelId = catPlayer.m_ModelId = 9;
    catPlayer.m_DataId = 10000;  // a player camp preloads without column 6
    Mng().PreloadRoleFrames(&guard);  // no client: nothing
    EXPECT_TRUE(PreloadLog::Calls().empty());
    g_WorldHooks.hostHasClient = [] { return 1; };
    Mng().PreloadRoleFrames(&guard);
    Mng().PreloadRoleFrames(&guard2);
    const std::vector<std::string> want = {"100+24", "200+8", "300+16", "progress 1", "10 End Guard 7"};
    EXPECT_EQ(PreloadLog::Calls(), want);
    EXPECT_EQ(Mng().IsPreloaded(7), 1);

    PreloadLog::Calls().clear();
    Mng().PreloadRoleFrames(&cat);  // nothing to load, but noted
    EXPECT_TRUE(PreloadLog::Calls().empty());
    EXPECT_EQ(Mng().IsPreloaded(9), 1);
    Mng().PreloadRoleFrames(&catPlayer);
    EXPECT_TRUE(PreloadLog::Calls().empty());
}

// A range with no free handle makes no object: it would be filed nowhere
// and never freed.
TEST_F(ObjMngTest, AFullHandleRangeMakesNoObject) {
    LoadRows(g_RoleMdlTable, {{"Name", "Id"}, {"Guard", "7"}});
    g_WorldHooks.createRole = [](int kind) -> CGameObj* { return new CTestObj(kind, "role"); };
    CTestObj filler(1);
    while (Table().Allocate(&filler)) {}
    plat::ClearDebugCapture();
    auto* desc = new CObjDesc11;
    desc->m_ModelId = 7;
    EXPECT_EQ(Mng().AddObj(desc, 40, -1, 0, -1), nullptr);
    EXPECT_EQ(Mng().m_Roles.GetCount(), 0);
    ASSERT_FALSE(plat::DebugCaptured().empty());
    EXPECT_EQ(plat::DebugCaptured().back(), "CObjMng::AddObj Error: no free handle");
    ASSERT_FALSE(Log().calls.empty());
    EXPECT_EQ(Log().calls.back(), "delete role");
    // A free lower slot again: the same call succeeds.
    Table().FreeIndex(5);
    auto* again = new CObjDesc11;
    again->m_ModelId = 7;
    CGameObj* role = Mng().AddObj(again, 40, -1, 0, -1);
    ASSERT_NE(role, nullptr);
    EXPECT_EQ(role->m_Handle & 0x7FFF, 5u);
}

} // namespace
