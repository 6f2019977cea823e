// The action interpreter on the fixture game: command words, their
// arguments' defaults, the calls up into the panels (through recording
// hooks), AddItem and Atb, and the faults it must not have.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "datagen/demo_bld.h"
#include "core/directories.h"
#include "gfx/effect3d.h"
#include "platform/msgbox.h"
#include "roles/items/prop_rec.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "roles/save_mgr.h"
#include "scenario/scenario.h"
#include "script/trigger_actions.h"
#include "script/trigger_mgr.h"
#include "world/buildings/bld.h"
#include "world/objects/game_obj.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"

namespace test_trigger_actions {

// What the recording hooks saw.
struct Seen {
    std::vector<int32_t> shown;
    std::vector<std::vector<int32_t>> linked;
    std::vector<std::tuple<std::string, int, uint32_t, int32_t>> lines;
    std::vector<std::string> talks;
};
Seen g_Seen;

class TriggerActionTest : public scenario::ScenarioTest {
protected:
    void Begin(datagen::FixtureGame game = datagen::DefaultFixtureGame()) {
        for (int id : {123, 124, 314, 315})
            game.texts.push_back(datagen::TextRow().Id(id).Text("T" + std::to_string(id)));
        // A carried item of each kind: a stacking herb, a blade.
        game.props.push_back(datagen::PropMdlRow().Name("Herb").Id(4).Kind(20).Picture(0).Stacks(1));
        game.props.push_back(datagen::PropMdlRow().Name("Blade").Id(5).Kind(30).Picture(0).Stacks(0));
        // The hero's pools come from its record's class row: the class a
        // scenario's new game takes.
        datagen::PlayerInitSpec hero;
        hero.classId = 0;
        game.classes.push_back(hero);
        ASSERT_TRUE(run.Start(game));
        run.Tick();
        ASSERT_NE(run.Hero(), nullptr);
        g_Seen = Seen{};
        g_RoleHooks.showJM = [](int32_t id) {
            g_Seen.shown.push_back(id);
            return id == 7 ? 0 : 1;
        };
        g_RoleHooks.setLinkedJM = [](int32_t id, int32_t a, int32_t b, int32_t c) {
            g_Seen.linked.push_back({id, a, b, c});
        };
        g_RoleHooks.addMessageLine = [](const char* text, int32_t, int32_t, int follow, uint32_t role, int32_t kind) {
            g_Seen.lines.emplace_back(text, follow, role, kind);
        };
        g_RoleHooks.talkWithRole = [](CGameObj*, CGameObj* role) {
            g_Seen.talks.push_back(std::string("with ") + role->GetPictureName());
        };
        g_RoleHooks.loadTalkScript = [](const char* name) { g_Seen.talks.push_back(std::string("story ") + name); };
    }
    CTriggerMgr* Mgr() { return run.Scene()->m_pTriggers; }
    int Act(const std::string& text, CGameObj* subject = nullptr) { return Mgr()->ExecuteActions(text.c_str(), subject); }
    CRole* Hero() { return dynamic_cast<CRole*>(run.Hero()); }
    CRoleData* Record() { return g_SceneHooks.getRecord(run.Hero()->m_DataId); }
    CObjMng& Mng() { return run.Scene()->m_pWorld->m_ObjMng; }
    // Living roles of a model.
    std::vector<CRole*> RolesOf(int model) {
        std::vector<CRole*> out;
        for (CObjNode* n = Mng().m_Roles.Head(); n; n = n->Next()) {
            auto* role = dynamic_cast<CRole*>(static_cast<CGameObj*>(n));
            if (role && !role->m_Removed && !role->m_Dead && role->m_pDesc && role->m_pDesc->m_ModelId == model) out.push_back(role);
        }
        return out;
    }
};

// A 160 x 160 scene with the hero in its middle, room for AddItem's scatter.
datagen::FixtureGame WideGame() {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    game.map.assign(160, std::string(160, '.'));
    for (size_t i = 0; i < 160; ++i) {
        game.map[0][i] = game.map[159][i] = '#';
        game.map[i][0] = game.map[i][159] = '#';
    }
    game.desc.portals = {{"NULL", 80, 80, 4}, {"DEAD", 4, 4, 4}};
    return game;
}

TEST_F(TriggerActionTest, CommandWordsInAnyCaseAndUnknownWordsIgnored) {
    Begin();
    EXPECT_EQ(Act("SETFLAG local1 3*Bogus 9*setflag local2 4*  *pct anything"), 1);
    EXPECT_EQ(Record()->GetFlag("local1"), 3);
    EXPECT_EQ(Record()->GetFlag("local2"), 4);
}

TEST_F(TriggerActionTest, NothingRunsWithoutASubject) {
    Begin();
    CTriggerMgr own(run.Scene());
    EXPECT_EQ(own.ExecuteActions("SetFlag local1 5", nullptr), 0);
    EXPECT_EQ(Record()->GetFlag("local1"), 0);
    EXPECT_EQ(own.ExecuteActions("SetFlag local1 5", run.Hero()), 1);
    EXPECT_EQ(Record()->GetFlag("local1"), 5);
}

TEST_F(TriggerActionTest, GoAndTransGoRequestDeferredSceneChanges) {
    Begin();
    ASSERT_NE(g_LiveScnMng, nullptr);
    Act("go");
    EXPECT_EQ(g_LiveScnMng->m_Pending, 1);
    EXPECT_EQ(g_LiveScnMng->m_PendingName, "");
    EXPECT_EQ(g_LiveScnMng->m_PendingEntry, 0);
    EXPECT_EQ(g_LiveScnMng->m_PendingClient, -1);
    EXPECT_EQ(g_LiveScnMng->m_PendingRole, run.Hero()->m_Handle);
    Act("TransGo Start 3");
    EXPECT_EQ(g_LiveScnMng->m_PendingName, "Start");
    EXPECT_EQ(g_LiveScnMng->m_PendingEntry, 0);
    EXPECT_EQ(g_LiveScnMng->m_PendingGate, 3u);
    EXPECT_NE(std::find(run.Sounds().begin(), run.Sounds().end(), scenario::SoundCall{"effect", 112, 0, 100, 0}),
              run.Sounds().end());
    g_LiveScnMng->m_Pending = 0;
}

// "AddItem ids p0 p1 p2 p3 p4 a b": one to a roles (b <= count <= a) of the
// listed models, each rand() % p1 + p1 / 2 cells from the subject's cell in a
// random direction; at difficulty 0 the counts shrink by 0.7 first.
TEST_F(TriggerActionTest, AddItemScattersItsRolesAndScalesByDifficulty) {
    struct Case {
        int difficulty;
        int draw;  // every draw of the command
        size_t count;
        int distance;
    };
    const Case cases[] = {{1, 0, 3, 25}, {1, 49, 2, 74}, {0, 0, 2, 25}, {0, 1, 1, 25}};
    for (const Case& c : cases) {
        Begin(WideGame());
        g_SaveMgr.m_Difficulty = c.difficulty;
        const CGamePoint at = ObjectCell(run.Hero());
        run.Script(std::vector<int>(400, c.draw));
        Act("AddItem 2|3 0 50 -1 -1 -1 3 1");
        const std::vector<CRole*> made = RolesOf(c.draw % 2 == 0 ? 2 : 3);
        EXPECT_EQ(made.size(), c.count) << c.difficulty << " " << c.draw;
        for (CRole* r : made) {
            const CGamePoint cell = ObjectCell(r);
            // Placement takes the nearest free cell of the staggered grid.
            EXPECT_NEAR(std::max(std::abs(cell.x - at.x), std::abs(cell.y - at.y)), c.distance, 1)
                << at.x << "," << at.y << " -> " << cell.x << "," << cell.y;
        }
        run.Reset();
    }
}

TEST_F(TriggerActionTest, AddItemCountsStayBetweenItsBoundsAndWithinAHundred) {
    Begin(WideGame());
    // b above a: between the two whichever is larger.
    run.Script(std::vector<int>(400, 2));
    Act("AddItem 2 2 10 10 -1 -1 1 3");
    EXPECT_EQ(RolesOf(2).size(), 1u);  // 3 - 2 % 3
    run.Seed(7);
    Act("AddItem | 2 10 10 -1 -1 2 2");
    Act("AddItem");
    EXPECT_EQ(RolesOf(2).size(), 1u);
    Act("AddItem 2 2 40 40 -1 -1 5000");
    EXPECT_EQ(RolesOf(2).size(), 101u);
    EXPECT_EQ(run.DebugLines("AddItem: 5000 roles asked for, 100 created").size(), 1u);
    // The picture and camp tokens name and enlist what is made.
    Act("AddItem 3 2 20 20 -1 -1 1 1 Wolf 10 777");
    ASSERT_EQ(RolesOf(3).size(), 1u);
    EXPECT_STREQ(RolesOf(3)[0]->GetPictureName(), "Wolf");
    EXPECT_EQ(RolesOf(3)[0]->m_Camp, 777);
}

TEST_F(TriggerActionTest, AtbChangesHpByPercentAndTheRecord) {
    Begin();
    CRole* hero = Hero();
    const int32_t max = hero->GetMaxHP();
    ASSERT_GT(max, 1);
    hero->m_Hp = float(max);
    hero->m_PendingHp = 0;
    Act("Atb HP 50%");
    EXPECT_EQ(hero->m_PendingHp, max * 50 / 100);
    Act("atb hp -50%");
    EXPECT_FLOAT_EQ(hero->m_Hp, float(max - max * 50 / 100));
    Act("Atb HP 0");
    EXPECT_EQ(hero->m_PendingHp, 0);
    const float nu = Record()->m_MaxNu;
    Act("Atb MaxNu");
    EXPECT_FLOAT_EQ(Record()->m_MaxNu, std::min(nu + 1000.0f, 9999.0f));
    Act("Atb Bogus 5*Atb");
}

TEST_F(TriggerActionTest, ShowJMShowsAndLinksItsPanels) {
    Begin();
    Act("ShowJM 12|13");
    EXPECT_EQ(g_Seen.shown, (std::vector<int32_t>{12, 13}));
    EXPECT_EQ(g_Seen.linked, (std::vector<std::vector<int32_t>>{{12, 12, 13, -1}, {13, 12, 13, -1}}));
    g_Seen = Seen{};
    Act("showjm 7|9|10|11");  // panel 7 does not exist; a fourth id is outside the format
    EXPECT_EQ(g_Seen.shown, (std::vector<int32_t>{7, 9, 10}));
    EXPECT_EQ(g_Seen.linked, (std::vector<std::vector<int32_t>>{{9, 7, 9, 10}, {10, 7, 9, 10}}));
}

TEST_F(TriggerActionTest, NoticesLinesAndTalkReachTheirHooks) {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    game.objects.cha = {datagen::ObjRecord(12, 1, 6, 6, 0, "Elder")};
    Begin(game);
    Act("OutText 124*AddExp 50*Say hello 3*talk Elder*talk Prologue");
    EXPECT_EQ(run.DebugLines("notice: "), (std::vector<std::string>{"notice: T124\n", "notice: T124 50\n"}));
    ASSERT_EQ(g_Seen.lines.size(), 1u);
    EXPECT_EQ(g_Seen.lines[0], std::make_tuple(std::string("hello"), 1, run.Hero()->m_Handle, 3));
    EXPECT_EQ(g_Seen.talks, (std::vector<std::string>{"with Elder", "story Prologue"}));
    // AddEquipNum tells even a subject without a record.
    Act("AddEquipNum 1", Mng().GetRoleByName("Elder"));
    EXPECT_EQ(run.DebugLines("notice: T315").size(), 1u);
}

// A million pieces stop at the record's limits: the pool fills, the rest
// lies on the ground in one heap, and the command returns.
TEST_F(TriggerActionTest, AcquireOfAMillionReturns) {
    Begin();
    Act("Acquire 5 1");
    EXPECT_EQ(run.DebugLines("notice: T123 Blade").size(), 1u);
    Act("Acquire 5 1000000");
    EXPECT_GE(Record()->FindItemById(5), 0);
    run.Tick();
}

TEST_F(TriggerActionTest, MissTakesPiecesAndAllOfThemWithoutACount) {
    Begin();
    Act("Acquire 4 5");
    ASSERT_GE(Record()->FindItemById(4), 0);
    Act("Miss 4 2");
    EXPECT_EQ(Record()->GetItem(Record()->FindItemById(4))->m_Count, 3);
    Act("Miss 4 -7");  // no count below 1: all of them, never more
    EXPECT_EQ(Record()->FindItemById(4), -1);
}

// A death that puts a role of the same name in its place would keep RemItem
// going for ever: it has as many turns as roles of that name at its start.
TEST_F(TriggerActionTest, RemItemEndsWhenDeathsReplaceTheRoles) {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    datagen::RoleMdlRow phoenix;
    for (const datagen::RoleMdlRow& r : game.roles)
        if (r.Cells().size() > 1 && r.Cells()[1] == std::to_string(datagen::kFixtureMeleeModel)) phoenix = r;
    phoenix.Id(8).DeathAction(-8);
    game.roles.push_back(phoenix);
    game.rolePrivates.push_back(datagen::RolePrivateRow().Name("Level").Id(8).Sight(8).CastPeriod(2).StandAnim(100));
    game.objects.cha = {datagen::FixtureRoamer(8, 5, 5, "Bird"), datagen::FixtureRoamer(8, 9, 9, "Bird")};
    Begin(game);
    ASSERT_EQ(RolesOf(8).size(), 2u);
    Act("RemItem Bird 2 2 2 2");
    EXPECT_EQ(RolesOf(8).size(), 2u);  // the two that took the places of the first two
    Act("RemItem Bird");  // mode 1: no death action
    EXPECT_TRUE(RolesOf(8).empty());
}

TEST_F(TriggerActionTest, BuildingCommandsActOnEveryBuildingOfTheName) {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    game.buildings = {datagen::FixtureBuilding(datagen::kDemoChestPart, 5, 5, "Box"),
                      datagen::FixtureBuilding(datagen::kDemoChestPart, 10, 5, "Box")};
    Begin(game);
    Act("SetBldStatus Box 1*SetLockTextID box 77");
    int seen = 0;
    for (CGameObj* o = Mng().FindFirstObjByName("Box"); o; o = Mng().FindNextObjByName(), ++seen) {
        auto* bld = dynamic_cast<CMechBld*>(o);
        ASSERT_NE(bld, nullptr);
        EXPECT_EQ(bld->m_State, 1);
        EXPECT_EQ(bld->m_LockedTextId, 77);
    }
    EXPECT_EQ(seen, 2);
}

TEST_F(TriggerActionTest, SetPortalWithoutATargetBuildsNothing) {
    Begin();
    Act("SetPortal 6 6 0");
    EXPECT_EQ(run.DebugLines("SetPortal without a target").size(), 1u);
    EXPECT_EQ(Mng().FindFirstByGoTarget("Second"), nullptr);
}

// Scripts that start themselves again (a chest whose weighted action uses
// the chest, a transition run that resets the scene) stop at a depth.
TEST_F(TriggerActionTest, SelfStartingScriptsStopAtADepth) {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    game.buildings = {datagen::FixtureBuilding(datagen::kDemoChestPart, 5, 5, "5")};
    game.triggers = {{"IsHitBox 100", "SetBldStatus 5 0*SetBldStatus 5 5", "1"}, {"IsScnIn", "ReSetScn", "1"}};
    Begin(game);
    run.Tick(28);
    ASSERT_EQ(Mgr()->m_Weighted.size(), 1u);
    Act("SetBldStatus 5 0*SetBldStatus 5 5");
    Mgr()->RunSceneTransitionTriggers(nullptr, 0);
    EXPECT_GE(run.DebugLines("trigger actions nested 16 deep").size(), 2u);
    run.Tick(2);
}

// ChangeAct asks the scene manager to delete every scene; a go after it in
// the same pass is carried out on the manager's next tick all the same.
TEST_F(TriggerActionTest, ChangeActInAPassWithAFollowingGo) {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    game.triggers = {{"IsFlag local1 1", "ChangeAct 2*go Start 0", "0"}};
    Begin(game);
    Record()->SetFlag("local1", 1);
    Mgr()->RequestRun();
    run.Tick();
    EXPECT_EQ(Record()->m_Act, 2);
    EXPECT_EQ(g_LiveScnMng->m_DeleteAllPending, 1);
    EXPECT_EQ(g_LiveScnMng->m_Pending, 1);
    run.Tick(3);
    EXPECT_EQ(g_LiveScnMng->m_DeleteAllPending, 0);
    EXPECT_EQ(g_LiveScnMng->m_Pending, 0);
    // The client comes back in the rebuilt scene: the change took it from
    // the deleted scene's tracker before the deletion.
    ASSERT_NE(run.Scene(), nullptr);
    EXPECT_STREQ(run.Scene()->GetName(), "Start");
    EXPECT_NE(run.Hero(), nullptr);
}

// SF (state, on) and SetFlagTable (role, state, on, [countdown]): the
// second value switches the state, the optional one is its countdown.
TEST_F(TriggerActionTest, StateCommandsSwitchStatesWithTheirCountdown) {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    game.objects.cha = {datagen::ObjRecord(12, 1, 6, 6, 0, "Elder")};
    Begin(game);
    auto* elder = dynamic_cast<CRole*>(Mng().GetRoleByName("Elder"));
    ASSERT_NE(elder, nullptr);
    Act("SF 40 5*SetFlagTable Elder 41 9 3");
    EXPECT_EQ(Hero()->m_States[40], 1);
    EXPECT_EQ(Hero()->m_StateCountdowns[40], 0);
    EXPECT_EQ(elder->m_States[41], 1);
    EXPECT_EQ(elder->m_StateCountdowns[41], 3);
    Act("sf 40 0*SetFlagTable Elder 41 0");
    EXPECT_EQ(Hero()->m_States[40], 0);
    EXPECT_EQ(elder->m_States[41], 0);
}

TEST_F(TriggerActionTest, PlayMp3AndPlaySoundChooseTheirTracks) {
    Begin();
    static std::vector<std::pair<std::string, int>> music;
    music.clear();
    g_SceneHooks.playMusic = [](const char* name, int loop) { music.emplace_back(name, loop); };
    Act("PlayMp3 theme*PlaySound x 40*PlaySound x 41 0 0*PlaySound x 42 0 2");
    EXPECT_EQ(music, (std::vector<std::pair<std::string, int>>{{"theme", 1}}));
    const std::vector<scenario::SoundCall> want = {
        {"music", 40, 1, 0, 0}, {"effect", 41, 0, 100, 0}, {"music", 42, 0, 0, 0}};
    std::vector<scenario::SoundCall> got;
    for (const auto& s : run.Sounds())
        if (s.id >= 40 && s.id <= 42) got.push_back(s);
    EXPECT_EQ(got, want);
}

TEST_F(TriggerActionTest, EffectLayerAndSoundSystemSwitches) {
    Begin();
    const int32_t keep = g_Effect3D.IsOn();
    Act("3DEffect 0");
    EXPECT_EQ(g_Effect3D.IsOn(), 0);
    Act("3deffect 2");
    EXPECT_EQ(g_Effect3D.IsOn(), 1);
    g_Effect3D.Enable(keep);
    // The fixture's sound table is empty, so the sound system does not
    // start again: a box names the folder, and the game goes on.
    plat::ClearRecordedMessageBoxes();
    Act("ReLoadSound");
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, std::string(GetProgramDirectory()) + "SY\\");
    plat::ClearRecordedMessageBoxes();
    run.Tick();
}

} // namespace test_trigger_actions
