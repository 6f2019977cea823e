#pragma once
// The small rules of items: prices, restore amounts, money piles, the
// random choice of items by grade and kind, the grade roll of a drop row,
// the attribute template of a "PropGemFunc.txt" row and the upgrade key
// match. Sums and prices are computed wide and saturate at the int32 range
// so a table with huge numbers cannot wrap them.
#include <cstdint>
#include <string>

#include "core/geometry.h"

class CTxtRow;
class PropRec;

// The cell's text; "" for an empty or absent cell (rows keep " " there).
std::string CellText(const CTxtRow* row, int col);
// A decimal number at the start of the text (after blanks), clamped to the
// int32 range; 0 when there is none.
int32_t ParseItemInt(const char* text);
int32_t SaturateInt(int64_t value);

int IsPropKind30To39(int kind);
// Unit price x count.
int32_t GetPropPrice(const PropRec* item);
// The tiered share of the buying price: 46 % up to 10000, 40 % up to
// 100000, 30 % up to 500000, 20 % above.
int32_t GetSellPrice(const PropRec* item);
int32_t GetPropPrice2Percent(const PropRec* item);
int32_t GetPropPrice9Percent(const PropRec* item);
// Consumables only; -1 otherwise.
int32_t GetItemRestoreHP(const PropRec* item);
int32_t GetItemRestoreQi(const PropRec* item);
int GetMoneyPropId(int32_t amount);

// A PropMdl id of the grade and kind (-1 or 65535: drawn); -1 when none.
int RandomItemByQuality(int grade, int kind);
// Grade 1..10 from a "randprop.txt" row, or -1.
int RandomGrade(const CTxtRow* row, double luck);
// The attribute ranges of the first "PropGemFunc.txt" row of the id.
std::string BuildAttributeTemplate(int32_t id);
// Direction of a seen from b.
float AngleBetween(const CGamePoint& a, const CGamePoint& b);
int MatchUpgradeKey(const char* key, const char* text);
