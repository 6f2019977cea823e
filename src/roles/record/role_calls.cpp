// PLACEHOLDER bodies (see role_calls.h).
#include "roles/record/role_calls.h"

#include <algorithm>

#include "core/txt_table.h"
#include "gfx/role_sprite.h"
#include "roles/record/role_data.h"
#include "roles/role.h"

void RoleSaveToSheet(CRole* role, CRoleData* record) {
    if (!role || !record) return;
    const char* name = role->GetName();
    record->m_Name = name ? name : "";
    const char* picture = role->GetPictureName();
    record->m_PictureName = picture ? picture : "";
    if (role->m_pSprite) record->m_SpritePartName = GetRolePartFileName(role->m_pSprite, true);
    record->m_HP = static_cast<int32_t>(std::clamp(role->m_Hp, -2147483648.0f, 2147483520.0f));
    record->m_Qi = static_cast<int32_t>(std::clamp(role->m_Qi, -2147483648.0f, 2147483520.0f));
    record->m_Nu = role->m_Nu;
}

void RoleRefreshPools(CRole*) {}

void RoleSetSpriteSet(CRole*, const char*) {}

void RoleSetLeader(CRole*, CRole*) {}
