#include "roles/items/merchant_mng.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/txt_table.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "roles/items/item_record.h"
#include "roles/items/item_rules.h"
#include "roles/items/prop_rec.h"
#include "world/objects/game_obj.h"
#include "world/objects/handle_table.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/world_hooks.h"

namespace {

CRoleData* RecordOfHandle(uint32_t handle) {
    CGameObj* role = ResolveHandle(handle);
    if (!role || !g_SceneHooks.getRecord) return nullptr;
    return g_SceneHooks.getRecord(role->m_DataId);
}

// A stock item of the id (equipment rolls its attributes), null without a
// model row.
PropRec* MakeStockItem(int32_t id) {
    auto* item = new PropRec;
    if (!item->Init(id, nullptr)) {
        delete item;
        return nullptr;
    }
    int pile = 1;
    const int kind = item->GetKind();
    if (kind >= 20 && kind <= 29) pile = plat::Rand() % 5 + 1;
    item->SetCount(pile);
    return item;
}

// Draws out of a list without putting back: Take(k) removes and returns
// the index of the k-th entry still in the list, in list order, as erasing
// from a copy would, in log time (a Fenwick tree of the entries left).
class CandidateDraw {
public:
    explicit CandidateDraw(size_t n) : tree_(n + 1, 0), count_(n) {
        for (size_t i = 1; i <= n; ++i) {
            tree_[i] += 1;
            const size_t up = i + (i & (~i + 1));
            if (up <= n) tree_[up] += tree_[i];
        }
        for (top_ = 1; top_ * 2 <= n; top_ *= 2) {}
    }
    size_t Count() const { return count_; }
    size_t Take(size_t k) {
        size_t pos = 0;
        for (size_t step = count_ ? top_ : 0; step; step /= 2) {
            if (pos + step < tree_.size() && tree_[pos + step] <= k) {
                pos += step;
                k -= tree_[pos];
            }
        }
        for (size_t i = pos + 1; i < tree_.size(); i += i & (~i + 1)) --tree_[i];
        --count_;
        return pos;
    }

private:
    std::vector<size_t> tree_;
    size_t count_;
    size_t top_ = 1;
};

} // namespace

MerchantRecord::~MerchantRecord() { Empty(); }

void MerchantRecord::Empty() {
    for (PropRec*& item : m_Items) {
        delete item;
        item = nullptr;
    }
}

int MerchantRecord::FindFreeSlot() const {
    for (int i = 0; i < kMerchantSlots; ++i)
        if (!m_Items[i]) return i;
    return -1;
}

MerchantRecord* CMerchantMng::GetAt(int i) const {
    if (i < 0 || i >= GetCount()) return nullptr;
    return m_Records[static_cast<size_t>(i)].get();
}

MerchantRecord* CMerchantMng::FindMerchant(int32_t id) const {
    for (const auto& rec : m_Records)
        if (rec->m_MerchantId == id) return rec.get();
    return nullptr;
}

MerchantRecord* CMerchantMng::AddMerchantRecord(int32_t id) {
    m_Records.push_back(std::make_unique<MerchantRecord>());
    m_Records.back()->m_MerchantId = id;
    return m_Records.back().get();
}

int CMerchantMng::SellToMerchant(int32_t merchantId, uint32_t roleHandle, const PropRec* item) {
    CRoleData* record = RecordOfHandle(roleHandle);
    if (!record || !item) return 0;
    const int kind = item->GetKind();
    if (kind >= 40 && kind <= 49) return -1;
    if (!g_ItemRecordOps.addMoney || !g_ItemRecordOps.addMoney(record, GetSellPrice(item), 0)) return 0;
    MerchantRecord* merchant = FindMerchant(merchantId);
    if (!merchant) merchant = AddMerchantRecord(merchantId);
    const int slot = merchant->FindFreeSlot();
    if (slot >= 0) {
        // A field copy: Init would roll equipment without a text anew.
        auto* copy = new PropRec;
        copy->m_pModelRow = item->m_pModelRow;
        copy->m_Id = item->m_Id;
        copy->m_Text = item->m_Text;
        copy->m_Count = item->m_Count;
        copy->m_ValueA = item->m_ValueA;
        copy->m_ValueB = item->m_ValueB;
        copy->m_RequiredLevel = item->m_RequiredLevel;
        copy->m_Price = item->m_Price;
        merchant->m_Items[slot] = copy;
    }
    // The item may die here: nothing of it is read afterwards.
    if (g_ItemRecordOps.removeItem) g_ItemRecordOps.removeItem(record, item->m_PoolIndex, -1);
    return 1;
}

int CMerchantMng::BuyFromMerchant(int32_t merchantId, uint32_t roleHandle, int slot) {
    MerchantRecord* merchant = FindMerchant(merchantId);
    if (!merchant || slot < 0 || slot >= kMerchantSlots || !merchant->m_Items[slot]) return 0;
    CRoleData* record = RecordOfHandle(roleHandle);
    if (!record) return 0;
    PropRec* item = merchant->m_Items[slot];
    const int64_t price = GetPropPrice(item);
    if (!g_ItemRecordOps.addMoney || !g_ItemRecordOps.addMoney(record, SaturateInt(-price), 1)) return 0;
    if (g_ItemRecordOps.addItem)
        g_ItemRecordOps.addItem(record, item->m_Id, item->m_Count, 0, item->m_Text.c_str(), item->m_RequiredLevel,
                                item->m_Price);
    delete item;
    merchant->m_Items[slot] = nullptr;
    return 1;
}

int CMerchantMng::AddMerchant(CGameObj* role) {
    if (!role || role->m_Kind < 30 || role->m_Kind > 100) return 0;
    const int32_t id = static_cast<int32_t>(role->m_Handle);
    MerchantRecord* merchant = FindMerchant(id);
    if (!merchant) merchant = AddMerchantRecord(id);
    merchant->Empty();
    const CTxtRow* model = g_WorldHooks.getRoleModelRow ? g_WorldHooks.getRoleModelRow(role) : nullptr;
    const CTxtRow* row = model ? g_RandPropTable.GetRow(model->GetInt(1)) : nullptr;
    if (!row) return 0;

    int slot = 0;
    // Fixed stock: column 18 items spread over the ids of column 17.
    const int n = row->GetItemCount(17);
    if (n > 0 && row->HasValue(18)) {
        std::vector<int32_t> ids(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k) ids[static_cast<size_t>(k)] = row->GetIntItem(17, k);
        const int64_t total = row->GetInt(18);
        const int64_t step = std::max<int64_t>(total / n, 1);
        for (int64_t i = 0; i < total && slot < kMerchantSlots; ++i) {
            const int64_t at = i / step;
            if (at >= n) break;
            PropRec* item = MakeStockItem(ids[static_cast<size_t>(at)]);
            if (!item) {
                // Every later i of this id fails the same way, without draws.
                i = (at + 1) * step - 1;
                continue;
            }
            merchant->m_Items[slot++] = item;
        }
    }

    // Random stock: column 20 draws of a grade, each an item of that grade
    // from the id ranges of column 19.
    std::vector<int32_t> candidates;
    const int pairs = (row->GetItemCount(19) + 1) / 2;
    for (int p = 0; p < pairs && static_cast<int>(candidates.size()) < kMaxStockCandidates; ++p) {
        const int64_t from = row->GetIntItem(19, 2 * p);
        const int64_t to = row->GetIntItem(19, 2 * p + 1);
        for (int64_t v = from; v <= to && static_cast<int>(candidates.size()) < kMaxStockCandidates; ++v)
            candidates.push_back(static_cast<int32_t>(v));
    }
    // More rounds than slots could only repeat failures.
    const int64_t rounds = row->HasValue(20) ? std::min<int64_t>(row->GetInt(20), kMerchantSlots) : 0;
    for (int64_t round = 0; round < rounds && slot < kMerchantSlots; ++round) {
        const int grade = RandomGrade(row, -1.0);
        PropRec* made = nullptr;
        CandidateDraw left(candidates.size());
        while (left.Count() > 0) {
            const int32_t cand = candidates[left.Take(static_cast<size_t>(plat::Rand()) % left.Count())];
            const CTxtRow* model2 = g_PropMdlTable.GetRow(cand);
            if (model2 && model2->GetInt(propcol::kGrade) == grade) {
                made = MakeStockItem(cand);
                break;
            }
        }
        if (!made) {
            const char* pic = role->GetPictureName();
            char text[512];
            std::snprintf(text, sizeof text, "%s AddMerchant %d Error", pic ? pic : "", grade);
            plat::MessageBox(text, "");
            continue;
        }
        merchant->m_Items[slot++] = made;
    }
    return 1;
}

void CMerchantMng::RemoveAll() { m_Records.clear(); }
