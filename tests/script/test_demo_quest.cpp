// The demo data set in the running game, over 20 seeds: the guard by the
// pond kills both wolves without the player, each wolf leaves money and an
// item where it died, and the scene script sets q1, gives the token and
// says so.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "datagen/demo_data.h"
#include "datagen/demo_fighters.h"
#include "core/txt_table.h"
#include "roles/items/prop_rec.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "roles/tables/skill_table.h"
#include "gfx/anim.h"
#include "scenario/scenario.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/things/map_prop.h"

namespace test_demo_quest {

constexpr int kTicksPerMinute = 60 * 1000 / 35;

class DemoQuestTest : public scenario::ScenarioTest {
protected:
    CRoleData* Record() { return g_SceneHooks.getRecord(g_SceneHooks.getPlayerDataId()); }
    CObjMng& Mng() { return run.Scene()->m_pWorld->m_ObjMng; }
    std::vector<CRole*> Living(const char* picture) {
        std::vector<CRole*> out;
        for (CObjNode* n = Mng().m_Roles.Head(); n; n = n->Next()) {
            auto* r = dynamic_cast<CRole*>(static_cast<CGameObj*>(n));
            const char* pic = r ? r->GetPictureName() : nullptr;
            if (r && !r->m_Removed && !r->m_Dead && pic && std::string(pic) == picture) out.push_back(r);
        }
        return out;
    }
    // "PropMdl.txt" ids of the props lying on the cell or next to it (a drop
    // scatters round its cell).
    std::vector<int> PropsAt(const CGamePoint& cell) {
        std::vector<int> ids;
        for (CObjNode* n = Mng().m_Props.Head(); n; n = n->Next()) {
            auto* p = dynamic_cast<CMapProp*>(static_cast<CGameObj*>(n));
            if (p && !p->m_Removed && p->m_pRow && std::abs(p->m_X / 64 - cell.x) <= 1 &&
                std::abs(p->m_Y / 64 - cell.y) <= 1)
                ids.push_back(p->m_pRow->GetInt(propcol::kId));
        }
        return ids;
    }
    bool Noticed(int textRow) {
        const std::string want = std::string(kRoleNoticePrefix) + datagen::kDemoQuestTexts[textRow - datagen::kDemoQuestText];
        for (const std::string& line : run.DebugLines(kRoleNoticePrefix))
            if (line.rfind(want, 0) == 0) return true;
        return false;
    }
};

TEST_F(DemoQuestTest, OnEverySeedTheGuardKillsBothWolvesTheyDropLootAndTheQuestStepRuns) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ASSERT_TRUE(run.StartDemo());
        run.Seed(seed);
        run.Tick(1);
        CRole* hero = AsRole(run.Hero());
        ASSERT_NE(hero, nullptr);
        // A new game's hero enters whole.
        EXPECT_GT(hero->m_Hp, 1.0f);
        EXPECT_FLOAT_EQ(hero->m_Hp, static_cast<float>(hero->GetMaxHP()));
        const float heroHp = hero->m_Hp;
        EXPECT_TRUE(Noticed(301));
        ASSERT_EQ(Living(datagen::kDemoWolfPicture).size(), 2u);
        ASSERT_EQ(Living(datagen::kDemoGuardPicture).size(), 1u);
        EXPECT_EQ(Record()->GetFlag(datagen::kDemoQuestFlag), 0);

        std::map<ObjHandle, CGamePoint> lastCell;
        int ticks = 0;
        for (; ticks < kTicksPerMinute; ++ticks) {
            const std::vector<CRole*> wolves = Living(datagen::kDemoWolfPicture);
            for (CRole* w : wolves) lastCell[w->m_Handle] = w->GetCell();
            if (wolves.empty()) break;
            run.Tick(1);
        }
        ASSERT_LT(ticks, kTicksPerMinute) << "the wolves live after a minute";
        ASSERT_EQ(lastCell.size(), 2u);
        ASSERT_EQ(Living(datagen::kDemoGuardPicture).size(), 1u);
        // The loot lands; the script runs on the scene's tick.
        run.Tick(40);
        for (const auto& [handle, cell] : lastCell) {
            const std::vector<int> ids = PropsAt(cell);
            int money = 0, items = 0;
            for (int id : ids) (id >= 0 && id <= 3 ? money : items) += 1;
            EXPECT_GE(money, 1) << "no money at " << cell.x << "," << cell.y;
            EXPECT_GE(items, 1) << "no item at " << cell.x << "," << cell.y;
        }
        EXPECT_EQ(Record()->GetFlag(datagen::kDemoQuestFlag), 1);
        EXPECT_GE(Record()->FindItemById(datagen::kDemoRewardProp), 0);
        EXPECT_TRUE(Noticed(302));
        EXPECT_FALSE(Noticed(303));
        // The hero at the portal never came into it.
        EXPECT_FLOAT_EQ(AsRole(run.Hero())->m_Hp, heroHp);
        run.Reset();
    }
}

TEST_F(DemoQuestTest, TheFightersShowEveryActionInEightDirectionsAndTheirSkillsLand) {
    // A skill's attached object ends on its first tick when its owner
    // cannot show the skill's animation group.
    ASSERT_TRUE(run.StartDemo());
    run.Tick(1);
    for (const char* picture : {datagen::kDemoWolfPicture, datagen::kDemoGuardPicture}) {
        for (CRole* r : Living(picture)) {
            ASSERT_NE(r->GetAnimSet(), nullptr) << picture;
            EXPECT_EQ(r->GetAnimSet()->m_SeqCount, datagen::kFighterSeqCount) << picture;
            EXPECT_EQ(r->m_DirCount, 8) << picture;
        }
    }
    for (int id : {datagen::kDemoBiteSkill, datagen::kDemoThrustSkill}) {
        const CSkillDef* s = g_SkillTable.GetAt(id);
        ASSERT_NE(s, nullptr) << id;
        EXPECT_EQ(s->animBase, datagen::kFighterAttackSeq) << id;
    }
}

} // namespace test_demo_quest
