// The record's own item operations: slots, the item pool, stacking, the
// cursor, equipment and potions. What an item is and does (attributes,
// prices, restore amounts) is the items' business.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/txt_table.h"
#include "platform/debug.h"
#include "roles/items/item_record.h"
#include "roles/items/item_rules.h"
#include "roles/items/prop_rec.h"
#include "roles/record/record_hooks.h"
#include "roles/record/role_calls.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/save_mgr.h"
#include "roles/tables/exp_table.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_sound.h"
#include "world/things/map_prop.h"

namespace {

// Pieces of one model that one call puts on the ground at most.
constexpr int kMaxGroundPieces = 64;

int ModelKind(const CTxtRow* row) { return row ? row->GetInt(propcol::kKind) : -1; }

bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

bool IsStackable(const PropRec* item) {
    return item && item->m_pModelRow && item->m_pModelRow->GetInt(propcol::kStackable) != 0;
}

// Runs `fn` with the scene current, then puts the previous one back.
template <class F>
void InScene(CScene* scene, F fn) {
    CScene* prev = g_CurScene;
    SetCurrentScene(scene);
    fn();
    if (prev) SetCurrentScene(prev);
}

} // namespace

void CRoleData::UpdatePotions() {
    // The bag items with the smallest HP and Qi restore amounts.
    int32_t bestHP = -1, bestQi = -1;
    m_HPPotion = m_QiPotion = -1;
    for (int s = kSlotBag; s < kSlotQuick; ++s) {
        const PropRec* it = GetItemInSlot(s);
        if (!it || !InRange(it->GetKind(), 10, 19)) continue;
        const int32_t hp = GetItemRestoreHP(it);
        const int32_t qi = GetItemRestoreQi(it);
        if (hp > 0 && (bestHP < 0 || hp < bestHP)) {
            bestHP = hp;
            m_HPPotion = m_Slots[s];
        }
        if (qi > 0 && (bestQi < 0 || qi < bestQi)) {
            bestQi = qi;
            m_QiPotion = m_Slots[s];
        }
    }
}

PropRec* CRoleData::AddItem(int propId, int count, int toExchange, const char* text, int level, int price) {
    const CTxtRow* row = g_PropMdlTable.GetRow(propId);
    if (!row) return nullptr;
    const int kind = ModelKind(row);
    if (InRange(kind, 0, 9)) {
        AddMoney(count, 0);
        return nullptr;
    }
    const char* firstPick = row->GetString(propcol::kFirstPickFlag);
    if (firstPick && std::strlen(firstPick) >= 2 && GetFlag(firstPick) < 1) SetFlag(firstPick, 1);
    SortQuickSlots();
    const bool stackable = row->GetInt(propcol::kStackable) != 0;
    PropRec* last = nullptr;
    while (count > 0) {
        int slot = -1;
        if (toExchange) {
            slot = FindFreeExchangeSlot();
        } else {
            if (InRange(kind, 20, 29)) {
                for (int s = 0; s < kSlotExchange && count > 0 && stackable; ++s) {
                    PropRec* it = GetItemInSlot(s);
                    if (!it || it->m_Id != propId || it->m_Count >= kStackMax) continue;
                    const int add = std::min(kStackMax - it->m_Count, count);
                    it->m_Count += add;
                    count -= add;
                    last = it;
                }
                if (count <= 0) break;
                slot = FindFreeSpecialSlot();
            } else if (InRange(kind, 10, 19) && !m_AutoSort) {
                slot = FindFreeQuickSlot();
            }
            if (slot < 0) slot = FindFreeBagSlot();
        }
        if (slot < 0) {
            // No room: the rest goes on the ground at the role's cell.
            CRole* role = GetRole();
            CScene* scene = GetScene();
            if (!role || !scene) {
                plat::DebugPrintf("CRoleData::AddItem: no room for %d of prop %d and no role to drop them\n", count,
                                  propId);
                return nullptr;
            }
            int pieces = count;
            if (!stackable && pieces > kMaxGroundPieces) {
                plat::DebugPrintf("CRoleData::AddItem: %d pieces of prop %d, %d put down\n", pieces, propId,
                                  kMaxGroundPieces);
                pieces = kMaxGroundPieces;
            }
            InScene(scene, [&] {
                CGameObj* prop = scene->m_pWorld->m_ObjMng.AddProp(propId, role->m_X / 64, role->m_Y / 64, 0, pieces);
                if (auto* mp = dynamic_cast<CMapProp*>(prop); mp && text && *text)
                    mp->SetPropInfo(text, level, price);
            });
            return nullptr;
        }
        auto* item = new PropRec;
        if (!item->Init(propId, text)) {
            delete item;
            return nullptr;
        }
        if (level != -1) item->m_RequiredLevel = level;
        if (price != -1) item->m_Price = price;
        count = item->SetCount(count);
        const int index = m_ItemPool.AddNext(item);
        if (index <= 0 || m_ItemPool.GetAt(index) != item) {
            // Index 0 is never handed out: the pool is full.
            plat::DebugPrintf("CRoleData::AddItem: item pool full, prop %d refused\n", propId);
            delete item;
            return nullptr;
        }
        item->m_PoolIndex = index;
        m_Items.AddTail(item);
        SetSlot(slot, index);
        last = item;
    }
    SortQuickSlots();
    return last;
}

void CRoleData::RemoveItem(int poolIndex, int n) {
    PropRec* item = GetItem(poolIndex);
    if (!item) return;
    if (n == -1)
        item->m_Count = 0;
    else
        item->m_Count -= n;
    if (item->m_Count <= 0) {
        const int slot = FindSlotOfItem(poolIndex);
        if (slot >= 0) m_Slots[slot] = -1;
        if (m_CursorItem == poolIndex) m_CursorItem = -1;
        FreeItem(item);
    }
    UpdatePotions();
}

int CRoleData::DropItem(int poolIndex) {
    if (poolIndex == -1) poolIndex = m_CursorItem;
    PropRec* item = GetItem(poolIndex);
    CRole* role = GetRole();
    CScene* scene = GetScene();
    if (!item || !role || !scene) return 0;
    InScene(scene, [&] {
        CGameObj* prop = scene->m_pWorld->m_ObjMng.AddProp(item->m_Id, role->m_X / 64, role->m_Y / 64, 0,
                                                           std::min(item->m_Count, kStackMax));
        if (auto* mp = dynamic_cast<CMapProp*>(prop); mp && !item->m_Text.empty())
            mp->SetPropInfo(item->m_Text.c_str(), item->m_RequiredLevel, item->m_Price);
    });
    RemoveItem(poolIndex, -1);
    return 1;
}

int CRoleData::UseItem(PropRec* item) {
    if (!item) return 0;
    if (!InRange(item->GetKind(), 10, 19)) {
        SortQuickSlots();
        return 1;
    }
    CRole* role = GetRole();
    if (!role || m_HP < 1) return 0;
    const int32_t hp = GetItemRestoreHP(item);
    const int32_t qi = GetItemRestoreQi(item);
    const int maxHP = GetMaxHP();
    const int maxQi = GetMaxQi();
    const bool hpFull = maxHP > 0 && m_HP >= maxHP;
    const bool qiFull = maxQi > 0 && m_Qi >= maxQi;
    if (hp > 0 && qi <= 0 && hpFull) return 0;
    if (qi > 0 && hp <= 0 && qiFull) return 0;
    if (hp > 0 && qi > 0 && hpFull && qiFull) return 0;
    const char* actions = item->m_pModelRow ? item->m_pModelRow->GetString(propcol::kAttributes) : nullptr;
    if (actions) role->RunActions(actions);
    RemoveItem(item->m_PoolIndex, 1);
    if (g_WorldSound.playEffect) g_WorldSound.playEffect(11, 0, 100, 0);
    SortQuickSlots();
    return 1;
}

void CRoleData::SortQuickSlots() {
    if (!m_AutoSort || !GetRole()) return;
    int choice[6];
    for (int k = 0; k < 6; ++k) choice[k] = kSlotQuick + k;
    auto amount = [&](int slot, int which) {
        const PropRec* it = GetItemInSlot(slot);
        if (!it) return -1;
        return which == 1 ? GetItemRestoreQi(it) : GetItemRestoreHP(it);
    };
    for (int s = kSlotBag; s < kSlotQuick; ++s) {
        const PropRec* it = GetItemInSlot(s);
        if (!it || !InRange(it->GetKind(), 10, 19)) continue;
        const int32_t hp = GetItemRestoreHP(it);
        const int32_t qi = GetItemRestoreQi(it);
        int pair;
        if (hp > 0 && qi > 0) pair = 4;
        else if (hp > 0) pair = 0;
        else if (qi > 0) pair = 2;
        else continue;
        const int which = pair == 2 ? 1 : 0;
        const int v = which ? qi : hp;
        bool tookFirst = false;
        const int a = amount(choice[pair], which);
        if (!GetItemInSlot(choice[pair]) || v < a) {
            choice[pair] = s;
            tookFirst = true;
        }
        const int b = amount(choice[pair + 1], which);
        if (GetItemInSlot(choice[pair + 1]) ? v > b : !tookFirst) choice[pair + 1] = s;
    }
    for (int k = 0; k < 6; ++k)
        if (choice[k] != kSlotQuick + k && GetItemInSlot(choice[k])) SwapSlots(choice[k], kSlotQuick + k);
    UpdatePotions();
}

void CRoleData::SetCursorItem(int poolIndex) {
    PropRec* old = GetItem(m_CursorItem);
    PropRec* item = GetItem(poolIndex);
    if (old && item && old != item && old->m_Id == item->m_Id && IsStackable(old)) {
        const int total = old->m_Count + item->m_Count;
        if (total < 10) {
            // The new pile goes into the old one; the caller puts the old
            // one down.
            old->m_Count = total;
            const int slot = FindSlotOfItem(poolIndex);
            if (slot >= 0) m_Slots[slot] = -1;
            FreeItem(item);
            poolIndex = -1;
        } else {
            old->m_Count = kStackMax;
            item->m_Count = total - kStackMax;
        }
    }
    m_CursorItem = GetItem(poolIndex) ? poolIndex : -1;
    if (g_RecordHooks.setCursorPicture) {
        const PropRec* c = GetCursorItem();
        g_RecordHooks.setCursorPicture(c && c->m_pModelRow ? c->m_pModelRow->GetInt(propcol::kPicture) : -1);
    }
    RefreshRole();
}

void CRoleData::SwapSlotWithCursor(int slot) {
    if (slot < 0 || slot >= kSlotCount) return;
    const int fromSlot = m_Slots[slot];
    const int former = m_CursorItem;
    m_Slots[slot] = -1;
    SetCursorItem(fromSlot);
    m_Slots[slot] = GetItem(former) ? former : -1;
    if (m_CursorItem == -1 && g_WorldSound.playEffect) {
        const PropRec* put = GetItem(former);
        const bool own = put && put->m_pModelRow && put->m_pModelRow->HasValue(propcol::kSound);
        g_WorldSound.playEffect(own ? put->m_pModelRow->GetInt(propcol::kSound) : 141, 0, 100, 0);
    }
    UpdatePotions();
}

void CRoleData::StowOrDrop(int poolIndex) {
    if (!GetItem(poolIndex)) return;
    const int bag = FindFreeBagSlot();
    if (bag >= 0) {
        m_Slots[bag] = poolIndex;
        return;
    }
    DropItem(poolIndex);
}

void CRoleData::MoveSlotToBag(int slot) {
    if (slot < 0 || slot >= kSlotCount) return;
    const int index = m_Slots[slot];
    if (index == -1) return;
    m_Slots[slot] = -1;
    StowOrDrop(index);
    UpdatePotions();
}

void CRoleData::ReturnExchangeItems() {
    for (int s = kSlotExchange; s < kSlotEquip; ++s) MoveSlotToBag(s);
}

int CRoleData::EquipItem(int i, int cost, int minLevel) {
    const int slot = kSlotEquip + i;
    if (i < 0 || slot >= kSlotAccessory || !GetRole()) return -1;
    const PropRec* cursor = GetCursorItem();
    const int groupFirst = kSlotEquip + (i / 6) * 6;
    if (cursor)
        for (int s = groupFirst; s < groupFirst + 6 && s < kSlotAccessory; ++s)
            if (const PropRec* it = GetItemInSlot(s); it && it->m_Id == cursor->m_Id) return -2;
    if (m_Level < minLevel) return -1;
    if (!AddMoney(-cost, 1)) return 0;
    const int old = m_Slots[slot];
    m_Slots[slot] = -1;
    StowOrDrop(old);
    m_Slots[slot] = m_CursorItem;
    m_CursorItem = -1;
    UpdateAppearance(slot);
    if (g_RecordHooks.setCursorPicture) g_RecordHooks.setCursorPicture(-1);
    RefreshRole();
    return 1;
}

void CRoleData::UpdateAppearance(int slot) {
    int first, end, key, factor;
    if (slot < 75) first = 69, end = 75, key = 2, factor = 1;
    else if (slot < 78) first = 75, end = 78, key = 0, factor = 2;
    else first = 78, end = 81, key = 1, factor = 2;
    int sum = 0;
    int special = 0;
    for (int s = first; s < end; ++s) {
        const PropRec* it = GetItemInSlot(s);
        if (!it || !it->m_pModelRow) continue;
        sum += std::clamp(it->m_pModelRow->GetInt(propcol::kGrade), 0, 9) * factor;
        if (it->m_pModelRow->HasValue(propcol::kSetMarker)) special = 1;
    }
    const char* name = PickEquipStr(sum, key, special);
    if (name)
        if (CRole* role = GetRole()) RoleSetSpriteSet(role, name);
}

int CRoleData::EquipAccessory(int i) {
    const int slot = kSlotAccessory + i;
    if (i < 0 || slot >= kSlotStorage) return -1;
    const int old = m_Slots[slot];
    m_Slots[slot] = -1;
    StowOrDrop(old);
    m_Slots[slot] = m_CursorItem;
    m_CursorItem = -1;
    RefreshRole();
    return -1;
}

void CRoleData::PreviewEquip(int i, PropRec* item) {
    const int slot = kSlotEquip + i;
    if (i < 0 || slot >= kSlotAccessory) return;
    UndoPreview();
    m_PreviewSlot = slot;
    m_PreviewOld = m_Slots[slot];
    m_Slots[slot] = item ? item->m_PoolIndex : -1;
}

void CRoleData::PreviewAccessory(int i, PropRec* item) {
    const int slot = kSlotAccessory + i;
    if (i < 0 || slot >= kSlotStorage) return;
    UndoPreview();
    m_PreviewSlot = slot;
    m_PreviewOld = m_Slots[slot];
    m_Slots[slot] = item ? item->m_PoolIndex : -1;
}

void CRoleData::UndoPreview() {
    if (m_PreviewSlot < 0) return;
    m_Slots[m_PreviewSlot] = m_PreviewOld;
    m_PreviewSlot = m_PreviewOld = -1;
}

namespace {

void PutIntoSlot(CRoleData& r, int slot, int poolIndex) {
    if (poolIndex == -1) poolIndex = r.m_CursorItem, r.m_CursorItem = -1;
    if (poolIndex != -1) {
        const int from = r.FindSlotOfItem(poolIndex);
        if (from >= 0) r.m_Slots[from] = -1;
    }
    const int old = r.m_Slots[slot];
    r.m_Slots[slot] = poolIndex;
    if (old != -1) r.m_CursorItem = old;
    r.UpdatePotions();
}

} // namespace

void CRoleData::SetStorageSlot(int i, int poolIndex) {
    if (i < 0 || kSlotStorage + i >= kSlotCount) return;
    PutIntoSlot(*this, kSlotStorage + i, poolIndex);
}

void CRoleData::SetExchangeSlot(int i, int poolIndex) {
    if (i < 0 || kSlotExchange + i >= kSlotEquip) return;
    PutIntoSlot(*this, kSlotExchange + i, poolIndex);
}

void CRoleData::ReplaceWithLeftover(int poolIndex) {
    const PropRec* item = GetItem(poolIndex);
    if (!item) return;
    const int grade = item->m_pModelRow ? item->m_pModelRow->GetInt(propcol::kGrade) : 0;
    RemoveItem(poolIndex, -1);
    AddItem(grade < 3 ? 149 : grade <= 7 ? 150 : 151, 1, 1, nullptr, -1, -1);
}

int CRoleData::DropMoney(int amount) {
    CRole* role = GetRole();
    CScene* scene = GetScene();
    if (!role || !scene) return 0;
    const bool all = amount == -1;
    if (all) amount = m_Money;
    if (amount <= 0 || amount > m_Money) return 0;
    m_Money -= amount;
    if (all) {
        const int diff = g_SaveMgr.m_Difficulty;
        if (diff == 1) amount = static_cast<int>(amount + static_cast<int64_t>(amount) * -4 / 100);
        else if (diff == 2) amount = static_cast<int>(amount + static_cast<int64_t>(amount) * -30 / 100);
        else if (diff > 2) amount = 0;
    }
    if (amount > 0)
        InScene(scene, [&] {
            scene->m_pWorld->m_ObjMng.AddProp(GetMoneyPropId(amount), role->m_X / 64, role->m_Y / 64, 0, amount);
        });
    return 1;
}

void InstallRecordItemOps() {
    g_ItemRecordOps.addItem = [](CRoleData* r, int32_t id, int32_t count, int toExchange, const char* text,
                                 int32_t level, int32_t price) {
        return r ? r->AddItem(id, count, toExchange, text, level, price) : nullptr;
    };
    g_ItemRecordOps.removeItem = [](CRoleData* r, int32_t index, int32_t n) {
        if (r) r->RemoveItem(index, n);
    };
    g_ItemRecordOps.addMoney = [](CRoleData* r, int32_t delta, int useBank) {
        return r ? r->AddMoney(delta, useBank) : 0;
    };
    g_ItemRecordOps.getItemInSlot = [](CRoleData* r, int slot) { return r ? r->GetItemInSlot(slot) : nullptr; };
    g_ItemRecordOps.replaceWithLeftover = [](CRoleData* r, int32_t index) {
        if (r) r->ReplaceWithLeftover(index);
    };
    g_ItemRecordOps.getClassId = [](const CRoleData* r) { return r ? r->m_ClassId : -1; };
}
