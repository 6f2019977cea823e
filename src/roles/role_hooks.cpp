#include "roles/role_hooks.h"

#include <string>

#include "platform/debug.h"
#include "world/scene/world_hooks.h"

CRoleHooks g_RoleHooks;

void RoleNotice(const char* text) {
    if (!text) return;
    // One piece, so a GBK text is never cut by a format buffer.
    plat::OutputDebugString(std::string(kRoleNoticePrefix) + text + "\n");
    if (g_WorldHooks.showNotice) g_WorldHooks.showNotice(text);
}

int RoleMessageLine(const char* text, int32_t x, int32_t y) {
    if (!text) return 0;
    plat::OutputDebugString(std::string(kRoleMessagePrefix) + text + "\n");
    return g_WorldHooks.addFloatingLine ? g_WorldHooks.addFloatingLine(text, x, y) : 0;
}
