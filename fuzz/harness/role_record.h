#pragma once
// The role record: "trigger\flag.txt", "player\init.txt", "Player\Skill.txt"
// and "ActMdl.txt" (the first four parts of one input, split at form
// feeds), then the serialised record (every byte after the fourth form
// feed, taken as it is). The item models are a fixed table with one item of
// each kind group. An accepted record is summed, its skill tree and revive
// scene read, saved, loaded again and saved again: both saves must be the
// same bytes.
#include <cstdio>
#include <string>
#include <vector>

#include "core/directories.h"
#include "core/txt_table.h"
#include "datagen/table_writer.h"
#include "env.h"
#include "platform/fs.h"
#include "roles/record/role_data.h"

namespace fuzzharness {

// One item model of each kind group, equipment with and without its own
// attribute template.
inline std::string RoleRecordPropTable() {
    datagen::Table t = {{"Name", "Id", "Kind"}};
    const int kinds[] = {0, 10, 15, 20, 25, 30, 31, 35, 40, 50, 59, 62};
    for (int i = 0; i < 12; ++i) {
        std::vector<std::string> r(16);
        r[0] = "Item" + std::to_string(i);
        r[1] = std::to_string(i + 1);
        r[2] = std::to_string(kinds[i]);
        r[6] = kinds[i] / 10 == 2 || kinds[i] / 10 == 1 ? "1" : "0";
        r[7] = "100";
        r[8] = std::to_string(i % 10);
        r[10] = kinds[i] == 30 ? "ATB AP 5*ATB MAXHP 10%" : kinds[i] == 31 ? "ATB DP -3" : "";
        t.push_back(r);
    }
    return datagen::BuildTable(t);
}

// The first four form-feed parts, and the rest unsplit.
inline std::vector<std::string> SplitRoleRecordInput(const std::string& bytes) {
    std::vector<std::string> parts(5);
    size_t part = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (part == 4) {
            parts[4] = bytes.substr(i);
            break;
        }
        if (bytes[i] == '\f') {
            ++part;
            continue;
        }
        parts[part].push_back(bytes[i]);
    }
    return parts;
}

inline std::string RoleRecordBytes(const CRoleData& r) {
    char* buf = nullptr;
    size_t len = 0;
    FILE* f = open_memstream(&buf, &len);
    if (!f) fuzzenv::Fail("open_memstream");
    if (r.WriteRecord(f, 0, 0) != 1) fuzzenv::Fail("a record did not write");
    std::fclose(f);
    std::string s(buf, len);
    std::free(buf);
    return s;
}

inline int LoadRoleRecord(CRoleData& r, std::string bytes) {
    if (bytes.empty()) bytes.push_back('\0');  // fmemopen takes no empty buffer; one byte is as short
    FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!f) fuzzenv::Fail("fmemopen");
    const int ok = r.LoadRole(f);
    std::fclose(f);
    return ok;
}

inline int RunRoleRecord(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    // The record reads its flags from the program folder's data folder;
    // the current directory stays (libFuzzer writes there).
    static std::string s_home;
    if (s_home != fuzzenv::ProgramHome().native) {
        s_home = fuzzenv::ProgramHome().native;
        const std::string cwd = plat::GetCurrentDir();
        SetProgramDirectory(0);
        plat::SetCurrentDir(cwd);
    }
    const std::vector<std::string> parts =
        SplitRoleRecordInput(std::string(reinterpret_cast<const char*>(data), size));
    const fuzzenv::Place place = fuzzenv::PlaceFor(data, size);
    const char sep = place == fuzzenv::Place::Disk ? '/' : '\\';
    fuzzenv::PlacedFiles files("mb",
                               {{std::string("trigger") + sep + "flag.txt", parts[0]},
                                {std::string("player") + sep + "init.txt", parts[1]},
                                {std::string("Player") + sep + "Skill.txt", parts[2]},
                                {"ActMdl.txt", parts[3]},
                                {"PropMdl.txt", RoleRecordPropTable()}},
                               place);
    if (!files.Ready()) return -1;
    g_PlayerInitTable.Load(files.Path(1).c_str(), -1, 1, 1);
    g_PlayerSkillTable.Load(files.Path(2).c_str(), 1, 1, 1);
    g_ActMdlTable.Load(files.Path(3).c_str(), 1, 1, 1);
    g_PropMdlTable.Load(files.Path(4).c_str(), 1, 1, 1);

    int accepted = 0;
    {
        CRoleData r;
        accepted = LoadRoleRecord(r, parts[4]);
        if (accepted) {
            int64_t sum = 0;
            for (int v : {r.GetAP(), r.GetDP(), r.GetMaxHP(), r.GetMaxQi(), r.GetST(), r.GetSH(), r.GetHR(), r.GetSP(),
                          r.GetIceDp(), r.GetFireDp(), r.GetPoisonDp()})
                sum += v;
            const float rates = r.GetNu() + r.GetHPResume() + r.GetQiResume();  // any float, NaN too
            (void)rates;
            r.SortQuickSlots();
            r.UpdatePotions();
            (void)r.GetReviveScene();
            for (int i = -1; i < 17; ++i) {
                const CTxtRow* learned = nullptr;
                const CTxtRow* next = nullptr;
                r.GetSkillSlotRows(&learned, &next, i);
                sum += static_cast<int64_t>(r.CountSkillPower(i)) + r.CanLearnSkill(next);
            }
            (void)sum;
            const std::string once = RoleRecordBytes(r);
            CRoleData again;
            if (LoadRoleRecord(again, once) != 1) fuzzenv::Fail("a saved record did not load");
            if (RoleRecordBytes(again) != once) fuzzenv::Fail("a saved record loaded to other bytes");
        }
    }
    g_PlayerInitTable.Clear();
    g_PlayerSkillTable.Clear();
    g_ActMdlTable.Clear();
    g_PropMdlTable.Clear();
    plat::SRand(1);
    return accepted;
}

} // namespace fuzzharness
