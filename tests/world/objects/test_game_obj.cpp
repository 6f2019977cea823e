// The object base classes, description records and the draw lists.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "core/txt_table.h"
#include "world/objects/obj_desc.h"
#include "world/scene/scn_mng.h"
#include "../world_fixture.h"

using wtest::CTestObj;
using wtest::Log;
using wtest::WorldTest;

namespace {

TEST_F(WorldTest, RegisterTakesTheRangeOfItsId) {
    CTestObj a(1), b(1), c(1);
    EXPECT_EQ(a.Register(-1), 2u);
    EXPECT_EQ(b.Register(0), (1u << 15) | 8192u);
    EXPECT_EQ(c.Register(9000), 9000u);
    EXPECT_EQ(a.m_FixedHandle, 0u);
    EXPECT_EQ(c.m_FixedHandle, 1u);
    EXPECT_EQ(Table().Resolve(9000), &c);
    // Only kinds 4 and 21-29 file themselves in a draw list.
    EXPECT_EQ(b.m_pDrawList, nullptr);
    EXPECT_EQ(b.m_DrawLayer, 0);
}

// Ids below -1 name no range and no fixed handle: nothing is taken.
TEST_F(WorldTest, RegisterRefusesIdsBelowMinusOne) {
    for (int32_t id : {-2, -5, INT32_MIN}) {
        CTestObj o(23);
        EXPECT_EQ(o.Register(id), 0u) << id;
        EXPECT_EQ(o.m_Handle, 0u);
        EXPECT_EQ(o.m_FixedHandle, 0u);
        EXPECT_EQ(Table().GetAt(static_cast<int>(static_cast<ObjHandle>(id) & 0x7FFF)), nullptr) << id;
        EXPECT_EQ(Table().GetLowCount() + Table().GetHighCount(), 0);
    }
}

TEST_F(WorldTest, RegisterFilesCreaturesAndPropsInTheirDrawLayer) {
    CTestObj bird(4), prop(23), role(31);
    bird.Register(-1);
    prop.Register(-1);
    role.Register(-1);
    EXPECT_EQ(bird.m_DrawLayer, 2);
    EXPECT_EQ(bird.m_pDrawList, Mng().GetDrawList(2));
    EXPECT_EQ(prop.m_pDrawList, &Mng().m_DrawLayer0);
    EXPECT_EQ(role.m_pDrawList, nullptr);
    // Moving layers leaves the old list; layer 5 has none.
    prop.SetDrawLayer(4);
    EXPECT_EQ(Mng().m_DrawLayer0.GetCount(), 0);
    EXPECT_EQ(Mng().m_DrawLayer4.GetCount(), 1);
    prop.SetDrawLayer(5);
    EXPECT_EQ(prop.m_pDrawList, nullptr);
    EXPECT_EQ(Mng().m_DrawLayer4.GetCount(), 0);
}

TEST_F(WorldTest, DrawListsKeepInsertionOrderAndShareLayersOneAndThree) {
    CTestObj a(1, "a"), b(1, "b"), c(1, "c");
    a.SetDrawLayer(1);
    b.SetDrawLayer(3);
    c.SetDrawLayer(1);
    EXPECT_EQ(Mng().AddToDrawList(&a, 3), &Mng().m_DrawLayer13);  // not twice
    CObjList& l = Mng().m_DrawLayer13;
    ASSERT_EQ(l.GetCount(), 3);
    std::string order;
    for (CObjNode* n = l.Head(); n; n = n->Next()) order += static_cast<CDrawNode*>(n)->m_pObj->m_Name;
    EXPECT_EQ(order, "abc");
    EXPECT_EQ(Mng().AddToDrawList(&a, 5), nullptr);
    Mng().RemoveFromDrawList(&b, &l);
    EXPECT_EQ(l.GetCount(), 2);
    {
        CTestObj d(1, "d");
        d.SetDrawLayer(1);
        EXPECT_EQ(l.GetCount(), 3);
    }
    EXPECT_EQ(l.GetCount(), 2);  // destruction leaves the list
}

TEST_F(WorldTest, DestroyingWhileAnotherWorldIsCurrentLeavesThatWorldAlone) {
    auto* obj = new CTestObj(23, "mine");
    auto* desc = new CObjDesc11;
    obj->Init(desc);
    obj->m_PlaceIndex = 0;
    const ObjHandle h = obj->Register(-1);
    Mng().m_Placement.AddEntry(1, std::make_unique<CObjDesc11>());
    Mng().m_Placement.SetUsed(1, 0, 1);

    wtest::TestWorld other;
    other.MakeCurrent();
    CTestObj stranger(1, "other");
    ASSERT_EQ(stranger.Register(-1), h);  // same index in the other table
    other.mng->m_Placement.AddEntry(1, std::make_unique<CObjDesc11>());
    other.mng->m_Placement.SetUsed(1, 0, 1);

    obj->Remove();
    EXPECT_EQ(other.mng->m_Placement.IsUsed(1, 0), 1);
    EXPECT_EQ(Mng().m_Placement.IsUsed(1, 0), 0);
    delete obj;
    EXPECT_EQ(other.table->Resolve(h), &stranger);
    EXPECT_EQ(Table().Resolve(h), nullptr);
    EXPECT_EQ(Mng().m_DrawLayer0.GetCount(), 0);
    m_World->MakeCurrent();
}

TEST_F(WorldTest, RemoveFreesThePlacementEntryOnlyForPlacedRecords) {
    struct Case {
        CObjDesc* desc;
        int32_t placeIndex;
        int stillUsed;
    } cases[] = {
        {new CObjDesc11, 0, 0},
        {new CObjDesc13, 0, 0},
        {new CObjDesc11, -1, 1},
        {new CBldRec, 0, 1},  // type 101: only the removed flag
        {nullptr, 0, 1},
    };
    Mng().m_Placement.AddEntry(1, std::make_unique<CObjDesc11>());
    for (const Case& c : cases) {
        Mng().m_Placement.SetUsed(1, 0, 1);
        CTestObj obj(31);
        obj.Init(c.desc);
        obj.m_PlaceIndex = c.placeIndex;
        EXPECT_EQ(obj.Remove(), 1);
        EXPECT_EQ(obj.m_Removed, 1u);
        EXPECT_EQ(Mng().m_Placement.IsUsed(1, 0), c.stillUsed);
    }
}

TEST_F(WorldTest, ConstructionDefaultsAndPositionHelpers) {
    CMapObj obj;
    EXPECT_EQ(obj.m_Handle, 0u);
    EXPECT_EQ(obj.m_DataId, -1);
    EXPECT_EQ(obj.m_PlaceIndex, -1);
    EXPECT_EQ(obj.m_Active, 1u);
    EXPECT_EQ(obj.m_Kind, 1);
    EXPECT_EQ(obj.m_WalkClass, 1);
    EXPECT_EQ(obj.GetAnim(), nullptr);
    EXPECT_EQ(obj.SetPos(5, 6), 5);

    auto* desc = new CObjDesc11;
    EXPECT_EQ(obj.Init(desc), 1);
    EXPECT_EQ(obj.m_pGrid, g_CurMapGrid);
    obj.SetTilePos(3, 5);
    EXPECT_EQ(obj.m_X, 224);
    EXPECT_EQ(obj.m_Y, 352);
    EXPECT_EQ(desc->m_X, 3);
    EXPECT_EQ(desc->m_Y, 5);
    obj.MoveIso(4, 1);
    EXPECT_EQ(obj.m_X, 224 + 2 + 4);
    EXPECT_EQ(obj.m_Y, 352 + 2 - 4);
}

TEST_F(WorldTest, NamesAndPictureNames) {
    CTestObj obj(1);
    obj.SetName("a\x0E" "b\x0E");
    EXPECT_STREQ(obj.GetName(), "a b ");
    obj.SetName(nullptr);
    EXPECT_STREQ(obj.GetName(), "");
    EXPECT_EQ(obj.GetPictureName(), nullptr);  // no record

    auto* d = new CObjDesc12;
    d->SetText("Guard");
    obj.Init(d);
    EXPECT_STREQ(obj.GetPictureName(), "Guard");

    // Buildings: the shape field {u16 tag, text} through ResolveTextRef.
    CTestObj bld(11);
    auto* rec = new CBldRec;
    const uint8_t plain[] = {3, 0, 'G', 'a', 't', 'e', 0};
    rec->SetData(plain, sizeof plain);
    bld.Init(rec);
    EXPECT_STREQ(bld.GetPictureName(), "Gate");
    CTestObj none(11);
    none.Init(new CBldTextRec);  // no data of its own, no model loaded
    EXPECT_EQ(none.GetPictureName(), nullptr);
    CTestObj other(1);
    auto* base = new CObjDesc;
    base->m_Type = 50;
    other.Init(base);
    EXPECT_EQ(other.GetPictureName(), nullptr);
}

TEST_F(WorldTest, RoleNamesComeFromTheModelRowHook) {
    CTestObj role(40);
    role.SetName("own");
    EXPECT_STREQ(role.GetName(), "");  // no hook: no row
    g_WorldHooks.getRoleModelRow = [](const CGameObj*) -> const CTxtRow* { return nullptr; };
    EXPECT_STREQ(role.GetName(), "");
}

TEST_F(WorldTest, RunActionsGoesToTheCurrentScenesTriggers) {
    CTestObj obj(31, "hero");
    EXPECT_EQ(obj.RunActions("Say 1"), 0);  // no scene
    CScene scene("s");
    CScene* keep = g_CurScene;
    g_CurScene = &scene;
    EXPECT_EQ(obj.RunActions("Say 1"), 7);
    g_CurScene = keep;
    EXPECT_EQ(Log().calls.back(), "actions Say 1 hero");
}

TEST_F(WorldTest, WalkClasses) {
    struct Case {
        uint8_t from, to;
    } cases[] = {{1, 11}, {10, 11}, {11, 11}, {12, 13}, {13, 13}, {14, 15}, {16, 15}, {15, 15}, {17, 17}};
    for (const Case& c : cases) {
        CGameObj obj;
        obj.SetWalkClass(c.from);
        obj.SetMoverWalkClass();
        EXPECT_EQ(obj.m_WalkClass, c.to) << int(c.from);
    }
    CGameObj obj;
    EXPECT_EQ(obj.IsWalkClassRestricted(), 0);
    obj.SetWalkClass(10);
    EXPECT_EQ(obj.IsWalkClassRestricted(), 1);
}

TEST(InflateRectPercent, GrowsByFivePercentSteps) {
    struct Case {
        CGameRect in;
        int n, centred;
        CGameRect out;
    } cases[] = {
        {{100, 100, 40, 20}, 2, 0, {98, 98, 44, 22}},
        {{100, 100, 40, 20}, 2, 1, {98, 99, 44, 22}},
        {{100, 100, 40, 20}, 0, 0, {100, 100, 40, 20}},
        {{0, 0, 100, 100}, 4, 1, {-10, -10, 120, 120}},
        {{0, 0, 30, 30}, 1, 0, {0, 0, 30, 30}},  // 0.75 truncates to 0
    };
    for (const Case& c : cases) {
        CGameRect r = c.in;
        InflateRectPercent(r, c.n, c.centred);
        EXPECT_EQ(r, c.out) << c.in.width << " n " << c.n;
    }
}

} // namespace
