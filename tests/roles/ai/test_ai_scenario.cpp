// Thinking monsters in the running fixture game, seeded: a reaction-0
// monster sees the hero, alerts, chases and strikes with its skill list,
// each blow taking what the combat rules give; a kind-30 caster casts every
// column 6 x 56 ticks; an ambusher strikes first; a fleeing role runs to
// open ground and stops fleeing; a leashed role returns home; a pack of
// four circles the hero and attacks together; a walker leaves footprints
// on soft ground.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "gfx/anim.h"
#include "roles/ai/ai_role.h"
#include "roles/ai/role_group.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "scenario/scenario.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_desc.h"
#include "world/objects/obj_mng.h"
#include "world/things/anim_objs.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"

namespace test_ai_scenario {

using scenario::ScenarioTest;

class AiScenarioTest : public ScenarioTest {
protected:
    using Edit = std::function<void(datagen::FixtureGame&)>;
    bool Begin(uint32_t seed, const Edit& edit = nullptr) {
        datagen::FixtureGame g = datagen::DefaultFixtureGame();
        datagen::PlayerInitSpec hero;
        hero.classId = 0;  // the class a scenario's new game takes
        hero.maxHP = 500, hero.dp = 5, hero.hr = 5, hero.sp = 24;
        hero.hpResume = 0;  // every change of HP is a blow
        hero.leftSkill = 0, hero.rightSkills = "";
        g.classes.push_back(hero);
        // The reaction-0 monster: AP 40, HR 100, HP 300.
        for (auto& row : g.rolePrivates)
            if (row.Cells().size() > 1 && row.Cells()[1] == std::to_string(datagen::kFixtureReactionModel))
                row.Set(9, 300).Set(10, 40).Set(13, 100).Set(3, 16).Set(4, 24);
        // A reach of two cells, as the fight scenario's sweep has.
        for (auto& sk : g.skills)
            if (sk.Cells().size() > 3 && sk.Cells()[3] == std::to_string(datagen::kFixtureStrikeSkill))
                sk.Range(128).Scales("1.0", "1.0", "1.0");
        if (edit) edit(g);
        if (!run.Start(g)) return false;
        run.Seed(seed);
        run.Tick(1);
        m_Hero = AsRole(run.Hero());
        if (!m_Hero || !run.Scene()) return false;
        // A new game's record holds no current HP: the hero starts full.
        m_Hero->RefillPools();
        return true;
    }
    void ServerSide() {
        run.Scene()->m_pWorld->MakeCurrent();
        SetCurrentScene(run.Scene());
    }
    CRole* Spawn(int model, int dx, int dy) {
        ServerSide();
        const CGamePoint h = m_Hero->GetCell();
        return AsRole(g_CurObjMng->AddRole(static_cast<uint16_t>(model), h.x + dx, h.y + dy, 0, 0, 0, -1, -1));
    }
    // The roles of a model in the scene, in placement order.
    std::vector<CRole*> RolesOf(int model) {
        ServerSide();
        std::vector<CRole*> out;
        for (CObjNode* n = g_CurObjMng->m_Roles.Head(); n; n = n->Next())
            if (CRole* r = AsRole(static_cast<CGameObj*>(n)); r && r != m_Hero && r->m_pModelRow &&
                                                              r->m_pModelRow->GetInt(1) == model)
                out.push_back(r);
        return out;
    }
    int CellDistance(const CGameObj* a, const CGameObj* b) const {
        return std::max(std::abs(a->m_X / 64 - b->m_X / 64), std::abs(a->m_Y / 64 - b->m_Y / 64));
    }
    CRole* m_Hero = nullptr;
};

// "Start" widened to `width` columns, walled round, the hero still at its
// portal: room to run away or to be leashed far off.
void Widen(datagen::FixtureGame& g, size_t width) {
    for (size_t y = 0; y < g.map.size(); ++y) {
        const bool edge = y == 0 || y + 1 == g.map.size();
        g.map[y] = std::string(width, edge ? '#' : '.');
        g.map[y].front() = g.map[y].back() = '#';
    }
}

TEST_F(AiScenarioTest, EveryFixtureSkillAnimatesOnTheFixtureSprite) {
    // A skill's attached object ends on its first tick when its owner
    // cannot show the skill's animation group.
    ASSERT_TRUE(Begin(1));
    CRole* m = Spawn(datagen::kFixtureReactionModel, 3, 0);
    ASSERT_NE(m, nullptr);
    ASSERT_NE(m->GetAnimSet(), nullptr);
    const int32_t seqs = m->GetAnimSet()->m_SeqCount;
    for (int id : {datagen::kFixtureStrikeSkill, datagen::kFixtureArrowSkill, datagen::kFixtureClawSkill,
                   datagen::kFixtureGatherSkill}) {
        const CSkillDef* s = g_SkillTable.GetAt(id);
        ASSERT_NE(s, nullptr) << id;
        EXPECT_LE(s->animBase + 8, seqs) << "skill " << id;
    }
}

TEST_F(AiScenarioTest, AReactionZeroMonsterSeesAlertsChasesAndStrikesTheHero) {
    ASSERT_TRUE(Begin(7));
    CRole* m = Spawn(datagen::kFixtureReactionModel, 5, 0);
    ASSERT_NE(m, nullptr);
    const ObjHandle handle = m->m_Handle;
    EXPECT_EQ(m->m_AiValue, 0);
    EXPECT_FALSE(m->HasState(kStateAlerted));
    const double start = std::hypot(m->m_X - m_Hero->m_X, m->m_Y - m_Hero->m_Y);
    // The combat rules for this blow: AP x the skill's scale B, no element,
    // other camps, the hero's 5 DP too small to dodge a hit rate of 100.
    const float blow = static_cast<float>(m->GetAP()) * 1.0f;
    EXPECT_EQ(m->GetAP(), 40);
    int alertedAt = -1, firstBlowAt = -1, walked = 0, strikes = 0, attached = 0;
    double closest = start;
    std::vector<float> falls;
    float hp = m_Hero->m_Hp;
    ASSERT_FLOAT_EQ(hp, 500.0f);
    for (int t = 0; t < 600 && m_Hero->m_Hp > 0.0f; ++t) {
        run.Tick(1);
        m = AsRole(ResolveHandle(handle));
        ASSERT_NE(m, nullptr);
        if (alertedAt < 0 && m->HasState(kStateAlerted)) alertedAt = t;
        if (m->m_Motion == kMotionWalk) ++walked;
        if (m->m_LastCommand == 11) {
            EXPECT_EQ(static_cast<int32_t>(m->m_LastOrder[0]), datagen::kFixtureStrikeSkill);
            EXPECT_EQ(m->m_LastOrder[1], m_Hero->m_Handle);
            ++strikes;
            m->m_LastCommand = -1;
        }
        attached += m->m_pBoundMagic != nullptr;
        closest = std::min(closest, std::hypot(m->m_X - m_Hero->m_X, m->m_Y - m_Hero->m_Y));
        if (m_Hero->m_Hp != hp) {
            if (firstBlowAt < 0) firstBlowAt = t;
            falls.push_back(hp - m_Hero->m_Hp);
            hp = m_Hero->m_Hp;
        }
    }
    EXPECT_GE(alertedAt, 0);
    // A new role waits out its placement's move stamp (56 ticks), then
    // reaction 0 looks every 14 ticks.
    EXPECT_LT(alertedAt, 56 + 14);
    EXPECT_GT(walked, 0) << "it chased";
    EXPECT_LT(closest, start);
    EXPECT_GT(strikes, 0);
    EXPECT_GT(attached, 0) << "the strike's object attached";
    EXPECT_GT(firstBlowAt, alertedAt);
    ASSERT_GE(falls.size(), 3u) << "strikes ordered: " << strikes;
    for (float f : falls) EXPECT_FLOAT_EQ(f, blow);
    EXPECT_LE(static_cast<int>(falls.size()), strikes);
}

TEST_F(AiScenarioTest, AKind30CasterCastsEveryColumn6Times56Ticks) {
    ASSERT_TRUE(Begin(3));
    CRole* c = Spawn(datagen::kFixtureCasterModel, -4, 0);
    ASSERT_NE(c, nullptr);
    const ObjHandle handle = c->m_Handle;
    std::vector<uint32_t> casts;
    for (int t = 0; t < 400; ++t) {
        run.Tick(1);
        c = AsRole(ResolveHandle(handle));
        ASSERT_NE(c, nullptr);
        if (c->m_LastCommand == 10) {
            casts.push_back(c->m_TickCount);
            c->m_LastCommand = -1;
        }
    }
    ASSERT_GE(casts.size(), 3u);
    for (size_t i = 1; i < casts.size(); ++i) EXPECT_EQ(casts[i] - casts[i - 1], 2u * 56u);
}

} // namespace test_ai_scenario

namespace test_ai_scenario {

TEST_F(AiScenarioTest, AnAmbusherStrikesFirst) {
    const int x = datagen::kFixtureNullX + 1, y = datagen::kFixtureNullY;
    ASSERT_TRUE(Begin(5, [&](datagen::FixtureGame& g) {
        g.objects.cha = {datagen::FixtureIdlePlacement(datagen::kFixtureReactionModel, x, y, 4, datagen::kFixtureStrikeSkill)};
    }));
    std::vector<CRole*> placed = RolesOf(datagen::kFixtureReactionModel);
    ASSERT_EQ(placed.size(), 1u);
    const ObjHandle handle = placed[0]->m_Handle;
    auto* rec = dynamic_cast<CObjDesc12*>(placed[0]->m_pDesc);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->m_Logic, 4);
    placed[0]->m_LastCommand = -1;
    const float hp = m_Hero->m_Hp;
    int firstOrder = -1, firstOrderAt = -1, alertedAt = -1, blowAt = -1, walked = 0;
    bool attachedOnSight = false;
    for (int t = 0; t < 200 && blowAt < 0; ++t) {
        run.Tick(1);
        CRole* a = AsRole(ResolveHandle(handle));
        ASSERT_NE(a, nullptr);
        if (a->m_Motion == kMotionWalk) ++walked;
        if (firstOrder < 0 && a->m_LastCommand != -1) {
            firstOrder = a->m_LastCommand, firstOrderAt = t;
            EXPECT_EQ(static_cast<int32_t>(a->m_LastOrder[0]), datagen::kFixtureStrikeSkill);
            EXPECT_EQ(a->m_LastOrder[1], m_Hero->m_Handle);
            attachedOnSight = a->m_pBoundMagic != nullptr;
        }
        if (alertedAt < 0 && a->HasState(kStateAlerted)) alertedAt = t;
        if (blowAt < 0 && m_Hero->m_Hp < hp) blowAt = t;
    }
    // Its first act is the placement's skill used at once (order 9), not a
    // chase; it is alerted on that same tick and the blow lands.
    EXPECT_EQ(firstOrder, 9);
    EXPECT_TRUE(attachedOnSight);
    EXPECT_EQ(alertedAt, firstOrderAt);
    EXPECT_EQ(rec->m_Logic, 10) << "the ambush is spent";
    EXPECT_EQ(walked, 0);
    ASSERT_GE(blowAt, firstOrderAt);
    EXPECT_FLOAT_EQ(hp - m_Hero->m_Hp, 40.0f);
}

TEST_F(AiScenarioTest, AFleeingRoleRunsToOpenGroundAndStopsFleeing) {
    ASSERT_TRUE(Begin(11, [](datagen::FixtureGame& g) { Widen(g, 40); }));
    CRole* f = Spawn(datagen::kFixtureReactionModel, 2, 0);
    ASSERT_NE(f, nullptr);
    const ObjHandle handle = f->m_Handle;
    const int sight = f->m_pLevelRow->GetInt(5);
    ASSERT_EQ(sight, 8);
    f->SetState(17, 1, 0, nullptr);  // as a skill's side state or a script sets it
    int ranAt = -1, stoppedAt = -1, strikes = 0;
    for (int t = 0; t < 1200 && stoppedAt < 0; ++t) {
        run.Tick(1);
        f = AsRole(ResolveHandle(handle));
        ASSERT_NE(f, nullptr);
        if (f->m_LastCommand == 2 && ranAt < 0) ranAt = t;
        strikes += f->m_LastCommand == 11 || f->m_LastCommand == 9;
        f->m_LastCommand = -1;
        if (!f->HasState(17)) stoppedAt = t;
    }
    ASSERT_GE(ranAt, 0) << "it ran";
    ASSERT_GT(stoppedAt, ranAt) << "and stopped fleeing";
    EXPECT_EQ(strikes, 0) << "no blow while fleeing";
    // Out of the threat's reach (sight - 2 cells), on its last run to an
    // open point: it ends on a walkable cell.
    for (int t = 0; t < 200 && f->m_Motion != kMotionStand; ++t) run.Tick(1);
    f = AsRole(ResolveHandle(handle));
    ASSERT_NE(f, nullptr);
    EXPECT_GE(std::hypot(f->m_X - m_Hero->m_X, f->m_Y - m_Hero->m_Y), (sight - 2) * 64.0);
    const CMapCell* cell = run.Scene()->m_pWorld->m_MapGrid.GetCell(f->m_X / 64, f->m_Y / 64);
    ASSERT_NE(cell, nullptr);
    EXPECT_NE(cell->m_Walkable, 0);
}

TEST_F(AiScenarioTest, ALeashedRoleReturnsHome) {
    ASSERT_TRUE(Begin(13, [](datagen::FixtureGame& g) { Widen(g, 40); }));
    // Two cells from the hero, its home seven: the leash is code's (no
    // object-list key holds it).
    auto* r = dynamic_cast<CAiRole*>(Spawn(datagen::kFixtureReactionModel, 2, 0));
    ASSERT_NE(r, nullptr);
    const ObjHandle handle = r->m_Handle;
    const CGamePoint home{m_Hero->GetCell().x + 7, m_Hero->GetCell().y};
    r->m_LeashMode = 2;
    r->m_HomeX = home.x, r->m_HomeY = home.y;
    int ranHome = 0, reachedAt = -1, targetAt = -1;
    for (int t = 0; t < 600 && reachedAt < 0; ++t) {
        run.Tick(1);
        r = dynamic_cast<CAiRole*>(ResolveHandle(handle));
        ASSERT_NE(r, nullptr);
        if (targetAt < 0 && r->GetTargetRole() == m_Hero) targetAt = t;
        if (r->m_LastCommand == 2 && static_cast<int32_t>(r->m_LastOrder[0]) == home.x &&
            static_cast<int32_t>(r->m_LastOrder[1]) == home.y)
            ++ranHome;
        r->m_LastCommand = -1;
        if (r->m_HomeX == -2) reachedAt = t;
    }
    ASSERT_GE(targetAt, 0) << "it picked the hero";
    EXPECT_GT(ranHome, 0) << "with the hero within 8 cells it ran home";
    ASSERT_GT(reachedAt, targetAt) << "and reached it";
    const CGamePoint own = r->GetCell();
    EXPECT_LT(std::hypot(own.x - home.x, own.y - home.y), 3.0);
}

TEST_F(AiScenarioTest, APackOfFourCirclesTheHeroAndAttacksTogether) {
    const int x = datagen::kFixtureNullX + 3, y = datagen::kFixtureNullY - 1;
    ASSERT_TRUE(Begin(17, [&](datagen::FixtureGame& g) {
        g.objects.cha = datagen::FixturePack(datagen::kFixtureWolfModel, x, y, 1);
        for (auto& row : g.rolePrivates)
            if (row.Cells().size() > 1 && row.Cells()[1] == std::to_string(datagen::kFixtureWolfModel))
                row.Set(9, 300).Set(10, 10).Set(13, 100).Set(3, 16).Set(4, 24);
    }));
    std::vector<CRole*> pack = RolesOf(datagen::kFixtureWolfModel);
    ASSERT_EQ(pack.size(), 4u);
    CRoleGroup* group = pack[0]->m_pGroup;
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetMemberCount(), 4);
    std::vector<ObjHandle> handles;
    for (CRole* w : pack) {
        EXPECT_EQ(w->m_pGroup, group);
        handles.push_back(w->m_Handle);
    }
    const float hp = m_Hero->m_Hp;
    int together = 0, circled = 0, attacks = 0;
    for (int t = 0; t < 1500 && m_Hero->m_Hp > 0.0f; ++t) {
        const int32_t countdown = group->m_AttackCountdown;
        run.Tick(1);
        // A group attack winds the countdown up and orders every free
        // member at the hero (order 11, chased into reach or struck).
        const bool attacked = group->m_AttackCountdown > countdown;
        attacks += attacked;
        int ordered = 0;
        std::vector<double> angles;
        bool near = true;
        for (ObjHandle h : handles) {
            CRole* w = AsRole(ResolveHandle(h));
            ASSERT_NE(w, nullptr);
            if (attacked) ordered += w->m_CurrentOrder[0] == 11 || w->m_pBoundMagic != nullptr;
            angles.push_back(std::atan2(w->m_Y - m_Hero->m_Y, w->m_X - m_Hero->m_X));
            near = near && CellDistance(w, m_Hero) <= 6;
        }
        together = std::max(together, ordered);
        // Standing round the hero: no two members within 45 degrees.
        std::sort(angles.begin(), angles.end());
        double gap = angles.front() + 2 * std::numbers::pi - angles.back();
        for (size_t i = 1; i < angles.size(); ++i) gap = std::min(gap, angles[i] - angles[i - 1]);
        if (near && gap > std::numbers::pi / 4) ++circled;
    }
    EXPECT_EQ(group->m_Target, m_Hero->m_Handle);
    EXPECT_GT(circled, 0) << "the ring stood round the hero";
    EXPECT_GT(attacks, 0);
    EXPECT_GE(together, 3) << "a group attack orders its members on one tick";
    EXPECT_LT(m_Hero->m_Hp, hp);
}

TEST_F(AiScenarioTest, AWalkingRoleLeavesFootprintsOnSoftGround) {
    const int y = datagen::kFixtureNullY;
    ASSERT_TRUE(Begin(19, [&](datagen::FixtureGame& g) {
        // Soft ground west of the hero along its row; the hero's model walks
        // as move class 2, the class that leaves prints.
        for (int x = 1; x < datagen::kFixtureNullX - 1; ++x) g.map[size_t(y)][size_t(x)] = ':';
        g.roles[0].MoveClass(2);
        for (auto& row : g.rolePrivates) row.Set(3, 16).Set(4, 24);  // walking speeds
    }));
    auto footprints = [&] {
        ServerSide();
        std::vector<CGamePoint> at;
        for (CObjNode* n = g_CurObjMng->m_Props.Head(); n; n = n->Next())
            if (auto* f = dynamic_cast<CFootprintObj*>(static_cast<CGameObj*>(n))) at.push_back({f->m_X, f->m_Y});
        return at;
    };
    run.Tick(20);
    ASSERT_TRUE(footprints().empty()) << "standing leaves none";
    ServerSide();
    run.SendOrder(m_Hero, 1, 2, y);

    for (int t = 0; t < 300; ++t) {
        run.Tick(1);

        if (m_Hero->m_Motion == kMotionStand && m_Hero->GetCell().x == 2) break;
    }
    EXPECT_EQ(m_Hero->GetCell().x, 2) << "it walked";
    const std::vector<CGamePoint> at = footprints();
    // A print for every half cell or so along the soft stretch, none on
    // the grass it started from.
    EXPECT_GE(at.size(), 6u);
    for (const CGamePoint& p : at) {
        EXPECT_EQ(p.y / 64, y);
        EXPECT_LT(p.x / 64, datagen::kFixtureNullX - 1) << "only on the soft cells";
    }
}

} // namespace test_ai_scenario
