#pragma once
// The display surface class: one wrapper serves as the display object
// (primary surface with its back buffer, or the windowed primary), as the
// back buffer the game draws into, and as every off-screen buffer. It also
// owns the process-wide display state (device, primary, clipper, gamma
// control) that all surfaces share. Display-mode, cooperative-level and
// display-restore results are logged to "BugLog.ini".
#include <cstdint>

#include "core/geometry.h"
#include "gfx/image.h"
#include "platform/display.h"

class CSurface : public CImage {
public:
    // Display object: creates the device when there is none; owns no
    // surface yet and does not count as live.
    CSurface();
    // Off-screen surface (video memory unless systemMemory).
    CSurface(int32_t width, int32_t height, int32_t systemMemory);
    ~CSurface() override;
    CSurface(const CSurface&) = delete;
    CSurface& operator=(const CSurface&) = delete;

    // Picture interface.
    int IsRle() override { return 0; }
    int Attach(uint8_t*, uint32_t) override { return 1; }
    int Blt(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, int32_t mode,
            int32_t level, const CGameRect* clip) override;
    int Draw(CSurface*, int32_t, int32_t, int32_t, int32_t, const CGameRect*) override { return 1; }
    int Kind() override { return 0; }

    virtual uint32_t GetColorKey() { return m_ColorKey; }
    virtual uint32_t SetColorKey(uint32_t key);
    // Address of the first pixel of the rectangle (x, y, w, h), or of the
    // surface; null on failure.
    virtual uint8_t* Lock(const CGameRect* rect);
    virtual int Unlock();

    // Drawing primitives.
    virtual void PutPixelAt(uint32_t colour, const CGamePoint& point) { PutPixel(colour, point.x, point.y); }
    virtual void PutPixel(uint32_t colour, int32_t x, int32_t y);
    virtual void FillRectClipped(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, const CGameRect* clip);
    virtual void FillRect(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h);
    virtual void FillAll(uint32_t colour);
    virtual void FastFillRectClipped(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, const CGameRect* clip);
    virtual void FastFillRect16(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h);
    virtual void FastFillAll(uint32_t colour);
    virtual void DrawRect(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, int32_t filled, const CGameRect* clip);
    virtual int DrawLine(uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const CGameRect* clip);
    virtual void ShadeBlock32(int32_t x, int32_t y, const uint8_t* mask);
    virtual void ShadeRect(int32_t x, int32_t y, int32_t maskX, int32_t maskY, int32_t w, int32_t h, const uint8_t* mask,
                           const CGameRect* clip);

    // Display set-up.
    virtual int SetCooperativeLevel(plat::Window* window, int32_t makeBackBuffer, uint32_t flags);
    virtual int SetDisplayMode(plat::Window* window, int32_t width, int32_t height, int32_t bitsPerPixel,
                               int32_t makeBackBuffer, uint32_t flags);
    virtual int RestoreDisplayMode();
    virtual int FillScreenRect(plat::Window* window, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
    virtual int BltToWindow(plat::Window* window, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY);
    virtual int AttachClipper(plat::Window* window);

    void Release();
    void Clear(const CGameRect* rect);
    bool CreateOffscreen(int32_t w, int32_t h, int32_t systemMemory);
    bool CreateFlipChain();
    bool CreateWindowedPrimary();
    int Flip();
    bool BltToPrimary(int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY);
    void ReadFormat();
    // Every pixel of the rectangle through blend table k (brightness k / 16).
    void DimRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t k);

    // Pixel value the surface uses for a GDI colour (written through the
    // drawing context, read back raw).
    static uint32_t MatchColor(plat::DDSurface* surface, uint32_t rgb);
    static plat::DDResult SetColorKeyRgb(plat::DDSurface* surface, uint32_t rgb);

    // Drawing context for text (GetDC / ReleaseDC of the surface); null when
    // there is no surface or it is busy or lost.
    plat::DrawContext* GetDC();
    void ReleaseDC(plat::DrawContext* dc);

    // Process-wide display state.
    static plat::DisplayDevice* s_pDD;
    static plat::DDSurface* s_pPrimary;
    static plat::DDClipper* s_pClipper;
    static int32_t s_LiveCount;
    static plat::DDGammaControl* s_pGammaControl;
    static plat::DDPixelFormat s_PixelFormat;

    int16_t m_PitchFactor = 1;
    int32_t m_Pitch = 0;
    int32_t m_RowCount = 0;
    uint32_t m_ColorKey = 0xFFFFFFFFu;
    plat::DDSurface* m_pSurface = nullptr;
    int32_t m_FullScreen = 0;
    plat::DDSurfaceDesc m_Desc;

    // Bounds of the retry loops that the device could otherwise keep busy
    // forever ("still drawing", or a loss that restores and is lost again).
    static constexpr int kMaxBusyRetries = 100;
    static constexpr int kMaxRestoreRetries = 3;

private:
    void InitFields();
    // The display-set-up step shared by SetCooperativeLevel and
    // SetDisplayMode after the device said yes: 1 when a primary exists.
    int MakeDisplaySurfaces(int32_t makeBackBuffer);
    bool SoftwareBlt(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, int32_t mode,
                     int32_t level, const CGameRect* clip);
    bool BoundsRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h) const;
};
