#pragma once
// PLACEHOLDER until the scene painter exists: a whole frame of one world,
// drawn from scratch in a fixed order (tiles, layer-0 objects, buildings
// layer by layer, roles and layer-1/3 objects, layer-2 objects, the light
// grid, the weather) and centred on a map cell. `worldview` and the running
// game's client view both draw through it, so what the tool shows is what
// the game shows. The painter issue replaces it; nothing else may grow on
// it.
#include <cstdint>
#include <memory>

#include "core/geometry.h"

class CSurface;
class CWorld;
class CWeather;
class CGameObj;

class CSceneView {
public:
    CSceneView();
    ~CSceneView();
    CSceneView(const CSceneView&) = delete;
    CSceneView& operator=(const CSceneView&) = delete;

    // Lines the view of a width x height target up on map cell `centre`:
    // the view origin, the iso grid (items, creatures, lights, weather),
    // the view rectangle and the light grid.
    void CentreOn(const CWorld& world, const CGamePoint& centre, int32_t width, int32_t height);
    // The same with the view's top-left pixel given: the painter's origin.
    void PlaceAt(const CWorld& world, const CGamePoint& origin, int32_t width, int32_t height);
    // Draws `world` (made current) onto `target` at (0, 0), the size given
    // to CentreOn. `weather` may be null. The number of objects drawn.
    int Draw(CWorld* world, CSurface* target, CWeather* weather);

    // The top-left pixel of the view in the staggered cell layout.
    CGamePoint m_Origin{0, 0};
    CGamePoint m_Centre{0, 0};
    int32_t m_Width = 0;
    int32_t m_Height = 0;

private:
    int DrawObjects(CWorld* world, int layer, CSurface* s);
    int DrawRole(CGameObj* role, CSurface* s);

    std::unique_ptr<CSurface> m_pScratch;
};

// The top-left of a map cell's 64 x 32 box in the staggered cell layout
// (what tiles and buildings draw by).
CGamePoint CellTopLeft(int32_t x, int32_t y);
