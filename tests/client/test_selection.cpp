// The selection set: its list, the own role, target tracking and the
// command packet.
#include "client/client_fixture.h"

#include <cmath>

#include "client/selection.h"
#include "world/scene/scene_hooks.h"

namespace clienttest {

namespace {

uint32_t g_Tick = 0;
struct Order {
    int code;
    int32_t a, b, c;
};
std::vector<Order> g_Orders;

} // namespace

class SelectionTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        Client()->SetLoading(0);
        g_Tick = 1;
        g_ClientHooks.tickCount = [] { return g_Tick; };
        sel = g_Selection;
        ASSERT_NE(sel, nullptr);
    }
    CSelection* sel = nullptr;
};

TEST_F(SelectionTest, ADuplicateAddChangesNothingAndTheFirstAddBecomesTheOwnRole) {
    sel->Reset();
    Appear(0x0101, 5 * 64 + 32, 5 * 64 + 32);
    Appear(0x0102, 6 * 64 + 32, 5 * 64 + 32);
    EXPECT_EQ(sel->Add(0x0101), 1);
    EXPECT_EQ(sel->m_PendingOwn, 0x0101u) << "the first of an empty list is the pending own role";
    EXPECT_EQ(sel->m_Own, 0u);
    EXPECT_EQ(sel->Add(0x0102), 1);
    EXPECT_EQ(sel->Add(0x0101), 0);
    EXPECT_EQ(sel->Count(), 2);
    sel->Update();
    EXPECT_EQ(sel->GetRole(), RoleAt(0x0101));
    EXPECT_EQ(sel->m_Marked, 0u) << "two selected: none marked";
    EXPECT_EQ(sel->Remove(0x0101), 1);
    EXPECT_EQ(sel->m_PendingOwn, 0x0102u) << "the first remaining entry leads";
    sel->Update();
    EXPECT_EQ(sel->m_Marked, 0x0102u) << "one selected: marked";
    EXPECT_EQ(sel->Remove(0x0101), 0);
    EXPECT_EQ(sel->Add(0x7001), 1) << "a handle without a role still answers 1";
    EXPECT_EQ(sel->Contains(0x7001), 0) << "but is not stored";
}

TEST_F(SelectionTest, ATargetIsKeptAt576PixelsAndDroppedAt577OnAThirteenthTick) {
    for (const auto& [distance, kept] : {std::pair{576, true}, std::pair{577, false}}) {
        SCOPED_TRACE(distance);
        const uint32_t enemy = distance == 576 ? 0x0111 : 0x0112;
        CRole* own = sel->GetRole();
        ASSERT_NE(own, nullptr);
        Appear(enemy, own->m_X + distance, own->m_Y, 2, 0);
        CRole* other = RoleAt(enemy);
        ASSERT_NE(other, nullptr);
        // Placed exactly, whatever cell centre the appearance chose.
        other->m_X = own->m_X + distance;
        other->m_Y = own->m_Y;
        own->GiveOrder(18, static_cast<int32_t>(other->m_Handle), 0, 0, 0, 0);
        ASSERT_EQ(own->GetTargetRole(), other);
        g_Tick = 14;
        sel->Update();
        EXPECT_EQ(own->GetTargetRole(), other) << "only every thirteenth tick";
        EXPECT_NE(other->m_RoleBits & kSelFlagTarget, 0u) << "the target carries its mark";
        g_Tick = 26;
        sel->Update();
        EXPECT_EQ(own->GetTargetRole() == other, kept);
        EXPECT_EQ(sel->m_OwnTarget, kept ? (other->m_Handle & 0xFFFF) : 0u);
        other->Remove();
    }
}

TEST_F(SelectionTest, CommandsGoToTheSceneOnlyWithAnOwnRole) {
    g_Orders.clear();
    g_SceneHooks.order = [](CGameObj*, int32_t code, uint32_t a, uint32_t b, uint32_t c) {
        g_Orders.push_back({code, static_cast<int32_t>(a), static_cast<int32_t>(b), static_cast<int32_t>(c)});
    };
    setenv("VANTREL_DEBUG", "1", 1);
    EXPECT_EQ(sel->SendCommand(1, 9, 8, 0), 1);
    ASSERT_EQ(g_Orders.size(), 1u);
    EXPECT_EQ(g_Orders[0].code, 1);
    EXPECT_EQ(g_Orders[0].a, 9);
    EXPECT_EQ(g_Orders[0].b, 8);
    EXPECT_EQ(DebugLinesWith("CMD 1 9 8 0"), 1);
    sel->Reset();
    EXPECT_EQ(sel->SendCommand(1, 9, 8, 0), 1) << "always 1";
    EXPECT_EQ(g_Orders.size(), 1u) << "no own role, no packet";
    unsetenv("VANTREL_DEBUG");
}

} // namespace clienttest
