#include <gtest/gtest.h>

#include <cstdint>

#include "platform/input.h"

namespace {

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { plat::ResetInput(); }
    void TearDown() override { plat::ResetInput(); }
    static uint8_t StateByte(int vk) {
        uint8_t keys[256];
        plat::GetKeyboardState(keys);
        return keys[vk];
    }
};

TEST_F(InputTest, StateByteHasDownAndToggleBits) {
    EXPECT_EQ(StateByte('A'), 0);
    plat::SetKeyDown('A', true);
    EXPECT_EQ(StateByte('A'), 0x81);
    plat::SetKeyDown('A', true);  // auto-repeat keeps the toggle
    EXPECT_EQ(StateByte('A'), 0x81);
    plat::SetKeyDown('A', false);
    EXPECT_EQ(StateByte('A'), 0x01);
    plat::SetKeyDown('A', true);
    plat::SetKeyDown('A', false);
    EXPECT_EQ(StateByte('A'), 0x00);
}

TEST_F(InputTest, AsyncQueryReportsPressSinceLastAskedOnce) {
    plat::SetKeyDown(plat::VK_LBUTTON, true);
    plat::SetKeyDown(plat::VK_LBUTTON, false);
    // Went down and up between two queries: not down, but pressed.
    EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_LBUTTON) & 0xFFFF, 0x0001);
    EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_LBUTTON), 0);
    plat::SetKeyDown(plat::VK_LBUTTON, true);
    EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_LBUTTON) & 0xFFFF, 0x8001);
    EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_LBUTTON) & 0xFFFF, 0x8000);
    EXPECT_EQ(plat::GetAsyncKeyState(-1), 0);
    EXPECT_EQ(plat::GetAsyncKeyState(256), 0);
}

TEST_F(InputTest, EitherSideDrivesTheNeutralModifier) {
    plat::SetKeyDown(plat::VK_LSHIFT, true);
    plat::SetKeyDown(plat::VK_RSHIFT, true);
    EXPECT_TRUE(StateByte(plat::VK_SHIFT) & 0x80);
    plat::SetKeyDown(plat::VK_LSHIFT, false);
    EXPECT_TRUE(StateByte(plat::VK_SHIFT) & 0x80) << "right shift still held";
    plat::SetKeyDown(plat::VK_RSHIFT, false);
    EXPECT_FALSE(StateByte(plat::VK_SHIFT) & 0x80);
    plat::SetKeyDown(plat::VK_RMENU, true);
    EXPECT_TRUE(StateByte(plat::VK_MENU) & 0x80);
    EXPECT_FALSE(StateByte(plat::VK_CONTROL) & 0x80);
}

TEST_F(InputTest, CursorPosition) {
    plat::SetCursorPos(320, -5);
    plat::Point p;
    ASSERT_TRUE(plat::GetCursorPos(&p));
    EXPECT_EQ(p.x, 320);
    EXPECT_EQ(p.y, -5);
    EXPECT_FALSE(plat::GetCursorPos(nullptr));
}

} // namespace
