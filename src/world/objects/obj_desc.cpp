#include "world/objects/obj_desc.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/txt_table.h"
#include "world/buildings/bld_mdl.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"

namespace {

template <size_t N>
void CopyText(char (&dst)[N], const char* src) {
    std::memset(dst, 0, N);
    if (!src) return;
    size_t n = strnlen(src, N - 1);
    std::memcpy(dst, src, n);
}

} // namespace

void CObjDesc::Assign(const CObjDesc& other) {
    m_SubType = other.m_SubType;
    m_ModelId = other.m_ModelId;
    m_X = other.m_X;
    m_Y = other.m_Y;
}

CObjDesc11::CObjDesc11() {
    m_Type = 11;
    m_SubType = 2;
}

void CObjDesc11::SetText(const char* text) { CopyText(m_Text, text); }

void CObjDesc11::Assign(const CObjDesc& other) {
    CObjDesc::Assign(other);
    const auto* o = dynamic_cast<const CObjDesc11*>(&other);
    if (!o) return;
    m_Behave1 = o->m_Behave1;
    m_Logic = o->m_Logic;
    m_MoveLevel = o->m_MoveLevel;
    m_WanderCount = o->m_WanderCount;
    std::memcpy(m_Nested, o->m_Nested, sizeof m_Nested);
    CopyText(m_Text, o->m_Text);
    std::memcpy(m_Words, o->m_Words, sizeof m_Words);
    m_LastWord = o->m_LastWord;
}

CObjDesc12::CObjDesc12() { m_Type = 12; }

void CObjDesc12::Assign(const CObjDesc& other) {
    CObjDesc11::Assign(other);
    const auto* o = dynamic_cast<const CObjDesc12*>(&other);
    if (!o) return;
    m_PatrolX = o->m_PatrolX;
    m_PatrolY = o->m_PatrolY;
    m_Dir = o->m_Dir;
    m_Word = o->m_Word;
}

CObjDesc13::CObjDesc13() { m_Type = 13; }

void CObjDesc13::Assign(const CObjDesc& other) {
    CObjDesc11::Assign(other);
    const auto* o = dynamic_cast<const CObjDesc13*>(&other);
    if (!o) return;
    m_RectX = o->m_RectX;
    m_RectY = o->m_RectY;
    m_RectW = o->m_RectW;
    m_RectH = o->m_RectH;
    m_Value = o->m_Value;
}

CObjDesc14::CObjDesc14() {
    m_Type = 14;
    m_Logic = 2;
}

void CObjDesc14::Assign(const CObjDesc& other) {
    CObjDesc11::Assign(other);
    const auto* o = dynamic_cast<const CObjDesc14*>(&other);
    if (!o) return;
    m_Path = o->m_Path;
    m_PathIndex = o->m_PathIndex;
}

CObjDesc15::CObjDesc15() {
    m_Type = 15;
    m_Logic = 3;
}

void CObjDesc15::Assign(const CObjDesc& other) {
    CObjDesc11::Assign(other);
    const auto* o = dynamic_cast<const CObjDesc15*>(&other);
    if (!o) return;
    m_A = o->m_A;
    m_S = o->m_S;
    m_D = o->m_D;
    m_PointX = o->m_PointX;
    m_PointY = o->m_PointY;
    m_Word = o->m_Word;
}

CObjDesc* CreateObjDesc(uint32_t type) {
    switch (type) {
    case 11: return new CObjDesc11;
    case 12: return new CObjDesc12;
    case 13: {
        auto* d = new CObjDesc13;
        d->m_Logic = 1;
        return d;
    }
    case 14: return new CObjDesc14;
    case 15: return new CObjDesc15;
    case 16: {
        auto* d = new CObjDesc12;
        d->m_Type = 16;
        d->m_Logic = 4;
        return d;
    }
    case 101: return new CBldRec;
    case 102: return new CBldTextRec;
    default: return nullptr;
    }
}

CBldRec::CBldRec() {
    m_Type = 101;
    m_SubType = 3;
}

void CBldRec::SetData(const uint8_t* data, int n) {
    m_Data.clear();
    m_DataLen = n;
    if (n > 0) {
        // At least a whole tag and a text terminator, so the block always
        // reads as a text field.
        m_Data.assign(static_cast<size_t>(n < 2 ? 2 : n) + 1, 0);
        if (data) std::memcpy(m_Data.data(), data, static_cast<size_t>(n));
    }
}

void CBldRec::Assign(const CObjDesc& other) {
    CObjDesc::Assign(other);
    const auto* o = dynamic_cast<const CBldRec*>(&other);
    if (!o) return;
    m_Word = o->m_Word;
    if (o->GetData())
        SetData(o->GetData(), o->m_DataLen);
    else
        m_DataLen = o->m_DataLen;
}

const uint8_t* CBldRec::GetShape() const {
    if (m_DataLen != -1) return GetData();
    return GetBldPartShape(m_ModelId);
}

CBldTextRec::CBldTextRec() {
    m_Type = 102;
    m_SubType = 4;
}

void CBldTextRec::SetText(const char* text) { CopyText(m_Text, text); }

void CBldTextRec::Assign(const CObjDesc& other) {
    CBldRec::Assign(other);
    const auto* o = dynamic_cast<const CBldTextRec*>(&other);
    if (!o) return;
    CopyText(m_Text, o->m_Text);
}

const uint8_t* GetBldPartShape(uint16_t modelId) {
    const CBldPart* part = g_CurObjMng && g_CurObjMng->m_pBldMdl ? g_CurObjMng->m_pBldMdl->GetPart(modelId) : nullptr;
    return part ? part->ShapeField() : nullptr;
}

const char* ResolveTextRef(const uint8_t* field) {
    if (!field) return nullptr;
    const uint16_t tag = static_cast<uint16_t>(field[0] | (field[1] << 8));
    const char* text = reinterpret_cast<const char*>(field + 2);
    if (tag != 7 || text[0] != '%') return text;
    std::string digits;
    for (const char* p = text; *p; ++p)
        if (*p != '%') digits += *p;
    const long id = std::strtol(digits.c_str(), nullptr, 10);
    if (id < 0 || id > 0x7FFFFFFF) return "";
    const char* ui = g_TextTable.GetCell(static_cast<int>(id), 1);
    return ui ? ui : "";
}
