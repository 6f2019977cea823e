#pragma once
// Scene descriptors ("cj\fuzz.scn"), placed on disk or in "cj.fol" by the
// hash of the input. An accepted descriptor must answer every portal query
// consistently: at most 299 portals, the first slot the newest, each name
// found (without regard to case) and picked among its namesakes only.
#include <string>
#include <vector>

#include "env.h"
#include "platform/text.h"
#include "world/scene/scn_desc.h"

namespace fuzzharness {

inline int RunScnDesc(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzenv::PlacedFiles files("cj", {{"fuzz.scn", bytes}}, fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;
    CScnDesc d;
    if (!d.Load(files.Path().c_str())) return 0;
    if (std::string(d.m_ScnName) != "fuzz") fuzzenv::Fail("the scene name is not the file's");
    const int n = d.GetPortalCount();
    if (n < 0 || n > CScnDesc::kMaxPortals || n != d.m_Portals.GetCount()) fuzzenv::Fail("portal count");
    std::vector<const CScnPortal*> walk;
    for (int i = d.m_Portals.First(); i >= 0 && walk.size() <= 300; i = d.m_Portals.Next(i))
        walk.push_back(d.m_Portals.GetAt(i));
    if (static_cast<int>(walk.size()) != n) fuzzenv::Fail("the portal walk does not meet every portal once");
    if ((n == 0) != (d.GetLastPortal() == nullptr) || (n && d.GetLastPortal() != walk[0]))
        fuzzenv::Fail("the last portal is not the first slot's");
    // Past the file's end every portal is a copy of the last: a name is
    // checked once however many portals carry it (sixteen samples of one
    // name made 48 picks, each a walk of all 299 portals).
    std::vector<const std::string*> checked;
    for (size_t i = 0; i < walk.size(); i += 1 + walk.size() / 16) {
        const std::string& name = walk[i]->m_Name;
        bool seen = false;
        for (const std::string* c : checked) seen = seen || plat::EqualsNoCase(*c, name);
        if (seen) continue;
        checked.push_back(&name);
        const CScnPortal* found = d.FindPortal(name.c_str());
        if (!found || !plat::EqualsNoCase(found->m_Name, name)) fuzzenv::Fail("a portal is not found by its name");
        for (size_t j = 0; j < walk.size() && walk[j] != found; ++j)
            if (plat::EqualsNoCase(walk[j]->m_Name, name)) fuzzenv::Fail("a newer namesake was passed over");
        for (int k = 0; k < 3; ++k) {
            const CScnPortal* picked = d.PickPortal(name.c_str());
            if (!picked || !plat::EqualsNoCase(picked->m_Name, name)) fuzzenv::Fail("a pick of another name");
        }
    }
    if (d.FindPortal("\x01no such portal") || d.PickPortal("\x01no such portal")) fuzzenv::Fail("a portal of no name");
    d.ClearPortals();
    if (d.GetLastPortal() || d.GetPortalCount()) fuzzenv::Fail("portals stay after ClearPortals");
    return 1;
}

} // namespace fuzzharness
