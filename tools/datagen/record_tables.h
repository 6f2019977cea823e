#pragma once
// The tables of the player's character record ("player\init.txt",
// "Player\Skill.txt", "trigger\flag.txt") and a writer of the serialised
// record, built field by field from the format, not from the game's reader.
#include <cstdint>
#include <string>
#include <vector>

#include "datagen/table_writer.h"

namespace datagen {

// A row of "player\init.txt" (one header row, found by column 1).
struct PlayerInitSpec {
    std::string name = "Class";
    int classId = 4;
    float ap = 10, apPerLevel = 2;        // 2, 3
    float dp = 5, dpPerLevel = 1;         // 4, 5
    float maxHP = 100, hpPerLevel = 10;   // 11, 12
    float hpResume = 4;                   // 13
    float maxQi = 50, qiPerLevel = 5;     // 14, 15
    float qiResume = 2;                   // 16
    float st = 30, stPerLevel = 3;        // 17, 18
    float hr = 60, hrPerLevel = 1;        // 21, 22
    int baseNu = 100;                     // 24
    float value25 = 7, value25PerLevel = 1;  // 25, 26
    int money = 200;                      // 29
    std::string items;                    // 30: "id*count*id*count"
    int sp = 4;                           // 31
    int leftSkill = 1;                    // 32
    std::string rightSkills = "2";        // 33: "id" or "id*second"
};
std::vector<std::string> BuildPlayerInitRow(const PlayerInitSpec& spec);
std::vector<std::string> PlayerInitHeader();
// The five classes 4, 30, 40, 223 and 1, each a little different.
std::vector<PlayerInitSpec> DefaultClassRows();

// A row of "Player\Skill.txt" (one header row, key column 1).
struct PlayerSkillSpec {
    std::string name = "Skill";
    int id = 1;
    int baseId = 1;       // 2
    int group = 1;        // 3
    int treeSlot = 0;     // 4
    int power = 0;        // 5
    int points = 0;       // 6
    int shortcut = 0;     // 14
    int passiveIndex = -1;   // 16
    float passiveValue = 0;  // 17
    int passive = 0;         // 18: -1 marks a passive skill
};
std::vector<std::string> BuildPlayerSkillRow(const PlayerSkillSpec& spec);
std::vector<std::string> PlayerSkillHeader();

// "trigger\flag.txt": no header, column 0 id, column 1 name.
Table BuildFlagTable(const std::vector<std::string>& names);

// The serialised record.
struct RecordFlagSpec {
    int32_t value = 0;
    int32_t id = 0;
    std::string name;
};
struct RecordItemSpec {
    int32_t propId = 0, count = 1, pool = 1, level = 1, price = 0, valueA = 0, valueB = 0;
    std::string text;
};
struct RoleRecordSpec {
    std::string name, picture, sprite;
    int32_t exp = 0, nextExp = 0, level = 1, money = 0;
    int32_t hp = 0, qi = 0, nu = 0, st = 0;
    float ap = 0, dp = 0, maxHP = 0, maxQi = 0, baseST = 0, value25 = 0, hr = 0;
    int32_t baseNu = 0;
    float hpResume = 0, qiResume = 0;
    int32_t sp = 0;
    int32_t hpPotion = -1, qiPotion = -1, autoSort = 1;
    int32_t weapons = 3, equips = 3, classId = -1, skillPoints = 0, sceneId = -1, entryX = 0, entryY = 0;
    float maxNu = 0;
    int32_t bank = 0, act = -1;
    std::vector<int32_t> skills;
    std::vector<RecordFlagSpec> flags;
    int32_t cursor = -1;
    std::vector<int32_t> slots = std::vector<int32_t>(136, -1);
    std::vector<RecordItemSpec> items;
};
std::string BuildRoleRecord(const RoleRecordSpec& spec);

// The record tables of a data set: the classes, the player's skills 1 and
// 2 (the default classes' left and right skills, group 1) and the flags
// "local1" .. "local10" beside `extraFlags`.
Table PlayerInitTable(const std::vector<PlayerInitSpec>& classes);
Table PlayerSkillTable(const std::vector<PlayerSkillSpec>& skills);
std::vector<PlayerSkillSpec> DefaultPlayerSkills();
std::vector<std::string> DefaultFlagNames();

} // namespace datagen
