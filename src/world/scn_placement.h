#pragma once
// The entries of a scene's object file in four groups (group 1 characters,
// 2 props, 3 creatures; group 0 is never filled), each entry with a used
// flag: an entry is placed at most once while its flag is set.
// PLACEHOLDER until the scene object list is read from its file: the groups
// are filled only through AddEntry and nothing is created from them.
#include <cstdint>
#include <memory>
#include <vector>

#include "world/obj_desc.h"

struct CScnObjGroup {
    int32_t capacity = 10000;
    int32_t count = 0;
    std::vector<std::unique_ptr<CObjDesc>> entries;
    std::vector<int32_t> used;
};

class CScnPlacement {
public:
    static constexpr int kGroups = 4;

    // Appends an entry (owned) to a group; its index, or -1.
    int AddEntry(int group, std::unique_ptr<CObjDesc> desc);
    // Sets or clears an entry's used flag; outside the group nothing.
    void SetUsed(int group, int index, int used);
    // 0 outside the group.
    int IsUsed(int group, int index) const;
    const CScnObjGroup* GetGroup(int n) const { return n >= 0 && n < kGroups ? &m_Groups[n] : nullptr; }
    // Deletes every entry.
    void Clear();

    CScnObjGroup m_Groups[kGroups];
};
