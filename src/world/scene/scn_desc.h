#pragma once
// The scene descriptor ("<scene>.scn", a key=value file): the names of the
// scene's map, building init and object list files, and its portals, the
// named points where roles arrive from elsewhere.
#include <cstdint>
#include <string>

#include "world/objects/slot_list.h"

struct CScnPortal {
    std::string m_Name;
    int32_t m_X = 0;  // map cells
    int32_t m_Y = 0;
    int32_t m_Dir = 0;
};

class CScnDesc {
public:
    static constexpr int kNameSize = 256;
    static constexpr int kMaxPortals = 299;  // of the table's 300 slots

    CScnDesc();
    virtual ~CScnDesc();
    CScnDesc(const CScnDesc&) = delete;
    CScnDesc& operator=(const CScnDesc&) = delete;

    // Keys are read in file order ("MapFile", "BldFile", "ObjFile",
    // "PortalNum", per portal "PreScn" "MapX" "MapY" "Dir", "RadarID"); a
    // missing key leaves its value, and every later key reads as missing.
    // 0 (after a message box with the path) when the file does not open.
    int Load(const char* path);
    void Reset();
    // Copies the record in before the first slot: a walk from the first
    // slot meets the newest portal first. Past 299 portals nothing is kept
    // and a message box says so.
    void AddPortal(const CScnPortal& rec);
    // The newest portal of that name (ASCII case ignored); null when none.
    CScnPortal* FindPortal(const char* name) const;
    // One of the portals of that name, each with equal chance (reservoir
    // draw on the shared random sequence); null when none.
    CScnPortal* PickPortal(const char* name) const;
    // The newest portal; null when the table is empty.
    CScnPortal* GetLastPortal() const;
    void ClearPortals();
    int GetPortalCount() const { return m_PortalNum; }

    int32_t m_Word = 0;
    char m_ScnName[kNameSize] = {};
    char m_MapFile[kNameSize] = {};
    char m_BldFile[kNameSize] = {};
    char m_ObjFile[kNameSize] = {};
    int32_t m_PortalNum = 0;  // portals accepted
    CSlotList<CScnPortal*, 300> m_Portals{nullptr};
    int32_t m_RadarId = -1;
};
