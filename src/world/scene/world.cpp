#include "world/scene/world.h"

#include <cstdio>
#include <string>

#include "core/directories.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/txt_table.h"
#include "gfx/res_lib.h"
#include "platform/msgbox.h"
#include "sound/sound_play.h"
#include "world/buildings/bld.h"
#include "world/buildings/bld_init.h"
#include "world/buildings/bld_mdl.h"
#include "world/scene/scn_mng.h"
#include "world/sky/weather.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace {

void Log(int progress, const char* a, const char* b) {
    if (g_WorldHooks.logLoading) g_WorldHooks.logLoading(progress, a, b);
}

std::string InCj(const char* name) { return std::string(GetCjDirectory()) + name; }

} // namespace

CWorld::CWorld() : m_pHandles(std::make_unique<CHandleTable>()) {
    if (g_WorldHooks.createMagicList) m_pMagicList = g_WorldHooks.createMagicList();
}

CWorld::~CWorld() {
    // Whatever was current before is put back afterwards, unless it was this
    // world.
    CMapGrid* const grid = g_CurMapGrid == &m_MapGrid ? nullptr : g_CurMapGrid;
    CObjMng* const mng = g_CurObjMng == &m_ObjMng ? nullptr : g_CurObjMng;
    CHandleTable* const table = g_CurHandleTable == m_pHandles.get() ? nullptr : g_CurHandleTable;
    CAttachedMagicList* const magic = g_CurMagicList == m_pMagicList ? nullptr : g_CurMagicList;
    CObjLightList* const lights = g_CurLightList == &m_LightList ? nullptr : g_CurLightList;
    CMapGrid* const coordMap = GetCoordMap() == &m_MapGrid ? nullptr : GetCoordMap();
    const int32_t coordWidth = GetCoordHalfWidth() * 2;

    // The objects and what the manager owns go with this world current and
    // its handle table still there.
    Clear();
    MakeCurrent();
    m_ObjMng.Teardown();
    m_LightList.Clear();
    if (m_pMagicList && g_WorldHooks.deleteMagicList) g_WorldHooks.deleteMagicList(m_pMagicList);
    m_pMagicList = nullptr;

    g_CurMapGrid = grid;
    g_CurObjMng = mng;
    g_CurHandleTable = table;
    g_CurMagicList = magic;
    g_CurLightList = lights;
    SetCoordMap(coordMap, coordMap ? coordWidth : 0);
}

CHandleTable* CWorld::MakeCurrent() {
    g_CurMapGrid = &m_MapGrid;
    g_CurObjMng = &m_ObjMng;
    g_CurHandleTable = m_pHandles.get();
    g_CurMagicList = m_pMagicList;
    g_CurLightList = &m_LightList;
    SetCoordMap(&m_MapGrid, m_MapGrid.Width());
    return m_pHandles.get();
}

int CWorld::Clear() {
    MakeCurrent();
    m_ObjMng.Clear();
    if (m_pMagicList && g_WorldHooks.clearMagicList) g_WorldHooks.clearMagicList(m_pMagicList);
    ClearCurrentWorld();
    return 1;
}

void CWorld::ApplySceneEnv() {
    if (g_Weather) {
        g_Weather->Reset();
        g_Weather->LoadRecord(m_pScnRow);
    }
    g_SoundEmitters.RemoveAll();
    for (CObjNode* n = m_ObjMng.m_SceneObjs.Head(); n; n = n->Next()) {
        const auto* bld = dynamic_cast<const CBld*>(static_cast<const CGameObj*>(n));
        if (!bld || bld->IsMech()) continue;
        const CBldPart* part = bld->GetPart();
        if (part && part->m_AmbientSound != 0) g_SoundEmitters.Add(part->m_AmbientSound, bld->m_X, bld->m_Y);
    }
    g_SoundEmitters.Restart();
}

const char* CWorld::GetScnName() const {
    if (!m_pScnRow) return nullptr;
    const int id = m_pScnRow->GetInt(19);
    if (id == kTxtEmptyInt) return nullptr;
    return g_TextTable.GetCell(id, 1);
}

int LoadMap(CWorld* world) {
    if (!world) return 0;
    const std::string path = InCj(world->m_MapFile);
    const int ok = world->m_MapGrid.LoadMap(path.c_str());
    if (!ok) ErrorBox(nullptr, 0, "LoadMap\xce\xc4\xbc\xfe\xca\xa7\xb0\xdc", path.c_str());  // "LoadMap文件失败"
    if (g_CurMapGrid == &world->m_MapGrid) SetCoordMap(&world->m_MapGrid, world->m_MapGrid.Width());
    return ok ? 1 : 0;
}

int BuildBld(CWorld* world) {
    if (!world) return 0;
    const std::string path = InCj(world->m_BldFile);
    const int ok = LoadInt(path.c_str());
    world->m_pHandles->Reserve(1000);
    return ok;
}

int BuildObj(CWorld* world) {
    if (!world) return 0;
    world->MakeCurrent();
    const std::string path = InCj(world->m_ObjFile);
    const int ok = world->m_ObjMng.m_Placement.Load(path.c_str());
    world->m_pHandles->Reserve(500);
    world->m_ObjMng.PlaceAll();
    Log(100, nullptr, nullptr);
    return ok;
}

int BuildMap(CWorld* world, const char* scnName) {
    if (!world || !scnName) return 0;
    if (g_WorldHooks.closeSceneJM) g_WorldHooks.closeSceneJM();
    Log(0, nullptr, nullptr);
    const std::string descPath = InCj(scnName) + ".scn";
    int ok = world->Load(descPath.c_str());
    world->Clear();
    world->MakeCurrent();
    world->m_LightList.Clear();

    Log(10, "BuildMap", "Begin");
    ok &= LoadMap(world);
    Log(10, "BuildMap", "End");

    const int hasClient = g_WorldHooks.hostHasClient && g_WorldHooks.hostHasClient();
    const int quiet = g_WorldHooks.isClientQuiet && g_WorldHooks.isClientQuiet();
    const int shared = g_WorldHooks.clientsShareScene && g_WorldHooks.clientsShareScene();
    if (hasClient && !quiet && world->m_MapGrid.Width() >= 64 && !shared && g_WorldHooks.showLoadingWindow)
        g_WorldHooks.showLoadingWindow();

    Log(10, "BuildBldBegin", scnName);
    BuildBld(world);
    Log(10, "BuildBld", "End");

    g_ResList.RemoveNoUse();
    Log(10, "g_ResList.RemoveNoUse", "End");

    if (g_WorldHooks.drawLoadingProgress) g_WorldHooks.drawLoadingProgress(1);

    world->m_pScnRow = g_ScnInfoMdl.FindRowByString(scnName, 0);
    if (world->m_pScnRow) {
        if (g_CurScene) g_CurScene->m_Weather.LoadRecord(world->m_pScnRow);
    } else {
        char text[512];
        // "ScnInfoMdl 没有 %s"
        std::snprintf(text, sizeof text, "ScnInfoMdl \xc3\xbb\xd3\xd0 %s", scnName);
        plat::MessageBox(text, "");
    }

    if (g_WorldHooks.markMapBuilt) g_WorldHooks.markMapBuilt();
    return ok;
}
