#pragma once
// Building init files ("QuorInit1.00"): the buildings placed in a scene.
//
// Layout (little-endian): a 196-byte header, magic "QuorInit1.00" with its
// NUL at 0, u16 record count at 16, the building model file name at 18
// (178 bytes, NUL-terminated within them); then records: u16 type (3
// building, 4 building with text), u16 model id (the part id in the model
// file), i32 x, i32 y (map cell), u32 (not read), u32 data length n, n
// bytes of data, and for type 4 a 128-byte text. Records of other types
// are passed over with their data.
#include <cstdint>
#include <string>
#include <vector>

constexpr int kBldInitHeaderSize = 196;
constexpr int kBldInitTextSize = 128;

struct BldInitEntry {
    uint16_t type = 0;
    uint16_t modelId = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t dataLength = 0;  // as read; -1 takes the shape from the model
    std::string data;        // the data block when the length is above 0
    char text[kBldInitTextSize] = {};  // type 4; NUL-terminated within the field
};

struct BldInitFile {
    std::string modelFile;
    std::vector<BldInitEntry> entries;  // types 3 and 4, in file order
    bool complete = false;              // false when a record was cut short
};

// Parses the bytes of an init file. 0 for a short header or another magic;
// else 1, with the whole records before any cut one in `out` (a cut record
// leaves `complete` false). Every data length is checked against the bytes
// left before anything is allocated.
int ParseBldInit(const uint8_t* data, size_t size, BldInitFile* out);

class CBldRec;
// A CBldRec for type 3, a CBldTextRec for type 4 (null otherwise), with the
// model id and cell set.
CBldRec* MakeBldRec(uint16_t modelId, int type, int32_t x, int32_t y);
// Reads an init file (a path the game opens as it is): the model it names
// becomes the current manager's building model through the model cache,
// then every record becomes a building through CObjMng::CreateBld, in file
// order. A missing file shows "LoadInt文件:" with the name; another magic
// gives no buildings and no message. 0 when the file is missing, refused,
// or cut short (the buildings before the cut stand).
int LoadInt(const char* name);
