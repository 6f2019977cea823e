// The roles' upward calls: notices and message lines reach the debugger
// output with or without a panel, and the world's hooks when set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/debug.h"
#include "roles/role_hooks.h"
#include "world/scene/world_hooks.h"

namespace {

std::vector<std::string> g_Shown;

class RoleHooksTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_World = g_WorldHooks;
        m_Role = g_RoleHooks;
        g_WorldHooks = CWorldHooks{};
        g_RoleHooks = CRoleHooks{};
        g_Shown.clear();
        plat::ClearDebugCapture();
    }
    void TearDown() override {
        g_WorldHooks = m_World;
        g_RoleHooks = m_Role;
    }
    static std::vector<std::string> Captured() { return plat::DebugCaptured(); }
    CWorldHooks m_World;
    CRoleHooks m_Role;
};

TEST_F(RoleHooksTest, NoticesAndLinesReachTheDebuggerOutputWithoutAnyHook) {
    // "任务完成" (GBK): the bytes pass untouched.
    const std::string gbk = "\xc8\xce\xce\xf1\xcd\xea\xb3\xc9";
    RoleNotice(gbk.c_str());
    EXPECT_EQ(RoleMessageLine("Gold +5", 100, 60), 0);
    RoleNotice(nullptr);
    EXPECT_EQ(RoleMessageLine(nullptr, 0, 0), 0);
    EXPECT_EQ(Captured(), (std::vector<std::string>{"notice: " + gbk + "\n", "message: Gold +5\n"}));
}

TEST_F(RoleHooksTest, NoticesAndLinesGoThroughTheWorldsHooksToo) {
    g_WorldHooks.showNotice = [](const char* text) { g_Shown.push_back(std::string("notice ") + text); };
    g_WorldHooks.addFloatingLine = [](const char* text, int32_t x, int32_t y) {
        g_Shown.push_back(std::string("line ") + text + " " + std::to_string(x) + "," + std::to_string(y));
        return 1;
    };
    RoleNotice("Saved");
    EXPECT_EQ(RoleMessageLine("Hit", 10, -25), 1);
    EXPECT_EQ(g_Shown, (std::vector<std::string>{"notice Saved", "line Hit 10,-25"}));
    EXPECT_EQ(Captured(), (std::vector<std::string>{"notice: Saved\n", "message: Hit\n"}));
}

} // namespace
