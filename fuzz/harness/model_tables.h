#pragma once
// The model tables: "Role.txt", its "Role.rmd", "BeastieMdl.txt",
// "PropMdl.txt", "RoleEffectMdl.txt" and one equipment-text file (the six
// parts of one input; the class, and so the file, picked by the input's
// length). Every row is read by the columns roles read, every skill list
// walked, every equipment text picked.
#include <string>

#include "core/directories.h"
#include "env.h"
#include "roles/items/item_record.h"
#include "roles/role_hooks.h"
#include "roles/tables/exp_table.h"
#include "roles/tables/model_tables.h"
#include "roles/tables/role_effect_table.h"
#include "split_files.h"

namespace fuzzharness {

inline void ReadModelRow(const CTxtRow& row) {
    uint32_t sum = 0;
    for (int c = 0; c <= row.GetCellCount() && c < 64; ++c) {
        for (int v : {row.GetInt(c), row.HasValue(c), row.GetItemCount(c), row.GetIntItem(c, 0), row.GetIntItem(c, 1),
                      row.GetIntItem(c, 2)})
            sum += static_cast<uint32_t>(v);
        const char* s = row.GetString(c);
        if (c < row.GetCellCount() && !s) fuzzenv::Fail("a cell inside the row has no text");
        if (s) sum += static_cast<uint32_t>(std::string(s).size());
        (void)row.GetFloat(c);
        (void)row.GetStringItem(c, 0);
    }
    (void)sum;
}

inline void ReadModelTable(const CTxtTable& t) {
    for (int i = 0; i < t.GetRowCount(); ++i)
        if (const CTxtRow* row = t.GetRowAt(i)) ReadModelRow(*row);
}

// The local player's record as the equipment texts see it: a token whose
// class is the input's.
inline int32_t& ModelTablesClassId() {
    static int32_t s_class = -1;
    return s_class;
}

inline CRoleData* ModelTablesRecord() {
    static int s_token = 0;
    return reinterpret_cast<CRoleData*>(&s_token);
}

inline int RunModelTables(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    static const int kClasses[5] = {4, 30, 40, 223, 1};
    const int classId = kClasses[size % 5];
    ModelTablesClassId() = classId;
    g_RoleHooks.getLocalPlayerRecord = ModelTablesRecord;
    g_ItemRecordOps.getClassId = [](const CRoleData*) { return ModelTablesClassId(); };
    const std::vector<std::string> parts =
        SplitInputFiles(std::string(reinterpret_cast<const char*>(data), size), 6);
    fuzzenv::PlacedFiles files("mb",
                               {{"Role.txt", parts[0]},
                                {"Role.rmd", parts[1]},
                                {"BeastieMdl.txt", parts[2]},
                                {"PropMdl.txt", parts[3]},
                                {"RoleEffectMdl.txt", parts[4]},
                                {EquipStrFileName(classId), parts[5]}},
                               fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;

    g_ModelTables.Load(files.Path(0).c_str(), files.Path(2).c_str(), files.Path(3).c_str());
    ReadModelTable(g_RoleMdlTable);
    ReadModelTable(g_BeastieMdlTable);
    ReadModelTable(g_PropMdlTable);
    ReadModelTable(g_RoleSkillListTable);
    // Each role's ".rmd" list as GetRoleSkill walks it (no skills loaded:
    // every definition is absent).
    for (int i = 0; i < g_RoleMdlTable.GetRowCount(); ++i) {
        const CTxtRow* row = g_RoleMdlTable.GetRowAt(i);
        const int id = row->GetInt(1);
        (void)g_RolePrivateTable.GetRow(id);
        const CTxtRow* list = g_RoleSkillListTable.GetRow(id);
        const int n = list ? list->GetInt(1) : 0;
        for (int k = -1; k <= 4 && (k < n || k < 1); ++k)
            if (GetModelSkill(id, k)) fuzzenv::Fail("a skill without a loaded skill table");
    }

    g_RoleEffectFile.Load(files.Path(4).c_str());
    BuildRoleEffectTable();
    ReadModelTable(g_RoleEffectTable);
    for (int i = 0; i < g_RoleEffectTable.GetRowCount(); ++i) {
        const CTxtRow* row = g_RoleEffectTable.GetRowAt(i);
        if (const CTxtRow* byKey = g_RoleEffectTable.GetRow(row->GetInt(1)); byKey && byKey->GetInt(1) != row->GetInt(1))
            fuzzenv::Fail("a state row under another state's key");
    }

    // The equipment file is read from where it was placed and taken as the
    // class's (the targets keep the current directory, so the program
    // folder is not made the data folder's parent).
    g_EquipStrTable.Load(files.Path(5).c_str(), 0, 1, 1);
    g_EquipStrPath = std::string(GetMbDirectory()) + EquipStrFileName(classId);
    if (LoadEquipStrTable() != 1) fuzzenv::Fail("a class with a file refused");
    if (g_EquipStrPath != std::string(GetMbDirectory()) + EquipStrFileName(classId))
        fuzzenv::Fail("the class's path changed");
    for (int i = 0; i < g_EquipStrTable.GetRowCount() && i < 64; ++i) {
        const CTxtRow* row = g_EquipStrTable.GetRowAt(i);
        const int key = row->GetIntItem(1, 0);
        // Negative values included: the row number must stay in the list.
        for (int v : {-7, -1, 0, 1, 7, 65535}) (void)GetEquipStrByIndex(v, key);
        for (int v : {row->GetInt(3), row->GetInt(2) - 1, row->GetInt(3) - 1, 0})
            for (int special : {0, 1}) {
                const char* s = PickEquipStr(v, key, special);
                if (s && s != g_EquipStrPicked.c_str()) fuzzenv::Fail("a pick outside the result string");
            }
    }
    // The same class again must not reload; another class's file is absent.
    const std::string path = g_EquipStrPath;
    LoadEquipStrTable();
    if (g_EquipStrPath != path) fuzzenv::Fail("the same class changed the path");

    g_ModelTables.Clear();
    g_RoleEffectTable.Clear();
    g_RoleEffectFile.Clear();
    g_EquipStrTable.Clear();
    g_EquipStrPath.clear();
    g_EquipStrPicked.clear();
    g_RoleHooks.getLocalPlayerRecord = nullptr;
    g_ItemRecordOps.getClassId = nullptr;
    plat::SRand(1);
    return 1;
}

} // namespace fuzzharness
