// Worlds: the current-world pointers and building a scene from its files.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/directories.h"
#include "core/geometry.h"
#include "core/txt_table.h"
#include "datagen/demo_bld.h"
#include "datagen/demo_data.h"
#include "datagen/map_writer.h"
#include "datagen/scene_tables.h"
#include "datagen/scn_writer.h"
#include "datagen/table_writer.h"
#include "platform/msgbox.h"
#include "support/test_env.h"
#include "world/buildings/bld.h"
#include "world/buildings/bld_mdl.h"
#include "sound/sound_play.h"
#include "world/sky/weather.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "../world_fixture.h"

namespace {

using wtest::Log;

TEST(World, MakeCurrentAndClearSwitchTheFivePointers) {
    CWorld a, b;
    EXPECT_EQ(a.MakeCurrent(), a.m_pHandles.get());
    EXPECT_EQ(g_CurMapGrid, &a.m_MapGrid);
    EXPECT_EQ(g_CurObjMng, &a.m_ObjMng);
    EXPECT_EQ(g_CurHandleTable, a.m_pHandles.get());
    EXPECT_EQ(g_CurLightList, &a.m_LightList);
    EXPECT_EQ(GetCoordMap(), &a.m_MapGrid);
    // Clearing another world leaves none current.
    EXPECT_EQ(b.Clear(), 1);
    EXPECT_EQ(g_CurMapGrid, nullptr);
    EXPECT_EQ(g_CurObjMng, nullptr);
    EXPECT_EQ(g_CurHandleTable, nullptr);
    EXPECT_EQ(g_CurMagicList, nullptr);
    EXPECT_EQ(g_CurLightList, nullptr);
    a.MakeCurrent();
    ClearCurrentWorld();
    EXPECT_EQ(g_CurObjMng, nullptr);
}

TEST(World, NoSceneLeavesNoWorldCurrent) {
    CScene scene("Start");
    SetCurrentScene(&scene);
    EXPECT_EQ(g_CurObjMng, &scene.m_pWorld->m_ObjMng);
    SetCurrentScene(nullptr);
    EXPECT_EQ(g_CurScene, nullptr);
    EXPECT_EQ(g_CurMapGrid, nullptr);
    EXPECT_EQ(g_CurObjMng, nullptr);
    EXPECT_EQ(g_CurHandleTable, nullptr);
    EXPECT_EQ(g_CurLightList, nullptr);
}

// A world goes with itself current, its objects before its handle table;
// then the world current before (if another) is current again.
TEST(World, DestructionRunsInItsOwnWorldAndPutsTheOtherBack) {
    static CObjMng* seenMng;
    static CHandleTable* seenTable;
    static int ring;
    const CWorldHooks saved = g_WorldHooks;
    g_WorldHooks.createParticleRing = [] { return reinterpret_cast<CParticleRing*>(&ring); };
    g_WorldHooks.deleteParticleRing = [](CParticleRing*) {
        seenMng = g_CurObjMng;
        seenTable = g_CurHandleTable;
    };
    CWorld other;
    for (int before = 0; before < 3; ++before) {  // another world, none, itself
        auto* w = new CWorld;
        const CObjMng* mng = &w->m_ObjMng;
        const CHandleTable* table = w->m_pHandles.get();
        if (before == 0) other.MakeCurrent();
        if (before == 1) {
            ClearCurrentWorld();
            SetCoordMap(nullptr, 0);
        }
        if (before == 2) w->MakeCurrent();
        seenMng = nullptr;
        seenTable = nullptr;
        delete w;
        EXPECT_EQ(seenMng, mng) << before;
        EXPECT_EQ(seenTable, table) << before;
        const bool back = before == 0;
        EXPECT_EQ(g_CurObjMng, back ? &other.m_ObjMng : nullptr) << before;
        EXPECT_EQ(g_CurHandleTable, back ? other.m_pHandles.get() : nullptr) << before;
        EXPECT_EQ(g_CurMapGrid, back ? &other.m_MapGrid : nullptr) << before;
        EXPECT_EQ(g_CurLightList, back ? &other.m_LightList : nullptr) << before;
        EXPECT_EQ(GetCoordMap(), back ? &other.m_MapGrid : nullptr) << before;
    }
    ClearCurrentWorld();
    g_WorldHooks = saved;
}

class BuildMapTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        saved_ = g_WorldHooks;
        g_WorldHooks = CWorldHooks{};
        Log().calls.clear();
        g_WorldHooks.logLoading = [](int p, const char* a, const char* b) {
            Log().Add("log " + std::to_string(p) + (a ? std::string(" ") + a : "") + (b ? std::string(" ") + b : ""));
        };
        g_WorldHooks.closeSceneJM = [] { Log().Add("closeSceneJM"); };
        g_WorldHooks.showLoadingWindow = [] { Log().Add("loading window"); };
        g_WorldHooks.drawLoadingProgress = [](int n) { Log().Add("progress " + std::to_string(n)); };
        g_WorldHooks.markMapBuilt = [] { Log().Add("built"); };
        g_WorldHooks.hostHasClient = [] { return 1; };
        SetProgramDirectory(0);
        plat::ClearRecordedMessageBoxes();
        ASSERT_TRUE(datagen::WriteDemoMap(Dir()));
        ASSERT_TRUE(datagen::WriteDemoBuildings(Dir()));
        datagen::ScnDescSpec d;
        d.mapFile = "Start.map";
        d.bldFile = "Start.int";
        d.objFile = "Start.obj";
        d.portals = {{"Field", 30, 30, 2}};
        ASSERT_TRUE(datagen::WriteIni(Dir() + "cj/Start.scn", datagen::BuildScnDesc(d), false));
        datagen::ScnInfoRow row;
        row.name = "start";
        row.id = 1;
        row.nameText = 5;
        row.weights[0] = 40;
        ASSERT_TRUE(datagen::WriteTable(Dir() + "ScnInfo.txt", {datagen::ScnInfoHeader(), datagen::BuildScnInfoRow(row)}));
        ASSERT_EQ(g_ScnInfoMdl.Load("ScnInfo.txt", 1, 1, 0), 1);
        ASSERT_TRUE(datagen::WriteTable(Dir() + "Text.txt", {{"5", "Town"}}));
        ASSERT_EQ(g_TextTable.Load("Text.txt", 0, 0, 0), 1);
    }
    void TearDown() override {
        ClearCurrentWorld();
        g_MdlCache.Clear();
        g_ScnInfoMdl.Clear();
        g_TextTable.Clear();
        g_WorldHooks = saved_;
        TempDirTest::TearDown();
    }
    static std::vector<uint32_t> Handles(CWorld& w) {
        std::vector<uint32_t> out;
        for (CObjNode* n = w.m_ObjMng.m_SceneObjs.Head(); n; n = n->Next())
            out.push_back(static_cast<CGameObj*>(n)->m_Handle);
        return out;
    }
    CWorldHooks saved_;
};

TEST_F(BuildMapTest, BuildsInItsStepsAndFindsTheSceneRow) {
    CScene scene("Start");
    SetCurrentScene(&scene);
    CWorld w;
    ASSERT_EQ(BuildMap(&w, "Start"), 1);
    SetCurrentScene(nullptr);
    EXPECT_EQ(g_CurObjMng, nullptr) << "no scene: no world current";
    EXPECT_EQ(Log().calls, (std::vector<std::string>{"closeSceneJM", "log 0", "log 10 BuildMap Begin",
                                                     "log 10 BuildMap End", "loading window",
                                                     "log 10 BuildBldBegin Start", "log 10 BldMdl Begin",
                                                     "log 10 BldMdl End", "log 10 BuildBld End",
                                                     "log 10 g_ResList.RemoveNoUse End", "progress 1", "built"}));
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
    EXPECT_STREQ(w.m_ScnName, "Start");
    EXPECT_EQ(w.m_MapGrid.Width(), 64);
    EXPECT_EQ(w.FindPortal("field")->m_X, 30);
    ASSERT_NE(w.m_pScnRow, nullptr);  // "start" matches "Start"
    EXPECT_EQ(scene.m_Weather.m_Loaded, 1);
    EXPECT_EQ(scene.m_Weather.m_Cumulative[1] - scene.m_Weather.m_Cumulative[0], 40);
    EXPECT_STREQ(w.GetScnName(), "Town");
    EXPECT_EQ(Handles(w).size(), 6u);
    EXPECT_EQ(Handles(w).front() & 0x7FFF, 8192u);

    // A fresh world gives the same handles; a rebuild goes on after the
    // skipped 1000.
    CWorld fresh;
    ASSERT_EQ(BuildMap(&fresh, "Start"), 1);
    EXPECT_EQ(Handles(fresh), Handles(w));
    const uint32_t before = Handles(w).back() & 0x7FFF;
    ASSERT_EQ(BuildMap(&w, "Start"), 1);
    EXPECT_EQ(Handles(w).front() & 0x7FFF, before + 1001);
    w.Clear();
    EXPECT_EQ(w.m_ObjMng.m_SceneObjs.Head(), nullptr);
    EXPECT_EQ(g_CurObjMng, nullptr);
}

TEST_F(BuildMapTest, LoadingWindowConditions) {
    struct Case {
        int width, client, quiet, shared;
        bool shown;
    };
    const Case cases[] = {{64, 1, 0, 0, true}, {63, 1, 0, 0, false}, {64, 0, 0, 0, false},
                          {64, 1, 1, 0, false}, {64, 1, 0, 1, false}};
    static int client, quiet, shared;
    g_WorldHooks.hostHasClient = [] { return client; };
    g_WorldHooks.isClientQuiet = [] { return quiet; };
    g_WorldHooks.clientsShareScene = [] { return shared; };
    for (const Case& c : cases) {
        datagen::MapSpec m = datagen::BuildMapFromAscii(std::vector<std::string>(8, std::string(size_t(c.width), '.')));
        ASSERT_TRUE(datagen::WriteMap(Dir() + "cj/Start.map", m));
        client = c.client, quiet = c.quiet, shared = c.shared;
        Log().calls.clear();
        CWorld w;
        ASSERT_EQ(BuildMap(&w, "Start"), 1);
        bool shown = false;
        for (const std::string& s : Log().calls) shown |= s == "loading window";
        EXPECT_EQ(shown, c.shown) << c.width << c.client << c.quiet << c.shared;
    }
}

TEST_F(BuildMapTest, FailuresAreReportedAndBuildingGoesOn) {
    // No map: the error box, failure, the rest still built.
    datagen::ScnDescSpec d;
    d.mapFile = "None.map";
    d.bldFile = "Start.int";
    ASSERT_TRUE(datagen::WriteIni(Dir() + "cj/Lost.scn", datagen::BuildScnDesc(d), false));
    CWorld w;
    EXPECT_EQ(LoadMap(&w), 0);
    plat::ClearRecordedMessageBoxes();
    EXPECT_EQ(BuildMap(&w, "Lost"), 0);
    const auto& boxes = plat::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);  // the map reader's own, then these
    EXPECT_EQ(boxes[1].text, "Error(0)LoadMap\xce\xc4\xbc\xfe\xca\xa7\xb0\xdc<" + std::string(GetCjDirectory()) + "None.map>");
    EXPECT_EQ(boxes[2].text, "ScnInfoMdl \xc3\xbb\xd3\xd0 Lost");
    EXPECT_EQ(w.m_pScnRow, nullptr);
    EXPECT_EQ(w.GetScnName(), nullptr);
    EXPECT_EQ(Handles(w).size(), 6u);

    // No descriptor at all.
    plat::ClearRecordedMessageBoxes();
    EXPECT_EQ(BuildMap(&w, "Nowhere"), 0);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, std::string(GetCjDirectory()) + "Nowhere.scn");
}

TEST_F(BuildMapTest, BuildObjPlacesTheObjectListAfterTheBuildings) {
    datagen::ScnObjListSpec s;
    datagen::ScnObjRecord prop;
    prop.type = 11;
    prop.modelId = 1;
    prop.x = 5;
    prop.y = 5;
    prop.eventId = "Stick";
    s.prop = {prop};
    ASSERT_TRUE(datagen::WriteIni(Dir() + "cj/Start.obj", datagen::BuildScnObjList(s), false));
    CWorld w;
    ASSERT_EQ(BuildMap(&w, "Start"), 1);
    Log().calls.clear();
    EXPECT_EQ(BuildObj(&w), 1);
    EXPECT_EQ(Log().calls, (std::vector<std::string>{"log 100"}));
    EXPECT_EQ(w.m_ObjMng.m_Placement.GetGroup(2)->count, 1);
    // Later objects of the upper range come after the 500 skipped.
    const uint32_t last = Handles(w).back() & 0x7FFF;
    EXPECT_EQ(w.m_pHandles->AllocateHigh(nullptr) & 0x7FFF, last + 1001 + 500);
}

} // namespace

namespace {

class DemoWorldTest : public vtest::TempDirTest {};

TEST_F(DemoWorldTest, DemoScenesBuildWithoutComplaint) {
    datagen::DemoOptions o;
    o.sounds = o.music = false;
    std::string error;
    ASSERT_TRUE(datagen::WriteDemoDataSet(Dir(), o, &error)) << error;
    SetProgramDirectory(0);
    ASSERT_EQ(g_ScnInfoMdl.Load((std::string(Dir()) + "mb/ScnInfo.txt").c_str(), 1, 1, 0), 1);
    ASSERT_EQ(g_BeastieMdlTable.Load((std::string(Dir()) + "mb/BeastieMdl.txt").c_str(), 1, 1, 1), 1);
    plat::ClearRecordedMessageBoxes();
    const CWorldHooks saved = g_WorldHooks;
    g_WorldHooks = CWorldHooks{};
    {
        CWorld start;
        ASSERT_EQ(BuildMap(&start, "Start"), 1);
        ASSERT_EQ(BuildObj(&start), 1);
        EXPECT_EQ(start.m_MapGrid.Width(), 64);
        for (const char* p : {"NULL", "DEAD", "CSD", "Field"}) EXPECT_NE(start.FindPortal(p), nullptr) << p;
        ASSERT_NE(start.m_pScnRow, nullptr);
        EXPECT_EQ(start.m_pScnRow->GetInt(2), 2);
        const CScnPlacement& pl = start.m_ObjMng.m_Placement;
        // The elder, the roaming guard, and the fight's guard and two wolves.
        EXPECT_EQ(pl.GetGroup(1)->count, 5);
        EXPECT_EQ(pl.GetGroup(2)->count, 2);
        EXPECT_EQ(pl.GetGroup(3)->count, 7);
        // Two birds and the firefly fly; the beetle, fish and frog walk or
        // swim, and the frog's shadow follows it.
        EXPECT_EQ(start.m_ObjMng.m_Creatures.GetCount(), 3);
        EXPECT_EQ(start.m_ObjMng.CountLiveBeasties(), 3);
        EXPECT_EQ(pl.FindByName("ambush", 3), 2);
        EXPECT_EQ(pl.FindByName("Stick2", 2), 1);
        CWorld field;
        ASSERT_EQ(BuildMap(&field, "Field"), 1);
        ASSERT_EQ(BuildObj(&field), 1);
        EXPECT_LT(field.m_MapGrid.Width(), 64);
        EXPECT_NE(field.FindPortal("start"), nullptr);
        ASSERT_NE(field.m_pScnRow, nullptr);
        EXPECT_EQ(field.m_pScnRow->GetInt(2), 1);
    }
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
    g_WorldHooks = saved;
    g_MdlCache.Clear();
    g_ScnInfoMdl.Clear();
    g_BeastieMdlTable.Clear();
}

} // namespace

namespace {

TEST_F(BuildMapTest, SceneEnvironmentTakesTheRowAndTheBuildingsAmbientSounds) {
    CWorld w;
    ASSERT_EQ(BuildMap(&w, "Start"), 1);
    // Give the house and the chest (a mechanism) an ambient sound: only the
    // house's is placed, at its position.
    CBld* house = nullptr;
    for (CObjNode* n = w.m_ObjMng.m_SceneObjs.Head(); n; n = n->Next()) {
        auto* b = dynamic_cast<CBld*>(static_cast<CGameObj*>(n));
        if (!b || (b->m_Kind != 11 && b->m_Kind != 12)) continue;
        if (b->m_Kind == 11 && !house) house = b;
        const_cast<CBldPart*>(b->GetPart())->m_AmbientSound = b->m_Kind == 11 && b == house ? 7 : 0;
        if (b->m_Kind == 12) const_cast<CBldPart*>(b->GetPart())->m_AmbientSound = 8;
    }
    ASSERT_NE(house, nullptr);
    CWeather weather;
    g_Weather = &weather;
    g_SoundEmitters.Add(99, 0, 0);
    w.ApplySceneEnv();
    g_Weather = nullptr;
    EXPECT_EQ(weather.m_Loaded, 1);
    EXPECT_EQ(weather.m_Cumulative[1] - weather.m_Cumulative[0], 40);
    std::vector<int> ids;
    for (CObjNode* n = g_SoundEmitters.Head(); n; n = n->Next()) {
        const auto* e = static_cast<CSoundEmitter*>(n);
        ids.push_back(e->m_Id);
        EXPECT_EQ(e->m_X, house->m_X);
        EXPECT_EQ(e->m_Y, house->m_Y);
    }
    EXPECT_EQ(ids, std::vector<int>{7});
    g_SoundEmitters.RemoveAll();
}

} // namespace
