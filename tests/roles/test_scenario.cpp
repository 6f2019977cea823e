// The scenario runner on the fixture game: the real start-up, a new game
// in "Start", runs fixed by seed or script, and Reset leaving nothing
// behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/txt_table.h"
#include "datagen/fixture_game.h"
#include "platform/random.h"
#include "scenario/scenario.h"
#include "world/objects/game_obj.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/sky/game_clock.h"

namespace {

using scenario::CScenario;
using scenario::ScenarioTest;

// "Start" with two birds that fly about and weather that changes.
datagen::FixtureGame BirdsAndWeather() {
    datagen::FixtureGame g = datagen::DefaultFixtureGame();
    g.objects.bea = {datagen::FixtureRoamer(datagen::kFixtureBirdModel, 5, 10, "Bird1"),
                     datagen::FixtureRoamer(datagen::kFixtureBirdModel, 10, 5, "Bird2")};
    g.scene.weights[0] = 40;  // rain
    g.scene.weights[3] = 40;  // flakes
    return g;
}

struct Outcome {
    uint64_t hash = 0;
    uint64_t draws = 0;
    std::vector<std::string> packets;
};

Outcome RunOnce(CScenario& run, const datagen::FixtureGame& game, uint32_t seed, int ticks) {
    Outcome o;
    if (!run.Start(game)) {
        run.Reset();
        return o;
    }
    run.Seed(seed);
    run.Tick(ticks);
    o.hash = run.RunHash();
    o.draws = run.Draws();
    o.packets = run.DecodedPackets();
    run.Reset();
    return o;
}

TEST_F(ScenarioTest, FixtureStartsWithoutAMessageBoxAndTheNewGamePlacesTheHeroInStart) {
    ASSERT_TRUE(run.Start());
    // The one GBK name among ASCII ones comes through as bytes.
    const CTxtRow* hero = g_RoleMdlTable.GetRow(1);
    ASSERT_NE(hero, nullptr);
    EXPECT_STREQ(hero->GetString(0), datagen::kFixtureHeroName);
    EXPECT_EQ(run.Scene(), nullptr) << "the scene is built on the first frame step";
    run.Tick();
    CScene* scene = run.Scene();
    ASSERT_NE(scene, nullptr);
    EXPECT_STREQ(scene->GetName(), "Start");
    EXPECT_EQ(scene->m_pWorld->m_MapGrid.Width(), 16);
    CGameObj* h = run.Hero();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->m_Kind, 60);
    EXPECT_EQ(h->m_X / 64, datagen::kFixtureNullX);
    EXPECT_EQ(h->m_Y / 64, datagen::kFixtureNullY);
    const std::vector<std::string> packets = run.DecodedPackets();
    ASSERT_EQ(packets.size(), 2u) << testing::PrintToString(packets);
    EXPECT_EQ(packets[0].rfind("join", 0), 0u) << packets[0];
    EXPECT_EQ(packets[1].rfind("clock", 0), 0u) << packets[1];
    EXPECT_EQ(GetGameTickCount(), 1);
}

TEST_F(ScenarioTest, OneSeedRepeatsARunAnotherChangesIt) {
    const datagen::FixtureGame game = BirdsAndWeather();
    const Outcome a = RunOnce(run, game, 7, 400);
    const Outcome b = RunOnce(run, game, 7, 400);
    const Outcome c = RunOnce(run, game, 8, 400);
    EXPECT_GT(a.draws, 0u);
    EXPECT_EQ(a.hash, b.hash);
    EXPECT_EQ(a.draws, b.draws);
    EXPECT_EQ(a.packets, b.packets);
    EXPECT_NE(a.hash, c.hash) << a.draws << " and " << c.draws << " draws";
}

TEST_F(ScenarioTest, AScriptOfTheSeededDrawsIsConsumedExactlyAndRepeatsTheRun) {
    const datagen::FixtureGame game = BirdsAndWeather();
    const Outcome seeded = RunOnce(run, game, 11, 120);
    ASSERT_GT(seeded.draws, 0u);
    // The values the seeded generator handed out, in order.
    plat::SRand(11);
    std::vector<int> draws;
    for (uint64_t i = 0; i < seeded.draws; ++i) draws.push_back(plat::Rand());
    plat::ResetRand();

    ASSERT_TRUE(run.Start(game));
    run.Script(draws);
    run.Tick(120);
    EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
    EXPECT_EQ(plat::RandOverruns(), 0);
    EXPECT_EQ(run.Draws(), seeded.draws);
    EXPECT_EQ(run.RunHash(), seeded.hash);
    EXPECT_EQ(run.DecodedPackets(), seeded.packets);
}

TEST_F(ScenarioTest, ScenariosInEitherOrderGiveTheSameResults) {
    const datagen::FixtureGame birds = BirdsAndWeather();
    const datagen::FixtureGame plain = datagen::DefaultFixtureGame();
    const Outcome birdsFirst = RunOnce(run, birds, 3, 150);
    const Outcome plainSecond = RunOnce(run, plain, 3, 150);
    const Outcome plainFirst = RunOnce(run, plain, 3, 150);
    const Outcome birdsSecond = RunOnce(run, birds, 3, 150);
    EXPECT_EQ(birdsFirst.hash, birdsSecond.hash);
    EXPECT_EQ(plainFirst.hash, plainSecond.hash);
    EXPECT_EQ(birdsFirst.packets, birdsSecond.packets);
    // Nothing of the runs is left over.
    EXPECT_EQ(g_CurScene, nullptr);
    EXPECT_EQ(g_CurObjMng, nullptr);
    EXPECT_EQ(GetGameTickCount(), 0);
    EXPECT_EQ(plat::RandState(), 1u);
    EXPECT_EQ(plat::RandDrawCount(), 0u);
    EXPECT_EQ(g_TextTable.GetRowCount(), 0);
}

TEST_F(ScenarioTest, TheClientPassPlacesTheViewSoAMovedRoleIsAnnounced) {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    game.objects.cha = {datagen::ObjRecord(12, 1, 11, 8, 0, "Elder")};
    ASSERT_TRUE(run.Start(game));
    run.Tick(2);
    CScene* scene = run.Scene();
    ASSERT_NE(scene, nullptr);
    CViewTracker* tracker = scene->FindTrackerByClient(0);
    ASSERT_NE(tracker, nullptr);
    EXPECT_EQ(tracker->m_ViewPending, 0);
    const CGameObj* hero = run.Hero();
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(tracker->m_Left, hero->m_X - 1280);
    EXPECT_EQ(tracker->m_Top, hero->m_Y - 960);
    EXPECT_EQ(tracker->m_Width, 2560);
    EXPECT_EQ(tracker->m_Height, 1920);
    const CGameObj* elder = nullptr;
    for (CObjNode* n = scene->m_pWorld->m_ObjMng.m_Roles.Head(); n; n = n->Next())
        if (static_cast<CGameObj*>(n) != hero) elder = static_cast<CGameObj*>(n);
    ASSERT_NE(elder, nullptr);
    const size_t before = run.Packets().size();
    // What a role does after a move of 128 or more.
    scene->UpdateViews(elder->m_Handle);
    run.Tick();
    const std::vector<std::vector<uint8_t>> packets = run.Packets();
    ASSERT_EQ(packets.size(), before + 1) << testing::PrintToString(run.DecodedPackets());
    EXPECT_EQ(packets.back()[0], 1);
    EXPECT_EQ(packets.back()[3], 0) << "the create-role packet";
    EXPECT_EQ(packets.back()[1] | (packets.back()[2] << 8), static_cast<int>(elder->m_Handle & 0xFFFF));
}

} // namespace
