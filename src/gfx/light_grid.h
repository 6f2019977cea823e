#pragma once
// Night and indoor lighting: a coarse grid of light levels (0-15, the index
// of a brightness table L[k] of the colour tables) laid over the view, one
// byte per cell. Each lit frame fills the grid with the ambient level,
// stamps cached elliptical spots around lights into it, and then copies the
// finished scene through the grid or draws single pictures through it.
//
// A cell byte indexes the colour tables directly: 0-15 are the brightness
// levels of the ambient mode, and the weather's lightning level 33 lands on
// the brightening tint table. Bytes past the last table read as level 15.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/geometry.h"

class CSurface;
class CRleImage;

// A byte map of levels, row by row: the grid's own map and every cached spot.
class CLightMap {
public:
    virtual ~CLightMap() = default;

    uint8_t At(int32_t col, int32_t row) const { return m_Levels[static_cast<size_t>(row * m_Width + col)]; }

    int32_t m_X = 0;
    int32_t m_Y = 0;
    int32_t m_Width = 0;   // cells
    int32_t m_Height = 0;  // cells
    int32_t m_Count = 0;   // width x height
    std::vector<uint8_t> m_Levels;
    int32_t m_Radius = 0;     // spots: pixels
    uint32_t m_Color = 0;     // spots: 0x00RRGGBB
    int32_t m_RefCount = 0;   // spots: never drops; spots live as long as the grid
};

class CLightGrid {
public:
    CLightGrid();
    // Frees the spot cache and the colour tables (the grid is destroyed at exit).
    ~CLightGrid();
    CLightGrid(const CLightGrid&) = delete;
    CLightGrid& operator=(const CLightGrid&) = delete;

    // Columns = width / cell; rows = height / cell + 100 / cell + 1, so the
    // grid reaches 100 pixels below the view for objects standing below it.
    // Base level 15, every cell 15. A cell size below 1 is refused.
    void Init(int32_t cellSize, int32_t viewWidth, int32_t viewHeight);
    // Rebuilds L[0..15] when the mode changes (modes 0-5; 6 and above are
    // stored without a rebuild). The surface is not used.
    void SetAmbientMode(int32_t mode, CSurface* surface);
    // Base level and every cell = level.
    void Fill(int32_t level);
    // Level of the cell under pixel (x, y), indices clamped into the grid.
    int32_t LevelAt(int32_t x, int32_t y) const;
    // The cached spot of this radius and colour (one more reference), or a
    // new one added to the cache.
    CLightMap* GetSpot(int32_t radius, uint32_t colour);
    // Raises the cells under the spot centred on the cell of pixel (x, y) to
    // the spot's levels (zero bytes leave a cell alone). 0 when nothing of it
    // lies in the grid.
    int Stamp(const CLightMap* spot, int32_t x, int32_t y);

    // Copies the rectangle of src to dst, each pixel through L[level of its
    // cell in map]. Pixels right of the last whole column use the last
    // column. 0 when nothing was copied.
    int Apply(CSurface* dst, CSurface* src, const CLightMap* map, const CGameRect& rect);
    // The RLE picture through colour table `level` (0-38; the light levels,
    // or a tint such as 34 for a highlight). 0 when nothing was visible.
    int DrawAtLevel(CSurface* dst, CRleImage* image, int32_t x, int32_t y, int32_t level, const CGameRect* clip);
    // Every pixel through L[level of the grid cell under it].
    int DrawThroughGrid(CSurface* dst, CRleImage* image, const CLightMap* map, int32_t x, int32_t y,
                        const CGameRect* clip);
    // The same, each lit pixel then averaged with the destination field by
    // field ((lit + destination) / 2, rounded down).
    int DrawThroughGridHalf(CSurface* dst, CRleImage* image, const CLightMap* map, int32_t x, int32_t y,
                            const CGameRect* clip);
    // Levels of the one grid row under groundY, the column following each
    // pixel; a negative groundY or one below the grid draws at the base level.
    int DrawThroughGridRow(CSurface* dst, CRleImage* image, const CLightMap* map, int32_t x, int32_t y,
                           const CGameRect* clip, int32_t groundY);

    const CLightMap& Map() const { return m_Map; }

    int32_t m_AmbientMode = -1;
    std::vector<std::unique_ptr<CLightMap>> m_Spots;  // creation order
    CLightMap m_Map;
    int32_t m_CellSize = 8;
    uint8_t m_BaseLevel = 15;
    int32_t m_Cols = 0;
    int32_t m_Rows = 0;
};

extern CLightGrid g_LightGrid;
