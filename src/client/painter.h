#pragma once
// The client's view port.
// PLACEHOLDER until the scene painter lands: it keeps its view rectangle
// and the follow mode, and Paint draws the whole scene each frame through
// the stand-in scene view (client/scene_view.h), centred on the own role.
// The painter work replaces the bodies; the client's calls stay.
#include <cstdint>
#include <memory>

#include "core/geometry.h"

class CSurface;
class CWorld;
class CWeather;
class CSceneView;

class CPainter {
public:
    CPainter();
    virtual ~CPainter();
    CPainter(const CPainter&) = delete;
    CPainter& operator=(const CPainter&) = delete;

    virtual void SetViewRect(int32_t x, int32_t y, int32_t w, int32_t h);
    // Slot 3: a display-mode event (1 before, 0 after).
    virtual void OnDisplayEvent(int code, int a, int b);
    // The client prepares the view for a newly built scene.
    void PrepareScene();
    void SetFollow(int on) { m_Follow = on; }
    void RecentreOnOwnRole() {}
    // `world` (current) around the map cell of pixel point `centre`.
    void Paint(CSurface* surface, CWorld* world, CWeather* weather, const CGamePoint& centre);

    CGameRect m_ViewRect;
    int32_t m_Follow = 0;

private:
    std::unique_ptr<CSceneView> m_pView;
};
