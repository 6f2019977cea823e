#pragma once
// Effect textures: one process-wide cache of named records. A record keeps
// its source image in memory (a bitmap from a ".bmp" file or a program
// resource, or an RGBA array from a ".tga" file); Restore builds a texture
// surface on the current 3D device from it, and can do so again after the
// device was lost.
//
// Program resources: bitmaps compiled into the program are BMP images held
// in code and registered by name (RegisterProgramBitmap); a name found there
// wins over a file of the same name. The effect textures themselves are data
// files under "th\", read through the pack-aware file object.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {
class RasterDevice;
class RasterTexture;
struct DDPixelFormat;
} // namespace plat

// Results.
constexpr int32_t kTexOk = 0;
constexpr int32_t kTexInvalidArg = static_cast<int32_t>(0x80070057u);
constexpr int32_t kTexFail = static_cast<int32_t>(0x80004005u);
constexpr int32_t kTexOutOfMemory = static_cast<int32_t>(0x8007000Eu);
constexpr int32_t kTexNotImpl = static_cast<int32_t>(0x80004001u);
constexpr int32_t kTexNotFound = static_cast<int32_t>(0x887600FFu);

// Record flags.
enum : uint32_t {
    kTexAlphaWhite = 0x1,  // alpha channel, pure white transparent
    kTexAlphaBlack = 0x2,  // alpha channel, pure black transparent
    kTex32Bit = 0x4,       // ask for a 32-bit surface
    kTex16Bit = 0x8,       // ask for a 16-bit surface
};

// A decoded bitmap: pixels 0x00RRGGBB, top row first.
struct CBitmapImage {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t bitsPerPixel = 0;  // as stored in the file
    std::vector<uint32_t> rgb;
};

// Decodes a BMP file (1, 4, 8, 16, 24 or 32 bits, uncompressed or with bit
// fields; bottom-up or top-down). False for anything else or a short file.
bool ReadBmp(const uint8_t* data, size_t size, CBitmapImage* out);

// Decodes a true-colour TGA (type 2 plain, type 10 run-length; 24 or 32
// bits). Pixels 0xRRGGBBAA, top row first; alpha 255 for 24 bits. A
// run-length packet may carry on into the next row but never past the last
// pixel. kTexOk, or kTexFail for any other kind, depth or a short file.
int32_t ReadTga(const uint8_t* data, size_t size, int32_t* width, int32_t* height, uint32_t* bitsPerPixel,
                std::vector<uint32_t>* rgba);

// Registers (or replaces) a program bitmap: the bytes of a BMP file.
void RegisterProgramBitmap(const std::string& name, std::vector<uint8_t> bmpBytes);
void ClearProgramBitmaps();

class CTexture {
public:
    // kTexOk when the name is cached already or its image loads;
    // kTexInvalidArg for no name; kTexNotFound when no resource or file has
    // that name or a ".bmp" does not decode; kTexNotImpl for any extension
    // other than ".bmp" and ".tga"; kTexFail for a TGA that does not decode.
    // A record that failed is not kept.
    static int32_t Create(const char* name, uint32_t stage, uint32_t flags);
    // The record whose name equals `name` ignoring ASCII case, or null.
    static CTexture* Find(const char* name);
    static plat::RasterTexture* GetSurface(const char* name);
    // kTexNotFound without a record, else the result of rebuilding it.
    static int32_t Restore(const char* name, plat::RasterDevice* device);
    // Every record in list order (newest first); always kTexOk.
    static int32_t RestoreAll(plat::RasterDevice* device);
    static void DestroyAll();

    // Rebuilds this record's surface on `device`.
    int32_t RestoreOn(plat::RasterDevice* device);

    ~CTexture();

    static CTexture* s_pHead;

    CTexture* m_pNext = nullptr;
    std::string m_Name;
    uint32_t m_Width = 0;
    uint32_t m_Height = 0;
    uint32_t m_Stage = 0;
    uint32_t m_BitsPerPixel = 0;
    uint32_t m_Flags = 0;
    plat::RasterTexture* m_pSurface = nullptr;
    std::unique_ptr<CBitmapImage> m_pBitmap;
    std::vector<uint32_t> m_Rgba;  // 0xRRGGBBAA, top row first

private:
    int32_t LoadImage();
    void CopyInto(uint8_t* texels, int32_t pitch, const plat::DDPixelFormat& format) const;
};

// The surface size a device gives an image (power of two, maximum, square),
// exposed for tests.
void TextureSurfaceSize(uint32_t imageW, uint32_t imageH, uint32_t textureCaps, uint32_t maxW, uint32_t maxH,
                        uint32_t* outW, uint32_t* outH);
