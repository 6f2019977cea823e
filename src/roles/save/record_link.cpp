#include "roles/save/record_link.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "roles/items/prop_rec.h"
#include "roles/record/role_data.h"
#include "roles/tables/exp_table.h"

namespace {

// The prop id that never moves to a new game (the return-portal charm).
constexpr int32_t kNoImportPropId = 59;
constexpr int kImportedItems = 5;

void ApplyClassAndAct(CRoleData* r) {
    // The record read its class and act without applying them, so nothing
    // of the running game changed while the load could still fail. Its
    // passive skills set multipliers already; SetClass would reset them.
    float multipliers[6];
    std::copy(std::begin(r->m_Multipliers), std::end(r->m_Multipliers), multipliers);
    r->SetClass(r->m_ClassId);
    std::copy(std::begin(multipliers), std::end(multipliers), r->m_Multipliers);
    // SetAct acts only on a change: the running game's scenes go (the host
    // restarts right after) and the act's talk table loads.
    const int32_t act = r->m_Act;
    r->m_Act = act == -1 ? -2 : -1;
    r->SetAct(act);
}

void ImportInto(CRoleData* local, const CRoleData* old) {
    local->AddMoney(std::min(old->m_Money / 20, 10000), 0);
    local->AddExp(g_ExpTable.GetExp(std::min(old->m_Level / 10, 7)) - 1);
    // Equipment competes for five places by value (its unit price).
    std::vector<const PropRec*> kept;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const PropRec* item = old->GetItemInSlot(slot);
        if (!item || item->m_Id == kNoImportPropId) continue;
        const int kind = item->GetKind();
        if (kind < 30 || kind > 39) continue;
        if (static_cast<int>(kept.size()) < kImportedItems) {
            kept.push_back(item);
            continue;
        }
        auto lowest = std::min_element(kept.begin(), kept.end(),
                                       [](const PropRec* a, const PropRec* b) { return a->m_Price < b->m_Price; });
        if (item->m_Price > (*lowest)->m_Price) *lowest = item;
    }
    // A copy keeps id, text, required level and price.
    for (const PropRec* item : kept)
        local->AddItem(item->m_Id, 1, 0, item->m_Text.empty() ? nullptr : item->m_Text.c_str(), item->m_RequiredLevel,
                       item->m_Price);
}

} // namespace

CSaveRecordOps RealSaveRecordOps() {
    CSaveRecordOps ops;
    ops.create = [] { return new CRoleData(); };
    ops.destroy = [](CRoleData* r) { delete r; };
    ops.saveRole = [](CRoleData* r, FILE* f) { return r->SaveRole(f); };
    ops.loadRole = [](CRoleData* r, FILE* f) { return r->LoadRole(f); };
    ops.level = [](const CRoleData* r) { return r->m_Level; };
    ops.applyClassAndAct = ApplyClassAndAct;
    ops.importInto = ImportInto;
    return ops;
}

CSaveRecordOps g_SaveRecordOps = RealSaveRecordOps();
