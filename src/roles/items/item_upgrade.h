#pragma once
// Combining the items of the exchange slots by the recipes of
// "PropUpgrade.txt" (CRoleData::UpgradeItems).
class CRoleData;

// 1 when a recipe matched (out result 0 on success, 1 on failure, when one
// ingredient may be lost); 0 when none did or there is nothing to combine.
int UpgradeItems(CRoleData* record, int* outResult);
