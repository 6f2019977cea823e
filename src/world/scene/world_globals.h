#pragma once
// The current world: what CWorld::MakeCurrent switches (g_CurScene lives
// with the scenes). Nearly every world operation works on these.
class CMapGrid;
class CObjMng;
class CHandleTable;
class CAttachedMagicList;
class CObjLightList;

extern CMapGrid* g_CurMapGrid;
extern CObjMng* g_CurObjMng;
extern CHandleTable* g_CurHandleTable;
extern CAttachedMagicList* g_CurMagicList;
extern CObjLightList* g_CurLightList;

// All five null (no world current).
void ClearCurrentWorld();
