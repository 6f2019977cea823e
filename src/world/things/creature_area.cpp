#include "world/things/creature_area.h"

#include <algorithm>

#include "core/txt_table.h"
#include "gfx/image.h"
#include "gfx/light_grid.h"
#include "gfx/rle_image.h"
#include "platform/random.h"
#include "world/things/anim_map_obj.h"
#include "world/objects/game_obj.h"
#include "world/map/iso_grid.h"
#include "world/objects/obj_desc.h"
#include "world/sky/obj_light.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

int32_t CreatureLogic(const CObjDesc* desc) {
    const auto* d = dynamic_cast<const CObjDesc11*>(desc);
    return d ? d->m_Logic : 0;
}

int32_t CreaturePathCount(const CObjDesc* desc) {
    const auto* d = dynamic_cast<const CObjDesc14*>(desc);
    return d ? static_cast<int32_t>(d->m_Path.size()) : 0;
}

CGamePoint CreaturePathPoint(const CObjDesc* desc, int32_t i) {
    const auto& p = static_cast<const CObjDesc14*>(desc)->m_Path[size_t(i)];
    return CGamePoint{p.x, p.y};
}

int PickWanderCell(CObjDesc* desc, int32_t pauseBase, CGamePoint* target) {
    auto* d = dynamic_cast<CObjDesc11*>(desc);
    if (!d || (d->m_Logic != 1 && d->m_Logic != 2)) return 0;
    if (d->m_WanderCount > 0) {
        --d->m_WanderCount;
        return 0;
    }
    const int32_t m = d->m_MoveLevel;
    if (m == 4) {
        d->m_WanderCount = 10000;
        return 0;
    }
    if (m != 0) {
        // Wide so that a corrupt level cannot overflow; 200 m + 10 is never 0.
        const int64_t span = 200LL * m + 10;
        d->m_WanderCount = static_cast<int32_t>(int64_t(pauseBase) * m + plat::Rand() % span);
    }
    if (d->m_Logic == 1) {
        const auto* area = dynamic_cast<const CObjDesc13*>(desc);
        if (!area) return 0;
        int32_t x = d->m_X + plat::Rand() % 10 - 5;
        int32_t y = d->m_Y + plat::Rand() % 10 - 5;
        x = std::min(std::max(x, area->m_RectX), area->m_RectX + area->m_RectW);
        y = std::min(std::max(y, area->m_RectY), area->m_RectY + area->m_RectH);
        *target = CGamePoint{x, y};
        return 1;
    }
    auto* path = dynamic_cast<CObjDesc14*>(desc);
    if (!path || path->m_Path.empty()) return 0;  // nowhere to go
    const int32_t n = static_cast<int32_t>(path->m_Path.size());
    if (path->m_PathIndex < 0 || path->m_PathIndex >= n) path->m_PathIndex = 0;
    *target = CreaturePathPoint(path, path->m_PathIndex);
    if (++path->m_PathIndex >= n) path->m_PathIndex = 0;
    return 1;
}

CGameObj* PlayerRole() { return g_WorldHooks.getSelectedRole ? g_WorldHooks.getSelectedRole() : nullptr; }

int32_t PlayerSpeed(const CGameObj* role) { return g_WorldHooks.getRoleSpeed ? g_WorldHooks.getRoleSpeed(role) : 0; }

int32_t PlayerMotion(const CGameObj* role) {
    return g_WorldHooks.getRoleMotion ? g_WorldHooks.getRoleMotion(role) : 0;
}

int32_t PlayerHeight(const CGameObj* role) {
    return g_WorldHooks.getRoleHeight ? g_WorldHooks.getRoleHeight(role) : 0;
}

int32_t PlayerBodyRadius(const CGameObj* role) {
    return g_WorldHooks.getBodyRadius ? g_WorldHooks.getBodyRadius(role) : 0;
}

CGamePoint RoleCell(const CGameObj* role) {
    if (const CObjDesc* d = role->GetDesc()) return CGamePoint{d->m_X, d->m_Y};
    return PixelToTile(CGamePoint{role->m_X, role->m_Y});
}

int32_t RowInt(const CTxtRow* row, int col) { return row ? row->GetInt(col) : kEmptyCol; }

void AddCreatureLight(uint32_t handle) {
    if (!g_CurLightList) return;
    const uint32_t grey = (200u << 16) | (200u << 8) | 200u;
    g_CurLightList->Add(handle, 128, 540, grey, static_cast<int32_t>(grey));
}

int CreatureLightingOn() {
    return g_WorldHooks.getDisplayOption && g_WorldHooks.getDisplayOption() != 0 ? 1 : 0;
}

void DrawCreatureImage(CSurface* surface, CImage* image, int32_t x, int32_t y, int32_t drawing) {
    if (!image) return;
    const CGameRect view = ViewClipRect();
    if (image->m_pAlpha) {
        image->Draw(surface, x, y, kDrawAlpha, -1, &view);
    } else if (drawing == 0) {
        image->Draw(surface, x, y, kDrawCopy, -1, &view);
    } else if (drawing == 1) {
        if (CreatureLightingOn() && image->IsRle())
            g_LightGrid.DrawThroughGridRow(surface, static_cast<CRleImage*>(image), &g_LightGrid.Map(), x, y, &view, y);
        else
            image->Draw(surface, x, y, kDrawCopy, -1, &view);
    } else {
        image->Draw(surface, x, y, kDrawBlend, 8, &view);
    }
}
