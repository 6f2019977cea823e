// The player controller's keys: the running order, guard, actions, the
// queued skill and the combination timeout, scrolling, and the developer
// keys.
#include <cstdio>

#include "client/client.h"
#include "client/controller/input_util.h"
#include "client/client_hooks.h"
#include "client/painter.h"
#include "client/player_control.h"
#include "client/recording_client.h"
#include "client/selection.h"
#include "core/key_state.h"
#include "core/msg_lists.h"
#include "core/txt_table.h"
#include "platform/input.h"
#include "platform/window.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "roles/swarm/point_swarm.h"
#include "roles/tables/exp_table.h"
#include "world/scene/scn_mng.h"
#include "world/sky/game_clock.h"
#include "world/sky/weather.h"

namespace {

constexpr int kWeatherTicks = 4000;
constexpr int32_t kScrollStep = 16;
constexpr int32_t kScrollStepFast = 64;

void ResetStartMode() {
    if (g_ClientHooks.setStartMode) g_ClientHooks.setStartMode(nullptr, 0);
}

int32_t NextWeather(int32_t kind) {
    switch (kind) {
    case 1: return 3;
    case 3: return 2;
    case 2: return 4;
    case 4: return 6;
    case 6: return 5;
    case 5: return 9;
    default: return 1;
    }
}

} // namespace

using ctl::Down;
using ctl::NewPress;
using ctl::Now;
using ctl::Send;

void CPlayerControl::HandleKeys() {
    if (!g_Client) return;
    if (GetRecordMode() == 2) {
        if (!Down(plat::VK_ESCAPE)) ResetStartMode();
        if (Down(plat::VK_SPACE) && Down(plat::VK_RETURN)) return;
        if (g_ClientHooks.setWaitFlag) g_ClientHooks.setWaitFlag(0);
        return;
    }
    if (m_SelectionRefresh && g_Selection) g_Selection->Update();
    if (m_InputLock) return;
    if (GetRecordMode() == 1 && !Down(plat::VK_ESCAPE)) ResetStartMode();

    CRole* own = g_Selection ? g_Selection->GetRole() : nullptr;
    m_pOwn = own;
    if (m_QueuedCount > 0) {
        if (own && !RoleActionLocked(own)) UseSkill(m_QueuedSkill, m_QueuedArg, nullptr);
        --m_QueuedCount;
    }
    if (!m_Actions.empty() || m_Last.skill != -1) {
        if (m_Last.end == -1 && (!own || !RoleActionLocked(own))) StampActionTick();
        if (m_Last.end != -1 && Now() - m_Last.end > kComboTimeoutTicks) ClearActions();
    }

    CPainter* view = g_Client->m_pViewPort;
    if (!m_ViewLock && !g_KeyState.IsDown(plat::VK_LBUTTON) && view && !view->m_Follow) {
        const int32_t step = Down(plat::VK_SHIFT) ? kScrollStepFast : kScrollStep;
        view->m_ScrollStep = step;
        if (Down(plat::VK_UP)) view->ScrollView(1);
        if (Down(plat::VK_DOWN)) view->ScrollView(5);
        if (Down(plat::VK_LEFT)) view->ScrollView(3);
        if (Down(plat::VK_RIGHT)) view->ScrollView(7);
        const int32_t w = plat::GetSystemMetrics(plat::SM_CXSCREEN), h = plat::GetSystemMetrics(plat::SM_CYSCREEN);
        if (m_Cursor.x < 1) view->ScrollView(3);
        if (m_Cursor.x >= w - 1) view->ScrollView(7);
        if (m_Cursor.y < 1) view->ScrollView(1);
        if (m_Cursor.y >= h - 1) view->ScrollView(5);
    }

    if (!own) return;
    if (Down(plat::VK_MENU)) {
        if (own->CanRun() && !own->HasState(kStateGuard)) Send(16, 1, 0, 0);
    } else if (own->HasState(kStateGuard)) {
        Send(16, 0, 0, 0);
    }
    if (NewPress(plat::VK_SPACE)) {
        Send(17, m_Cell.x, m_Cell.y, 0);
        return;
    }
    if (NewPress('Z')) Send(22, 0, 0, 0);

    if (RoleActionLocked(own)) m_BusyTick = Now();
    if (m_BusyTick && Now() - m_BusyTick > kBusyTimeoutTicks) {
        if (g_ClientHooks.hasSelectedSlot && g_ClientHooks.hasSelectedSlot() && g_ClientHooks.setUseCounter)
            g_ClientHooks.setUseCounter(-1);
        m_BusyTick = 0;
    }

    if (g_ClientHooks.isDeveloperMode && g_ClientHooks.isDeveloperMode()) {
        if (g_ClientHooks.adjustZoomTarget) {
            if (Down(plat::VK_ADD)) g_ClientHooks.adjustZoomTarget(0.015f);
            if (Down(plat::VK_SUBTRACT)) g_ClientHooks.adjustZoomTarget(-0.015f);
        }
        if (Down(plat::VK_SHIFT)) {
            const int w = plat::GetSystemMetrics(plat::SM_CXSCREEN);
            if (NewPress(plat::VK_F11)) {
                if (g_ClientHooks.toggleDeveloperFlagA) g_ClientHooks.toggleDeveloperFlagA();
            } else if (NewPress(plat::VK_F1)) {
                if (Down(plat::VK_CONTROL)) LoadSkillTables();
                if (g_ClientHooks.toggleOverlay) g_ClientHooks.toggleOverlay();
            } else if (NewPress(plat::VK_F1 + 1)) {
                if (g_ClientHooks.setDisplayModeSetting)
                    g_ClientHooks.setDisplayModeSetting(w == 800 ? 6 : w == 640 ? 5 : w == 1024 ? 4 : 5);
            } else if (NewPress(plat::VK_F1 + 2)) {
                if (g_ClientHooks.toggleDeveloperFlagB) g_ClientHooks.toggleDeveloperFlagB();
            } else if (NewPress(plat::VK_F1 + 3)) {
                const int option = g_ClientHooks.getDisplayOption ? g_ClientHooks.getDisplayOption() : 0;
                if (g_ClientHooks.setDisplayOption) g_ClientHooks.setDisplayOption(option >= 2 ? 0 : option + 1);
            } else if (NewPress(plat::VK_F1 + 4)) {
            } else if (NewPress(plat::VK_F1 + 5)) {
                GetGameClock()->tick = 1500;
            } else if (NewPress(plat::VK_F1 + 6)) {
                if (g_CurScene) g_CurScene->m_Weather.SetWeather(0, kWeatherTicks);
                if (g_Client->m_pWeather) g_Client->m_pWeather->SetWeather(0, kWeatherTicks);
            } else if (NewPress(plat::VK_F1 + 7)) {
                if (g_CurScene) g_CurScene->m_Weather.SetWeather(NextWeather(g_CurScene->m_Weather.m_Kind), kWeatherTicks);
            } else if (NewPress(plat::VK_F1 + 9)) {
                const int kind = Down('1') ? 1 : Down('2') ? 2 : 0;
                if (const char* set = GetEquipStrByIndex(m_SpriteSetCount[kind]++, kind)) own->SetSpriteSet(set);
            }
        }
    }
    if (NewPress(plat::VK_SNAPSHOT) && g_ClientHooks.takeScreenshot) g_ClientHooks.takeScreenshot(0, 0);
}

void CPlayerControl::HandleDeveloperKeys() {
    if (!g_ClientHooks.isDeveloperMode || !g_ClientHooks.isDeveloperMode()) return;
    const bool ctrl = Down(plat::VK_CONTROL);
    if (ctrl && NewPress('F') && g_ClientHooks.loadFonts) g_ClientHooks.loadFonts();
    if (ctrl && NewPress('P') && g_ClientHooks.togglePause) g_ClientHooks.togglePause();

    const int rows = g_RoleMdlTable.GetRowCount();
    auto stepSpawn = [&] {
        if (rows <= 0) return;
        if (Down(plat::VK_MENU)) m_SpawnIndex = m_SpawnIndex > 0 ? m_SpawnIndex - 1 : rows - 1;
        else m_SpawnIndex = m_SpawnIndex + 1 < rows ? m_SpawnIndex + 1 : 0;
    };
    if (ctrl && NewPress('Y')) {
        int32_t model = -1;
        if (!Down(plat::VK_SHIFT) && !Down(plat::VK_MENU)) {
            CRoleData* rec = g_RoleHooks.getLocalPlayerRecord ? g_RoleHooks.getLocalPlayerRecord() : nullptr;
            model = rec ? rec->m_ClassId : -1;
        } else {
            stepSpawn();
            if (const CTxtRow* row = g_RoleMdlTable.GetRowAt(m_SpawnIndex)) model = row->GetInt(1);
        }
        if (model != -1) {
            char text[96];
            std::snprintf(text, sizeof text, "#CreateClient %d %d %d", model, m_Cell.x, m_Cell.y);
            PostServerCommand(text, 0);
        }
    }
    if (ctrl && NewPress('U')) stepSpawn();
    if (ctrl && NewPress('T')) stepSpawn();
    static const struct { int key; int32_t mode; } kDeathModes[] = {{'1', 1}, {'2', 0}, {'3', 6}, {'4', 7}, {'5', 9}};
    if (ctrl)
        for (const auto& d : kDeathModes)
            if (Down(d.key)) m_DeathMode = d.mode;
    if (ctrl && NewPress('G') && m_pHoverRole) m_pHoverRole->Die(m_DeathMode, 0);
    if (NewPress('Q') && m_pHoverRole && g_Selection) {
        g_Selection->SelectOnly(m_pHoverRole->m_Handle);
        return;
    }
    CRole* own = m_pOwn;
    if (!own || !ctrl) {
        if (own && !Down('F') && m_AnimOverridden) {
            own->SetAnimIndex(-1);
            m_AnimOverridden = 0;
        }
        return;
    }
    CPainter* view = g_Client ? g_Client->m_pViewPort : nullptr;
    if (NewPress('H')) {
        const int on = view && view->m_Follow ? 0 : 1;
        if (view) view->SetFollow(on);
        m_ViewLock = on;
    } else if (NewPress('L')) {
        if (g_ClientHooks.toggleCombatZoom) g_ClientHooks.toggleCombatZoom();
    } else if (NewPress('F')) {
        ++m_AnimStep;
        own->SetAnimIndex(m_AnimStep);
        m_AnimOverridden = 1;
    } else if (NewPress('C')) {
        own->RestoreAndLevel();
    }
    if (!Down('F') && m_AnimOverridden) {
        own->SetAnimIndex(-1);
        m_AnimOverridden = 0;
    }
    if (CPointSwarm* swarm = own->m_pSwarm) {
        if (NewPress('S')) {
            m_SwarmStrength += 50;
            swarm->Scatter(m_SwarmStrength);
        } else if (NewPress('A')) {
            swarm->Scatter(0);
        } else if (NewPress('V')) {
            swarm->FlyTo(m_World.x, m_World.y, kComboTimeoutTicks);
        }
    }
}
