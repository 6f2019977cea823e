#include "gfx/effect3d.h"

#include <cstdio>

#include "core/directories.h"
#include "gfx/surface.h"
#include "gfx/texture.h"
#include "platform/msgbox.h"
#include "platform/raster.h"

using namespace plat;

CEffect3D g_Effect3D;
Raster* g_pRaster = nullptr;
RasterDevice* g_pRasterDevice = nullptr;
int (*CEffect3D::s_LoadGesturePatterns)() = nullptr;

namespace {

constexpr int32_t kGridSide[CEffect3D::kMeshCount] = {3, 4, 4, 3};
constexpr const char* kMeshTexture[CEffect3D::kMeshCount] = {
    "%s\\th\\effect.bmp", "%s\\th\\effect1.bmp", "%s\\th\\effect2.bmp", "%s\\th\\effect3.bmp"};

} // namespace

CEffect3D::CEffect3D() = default;

CEffect3D::~CEffect3D() { Shutdown(); }

int32_t CEffect3D::SetupDevice() {
    ReleaseDevice();
    if (DDFailed(QueryRaster(CSurface::s_pDD, &g_pRaster))) {
        g_pRaster = nullptr;
        return RASTER_E_FAIL;
    }
    DDSurface* target = CSurface::s_pPrimary;
    if (!target && m_pDisplay) target = m_pDisplay->m_pSurface;
    if (!target || DDFailed(g_pRaster->CreateDevice(target, &g_pRasterDevice))) {
        g_pRasterDevice = nullptr;
        ReleaseDevice();
        return RASTER_E_FAIL;
    }
    RasterDevice* d = g_pRasterDevice;
    d->SetRenderState(D3DRENDERSTATE_AMBIENT, 0xFFFFFFFFu);
    d->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    d->SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
    return D3D_OK;
}

void CEffect3D::ReleaseDevice() {
    if (g_pRasterDevice) {
        g_pRasterDevice->Release();
        g_pRasterDevice = nullptr;
    }
    if (g_pRaster) {
        g_pRaster->Release();
        g_pRaster = nullptr;
    }
    m_SceneOk = 0;
}

int CEffect3D::Init(CSurface* display) {
    m_pDisplay = display;
    if (m_On && DDFailed(SetupDevice())) {
        MessageBox("3D Func Error", "", MB_OK);
        m_On = 0;
    }
    if (!m_On) {
        m_pFallback = std::make_unique<CSurface>(10, 10, 0);
        return 0;
    }
    const char* dir = GetProgramDirectory();
    for (int i = 0; i < kMeshCount; ++i) {
        char path[1024];
        std::snprintf(path, sizeof path, kMeshTexture[i], dir ? dir : "");
        m_Meshes[i].Create(kGridSide[i], kGridSide[i]);
        CTexture::Create(path, 0, 0);
        m_Meshes[i].SetTexture(path);
    }
    CTexture::RestoreAll(g_pRasterDevice);
    if (s_LoadGesturePatterns) s_LoadGesturePatterns();
    return 1;
}

int CEffect3D::OnActivate(int32_t state) {
    if (!m_On) return 1;
    if (state == 0) {
        if (DDFailed(SetupDevice())) {
            MessageBox("3D Func Error", "", MB_OK);
            m_On = 0;
            m_pFallback = std::make_unique<CSurface>(10, 10, 0);
        } else {
            CTexture::RestoreAll(g_pRasterDevice);
        }
    } else if (state == 1) {
        ReleaseDevice();
    }
    return 1;
}

bool CEffect3D::BeginScene(CSurface* surface) {
    m_SceneOk = 0;
    if (!m_On || !g_pRasterDevice) return false;
    m_pTarget = surface;
    // A surface without pixels must not leave the scene on the old target.
    if (!surface || DDFailed(g_pRasterDevice->SetRenderTarget(surface->m_pSurface, 0))) return false;
    m_SceneOk = DDFailed(g_pRasterDevice->BeginScene()) ? 0 : 1;
    return m_SceneOk != 0;
}

void CEffect3D::EndScene() {
    if (g_pRasterDevice && m_SceneOk) g_pRasterDevice->EndScene();
    m_SceneOk = 0;
}

void CEffect3D::Shutdown() {
    // Both, whatever the flag says now: "3DEffect" may have switched it
    // after the device was made.
    ReleaseDevice();
    m_pFallback.reset();
}
