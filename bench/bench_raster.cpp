// Fill rate of the software rasteriser: additive (ONE/ONE), bilinear,
// texture x diffuse quads onto a 640 x 480 5-6-5 surface. The argument is
// the quad side in pixels; counter "Mpx/s" is millions of additive textured
// pixels a second.
#include <benchmark/benchmark.h>

#include <cstring>

#include "platform/display.h"
#include "platform/raster.h"
#include "platform/window.h"

using namespace plat;

namespace {

void BM_RasterAdditiveFill(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    UseHeadlessBackend();
    DisplayDevice* dd = nullptr;
    DirectDrawCreate(&dd);
    DDSurfaceDesc d;
    d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.width = 640;
    d.height = 480;
    d.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    DDSurface* surf = nullptr;
    dd->CreateSurface(&d, &surf);
    Raster* raster = nullptr;
    QueryRaster(dd, &raster);
    RasterDevice* dev = nullptr;
    raster->CreateDevice(surf, &dev);
    dev->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    dev->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    dev->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    dev->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    RasterTextureDesc td;
    td.width = td.height = 32;
    td.format = DefaultRasterTextureFormats()[0];
    RasterTexture* tex = nullptr;
    dev->CreateTexture(td, &tex);
    int32_t pitch = 0;
    uint8_t* p = tex->Lock(&pitch);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint16_t v = static_cast<uint16_t>((x * 2047 + y * 997) & 0xFFFF);
            std::memcpy(p + y * pitch + x * 2, &v, 2);
        }
    tex->Unlock();
    dev->SetTexture(0, tex);

    // 4 x 4 grid like the effect meshes, moved around the surface.
    TLVertex v[16];
    uint16_t idx[54];
    int n = 0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const uint16_t a = static_cast<uint16_t>(r * 4 + c), b = static_cast<uint16_t>((r + 1) * 4 + c);
            const uint16_t six[6] = {a, static_cast<uint16_t>(a + 1), b, b, static_cast<uint16_t>(a + 1),
                                     static_cast<uint16_t>(b + 1)};
            for (uint16_t i : six) idx[n++] = i;
        }
    int pos = 0;
    for (auto _ : state) {
        const float x0 = static_cast<float>((pos * 37) % (640 - side)), y0 = static_cast<float>((pos * 53) % (480 - side));
        ++pos;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                TLVertex& t = v[r * 4 + c];
                t.x = x0 + static_cast<float>(c * side) / 3.0f;
                t.y = y0 + static_cast<float>(r * side) / 3.0f;
                t.tu = static_cast<float>(c) / 3.0f;
                t.tv = static_cast<float>(r) / 3.0f;
                t.diffuse = 0xFF303030u;
            }
        dev->BeginScene();
        dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX_SPEC, v, 16, idx, 54, 0);
        dev->EndScene();
    }
    state.counters["Mpx/s"] = benchmark::Counter(static_cast<double>(dev->PixelsDrawn()) / 1e6,
                                                 benchmark::Counter::kIsRate);
    tex->Release();
    dev->Release();
    raster->Release();
    surf->Release();
    dd->Release();
}
BENCHMARK(BM_RasterAdditiveFill)->Arg(8)->Arg(32)->Arg(128)->Arg(400);

} // namespace
