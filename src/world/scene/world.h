#pragma once
// One scene's whole data: descriptor, map grid, objects, handles, attached
// magic and object lights. Everything runs in one thread and reads the five
// current-world pointers (world_globals.h), so code switches worlds with
// MakeCurrent before it touches another world's objects.
#include <memory>

#include "world/objects/handle_table.h"
#include "world/map/map_grid.h"
#include "world/sky/obj_light.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_desc.h"

class CAttachedMagicList;
class CTxtRow;

class CWorld : public CScnDesc {
public:
    CWorld();
    ~CWorld() override;

    // Points the five current-world pointers (and the coordinate helpers'
    // map) at this world; returns its handle table.
    CHandleTable* MakeCurrent();
    // Removes the objects and the attached magic; handle generations and
    // cursors stay, so a rebuild hands out handles after the old ones.
    // Leaves no world current. 1.
    int Clear();
    // Client side, after the client world is built: the weather takes the
    // scene's row and the ambient sounds of the buildings start again.
    void ApplySceneEnv();
    // The UI text named by column 19 of the scene's row; null without one.
    const char* GetScnName() const;

    CMapGrid m_MapGrid;
    CObjMng m_ObjMng;
    std::unique_ptr<CHandleTable> m_pHandles;
    CAttachedMagicList* m_pMagicList = nullptr;
    CObjLightList m_LightList;
    const CTxtRow* m_pScnRow = nullptr;  // "ScnInfo.txt" row, set by BuildMap
};

// Builds the world's static contents from "<scene>.scn": the descriptor, the
// map and the buildings, with the loading log and window. 1, or 0 when the
// descriptor or the map could not be read (the world is still built as far
// as it goes, the message boxes shown).
int BuildMap(CWorld* world, const char* scnName);
// The descriptor's map from the data folder. 1, or 0 after an error box.
int LoadMap(CWorld* world);
// The descriptor's building init file; then 1000 upper handles are skipped.
// LoadInt's result.
int BuildBld(CWorld* world);
// The descriptor's object list into the placement list, which creates its
// objects; 500 upper handles skipped; everything placed on the map; the end
// of the loading log. The object list's Load result.
int BuildObj(CWorld* world);
