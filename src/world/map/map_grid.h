#pragma once
// The map grid of a world: square cells of 64 world units with two tile
// numbers for drawing, a walkable flag and terrain class for movement, and
// the handles of what stands or lies on each cell. The grid owns the map's
// tile list (CMapLib), whose entries are pictures of one resource library.
//
// Map file "QuorMap1.50", little-endian:
//   0      68 header: magic "QuorMap1.50" + NUL (12 bytes), u16 width at
//          16, u16 height at 18, the rest reserved
//   68     16 bytes (not interpreted)
//   84     256 library file name, relative to "Zy\"
//   340    u16 tile count N
//   342    4 bytes (not interpreted)
//   346    N u16 library entry ids (tile number i -> entry ids[i])
//   346+2N width x height cells of 10 bytes, row by row: u16 first tile,
//          u16 second tile, u8 walkable, u8 special, u8 terrain class,
//          u8 surface kind, u16 (carried, not interpreted)
// Tile number 65535 (and any number at or above N) means no tile.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/geometry.h"

class CGameObj;
class CImage;
class CImageRef;
class CResLib;

constexpr uint16_t kNoTile = 65535;
// An empty occupant, object mark or ground object word.
constexpr uint16_t kNoObj = 65535;

constexpr int kMapHeaderSize = 68;
constexpr int kMapLibNameSize = 256;
constexpr int kMapCellFileSize = 10;
// Offset of the id list: header, 16 bytes, name, u16 count, 4 bytes.
constexpr int kMapIdsPos = kMapHeaderSize + 16 + kMapLibNameSize + 2 + 4;
extern const char kMapMagic[12];

// The walk-class rule: whether a cell of terrain class `terrain` and
// walkable byte `walkable` lets a mover of walk class `walkClass` in.
//   1: walkable; 11: terrain 12, else walkable unless terrain 14 or 16;
//   13: terrain 12 or 14, else walkable unless terrain 16;
//   15: terrain 12, 14 or 16; any other class c: terrain c.
inline bool WalkClassAllows(int32_t walkClass, uint8_t terrain, uint8_t walkable) {
    switch (walkClass) {
        case 1: return walkable != 0;
        case 11: return terrain == 12 || (terrain != 14 && terrain != 16 && walkable != 0);
        case 13: return terrain == 12 || terrain == 14 || (terrain != 16 && walkable != 0);
        case 15: return terrain == 12 || terrain == 14 || terrain == 16;
        default: return terrain == walkClass;
    }
}

// The camp of the role whose path is being searched: a cell held by a role
// of that camp is passable at a price (CMapCell::Passable answers 2).
void SetPathCamp(int32_t camp);
int32_t GetPathCamp();

// Answers of CMapCell::Passable.
enum : int { kPassFree = 1, kPassOwnCamp = 2, kPassBlocked = 3 };

// The occupant word of a cell: read as a number, written only through
// CMapCell::SetOccupant, which keeps the owning grid's occupancy bits (the
// spiral role searches skip empty runs of cells by them).
class CCellOccupant {
public:
    CCellOccupant() = default;
    CCellOccupant(const CCellOccupant&) = default;
    operator uint16_t() const { return m_Value; }

private:
    friend struct CMapCell;
    CCellOccupant& operator=(const CCellOccupant&) = default;
    uint16_t m_Value = kNoObj;
};

struct CMapCell {
    uint16_t m_Tile0 = kNoTile;
    uint16_t m_Tile1 = kNoTile;
    // Forced to 0 on the border cells when a map loads.
    uint8_t m_Walkable = 1;
    uint8_t m_Special = 255;  // file offset 5 (2 = slide cell for the movement code)
    uint8_t m_Terrain = 0;    // terrain class; 12, 14, 16 special terrains
    uint8_t m_Surface = 0;    // 4 = water-like ground
    uint16_t m_FileWord = 0;  // file offset 8, carried
    CCellOccupant m_Occupant;       // the role standing here (0 also reads as none)
    uint16_t m_ObjMark = kNoObj;    // the building whose footprint covers the cell
    uint16_t m_GroundObj = kNoObj;  // a second object lying here
    // Stamped by a building: bit 7 building cell, bits 0-2 cell kind, bit 3
    // pick cell.
    uint8_t m_Footprint = 0;
    uint8_t m_Reserved0 = 128;
    uint8_t m_Reserved1 = 0;
    // The walkable byte as the map loaded it (border forced): what a solid
    // building cell gives back when the building goes.
    uint8_t m_LoadedWalkable = 1;

    // Writes the occupant word and, for a cell of a grid, its occupancy bit.
    void SetOccupant(uint16_t handle);
    bool AllowsWalkClass(int32_t walkClass) const { return WalkClassAllows(walkClass, m_Terrain, m_Walkable); }
    // The terrain class with every value below 10 read as 1.
    int32_t GetMoveClass() const { return m_Terrain < 10 ? 1 : m_Terrain; }
    // No object mark, not walkable and water-like ground.
    bool IsSurface4() const { return m_ObjMark == kNoObj && m_Walkable == 0 && m_Surface == 4; }
    // The occupant through the current handle table: null for 0 or 65535,
    // a stale generation bit, an empty slot or an object that is no role.
    CGameObj* GetRole() const;
    // 3 when the cell fails the walk-class rule; else 1 with no occupant (0
    // or 65535), 2 when the occupant is a role of the path camp, 3 for any
    // other occupant (another camp's role, a stale handle, not a role).
    int Passable(int32_t walkClass) const {
        if (!AllowsWalkClass(walkClass)) return kPassBlocked;
        if (m_Occupant == 0 || m_Occupant == kNoObj) return kPassFree;
        return OccupiedPassable();
    }
    // SetPathCamp(camp), then Passable.
    int PassableForCamp(int32_t walkClass, int32_t camp) const;

private:
    int OccupiedPassable() const;
};

// The walk-class rule under the name the roles code uses.
inline bool CellAllowsWalkClass(const CMapCell* cell, int32_t walkClass) {
    return cell && cell->AllowsWalkClass(walkClass);
}

class CMapLib {
public:
    CMapLib();
    ~CMapLib();
    CMapLib(const CMapLib&) = delete;
    CMapLib& operator=(const CMapLib&) = delete;

    // Binds the tile list to the library `libName` (relative to "Zy\"):
    // reference i to entry ids[i]. The previous list is released first.
    // 0 when the library does not open.
    int Load(const char* libName, const uint16_t* ids, int32_t count);
    // Drops the references, unloads the library's entries and deletes it.
    void Release();
    // The picture of tile i; null for 65535 or any number at or above the
    // tile count, and for a picture the library cannot give.
    CImage* GetTileImage(int32_t tile) const;
    int32_t Count() const { return m_Count; }
    const char* Name() const { return m_Name; }
    CResLib* Lib() const { return m_pLib.get(); }

private:
    int32_t m_Count = 0;
    std::unique_ptr<CImageRef[]> m_pTiles;
    char m_Name[kMapLibNameSize] = {};
    std::unique_ptr<CResLib> m_pLib;
};

class CMapGrid {
public:
    CMapGrid();
    ~CMapGrid();
    CMapGrid(const CMapGrid&) = delete;
    CMapGrid& operator=(const CMapGrid&) = delete;

    // width x height cells with the defaults of CMapCell; the old cells go.
    // 0 (an empty grid) when the cells cannot be allocated.
    int Create(int32_t width, int32_t height);
    // Reads a map file through the shared file object. 1 on success. A
    // missing file or a wrong magic leaves the grid as it was; any later
    // failure leaves it empty (no cells, no tiles, 0 x 0).
    int LoadMap(const char* path);
    // Releases the tile list and the cells; 0 x 0.
    void Clear();

    // The occupancy bits (occupant neither 0 nor 65535) of row y over its
    // x, and of column x over its y; null off the grid. RowWords/ColumnWords
    // 64-bit words each.
    const uint64_t* OccupiedRow(int32_t y) const {
        return y >= 0 && y < m_Height && m_RowWords ? &m_RowBits[size_t(y) * size_t(m_RowWords)] : nullptr;
    }
    const uint64_t* OccupiedColumn(int32_t x) const {
        return x >= 0 && x < m_Width && m_ColumnWords ? &m_ColumnBits[size_t(x) * size_t(m_ColumnWords)] : nullptr;
    }
    bool IsOccupied(int32_t x, int32_t y) const {
        const uint64_t* row = OccupiedRow(y);
        return row && x >= 0 && x < m_Width && ((row[x >> 6] >> (x & 63)) & 1u);
    }

    CMapCell* GetCell(int32_t x, int32_t y) {
        return RectContains(Bounds(), x, y) ? &m_pCells[size_t(y) * size_t(m_Width) + size_t(x)] : nullptr;
    }
    const CMapCell* GetCell(int32_t x, int32_t y) const {
        return RectContains(Bounds(), x, y) ? &m_pCells[size_t(y) * size_t(m_Width) + size_t(x)] : nullptr;
    }
    // The role on the cell of a world position (each coordinate / 64 toward
    // zero: -63 .. -1 fall in cell 0); null outside the grid.
    CGameObj* GetRoleAt(const CGamePoint& world) const;
    // Ring search for a cell that passes the walk-class rule and has no
    // occupant (exactly 65535): rings r = 0 .. maxRadius around *cell,
    // clamped into the grid, each tested top row, bottom row, left column,
    // right column. 1 with the cell written back, else 0 and unchanged.
    int FindNearestFree(CGamePoint* cell, int32_t walkClass, int32_t maxRadius) const;

    CGameRect Bounds() const { return {m_OriginX, m_OriginY, m_Width, m_Height}; }
    int32_t Width() const { return m_Width; }
    int32_t Height() const { return m_Height; }
    int32_t CellCount() const { return m_CellCount; }
    CMapCell* Cells() { return m_pCells.get(); }
    const uint8_t* Header() const { return m_Header; }
    CMapLib& Tiles() { return m_Lib; }
    const CMapLib& Tiles() const { return m_Lib; }

private:
    friend struct CMapCell;
    // The live grid whose cells hold `cell`, or null (a cell of no grid).
    static CMapGrid* OwnerOf(const CMapCell* cell);
    void NoteOccupant(const CMapCell* cell);
    // The bits sized to the cells and taken from them.
    void ResetOccupancy();

    int32_t m_OriginX = 0;
    int32_t m_OriginY = 0;
    int32_t m_Width = 0;
    int32_t m_Height = 0;
    int32_t m_CellCount = 0;
    std::unique_ptr<CMapCell[]> m_pCells;
    // Occupancy bits by row and by column (see OccupiedRow).
    std::vector<uint64_t> m_RowBits;
    std::vector<uint64_t> m_ColumnBits;
    int32_t m_RowWords = 0;
    int32_t m_ColumnWords = 0;
    uint8_t m_Header[kMapHeaderSize] = {};
    CMapLib m_Lib;
};
