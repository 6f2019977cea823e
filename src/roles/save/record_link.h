#pragma once
// The save manager's calls into the role data record. The record's own
// serialisation (SaveRole / LoadRole on a stream) writes and reads its
// bytes; the save manager surrounds them with the summary, the HUD block
// and the trailer. Kept as a table so the save tests can run the manager
// on a small stand-in record as well as on the real one, which
// record_link.cpp installs.
#include <cstdint>
#include <cstdio>

class CRoleData;

struct CSaveRecordOps {
    CRoleData* (*create)() = nullptr;
    void (*destroy)(CRoleData* record) = nullptr;
    // CRoleData::SaveRole / LoadRole: 1 or 0.
    int (*saveRole)(CRoleData* record, FILE* file) = nullptr;
    int (*loadRole)(CRoleData* record, FILE* file) = nullptr;
    int32_t (*level)(const CRoleData* record) = nullptr;
    // After a load is committed: the record's class and act take effect.
    void (*applyClassAndAct)(CRoleData* record) = nullptr;
    // ImportCharacter's step 2: the old game's record gives money,
    // experience and five items to the local one.
    void (*importInto)(CRoleData* local, const CRoleData* old) = nullptr;
};

extern CSaveRecordOps g_SaveRecordOps;
// The record can be written and read: without, there is no game to save
// (callers then have nothing to report).
inline bool SaveRecordLinked() { return g_SaveRecordOps.saveRole && g_SaveRecordOps.loadRole; }
// The real record's operations (what g_SaveRecordOps holds at start).
CSaveRecordOps RealSaveRecordOps();
