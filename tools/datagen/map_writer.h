#pragma once
// Writer of map files ("QuorMap1.50") and the demo's map tiles.
//
// Map file, little-endian:
//   0       magic "QuorMap1.50" + NUL, NUL-padded to 16 bytes
//   16      u16 width, u16 height (the rest of the 68-byte header is 0)
//   68      16 bytes of 0
//   84      library name (relative to "Zy\"), NUL-padded to 256 bytes
//   340     u16 tile count N, then 4 bytes of 0
//   346     N u16 library entry ids
//   346+2N  the cells, 10 bytes each: u16 tile 0, u16 tile 1, u8 walkable,
//           u8 special, u8 terrain class, u8 surface kind, u16 word
// Cells are written exactly as given, so a spec whose width x height does
// not match its cell list makes a short (or long) file on purpose.
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace datagen {

struct MapCellSpec {
    uint16_t tile0 = 65535;
    uint16_t tile1 = 65535;
    uint8_t walkable = 1;
    uint8_t special = 0;
    uint8_t terrain = 0;
    uint8_t surface = 0;
    uint16_t word = 0;
};

struct MapSpec {
    uint16_t width = 0;
    uint16_t height = 0;
    std::string libName;  // written as is; 256 bytes or more leave no NUL
    std::vector<uint16_t> ids;
    std::vector<MapCellSpec> cells;  // row by row
    bool badMagic = false;           // "QuorMap1.49"
    // The file ends after this many bytes (when shorter than the whole).
    size_t truncateAt = std::numeric_limits<size_t>::max();
};

std::string BuildMap(const MapSpec& spec);
bool WriteMap(const std::string& nativePath, const MapSpec& spec);
// Byte offset of cell i in a map with `tileCount` ids.
inline size_t MapCellPos(size_t tileCount, size_t i) { return 346 + 2 * tileCount + 10 * i; }

// The demo tile set: tile numbers of BuildMapFromAscii, which are also the
// entries of the demo tile library ("Zy\maptile.lib").
enum DemoTile : uint16_t { kTileGrass = 0, kTileRoad = 1, kTileWater = 2, kTileWall = 3, kDemoTileCount = 4 };

// A map from ASCII art, one string per row (all rows as long as the first):
//   '.' grass, walkable          ',' road, walkable
//   '~' water: blocked, surface kind 4
//   ':' soft ground: grass, walkable, surface kind 3 (walkers leave footprints)
//   '#' wall: blocked
//   '2'..'9' blocked, terrain class 2-9 (low obstacles that sight passes)
//   'a' 'b' 'c' blocked, terrain class 12, 14, 16 (special terrains)
//   'A' 'B' 'C' as a b c but walkable
// Tile 0 of each cell comes from DemoTile; ids are 0 .. 3 (the demo
// library's entries) unless given.
MapSpec BuildMapFromAscii(const std::vector<std::string>& rows, const std::string& libName = "maptile.lib");

// The demo's 64 x 32 diamond tiles (grass, road, water, wall), corners
// outside the diamond keyed, as library entries 0-3.
std::vector<std::string> DemoTileEntries();
// "Zy/maptile.lib" and the 64 x 64 demo map "cj/Start.map" (a road cross,
// a pond and a walled yard with a gate) under the native folder.
bool WriteDemoMap(const std::string& nativeFolder);
// The demo map's ASCII art (64 rows of 64).
std::vector<std::string> DemoMapArt();

} // namespace datagen
