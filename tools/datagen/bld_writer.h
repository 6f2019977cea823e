#pragma once
// Writers of the two building files.
//
// Model file ("mb\*.bld"-style, magic "quorbld1.50"): a 64-byte header
// (magic at 0, i32 record count at 32), then records: u16 kind, and for
// kind 3 a part record:
//   2 name[32], 34 u16 part kind, 36 u16 part id, 38 u32 (not read),
//   42 u16 sub-record count s, 44 u16 middle start, 46 u16, 48 u16 top
//   count, 50 u8 label enable, 51 20 bytes, 71 8 bytes, 79 u16 w, 81 u16 h,
//   83 u16 name text id, 85 twenty i32, 165 w x h u16 footprint mask,
//   then u16, u8 light kind, u8 default label colour, s sub-records of 21
//   bytes (name[8], u8 animated, u32 resource id, i32 x, i32 y).
// The twenty i32 at 85, counted from 1: 1-2 anchor cell, 3-4 occlusion line
// offsets, 5-6 footprint origin, 7-10 rectangle x, y, w, h, 11-12 light
// offset, 13 use sound, 14 ambient sound, 15-20 not used.
//
// Init file (magic "QuorInit1.00"): a 196-byte header (magic at 0, u16
// record count at 16, model file name[178] at 18), then records: u16 type,
// u16 model id, i32 x, i32 y, u32 (not read), u32 data length n, n data
// bytes, and for type 4 a 128-byte text.
//
// Each file has a fault option that writes one malformed variant, for the
// tests that require the reader to refuse it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

inline constexpr char kBldSubDefaultName[] = "\xb2\xbf\xbc\xfe";  // "部件"

struct BldSubSpec {
    std::string name = kBldSubDefaultName;
    uint8_t animated = 0;
    uint32_t resId = 65535;
    int32_t x = 0;
    int32_t y = 0;
};

// A part name as the buildings read it, a text field: u16 tag, then the
// text. Tag 7 with "%id%" names UI text id; any other tag is the text itself.
std::string BldNameField(const std::string& text, uint16_t tag = 0);
// The field of a reference to UI text `id` ("%id%" under tag 7).
std::string BldNameRef(int id);

struct BldPartSpec {
    std::string name = "????";  // the 32 name bytes as written (see BldNameField)
    uint16_t partKind = 65535;
    uint16_t partId = 65535;
    uint16_t middleStart = 0;
    uint16_t word46 = 0;
    uint16_t topCount = 0;
    uint8_t labelEnable = 0;
    std::string bytes51;  // padded to 20
    std::string bytes71;  // padded to 8
    uint16_t gridW = 0;
    uint16_t gridH = 0;
    uint16_t nameTextId = 0;
    int32_t anchorX = 0, anchorY = 0;
    int32_t lineDx = 0, lineDy = 0;
    int32_t originX = 0, originY = 0;
    int32_t rectX = 0, rectY = 0, rectW = 0, rectH = 0;
    int32_t lightX = 0, lightY = 0;
    int32_t useSound = 0;
    int32_t ambientSound = 0;
    std::array<int32_t, 6> rest{};  // values 15-20
    std::vector<uint16_t> mask;     // gridW x gridH, row by row; padded with 0
    uint16_t trailing = 0;
    uint8_t lightKind = 0;
    uint8_t labelColour = 0;
    std::vector<BldSubSpec> subs;
    // -1: subs.size(); else written as the sub-record count as given.
    int32_t subCountOverride = -1;
};

// kind 3 records carry `part`; any other kind is the two bytes alone.
struct BldModelRecord {
    uint16_t kind = 3;
    BldPartSpec part;
};

enum class BldModelFault {
    None,
    ShortHeader,     // the file ends inside the header
    CountPastEnd,    // the header counts one record more than written
    CutInPart,       // the last part record is cut in its sub-records
    HugeFootprint,   // the first part's w x h is far beyond the bytes left
    HugeSubCount,    // the first part's sub-record count is beyond the bytes left
    NoNulNames,      // part and sub-record names fill their fields without a NUL
    NegativeCount,   // the header's record count is negative
};

struct BldModelSpec {
    std::vector<BldModelRecord> records;
    int32_t countOverride = -1;  // -1: records.size()
    BldModelFault fault = BldModelFault::None;
};

std::string BuildPartRecord(const BldPartSpec& part);
std::string BuildBldModel(const BldModelSpec& spec);
bool WriteBldModel(const std::string& nativePath, const BldModelSpec& spec);

struct BldInitRecord {
    uint16_t type = 3;  // 3 building, 4 with text; others are passed over
    uint16_t modelId = 0;
    int32_t x = 0;
    int32_t y = 0;
    uint32_t unused = 0;
    std::string data;                // the data block
    int64_t dataLengthOverride = -1; // -1: data.size(); else written as a u32
    std::string text;                // type 4: padded to 128
};

enum class BldInitFault {
    None,
    ShortHeader,    // the file ends inside the header
    WrongMagic,     // "QuorInit0.99"
    CountPastEnd,   // the header counts one record more than written
    HugeData,       // the first record's data length is far past the end
    CutText,        // the last record (type 4) ends inside its text
    NoNulName,      // the model file name fills its 178 bytes without a NUL
    NoNulText,      // every type-4 text fills its 128 bytes without a NUL
};

struct BldInitSpec {
    std::string modelFile;
    std::vector<BldInitRecord> records;
    int32_t countOverride = -1;  // -1: records.size()
    BldInitFault fault = BldInitFault::None;
};

std::string BuildBldInit(const BldInitSpec& spec);
bool WriteBldInit(const std::string& nativePath, const BldInitSpec& spec);

} // namespace datagen
