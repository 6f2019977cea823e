#include "roles/magic/anim/clone_magic.h"

#include <cmath>
#include <cstdlib>

#include "gfx/role_sprite.h"
#include "platform/random.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "world/map/iso_grid.h"
#include "world/map/line_walk.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"
#include "world/sky/game_clock.h"
#include "world/things/anim_map_obj.h"

namespace {
constexpr int32_t kMaxClones = 64;
} // namespace

int32_t CSummonMagic::SpreadIndex() const {
    const int32_t half = m_Index / 2;
    return (m_Index & 1) ? -half : half;
}

int CSummonMagic::Init(CMagic* parent, int32_t mode, int32_t index, int32_t spare) {
    CRole* owner = parent ? parent->GetOwnerRole() : nullptr;
    if (!owner) return 0;
    m_Mode = mode;
    m_Index = index;
    m_Spare = spare;
    SetDrawLayer(1);
    m_pSprite = owner->m_pSprite;
    SetPos(owner->m_X, owner->m_Y);
    m_Sequence = owner->GetCurrentAnimIndex();
    m_Direction = owner->m_Facing;
    m_Height = owner->m_Height;
    for (int i = 0; i < 4; ++i) m_CastData[i] = parent->m_CastData[i];
    m_TargetHandle = parent->m_TargetHandle;
    m_OwnerHandle = parent->m_OwnerHandle;
    m_ParentHandle = parent->m_Handle;
    m_TargetX = parent->m_TargetX;
    m_TargetY = parent->m_TargetY;
    SetSkill(parent->GetSkill());
    m_DrawLevel = kFullLevel;
    CTrailAnim* anim = GetRoleSpriteAnim(m_pSprite);
    switch (mode) {
    case 1:
    case 4:
        m_Steps = std::abs(SpreadIndex()) * 64 / 4;
        m_OwnerX = owner->m_X;
        m_OwnerY = owner->m_Y;
        break;
    case 3:
        if (anim && owner->m_Facing + 64 < anim->m_SeqCount) m_Sequence = owner->m_Facing + 64;
        m_Radius = 8.0f;
        m_Steps = m_CastData[3] * 64 / 6 - 24;
        if (m_Steps < 1) m_Steps = 1;
        m_Angle = Dir8ToAngle(owner->GetFacing8()) + 1.5707963f;
        AddDirAngle(index, &m_Angle);
        break;
    case 5:
        m_Angle = Dir8ToAngle(index) + 1.5707963f;
        m_Radius = 64.0f;
        SetPos(owner->m_X + static_cast<int32_t>(std::sin(m_Angle + kAnimPi) * 64.0f),
               owner->m_Y + static_cast<int32_t>(std::cos(m_Angle + kAnimPi) * 64.0f));
        m_DrawLevel = 1;
        break;
    case 6: m_DrawLevel = 10; break;
    default: break;
    }
    return 1;
}

int CSummonMagic::Remove() {
    m_Fading = 1;
    return 1;
}

void CSummonMagic::Spread(const CRole* owner) {
    if (m_Steps <= 0) return;
    const int32_t d = ((owner->GetFacing8() + (m_Index >= 1 ? 2 : -2)) % 8 + 8) % 8;
    CGamePoint p{m_X, m_Y};
    MoveDir8(p, d, 1);
    SetPos(p.x, p.y);
    --m_Steps;
}

void CSummonMagic::PlaceOnCircle(const CGameObj* owner) {
    SetPos(owner->m_X + static_cast<int32_t>(std::sin(m_Angle + kAnimPi) * m_Radius),
           owner->m_Y + static_cast<int32_t>(std::cos(m_Angle + kAnimPi) * m_Radius));
}

int CSummonMagic::Tick() {
    if (m_Removed) return 0;
    const int32_t tick = GetGameTickCount();
    if (m_Fading) {
        if (tick % 3 == 1) --m_DrawLevel;
        if (m_DrawLevel < 1) {
            CGameObj::Remove();
            return 0;
        }
    }
    CRole* owner = GetOwnerRole();
    if (!owner) {
        Remove();
        return 1;
    }
    m_Height = owner->m_Height;
    switch (m_Mode) {
    case 4:
        if (m_Steps > 0) Spread(owner);
        else Remove();
        break;
    case 1: {
        Spread(owner);
        const int32_t dx = owner->m_X - m_OwnerX, dy = owner->m_Y - m_OwnerY;
        if (dx || dy) {
            m_Moves.push_back({dx, dy});
            m_OwnerX = owner->m_X;
            m_OwnerY = owner->m_Y;
        }
        if (static_cast<int32_t>(m_Moves.size()) > 2 * std::abs(SpreadIndex())) {
            const Move m = m_Moves.front();
            m_Moves.pop_front();
            m_LastDx = m.dx;
            m_LastDy = m.dy;
            SetPos(m_X + m.dx, m_Y + m.dy);
        }
        if (!owner->m_pBoundMagic) Remove();
        break;
    }
    case 5:
        if (tick % 3 == 0 && m_DrawLevel < kFullLevel) ++m_DrawLevel;
        if (m_Radius > 0.0f) m_Radius -= 2.0f;
        // The 4-pixel test can miss a radius that has already shrunk away.
        if (m_Radius <= 4.0f) {
            Remove();
            break;
        }
        m_Angle += kAnimPi * 8.0f / m_Radius;
        PlaceOnCircle(owner);
        if (std::abs(m_X - owner->m_X) <= 4 && std::abs(m_Y - owner->m_Y) <= 4) Remove();
        break;
    case 6:
        if (tick & 1) --m_DrawLevel;
        if (m_DrawLevel < 1) Remove();
        break;
    case 3:
        if (--m_Steps <= 0 || !owner->m_pBoundMagic) {
            Remove();
            break;
        }
        m_Radius += static_cast<float>(m_CastData[3]) * 0.5f;
        PlaceOnCircle(owner);
        break;
    default: break;
    }
    return 1;
}

void CSummonMagic::UpdateScreenRect() {
    CGamePoint a = g_IsoGrid.WorldToScreen(m_X, m_Y);
    a.y -= m_Height;
    m_ScreenX = a.x;
    m_ScreenY = a.y;
    if (!m_pSprite || !GetOwnerRole() || !GetRoleSpriteRect(m_pSprite, a, &m_ScreenRect))
        m_ScreenRect = CGameRect{a.x, a.y, 0, 0};
}

int CSummonMagic::Draw(CSurface* surface) {
    CRole* owner = GetOwnerRole();
    if (!owner || m_Removed || !m_pSprite || owner->m_pSprite != m_pSprite) return 0;
    UpdateScreenRect();
    CTrailAnim* anim = GetRoleSpriteAnim(m_pSprite);
    const int32_t saved = anim ? anim->m_CurSeq : 0;
    if (anim && m_Sequence >= 0 && m_Sequence < anim->m_SeqCount) anim->m_CurSeq = m_Sequence;
    SetRoleSpriteDrawMode(m_pSprite, kDrawBlend, m_DrawLevel, 1);
    const CGameRect view = ViewClipRect();
    DrawRoleSprite(m_pSprite, surface, m_ScreenX, m_ScreenY, &view);
    if (m_Mode == 3) {
        if (CTrailAnim* rh = GetRoleSpritePartAnim(m_pSprite, "RH")) {
            if (CAnimPlayer* p = rh->CurrentPlayer()) {
                const CAnimFrame* f = p->FrameAt(RandMod(p->m_FrameCount));
                CImage* image = f ? f->GetImage() : nullptr;
                if (f) f->Draw(surface, m_ScreenX, m_ScreenY, image && image->m_pAlpha ? kDrawAlphaFaded : kDrawBlend,
                               m_DrawLevel, &view);
            }
        }
    }
    // The owner sets its own mode again when it draws.
    if (anim) anim->m_CurSeq = saved;
    return 1;
}

void SummonClones(CMagic* parent, int32_t mode, int32_t first, int32_t n) {
    if (!parent || !g_CurObjMng) return;
    // A count from data is held to a sensible number of clones.
    n = std::min(n, kMaxClones);
    for (int32_t i = 0; i < n; ++i) {
        auto* c = new CSummonMagic;
        if (!c->Init(parent, mode, first + i, 0)) {
            delete c;
            return;
        }
        g_CurObjMng->Register(c->m_Handle);
    }
}
