#pragma once
// What the building targets share: the pictures every fuzzed model refers
// to (library 0 of a fixed list: the demo's building frames and animation
// tables) and a small world in which buildings are made, stamped, drawn,
// used and removed.
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "core/directories.h"
#include "datagen/demo_bld.h"
#include "datagen/lib_writer.h"
#include "env.h"
#include "gfx/light_grid.h"
#include "gfx/res_lib.h"
#include "gfx/surface.h"
#include "platform/text.h"
#include "world/buildings/bld.h"
#include "world/buildings/bld_mdl.h"
#include "world/objects/handle_table.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace fuzzharness {

inline bool PrepareBldPictures() {
    const fuzzenv::Home& home = fuzzenv::ProgramHome();
    SetProgramDirectory(0);
    if (!fuzzenv::PutFile(home.native + "Zy/bld.lib", datagen::BuildLib(datagen::BuildBldLibEntries(0))) ||
        !fuzzenv::PutFile(home.native + "Zy/idx.lib", datagen::BuildIdxLib({"bld"})))
        return false;
    if (!g_ResList.Init((home.win + "Zy\\idx.lib").c_str()) || !g_ResList.GetLib(0) || !g_ResList.GetLib(0)->IsOpen())
        return false;
    g_LibMemBudget = 0;
    g_LightGrid.Init(8, 24, 20);
    g_LightGrid.SetAmbientMode(0, nullptr);
    return true;
}

// The program folder as SetProgramDirectory makes it, set again only when it
// is not already so: setting it resolves the folder on disk and changes the
// current directory, a tenth of a building input's time.
inline void UseProgramFolder() {
    const fuzzenv::Home& home = fuzzenv::ProgramHome();
    std::string want = home.win;
    if (const size_t cut = want.rfind('\\'); cut != std::string::npos) want.resize(cut + 1);
    plat::ToUpperGbk(want);
    char cwd[4096];
    if (want == GetProgramDirectory() && getcwd(cwd, sizeof cwd) && std::string(cwd) + "/" == home.native) return;
    SetProgramDirectory(0);
}

inline int& BldLighting() {
    static int on = 0;
    return on;
}

// A 12 x 12 grid, a handle table and a manager made current for its
// lifetime; the previous current world comes back afterwards. The table
// (half a megabyte) is one per process, emptied for each world: making a
// fresh one per input cost most of an execution.
class BldWorld {
public:
    explicit BldWorld(CBldMdl* mdl)
        : keepGrid_(g_CurMapGrid), keepMng_(g_CurObjMng), keepTable_(g_CurHandleTable), keepHooks_(g_WorldHooks) {
        grid_.Create(12, 12);
        g_CurMapGrid = &grid_;
        Table().Clear();
        g_CurHandleTable = &Table();
        mng_ = std::make_unique<CObjMng>();
        g_CurObjMng = mng_.get();
        mng_->m_pBldMdl = mdl;
        g_WorldHooks = CWorldHooks{};
        g_WorldHooks.isLightingOn = [] { return BldLighting(); };
    }
    ~BldWorld() {
        mng_.reset();
        g_CurMapGrid = keepGrid_;
        g_CurObjMng = keepMng_;
        g_CurHandleTable = keepTable_;
        g_WorldHooks = keepHooks_;
    }
    BldWorld(const BldWorld&) = delete;
    BldWorld& operator=(const BldWorld&) = delete;
    CObjMng& Mng() { return *mng_; }
    CMapGrid& Grid() { return grid_; }

    // Stamps, draws in both light modes, ticks, uses and clears one building.
    void Exercise(CBld* b) {
        CSurface surface(24, 20, 1);
        const CGameRect clip{1, 1, 22, 18};
        b->StampFootprint();
        for (int lit = 0; lit < 2; ++lit) {
            BldLighting() = lit;
            for (int layer = 0; layer < 3; ++layer) {
                b->DrawLayer(&surface, layer);
                b->DrawClipped(&surface, &clip, layer);
            }
            b->DrawUpperStatic(&surface, &clip);
            b->DrawTopStatic(&surface, &clip);
            for (int32_t i = -1; i <= b->m_FrameCount; ++i)
                for (int mode = 0; mode < 3; ++mode) b->DrawFrame(&surface, i, &clip, mode);
        }
        b->Flash();
        b->SetHover(b);
        b->SetHover(nullptr);
        CGameRect r;
        b->GetBoundingRect(&r);
        b->GetAnimatedRect(&r);
        b->SetFrame(-1);
        b->Activate(0, 1);
        if (auto* m = dynamic_cast<CMechBld*>(b)) {
            m->SetState(5, 0);
            for (int t = 0; t < 12; ++t) m->Tick();
            m->SetState(0, 1);
        } else {
            b->StepFrames();
            b->Tick();
        }
        b->FreeRes();
        b->LoadRes();
        b->IsEntranceCell({6, 6});
        b->ClearFootprint();
        BldLighting() = 0;
    }

    // No cell may keep a mark of a building that is gone.
    void CheckNoMarksOf(const std::vector<uint16_t>& marks) {
        for (int32_t y = 0; y < grid_.Height(); ++y)
            for (int32_t x = 0; x < grid_.Width(); ++x)
                for (uint16_t m : marks)
                    if (grid_.GetCell(x, y)->m_ObjMark == m) fuzzenv::Fail("a removed building left its mark");
    }

private:
    static CHandleTable& Table() {
        static const std::unique_ptr<CHandleTable> s_table = std::make_unique<CHandleTable>();
        return *s_table;
    }
    CMapGrid* keepGrid_;
    CObjMng* keepMng_;
    CHandleTable* keepTable_;
    CWorldHooks keepHooks_;
    CMapGrid grid_;
    std::unique_ptr<CObjMng> mng_;
};

// Builds every building of the manager's model parts (at most `limit`),
// exercises and removes them.
inline void BuildEveryPart(BldWorld& w, const CBldMdl& m, int limit) {
    std::vector<uint16_t> marks;
    int made = 0;
    for (const CBldPart* p : m.m_Parts) {
        if (!p || p->m_PartId == 65535) continue;
        if (made++ >= limit) break;
        auto* b = dynamic_cast<CBld*>(w.Mng().AddBld(6, 6, p->m_PartId, made % 2 ? "go north" : nullptr));
        if (!b) fuzzenv::Fail("a part of the model made no building");
        if (b->m_pPart != p || b->m_Frames.size() != p->m_Items.size()) fuzzenv::Fail("a building not of its part");
        w.Exercise(b);
        marks.push_back(static_cast<uint16_t>(b->m_Handle));
        b->Remove();
    }
    w.Mng().Update();
    w.CheckNoMarksOf(marks);
    if (w.Mng().m_MechPool.GetCount() != 0 || w.Mng().m_Portals.Head()) fuzzenv::Fail("a removed building stays filed");
}

} // namespace fuzzharness
