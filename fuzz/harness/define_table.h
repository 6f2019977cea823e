#pragma once
// "#define" headers ("slr\SprRole.h"): read the whole list, then a section
// between two of its own names as the role sprites are read, look names up,
// and check that every name is terminated inside its record and that a
// section is never larger than the file.
#include <cstring>
#include <string>
#include <vector>

#include "env.h"
#include "gfx/define_table.h"

namespace fuzzharness {

inline void CheckDefineRecords(const CDefineTable& t) {
    for (int32_t i = 0; i < t.GetCount(); ++i) {
        const DefineRecord* r = t.GetRecord(i);
        if (!r) fuzzenv::Fail("GetRecord gave null inside the count");
        if (!std::memchr(r->name, 0, DefineRecord::kNameSize)) fuzzenv::Fail("a name is not terminated");
    }
    if (t.GetRecord(t.GetCount()) || t.GetRecord(-1)) fuzzenv::Fail("GetRecord outside the count");
}

inline int RunDefineTable(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzenv::PlacedFiles files("slr", {{"SprRole.h", bytes}}, fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;
    const std::string path = files.Path();

    CDefineTable all(path.c_str(), nullptr, nullptr);
    if (all.GetCount() < 0) return 0;
    CheckDefineRecords(all);
    const int32_t n = all.GetCount();
    if (n > 0) {
        // Names are looked up the way the sprite list is searched.
        const std::string first = all.GetRecord(0)->name;
        int32_t found = -1;
        for (int32_t i = 0; i < n && found < 0; ++i)
            if (first == all.GetRecord(i)->name) found = i;
        if (found != 0) fuzzenv::Fail("the first name is not found first");

        const std::string start = all.GetRecord(n / 3)->name;
        const std::string end = all.GetRecord(2 * n / 3)->name;
        CDefineTable section(path.c_str(), start.c_str(), end.c_str());
        CheckDefineRecords(section);
        if (section.GetCount() > n) fuzzenv::Fail("a section holds more than the file");
        CDefineTable open(path.c_str(), start.c_str(), nullptr);
        CheckDefineRecords(open);
        if (open.GetCount() > n) fuzzenv::Fail("a section holds more than the file");
        std::vector<DefineRecord> records;
        if (CDefineTable::Load(path.c_str(), start.c_str(), end.c_str(), &records) > n)
            fuzzenv::Fail("a section holds more than the file");
    }
    return 1;
}

} // namespace fuzzharness
