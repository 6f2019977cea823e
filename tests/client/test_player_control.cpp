// The player controller on the fixture game: a held button walks, Shift
// runs and a plain click stops running, the action list stays bounded, Alt
// guards, Space and Z act, no arrow scrolling while the view is locked.
#include "client/client_fixture.h"

#include <algorithm>
#include <cstdlib>

#include "client/painter.h"
#include "client/player_control.h"
#include "client/selection.h"
#include "core/frame_globals.h"
#include "core/key_state.h"
#include "platform/input.h"
#include "world/map/iso_grid.h"

namespace clienttest {

namespace {
uint32_t g_ControlTick = 0;
}

class PlayerControlTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        setenv("VANTREL_DEBUG", "1", 1);
        g_ControlTick = 100;
        g_ClientHooks.tickCount = [] { return g_ControlTick; };
        Client()->SetActive(1);
        ASSERT_NE(g_Selection, nullptr);
        own = g_Selection->GetRole();
        ASSERT_NE(own, nullptr);
        pc = std::make_unique<CPlayerControl>();
    }
    void TearDown() override {
        for (int vk : {int(plat::VK_LBUTTON), int(plat::VK_MENU), int(plat::VK_SHIFT), int(plat::VK_SPACE), int('Z'), int(plat::VK_UP)})
            plat::SetKeyDown(vk, false);
        g_KeyState = CKeyState();
        g_LButtonHeld = 0;
        pc.reset();
        unsetenv("VANTREL_DEBUG");
        ClientTest::TearDown();
    }
    // One input tick with the cursor at a world point.
    void Tick(const CGamePoint& world, bool left) {
        ++g_ControlTick;
        const CGamePoint s = g_IsoGrid.WorldToScreen(world.x, world.y);
        plat::SetCursorPos(s.x, s.y);
        g_KeyState.Snapshot();
        pc->HandleMouse();
        if (left) {
            pc->OnLButtonDown(1, s.x, s.y);
            g_LButtonHeld = 1;
        } else {
            g_LButtonHeld = 0;
        }
        pc->HandleKeys();
    }
    std::unique_ptr<CPlayerControl> pc;
    CRole* own = nullptr;
};

TEST_F(PlayerControlTest, AButtonHeldFiveTicksOnGroundSendsFiveWalks) {
    const CGamePoint ground{own->m_X + 3 * 64, own->m_Y};
    plat::ClearDebugCapture();
    for (int i = 0; i < 5; ++i) Tick(ground, true);
    EXPECT_EQ(DebugLinesWith("CMD 1 "), 5);
    EXPECT_EQ(pc->m_Cell.x, ground.x / 64);
    EXPECT_EQ(own->m_LastCommand, 1) << "the server scene took the walk";
}

TEST_F(PlayerControlTest, AltGuardsSpaceAndZActAndTheLockedViewDoesNotScroll) {
    const CGamePoint ground{own->m_X + 2 * 64, own->m_Y};
    plat::ClearDebugCapture();
    plat::SetKeyDown(plat::VK_MENU, true);
    Tick(ground, true);
    EXPECT_EQ(DebugLinesWith("CMD 1 "), 0) << "a click with Alt held walks nowhere";
    EXPECT_EQ(DebugLinesWith("CMD 16 1 "), own->CanRun() ? 1 : 0);
    plat::SetKeyDown(plat::VK_MENU, false);
    plat::SetKeyDown(plat::VK_SPACE, true);
    Tick(ground, false);
    EXPECT_EQ(DebugLinesWith("CMD 17 "), 1);
    plat::SetKeyDown(plat::VK_SPACE, false);
    plat::SetKeyDown('Z', true);
    Tick(ground, false);
    EXPECT_EQ(DebugLinesWith("CMD 22 "), 1);
    plat::SetKeyDown('Z', false);

    CPainter* view = Client()->m_pViewPort;
    ASSERT_NE(view, nullptr);
    view->SetFollow(0);
    const CGameRect before = view->m_View;
    plat::SetKeyDown(plat::VK_UP, true);
    Tick(ground, false);
    EXPECT_EQ(view->m_View.y, before.y) << "locked";
    pc->m_ViewLock = 0;
    Tick(ground, false);
    EXPECT_NE(view->m_View.y, before.y) << "unlocked";
}

TEST_F(PlayerControlTest, ShiftTurnsRunningOnAndItsReleaseTurnsItOff) {
    const CGamePoint ground{own->m_X + 3 * 64, own->m_Y};
    own->m_St = 50.0f;
    own->SetFlag(kRoleBitRunning, 0);
    plat::ClearDebugCapture();
    plat::SetKeyDown(plat::VK_SHIFT, true);
    Tick(ground, true);
    plat::SetKeyDown(plat::VK_SHIFT, false);
    EXPECT_EQ(DebugLinesWith("CMD 3 1 "), 1);
    EXPECT_EQ(DebugLinesWith("CMD 3 0 "), 0);
    own->SetFlag(kRoleBitRunning, 1);
    Tick(ground, false);
    Tick(ground, true);
    EXPECT_EQ(DebugLinesWith("CMD 3 0 "), 1) << "a click without Shift while running";
    own->SetFlag(kRoleBitRunning, 0);
    own->m_St = 5.0f;
    plat::SetKeyDown(plat::VK_SHIFT, true);
    Tick(ground, false);
    Tick(ground, true);
    plat::SetKeyDown(plat::VK_SHIFT, false);
    EXPECT_EQ(DebugLinesWith("CMD 3 1 "), 1) << "too little stamina to start running";
}

TEST_F(PlayerControlTest, TheActionListKeepsOneMoreThanTheLongestChain) {
    pc->HandleMouse();
    int32_t longest = 0;
    for (int32_t i = 0; i < RoleSkillCount(own); ++i) longest = std::max(longest, ComboChildCount(RoleSkillAt(own, i)));
    for (int i = 0; i < 500; ++i) pc->RecordAction(7, 0, 0);
    EXPECT_EQ(pc->m_Actions.size(), static_cast<size_t>(longest + 1));
    EXPECT_EQ(pc->m_Last.skill, 7);
    EXPECT_EQ(pc->m_Last.end, -1);
    pc->StampActionTick();
    EXPECT_EQ(pc->m_Last.end, static_cast<int32_t>(g_ControlTick));
    g_ControlTick += 29;
    pc->HandleKeys();
    EXPECT_TRUE(pc->m_Actions.empty()) << "28 ticks after its end a combination is forgotten";
}

} // namespace clienttest
