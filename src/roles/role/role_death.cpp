// Body parts a role loses and its death: the death action, the reward, the
// corpse or the flung parts, the death packet to the watching clients.
#include <algorithm>
#include <string>
#include <vector>

#include "core/packet.h"
#include "core/txt_table.h"
#include "gfx/anim.h"
#include "gfx/role_sprite.h"
#include "platform/random.h"
#include "platform/text.h"
#include "roles/magic/magic.h"
#include "roles/role.h"
#include "roles/role/role_posture_util.h"
#include "roles/role_hooks.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world_globals.h"
#include "world/things/corpse.h"

using role_posture::InPlayerCamps;

namespace role_death_cpp {
constexpr int32_t kBloodEffect = 73;
constexpr const char* kFlungParts[9] = {"HD", "TK", "LE", "RE", "LA", "LH", "RA", "RH", "SD"};

std::vector<std::string> PartList(const CTxtRow* row, int col) {
    std::vector<std::string> out;
    if (!row || !row->HasValue(col) || !row->GetString(col)) return out;
    const int n = row->GetItemCount(col);
    for (int i = 0; i < n; ++i)
        if (const char* s = row->GetStringItem(col, i); s && *s && *s != ' ') out.emplace_back(s);
    return out;
}

// Each later shown candidate replaces the choice with probability 1/(n+1).
const char* PickShown(CRoleSprite* sprite, const std::vector<std::string>& list) {
    static std::string s_Pick;
    int n = 0;
    const std::string* pick = nullptr;
    for (const std::string& name : list) {
        if (!IsRoleSpritePartShown(sprite, name.c_str())) continue;
        if (plat::Rand() % (n + 1) == 0) pick = &name;
        ++n;
    }
    if (!pick) return nullptr;
    s_Pick = *pick;
    return s_Pick.c_str();
}

// The role's current variants as CCorpse::SetSprite reads them: the first
// three characters of each item, four characters apart.
std::string CurrentVariants(const CRoleSprite* sprite) {
    const std::string all = GetRolePartFileName(sprite);
    std::string out;
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find('*', start);
        if (end == std::string::npos) end = all.size();
        if (!out.empty()) out += '*';
        out += all.substr(start, std::min<size_t>(3, end - start));
        start = end + 1;
    }
    return out;
}
} // namespace role_death_cpp
using namespace role_death_cpp;

// ---------------------------------------------------------------- body parts

const char* CRole::PickLosablePart() {
    if (!m_pSprite) return nullptr;
    const char* pick = PickShown(m_pSprite, PartList(m_pModelRow, 24));
    if (pick && IsRoleSpritePartShown(m_pSprite, pick)) return pick;
    static std::string s_Last;
    const std::vector<std::string> heads = PartList(m_pModelRow, 25);
    for (auto it = heads.rbegin(); it != heads.rend(); ++it)
        if (IsRoleSpritePartShown(m_pSprite, it->c_str())) {
            s_Last = *it;
            return s_Last.c_str();
        }
    return nullptr;
}

int CRole::CanLosePart() {
    const char* part = PickLosablePart();
    if (!part || !IsRoleSpritePartShown(m_pSprite, part)) return 0;
    const char* weapon = m_pModelRow ? m_pModelRow->GetString(22) : nullptr;
    return weapon && plat::EqualsNoCase(part, weapon) ? 0 : 1;
}

CGameObj* CRole::LosePart(const char* name) {
    std::string part = name ? name : "";
    if (!name) {
        const char* pick = PickLosablePart();
        if (!pick) return nullptr;
        part = pick;
    }
    if (!m_pSprite || !IsRoleSpritePartShown(m_pSprite, part.c_str())) return nullptr;
    SetStaggerThreshold(0);
    CGameObj* flung = DropPart(part.c_str(), nullptr);
    const char* weapon = m_pModelRow ? m_pModelRow->GetString(22) : nullptr;
    const char* legs = m_pModelRow ? m_pModelRow->GetStringItem(23, 0) : nullptr;
    if (weapon && ModelHas(22) && plat::EqualsNoCase(part.c_str(), weapon)) {
        Die(6, 0);
    } else if (legs && plat::EqualsNoCase(part.c_str(), legs)) {
        m_RunAllowed = 0;
    }
    return flung;
}

CGameObj* CRole::DropPart(const char* name, CGameObj* corpse) {
    if (!name || !m_pSprite) return nullptr;
    auto* part = dynamic_cast<CCorpsePart*>(corpse);
    if (!part) {
        const std::string variants = CurrentVariants(m_pSprite);
        part = new CCorpsePart;
        part->PlaceAt(6, m_X, m_Y, m_Facing, ModelInt(1), m_Height);
        part->SetSprite(variants.c_str());
        part->SetRoleData(m_pLevelRow, 0);
        part->SetState(CCorpseBase::kFalling);
        if (m_Posture == kPostureKnockedUp)
            if (CAnimRes* a = part->GetCurAnim())
                if (CAnimPlayer* p = a->CurrentPlayer()) p->m_CurFrame = std::max(0, p->m_FrameCount - 1);
        if (g_CurObjMng) g_CurObjMng->Register(part->m_Handle);
        ShowAllRoleSpriteParts(part->m_pSprite, 0);
    }
    ShowRoleSpritePart(part->m_pSprite, name, 1);
    ShowRoleSpritePart(m_pSprite, name, 0);
    part->SetPart(name);
    if (!plat::EqualsNoCase(name, "RH") && !plat::EqualsNoCase(name, "RE") && !plat::EqualsNoCase(name, "LE")) EmitEffect(kBloodEffect);
    return part;
}

// ---------------------------------------------------------------- death

int CRole::DeathAction() {
    if (m_DeathAction == 0) return 0;
    if (m_DeathAction < 0) {
        m_NoCorpse = 1;
        Remove();
        const CGamePoint cell = GetCell();
        CRole* next = g_CurObjMng ? AsRole(g_CurObjMng->AddRole(static_cast<uint16_t>(-m_DeathAction), cell.x, cell.y,
                                                                0, 0, 0, -1, -1))
                                  : nullptr;
        if (next) {
            for (int32_t i = 0, n = GetRoleSpritePartCount(m_pSprite); i < n; ++i) {
                const std::string name = GetRoleSpritePartName(m_pSprite, i);
                if (!IsRoleSpritePartShownAt(m_pSprite, i) && !plat::EqualsNoCase(name.c_str(), "SD"))
                    ShowRoleSpritePart(next->m_pSprite, name.c_str(), 0);
            }
            next->SetPos(m_X, m_Y);
            next->SetMotion(kMotionStand, 0, 0, 0);
            next->UseSkillTowardFacing();
            if (const char* picture = GetPictureName()) next->SetPictureName(picture);
        }
        return 1;
    }
    CGamePoint ahead{m_X, m_Y};
    MoveDir8(ahead, GetFacing8(), 64);
    PlaySpecialAnim(-1, 1);
    GiveOrder(10, m_DeathAction, ahead.x, ahead.y, 1, 0);
    const int mounted = HasMount();
    if (mounted && m_Hp < 1.0f) m_Hp = 1.0f;
    m_DeathAction = 0;
    return mounted ? 1 : 0;
}

void CRole::Die(int32_t mode, int32_t flag) {
    if (m_Removed || m_Dead) return;
    m_Nu = 0;
    if (g_CurScene && !InPlayerCamps(m_Camp) && g_RoleHooks.setTriggerDeathFlag)
        g_RoleHooks.setTriggerDeathFlag(g_CurScene->m_pTriggers);
    if (mode != 1 && DeathAction()) return;
    if (m_Removed) return;
    if (mode == -1) mode = m_NoCorpse;
    m_DeathMode = mode;
    if (!(mode == 1 && flag == 0)) OnKillReward();
    if (!ModelHas(27)) {
        if (ModelHas(19)) SetAnimIndex(ModelInt(19) + m_Facing);
        m_Dead = 1;
        SetFlag(kRoleBitUntouchable, 1);
        m_Hp += 1.0f;
        return;
    }
    // The watchers keep the role until its death packet has gone.
    m_Dying = 1;
    m_Dead = 1;
    Remove();
    const auto finish = [this] {
        m_Dying = 0;
        UntrackRole();
    };
    if (mode == 1) {
        if (flag) PlayDeathOnce();
        finish();
        return;
    }
    PlayDeathOnce();
    if (InPlayerCamps(m_Camp) && g_CurScene)
        if (CViewTracker* t = g_CurScene->FindTrackerByRole(m_Handle)) t->ShowDeathNotice();
    if (m_Posture != kPostureTumbling) DropRoll(1);
    if (ModelInt(8) == 50) {
        finish();
        return;
    }

    const int32_t heads = m_pModelRow && m_pModelRow->HasValue(25) ? m_pModelRow->GetItemCount(25) : 0;
    CAnimPlayer* player = GetCurrentAnim();
    const int32_t frame = player ? player->m_CurFrame : 0;
    if (m_Posture == kPostureKnockedUp || (m_Posture == kPostureTumbling && (frame >= 2 || m_PostureSub == 2)) ||
        heads < 2)
        mode = 0;

    if (heads < 2 && m_pSprite) {
        bool anyShown = false;
        for (int32_t i = 0, n = GetRoleSpritePartCount(m_pSprite); i < n; ++i)
            if (IsRoleSpritePartShownAt(m_pSprite, i)) anyShown = true;
        if (anyShown) {
            const std::string variants = CurrentVariants(m_pSprite);
            auto* body = new CCorpse;
            body->PlaceAt(6, m_X, m_Y, m_Facing, ModelInt(1), m_Height);
            body->SetSprite(variants.c_str());
            body->SetState(CCorpseBase::kFalling);
            body->SetRoleData(m_pLevelRow, 0);
            body->SetName(GetName());
            for (int32_t i = 0, n = GetRoleSpritePartCount(m_pSprite); i < n; ++i)
                if (!IsRoleSpritePartShownAt(m_pSprite, i)) ShowRoleSpritePartAt(body->m_pSprite, i, 0);
            if (m_Posture == kPostureKnockedUp || m_Posture == kPostureTumbling)
                if (CAnimRes* a = body->GetCurAnim())
                    if (CAnimPlayer* p = a->CurrentPlayer()) p->m_CurFrame = std::max(0, p->m_FrameCount - 1);
            if (g_CurObjMng) g_CurObjMng->Register(body->m_Handle);
        }
    }

    if (mode == 6) {
        if (const char* head = PickShown(m_pSprite, PartList(m_pModelRow, 25))) {
            const std::string name = head;
            if (auto* part = dynamic_cast<CCorpseBase*>(DropPart(name.c_str(), nullptr)))
                part->SetCountdown(plat::Rand() % 10 + 15);
        }
    } else if (mode == 7) {
        CGameObj* chain = nullptr;
        for (const char* name : kFlungParts)
            if (m_pSprite && IsRoleSpritePartShown(m_pSprite, name))
                if (CGameObj* p = DropPart(name, chain)) chain = p;
        if (auto* last = dynamic_cast<CCorpse*>(chain)) last->SetEffect(2);
    } else if (mode == 9) {
        std::vector<std::string> names = PartList(m_pModelRow, 24);
        for (const std::string& h : PartList(m_pModelRow, 25)) names.push_back(h);
        int32_t spin = 0;
        for (const std::string& name : names) {
            if (!m_pSprite || !IsRoleSpritePartShown(m_pSprite, name.c_str())) continue;
            spin += plat::Rand() % 10 + 15;
            if (auto* part = dynamic_cast<CCorpseBase*>(DropPart(name.c_str(), nullptr))) part->SetCountdown(spin);
        }
    }

    if (g_CurScene) {
        PacketFields f;
        f.type = kPacketRoleState;
        f.sub = kRoleSubDeath;
        f.handle = m_Handle;
        f.value = mode;
        uint8_t packet[5];
        WritePacket(f, packet, 5);
        g_CurScene->SendToWatchers(packet);
    }
    finish();
}

void CRole::RemoveBoundMagic() {
    if (m_pBoundMagic) m_pBoundMagic->Remove();
    m_pBoundMagic = nullptr;
}

// The last attacker is the handle a hit excludes from its own throw.
CGameObj* CRole::GetLastAttacker() {
    const ObjHandle h = m_ExcludeHandle ? static_cast<ObjHandle>(m_ExcludeHandle) : m_LastAttacker;
    return h ? GetRoleByHandle(h) : nullptr;
}
