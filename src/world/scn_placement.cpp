#include "world/scn_placement.h"

int CScnPlacement::AddEntry(int group, std::unique_ptr<CObjDesc> desc) {
    if (group < 0 || group >= kGroups) return -1;
    CScnObjGroup& g = m_Groups[group];
    if (g.count >= g.capacity) return -1;
    g.entries.push_back(std::move(desc));
    g.used.push_back(0);
    return g.count++;
}

void CScnPlacement::SetUsed(int group, int index, int used) {
    if (group < 0 || group >= kGroups) return;
    CScnObjGroup& g = m_Groups[group];
    if (index < 0 || index >= g.count) return;
    g.used[static_cast<size_t>(index)] = used;
}

int CScnPlacement::IsUsed(int group, int index) const {
    if (group < 0 || group >= kGroups) return 0;
    const CScnObjGroup& g = m_Groups[group];
    if (index < 0 || index >= g.count) return 0;
    return g.used[static_cast<size_t>(index)];
}

void CScnPlacement::Clear() {
    for (CScnObjGroup& g : m_Groups) {
        g.entries.clear();
        g.used.clear();
        g.count = 0;
    }
}
