// What the world and the scenes reach of a role through their hooks.
#include <set>

#include "core/msg_lists.h"
#include "role_fixture.h"
#include "roles/role_hooks.h"
#include "roles/swarm/point_swarm.h"

namespace test_role_links {

using role_fixture::BoxRow;

class RoleLinksTest : public role_fixture::RoleFixture {
protected:
    void SetUp() override {
        RoleFixture::SetUp();
        m_RoleHooks = g_RoleHooks;
        g_ClientMsgList.RemoveAll();
        LoadRoles({BoxRow("M", 2)});
        m_Role = Add(2, 3, 3);
        ASSERT_NE(m_Role, nullptr);
    }
    void TearDown() override {
        g_ClientMsgList.RemoveAll();
        g_RoleHooks = m_RoleHooks;
        RoleFixture::TearDown();
    }
    std::vector<std::vector<uint8_t>> ClientMessages() {
        std::vector<std::vector<uint8_t>> out;
        for (CObjNode* n = g_ClientMsgList.Head(); n; n = n->Next()) {
            auto* m = static_cast<CClientMsgNode*>(n);
            out.emplace_back(m->m_pData, m->m_pData + m->m_Length);
        }
        return out;
    }
    CRoleHooks m_RoleHooks;
    CRole* m_Role = nullptr;
};

TEST_F(RoleLinksTest, TheWorldReadsAndSetsTheRoleThroughItsHooks) {
    CGameObj* obj = m_Role;
    EXPECT_EQ(g_WorldHooks.getRoleCamp(obj), 1);
    EXPECT_EQ(g_WorldHooks.isRoleDead(obj), 0);
    // Flag 16 marks a conversation: the role stands.
    m_Role->m_Motion = kMotionWalk;
    g_WorldHooks.setRoleFlag(obj, 16, 1);
    EXPECT_EQ(m_Role->m_RoleBits, 16u);
    EXPECT_EQ(m_Role->m_Motion, kMotionStand);
    EXPECT_EQ(g_SceneHooks.getRoleBits(obj), 16u);
    g_WorldHooks.setRoleFlag(obj, 16, 0);
    EXPECT_EQ(m_Role->m_RoleBits, 0u);
    m_Role->SelectAnim(8 + 5);
    EXPECT_EQ(g_SceneHooks.getAnimIndex(obj), 13);
    EXPECT_STREQ(g_SceneHooks.getPartFileName(obj), "001_001_031");
    // No talk trigger without the script layer; its hook gives the id.
    g_WorldHooks.updateTalkId(obj);
    EXPECT_EQ(m_Role->m_TalkId, -1);
    g_RoleHooks.findTalkId = [](CGameObj*) -> int32_t { return 12; };
    g_WorldHooks.updateTalkId(obj);
    EXPECT_EQ(m_Role->m_TalkId, 12);
    EXPECT_EQ(g_SceneHooks.getLastAttacker(obj), nullptr);
    g_SceneHooks.die(obj, 3, 0);
    EXPECT_EQ(g_WorldHooks.isRoleDead(obj), 1);
}

TEST_F(RoleLinksTest, StatesOfANewlyShownRoleArePostedStraightToTheClient) {
    std::vector<std::string> quiet(19, "");
    quiet[0] = "Quiet";
    quiet[1] = "7";
    quiet[18] = "1";
    LoadEffects({quiet});
    m_Role->SetState(3, 1, 0, nullptr);
    m_Role->SetState(7, 1, 0, nullptr);  // not announced
    m_Role->SetState(127, 1, 0, nullptr);
    g_SceneHooks.sendStates(m_Role, nullptr, -1, 1);
    const uint8_t lo = static_cast<uint8_t>(m_Role->m_Handle), hi = static_cast<uint8_t>(m_Role->m_Handle >> 8);
    EXPECT_EQ(ClientMessages(), (std::vector<std::vector<uint8_t>>{{5, lo, hi, 131}, {5, lo, hi, 255}}));
}

TEST_F(RoleLinksTest, TheRoleTicksItsStatesAndAnimationThroughTheManager) {
    m_Role->SetState(3, 1, 1, nullptr);
    m_Role->m_TickCount = 0;
    CAnimPlayer* p = m_Role->GetCurrentAnim();
    ASSERT_NE(p, nullptr);
    m_Role->m_pSwarm = new CPointSwarm;
    m_Role->m_SwarmFlag = 1;
    std::set<int32_t> frames;
    for (int i = 0; i < 30; ++i) {
        m_Mng->Update();         // slot 5
        m_Mng->UpdateActions();  // slots 11 and 12
        frames.insert(m_Role->GetCurrentAnim()->m_CurFrame);
    }
    EXPECT_EQ(m_Role->HasState(3), 0) << "a countdown of one second ran out";
    EXPECT_EQ(m_Role->m_TickCount, 30u);
    EXPECT_EQ(frames.size(), static_cast<size_t>(role_fixture::kFrames)) << "the stand animation loops";
    EXPECT_EQ(m_Role->m_FirstUpdate, 1);
    EXPECT_EQ(m_Role->m_pSwarm->m_Anchor, (CGamePoint{m_Role->m_X, m_Role->m_Y})) << "the swarm follows";
}

} // namespace test_role_links
