#include "gfx/screenshot.h"

#include <cstdio>
#include <memory>
#include <new>

#include "gfx/pixel_format.h"
#include "platform/debug.h"
#include "platform/display.h"
#include "platform/fs.h"

using namespace plat;

int32_t g_ScreenShotCounter = 0;

namespace {

constexpr int kMaxNames = 10000;
// The device can keep saying "still drawing" or lose the surface again right
// after a restore; neither may hang the game.
constexpr int kMaxBusyRetries = 100;
constexpr int kMaxRestoreRetries = 3;

void PutU16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v) {
    PutU16(p, v & 0xFFFFu);
    PutU16(p + 2, v >> 16);
}

bool Exists(const std::string& name) {
    FILE* f = OpenFile(name, "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

// Locks the whole surface, waiting out "still drawing" and restoring a lost
// surface. False (Error 11 written) when it cannot be locked.
bool LockWhole(DDSurface* surface, DDSurfaceDesc* desc) {
    int busy = 0, restores = 0;
    for (;;) {
        *desc = DDSurfaceDesc{};
        desc->size = 124;
        const DDResult r = surface->Lock(nullptr, desc, 0);
        if (r == DD_OK && desc->surface) return true;
        if (r == DDERR_WASSTILLDRAWING && ++busy <= kMaxBusyRetries) continue;
        if (r == DDERR_SURFACELOST && ++restores <= kMaxRestoreRetries && surface->Restore() == DD_OK) continue;
        if (r == DD_OK) surface->Unlock(nullptr);
        OutputDebugString("DRAW_CopyScreen Error(11): error in lock back buffer!\n");
        return false;
    }
}

// Creates every folder named by the text before each backslash (or slash).
void CreateFolders(const std::string& name) {
    for (size_t i = 0; i < name.size(); ++i) {
        if ((name[i] == '\\' || name[i] == '/') && i > 0) CreateDirectory(name.substr(0, i));
    }
}

// One row of 16-bit pixels as blue, green, red bytes.
void ConvertRow(const uint8_t* src, int32_t w, uint8_t* out, bool is565) {
    for (int32_t x = 0; x < w; ++x) {
        const uint32_t c = static_cast<uint32_t>(src[2 * x]) | static_cast<uint32_t>(src[2 * x + 1]) << 8;
        uint8_t* o = out + 3 * x;
        o[0] = static_cast<uint8_t>((c << 3) & 0xFF);
        if (is565) {
            o[1] = static_cast<uint8_t>((c >> 3) & 0xFC);
            o[2] = static_cast<uint8_t>(((c >> 11) << 3) & 0xFF);
        } else {
            o[1] = static_cast<uint8_t>((c >> 2) & 0xF8);
            o[2] = static_cast<uint8_t>((c >> 7) & 0xF8);
        }
    }
}

// Writes the headers and rows of a locked surface to an open file; false
// after writing the matching error line.
bool WriteLocked(FILE* f, const DDSurfaceDesc& desc, uint8_t* row, uint32_t rowStride) {
    const int32_t w = static_cast<int32_t>(desc.width), h = static_cast<int32_t>(desc.height);
    const uint32_t imageSize = rowStride * static_cast<uint32_t>(h);
    uint8_t fileHeader[14] = {'B', 'M'};
    PutU32(fileHeader + 2, imageSize + 54);
    PutU32(fileHeader + 10, 54);
    uint8_t info[40] = {};
    PutU32(info + 0, 40);
    PutU32(info + 4, static_cast<uint32_t>(w));
    PutU32(info + 8, static_cast<uint32_t>(h));
    PutU16(info + 12, 1);
    PutU16(info + 14, 24);
    PutU32(info + 20, imageSize);
    if (std::fwrite(fileHeader, sizeof fileHeader, 1, f) != 1) {
        OutputDebugString("DRAW_CopyScreen Error(2): error in writing file header!\n");
        return false;
    }
    if (std::fwrite(info, sizeof info, 1, f) != 1) {
        OutputDebugString("DRAW_CopyScreen Error(3): error in writing bitmap info header!\n");
        return false;
    }
    if (!row) {
        OutputDebugString("DRAW_CopyScreen Error(5): Not enought memory to create temp buffer!\n");
        return false;
    }
    const bool is565 = g_PixelFormat.Get() == kFormat565;
    const auto* pixels = static_cast<const uint8_t*>(desc.surface);
    for (int32_t y = h - 1; y >= 0; --y) {
        ConvertRow(pixels + static_cast<ptrdiff_t>(desc.pitch) * y, w, row, is565);
        if (std::fwrite(row, rowStride, 1, f) != 1) {
            OutputDebugString("DRAW_CopyScreen: error in writing the pixel rows!\n");
            return false;
        }
    }
    return true;
}

} // namespace

std::string ScreenShotName(int32_t n) {
    char name[64];
    std::snprintf(name, sizeof name, "ScreenShot\\Scn%04d.bmp", n);
    return name;
}

int DRAW_WriteBmp(DDSurface* surface, const char* fileName) {
    if (!surface || !fileName) return 0;
    DDSurfaceDesc desc;
    if (!LockWhole(surface, &desc)) return 0;
    // Rows are padded to whole 32-bit words, as BMP readers expect.
    const uint32_t rowStride = (desc.width * 3u + 3u) & ~3u;
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[rowStride ? rowStride : 1]());
    const std::string name = fileName;
    CreateFolders(name);
    int result = 0;
    if (FILE* f = OpenFile(name, "wb")) {
        bool ok = WriteLocked(f, desc, row.get(), rowStride);
        if (std::fclose(f) != 0 && ok) {
            OutputDebugString("DRAW_CopyScreen: error in closing file " + name + "\n");
            ok = false;
        }
        // A half-written picture is worse than none.
        if (!ok) DeleteFile(name);
        result = ok ? 1 : 0;
    } else {
        OutputDebugString("DRAW_CopyScreen Error(0): Cannot open file named: " + name + "\n");
    }
    surface->Unlock(nullptr);
    return result;
}

int DRAW_CopyScreen(DDSurface* surface) {
    int32_t n = g_ScreenShotCounter;
    if (n < 0 || n >= kMaxNames || !Exists(ScreenShotName(n))) n = 0;
    while (Exists(ScreenShotName(n))) {
        if (++n >= kMaxNames) {
            OutputDebugString("DRAW_CopyScreen Error(7): Too many bitmaps already in the directory!\n");
            return 0;
        }
    }
    g_ScreenShotCounter = n;
    return DRAW_WriteBmp(surface, ScreenShotName(n).c_str());
}

int DRAW_CopyScreenSized(DisplayDevice* dd, DDSurface* source, int32_t w, int32_t h) {
    if (!dd || !source || w <= 0 || h <= 0) return 0;
    DDSurfaceDesc desc;
    desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.width = static_cast<uint32_t>(w);
    desc.height = static_cast<uint32_t>(h);
    desc.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
    DDSurface* temp = nullptr;
    if (DDFailed(dd->CreateSurface(&desc, &temp))) {
        desc.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        temp = nullptr;
        if (DDFailed(dd->CreateSurface(&desc, &temp))) temp = nullptr;
    }
    if (!temp) {
        OutputDebugString("DRAW_CopyScreenSized: cannot create the temporary surface\n");
        return 0;
    }
    int result = 0;
    if (DDFailed(temp->Blt(nullptr, source, nullptr, 0, nullptr)))
        OutputDebugString("DRAW_CopyScreenSized: cannot stretch the source\n");
    else
        result = DRAW_CopyScreen(temp);
    temp->Release();
    return result;
}
