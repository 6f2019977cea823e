#pragma once
// Scene object lists ("cj\fuzz.obj"), placed on disk or in "cj.fol" by the
// hash of the input, loaded into the placement list of a small world, which
// creates its characters and creatures. Scripts then take the props by
// name, the world ticks both sides' passes and is cleared; every group stays
// within its capacity, every path within the file, and every entry is found
// by its cell and copied whole.
#include <memory>
#include <string>

#include "core/txt_table.h"
#include "datagen/table_writer.h"
#include "env.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace fuzzharness {

// Item rows 1 and 2 ("PropMdl.txt", key column 1), so props can be made.
inline void LoadObjListTables() {
    if (g_PropMdlTable.GetRow(1)) return;
    const std::string path = fuzzenv::ProgramHome().native + "mb/FuzzProp.txt";
    fuzzenv::PutFile(path, datagen::BuildTable({{"Name", "Id", "Kind", "Pic", "Sound"},
                                                {"Stick", "1", "0", "0", "65535"},
                                                {"Stone", "2", "0", "1", "65535"}}));
    g_PropMdlTable.Load((fuzzenv::ProgramHome().win + "mb\\FuzzProp.txt").c_str(), 1, 1, 0);
}

inline int RunObjList(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    LoadObjListTables();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzenv::PlacedFiles files("cj", {{"fuzz.obj", bytes}}, fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;
    const CWorldHooks keepHooks = g_WorldHooks;
    g_WorldHooks = CWorldHooks{};
    int ok = 0;
    {
        // One world for the process (it is large): each input clears it.
        static CWorld* s_world = new CWorld;
        CWorld* w = s_world;
        w->Clear();
        w->m_MapGrid.Create(24, 24);
        w->MakeCurrent();
        CScnPlacement& p = w->m_ObjMng.m_Placement;
        ok = p.Load(files.Path().c_str());
        for (int g = 0; g < CScnObjFile::kGroups; ++g) {
            const CScnObjGroup* group = p.GetGroup(g);
            if (group->count < 0 || group->count > group->capacity || group->capacity != 10000 ||
                static_cast<size_t>(group->count) != group->entries.size() || (g == 0 && group->count))
                fuzzenv::Fail("a group outside its capacity");
            // The searches walk the group: a sample of entries keeps an
            // input's work linear in the file however full its groups are.
            for (int i = 0; i < group->count; i = i < 64 ? i + 1 : i + 1 + group->count / 32) {
                const CObjDesc* e = p.GetEntry(i, g);
                if (!e) fuzzenv::Fail("a null entry");
                if (const auto* path = dynamic_cast<const CObjDesc14*>(e))
                    if (path->m_Path.size() > size / 4) fuzzenv::Fail("a path longer than the file holds");
                if (e->m_Type >= 10 && e->m_Type <= 17) {
                    const int at = p.FindByPos(e->m_X, e->m_Y, g);
                    if (at < 0 || at > i) fuzzenv::Fail("an entry not found by its cell");
                }
                if (g != 2 || p.IsUsed(g, i)) continue;
                // A script takes the prop by its name and puts it down.
                const auto* named = dynamic_cast<const CObjDesc11*>(e);
                const int k = named ? p.FindByName(named->m_Text, g) : i;
                if (k < 0 || k > i) fuzzenv::Fail("an unused entry not found by its name");
                CObjDesc* copy = p.TakeEntry(g, k);
                if (!copy || copy->m_Type != p.GetEntry(k, g)->m_Type) fuzzenv::Fail("a taken entry is not a copy");
                if (!p.IsUsed(g, k)) fuzzenv::Fail("a taken entry is not marked used");
                w->m_ObjMng.AddObj(copy, 23, 0, 0, -1);
            }
        }
        w->m_ObjMng.PlaceAll();
        for (int t = 0; t < 3; ++t) {
            w->m_ObjMng.Update();
            w->m_ObjMng.UpdateActions();
            w->m_ObjMng.PostUpdate();
        }
        w->Clear();
        if (g_CurObjMng || g_CurMapGrid) fuzzenv::Fail("a world stays current after Clear");
        if (p.GetGroup(1)->count || w->m_ObjMng.m_Props.Head()) fuzzenv::Fail("objects stay after Clear");
    }
    g_WorldHooks = keepHooks;
    return ok;
}

} // namespace fuzzharness
