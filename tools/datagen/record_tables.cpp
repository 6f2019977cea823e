#include "datagen/record_tables.h"

#include <cstdio>

#include "datagen/bytes.h"

namespace datagen {

namespace {

std::string Num(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
    return buf;
}

void Put(std::vector<std::string>& row, int col, const std::string& text) {
    if (row.size() <= static_cast<size_t>(col)) row.resize(static_cast<size_t>(col) + 1);
    row[static_cast<size_t>(col)] = text;
}

// "" for an empty text, else the length with the NUL, the bytes and the NUL.
void LenString(Bytes& b, const std::string& s) {
    if (s.empty()) {
        b.U32(0);
        return;
    }
    b.U32(static_cast<uint32_t>(s.size() + 1)).Raw(s).U8(0);
}

} // namespace

std::vector<std::string> PlayerInitHeader() { return {"Name", "Class", "AP", "APUp", "DP", "DPUp"}; }

std::vector<std::string> BuildPlayerInitRow(const PlayerInitSpec& s) {
    std::vector<std::string> r;
    Put(r, 0, s.name);
    Put(r, 1, std::to_string(s.classId));
    Put(r, 2, Num(s.ap));
    Put(r, 3, Num(s.apPerLevel));
    Put(r, 4, Num(s.dp));
    Put(r, 5, Num(s.dpPerLevel));
    Put(r, 11, Num(s.maxHP));
    Put(r, 12, Num(s.hpPerLevel));
    Put(r, 13, Num(s.hpResume));
    Put(r, 14, Num(s.maxQi));
    Put(r, 15, Num(s.qiPerLevel));
    Put(r, 16, Num(s.qiResume));
    Put(r, 17, Num(s.st));
    Put(r, 18, Num(s.stPerLevel));
    Put(r, 21, Num(s.hr));
    Put(r, 22, Num(s.hrPerLevel));
    Put(r, 24, std::to_string(s.baseNu));
    Put(r, 25, Num(s.value25));
    Put(r, 26, Num(s.value25PerLevel));
    Put(r, 29, std::to_string(s.money));
    Put(r, 30, s.items);
    Put(r, 31, std::to_string(s.sp));
    Put(r, 32, std::to_string(s.leftSkill));
    Put(r, 33, s.rightSkills);
    return r;
}

std::vector<PlayerInitSpec> DefaultClassRows() {
    std::vector<PlayerInitSpec> rows;
    const int ids[5] = {4, 30, 40, 223, 1};
    const char* names[5] = {"Blade", "Archer", "Monk", "Mystic", "Wanderer"};
    for (int i = 0; i < 5; ++i) {
        PlayerInitSpec s;
        s.name = names[i];
        s.classId = ids[i];
        s.ap = 10.0f + static_cast<float>(i);
        s.maxHP = 100.0f + 10.0f * static_cast<float>(i);
        s.money = 200 + i;
        rows.push_back(s);
    }
    return rows;
}

std::vector<std::string> PlayerSkillHeader() { return {"Name", "Id", "Base", "Group", "Slot"}; }

std::vector<std::string> BuildPlayerSkillRow(const PlayerSkillSpec& s) {
    std::vector<std::string> r;
    Put(r, 0, s.name);
    Put(r, 1, std::to_string(s.id));
    Put(r, 2, std::to_string(s.baseId));
    Put(r, 3, std::to_string(s.group));
    Put(r, 4, std::to_string(s.treeSlot));
    Put(r, 5, std::to_string(s.power));
    Put(r, 6, std::to_string(s.points));
    Put(r, 14, s.shortcut ? std::to_string(s.shortcut) : "");
    Put(r, 16, s.passiveIndex >= 0 ? std::to_string(s.passiveIndex) : "");
    Put(r, 17, s.passiveIndex >= 0 ? Num(s.passiveValue) : "");
    Put(r, 18, s.passive ? std::to_string(s.passive) : "");
    return r;
}

Table BuildFlagTable(const std::vector<std::string>& names) {
    Table t;
    for (size_t i = 0; i < names.size(); ++i) t.push_back({std::to_string(i + 1), names[i]});
    return t;
}

Table PlayerInitTable(const std::vector<PlayerInitSpec>& classes) {
    Table t = {PlayerInitHeader()};
    for (const PlayerInitSpec& c : classes) t.push_back(BuildPlayerInitRow(c));
    return t;
}

Table PlayerSkillTable(const std::vector<PlayerSkillSpec>& skills) {
    Table t = {PlayerSkillHeader()};
    for (const PlayerSkillSpec& s : skills) t.push_back(BuildPlayerSkillRow(s));
    return t;
}

std::vector<PlayerSkillSpec> DefaultPlayerSkills() {
    PlayerSkillSpec strike;
    strike.name = "Strike";
    strike.id = 1;
    strike.baseId = 1;
    PlayerSkillSpec arrow;
    arrow.name = "Arrow";
    arrow.id = 2;
    arrow.baseId = 2;
    arrow.treeSlot = 1;
    return {strike, arrow};
}

std::vector<std::string> DefaultFlagNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= 10; ++i) names.push_back("local" + std::to_string(i));
    names.push_back("1-6s");
    return names;
}

std::string BuildRoleRecord(const RoleRecordSpec& s) {
    Bytes b;
    LenString(b, s.name);
    LenString(b, s.picture);
    LenString(b, s.sprite);
    b.I32(s.exp).I32(s.nextExp).I32(s.level).I32(s.money);
    b.I32(s.hp).I32(s.qi).I32(s.nu).I32(s.st);
    b.F32(s.ap).F32(s.dp).F32(s.maxHP).F32(s.maxQi).F32(s.baseST).F32(s.value25);
    b.F32(s.hr);
    b.I32(s.baseNu).F32(s.hpResume).F32(s.qiResume).I32(s.sp);
    b.I32(s.hpPotion).I32(s.qiPotion).I32(s.autoSort);
    b.I32(s.weapons).I32(s.equips).I32(s.classId);
    b.I32(s.skillPoints);
    b.I32(s.sceneId);
    b.I32(s.entryX).I32(s.entryY);
    b.F32(s.maxNu);
    b.I32(s.bank);
    b.I32(s.act);
    for (int i = 0; i < 7; ++i) b.I32(0);
    b.I32(static_cast<int32_t>(s.skills.size()));
    for (int32_t id : s.skills) b.I32(id);
    b.I32(static_cast<int32_t>(s.flags.size()));
    for (const RecordFlagSpec& f : s.flags) {
        b.I32(f.value).I32(f.id);
        LenString(b, f.name);
    }
    b.I32(s.cursor);
    for (size_t i = 0; i < 136; ++i) b.I32(i < s.slots.size() ? s.slots[i] : -1);
    b.I32(static_cast<int32_t>(s.items.size()));
    for (const RecordItemSpec& it : s.items) {
        b.I32(it.propId).I32(it.count).I32(it.pool).I32(it.level).I32(it.price).I32(it.valueA).I32(it.valueB);
        LenString(b, it.text);
    }
    return b.str();
}

} // namespace datagen
