#include "roles/tables/exp_table.h"

#include <vector>

#include "core/directories.h"
#include "platform/random.h"
#include "roles/items/item_record.h"
#include "roles/role_hooks.h"

CExpTable g_ExpTable;
CTxtTable g_EquipStrTable;
std::string g_EquipStrPath;
std::string g_EquipStrPicked;

CExpTable::CExpTable() {
    m_Values[0] = 0;
    m_Values[1] = 600;
    m_Values[2] = 1200;
    for (int L = 3; L < kLevels; ++L) {
        const double n = L + 1;
        const double l = L;
        double v;
        if (L <= 24) {
            v = (n * n * 0.01 + 149.99) * l * l;
        } else if (L <= 44) {
            const double k = 130 + 5 * (L - 25);
            v = ((n * 0.01987 - 0.23675) * l + k + 25.0) * l * l;
        } else {
            const double k = 1380 + 30 * (L - 45);
            v = ((n * 0.21693 - 9.10445) * l + k - 1100.0) * l * l;
        }
        m_Values[L] = static_cast<int32_t>(v);
    }
}

int32_t CExpTable::GetExp(int level) const {
    if (level < 0) level = 0;
    if (level >= kLevels) level = kLevels - 1;
    return m_Values[level];
}

const char* EquipStrFileName(int classId) {
    switch (classId) {
    case 4: return "EquipStr901.txt";
    case 30: return "EquipStr902.txt";
    case 40: return "EquipStr903.txt";
    case 223: return "EquipStr904.txt";
    case 1: return "EquipStr905.txt";
    default: return nullptr;
    }
}

int LoadEquipStrTable() {
    CRoleData* record = g_RoleHooks.getLocalPlayerRecord ? g_RoleHooks.getLocalPlayerRecord() : nullptr;
    if (!record || !g_ItemRecordOps.getClassId) return 0;
    const char* file = EquipStrFileName(g_ItemRecordOps.getClassId(record));
    if (!file) return 0;
    const std::string path = std::string(GetMbDirectory()) + file;
    if (path != g_EquipStrPath) {
        g_EquipStrTable.Load(path.c_str(), 0, 1, 1);
        g_EquipStrPath = path;
    }
    return 1;
}

namespace {

std::vector<const CTxtRow*> EquipRowsOfKey(int key) {
    std::vector<const CTxtRow*> rows;
    for (int i = 0; i < g_EquipStrTable.GetRowCount(); ++i) {
        const CTxtRow* row = g_EquipStrTable.GetRowAt(i);
        if (row && row->GetIntItem(1, 0) == key) rows.push_back(row);
    }
    return rows;
}

} // namespace

const char* GetEquipStrByIndex(int value, int key) {
    LoadEquipStrTable();
    const std::vector<const CTxtRow*> rows = EquipRowsOfKey(key);
    if (rows.empty()) return nullptr;
    const int count = static_cast<int>(rows.size());
    // A negative value wraps into 0 .. count - 1 like a positive one.
    int i = value % count;
    if (i < 0) i += count;
    return rows[static_cast<size_t>(i)]->GetString(4);
}

const char* PickEquipStr(int value, int key, int special) {
    LoadEquipStrTable();
    std::vector<const CTxtRow*> candidates;
    for (const CTxtRow* row : EquipRowsOfKey(key)) {
        if (!(row->GetInt(3) <= value && value < row->GetInt(2))) continue;
        const int marker = row->GetIntItem(1, 1);
        if (marker != kTxtEmptyInt && marker != special) continue;
        candidates.push_back(row);
    }
    if (candidates.empty()) return nullptr;
    size_t pick = 0;
    if (candidates.size() > 1) pick = static_cast<size_t>(plat::Rand()) % candidates.size();
    const char* text = candidates[pick]->GetString(4);
    g_EquipStrPicked = text ? text : "";
    return g_EquipStrPicked.c_str();
}
