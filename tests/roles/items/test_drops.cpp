// Drops on the fixture game's "Start": money and items at a cell over
// scripted draws, luck, the caps on what one drop puts down, and picking a
// map prop up into the player's record.
#include <climits>
#include <map>

#include "core/txt_table.h"
#include "datagen/item_tables.h"
#include "platform/debug.h"
#include "platform/random.h"
#include "roles/items/drops.h"
#include "roles/items/item_record.h"
#include "roles/items/prop_rec.h"
#include "roles/save_mgr.h"
#include "scenario/scenario.h"
#include "world/objects/game_obj.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/things/map_prop.h"

namespace test_drops {

using namespace datagen::itemfix;

struct Pile {
    int id;
    int32_t count;
    bool operator==(const Pile&) const = default;
};

// The hero's camp as the pick-up reads it.
int32_t& HeroCamp() {
    static int32_t camp = 10000;
    return camp;
}

std::vector<std::string>& PickedUp() {
    static std::vector<std::string> v;
    return v;
}

class DropTest : public scenario::ScenarioTest {
protected:
    void SetUp() override {
        savedDifficulty_ = g_SaveMgr.m_Difficulty;
        datagen::FixtureGame g = datagen::DefaultFixtureGame();
        g.props = items_.props;
        ASSERT_TRUE(run.Start(g));
        run.Tick(1);
        ASSERT_NE(run.Scene(), nullptr);
        SetCurrentScene(run.Scene());
        LoadRandProps(items_.randProps);
        PickedUp().clear();
        HeroCamp() = 10000;
        savedCamp_ = g_WorldHooks.getRoleCamp;
        g_WorldHooks.getRoleCamp = [](const CGameObj*) { return HeroCamp(); };
        g_ItemRecordOps.addItem = [](CRoleData*, int32_t id, int32_t count, int, const char* text, int32_t level,
                                     int32_t price) -> PropRec* {
            PickedUp().push_back(std::to_string(id) + " x" + std::to_string(count) + " '" + (text ? text : "(null)") +
                                 "' " + std::to_string(level) + " " + std::to_string(price));
            return nullptr;
        };
    }
    void TearDown() override {
        g_ItemRecordOps = CItemRecordOps{};
        g_WorldHooks.getRoleCamp = savedCamp_;
        g_SaveMgr.m_Difficulty = savedDifficulty_;
        g_RandPropTable.Clear();
        scenario::ScenarioTest::TearDown();
    }
    void LoadRandProps(const std::vector<datagen::RandPropRow>& rows) {
        const std::string path = run.Folder() + "/mb/randprop.txt";
        ASSERT_TRUE(datagen::WriteTable(path, datagen::RandPropTable(rows)));
        ASSERT_EQ(g_RandPropTable.Load(path.c_str(), 1, 1, 1), 1);
    }
    // The live props of the scene, in the order they were made.
    static std::vector<CMapProp*> Props() {
        std::map<uint32_t, CMapProp*> byHandle;
        for (int layer = 0; layer < 3; ++layer) {
            CObjList* list = g_CurObjMng->GetDrawList(layer);
            for (CObjNode* n = list ? list->Head() : nullptr; n; n = n->Next()) {
                CGameObj* obj = static_cast<CDrawNode*>(n)->m_pObj;
                if (obj && obj->m_Kind == 23 && !obj->m_Removed) byHandle[obj->m_Handle & 0x7FFF] = static_cast<CMapProp*>(obj);
            }
        }
        std::vector<CMapProp*> out;
        for (auto& [h, p] : byHandle) out.push_back(p);
        return out;
    }
    static std::vector<Pile> Piles() {
        std::vector<Pile> out;
        for (CMapProp* p : Props()) out.push_back({p->m_pRow->GetInt(1), p->m_Count});
        return out;
    }
    // Cells within `r` of (cx, cy) that every prop lies in.
    static bool AllNear(int cx, int cy, int r) {
        for (CMapProp* p : Props())
            if (std::abs(p->m_X / 64 - cx) > r || std::abs(p->m_Y / 64 - cy) > r) return false;
        return true;
    }
    static CGamePoint CellPoint(int cx, int cy) { return {cx * 64 + 32, cy * 64 + 32}; }

    datagen::ItemFixture items_ = datagen::DefaultItemFixture();

private:
    int32_t savedDifficulty_ = 1;
    int32_t (*savedCamp_)(const CGameObj*) = nullptr;
};

// Each placed prop draws once for its sparkle's first frame: "S" below.
constexpr int S = 0;

// The wolf's row: items 50 %, 1 + rand % 2 of them; money 30 %, 100 + rand
// % 200; grade weights 40, 30, -, 20.
TEST_F(DropTest, MoneyAndItemsAtTheCell) {
    g_SaveMgr.m_Difficulty = 1;  // money chance 30 x 1.5 = 45
    run.Script({44, 50, S,      // money: 44 below 45, 100 + 50
                49, 1,          // items: 49 below 50, 1 + 1 of them
                10, 50, 45, S,  // grade 1, kind 20 (50 below 55): arrows, pile 2
                45, 10, S});    // grade 2, kind 30: the helm
    EXPECT_EQ(GenerateDrops(kDropRow, CellPoint(6, 6), 0), 1);
    EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
    EXPECT_EQ(plat::RandOverruns(), 0);
    EXPECT_EQ(Piles(), (std::vector<Pile>{{0, 150}, {kArrow, 2}, {kHelm, 1}}));
    EXPECT_TRUE(AllNear(6, 6, 1));
}

// Luck 50 %: the money chance is tested against half the draw and the
// amount grows by half; the item chance grows by 50 and the grade draw by
// a twentieth.
TEST_F(DropTest, LuckShiftsMoneyAndItems) {
    g_SaveMgr.m_Difficulty = 1;
    run.Script({80, 50, S,     // int(0.5 x 80) = 40 below 45: 150 + 75 = 225, pile id 1
                99, 0,         // int(99 x 0.5) = 49 below 100: one item
                60, 90, S});   // grade 60 + 3 = 63: grade 2; kind 10: the tonic
    EXPECT_EQ(GenerateDrops(kDropRow, CellPoint(6, 6), 50), 1);
    EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
    EXPECT_EQ(Piles(), (std::vector<Pile>{{1, 225}, {kTonic, 1}}));

    // Without luck the same first draw makes no money.
    for (CMapProp* p : Props()) p->Remove();
    run.Script({80, 99});
    EXPECT_EQ(GenerateDrops(kDropRow, CellPoint(6, 6), 0), 1);
    EXPECT_EQ(Piles(), std::vector<Pile>{});
    EXPECT_EQ(plat::RandOverruns(), 0);
}

TEST_F(DropTest, DifficultyZeroDoublesTheMoneyChance) {
    g_SaveMgr.m_Difficulty = 0;  // 30 x 2 = 60
    run.Script({59, 0, S, 50});
    EXPECT_EQ(GenerateDrops(kDropRow, CellPoint(6, 6), -20), 1);  // negative luck counts as 0
    EXPECT_EQ(Piles(), (std::vector<Pile>{{0, 100}}));
    EXPECT_EQ(plat::RandOverruns(), 0);
}

TEST_F(DropTest, RowsThatMakeNothing) {
    run.Script({});
    EXPECT_EQ(GenerateDrops(65535, CellPoint(6, 6), 0), 0);
    EXPECT_EQ(GenerateDrops(99, CellPoint(6, 6), 0), 1);  // no row
    EXPECT_EQ(run.Draws(), 0u);
    // A grade roll past every weight ends the drop with 0.
    LoadRandProps({datagen::RandPropRow().Name("Empty").Id(5).Items(100, 2, 2)});
    run.Script({0, 0});
    EXPECT_EQ(GenerateDrops(5, CellPoint(6, 6), 0), 0);
    EXPECT_EQ(Piles(), std::vector<Pile>{});
}

// A row asking for 500..599 items puts down 64 and says so.
TEST_F(DropTest, ADropPutsDownAtMostSixtyFourItems) {
    plat::ClearDebugCapture();
    run.Seed(3);
    EXPECT_EQ(GenerateDrops(kHoardRow, CellPoint(7, 7), 0), 1);
    EXPECT_EQ(Props().size(), size_t(kMaxDropPieces));
    EXPECT_FALSE(run.DebugLines("GenerateDrops: row 2 wants").empty());
}

// Amounts near the integer range saturate instead of wrapping.
TEST_F(DropTest, MoneyAmountsSaturate) {
    LoadRandProps({datagen::RandPropRow().Name("Rich").Id(6).Items(0, 0, 0).Money(100, 2000000000, 2000000001)});
    g_SaveMgr.m_Difficulty = 2;
    run.Script({0, 0, S, 99});
    EXPECT_EQ(GenerateDrops(6, CellPoint(6, 6), 100), 1);  // 2000000000 + 100 %
    EXPECT_EQ(Piles(), (std::vector<Pile>{{3, INT32_MAX}}));
    EXPECT_EQ(plat::RandOverruns(), 0);
}

// A money model that does not stack would lie as one prop per coin.
TEST_F(DropTest, AnUnstackedMoneyPileLiesAsAtMostSixtyFourProps) {
    datagen::ItemFixture f = items_;
    for (auto& p : f.props)
        if (p.Cells()[1] == "0") p.Stacks(0);
    const std::string path = run.Folder() + "/mb/PropMdl.txt";
    ASSERT_TRUE(datagen::WriteTable(path, datagen::PropMdlTable(f.props)));
    ASSERT_EQ(g_PropMdlTable.Load(path.c_str(), 1, 1, 1), 1);
    LoadRandProps({datagen::RandPropRow().Name("Purse").Id(7).Items(0, 0, 0).Money(100, 150, 150)});
    plat::ClearDebugCapture();
    run.Seed(11);
    EXPECT_EQ(GenerateDrops(7, CellPoint(7, 7), 0), 1);
    EXPECT_EQ(Props().size(), size_t(kMaxDropPieces));
    EXPECT_EQ(run.DebugLines("GenerateDrops: 150 pieces of prop 0, 64 placed").size(), 1u);
}

TEST_F(DropTest, TheWorldHookDropsAtAWorldPoint) {
    ASSERT_NE(g_WorldHooks.generateDrops, nullptr);  // installed at start-up
    g_SaveMgr.m_Difficulty = 1;
    run.Script({0, 0, S, 99});
    g_WorldHooks.generateDrops(kDropRow, 5 * 64 + 10, 9 * 64 + 60, 0);
    EXPECT_EQ(Piles(), (std::vector<Pile>{{0, 100}}));
    EXPECT_TRUE(AllNear(5, 9, 1));
}

TEST_F(DropTest, PickingUpPutsTheMapPropIntoTheRecord) {
    run.Script({S, S});
    auto* prop = static_cast<CMapProp*>(g_CurObjMng->AddProp(kSword, 7, 7, 0, 1));
    ASSERT_NE(prop, nullptr);
    prop->SetPropInfo("ATB AP 7*", 12, 345);
    auto* arrows = static_cast<CMapProp*>(g_CurObjMng->AddProp(kArrow, 8, 7, 0, 6));
    ASSERT_NE(arrows, nullptr);
    CGameObj* hero = run.Hero();
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(PickUpProp(prop, hero), 1);
    EXPECT_EQ(PickUpProp(arrows, hero), 1);
    EXPECT_TRUE(prop->m_Removed);
    EXPECT_TRUE(arrows->m_Removed);
    EXPECT_EQ(PickedUp(), (std::vector<std::string>{"30 x1 'ATB AP 7*' 12 345", "20 x6 '(null)' -1 -1"}));
}

TEST_F(DropTest, OnlyAPlayerCampWithARecordPicksUp) {
    run.Script({S});
    auto* prop = static_cast<CMapProp*>(g_CurObjMng->AddProp(kHerb, 7, 7, 0, 1));
    ASSERT_NE(prop, nullptr);
    CGameObj* hero = run.Hero();
    const int32_t dataId = hero->m_DataId;
    hero->m_DataId = -1;  // no record
    EXPECT_EQ(PickUpProp(prop, hero), 1);
    hero->m_DataId = dataId;
    for (int32_t camp : {0, 9999, 60001}) {
        HeroCamp() = camp;
        EXPECT_EQ(PickUpProp(prop, hero), 1);
    }
    EXPECT_FALSE(prop->m_Removed);
    EXPECT_TRUE(PickedUp().empty());
    HeroCamp() = 60000;
    EXPECT_EQ(PickUpProp(prop, hero), 1);
    EXPECT_TRUE(prop->m_Removed);
    EXPECT_EQ(PickedUp().size(), 1u);
}

} // namespace test_drops
