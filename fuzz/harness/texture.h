#pragma once
// Effect textures (".bmp" and ".tga" under "th\"): create the texture record
// as the effect layer does, build its surface on a 3D device over a small
// 16-bit display surface, and draw a mesh sprite with it. The record flags
// and the device's texture caps vary with the input's bytes, so the copy
// into 16- and 32-bit surfaces, with and without keyed alpha, and the
// power-of-two and square size rules all run.
#include <string>

#include "gfx/mesh_sprite.h"
#include "gfx/texture.h"
#include "env.h"
#include "platform/display.h"
#include "platform/raster.h"

namespace fuzzharness {

// ext: ".bmp" or ".tga".
inline int RunTexture(const uint8_t* data, size_t size, const char* ext) {
    fuzzenv::ResetProcessState();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzenv::PlacedFiles files("th", {{std::string("fx") + ext, bytes}}, fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;
    const std::string path = files.Path();

    uint32_t mix = 0;
    for (size_t i = 0; i < size && i < 64; ++i) mix = mix * 31u + data[i];
    static const uint32_t kFlags[] = {0, kTexAlphaWhite, kTexAlphaBlack, kTex32Bit,
                                      kTex16Bit | kTexAlphaBlack, kTex32Bit | kTexAlphaWhite};
    const uint32_t flags = kFlags[mix % 6];
    plat::RasterCaps caps;
    caps.type = (mix >> 3) & 1 ? plat::RasterDeviceType::Software : plat::RasterDeviceType::Hal;
    caps.textureCaps = ((mix >> 4) & 1 ? plat::D3DPTEXTURECAPS_POW2 : 0u) |
                       ((mix >> 5) & 1 ? plat::D3DPTEXTURECAPS_SQUAREONLY : 0u);
    caps.maxTextureWidth = (mix >> 6) & 1 ? 0 : 64;  // 0: the device does not say (256 is used)
    caps.maxTextureHeight = 64;

    const int32_t r = CTexture::Create(path.c_str(), 0, flags);
    if (r == kTexOk) {
        CTexture* t = CTexture::Find(path.c_str());
        if (!t) fuzzenv::Fail("a created texture has no record");
        if (t->m_Width == 0 || t->m_Height == 0) fuzzenv::Fail("a texture of no pixels was accepted");
        if (t->m_pBitmap && t->m_pBitmap->rgb.size() != size_t(t->m_Width) * t->m_Height)
            fuzzenv::Fail("bitmap pixels and size disagree");
        if (!t->m_pBitmap && t->m_Rgba.size() != size_t(t->m_Width) * t->m_Height)
            fuzzenv::Fail("TGA pixels and size disagree");

        plat::DisplayDevice* dd = nullptr;
        plat::DDSurface* surf = nullptr;
        plat::Raster* raster = nullptr;
        plat::RasterDevice* dev = nullptr;
        plat::DirectDrawCreate(&dd);
        plat::DDSurfaceDesc d;
        d.flags = plat::DDSD_CAPS | plat::DDSD_WIDTH | plat::DDSD_HEIGHT;
        d.width = d.height = 16;
        d.caps = plat::DDSCAPS_OFFSCREENPLAIN | plat::DDSCAPS_SYSTEMMEMORY;
        if (dd->CreateSurface(&d, &surf) != plat::DD_OK || plat::QueryRaster(dd, &raster) != plat::D3D_OK)
            fuzzenv::Fail("no display surface for the device");
        plat::SetRasterCaps(caps);
        raster->CreateDevice(surf, &dev);
        if (!dev) fuzzenv::Fail("no device");
        CTexture::RestoreAll(dev);
        CMeshSprite sprite;
        sprite.Create(3, 3);
        sprite.SetTexture(path.c_str());
        sprite.SetPos(-3, -2);
        sprite.SetColor(0x80FFFFFFu);
        dev->BeginScene();
        sprite.Render(dev);
        sprite.SetScale(0.5f);
        sprite.Render(dev);
        dev->EndScene();
        CTexture::DestroyAll();
        dev->Release();
        raster->Release();
        surf->Release();
        dd->Release();
        plat::ResetRasterConfig();
    }
    CTexture::DestroyAll();
    return r == kTexOk ? 1 : 0;
}

} // namespace fuzzharness
