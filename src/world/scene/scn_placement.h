#pragma once
// A scene's object list file (the descriptor's "ObjFile"): the characters,
// creatures and props placed in the scene, read into four groups (1
// characters, 2 props, 3 creatures; 0 is never filled from the file).
// CScnPlacement, owned by each object manager, creates the characters and
// creatures once the file is read; scripts take further entries by name.
// Each entry has a used flag: an entry is placed at most once while set.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "world/objects/obj_desc.h"

struct CScnObjGroup {
    int32_t capacity = 10000;
    int32_t count = 0;
    std::vector<std::unique_ptr<CObjDesc>> entries;
    std::vector<int32_t> used;
};

class CIniFile;

class CScnObjFile {
public:
    static constexpr int kGroups = 4;
    static constexpr int kGroupCapacity = 10000;

    CScnObjFile() = default;
    virtual ~CScnObjFile() = default;
    CScnObjFile(const CScnObjFile&) = delete;
    CScnObjFile& operator=(const CScnObjFile&) = delete;

    // Empties every group (capacity 10,000, count 0).
    virtual void Prepare();
    // Run at the end of a load.
    virtual void OnLoaded() {}

    // Keys in file order: "All", "Bld", "CHA", "PROP", "Bea", "BldMdl",
    // then the "CHA" records into group 1, the "Bea" records into group 3
    // and the "PROP" records into group 2. A missing key reads as missing
    // with every key after it. 0 (message box with the path) when the file
    // does not open.
    int Load(const char* path);

    const CScnObjGroup* GetGroup(int n) const { return n >= 0 && n < kGroups ? &m_Groups[n] : nullptr; }
    // Null when the group or index is outside.
    CObjDesc* GetEntry(int i, int group) const;
    // Appends an entry (owned); its index, or -1 when the group is full.
    int AddEntry(int group, std::unique_ptr<CObjDesc> desc);
    // Deletes every entry.
    void Clear() { Prepare(); }

    std::string m_BldMdl;
    std::string m_Path;
    int32_t m_Total = 0;
    CScnObjGroup m_Groups[kGroups];

private:
    // One record into a group; 1 when it was added.
    int ReadRecord(CIniFile& ini, int group, uint32_t* type, bool* atEnd);
};

class CScnPlacement : public CScnObjFile {
public:
    // Creates the characters (kind 31, with their entry index) and the
    // creatures of model ids below 1500 or above 2000 (kind 22) in the
    // current object manager; scripts make the others by name later.
    void OnLoaded() override { CreateObjects(); }
    void CreateObjects();

    // A copy of entry i (the caller owns it), the entry marked used; null
    // when i is outside the group.
    CObjDesc* TakeEntry(int group, int i);
    // The first unused entry of types 10-17 whose event id is the name
    // (ASCII case ignored); -1.
    int FindByName(const char* name, int group) const;
    // The first entry of types 10-17 at the cell, used or not; -1.
    int FindByPos(int32_t x, int32_t y, int group) const;
    // Sets or clears an entry's used flag; outside the group nothing.
    void SetUsed(int group, int index, int used);
    // 0 outside the group.
    int IsUsed(int group, int index) const;
};
