#pragma once
// The skill tables: "Skill.ini" (one CSkillDef per skill a role can use),
// "SkillChild.ini" (one CSkillChildDef per animated magic object) and
// "Skill.gop" (one CSkillGopDef per skill group of the panels). All three
// are tab tables without header rows; a row's id is looked up through an
// id map of fixed size, so a row whose id does not fit the map (65535 for
// an empty cell included) is skipped with a debugger-output line naming
// file and row, rather than indexing past the map.
//
// Combat code reads the definitions by field, never by file offset, so the
// records are plain structs; only the head {u16 class word, char[32] name}
// is also given in its byte form, the text field the panels resolve.
#include <cstdint>
#include <string>
#include <vector>

#include "core/containers.h"

class CTxtFile;

// One effect record: eight consecutive integer columns.
struct SkillEffect {
    int32_t list = 0;      // the magic object's list it falls into (0-6)
    int32_t selector = -1; // frame, hit code, tick or period, by list
    int32_t effectClass = 0;
    int32_t p1 = 0;
    int32_t p2 = 0;
    int32_t p3 = 0;
    int32_t spare1 = -1;
    int32_t spare2 = -1;
};

constexpr int kSkillNameSize = 32;
constexpr int kSkillTextFieldSize = 2 + kSkillNameSize;

// The head every definition starts with: class word and name.
struct SkillHead {
    uint16_t classWord = 0;
    char name[kSkillNameSize] = "????";
    // The {u16 tag, text} bytes FormatTextRef and ResolveTextRef take.
    void TextField(uint8_t (&out)[kSkillTextFieldSize]) const;
};

// One "Skill.ini" row.
struct CSkillDef : SkillHead {
    CSkillDef() { classWord = 4; }
    uint16_t kind = 0;            // 0 plain attack, 2 ally, 3 pull; else the hit handler decides
    uint16_t id = 0;              // column 3, the key
    uint8_t col4 = 0;
    uint16_t group = 0;           // the "Skill.gop" id
    int32_t col6[2] = {0, 0};
    uint8_t col7 = 0;
    uint8_t col8 = 0;
    uint16_t col9 = 0;
    uint16_t animBase = 0;        // action animation = this + facing
    int32_t range = 0;            // pixels
    uint16_t distance2 = 0;       // pixels
    uint16_t magicValue1 = 0;     // column 13
    uint16_t magicValue2 = 0;     // column 14, first item
    uint16_t pushDistance = 0;    // column 14, second item; 65535 none
    uint16_t pattern = 0;         // column 15
    uint16_t patternCount = 0;    // column 16
    int32_t alwaysState[2] = {0, 0};  // column 17: state and parameter
    int32_t sideState = 0;        // column 18, first item
    int32_t sideStateParam = 0;   // column 18, second item
    uint8_t targetClamp = 0;      // column 20
    uint8_t col21_22[2] = {0, 0};
    uint8_t deathMode = 0;        // column 23
    int32_t hitEffect = 0;        // column 24
    uint8_t col25 = 0;
    uint8_t guardReaction = 0;    // column 26
    uint8_t col27 = 0;            // 0 when the cell is empty
    float scaleA = 0.0f;          // column 28
    float scaleC = 0.0f;          // column 29
    float scaleB = 0.0f;          // column 30
    int32_t col31 = 0;
    int32_t col32 = 0;
    int32_t col33 = 0;
    int32_t sideStateChance = 0;  // column 19, percent
    uint8_t heightRule = 0;       // column 34
    int32_t levelPercent[3] = {0, 0, 0};  // column 35
    int32_t col36 = 0;
    uint16_t effectCount = 0;     // records held (see Load)
    std::vector<SkillEffect> effects;
    // Derived once the records are in place.
    int32_t rangeCells = 0;       // range / 64, at least 1
    int32_t distance2Cells = 0;   // column 12 / 64
    int32_t releaseFlag = 0;      // 1 when a record has list number 4
};

// One "SkillChild.ini" row.
struct CSkillChildDef : SkillHead {
    CSkillChildDef() { classWord = 5; }
    uint16_t kind = 0;            // 201, 300, 500, 510, ... selects the class
    uint16_t id = 0;              // column 3, the key
    int32_t col4 = 0;             // main animation (or the kind's own use)
    int32_t col5 = 0;
    int32_t col6 = 0;
    int32_t col7 = 0;
    int32_t col8 = 0;
    uint8_t col9_14[6] = {0, 0, 0, 0, 0, 0};  // columns 9-14, one byte each
    uint16_t effectCount = 0;
    std::vector<SkillEffect> effects;
};

// One "Skill.gop" row.
struct CSkillGopDef : SkillHead {
    CSkillGopDef() { classWord = 7; }
    uint16_t pictureId = 0;       // column 2
    uint16_t groupId = 0;         // column 3, the key
    int32_t count = 0;            // values held (see Load)
    std::vector<int32_t> values;  // columns 7 ..
    int32_t timeMs = 0;           // column 4
    int32_t category = 0;         // column 5
    int32_t rowIndex = -1;        // row in the file

    // The picture id, 0 when the cell was empty.
    int GetIcon() const { return pictureId == 65535 ? 0 : pictureId; }
    // Index of the first value equal to v; -1 when absent.
    int FindValue(int32_t v) const;
};

// The shared part: records in file order and the id map.
template <class Def>
class CSkillTableOf {
public:
    CSkillTableOf() = default;
    ~CSkillTableOf() { Clear(); }
    CSkillTableOf(const CSkillTableOf&) = delete;
    CSkillTableOf& operator=(const CSkillTableOf&) = delete;

    void Clear();
    // The record of an id, or null.
    const Def* GetAt(int id) const { return static_cast<const Def*>(m_Map.GetAt(id)); }
    int GetCount() const { return static_cast<int>(m_Records.size()); }
    const Def* GetRecord(int i) const;
    int IsLoaded() const { return m_Loaded; }
    int MapSize() const { return m_Map.GetSize(); }

protected:
    // Empties the table and reads the file; false when it does not open.
    bool Begin(const char* path, int mapSize, CTxtFile* raw);
    // Enters the id of row r; false (with the debugger line) when it does
    // not fit the map. A second row of an id leaves the first in the map.
    bool Enter(const CTxtFile& raw, int r, int id, Def* def);

    std::vector<Def*> m_Records;
    CPtrTable m_Map;
    int m_Loaded = 0;
};

class CSkillTable : public CSkillTableOf<CSkillDef> {
public:
    static constexpr int kMapSize = 3000;
    // Always 1; a file that does not open leaves the table empty.
    int Load(const char* path);
};

class CSkillChildTable : public CSkillTableOf<CSkillChildDef> {
public:
    static constexpr int kMapSize = 2000;
    int Load(const char* path);
};

class CSkillGopTable : public CSkillTableOf<CSkillGopDef> {
public:
    static constexpr int kMapSize = 3000;
    int Load(const char* path);
    // Value i of group id; -1 when the group is absent or i outside 0..n-1.
    int32_t GetValue(int id, int i) const;
    // Frees a record with its value list (Clear frees every record so).
    static void FreeSkillGopRecord(CSkillGopDef* def);
};

extern CSkillTable g_SkillTable;
extern CSkillChildTable g_SkillChildTable;
extern CSkillGopTable g_SkillGopTable;

// Copies a name into a 32-byte field: at most 31 bytes, never splitting a
// GBK character, zero-filled.
void CopySkillName(char (&out)[kSkillNameSize], const std::string& text);
