#include "roles/skill_table.h"

#include <cstring>

CSkillTable g_SkillTable;

const CSkillDef* CSkillTable::GetAt(int id) const {
    auto it = m_Defs.find(id);
    return it == m_Defs.end() ? nullptr : &it->second;
}

void CSkillTable::Add(int id, uint16_t classWord, const char* name) {
    if (m_Defs.count(id)) return;
    CSkillDef d;
    std::memset(d.m_Head, 0, sizeof d.m_Head);
    d.m_Head[0] = static_cast<uint8_t>(classWord & 0xFF);
    d.m_Head[1] = static_cast<uint8_t>(classWord >> 8);
    // At most 31 bytes of name, always terminated.
    for (int i = 0; name && name[i] && i < CSkillDef::kHeadSize - 3; ++i) d.m_Head[2 + i] = static_cast<uint8_t>(name[i]);
    m_Defs.emplace(id, d);
}
