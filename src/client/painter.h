#pragma once
// The client's view port: the view rectangle over the client's isometric
// world (x, y the view origin in the staggered cell layout's pixels), the
// camera that keeps the player's role at the focus point (a dead zone, a
// follow step, three focus modes, a shake), the origin cell published to
// the coordinate converters, and the positional sounds restarted once the
// view has moved 3 cells.
//
// PLACEHOLDER drawing: Paint draws the whole scene at the painter's origin
// through the stand-in scene view (client/scene_view.h), without draw
// lists, ground surfaces, scroll reuse or see-through; the camera, the
// view rectangle and every call the world makes are the real ones.
#include <cstdint>
#include <memory>

#include "core/geometry.h"

class CSurface;
class CWorld;
class CWeather;
class CSceneView;
class CGameObj;

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

private:
    std::unique_ptr<CSceneView> m_pView;
    std::unique_ptr<CSurface> m_pScratch;
};

// Where an object's world position lies in the staggered layout's pixels.
CGamePoint LayoutPoint(const CGameObj* obj);
// The map cell whose 64 x 32 box in the staggered layout starts nearest to
// pixel (x, y).
CGamePoint MapCellNearPixel(int32_t x, int32_t y);
