// Drawing a role: its composed sprite raised by its height, faded through
// an off-screen surface, the halo of state 43, and its effect overlays.
#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "core/txt_table.h"
#include "gfx/anim.h"
#include "gfx/image.h"
#include "gfx/light_grid.h"
#include "gfx/pixel_format.h"
#include "gfx/role_sprite.h"
#include "gfx/surface.h"
#include "gfx/trail.h"
#include "roles/magic/magic.h"
#include "roles/tables/skill_table.h"
#include "roles/role.h"
#include "roles/swarm/point_swarm.h"
#include "world/map/iso_grid.h"
#include "world/scene/view_scratch.h"
#include "world/scene/world_hooks.h"
#include "world/sky/weather.h"
#include "world/things/anim_map_obj.h"

namespace {

constexpr int32_t kTintTable = 34;

CGameRect Intersect(const CGameRect& a, const CGameRect& b) {
    const int32_t x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int32_t x1 = std::min(a.x + a.width, b.x + b.width), y1 = std::min(a.y + a.height, b.y + b.height);
    return x1 > x0 && y1 > y0 ? CGameRect{x0, y0, x1 - x0, y1 - y0} : CGameRect{x0, y0, 0, 0};
}

} // namespace

CGamePoint CRole::ScreenPos() const {
    CGamePoint p = g_IsoGrid.WorldToScreen(m_X, m_Y);
    p.x += m_DrawOffsetX;
    return p;
}

void CRole::UpdateScreenRect() {
    const CGamePoint a = ScreenPos();
    m_ScreenX = a.x;
    m_ScreenY = a.y;
    if (!m_pSprite || !GetRoleSpriteFullRect(m_pSprite, {a.x, a.y + m_DrawOffsetY - m_Height}, &m_ScreenRect))
        m_ScreenRect = CGameRect{a.x, a.y, 0, 0};
}

int CRole::Draw(int) { return 1; }

void CRole::DrawFaded(CSurface* surface, int32_t x, int32_t y, int32_t mode, int32_t level) {
    CGameRect full;
    if (!surface || !surface->m_pSurface || !m_pSprite || !GetRoleSpriteFullRect(m_pSprite, {x, y}, &full)) return;
    if (full.width <= 0 || full.height <= 0) return;
    std::unique_ptr<CSurface> own;
    CSurface* scratch = TakeViewScratch(full.width, full.height, own);
    if (!scratch) return;
    const CGameRect area{0, 0, full.width, full.height};
    SetRoleSpriteDrawMode(m_pSprite, mode, level, 0);
    DrawRoleSprite(m_pSprite, scratch, x - full.x, y - full.y, &area);
    // Inset by the fade level, then cut by the view and the target.
    const int32_t f = m_FadeLevel;
    CGameRect r{full.x + f, full.y + f, full.width - 2 * f, full.height - 2 * f};
    if (r.width <= 0 || r.height <= 0) return;
    r = Intersect(r, ViewClipRect());
    r = Intersect(r, CGameRect{0, 0, surface->m_Width, surface->m_Height});
    if (r.width <= 0 || r.height <= 0) return;
    const plat::Rect dst{r.x, r.y, r.x + r.width, r.y + r.height};
    const plat::Rect src{r.x - full.x, r.y - full.y, r.x - full.x + r.width, r.y - full.y + r.height};
    surface->m_pSurface->Blt(&dst, scratch->m_pSurface, &src, plat::DDBLT_KEYSRC | plat::DDBLT_WAIT, nullptr);
}

void CRole::DrawOverlay(int i, CSurface* surface, int32_t x, int32_t y, const CGameRect& clip) {
    CAnimPlayer* p = m_pOverlays[i] ? m_pOverlays[i]->CurrentPlayer() : nullptr;
    const CAnimFrame* f = p ? p->CurrentFrame() : nullptr;
    if (!f) return;
    const CImage* image = f->GetImage();
    p->Draw(surface, x, y, image && image->m_pAlpha ? kDrawAlpha : kDrawCopy, -1, &clip);
}

void CRole::DrawParts(CSurface* surface, int32_t x, int32_t y, const CGameRect& clip) {
    if (!WorldDisplayOption()) {
        SetRoleSpriteColorEffect(m_pSprite, 0);
        if (m_FadeLevel)
            DrawFaded(surface, x, y, kDrawCopy, -1);
        else
            DrawRoleSprite(m_pSprite, surface, x, y, &clip);
        return;
    }
    // The lit display: the class's colour effect, the tint of bit 0x100, or
    // the light level under the role.
    const CGamePoint at = ScreenPos();
    const int32_t level = g_Weather ? g_Weather->GetLightLevelAt(at.x, at.y, 1) : g_LightGrid.LevelAt(at.x, at.y);
    const int32_t cls = GetModelClass();
    if (cls > 0 && cls != 9 && cls != 50 && cls != kTxtEmptyInt)
        SetRoleSpriteColorEffect(m_pSprite, cls);
    else if (m_RoleBits & kRoleBitTint)
        SetRoleSpriteDrawMode(m_pSprite, kDrawTable, kTintTable, 1);
    else
        SetRoleSpriteDrawMode(m_pSprite, kDrawTable, level, 0);
    if (m_FadeLevel)
        DrawFaded(surface, x, y, kDrawTable, level);
    else
        DrawRoleSprite(m_pSprite, surface, x, y, &clip);
    if (HasState(kStateHalo)) {
        SetRoleSpriteDrawMode(m_pSprite, kDrawBlend, 8, 1);
        for (const CGamePoint d : {CGamePoint{3, 3}, CGamePoint{3, -3}, CGamePoint{-3, 3}, CGamePoint{-3, -3}})
            DrawRoleSprite(m_pSprite, surface, x + d.x, y + d.y, &clip);
    } else if (m_RoleBits & kRoleBitSwing) {
        DrawSwingAfterimages(surface, x, y, clip);
    }
}

// Ghosts of the right hand's frame behind a swing: one at 32 pixels along
// the facing, three at 64 (facing and two sectors either side) for a reach
// above 127, five at 96 (also three sectors either side) above 191.
void CRole::DrawSwingAfterimages(CSurface* surface, int32_t x, int32_t y, const CGameRect& clip) {
    CMagic* cast = AsMagic(m_pBoundMagic);
    CTrailAnim* hand = m_pSprite ? GetRoleSpritePartAnim(m_pSprite, "RH") : nullptr;
    // A part follows the main part's sequence and frame.
    CTrailAnim* main = GetRoleSpriteAnim(m_pSprite);
    CAnimPlayer* mainPlayer = main ? main->CurrentPlayer() : nullptr;
    CAnimPlayer* player = hand && mainPlayer ? hand->Player(main->m_CurSeq) : nullptr;
    const CAnimFrame* frame = player ? player->FrameAt(mainPlayer->m_CurFrame) : nullptr;
    if (!cast || !frame) return;
    const CImage* picture = frame->GetImage();
    const int32_t mode = picture && picture->m_pAlpha ? kDrawAlphaFaded : kDrawBlend;
    const int32_t range = cast->GetSkill() ? GetSkillRange(cast->GetSkill()->id) : 0;
    struct Ghosts {
        int32_t step, level, minRange;
        std::vector<int32_t> turns;
    };
    const Ghosts groups[] = {{32, 8, INT32_MIN, {0}}, {64, 4, 128, {0, 2, -2}}, {96, 2, 192, {0, 2, -2, 3, -3}}};
    const int32_t facing = GetFacing8();
    for (const Ghosts& g : groups) {
        if (range < g.minRange) break;
        for (int32_t turn : g.turns) {
            CGamePoint d{0, 0};
            MoveDir8(d, ((facing + turn) % 8 + 8) % 8, g.step);
            const CGamePoint off = CIsoGrid::WorldToScreenDelta(d.x, d.y);
            frame->Draw(surface, x - off.x, y - off.y, mode, g.level, &clip);
        }
    }
}

void CRole::DrawSwarm(CSurface* surface, int32_t x, int32_t y, const CGameRect& clip) {
    CGameRect full;
    if (!m_pSwarm || !m_pSprite || !GetRoleSpriteFullRect(m_pSprite, {x, y}, &full)) return;
    if (full.width <= 0 || full.height <= 0) return;
    // The pieces are cut from the sprite as it stands now.
    CSurface picture(full.width, full.height, 1);
    if (!picture.m_pSurface) return;
    const uint16_t key = g_PixelFormat.ColorKey();
    picture.SetColorKey(key);
    picture.FillRect(key, 0, 0, full.width, full.height);
    const CGameRect area{0, 0, full.width, full.height};
    DrawRoleSprite(m_pSprite, &picture, x - full.x, y - full.y, &area);
    m_pSwarm->m_ScreenOrigin = {full.x, full.y};
    m_pSwarm->Draw(&picture, surface, clip, -1);
}

int CRole::DrawTo(CSurface* surface, const CGameRect* clipIn) {
    if (!surface) return 0;
    if (LevelHas(8) && LevelInt(8) == 50) return 0;
    TrackTargetHead();
    if (m_RoleBits & kRoleBitHidden) return 0;
    const CGameRect clip = clipIn ? *clipIn : ViewClipRect();
    UpdateScreenRect();
    const CGamePoint at = ScreenPos();
    if (GetModelClass() == 50) {
        if (m_pSprite && HasRoleSpriteTrail(m_pSprite)) DrawRoleSpriteTrail(m_pSprite, surface, at.x, at.y, &clip);
        return 1;
    }
    if (!m_pSprite) return 0;
    // The ground layer (the overlay parts) at the foot.
    SetRoleSpriteOverlayDrawMode(m_pSprite, kDrawCopy, -1);
    DrawRoleSpriteOverlays(m_pSprite, surface, at.x, at.y, &clip);
    if (m_RoleBits & kRoleBitSelected) {
        CGameObj* own = g_WorldHooks.getSelectedRole ? g_WorldHooks.getSelectedRole() : nullptr;
        if (own != this) m_RoleBits &= ~kRoleBitSelected;
    }
    DrawOverlay(2, surface, at.x, at.y, clip);
    if (HasRoleSpriteTrail(m_pSprite)) DrawRoleSpriteTrail(m_pSprite, surface, at.x, at.y, &clip);
    DrawParts(surface, at.x, at.y + m_DrawOffsetY - m_Height, clip);
    if (m_SwarmFlag && m_FadeLevel == 0) DrawSwarm(surface, at.x, at.y + m_DrawOffsetY - m_Height, clip);
    if (!m_Dead) {
        DrawOverlay(0, surface, at.x, at.y, clip);
        DrawOverlay(1, surface, at.x, at.y, clip);
    }
    return 1;
}

int CRole::DrawOnSurface(CSurface* surface) {
    if (!surface || !m_pSprite) return 0;
    if (LevelHas(8) && (LevelInt(8) == 50 || LevelInt(8) != 9)) return 0;
    if ((m_RoleBits & kRoleBitHidden) || m_SwarmFlag) return 0;
    s_DrawingElsewhere = 0;
    SetRoleSpriteColorEffect(m_pSprite, 0);
    const CGamePoint at = ScreenPos();
    const int32_t y = at.y + m_DrawOffsetY - m_Height;
    if (m_FadeLevel)
        DrawFaded(surface, at.x, y, kDrawCopy, -1);
    else
        DrawRoleSprite(m_pSprite, surface, at.x, y, nullptr);
    s_DrawingElsewhere = 1;
    return 1;
}
