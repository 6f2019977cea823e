#include "roles/items/item_record.h"

#include "roles/items/drops.h"
#include "roles/items/merchant_mng.h"
#include "world/scene/world_hooks.h"

CItemRecordOps g_ItemRecordOps;

void InstallItemHooks() {
    g_WorldHooks.generateDrops = [](int32_t id, int32_t x, int32_t y, int32_t luck) {
        GenerateDrops(id, CGamePoint{x, y}, luck);
    };
    g_WorldHooks.createMerchants = []() -> CMerchantMng* { return new CMerchantMng; };
    g_WorldHooks.clearMerchants = [](CMerchantMng* merchants) { merchants->RemoveAll(); };
    g_WorldHooks.deleteMerchants = [](CMerchantMng* merchants) { delete merchants; };
}
