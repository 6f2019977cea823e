#pragma once
// Pixel kernels: the inner loops of all picture drawing. They work on memory
// the caller has already locked, clipped and addressed: a destination pointer
// with a row pitch in bytes, a source, a width and a height. They know
// nothing of pictures and never allocate.
//
// Pitches are added to each row start (never w x 2), so both sides may have
// any stride and any alignment. All kernels work on 16-bit pixels except the
// RLE copy, which copies bytes. The table kernels are layout-free (the tables
// absorb the layout); only the shade kernels come in 5-5-5 and 5-6-5 forms.
#include <cstdint>

// ---- Raw pixel rows ----

// Per pixel: when s != key, d = s. The compare is 32-bit, so a key of
// 0xFFFFFFFF (-1, "no key") never matches a 16-bit pixel.
void KeyedCopy16(void* dst, const void* src, int32_t w, int32_t h, int32_t dstPitch, int32_t srcPitch,
                 uint32_t key);

// Per pixel: when s != key, d = dstTable[d] + srcTable[s] (16-bit addition).
void BlendCopy16(void* dst, const void* src, int32_t w, int32_t h, int32_t dstPitch, int32_t srcPitch,
                 const uint16_t* dstTable, const uint16_t* srcTable, uint32_t key);

// In place: d = table[d].
void TableMap16(void* dst, int32_t w, int32_t h, int32_t dstPitch, const uint16_t* table);

// Fills w pixels of h rows: w / 2 32-bit stores of colour per row (its low
// half lands on the first pixel of each pair counted from the row start),
// then for odd w one 16-bit store of the low half.
void FastFill16(void* dst, int32_t w, int32_t h, int32_t dstPitch, uint32_t colour);

// ---- Shade by a mask of levels ----
// Level per pixel: 0 black, 1-7 that many eighths of each field, 8 unchanged,
// 9-255 seven eighths. Two pixels per 32-bit access.

// 32 x 32 block; the mask is 32 bytes per row, 32 rows.
void ShadeBlock32_555(void* dst, const uint8_t* mask, int32_t dstPitch);
void ShadeBlock32_565(void* dst, const uint8_t* mask, int32_t dstPitch);
// Any size; mask rows are maskStride bytes apart.
void ShadeRect_555(void* dst, const uint8_t* mask, int32_t dstPitch, int32_t w, int32_t h, int32_t maskStride);
void ShadeRect_565(void* dst, const uint8_t* mask, int32_t dstPitch, int32_t w, int32_t h, int32_t maskStride);

// ---- Run-length rows ----
// Row data: per row u16 skip bytes, then repeatedly u16 run bytes, the run's
// pixel bytes, u16 skip bytes; the row ends when skips and runs add up to the
// image's row width in bytes. rowOffsets[i] is the byte offset of row i.
//
// widthBytes is the visible width and skipBytes the horizontal offset of the
// visible part into the image row, both in bytes; the caller keeps
// skipBytes + widthBytes within the row width and the rows valid
// (RleRowsValid). Runs cut by the visible window are written only in part.
// offsets points at the entry of the first row to draw: little-endian u32
// byte offsets into data, read bytewise (no alignment needed).
struct RleRows {
    const uint8_t* data;
    const uint8_t* offsets;
};

void RleCopy(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
             int32_t skipBytes);
// d = table[s].
void RleTable16(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
                int32_t skipBytes, const uint16_t* table);
// d = srcTable[s] + dstTable[d]. Images pass T[k] for the source and
// T[15 - k] for the destination here, the opposite sense of the raw blit.
void RleBlend16(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
                int32_t skipBytes, const uint16_t* srcTable, const uint16_t* dstTable);

// Compressed alpha rows: the same layout counted in pixels, one alpha byte per
// pixel of a run; only the high four bits count. Alpha positions are counted
// from the start of the image row, like the pixel rows. A pixel inside an
// alpha run with a = alpha >> 4 above 1 becomes
// g_BlendTables[a][s] + g_BlendTables[15 - a][d]; every other pixel is left.
// Nothing is drawn when the colour tables are not built.
void RleAlpha16(void* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                int32_t dstPitch, int32_t imageWidth, int32_t skipBytes);
// The same with a = (alpha >> 4) - fade; the fade level is clamped into
// 0..15 (-1 is the usual "none").
void RleAlphaFaded16(void* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                     int32_t dstPitch, int32_t imageWidth, int32_t skipBytes, int32_t fade);

// The reference kernels: the definition of every result. The names above
// dispatch through g_Kernels (fast_kernels.h) to these or to fast versions
// that give the same bytes.
namespace ref {
void KeyedCopy16(void* dst, const void* src, int32_t w, int32_t h, int32_t dstPitch, int32_t srcPitch,
                 uint32_t key);
void BlendCopy16(void* dst, const void* src, int32_t w, int32_t h, int32_t dstPitch, int32_t srcPitch,
                 const uint16_t* dstTable, const uint16_t* srcTable, uint32_t key);
void TableMap16(void* dst, int32_t w, int32_t h, int32_t dstPitch, const uint16_t* table);
void RleCopy(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
             int32_t skipBytes);
void RleTable16(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
                int32_t skipBytes, const uint16_t* table);
void RleBlend16(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
                int32_t skipBytes, const uint16_t* srcTable, const uint16_t* dstTable);
void RleAlpha16(void* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                int32_t dstPitch, int32_t imageWidth, int32_t skipBytes);
void RleAlphaFaded16(void* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                     int32_t dstPitch, int32_t imageWidth, int32_t skipBytes, int32_t fade);
} // namespace ref

// Checks a whole RLE pixel plane as images store it (rowCount u32 offsets,
// then the row data they point into) of planeSize bytes: the table and every
// row lie inside the plane, each row ends exactly at rowBytes, and runs and
// skips are whole pixels of bytesPerPixel. Image loaders call it once, so the
// kernels can trust the rows.
bool RleRowsValid(const uint8_t* plane, uint32_t planeSize, int32_t rowCount, int32_t rowBytes,
                  int32_t bytesPerPixel);
// The same for a compressed alpha plane (lengths in pixels; a row ends when
// its position reaches imageWidth).
bool RleAlphaRowsValid(const uint8_t* plane, uint32_t planeSize, int32_t rowCount, int32_t imageWidth);
