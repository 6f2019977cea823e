#include "roles/tables/model_tables.h"

#include <vector>

#include "core/bin_file.h"
#include "core/strings.h"
#include "roles/tables/skill_table.h"

CTxtTable g_RoleSkillListTable;
CModelTables g_ModelTables;

namespace {

// A missing file leaves the table empty without a word: not every data set
// has every table (a ".rmd" above all).
void BuildModelTable(CTxtTable& table, const char* path, int keyCol, int headerRows) {
    if (!FileExists(path)) return;
    CTxtFile raw;
    if (!raw.Load(path)) return;
    table.Build(raw, keyCol, headerRows, 1);
}

} // namespace

std::string CModelTables::SkillListFileName(const char* roleFile) {
    std::vector<char> buf(256);
    StripExtension(roleFile ? roleFile : "", buf.data(), static_cast<int>(buf.size()));
    return std::string(buf.data()) + ".rmd";
}

void CModelTables::Clear() {
    m_Loaded = 0;
    g_PropMdlTable.Clear();
    g_BeastieMdlTable.Clear();
    g_RoleMdlTable.Clear();
    g_RoleSkillListTable.Clear();
}

void CModelTables::Load(const char* roleFile, const char* beastieFile, const char* propFile) {
    Clear();
    m_Loaded = 1;
    if (beastieFile) BuildModelTable(g_BeastieMdlTable, beastieFile, 1, 1);
    if (propFile) BuildModelTable(g_PropMdlTable, propFile, 1, 1);
    if (!roleFile) return;
    BuildModelTable(g_RoleMdlTable, roleFile, 1, 1);
    BuildModelTable(g_RoleSkillListTable, SkillListFileName(roleFile).c_str(), 0, 0);
}

const void* GetModelSkill(int modelId, int index) {
    const CTxtRow* row = g_RoleSkillListTable.GetRow(modelId);
    if (!row || index < 0) return nullptr;
    const int n = row->GetInt(1);
    if (n == kTxtEmptyInt || index >= n) return nullptr;
    const int id = row->GetInt(2 + index);
    return g_SkillTable.GetAt(id);
}
