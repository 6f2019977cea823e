// The merchant registry: stocks from "randprop.txt" over scripted draws,
// selling to and buying from a merchant, and the world's hooks.
#include "item_env.h"
#include "roles/items/item_rules.h"
#include "roles/items/merchant_mng.h"
#include "world/objects/game_obj.h"
#include "world/objects/handle_table.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace test_merchant_mng {

using namespace datagen::itemfix;

// A merchant role (kind 40) and the player's role (data id 1), both in a
// handle table of their own; the merchant's model row names a drop row.
class MerchantTest : public itemenv::ItemTest {
protected:
    void SetUp() override {
        itemenv::ItemTest::SetUp();
        savedTable_ = g_CurHandleTable;
        g_CurHandleTable = &table_;
        savedModelRow_ = g_WorldHooks.getRoleModelRow;
        merchant_.m_Kind = 40;
        merchant_.m_Handle = table_.Allocate(&merchant_);
        player_.m_Kind = 60;
        player_.m_DataId = 1;
        player_.m_Handle = table_.Allocate(&player_);
        UseRow(kShopRow);
        g_WorldHooks.getRoleModelRow = [](const CGameObj*) -> const CTxtRow* { return RoleRows().GetRowAt(0); };
    }
    void TearDown() override {
        g_WorldHooks.getRoleModelRow = savedModelRow_;
        g_CurHandleTable = savedTable_;
        RoleRows().Clear();
        itemenv::ItemTest::TearDown();
    }
    static CTxtTable& RoleRows() {
        static CTxtTable t;
        return t;
    }
    // The merchant's model row: column 1 is the drop row's id.
    void UseRow(int dropRow) {
        ASSERT_TRUE(datagen::WriteTable(Dir() + "Role.txt", {{"Name", "Id"}, {"Trader", std::to_string(dropRow)}}));
        ASSERT_EQ(RoleRows().Load((Dir() + "Role.txt").c_str(), 1, 1, 1), 1);
    }
    void LoadRows(const std::vector<datagen::RandPropRow>& rows) {
        datagen::ItemFixture f = datagen::DefaultItemFixture();
        f.randProps = rows;
        LoadItems(f);
    }
    // "id xcount" of each stock slot up to the last filled one.
    static std::string Stock(const MerchantRecord* m) {
        std::string s;
        int last = -1;
        for (int i = 0; i < kMerchantSlots; ++i)
            if (m->m_Items[i]) last = i;
        for (int i = 0; i <= last; ++i) {
            if (!s.empty()) s += ' ';
            s += m->m_Items[i] ? std::to_string(m->m_Items[i]->m_Id) + "x" + std::to_string(m->m_Items[i]->m_Count) : "-";
        }
        return s;
    }
    int32_t MerchantId() const { return static_cast<int32_t>(merchant_.m_Handle); }

    CMerchantMng mng;
    CHandleTable table_;
    CGameObj merchant_;
    CGameObj player_;

private:
    CHandleTable* savedTable_ = nullptr;
    const CTxtRow* (*savedModelRow_)(const CGameObj*) = nullptr;
};

// Fixed stock: 4 items over the ids 10 and 20 (two each); random stock:
// two rounds over the ids 30-32 and 20-21.
TEST_F(MerchantTest, StockFromTheFixedAndRandomColumns) {
    Script({2, 0,    // arrow piles: 2 % 5 + 1, 0 % 5 + 1
            10,      // round 1: grade (10 % 90 below 50): 1
            3, 4,    // candidate 3 of [30 31 32 20 21]: the arrow, pile 5
            60,      // round 2: grade 2
            4, 0});  // candidate 4: the bolt, pile 1
    ASSERT_EQ(mng.AddMerchant(&merchant_), 1);
    ExpectAllDrawn();
    const MerchantRecord* m = mng.FindMerchant(MerchantId());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(Stock(m), "10x1 10x1 20x3 20x1 20x5 21x1");
    EXPECT_EQ(mng.GetCount(), 1);

    // Filling again empties the same record first.
    Script({0, 0, 10, 3, 0, 60, 4, 0});
    ASSERT_EQ(mng.AddMerchant(&merchant_), 1);
    EXPECT_EQ(Stock(mng.FindMerchant(MerchantId())), "10x1 10x1 20x1 20x1 20x1 21x1");
    EXPECT_EQ(mng.GetCount(), 1);
}

// Drawn candidates leave the list: the same index then names the next.
TEST_F(MerchantTest, DrawnCandidatesLeaveTheList) {
    LoadRows({datagen::RandPropRow().Name("Shop").Id(kShopRow).GradeWeights({"50", "50"}).RandomStock("30*32*20*21", 2)});
    Script({10, 1, 1, 1, 0,   // grade 1: 31, 32, then 20 (pile 1)
            60, 5, 3, 3});    // grade 2: index 0 of 5 is 30, 3 of 4 is 21 (pile 4)
    ASSERT_EQ(mng.AddMerchant(&merchant_), 1);
    ExpectAllDrawn();
    EXPECT_EQ(Stock(mng.FindMerchant(MerchantId())), "20x1 21x4");
}

TEST_F(MerchantTest, ARoundWithoutACandidateOfItsGradeShowsTheBox) {
    LoadRows({datagen::RandPropRow().Name("Shop").Id(kShopRow).GradeWeights({"50", "50"}).RandomStock("20*20", 1)});
    Script({60, 0});  // grade 2; the only candidate is of grade 1
    ASSERT_EQ(mng.AddMerchant(&merchant_), 1);
    ExpectAllDrawn();
    EXPECT_EQ(Stock(mng.FindMerchant(MerchantId())), "");
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, " AddMerchant 2 Error");
}

TEST_F(MerchantTest, StocksStopAtSlotFifty) {
    // Sixty fixed items (herbs: no draws) fill fifty slots; the random
    // stock then draws nothing.
    LoadRows({datagen::RandPropRow().Name("Shop").Id(kShopRow).GradeWeights({"100"}).FixedStock("10", 60).RandomStock("20*21", 5)});
    Script({});
    ASSERT_EQ(mng.AddMerchant(&merchant_), 1);
    EXPECT_EQ(plat::RandDrawCount(), 0u);
    const MerchantRecord* m = mng.FindMerchant(MerchantId());
    for (int i = 0; i < kMerchantSlots; ++i) ASSERT_NE(m->m_Items[i], nullptr) << i;
    EXPECT_EQ(m->FindFreeSlot(), -1);
}

TEST_F(MerchantTest, RandomStockListsAtMostTenThousandCandidates) {
    // No id of the range has a model: every candidate is drawn and dropped.
    LoadRows({datagen::RandPropRow().Name("Shop").Id(kShopRow).GradeWeights({"100"}).RandomStock("1000*200000", 1)});
    plat::SRand(5);
    plat::ResetRandDrawCount();
    ASSERT_EQ(mng.AddMerchant(&merchant_), 1);
    EXPECT_EQ(plat::RandDrawCount(), 1u + kMaxStockCandidates);
    EXPECT_EQ(plat::RecordedMessageBoxes().size(), 1u);
}

TEST_F(MerchantTest, FixedIdsWithoutModelsAndRolesOfOtherKinds) {
    // Three items over two ids: step 1, the third position is past the list.
    LoadRows({datagen::RandPropRow().Name("Shop").Id(kShopRow).FixedStock("999*10", 3)});
    Script({});
    ASSERT_EQ(mng.AddMerchant(&merchant_), 1);
    EXPECT_EQ(Stock(mng.FindMerchant(MerchantId())), "10x1");

    CGameObj prop;
    prop.m_Kind = 23;
    EXPECT_EQ(mng.AddMerchant(&prop), 0);
    EXPECT_EQ(mng.AddMerchant(nullptr), 0);
    UseRow(77);  // no drop row: the record is made and left empty
    EXPECT_EQ(mng.AddMerchant(&merchant_), 0);
    EXPECT_EQ(Stock(mng.FindMerchant(MerchantId())), "");
}

TEST_F(MerchantTest, SellingPaysTheShareAndMovesTheItem) {
    PropRec* herbs = record.Put(0, kHerb, 3);
    ASSERT_NE(herbs, nullptr);
    EXPECT_EQ(mng.SellToMerchant(MerchantId(), player_.m_Handle, herbs), 1);
    EXPECT_EQ(record.money, 60 * 46 / 100);
    EXPECT_EQ(record.Slot(0), nullptr);
    EXPECT_EQ(record.calls, (std::vector<std::string>{"money 27 bank0", "remove 0 -1"}));
    const MerchantRecord* m = mng.FindMerchant(MerchantId());
    ASSERT_NE(m, nullptr);  // made on the first sale
    EXPECT_EQ(Stock(m), "10x3");
}

TEST_F(MerchantTest, SellingRefusals) {
    PropRec* letter = record.Put(0, kLetter);
    EXPECT_EQ(mng.SellToMerchant(MerchantId(), player_.m_Handle, letter), -1);
    EXPECT_EQ(record.Slot(0), letter);  // stays with the player
    EXPECT_EQ(record.money, 0);
    EXPECT_EQ(mng.GetCount(), 0);

    PropRec* herb = record.Put(1, kHerb);
    EXPECT_EQ(mng.SellToMerchant(MerchantId(), merchant_.m_Handle, herb), 0);  // no record
    record.refuseMoney = 1;
    EXPECT_EQ(mng.SellToMerchant(MerchantId(), player_.m_Handle, herb), 0);
    EXPECT_EQ(record.Slot(1), herb);
}

TEST_F(MerchantTest, AFullStockTakesTheItemButKeepsNoCopy) {
    MerchantRecord* m = mng.AddMerchantRecord(MerchantId());
    for (int i = 0; i < kMerchantSlots; ++i) {
        m->m_Items[i] = new PropRec;
        m->m_Items[i]->Init(kArrow, "x");
    }
    PropRec* ring = record.Put(0, kRing, 1, "ATB ST 3*");
    EXPECT_EQ(mng.SellToMerchant(MerchantId(), player_.m_Handle, ring), 1);
    EXPECT_EQ(record.money, 23);
    EXPECT_EQ(record.Slot(0), nullptr);
    for (int i = 0; i < kMerchantSlots; ++i) EXPECT_EQ(m->m_Items[i]->m_Id, kArrow);
}

TEST_F(MerchantTest, BuyingTakesFromTheBankAndCopiesTheItem) {
    MerchantRecord* m = mng.AddMerchantRecord(MerchantId());
    m->m_Items[3] = new PropRec;
    m->m_Items[3]->Init(kSword, "ATB AP 9*");
    m->m_Items[3]->m_Price = 165;
    m->m_Items[3]->m_RequiredLevel = 9;
    record.money = 100;
    record.bank = 70;
    EXPECT_EQ(mng.BuyFromMerchant(MerchantId(), player_.m_Handle, 3), 1);
    EXPECT_EQ(record.money, 0);
    EXPECT_EQ(record.bank, 5);
    EXPECT_EQ(record.calls, (std::vector<std::string>{"money -165 bank1", "add 30 x1 ex0 'ATB AP 9*' 9 165"}));
    EXPECT_EQ(m->m_Items[3], nullptr);
    ASSERT_NE(record.Slot(0), nullptr);
    EXPECT_EQ(record.Slot(0)->m_Text, "ATB AP 9*");
    EXPECT_EQ(record.Slot(0)->m_Price, 165);
    EXPECT_EQ(record.Slot(0)->m_RequiredLevel, 9);
}

TEST_F(MerchantTest, BuyingRefusals) {
    MerchantRecord* m = mng.AddMerchantRecord(MerchantId());
    m->m_Items[0] = new PropRec;
    m->m_Items[0]->Init(kHerb, nullptr);
    m->m_Items[0]->SetCount(5);
    record.money = 60;
    record.bank = 39;  // 99 of 100
    EXPECT_EQ(mng.BuyFromMerchant(MerchantId(), player_.m_Handle, 0), 0);
    EXPECT_EQ(record.money, 60);
    EXPECT_NE(m->m_Items[0], nullptr);
    for (int slot : {1, -1, kMerchantSlots}) EXPECT_EQ(mng.BuyFromMerchant(MerchantId(), player_.m_Handle, slot), 0);
    EXPECT_EQ(mng.BuyFromMerchant(MerchantId() + 1, player_.m_Handle, 0), 0);
    EXPECT_EQ(mng.BuyFromMerchant(MerchantId(), merchant_.m_Handle, 0), 0);
    EXPECT_EQ(record.CountItems(), 0);
}

TEST_F(MerchantTest, TheWorldMakesClearsAndDeletesItsRegistryThroughTheHooks) {
    const CWorldHooks saved = g_WorldHooks;
    InstallItemHooks();
    CMerchantMng* made = g_WorldHooks.createMerchants();
    ASSERT_NE(made, nullptr);
    made->AddMerchantRecord(5)->m_Items[0] = new PropRec;
    g_WorldHooks.clearMerchants(made);
    EXPECT_EQ(made->GetCount(), 0);
    made->AddMerchantRecord(6)->m_Items[49] = new PropRec;
    g_WorldHooks.deleteMerchants(made);  // frees the items: the leak check would say otherwise
    EXPECT_NE(g_WorldHooks.generateDrops, nullptr);
    g_WorldHooks = saved;
}

} // namespace test_merchant_mng
