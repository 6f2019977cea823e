#include "world/scene/world_globals.h"

CMapGrid* g_CurMapGrid = nullptr;
CObjMng* g_CurObjMng = nullptr;
CHandleTable* g_CurHandleTable = nullptr;
CAttachedMagicList* g_CurMagicList = nullptr;
CObjLightList* g_CurLightList = nullptr;

void ClearCurrentWorld() {
    g_CurMapGrid = nullptr;
    g_CurObjMng = nullptr;
    g_CurHandleTable = nullptr;
    g_CurMagicList = nullptr;
    g_CurLightList = nullptr;
}
