#pragma once
// The client's view port: the view rectangle over the client's isometric
// world (x, y the view origin in the staggered cell layout's pixels), the
// camera that keeps the player's role at the focus point (a dead zone, a
// follow step, three focus modes, a shake), the origin cell published to
// the coordinate converters, and the positional sounds restarted once the
// view has moved 3 cells.
//
// Painting keeps the ground and the buildings composed on off-screen ground
// surfaces, redrawn only in dirty rectangles and shifted in place when the
// view scrolls; the moving objects are merged in depth order with the
// buildings' standing frames on the target each frame, and whatever a
// building hides shows through it half translucent.
#include <cstdint>
#include <memory>

#include "client/draw_list.h"
#include "core/geometry.h"
#include "gfx/dirty_rects.h"

class CSurface;
class CWorld;
class CWeather;
class CGameObj;
class CBld;

class CPainter {
public:
    CPainter();
    virtual ~CPainter();
    CPainter(const CPainter&) = delete;
    CPainter& operator=(const CPainter&) = delete;

    // Slot 1.
    virtual void SetViewRect(int32_t x, int32_t y, int32_t w, int32_t h);
    // Slot 3: phase 1 before a display-mode change, 0 after it.
    virtual void OnDisplayChange(int phase);
    // The host's display event (code 1 before, 0 after).
    void OnDisplayEvent(int code, int, int) { OnDisplayChange(code); }
    void Resize(int32_t w, int32_t h);
    // 640 x 431, 800 x 600 or 1024 x 768 by the screen width (others 800).
    void ResizeToScreen();
    // A newly built scene: its bounds taken from the client's world (or the
    // one given).
    void PrepareScene();
    void PrepareScene(const CWorld* world);
    void MoveTo(int32_t x, int32_t y);
    void ClampView();
    void CenterOn(const CGameObj* obj);
    void RecentreOnOwnRole();
    void SetFollow(int on);
    void SetFocusMode(int mode);
    // Origin cell + (height / 32 rows, width / 64 columns) as map cell.
    CGamePoint GetCenterCell() const;
    // A rectangle of the view to redraw; null: the whole view.
    void InvalidateRect(const CGameRect* rect);
    // 1 up, 3 left, 5 down, 7 right by the scroll step; others move nothing.
    void ScrollView(int direction);
    void StartShake();
    // Per frame: the shake, or the follow step.
    void Update();
    void FollowRole(const CGameObj* role);
    // Slot 2: the world onto the surface; the number of objects drawn.
    int Paint(CSurface* surface, CWorld* world, CWeather* weather);
    // Off-screen surface of the view's size.
    CSurface* GetScratchSurface();
    // The view's screen rectangle (0, 0, width, height).
    CGameRect ScreenView() const { return {0, 0, m_View.width, m_View.height}; }

    CGameRect m_View;
    int32_t m_Area = 0;
    int32_t m_Follow = 0;
    CGamePoint m_Focus{0, 0};
    int32_t m_DeadW = 0;
    int32_t m_DeadH = 0;
    int32_t m_ScrollStep = 0;
    int32_t m_Shake = 0;
    int32_t m_PartialRedraw = 0;
    CGameRect m_Bounds;
    CGameRect m_Previous;
    int32_t m_FocusMode = 0;
    int32_t m_FollowStepX = 0;
    int32_t m_FollowStepY = 0;
    // The view origin's staggered cell (column, row) and the offset inside.
    CGamePoint m_OriginCell{0, 0};
    CGamePoint m_OriginOffset{0, 0};
    // The followed role's screen position last frame.
    CGamePoint m_LastRoleScreen{-100000, -100000};
    int32_t m_Invalidated = 0;
    // Buildings whose screen rectangle met the view in the last paint.
    int32_t m_BuildingCount = 0;
    // Origin cell of the last restart of the positional sounds.
    CGamePoint m_SoundCell{-1000, -1000};

    // Layers 0-3: buildings with layered, ground, standing and top frames;
    // 4: what was drawn this frame and may show through buildings.
    CDrawList m_Layers[5];
    CDrawList m_ListB;  // objects standing in cells
    CDrawList m_ListA;  // moving objects
    CDirtyRectList m_Dirty;
    CDirtyRectList m_ObjRects;
    CSurface* m_pCurrent = nullptr;
    // 1 while a run of failed final blits has been reported.
    int32_t m_PaintErrorShown = 0;
    // Counts the rebuilds of list B.
    uint32_t m_FrameStamp = 0;
    // Drawing steps of the last paint, for the tests and the overlay.
    int32_t m_GroundRects = 0;
    int32_t m_SeeThrough = 0;

    CSurface* Ground(int i) { return m_pGround[i].get(); }
    void RebuildLayers();
    void ScrollCopy();
    void DrawGround(CSurface* surface, const CGameRect& rect, CWorld* world);
    void DrawStaticInRect(CSurface* surface, const CGameRect& rect, CWorld* world);
    void CopyDirtyRect(const CGameRect& rect);
    int DrawObjects(CSurface* surface, CWorld* world);

private:
    void FreeSurfaces();
    void PlaceIsoGrid();
    void CollectCells(CWorld* world, bool full);
    void DrawSeeThrough(CSurface* target, CGameObj* obj);
    void ReportPaintError(bool failed);

    std::unique_ptr<CSurface> m_pOverlay;
    std::unique_ptr<CSurface> m_pGround[2];
};

// Map cell (x, y) of the staggered cell at (column, row): the inverse of
// TileToCell on the current coordinate map.
CGamePoint StaggeredToTile(int32_t col, int32_t row);
// The top-left of a map cell's 64 x 32 box in the staggered cell layout
// (what tiles and buildings draw by).
CGamePoint CellTopLeft(int32_t x, int32_t y);
// A painter outside a running game's client (tools, tests, benchmarks):
// the world's screen anchors read its origin (null: none).
void ServeViewOrigin(CPainter* painter);
// Slot 6 of the object onto a surface (each class draws its own way); 1
// when something was drawn.
int DrawGameObj(CGameObj* obj, CSurface* surface, const CGameRect& view);

// Where an object's world position lies in the staggered layout's pixels.
CGamePoint LayoutPoint(const CGameObj* obj);
// The map cell whose 64 x 32 box in the staggered layout starts nearest to
// pixel (x, y).
CGamePoint MapCellNearPixel(int32_t x, int32_t y);
