#pragma once
// The model tables: one row per role, creature and prop model, read by id.
// They are the core tables the world already reads (g_PropMdlTable,
// g_BeastieMdlTable, g_RoleMdlTable), so corpses, creatures, items and the
// object manager keep their reads, plus the role skill lists (".rmd", named
// after the role file), which GetRoleSkill reads through the world's hook.
#include <string>

#include "core/txt_table.h"

// The ".rmd" table: key column 0, the count n in column 1, the n skill ids
// in columns 2 .. n + 1.
extern CTxtTable g_RoleSkillListTable;

class CModelTables {
public:
    CModelTables() = default;
    // The tables it fills are globals of their own and clean up after
    // themselves: at exit they may already be gone when this one goes.
    ~CModelTables() = default;
    CModelTables(const CModelTables&) = delete;
    CModelTables& operator=(const CModelTables&) = delete;

    // Empties all four tables, then reads the creature file and the prop
    // file when given, the role file, and the skill lists of the role file.
    // A file that does not read leaves its table empty.
    void Load(const char* roleFile, const char* beastieFile, const char* propFile);
    void Clear();
    int IsLoaded() const { return m_Loaded; }

    // The role file's name cut at its last '.' (at most 255 characters
    // kept) with ".rmd" appended.
    static std::string SkillListFileName(const char* roleFile);

    CTxtTable& Props() { return g_PropMdlTable; }
    CTxtTable& Beasties() { return g_BeastieMdlTable; }
    CTxtTable& Roles() { return g_RoleMdlTable; }
    CTxtTable& SkillLists() { return g_RoleSkillListTable; }

private:
    int m_Loaded = 0;
};

extern CModelTables g_ModelTables;

// The index-th skill of a role model's ".rmd" list as a "Skill.ini"
// definition; null past the list's count or when the id has no definition.
// Installed as g_WorldHooks.getModelSkill.
const void* GetModelSkill(int modelId, int index);
