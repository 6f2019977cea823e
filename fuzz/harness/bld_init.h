#pragma once
// Building init files ("cj\fuzz.int"), placed on disk or in "cj.fol" by the
// hash of the input, read with LoadInt against a fixed model ("mb\fuzz.mdl"
// on disk: the demo's parts, written once). The buildings it accepts stand
// in file order with upper handles; each is exercised and removed, and no
// mark may stay behind.
#include <string>

#include "bld_world.h"
#include "datagen/demo_bld.h"
#include "env.h"
#include "world/buildings/bld_init.h"

namespace fuzzharness {

inline constexpr char kFuzzBldModel[] = "fuzz.mdl";

inline bool WriteFixedBldModel() {
    return fuzzenv::PutFile(fuzzenv::ProgramHome().native + "mb/" + kFuzzBldModel,
                            datagen::BuildBldModel(datagen::BuildDemoBldModel(0)));
}

inline int RunBldInit(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzenv::PlacedFiles files("cj", {{"fuzz.int", bytes}}, fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;
    UseProgramFolder();
    g_MdlCache.Clear();  // every input reads the model afresh
    int ok = 0;
    {
        BldWorld w(nullptr);
        ok = LoadInt(files.Path().c_str());
        std::vector<uint16_t> marks;
        uint32_t last = 0;
        for (CObjNode* n = w.Mng().m_SceneObjs.Head(); n; n = n->Next()) {
            auto* b = dynamic_cast<CBld*>(static_cast<CGameObj*>(n));
            if (!b) fuzzenv::Fail("a scene object that is not a building");
            const uint32_t index = b->m_Handle & 0x7FFF;
            if (index < 8192 || index <= last) fuzzenv::Fail("buildings not in file order with upper handles");
            last = index;
            w.Exercise(b);
            marks.push_back(static_cast<uint16_t>(b->m_Handle));
        }
        w.Mng().PlaceAll();
        for (CObjNode* n = w.Mng().m_SceneObjs.Head(); n; n = n->Next()) static_cast<CGameObj*>(n)->Remove();
        w.Mng().Update();
        w.CheckNoMarksOf(marks);
        if (w.Mng().m_MechPool.GetCount() != 0 || w.Mng().m_Portals.Head()) fuzzenv::Fail("a removed building stays filed");
    }
    // The model this input read goes with it: an input whose allocations do
    // not balance is run a second time by libFuzzer to look for a leak.
    g_MdlCache.Clear();
    return ok ? 1 : 0;
}

} // namespace fuzzharness
