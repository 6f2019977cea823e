#include "roles/role.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/txt_table.h"
#include "gfx/role_sprite.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "roles/ai/role_group.h"
#include "roles/save_mgr.h"
#include "roles/swarm/point_swarm.h"
#include "roles/tables/model_tables.h"
#include "world/map/map_grid.h"
#include "world/objects/handle_table.h"
#include "world/objects/obj_desc.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/sky/obj_light.h"
#include "world/things/anim_map_obj.h"

namespace {

constexpr int32_t kViewStep = 128;

// "%s初始态招式%d错误，坐标（%d,%d）"
constexpr char kBadInitialSkill[] =
    "%s\xb3\xf5\xca\xbc\xcc\xac\xd5\xd0\xca\xbd%d\xb4\xed\xce\xf3\xa3\xac\xd7\xf8\xb1\xea\xa3\xa8%d,%d\xa3\xa9";

// An empty cell reads " ".
const char* RowText(const CTxtRow* row, int col) {
    const char* s = row ? row->GetString(col) : nullptr;
    return s && std::string(s) != " " ? s : "";
}

// The sprite of the model's columns 4, 6 and 5, its main part bound so the
// role's animation set exists from the start.
CRoleSprite* ComposeSprite(const CTxtRow* row) {
    CRoleSprite* s = CreateRoleSprite(RowText(row, 4), RowText(row, 6), RowText(row, 5));
    if (s && s->m_pMainPart) s->m_pMainPart->EnsureBound();
    return s;
}

bool EqualsNoCaseAscii(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return *a == *b;
}

} // namespace

int32_t CRole::s_ConfusedCamp = 99;
int32_t CRole::s_DrawingElsewhere = 1;

void RoleChangeList::Clear() {
    while (head) {
        RoleChangeNode* n = head->next;
        delete head;
        head = n;
    }
    tail = nullptr;
    count = 0;
}

CRole* AsRole(CGameObj* obj) { return obj && (obj->m_ClassBits & kClassBitRole) ? static_cast<CRole*>(obj) : nullptr; }
const CRole* AsRole(const CGameObj* obj) {
    return obj && (obj->m_ClassBits & kClassBitRole) ? static_cast<const CRole*>(obj) : nullptr;
}

CRole* RoleOf(ObjHandle handle) { return AsRole(GetRoleByHandle(handle)); }

CRole::CRole() {
    m_ClassBits |= kClassBitRole;
    m_Kind = 31;
    ClearTarget();
    m_ChangeList1.Clear();
    m_ChangeList2.Clear();
    m_KeptStateFlag = 1;
    m_KeptStateFlag = 0;
}

CRole::~CRole() {
    if (m_pGroup) m_pGroup->Leave(this);
    for (CGameObj*& a : m_Attachments) {
        delete a;
        a = nullptr;
    }
    for (CAnimRes*& o : m_pOverlays) {
        delete o;
        o = nullptr;
    }
    delete m_pSwarm;
    m_pSwarm = nullptr;
    m_ChangeList1.Clear();
    m_ChangeList2.Clear();
    LeaveCell();
}

// ---------------------------------------------------------------- rows

int CRole::ModelHas(int col) const { return m_pModelRow && m_pModelRow->HasValue(col); }
int32_t CRole::ModelInt(int col) const { return m_pModelRow ? m_pModelRow->GetInt(col) : 0; }
int CRole::LevelHas(int col) const { return m_pLevelRow && m_pLevelRow->HasValue(col); }
int32_t CRole::LevelInt(int col) const { return m_pLevelRow ? m_pLevelRow->GetInt(col) : 0; }

// ---------------------------------------------------------------- set-up

int CRole::Init(CObjDesc* desc) {
    if (!desc) return 0;
    CMapObj::Init(desc);
    if (m_Kind != 60) {
        CMapGrid* grid = Grid();
        const CMapCell* cell = grid ? grid->GetCell(desc->m_X, desc->m_Y) : nullptr;
        if (cell) SetWalkClass(static_cast<uint8_t>(cell->GetMoveClass()));
    }
    // Record word 30 of 1 joins the group of words 31-34.
    auto* rec = dynamic_cast<CObjDesc11*>(desc);
    if (rec && rec->m_Words[0] == 1 && g_CurObjMng && g_CurObjMng->m_pRoleGroups) {
        CRoleGroup* g = g_CurObjMng->m_pRoleGroups->AddMember(m_Handle, 1, rec->m_Words[1], rec->m_Words[2],
                                                              rec->m_Words[3], rec->m_LastWord);
        if (g) g->Join(this);
    }
    return 1;
}

int CRole::InitModel(const void* model) { return InitFromModel(static_cast<const CTxtRow*>(model)); }

int CRole::InitFromModel(const CTxtRow* row) {
    m_InitFlag = 0;
    m_pModelRow = row;
    if (!row) return 0;
    const int32_t id = row->GetInt(1);
    m_pSkillRow = g_RoleSkillListTable.GetRow(id);
    m_pLevelRow = g_RolePrivateTable.GetRow(id);
    m_DerivedWord = static_cast<uint16_t>(row->GetInt(2));
    SetCamp(row->GetInt(34));
    m_RoleBits = 0;
    if (row->HasValue(20) && row->GetInt(20) != 0 && g_CurLightList)
        g_CurLightList->Add(m_Handle, 0, row->GetInt(26) * 240 / 64 + 480, 0xFFFFFF, 0xFFFFFF);
    m_TrailEffect = row->GetInt(46);
    SetRadius(row->HasValue(26) ? row->GetInt(26) : 0);
    const CGamePoint cell = GetCell();
    if (!EnterCell(cell.x, cell.y, row->GetInt(44) == 1 ? 2 : 1)) {
        Remove();
        return 1;
    }
    const CGamePoint at = GetCell();
    SetTilePos(at.x, at.y);
    if (LevelHas(7)) m_StandAnim = LevelInt(7);
    FillPools();
    m_DirCount = row->GetInt(43) < 3 ? 8 : 16;
    m_SpecialDeath = 0;
    if (LevelHas(11) && LevelInt(11) >= 10000) {
        SetFlag(kRoleBitUntouchable, 1);
        if (m_Camp < 0 || m_Camp > 99) m_SpecialDeath = 1;
    }
    m_DeathAction = row->HasValue(40) ? row->GetInt(40) : 0;
    const int32_t v = LevelHas(6) ? LevelInt(6) : 0;
    switch (g_SaveMgr.m_Difficulty) {
    case 0: m_AiValue = 2 * v + 2; break;
    case 1: m_AiValue = v; break;
    case 2: m_AiValue = v / 2; break;
    default: m_AiValue = v / 3; break;
    }
    const char* picture = GetPictureName();
    m_Scripted = picture && EqualsNoCaseAscii(picture, "auto") ? 1 : 0;
    return 1;
}

int CRole::SetupAppearance(const char* spriteSet) {
    if (m_Removed || !m_pModelRow) return 0;
    const CTxtRow* row = m_pModelRow;
    DestroyRoleSprite(&m_pSprite);
    m_pSprite = ComposeSprite(row);
    if (spriteSet && *spriteSet && std::string(spriteSet) != "NULL") {
        // Split at '*' and joined again: empty pieces drop out.
        std::string joined;
        for (const char* p = spriteSet; *p;) {
            const char* e = p;
            while (*e && *e != '*') ++e;
            if (e > p) {
                if (!joined.empty()) joined += '*';
                joined.append(p, e);
            }
            p = *e ? e + 1 : e;
        }
        if (!m_pSprite || !SetRoleSpriteParts(m_pSprite, joined.c_str())) {
            plat::MessageBox(spriteSet, "");
            DestroyRoleSprite(&m_pSprite);
            m_pSprite = ComposeSprite(row);
        }
    }
    SetDirection(plat::Rand() % m_DirCount);
    SetMotion(kMotionStand, 0, 0, 0);
    SetAnimIndex(-1);
    SetAnimOrDefault(-1);
    CGameRect r{};
    m_LabelHeight = (m_pSprite && GetRoleSpriteRect(m_pSprite, {0, 0}, &r) ? r.height : 0) + 10;

    auto* rec = dynamic_cast<CObjDesc11*>(m_pDesc);
    auto* rec12 = dynamic_cast<CObjDesc12*>(m_pDesc);
    const int32_t mode = rec ? rec->m_Logic : -1;
    if (mode == 0 || mode == 4) {
        const int32_t anim = row->GetInt(12);
        const int32_t facing = rec12 ? rec12->m_Dir : 0;
        m_ItemSkill = -1;
        SetDirection(facing);
        SetAnimIndex((anim & 0xFFFF) + m_Facing);
        if (mode == 4) {
            m_InitialActionOpen = 0;
            const int32_t skill = rec12 ? rec12->m_PatrolY : 0;
            if (!CanUseSkillNow(skill)) {
                rec->m_Logic = 0;
                char text[256];
                std::snprintf(text, sizeof text, kBadInitialSkill, RowText(row, 0), skill, rec->m_X, rec->m_Y);
                plat::MessageBox(text, "");
                if (rec12) {
                    rec12->m_PatrolX = 0;
                    rec12->m_PatrolY = 0;
                }
                SetAnimIndex(-1);
            }
        }
    } else {
        SetAnimIndex(-1);
    }
    UpdateSpeed(0);
    SetAnimOrDefault(-1);
    if (g_CurScene) g_CurScene->UpdateViews(m_Handle);
    if (CAnimPlayer* p = GetCurrentAnim(); p && p->m_FrameCount > 2) p->m_CurFrame = plat::Rand() % p->m_FrameCount;
    // Level-row column 8: the model class, then the initial state.
    if (m_pLevelRow && m_pLevelRow->GetIntItem(8, 1) != kTxtEmptyInt)
        SetState(m_pLevelRow->GetIntItem(8, 1), 1, 0, nullptr);
    return 1;
}

// ---------------------------------------------------------------- small operations

int CRole::SetPictureName(const char* name) {
    if (!m_pDesc) return 0;
    const uint32_t type = m_pDesc->m_Type;
    auto* rec = dynamic_cast<CObjDesc11*>(m_pDesc);
    if (type < 10 || type > 17 || !rec) return static_cast<int>(type);
    rec->SetText(name);
    return static_cast<int>(std::string(rec->m_Text).size());
}

void CRole::NotifyViews() {
    if (g_CurScene) g_CurScene->UpdateViews(m_Handle);
}

void CRole::UntrackRole() {
    if (g_CurScene) g_CurScene->UntrackAll(m_Handle);
}

void CRole::NotifyViewsIfMoved() {
    if (!g_CurScene) return;
    if (std::abs(m_X - m_LastViewX) < kViewStep && std::abs(m_Y - m_LastViewY) < kViewStep) return;
    // PLACEHOLDER: the kind-60 role's own view tracker is marked by the
    // scene's UpdateViews itself until the role data record lands.
    g_CurScene->UpdateViews(m_Handle);
    m_LastViewX = m_X;
    m_LastViewY = m_Y;
}

CActor* CRole::GetTargetRole() {
    CGameObj* t = GetTarget();
    return t && t->m_Kind >= 30 && t->m_Kind <= 100 ? dynamic_cast<CActor*>(t) : nullptr;
}

int CRole::CanRun() {
    return !HasState(kStateBusy) && !(m_RoleBits & kRoleBitNoRun) && m_Posture == 0 && m_RunAllowed &&
                   !m_pBoundMagic && m_St >= 5.0f && ModelHas(16)
               ? 1
               : 0;
}

void CRole::ClearOtherStates() {
    for (int32_t k = 0; k < 128; ++k)
        if (k != m_KeptState && m_States[k]) EndState(k);
    // Ends "pseudo-state 128", which is no state: SetState refuses it.
    if (m_KeptState >= 0 && m_KeptState < 128 && m_States[m_KeptState]) EndState(128);
    m_KeptStateFlag = 0;
}

int CRole::IsAttackAnim() {
    if (m_DirCount <= 0) return 0;
    const int32_t start = GetCurrentAnimIndex() / m_DirCount * m_DirCount;
    for (int col : {8, 10, 14, 17, 19})
        if (ModelHas(col) && ModelInt(col) == start) return 1;
    return 0;
}

void CRole::SelectAttributeRow(int32_t) {
    if (m_pModelRow) m_pLevelRow = g_RolePrivateTable.GetRow(m_pModelRow->GetInt(1));
}

void CRole::ClearTarget() {
    m_TargetHandle = 0;
    if (m_pGroup) m_pGroup->m_Target = 0;
}

int CRole::CannotAct() const {
    return HasState(kStateBusy) || m_Posture == 2 || m_Posture == 3 || m_Posture == kPostureKnockedUp ||
                   m_Posture == kPostureHeld
               ? 1
               : 0;
}

int32_t CRole::GetModelClass() const {
    if (m_ClassOverride != -1) return m_ClassOverride;
    return LevelHas(8) ? LevelInt(8) : -1;
}

int CRole::IsUntargetable() { return HasState(kStateDodging) || (m_RoleBits & kRoleBitUntouchable) ? 1 : 0; }

int CRole::IsMobile() const {
    return !(m_RoleBits & kRoleBitNoMove) && m_Speed != 0 && !HasState(kStateGuard) ? 1 : 0;
}

int CRole::Remove() {
    if (m_Removed) return 1;
    // The leader's record forgets a follower: no records yet.
    m_PathLength = 0;
    m_PathIndex = 0;
    LeaveCell();
    if (m_States[kStateBusy]) SetState(kStateBusy, 0, 0, nullptr);
    if (!m_Dying) UntrackRole();
    return CMapObj::Remove();
}

int CRole::ReleaseSprites() {
    DestroyRoleSprite(&m_pSprite);
    ClearTarget();
    return 1;
}

int CRole::RestoreSprites() {
    if (!m_pModelRow) return 0;
    DestroyRoleSprite(&m_pSprite);
    m_pSprite = ComposeSprite(m_pModelRow);
    const CGamePoint c = GetCell();
    EnterCell(c.x, c.y, 1);
    const int32_t ai = ModelInt(31);
    if (m_Camp >= 0 && m_Camp <= 99 && (ai == 20 || ai == 21)) {
        static const float kShare[4] = {0.025f, 0.05f, 0.125f, 0.5f};
        const int32_t d = std::clamp(g_SaveMgr.m_Difficulty, 0, 3);
        AddHP(static_cast<float>(GetMaxHP()) * kShare[d]);
    }
    m_StaggerAccum = 0;
    return 1;
}

void CRole::SetTargetByHandle(ObjHandle handle) { SetTarget(RoleOf(handle), 1); }

void CRole::SetTarget(CGameObj* target, int) { m_TargetHandle = target ? target->m_Handle : 0; }

void CRole::CancelQueuedOrder() {
    m_QueuedOrder[0] = -1;
    m_QueuedOrderAge = 0;
}

// ---------------------------------------------------------------- classes


// ---------------------------------------------------------------- hooks

void InstallRoleHooks() {
    g_WorldHooks.createRole = [](int kind) -> CGameObj* {
        if (kind == 60) return new CRole60();
        return new CAiRole();
    };
    g_WorldHooks.getRoleModelRow = [](const CGameObj* role) -> const CTxtRow* {
        const CRole* r = AsRole(role);
        return r ? r->m_pModelRow : nullptr;
    };
    g_WorldHooks.roleEnterCell = [](CGameObj* role, int mode) {
        if (CRole* r = AsRole(role)) r->EnterCell(r->m_X / 64, r->m_Y / 64, mode);
    };
    g_WorldHooks.roleUpdate = [](CGameObj* role) {
        CRole* r = AsRole(role);
        if (!r || r->m_Removed) return;
        r->Update();
        r->PostUpdate();
    };
    // AddObj's extra value names no sprite set.
    g_WorldHooks.roleSetAppearance = [](CGameObj* role, int32_t) {
        if (CRole* r = AsRole(role)) r->SetupAppearance(nullptr);
    };
    g_WorldHooks.setSpriteFrame = [](CGameObj* role, int first, int count) {
        if (CRole* r = AsRole(role)) r->SetSpriteFrame(first, count);
    };
    g_WorldHooks.updateTalkId = [](CGameObj* role) {
        if (CRole* r = AsRole(role)) r->UpdateTalkId();
    };
    g_WorldHooks.isRoleDead = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r && r->m_Dead ? 1 : 0;
    };
    g_WorldHooks.getRoleCamp = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r ? r->m_Camp : 0;
    };
    g_WorldHooks.setRoleFlag = [](CGameObj* role, int32_t flag, int on) {
        if (CRole* r = AsRole(role)) r->SetFlag(static_cast<uint32_t>(flag), on);
    };
    g_WorldHooks.getRoleDirCount = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r ? r->m_DirCount : 8;
    };
    g_WorldHooks.getBodyRadius = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r ? r->m_Radius : 0;
    };
    g_WorldHooks.faceTo = [](CGameObj* role, CGameObj* other) {
        CRole* r = AsRole(role);
        if (r && other) r->FaceTo({other->m_X, other->m_Y}, {r->m_X, r->m_Y});
    };
    g_WorldHooks.getRoleSpeed = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r ? r->m_Speed : 0;
    };
    g_WorldHooks.getRoleMotion = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r ? r->m_Motion : 0;
    };
    g_WorldHooks.getRoleHeight = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r ? r->m_Height : 0;
    };

    g_SceneHooks.placeNear = [](CGameObj* role, int32_t x, int32_t y, int32_t radius) {
        CRole* r = AsRole(role);
        if (!r) return 0;
        const int placed = r->PlaceNear(x, y, radius);
        if (placed) r->NotifyViewsIfMoved();
        return placed;
    };
    // Scenes give 0-7 (portals, placements).
    g_SceneHooks.setDirection = [](CGameObj* role, int32_t dir) {
        if (CRole* r = AsRole(role)) r->SetDirection8(dir & 7);
    };
    g_SceneHooks.die = [](CGameObj* role, int32_t mode, int32_t flag) {
        if (CRole* r = AsRole(role)) r->Die(mode, flag);
    };
    g_SceneHooks.order = [](CGameObj* role, int32_t command, uint32_t a, uint32_t b, uint32_t c) {
        CRole* r = AsRole(role);
        if (!r) return;
        r->CancelQueuedOrder();
        r->Order(command, a, b, c, 1, 1);
    };
    g_SceneHooks.getAnimIndex = [](const CGameObj* role) -> int32_t {
        const CRole* r = AsRole(role);
        return r ? std::max(r->GetCurrentAnimIndex(), 0) : 0;
    };
    g_SceneHooks.getRoleBits = [](const CGameObj* role) -> uint32_t {
        const CRole* r = AsRole(role);
        return r ? r->m_RoleBits : 0;
    };
    g_SceneHooks.sendStates = [](CGameObj* role, CMsgEndpoint*, int target, int direct) {
        CRole* r = AsRole(role);
        if (!r) return;
        if (direct)
            r->PostStatesToClient();
        else
            r->SendStatesTo(target);
    };
    // The image name of the sprite set's first part.
    g_SceneHooks.getPartFileName = [](const CGameObj* role) -> const char* {
        static std::string s_name;
        const CRole* r = AsRole(role);
        if (!r || !r->m_pSprite) return nullptr;
        s_name = GetRolePartFileName(r->m_pSprite);
        s_name = s_name.substr(0, s_name.find('*'));
        return s_name.c_str();
    };
    g_SceneHooks.getLastAttacker = [](CGameObj* role) -> CGameObj* {
        CRole* r = AsRole(role);
        return r ? r->GetLastAttacker() : nullptr;
    };
    g_WorldHooks.roleClientStep = [](CGameObj* role) {
        if (CRole* r = AsRole(role); r && !r->m_Removed) r->ClientFrame();
    };
    InstallRoleGroupHooks();
    InstallCombatHooks();
}
