#pragma once
// The root of every object placed in a world, and the two bases under it
// that this library adds to (CMapObj, CBldBase). Roles and magic objects
// derive from these in the role library; the world never names their
// classes and tests only the object kind:
//   1 plain CGameObj; 4 flying creature; 6 animated magic; 7 attached magic;
//   10-20 buildings (11 plain, 12 with states, 13 portal); 21-29 props
//   (22 timed/footprint/one-shot animations, 23 item on the map, 24 owned
//   prop, 25 corpse, 26 flung body part, 27 ground or water creature);
//   30-100 roles (31 role, 40 AI role, 60 the player's character).
#include <cstdint>
#include <string>

#include "core/containers.h"
#include "core/geometry.h"
#include "world/objects/handle_table.h"

class CAnimRes;
class CObjDesc;
class CObjMng;
class CMapGrid;
class CGameObj;

// The node by which an object sits in one draw list of its manager; each
// object carries its own, so filing and leaving cost nothing to search.
class CDrawNode : public CObjNode {
public:
    CGameObj* m_pObj = nullptr;
};

class CGameObj : public CObjNode {
public:
    CGameObj();
    // Deletes the record, frees the handle in the table the object
    // registered with (not whatever table is current), leaves its draw list.
    ~CGameObj() override;

    // Slots 1-10 (slot 0 is the destructor).
    virtual CAnimRes* GetAnim();                     // 1: null
    virtual int SetPos(int x, int y);                // 2: returns x
    virtual int Init(CObjDesc* desc);                // 3: takes the record, SetTilePos
    // 4: the model: a "Role.txt"/"BeastieMdl.txt"/"PropMdl.txt" row
    // (const CTxtRow*) for roles, creatures and props; the part record
    // (const CBldPart*) for buildings.
    virtual int InitModel(const void* model);
    virtual int Tick();                              // 5
    virtual int Draw(int mode);                      // 6
    virtual void UpdateScreenRect();                 // 7
    // 8: frees the placement entry (records of type 10-17 taken from group
    // 1) in the manager the object registered with, then sets the removed
    // flag; the manager's next pass deletes it.
    virtual int Remove();
    virtual int FreeRes();                           // 9
    virtual int LoadRes();                           // 10

    // id -1: a lower handle; 0: an upper handle; above 0: that fixed handle.
    // Kind 4 then files at draw layer 2, kinds 21-29 at layer 0. The table
    // and manager current now are kept for the object's whole life.
    ObjHandle Register(int32_t id);
    // Null empties; every 0x0E becomes a blank.
    void SetName(const char* text);
    // Roles: column 0 of their model row (through the hooks); others the
    // name field.
    const char* GetName() const;
    // The record's name: types 10-17 their text, types 100-103 their shape
    // field through ResolveTextRef; else null.
    const char* GetPictureName() const;
    // Writes the cell into the record and stands on the cell's centre.
    void SetTilePos(int cx, int cy);
    // One step of screen motion turned into world motion.
    void MoveIso(int dx, int dy);
    // CTriggerMgr::ExecuteActions of the current scene with this object as
    // subject; 0 when there is no scene or no script layer.
    int RunActions(const char* text);
    // Leaves the draw list, stores the layer and files in that layer's
    // list of the object's manager (none for a layer without a list).
    void SetDrawLayer(int layer);
    void LeaveDrawList();

    // Stores the class it is given (passability reads real classes).
    void SetWalkClass(uint8_t walkClass) { m_WalkClass = walkClass; }
    // Below 11 -> 11, 12 -> 13, 14 or 16 -> 15, others kept.
    void SetMoverWalkClass();
    int IsWalkClassRestricted() const { return m_WalkClass >= 10 ? 1 : 0; }

    int IsRole() const { return m_Kind >= 30 && m_Kind <= 100; }
    CObjDesc* GetDesc() const { return m_pDesc; }
    CHandleTable* GetTable() const { return m_pTable; }
    CObjMng* GetMng() const { return m_pMng; }
    void SetMng(CObjMng* mng) { m_pMng = mng; }

    ObjHandle m_Handle = 0;
    int32_t m_DataId = -1;
    int32_t m_DerivedWord = 0;
    int32_t m_PlaceIndex = -1;  // group-1 entry of the placement list, -1
    std::string m_Name;
    CObjDesc* m_pDesc = nullptr;  // owned
    int32_t m_X = 0;
    int32_t m_Y = 0;
    CGameRect m_ScreenRect;
    int32_t m_ScreenWord = 0;
    int32_t m_ScreenX = 0;
    int32_t m_ScreenY = 0;
    uint32_t m_Removed = 0;
    uint16_t m_ModelId = 0;
    uint32_t m_FixedHandle = 0;
    uint32_t m_Active = 1;
    CObjList* m_pDrawList = nullptr;  // the draw list filed in, or null
    uint8_t m_WalkClass = 1;
    int32_t m_Height = 0;
    int32_t m_Kind = 1;
    int32_t m_DrawLayer = 0;
    // Bits the classes of the libraries above set while an object is of
    // their class, so that their casts need no dynamic_cast (CActor: 1,
    // CRole: 2).
    uint8_t m_ClassBits = 0;

    CDrawNode m_DrawNode;

private:
    CHandleTable* m_pTable = nullptr;  // the table the handle came from
    CObjMng* m_pMng = nullptr;         // the manager current at construction/Register
};

// An object standing on a map: keeps the grid current at Init.
class CMapObj : public CGameObj {
public:
    CMapObj();
    ~CMapObj() override;
    int Init(CObjDesc* desc) override;

    CMapGrid* m_pGrid = nullptr;
};

// Base of the buildings.
class CBldBase : public CMapObj {
public:
    CBldBase() = default;
    ~CBldBase() override;
};

// Grows (x, y, w, h) by n times 5 percent of its size: each side by half,
// upwards only (twice the growth off y) unless centred.
void InflateRectPercent(CGameRect& rect, int n, int centred);
