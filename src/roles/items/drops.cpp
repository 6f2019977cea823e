#include "roles/items/drops.h"

#include "core/txt_table.h"
#include "platform/debug.h"
#include "platform/random.h"
#include "roles/items/item_record.h"
#include "roles/items/item_rules.h"
#include "roles/items/prop_rec.h"
#include "roles/save_mgr.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/things/map_prop.h"

namespace {

// A non-stackable model lies as one prop per piece: never more than the
// cap of those for one call.
int32_t CapPieces(int32_t propId, int32_t count) {
    const CTxtRow* row = g_PropMdlTable.GetRow(propId);
    if (row && row->GetInt(propcol::kStackable) == 0 && count > kMaxDropPieces) {
        plat::DebugPrintf("GenerateDrops: %d pieces of prop %d, %d placed\n", count, propId, kMaxDropPieces);
        return kMaxDropPieces;
    }
    return count;
}

void Place(int32_t propId, int cx, int cy, int32_t count) {
    if (g_CurObjMng) g_CurObjMng->AddProp(propId, cx, cy, 0, CapPieces(propId, count));
}

int PileSize(int32_t id) {
    const CTxtRow* row = g_PropMdlTable.GetRow(id);
    const int kind = row ? row->GetInt(propcol::kKind) : -1;
    if (kind < 20 || kind > 29) return 1;
    const int r = plat::Rand() % 100;
    if (r < 40) return 1;
    if (r < 70) return 2;
    if (r < 90) return 3;
    if (r < 98) return 4;
    return 5;
}

} // namespace

int GenerateDrops(int32_t rowId, const CGamePoint& point, int32_t luckPercent) {
    if (rowId == kTxtEmptyInt) return 0;
    if (luckPercent < 0) luckPercent = 0;
    const double f = luckPercent * 0.01;
    const CTxtRow* row = g_RandPropTable.GetRow(rowId);
    if (!row) return 1;
    const int cx = point.x / 64;
    const int cy = point.y / 64;

    if (row->HasValue(5)) {
        const int64_t c5 = row->GetInt(5);
        const int64_t chance = g_SaveMgr.m_Difficulty == 0 ? c5 * 2 : c5 + c5 / 2;
        const int r = plat::Rand() % 100;
        if (static_cast<int64_t>((1.0 - f) * r) < chance && row->HasValue(6)) {
            int64_t amount = row->GetInt(6);
            const int64_t span = int64_t(row->GetInt(7)) - amount;
            if (span > 0) amount += plat::Rand() % span;
            amount += static_cast<int64_t>(static_cast<double>(amount) * f);
            const int32_t sum = SaturateInt(amount);
            Place(GetMoneyPropId(sum), cx, cy, sum);
        }
    }

    const int r = plat::Rand() % 100;
    if (static_cast<int64_t>(r * (1.0 - f)) < int64_t(row->GetInt(2)) + luckPercent) {
        int64_t count = row->GetInt(3);
        const int64_t span = int64_t(row->GetInt(4)) - count;
        if (span > 0) count += plat::Rand() % span;
        count += static_cast<int64_t>(static_cast<double>(count) * f);
        if (count > kMaxDropPieces) {
            plat::DebugPrintf("GenerateDrops: row %d wants %lld items, %d made\n", rowId,
                              static_cast<long long>(count), kMaxDropPieces);
            count = kMaxDropPieces;
        }
        for (; count > 0; --count) {
            const int grade = RandomGrade(row, f);
            if (grade == -1) return 0;
            int id = -1;
            for (int t = 0; t < 4 && id == -1; ++t) id = RandomItemByQuality(grade, -1);
            if (id == -1) continue;
            Place(id, cx, cy, PileSize(id));
        }
    }
    return 1;
}

int PickUpProp(CMapProp* prop, CGameObj* role) {
    if (!prop || !role) return 1;
    const int32_t camp = g_WorldHooks.getRoleCamp ? g_WorldHooks.getRoleCamp(role) : 0;
    if (camp < 10000 || camp > 60000) return 1;
    CRoleData* record = g_SceneHooks.getRecord ? g_SceneHooks.getRecord(role->m_DataId) : nullptr;
    if (!record) return 1;
    const int32_t id = prop->m_pRow ? prop->m_pRow->GetInt(propcol::kId) : prop->m_ModelId;
    const int32_t count = prop->m_Count;
    const std::string text = prop->m_Text;
    const int32_t level = prop->m_ValueA;
    const int32_t price = prop->m_ValueB;
    prop->Remove();
    if (g_ItemRecordOps.addItem)
        g_ItemRecordOps.addItem(record, id, count, 0, text.empty() ? nullptr : text.c_str(), level, price);
    return 1;
}
