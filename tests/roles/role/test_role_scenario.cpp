// Roles in the running fixture game: what the watching client hears of a
// monster's camp, states and animation, byte by byte, and set-up faults
// met while a scene loads.
#include <gtest/gtest.h>

#include "core/txt_table.h"

#include <string>
#include <vector>

#include "datagen/demo_role_sprite.h"
#include "datagen/fixture_game.h"
#include "platform/msgbox.h"
#include "roles/role.h"
#include "roles/ai/quiet_roles.h"
#include "scenario/scenario.h"
#include "world/objects/obj_desc.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace test_role_scenario {

using scenario::ScenarioTest;
using Bytes = std::vector<uint8_t>;

class RoleScenarioTest : public ScenarioTest {
protected:
    // Starts the game with these role records in "Start"; the roles other
    // than the hero, in list order.
    std::vector<CRole*> StartWith(const std::vector<datagen::ScnObjRecord>& cha,
                                  datagen::FixtureGame g = datagen::DefaultFixtureGame()) {
        g.objects.cha = cha;
        std::vector<CRole*> out;
        if (!run.Start(g)) return out;
        quiet_roles::SilenceAi();
        run.Seed(1);
        run.Tick(2);
        ServerSide();
        for (CObjNode* n = run.Scene()->m_pWorld->m_ObjMng.m_Roles.Head(); n; n = n->Next())
            if (static_cast<CGameObj*>(n) != run.Hero()) out.push_back(AsRole(static_cast<CGameObj*>(n)));
        // The client's view learns of them.
        for (CRole* r : out) run.Scene()->UpdateViews(r->m_Handle);
        Tick(2);
        return out;
    }
    void ServerSide() {
        CScene* scene = run.Scene();
        ASSERT_NE(scene, nullptr);
        scene->m_pWorld->MakeCurrent();
        g_CurScene = scene;
    }
    void Tick(int n) {
        run.Tick(n);
        ServerSide();
    }
    // Packets of the role from `from` on: states (5), camps (3/101) and
    // animations (3/102).
    std::vector<Bytes> RolePackets(const CRole* r, size_t from) {
        std::vector<Bytes> out;
        const auto all = run.Packets();
        const unsigned h = r->m_Handle & 0xFFFF;
        for (size_t i = from; i < all.size(); ++i) {
            const Bytes& p = all[i];
            if (p.size() < 4 || static_cast<unsigned>(p[1] | p[2] << 8) != h) continue;
            if (p[0] == 5 || (p[0] == 3 && (p[3] == 101 || p[3] == 102))) out.push_back(p);
        }
        return out;
    }
};

TEST_F(RoleScenarioTest, CampStateAndAnimationPacketsReachTheWatchingClientByteExact) {
    const auto roles = StartWith({datagen::ObjRecord(12, datagen::kFixtureMeleeModel, 10, 8, 1, "M1")});
    ASSERT_EQ(roles.size(), 1u);
    CRole* m = roles[0];
    const uint8_t lo = static_cast<uint8_t>(m->m_Handle), hi = static_cast<uint8_t>(m->m_Handle >> 8);
    // The client saw it appear, in its camp and with its animation.
    bool appeared = false;
    for (const Bytes& p : run.Packets())
        if (p.size() == 18 && p[0] == 1 && p[1] == lo && p[2] == hi && p[3] == 0) {
            appeared = true;
            EXPECT_EQ(p[12] | p[13] << 8, 1) << "camp";
        }
    ASSERT_TRUE(appeared);
    Tick(2);

    size_t base = run.Packets().size();
    m->SetCamp(10001);
    m->SetCamp(10001);  // no change, no packet
    EXPECT_EQ(m->SetState(3, 1, 2, nullptr), 1);
    EXPECT_EQ(m->SetState(3, 1, 2, nullptr), 0);
    Tick(2);
    EXPECT_EQ(RolePackets(m, base), (std::vector<Bytes>{{3, lo, hi, 101, 0x11, 0x27}, {5, lo, hi, 131}}));

    // Two seconds later the countdown ends the state.
    base = run.Packets().size();
    int ticks = 0;
    while (m->HasState(3) && ticks < 100) {
        Tick(1);
        ++ticks;
    }
    EXPECT_GE(ticks, 28);
    EXPECT_LE(ticks, 57);
    Tick(2);
    EXPECT_EQ(RolePackets(m, base), (std::vector<Bytes>{{5, lo, hi, 3}}));

    // A new wanted animation is announced once; the shown one turns to it.
    base = run.Packets().size();
    m->SetAnimIndex(1);
    Tick(4);
    EXPECT_EQ(RolePackets(m, base), (std::vector<Bytes>{{3, lo, hi, 102, 1, 0}}));
    EXPECT_EQ(m->GetCurrentAnimIndex(), 1);
}

TEST_F(RoleScenarioTest, ConfusedRolesTakeCampsCountingDownFrom99) {
    const auto roles = StartWith({datagen::ObjRecord(12, datagen::kFixtureMeleeModel, 10, 8, 1, "M1"),
                                  datagen::ObjRecord(12, datagen::kFixtureMeleeModel, 10, 10, 1, "M2")});
    ASSERT_EQ(roles.size(), 2u);
    CRole::s_ConfusedCamp = 99;
    roles[0]->SetState(14, 1, 0, nullptr);
    roles[1]->SetState(14, 1, 0, nullptr);
    EXPECT_EQ(roles[0]->m_Camp, 99);
    EXPECT_EQ(roles[1]->m_Camp, 98);
    roles[0]->SetState(14, 0, 0, nullptr);
    EXPECT_EQ(roles[0]->m_Camp, 1) << "the saved camp comes back";
    CRole::s_ConfusedCamp = 1;
    roles[0]->SetState(14, 1, 0, nullptr);
    EXPECT_EQ(roles[0]->m_Camp, 1);
    EXPECT_EQ(CRole::s_ConfusedCamp, 99) << "below 1 the counter restarts";
}

TEST_F(RoleScenarioTest, LoadingFaultsShowTheMessageOrRemoveTheRole) {
    datagen::FixtureGame g = datagen::DefaultFixtureGame();
    // Model 9 enters its start cell whatever its class; off the map there is none.
    g.roles.push_back(datagen::RoleMdlRow()
                          .Name("Post")
                          .Id(9)
                          .SpriteName(datagen::kDemoRoleName)
                          .Variants("001*001*001")
                          .RoleCamp(1)
                          .PlacementMode(1)
                          .LyingClass(0));
    datagen::ScnObjRecord archer = datagen::ObjRecord(12, datagen::kFixtureArcherModel, 10, 8, 4, "A1");
    archer.init[0] = 3;
    archer.init[1] = 77;
    archer.dir = 2;
    // The melee role knows its strike (its skill list holds the group).
    datagen::ScnObjRecord melee = datagen::ObjRecord(12, datagen::kFixtureMeleeModel, 6, 8, 4, "M1");
    melee.init[1] = datagen::kFixtureStrikeSkill;
    g.objects.cha = {archer, datagen::ObjRecord(12, 9, 40, 40, 1, "P1"), melee};
    ASSERT_TRUE(run.Start(g));
    quiet_roles::SilenceAi();
    // Which posts reach their appearance, and whether they stand removed.
    static std::vector<uint32_t> s_Posts;
    s_Posts.clear();
    static void (*s_Appearance)(CGameObj*, int32_t) = nullptr;
    s_Appearance = g_WorldHooks.roleSetAppearance;
    g_WorldHooks.roleSetAppearance = [](CGameObj* role, int32_t extra) {
        if (AsRole(role)->m_pModelRow->GetInt(1) == 9) s_Posts.push_back(role->m_Removed);
        s_Appearance(role, extra);
    };
    run.Seed(1);
    run.Tick(2);
    ServerSide();
    EXPECT_EQ(s_Posts, (std::vector<uint32_t>{1})) << "made, and removed at once";
    std::vector<CRole*> roles;
    for (CObjNode* n = run.Scene()->m_pWorld->m_ObjMng.m_Roles.Head(); n; n = n->Next())
        if (static_cast<CGameObj*>(n) != run.Hero()) roles.push_back(AsRole(static_cast<CGameObj*>(n)));
    ASSERT_EQ(roles.size(), 2u);
    CRole* a = roles[0];
    EXPECT_EQ(dynamic_cast<CObjDesc11*>(roles[1]->m_pDesc)->m_Logic, 4) << "the melee role's action stands";
    EXPECT_EQ(roles[1]->m_InitialActionOpen, 0);
    ASSERT_EQ(a->m_pModelRow->GetInt(1), datagen::kFixtureArcherModel);
    // "Archer初始态招式77错误，坐标（10,8）"
    const std::string text = "Archer\xb3\xf5\xca\xbc\xcc\xac\xd5\xd0\xca\xbd" "77\xb4\xed\xce\xf3\xa3\xac\xd7\xf8\xb1\xea"
                             "\xa3\xa8" "10,8\xa3\xa9";
    int shown = 0;
    for (const auto& box : plat::RecordedMessageBoxes()) shown += box.text == text;
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(a->m_DefaultAnimGroup - a->m_Facing, 100) << "the stand animation (column 7)";
    EXPECT_EQ(dynamic_cast<CObjDesc11*>(a->m_pDesc)->m_Logic, 0);
}

} // namespace test_role_scenario
