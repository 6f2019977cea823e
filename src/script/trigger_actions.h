#pragma once
// Inside the action interpreter: what one command sees, and the long
// commands kept in their own file (trigger_actions_spawn.cpp).
#include <cstdint>
#include <string>
#include <vector>

#include "core/geometry.h"

class CTriggerMgr;
class CGameObj;
class CRole;
class CRoleData;

struct CActionCtx {
    CTriggerMgr* mgr = nullptr;
    // The object the text acts for, its role (null when it is not one) and
    // the record of its data id.
    CGameObj* subject = nullptr;
    CRole* role = nullptr;
    CRoleData* record = nullptr;
};

// AddItem commands create at most this many roles; the rest are dropped.
constexpr int kMaxSpawnPerCommand = 100;

// The map cell of an object: a role's cell, else its description's.
CGamePoint ObjectCell(const CGameObj* obj);

// Runs the commands of an action text for the subject (not null), the
// manager's scene current; texts nested too deep are refused.
void RunActionText(CTriggerMgr* mgr, const char* text, CGameObj* subject);

void RunAddItem(const CActionCtx& ctx, const std::vector<std::string>& tok);
void RunAtb(const CActionCtx& ctx, const std::vector<std::string>& tok);
