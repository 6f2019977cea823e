#pragma once
// Building models: the part records of a building model file and the cache
// that keeps every model file loaded once for the run.
//
// Model file layout (little-endian): a 64-byte header, magic "quorbld1.50"
// at 0 (not compared), i32 record count at 32; then records, each a u16
// kind followed, for kind 3 only, by the rest of a part record:
//   2 name[32], 34 u16 part kind, 36 u16 part id, 38 u32 (unused),
//   42 u16 sub-record count s, 44 u16 middle start, 46 u16, 48 u16 top
//   count, 50 u8 label enable, 51 20 bytes, 71 8 bytes, 79 u16 w, 81 u16 h,
//   83 u16 name text id, 85 twenty i32 (below), 165 w x h u16 footprint
//   mask, then u16, u8 light kind, u8 default label colour, and s
//   sub-records of 21 bytes: name[8], u8 animated, u32 resource id,
//   i32 x, i32 y (the frame's offset from the building's screen anchor).
// The twenty i32 at 85, counted from 1: 1-2 anchor cell, 3-4 occlusion
// line offsets (cells), 5-6 footprint origin, 7-10 screen rectangle
// offset x, y and size w, h, 11-12 light offset (cells), 13 use sound,
// 14 ambient sound; 15-20 are kept as read.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/containers.h"

class CDrawable;

constexpr int kBldMdlMaxRecords = 1200;
constexpr int kBldMdlHeaderSize = 64;
constexpr int kBldPartFixedSize = 165;  // up to the footprint mask
constexpr int kBldPartItemSize = 21;

class CBldPartItem {
public:
    char m_Name[8] = {};  // NUL-terminated within the 8 bytes
    CDrawable* m_pObj = nullptr;  // not owned by the item; null after loading
    uint8_t m_Animated = 0;
    uint32_t m_ResId = 65535;
    int32_t m_X = 0;
    int32_t m_Y = 0;
};

class CBldPart {
public:
    CBldPart();

    uint16_t m_Kind = 3;
    char m_Name[32] = {};  // NUL-terminated within the 32 bytes; "????" by default
    uint16_t m_PartKind = 65535;  // the model id of buildings made from the part
    uint16_t m_PartId = 65535;
    uint32_t m_Unused38 = 0;
    uint16_t m_SubCount = 0;
    uint16_t m_MiddleStart = 0;
    uint16_t m_Word46 = 0;
    uint16_t m_TopCount = 0;
    uint8_t m_LabelEnable = 0;
    uint8_t m_Bytes51[20] = {};
    uint8_t m_Bytes71[8] = {};
    uint16_t m_GridW = 0;
    uint16_t m_GridH = 0;
    uint16_t m_NameTextId = 0;
    // The block of twenty i32 at offset 85.
    int32_t m_AnchorX = 0, m_AnchorY = 0;
    int32_t m_LineDx = 0, m_LineDy = 0;
    int32_t m_OriginX = 0, m_OriginY = 0;
    int32_t m_RectX = 0, m_RectY = 0, m_RectW = 0, m_RectH = 0;
    int32_t m_LightX = 0, m_LightY = 0;
    int32_t m_UseSound = 0;
    int32_t m_AmbientSound = 0;
    std::array<int32_t, 6> m_Rest{};
    std::vector<uint16_t> m_Mask;  // m_GridW x m_GridH, row by row
    uint16_t m_Trailing = 0;
    uint8_t m_LightKind = 0;
    uint8_t m_LabelColour = 0;
    std::vector<CBldPartItem> m_Items;  // m_SubCount of them

    // The name as the part's shape field {u16 tag, text}, read by
    // ResolveTextRef (a name may refer to a UI text).
    const uint8_t* ShapeField() const;
    // Mask of footprint cell (x, y) (0 outside the footprint).
    uint16_t MaskAt(int32_t x, int32_t y) const;
};

// Reads one part record (its u16 kind already consumed) from `data` at
// `*pos`, advancing it. Every size is checked against the bytes left before
// anything is allocated; 0 on a short or oversized record.
int ReadBldPart(const uint8_t* data, size_t size, size_t* pos, CBldPart* part);

class CBldMdl {
public:
    CBldMdl();
    virtual ~CBldMdl();
    CBldMdl(const CBldMdl&) = delete;
    CBldMdl& operator=(const CBldMdl&) = delete;

    // Reads "<mb folder>\<name>"; 1 on success. A missing file shows
    // "Mdl文件不存在:" with the name; a short or malformed file gives 0 and
    // leaves the model without parts.
    int Load(const char* name);
    // Deletes every part; record count 0.
    void ReleaseParts();
    // The part filed under a part id, or null.
    CBldPart* GetPart(int partId) const;
    int32_t GetRecordCount() const;

    uint8_t m_Header[kBldMdlHeaderSize] = {};
    char m_FileName[256] = {};
    std::array<CBldPart*, kBldMdlMaxRecords> m_Parts{};  // by record; null for other kinds
    CPtrTable m_PartTable;  // by part id
};

// The building models loaded so far, kept for the run.
class CMdlCache {
public:
    CMdlCache() = default;
    ~CMdlCache();
    CMdlCache(const CMdlCache&) = delete;
    CMdlCache& operator=(const CMdlCache&) = delete;

    // The cached model of that name (letter case ignored), else a newly
    // loaded one; null with "Load Mdl文件:" when it does not load. The cache
    // grows past 10 models instead of dropping one: a parked world keeps a
    // pointer to its model.
    CBldMdl* Get(const char* name);
    void Clear();
    int GetCount() const { return static_cast<int>(m_Entries.size()); }

    struct Entry {
        std::unique_ptr<CBldMdl> mdl;
        std::string name;
    };
    std::vector<Entry> m_Entries;
};

extern CMdlCache g_MdlCache;
