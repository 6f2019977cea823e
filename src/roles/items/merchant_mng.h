#pragma once
// The merchants of a world: one stock of 50 item slots per merchant role,
// filled from the role's "randprop.txt" row, and the trades with a
// player's record.
#include <cstdint>
#include <memory>
#include <vector>

class CGameObj;
class PropRec;

constexpr int kMerchantSlots = 50;
// Ids the random stock draws from at most.
constexpr int kMaxStockCandidates = 10000;

struct MerchantRecord {
    MerchantRecord() = default;
    ~MerchantRecord();
    MerchantRecord(const MerchantRecord&) = delete;
    MerchantRecord& operator=(const MerchantRecord&) = delete;
    // Deletes every item.
    void Empty();
    // First null slot; -1 when all are taken.
    int FindFreeSlot() const;

    int32_t m_MerchantId = 0;  // the merchant role's handle
    PropRec* m_Items[kMerchantSlots] = {};  // owned; null = empty
};

class CMerchantMng {
public:
    int GetCount() const { return static_cast<int>(m_Records.size()); }
    MerchantRecord* GetAt(int i) const;

    MerchantRecord* FindMerchant(int32_t id) const;
    // Appends an empty record.
    MerchantRecord* AddMerchantRecord(int32_t id);
    // The selling price to the role's record and a copy of the item into
    // the stock; the item leaves the record. 1; 0 without record or when
    // the money is refused; -1 for kinds 40-49 (they stay).
    int SellToMerchant(int32_t merchantId, uint32_t roleHandle, const PropRec* item);
    // The buying price from the record (the bank may pay) and the item into
    // it. 1; 0 for an empty slot, no record or too little money.
    int BuyFromMerchant(int32_t merchantId, uint32_t roleHandle, int slot);
    // Fills the stock of a role (object kinds 30-100); 0 without a drop row.
    int AddMerchant(CGameObj* role);
    void RemoveAll();

private:
    std::vector<std::unique_ptr<MerchantRecord>> m_Records;
};
