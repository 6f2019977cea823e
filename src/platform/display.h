#pragma once
// In-memory stand-in for the 16-bit display device: a device object with
// display modes and a cooperative level, surfaces (primary with one back
// buffer, off-screen), lock/unlock, fast and stretched copies with and
// without a source colour key, colour fill, flip, a clipper that records its
// window, a gamma ramp, and a drawing context for text. Results are the
// display error codes as numbers, so callers that log them by name keep
// working. Tests can force any operation to return a chosen code, and can
// make every surface lost.
//
// Presenting is a separate step: whenever the primary surface changes, the
// device hands the frame (16-bit pixels, layout, gamma) to the installed
// presenter (present.h).
#include <cstdint>
#include <string_view>

#include "platform/window.h"

namespace plat {

class Window;
class Font;
class Presenter;

using DDResult = int32_t;

constexpr DDResult MakeDDResult(int code) { return static_cast<DDResult>(0x88760000u | static_cast<uint32_t>(code)); }

constexpr DDResult DD_OK = 0;
constexpr DDResult DDERR_GENERIC = static_cast<DDResult>(0x80004005u);
constexpr DDResult DDERR_UNSUPPORTED = static_cast<DDResult>(0x80004001u);
constexpr DDResult DDERR_INVALIDPARAMS = static_cast<DDResult>(0x80070057u);
constexpr DDResult DDERR_OUTOFMEMORY = static_cast<DDResult>(0x8007000Eu);
constexpr DDResult DDERR_EXCEPTION = MakeDDResult(55);
constexpr DDResult DDERR_INVALIDCAPS = MakeDDResult(100);
constexpr DDResult DDERR_INVALIDMODE = MakeDDResult(120);
constexpr DDResult DDERR_INVALIDOBJECT = MakeDDResult(130);
constexpr DDResult DDERR_INVALIDPIXELFORMAT = MakeDDResult(145);
constexpr DDResult DDERR_INVALIDRECT = MakeDDResult(150);
constexpr DDResult DDERR_LOCKEDSURFACES = MakeDDResult(160);
constexpr DDResult DDERR_NOCOLORKEY = MakeDDResult(215);
constexpr DDResult DDERR_NOEXCLUSIVEMODE = MakeDDResult(225);
constexpr DDResult DDERR_NOFLIPHW = MakeDDResult(230);
constexpr DDResult DDERR_NOTFOUND = MakeDDResult(255);
constexpr DDResult DDERR_NOOVERLAYHW = MakeDDResult(260);
constexpr DDResult DDERR_OUTOFVIDEOMEMORY = MakeDDResult(380);
constexpr DDResult DDERR_SURFACEBUSY = MakeDDResult(430);
constexpr DDResult DDERR_SURFACELOST = MakeDDResult(450);
constexpr DDResult DDERR_UNSUPPORTEDFORMAT = MakeDDResult(510);
constexpr DDResult DDERR_WASSTILLDRAWING = MakeDDResult(540);
constexpr DDResult DDERR_HWNDSUBCLASSED = MakeDDResult(570);
constexpr DDResult DDERR_HWNDALREADYSET = MakeDDResult(571);
constexpr DDResult DDERR_NOBLTHW = MakeDDResult(575);
constexpr DDResult DDERR_EXCLUSIVEMODEALREADYSET = MakeDDResult(581);
constexpr DDResult DDERR_NOTFLIPPABLE = MakeDDResult(582);
constexpr DDResult DDERR_NOTLOCKED = MakeDDResult(584);
constexpr DDResult DDERR_UNSUPPORTEDMODE = MakeDDResult(590);
constexpr DDResult DDERR_INVALIDSURFACETYPE = MakeDDResult(592);

inline bool DDFailed(DDResult r) { return r < 0; }

// Surface description flags and capabilities.
enum : uint32_t {
    DDSD_CAPS = 0x1, DDSD_HEIGHT = 0x2, DDSD_WIDTH = 0x4, DDSD_PITCH = 0x8,
    DDSD_BACKBUFFERCOUNT = 0x20, DDSD_LPSURFACE = 0x800, DDSD_PIXELFORMAT = 0x1000,
};
enum : uint32_t {
    DDSCAPS_BACKBUFFER = 0x4, DDSCAPS_COMPLEX = 0x8, DDSCAPS_FLIP = 0x10,
    DDSCAPS_OFFSCREENPLAIN = 0x40, DDSCAPS_PRIMARYSURFACE = 0x200,
    DDSCAPS_SYSTEMMEMORY = 0x800, DDSCAPS_3DDEVICE = 0x2000, DDSCAPS_VIDEOMEMORY = 0x4000,
};
enum : uint32_t {
    DDSCL_FULLSCREEN = 0x1, DDSCL_ALLOWREBOOT = 0x2, DDSCL_NOWINDOWCHANGES = 0x4,
    DDSCL_NORMAL = 0x8, DDSCL_EXCLUSIVE = 0x10,
};
enum : uint32_t { DDLOCK_WAIT = 0x1 };
enum : uint32_t { DDBLT_COLORFILL = 0x400, DDBLT_KEYSRC = 0x8000, DDBLT_WAIT = 0x1000000 };
enum : uint32_t { DDBLTFAST_NOCOLORKEY = 0x0, DDBLTFAST_SRCCOLORKEY = 0x1, DDBLTFAST_WAIT = 0x10 };
enum : uint32_t { DDFLIP_WAIT = 0x1 };
enum : uint32_t { DDCKEY_SRCBLT = 0x8 };
enum : uint32_t { DDPF_RGB = 0x40 };

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct DDPixelFormat {
    uint32_t size = 32;
    uint32_t flags = 0;
    uint32_t fourCC = 0;
    uint32_t rgbBitCount = 0;
    uint32_t rBitMask = 0;
    uint32_t gBitMask = 0;
    uint32_t bBitMask = 0;
    uint32_t alphaBitMask = 0;
};

struct DDColorKey {
    uint32_t low = 0;
    uint32_t high = 0;
};

struct DDSurfaceDesc {
    uint32_t size = 124;
    uint32_t flags = 0;
    uint32_t height = 0;
    uint32_t width = 0;
    int32_t pitch = 0;
    uint32_t backBufferCount = 0;
    void* surface = nullptr;  // first pixel of the locked rectangle
    DDPixelFormat pixelFormat;
    uint32_t caps = 0;
};

struct DDBltFx {
    uint32_t size = 100;
    uint32_t fillColor = 0;
};

// Three channels of 256 entries, 0..65535 each.
struct GammaRamp {
    uint16_t red[256];
    uint16_t green[256];
    uint16_t blue[256];
};
void SetIdentityRamp(GammaRamp& ramp);

enum class PixelLayout { k565, k555 };

// Operations whose result tests can force.
enum class DisplayOp {
    SetCooperativeLevel, SetDisplayMode, RestoreDisplayMode, CreateSurface, CreateClipper,
    Lock, Unlock, Blt, BltFast, Flip, Restore, GetPixelFormat, GetAttachedSurface,
    SetColorKey, GetDC, SetClipper, SetHWnd, SetGammaRamp, Count
};
// The next `times` calls of `op` return `result` without doing anything
// (times < 0: every call until cleared). Forced results outlive devices.
void ForceDisplayResult(DisplayOp op, DDResult result, int times = 1);
void ClearDisplayFaults();
// How many times `op` was called since the last ClearDisplayFaults.
int DisplayCallCount(DisplayOp op);

// GDI-style colour 0x00BBGGRR.
constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (static_cast<uint32_t>(b) << 16); }
constexpr uint32_t CLR_INVALID = 0xFFFFFFFFu;
enum : int { TRANSPARENT = 1, OPAQUE = 2 };

struct TextSize {
    int32_t cx = 0;
    int32_t cy = 0;
};

class DDSurface;

// Drawing context of a surface (text, single pixels). Valid between
// DDSurface::GetDC and DDSurface::ReleaseDC; draws straight into the
// surface's pixels, clipped to the surface.
class DrawContext {
public:
    uint32_t SetTextColor(uint32_t colorRef);
    uint32_t SetBkColor(uint32_t colorRef);
    int SetBkMode(int mode);
    // Null selects the default font. Returns the previous one (null = default).
    Font* SelectFont(Font* font);
    // GBK text at (x, y), the top-left of the text cell.
    bool TextOut(int32_t x, int32_t y, std::string_view textGbk);
    TextSize GetTextExtent(std::string_view textGbk);
    uint32_t GetPixel(int32_t x, int32_t y);              // CLR_INVALID outside
    uint32_t SetPixel(int32_t x, int32_t y, uint32_t colorRef);  // colour set, or CLR_INVALID

private:
    friend class DDSurface;
    explicit DrawContext(DDSurface* owner) : owner_(owner) {}
    Font& CurrentFont();
    DDSurface* owner_;
    Font* font_ = nullptr;
    uint32_t textColor_ = 0;
    uint32_t bkColor_ = 0xFFFFFF;
    int bkMode_ = OPAQUE;
};

class DDClipper {
public:
    uint32_t AddRef();
    uint32_t Release();
    DDResult SetHWnd(uint32_t flags, Window* window);
    Window* GetHWnd() const { return window_; }

private:
    friend class DisplayDevice;
    DDClipper() = default;
    uint32_t refs_ = 1;
    Window* window_ = nullptr;
};

class DisplayDevice;

class DDGammaControl {
public:
    uint32_t AddRef();
    uint32_t Release();
    DDResult GetGammaRamp(uint32_t flags, GammaRamp* ramp);
    DDResult SetGammaRamp(uint32_t flags, const GammaRamp* ramp);

private:
    friend class DDSurface;
    explicit DDGammaControl(DisplayDevice* device);
    uint32_t refs_ = 1;
    DisplayDevice* device_;
};

class DDSurface {
public:
    uint32_t AddRef();
    uint32_t Release();

    DDResult Lock(const Rect* rect, DDSurfaceDesc* desc, uint32_t flags);
    DDResult Unlock(const Rect* rect);
    // Copy, stretch (nearest neighbour) or colour fill. Null rectangles mean
    // the whole surface. With a clipper the destination is clipped to the
    // surface; without, a rectangle outside the surface is refused.
    DDResult Blt(const Rect* dstRect, DDSurface* src, const Rect* srcRect, uint32_t flags, const DDBltFx* fx);
    DDResult BltFast(int32_t x, int32_t y, DDSurface* src, const Rect* srcRect, uint32_t flags);
    DDResult Flip(DDSurface* target, uint32_t flags);
    DDResult SetColorKey(uint32_t flags, const DDColorKey* key);
    DDResult GetColorKey(uint32_t flags, DDColorKey* key);
    DDResult GetPixelFormat(DDPixelFormat* format);
    DDResult GetSurfaceDesc(DDSurfaceDesc* desc);
    DDResult GetAttachedSurface(uint32_t caps, DDSurface** out);
    DDResult IsLost();
    DDResult Restore();
    DDResult SetClipper(DDClipper* clipper);
    DDResult GetDC(DrawContext** dc);
    DDResult ReleaseDC(DrawContext* dc);
    // Gamma control of the primary surface (E_NOINTERFACE-like failure on
    // other surfaces).
    DDResult QueryGammaControl(DDGammaControl** out);

    // Test and presenter access.
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Pitch() const { return pitch_; }
    uint32_t Caps() const { return caps_; }
    const uint8_t* Pixels() const { return mem_; }
    uint8_t* MutablePixels() { return mem_; }
    uint16_t PixelAt(int32_t x, int32_t y) const;
    bool IsLocked() const { return locked_; }
    void MarkLost() { lost_ = true; }
    PixelLayout Layout() const { return layout_; }
    // 16-bit pixel of a GDI colour in this surface's layout, and back.
    uint16_t PixelFromColorRef(uint32_t colorRef) const;
    uint32_t ColorRefFromPixel(uint16_t pixel) const;

private:
    friend class DisplayDevice;
    friend class DrawContext;
    friend class DDGammaControl;
    DDSurface(DisplayDevice* device, int32_t w, int32_t h, uint32_t caps, PixelLayout layout);
    ~DDSurface();
    DDResult CheckUsable() const;
    // A copy's source: usable (unless it is this surface) and srcRect (null:
    // all of it) inside it, given back in *sr.
    DDResult CheckSource(const DDSurface* src, const Rect* srcRect, Rect* sr) const;
    void Present();

    DisplayDevice* device_;
    uint32_t refs_ = 1;
    int32_t width_, height_, pitch_;
    uint32_t caps_;
    PixelLayout layout_;
    uint8_t* mem_ = nullptr;
    bool locked_ = false;
    bool lost_ = false;
    bool hasKey_ = false;
    DDColorKey key_;
    DDSurface* attached_ = nullptr;  // back buffer of a flip chain
    DDClipper* clipper_ = nullptr;
    DrawContext* dc_ = nullptr;
    DDSurface* prev_ = nullptr;  // device's list of live surfaces
    DDSurface* next_ = nullptr;
};

class DisplayDevice {
public:
    uint32_t AddRef();
    uint32_t Release();

    DDResult SetCooperativeLevel(Window* window, uint32_t flags);
    DDResult SetDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel, uint32_t refreshRate, uint32_t flags);
    DDResult RestoreDisplayMode();
    DDResult CreateSurface(DDSurfaceDesc* desc, DDSurface** out);
    DDResult CreateClipper(uint32_t flags, DDClipper** out);
    DDResult GetCaps();

    // Test hooks.
    // Every live surface becomes lost (as when another program takes the
    // display); each comes back with its own Restore.
    void LoseAllSurfaces();
    int LiveSurfaceCount() const;
    DDSurface* Primary() const { return primary_; }
    uint32_t CooperativeFlags() const { return coopFlags_; }
    Window* CooperativeWindow() const { return coopWindow_; }
    const GammaRamp& Gamma() const { return gamma_; }
    bool GammaIsIdentity() const { return gammaIdentity_; }

private:
    friend DDResult DirectDrawCreate(DisplayDevice** out);
    friend class DDSurface;
    friend class DDGammaControl;
    DisplayDevice();
    ~DisplayDevice();
    void Link(DDSurface* s);
    void Unlink(DDSurface* s);

    uint32_t refs_ = 1;
    uint32_t coopFlags_ = 0;
    Window* coopWindow_ = nullptr;
    DDSurface* primary_ = nullptr;  // not owned: cleared when it dies
    DDSurface* first_ = nullptr;
    GammaRamp gamma_;
    bool gammaIdentity_ = true;
};

// Creates the device (one per process is usual; each call makes a new one).
DDResult DirectDrawCreate(DisplayDevice** out);
// The most recently created device that is still alive, or null.
DisplayDevice* CurrentDisplayDevice();

// Pixel layout of 16-bit display modes (565 unless switched). Surfaces take
// the layout in force when they are created.
void SetDisplayLayout(PixelLayout layout);
PixelLayout GetDisplayLayout();

// Screen size as the display sees it: the display mode's size while one is
// set, else the window backend's screen size (GetSystemMetrics).
int GetScreenMetrics(int index);
// The size of the display mode in force; false when none is set.
bool GetDisplayModeSize(int32_t* width, int32_t* height);

// Where a window lies on the screen (left, top, right, bottom); a null
// window covers the whole screen.
Rect GetWindowScreenRect(Window* window);

// The presenter that receives each new content of the primary surface (not
// owned; null: frames are dropped). A content equal to the one it last
// received (same pixels, size, layout and gamma) is not handed to it again,
// unless the presenter asks for a frame (Presenter::WantsFrame).
void SetDisplayPresenter(Presenter* presenter);
Presenter* GetDisplayPresenter();
// Something other than the primary (a video) was shown through the
// presenter: the primary's next content is handed over even when it is
// the same as before.
void ForgetPresentedFrame();

// The 16-bit pixel of an 8-bit-per-channel colour in a layout (low bits
// dropped), and the colour of a pixel with each field widened to 8 bits by
// repeating its top bits (so full fields give 255).
uint16_t PackPixel(PixelLayout layout, uint8_t r, uint8_t g, uint8_t b);
void UnpackPixel(PixelLayout layout, uint16_t pixel, uint8_t* r, uint8_t* g, uint8_t* b);

} // namespace plat
