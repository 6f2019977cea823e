#pragma once
// The experience table (the total at which each level ends) and the
// equipment texts of the local player's class ("EquipStr901.txt" ..
// "EquipStr905.txt"), from which sprite set names are picked.
#include <cstdint>
#include <string>

#include "core/txt_table.h"

class CExpTable {
public:
    static constexpr int kLevels = 100;
    CExpTable();
    virtual ~CExpTable() = default;
    // v[level]; below 0 reads v[0], above 99 reads v[99].
    int32_t GetExp(int level) const;

private:
    int32_t m_Values[kLevels];
};

extern CExpTable g_ExpTable;

// Key column 0, one header row.
extern CTxtTable g_EquipStrTable;
// The path g_EquipStrTable was loaded from ("" before the first load).
extern std::string g_EquipStrPath;
// The text PickEquipStr picked last.
extern std::string g_EquipStrPicked;

// The class's file name ("EquipStr901.txt" ..), null for another class.
const char* EquipStrFileName(int classId);
// Loads the file of the local player's class (its record's class id) when
// its path differs from the one loaded last; 0 without a local player or
// for a class without a file.
int LoadEquipStrTable();
// Column 4 of row (value mod count) of the rows whose column 1 is key, in
// file order; null when there is none.
const char* GetEquipStrByIndex(int value, int key);
// A row with column 1 = key, column 3 <= value < column 2 and a special
// marker (column 1, second item) missing or equal to special; one at random
// among several. The text is copied into g_EquipStrPicked; null when none.
const char* PickEquipStr(int value, int key, int special);
