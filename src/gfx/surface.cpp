#include "gfx/surface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/log.h"
#include "gfx/primitives.h"
#include "gfx/pixel_format.h"

using namespace plat;

DisplayDevice* CSurface::s_pDD = nullptr;
DDSurface* CSurface::s_pPrimary = nullptr;
DDClipper* CSurface::s_pClipper = nullptr;
int32_t CSurface::s_LiveCount = 0;
DDGammaControl* CSurface::s_pGammaControl = nullptr;
DDPixelFormat CSurface::s_PixelFormat;

namespace {

void Log(const char* line) { WriteLog(kLogFile, line); }

// Cooperative-level results that are logged; null for the others.
const char* CoopLine(DDResult r) {
    switch (r) {
    case DDERR_EXCLUSIVEMODEALREADYSET: return "SetCooperativeLevel:DDERR_EXCLUSIVEMODEALREADYSET\n ";
    case DDERR_HWNDALREADYSET: return "SetCooperativeLevel:DDERR_HWNDALREADYSET \n";
    case DDERR_HWNDSUBCLASSED: return "SetCooperativeLevel:DDERR_HWNDSUBCLASSED\n ";
    case DDERR_OUTOFMEMORY: return "SetCooperativeLevel:DDERR_OUTOFMEMORY\n ";
    case DDERR_INVALIDPARAMS: return "SetCooperativeLevel:DDERR_INVALIDPARAMS\n ";
    case DDERR_INVALIDOBJECT: return "SetCooperativeLevel:DDERR_INVALIDOBJECT\n ";
    case DD_OK: return "SetCooperativeLevel:DD_OK \n";
    default: return nullptr;
    }
}

const char* ModeLine(DDResult r) {
    switch (r) {
    case DDERR_LOCKEDSURFACES: return "SetDisplayMode:DDERR_LOCKEDSURFACES \n";
    case DDERR_INVALIDOBJECT:
    case DDERR_INVALIDPARAMS: return "SetDisplayMode:DDERR_INVALIDOBJECT \n";
    case DDERR_UNSUPPORTED: return "SetDisplayMode:DDERR_UNSUPPORTED \n";
    case DDERR_GENERIC: return "SetDisplayMode:DDERR_GENERIC \n";
    case DDERR_INVALIDMODE: return "SetDisplayMode:DDERR_INVALIDMODE \n";
    case DDERR_WASSTILLDRAWING: return "SetDisplayMode:DDERR_WASSTILLDRAWING \n";
    case DDERR_NOEXCLUSIVEMODE: return "SetDisplayMode:DDERR_NOEXCLUSIVEMODE \n";
    case DDERR_SURFACEBUSY: return "SetDisplayMode:DDERR_SURFACEBUSY \n";
    case DDERR_UNSUPPORTEDMODE: return "SetDisplayMode:DDERR_UNSUPPORTEDMODE \n";
    default: return nullptr;
    }
}

const char* RestoreLine(DDResult r) {
    switch (r) {
    case DDERR_LOCKEDSURFACES: return "Restore: DDERR_LOCKEDSURFACES\n";
    case DDERR_NOEXCLUSIVEMODE: return "Restore: DDERR_NOEXCLUSIVEMODE\n";
    case DDERR_INVALIDPARAMS: return "Restore: DDERR_INVALIDPARAMS\n";
    case DDERR_INVALIDOBJECT: return "Restore: DDERR_INVALIDOBJECT\n";
    default: return nullptr;
    }
}

int32_t FormatCode(const DDPixelFormat& pf) {
    switch (pf.rgbBitCount) {
    case 8: return kFormat8;
    case 16: return pf.gBitMask == 0x7E0 ? kFormat565 : kFormat555;
    case 24: return kFormat24;
    default: return kFormat32;
    }
}

// Inclusive-corner intersection of (x, y, w, h) with a clip rectangle.
bool Intersect(int32_t& x, int32_t& y, int32_t& w, int32_t& h, const CGameRect& c) {
    const int32_t x0 = std::max(x, c.x), y0 = std::max(y, c.y);
    const int32_t x1 = std::min(x + w - 1, c.x + c.width - 1), y1 = std::min(y + h - 1, c.y + c.height - 1);
    if (x0 > x1 || y0 > y1) return false;
    x = x0;
    y = y0;
    w = x1 - x0 + 1;
    h = y1 - y0 + 1;
    return true;
}

bool CreateFailedHard(DDResult r) { return DDFailed(r); }

} // namespace

void CSurface::InitFields() {
    m_OriginX = m_OriginY = 0;
    m_Width = m_Height = 0;
    m_BitsPerPixel = 8;
    m_Format = 8;
    m_PitchFactor = 1;
    m_Pitch = 0;
    m_RowCount = 0;
    m_ColorKey = 0xFFFFFFFFu;
    m_pSurface = nullptr;
    m_FullScreen = 0;
}

CSurface::CSurface() {
    InitFields();
    if (!s_pDD) {
        DisplayDevice* dd = nullptr;
        if (!DDFailed(DirectDrawCreate(&dd))) {
            s_pDD = dd;
            s_pDD->GetCaps();
        }
        s_pPrimary = nullptr;
        s_pClipper = nullptr;
    }
}

CSurface::CSurface(int32_t width, int32_t height, int32_t systemMemory) {
    InitFields();
    CreateOffscreen(width, height, systemMemory);
    ReadFormat();
}

CSurface::~CSurface() {
    Release();
    if (s_LiveCount <= 0 && s_pDD) {
        if (const char* line = RestoreLine(s_pDD->RestoreDisplayMode())) Log(line);
        s_pDD->Release();
        s_pDD = nullptr;
    }
}

void CSurface::Release() {
    if (m_pSurface) {
        if (m_FullScreen) m_pSurface->Unlock(nullptr);
        m_pSurface->Release();
        m_pSurface = nullptr;
        --s_LiveCount;
    }
    if (s_LiveCount == 0) {
        if (s_pGammaControl) {
            s_pGammaControl->Release();
            s_pGammaControl = nullptr;
        }
        if (s_pPrimary) {
            s_pPrimary->Release();
            s_pPrimary = nullptr;
        }
        if (s_pClipper) {
            s_pClipper->Release();
            s_pClipper = nullptr;
        }
    }
}

bool CSurface::CreateOffscreen(int32_t w, int32_t h, int32_t systemMemory) {
    if (!s_pDD) return false;
    if (!s_pPrimary) CreateWindowedPrimary();
    if (m_pSurface) return true;
    m_Desc = DDSurfaceDesc{};
    m_Desc.size = 124;
    m_Desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    m_Desc.width = static_cast<uint32_t>(w);
    m_Desc.height = static_cast<uint32_t>(h);
    m_Width = w;
    m_Height = h;
    m_PixelCount = w * h;
    m_Desc.caps = systemMemory ? (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY)
                               : (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY);
    DDResult r = s_pDD->CreateSurface(&m_Desc, &m_pSurface);
    if (DDFailed(r) && !systemMemory) {
        m_Desc.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        r = s_pDD->CreateSurface(&m_Desc, &m_pSurface);
    }
    if (DDFailed(r)) m_pSurface = nullptr;
    if (m_pSurface) ++s_LiveCount;
    // Reported as it is: the object has no surface when creation failed.
    return m_pSurface != nullptr;
}

bool CSurface::CreateFlipChain() {
    if (!s_pDD) return false;
    if (!s_pPrimary) {
        DDSurfaceDesc d;
        d.size = 124;
        d.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        d.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
        d.backBufferCount = 1;
        DDSurface* p = nullptr;
        const DDResult r = s_pDD->CreateSurface(&d, &p);
        // Without a primary nothing below can work, whatever the code said.
        if (CreateFailedHard(r) || !p) return false;
        s_pPrimary = p;
    }
    m_Desc = DDSurfaceDesc{};
    m_Desc.size = 124;
    m_Desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    m_Width = GetScreenMetrics(SM_CXSCREEN);
    m_Height = GetScreenMetrics(SM_CYSCREEN);
    m_PixelCount = m_Width * m_Height;
    m_Desc.width = static_cast<uint32_t>(m_Width);
    m_Desc.height = static_cast<uint32_t>(m_Height);
    m_Desc.caps = DDSCAPS_BACKBUFFER | DDSCAPS_3DDEVICE;
    if (!m_pSurface) {
        const DDResult r = s_pPrimary->GetAttachedSurface(m_Desc.caps, &m_pSurface);
        if (r == DDERR_NOTFOUND || r == DDERR_INVALIDPARAMS || r == DDERR_INVALIDOBJECT || r == DDERR_SURFACELOST) {
            m_pSurface = nullptr;
            return false;
        }
        if (DDFailed(r)) m_pSurface = nullptr;
        if (m_pSurface) ++s_LiveCount;
    }
    g_PixelFormat.Probe(s_pPrimary);
    return true;
}

bool CSurface::CreateWindowedPrimary() {
    if (!s_pDD) return false;
    if (!s_pPrimary) {
        DDSurfaceDesc d;
        d.size = 124;
        d.flags = DDSD_CAPS;
        d.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_3DDEVICE;
        DDSurface* p = nullptr;
        const DDResult r = s_pDD->CreateSurface(&d, &p);
        if (CreateFailedHard(r) || !p) return false;
        s_pPrimary = p;
        ReadFormat();
    }
    g_PixelFormat.Probe(s_pPrimary);
    if (s_pGammaControl) {
        s_pGammaControl->Release();
        s_pGammaControl = nullptr;
    }
    if (DDFailed(s_pPrimary->QueryGammaControl(&s_pGammaControl))) s_pGammaControl = nullptr;
    return true;
}

void CSurface::ReadFormat() {
    if (!s_pPrimary) return;
    s_PixelFormat.size = 32;
    const DDResult r = s_pPrimary->GetPixelFormat(&s_PixelFormat);
    if (r == DDERR_INVALIDPARAMS || r == DDERR_INVALIDOBJECT || r == DDERR_INVALIDSURFACETYPE) return;
    m_BitsPerPixel = static_cast<uint8_t>(s_PixelFormat.rgbBitCount);
    m_Format = static_cast<uint8_t>(FormatCode(s_PixelFormat));
}

int CSurface::MakeDisplaySurfaces(int32_t makeBackBuffer) {
    if (m_FullScreen) {
        CreateFlipChain();
    } else {
        if (!s_pPrimary) CreateWindowedPrimary();
        if (makeBackBuffer) CreateOffscreen(GetScreenMetrics(SM_CXSCREEN), GetScreenMetrics(SM_CYSCREEN), 0);
    }
    if (!s_pPrimary) return 0;
    ReadFormat();
    return 1;
}

int CSurface::SetCooperativeLevel(Window* window, int32_t makeBackBuffer, uint32_t flags) {
    if (!s_pDD) return 0;
    const DDResult r = s_pDD->SetCooperativeLevel(window, flags);
    if (const char* line = CoopLine(r)) Log(line);
    if (r != DD_OK) return 0;
    return MakeDisplaySurfaces(makeBackBuffer);
}

int CSurface::SetDisplayMode(Window* window, int32_t width, int32_t height, int32_t bitsPerPixel,
                             int32_t makeBackBuffer, uint32_t flags) {
    if (!s_pDD) return 0;
    const DDResult c = s_pDD->SetCooperativeLevel(window, flags);
    const char* coop = CoopLine(c);
    if (coop) Log(coop);
    // A listed failure other than "exclusive mode already set" ends here;
    // unlisted failures go on to the mode change.
    if (coop && c != DD_OK && c != DDERR_EXCLUSIVEMODEALREADYSET) return 0;
    const DDResult r = s_pDD->SetDisplayMode(static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                             static_cast<uint32_t>(bitsPerPixel), 0, 0);
    if (r != DD_OK) {
        if (const char* line = ModeLine(r)) Log(line);
        return 0;
    }
    Log("SetDisplayMode:DD_OK \n");
    return MakeDisplaySurfaces(makeBackBuffer);
}

int CSurface::RestoreDisplayMode() {
    if (!s_pDD) return 0;
    const DDResult r = s_pDD->RestoreDisplayMode();
    if (s_pClipper) {
        s_pClipper->Release();
        s_pClipper = nullptr;
    }
    return r == DD_OK ? 1 : 0;
}

int CSurface::AttachClipper(Window* window) {
    if (!s_pDD) return 0;
    if (!s_pClipper) {
        if (!s_pPrimary) return 0;
        DDClipper* c = nullptr;
        if (DDFailed(s_pDD->CreateClipper(0, &c)) || !c) return 0;
        s_pClipper = c;
        s_pPrimary->SetClipper(s_pClipper);
    }
    return s_pClipper->SetHWnd(0, window) == DD_OK ? 1 : 0;
}

uint32_t CSurface::SetColorKey(uint32_t key) {
    if (!m_pSurface) {
        m_ColorKey = key;
        return m_ColorKey;
    }
    if (key != 0xFFFFFFFFu) {
        const DDColorKey ck{key, key};
        m_pSurface->SetColorKey(DDCKEY_SRCBLT, &ck);
        m_ColorKey = key;
    } else {
        // "No key" keys by the colour black.
        SetColorKeyRgb(m_pSurface, Rgb(0, 0, 0));
        m_ColorKey = 0;
    }
    return m_ColorKey;
}

uint32_t CSurface::MatchColor(DDSurface* surface, uint32_t rgb) {
    if (!surface) return CLR_INVALID;
    uint32_t saved = CLR_INVALID;
    DrawContext* dc = nullptr;
    if (rgb != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        saved = dc->GetPixel(0, 0);
        dc->SetPixel(0, 0, rgb);
        surface->ReleaseDC(dc);
    }
    uint32_t value = CLR_INVALID;
    DDSurfaceDesc d;
    d.size = 124;
    DDResult r = surface->Lock(nullptr, &d, 0);
    for (int i = 0; r == DDERR_WASSTILLDRAWING && i < kMaxBusyRetries; ++i) r = surface->Lock(nullptr, &d, 0);
    if (r == DD_OK) {
        std::memcpy(&value, d.surface, 4);
        if (d.pixelFormat.rgbBitCount < 32) value &= (1u << d.pixelFormat.rgbBitCount) - 1;
        surface->Unlock(nullptr);
    }
    if (rgb != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        dc->SetPixel(0, 0, saved);
        surface->ReleaseDC(dc);
    }
    return value;
}

DDResult CSurface::SetColorKeyRgb(DDSurface* surface, uint32_t rgb) {
    if (!surface) return DDERR_INVALIDOBJECT;
    const uint32_t v = MatchColor(surface, rgb);
    const DDColorKey ck{v, v};
    return surface->SetColorKey(DDCKEY_SRCBLT, &ck);
}

void CSurface::Clear(const CGameRect* rect) {
    if (!m_pSurface) return;
    Rect r{0, 0, m_Width, m_Height};
    if (rect) r = Rect{rect->x, rect->y, rect->x + rect->width, rect->y + rect->height};
    DDBltFx fx;
    fx.size = 100;
    fx.fillColor = 0;
    m_pSurface->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &fx);
}

uint8_t* CSurface::Lock(const CGameRect* rect) {
    if (!m_pSurface) return nullptr;
    Rect r{};
    const Rect* pr = nullptr;
    if (rect) {
        r = Rect{rect->x, rect->y, rect->x + rect->width, rect->y + rect->height};
        pr = &r;
    }
    int busy = 0, restores = 0;
    for (;;) {
        m_Desc.size = 124;
        const DDResult res = m_pSurface->Lock(pr, &m_Desc, DDLOCK_WAIT);
        if (res == DD_OK) {
            m_Pitch = m_Desc.pitch;
            return static_cast<uint8_t*>(m_Desc.surface);
        }
        if (res == DDERR_WASSTILLDRAWING) {
            if (++busy > kMaxBusyRetries) return nullptr;
            continue;
        }
        if (res == DDERR_SURFACELOST) {
            DDSurface* target = (m_FullScreen && s_pPrimary) ? s_pPrimary : m_pSurface;
            if (++restores > kMaxRestoreRetries || target->Restore() != DD_OK) return nullptr;
            continue;
        }
        return nullptr;
    }
}

int CSurface::Unlock() {
    if (!m_pSurface) return 0;
    return DDFailed(m_pSurface->Unlock(nullptr)) ? 0 : 1;
}

int CSurface::Blt(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, int32_t mode,
                  int32_t level, const CGameRect* clip) {
    if (!dst) return 0;
    if (dst->Kind() != 0 || (mode != 0 && mode != 1)) return SoftwareBlt(dst, x, y, w, h, srcX, srcY, mode, level, clip) ? 1 : 0;
    int32_t bx = 0, by = 0, bw = dst->m_Width, bh = dst->m_Height;
    if (clip && !Intersect(bx, by, bw, bh, *clip)) return 0;
    int32_t x0 = x, y0 = y, cw = w, ch = h;
    if (!Intersect(x0, y0, cw, ch, CGameRect{bx, by, bw, bh})) return 0;
    if (!m_pSurface || !dst->m_pSurface) return 0;
    const int32_t sx = srcX + x0 - x, sy = srcY + y0 - y;
    const Rect src{sx, sy, sx + cw, sy + ch};
    const uint32_t flags = mode == 0 ? (DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY) : DDBLTFAST_WAIT;
    return dst->m_pSurface->BltFast(x0, y0, m_pSurface, &src, flags) == DD_OK ? 1 : 0;
}

bool CSurface::SoftwareBlt(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                           int32_t mode, int32_t level, const CGameRect* clip) {
    return SoftwareBltPicture(*this, *dst, x, y, w, h, srcX, srcY, mode, level, clip) == 1;
}

bool CSurface::BltToPrimary(int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY) {
    if (!s_pPrimary || !m_pSurface) return false;
    Rect src{srcX, srcY, srcX + w, srcY + h};
    if (s_pClipper) {
        Rect dst{x, y, x + w, y + h};
        return s_pPrimary->Blt(&dst, m_pSurface, &src, DDBLT_WAIT, nullptr) == DD_OK;
    }
    DDResult r = s_pPrimary->BltFast(x, y, m_pSurface, &src, DDBLTFAST_WAIT);
    for (int restores = 0; r == DDERR_SURFACELOST; ++restores) {
        if (restores >= kMaxRestoreRetries || s_pPrimary->Restore() != DD_OK) return false;
        r = s_pPrimary->BltFast(x, y, m_pSurface, &src, DDBLTFAST_WAIT);
    }
    switch (r) {
    case DDERR_INVALIDRECT:
    case DDERR_INVALIDPARAMS:
    case DDERR_UNSUPPORTED:
    case DDERR_GENERIC:
    case DDERR_EXCEPTION:
    case DDERR_INVALIDOBJECT:
    case DDERR_NOBLTHW:
    case DDERR_SURFACEBUSY: return false;
    default: return true;
    }
}

int CSurface::BltToWindow(Window* window, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY) {
    const Rect wr = GetWindowScreenRect(window);
    const int32_t left = wr.left, top = wr.top, width = wr.right - wr.left, height = wr.bottom - wr.top;
    int32_t x0 = x, y0 = y, cw = w, ch = h;
    if (!Intersect(x0, y0, cw, ch, CGameRect{0, 0, width, height})) return 0;
    int32_t sx0 = x0 + left, sy0 = y0 + top;
    if (!Intersect(sx0, sy0, cw, ch, CGameRect{0, 0, GetScreenMetrics(SM_CXSCREEN), GetScreenMetrics(SM_CYSCREEN)})) return 0;
    return BltToPrimary(sx0, sy0, cw, ch, srcX + sx0 - left - x, srcY + sy0 - top - y) ? 1 : 0;
}

int CSurface::FillScreenRect(Window*, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    if (!s_pPrimary) return 0;
    Rect r{x, y, x + w, y + h};
    DDBltFx fx;
    fx.size = 100;
    fx.fillColor = colour;
    const DDResult res = s_pPrimary->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &fx);
    if (res == DDERR_SURFACELOST || res == DDERR_WASSTILLDRAWING) return 0;
    return res == DD_OK ? 1 : 0;
}

int CSurface::Flip() {
    if (!s_pPrimary) return 0;
    switch (s_pPrimary->Flip(nullptr, DDFLIP_WAIT)) {
    case DDERR_NOFLIPHW:
    case DDERR_INVALIDPARAMS:
    case DDERR_UNSUPPORTED:
    case DDERR_GENERIC:
    case DDERR_INVALIDOBJECT:
    case DDERR_SURFACEBUSY:
    case DDERR_SURFACELOST:
    case DDERR_WASSTILLDRAWING:
    case DDERR_NOTFLIPPABLE: return 0;
    default: return 1;
    }
}

DrawContext* CSurface::GetDC() {
    if (!m_pSurface) return nullptr;
    DrawContext* dc = nullptr;
    if (m_pSurface->GetDC(&dc) != DD_OK) return nullptr;
    return dc;
}

void CSurface::ReleaseDC(DrawContext* dc) {
    if (m_pSurface && dc) m_pSurface->ReleaseDC(dc);
}

// ---------------------------------------------------------------- primitives
// The shared picture primitives do the work under one lock each.

bool CSurface::BoundsRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h) const {
    return Intersect(x, y, w, h, CGameRect{m_OriginX, m_OriginY, m_Width, m_Height});
}

void CSurface::PutPixel(uint32_t colour, int32_t x, int32_t y) {
    if (x < m_OriginX || x > m_OriginX + m_Width - 1 || y < m_OriginY || y > m_OriginY + m_Height - 1) return;
    DrawLocked(*this, [&](const PixelView& v) { DRAW_PutPixel(v, colour, x, y); });
}

void CSurface::FillRect(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!BoundsRect(x, y, w, h)) return;
    DrawLocked(*this, [&](const PixelView& v) { DRAW_FillRect(v, colour, x, y, w, h); });
}

void CSurface::FillRectClipped(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, const CGameRect* clip) {
    if (clip && !Intersect(x, y, w, h, *clip)) return;
    FillRect(colour, x, y, w, h);
}

void CSurface::FillAll(uint32_t colour) { FillRect(colour, 0, 0, m_Width, m_Height); }

void CSurface::FastFillRect16(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!BoundsRect(x, y, w, h)) return;
    DrawLocked(*this, [&](const PixelView& v) { DRAW_FastFillRect16(v, colour, x, y, w, h); });
}

void CSurface::FastFillRectClipped(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, const CGameRect* clip) {
    if (clip && !Intersect(x, y, w, h, *clip)) return;
    FastFillRect16(colour, x, y, w, h);
}

void CSurface::FastFillAll(uint32_t colour) { FastFillRect16(colour, 0, 0, m_Width, m_Height); }

void CSurface::DrawRect(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, int32_t filled, const CGameRect* clip) {
    DrawLocked(*this, [&](const PixelView& v) { DRAW_Rect(v, colour, x, y, w, h, filled, clip); });
}

int CSurface::DrawLine(uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const CGameRect* clip) {
    int result = 0;
    DrawLocked(*this, [&](const PixelView& v) { result = DRAW_Line(v, colour, x1, y1, x2, y2, clip); });
    return result;
}

void CSurface::ShadeBlock32(int32_t x, int32_t y, const uint8_t* mask) {
    if (!mask) return;
    DrawLocked(*this, [&](const PixelView& v) { DRAW_ShadeBlock32(v, x, y, mask); });
}

void CSurface::ShadeRect(int32_t x, int32_t y, int32_t maskX, int32_t maskY, int32_t w, int32_t h, const uint8_t* mask,
                         const CGameRect* clip) {
    if (!mask) return;
    DrawLocked(*this, [&](const PixelView& v) { DRAW_ShadeRect(v, x, y, maskX, maskY, w, h, mask, clip); });
}

void CSurface::DimRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t k) {
    if (!BoundsRect(x, y, w, h)) return;
    DrawLocked(*this, [&](const PixelView& v) { DRAW_DimRect(v, x, y, w, h, k); });
}
