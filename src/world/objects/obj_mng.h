#pragma once
// The object manager of one world: the only factory of world objects, the
// lists by kind, the per-frame passes that tick and delete them, the draw
// lists by layer, the drops promised to objects, the camp records and the
// name finders. Ticking objects share one random sequence, so the order of
// every walk is kept exactly: lists in insertion order, pools newest first.
#include <cstdint>
#include <string>
#include <vector>

#include "core/containers.h"
#include "world/objects/game_obj.h"
#include "world/objects/obj_desc.h"
#include "world/scene/scn_placement.h"
#include "world/objects/slot_list.h"

class CBldMdl;
class CBldPart;
class CParticleRing;
class CRoleGroupMgr;
class CMerchantMng;

// An item promised to an object, made when the object dies.
class CDropEntry : public CObjNode {
public:
    std::string m_Name;
    ObjHandle m_Owner = 0;
    int32_t m_PropId = 0;
    int32_t m_Count = 0;
};

// The other camps a camp counts as friends of its players (AreRolesHostile).
class CCampRecord : public CObjNode {
public:
    CCampRecord() : m_Others(-1) {}
    int32_t m_Camp = 0;
    CSlotList<int32_t, 200> m_Others;
};

// A list node that refers to an object without owning it (portal list).
class CObjRefNode : public CObjNode {
public:
    CGameObj* m_pObj = nullptr;
};

using CObjPool = CSlotList<CGameObj*, 1000>;

// Where a proximity walk over one list stands: the node it looks at next
// and the list's own cursor, put back when the walk ends. Both stay valid
// when their node is destroyed (the passes delete objects between two
// steps of a walk): they move on as the list's cursor does.
class CListWalk {
public:
    CListWalk();
    ~CListWalk();
    CListWalk(const CListWalk&) = delete;
    CListWalk& operator=(const CListWalk&) = delete;

    // Called for a node about to leave its list (still linked).
    static void NodeLeaving(const CObjNode* node);
    // CObjList::RemoveCurrent, with the walks moved off the node first (the
    // list unlinks it before destroying it).
    static CObjNode* RemoveCurrent(CObjList& list);
    // The walk is over (its list was emptied).
    void Reset() { m_pNext = m_pSavedCursor = nullptr; }

    CObjNode* m_pNext = nullptr;
    CObjNode* m_pSavedCursor = nullptr;
    bool m_Cone = false;  // the walk also checks the direction window

private:
    CListWalk* m_pPrevWalk = nullptr;  // every live walk, for NodeLeaving
    CListWalk* m_pNextWalk = nullptr;
};

class CObjMng {
public:
    static constexpr int kPoolLimit = 999;  // a pool takes at most 999

    CObjMng();
    ~CObjMng();
    // What the destructor does, early: every object and owned part goes
    // (the world runs it while it is current). Safe to run twice.
    void Teardown();
    CObjMng(const CObjMng&) = delete;
    CObjMng& operator=(const CObjMng&) = delete;

    // ---- creation (each returns the object, or null). AddObj owns desc
    // whatever happens: a failed call deletes it.
    CGameObj* AddObj(CObjDesc* desc, int kind, int32_t id, int32_t extra, int32_t placeIndex);
    CGameObj* AddRole(uint16_t modelId, int x, int y, int player, int32_t id, int32_t extra, int patrolX,
                      int patrolY);
    CGameObj* AddProp(int32_t propId, int x, int y, int32_t id, int32_t count);
    CGameObj* AddMagic(int defId, int x, int y, CGameObj* parent, int announce);
    // Buildings and timed animations: written with their classes.
    CGameObj* AddBld(int x, int y, uint16_t modelId, const char* text);
    CGameObj* AddBldAt(int x, int y);
    CGameObj* CreateBld(CObjDesc* desc);
    CGameObj* AddAnimObj(int a, int b, int x, int y);

    // Files the object of a handle (current table) in the list of its kind:
    // 21-29 props, 30-100 roles, 4 creatures, 10-20 scene objects, 6 magic.
    void Register(ObjHandle handle);

    // ---- passes
    void Update();         // first pass: tick, delete the removed
    void UpdateActions();  // second pass (server)
    void PostUpdate();     // client pass
    void ResetCorpses();
    void PlaceAll();
    void Clear();

    // ---- draw lists: layer 0; 1 and 3 share one; 2; 4. Other layers have
    // none (null). An object already in the list stays where it is.
    CObjList* AddToDrawList(CGameObj* obj, int layer);
    void RemoveFromDrawList(CGameObj* obj, CObjList* list);
    CObjList* GetDrawList(int layer);

    // ---- pools: mechanisms/portals and corpses file themselves on
    // construction (newest first) and leave on destruction.
    int AddToMechPool(CGameObj* obj);
    void RemoveFromMechPool(CGameObj* obj);
    int AddToCorpsePool(CGameObj* obj);
    void RemoveFromCorpsePool(CGameObj* obj);
    void AddPortal(CGameObj* obj);
    void RemovePortal(CGameObj* obj);

    // ---- drops
    void SetPropToObj(ObjHandle handle, int32_t propId, int32_t count, const char* name);
    CDropEntry* FindDropByName(const char* name);
    CDropEntry* FindDropByHandle(ObjHandle handle);
    void RemoveDrop(CDropEntry* entry);
    void DropProps(CGameObj* obj, int all);

    // ---- finders
    CGameObj* FindFirstObjByName(const char* name);
    CGameObj* FindNextObjByName();
    CGameObj* FindFirstByGoTarget(const char* text);  // with the buildings
    CGameObj* FindNextByGoTarget();
    CGameObj* FindRoleByName(const char* name);
    CGameObj* FindNextRoleByName(const char* name);
    CGameObj* GetRoleByName(const char* name);
    CGameObj* FindRoleByPlacement(int32_t index);
    int CountLiveBeasties();
    void RefreshRoleMarks();
    CCampRecord* FindCampRecord(int32_t camp);
    // The camp's record lists the other camp.
    int CampListHas(int32_t camp, int32_t other);
    CCampRecord* AddCampRecord(int32_t camp);
    void PreloadRoleFrames(CGameObj* role);

    // ---- proximity (proximity.cpp): roles and magic within r + 1 (+ a
    // role's body radius, + 32 for magic) of (x, y), by list; marked cells
    // by a spiral of the map cells. Each First starts a walk its Next goes on.
    CGameObj* FindFirstRoleNear(int32_t x, int32_t y, int32_t r);
    CGameObj* FindNextRoleNear();
    CGameObj* FindFirstRoleInCone(int32_t x, int32_t y, int32_t dir, int32_t r, int32_t spread);
    CGameObj* FindNextRoleInCone();
    CGameObj* FindFirstMagicNear(int32_t x, int32_t y, int32_t r);
    CGameObj* FindNextMagicNear();
    CGameObj* FindFirstMagicInCone(int32_t x, int32_t y, int32_t dir, int32_t r, int32_t spread);
    CGameObj* FindNextMagicInCone();
    CGameObj* FindFirstMarkedNear(int32_t x, int32_t y, int32_t r);
    CGameObj* FindNextMarkedNear();
    CGameObj* FindFirstMarkedInCone(int32_t x, int32_t y, int32_t dir, int32_t r, int32_t spread);
    CGameObj* FindNextMarkedInCone();
    // The ground objects of the cells within (r + 32) / 64 rings (at least
    // 1) of (x, y); every object of the kind-6 list. Each keeps its own
    // walk, apart from the others'.
    CGameObj* FindFirstPropNear(int32_t x, int32_t y, int32_t r);
    CGameObj* FindNextPropNear();
    CGameObj* FindFirstFlyingMagic();
    CGameObj* FindNextFlyingMagic();
    int IsPreloaded(int32_t modelId) const;

    CObjList m_Roles;
    CObjList m_Magic;
    CObjList m_Drops;
    CBldMdl* m_pBldMdl = nullptr;
    CObjList m_SceneObjs;
    CScnPlacement m_Placement;
    CObjPool m_MechPool;
    CObjList m_Camps;
    CParticleRing* m_pParticles = nullptr;
    CRoleGroupMgr* m_pRoleGroups = nullptr;
    // proximity finders
    int32_t m_FindX = 0;
    int32_t m_FindY = 0;
    int32_t m_FindRadius = 0;
    int32_t m_FindDir = 0;
    int32_t m_FindSpread = 0;
    CListWalk m_RoleWalk;   // the role list walk
    CListWalk m_MagicWalk;  // the magic list walk
    CListWalk m_FlyingWalk; // every flying magic object
    std::string m_GoTargetText;
    int32_t m_GoTargetCursor = -1;
    CMerchantMng* m_pMerchants = nullptr;
    std::string m_NameText;
    int32_t m_NameCursor = -1;
    std::vector<int32_t> m_Preloaded;  // model ids whose frames are loaded
    CObjList m_Props;
    CObjList m_Creatures;
    CObjPool m_CorpsePool;
    CObjList m_DrawLayer2;
    CObjList m_DrawLayer13;
    CObjList m_DrawLayer0;
    CObjList m_DrawLayer4;
    CObjList m_Portals;  // CObjRefNode

private:
    // Makes the object of a kind; `model` gets its row or part.
    CGameObj* MakeObj(CObjDesc* desc, int kind, int32_t id, const void** model);
    // Ticks a list, deleting removed members; `roles` asks the scene's
    // trigger manager to run after each deletion.
    void TickList(CObjList& list, int roles);
    CDropEntry* FindDrop(const char* name, ObjHandle handle, int byName);
    CGameObj* NextRole(CListWalk& walk);
    CGameObj* NextMagic(CListWalk& walk);
};

// Sets the count of a kind-23 prop (world/map_prop.cpp).
void SetMapPropCount(CGameObj* prop, int32_t count);
// Packet 8, a new magic object (7 bytes): type, u16 definition id, u16 x,
// u16 y.
void MakeNewMagicPacket(uint8_t* out, int defId, int x, int y);
// A kind-27 creature that counts as alive: not a companion, not dead
// (world/beastie.cpp).
int IsBeastieLive(const CGameObj* obj);

