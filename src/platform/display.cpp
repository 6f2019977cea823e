#include "platform/display.h"

#include <cstring>
#include <memory>
#include <vector>

#include "platform/fast_stretch.h"
#include "platform/fault_queue.h"
#include "platform/font.h"
#include "platform/present.h"

namespace plat {

namespace {

constexpr DDResult kNoInterface = static_cast<DDResult>(0x80004002u);
constexpr DDResult kPrimaryExists = MakeDDResult(564);
constexpr int kOps = static_cast<int>(DisplayOp::Count);
// Off-screen rows are padded so that code assuming pitch == width x 2 shows.
constexpr int32_t kPitchPad = 32;
constexpr int32_t kMaxSide = 16384;

struct DisplayState {
    FaultQueue<DisplayOp, kOps> faults;
    DisplayDevice* current = nullptr;
    PixelLayout layout = PixelLayout::k565;
    Presenter* presenter = nullptr;
    // What the presenter last received from a primary, rows packed.
    std::vector<uint8_t> shown;
    bool shownValid = false;
    int32_t shownW = 0, shownH = 0;
    PixelLayout shownLayout = PixelLayout::k565;
    bool shownGamma = false;
    GammaRamp shownRamp;
    bool modeSet = false;
    int32_t modeW = 0, modeH = 0;
};

DisplayState& St() {
    static DisplayState s;
    return s;
}

bool Fault(DisplayOp op, DDResult* out) { return St().faults.Take(op, out); }

#define DD_FAULT(op)                                   \
    do {                                               \
        DDResult forced_;                              \
        if (Fault(DisplayOp::op, &forced_)) return forced_; \
    } while (0)

bool ValidRect(const Rect& r, int32_t w, int32_t h) {
    return r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h && r.left < r.right && r.top < r.bottom;
}

inline uint16_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void Store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

} // namespace

void SetIdentityRamp(GammaRamp& ramp) {
    for (int i = 0; i < 256; ++i) {
        const uint16_t v = static_cast<uint16_t>(i * 257);
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = v;
    }
}

void ForceDisplayResult(DisplayOp op, DDResult result, int times) {
    St().faults.Force(op, result, times);
}

void ClearDisplayFaults() {
    St().faults.Clear();
}

int DisplayCallCount(DisplayOp op) { return St().faults.Calls(op); }

void SetDisplayLayout(PixelLayout layout) { St().layout = layout; }
PixelLayout GetDisplayLayout() { return St().layout; }

int GetScreenMetrics(int index) {
    const DisplayState& s = St();
    if (s.modeSet && (index == SM_CXSCREEN || index == SM_CYSCREEN)) return index == SM_CXSCREEN ? s.modeW : s.modeH;
    return GetSystemMetrics(index);
}

bool GetDisplayModeSize(int32_t* width, int32_t* height) {
    const DisplayState& s = St();
    if (!s.modeSet) return false;
    if (width) *width = s.modeW;
    if (height) *height = s.modeH;
    return true;
}

Rect GetWindowScreenRect(Window* window) {
    Rect r;
    if (window) {
        r.left = window->X();
        r.top = window->Y();
        r.right = window->X() + window->Width();
        r.bottom = window->Y() + window->Height();
    } else {
        r.right = GetScreenMetrics(SM_CXSCREEN);
        r.bottom = GetScreenMetrics(SM_CYSCREEN);
    }
    return r;
}

void SetDisplayPresenter(Presenter* presenter) {
    St().presenter = presenter;
    St().shownValid = false;
}

void ForgetPresentedFrame() { St().shownValid = false; }
Presenter* GetDisplayPresenter() { return St().presenter; }

DisplayDevice* CurrentDisplayDevice() { return St().current; }

uint16_t PackPixel(PixelLayout layout, uint8_t r, uint8_t g, uint8_t b) {
    if (layout == PixelLayout::k565) return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    return static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

void UnpackPixel(PixelLayout layout, uint16_t p, uint8_t* r, uint8_t* g, uint8_t* b) {
    unsigned rf, gf, bf = p & 31;
    if (layout == PixelLayout::k565) {
        rf = p >> 11;
        gf = (p >> 5) & 63;
        *g = static_cast<uint8_t>((gf << 2) | (gf >> 4));
    } else {
        rf = (p >> 10) & 31;
        gf = (p >> 5) & 31;
        *g = static_cast<uint8_t>((gf << 3) | (gf >> 2));
    }
    *r = static_cast<uint8_t>((rf << 3) | (rf >> 2));
    *b = static_cast<uint8_t>((bf << 3) | (bf >> 2));
}

// ---------------------------------------------------------------- clipper

uint32_t DDClipper::AddRef() { return ++refs_; }
uint32_t DDClipper::Release() {
    const uint32_t r = --refs_;
    if (r == 0) delete this;
    return r;
}
DDResult DDClipper::SetHWnd(uint32_t, Window* window) {
    DD_FAULT(SetHWnd);
    window_ = window;
    return DD_OK;
}

// ---------------------------------------------------------------- gamma

DDGammaControl::DDGammaControl(DisplayDevice* device) : device_(device) { device_->AddRef(); }
uint32_t DDGammaControl::AddRef() { return ++refs_; }
uint32_t DDGammaControl::Release() {
    const uint32_t r = --refs_;
    if (r == 0) {
        device_->Release();
        delete this;
    }
    return r;
}
DDResult DDGammaControl::GetGammaRamp(uint32_t, GammaRamp* ramp) {
    if (!ramp) return DDERR_INVALIDPARAMS;
    *ramp = device_->gamma_;
    return DD_OK;
}
DDResult DDGammaControl::SetGammaRamp(uint32_t, const GammaRamp* ramp) {
    DD_FAULT(SetGammaRamp);
    if (!ramp) return DDERR_INVALIDPARAMS;
    device_->gamma_ = *ramp;
    GammaRamp id;
    SetIdentityRamp(id);
    device_->gammaIdentity_ = std::memcmp(&id, ramp, sizeof id) == 0;
    if (device_->primary_) device_->primary_->Present();
    return DD_OK;
}

// ---------------------------------------------------------------- surface

DDSurface::DDSurface(DisplayDevice* device, int32_t w, int32_t h, uint32_t caps, PixelLayout layout)
    : device_(device), width_(w), height_(h), pitch_(w * 2 + kPitchPad), caps_(caps), layout_(layout) {
    device_->AddRef();
    mem_ = new uint8_t[static_cast<size_t>(pitch_) * h]();
    device_->Link(this);
}

DDSurface::~DDSurface() {
    device_->Unlink(this);
    if (device_->primary_ == this) device_->primary_ = nullptr;
    if (attached_) attached_->Release();
    if (clipper_) clipper_->Release();
    delete dc_;
    delete[] mem_;
    device_->Release();
}

uint32_t DDSurface::AddRef() { return ++refs_; }
uint32_t DDSurface::Release() {
    const uint32_t r = --refs_;
    if (r == 0) delete this;
    return r;
}

DDResult DDSurface::CheckUsable() const {
    if (lost_) return DDERR_SURFACELOST;
    if (locked_ || dc_) return DDERR_SURFACEBUSY;
    return DD_OK;
}

DDResult DDSurface::CheckSource(const DDSurface* src, const Rect* srcRect, Rect* sr) const {
    if (src != this) {
        if (const DDResult r = src->CheckUsable(); r != DD_OK) return r;
    }
    *sr = srcRect ? *srcRect : Rect{0, 0, src->width_, src->height_};
    return ValidRect(*sr, src->width_, src->height_) ? DD_OK : DDERR_INVALIDRECT;
}

uint16_t DDSurface::PixelAt(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return Load16(mem_ + static_cast<size_t>(y) * pitch_ + x * 2);
}

uint16_t DDSurface::PixelFromColorRef(uint32_t c) const {
    return PackPixel(layout_, static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>((c >> 8) & 0xFF),
                     static_cast<uint8_t>((c >> 16) & 0xFF));
}

uint32_t DDSurface::ColorRefFromPixel(uint16_t pixel) const {
    uint8_t r, g, b;
    UnpackPixel(layout_, pixel, &r, &g, &b);
    return Rgb(r, g, b);
}

void DDSurface::Present() {
    DisplayState& s = St();
    Presenter* p = s.presenter;
    if (!p || device_->primary_ != this || lost_) return;
    // Every blit to the primary and every frame of the loop arrives here;
    // an unchanged picture (an idle screen whose animated cursor did not
    // step) costs the presenter nothing.
    const GammaRamp* ramp = device_->gammaIdentity_ ? nullptr : &device_->gamma_;
    const size_t rowBytes = static_cast<size_t>(width_) * 2;
    bool same = s.shownValid && !p->WantsFrame() && s.shownW == width_ && s.shownH == height_ &&
                s.shownLayout == layout_ && s.shownGamma == (ramp != nullptr) &&
                (!ramp || std::memcmp(ramp, &s.shownRamp, sizeof(GammaRamp)) == 0);
    for (int32_t y = 0; same && y < height_; ++y)
        same = std::memcmp(mem_ + static_cast<size_t>(y) * pitch_, s.shown.data() + y * rowBytes, rowBytes) == 0;
    if (same) return;
    Frame f;
    f.width = width_;
    f.height = height_;
    f.pitch = pitch_;
    f.pixels = mem_;
    f.layout = layout_;
    f.gamma = ramp;
    if (!p->Present(f)) {
        s.shownValid = false;
        return;
    }
    s.shown.resize(rowBytes * height_);
    for (int32_t y = 0; y < height_; ++y)
        std::memcpy(s.shown.data() + y * rowBytes, mem_ + static_cast<size_t>(y) * pitch_, rowBytes);
    s.shownW = width_;
    s.shownH = height_;
    s.shownLayout = layout_;
    s.shownGamma = ramp != nullptr;
    if (ramp) s.shownRamp = *ramp;
    s.shownValid = true;
}

DDResult DDSurface::Lock(const Rect* rect, DDSurfaceDesc* desc, uint32_t) {
    DD_FAULT(Lock);
    if (!desc || desc->size != 124) return DDERR_INVALIDPARAMS;
    if (const DDResult r = CheckUsable(); r != DD_OK) return r;
    Rect whole{0, 0, width_, height_};
    const Rect& r = rect ? *rect : whole;
    if (!ValidRect(r, width_, height_)) return DDERR_INVALIDPARAMS;
    desc->flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_LPSURFACE | DDSD_PIXELFORMAT;
    desc->width = static_cast<uint32_t>(width_);
    desc->height = static_cast<uint32_t>(height_);
    desc->pitch = pitch_;
    desc->surface = mem_ + static_cast<size_t>(r.top) * pitch_ + r.left * 2;
    desc->caps = caps_;
    desc->pixelFormat.size = 32;
    desc->pixelFormat.flags = DDPF_RGB;
    desc->pixelFormat.rgbBitCount = 16;
    if (layout_ == PixelLayout::k565) {
        desc->pixelFormat.rBitMask = 0xF800;
        desc->pixelFormat.gBitMask = 0x07E0;
    } else {
        desc->pixelFormat.rBitMask = 0x7C00;
        desc->pixelFormat.gBitMask = 0x03E0;
    }
    desc->pixelFormat.bBitMask = 0x001F;
    locked_ = true;
    return DD_OK;
}

DDResult DDSurface::Unlock(const Rect*) {
    DD_FAULT(Unlock);
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    Present();
    return DD_OK;
}

namespace {

// Copies (or stretches, nearest neighbour) srcR of src onto dstR of dst,
// drawing only the part of dstR inside vis. Same-surface copies go through
// a temporary buffer so overlapping rectangles read the old pixels.
void CopyPixels(DDSurface* dst, const Rect& dstR, const Rect& vis, DDSurface* src, const Rect& srcR, bool keyed,
                uint32_t key) {
    const int32_t sw = srcR.right - srcR.left, sh = srcR.bottom - srcR.top;
    const int32_t dw = dstR.right - dstR.left, dh = dstR.bottom - dstR.top;
    const uint8_t* sbase = src->Pixels() + static_cast<size_t>(srcR.top) * src->Pitch() + srcR.left * 2;
    int32_t spitch = src->Pitch();
    std::vector<uint8_t> temp;
    if (src == dst) {
        temp.resize(static_cast<size_t>(sw) * sh * 2);
        for (int32_t y = 0; y < sh; ++y) std::memcpy(temp.data() + static_cast<size_t>(y) * sw * 2, sbase + static_cast<size_t>(y) * spitch, sw * 2);
        sbase = temp.data();
        spitch = sw * 2;
    }
    uint8_t* dmem = dst->MutablePixels();
    if (FastStretchSelected()) {
        StretchCopy16(dmem, dst->Pitch(), sbase, spitch, sw, sh, dw, dh, dstR.left, dstR.top, vis.left, vis.top,
                      vis.right, vis.bottom, keyed, key);
        return;
    }
    for (int32_t y = vis.top; y < vis.bottom; ++y) {
        const int32_t sy = static_cast<int32_t>(static_cast<int64_t>(y - dstR.top) * sh / dh);
        const uint8_t* srow = sbase + static_cast<size_t>(sy) * spitch;
        uint8_t* drow = dmem + static_cast<size_t>(y) * dst->Pitch();
        for (int32_t x = vis.left; x < vis.right; ++x) {
            const int32_t sx = static_cast<int32_t>(static_cast<int64_t>(x - dstR.left) * sw / dw);
            const uint16_t p = Load16(srow + sx * 2);
            if (keyed && p == key) continue;
            Store16(drow + x * 2, p);
        }
    }
}

} // namespace

DDResult DDSurface::Blt(const Rect* dstRect, DDSurface* src, const Rect* srcRect, uint32_t flags, const DDBltFx* fx) {
    DD_FAULT(Blt);
    if (const DDResult r = CheckUsable(); r != DD_OK) return r;
    const Rect whole{0, 0, width_, height_};
    const Rect dr = dstRect ? *dstRect : whole;
    if (dr.left >= dr.right || dr.top >= dr.bottom) return DDERR_INVALIDRECT;
    // With a clipper the destination is clipped to the surface; without,
    // it must lie inside.
    Rect vis = dr;
    if (clipper_) {
        if (vis.left < 0) vis.left = 0;
        if (vis.top < 0) vis.top = 0;
        if (vis.right > width_) vis.right = width_;
        if (vis.bottom > height_) vis.bottom = height_;
        if (vis.left >= vis.right || vis.top >= vis.bottom) return DD_OK;
    } else if (!ValidRect(dr, width_, height_)) {
        return DDERR_INVALIDRECT;
    }
    if (flags & DDBLT_COLORFILL) {
        if (!fx || fx->size != 100) return DDERR_INVALIDPARAMS;
        const uint16_t c = static_cast<uint16_t>(fx->fillColor);
        for (int32_t y = vis.top; y < vis.bottom; ++y) {
            uint8_t* row = mem_ + static_cast<size_t>(y) * pitch_;
            for (int32_t x = vis.left; x < vis.right; ++x) Store16(row + x * 2, c);
        }
        Present();
        return DD_OK;
    }
    if (!src) return DDERR_INVALIDPARAMS;
    Rect sr;
    if (const DDResult r = CheckSource(src, srcRect, &sr); r != DD_OK) return r;
    const bool keyed = (flags & DDBLT_KEYSRC) && src->hasKey_;
    CopyPixels(this, dr, vis, src, sr, keyed, src->key_.low);
    Present();
    return DD_OK;
}

DDResult DDSurface::BltFast(int32_t x, int32_t y, DDSurface* src, const Rect* srcRect, uint32_t flags) {
    DD_FAULT(BltFast);
    if (!src) return DDERR_INVALIDPARAMS;
    if (const DDResult r = CheckUsable(); r != DD_OK) return r;
    Rect sr;
    if (const DDResult r = CheckSource(src, srcRect, &sr); r != DD_OK) return r;
    const Rect dr{x, y, x + (sr.right - sr.left), y + (sr.bottom - sr.top)};
    if (!ValidRect(dr, width_, height_)) return DDERR_INVALIDRECT;
    const bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) && src->hasKey_;
    CopyPixels(this, dr, dr, src, sr, keyed, src->key_.low);
    Present();
    return DD_OK;
}

DDResult DDSurface::Flip(DDSurface*, uint32_t) {
    DD_FAULT(Flip);
    if (!attached_ || device_->primary_ != this) return DDERR_NOTFLIPPABLE;
    if (lost_ || attached_->lost_) return DDERR_SURFACELOST;
    if (locked_ || dc_ || attached_->locked_ || attached_->dc_) return DDERR_SURFACEBUSY;
    std::swap(mem_, attached_->mem_);
    Present();
    return DD_OK;
}

DDResult DDSurface::SetColorKey(uint32_t flags, const DDColorKey* key) {
    DD_FAULT(SetColorKey);
    if (!(flags & DDCKEY_SRCBLT)) return DDERR_INVALIDPARAMS;
    if (!key) {
        hasKey_ = false;
        return DD_OK;
    }
    key_ = *key;
    hasKey_ = true;
    return DD_OK;
}

DDResult DDSurface::GetColorKey(uint32_t flags, DDColorKey* key) {
    if (!(flags & DDCKEY_SRCBLT) || !key) return DDERR_INVALIDPARAMS;
    if (!hasKey_) return DDERR_NOCOLORKEY;
    *key = key_;
    return DD_OK;
}

DDResult DDSurface::GetPixelFormat(DDPixelFormat* format) {
    DD_FAULT(GetPixelFormat);
    if (!format || format->size != 32) return DDERR_INVALIDPARAMS;
    format->flags = DDPF_RGB;
    format->fourCC = 0;
    format->rgbBitCount = 16;
    format->rBitMask = layout_ == PixelLayout::k565 ? 0xF800 : 0x7C00;
    format->gBitMask = layout_ == PixelLayout::k565 ? 0x07E0 : 0x03E0;
    format->bBitMask = 0x001F;
    format->alphaBitMask = 0;
    return DD_OK;
}

DDResult DDSurface::GetSurfaceDesc(DDSurfaceDesc* desc) {
    if (!desc || desc->size != 124) return DDERR_INVALIDPARAMS;
    desc->flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->width = static_cast<uint32_t>(width_);
    desc->height = static_cast<uint32_t>(height_);
    desc->pitch = pitch_;
    desc->caps = caps_;
    desc->surface = nullptr;
    desc->pixelFormat.size = 32;
    return GetPixelFormat(&desc->pixelFormat);
}

DDResult DDSurface::GetAttachedSurface(uint32_t caps, DDSurface** out) {
    DD_FAULT(GetAttachedSurface);
    if (!out) return DDERR_INVALIDPARAMS;
    if (!attached_ || !(caps & DDSCAPS_BACKBUFFER)) return DDERR_NOTFOUND;
    attached_->AddRef();
    *out = attached_;
    return DD_OK;
}

DDResult DDSurface::IsLost() { return lost_ ? DDERR_SURFACELOST : DD_OK; }

DDResult DDSurface::Restore() {
    DD_FAULT(Restore);
    lost_ = false;
    // Whatever took the display drew over what the presenter showed.
    if (device_->primary_ == this) St().shownValid = false;
    // A flip chain comes back as a whole.
    if (attached_) attached_->lost_ = false;
    return DD_OK;
}

DDResult DDSurface::SetClipper(DDClipper* clipper) {
    DD_FAULT(SetClipper);
    if (clipper) clipper->AddRef();
    if (clipper_) clipper_->Release();
    clipper_ = clipper;
    return DD_OK;
}

DDResult DDSurface::GetDC(DrawContext** dc) {
    DD_FAULT(GetDC);
    if (!dc) return DDERR_INVALIDPARAMS;
    if (const DDResult r = CheckUsable(); r != DD_OK) return r;
    dc_ = new DrawContext(this);
    *dc = dc_;
    return DD_OK;
}

DDResult DDSurface::ReleaseDC(DrawContext* dc) {
    if (!dc || dc != dc_) return DDERR_INVALIDPARAMS;
    delete dc_;
    dc_ = nullptr;
    Present();
    return DD_OK;
}

DDResult DDSurface::QueryGammaControl(DDGammaControl** out) {
    if (!out) return DDERR_INVALIDPARAMS;
    if (device_->primary_ != this) return kNoInterface;
    *out = new DDGammaControl(device_);
    return DD_OK;
}

// ---------------------------------------------------------------- drawing context

uint32_t DrawContext::SetTextColor(uint32_t c) {
    const uint32_t old = textColor_;
    textColor_ = c;
    return old;
}
uint32_t DrawContext::SetBkColor(uint32_t c) {
    const uint32_t old = bkColor_;
    bkColor_ = c;
    return old;
}
int DrawContext::SetBkMode(int mode) {
    const int old = bkMode_;
    bkMode_ = mode;
    return old;
}
Font* DrawContext::SelectFont(Font* font) {
    Font* old = font_;
    font_ = font;
    return old;
}

Font& DrawContext::CurrentFont() {
    if (font_) return *font_;
    static Font defaultFont(12, FW_NORMAL, "");
    return defaultFont;
}

TextSize DrawContext::GetTextExtent(std::string_view textGbk) { return CurrentFont().MeasureGbk(textGbk); }

bool DrawContext::TextOut(int32_t x, int32_t y, std::string_view textGbk) {
    Font& f = CurrentFont();
    DDSurface* s = owner_;
    if (bkMode_ == OPAQUE) {
        const TextSize ext = f.MeasureGbk(textGbk);
        const uint16_t bk = s->PixelFromColorRef(bkColor_);
        for (int32_t py = y < 0 ? 0 : y; py < y + ext.cy && py < s->height_; ++py) {
            uint8_t* row = s->mem_ + static_cast<size_t>(py) * s->pitch_;
            for (int32_t px = x < 0 ? 0 : x; px < x + ext.cx && px < s->width_; ++px) Store16(row + px * 2, bk);
        }
    }
    return f.DrawGbk(s->mem_, s->pitch_, s->width_, s->height_, x, y, textGbk, s->PixelFromColorRef(textColor_));
}

uint32_t DrawContext::GetPixel(int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= owner_->width_ || y >= owner_->height_) return CLR_INVALID;
    return owner_->ColorRefFromPixel(owner_->PixelAt(x, y));
}

uint32_t DrawContext::SetPixel(int32_t x, int32_t y, uint32_t colorRef) {
    if (x < 0 || y < 0 || x >= owner_->width_ || y >= owner_->height_) return CLR_INVALID;
    const uint16_t p = owner_->PixelFromColorRef(colorRef);
    Store16(owner_->mem_ + static_cast<size_t>(y) * owner_->pitch_ + x * 2, p);
    return owner_->ColorRefFromPixel(p);
}

// ---------------------------------------------------------------- device

DDResult DirectDrawCreate(DisplayDevice** out) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = new DisplayDevice();
    St().current = *out;
    return DD_OK;
}

DisplayDevice::DisplayDevice() { SetIdentityRamp(gamma_); }

DisplayDevice::~DisplayDevice() {
    if (St().current == this) St().current = nullptr;
}

uint32_t DisplayDevice::AddRef() { return ++refs_; }
uint32_t DisplayDevice::Release() {
    const uint32_t r = --refs_;
    if (r == 0) delete this;
    return r;
}

void DisplayDevice::Link(DDSurface* s) {
    s->next_ = first_;
    if (first_) first_->prev_ = s;
    first_ = s;
}

void DisplayDevice::Unlink(DDSurface* s) {
    if (s->prev_) s->prev_->next_ = s->next_;
    else first_ = s->next_;
    if (s->next_) s->next_->prev_ = s->prev_;
    s->prev_ = s->next_ = nullptr;
}

int DisplayDevice::LiveSurfaceCount() const {
    int n = 0;
    for (DDSurface* s = first_; s; s = s->next_) ++n;
    return n;
}

void DisplayDevice::LoseAllSurfaces() {
    for (DDSurface* s = first_; s; s = s->next_) s->lost_ = true;
}

DDResult DisplayDevice::SetCooperativeLevel(Window* window, uint32_t flags) {
    DD_FAULT(SetCooperativeLevel);
    if ((flags & DDSCL_EXCLUSIVE) && !(flags & DDSCL_FULLSCREEN)) return DDERR_INVALIDPARAMS;
    coopFlags_ = flags;
    coopWindow_ = window;
    return DD_OK;
}

DDResult DisplayDevice::SetDisplayMode(uint32_t width, uint32_t height, uint32_t bpp, uint32_t, uint32_t) {
    DD_FAULT(SetDisplayMode);
    for (DDSurface* s = first_; s; s = s->next_) {
        if (s->locked_ || s->dc_) return DDERR_LOCKEDSURFACES;
    }
    static const uint32_t kModes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 720}, {1280, 960}, {1280, 1024}};
    bool known = false;
    for (const auto& m : kModes) known = known || (m[0] == width && m[1] == height);
    if (bpp != 16 || !known) return DDERR_UNSUPPORTEDMODE;
    DisplayState& st = St();
    const bool changed = GetScreenMetrics(SM_CXSCREEN) != static_cast<int>(width) ||
                         GetScreenMetrics(SM_CYSCREEN) != static_cast<int>(height);
    st.modeSet = true;
    st.modeW = static_cast<int32_t>(width);
    st.modeH = static_cast<int32_t>(height);
    // A mode change takes the video memory of every surface.
    if (changed) LoseAllSurfaces();
    return DD_OK;
}

DDResult DisplayDevice::RestoreDisplayMode() {
    DD_FAULT(RestoreDisplayMode);
    DisplayState& st = St();
    if (st.modeSet) {
        st.modeSet = false;
        if (GetSystemMetrics(SM_CXSCREEN) != st.modeW || GetSystemMetrics(SM_CYSCREEN) != st.modeH) LoseAllSurfaces();
    }
    return DD_OK;
}

DDResult DisplayDevice::CreateSurface(DDSurfaceDesc* desc, DDSurface** out) {
    DD_FAULT(CreateSurface);
    if (!desc || !out || desc->size != 124 || !(desc->flags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    const PixelLayout layout = St().layout;
    if (desc->caps & DDSCAPS_PRIMARYSURFACE) {
        if (primary_) return kPrimaryExists;
        const int32_t w = GetScreenMetrics(SM_CXSCREEN), h = GetScreenMetrics(SM_CYSCREEN);
        if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return DDERR_INVALIDPARAMS;
        const bool chain = (desc->caps & DDSCAPS_FLIP) && (desc->flags & DDSD_BACKBUFFERCOUNT) && desc->backBufferCount > 0;
        if ((desc->caps & DDSCAPS_FLIP) && !chain) return DDERR_INVALIDPARAMS;
        DDSurface* p = new DDSurface(this, w, h, desc->caps, layout);
        if (chain) p->attached_ = new DDSurface(this, w, h, DDSCAPS_BACKBUFFER | (desc->caps & DDSCAPS_3DDEVICE), layout);
        primary_ = p;
        // A new mode: its first picture is shown whatever the last one was.
        St().shownValid = false;
        *out = p;
        return DD_OK;
    }
    if ((desc->flags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (desc->width == 0 || desc->height == 0) return DDERR_INVALIDPARAMS;
    if (desc->width > static_cast<uint32_t>(kMaxSide) || desc->height > static_cast<uint32_t>(kMaxSide)) {
        return (desc->caps & DDSCAPS_VIDEOMEMORY) ? DDERR_OUTOFVIDEOMEMORY : DDERR_OUTOFMEMORY;
    }
    *out = new DDSurface(this, static_cast<int32_t>(desc->width), static_cast<int32_t>(desc->height), desc->caps, layout);
    return DD_OK;
}

DDResult DisplayDevice::CreateClipper(uint32_t, DDClipper** out) {
    DD_FAULT(CreateClipper);
    if (!out) return DDERR_INVALIDPARAMS;
    *out = new DDClipper();
    return DD_OK;
}

DDResult DisplayDevice::GetCaps() { return DD_OK; }

} // namespace plat
