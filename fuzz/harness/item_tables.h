#pragma once
// The item tables: "PropMdl.txt", "PropGemFunc.txt", "randprop.txt" and
// "PropUpgrade.txt" (the four parts of one input). Every item model is
// made with and without a text, counted, priced and described; every drop
// row dropped (no scene: nothing lands) and stocked into a merchant, whose
// stock is bought and sold back; the recipes are tried on the items that
// carry an upgrade key. The record behind it all is a small pool of items.
#include <memory>
#include <string>
#include <vector>

#include "core/directories.h"
#include "core/txt_table.h"
#include "env.h"
#include "platform/fs.h"
#include "roles/items/drops.h"
#include "roles/items/item_description.h"
#include "roles/items/item_record.h"
#include "roles/items/item_rules.h"
#include "roles/items/item_upgrade.h"
#include "roles/items/merchant_mng.h"
#include "roles/items/prop_rec.h"
#include "roles/role_hooks.h"
#include "roles/save_mgr.h"
#include "split_files.h"
#include "world/objects/game_obj.h"
#include "world/objects/handle_table.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace fuzzharness {

// Rows the harness works through (a table may hold 10000): item models,
// and drop rows, each of whose drops and stocks can walk every model.
constexpr int kItemRowsTried = 48;
constexpr int kDropRowsTried = 8;

struct ItemHarnessRecord {
    std::vector<std::unique_ptr<PropRec>> pool;
    int32_t slots[136];
    int32_t money = 0;
};

inline ItemHarnessRecord& ItemRecord() {
    static ItemHarnessRecord r;
    return r;
}

inline void ItemCheck(const PropRec* item) {
    if (!item) return;
    if (!item->m_pModelRow || g_PropMdlTable.GetRow(item->m_Id) != item->m_pModelRow)
        fuzzenv::Fail("an item without its model");
    if (item->m_Count < 1 || item->m_Count > kMaxPileSize) fuzzenv::Fail("a pile outside 1..9");
}

inline PropRec* ItemPut(int slot, int32_t id, int32_t count, const char* text) {
    ItemHarnessRecord& r = ItemRecord();
    auto item = std::make_unique<PropRec>();
    if (!item->Init(id, text)) return nullptr;
    item->SetCount(count);
    item->m_PoolIndex = static_cast<int32_t>(r.pool.size());
    r.slots[slot] = item->m_PoolIndex;
    r.pool.push_back(std::move(item));
    return r.pool.back().get();
}

inline void InstallItemHarnessRecord() {
    ItemHarnessRecord& r = ItemRecord();
    r.pool.clear();
    for (int32_t& s : r.slots) s = -1;
    r.money = 0;
    g_ItemRecordOps.addItem = [](CRoleData*, int32_t id, int32_t count, int toExchange, const char* text, int32_t level,
                                 int32_t price) -> PropRec* {
        const int first = toExchange ? kExchangeFirstSlot : 0;
        const int last = toExchange ? kExchangeLastSlot : 49;
        for (int s = first; s <= last; ++s) {
            if (ItemRecord().slots[s] != -1) continue;
            PropRec* item = ItemPut(s, id, count < 1 ? 1 : count, text);
            if (item && level != -1) item->m_RequiredLevel = level;
            if (item && price != -1) item->m_Price = price;
            return item;
        }
        return nullptr;
    };
    g_ItemRecordOps.removeItem = [](CRoleData*, int32_t poolIndex, int32_t) {
        ItemHarnessRecord& rec = ItemRecord();
        if (poolIndex < 0 || poolIndex >= static_cast<int32_t>(rec.pool.size())) fuzzenv::Fail("a removal outside the pool");
        for (int32_t& s : rec.slots)
            if (s == poolIndex) s = -1;
        rec.pool[static_cast<size_t>(poolIndex)].reset();
    };
    g_ItemRecordOps.addMoney = [](CRoleData*, int32_t delta, int) {
        ItemRecord().money = SaturateInt(int64_t(ItemRecord().money) + delta);
        return 1;
    };
    g_ItemRecordOps.getItemInSlot = [](CRoleData*, int slot) -> PropRec* {
        const int32_t i = slot >= 0 && slot < 136 ? ItemRecord().slots[slot] : -1;
        return i < 0 ? nullptr : ItemRecord().pool[static_cast<size_t>(i)].get();
    };
    g_ItemRecordOps.replaceWithLeftover = [](CRoleData* rec, int32_t poolIndex) {
        g_ItemRecordOps.removeItem(rec, poolIndex, -1);
        g_ItemRecordOps.addItem(rec, 149, 1, 1, nullptr, -1, -1);
    };
    static int s_token = 0;
    g_RoleHooks.getLocalPlayerRecord = [] { return reinterpret_cast<CRoleData*>(&s_token); };
    g_SceneHooks.getRecord = [](int32_t id) { return id == 1 ? reinterpret_cast<CRoleData*>(&s_token) : nullptr; };
}

inline void DescribeItem(const PropRec* item) {
    std::string out;
    for (int buying : {0, 1}) {
        if (BuildItemDescription(item, out, buying) != 1) fuzzenv::Fail("a model item not described");
        const char* name = item->m_pModelRow->GetString(propcol::kName);
        if (out.compare(0, std::string(name ? name : "").size(), name ? name : "") != 0)
            fuzzenv::Fail("a description without the name first");
    }
    (void)GetSellPrice(item);
    (void)GetPropPrice2Percent(item);
    (void)GetPropPrice9Percent(item);
    (void)GetItemRestoreHP(item);
    (void)GetItemRestoreQi(item);
    (void)item->GetAttributeText();
}

inline int RunItemTables(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    const std::vector<std::string> parts = SplitInputFiles(std::string(reinterpret_cast<const char*>(data), size), 4);
    fuzzenv::PlacedFiles files("mb",
                               {{"PropMdl.txt", parts[0]},
                                {"PropGemFunc.txt", parts[1]},
                                {"randprop.txt", parts[2]},
                                {"PropUpgrade.txt", parts[3]}},
                               fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;
    // The data folder is the program folder's "mb": the recipes are read
    // from there. The current directory stays for libFuzzer.
    const std::string cwd = plat::GetCurrentDir();
    SetProgramDirectory(0);
    plat::SetCurrentDir(cwd);

    g_PropMdlTable.Load(files.Path(0).c_str(), 1, 1, 1);
    g_PropGemFuncTable.Load(files.Path(1).c_str(), -1, 0, 1);
    g_RandPropTable.Load(files.Path(2).c_str(), 1, 1, 1);
    InstallItemHarnessRecord();
    CRoleData* record = g_SceneHooks.getRecord(1);
    const int32_t savedDifficulty = g_SaveMgr.m_Difficulty;
    g_SaveMgr.m_Difficulty = static_cast<int32_t>(size % 4);

    // Every model with and without a text.
    for (int i = 0; i < g_PropMdlTable.GetRowCount() && i < kItemRowsTried; ++i) {
        const CTxtRow* row = g_PropMdlTable.GetRowAt(i);
        const int32_t id = row->GetInt(propcol::kId);
        for (const char* text : {static_cast<const char*>(nullptr), "atb ap 5*ATB DP -3*atb maxhp 10%"}) {
            PropRec item;
            if (!item.Init(id, text)) {
                if (g_PropMdlTable.GetRow(id)) fuzzenv::Fail("a model refused");
                continue;
            }
            for (int n : {1, 9, 10, 1000}) {
                const int rest = item.SetCount(n);
                if (item.m_Count + rest != n) fuzzenv::Fail("a pile lost pieces");
                ItemCheck(&item);
            }
            DescribeItem(&item);
        }
    }
    for (int grade : {-1, 0, 1, 5, 9, 10, 65535})
        for (int kind : {-1, 10, 20, 30, 65535}) (void)RandomItemByQuality(grade, kind);

    // Every drop row dropped (no current scene: nothing lands) and stocked.
    CHandleTable table;
    CHandleTable* savedTable = g_CurHandleTable;
    CObjMng* savedMng = g_CurObjMng;
    g_CurHandleTable = &table;
    g_CurObjMng = nullptr;
    CGameObj merchant;
    merchant.m_Kind = 40;
    merchant.m_Handle = table.Allocate(&merchant);
    CGameObj player;
    player.m_DataId = 1;
    player.m_Handle = table.Allocate(&player);
    static const CTxtRow* s_stockRow = nullptr;
    const auto savedModelRow = g_WorldHooks.getRoleModelRow;
    g_WorldHooks.getRoleModelRow = [](const CGameObj*) { return s_stockRow; };
    CMerchantMng merchants;
    for (int i = 0; i < g_RandPropTable.GetRowCount() && i < kDropRowsTried; ++i) {
        const CTxtRow* row = g_RandPropTable.GetRowAt(i);
        for (double luck : {-1.0, 0.0, 0.5, 3.0}) {
            const int g = RandomGrade(row, luck);
            if (g != -1 && (g < 1 || g > 10)) fuzzenv::Fail("a grade outside 1..10");
        }
        for (int32_t luck : {i == 0 ? -5 : 0, 1000}) (void)GenerateDrops(row->GetInt(1), CGamePoint{100, 100}, luck);

        s_stockRow = row;
        merchants.AddMerchant(&merchant);
        MerchantRecord* m = merchants.FindMerchant(static_cast<int32_t>(merchant.m_Handle));
        if (!m) fuzzenv::Fail("a merchant without its record");
        for (int s = 0; s < kMerchantSlots; ++s) {
            ItemCheck(m->m_Items[s]);
            if (m->m_Items[s] && merchants.BuyFromMerchant(static_cast<int32_t>(merchant.m_Handle), player.m_Handle, s) != 1)
                fuzzenv::Fail("a stocked item not sold");
        }
        for (int s = 0; s < 50; ++s) {
            PropRec* item = g_ItemRecordOps.getItemInSlot(record, s);
            if (!item) continue;
            if (merchants.SellToMerchant(static_cast<int32_t>(merchant.m_Handle), player.m_Handle, item) == -1 &&
                g_ItemRecordOps.getItemInSlot(record, s) != item)
                fuzzenv::Fail("a refused item left the bag");
        }
    }
    merchants.RemoveAll();
    g_WorldHooks.getRoleModelRow = savedModelRow;
    g_CurHandleTable = savedTable;
    g_CurObjMng = savedMng;

    // Recipes on the items that carry an upgrade key, seven at a time.
    std::vector<int32_t> keyed;
    for (int i = 0; i < g_PropMdlTable.GetRowCount() && i < kItemRowsTried; ++i)
        if (!CellText(g_PropMdlTable.GetRowAt(i), propcol::kUpgradeKey).empty())
            keyed.push_back(g_PropMdlTable.GetRowAt(i)->GetInt(propcol::kId));
    for (size_t start = 0; start < keyed.size(); start += 3) {
        InstallItemHarnessRecord();
        for (int k = 0; k < 7 && start + static_cast<size_t>(k) < keyed.size(); ++k)
            ItemPut(kExchangeFirstSlot + k, keyed[start + static_cast<size_t>(k)], 1, k % 2 ? "ATB AP 1" : nullptr);
        int result = -1;
        const int matched = UpgradeItems(record, &result);
        if (result != 0 && result != 1) fuzzenv::Fail("an upgrade without a result");
        if (!matched && result != 0) fuzzenv::Fail("a failed upgrade without a recipe");
        for (int s = kExchangeFirstSlot; s <= kExchangeLastSlot; ++s) ItemCheck(g_ItemRecordOps.getItemInSlot(record, s));
    }

    ItemRecord().pool.clear();
    g_ItemRecordOps = CItemRecordOps{};
    g_RoleHooks.getLocalPlayerRecord = nullptr;
    g_SceneHooks.getRecord = nullptr;
    g_SaveMgr.m_Difficulty = savedDifficulty;
    g_PropMdlTable.Clear();
    g_PropGemFuncTable.Clear();
    g_RandPropTable.Clear();
    plat::SRand(1);
    return 1;
}

} // namespace fuzzharness
