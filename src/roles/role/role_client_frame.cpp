// Slot 47, every role, every frame of the client pass: afterimage trails,
// the idle drop roll, ambient voices, the hold-release command, dust,
// footprints, trail magic and floating names.
#include <cstdlib>

#include "core/txt_table.h"
#include "gfx/role_sprite.h"
#include "platform/input.h"
#include "platform/random.h"
#include "roles/magic/magic.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "roles/tables/skill_table.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/scene/world_sound.h"
#include "world/things/anim_objs.h"

namespace role_client_frame {

constexpr int kVoiceCol = 35;
constexpr int kAlertedVoiceCol = 36;
constexpr int kMoveClassCol = 27;
constexpr int kSizeCol = 26;
constexpr int kRightButton = 2;
constexpr int kReleaseCommand = 15;
constexpr int kDustMagic = 16;
constexpr uint32_t kFootprintAnim = 193;
constexpr uint8_t kSoftGround = 3;
constexpr int32_t kMarkStep = 48;

bool MovedFrom(const CGamePoint& mark, int32_t x, int32_t y) {
    const int64_t dx = x - mark.x, dy = y - mark.y;
    return dx * dx + dy * dy >= int64_t{kMarkStep} * kMarkStep;
}

} // namespace role_client_frame

using namespace role_client_frame;

void CRole::ClientFrame() {
    if (!g_CurScene) {
        PostUpdate();
        if (m_Removed) return;
    }
    if (m_pSprite && HasRoleSpriteTrail(m_pSprite)) {
        if (GetModelClass() == 50) {
            DisableRoleSpriteTrail(m_pSprite);
        } else {
            const CGamePoint at{m_X - 2 * m_Height, m_Y - 2 * m_Height};
            for (const auto& part : m_pSprite->m_Parts)
                if (part->m_Shown && part->m_Anim.m_pTrail)
                    part->m_Anim.m_pTrail->Push(&at, part->FrameOf(0, 0, true));
        }
    }
    DropRoll(0);

    const int voice = HasState(kStateAlerted) ? kAlertedVoiceCol : kVoiceCol;
    if (ModelHas(voice) && plat::Rand() % 400 == 100 && g_WorldSound.playEffectAt)
        g_WorldSound.playEffectAt(ModelInt(voice), {m_X, m_Y}, 0);

    // A held skill ends when the right button is let go: only the client's
    // own role, whatever scene is current.
    if (auto* m = dynamic_cast<CMagic*>(m_pBoundMagic); m && m->GetSkill() && m->GetSkill()->releaseFlag &&
        g_WorldHooks.getSelectedRole && g_WorldHooks.getSelectedRole() == this &&
        plat::GetAsyncKeyState(kRightButton) == 0 && g_RoleHooks.sendOrder)
        g_RoleHooks.sendOrder(this, kReleaseCommand, 0, 0, 0);

    CObjMng* mng = g_CurObjMng;
    if ((m_Motion == kMotionPushed || m_Motion == kMotionHitReaction) && m_Height < 2 && m_Posture == kPostureTumbling &&
        MovedFrom(m_LastDust, m_X, m_Y)) {
        if (mng) mng->AddMagic(kDustMagic, m_X, m_Y, this, 0);
        m_LastDust = {m_X, m_Y};
    }

    if (m_Motion == kMotionWalk && m_Height <= 1 && ModelHas(kMoveClassCol) && ModelInt(kMoveClassCol) == 2) {
        CMapGrid* grid = Grid();
        const CMapCell* cell = grid ? grid->GetCell(m_X / 64, m_Y / 64) : nullptr;
        if (cell && cell->m_Surface == kSoftGround &&
            (std::abs(m_X - m_LastFootprint.x) > 31 || std::abs(m_Y - m_LastFootprint.y) > 31) &&
            ModelInt(kSizeCol) < 49 && mng) {
            auto* f = new CFootprintObj;
            f->SetPos(m_X, m_Y);
            f->m_DrawLayer = m_DrawLayer;
            f->Setup(kFootprintAnim, GetFacing8() + (m_FootprintSide ? 16 : 0));
            mng->Register(f->m_Handle);
            m_FootprintSide ^= 1;
            m_LastFootprint = {m_X, m_Y};
        }
    }

    if (ModelHas(46) && m_TrailEffect > 0 && MovedFrom(m_LastTrailMagic, m_X, m_Y)) {
        if (mng) mng->AddMagic(m_TrailEffect, m_X, m_Y, this, 0);
        m_LastTrailMagic = {m_X, m_Y};
    }

    if ((m_RoleBits & kRoleBitTint) && (m_Camp < 0 || m_Camp > 99) && g_WorldHooks.addFloatingLine && m_pModelRow) {
        UpdateScreenRect();
        const CGamePoint p = ScreenPos();
        const char* name = m_pModelRow->GetString(0);
        if (name) g_WorldHooks.addFloatingLine(name, p.x, p.y - m_Height - 14);
    }
}
