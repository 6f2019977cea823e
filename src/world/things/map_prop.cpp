#include "world/things/map_prop.h"

#include <cmath>
#include <cstdio>

#include "core/txt_table.h"
#include "gfx/image.h"
#include "gfx/light_grid.h"
#include "gfx/rle_image.h"
#include "platform/random.h"
#include "world/map/grid_search.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_desc.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/scene/world_sound.h"

int32_t g_PropFlightTicks = (28 / 3) * 2;
int32_t g_PropRiseTicks = ((28 / 3) * 2) / 2;

namespace {


} // namespace

void SetMapPropCount(CGameObj* prop, int32_t count) {
    if (prop && prop->m_Kind == 23) static_cast<CMapProp*>(prop)->m_Count = count;
}

CMapProp::CMapProp() { m_Kind = 23; }

CMapProp::~CMapProp() = default;

int CMapProp::Init(CObjDesc* desc) {
    CMapObj::Init(desc);
    if (!desc) return 0;
    const CGamePoint c0{desc->m_X, desc->m_Y};
    CGamePoint c = c0;
    if (!FindFreeCellNear(&c, 10)) return 0;
    m_Height = 0;
    SetTilePos(c.x, c.y);
    PlaceOnCell();
    m_Flight = c == c0 ? g_PropFlightTicks : 0;
    m_ExactX = static_cast<float>(m_X);
    m_ExactY = static_cast<float>(m_Y);
    const CGamePoint dest = TileToPixel(c);
    const double dx = dest.x - m_X, dy = dest.y - m_Y;
    if (static_cast<int32_t>(std::sqrt(dx * dx + dy * dy)) < 1) {
        m_StepX = m_StepY = 0.0f;
    } else {
        m_StepX = static_cast<float>(dest.x - m_X) / static_cast<float>(g_PropFlightTicks);
        m_StepY = static_cast<float>(dest.y - m_Y) / static_cast<float>(g_PropFlightTicks);
    }
    m_VSpeed = 18;
    return 1;
}

int CMapProp::InitModel(const void* model) {
    m_pRow = static_cast<const CTxtRow*>(model);
    m_PictureRes.Bind(kPictureAnim);
    const int32_t seq = m_pRow ? m_pRow->GetInt(3) : 0;
    m_pPicture = m_PictureRes.Player(seq >= 0 && seq < m_PictureRes.m_SeqCount ? seq : 0);
    SetDrawLayer(1);
    m_Sparkle.Bind(kSparkleAnim);
    // A sequence without frames has no frame to start on.
    if (CAnimPlayer* p = m_Sparkle.CurrentPlayer(); p && p->m_FrameCount > 0)
        p->m_CurFrame = plat::Rand() % p->m_FrameCount;
    if (g_CurScene) g_CurScene->TrackObjectAll(m_Handle, 1);
    return 1;
}

void CMapProp::PlaceOnCell() {
    if (!g_CurMapGrid || !m_pDesc) return;
    if (CMapCell* cell = g_CurMapGrid->GetCell(m_pDesc->m_X, m_pDesc->m_Y))
        cell->m_GroundObj = static_cast<uint16_t>(m_Handle);
}

void CMapProp::SetPropInfo(const char* text, int32_t a, int32_t b) {
    m_Text = text ? text : "";
    m_ValueA = a;
    m_ValueB = b;
}

void CMapProp::SetHover(uint32_t on) {
    m_Hover = on;
    if (!on || !g_WorldHooks.addFloatingLine) return;
    std::string label = m_pRow ? m_pRow->GetString(0) : "";
    if (m_Count > 1) {
        const char* what = g_TextTable.GetCell(3, 1);
        char line[256];
        std::snprintf(line, sizeof line, "%s:%d", what ? what : "", m_Count);
        label += "\n";
        label += line;
    }
    g_WorldHooks.addFloatingLine(label.c_str(), m_ScreenX, m_ScreenY - 35);
}

int CMapProp::Remove() {
    // Its own world's map, whichever is current. Only its own mark: another
    // item may lie here meanwhile.
    if (m_pGrid && m_pDesc) {
        CMapCell* cell = m_pGrid->GetCell(m_pDesc->m_X, m_pDesc->m_Y);
        if (cell && cell->m_GroundObj == static_cast<uint16_t>(m_Handle)) cell->m_GroundObj = kNoObj;
    }
    if (g_CurScene) g_CurScene->TrackObjectAll(m_Handle, 0);
    return CGameObj::Remove();
}

int CMapProp::StepAnim() {
    if (CAnimPlayer* p = m_Sparkle.CurrentPlayer()) p->StepLoop();
    return 1;
}

int CMapProp::Tick() {
    if (!RunAnimStep(*this)) return 0;
    const int32_t c = ++m_Flight;
    if (c >= g_PropFlightTicks) {
        if (m_pPicture && m_pPicture->m_FrameCount > 0 && !m_pPicture->IsAtEnd())
            m_pPicture->m_CurFrame = m_pPicture->m_FrameCount - 1;
        return 1;
    }
    if (c < g_PropRiseTicks) {
        m_Height += m_VSpeed;
        --m_VSpeed;
    } else if (m_Height > 0) {
        m_Height -= m_VSpeed;
        ++m_VSpeed;
        if (m_Height < 0) m_Height = 0;
    }
    m_ExactX += m_StepX;
    m_ExactY += m_StepY;
    SetPos(static_cast<int32_t>(m_ExactX), static_cast<int32_t>(m_ExactY));
    if (m_pPicture) {
        m_pPicture->StepLoop();
        if (m_pPicture->IsNearEnd()) m_pPicture->Start(false);
    }
    if (c == g_PropFlightTicks - 1 && m_pRow) {
        const int landing = m_pRow->GetInt(4);
        if (landing != kTxtEmptyInt) g_WorldSound.playEffectAt(landing, CGamePoint{m_X, m_Y}, 0);
    }
    if (c == 1) g_WorldSound.playEffectAt(kDropSound, CGamePoint{m_X, m_Y}, 0);
    return 1;
}

void CMapProp::UpdateScreenRect() {
    CGamePoint a = g_IsoGrid.WorldToScreen(m_X, m_Y);
    a.y -= m_Height;
    m_ScreenX = a.x;
    m_ScreenY = a.y;
    CAnimFrame* f = m_pPicture ? m_pPicture->CurrentFrame() : nullptr;
    if (f)
        f->GetRect(a.x, a.y, &m_ScreenRect);
    else
        m_ScreenRect = CGameRect{a.x, a.y, 0, 0};
}

int CMapProp::Draw(CSurface* surface) {
    const CGameRect view = ViewClipRect();
    CAnimFrame* f = m_pPicture ? m_pPicture->CurrentFrame() : nullptr;
    if (CImage* image = f ? f->GetImage() : nullptr) {
        const int32_t x = m_ScreenRect.x, y = m_ScreenRect.y;
        if (WorldDisplayOption() == 0 || (!image->m_pAlpha && !image->IsRle())) {
            image->Draw(surface, x, y, kDrawCopy, -1, &view);
        } else if (image->m_pAlpha) {
            image->Draw(surface, x, y, kDrawAlpha, -1, &view);
        } else {
            // Highlighted under the mouse, else the light of the ground under it.
            const int32_t level = m_Hover ? 34 : g_LightGrid.LevelAt(m_ScreenX, m_ScreenY + m_Height);
            g_LightGrid.DrawAtLevel(surface, static_cast<CRleImage*>(image), x, y, level, &view);
        }
    }
    if (CAnimPlayer* s = m_Sparkle.CurrentPlayer()) s->Draw(surface, m_ScreenX, m_ScreenY, kDrawCopy, -1, &view);
    return 1;
}

// ------------------------------------------------------------ the factory

CGameObj* MakeMapProp(CObjDesc* desc, int32_t id, const void** model) {
    const CTxtRow* row = g_PropMdlTable.GetRow(desc->m_ModelId);
    if (!row) return nullptr;
    auto* prop = new CMapProp;
    *model = row;
    prop->Register(id);
    return prop;
}

void PlacePropMarks(CObjList& props) {
    for (CObjNode* n = props.Head(); n; n = n->Next()) {
        auto* obj = static_cast<CGameObj*>(n);
        if (obj->m_Kind == 23 && !obj->m_Removed) static_cast<CMapProp*>(obj)->PlaceOnCell();
    }
}
