#include "world/buildings/bld.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/directories.h"
#include "core/txt_table.h"
#include "gfx/drawable.h"
#include "gfx/image.h"
#include "gfx/light_grid.h"
#include "gfx/rle_image.h"
#include "platform/text.h"
#include "sound/sound_play.h"
#include "world/buildings/bld_mdl.h"
#include "world/map/grid_search.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_desc.h"
#include "world/sky/obj_light.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace {

// Offsets and cells from the files are any i32: positions worked out from
// them are kept within +-2^28, beyond every map and screen, so no sum or
// rectangle overflows.
constexpr int64_t kFar = int64_t(1) << 28;
int32_t Far(int64_t v) { return static_cast<int32_t>(std::clamp(v, -kFar, kFar)); }

bool LightingOn() { return g_WorldHooks.isLightingOn && g_WorldHooks.isLightingOn(); }

CGameRect ViewClip() {
    const ViewRect* v = GetViewRect();
    return {v->x, v->y, v->width, v->height};
}

bool Meets(const CGameRect& a, const CGameRect* b) {
    if (!b) return true;
    return a.x < b->x + b->width && b->x < a.x + a.width && a.y < b->y + b->height && b->y < a.y + a.height;
}

bool IsAdditive(CImage* img) { return img && img->m_pAlpha; }

CAnimPlayer* PlayerOf(CDrawable* d) {
    auto* a = dynamic_cast<CAnimDrawable*>(d);
    return a ? a->CurrentPlayer() : nullptr;
}

// The square spiral around a cell: the centre, then legs of +y, +x, -y, -x
// growing by one every second leg, covering the (2r + 1)^2 square.
template <class F>
bool WalkSpiral(int32_t cx, int32_t cy, int32_t r, F f) {
    CSpiralIter it;
    it.Init(cx, cy, r);
    for (CGamePoint p; it.Next(&p);)
        if (f(p.x, p.y)) return true;
    return false;
}

} // namespace

CGamePoint TileToCell(int32_t x, int32_t y) {
    const int32_t half = GetCoordHalfWidth(), o = 0;
    // Floor division: the column then stays 32 (x - y) pixels across, as
    // the iso grid has it, also where the numerator goes negative (toward
    // zero would push every second row there one column right).
    const int32_t n = half - y + o + x;
    return {n >= 0 ? n / 2 : -((1 - n) / 2), half - o + x + y + 1};
}

// ---------------------------------------------------------------- CBld

CBld::CBld() = default;

CBld::~CBld() { FreeFrames(); }

void CBld::MakeFrames() {
    FreeFrames();
    if (!m_pPart) return;
    for (const CBldPartItem& it : m_pPart->m_Items) {
        CDrawable* d = nullptr;
        CreateDrawable(&d, it.m_Animated != 0, it.m_ResId);
        m_Frames.push_back(d);
    }
}

void CBld::FreeFrames() {
    for (CDrawable* d : m_Frames) delete d;
    m_Frames.clear();
}

int CBld::InitModel(const void* model) {
    const auto* part = static_cast<const CBldPart*>(model);
    if (!part) return 0;
    m_pPart = part;
    m_ModelId = part->m_PartKind;
    m_FrameCount = part->m_SubCount;
    m_MiddleStart = part->m_MiddleStart;
    m_TopCount = part->m_TopCount;
    m_NameTextId = part->m_NameTextId;
    m_LabelEnable = part->m_LabelEnable;
    m_LabelColour = part->m_LabelColour;
    MakeFrames();
    // Both offsets 1 or more: no occlusion, as without a line.
    const int32_t dx = part->m_LineDx, dy = part->m_LineDy;
    m_Orientation = 0;
    if (dx != 0 || dy != 0) {
        m_Orientation = dx < 1 ? 1 : dy < 1 ? 2 : 0;
        m_LineX = Far(int64_t(dx) * 64 + m_X);
        m_LineY = Far(int64_t(dy) * 64 + m_Y);
    }
    AddBldLight(m_Handle, part->m_LightKind);
    SetDrawLayer(5);
    return 1;
}

int CBld::Tick() {
    if (m_Flash != -1 && GetGameTickCount() % 3 == 1 && m_Flash > 0) --m_Flash;
    return 1;
}

void CBld::UpdateScreenRect() {
    CGamePoint origin;
    if (!g_WorldHooks.getViewOrigin || !g_WorldHooks.getViewOrigin(&origin) || !m_pDesc) return;
    const CGamePoint cell = TileToCell(m_pDesc->m_X, m_pDesc->m_Y);
    const CGamePoint px = CellToPixel(cell.x, cell.y);
    m_ScreenX = Far(int64_t(px.x) - origin.x);
    m_ScreenY = Far(int64_t(px.y) - origin.y);
    if (m_pPart)
        m_ScreenRect = {Far(int64_t(m_ScreenX) + m_pPart->m_RectX), Far(int64_t(m_ScreenY) + m_pPart->m_RectY),
                        Far(m_pPart->m_RectW), Far(m_pPart->m_RectH)};
}

int CBld::Remove() {
    if (m_Removed) return 1;
    ClearFootprint();
    CGameObj::Remove();
    UpdateScreenRect();
    if (g_WorldHooks.invalidateRect) g_WorldHooks.invalidateRect(m_ScreenRect);
    if (g_WorldHooks.clientRemoveObject) g_WorldHooks.clientRemoveObject(this);
    return 1;
}

int CBld::FreeRes() {
    FreeFrames();
    return 1;
}

int CBld::LoadRes() {
    MakeFrames();
    StampFootprint();
    return 1;
}

CGameRect CBld::GetFootprintRect() const {
    if (!m_pPart || !m_pDesc) return {};
    return {Far(int64_t(m_pDesc->m_X) - m_pPart->m_AnchorX + m_pPart->m_OriginX),
            Far(int64_t(m_pDesc->m_Y) - m_pPart->m_AnchorY + m_pPart->m_OriginY), m_pPart->m_GridW, m_pPart->m_GridH};
}

template <class F>
void CBld::ForFootprint(F f) const {
    CMapGrid* grid = g_CurMapGrid;
    if (!grid || !m_pPart) return;
    const CGameRect r = GetFootprintRect();
    for (int32_t j = 0; j < r.height; ++j)
        for (int32_t i = 0; i < r.width; ++i)
            if (CMapCell* c = grid->GetCell(r.x + i, r.y + j))
                f(c, static_cast<uint8_t>(m_pPart->MaskAt(i, j) & 0xFF), CGamePoint{r.x + i, r.y + j});
}

void CBld::StampFootprint() {
    if (m_Removed) return;
    const uint16_t mark = static_cast<uint16_t>(m_Handle & 0xFFFF);
    ForFootprint([&](CMapCell* c, uint8_t m, CGamePoint) {
        if (m < 128) return;
        if ((m & 7) == 1) c->m_Walkable = 0;
        // A cell that only belongs to the building keeps another's mark.
        if (c->m_ObjMark < 65535 && m == 128) return;
        c->m_Footprint = m;
        c->m_ObjMark = mark;
    });
}

void CBld::ClearFootprint() {
    // Marks hold the low 16 bits of the handle (generation bit 15), so an
    // upper handle of generation 2 or 3 is compared the same way.
    const uint16_t mark = static_cast<uint16_t>(m_Handle & 0xFFFF);
    // A solid cell gets back the byte the map was loaded with: under it may
    // lie the border, water or a wall.
    ForFootprint([&](CMapCell* c, uint8_t m, CGamePoint) {
        if (m >= 128 && (m & 7) == 1) c->m_Walkable = c->m_LoadedWalkable;
        if ((c->m_Footprint & 0x88) == 0x88) c->m_Footprint = 0;
        if (c->m_ObjMark == mark) {
            c->m_ObjMark = kNoObj;
            c->m_Footprint = 0;
        }
    });
}

void CBld::OpenPassage() {
    ForFootprint([&](CMapCell* c, uint8_t m, CGamePoint) {
        if (m >= 128 && (m & 7) == 1) c->m_Walkable = c->m_LoadedWalkable;
    });
}

int CBld::IsEntranceCell(const CGamePoint& cell) const {
    int found = 0;
    ForFootprint([&](CMapCell*, uint8_t m, CGamePoint p) {
        if (p == cell && (m & 7) == 2) found = 1;
    });
    return found;
}

void CBld::GetLayerRange(int layer, int32_t* first, int32_t* end) const {
    // Counts from the file are clamped into the frames the building has.
    const int32_t n = static_cast<int32_t>(m_Frames.size() < size_t(m_FrameCount) ? m_Frames.size() : m_FrameCount);
    const int32_t mid = std::clamp(m_MiddleStart, 0, n);
    const int32_t top = std::clamp(n - m_TopCount, 0, n);
    switch (layer) {
        case 0: *first = 0, *end = mid; break;
        case 1: *first = mid, *end = std::max(mid, top); break;
        case 2: *first = top, *end = n; break;
        default: *first = *end = 0; break;
    }
}

int CBld::IsFrameSpecial(int32_t i) const {
    if (!m_pPart || i < 0 || i >= static_cast<int32_t>(m_pPart->m_Items.size())) return 0;
    return m_pPart->m_Items[size_t(i)].m_Animated || (m_LabelColour == 15 && i >= m_MiddleStart) ? 1 : 0;
}

CGameRect CBld::FramePos(int32_t i) const {
    const CBldPartItem& it = m_pPart->m_Items[size_t(i)];
    return {Far(int64_t(it.m_X) + m_ScreenX), Far(int64_t(it.m_Y) + m_ScreenY), 0, 0};
}

CGameRect CBld::GetFrameRect(int32_t i) {
    if (i < 0 || i >= static_cast<int32_t>(m_Frames.size()) || !m_Frames[size_t(i)]) return {};
    CGameRect r = FramePos(i);
    m_Frames[size_t(i)]->GetRect(&r);
    return r;
}

namespace {

enum class Lit { Grid, Level };

// A frame drawn through the light grid: by the levels of its cells, or
// through one colour table. Pictures that are not run-length draw plain.
int DrawLitFrame(CDrawable* d, CSurface* s, const CGameRect& at, const CGameRect* clip, Lit how, int32_t level) {
    CImage* img = d->GetImage();
    if (!img) return 0;
    if (!img->IsRle()) return d->Draw(s, at.x, at.y, kDrawCopy, -1, clip) ? 1 : 0;
    auto* rle = static_cast<CRleImage*>(img);
    CGameRect r{at.x, at.y, 0, 0};
    d->GetRect(&r);
    if (how == Lit::Grid) return g_LightGrid.DrawThroughGrid(s, rle, &g_LightGrid.Map(), r.x, r.y, clip) ? 1 : 0;
    return g_LightGrid.DrawAtLevel(s, rle, r.x, r.y, level, clip) ? 1 : 0;
}

} // namespace

int CBld::DrawFrame(CSurface* surface, int32_t i, const CGameRect* clip, int mode) {
    if (i < 0 || i >= static_cast<int32_t>(m_Frames.size()) || !m_Frames[size_t(i)]) return 0;
    const CBldPartItem& it = m_pPart->m_Items[size_t(i)];
    if (it.m_Animated && !m_ShowAnimated) return 0;
    CDrawable* d = m_Frames[size_t(i)];
    const CGameRect at = FramePos(i);
    const auto draw = [&](int32_t blend, int32_t level) { return d->Draw(surface, at.x, at.y, blend, level, clip) ? 1 : 0; };
    if (!LightingOn()) return draw(kDrawCopy, -1);
    const bool additive = IsAdditive(d->GetImage());
    if (m_Flash != -1 && mode != 0 && m_Flash > 0) return draw(additive ? kDrawAlphaFaded : kDrawBlend, m_Flash);
    switch (m_LabelColour) {
        case 0:
        case 1:
            if (additive) return draw(kDrawAlpha, -1);
            if (mode == 0) return draw(kDrawCopy, -1);
            if (mode == 1) return DrawLitFrame(d, surface, at, clip, Lit::Grid, 0);
            return 0;
        case 5: return draw(kDrawBlend, 8);
        case 15:
            if (additive) return draw(kDrawAlpha, -1);
            return DrawLitFrame(d, surface, at, clip, Lit::Level, 34);
        default: return 0;
    }
}

int CBld::DrawLayer(CSurface* surface, int layer) {
    int32_t first = 0, end = 0;
    GetLayerRange(layer, &first, &end);
    const CGameRect view = ViewClip();
    int drawn = 0;
    for (int32_t i = first; i < end; ++i)
        if (IsFrameSpecial(i) && DrawFrame(surface, i, &view, 2)) drawn = 1;
    return drawn;
}

int CBld::DrawClipped(CSurface* surface, const CGameRect* clip, int layer) {
    int32_t first = 0, end = 0;
    GetLayerRange(layer, &first, &end);
    int drawn = 0;
    for (int32_t i = first; i < end; ++i) {
        CDrawable* d = m_Frames[size_t(i)];
        if (!d) continue;
        const bool additive = IsAdditive(d->GetImage());
        if (!IsFrameSpecial(i)) {
            if (!Meets(GetFrameRect(i), clip)) continue;
            const CGameRect at = FramePos(i);
            if (d->Draw(surface, at.x, at.y, additive ? kDrawAlpha : kDrawCopy, -1, clip)) drawn = 1;
        } else if (!additive) {
            if (DrawFrame(surface, i, clip, 0)) drawn = 1;
        }
    }
    return drawn;
}

int CBld::DrawUpperStatic(CSurface* surface, const CGameRect* clip) {
    int32_t first = 0, end = 0, n = 0;
    GetLayerRange(1, &first, &end);
    GetLayerRange(2, &end, &n);
    int drawn = 0;
    for (int32_t i = first; i < n; ++i) {
        CDrawable* d = m_Frames[size_t(i)];
        if (!d) continue;
        if (IsFrameSpecial(i)) {
            drawn |= DrawFrame(surface, i, clip, 1);
            continue;
        }
        const CGameRect at = FramePos(i);
        if (LightingOn())
            drawn |= DrawLitFrame(d, surface, at, clip, i == 0 ? Lit::Grid : Lit::Level, 8);
        else
            drawn |= d->Draw(surface, at.x, at.y, i == 0 ? kDrawCopy : kDrawBlend, i == 0 ? -1 : 8, clip) ? 1 : 0;
    }
    return drawn;
}

int CBld::DrawTopStatic(CSurface* surface, const CGameRect* clip) {
    int32_t first = 0, end = 0;
    GetLayerRange(2, &first, &end);
    if (first >= end) return 0;
    for (int32_t i = first; i < end; ++i) {
        CDrawable* d = m_Frames[size_t(i)];
        if (!d || !Meets(GetFrameRect(i), clip)) continue;
        if (IsFrameSpecial(i)) {
            DrawFrame(surface, i, clip, 1);
            continue;
        }
        const CGameRect at = FramePos(i);
        if (LightingOn())
            DrawLitFrame(d, surface, at, clip, Lit::Grid, 0);
        else
            d->Draw(surface, at.x, at.y, kDrawBlend, 8, clip);
    }
    return 1;
}

int CBld::GetAnimatedRect(CGameRect* rect) {
    *rect = {};
    for (int32_t i = 0; i < static_cast<int32_t>(m_Frames.size()); ++i)
        if (m_pPart->m_Items[size_t(i)].m_Animated) *rect = GetFrameRect(i);
    return rect->width != 0 ? 1 : 0;
}

int CBld::GetBoundingRect(CGameRect* rect) {
    *rect = {};
    bool any = false;
    for (int32_t i = 0; i < static_cast<int32_t>(m_Frames.size()); ++i) {
        const CGameRect r = GetFrameRect(i);
        if (r.width == 0 || r.height == 0) continue;
        if (any)
            rect->Union(r);
        else
            *rect = r;
        any = true;
    }
    return rect->width != 0 ? 1 : 0;
}

void CBld::Invalidate() {
    CGameRect r;
    if (g_WorldHooks.invalidateRect && GetBoundingRect(&r)) g_WorldHooks.invalidateRect(r);
}

void CBld::Flash() {
    m_Flash = 15;
    Invalidate();
}

void CBld::StepFrame(int32_t i) {
    if (i < 0 || i >= static_cast<int32_t>(m_Frames.size())) return;
    CAnimPlayer* p = PlayerOf(m_Frames[size_t(i)]);
    if (!p) return;
    const CImage* before = m_Frames[size_t(i)]->GetImage();
    p->StepLoop();
    if (m_Frames[size_t(i)]->GetImage() != before && g_WorldHooks.invalidateRect)
        g_WorldHooks.invalidateRect(GetFrameRect(i));
}

void CBld::SetFrame(int32_t n) {
    if (n == -1) {
        for (size_t i = 0; i < m_Frames.size(); ++i) {
            if (!m_pPart->m_Items[i].m_Animated) continue;
            if (CAnimPlayer* p = PlayerOf(m_Frames[i])) n = p->m_FrameCount - 1;
            break;
        }
        if (n < 0) return;
    }
    if (n == 0) m_Running = 0;
    for (size_t i = 0; i < m_Frames.size(); ++i) {
        if (!m_pPart->m_Items[i].m_Animated) continue;
        CAnimPlayer* p = PlayerOf(m_Frames[i]);
        if (!p || p->m_FrameCount <= n || p->m_CurFrame == n) continue;
        p->Start(false);
        p->m_CurFrame = n;
    }
    Invalidate();
}

void CBld::Activate(int32_t busy, int32_t showAnimated) {
    m_Busy = busy;
    m_ShowAnimated = showAnimated;
    if (HasRunnableScript()) {
        m_Running = 1;
        SetFrame(-1);
    }
}

const char* CBld::GetScriptText() const {
    if (!m_Script.empty()) return m_Script.c_str();
    if (m_pDesc && m_pDesc->m_Type == 102) return static_cast<const CBldTextRec*>(m_pDesc)->m_Text;
    return nullptr;
}

int CBld::HasRunnableScript() const {
    if (m_ModelId != 150) return 0;
    const char* text = GetScriptText();
    if (!text) return 0;
    const char* end = std::strchr(text, ' ');
    const std::string_view word(text, end ? size_t(end - text) : std::strlen(text));
    return plat::EqualsNoCase(word, "go") || plat::EqualsNoCase(word, "TransGo") || plat::EqualsNoCase(word, "SetFlag")
               ? 1
               : 0;
}

const char* CBld::GetGoTarget() const {
    if (!HasRunnableScript()) return nullptr;
    m_GoTarget = GetScriptText();
    for (size_t at; (at = m_GoTarget.find("go ")) != std::string::npos;) m_GoTarget.erase(at, 3);
    return m_GoTarget.c_str();
}

CGameObj* CBld::GetLinkedObj() const { return ResolveHandle(m_Linked); }

const char* CBld::GetLabelText() const {
    if (!m_Name.empty()) return m_Name.c_str();
    if (m_NameTextId == 0) return nullptr;
    const char* text = g_TextTable.GetCell(m_NameTextId, 1);
    return text && *text ? text : nullptr;
}

void CBld::SetHover(const void* hover) {
    if (hover != m_pHover) {
        m_pHover = hover;
        if (!hover)
            m_LabelColour = m_pPart ? m_pPart->m_LabelColour : 0;
        else if (m_LabelEnable && m_pPart && (m_pPart->m_Items.size() == 1 || m_ModelId != 150))
            m_LabelColour = 15;
    }
    if (!hover || !g_WorldHooks.addFloatingLine) return;
    const char* label = GetLabelText();
    if (!label || !*label) return;
    const CGamePoint p = g_IsoGrid.WorldToScreen(m_X, m_Y);
    g_WorldHooks.addFloatingLine(label, p.x, p.y - 80);
}

int CBld::IsPointBehind(const CGamePoint& p) const {
    const int32_t lx = m_LineX, ly = m_LineY;
    switch (m_Orientation) {
        case 1: return lx + ly > p.x + p.y && p.x < lx ? 1 : 0;
        case 2: return lx + ly > p.x + p.y && p.y < ly ? 1 : 0;
        default: return 0;
    }
}

CGamePoint CBld::GetLightPos() const {
    if (!m_pPart || !m_pDesc) return {m_X, m_Y};
    // A cell within +-2^24 keeps its centre pixel inside an i32.
    const auto cell = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -(1 << 24), 1 << 24)); };
    return TileToPixel({cell(int64_t(m_pDesc->m_X) - m_pPart->m_AnchorX + m_pPart->m_LightX),
                        cell(int64_t(m_pDesc->m_Y) - m_pPart->m_AnchorY + m_pPart->m_LightY)});
}

int CPlainBld::StepFrames() {
    for (int32_t i = 0; i < static_cast<int32_t>(m_Frames.size()); ++i)
        if (m_pPart->m_Items[size_t(i)].m_Animated) StepFrame(i);
    return 1;
}

// ------------------------------------------------------------ CMechBld

CMechBld::CMechBld() {
    m_Kind = 12;
    if (CObjMng* mng = GetMng()) mng->AddToMechPool(this);
}

CMechBld::~CMechBld() {
    if (CObjMng* mng = GetMng()) mng->RemoveFromMechPool(this);
}

int CMechBld::InitModel(const void* model) {
    if (!CBld::InitModel(model)) return 0;
    SetState(0, 0);
    return 1;
}

int CMechBld::LoadRes() {
    CBld::LoadRes();
    SetState(m_State, 1);
    return 1;
}

int CMechBld::ShowUseText(int force) {
    if (m_UseTextId == -1) return 0;
    if (force == 0 && g_WorldHooks.showNotice) {
        const char* text = g_TextTable.GetCell(m_UseTextId, 1);
        g_WorldHooks.showNotice(text ? text : "");
    }
    return 1;
}

int32_t CMechBld::DropTableId() const {
    const char* pic = GetPictureName();
    const long v = pic ? std::strtol(pic, nullptr, 10) : 0;
    const auto* rec = dynamic_cast<const CBldRec*>(m_pDesc);
    if (rec && rec->m_DataLen == -1) {
        if (v <= 0 || !g_CurScene) return 0;
        const int32_t offset = g_WorldHooks.getSceneLevelOffset ? g_WorldHooks.getSceneLevelOffset(g_CurScene) : 0;
        return offset + 83;
    }
    return static_cast<int32_t>(v);
}

int CMechBld::SetState(int32_t state, int force) {
    const int32_t prev = m_State;
    if (state == prev && !force) return 0;
    CScene* scene = g_CurScene;
    const int32_t tick = GetGameTickCount();
    const auto notify = [&]() {
        const char* name = GetPictureName();
        if (g_WorldHooks.noteBldStatusChange) g_WorldHooks.noteBldStatusChange(scene, name ? name : "", tick);
        if (g_WorldHooks.requestRun) g_WorldHooks.requestRun(scene);
    };
    if (state == 0 || state == 2) {
        SetFrame(0);
        if (force) StampFootprint();
    } else if (state == 5) {
        if (ShowUseText(force)) return 1;
        if (m_ModelId != 150) {
            // Drops are made only from a closed building: a use request on
            // an open one must not make them again.
            if (!IsClosed()) {
                m_State = 5;
                return 0;
            }
            if (CObjMng* mng = GetMng()) mng->DropProps(this, 1);
            const int32_t id = DropTableId();
            if (scene && id > 0) {
                if (g_WorldHooks.generateDrops) g_WorldHooks.generateDrops(id, m_X, m_Y, 0);
                if (g_WorldHooks.runWeightedAction) g_WorldHooks.runWeightedAction(scene);
            }
        }
        if (m_pPart && m_pPart->m_UseSound != 0) PlayEffectAt(m_pPart->m_UseSound, {m_X, m_Y}, 0);
        SetFrame(1);
        if (scene && prev != 1) notify();
    } else if (state == 1 || state == 6) {
        SetFrame(2);
        switch (m_ModelId) {
            case 128:
            case 130:
                Flash();
                m_MiddleStart = m_FrameCount;
                OpenPassage();
                break;
            case 131:
            case 135: OpenPassage(); break;
            default: break;
        }
        if (scene && prev != 1 && state != 6) {
            if ((m_ModelId >= 128 && m_ModelId <= 134) || m_ModelId == 136) {
                if (const char* text = GetScriptText()) RunActions(text);
            }
            notify();
        }
    }
    if (scene && prev != 1) scene->TrackBuildingAll(m_Handle);
    m_State = state == 6 ? 1 : state;
    return 1;
}

int CMechBld::Tick() {
    UpdateScreenRect();
    const bool portal = m_Kind == 13;
    for (int32_t i = 0; i < static_cast<int32_t>(m_Frames.size()); ++i) {
        if (!m_pPart->m_Items[size_t(i)].m_Animated) continue;
        StepFrame(i);
        auto* a = dynamic_cast<CAnimDrawable*>(m_Frames[size_t(i)]);
        CAnimPlayer* p = a ? a->CurrentPlayer() : nullptr;
        if (!p || !p->IsAtEnd()) continue;
        if (m_State == 5) {
            SetState(1, 0);
            return 1;
        }
        if (HasRunnableScript() && (portal || (a->m_CurSeq != 0 && a->m_CurSeq != 2))) {
            m_Running = 0;
            SetFrame(0);
        }
    }
    CBld::Tick();
    return 1;
}

int CMechBld::OnMagicHit(CGameObj* magic) {
    if (m_ModelId < 128 || m_ModelId > 134 || m_State == 1) return 0;
    if ((m_ModelId == 130 || m_ModelId == 131) &&
        (!g_WorldHooks.getMagicSkillKind || g_WorldHooks.getMagicSkillKind(magic) != 7))
        return 0;
    m_Linked = g_WorldHooks.getMagicOwner ? g_WorldHooks.getMagicOwner(magic) : 0;
    SetState(5, 0);
    return 1;
}

// ---------------------------------------------------------- CPortalBld

CPortalBld::CPortalBld() {
    m_Kind = 13;
    if (CObjMng* mng = GetMng()) mng->AddPortal(this);
}

CPortalBld::~CPortalBld() {
    if (CObjMng* mng = GetMng()) mng->RemovePortal(this);
}

int CPortalBld::InitModel(const void* model) {
    if (!CMechBld::InitModel(model)) return 0;
    // The first free cell within 5 of the record's cell; none keeps it.
    if (CMapGrid* grid = g_CurMapGrid; grid && m_pDesc) {
        CGamePoint found{-1, -1};
        WalkSpiral(m_pDesc->m_X, m_pDesc->m_Y, 5, [&](int32_t x, int32_t y) {
            const CMapCell* c = grid->GetCell(x, y);
            if (!c || !c->AllowsWalkClass(1) || c->m_Occupant != kNoObj || c->m_ObjMark != kNoObj) return false;
            found = {x, y};
            return true;
        });
        if (found.x >= 0) SetTilePos(found.x, found.y);
    }
    StampFootprint();
    Invalidate();
    Activate(1, 1);
    for (size_t i = 0; i < m_Frames.size(); ++i) {
        if (!m_pPart->m_Items[i].m_Animated) continue;
        CAnimPlayer* p = PlayerOf(m_Frames[i]);
        if (!p || p->m_FrameCount <= 1) continue;
        p->Start(false);
        p->m_CurFrame = 1;
    }
    PlayEffect(102, 0, 100, 0);
    return 1;
}

int CPortalBld::Tick() {
    if (m_Busy) {
        bool allEnd = true;
        for (size_t i = 0; i < m_Frames.size(); ++i) {
            if (!m_pPart->m_Items[i].m_Animated) continue;
            CAnimPlayer* p = PlayerOf(m_Frames[i]);
            if (p && !p->IsAtEnd()) allEnd = false;
        }
        if (allEnd) {
            Activate(0, 1);
            for (size_t i = 0; i < m_Frames.size(); ++i) {
                if (!m_pPart->m_Items[i].m_Animated) continue;
                CAnimPlayer* p = PlayerOf(m_Frames[i]);
                if (!p || p->m_FrameCount <= 1) continue;
                p->Start(false);
                p->m_CurFrame = 0;
            }
            m_Running = 0;
        }
    }
    return CMechBld::Tick();
}

int CPortalBld::LoadRes() {
    CBld::LoadRes();
    return 1;
}

void CPortalBld::SetPortal(CGameObj* role, const char* scene, const char* label, uint32_t value) {
    if (role) {
        m_SheetValue = g_WorldHooks.getRoleSheetValue ? g_WorldHooks.getRoleSheetValue(role) : 0;
        m_Camp = g_WorldHooks.getRoleCamp ? static_cast<uint32_t>(g_WorldHooks.getRoleCamp(role)) : 0;
    }
    m_Value = value;
    char line[300];
    std::snprintf(line, sizeof line, "TransGo %s %d", scene ? scene : "", static_cast<int>(value));
    m_Script = line;
    char name[300];
    std::snprintf(name, sizeof name, "%s", label ? label : "");
    SetName(name);
}

// --------------------------------------------------------- grid searches

namespace {

bool UsableBld(const CBld* b) {
    if (b->m_ModelId < 128 || b->m_ModelId > 256 || b->m_ModelId == 150) return true;
    const auto* m = dynamic_cast<const CMechBld*>(b);
    return m && m->IsClosed();
}

CBld* BldOfMark(uint16_t mark) {
    if (mark == kNoObj) return nullptr;
    return dynamic_cast<CBld*>(ResolveHandle16(mark));
}

} // namespace

CBld* PickBldAtCell(const CGamePoint& cell) {
    CMapGrid* grid = g_CurMapGrid;
    if (!grid) return nullptr;
    if (const CMapCell* c = grid->GetCell(cell.x, cell.y); c && (c->m_Footprint & 0x88) == 0x88) {
        CBld* b = BldOfMark(c->m_ObjMark);
        if (b && UsableBld(b)) return b;
    }
    CBld* found = nullptr;
    WalkSpiral(cell.x, cell.y, 4, [&](int32_t x, int32_t y) {
        const CMapCell* c = grid->GetCell(x, y);
        if (!c) return false;
        CBld* b = BldOfMark(c->m_ObjMark);
        if (!b || (b->m_Kind != 12 && b->m_Kind != 13) || !b->IsEntranceCell(cell)) return false;
        found = UsableBld(b) ? b : nullptr;
        return true;
    });
    return found;
}

int IsBldAdjacent(const CGamePoint& cell, ObjHandle handle) {
    CMapGrid* grid = g_CurMapGrid;
    if (!grid) return 0;
    const uint16_t mark = static_cast<uint16_t>(handle & 0xFFFF);
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx)
            if (const CMapCell* c = grid->GetCell(cell.x + dx, cell.y + dy);
                c && c->m_ObjMark == mark && (c->m_Footprint & 0x88) == 0x88)
                return 1;
    return 0;
}
