// Arrows in the running fixture game: one crosses a low obstacle (its pass
// drawn) and strikes the hero, firing its hit list for code 1; one flies
// into a low wall and fires it for code 2. Both end; the announced one
// reaches the client as packet 8.
#include <gtest/gtest.h>

#include <memory>

#include "platform/random.h"
#include "roles/magic/anim/projectile.h"
#include "roles/magic/magic.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "roles/ai/quiet_roles.h"
#include "scenario/scenario.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"

namespace test_projectile_scenario {

using scenario::ScenarioTest;

constexpr int kRow = 5;
constexpr int kArcherX = 2, kHeroX = 9;
constexpr int kWallArrow = 2;  // the fixture's arrow, with a sound for code 2

datagen::FixtureGame Game() {
    datagen::FixtureGame g = datagen::DefaultFixtureGame();
    // Row 9 holds a low wall (class 2) at cell 8.
    g.map[9][8] = '2';
    g.skillChildren.push_back(datagen::SkillChildRow().ClassWord(5).Name("ArrowWall").Kind(201).Id(kWallArrow).Anim(1)
                                  .ShadowAnim(83).Params(1, 0, 0).Bytes({2, 40, 0, 12, 0, 0})
                                  .Effects({{1, 1, 1, 10, 0, 0}, {1, 2, 1, 11, 0, 0}}));
    return g;
}

class ProjectileScenarioTest : public ScenarioTest {
protected:
    bool StartGame() {
        if (!run.Start(Game())) return false;
        quiet_roles::SilenceAi();
        run.Tick();
        m_Hero = AsRole(run.Hero());
        if (!m_Hero || !run.Scene()) return false;
        SetCurrentScene(run.Scene());
        m_Archer = AsRole(g_CurObjMng->AddRole(datagen::kFixtureArcherModel, kArcherX, kRow, 0, 0, 0, -1, -1));
        return m_Archer && m_Hero->PlaceNear(kHeroX, kRow, 0);
    }
    // The archer's skill object, aimed at a point.
    CMagic* Cast(CGamePoint target) {
        auto p = std::make_unique<CMagic>();
        p->m_OwnerHandle = m_Archer->m_Handle;
        p->SetSkill(g_SkillTable.GetAt(datagen::kFixtureArrowSkill));
        p->m_CastData[3] = 5;
        p->m_TargetX = target.x;
        p->m_TargetY = target.y;
        p->SetPos(m_Archer->m_X, m_Archer->m_Y);
        m_Parents.push_back(std::move(p));
        return m_Parents.back().get();
    }
    void TearDown() override {
        m_Parents.clear();
        ScenarioTest::TearDown();
    }
    size_t ArrowPackets() const {
        size_t n = 0;
        for (const auto& p : run.Packets())
            if (p.size() == 7 && p[0] == 8 && (p[1] | p[2] << 8) == datagen::kFixtureArrowChild) ++n;
        return n;
    }
    CRole* m_Hero = nullptr;
    CRole* m_Archer = nullptr;
    std::vector<std::unique_ptr<CMagic>> m_Parents;
};

TEST_F(ProjectileScenarioTest, AnArrowCrossesALowObstacleAndStrikesAnotherHitsAWall) {
    ASSERT_TRUE(StartGame());
    // Three cells from the archer's row a low obstacle (class 1) lies on
    // the arrow's way; the arrow's height puts it two rows lower.
    ASSERT_EQ(m_Hero->m_Y / 64, kRow);
    CMapCell* low = g_CurMapGrid->GetCell(6, kRow);
    ASSERT_NE(low, nullptr);
    low->m_Walkable = 0;
    low->m_Terrain = 1;
    run.Seed(5);
    auto* arrow = dynamic_cast<CMagic201*>(g_CurObjMng->AddMagic(datagen::kFixtureArrowChild, m_Archer->m_X - 80,
                                                                 m_Archer->m_Y - 80,
                                                                 Cast({m_Hero->m_X, m_Hero->m_Y}), 1));
    ASSERT_NE(arrow, nullptr);
    const ObjHandle arrowHandle = arrow->m_Handle;
    EXPECT_EQ(arrow->m_Height, 40);
    bool crossed = false;
    for (int i = 0; i < 60 && ResolveHandle(arrowHandle) && !arrow->m_Removed; ++i) {
        SetCurrentScene(run.Scene());
        g_CurObjMng->Update();
        if (ResolveHandle(arrowHandle) && arrow->m_X / 64 == 6 && arrow->m_Y / 64 == kRow) crossed = true;
        run.Tick();
    }
    EXPECT_TRUE(crossed);
    EXPECT_EQ(ResolveHandle(arrowHandle), nullptr) << "removed and deleted";
    bool struck = false;
    for (const auto& s : run.Sounds()) struck |= s.id == 10;
    EXPECT_TRUE(struck) << "list 1 for code 1: the hit sound";
    EXPECT_EQ(ArrowPackets(), 1u);
}

TEST_F(ProjectileScenarioTest, AnArrowIntoALowWallFiresCodeTwoAndEnds) {
    ASSERT_TRUE(StartGame());
    SetCurrentScene(run.Scene());
    run.Seed(5);
    auto* arrow = dynamic_cast<CMagic201*>(g_CurObjMng->AddMagic(
        kWallArrow, kArcherX * 64 + 32 - 80, 9 * 64 + 32 - 80, Cast({14 * 64, 9 * 64 + 32}), 0));
    ASSERT_NE(arrow, nullptr);
    const ObjHandle h = arrow->m_Handle;
    int lastCell = 0;
    for (int i = 0; i < 80 && ResolveHandle(h) && !arrow->m_Removed; ++i) {
        lastCell = arrow->m_X / 64;
        SetCurrentScene(run.Scene());
        arrow->Tick();
    }
    EXPECT_TRUE(arrow->m_Removed);
    EXPECT_EQ(arrow->m_X / 64, 8) << "stopped in the wall's cell";
    EXPECT_LE(lastCell, 8);
    std::vector<int> sounds;
    for (const auto& s : run.Sounds()) sounds.push_back(s.id);
    EXPECT_EQ(sounds, std::vector<int>{11}) << "list 1 for code 2 alone";
    EXPECT_EQ(ArrowPackets(), 0u) << "not announced";
}

} // namespace test_projectile_scenario
