#pragma once
// The skill tables ("Skill.ini", "SkillChild.ini", "Skill.gop").
// PLACEHOLDER until the skill tables are built: a definition holds only
// what the panels read of it, its head {u16 class word, char[32] name}
// (the text field ResolveTextRef reads: class word 7 with a name "%n"
// names UI text n), and nothing loads the table yet, so lookups answer
// null unless a definition was added.
#include <cstdint>
#include <map>

struct CSkillDef {
    static constexpr int kHeadSize = 34;
    // Class word 4 and the name "????", as a fresh record holds them.
    uint8_t m_Head[kHeadSize] = {4, 0, '?', '?', '?', '?'};
};

class CSkillTable {
public:
    // The definition of a skill id, or null.
    const CSkillDef* GetAt(int id) const;
    // Enters a definition; a second one with the same id leaves the first.
    void Add(int id, uint16_t classWord, const char* name);
    void Clear() { m_Defs.clear(); }

private:
    std::map<int, CSkillDef> m_Defs;
};

extern CSkillTable g_SkillTable;
