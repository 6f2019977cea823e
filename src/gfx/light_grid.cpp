#include "gfx/light_grid.h"

#include "gfx/fast_kernels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "gfx/color_tables.h"
#include "gfx/image.h"
#include "gfx/pixel_format.h"
#include "gfx/primitives.h"
#include "gfx/rle_image.h"
#include "gfx/surface.h"
#include "platform/debug.h"

CLightGrid g_LightGrid;

namespace {

// The table of every possible cell byte. A cell's level indexes the colour
// tables directly: 0-15 are the brightness levels, and the weather's flash
// level 33 lands on the brightening tint on purpose. Bytes past the last
// table (never written by the game) read as full brightness.
using LevelTables = std::array<const uint16_t*, 256>;

// False when the colour tables are not built.
bool BrightnessTables(LevelTables* out) {
    const uint16_t* full = GetColorTable(15);
    if (!full) return false;
    for (int32_t k = 0; k < 256; ++k) {
        const uint16_t* t = k <= kLastColorTable ? GetColorTable(k) : nullptr;
        (*out)[static_cast<size_t>(k)] = t ? t : full;
    }
    return true;
}

inline uint16_t LoadPixel(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void StorePixel(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

// Field-by-field average of two pixels, each field rounded down.
inline uint16_t HalfAndHalf(uint16_t a, uint16_t b, bool is565) {
    if (is565) {
        const uint32_t r = ((a >> 11) + (b >> 11)) / 2;
        const uint32_t g = (((a >> 5) & 63u) + ((b >> 5) & 63u)) / 2;
        const uint32_t bl = ((a & 31u) + (b & 31u)) / 2;
        return static_cast<uint16_t>(r << 11 | g << 5 | bl);
    }
    const uint32_t r = (((a >> 10) & 31u) + ((b >> 10) & 31u)) / 2;
    const uint32_t g = (((a >> 5) & 31u) + ((b >> 5) & 31u)) / 2;
    const uint32_t bl = ((a & 31u) + (b & 31u)) / 2;
    return static_cast<uint16_t>(r << 10 | g << 5 | bl);
}

// Walks the visible run pixels of a 16-bit RLE picture drawn at (x, y) on a
// 16-bit surface, clipped like CRleImage::Draw, and calls
// fn(destination pixel address, source pixel, screen x, screen y) for each.
// 0 when nothing is visible; 1 otherwise (also when the lock fails).
template <class Fn>
int WalkRle(CSurface* dst, CRleImage* image, int32_t x, int32_t y, const CGameRect* clip, Fn&& fn) {
    if (!dst || !image || !image->m_pRowOffsets || !image->m_pRowData) return 0;
    if (image->m_BitsPerPixel != 16 || dst->m_BitsPerPixel != 16) return 0;
    BltPlan plan;
    if (!PlanSoftwareBlt(plan, dst->m_Width, dst->m_Height, image->m_Width, image->m_Height, x, y, image->m_Width,
                         image->m_Height, 0, 0, clip))
        return 0;
    uint8_t* base = dst->Lock(nullptr);
    if (base) {
        const ptrdiff_t pitch = static_cast<ptrdiff_t>(dst->m_PitchFactor) * dst->m_Pitch;
        const int32_t visLeft = plan.srcX, visRight = plan.srcX + plan.w;  // image columns [left, right)
        const int32_t imgW = image->m_Width;
        for (int32_t r = 0; r < plan.h; ++r) {
            const int32_t sy = plan.dstY + r;
            uint8_t* rowDst = base + pitch * sy;
            // Rows were checked when the picture was attached: every run and
            // skip lies inside the row and is a whole number of pixels.
            const uint8_t* p =
                image->m_pRowData + LeU32(image->m_pRowOffsets + 4 * static_cast<size_t>(plan.srcY + r));
            int32_t pos = LeU16(p) / 2;
            p += 2;
            while (pos < imgW && pos < visRight) {
                const int32_t run = LeU16(p) / 2;
                p += 2;
                const int32_t from = std::max(pos, visLeft), to = std::min(pos + run, visRight);
                for (int32_t ix = from; ix < to; ++ix) {
                    const int32_t sx = plan.dstX + (ix - visLeft);
                    fn(rowDst + 2 * static_cast<ptrdiff_t>(sx), LeU16(p + 2 * (ix - pos)), sx, sy);
                }
                pos += run;
                p += 2 * static_cast<ptrdiff_t>(run);
                if (pos >= imgW) break;
                pos += LeU16(p) / 2;
                p += 2;
            }
        }
    }
    dst->Unlock();
    return 1;
}

bool HasCells(const CLightMap* map) {
    return map && map->m_Width > 0 && map->m_Height > 0 &&
           map->m_Levels.size() >= static_cast<size_t>(map->m_Width) * static_cast<size_t>(map->m_Height);
}

} // namespace

CLightGrid::CLightGrid() = default;

CLightGrid::~CLightGrid() {
    m_Spots.clear();
    FreeColorTables();
}

void CLightGrid::Init(int32_t cellSize, int32_t viewWidth, int32_t viewHeight) {
    if (cellSize < 1) {
        plat::DebugPrintf("CLightGrid::Init: bad cell size %d\n", cellSize);
        return;
    }
    m_CellSize = cellSize;
    m_BaseLevel = 15;
    m_Cols = std::max(viewWidth, 0) / cellSize;
    m_Rows = std::max(viewHeight, 0) / cellSize + 100 / cellSize + 1;
    m_Map.m_Width = m_Cols;
    m_Map.m_Height = m_Rows;
    m_Map.m_Count = m_Cols * m_Rows;
    m_Map.m_Levels.assign(static_cast<size_t>(m_Map.m_Count), 15);
}

void CLightGrid::SetAmbientMode(int32_t mode, CSurface* surface) {
    (void)surface;
    if (mode == m_AmbientMode) return;
    if (mode >= 0 && mode <= 5) {
        // Without tables there is nothing to rebuild; keep the old mode so
        // the next call, after the tables exist, builds them.
        if (!g_ColorTables) return;
        BuildBrightnessTables(mode);
    }
    m_AmbientMode = mode;
}

void CLightGrid::Fill(int32_t level) {
    m_BaseLevel = static_cast<uint8_t>(level);
    std::fill(m_Map.m_Levels.begin(), m_Map.m_Levels.end(), m_BaseLevel);
}

int32_t CLightGrid::LevelAt(int32_t x, int32_t y) const {
    if (!HasCells(&m_Map)) return m_BaseLevel;
    const int32_t c = std::clamp(x / m_CellSize, 0, m_Map.m_Width - 1);
    const int32_t r = std::clamp(y / m_CellSize, 0, m_Map.m_Height - 1);
    return m_Map.At(c, r);
}

CLightMap* CLightGrid::GetSpot(int32_t radius, uint32_t colour) {
    for (const auto& spot : m_Spots) {
        if (spot->m_Radius == radius && spot->m_Color == colour) {
            ++spot->m_RefCount;
            return spot.get();
        }
    }
    auto spot = std::make_unique<CLightMap>();
    spot->m_Radius = radius;
    spot->m_Color = colour;
    spot->m_RefCount = 1;

    const int32_t level =
        static_cast<int32_t>(std::max({(colour >> 16) & 0xFFu, (colour >> 8) & 0xFFu, colour & 0xFFu}) / 17);
    const int32_t d = radius / m_CellSize;
    const int32_t h = d / 2;
    if (d > 0 && h > 0) {
        // An ellipse twice as wide as high (the 2:1 ground), the vertical
        // distance counting double; the centre reaches the level (or h when
        // smaller) and the rim falls linearly to 0.
        const int32_t m = level < h ? level : h;
        spot->m_Width = d;
        spot->m_Height = h;
        spot->m_Count = d * h;
        spot->m_Levels.assign(static_cast<size_t>(spot->m_Count), 0);
        for (int32_t r = 0; r < h; ++r) {
            for (int32_t c = 0; c < d; ++c) {
                const int32_t dy = std::abs(r - h / 2);
                const int32_t dx = std::abs(c - h);
                const double dist = std::sqrt(static_cast<double>(dx * dx + 4 * dy * dy));
                if (static_cast<int32_t>(dist) <= h) {
                    const int32_t v = static_cast<int32_t>(h - dist) * m / h;
                    spot->m_Levels[static_cast<size_t>(r * d + c)] = static_cast<uint8_t>(v);
                }
            }
        }
    }
    m_Spots.push_back(std::move(spot));
    return m_Spots.back().get();
}

int CLightGrid::Stamp(const CLightMap* spot, int32_t x, int32_t y) {
    if (!spot || !HasCells(spot) || !HasCells(&m_Map)) return 0;
    const int32_t left = x / m_CellSize - spot->m_Width / 2;
    const int32_t top = y / m_CellSize - spot->m_Height / 2;
    const int32_t c0 = std::max(left, 0), c1 = std::min(left + spot->m_Width, m_Map.m_Width);
    const int32_t r0 = std::max(top, 0), r1 = std::min(top + spot->m_Height, m_Map.m_Height);
    if (c0 >= c1 || r0 >= r1) return 0;
    for (int32_t r = r0; r < r1; ++r) {
        for (int32_t c = c0; c < c1; ++c) {
            const uint8_t v = spot->At(c - left, r - top);
            uint8_t& cell = m_Map.m_Levels[static_cast<size_t>(r * m_Map.m_Width + c)];
            if (v && v > cell) cell = v;
        }
    }
    return 1;
}

int CLightGrid::Apply(CSurface* dst, CSurface* src, const CLightMap* map, const CGameRect& rect) {
    if (!dst || !src || !HasCells(map)) return 0;
    if (dst->m_BitsPerPixel != 16 || src->m_BitsPerPixel != 16) return 0;
    LevelTables L;
    if (!BrightnessTables(&L)) return 0;
    int32_t x = rect.x, y = rect.y, w = rect.width, h = rect.height;
    if (!IntersectRect(x, y, w, h, 0, 0, dst->m_Width, dst->m_Height)) return 0;
    if (!IntersectRect(x, y, w, h, 0, 0, src->m_Width, src->m_Height)) return 0;
    const bool same = dst == src;
    uint8_t* d = dst->Lock(nullptr);
    uint8_t* s = same ? d : (d ? src->Lock(nullptr) : nullptr);
    if (!d || !s) {
        if (d) dst->Unlock();
        return 0;
    }
    const ptrdiff_t dPitch = static_cast<ptrdiff_t>(dst->m_PitchFactor) * dst->m_Pitch;
    const ptrdiff_t sPitch = static_cast<ptrdiff_t>(src->m_PitchFactor) * src->m_Pitch;
    // The kernel in force (the reference loop or its fast twin) does the
    // per-cell table map; both keep a part-group past the last whole column
    // on the last column rather than the next row's first cell.
    const LightApplyArgs args{d + dPitch * y + 2 * static_cast<ptrdiff_t>(x),
                              dPitch,
                              s + sPitch * y + 2 * static_cast<ptrdiff_t>(x),
                              sPitch,
                              x,
                              y,
                              w,
                              h,
                              map->m_Levels.data(),
                              map->m_Width,
                              map->m_Height,
                              m_CellSize,
                              L.data()};
    g_Kernels.lightApply16(args);
    if (!same) src->Unlock();
    dst->Unlock();
    return 1;
}

int CLightGrid::DrawAtLevel(CSurface* dst, CRleImage* image, int32_t x, int32_t y, int32_t level,
                            const CGameRect* clip) {
    const uint16_t* table = GetColorTable(level);
    if (!table) return 0;
    return WalkRle(dst, image, x, y, clip,
                   [table](uint8_t* d, uint16_t s, int32_t, int32_t) { StorePixel(d, table[s]); });
}

int CLightGrid::DrawThroughGrid(CSurface* dst, CRleImage* image, const CLightMap* map, int32_t x, int32_t y,
                                const CGameRect* clip) {
    LevelTables L;
    if (!HasCells(map) || !BrightnessTables(&L)) return 0;
    const int32_t cell = m_CellSize, lastCol = map->m_Width - 1, lastRow = map->m_Height - 1;
    return WalkRle(dst, image, x, y, clip, [&](uint8_t* d, uint16_t s, int32_t sx, int32_t sy) {
        const uint8_t level = map->At(std::min(sx / cell, lastCol), std::min(sy / cell, lastRow));
        StorePixel(d, L[level][s]);
    });
}

int CLightGrid::DrawThroughGridHalf(CSurface* dst, CRleImage* image, const CLightMap* map, int32_t x, int32_t y,
                                    const CGameRect* clip) {
    LevelTables L;
    if (!HasCells(map) || !BrightnessTables(&L)) return 0;
    const int32_t cell = m_CellSize, lastCol = map->m_Width - 1, lastRow = map->m_Height - 1;
    const bool is565 = g_PixelFormat.Get() == kFormat565;
    return WalkRle(dst, image, x, y, clip, [&](uint8_t* d, uint16_t s, int32_t sx, int32_t sy) {
        const uint8_t level = map->At(std::min(sx / cell, lastCol), std::min(sy / cell, lastRow));
        StorePixel(d, HalfAndHalf(L[level][s], LoadPixel(d), is565));
    });
}

int CLightGrid::DrawThroughGridRow(CSurface* dst, CRleImage* image, const CLightMap* map, int32_t x, int32_t y,
                                   const CGameRect* clip, int32_t groundY) {
    LevelTables L;
    if (!HasCells(map) || !BrightnessTables(&L)) return 0;
    const int32_t gridRow = groundY / m_CellSize;
    if (groundY < 0 || gridRow >= map->m_Height) return DrawAtLevel(dst, image, x, y, m_BaseLevel, clip);
    const int32_t cell = m_CellSize, lastCol = map->m_Width - 1;
    return WalkRle(dst, image, x, y, clip, [&](uint8_t* d, uint16_t s, int32_t sx, int32_t) {
        StorePixel(d, L[map->At(std::min(sx / cell, lastCol), gridRow)][s]);
    });
}
