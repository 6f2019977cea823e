#pragma once
// The additive effect layer: weather particles, the gesture trail and other
// glows drawn as textured quads added onto the back buffer by the software
// rasteriser (platform/raster.h). When the layer cannot be set up it turns
// itself off and every drawer takes its 2D path.
//
// Every 3D drawer brackets its primitives with BeginScene / EndScene, calls
// EndScene only after a successful BeginScene, and switches
// D3DRENDERSTATE_ALPHABLENDENABLE on around its primitives.
//
// Start-up calls Init with the display surface once the display mode is set
// (logging "  3DEffect Init End\n" after it); the main window forwards
// activation to OnActivate; shutdown calls Shutdown, then
// CTexture::DestroyAll.
#include <cstdint>
#include <memory>

#include "gfx/mesh_sprite.h"

class CSurface;

namespace plat {
class Raster;
class RasterDevice;
} // namespace plat

class CEffect3D {
public:
    CEffect3D();
    ~CEffect3D();
    CEffect3D(const CEffect3D&) = delete;
    CEffect3D& operator=(const CEffect3D&) = delete;

    // Sets up the device on the display (3D on): the four effect meshes get
    // their grids and textures, all textures are restored on the device and
    // the gesture patterns are loaded. A failed set-up shows "3D Func Error"
    // and turns 3D off; with 3D off a 10 x 10 fallback surface is made.
    // Returns whether 3D is on.
    int Init(CSurface* display);
    // 0: the application regained activation (set-up again on the display
    // given to Init, textures restored); 1: lost (device released). Only
    // while 3D is on. Returns 1.
    int OnActivate(int32_t state);
    // False with 3D off; else makes `surface` the render target and begins
    // a scene; the result is kept.
    bool BeginScene(CSurface* surface);
    void EndScene();
    // Sets the 3D-on flag (start-up configuration, the "3DEffect" action).
    void Enable(int32_t on) { m_On = on; }
    // Releases the device objects, or the fallback surface with 3D off.
    void Shutdown();

    int32_t IsOn() const { return m_On; }
    bool SceneOk() const { return m_SceneOk != 0; }
    CMeshSprite& Mesh(int i) { return m_Meshes[i]; }
    CSurface* Target() const { return m_pTarget; }
    CSurface* Fallback() const { return m_pFallback.get(); }

    // Loads the gesture patterns when 3D comes on ("MethodPoint.txt"); set
    // by the client side, which this layer cannot call directly.
    static int (*s_LoadGesturePatterns)();

    static constexpr int kMeshCount = 4;

private:
    int32_t SetupDevice();
    void ReleaseDevice();

    CMeshSprite m_Meshes[kMeshCount];
    int32_t m_On = 1;
    int32_t m_SceneOk = 0;
    CSurface* m_pTarget = nullptr;  // not owned
    std::unique_ptr<CSurface> m_pFallback;
    CSurface* m_pDisplay = nullptr;  // not owned; where the device is made
};

extern CEffect3D g_Effect3D;
// The 3D interface and the device while 3D is on (null otherwise).
extern plat::Raster* g_pRaster;
extern plat::RasterDevice* g_pRasterDevice;
