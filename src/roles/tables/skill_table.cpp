#include "roles/tables/skill_table.h"

#include <cstring>

#include "core/txt_table.h"
#include "platform/debug.h"

CSkillTable g_SkillTable;
CSkillChildTable g_SkillChildTable;
CSkillGopTable g_SkillGopTable;

namespace {

// Column of the first effect record of a "Skill.ini" and a "SkillChild.ini" row.
constexpr int kSkillFirstEffectCol = 38;
constexpr int kChildFirstEffectCol = 16;
constexpr int kEffectCols = 8;

int SkillCellInt(const CTxtFile& raw, int r, int c) {
    int v;
    raw.GetInt(r, c, &v);
    return v;
}

uint16_t SkillCellU16(const CTxtFile& raw, int r, int c) { return static_cast<uint16_t>(SkillCellInt(raw, r, c)); }
uint8_t SkillCellU8(const CTxtFile& raw, int r, int c) { return static_cast<uint8_t>(SkillCellInt(raw, r, c)); }

void SkillName(const CTxtFile& raw, int r, SkillHead* head) {
    const std::string* cell = raw.Cell(r, 1);
    CopySkillName(head->name, cell ? *cell : std::string());
}

// The effect records of a row: only those whose first column the row has.
// A record past the row's cells would be all 65535, a list no magic object
// fires with a class nothing defines, so dropping it changes nothing seen,
// while an empty count cell (65535) would otherwise cost 2 MB a row.
void ReadEffects(const CTxtFile& raw, int r, int countCol, int firstCol, std::vector<SkillEffect>* out,
                 uint16_t* count) {
    const int n = SkillCellInt(raw, r, countCol);
    const int cells = raw.GetCellCount(r);
    out->clear();
    for (int k = 0; k < n && firstCol + kEffectCols * k < cells; ++k) {
        const int c = firstCol + kEffectCols * k;
        SkillEffect e;
        e.list = SkillCellInt(raw, r, c);
        e.selector = SkillCellInt(raw, r, c + 1);
        e.effectClass = SkillCellInt(raw, r, c + 2);
        e.p1 = SkillCellInt(raw, r, c + 3);
        e.p2 = SkillCellInt(raw, r, c + 4);
        e.p3 = SkillCellInt(raw, r, c + 5);
        e.spare1 = SkillCellInt(raw, r, c + 6);
        e.spare2 = SkillCellInt(raw, r, c + 7);
        out->push_back(e);
    }
    *count = static_cast<uint16_t>(out->size());
}

} // namespace

void CopySkillName(char (&out)[kSkillNameSize], const std::string& text) {
    std::memset(out, 0, sizeof out);
    size_t n = 0;
    while (n < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[n]);
        const size_t len = (b >= 0x81 && b <= 0xFE && n + 1 < text.size()) ? 2 : 1;
        if (n + len > static_cast<size_t>(kSkillNameSize - 1)) break;
        n += len;
    }
    std::memcpy(out, text.data(), n);
}

void SkillHead::TextField(uint8_t (&out)[kSkillTextFieldSize]) const {
    out[0] = static_cast<uint8_t>(classWord & 0xFF);
    out[1] = static_cast<uint8_t>(classWord >> 8);
    std::memcpy(out + 2, name, kSkillNameSize);
    out[kSkillTextFieldSize - 1] = 0;
}

int CSkillGopDef::FindValue(int32_t v) const {
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i] == v) return static_cast<int>(i);
    return -1;
}

template <class Def>
void CSkillTableOf<Def>::Clear() {
    m_Map.RemoveAll();
    for (Def* d : m_Records) delete d;
    m_Records.clear();
    m_Loaded = 0;
}

template <class Def>
const Def* CSkillTableOf<Def>::GetRecord(int i) const {
    if (i < 0 || i >= static_cast<int>(m_Records.size())) return nullptr;
    return m_Records[static_cast<size_t>(i)];
}

template <class Def>
bool CSkillTableOf<Def>::Begin(const char* path, int mapSize, CTxtFile* raw) {
    Clear();
    m_Map.SetSize(mapSize);
    m_Loaded = 1;
    return raw->Load(path) != 0;
}

template <class Def>
bool CSkillTableOf<Def>::Enter(const CTxtFile& raw, int r, int id, Def* def) {
    if (id < 0 || id >= m_Map.GetSize()) {
        plat::DebugPrintf("Skill table : <%s> row %d : id %d is outside 0..%d, the row is skipped\n",
                          raw.GetName().c_str(), r + 1, id, m_Map.GetSize() - 1);
        return false;
    }
    if (!m_Map.GetAt(id)) m_Map.SetAt(id, def);
    return true;
}

template class CSkillTableOf<CSkillDef>;
template class CSkillTableOf<CSkillChildDef>;
template class CSkillTableOf<CSkillGopDef>;

int CSkillTable::Load(const char* path) {
    CTxtFile raw;
    if (!Begin(path, kMapSize, &raw)) return 1;
    for (int r = 0; r < raw.GetRowCount(); ++r) {
        const int id = SkillCellInt(raw, r, 3);
        auto* d = new CSkillDef;
        d->id = static_cast<uint16_t>(id);
        if (!Enter(raw, r, id, d)) {
            delete d;
            continue;
        }
        m_Records.push_back(d);
        d->classWord = SkillCellU16(raw, r, 0);
        SkillName(raw, r, d);
        d->kind = SkillCellU16(raw, r, 2);
        d->col4 = SkillCellU8(raw, r, 4);
        d->group = SkillCellU16(raw, r, 5);
        raw.GetIntList(r, 6, d->col6, 2);
        d->col7 = SkillCellU8(raw, r, 7);
        d->col8 = SkillCellU8(raw, r, 8);
        d->col9 = SkillCellU16(raw, r, 9);
        d->animBase = SkillCellU16(raw, r, 10);
        d->range = SkillCellInt(raw, r, 11);
        d->distance2 = SkillCellU16(raw, r, 12);
        d->magicValue1 = SkillCellU16(raw, r, 13);
        int two[2];
        raw.GetIntList(r, 14, two, 2);
        d->magicValue2 = static_cast<uint16_t>(two[0]);
        d->pushDistance = static_cast<uint16_t>(two[1]);
        d->pattern = SkillCellU16(raw, r, 15);
        d->patternCount = SkillCellU16(raw, r, 16);
        raw.GetIntList(r, 17, d->alwaysState, 2);
        raw.GetIntList(r, 18, two, 2);
        d->sideState = two[0];
        d->sideStateParam = two[1];
        d->sideStateChance = SkillCellInt(raw, r, 19);
        d->targetClamp = SkillCellU8(raw, r, 20);
        d->col21_22[0] = SkillCellU8(raw, r, 21);
        d->col21_22[1] = SkillCellU8(raw, r, 22);
        d->deathMode = SkillCellU8(raw, r, 23);
        d->hitEffect = SkillCellInt(raw, r, 24);
        d->col25 = SkillCellU8(raw, r, 25);
        d->guardReaction = SkillCellU8(raw, r, 26);
        int c27;
        d->col27 = raw.GetInt(r, 27, &c27) ? static_cast<uint8_t>(c27) : 0;
        raw.GetFloat(r, 28, &d->scaleA);
        raw.GetFloat(r, 29, &d->scaleC);
        raw.GetFloat(r, 30, &d->scaleB);
        d->col31 = SkillCellInt(raw, r, 31);
        d->col32 = SkillCellInt(raw, r, 32);
        d->col33 = SkillCellInt(raw, r, 33);
        d->heightRule = SkillCellU8(raw, r, 34);
        raw.GetIntList(r, 35, d->levelPercent, 3);
        for (int32_t& p : d->levelPercent)
            if (p == 65535) p = 0;
        d->col36 = SkillCellInt(raw, r, 36);
        ReadEffects(raw, r, 37, kSkillFirstEffectCol, &d->effects, &d->effectCount);
        d->rangeCells = d->range / 64;
        if (d->rangeCells < 1) d->rangeCells = 1;
        d->distance2Cells = static_cast<int32_t>(static_cast<uint32_t>(d->distance2) >> 6);
        d->releaseFlag = 0;
        for (const SkillEffect& e : d->effects)
            if (e.list == 4) d->releaseFlag = 1;
    }
    return 1;
}

int CSkillChildTable::Load(const char* path) {
    CTxtFile raw;
    if (!Begin(path, kMapSize, &raw)) return 1;
    for (int r = 0; r < raw.GetRowCount(); ++r) {
        const int id = SkillCellInt(raw, r, 3);
        auto* d = new CSkillChildDef;
        d->id = static_cast<uint16_t>(id);
        if (!Enter(raw, r, id, d)) {
            delete d;
            continue;
        }
        m_Records.push_back(d);
        d->classWord = SkillCellU16(raw, r, 0);
        SkillName(raw, r, d);
        d->kind = SkillCellU16(raw, r, 2);
        d->col4 = SkillCellInt(raw, r, 4);
        d->col5 = SkillCellInt(raw, r, 5);
        d->col6 = SkillCellInt(raw, r, 6);
        d->col7 = SkillCellInt(raw, r, 7);
        d->col8 = SkillCellInt(raw, r, 8);
        for (int k = 0; k < 6; ++k) d->col9_14[k] = SkillCellU8(raw, r, 9 + k);
        ReadEffects(raw, r, 15, kChildFirstEffectCol, &d->effects, &d->effectCount);
    }
    return 1;
}

void CSkillGopTable::FreeSkillGopRecord(CSkillGopDef* def) { delete def; }

int CSkillGopTable::Load(const char* path) {
    CTxtFile raw;
    if (!Begin(path, kMapSize, &raw)) return 1;
    for (int r = 0; r < raw.GetRowCount(); ++r) {
        const int id = SkillCellInt(raw, r, 3);
        auto* d = new CSkillGopDef;
        d->groupId = static_cast<uint16_t>(id);
        if (!Enter(raw, r, id, d)) {
            FreeSkillGopRecord(d);
            continue;
        }
        m_Records.push_back(d);
        d->classWord = SkillCellU16(raw, r, 0);
        SkillName(raw, r, d);
        d->pictureId = SkillCellU16(raw, r, 2);
        d->timeMs = SkillCellInt(raw, r, 4);
        d->category = SkillCellInt(raw, r, 5);
        // As with effect records, only values whose cells the row has: an
        // empty or oversized count cell must not size the list.
        const int n = SkillCellInt(raw, r, 6);
        const int cells = raw.GetCellCount(r);
        for (int k = 0; k < n && 7 + k < cells; ++k) d->values.push_back(SkillCellInt(raw, r, 7 + k));
        d->count = static_cast<int32_t>(d->values.size());
        d->rowIndex = r;
    }
    return 1;
}

int32_t CSkillGopTable::GetValue(int id, int i) const {
    const CSkillGopDef* d = GetAt(id);
    if (!d || i < 0 || i >= d->count) return -1;
    return d->values[static_cast<size_t>(i)];
}
