// Buildings: footprints, picks, the mechanism state machine, magic hits,
// portal placement, layers and the factory.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "../bld_fixture.h"
#include "core/geometry.h"
#include "core/txt_table.h"
#include "platform/debug.h"
#include "world/buildings/bld.h"
#include "world/buildings/bld_mdl.h"
#include "world/map/map_grid.h"
#include "world/scene/scn_mng.h"
#include "../world_fixture.h"

namespace {

using wtest::Log;

class BldTest : public wtest::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        m_Grid.Create(14, 12);
        g_CurMapGrid = &m_Grid;
        m_Mdl.m_PartTable.SetSize(kBldMdlMaxRecords);
        Mng().m_pBldMdl = &m_Mdl;
        plat::ClearDebugCapture();
        g_WorldHooks.noteBldStatusChange = [](CScene*, const char* name, int32_t) {
            Log().Add(std::string("note ") + name);
        };
        g_WorldHooks.generateDrops = [](int32_t id, int32_t, int32_t, int32_t) { Log().Add("drops " + std::to_string(id)); };
        g_WorldHooks.showNotice = [](const char*) { Log().Add("notice"); };
        g_WorldHooks.getMagicOwner = [](const CGameObj* m) { return static_cast<ObjHandle>(m->m_DataId); };
        g_WorldHooks.getMagicSkillKind = [](const CGameObj* m) { return m->m_DerivedWord; };
    }
    void TearDown() override {
        g_CurScene = nullptr;
        m_World.reset();
        g_CurMapGrid = nullptr;
        WorldTest::TearDown();
    }
    // A part filed under `id` in the test model, made from writer bytes.
    CBldPart* AddPart(const datagen::BldPartSpec& spec) {
        const std::string bytes = datagen::BuildPartRecord(spec);
        auto part = std::make_unique<CBldPart>();
        size_t pos = 2;
        EXPECT_EQ(ReadBldPart(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pos, part.get()), 1);
        CBldPart* p = part.get();
        m_Mdl.m_PartTable.SetAt(spec.partId, p);
        m_Mdl.m_Parts[m_Next++] = part.release();
        return p;
    }
    CBld* Make(uint16_t id, int x, int y, const char* text = nullptr) {
        return dynamic_cast<CBld*>(Mng().AddBld(x, y, id, text));
    }

    CMapGrid m_Grid;
    CBldMdl m_Mdl;
    size_t m_Next = 0;
};

TEST_F(BldTest, StampKeepsForeignMarksOnBareCellsAndClearRestoresTheCells) {
    AddPart(bldtest::SamplePart(4, 11));
    m_Grid.GetCell(4, 5)->m_ObjMark = 77;  // under the mask-128 cell
    CBld* b = Make(4, 5, 5);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->m_Kind, 11);
    EXPECT_EQ(b->GetFootprintRect(), (CGameRect{4, 4, 3, 2}));
    b->StampFootprint();
    const uint16_t mark = static_cast<uint16_t>(b->m_Handle);
    const auto cell = [&](int x, int y) { return *m_Grid.GetCell(x, y); };
    EXPECT_EQ(cell(4, 4).m_Walkable, 0);
    EXPECT_EQ(cell(4, 4).m_Footprint, 137);
    EXPECT_EQ(cell(4, 4).m_ObjMark, mark);
    EXPECT_EQ(cell(5, 4).m_Walkable, 0);
    EXPECT_EQ(cell(6, 4).m_ObjMark, kNoObj);  // mask 0: left alone
    EXPECT_EQ(cell(4, 5).m_ObjMark, 77);
    EXPECT_EQ(cell(4, 5).m_Footprint, 0);
    EXPECT_EQ(cell(5, 5).m_Walkable, 1);  // the entrance
    EXPECT_EQ(cell(5, 5).m_Footprint, 130);
    EXPECT_EQ(cell(6, 5).m_ObjMark, kNoObj);  // below 128

    b->ClearFootprint();
    EXPECT_EQ(cell(4, 4).m_Walkable, 1);
    EXPECT_EQ(cell(4, 4).m_ObjMark, kNoObj);
    EXPECT_EQ(cell(4, 4).m_Footprint, 0);
    EXPECT_EQ(cell(5, 5).m_ObjMark, kNoObj);
    EXPECT_EQ(cell(4, 5).m_ObjMark, 77);
}

TEST_F(BldTest, ClearMatchesTheMarkOfAnUpperHandleOfLaterGenerations) {
    AddPart(bldtest::SamplePart(4, 11));
    CBld* b = Make(4, 5, 5);
    const ObjHandle real = b->m_Handle;
    for (uint32_t gen : {2u, 3u}) {
        b->m_Handle = (real & 0x7FFF) | gen << 15;
        b->StampFootprint();
        EXPECT_EQ(m_Grid.GetCell(4, 4)->m_ObjMark, static_cast<uint16_t>(b->m_Handle));
        b->ClearFootprint();
        EXPECT_EQ(m_Grid.GetCell(4, 4)->m_ObjMark, kNoObj) << gen;
        EXPECT_EQ(m_Grid.GetCell(5, 5)->m_Footprint, 0);
    }
    b->m_Handle = real;
}

TEST_F(BldTest, PassageEntranceAndFootprintsOffTheGrid) {
    AddPart(bldtest::SamplePart(4, 11));
    CBld* b = Make(4, 5, 5);
    b->StampFootprint();
    b->OpenPassage();
    EXPECT_EQ(m_Grid.GetCell(4, 4)->m_Walkable, 1);
    EXPECT_EQ(m_Grid.GetCell(4, 4)->m_ObjMark, static_cast<uint16_t>(b->m_Handle));  // marks stay
    EXPECT_TRUE(b->IsEntranceCell({5, 5}));
    EXPECT_FALSE(b->IsEntranceCell({4, 4}));
    EXPECT_FALSE(b->IsEntranceCell({9, 9}));
    // Half off the grid's corner: only the cells inside are touched.
    CBld* corner = Make(4, 0, 0);
    corner->StampFootprint();
    EXPECT_EQ(m_Grid.GetCell(0, 0)->m_Footprint, 130);
    EXPECT_FALSE(corner->IsEntranceCell({-1, -1}));
    corner->ClearFootprint();
    EXPECT_EQ(m_Grid.GetCell(0, 0)->m_Footprint, 0);
}

TEST_F(BldTest, PickAndAdjacencyFollowPickCellsEntrancesAndUsability) {
    AddPart(bldtest::SamplePart(4, 11));
    AddPart(bldtest::SamplePart(5, 131));
    CBld* house = Make(4, 3, 3);
    CBld* door = Make(5, 9, 7);
    ASSERT_NE(door, nullptr);
    EXPECT_EQ(door->m_Kind, 12);
    house->StampFootprint();
    door->StampFootprint();
    EXPECT_EQ(PickBldAtCell({2, 2}), house);  // its pick cell
    EXPECT_EQ(PickBldAtCell({3, 3}), nullptr); // a plain building's entrance is not searched
    EXPECT_EQ(PickBldAtCell({9, 7}), door);   // the door's entrance
    static_cast<CMechBld*>(door)->SetState(1, 0);
    EXPECT_EQ(PickBldAtCell({9, 7}), nullptr);  // open: not usable
    EXPECT_EQ(PickBldAtCell({8, 6}), nullptr);  // pick cell of an open door
    EXPECT_TRUE(IsBldAdjacent({3, 3}, house->m_Handle));
    EXPECT_TRUE(IsBldAdjacent({1, 1}, house->m_Handle));
    EXPECT_FALSE(IsBldAdjacent({3, 3}, door->m_Handle));
    EXPECT_FALSE(IsBldAdjacent({5, 5}, house->m_Handle));
}

TEST_F(BldTest, UseMessageOpenRequestAndScripts) {
    datagen::BldPartSpec spec = bldtest::SamplePart(5, 131);
    AddPart(spec);
    CScene scene("s");
    g_CurScene = &scene;
    auto* door = dynamic_cast<CMechBld*>(Make(5, 9, 7, "SetFlag 3 1"));
    ASSERT_NE(door, nullptr);
    EXPECT_EQ(door->m_State, 0);

    door->m_UseTextId = 3;
    Log().calls.clear();
    EXPECT_EQ(door->SetState(5, 0), 1);
    EXPECT_EQ(door->m_State, 0);
    EXPECT_EQ(Log().calls, std::vector<std::string>{"notice"});
    door->m_UseTextId = -1;

    Log().calls.clear();
    EXPECT_EQ(door->SetState(6, 0), 1);
    EXPECT_EQ(door->m_State, 1);  // 6 is stored as 1, no script, no notice
    for (const std::string& c : Log().calls) EXPECT_EQ(c.find("executeActions"), std::string::npos) << c;

    auto* other = dynamic_cast<CMechBld*>(Make(5, 3, 7, "SetFlag 3 1"));
    Log().calls.clear();
    EXPECT_EQ(other->SetState(1, 0), 1);
    bool ran = false;
    for (const std::string& c : Log().calls) ran |= c.find("SetFlag 3 1") != std::string::npos;
    EXPECT_TRUE(ran);
    EXPECT_EQ(other->SetState(1, 0), 0);  // same state
    EXPECT_FALSE(other->HasRunnableScript());  // not model 150
}

TEST_F(BldTest, DropsOnlyFromAClosedBuilding) {
    AddPart(bldtest::SamplePart(5, 131));
    CScene scene("s");
    g_CurScene = &scene;
    auto* rec = new CBldRec;
    rec->m_ModelId = 5;
    rec->m_X = 9;
    rec->m_Y = 7;
    const uint8_t shape[] = {1, 0, '4', '2', 0};
    rec->SetData(shape, sizeof shape);
    auto* chest = dynamic_cast<CMechBld*>(Mng().CreateBld(rec));
    ASSERT_NE(chest, nullptr);
    const auto drops = [] {
        int n = 0;
        for (const std::string& c : Log().calls) n += c == "drops 42";
        return n;
    };
    Log().calls.clear();
    EXPECT_EQ(chest->SetState(5, 0), 1);
    EXPECT_EQ(drops(), 1);
    EXPECT_EQ(chest->m_State, 5);
    chest->SetState(1, 0);
    EXPECT_EQ(chest->SetState(5, 0), 0);  // open: state 5, no second drop
    EXPECT_EQ(chest->m_State, 5);
    EXPECT_EQ(drops(), 1);
}

TEST_F(BldTest, ScriptsRunOnlyForModel150) {
    AddPart(bldtest::SamplePart(6, 150));
    AddPart(bldtest::SamplePart(5, 131));
    struct Case {
        uint16_t id;
        const char* text;
        int runnable;
        const char* target;
    };
    for (const Case& c : {Case{6, "go Town", 1, "Town"}, Case{6, "TRANSGO Field 3", 1, "TRANSGO Field 3"},
                          Case{6, "setflag 1 1", 1, "setflag 1 1"}, Case{6, "gone 1", 0, nullptr},
                          Case{5, "TransGo Field 3", 0, nullptr}, Case{6, "", 0, nullptr}}) {
        SCOPED_TRACE(c.text);
        CBld* b = Make(c.id, 6, 6, c.text);
        EXPECT_EQ(b->HasRunnableScript(), c.runnable);
        if (c.target)
            EXPECT_STREQ(b->GetGoTarget(), c.target);
        else
            EXPECT_EQ(b->GetGoTarget(), nullptr);
    }
    EXPECT_STREQ(static_cast<CBld*>(Mng().FindFirstByGoTarget("town"))->GetScriptText(), "go Town");
    EXPECT_EQ(Mng().FindNextByGoTarget(), nullptr);
}

TEST_F(BldTest, MagicHitsOpenByPartKind) {
    for (uint16_t kind : {128, 130, 131, 134, 135}) AddPart(bldtest::SamplePart(kind - 100, kind));
    wtest::CTestObj magic(6);
    magic.m_DataId = 0x2345;  // the owner the fake hook reports
    struct Case {
        uint16_t kind;
        int32_t skillKind;
        int hit;
    };
    for (const Case& c : {Case{128, 0, 1}, Case{134, 3, 1}, Case{130, 3, 0}, Case{130, 7, 1}, Case{131, 7, 1},
                          Case{135, 7, 0}}) {
        SCOPED_TRACE(c.kind);
        auto* b = dynamic_cast<CMechBld*>(Make(c.kind - 100, 6, 6));
        magic.m_DerivedWord = c.skillKind;
        EXPECT_EQ(b->OnMagicHit(&magic), c.hit);
        EXPECT_EQ(b->m_State, c.hit ? 5 : 0);
        EXPECT_EQ(b->m_Linked, c.hit ? 0x2345u : 0u);
        if (c.hit) {
            b->SetState(1, 0);
            EXPECT_EQ(b->OnMagicHit(&magic), 0);  // open already
        }
    }
}

TEST_F(BldTest, PortalsMoveToTheFirstFreeSpiralCell) {
    datagen::BldPartSpec spec = bldtest::SamplePart(0, 130);
    spec.mask = {0, 0, 0, 0, 128 | 2, 0};
    AddPart(spec);
    m_Grid.GetCell(5, 5)->SetOccupant(3);
    CBld* p = dynamic_cast<CBld*>(Mng().AddBldAt(5, 5));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_Kind, 13);
    EXPECT_EQ(p->GetDesc()->m_X, 5);
    EXPECT_EQ(p->GetDesc()->m_Y, 6);  // the spiral's next cell
    EXPECT_EQ(p->m_X, 5 * 64 + 32);
    EXPECT_EQ(m_Grid.GetCell(5, 6)->m_ObjMark, static_cast<uint16_t>(p->m_Handle));
    EXPECT_EQ(p->m_Busy, 1);
    ASSERT_NE(Mng().m_Portals.Head(), nullptr);
    EXPECT_EQ(static_cast<CObjRefNode*>(Mng().m_Portals.Head())->m_pObj, p);

    // Nothing free within 5 cells: it stays on its record cell.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 14; ++x) m_Grid.GetCell(x, y)->m_Walkable = 0;
    CBld* q = dynamic_cast<CBld*>(Mng().AddBldAt(8, 8));
    EXPECT_EQ(q->GetDesc()->m_X, 8);
    EXPECT_EQ(q->GetDesc()->m_Y, 8);
    p->Remove();
    q->Remove();
    Mng().Update();
    EXPECT_EQ(Mng().m_Portals.Head(), nullptr);
    EXPECT_EQ(Mng().m_MechPool.GetCount(), 0);
}

TEST_F(BldTest, LayerRangesAndOcclusion) {
    datagen::BldPartSpec spec = bldtest::SamplePart(7, 11);
    spec.subs.resize(5);
    spec.middleStart = 2;
    spec.topCount = 1;
    spec.lineDx = 0, spec.lineDy = 2;
    AddPart(spec);
    CBld* b = Make(7, 5, 5);
    int32_t a = 0, e = 0;
    const std::pair<int32_t, int32_t> want[] = {{0, 2}, {2, 4}, {4, 5}};
    for (int layer = 0; layer < 3; ++layer) {
        b->GetLayerRange(layer, &a, &e);
        EXPECT_EQ(std::make_pair(a, e), want[layer]) << layer;
    }
    // Counts past the frames are clamped.
    b->m_MiddleStart = 9;
    b->m_TopCount = 7;
    b->GetLayerRange(1, &a, &e);
    EXPECT_EQ(a, 5);
    EXPECT_EQ(e, 5);
    EXPECT_EQ(b->m_Orientation, 1);
    EXPECT_EQ(b->m_LineX, 5 * 64 + 32);
    EXPECT_EQ(b->m_LineY, 2 * 64 + 5 * 64 + 32);
    EXPECT_TRUE(b->IsPointBehind({b->m_LineX - 10, b->m_LineY - 10}));
    EXPECT_FALSE(b->IsPointBehind({b->m_LineX + 10, b->m_LineY - 30}));
    spec.partId = 8, spec.lineDx = 1, spec.lineDy = 1;
    AddPart(spec);
    EXPECT_EQ(Make(8, 5, 5)->m_Orientation, 0);
    spec.partId = 9, spec.lineDx = 2, spec.lineDy = -1;
    AddPart(spec);
    EXPECT_EQ(Make(9, 5, 5)->m_Orientation, 2);
}

TEST_F(BldTest, FactoryRefusesUnknownModelsAndTakesUpperHandles) {
    AddPart(bldtest::SamplePart(4, 11));
    EXPECT_EQ(Make(99, 1, 1), nullptr);
    ASSERT_FALSE(plat::DebugCaptured().empty());
    EXPECT_EQ(plat::DebugCaptured().back(), "CObjMng::AddObj Error");
    Mng().m_pBldMdl = nullptr;
    EXPECT_EQ(Make(4, 1, 1), nullptr);
    Mng().m_pBldMdl = &m_Mdl;
    CBld* a = Make(4, 1, 1);
    CBld* b = Make(4, 2, 2);
    EXPECT_EQ(a->m_Handle & 0x7FFF, 8192u);
    EXPECT_EQ(b->m_Handle & 0x7FFF, 8193u);
    EXPECT_EQ(a->m_ModelId, 11);
    EXPECT_EQ(a->m_DrawLayer, 5);
    EXPECT_EQ(Mng().m_SceneObjs.Head(), a);
}

TEST_F(BldTest, LightPositionAndTileToCell) {
    AddPart(bldtest::SamplePart(4, 11));
    CBld* b = Make(4, 5, 5);
    EXPECT_EQ(b->GetLightPos(), (CGamePoint{5 * 64 + 32, 3 * 64 + 32}));  // (5, 5) - (1, 1) + (1, -1)
    SetCoordMap(nullptr, 0);
    EXPECT_EQ(TileToCell(3, 1), (CGamePoint{1, 5}));
    SetCoordMap(&m_Grid, 20);
    EXPECT_EQ(TileToCell(3, 1), (CGamePoint{6, 15}));
    SetCoordMap(nullptr, 0);
}

// Every tile lands where the iso grid puts it, 32 (x - y) across and
// 16 (x + y) down, also where the column's numerator is negative: toward
// zero there shifts every second row a column right (a saw-toothed map edge).
TEST_F(BldTest, TileToCellFollowsTheIsoGridOnEveryRow) {
    SetCoordMap(&m_Grid, 20);
    const int32_t half = 10;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            const CGamePoint c = TileToCell(x, y);
            EXPECT_EQ(CellToPixel(c.x, c.y), (CGamePoint{32 * (half + x - y - 1), 16 * (half + x + y)})) << x << "," << y;
        }
    SetCoordMap(nullptr, 0);
}

} // namespace

namespace {

TEST_F(BldTest, ShapeComesFromTheOwnBlockOrElseThePartName) {
    AddPart(bldtest::SamplePart(4, 11));
    CBld* fromPart = Make(4, 3, 3);  // data length -1
    EXPECT_STREQ(fromPart->GetPictureName(), "House");
    // A part name written as a reference to a UI text resolves to it.
    const std::string textPath =
        (std::filesystem::temp_directory_path() / ("vt_bld_name_" + std::to_string(getpid()) + ".txt")).string();
    {
        std::ofstream f(textPath, std::ios::binary);
        f << "12\tOpen door\r\n";
    }
    ASSERT_EQ(g_TextTable.Load(textPath.c_str(), 0, 0, 1), 1);
    datagen::BldPartSpec ref = bldtest::SamplePart(6, 11);
    ref.name = datagen::BldNameRef(12);
    AddPart(ref);
    EXPECT_STREQ(Make(6, 8, 8)->GetPictureName(), "Open door");
    g_TextTable.Clear();
    std::remove(textPath.c_str());
    auto* rec = new CBldRec;
    rec->m_ModelId = 4;
    rec->SetData(nullptr, 0);  // length 0: its own (empty) block
    CGameObj* own = Mng().CreateBld(rec);
    EXPECT_EQ(static_cast<const CBldRec*>(own->GetDesc())->m_DataLen, 0);
    EXPECT_EQ(own->GetPictureName(), nullptr);
    Mng().m_pBldMdl = nullptr;
    EXPECT_EQ(fromPart->GetPictureName(), nullptr);
    Mng().m_pBldMdl = &m_Mdl;
}

TEST_F(BldTest, PlaceAllStampsEveryBuilding) {
    AddPart(bldtest::SamplePart(4, 11));
    CBld* a = Make(4, 3, 3);
    CBld* b = Make(4, 8, 8);
    Mng().PlaceAll();
    EXPECT_EQ(m_Grid.GetCell(2, 2)->m_ObjMark, static_cast<uint16_t>(a->m_Handle));
    EXPECT_EQ(m_Grid.GetCell(7, 7)->m_ObjMark, static_cast<uint16_t>(b->m_Handle));
}

} // namespace

#include "core/directories.h"
#include "datagen/demo_bld.h"
#include "datagen/lib_writer.h"
#include "datagen/map_writer.h"
#include "platform/msgbox.h"
#include "support/test_env.h"
#include "world/buildings/bld_init.h"

namespace {

class BldFileTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        saved_ = g_WorldHooks;
        g_WorldHooks = CWorldHooks{};
        Log().calls.clear();
        g_WorldHooks.logLoading = [](int p, const char* a, const char* b) {
            Log().Add("log " + std::to_string(p) + " " + a + " " + b);
        };
        world_ = std::make_unique<wtest::TestWorld>();
        world_->MakeCurrent();
        SetProgramDirectory(0);
        grid_.Create(64, 64);
        g_CurMapGrid = &grid_;
        plat::ClearRecordedMessageBoxes();
    }
    void TearDown() override {
        world_.reset();
        ClearCurrentWorld();
        g_MdlCache.Clear();
        g_WorldHooks = saved_;
        TempDirTest::TearDown();
    }
    CObjMng& Mng() { return *world_->mng; }
    CWorldHooks saved_;
    std::unique_ptr<wtest::TestWorld> world_;
    CMapGrid grid_;
};

TEST_F(BldFileTest, DemoInitFileBuildsItsBuildingsInFileOrder) {
    ASSERT_TRUE(datagen::WriteDemoBuildings(Dir()));
    const std::string path = std::string(GetCjDirectory()) + "Start.int";
    ASSERT_EQ(LoadInt(path.c_str()), 1);
    ASSERT_NE(Mng().m_pBldMdl, nullptr);
    EXPECT_EQ(Mng().m_pBldMdl, g_MdlCache.Get("START.MDL"));
    EXPECT_EQ(Log().calls, (std::vector<std::string>{"log 10 BldMdl Begin", "log 10 BldMdl End"}));
    std::vector<int32_t> kinds;
    std::vector<CBld*> blds;
    uint32_t handle = 8192;
    for (CObjNode* n = Mng().m_SceneObjs.Head(); n; n = n->Next()) {
        auto* b = static_cast<CBld*>(static_cast<CGameObj*>(n));
        EXPECT_EQ(b->m_Handle & 0x7FFF, handle++);
        kinds.push_back(b->m_Kind);
        blds.push_back(b);
    }
    ASSERT_EQ(kinds, (std::vector<int32_t>{11, 12, 12, 11, 11, 13}));
    EXPECT_EQ(Mng().FindFirstObjByName("5"), blds[1]);  // the chest's own shape text
    EXPECT_EQ(blds[1]->m_ModelId, 132);
    EXPECT_EQ(blds[3]->GetPart()->m_LightKind, 2);
    EXPECT_EQ(blds[3]->GetLightPos(), (CGamePoint{23 * 64 + 32, 21 * 64 + 32}));
    EXPECT_STREQ(blds[4]->GetScriptText(), "Inn");
}

// A building gone gives each solid cell back the walkable byte the map was
// loaded with: the border, water and walls under it stay closed.
TEST_F(BldFileTest, RemovedBuildingsGiveBackTheLoadedWalkableBytes) {
    ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/maptile.lib", datagen::DemoTileEntries()));
    ASSERT_TRUE(datagen::WriteMap(Dir() + "cj/walls.map",
                                  datagen::BuildMapFromAscii({"......", ".#~...", "......", "......"})));
    ASSERT_EQ(grid_.LoadMap("cj\\walls.map"), 1);
    datagen::BldPartSpec spec = bldtest::SamplePart(4, 11);
    spec.gridW = 4, spec.gridH = 2;
    spec.anchorX = spec.anchorY = 0;
    spec.mask.assign(8, 128 | 1);  // every cell solid
    const std::string bytes = datagen::BuildPartRecord(spec);
    CBldMdl mdl;
    mdl.m_PartTable.SetSize(kBldMdlMaxRecords);
    auto* part = new CBldPart;
    size_t pos = 2;
    ASSERT_EQ(ReadBldPart(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pos, part), 1);
    mdl.m_PartTable.SetAt(4, part);
    mdl.m_Parts[0] = part;
    Mng().m_pBldMdl = &mdl;
    // Border (x, 0) and (0, 1), wall (1, 1), water (2, 1), grass (3, 1).
    const struct { int x, y, loaded; } cells[] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0},
                                                  {0, 1, 0}, {1, 1, 0}, {2, 1, 0}, {3, 1, 1}};
    for (int open = 0; open < 2; ++open) {
        auto* b = dynamic_cast<CBld*>(Mng().AddBld(0, 0, 4, nullptr));
        ASSERT_NE(b, nullptr);
        b->StampFootprint();
        for (const auto& c : cells) ASSERT_EQ(grid_.GetCell(c.x, c.y)->m_Walkable, 0);
        if (open)
            b->OpenPassage();
        else
            b->Remove();
        for (const auto& c : cells)
            EXPECT_EQ(grid_.GetCell(c.x, c.y)->m_Walkable, c.loaded)
                << (open ? "open " : "remove ") << c.x << "," << c.y;
        b->Remove();
        Mng().Update();
    }
    Mng().m_pBldMdl = nullptr;
}

TEST_F(BldFileTest, InitFileFailures) {
    EXPECT_EQ(LoadInt("cj\\none.int"), 0);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "Error(1)LoadInt\xce\xc4\xbc\xfe:<cj\\none.int>");
    datagen::BldInitSpec s = datagen::BuildDemoBldInit("Start.mdl", 20, 20);
    s.fault = datagen::BldInitFault::WrongMagic;
    ASSERT_TRUE(datagen::WriteBldInit(Dir() + "cj/bad.int", s));
    EXPECT_EQ(LoadInt((std::string(GetCjDirectory()) + "bad.int").c_str()), 0);
    EXPECT_EQ(plat::RecordedMessageBoxes().size(), 1u);  // quietly
    EXPECT_EQ(Mng().m_SceneObjs.Head(), nullptr);
}

} // namespace

namespace {

TEST_F(BldTest, FarOffsetsAndCellsStayInRange) {
    datagen::BldPartSpec spec = bldtest::SamplePart(4, 11);
    spec.anchorX = INT32_MIN + 5, spec.anchorY = INT32_MAX - 5;
    spec.lightX = INT32_MAX, spec.lightY = INT32_MIN;
    spec.lineDx = INT32_MAX, spec.lineDy = -3;
    for (auto& sub : spec.subs) sub.x = INT32_MAX - 1, sub.y = INT32_MIN + 1;
    AddPart(spec);
    EXPECT_EQ(Make(4, 1 << 25, 3), nullptr);  // refused: centre pixel past an i32
    CBld* b = Make(4, 3, 3);
    ASSERT_NE(b, nullptr);
    b->m_ScreenX = INT32_MAX / 2;
    b->StampFootprint();
    b->ClearFootprint();
    CGameRect r;
    b->GetBoundingRect(&r);
    b->GetLightPos();
    EXPECT_EQ(b->m_Orientation, 2);
    EXPECT_FALSE(b->IsEntranceCell({3, 3}));
}

} // namespace
