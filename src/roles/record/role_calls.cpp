// PLACEHOLDER bodies (see role_calls.h).
#include "roles/record/role_calls.h"

#include "core/txt_table.h"
#include "roles/record/role_data.h"
#include "roles/role.h"

void RoleSaveToSheet(CRole* role, CRoleData* record) {
    if (!role || !record || !role->m_pModelRow) return;
    const char* name = role->m_pModelRow->GetString(0);
    record->m_Name = name ? name : "";
}

void RoleRefreshPools(CRole*) {}

void RoleSetSpriteSet(CRole*, const char*) {}

void RoleSetLeader(CRole*, CRole*) {}
