#include "roles/items/item_rules.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "core/strings.h"
#include "core/txt_table.h"
#include "platform/random.h"
#include "platform/text.h"
#include "roles/items/prop_rec.h"
#include "roles/save_mgr.h"

std::string CellText(const CTxtRow* row, int col) {
    const char* s = row ? row->GetString(col) : nullptr;
    if (!s || std::strcmp(s, " ") == 0) return std::string();
    return s;
}

int32_t SaturateInt(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int32_t ParseItemInt(const char* text) {
    if (!text) return 0;
    const long long v = std::strtoll(text, nullptr, 10);
    return SaturateInt(v);
}

int IsPropKind30To39(int kind) { return kind >= 30 && kind <= 39 ? 1 : 0; }

int32_t GetPropPrice(const PropRec* item) {
    if (!item) return 0;
    return SaturateInt(int64_t(item->m_Price) * item->m_Count);
}

int32_t GetSellPrice(const PropRec* item) {
    const int64_t p = GetPropPrice(item);
    if (p < 1) return static_cast<int32_t>(p);
    int64_t sum = std::min<int64_t>(p, 10000) * 46 / 100;
    if (p > 10000) sum += (std::min<int64_t>(p, 100000) - 10000) * 40 / 100;
    if (p > 100000) sum += (std::min<int64_t>(p, 500000) - 100000) * 30 / 100;
    if (p > 500000) sum += (p - 500000) * 20 / 100;
    return SaturateInt(sum);
}

namespace {

int32_t PercentOfUnit(const PropRec* item, int percent) {
    if (!item) return 1;
    const int64_t v = int64_t(item->m_Price) * percent / 100;
    return v < 1 ? 1 : SaturateInt(v);
}

int32_t RestoreAmount(const PropRec* item, const char* word) {
    if (!item || !item->m_pModelRow) return -1;
    const int kind = item->GetKind();
    if (kind < 10 || kind > 19) return -1;
    const std::string text = CellText(item->m_pModelRow, propcol::kAttributes);
    StringList pieces;
    SplitString(text.c_str(), ' ', pieces);
    if (pieces.size() < 2 || text.find(word) == std::string::npos) return -1;
    int64_t v = ParseItemInt(pieces[1].c_str());
    if (pieces.size() > 2) v += 10000;
    return SaturateInt(v);
}

} // namespace

int32_t GetPropPrice2Percent(const PropRec* item) { return PercentOfUnit(item, 2); }
int32_t GetPropPrice9Percent(const PropRec* item) { return PercentOfUnit(item, 9); }
int32_t GetItemRestoreHP(const PropRec* item) { return RestoreAmount(item, " HP "); }
int32_t GetItemRestoreQi(const PropRec* item) { return RestoreAmount(item, " MP "); }

int GetMoneyPropId(int32_t amount) {
    if (amount > 1000) return 3;
    if (amount > 500) return 2;
    if (amount > 200) return 1;
    return 0;
}

int RandomItemByQuality(int grade, int kind) {
    bool gradeFixed = false;
    if (kind == -1 || kind == kTxtEmptyInt) {
        static const int kLimits[4][2] = {{25, 50}, {30, 55}, {35, 65}, {40, 70}};
        int difficulty = g_SaveMgr.m_Difficulty;
        if (difficulty < 0) difficulty = 0;
        if (difficulty > 3) difficulty = 3;
        const int r = plat::Rand() % 100;
        if (r < kLimits[difficulty][0]) {
            kind = 30;
            if (difficulty == 0 && grade > 8) grade = 8;
            if (difficulty == 1 && grade > 9) grade = 9;
            if (grade < 1) grade = 1;
            gradeFixed = true;
        } else if (r < kLimits[difficulty][1]) {
            kind = 20;
        } else {
            kind = 10;
        }
    }
    if (!gradeFixed && (grade == -1 || grade == kTxtEmptyInt)) grade = plat::Rand() % 4 + 1;
    int id = -1;
    for (int i = 0; i < g_PropMdlTable.GetRowCount(); ++i) {
        const CTxtRow* row = g_PropMdlTable.GetRowAt(i);
        if (row->GetInt(propcol::kGrade) == grade && row->GetInt(propcol::kKind) == kind) {
            id = row->GetInt(propcol::kId);
            break;
        }
    }
    if (id >= 12 && id <= 15) {
        const int r = plat::Rand() % 6;
        if (r < 5) id -= 8;
    }
    return id;
}

int RandomGrade(const CTxtRow* row, double luck) {
    if (!row) return -1;
    int64_t r;
    if (luck < 0) {
        r = plat::Rand() % 90;
    } else {
        r = plat::Rand() % 100;
        r += static_cast<int64_t>(static_cast<double>(r) * luck * 0.1);
        if (r > 99) r = 99;
    }
    int64_t sum = 0;
    for (int col = 8; col <= 16; ++col) {
        const int w = row->GetInt(col);
        if (w == kTxtEmptyInt) continue;
        sum += w;
        if (sum > r) return col - 7;
    }
    if (row->HasValue(21) && r < sum + row->GetInt(21)) return 10;
    return -1;
}

std::string BuildAttributeTemplate(int32_t id) {
    static const char* const kNames[] = {"ATB MAXHP",    "ATB MAXQI",    "ATB AP", "ATB DP", "ATB HPRESUME",
                                         "ATB QIRESUME", "ATB HR",       "ATB NU", "ATB ST", "ATB SH",
                                         "ATB IceDp",    "ATB FireDp",   "ATB PoisonDp"};
    const CTxtRow* row = nullptr;
    for (int i = 0; i < g_PropGemFuncTable.GetRowCount(); ++i) {
        const CTxtRow* r = g_PropGemFuncTable.GetRowAt(i);
        if (r->GetInt(1) == id) {
            row = r;
            break;
        }
    }
    std::string templ;
    if (!row) return templ;
    for (int i = 0; i < 13; ++i) {
        const int colA = 2 + 2 * i;
        if (!row->HasValue(colA)) continue;
        std::string first = CellText(row, colA);
        const std::string second = CellText(row, colA + 1);
        const size_t bar = first.find('|');
        const bool alternative = bar != std::string::npos;
        if (alternative) first.erase(bar, 1);
        if (!templ.empty()) templ += alternative ? "|" : "*";
        templ += kNames[i];
        templ += ' ';
        if (ParseItemInt(first.c_str()) < 0) {
            templ += second + " " + first;
        } else {
            templ += first + " " + second;
        }
    }
    return templ;
}

float AngleBetween(const CGamePoint& a, const CGamePoint& b) {
    const float dx = static_cast<float>(a.x - b.x);
    const float dy = static_cast<float>(a.y - b.y);
    if (dx > 0) return 1.5707963f - std::atan(dy / dx);
    if (dx < 0) return -std::atan(dy / dx) - 1.5707963f;
    return dy > 0 ? 0.0f : -3.1415925f;
}

int MatchUpgradeKey(const char* key, const char* text) {
    if (!key || !text) return 0;
    if (std::strlen(key) == 1 && text[0] == key[0] && ParseItemInt(text + 1) > 0) return 1;
    return plat::EqualsNoCase(key, text) ? 1 : 0;
}
