#pragma once
// The item tables of the datagen fixture loaded into the game's tables, and
// a fake role data record behind the record operations the items call: a
// pool of items in 136 slots, a purse and a bank, with every call logged.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/directories.h"
#include "core/txt_table.h"
#include "datagen/item_tables.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "roles/items/item_record.h"
#include "roles/items/prop_rec.h"
#include "roles/role_hooks.h"
#include "roles/save_mgr.h"
#include "support/test_env.h"
#include "world/scene/scene_hooks.h"

namespace itemenv {

struct FakeRecord {
    int32_t money = 0;
    int32_t bank = 0;
    int32_t classId = 4;
    int refuseMoney = 0;
    std::vector<std::unique_ptr<PropRec>> pool;
    int32_t slots[136];
    std::vector<std::string> calls;

    FakeRecord() {
        for (int32_t& s : slots) s = -1;
    }
    CRoleData* Token() { return reinterpret_cast<CRoleData*>(this); }
    static FakeRecord* Of(const CRoleData* r) { return reinterpret_cast<FakeRecord*>(const_cast<CRoleData*>(r)); }
    PropRec* Slot(int s) const { return slots[s] < 0 ? nullptr : pool[size_t(slots[s])].get(); }
    // An item of the id put straight into the slot (no roll for a text).
    PropRec* Put(int slot, int32_t id, int count = 1, const char* text = nullptr, int32_t price = -1) {
        auto item = std::make_unique<PropRec>();
        if (!item->Init(id, text)) return nullptr;
        item->SetCount(count);
        if (price != -1) item->m_Price = price;
        item->m_PoolIndex = int32_t(pool.size());
        slots[slot] = item->m_PoolIndex;
        pool.push_back(std::move(item));
        return pool.back().get();
    }
    int CountItems() const {
        int n = 0;
        for (int32_t s : slots) n += s >= 0 ? 1 : 0;
        return n;
    }
};

// The ops of CRoleData as the record describes them, on a FakeRecord.
inline void InstallFakeRecordOps() {
    g_ItemRecordOps.addItem = [](CRoleData* r, int32_t id, int32_t count, int toExchange, const char* text,
                                 int32_t level, int32_t price) -> PropRec* {
        FakeRecord* f = FakeRecord::Of(r);
        f->calls.push_back("add " + std::to_string(id) + " x" + std::to_string(count) + " ex" +
                           std::to_string(toExchange) + " '" + (text ? text : "(null)") + "' " +
                           std::to_string(level) + " " + std::to_string(price));
        const CTxtRow* row = g_PropMdlTable.GetRow(id);
        if (!row) return nullptr;
        if (row->GetInt(propcol::kKind) <= 9) {
            f->money += count;
            return nullptr;
        }
        const int first = toExchange ? 62 : 0;
        const int last = toExchange ? 68 : 49;
        for (int s = first; s <= last; ++s) {
            if (f->slots[s] != -1) continue;
            PropRec* item = f->Put(s, id, count, text);
            if (level != -1) item->m_RequiredLevel = level;
            if (price != -1) item->m_Price = price;
            return item;
        }
        return nullptr;
    };
    g_ItemRecordOps.removeItem = [](CRoleData* r, int32_t poolIndex, int32_t n) {
        FakeRecord* f = FakeRecord::Of(r);
        f->calls.push_back("remove " + std::to_string(poolIndex) + " " + std::to_string(n));
        if (poolIndex < 0 || poolIndex >= int32_t(f->pool.size()) || !f->pool[size_t(poolIndex)]) return;
        PropRec* item = f->pool[size_t(poolIndex)].get();
        item->m_Count = n == -1 ? 0 : item->m_Count - n;
        if (item->m_Count > 0) return;
        for (int32_t& s : f->slots)
            if (s == poolIndex) s = -1;
        f->pool[size_t(poolIndex)].reset();
    };
    g_ItemRecordOps.addMoney = [](CRoleData* r, int32_t delta, int useBank) {
        FakeRecord* f = FakeRecord::Of(r);
        f->calls.push_back("money " + std::to_string(delta) + " bank" + std::to_string(useBank));
        if (f->refuseMoney) return 0;
        const int64_t purse = int64_t(f->money) + delta;
        if (purse >= 0) {
            f->money = int32_t(purse);
            return 1;
        }
        if (useBank && purse + f->bank >= 0) {
            f->bank = int32_t(purse + f->bank);
            f->money = 0;
            return 1;
        }
        return 0;
    };
    g_ItemRecordOps.getItemInSlot = [](CRoleData* r, int slot) -> PropRec* {
        return slot < 0 || slot > 135 ? nullptr : FakeRecord::Of(r)->Slot(slot);
    };
    g_ItemRecordOps.replaceWithLeftover = [](CRoleData* r, int32_t poolIndex) {
        FakeRecord* f = FakeRecord::Of(r);
        PropRec* item = poolIndex >= 0 && poolIndex < int32_t(f->pool.size()) ? f->pool[size_t(poolIndex)].get() : nullptr;
        if (!item) return;
        const int grade = item->m_pModelRow->GetInt(propcol::kGrade);
        g_ItemRecordOps.removeItem(r, poolIndex, -1);
        g_ItemRecordOps.addItem(r, grade < 3 ? 149 : grade <= 7 ? 150 : 151, 1, 1, nullptr, -1, -1);
    };
    g_ItemRecordOps.getClassId = [](const CRoleData* r) { return FakeRecord::Of(r)->classId; };
}

inline FakeRecord*& LocalRecord() {
    static FakeRecord* s_record = nullptr;
    return s_record;
}

// Tables written with the datagen writers into the test's folder and
// loaded as start-up loads them; the fake record is the local player's and
// that of data id 1.
class ItemTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        SetProgramDirectory(0);
        LoadItems(datagen::DefaultItemFixture());
        InstallFakeRecordOps();
        LocalRecord() = &record;
        g_RoleHooks.getLocalPlayerRecord = [] { return LocalRecord() ? LocalRecord()->Token() : nullptr; };
        g_SceneHooks.getRecord = [](int32_t id) { return id == 1 && LocalRecord() ? LocalRecord()->Token() : nullptr; };
        savedDifficulty_ = g_SaveMgr.m_Difficulty;
        plat::ResetRand();
        plat::ClearRecordedMessageBoxes();
    }
    void TearDown() override {
        g_ItemRecordOps = CItemRecordOps{};
        g_RoleHooks.getLocalPlayerRecord = nullptr;
        g_SceneHooks.getRecord = nullptr;
        LocalRecord() = nullptr;
        g_SaveMgr.m_Difficulty = savedDifficulty_;
        for (CTxtTable* t : {&g_TextTable, &g_PropMdlTable, &g_PropGemFuncTable, &g_RandPropTable}) t->Clear();
        plat::ResetRand();
        plat::ClearRecordedMessageBoxes();
        vtest::TempDirTest::TearDown();
    }
    void LoadItems(const datagen::ItemFixture& items) {
        ASSERT_TRUE(datagen::WriteItemTables(Dir(), items));
        const std::string mb = Dir() + "mb/";
        ASSERT_EQ(g_TextTable.Load((mb + "Text.txt").c_str(), 0, 0, 1), 1);
        ASSERT_EQ(g_PropMdlTable.Load((mb + "PropMdl.txt").c_str(), 1, 1, 1), 1);
        ASSERT_EQ(g_PropGemFuncTable.Load((mb + "PropGemFunc.txt").c_str(), -1, 0, 1), 1);
        ASSERT_EQ(g_RandPropTable.Load((mb + "randprop.txt").c_str(), 1, 1, 1), 1);
    }
    // The draws a call makes, scripted; the test fails on a draw past them.
    static void Script(const std::vector<int>& draws) {
        plat::ScriptRand(draws);
        plat::ResetRandDrawCount();
    }
    static void ExpectAllDrawn() {
        EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
        EXPECT_EQ(plat::RandOverruns(), 0);
    }

    FakeRecord record;

private:
    int32_t savedDifficulty_ = 1;
};

} // namespace itemenv
