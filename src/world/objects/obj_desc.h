#pragma once
// Description records: what to make (type, sub-type, model id), where (a map
// cell) and how it behaves. Every world object is made from one and keeps it
// for life (CGameObj::Init takes ownership, the destructor deletes it).
#include <cstdint>
#include <vector>

class CObjDesc {
public:
    CObjDesc() = default;
    virtual ~CObjDesc() = default;
    CObjDesc(const CObjDesc&) = delete;
    CObjDesc& operator=(const CObjDesc&) = delete;

    // Copies sub-type, model id and cell, and every field of the own class
    // when `other` is of it (the type stays).
    virtual void Assign(const CObjDesc& other);

    uint32_t m_Type = 0;      // 11-16 placed/script objects, 101/102 buildings
    uint16_t m_SubType = 0;
    uint16_t m_ModelId = 65535;  // 65535 none
    int32_t m_X = -1;         // map cell, -1 unset
    int32_t m_Y = -1;
};

// Type 11 (sub-type 2), base of the placed objects of types 12-16.
//
// Behaviour words, counted from 1 as the object file and scripts count them:
//   word 1 (m_Behave1)      kept as read, not interpreted here;
//   word 2 (m_Logic)        the logic kind ("Logic");
//   word 3 (m_MoveLevel)    the rest level ("MoveLevel"); creatures read it
//                           as their pause, 4 = never move;
//   word 4 (m_WanderCount)  the wander countdown.
// CObjMng::AddRole's "words 2 and 3" are m_Logic and m_MoveLevel.
class CObjDesc11 : public CObjDesc {
public:
    static constexpr int kTextSize = 64;

    CObjDesc11();
    void Assign(const CObjDesc& other) override;
    // Copies at most 63 bytes up to the text's zero; null empties it.
    void SetText(const char* text);

    int32_t m_Behave1 = 0;
    int32_t m_Logic = 0;
    int32_t m_MoveLevel = 0;
    int32_t m_WanderCount = 0;
    int32_t m_Nested[5] = {};
    // The picture or model name: what finders, drops and scripts compare.
    char m_Text[kTextSize] = {};
    int32_t m_Words[4] = {};
    int32_t m_LastWord = 0;
};

// Type 12, and 16 for a role that patrols.
class CObjDesc12 : public CObjDesc11 {
public:
    CObjDesc12();
    void Assign(const CObjDesc& other) override;

    uint16_t m_PatrolX = 0;
    uint16_t m_PatrolY = 0;
    int32_t m_Dir = 0;  // 0-7
    int32_t m_Word = 0;
};

// Type 13: an area in cells and one value.
class CObjDesc13 : public CObjDesc11 {
public:
    CObjDesc13();
    void Assign(const CObjDesc& other) override;

    int32_t m_RectX = 0;
    int32_t m_RectY = 0;
    int32_t m_RectW = 0;
    int32_t m_RectH = 0;
    int32_t m_Value = 0;
};

// Type 14: a path of points in map cells (logic kind 2).
class CObjDesc14 : public CObjDesc11 {
public:
    struct Point {
        int32_t x = 0;
        int32_t y = 0;
    };
    CObjDesc14();
    void Assign(const CObjDesc& other) override;

    std::vector<Point> m_Path;
    int32_t m_PathIndex = 0;  // the next point a creature heads for
};

// Type 15: logic kind 3, five values and a point.
class CObjDesc15 : public CObjDesc11 {
public:
    CObjDesc15();
    void Assign(const CObjDesc& other) override;

    int32_t m_A = 0;
    int32_t m_S = 0;
    int32_t m_D = 0;
    int32_t m_PointX = 0;
    int32_t m_PointY = 0;
    int32_t m_Word = 1;
};

// Type 101 (sub-type 3): a building of the init file.
class CBldRec : public CObjDesc {
public:
    CBldRec();
    // The whole data block is copied when the source has one; a block that
    // starts with a u16 tag would lose everything after a zero byte if it
    // were copied as a text.
    void Assign(const CObjDesc& other) override;

    // The record's own data block (null when it has none); a zero byte
    // always follows the block in memory.
    const uint8_t* GetData() const { return m_Data.empty() ? nullptr : m_Data.data(); }
    int GetDataSize() const { return m_DataLen > 0 ? m_DataLen : 0; }
    // Keeps a copy of n bytes as the data block and n as the data length.
    void SetData(const uint8_t* data, int n);
    // The shape field ({u16 tag, text}): the own data block when the data
    // length is not -1, else the part record of the model id in the current
    // building model from its name on (the record's byte at offset 2).
    const uint8_t* GetShape() const;

    int32_t m_Word = 0;
    int32_t m_DataLen = -1;  // -1: no data of its own
private:
    std::vector<uint8_t> m_Data;  // data block + one zero byte
};

// Type 102 (sub-type 4): a building with a script line or text reference.
class CBldTextRec : public CBldRec {
public:
    static constexpr int kTextSize = 128;

    CBldTextRec();
    void Assign(const CObjDesc& other) override;
    void SetText(const char* text);

    char m_Text[kTextSize] = {};
};

// The part record (from its u16 kind on) of a model id in the current
// building model, or null.
const uint8_t* GetBldPartShape(uint16_t modelId);

// A text field {u16 tag, zero-terminated text}: tag 7 with a text starting
// with '%' names a UI text (every '%' removed, the rest a decimal id, the
// text of "Text.txt" column 1); otherwise the text itself. Null for a null
// field; "" for a missing UI text.
const char* ResolveTextRef(const uint8_t* field);

// A new description of a type with its defaults, the placed types 11-16
// with their preset logic kind (12: 0, 13: 1, 14: 2, 15: 3, 16: 4); 101 and
// 102 buildings; null for any other type.
CObjDesc* CreateObjDesc(uint32_t type);
