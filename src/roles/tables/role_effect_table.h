#pragma once
// The role-state table: the rows of "RoleEffectMdl.txt" (read raw at
// start-up into g_RoleEffectFile) keyed by column 1, the state number.
#include "core/txt_table.h"

extern CTxtTable g_RoleEffectTable;

// Builds g_RoleEffectTable from g_RoleEffectFile. A row whose column 1 is
// not a number (a header line) is skipped: read as an integer it would be
// 0 and stand in for state 0.
void BuildRoleEffectTable();
