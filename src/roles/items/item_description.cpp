#include "roles/items/item_description.h"

#include <cstdio>
#include <cstring>

#include "core/txt_table.h"
#include "roles/items/item_rules.h"
#include "roles/items/prop_rec.h"
#include "roles/role_hooks.h"

namespace {

const char* UiText(int n) { return g_TextTable.GetCell(n, 1); }

// "%s %d" of a UI text and a number.
std::string TextNumber(const char* text, int64_t value) {
    return std::string(text ? text : "") + " " + std::to_string(value);
}

// Every occurrence of `from` becomes `to`, matching only at character
// starts: a GBK character's second byte may look like an ASCII letter.
void ReplaceAll(std::string& s, const char* from, const char* to) {
    const size_t n = std::strlen(from);
    if (n == 0) return;
    std::string out;
    size_t i = 0;
    bool any = false;
    while (i < s.size()) {
        if (s.compare(i, n, from) == 0) {
            out += to;
            i += n;
            any = true;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t len = (c >= 0x81 && c <= 0xFE && i + 1 < s.size()) ? 2 : 1;
        out.append(s, i, len);
        i += len;
    }
    if (any) s = out;
}

bool Contains(const std::string& s, const char* word) {
    std::string probe = s;
    ReplaceAll(probe, word, "\x01");
    return probe != s;
}

} // namespace

int BuildItemDescription(const PropRec* item, std::string& out, int buying) {
    out.clear();
    if (!g_RoleHooks.getLocalPlayerRecord || !g_RoleHooks.getLocalPlayerRecord()) return 0;
    if (!item || !item->m_pModelRow) return 0;
    const CTxtRow* row = item->m_pModelRow;
    const char* name = row->GetString(propcol::kName);
    out = name ? name : "";
    out += "\n";
    if (buying) {
        out += TextNumber(UiText(25), GetPropPrice(item)) + "\n";
    } else {
        const int32_t sell = GetSellPrice(item);
        if (sell > 0) out += TextNumber(UiText(26), sell) + "\n";
    }
    const int kind = row->GetInt(propcol::kKind);
    if (kind >= 10 && kind <= 19) {
        std::string text = item->GetAttributeText();
        static const struct {
            const char* word;
            int ui;
        } kWords[] = {{"ATB HP", 73}, {"ATB MP", 74}, {"ATB ALL", 251}, {"ATB MAXNU", 250}};
        bool any = false;
        for (const auto& w : kWords) {
            if (Contains(text, w.word)) any = true;
            ReplaceAll(text, w.word, UiText(w.ui));
        }
        ReplaceAll(text, "*", "\n");
        if (any) out += text;
    } else if (kind >= 20 && kind <= 29) {
        out += "\n";
        out += TextNumber(UiText(3), item->m_Count);
    } else if ((kind >= 30 && kind <= 39) || (kind >= 50 && kind <= 59)) {
        out += "\n";
        out += UiText(kind <= 39 ? 248 : 249);
        out += TextNumber(UiText(0), row->GetInt(propcol::kGrade));
        if (item->m_RequiredLevel != kTxtEmptyInt) out += "\n" + TextNumber(UiText(75), item->m_RequiredLevel);
        std::string text = item->GetAttributeText();
        if (text.size() > 1) {
            static const struct {
                const char* word;
                int ui;
            } kWords[] = {{"ATB MAXHP", 15},   {"ATB MAXQI", 16},    {"ATB AP", 66},      {"ATB DP", 67},
                          {"ATB ST", 19},      {"ATB SH", 68},       {"ATB SP", 70},      {"ATB HR", 69},
                          {"ATB NU", 65},      {"ATB HPRESUME", 12}, {"ATB QIRESUME", 13}, {"ATB MAXNU", 250},
                          {"ATB ALL", 251},    {"ATB FIREDP", 372},  {"ATB POISONDP", 373}, {"ATB ICEDP", 374}};
            for (const auto& w : kWords) ReplaceAll(text, w.word, UiText(w.ui));
            ReplaceAll(text, "*", "\n");
            ReplaceAll(text, " ", "$B +");
            ReplaceAll(text, "$B +-", "$R -");
            out += "\n";
            out += text;
        }
    }
    return 1;
}
