#include "world/map/map_grid.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "core/directories.h"
#include "core/log.h"
#include "core/pack_file.h"
#include "gfx/image_ref.h"
#include "gfx/res_lib.h"
#include "platform/window.h"
#include "world/objects/game_obj.h"
#include "world/objects/handle_table.h"
#include "world/scene/world_hooks.h"

const char kMapMagic[12] = "QuorMap1.50";

namespace {

// "Map文件:", "不是Map文件:", "Lib库:"
const char kNoMapFileText[] = "Map\xCE\xC4\xBC\xFE:";
const char kNotMapFileText[] = "\xB2\xBB\xCA\xC7Map\xCE\xC4\xBC\xFE:";
const char kNoLibText[] = "Lib\xBF\xE2:";

uint16_t U16At(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Reads exactly n bytes; false on a short read.
bool ReadAll(CPackFile& f, void* buffer, int n) { return n == 0 || f.Read(buffer, 1, n) == n; }

} // namespace

// ------------------------------------------------------------------ cells

namespace {
int32_t g_PathCamp = 0;
} // namespace

void SetPathCamp(int32_t camp) { g_PathCamp = camp; }
int32_t GetPathCamp() { return g_PathCamp; }

CGameObj* CMapCell::GetRole() const {
    CGameObj* obj = ResolveHandle16(m_Occupant);
    return obj && obj->IsRole() ? obj : nullptr;
}

int CMapCell::OccupiedPassable() const {
    const CGameObj* role = GetRole();
    if (!role) return kPassBlocked;
    const int32_t camp = g_WorldHooks.getRoleCamp ? g_WorldHooks.getRoleCamp(role) : 0;
    return camp == g_PathCamp ? kPassOwnCamp : kPassBlocked;
}

int CMapCell::PassableForCamp(int32_t walkClass, int32_t camp) const {
    SetPathCamp(camp);
    return Passable(walkClass);
}

// ------------------------------------------------------------------ tiles

CMapLib::CMapLib() : m_pLib(std::make_unique<CResLib>()) {}

CMapLib::~CMapLib() { Release(); }

int CMapLib::Load(const char* libName, const uint16_t* ids, int32_t count) {
    char name[kMapLibNameSize] = {};
    std::strncpy(name, libName ? libName : "", sizeof name - 1);
    const std::string path = std::string(GetZyDirectory()) + name;
    Release();
    if (!m_pLib) m_pLib = std::make_unique<CResLib>();
    if (!m_pLib->Open(path.c_str())) return 0;
    std::memcpy(m_Name, name, sizeof m_Name);
    m_Count = std::max<int32_t>(count, 0);
    m_pTiles.reset(new CImageRef[m_Count > 0 ? m_Count : 1]);
    for (int32_t i = 0; i < m_Count; ++i) m_pTiles[i].Set(ids[i], m_pLib.get());
    return 1;
}

void CMapLib::Release() {
    // References first: a reference gives back its count only while its
    // library is open.
    m_pTiles.reset();
    m_Count = 0;
    std::memset(m_Name, 0, sizeof m_Name);
    if (m_pLib) {
        m_pLib->Close();
        m_pLib.reset();
    }
}

CImage* CMapLib::GetTileImage(int32_t tile) const {
    if (tile < 0 || tile >= m_Count) return nullptr;
    return m_pTiles[tile].GetImage();
}

// ------------------------------------------------------------------- grid

namespace {
// Every live grid, for a cell's write to find its grid's bits. Never
// destroyed: grids of static scenes leave it during exit, after the
// statics of this file may be gone.
std::vector<CMapGrid*>& LiveGrids() {
    static auto* grids = new std::vector<CMapGrid*>;
    return *grids;
}
} // namespace

void CMapCell::SetOccupant(uint16_t handle) {
    m_Occupant.m_Value = handle;
    if (CMapGrid* grid = CMapGrid::OwnerOf(this)) grid->NoteOccupant(this);
}

CMapGrid* CMapGrid::OwnerOf(const CMapCell* cell) {
    for (CMapGrid* g : LiveGrids())
        if (g->m_pCells && cell >= g->m_pCells.get() && cell < g->m_pCells.get() + g->m_CellCount) return g;
    return nullptr;
}

void CMapGrid::NoteOccupant(const CMapCell* cell) {
    const size_t i = size_t(cell - m_pCells.get());
    const size_t x = i % size_t(m_Width), y = i / size_t(m_Width);
    const uint16_t v = cell->m_Occupant;
    const bool on = v != 0 && v != kNoObj;
    uint64_t& r = m_RowBits[y * size_t(m_RowWords) + (x >> 6)];
    uint64_t& c = m_ColumnBits[x * size_t(m_ColumnWords) + (y >> 6)];
    const uint64_t rb = uint64_t(1) << (x & 63), cb = uint64_t(1) << (y & 63);
    r = on ? r | rb : r & ~rb;
    c = on ? c | cb : c & ~cb;
}

void CMapGrid::ResetOccupancy() {
    m_RowWords = m_Width > 0 && m_Height > 0 ? (m_Width + 63) / 64 : 0;
    m_ColumnWords = m_Width > 0 && m_Height > 0 ? (m_Height + 63) / 64 : 0;
    m_RowBits.assign(size_t(m_RowWords) * size_t(m_Height), 0);
    m_ColumnBits.assign(size_t(m_ColumnWords) * size_t(m_Width), 0);
    for (int32_t i = 0; i < m_CellCount; ++i) NoteOccupant(&m_pCells[size_t(i)]);
}

CMapGrid::CMapGrid() {
    std::memcpy(m_Header, kMapMagic, sizeof kMapMagic);
    LiveGrids().push_back(this);
}

CMapGrid::~CMapGrid() {
    auto& grids = LiveGrids();
    grids.erase(std::remove(grids.begin(), grids.end(), this), grids.end());
}

int CMapGrid::Create(int32_t width, int32_t height) {
    m_pCells.reset();
    width = std::max<int32_t>(width, 0);
    height = std::max<int32_t>(height, 0);
    m_OriginX = m_OriginY = 0;
    m_Width = m_Height = m_CellCount = 0;
    const size_t n = size_t(width) * size_t(height);
    CMapCell* cells = new (std::nothrow) CMapCell[n > 0 ? n : 1];
    if (!cells) return 0;
    m_pCells.reset(cells);
    m_Width = width;
    m_Height = height;
    m_CellCount = static_cast<int32_t>(n);
    m_Header[16] = static_cast<uint8_t>(width);
    m_Header[17] = static_cast<uint8_t>(width >> 8);
    m_Header[18] = static_cast<uint8_t>(height);
    m_Header[19] = static_cast<uint8_t>(height >> 8);
    ResetOccupancy();
    return 1;
}

void CMapGrid::Clear() {
    m_Lib.Release();
    m_pCells.reset();
    m_Width = m_Height = m_CellCount = 0;
    ResetOccupancy();
}

int CMapGrid::LoadMap(const char* path) {
    CPackFile& f = g_SharedFile;
    if (f.Open(path, "rb") == -2) {
        ErrorBox(plat::GetMainWindow(), 1, kNoMapFileText, path);
        return 0;
    }
    // Nothing of the grid is touched until the magic matched.
    uint8_t header[kMapHeaderSize];
    const bool headerRead = ReadAll(f, header, kMapHeaderSize);
    if (headerRead && std::strncmp(reinterpret_cast<const char*>(header), kMapMagic, sizeof kMapMagic) != 0) {
        ErrorBox(plat::GetMainWindow(), 1, kNotMapFileText, path);
        f.Close();
        return 0;
    }
    auto fail = [&] {
        Clear();
        f.Close();
        return 0;
    };
    if (!headerRead) return fail();
    std::memcpy(m_Header, header, sizeof m_Header);

    uint8_t skip16[16], count2[2], skip4[4];
    char libName[kMapLibNameSize];
    if (!ReadAll(f, skip16, 16) || !ReadAll(f, libName, kMapLibNameSize) || !ReadAll(f, count2, 2) ||
        !ReadAll(f, skip4, 4))
        return fail();
    libName[kMapLibNameSize - 1] = '\0';
    const int32_t tileCount = U16At(count2);
    // A count the file cannot hold is refused before its lists are made.
    if (kMapIdsPos + 2 * int64_t(tileCount) > int64_t(f.GetLength())) return fail();
    std::vector<uint16_t> ids(static_cast<size_t>(tileCount));
    std::vector<uint8_t> idBytes(static_cast<size_t>(tileCount) * 2);
    if (!ReadAll(f, idBytes.data(), int(idBytes.size()))) return fail();
    for (int32_t i = 0; i < tileCount; ++i) ids[size_t(i)] = U16At(&idBytes[size_t(i) * 2]);

    // The cell block must fit in what the file has left before anything is
    // allocated for it: width x height is up to 4 billion cells.
    const int32_t width = U16At(header + 16), height = U16At(header + 18);
    const int64_t cellBytes = int64_t(width) * height * kMapCellFileSize;
    const int64_t left = int64_t(f.GetLength()) - (kMapIdsPos + 2 * int64_t(tileCount));
    if (cellBytes > left) return fail();

    if (!m_Lib.Load(libName, ids.data(), tileCount)) {
        ErrorBox(plat::GetMainWindow(), 1, kNoLibText, libName);
        return fail();
    }
    if (!Create(width, height)) return fail();
    std::vector<uint8_t> block(static_cast<size_t>(cellBytes));
    if (!ReadAll(f, block.data(), int(cellBytes))) return fail();

    for (int32_t i = 0; i < m_CellCount; ++i) {
        const uint8_t* p = &block[size_t(i) * kMapCellFileSize];
        CMapCell& c = m_pCells[size_t(i)];
        const uint16_t t0 = U16At(p), t1 = U16At(p + 2);
        c.m_Tile0 = t0 < tileCount ? t0 : kNoTile;
        c.m_Tile1 = t1 < tileCount ? t1 : kNoTile;
        c.m_Walkable = p[4];
        c.m_Special = p[5];
        c.m_Terrain = p[6];
        c.m_Surface = p[7];
        c.m_FileWord = U16At(p + 8);
    }
    // No walker ever stands on the border. A map 0 cells wide (or high) has
    // no cells, and no border to mark.
    const int32_t rows = m_CellCount > 0 ? m_Height : 0;
    for (int32_t x = 0; x < m_Width && rows > 0; ++x) {
        m_pCells[size_t(x)].m_Walkable = 0;
        m_pCells[size_t(m_Height - 1) * size_t(m_Width) + size_t(x)].m_Walkable = 0;
    }
    for (int32_t y = 0; y < rows; ++y) {
        m_pCells[size_t(y) * size_t(m_Width)].m_Walkable = 0;
        m_pCells[size_t(y) * size_t(m_Width) + size_t(m_Width - 1)].m_Walkable = 0;
    }
    for (int32_t i = 0; i < m_CellCount; ++i) m_pCells[size_t(i)].m_LoadedWalkable = m_pCells[size_t(i)].m_Walkable;
    f.Close();
    return 1;
}

CGameObj* CMapGrid::GetRoleAt(const CGamePoint& world) const {
    const CMapCell* c = GetCell(world.x / 64, world.y / 64);
    return c ? c->GetRole() : nullptr;
}

int CMapGrid::FindNearestFree(CGamePoint* cell, int32_t walkClass, int32_t maxRadius) const {
    if (!cell || m_Width <= 0 || m_Height <= 0) return 0;
    const int32_t x = cell->x, y = cell->y;
    auto clampX = [&](int64_t v) { return int32_t(std::clamp<int64_t>(v, 0, m_Width - 1)); };
    auto clampY = [&](int64_t v) { return int32_t(std::clamp<int64_t>(v, 0, m_Height - 1)); };
    auto fits = [&](int32_t cx, int32_t cy) {
        const CMapCell& c = m_pCells[size_t(cy) * size_t(m_Width) + size_t(cx)];
        return c.m_Occupant == kNoObj && c.AllowsWalkClass(walkClass);
    };
    for (int32_t r = 0; r <= maxRadius; ++r) {
        const int32_t x0 = clampX(int64_t(x) - r), x1 = clampX(int64_t(x) + r);
        const int32_t y0 = clampY(int64_t(y) - r), y1 = clampY(int64_t(y) + r);
        for (int32_t cx = x0; cx <= x1; ++cx)
            if (fits(cx, y0)) return *cell = {cx, y0}, 1;
        for (int32_t cx = x0; cx <= x1; ++cx)
            if (fits(cx, y1)) return *cell = {cx, y1}, 1;
        for (int32_t cy = y0; cy <= y1; ++cy)
            if (fits(x0, cy)) return *cell = {x0, cy}, 1;
        for (int32_t cy = y0; cy <= y1; ++cy)
            if (fits(x1, cy)) return *cell = {x1, cy}, 1;
        // Once the ring is clamped on all four sides the later rings are the
        // same cells again.
        if (x0 == 0 && y0 == 0 && x1 == m_Width - 1 && y1 == m_Height - 1) break;
    }
    return 0;
}
