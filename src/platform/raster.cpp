#include "platform/raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/fault_queue.h"

namespace plat {

namespace {

constexpr int kOps = static_cast<int>(RasterOp::Count);
constexpr uint32_t kMaxTextureSide = 4096;
constexpr uint32_t kRenderStateCount = 160;
constexpr uint32_t kStageStateCount = 32;
// Vertex positions beyond this many pixels from the origin are clamped, so
// the 1/16-pixel edge arithmetic cannot overflow.
constexpr double kMaxCoord = 1 << 20;

struct RasterState {
    FaultQueue<RasterOp, kOps> faults;
    RasterCaps caps;
    std::vector<DDPixelFormat> formats = DefaultRasterTextureFormats();
    int live = 0;
};

RasterState& St() {
    static RasterState s;
    return s;
}

bool Fault(RasterOp op, DDResult* out) { return St().faults.Take(op, out); }

#define RASTER_FAULT(op)                                     \
    do {                                                     \
        DDResult forced_;                                    \
        if (Fault(RasterOp::op, &forced_)) return forced_;   \
    } while (0)

DDPixelFormat Rgb(uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    DDPixelFormat f;
    f.flags = DDPF_RGB | (a ? TEXPF_ALPHAPIXELS : 0u);
    f.rgbBitCount = bits;
    f.rBitMask = r;
    f.gBitMask = g;
    f.bBitMask = b;
    f.alphaBitMask = a;
    return f;
}

// Field of `mask` in `v`, widened to 0..255 as round(field x 255 / max).
struct Field {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit Field(uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1u)) ++shift;
        max = m >> shift;
    }
    uint32_t Widen(uint32_t v, uint32_t absent) const {
        if (!mask) return absent;
        const uint64_t f = (v & mask) >> shift;
        return static_cast<uint32_t>((f * 255 + max / 2) / max);
    }
};

// round(a x b / 255), exact for 0..255 inputs.
inline uint32_t Mul255(uint32_t a, uint32_t b) {
    const uint32_t x = a * b + 128;
    return (x + (x >> 8)) >> 8;
}

inline int64_t FloorDiv16(int64_t v) { return v >= 0 ? v / 16 : -((-v + 15) / 16); }

struct Rgba {
    uint32_t r, g, b, a;
};

inline Rgba Unpack(uint32_t argb) {
    return {(argb >> 16) & 255u, (argb >> 8) & 255u, argb & 255u, argb >> 24};
}

inline uint32_t BlendFactor(uint32_t factor, uint32_t channel, const Rgba& src, uint32_t srcChannel) {
    switch (factor) {
    case D3DBLEND_ZERO: return 0;
    case D3DBLEND_ONE: return channel;
    case D3DBLEND_SRCCOLOR: return Mul255(channel, srcChannel);
    case D3DBLEND_INVSRCCOLOR: return Mul255(channel, 255 - srcChannel);
    case D3DBLEND_SRCALPHA: return Mul255(channel, src.a);
    case D3DBLEND_INVSRCALPHA: return Mul255(channel, 255 - src.a);
    default: return 0;
    }
}

inline uint32_t Combine(uint32_t op, uint32_t arg1, uint32_t arg2, uint32_t disabled) {
    switch (op) {
    case D3DTOP_SELECTARG1: return arg1;
    case D3DTOP_SELECTARG2: return arg2;
    case D3DTOP_MODULATE: return Mul255(arg1, arg2);
    default: return disabled;
    }
}

} // namespace

void ForceRasterResult(RasterOp op, DDResult result, int times) {
    St().faults.Force(op, result, times);
}

void ResetRasterConfig() {
    RasterState& s = St();
    s.faults.Clear();
    s.caps = RasterCaps{};
    s.formats = DefaultRasterTextureFormats();
}

int RasterCallCount(RasterOp op) { return St().faults.Calls(op); }
void SetRasterCaps(const RasterCaps& caps) { St().caps = caps; }
void SetRasterTextureFormats(const std::vector<DDPixelFormat>& formats) { St().formats = formats; }
int LiveRasterObjects() { return St().live; }

std::vector<DDPixelFormat> DefaultRasterTextureFormats() {
    std::vector<DDPixelFormat> v;
    v.push_back(Rgb(16, 0xF800, 0x07E0, 0x001F, 0));
    v.push_back(Rgb(16, 0x7C00, 0x03E0, 0x001F, 0));
    v.push_back(Rgb(16, 0x7C00, 0x03E0, 0x001F, 0x8000));
    v.push_back(Rgb(16, 0x0F00, 0x00F0, 0x000F, 0xF000));
    v.push_back(Rgb(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000u));
    v.push_back(Rgb(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0));
    DDPixelFormat lum;
    lum.flags = TEXPF_LUMINANCE;
    lum.rgbBitCount = 8;
    lum.rBitMask = 0xFF;
    v.push_back(lum);
    DDPixelFormat dxt;
    dxt.flags = TEXPF_FOURCC;
    dxt.fourCC = 0x31545844;  // "DXT1"
    v.push_back(dxt);
    return v;
}

// ---------------------------------------------------------------- texture

RasterTexture::RasterTexture(const RasterTextureDesc& desc) : desc_(desc) {
    pitch_ = static_cast<int32_t>(desc.width * (desc.format.rgbBitCount / 8));
    mem_.assign(static_cast<size_t>(pitch_) * desc.height, 0);
    ++St().live;
}

RasterTexture::~RasterTexture() { --St().live; }

uint32_t RasterTexture::AddRef() { return ++refs_; }
uint32_t RasterTexture::Release() {
    const uint32_t r = --refs_;
    if (r == 0) delete this;
    return r;
}

uint8_t* RasterTexture::Lock(int32_t* pitch) {
    if (pitch) *pitch = pitch_;
    dirty_ = true;
    return mem_.data();
}

void RasterTexture::Unlock() { dirty_ = true; }

uint32_t RasterTexture::TexelAt(uint32_t x, uint32_t y) const {
    if (x >= desc_.width || y >= desc_.height) return 0;
    const uint8_t* p = mem_.data() + static_cast<size_t>(y) * pitch_ + x * BytesPerTexel();
    if (BytesPerTexel() == 2) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void RasterTexture::Refresh() {
    if (!dirty_) return;
    const Field r(desc_.format.rBitMask), g(desc_.format.gBitMask), b(desc_.format.bBitMask),
        a(desc_.format.alphaBitMask);
    argb_.resize(static_cast<size_t>(desc_.width) * desc_.height);
    for (uint32_t y = 0; y < desc_.height; ++y)
        for (uint32_t x = 0; x < desc_.width; ++x) {
            const uint32_t t = TexelAt(x, y);
            argb_[static_cast<size_t>(y) * desc_.width + x] =
                (a.Widen(t, 255) << 24) | (r.Widen(t, 0) << 16) | (g.Widen(t, 0) << 8) | b.Widen(t, 0);
        }
    dirty_ = false;
}

uint32_t RasterTexture::SampleArgb(uint32_t x, uint32_t y) {
    if (x >= desc_.width || y >= desc_.height) return 0;
    Refresh();
    return argb_[static_cast<size_t>(y) * desc_.width + x];
}

// ---------------------------------------------------------------- device

RasterDevice::RasterDevice(DDSurface* target, const RasterCaps& caps, const std::vector<DDPixelFormat>& formats)
    : target_(target), caps_(caps), formats_(formats) {
    target_->AddRef();
    renderStates_[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
    renderStates_[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
    stageStates_[D3DTSS_COLOROP] = D3DTOP_MODULATE;
    stageStates_[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    stageStates_[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    stageStates_[D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    stageStates_[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    stageStates_[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    stageStates_[D3DTSS_MAGFILTER] = D3DTFG_POINT;
    stageStates_[D3DTSS_MINFILTER] = D3DTFN_POINT;
    ++St().live;
}

RasterDevice::~RasterDevice() {
    if (texture_) texture_->Release();
    if (target_) target_->Release();
    --St().live;
}

uint32_t RasterDevice::AddRef() { return ++refs_; }
uint32_t RasterDevice::Release() {
    const uint32_t r = --refs_;
    if (r == 0) delete this;
    return r;
}

DDResult RasterDevice::GetCaps(RasterCaps* caps) {
    RASTER_FAULT(GetCaps);
    if (!caps) return DDERR_INVALIDPARAMS;
    *caps = caps_;
    return D3D_OK;
}

DDResult RasterDevice::SetRenderTarget(DDSurface* target, uint32_t) {
    RASTER_FAULT(SetRenderTarget);
    if (!target) return DDERR_INVALIDPARAMS;
    target->AddRef();
    if (target_) target_->Release();
    target_ = target;
    return D3D_OK;
}

DDResult RasterDevice::BeginScene() {
    RASTER_FAULT(BeginScene);
    if (inScene_) return D3DERR_SCENE_IN_SCENE;
    if (!target_) return RASTER_E_FAIL;
    if (const DDResult r = target_->IsLost(); r != DD_OK) return r;
    inScene_ = true;
    return D3D_OK;
}

DDResult RasterDevice::EndScene() {
    RASTER_FAULT(EndScene);
    if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
    inScene_ = false;
    return D3D_OK;
}

DDResult RasterDevice::SetRenderState(uint32_t state, uint32_t value) {
    if (state >= kRenderStateCount) return DDERR_INVALIDPARAMS;
    renderStates_[state] = value;
    return D3D_OK;
}

DDResult RasterDevice::GetRenderState(uint32_t state, uint32_t* value) const {
    if (state >= kRenderStateCount || !value) return DDERR_INVALIDPARAMS;
    *value = renderStates_[state];
    return D3D_OK;
}

DDResult RasterDevice::SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) {
    if (stage != 0 || type >= kStageStateCount) return DDERR_INVALIDPARAMS;
    stageStates_[type] = value;
    return D3D_OK;
}

DDResult RasterDevice::GetTextureStageState(uint32_t stage, uint32_t type, uint32_t* value) const {
    if (stage != 0 || type >= kStageStateCount || !value) return DDERR_INVALIDPARAMS;
    *value = stageStates_[type];
    return D3D_OK;
}

DDResult RasterDevice::SetTexture(uint32_t stage, RasterTexture* texture) {
    if (stage != 0) return DDERR_INVALIDPARAMS;
    if (texture) texture->AddRef();
    if (texture_) texture_->Release();
    texture_ = texture;
    return D3D_OK;
}

DDResult RasterDevice::CreateTexture(const RasterTextureDesc& desc, RasterTexture** out) {
    RASTER_FAULT(CreateTexture);
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    const uint32_t bits = desc.format.rgbBitCount;
    if ((bits != 16 && bits != 32) || (desc.format.flags & (TEXPF_FOURCC | TEXPF_LUMINANCE | TEXPF_BUMPDUDV)))
        return DDERR_INVALIDPIXELFORMAT;
    if (desc.width == 0 || desc.height == 0 || desc.width > kMaxTextureSide || desc.height > kMaxTextureSide)
        return DDERR_INVALIDPARAMS;
    if ((caps_.maxTextureWidth && desc.width > caps_.maxTextureWidth) ||
        (caps_.maxTextureHeight && desc.height > caps_.maxTextureHeight))
        return DDERR_INVALIDPARAMS;
    const auto pow2 = [](uint32_t v) { return (v & (v - 1)) == 0; };
    if ((caps_.textureCaps & D3DPTEXTURECAPS_POW2) && (!pow2(desc.width) || !pow2(desc.height)))
        return DDERR_INVALIDPARAMS;
    if ((caps_.textureCaps & D3DPTEXTURECAPS_SQUAREONLY) && desc.width != desc.height) return DDERR_INVALIDPARAMS;
    *out = new RasterTexture(desc);
    return D3D_OK;
}

DDResult RasterDevice::EnumTextureFormats(TextureFormatCallback callback, void* context) {
    RASTER_FAULT(EnumTextureFormats);
    if (!callback) return DDERR_INVALIDPARAMS;
    for (const DDPixelFormat& f : formats_)
        if (!callback(f, context)) break;
    return D3D_OK;
}

DDResult RasterDevice::DrawIndexedPrimitive(uint32_t primitiveType, uint32_t vertexFormat, const TLVertex* vertices,
                                            uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                                            uint32_t) {
    RASTER_FAULT(DrawIndexedPrimitive);
    if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
    if (primitiveType != D3DPT_TRIANGLELIST) return D3DERR_INVALIDPRIMITIVETYPE;
    if (vertexFormat != D3DFVF_TLVERTEX_SPEC) return D3DERR_INVALIDVERTEXFORMAT;
    if (indexCount == 0) return D3D_OK;
    if (!vertices || !indices || indexCount % 3 != 0) return DDERR_INVALIDPARAMS;
    for (uint32_t i = 0; i < indexCount; ++i)
        if (indices[i] >= vertexCount) return DDERR_INVALIDPARAMS;
    if (!target_) return RASTER_E_FAIL;
    DDSurfaceDesc d;
    if (const DDResult r = target_->Lock(nullptr, &d, DDLOCK_WAIT); DDFailed(r)) return r;
    if (texture_) texture_->Refresh();
    const bool is565 = target_->Layout() == PixelLayout::k565;
    for (uint32_t i = 0; i < indexCount; i += 3)
        DrawTriangle(static_cast<uint8_t*>(d.surface), d.pitch, is565, static_cast<int32_t>(d.width),
                     static_cast<int32_t>(d.height), vertices[indices[i]], vertices[indices[i + 1]],
                     vertices[indices[i + 2]]);
    target_->Unlock(nullptr);
    return D3D_OK;
}

namespace {

// A linear function of the pixel centre: value = a + dx * (cx - x0) + dy * (cy - y0).
struct Plane {
    double base = 0, dx = 0, dy = 0;
    double At(double cx, double cy) const { return base + dx * cx + dy * cy; }
};

Plane MakePlane(const double* x, const double* y, double det, double a0, double a1, double a2) {
    Plane p;
    p.dx = ((a1 - a0) * (y[2] - y[0]) - (a2 - a0) * (y[1] - y[0])) / det;
    p.dy = ((a2 - a0) * (x[1] - x[0]) - (a1 - a0) * (x[2] - x[0])) / det;
    p.base = a0 - p.dx * x[0] - p.dy * y[0];
    return p;
}

inline int32_t ToFixed(double v) {
    v = std::floor(v + 0.5);
    if (v < -1e9) v = -1e9;
    if (v > 1e9) v = 1e9;
    return static_cast<int32_t>(v);
}

inline uint32_t ClampChannel(double v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return static_cast<uint32_t>(v + 0.5);
}

} // namespace

void RasterDevice::DrawTriangle(uint8_t* base, int32_t pitch, bool is565, int32_t w, int32_t h, const TLVertex& va,
                                const TLVertex& vb, const TLVertex& vc) {
    const TLVertex* v[3] = {&va, &vb, &vc};
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(v[i]->x) || !std::isfinite(v[i]->y)) return;
        X[i] = std::llround(std::clamp(static_cast<double>(v[i]->x), -kMaxCoord, kMaxCoord) * 16.0);
        Y[i] = std::llround(std::clamp(static_cast<double>(v[i]->y), -kMaxCoord, kMaxCoord) * 16.0);
    }
    int64_t area = (X[2] - X[0]) * (Y[1] - Y[0]) - (Y[2] - Y[0]) * (X[1] - X[0]);
    if (area == 0) return;
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
    }
    ++triangles_;

    // Pixel range whose centres (16 px + 8) can lie inside.
    const int64_t minX = std::min({X[0], X[1], X[2]}), maxX = std::max({X[0], X[1], X[2]});
    const int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
    const int64_t px0 = std::max<int64_t>(0, -FloorDiv16(-(minX - 8)));
    const int64_t px1 = std::min<int64_t>(w - 1, FloorDiv16(maxX - 8));
    const int64_t py0 = std::max<int64_t>(0, -FloorDiv16(-(minY - 8)));
    const int64_t py1 = std::min<int64_t>(h - 1, FloorDiv16(maxY - 8));
    if (px0 > px1 || py0 > py1) return;

    // Edge functions E(p) = (p.x - a.x) * A + (p.y - a.y) * B, inside > 0;
    // a centre on a top or left edge counts as inside.
    int64_t A[3], B[3], C[3];
    for (int k = 0; k < 3; ++k) {
        const int a = (k + 1) % 3, b = (k + 2) % 3;  // edge opposite vertex k
        const int64_t dx = X[b] - X[a], dy = Y[b] - Y[a];
        A[k] = dy;
        B[k] = -dx;
        const bool topLeft = dy > 0 || (dy == 0 && dx < 0);
        C[k] = -X[a] * A[k] - Y[a] * B[k] - (topLeft ? 0 : 1);
    }

    // Attribute planes over pixel positions.
    double fx[3], fy[3];
    for (int i = 0; i < 3; ++i) {
        fx[i] = static_cast<double>(X[i]) / 16.0;
        fy[i] = static_cast<double>(Y[i]) / 16.0;
    }
    const double det = (fx[1] - fx[0]) * (fy[2] - fy[0]) - (fx[2] - fx[0]) * (fy[1] - fy[0]);
    RasterTexture* tex = texture_;
    const int32_t tw = tex ? static_cast<int32_t>(tex->desc_.width) : 1;
    const int32_t th = tex ? static_cast<int32_t>(tex->desc_.height) : 1;
    // Texel coordinates in 1/256 texel, centre of texel 0 at 0.
    const Plane su = MakePlane(fx, fy, det, v[0]->tu * tw * 256.0 - 128, v[1]->tu * tw * 256.0 - 128,
                               v[2]->tu * tw * 256.0 - 128);
    const Plane sv = MakePlane(fx, fy, det, v[0]->tv * th * 256.0 - 128, v[1]->tv * th * 256.0 - 128,
                               v[2]->tv * th * 256.0 - 128);
    const bool flat = v[0]->diffuse == v[1]->diffuse && v[0]->diffuse == v[2]->diffuse;
    Plane dc[4];
    if (!flat)
        for (int ch = 0; ch < 4; ++ch) {
            const int sh = 24 - 8 * ch;  // a, r, g, b
            dc[ch] = MakePlane(fx, fy, det, (v[0]->diffuse >> sh) & 255u, (v[1]->diffuse >> sh) & 255u,
                               (v[2]->diffuse >> sh) & 255u);
        }
    const Rgba flatDiffuse = Unpack(v[0]->diffuse);

    const uint32_t colorOp = stageStates_[D3DTSS_COLOROP], colorArg1 = stageStates_[D3DTSS_COLORARG1],
                   colorArg2 = stageStates_[D3DTSS_COLORARG2];
    const uint32_t alphaOp = stageStates_[D3DTSS_ALPHAOP], alphaArg1 = stageStates_[D3DTSS_ALPHAARG1],
                   alphaArg2 = stageStates_[D3DTSS_ALPHAARG2];
    const bool blend = renderStates_[D3DRENDERSTATE_ALPHABLENDENABLE] != 0;
    const uint32_t srcBlend = renderStates_[D3DRENDERSTATE_SRCBLEND], dstBlend = renderStates_[D3DRENDERSTATE_DESTBLEND];
    const bool additive = blend && srcBlend == D3DBLEND_ONE && dstBlend == D3DBLEND_ONE;
    const uint32_t* texels = tex ? tex->argb_.data() : nullptr;
    const auto isDiffuse = [](uint32_t a) { return a == D3DTA_DIFFUSE || a == D3DTA_CURRENT; };
    const bool fast = texels && flat && additive && colorOp == D3DTOP_MODULATE &&
                      ((colorArg1 == D3DTA_TEXTURE && isDiffuse(colorArg2)) ||
                       (colorArg2 == D3DTA_TEXTURE && isDiffuse(colorArg1)));

    for (int64_t py = py0; py <= py1; ++py) {
        const int64_t cy = py * 16 + 8;
        int64_t e[3];
        for (int k = 0; k < 3; ++k) e[k] = A[k] * (px0 * 16 + 8) + B[k] * cy + C[k];
        const double ccy = static_cast<double>(py) + 0.5;
        uint8_t* row = base + static_cast<size_t>(py) * pitch;
        if (fast) {
            // Additive texture x flat diffuse: alpha plays no part.
            const double s0 = su.At(static_cast<double>(px0) + 0.5, ccy), q0 = sv.At(static_cast<double>(px0) + 0.5, ccy);
            for (int64_t px = px0; px <= px1; ++px, e[0] += A[0] * 16, e[1] += A[1] * 16, e[2] += A[2] * 16) {
                if ((e[0] | e[1] | e[2]) < 0) continue;
                const double i = static_cast<double>(px - px0);
                const int32_t s = ToFixed(s0 + su.dx * i), q = ToFixed(q0 + sv.dx * i);
                const int32_t ix = s >> 8, iy = q >> 8;
                const uint32_t wx = static_cast<uint32_t>(s & 255), wy = static_cast<uint32_t>(q & 255);
                const int32_t x0 = std::clamp(ix, 0, tw - 1), x1 = std::clamp(ix + 1, 0, tw - 1);
                const int32_t y0 = std::clamp(iy, 0, th - 1) * tw, y1 = std::clamp(iy + 1, 0, th - 1) * tw;
                const uint32_t c00 = texels[y0 + x0], c10 = texels[y0 + x1], c01 = texels[y1 + x0],
                               c11 = texels[y1 + x1];
                const uint32_t w00 = (256 - wx) * (256 - wy), w10 = wx * (256 - wy), w01 = (256 - wx) * wy,
                               w11 = wx * wy;
                const uint32_t tr = (((c00 >> 16) & 255u) * w00 + ((c10 >> 16) & 255u) * w10 +
                                     ((c01 >> 16) & 255u) * w01 + ((c11 >> 16) & 255u) * w11 + 32768u) >> 16;
                const uint32_t tg = (((c00 >> 8) & 255u) * w00 + ((c10 >> 8) & 255u) * w10 +
                                     ((c01 >> 8) & 255u) * w01 + ((c11 >> 8) & 255u) * w11 + 32768u) >> 16;
                const uint32_t tb = ((c00 & 255u) * w00 + (c10 & 255u) * w10 + (c01 & 255u) * w01 +
                                     (c11 & 255u) * w11 + 32768u) >> 16;
                uint8_t* p = row + px * 2;
                uint16_t dst;
                std::memcpy(&dst, p, 2);
                uint32_t dr, dg, db = dst & 31u;
                if (is565) {
                    dr = dst >> 11;
                    dg = (dst >> 5) & 63u;
                    dg = (dg << 2) | (dg >> 4);
                } else {
                    dr = (dst >> 10) & 31u;
                    dg = (dst >> 5) & 31u;
                    dg = (dg << 3) | (dg >> 2);
                }
                dr = (dr << 3) | (dr >> 2);
                db = (db << 3) | (db >> 2);
                const uint32_t r = std::min(255u, Mul255(tr, flatDiffuse.r) + dr);
                const uint32_t g = std::min(255u, Mul255(tg, flatDiffuse.g) + dg);
                const uint32_t b = std::min(255u, Mul255(tb, flatDiffuse.b) + db);
                const uint16_t out = is565 ? static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
                                           : static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
                std::memcpy(p, &out, 2);
                ++pixels_;
            }
            continue;
        }
        const double s0 = su.At(static_cast<double>(px0) + 0.5, ccy), q0 = sv.At(static_cast<double>(px0) + 0.5, ccy);
        for (int64_t px = px0; px <= px1; ++px, e[0] += A[0] * 16, e[1] += A[1] * 16, e[2] += A[2] * 16) {
            if ((e[0] | e[1] | e[2]) < 0) continue;
            const double ccx = static_cast<double>(px) + 0.5;
            // Texture sample.
            Rgba t{0, 0, 0, 255};
            if (texels) {
                const double i = static_cast<double>(px - px0);
                const int32_t s = ToFixed(s0 + su.dx * i), q = ToFixed(q0 + sv.dx * i);
                const int32_t ix = s >> 8, iy = q >> 8;
                const uint32_t wx = static_cast<uint32_t>(s & 255), wy = static_cast<uint32_t>(q & 255);
                const int32_t x0 = std::clamp(ix, 0, tw - 1), x1 = std::clamp(ix + 1, 0, tw - 1);
                const int32_t y0 = std::clamp(iy, 0, th - 1), y1 = std::clamp(iy + 1, 0, th - 1);
                const uint32_t c00 = texels[y0 * tw + x0], c10 = texels[y0 * tw + x1];
                const uint32_t c01 = texels[y1 * tw + x0], c11 = texels[y1 * tw + x1];
                const uint32_t w00 = (256 - wx) * (256 - wy), w10 = wx * (256 - wy), w01 = (256 - wx) * wy,
                               w11 = wx * wy;
                const auto mix = [&](int sh) {
                    return (((c00 >> sh) & 255u) * w00 + ((c10 >> sh) & 255u) * w10 + ((c01 >> sh) & 255u) * w01 +
                            ((c11 >> sh) & 255u) * w11 + 32768u) >>
                           16;
                };
                t = {mix(16), mix(8), mix(0), mix(24)};
            }
            Rgba d = flatDiffuse;
            if (!flat) {
                d.a = ClampChannel(dc[0].At(ccx, ccy));
                d.r = ClampChannel(dc[1].At(ccx, ccy));
                d.g = ClampChannel(dc[2].At(ccx, ccy));
                d.b = ClampChannel(dc[3].At(ccx, ccy));
            }
            const auto arg = [&](uint32_t which) { return which == D3DTA_TEXTURE ? t : d; };
            const Rgba c1 = arg(colorArg1), c2 = arg(colorArg2);
            const Rgba a1 = arg(alphaArg1), a2 = arg(alphaArg2);
            const Rgba s{Combine(colorOp, c1.r, c2.r, d.r), Combine(colorOp, c1.g, c2.g, d.g),
                         Combine(colorOp, c1.b, c2.b, d.b), Combine(alphaOp, a1.a, a2.a, d.a)};

            uint8_t* p = row + px * 2;
            uint16_t dst;
            std::memcpy(&dst, p, 2);
            uint32_t dr, dg, db;
            if (is565) {
                dr = dst >> 11;
                dg = (dst >> 5) & 63u;
                db = dst & 31u;
                dr = (dr << 3) | (dr >> 2);
                dg = (dg << 2) | (dg >> 4);
            } else {
                dr = (dst >> 10) & 31u;
                dg = (dst >> 5) & 31u;
                db = dst & 31u;
                dr = (dr << 3) | (dr >> 2);
                dg = (dg << 3) | (dg >> 2);
            }
            db = (db << 3) | (db >> 2);
            uint32_t r, g, b;
            if (additive) {
                r = std::min(255u, s.r + dr);
                g = std::min(255u, s.g + dg);
                b = std::min(255u, s.b + db);
            } else if (blend) {
                r = std::min(255u, BlendFactor(srcBlend, s.r, s, s.r) + BlendFactor(dstBlend, dr, s, s.r));
                g = std::min(255u, BlendFactor(srcBlend, s.g, s, s.g) + BlendFactor(dstBlend, dg, s, s.g));
                b = std::min(255u, BlendFactor(srcBlend, s.b, s, s.b) + BlendFactor(dstBlend, db, s, s.b));
            } else {
                r = s.r;
                g = s.g;
                b = s.b;
            }
            const uint16_t out = is565 ? static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
                                       : static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
            std::memcpy(p, &out, 2);
            ++pixels_;
        }
    }
}

// ---------------------------------------------------------------- interface

Raster::Raster(DisplayDevice* display) : display_(display) {
    display_->AddRef();
    ++St().live;
}

Raster::~Raster() {
    display_->Release();
    --St().live;
}

uint32_t Raster::AddRef() { return ++refs_; }
uint32_t Raster::Release() {
    const uint32_t r = --refs_;
    if (r == 0) delete this;
    return r;
}

DDResult Raster::CreateDevice(DDSurface* target, RasterDevice** out) {
    RASTER_FAULT(CreateDevice);
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!target) return DDERR_INVALIDPARAMS;
    *out = new RasterDevice(target, St().caps, St().formats);
    return D3D_OK;
}

DDResult QueryRaster(DisplayDevice* display, Raster** out) {
    RASTER_FAULT(QueryInterface);
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!display) return RASTER_E_NOINTERFACE;
    *out = new Raster(display);
    return D3D_OK;
}

} // namespace plat
