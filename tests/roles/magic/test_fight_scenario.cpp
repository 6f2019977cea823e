// A fight in the running fixture game: the hero is ordered (command packet
// 240, order 11) to use a sweep skill on a monster out of reach, chases it
// and strikes through its attached magic object; packet 9 tells the client.
// The fight's packet log and draw count hash to a kept value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "gfx/anim.h"
#include "platform/random.h"
#include "roles/magic/attached_magic.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "roles/ai/quiet_roles.h"
#include "scenario/scenario.h"
#include "world/objects/obj_mng.h"
#include "world/objects/proximity.h"
#include "world/scene/scn_mng.h"
#include "world/map/map_grid.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/sky/game_clock.h"

namespace test_fight_scenario {

using scenario::ScenarioTest;

// The hash of the fight below: renewed only by a change to a rule the
// fight uses, with the reason in its commit.
constexpr uint64_t kFightHash = 4576108036144110425ull;

constexpr int kHitSound = 10, kTimedSound = 11;
constexpr int kDashSkill = 3;

struct Fight {
    std::vector<uint8_t> packet9;       // as the client received it
    std::string decoded9;
    CGamePoint fitted{0, 0};            // the object's point after fitting
    ObjHandle hero = 0;
    std::vector<float> hp;              // the monster's HP after each use
    std::vector<int32_t> pending;       // and its pending gauge
    int uses = 0;
    bool ownCampHit = false, highHit = false;
    int frameTick = -1, timedTick = -1;
    float startHp = 0.0f;
    bool dead = false;
    uint64_t hash = 0;
    uint64_t draws = 0;
};

class FightScenarioTest : public ScenarioTest {
protected:
    bool Begin() {
        datagen::FixtureGame g = datagen::DefaultFixtureGame();
        g.scene.type = 2;
        g.roleSkillLists.push_back(datagen::RoleSkillListRow().Id(1).Skills({1}));
        g.roles[0].RoleCamp(10000);
        // The strike becomes a sweep on the sprite's second group of eight:
        // frame 1 a circle of every role in
        // reach, then a sound, tick 1 another sound.
        for (auto& s : g.skills)
            if (s.Cells().size() > 3 && s.Cells()[3] == std::to_string(datagen::kFixtureStrikeSkill))
                s.Range(128).AnimBase(8).Scales("1.0", "1.0", "1.0").Effects({{0, 1, 0, 12, 0, 0}, {0, 1, 1, kHitSound, 0, 0}, {5, 1, 1, kTimedSound, 0, 0}});
        // A dash: on its first tick the object enters stage 2 with a sweep.
        g.skills.push_back(datagen::SkillRow().ClassWord(4).Name("Dash").Kind(0).Id(kDashSkill).Group(1).AnimBase(8).Range(256)
                               .Scales("1.0", "1.0", "1.0").Effects({{5, 0, 6, 1, 0, 0}}));
        g.skillGroups[0].Values({datagen::kFixtureStrikeSkill, datagen::kFixtureArrowSkill, kDashSkill});
        // Hero: AP 50, HR 5; the monster: HP 150, DP 20.
        g.rolePrivates[0].Set(2, 10).Set(9, 500).Set(10, 50).Set(13, 5);
        // The hero's attributes are its record's, of its class row.
        datagen::PlayerInitSpec hero;
        hero.classId = 0;  // the class a scenario's new game takes
        hero.ap = 50, hero.maxHP = 500, hero.hr = 5, hero.sp = 24;
    hero.leftSkill = 0, hero.rightSkills = "";  // no learnt rows: the skills' own scales
        g.classes.push_back(hero);
        g.rolePrivates[1].Set(2, 4).Set(9, 150).Set(11, 20).Set(16, 400);
        for (auto& row : g.rolePrivates) row.Set(3, 16).Set(4, 24);
        if (!run.Start(g)) return false;
        quiet_roles::SilenceAi();
        run.Seed(1);
        run.Tick(1);
        ServerSide();
        m_Hero = AsRole(run.Hero());
        if (!m_Hero) return false;
        m_Hero->SetPathCapacity(200);
        SetGameTickCount(GetGameTickCount() + 100);
        return true;
    }
    void ServerSide() {
        CScene* scene = run.Scene();
        ASSERT_NE(scene, nullptr);
        scene->m_pWorld->MakeCurrent();
        SetCurrentScene(scene);
    }
    CRole* AddRole(int model, int x, int y) {
        CRole* r = AsRole(g_CurObjMng->AddRole(static_cast<uint16_t>(model), x, y, 0, 0, 0, -1, -1));
        if (r) r->SetPathCapacity(200);
        return r;
    }
    void Send(const CGameObj* role, int code, int32_t a, int32_t b = 0, int32_t c = 0) {
        uint8_t p[18] = {240};
        p[1] = static_cast<uint8_t>(role->m_Handle);
        p[2] = static_cast<uint8_t>(role->m_Handle >> 8);
        p[5] = static_cast<uint8_t>(code);
        const int32_t args[3] = {a, b, c};
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 4; ++k) p[6 + 4 * i + k] = static_cast<uint8_t>(static_cast<uint32_t>(args[i]) >> (8 * k));
        ServerSide();
        run.Scene()->ReceiveMsg(p, run.Scene()->FindTrackerByClient(0));
    }

    Fight RunFight() {
        Fight f;
        if (!Begin()) return f;
        f.hero = m_Hero->m_Handle;
        const CGamePoint h = m_Hero->GetCell();
        CRole* foe = AddRole(datagen::kFixtureMeleeModel, h.x - 4, h.y);
        // Beside it: a monster high in the air and a role of the hero's camp.
        CRole* high = AddRole(datagen::kFixtureMeleeModel, h.x - 4, h.y + 1);
        CRole* ally = AddRole(1, h.x - 3, h.y - 1);
        if (!foe || !high || !ally) return f;
        high->m_Height = 300;
        ally->SetCamp(10000);
        f.startHp = foe->m_Hp;
        const float highHp = high->m_Hp, allyHp = ally->m_Hp;
        // The dead monster leaves the world: it is looked up each time.
        const ObjHandle foeHandle = foe->m_Handle, highHandle = high->m_Handle, allyHandle = ally->m_Handle;
        auto alive = [&] {
            foe = AsRole(ResolveHandle(foeHandle));
            return foe && !foe->m_Dead && foe->m_Hp > 0.0f;
        };
        for (int use = 0; use < 20 && alive(); ++use) {
            Send(m_Hero, 11, datagen::kFixtureStrikeSkill, static_cast<int32_t>(foeHandle));
            CAttachedMagic* m = nullptr;
            for (int t = 0; t < 200; ++t) {
                run.Tick(1);
                ServerSide();
                if (!m && m_Hero->m_pBoundMagic) {
                    m = dynamic_cast<CAttachedMagic*>(m_Hero->m_pBoundMagic);
                    if (m && use == 0) f.fitted = {m->m_TargetX, m->m_TargetY};
                }
                if (m && use == 0 && m_Hero->m_pBoundMagic == m) {
                    if (f.timedTick < 0 && m->m_NextTimed > 0) f.timedTick = m->m_TickCounter;
                    if (f.frameTick < 0 && m->m_NextFrame > 0) f.frameTick = m->m_TickCounter;
                }
                if (m && !m_Hero->m_pBoundMagic && m_Hero->HasNoOrder()) break;
            }
            if (!m) break;
            ++f.uses;
            foe = AsRole(ResolveHandle(foeHandle));
            f.hp.push_back(foe ? foe->m_Hp : 0.0f);
            if (foe) f.pending.push_back(foe->m_PendingHp);
        }
        f.dead = !alive();
        high = AsRole(ResolveHandle(highHandle));
        ally = AsRole(ResolveHandle(allyHandle));
        f.highHit = !high || high->m_Hp != highHp;
        f.ownCampHit = !ally || ally->m_Hp != allyHp;
        for (const std::vector<uint8_t>& p : run.Packets())
            if (!p.empty() && p[0] == 9) {
                f.packet9 = p;
                break;
            }
        for (const std::string& d : run.DecodedPackets())
            if (d.rfind("attached", 0) == 0) {
                f.decoded9 = d;
                break;
            }
        f.hash = run.RunHash();
        f.draws = run.Draws();
        return f;
    }
    CRole* m_Hero = nullptr;
};

TEST_F(FightScenarioTest, TheHeroChasesStrikesAndKills) {
    const Fight f = RunFight();
    ASSERT_GT(f.uses, 0);
    // Packet 9: the hero, the skill and the point fitted to the range.
    ASSERT_EQ(f.packet9.size(), 9u);
    const uint8_t want[9] = {9,
                             static_cast<uint8_t>(f.hero & 0xFF),
                             static_cast<uint8_t>((f.hero >> 8) & 0xFF),
                             datagen::kFixtureStrikeSkill, 0,
                             static_cast<uint8_t>(f.fitted.x & 0xFF), static_cast<uint8_t>((f.fitted.x >> 8) & 0xFF),
                             static_cast<uint8_t>(f.fitted.y & 0xFF), static_cast<uint8_t>((f.fitted.y >> 8) & 0xFF)};
    EXPECT_EQ(f.packet9, std::vector<uint8_t>(want, want + 9));
    EXPECT_EQ(f.decoded9, "attached h=" + std::to_string(f.hero & 0xFFFF) + " skill=1 x=" + std::to_string(f.fitted.x) +
                              " y=" + std::to_string(f.fitted.y));
    // The counter reads 1 during the object's first tick and 2 after it.
    EXPECT_EQ(f.timedTick, 2) << "the timed record of tick 1 fired on its tick";
    EXPECT_GE(f.frameTick, 1) << "the frame record fired";
    EXPECT_FALSE(f.ownCampHit) << "the sweep skips the hero's camp";
    EXPECT_FALSE(f.highHit) << "and roles outside the height window";
    // A hit takes HP; between hits only the small regeneration gives any back.
    float last = f.startHp;
    int falls = 0;
    for (size_t i = 0; i < f.hp.size(); ++i) {
        EXPECT_LE(f.hp[i], last + 5.0f) << "use " << i;
        falls += f.hp[i] < last;
        last = f.hp[i];
    }
    EXPECT_GT(falls, 0);
    ASSERT_FALSE(f.pending.empty());
    EXPECT_LT(*std::min_element(f.pending.begin(), f.pending.end()), 0) << "the pending gauge fell";
    EXPECT_TRUE(f.dead);
    // Each use played the frame sound and the timed sound once.
    int hitSounds = 0, timedSounds = 0;
    for (const scenario::SoundCall& c : run.Sounds()) {
        if (c.kind != "at") continue;
        hitSounds += c.id == kHitSound;
        timedSounds += c.id == kTimedSound;
    }
    EXPECT_EQ(timedSounds, f.uses);
    EXPECT_EQ(hitSounds, f.uses);
}

TEST_F(FightScenarioTest, TheFightRunsTheSameEveryTime) {
    const Fight a = RunFight();
    run.Reset();
    const Fight b = RunFight();
    EXPECT_EQ(a.hash, b.hash);
    EXPECT_EQ(a.draws, b.draws);
    EXPECT_EQ(a.hash, kFightHash) << "draws " << a.draws;
}

TEST_F(FightScenarioTest, ADashRunsStageTwoThenOneAndReactsAtAWall) {
    for (bool wall : {false, true}) {
        ASSERT_TRUE(Begin());
        const CGamePoint h = m_Hero->GetCell();
        CMapGrid* grid = &run.Scene()->m_pWorld->m_MapGrid;
        if (wall)
            for (int dy = -1; dy <= 1; ++dy) {
                CMapCell* c = grid->GetCell(h.x - 3, h.y + dy);
                c->m_Terrain = 3;
                c->m_Walkable = 0;
            }
        const CGamePoint aim{(h.x - 4) * 64 + 32, h.y * 64 + 32};
        CMagic* used = m_Hero->UseSkill(kDashSkill, &aim, 0);
        ASSERT_NE(used, nullptr) << wall;
        auto* m = dynamic_cast<CAttachedMagic*>(used);
        ASSERT_NE(m, nullptr);
        std::vector<int> stages{m->m_Stage};
        EXPECT_EQ(m_Hero->m_Motion, kMotionReturn) << "stage 2 ordered the dash";
        int32_t posture = 0;
        for (int t = 0; t < 100 && m_Hero->m_pBoundMagic == m; ++t) {
            run.Tick(1);
            ServerSide();
            if (m_Hero->m_pBoundMagic == m && m->m_Stage != stages.back()) stages.push_back(m->m_Stage);
            if (m_Hero->m_Posture == kPostureTumbling) posture = kPostureTumbling;
        }
        EXPECT_EQ(stages, (std::vector<int>{2, 1})) << wall;
        if (wall) EXPECT_EQ(posture, kPostureTumbling) << "the hero reels against the wall";
        else EXPECT_EQ(m_Hero->m_pBoundMagic, nullptr) << "in the open the effect ends";
        run.Reset();
    }
}

} // namespace test_fight_scenario
