#pragma once
// Role operations the record calls that the role classes do not offer yet.
// PLACEHOLDER: each does the least a caller can run with; the role's own
// operations replace these bodies, not the calls.
#include <cstdint>

class CRole;
class CRoleData;

// CRole::SaveToSheet: name, picture, sprite-set name and pools into the
// record. Least: the name of the role's model row (column 0).
void RoleSaveToSheet(CRole* role, CRoleData* record);
// The role's HP, Qi and ST updates with 0 after an equipment change.
// Least: nothing.
void RoleRefreshPools(CRole* role);
// CRole::SetSpriteSet (name). Least: nothing.
void RoleSetSpriteSet(CRole* role, const char* name);
// The follower's leader becomes `leader`. Least: nothing.
void RoleSetLeader(CRole* follower, CRole* leader);
