// The record in a running game: a change of act deletes every server scene
// at the scene manager's next tick, also when it comes from inside one of
// the scenes' own passes, and a scene change asked for in the same pass
// still brings the client in.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "datagen/fixture_game.h"
#include "roles/items/prop_rec.h"
#include "roles/record/role_data.h"
#include "scenario/scenario.h"
#include "roles/save_mgr.h"
#include "world/objects/game_obj.h"
#include "world/objects/obj_desc.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world.h"
#include "world/things/map_prop.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world_hooks.h"

namespace test_record_scene {

using scenario::ScenarioTest;

CRoleData* g_Record = nullptr;
void (*g_RoleUpdate)(CGameObj*) = nullptr;

// The roles' update of the running scene changes the act once.
void ChangeActInRoleUpdate(CGameObj* role) {
    if (g_Record) {
        CRoleData* r = g_Record;
        g_Record = nullptr;
        r->SetAct(2);
    }
    if (g_RoleUpdate) g_RoleUpdate(role);
}

TEST_F(ScenarioTest, ChangingTheActInsideASceneDeletesEverySceneAtTheNextTick) {
    ASSERT_TRUE(run.Start());
    run.Tick();
    CScene* start = run.Scene();
    ASSERT_NE(start, nullptr);
    CRoleData* record = g_SceneHooks.getRecord ? g_SceneHooks.getRecord(1) : nullptr;
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->m_Act, 1);

    g_RoleUpdate = g_WorldHooks.roleUpdate;
    g_WorldHooks.roleUpdate = ChangeActInRoleUpdate;
    g_Record = record;
    run.Tick();
    g_WorldHooks.roleUpdate = g_RoleUpdate;
    EXPECT_EQ(g_Record, nullptr) << "the act changed inside the scene's pass";
    EXPECT_EQ(record->m_Act, 2);
    ASSERT_NE(g_LiveScnMng, nullptr);
    EXPECT_EQ(g_LiveScnMng->GetSceneCount(), 1) << "the scene outlives its own pass";
    EXPECT_EQ(g_LiveScnMng->m_DeleteAllPending, 1);

    // Change of act, then a scene change in the same pass: the scenes go
    // first, then the client comes into a new "Start".
    const uint32_t hero = run.Hero() ? run.Hero()->m_Handle : 0;
    g_LiveScnMng->EnterScene("Start", 0, 0, start, hero, 0);
    run.Tick();
    EXPECT_EQ(g_LiveScnMng->m_DeleteAllPending, 0);
    ASSERT_EQ(g_LiveScnMng->GetSceneCount(), 1);
    ASSERT_NE(run.Scene(), nullptr);
    EXPECT_STREQ(run.Scene()->GetName(), "Start");
    EXPECT_NE(run.Hero(), nullptr);
}

TEST_F(ScenarioTest, AChangeOfActAloneLeavesNoSceneAfterTheNextTick) {
    ASSERT_TRUE(run.Start());
    run.Tick();
    CRoleData* record = g_SceneHooks.getRecord ? g_SceneHooks.getRecord(1) : nullptr;
    ASSERT_NE(record, nullptr);
    record->SetAct(1);  // no change: nothing asked
    EXPECT_EQ(g_LiveScnMng->m_DeleteAllPending, 0);
    record->SetAct(2);
    EXPECT_EQ(g_LiveScnMng->GetSceneCount(), 1);
    run.Tick();
    EXPECT_EQ(g_LiveScnMng->GetSceneCount(), 0);
}

std::string Saved(CRoleData& r, int (*save)(CRoleData&, FILE*)) {
    char* buf = nullptr;
    size_t len = 0;
    FILE* f = open_memstream(&buf, &len);
    const int ok = save(r, f);
    std::fclose(f);
    std::string s(buf, len);
    std::free(buf);
    return ok ? s : std::string("refused");
}

TEST_F(ScenarioTest, SaveRoleTakesTheRolesSheetAndItsTrackersEntryAndNeedsBoth) {
    CRoleData alone;
    EXPECT_EQ(Saved(alone, [](CRoleData& r, FILE* f) { return r.SaveRole(f); }), "refused");

    ASSERT_TRUE(run.Start());
    run.Tick();
    CRoleData* record = g_SceneHooks.getRecord ? g_SceneHooks.getRecord(1) : nullptr;
    ASSERT_NE(record, nullptr);
    CViewTracker* tracker = run.Scene()->FindTrackerByRole(record->m_RoleHandle);
    ASSERT_NE(tracker, nullptr);
    static int32_t s_x, s_y;
    s_x = tracker->m_EntryX;
    s_y = tracker->m_EntryY;
    const std::string saved = Saved(*record, [](CRoleData& r, FILE* f) { return r.SaveRole(f); });
    EXPECT_EQ(record->m_Name, datagen::kFixtureHeroName) << "the role's sheet came first";
    EXPECT_EQ(saved, Saved(*record, [](CRoleData& r, FILE* f) { return r.WriteRecord(f, s_x, s_y); }));
    // Loaded into a new record, it writes the same bytes again.
    FILE* in = fmemopen(const_cast<char*>(saved.data()), saved.size(), "rb");
    CRoleData copy;
    ASSERT_EQ(copy.LoadRole(in), 1);
    std::fclose(in);
    EXPECT_EQ(saved, Saved(copy, [](CRoleData& r, FILE* f) { return r.WriteRecord(f, s_x, s_y); }));
}

TEST_F(ScenarioTest, TheRecordsRoleIsLiveInItsSceneAndAReturnPortalToTheSameSceneIsRefused) {
    ASSERT_TRUE(run.Start());
    run.Tick();
    CRoleData* record = g_SceneHooks.getRecord ? g_SceneHooks.getRecord(1) : nullptr;
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->GetRole(), static_cast<void*>(run.Hero()));
    EXPECT_EQ(record->GetScene(), run.Scene());
    // The act's revive scene is "Start", where the role stands.
    EXPECT_EQ(record->OpenReturnPortal(0), 0);
    EXPECT_EQ(record->m_Portals[0].nearGate, 0u);
    EXPECT_EQ(record->m_Portals[0].farScene, -1);
}

// The live map props of the scene with that model.
std::vector<const CMapProp*> PropsOf(CScene* scene, int model) {
    std::vector<const CMapProp*> out;
    for (CObjNode* n = scene->m_pWorld->m_ObjMng.m_Props.Head(); n; n = n->Next()) {
        const auto* p = dynamic_cast<const CMapProp*>(static_cast<CGameObj*>(n));
        if (p && !p->m_Removed && p->GetDesc() && p->GetDesc()->m_ModelId == model) out.push_back(p);
    }
    return out;
}

TEST_F(ScenarioTest, WithALiveRoleMoneyAndOverflowGoDownAtItsCellAtMostSixtyFourPieces) {
    datagen::FixtureGame g = datagen::DefaultFixtureGame();
    g.props.push_back(datagen::PropMdlRow().Name("Letter").Id(10).Kind(50).Picture(0).Stacks(0));
    ASSERT_TRUE(run.Start(g));
    run.Tick();
    CRoleData* record = g_SceneHooks.getRecord ? g_SceneHooks.getRecord(1) : nullptr;
    ASSERT_NE(record, nullptr);
    CGameObj* hero = run.Hero();
    ASSERT_NE(hero, nullptr);
    const int difficulty = g_SaveMgr.m_Difficulty;

    // All of 1000 on difficulty 2: 30 % less reaches the ground, as pile 2.
    g_SaveMgr.m_Difficulty = 2;
    record->m_Money = 1000;
    EXPECT_EQ(record->DropMoney(-1), 1);
    EXPECT_EQ(record->m_Money, 0);
    std::vector<const CMapProp*> piles = PropsOf(run.Scene(), 2);
    ASSERT_EQ(piles.size(), 1u);
    EXPECT_EQ(piles[0]->m_Count, 700);
    // At the role's cell, or the free one next to it where the prop lands.
    EXPECT_LE(std::abs(piles[0]->GetDesc()->m_X - hero->m_X / 64), 1);
    EXPECT_LE(std::abs(piles[0]->GetDesc()->m_Y - hero->m_Y / 64), 1);
    // Above difficulty 2 "all" drops nothing, yet the purse pays.
    g_SaveMgr.m_Difficulty = 3;
    record->m_Money = 50;
    EXPECT_EQ(record->DropMoney(-1), 1);
    EXPECT_EQ(record->m_Money, 0);
    EXPECT_EQ(PropsOf(run.Scene(), 0).size(), 0u);
    g_SaveMgr.m_Difficulty = difficulty;

    for (int i = 0; i < 50; ++i) record->AddItem(10, 1, 0, nullptr, -1, -1);
    EXPECT_EQ(record->AddItem(10, 100000, 0, nullptr, -1, -1), nullptr);
    EXPECT_EQ(PropsOf(run.Scene(), 10).size(), 64u);
    EXPECT_EQ(record->m_Items.GetCount(), 50);
}

TEST_F(ScenarioTest, EquippingPaysTakesTheCursorItemAndSendsTheOldOneToTheBag) {
    datagen::FixtureGame g = datagen::DefaultFixtureGame();
    g.props.push_back(datagen::PropMdlRow().Name("Blade").Id(11).Kind(30).Picture(0).Stacks(0).Set(10, "ATB AP 4"));
    g.props.push_back(datagen::PropMdlRow().Name("Axe").Id(12).Kind(30).Picture(0).Stacks(0).Set(10, "ATB AP 9"));
    ASSERT_TRUE(run.Start(g));
    run.Tick();
    CRoleData* record = g_SceneHooks.getRecord ? g_SceneHooks.getRecord(1) : nullptr;
    ASSERT_NE(record, nullptr);
    record->m_Money = 100;
    record->m_BankMoney = 0;
    ASSERT_NE(record->AddItem(11, 1, 0, "ATB AP 4", -1, -1), nullptr);
    ASSERT_NE(record->AddItem(12, 1, 0, "ATB AP 9", -1, -1), nullptr);
    const int ap = record->GetAP();
    record->SwapSlotWithCursor(0);  // the blade onto the cursor
    ASSERT_NE(record->GetCursorItem(), nullptr);
    EXPECT_EQ(record->EquipItem(0, 30, 2), -1) << "level 1 is below 2";
    EXPECT_EQ(record->EquipItem(0, 300, 1), 0) << "not payable";
    EXPECT_EQ(record->m_Money, 100);
    EXPECT_EQ(record->EquipItem(0, 30, 1), 1);
    EXPECT_EQ(record->m_Money, 70);
    EXPECT_EQ(record->GetCursorItem(), nullptr);
    ASSERT_NE(record->GetItemInSlot(kSlotEquip), nullptr);
    EXPECT_EQ(record->GetItemInSlot(kSlotEquip)->m_Id, 11);
    EXPECT_EQ(record->GetAP(), ap + 4);

    // The same model again in the group is refused; another replaces it
    // and the old one goes to the bag.
    record->AddItem(11, 1, 0, "ATB AP 4", -1, -1);
    record->SwapSlotWithCursor(record->FindSlotOfItem(record->FindCarriedItemById(11)));
    EXPECT_EQ(record->EquipItem(1, 0, 1), -2);
    record->SwapSlotWithCursor(0);  // the blade back into the bag, nothing on the cursor
    record->SwapSlotWithCursor(1);  // the axe onto the cursor
    ASSERT_NE(record->GetCursorItem(), nullptr);
    EXPECT_EQ(record->GetCursorItem()->m_Id, 12);
    EXPECT_EQ(record->EquipItem(0, 0, 1), 1);
    EXPECT_EQ(record->GetItemInSlot(kSlotEquip)->m_Id, 12);
    EXPECT_EQ(record->GetAP(), ap + 9);
    EXPECT_EQ(record->GetItemInSlot(1)->m_Id, 11) << "the old one in the first free bag slot";
}

TEST_F(ScenarioTest, APotionIsRefusedAtFullHPAndUsedBelowIt) {
    datagen::FixtureGame g = datagen::DefaultFixtureGame();
    // " HP " in its text: restores HP only.
    g.props.push_back(datagen::PropMdlRow().Name("Tonic").Id(13).Kind(10).Picture(0).Stacks(1).Set(10, "Heal 50 HP x"));
    g.props.push_back(datagen::PropMdlRow().Name("Note").Id(14).Kind(50).Picture(0).Stacks(0));
    ASSERT_TRUE(run.Start(g));
    run.Tick();
    CRoleData* record = g_SceneHooks.getRecord ? g_SceneHooks.getRecord(1) : nullptr;
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->UseItem(nullptr), 0);
    EXPECT_EQ(record->UseItem(record->AddItem(14, 1, 0, nullptr, -1, -1)), 1) << "not a consumable: not used";
    EXPECT_NE(record->FindItemById(14), -1);

    PropRec* tonic = record->AddItem(13, 3, 0, nullptr, -1, -1);
    ASSERT_NE(tonic, nullptr);
    record->m_BaseMaxHP = 100.0f;
    record->m_HP = 100;
    EXPECT_EQ(record->UseItem(tonic), 0) << "HP at 100 %";
    EXPECT_EQ(tonic->m_Count, 3);
    record->m_HP = 0;
    EXPECT_EQ(record->UseItem(tonic), 0) << "a dead role drinks nothing";
    record->m_HP = 40;
    const size_t sounds = run.Sounds().size();
    EXPECT_EQ(record->UseItem(tonic), 1);
    EXPECT_EQ(tonic->m_Count, 2);
    EXPECT_GT(run.Sounds().size(), sounds);
}

} // namespace test_record_scene
