#pragma once
// Save games: the summary ("<name>.sav") and a slot file ("<name>.00n")
// field by field, the role record of the slot file in the game's order,
// the HUD block, and the 12-byte trailer ("VTSV", u32 layout length, u32
// CRC-32 of the layout). Damage options make the broken files a loader
// must refuse.
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

struct SaveSummary {
    int32_t slot = 1;
    std::string version = "1.5";
    int32_t year = 2026, month = 12, day = 11, hour = 13, minute = 5, second = 9;
    int32_t days = 0, hours = 0, minutes = 0, seconds = 0;
    int32_t difficulty = 1;
    int32_t level = 1;
    std::string sprite = "901", partNo = "001", partFile = "901_001_001";
    int32_t deaths = 0;
    int32_t birthMonth = 1, birthDay = 1;
    int32_t reserved[4] = {};
};

struct SaveFlag {
    int32_t value = 0, id = 0;
    std::string name;
};

struct SaveItem {
    int32_t id = 0, count = 1, index = 0, level = 1, price = 0, valueA = 0, valueB = 0;
    std::string text;
};

// The serialised role data record. Floats as the game writes them.
struct SaveRecord {
    std::string name, picture, spritePart;
    int32_t exp = 0, nextExp = 600, level = 1, money = 0;
    int32_t hp = 100, qi = 50, nu = 0, st = 100;
    float baseAP = 10, baseDP = 5, baseMaxHP = 100, baseMaxQi = 50, baseST = 100, classValue25 = 0;
    float baseHR = 10;
    int32_t baseNu = 0;
    float hpResume = 1, qiResume = 1;
    int32_t baseSP = 100;
    int32_t hpPotion = -1, qiPotion = -1, autoSort = 1;
    int32_t weaponCount = 3, equipCount = 3, classId = 4;
    int32_t skillPoints = 0, sceneId = 0, entryX = 0, entryY = 0;
    float maxNu = 0;
    int32_t bank = 0, act = 1;
    std::vector<int32_t> skills;
    std::vector<SaveFlag> flags;
    int32_t cursor = -1;
    int32_t slots[136];
    std::vector<SaveItem> items;
    SaveRecord() {
        for (int32_t& s : slots) s = -1;
    }
};

struct SaveHotkey {
    int32_t skill = 0, key = 0, kind = 0;
};

struct SaveHud {
    std::vector<int32_t> groups[4];
    int32_t left = -1, right = -1, selected = -1, prevRight = -1;
    std::vector<SaveHotkey> hotkeys;
};

enum class SaveDamage {
    None,
    Cut,                // the file ends after `at` bytes (half of it when 0)
    FlippedByte,        // byte `at` of the finished file XOR 0x20
    BadVersion,         // summary version "1.4"
    Slot7,              // summary slot 7
    HugeString,         // a length string of 20000 bytes (summary: sprite; slot: first item's text)
    RepeatedPoolIndex,  // slot: the last item takes the first item's pool index
};

struct SaveFileOptions {
    bool trailer = true;
    SaveDamage damage = SaveDamage::None;
    size_t at = 0;
};

// Layouts alone.
std::string SaveSummaryLayout(const SaveSummary& s);
std::string SaveRecordLayout(const SaveRecord& r);
std::string SaveHudLayout(const SaveHud& h);
// The trailer appended to a layout.
std::string WithSaveTrailer(std::string layout);

// Whole files, damage applied. The HUD block is left out when `hud` is null.
std::string BuildSaveSummary(const SaveSummary& s, const SaveFileOptions& o = {});
std::string BuildSaveSlot(const SaveRecord& r, const SaveHud* hud, const SaveFileOptions& o = {});

} // namespace datagen
