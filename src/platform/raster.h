#pragma once
// A small software rasteriser that stands where a 3D device stood: it draws
// additive, textured effect quads into a 16-bit display surface. It offers
// only what the effect layer needs: a device on a surface, a render-target
// switch, begin/end of a scene, a handful of render states (blending), one
// texture stage, textures as 16- or 32-bit memory surfaces, device
// capabilities that tests can set, texture-format enumeration, and indexed
// triangle lists of pre-transformed, pre-lit vertices with one UV set.
//
// The drawing rule (the same on every machine):
// - Vertices are in screen pixels; z, rhw and the specular colour are not
//   used. Positions are snapped to 1/16 pixel. A pixel is drawn when its
//   centre (x + 0.5, y + 0.5) lies inside the triangle; a centre exactly on
//   an edge belongs to the triangle only on a top or left edge, so two
//   triangles sharing an edge never draw a pixel twice. Both windings draw.
// - u, v and the four diffuse channels are interpolated linearly in screen
//   space (affine, no perspective).
// - Sampling is bilinear: texel (i, j) has its centre at ((i + 0.5) / width,
//   (j + 0.5) / height); coordinates outside the texture clamp to the edge
//   texels; the weights are taken in steps of 1/256 and each channel is
//   (sum of texel x weight + 32768) >> 16. Texels are widened to 8 bits a
//   channel as round(field x 255 / field max); no alpha field reads 255.
//   With no texture on the stage every sample is opaque black.
// - Stage 0 combines its two arguments (texture, diffuse) by the colour and
//   alpha operations DISABLE, SELECTARG1, SELECTARG2 or MODULATE, MODULATE
//   being round(a x b / 255) per channel.
// - With ALPHABLENDENABLE the result s meets the target pixel d as
//   min(255, round(s x SRCBLEND / 255) + round(d x DESTBLEND / 255)) per
//   channel, the factors being ZERO, ONE, SRCCOLOR, INVSRCCOLOR, SRCALPHA
//   or INVSRCALPHA; ONE/ONE is plain saturating addition. Without it s
//   replaces d.
// - The 16-bit target is read at 8 bits a channel by repeating each field's
//   top bits and written back by dropping the low bits. There is no
//   dithering: DITHERENABLE, AMBIENT and the filter states are kept but do
//   not change what is drawn.
#include <cstdint>
#include <vector>

#include "platform/display.h"

namespace plat {

// Result codes of the 3D operations (same numbering as the display codes).
constexpr DDResult D3D_OK = 0;
constexpr DDResult RASTER_E_FAIL = static_cast<DDResult>(0x80004005u);
constexpr DDResult RASTER_E_NOINTERFACE = static_cast<DDResult>(0x80004002u);
constexpr DDResult D3DERR_SCENE_IN_SCENE = MakeDDResult(730);
constexpr DDResult D3DERR_SCENE_NOT_IN_SCENE = MakeDDResult(731);
constexpr DDResult D3DERR_INVALIDPRIMITIVETYPE = MakeDDResult(732);
constexpr DDResult D3DERR_INVALIDVERTEXFORMAT = MakeDDResult(733);

// Render states.
enum : uint32_t {
    D3DRENDERSTATE_SRCBLEND = 19,
    D3DRENDERSTATE_DESTBLEND = 20,
    D3DRENDERSTATE_DITHERENABLE = 26,
    D3DRENDERSTATE_ALPHABLENDENABLE = 27,
    D3DRENDERSTATE_AMBIENT = 139,
};
enum : uint32_t {
    D3DBLEND_ZERO = 1, D3DBLEND_ONE = 2, D3DBLEND_SRCCOLOR = 3, D3DBLEND_INVSRCCOLOR = 4,
    D3DBLEND_SRCALPHA = 5, D3DBLEND_INVSRCALPHA = 6,
};
// Texture stage states.
enum : uint32_t {
    D3DTSS_COLOROP = 1, D3DTSS_COLORARG1 = 2, D3DTSS_COLORARG2 = 3, D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5, D3DTSS_ALPHAARG2 = 6, D3DTSS_MAGFILTER = 16, D3DTSS_MINFILTER = 17,
};
enum : uint32_t { D3DTOP_DISABLE = 1, D3DTOP_SELECTARG1 = 2, D3DTOP_SELECTARG2 = 3, D3DTOP_MODULATE = 4 };
enum : uint32_t { D3DTA_DIFFUSE = 0, D3DTA_CURRENT = 1, D3DTA_TEXTURE = 2 };
enum : uint32_t { D3DTFG_POINT = 1, D3DTFG_LINEAR = 2 };
enum : uint32_t { D3DTFN_POINT = 1, D3DTFN_LINEAR = 2 };
enum : uint32_t { D3DPT_TRIANGLELIST = 4 };
// Pre-transformed vertex with diffuse and specular colours and one UV set.
constexpr uint32_t D3DFVF_TLVERTEX_SPEC = 0x1C4;

// Texture capabilities of a device.
enum : uint32_t { D3DPTEXTURECAPS_POW2 = 0x2, D3DPTEXTURECAPS_SQUAREONLY = 0x20 };
// Texture surface capabilities and pixel-format flags beyond the display's.
enum : uint32_t { TEXCAPS_TEXTURE = 0x1000, TEXCAPS2_TEXTUREMANAGE = 0x10 };
enum : uint32_t {
    TEXPF_ALPHAPIXELS = 0x1, TEXPF_FOURCC = 0x4, TEXPF_LUMINANCE = 0x20000, TEXPF_BUMPDUDV = 0x80000,
};

struct TLVertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.5f;
    float rhw = 0.5f;
    uint32_t diffuse = 0x00FFFFFFu;  // ARGB
    uint32_t specular = 0;
    float tu = 0.0f;
    float tv = 0.0f;
};
static_assert(sizeof(TLVertex) == 32, "the vertex layout is 32 bytes");

enum class RasterDeviceType { Software, Hal, TnLHal };

// What a device reports about itself (its description).
struct RasterCaps {
    RasterDeviceType type = RasterDeviceType::Hal;
    uint32_t textureCaps = 0;       // D3DPTEXTURECAPS_*
    uint32_t maxTextureWidth = 2048;  // 0: not reported
    uint32_t maxTextureHeight = 2048;
};

struct RasterTextureDesc {
    uint32_t caps = 0;   // TEXCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY ...
    uint32_t caps2 = 0;  // TEXCAPS2_TEXTUREMANAGE
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t stage = 0;
    DDPixelFormat format;  // 16 or 32 bits, RGB masks, optional alpha mask
};

// Operations whose result tests can force.
enum class RasterOp {
    QueryInterface, CreateDevice, GetCaps, SetRenderTarget, BeginScene, EndScene, CreateTexture,
    EnumTextureFormats, DrawIndexedPrimitive, Count
};
// The next `times` calls of `op` return `result` without doing anything
// (times < 0: every call until cleared).
void ForceRasterResult(RasterOp op, DDResult result, int times = 1);
// Clears forced results and call counts, and puts back the default caps and
// texture formats.
void ResetRasterConfig();
int RasterCallCount(RasterOp op);
// Caps and texture formats of devices created from now on.
void SetRasterCaps(const RasterCaps& caps);
void SetRasterTextureFormats(const std::vector<DDPixelFormat>& formats);
// The default formats, in enumeration order: R5G6B5, X1R5G5B5, A1R5G5B5,
// A4R4G4B4, A8R8G8B8, X8R8G8B8, L8 (luminance), DXT1 (FourCC).
std::vector<DDPixelFormat> DefaultRasterTextureFormats();
// Live device and texture objects (leak checks in tests).
int LiveRasterObjects();

// A texture: a block of 16- or 32-bit texels in its own memory.
class RasterTexture {
public:
    uint32_t AddRef();
    uint32_t Release();
    // Address of texel (0, 0), row pitch in bytes through `pitch`. Writes
    // become visible to drawing at Unlock.
    uint8_t* Lock(int32_t* pitch);
    void Unlock();
    const RasterTextureDesc& Desc() const { return desc_; }
    uint32_t Width() const { return desc_.width; }
    uint32_t Height() const { return desc_.height; }
    uint32_t BytesPerTexel() const { return desc_.format.rgbBitCount / 8; }
    // Raw texel value (0 outside).
    uint32_t TexelAt(uint32_t x, uint32_t y) const;
    // Texel widened to 0xAARRGGBB by the rule above.
    uint32_t SampleArgb(uint32_t x, uint32_t y);

private:
    friend class RasterDevice;
    explicit RasterTexture(const RasterTextureDesc& desc);
    ~RasterTexture();
    void Refresh();  // rebuilds the widened copy after a write

    uint32_t refs_ = 1;
    RasterTextureDesc desc_;
    int32_t pitch_ = 0;
    std::vector<uint8_t> mem_;
    std::vector<uint32_t> argb_;  // widened texels, for sampling
    bool dirty_ = true;
};

using TextureFormatCallback = bool (*)(const DDPixelFormat& format, void* context);  // false stops

class RasterDevice {
public:
    uint32_t AddRef();
    uint32_t Release();

    DDResult GetCaps(RasterCaps* caps);
    // Tests: change the caps of this device.
    void SetCaps(const RasterCaps& caps) { caps_ = caps; }

    DDResult SetRenderTarget(DDSurface* target, uint32_t flags);
    DDSurface* GetRenderTarget() const { return target_; }
    DDResult BeginScene();
    DDResult EndScene();
    bool InScene() const { return inScene_; }

    DDResult SetRenderState(uint32_t state, uint32_t value);
    DDResult GetRenderState(uint32_t state, uint32_t* value) const;
    DDResult SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value);
    DDResult GetTextureStageState(uint32_t stage, uint32_t type, uint32_t* value) const;
    // Stage 0 only; the device holds a reference. Null clears the stage.
    DDResult SetTexture(uint32_t stage, RasterTexture* texture);
    RasterTexture* GetTexture(uint32_t stage) const { return stage == 0 ? texture_ : nullptr; }

    DDResult CreateTexture(const RasterTextureDesc& desc, RasterTexture** out);
    DDResult EnumTextureFormats(TextureFormatCallback callback, void* context);

    // Triangle lists only, vertex format D3DFVF_TLVERTEX_SPEC; inside a
    // scene; indices past the vertex count are refused.
    DDResult DrawIndexedPrimitive(uint32_t primitiveType, uint32_t vertexFormat, const TLVertex* vertices,
                                  uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount, uint32_t flags);

    // Statistics since creation: triangles set up and pixels written.
    uint64_t TrianglesDrawn() const { return triangles_; }
    uint64_t PixelsDrawn() const { return pixels_; }

private:
    friend class Raster;
    RasterDevice(DDSurface* target, const RasterCaps& caps, const std::vector<DDPixelFormat>& formats);
    ~RasterDevice();
    void DrawTriangle(uint8_t* base, int32_t pitch, bool is565, int32_t w, int32_t h, const TLVertex& a,
                      const TLVertex& b, const TLVertex& c);

    uint32_t refs_ = 1;
    DDSurface* target_ = nullptr;  // holds a reference
    RasterCaps caps_;
    std::vector<DDPixelFormat> formats_;
    bool inScene_ = false;
    uint32_t renderStates_[160] = {};
    uint32_t stageStates_[32] = {};
    RasterTexture* texture_ = nullptr;
    uint64_t triangles_ = 0;
    uint64_t pixels_ = 0;
};

// The 3D interface of a display device: makes devices on its surfaces.
class Raster {
public:
    uint32_t AddRef();
    uint32_t Release();
    // A device drawing into `target` (a 16-bit surface).
    DDResult CreateDevice(DDSurface* target, RasterDevice** out);

private:
    friend DDResult QueryRaster(DisplayDevice* display, Raster** out);
    explicit Raster(DisplayDevice* display);
    ~Raster();
    uint32_t refs_ = 1;
    DisplayDevice* display_;  // holds a reference
};

// The 3D interface of a display device (RASTER_E_NOINTERFACE without one).
DDResult QueryRaster(DisplayDevice* display, Raster** out);

} // namespace plat
