#pragma once
// What the item code calls of the role data record (bag, money, exchange
// slots, class) and the install of the items' world hooks. The record is
// built apart from the items, so its operations are reached through this
// table, which the record fills in when it lands (PLACEHOLDER until then);
// an unset entry does the least: no item, refused, nothing. Tests install
// recording fakes.
#include <cstdint>

class CRoleData;
class PropRec;

struct CItemRecordOps {
    // CRoleData::AddItem (prop id, count, toExchange, text, level, price).
    PropRec* (*addItem)(CRoleData* record, int32_t id, int32_t count, int toExchange, const char* text,
                        int32_t level, int32_t price) = nullptr;
    // CRoleData::RemoveItem (pool index, n; -1 = all).
    void (*removeItem)(CRoleData* record, int32_t poolIndex, int32_t n) = nullptr;
    // CRoleData::AddMoney (delta, useBank): 1 done, 0 refused.
    int (*addMoney)(CRoleData* record, int32_t delta, int useBank) = nullptr;
    // CRoleData::GetItemInSlot (slot 0..135).
    PropRec* (*getItemInSlot)(CRoleData* record, int slot) = nullptr;
    // CRoleData::ReplaceWithLeftover (pool index).
    void (*replaceWithLeftover)(CRoleData* record, int32_t poolIndex) = nullptr;
    // The record's class id (4, 30, 40, 223, 1; -1 none).
    int32_t (*getClassId)(const CRoleData* record) = nullptr;
};

extern CItemRecordOps g_ItemRecordOps;

// The exchange slots that the upgrade reads.
constexpr int kExchangeFirstSlot = 62;
constexpr int kExchangeLastSlot = 68;

// GenerateDrops and the merchant registry into g_WorldHooks.
void InstallItemHooks();
