#pragma once
// Run-time choice between the reference pixel kernels (kernels.h, namespace
// ref) and fast versions that give the same bytes.
//
// The fast versions lean on two properties of the colour tables, both
// checked against the table contents before use (a table that lacks them is
// simply looked up as the reference does):
//  - every table except grey maps each colour field on its own, so three
//    small per-field tables (plus entry 0, which the brighten table sets on
//    its own) reproduce it;
//  - a blend table T[k] is (field x k) >> 4 in every field, which is plain
//    arithmetic and vectorises;
//  - the brightness and tint tables are each channel times a factor,
//    truncated (and clamped): a 16-bit multiply per field reproduces them,
//    cheaper than a vector lookup.
// A table follows the layout it was built for, which need not be the
// current one; the layout is read from the table itself.
//
// The kernel names of kernels.h dispatch through g_Kernels. The fast set is
// the default; VANTREL_KERNELS=reference in the environment starts with the
// reference set instead.
#include <cstddef>
#include <cstdint>

#include "gfx/kernels.h"

enum class KernelSet { Reference, Fast };

// Light grid copy: w x h pixels from src to dst (both already at the
// rectangle's top-left pixel (x, y)), each through tables[level], where
// level is the map byte of column min(x / cell + i / cell, mapWidth - 1) and
// row min(row / cell, mapHeight - 1) for the pixel i of screen row `row`.
// Groups of `cell` pixels start at the rectangle's left edge. dst may equal
// src (in place); otherwise they must not overlap.
struct LightApplyArgs {
    uint8_t* dst;
    ptrdiff_t dstPitch;
    const uint8_t* src;
    ptrdiff_t srcPitch;
    int32_t x, y, w, h;
    const uint8_t* levels;  // mapWidth x mapHeight bytes, row by row
    int32_t mapWidth, mapHeight;
    int32_t cell;
    const uint16_t* const* tables;  // 256 entries, one per possible map byte
};

struct KernelTable {
    decltype(&ref::KeyedCopy16) keyedCopy16;
    decltype(&ref::BlendCopy16) blendCopy16;
    decltype(&ref::TableMap16) tableMap16;
    decltype(&ref::RleCopy) rleCopy;
    decltype(&ref::RleTable16) rleTable16;
    decltype(&ref::RleBlend16) rleBlend16;
    decltype(&ref::RleAlpha16) rleAlpha16;
    decltype(&ref::RleAlphaFaded16) rleAlphaFaded16;
    void (*lightApply16)(const LightApplyArgs&);
};

// The kernels in force. Drawing is single-threaded; select before drawing.
extern KernelTable g_Kernels;

// Switches every kernel, the display's stretch included.
void SelectKernels(KernelSet set);
KernelSet SelectedKernels();
// "reference" or "fast", plus the vector width in use ("fast/avx2").
const char* KernelSetName();

// The light grid's per-pixel loop as the reference, and the fast version.
void LightApply16Reference(const LightApplyArgs& a);

// Fast kernels by name, for tests and benchmarks. Same contracts as the
// reference kernels of kernels.h.
namespace fast {
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
void LightApply16(const LightApplyArgs& a);

// What the fast kernels found a table to be: a table of the colour set that
// maps each field on its own (in the layout it was built for), and k when
// it is the blend table T[k]. Tables outside the colour set are never
// separable here: they are looked up as they are.
struct TableTraits {
    bool separable;
    bool is565;
    int32_t scale;  // -1 when not a blend fraction
    bool multiplied;  // not a fraction, but each field times a factor of its own
};
TableTraits DescribeTable(const uint16_t* table);

// While one of these lives the colour set is taken to stay as it is: each
// table is checked against its probes once, not on every kernel call. Open
// one around a batch of small draws that rebuild no table (a role sprite's
// parts). Scopes nest.
class StableTablesScope {
public:
    StableTablesScope();
    ~StableTablesScope();
    StableTablesScope(const StableTablesScope&) = delete;
    StableTablesScope& operator=(const StableTablesScope&) = delete;
};

// Turns the AVX2 paths off (or back on when the CPU has them), so tests can
// check the portable paths on any machine.
void UseVectorPaths(bool on);
bool VectorPathsInUse();
} // namespace fast
