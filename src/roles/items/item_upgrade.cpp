#include "roles/items/item_upgrade.h"

#include <string>
#include <vector>

#include "core/bin_file.h"
#include "core/directories.h"
#include "core/strings.h"
#include "core/txt_table.h"
#include "platform/debug.h"
#include "platform/random.h"
#include "roles/items/item_record.h"
#include "roles/items/item_rules.h"
#include "roles/items/prop_rec.h"

namespace {

struct Candidate {
    int32_t poolIndex;
    std::string key;   // PropMdl column 9
    std::string text;  // own attribute text
    int32_t price;
    bool used;
};

// A (key, percent) list: a cell without '*' is the key itself; otherwise
// one draw picks the first pair whose running sum of percents exceeds it.
// Empty when the cell is empty or no pair is reached.
std::string RollKey(const std::string& cell) {
    if (cell.empty()) return std::string();
    if (cell.find('*') == std::string::npos) return cell;
    StringList pieces;
    SplitString(cell.c_str(), '*', pieces);
    const int r = plat::Rand() % 100;
    int64_t sum = 0;
    for (size_t i = 0; i + 1 < pieces.size(); i += 2) {
        sum += ParseItemInt(pieces[i + 1].c_str());
        if (sum > r) return pieces[i];
    }
    return std::string();
}

bool RecipeMatches(const std::string& cell, std::vector<Candidate>& cands) {
    for (Candidate& c : cands) c.used = false;
    StringList parts;
    SplitString(cell.c_str(), '*', parts);
    for (const std::string& part : parts) {
        StringList alternatives;
        SplitString(part.c_str(), '|', alternatives);
        bool met = false;
        for (Candidate& c : cands) {
            if (c.used) continue;
            for (const std::string& alt : alternatives) {
                if (MatchUpgradeKey(alt.c_str(), c.key.c_str())) {
                    c.used = true;
                    met = true;
                    break;
                }
            }
            if (met) break;
        }
        if (!met) return false;
    }
    return true;
}

} // namespace

int UpgradeItems(CRoleData* record, int* outResult) {
    if (outResult) *outResult = 0;
    if (!record || !g_ItemRecordOps.getItemInSlot) return 0;

    std::vector<Candidate> cands;
    for (int slot = kExchangeFirstSlot; slot <= kExchangeLastSlot; ++slot) {
        const PropRec* item = g_ItemRecordOps.getItemInSlot(record, slot);
        if (!item || !item->m_pModelRow) continue;
        const std::string key = CellText(item->m_pModelRow, propcol::kUpgradeKey);
        if (key.empty()) continue;
        cands.push_back({item->m_PoolIndex, key, item->m_Text, item->m_Price, false});
    }
    if (cands.empty()) return 0;

    const std::string path = std::string(GetMbDirectory()) + "PropUpgrade.txt";
    if (!FileExists(path.c_str())) {
        plat::DebugPrintf("UpgradeItems: no %s\n", path.c_str());
        return 0;
    }
    CTxtTable recipes;
    recipes.Load(path.c_str(), -1, 1, 1);

    const CTxtRow* recipe = nullptr;
    for (int i = 0; i < recipes.GetRowCount() && !recipe; ++i) {
        const CTxtRow* row = recipes.GetRowAt(i);
        if (RecipeMatches(CellText(row, 0), cands)) recipe = row;
    }
    if (!recipe) return 0;

    const std::string result = RollKey(CellText(recipe, 1));
    if (!result.empty()) {
        const CTxtRow* model = g_PropMdlTable.FindRowByString(result.c_str(), propcol::kUpgradeKey);
        const Candidate* handed = nullptr;
        for (const Candidate& c : cands) {
            if (!c.used) continue;
            if (!c.text.empty()) handed = &c;
            if (g_ItemRecordOps.removeItem) g_ItemRecordOps.removeItem(record, c.poolIndex, -1);
        }
        if (model && g_ItemRecordOps.addItem) {
            const int32_t id = model->GetInt(propcol::kId);
            const int kind = model->GetInt(propcol::kKind);
            if (kind >= 50 && kind <= 59) {
                PropRec* made = g_ItemRecordOps.addItem(record, id, 1, 1, handed ? handed->text.c_str() : nullptr, -1, -1);
                // Without a handed-over text the item keeps its model price.
                if (made && handed) made->m_Price = SaturateInt(int64_t(handed->price) * 180 / 100);
            } else {
                g_ItemRecordOps.addItem(record, id, 1, 1, nullptr, -1, -1);
            }
        }
        return 1;
    }

    if (outResult) *outResult = 1;
    const std::string lostCell = CellText(recipe, 2);
    if (!lostCell.empty()) {
        const std::string lost = RollKey(lostCell);
        if (lost.empty()) return 1;
        for (const Candidate& c : cands) {
            if (c.used && MatchUpgradeKey(lost.c_str(), c.key.c_str())) {
                if (g_ItemRecordOps.replaceWithLeftover) g_ItemRecordOps.replaceWithLeftover(record, c.poolIndex);
                break;
            }
        }
        return 1;
    }
    const size_t at = static_cast<size_t>(plat::Rand()) % cands.size();
    if (cands[at].used && g_ItemRecordOps.replaceWithLeftover)
        g_ItemRecordOps.replaceWithLeftover(record, cands[at].poolIndex);
    return 1;
}
