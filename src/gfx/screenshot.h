#pragma once
// Screenshots: a 16-bit surface saved as a 24-bit BMP under the next free
// name "ScreenShot\Scn%04d.bmp" (relative to the working directory).
// Diagnostics go to the debugger output, never to the user.
//
// BMP layout (little-endian): "BM", u32 file size, two u16 zero, u32 pixel
// offset 54; info header: u32 40, i32 width, i32 height (positive, rows
// bottom-up), u16 planes 1, u16 bits 24, u32 compression 0, u32 image size,
// 16 zero bytes; then the rows, bottom row first, blue-green-red per pixel,
// each row padded with zeros to a multiple of 4 bytes (no padding for the
// display widths 640, 800 and 1024).
#include <cstdint>
#include <string>

namespace plat {
class DDSurface;
class DisplayDevice;
} // namespace plat

// Number of the last screenshot written; the search for a free name starts
// there (0 at start).
extern int32_t g_ScreenShotCounter;

// "ScreenShot\Scn%04d.bmp" for n.
std::string ScreenShotName(int32_t n);

// Saves the surface under the next free name. 1 when the file was written;
// 0 when no name is free, the surface cannot be locked or the file cannot
// be written (no partial file is left behind).
int DRAW_CopyScreen(plat::DDSurface* surface);
// Writes one BMP of the whole surface; creates the folders of the name. 1 on
// success; 0 on any failure, with a partly written file removed.
int DRAW_WriteBmp(plat::DDSurface* surface, const char* fileName);
// Stretches the whole source onto a temporary w x h surface (video memory,
// else system memory) and saves that with DRAW_CopyScreen. 1 when a file was
// written, else 0.
int DRAW_CopyScreenSized(plat::DisplayDevice* dd, plat::DDSurface* source, int32_t w, int32_t h);
