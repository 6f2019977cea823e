#include "roles/tables/role_effect_table.h"

#include <cctype>

CTxtTable g_RoleEffectTable;

namespace {

bool IsStateNumber(const std::string* cell) {
    if (!cell) return false;
    size_t i = 0;
    while (i < cell->size() && ((*cell)[i] == ' ' || (*cell)[i] == '\t')) ++i;
    if (i < cell->size() && ((*cell)[i] == '-' || (*cell)[i] == '+')) ++i;
    return i < cell->size() && std::isdigit(static_cast<unsigned char>((*cell)[i]));
}

} // namespace

void BuildRoleEffectTable() {
    CTxtFile rows = g_RoleEffectFile;
    for (int r = rows.GetRowCount() - 1; r >= 0; --r)
        if (!IsStateNumber(rows.Cell(r, 1))) rows.EraseRow(r);
    g_RoleEffectTable.Clear();
    g_RoleEffectTable.Build(rows, 1, 0, 1);
}
