// The two long commands: AddItem (monsters created around a point) and Atb
// (attribute changes of the subject and its record).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/debug.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "platform/text.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/save_mgr.h"
#include "script/trigger_actions.h"
#include "script/trigger_mgr.h"
#include "world/buildings/bld.h"
#include "world/objects/handle_table.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_desc.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"

namespace {

// Cells far beyond any map say nothing more: the steps stay small enough
// for the sums.
constexpr int64_t kMaxCellStep = 1 << 20;

int32_t ToInt(double v) {
    if (!(v == v)) return 0;
    return int32_t(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
}

int32_t Saturate(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Scattered cells: by rand() % p1 + p1 / 2 in direction *dir, then a new one.
void Scatter(CGamePoint* cell, int32_t p1, int32_t* dir) {
    if (p1 <= 0) return;
    const int64_t step = int64_t(plat::Rand() % p1) + p1 / 2;
    MoveDir8(*cell, *dir, int(std::min(step, kMaxCellStep)));
    *dir = plat::Rand() % 8;
}

} // namespace

void RunAddItem(const CActionCtx& c, const std::vector<std::string>& tok) {
    CObjMng* mng = g_CurObjMng;
    if (!mng) return;
    std::vector<std::string> ids;
    size_t k = 1;
    if (tok.size() > 1) {
        ids = SplitScript(tok[1], "|");
        k = 2;
    }
    // A list of nothing ("|") creates nothing, as a missing one.
    if (ids.empty()) return;
    int32_t p[5];
    for (size_t i = 0; i < 5; ++i) p[i] = ScriptInt(tok, k + i);
    int64_t a = tok.size() > k + 5 ? ScriptInt(tok, k + 5) : 1;
    int64_t b = tok.size() > k + 6 ? ScriptInt(tok, k + 6) : a;
    int32_t quality = 10, camp = -1;
    std::string picture;
    if (tok.size() > k + 7) {
        picture = tok[k + 7];
        quality = tok.size() > k + 8 ? ScriptInt(tok, k + 8) : 10;
        camp = tok.size() > k + 9 ? ScriptInt(tok, k + 9) : -1;
    }
    const double f = double(quality) * (g_SaveMgr.m_Difficulty >= 1 ? 1.0 : 0.7) * 0.1;
    if (f != 0 && a != b) {
        a = ToInt(double(a) * f);
        b = ToInt(double(b) * f);
    }
    a = std::max<int64_t>(a, 1);
    b = std::max<int64_t>(b, 1);
    // Between the two, whichever is larger: the first drawn down from the larger.
    const int64_t hi = std::max(a, b), lo = std::min(a, b);
    int64_t count = hi == lo ? hi : hi - int64_t(uint32_t(plat::Rand())) % (hi - lo + 1);
    if (count > kMaxSpawnPerCommand) {
        plat::DebugPrintf("AddItem: %lld roles asked for, %d created\n", static_cast<long long>(count),
                          kMaxSpawnPerCommand);
        count = kMaxSpawnPerCommand;
    }
    int32_t dir = plat::Rand() % 8;
    for (int64_t n = 0; n < count; ++n) {
        const int32_t id = ScriptInt(ids, size_t(plat::Rand() % int(ids.size())));
        CGamePoint cell = ObjectCell(c.subject);
        switch (p[0]) {
            case -1: break;
            case 0: Scatter(&cell, p[1], &dir); break;
            case 1: {
                auto* bld = dynamic_cast<CBld*>(c.subject);
                if (bld && c.subject->m_Kind >= 10 && c.subject->m_Kind <= 20)
                    if (CGameObj* linked = bld->GetLinkedObj()) cell = ObjectCell(linked);
                Scatter(&cell, p[1], &dir);
                break;
            }
            case 2: cell = {p[1], p[2]}; break;
            default: {
                CScene* scene = c.mgr->m_pScene;
                const CScnPortal* portal =
                    scene && scene->m_pWorld ? scene->m_pWorld->PickPortal(std::to_string(p[1]).c_str()) : nullptr;
                if (portal) {
                    cell = {portal->m_X, portal->m_Y};
                } else {
                    char text[64];
                    std::snprintf(text, sizeof text, "rand protal %d error", p[1]);
                    plat::MessageBox(text, "", plat::MB_OK);
                    cell = {0, 0};
                }
                break;
            }
        }
        const bool patrol = p[3] != -1 && p[4] != -1;
        const int32_t s = patrol ? p[3] - 1 : p[3];
        CGameObj* obj = mng->AddRole(uint16_t(id), cell.x, cell.y, 0, 0, 0, s, p[4]);
        auto* role = dynamic_cast<CRole*>(obj);
        if (!role) continue;
        if (p[4] == -1 && p[3] != -1) role->GiveOrder(10, p[3], c.subject->m_X, c.subject->m_Y, 1, 0);
        if (!picture.empty()) role->SetPictureName(picture.c_str());
        if (camp != -1) role->SetCamp(camp);
    }
}

void RunAtb(const CActionCtx& c, const std::vector<std::string>& tok) {
    if (tok.size() < 2) return;
    const std::string& key = tok[1];
    int32_t value = tok.size() > 2 ? ScriptInt(tok, 2) : 0;
    const bool percent = tok.size() > 2 && tok[2].find('%') != std::string::npos;
    CRole* role = c.role;
    CRoleData* rec = c.record;
    auto is = [&](const char* word) { return plat::EqualsNoCase(key, word); };
    if (is("HP")) {
        if (!role) return;
        if (percent) value = Saturate(int64_t(role->GetMaxHP()) * value / 100);
        if (value < 0) role->AddHP(float(value));
        else if (role->m_Hp > 0.0f) role->SetPendingHP(value);
    } else if (is("MP")) {
        if (!role) return;
        if (percent) value = Saturate(int64_t(role->GetMaxQi()) * value / 100);
        if (value < 0) role->AddQi(float(value));
        else if (role->m_Hp > 0.0f) role->SetPendingQi(value);
    } else if (is("All")) {
        if (role) role->RestoreAndLevel();
    } else if (!rec) {
        return;
    } else if (is("MaxNu")) {
        rec->AddMaxNu(float(value == 0 ? 1000 : value));
    } else if (is("MaxQi") || is("MaxMP")) {
        rec->AddMaxQi(float(value));
    } else if (is("HR")) {
        rec->AddHR(float(value));
    } else if (is("DP")) {
        rec->AddDP(float(value));
    } else if (is("MaxHP")) {
        rec->AddMaxHP(float(value));
    } else if (is("AP")) {
        rec->AddAP(float(value));
    } else if (is("ST")) {
        rec->AddST(float(value));
    }
}
