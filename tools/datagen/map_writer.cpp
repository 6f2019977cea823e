#include "datagen/map_writer.h"

#include <cstdlib>

#include "datagen/bytes.h"
#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"

namespace datagen {

std::string BuildMap(const MapSpec& spec) {
    Bytes b;
    b.Fixed(spec.badMagic ? "QuorMap1.49" : "QuorMap1.50", 16).U16(spec.width).U16(spec.height).Fixed("", 48);
    b.Fixed("", 16);
    if (spec.libName.size() >= 256)
        b.Raw(std::string_view(spec.libName).substr(0, 256));
    else
        b.Fixed(spec.libName, 256);
    b.U16(static_cast<uint16_t>(spec.ids.size())).Fixed("", 4);
    for (uint16_t id : spec.ids) b.U16(id);
    for (const MapCellSpec& c : spec.cells)
        b.U16(c.tile0).U16(c.tile1).U8(c.walkable).U8(c.special).U8(c.terrain).U8(c.surface).U16(c.word);
    std::string out = b.str();
    if (spec.truncateAt < out.size()) out.resize(spec.truncateAt);
    return out;
}

bool WriteMap(const std::string& nativePath, const MapSpec& spec) { return WriteBytes(nativePath, BuildMap(spec)); }

MapSpec BuildMapFromAscii(const std::vector<std::string>& rows, const std::string& libName) {
    MapSpec m;
    m.height = static_cast<uint16_t>(rows.size());
    m.width = static_cast<uint16_t>(rows.empty() ? 0 : rows[0].size());
    m.libName = libName;
    m.ids = {0, 1, 2, 3};
    for (const std::string& row : rows)
        for (size_t x = 0; x < m.width; ++x) {
            const char ch = x < row.size() ? row[x] : '.';
            MapCellSpec c;
            c.tile0 = kTileGrass;
            switch (ch) {
                case ',': c.tile0 = kTileRoad; break;
                case '~': c.tile0 = kTileWater; c.walkable = 0; c.surface = 4; break;
                case ':': c.surface = 3; break;
                case '#': c.tile0 = kTileWall; c.walkable = 0; break;
                case 'a': case 'b': case 'c':
                case 'A': case 'B': case 'C': {
                    const bool walk = ch <= 'C';
                    c.tile0 = kTileWater;
                    c.walkable = walk ? 1 : 0;
                    c.terrain = static_cast<uint8_t>(12 + 2 * ((walk ? ch - 'A' : ch - 'a')));
                    break;
                }
                default:
                    if (ch >= '2' && ch <= '9') {
                        c.tile0 = kTileWall;
                        c.walkable = 0;
                        c.terrain = static_cast<uint8_t>(ch - '0');
                    }
                    break;
            }
            m.cells.push_back(c);
        }
    return m;
}

namespace {

uint32_t Hash(int x, int y, int k) {
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
                 static_cast<uint32_t>(k) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return h ^ (h >> 15);
}

// A 64 x 32 diamond: row r is inside for |x - 32| up to its half-width
// (2 + 2r in the upper half, mirrored below); the rest is the colour key.
ImageFrame Diamond(int kind) {
    ImageFrame f;
    f.width = 64;
    f.height = 32;
    f.rle = true;
    f.pixels.assign(64 * 32, kKey565);
    for (int y = 0; y < 32; ++y) {
        const int half = y < 16 ? 2 + 2 * y : 2 + 2 * (31 - y);
        for (int x = 0; x < 64; ++x) {
            if (std::abs(x - 32) > half) continue;
            const uint32_t n = Hash(x, y, kind) % 16;
            uint16_t px = 0;
            switch (kind) {
                case kTileGrass: px = Rgb16(40 + int(n) * 2, 120 + int(n) * 4, 40); break;
                case kTileRoad: px = Rgb16(150 + int(n) * 3, 120 + int(n) * 2, 80); break;
                case kTileWater:
                    px = ((x + 2 * y) % 16 == 0) ? Rgb16(150, 190, 255) : Rgb16(30, 70 + int(n) * 2, 170 + int(n) * 3);
                    break;
                default:
                    px = (y % 8 == 0 || (x + (y / 8) * 8) % 16 == 0) ? Rgb16(70, 70, 70)
                                                                      : Rgb16(140 + int(n) * 2, 140 + int(n) * 2, 130);
                    break;
            }
            f.pixels[size_t(y) * 64 + size_t(x)] = px;
        }
    }
    return f;
}

} // namespace

std::vector<std::string> DemoTileEntries() {
    std::vector<std::string> entries;
    for (int k = 0; k < kDemoTileCount; ++k) entries.push_back(EncodeFrame(Diamond(k)));
    return entries;
}

std::vector<std::string> DemoMapArt() {
    std::vector<std::string> rows(64, std::string(64, '.'));
    // A road cross through the middle.
    for (int i = 1; i < 63; ++i) {
        rows[32][size_t(i)] = ',';
        rows[size_t(i)][32] = ',';
    }
    // A pond in the upper right.
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int dx = x - 46, dy = y - 16;
            if (dx * dx + dy * dy <= 40) rows[size_t(y)][size_t(x)] = '~';
        }
    // A walled yard in the lower left, its gate on the road side.
    for (int i = 10; i <= 26; ++i) {
        rows[40][size_t(i)] = rows[56][size_t(i)] = '#';
        rows[size_t(i + 30)][10] = rows[size_t(i + 30)][26] = '#';
    }
    rows[40][17] = rows[40][18] = rows[40][19] = '.';
    return rows;
}

bool WriteDemoMap(const std::string& nativeFolder) {
    const std::string root = nativeFolder + (nativeFolder.empty() || nativeFolder.back() == '/' ? "" : "/");
    return WriteLib(root + "Zy/maptile.lib", DemoTileEntries()) &&
           WriteMap(root + "cj/Start.map", BuildMapFromAscii(DemoMapArt()));
}

} // namespace datagen
