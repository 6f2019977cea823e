#pragma once
// Building model files ("mb\fuzz.mdl"), placed on disk or in "mb.fol" by the
// hash of the input. The model is loaded as the cache loads it; an accepted
// model must hold each part where its part id files it, with a mask of
// w x h cells, as many sub-records as its count and every fixed text
// terminated inside its field; then a building of every part (the first
// 24) is made on a small grid, stamped, drawn in both light modes onto a
// small surface, used, cleared and removed.
#include <cstring>
#include <string>

#include "core/directories.h"
#include "bld_world.h"
#include "env.h"
#include "world/buildings/bld_mdl.h"

namespace fuzzharness {

inline void CheckBldModel(const CBldMdl& m) {
    int32_t filed = 0;
    for (const CBldPart* p : m.m_Parts) {
        if (!p) continue;
        if (p->m_Mask.size() != static_cast<size_t>(p->m_GridW) * p->m_GridH) fuzzenv::Fail("mask not w x h");
        if (p->m_Items.size() != p->m_SubCount) fuzzenv::Fail("sub-records not as counted");
        if (!std::memchr(p->m_Name, 0, sizeof p->m_Name)) fuzzenv::Fail("part name not terminated");
        for (const CBldPartItem& it : p->m_Items)
            if (!std::memchr(it.m_Name, 0, sizeof it.m_Name) || it.m_pObj) fuzzenv::Fail("sub-record not clean");
        if (p->m_PartId != 65535) {
            if (m.GetPart(p->m_PartId) != p) fuzzenv::Fail("a part not filed under its id");
            ++filed;
        }
    }
    if (filed != m.m_PartTable.GetCount()) fuzzenv::Fail("the part table holds other parts");
}

inline int RunBldModel(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzenv::PlacedFiles files("mb", {{"fuzz.mdl", bytes}}, fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;
    UseProgramFolder();
    CBldMdl m;
    if (!m.Load("fuzz.mdl")) {
        if (m.m_PartTable.GetCount() != 0) fuzzenv::Fail("a refused model keeps parts");
        return 0;
    }
    CheckBldModel(m);
    BldWorld w(&m);
    BuildEveryPart(w, m, 24);
    return 1;
}

} // namespace fuzzharness
