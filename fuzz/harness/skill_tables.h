#pragma once
// The skill tables ("Skill.ini", "SkillChild.ini", "Skill.gop", the three
// parts of one input): load, look up every id of the map, walk every record
// and its effect records and value list, then load again and expect the
// same tables.
#include <cstring>
#include <string>

#include "env.h"
#include "roles/tables/skill_table.h"
#include "split_files.h"

namespace fuzzharness {

inline void CheckSkillName(const SkillHead& h) {
    if (!std::memchr(h.name, 0, kSkillNameSize)) fuzzenv::Fail("a skill name is not terminated");
    uint8_t field[kSkillTextFieldSize];
    h.TextField(field);
    if (field[kSkillTextFieldSize - 1] != 0) fuzzenv::Fail("a text field is not terminated");
}

template <class Table, class IdOf>
void CheckSkillMap(const Table& t, IdOf idOf) {
    for (int i = 0; i < t.GetCount(); ++i) {
        const auto* d = t.GetRecord(i);
        if (!d) fuzzenv::Fail("GetRecord gave null inside the count");
        CheckSkillName(*d);
        const int id = idOf(*d);
        if (id < 0 || id >= t.MapSize()) fuzzenv::Fail("a record's id lies outside the id map");
        if (!t.GetAt(id)) fuzzenv::Fail("a record's id is not in the map");
    }
    int found = 0;
    for (int id = -1; id <= t.MapSize(); ++id)
        if (const auto* d = t.GetAt(id)) {
            ++found;
            if (idOf(*d) != id) fuzzenv::Fail("the id map holds a record under another id");
        }
    if (found > t.GetCount()) fuzzenv::Fail("the id map holds more than the records");
    if (t.GetRecord(-1) || t.GetRecord(t.GetCount())) fuzzenv::Fail("GetRecord outside the count");
}

inline void WalkEffects(const std::vector<SkillEffect>& effects, uint16_t count) {
    if (effects.size() != count) fuzzenv::Fail("the effect count differs from the records held");
    // Every field read, as the magic object's lists read them.
    uint32_t sum = 0;
    for (const SkillEffect& e : effects)
        for (int32_t v : {e.list, e.selector, e.effectClass, e.p1, e.p2, e.p3, e.spare1, e.spare2})
            sum += static_cast<uint32_t>(v);
    (void)sum;
}

inline void CheckSkillTables() {
    CheckSkillMap(g_SkillTable, [](const CSkillDef& d) { return int(d.id); });
    CheckSkillMap(g_SkillChildTable, [](const CSkillChildDef& d) { return int(d.id); });
    CheckSkillMap(g_SkillGopTable, [](const CSkillGopDef& d) { return int(d.groupId); });
    for (int i = 0; i < g_SkillTable.GetCount(); ++i) {
        const CSkillDef& d = *g_SkillTable.GetRecord(i);
        WalkEffects(d.effects, d.effectCount);
        if (d.rangeCells < 1) fuzzenv::Fail("a range below 1 cell");
        int release = 0;
        for (const SkillEffect& e : d.effects) release |= e.list == 4;
        if (release != d.releaseFlag) fuzzenv::Fail("the release flag does not match the records");
    }
    for (int i = 0; i < g_SkillChildTable.GetCount(); ++i) {
        const CSkillChildDef& d = *g_SkillChildTable.GetRecord(i);
        WalkEffects(d.effects, d.effectCount);
    }
    for (int i = 0; i < g_SkillGopTable.GetCount(); ++i) {
        const CSkillGopDef& d = *g_SkillGopTable.GetRecord(i);
        if (d.count != int(d.values.size())) fuzzenv::Fail("a group's count differs from its values");
        (void)d.GetIcon();
        for (int k = -1; k <= d.count; ++k) {
            const int32_t v = g_SkillGopTable.GetValue(d.groupId, k);
            const bool inside = k >= 0 && k < d.count;
            if (g_SkillGopTable.GetAt(d.groupId) == &d) {
                if (inside && v != d.values[size_t(k)]) fuzzenv::Fail("GetValue differs from the value list");
                if (!inside && v != -1) fuzzenv::Fail("GetValue outside the list is not -1");
            }
            if (inside) {
                const int at = d.FindValue(d.values[size_t(k)]);
                if (at < 0 || at > k) fuzzenv::Fail("FindValue misses a value");
            }
        }
    }
}

inline int RunSkillTables(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    const std::vector<std::string> parts =
        SplitInputFiles(std::string(reinterpret_cast<const char*>(data), size), 3);
    fuzzenv::PlacedFiles files(
        "mb", {{"Skill.ini", parts[0]}, {"SkillChild.ini", parts[1]}, {"Skill.gop", parts[2]}},
        fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;
    g_SkillTable.Load(files.Path(0).c_str());
    g_SkillChildTable.Load(files.Path(1).c_str());
    g_SkillGopTable.Load(files.Path(2).c_str());
    CheckSkillTables();
    const int counts[3] = {g_SkillTable.GetCount(), g_SkillChildTable.GetCount(), g_SkillGopTable.GetCount()};
    g_SkillTable.Load(files.Path(0).c_str());
    g_SkillChildTable.Load(files.Path(1).c_str());
    g_SkillGopTable.Load(files.Path(2).c_str());
    CheckSkillTables();
    if (counts[0] != g_SkillTable.GetCount() || counts[1] != g_SkillChildTable.GetCount() ||
        counts[2] != g_SkillGopTable.GetCount())
        fuzzenv::Fail("a second load gave other tables");
    g_SkillTable.Clear();
    g_SkillChildTable.Clear();
    g_SkillGopTable.Clear();
    return 1;
}

} // namespace fuzzharness
