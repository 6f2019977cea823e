#pragma once
// Scenarios about other rules (walking, orders, hits, packets) keep their
// bystanders from thinking: the role update hook runs the role's tick
// without the AI's decision (the player's role keeps its own update, which
// the AI leaves alone). The scenario runner puts the hook table back.
#include "roles/role.h"
#include "world/scene/world_hooks.h"

namespace quiet_roles {

inline void SilenceAi() {
    g_WorldHooks.roleUpdate = [](CGameObj* role) {
        CRole* r = AsRole(role);
        if (!r || r->m_Removed) return;
        if (r->m_Kind == 60)
            r->Update();
        else
            r->CRole::Update();
        r->PostUpdate();
    };
}

} // namespace quiet_roles
