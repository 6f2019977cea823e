#pragma once
// The one save manager of the process. Role, item and script code read the
// difficulty from here; the new-game form sets name, birthday and
// difficulty. PLACEHOLDER until save games land: only the fields the
// new-game form sets exist, and nothing is written or read.
#include <cstdint>
#include <string>

class CSaveMgr {
public:
    virtual ~CSaveMgr() = default;
    // 1 and stored for a valid date (29 February in every year), else 0
    // with nothing stored.
    int SetMonthDay(int month, int day);

    std::string m_SaveName = "test";
    int32_t m_Difficulty = 1;
    int32_t m_BirthMonth = 1;
    int32_t m_BirthDay = 1;
    // Deaths of the player's character, counted by the record.
    int32_t m_DeathCount = 0;
};

extern CSaveMgr g_SaveMgr;
