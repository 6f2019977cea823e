#include "world/map/cell_preloader.h"

#include <algorithm>

#include "gfx/anim.h"
#include "gfx/drawable.h"
#include "gfx/res_lib.h"
#include "world/buildings/bld.h"
#include "world/buildings/bld_mdl.h"
#include "world/objects/handle_table.h"
#include "world/map/map_grid.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

CCellPreloader g_CellPreloader;

namespace {

constexpr int64_t kBudget = 2048;
constexpr int kCellsPerStep = 100;

} // namespace

void CCellPreloader::Start() {
    CGamePoint c;
    if (!g_WorldHooks.getCenterCell || !g_WorldHooks.getCenterCell(&c)) return;
    StartAt(c.x, c.y);
}

void CCellPreloader::StartAt(int32_t x, int32_t y) {
    m_Active = 1;
    m_X = x;
    m_Y = y;
    m_Dir = 1;
    m_Leg = 1;
    m_Steps = 0;
}

void CCellPreloader::Step() {
    if (!m_Active) return;
    CMapGrid* grid = g_CurMapGrid;
    if (!grid) return;
    const uint32_t start = GetLibLoadedBytes();
    // True once this call has loaded its share: the cell is revisited next
    // time (what is loaded already costs nothing then).
    const auto spent = [start] { return int64_t(GetLibLoadedBytes()) - int64_t(start) >= kBudget; };
    for (int n = 0; n < kCellsPerStep; ++n) {
        if (CMapCell* c = grid->GetCell(m_X, m_Y)) {
            for (uint16_t tile : {c->m_Tile0, c->m_Tile1}) {
                if (tile == kNoTile) continue;
                grid->Tiles().GetTileImage(tile);
                if (spent()) return;
            }
            auto* b = c->m_ObjMark != kNoObj ? dynamic_cast<CBld*>(ResolveHandle16(c->m_ObjMark)) : nullptr;
            if (b && !b->m_Removed) {
                for (CDrawable* d : b->m_Frames) {
                    if (!d) continue;
                    if (auto* a = dynamic_cast<CAnimDrawable*>(d); a && a->CurrentPlayer()) {
                        const CAnimPlayer* p = a->CurrentPlayer();
                        for (int32_t k = 0; k < p->m_FrameCount; ++k) {
                            p->FrameAt(k)->GetImage();
                            if (spent()) return;
                        }
                    } else {
                        d->GetImage();
                        if (spent()) return;
                    }
                }
            }
        }
        switch (m_Dir) {
            case 1: --m_X; break;
            case 2: --m_Y; break;
            case 3: ++m_X; break;
            default: ++m_Y; break;
        }
        if (++m_Steps >= m_Leg) {
            m_Dir = m_Dir % 4 + 1;
            if (m_Dir == 3 || m_Dir == 1) ++m_Leg;
            m_Steps = 0;
        }
    }
    if (m_Leg > 2 * std::max(grid->Width(), grid->Height()) + 1) m_Active = 0;
}
