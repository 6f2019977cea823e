#include "world/things/corpse.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/directories.h"
#include "core/txt_table.h"
#include "gfx/image.h"
#include "gfx/light_grid.h"
#include "gfx/pixel_format.h"
#include "gfx/rle_image.h"
#include "gfx/role_sprite.h"
#include "gfx/surface.h"
#include "platform/random.h"
#include "platform/text.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_desc.h"
#include "world/objects/obj_mng.h"
#include "world/scene/view_scratch.h"
#include "world/sky/weather.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/scene/world_sound.h"

namespace {

int LightingOn() { return g_WorldHooks.getDisplayOption && g_WorldHooks.getDisplayOption() != 0; }

// A table cell as text: an empty cell reads as " ", which names nothing.
const char* CellText(const CTxtRow* row, int col) {
    const char* s = row ? row->GetString(col) : nullptr;
    if (!s || std::strcmp(s, " ") == 0) return "";
    return s;
}

bool Meets(const CGameRect& a, const CGameRect& b) {
    const int32_t left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const int32_t right = std::min(a.x + a.width - 1, b.x + b.width - 1);
    const int32_t bottom = std::min(a.y + a.height - 1, b.y + b.height - 1);
    return left <= right && top <= bottom;
}

} // namespace

// ------------------------------------------------------------------ base

CCorpseBase::CCorpseBase() {
    Register(-1);
    m_Height = 0;
}

CCorpseBase::~CCorpseBase() {
    // Only while the grid is still the current one: a world being torn down
    // may already have let its grid go.
    if (m_State == kFalling && m_pGrid && m_pGrid == g_CurMapGrid) ReleaseCell();
}

CMapCell* CCorpseBase::OwnCell() const {
    if (!m_pGrid || !m_pDesc) return nullptr;
    return m_pGrid->GetCell(m_pDesc->m_X, m_pDesc->m_Y);
}

void CCorpseBase::ReleaseCell() {
    CMapCell* cell = OwnCell();
    if (cell && cell->m_Occupant == static_cast<uint16_t>(m_Handle)) cell->SetOccupant(kNoObj);
}

int32_t CCorpseBase::RoleInt(int col) const { return m_pRoleRow ? m_pRoleRow->GetInt(col) : kTxtEmptyInt; }

int CCorpseBase::Remove() {
    if (m_State == kFalling) ReleaseCell();
    return CAnimMapObj::Remove();
}

int CCorpseBase::PlaceAt(int, int x, int y, int dir, int modelId, int height) {
    m_pRoleRow = g_RoleMdlTable.GetRow(modelId);
    Init(new CObjDesc);
    SetPos(x, y);
    const CGamePoint cell = PixelToTile(CGamePoint{x, y});
    m_pDesc->m_X = cell.x;
    m_pDesc->m_Y = cell.y;
    m_Height = height;
    m_Dir = dir;
    return 1;
}

void CCorpseBase::SetState(int32_t s) {
    if (s == m_State) return;
    OnLeaveState(m_State);
    m_State = s;
    OnEnterState(s);
}

void CCorpseBase::OnEnterState(int32_t s) {
    if (s == kFalling) {
        if (CMapCell* cell = OwnCell(); cell && cell->m_Occupant == kNoObj)
            cell->SetOccupant(static_cast<uint16_t>(m_Handle));
        SetDrawLayer(5);
    } else if (s == kLying) {
        m_Height = 0;
        m_Countdown = 0;
        if (CAnimRes* anim = GetCurAnim())
            SwitchSequence(*anim, anim->m_CurSeq + (RoleInt(43) >= 3 ? 16 : 8));
        SetDrawLayer(0);
    } else if (s == kLingering) {
        m_Countdown = 0;
        RequestRedraw();
    }
}

void CCorpseBase::OnLeaveState(int32_t s) {
    if (s == kFalling) ReleaseCell();
}

int CCorpseBase::StepAnim() {
    if (m_State == kFalling && m_Countdown >= 1) return 1;  // holds the first death frame
    if (CAnimRes* anim = GetCurAnim())
        if (CAnimPlayer* p = anim->CurrentPlayer()) p->Step();
    return 1;
}

int CCorpseBase::Tick() {
    if (!StepAnim()) return 0;
    if (m_Height > 0) m_Height -= 4;
    const auto atEnd = [this] {
        CAnimRes* anim = GetCurAnim();
        CAnimPlayer* p = anim ? anim->CurrentPlayer() : nullptr;
        return p && p->IsAtEnd();
    };
    switch (m_State) {
    case kFalling:
        if (m_Countdown <= 0) {
            if (m_Effect.IsBound() && g_WorldSound.playEffectAt)
                g_WorldSound.playEffectAt(CCorpse::kFallSound, CGamePoint{m_X, m_Y}, 0);
            if (atEnd()) SetState(kLying);
        }
        --m_Countdown;
        break;
    case kLying: {
        const int32_t c = m_Countdown++;
        if (c > kLyingTicks && atEnd()) SetState(kLingering);
        break;
    }
    case kLingering: {
        const ViewRect* v = GetViewRect();
        if (Meets(m_ScreenRect, CGameRect{v->x, v->y, v->width, v->height})) {
            m_Countdown = 0;
        } else {
            const int32_t c = m_Countdown++;
            if (c > m_OffscreenLimit) {
                Remove();
                return 0;
            }
        }
        break;
    }
    default: break;
    }
    return 1;
}

// ---------------------------------------------------------------- corpse

CCorpse::CCorpse() {
    m_Kind = 25;
    m_OffscreenLimit = 100;
    if (g_CurObjMng && g_CurObjMng->AddToCorpsePool(this) != -1) m_pPool = g_CurObjMng;
}

CCorpse::~CCorpse() {
    DestroyRoleSprite(&m_pSprite);
    if (m_pPool) m_pPool->RemoveFromCorpsePool(this);
}

CAnimRes* CCorpse::GetCurAnim() { return GetRoleSpriteAnim(m_pSprite); }

int CCorpse::SetSprite(const char* variants) {
    if (!variants) variants = CellText(m_pRoleRow, 5);
    DestroyRoleSprite(&m_pSprite);
    m_pSprite = CreateRoleSprite(CellText(m_pRoleRow, 4), CellText(m_pRoleRow, 6), variants);
    if (CAnimRes* anim = GetCurAnim()) SwitchSequence(*anim, RoleInt(19) + m_Dir);
    return 1;
}

int CCorpse::Tick() {
    CCorpseBase::Tick();
    return 1;
}

int CCorpse::StepAnim() {
    if (m_State == kFalling && m_Countdown >= 1) return 1;
    if (CAnimPlayer* p = m_Effect.IsBound() ? m_Effect.CurrentPlayer() : nullptr) {
        p->Step();
        if (p->IsAtEnd()) m_Effect.Release();
    }
    return CCorpseBase::StepAnim();
}

void CCorpse::SetEffect(int n) {
    m_EffectNo = n;
    m_Effect.Release();
    const char* part = nullptr;
    switch (n) {
    case 1:
    case 4: part = "HD"; break;
    case 2: part = "CA"; break;
    case 6:
    case 7: part = "TK"; break;
    case 3: {
        CAnimRes* anim = GetCurAnim();
        CAnimPlayer* p = anim ? anim->CurrentPlayer() : nullptr;
        if (const CAnimFrame* f = p ? p->CurrentFrame() : nullptr) {
            m_EffectX = f->m_X;
            m_EffectY = f->m_Y;
        }
        return;
    }
    default: return;
    }
    CGameRect r;
    if (!GetRoleSpriteRect(m_pSprite, CGamePoint{0, 0}, &r, part)) return;
    switch (n) {
    case 1:
        m_Effect.Bind(RoleInt(26) > 48 ? kHeadEffectBig : kHeadEffectSmall);
        [[fallthrough]];
    case 4:
        m_EffectX = r.x + r.width / 2;
        m_EffectY = r.y;
        break;
    case 2:
        // Centred on the trunk like the head's effect, at its top.
        m_Effect.Bind(kTrunkEffect);
        m_EffectX = r.x + r.width / 2;
        m_EffectY = r.y;
        break;
    case 6:
        m_Effect.Bind(kLimbEffect);
        SwitchSequence(m_Effect, m_Dir);
        m_EffectX = r.x;
        m_EffectY = r.y - 5;
        break;
    case 7:
        m_Effect.Bind(kLimbEffect);
        SwitchSequence(m_Effect, (m_Dir + 4) & 7);
        m_EffectX = r.x + r.width;
        m_EffectY = r.y - 5;
        break;
    default: break;
    }
}

void CCorpse::UpdateScreenRect() {
    const CGamePoint a = g_IsoGrid.WorldToScreen(m_X, m_Y);
    m_ScreenX = a.x;
    m_ScreenY = a.y;
    if (!GetRoleSpriteFullRect(m_pSprite, a, &m_ScreenRect)) m_ScreenRect = CGameRect{a.x, a.y, 0, 0};
}

void CCorpse::DrawEffect(CSurface* surface, const CGameRect* clip, int lit) {
    CAnimPlayer* p = m_Effect.IsBound() ? m_Effect.CurrentPlayer() : nullptr;
    const CAnimFrame* f = p ? p->CurrentFrame() : nullptr;
    CImage* image = f ? f->GetImage() : nullptr;
    if (!image) return;
    const int32_t x = m_ScreenX + m_EffectX, y = m_ScreenY + m_EffectY;
    if (image->m_pAlpha) {
        f->Draw(surface, x, y, kDrawAlpha, -1, clip);
    } else if (lit && image->IsRle()) {
        CGameRect r;
        f->GetRect(x, y, &r);
        g_LightGrid.DrawAtLevel(surface, static_cast<CRleImage*>(image), r.x, r.y,
                                g_LightGrid.LevelAt(m_ScreenX, m_ScreenY), clip);
    } else {
        f->Draw(surface, x, y, kDrawCopy, -1, clip);
    }
}

int CCorpse::Draw(CSurface* surface) {
    UpdateScreenRect();
    const CGameRect view = ViewClipRect();
    const CGamePoint anchor{m_ScreenX, m_ScreenY};
    if (m_State == kFalling) {
        SetRoleSpriteOverlayDrawMode(m_pSprite, kDrawBlend, 8);
        DrawRoleSpriteOverlays(m_pSprite, surface, anchor.x, anchor.y, &view);
    }
    const int lit = LightingOn();
    if (!lit) {
        SetRoleSpriteDrawMode(m_pSprite, kDrawCopy, -1, 0);
        if (m_SizeStep)
            DrawScaled(surface, anchor);
        else
            DrawRoleSprite(m_pSprite, surface, anchor.x, anchor.y, &view);
    } else {
        if (!m_pSecondRow || !m_pSecondRow->HasValue(8)) {
            const int32_t level =
                g_Weather ? g_Weather->GetLightLevelAt(anchor.x, anchor.y, 1) : g_LightGrid.LevelAt(anchor.x, anchor.y);
            SetRoleSpriteDrawMode(m_pSprite, kDrawTable, level, 0);
        } else {
            SetRoleSpriteColorEffect(m_pSprite, m_pSecondRow->GetInt(8), nullptr);
        }
        if (m_SizeStep)
            DrawScaled(surface, anchor);
        else
            DrawRoleSprite(m_pSprite, surface, anchor.x, anchor.y - m_Height, &view);
    }
    DrawEffect(surface, &view, lit);
    return 1;
}

void CCorpse::DrawScaled(CSurface* surface, const CGamePoint& anchor) {
    CGameRect full;
    if (!surface || !surface->m_pSurface || !GetRoleSpriteFullRect(m_pSprite, anchor, &full)) return;
    CGameRect grown = full;
    InflateRectPercent(grown, m_SizeStep, 0);
    if (grown.width <= 0 || grown.height <= 0) return;
    const int32_t dx0 = std::max(grown.x, 0), dy0 = std::max(grown.y, 0);
    const int32_t dx1 = std::min(grown.x + grown.width, surface->m_Width);
    const int32_t dy1 = std::min(grown.y + grown.height, surface->m_Height);
    if (dx0 >= dx1 || dy0 >= dy1) return;
    // The picture at its natural size goes to the scratch surface's top-left
    // corner.
    std::unique_ptr<CSurface> own;
    CSurface* scratch = TakeViewScratch(full.width, full.height, own);
    if (!scratch) return;
    const CGameRect area{0, 0, full.width, full.height};
    DrawRoleSprite(m_pSprite, scratch, anchor.x - full.x, anchor.y - full.y, &area);
    const plat::Rect natural{0, 0, full.width, full.height};
    const uint32_t keyed = plat::DDBLT_KEYSRC | plat::DDBLT_WAIT;

    const plat::Rect whole{grown.x, grown.y, grown.x + grown.width, grown.y + grown.height};
    if (dx0 == whole.left && dy0 == whole.top && dx1 == whole.right && dy1 == whole.bottom) {
        surface->m_pSurface->Blt(&whole, scratch->m_pSurface, &natural, keyed, nullptr);
        return;
    }
    // Cut by the destination's edge: stretched whole first, so every pixel
    // samples the picture exactly as it would unclipped, then the visible
    // part copied.
    CSurface stretched(grown.width, grown.height, 1);
    if (!stretched.m_pSurface) return;
    stretched.SetColorKey(g_PixelFormat.ColorKey());
    const plat::Rect all{0, 0, grown.width, grown.height};
    stretched.m_pSurface->Blt(&all, scratch->m_pSurface, &natural, plat::DDBLT_WAIT, nullptr);
    const plat::Rect src{dx0 - grown.x, dy0 - grown.y, dx1 - grown.x, dy1 - grown.y};
    const plat::Rect dst{dx0, dy0, dx1, dy1};
    surface->m_pSurface->Blt(&dst, stretched.m_pSurface, &src, keyed, nullptr);
}

int CCorpse::DrawClipped(CSurface* surface, const CGameRect& clip) {
    UpdateScreenRect();
    if (!Meets(m_ScreenRect, clip)) return 0;
    if (m_State == kFalling) {
        SetRoleSpriteOverlayDrawMode(m_pSprite, kDrawBlend, 8);
        DrawRoleSpriteOverlays(m_pSprite, surface, m_ScreenX, m_ScreenY, &clip);
    }
    SetRoleSpriteDrawMode(m_pSprite, kDrawCopy, -1, 0);
    DrawRoleSprite(m_pSprite, surface, m_ScreenX, m_ScreenY, &clip);
    DrawEffect(surface, &clip, 0);
    return 1;
}

int CCorpse::DrawOnSurface(CSurface* surface) {
    UpdateScreenRect();
    CAnimRes* anim = GetCurAnim();
    CAnimPlayer* p = anim ? anim->CurrentPlayer() : nullptr;
    const CAnimFrame* f = p ? p->CurrentFrame() : nullptr;
    const CImage* image = f ? f->GetImage() : nullptr;
    if (image && image->m_pAlpha) return 0;
    const CGameRect view = ViewClipRect();
    if (!LightingOn()) {
        SetRoleSpriteDrawMode(m_pSprite, kDrawCopy, -1, 0);
        DrawRoleSprite(m_pSprite, surface, m_ScreenX, m_ScreenY, &view);
        return 1;
    }
    g_DrawAlphaSpriteParts = 0;
    SetRoleSpriteDrawMode(m_pSprite, kDrawTable, g_LightGrid.LevelAt(m_ScreenX, m_ScreenY), 0);
    DrawRoleSprite(m_pSprite, surface, m_ScreenX, m_ScreenY - m_Height, &view);
    g_DrawAlphaSpriteParts = 1;
    return 1;
}

// ------------------------------------------------------------ body part

CCorpsePart::CCorpsePart() {
    m_Speed = 2 + plat::Rand() % 2;
    m_Kind = 26;
    m_OffscreenLimit = 100;
}

CCorpsePart::~CCorpsePart() = default;

int CCorpsePart::Tick() {
    if (m_State == kFalling && m_Countdown <= 0 && m_Countdown > -kFlightTicks) {
        CGamePoint p{m_X, m_Y};
        MoveDir8(p, m_FlightDir, -m_Speed);
        m_X = p.x;
        m_Y = p.y;
    }
    return CCorpseBase::Tick();
}

void CCorpsePart::OnEnterState(int32_t s) {
    if (s == kFalling) {
        // A part takes no cell and plays faster.
        SetDrawLayer(1);
        if (CAnimRes* anim = GetCurAnim()) anim->SetDelayOffset(-5);
        m_FlightDir = m_Dir;
    } else {
        CCorpseBase::OnEnterState(s);
    }
    if (s != kLying || m_EffectNo == -1) return;
    CGameRect r;
    if (!GetRoleSpriteRect(m_pSprite, CGamePoint{0, 0}, &r, m_PartName.c_str())) return;
    // The part's screen offset turned back into a world offset.
    const int32_t cx = r.x + r.width / 2, cy = r.y + r.height / 2;
    if (g_CurObjMng) g_CurObjMng->AddAnimObj(kFlingMarkAnim, -1, m_X + 2 * cy + cx, m_Y + 2 * cy - cx);
}

void CCorpsePart::SetPart(const char* name) {
    m_PartName = name ? name : "";
    const char* n = m_PartName.c_str();
    if (plat::EqualsNoCase(n, "HD")) {
        SetEffect(1);
        m_Speed = 8 + plat::Rand() % 2;
    } else if (plat::EqualsNoCase(n, "LA")) {
        SetEffect(6);
        m_Speed = 4 + plat::Rand() % 4;
        m_FlightDir = (m_FlightDir - 1) & 7;
    } else if (plat::EqualsNoCase(n, "RA")) {
        SetEffect(7);
        m_Speed = 4 + plat::Rand() % 4;
        m_FlightDir = (m_FlightDir + 1) & 7;
    } else if (plat::EqualsNoCase(n, "TK")) {
        SetEffect(2);
        m_Speed = 5 + plat::Rand() % 2;
    } else {
        m_Speed = 3 + plat::Rand() % 2;
        m_FlightDir = m_Dir;
    }
}
