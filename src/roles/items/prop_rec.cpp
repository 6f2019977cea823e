#include "roles/items/prop_rec.h"

#include "core/strings.h"
#include "core/txt_table.h"
#include "platform/random.h"
#include "roles/items/item_rules.h"

namespace {

constexpr int kMaxRollPasses = 10;
constexpr int kMaxClauseRemovals = 11;

struct RollResult {
    std::string text;
    double fractionSum = 0.0;
    int rolled = 0;
    int64_t sum = 0;
};

// One pass over the template: the clauses kept, one alternative of each,
// every range rolled.
RollResult RollPass(const std::string& templ, int wantedClauses) {
    StringList clauses;
    SplitString(templ.c_str(), '*', clauses);
    for (int removed = 0; removed < kMaxClauseRemovals && wantedClauses != kTxtEmptyInt &&
                          static_cast<int>(clauses.size()) > wantedClauses && !clauses.empty();
         ++removed) {
        const int r = plat::Rand();
        clauses.erase(clauses.begin() + r % static_cast<int>(clauses.size()));
    }
    RollResult out;
    for (const std::string& clause : clauses) {
        StringList alternatives;
        SplitString(clause.c_str(), '|', alternatives);
        if (alternatives.empty()) continue;
        size_t pick = 0;
        if (alternatives.size() > 1) {
            const int r = plat::Rand();
            pick = static_cast<size_t>(r) % alternatives.size();
        }
        StringList pieces;
        SplitString(alternatives[pick].c_str(), ' ', pieces);
        for (size_t i = 0; i < 2; ++i) {
            if (i < pieces.size()) out.text += pieces[i];
            out.text += ' ';
        }
        const std::string minText = pieces.size() > 2 ? pieces[2] : std::string();
        const bool percent = minText.find('%') != std::string::npos;
        const int64_t min = ParseItemInt(minText.c_str());
        int64_t max = min;
        for (size_t i = 3; i < pieces.size(); ++i) max = ParseItemInt(pieces[i].c_str());
        int64_t value = min;
        if (max > min) {
            const int64_t span = max - min;
            const int64_t r = plat::Rand() % span;
            value = min + r;
            out.fractionSum += static_cast<double>(r) / static_cast<double>(span);
            ++out.rolled;
        }
        // Never doubled: no save carries the key that column 17 would be
        // compared with.
        out.text += std::to_string(value);
        if (percent) out.text += '%';
        out.text += '*';
        out.sum += value;
    }
    return out;
}

} // namespace

namespace items_detail {

// Random attributes of an equipment item: text, price and required level.
void RollAttributes(PropRec& item) {
    const CTxtRow* row = item.m_pModelRow;
    std::string templ = CellText(row, propcol::kAttributes);
    if (templ.empty()) templ = BuildAttributeTemplate(item.m_Id);
    const int wanted = row->GetIntItem(propcol::kAttributeCount, 0);
    const int minTotal = row->GetIntItem(propcol::kAttributeCount, 1);

    RollResult roll;
    for (int pass = 0; pass < kMaxRollPasses; ++pass) {
        roll = RollPass(templ, wanted);
        if (minTotal == kTxtEmptyInt || roll.sum > minTotal) break;
    }
    item.m_Text = roll.text;
    if (item.m_Price > 10 && roll.rolled > 0) {
        const int64_t raise = static_cast<int64_t>(static_cast<double>(item.m_Price) * roll.fractionSum);
        item.m_Price = SaturateInt(int64_t(item.m_Price) + raise / roll.rolled);
    }
    const int coin = plat::Rand() % 2;
    int64_t middle = 0;
    if (roll.rolled > 0) middle = static_cast<int64_t>(6.0 * roll.fractionSum / roll.rolled);
    item.m_RequiredLevel = SaturateInt(int64_t(coin) + middle + row->GetInt(propcol::kLevel));
}

} // namespace items_detail

int PropRec::Init(int32_t id, const char* text) {
    const CTxtRow* row = g_PropMdlTable.GetRow(id);
    if (!row) return 0;
    m_pModelRow = row;
    m_Id = id;
    m_Price = row->GetInt(propcol::kPrice);
    if (text && *text) {
        m_Text = text;
    } else {
        m_Text.clear();
        if (IsPropKind30To39(row->GetInt(propcol::kKind))) items_detail::RollAttributes(*this);
    }
    return 1;
}

int PropRec::SetCount(int n) {
    if (!m_pModelRow || m_pModelRow->GetInt(propcol::kStackable) == 0) {
        m_Count = 1;
        return n - 1;
    }
    m_Count = n < kMaxPileSize ? n : kMaxPileSize;
    return n - m_Count;
}

const char* PropRec::GetAttributeText() const {
    static std::string s_text;
    if (!m_Text.empty()) {
        s_text = m_Text;
    } else {
        const char* cell = m_pModelRow ? m_pModelRow->GetString(propcol::kAttributes) : nullptr;
        s_text = cell ? cell : "";
    }
    ToUpperAscii(s_text);
    return s_text.c_str();
}

int PropRec::GetKind() const { return m_pModelRow ? m_pModelRow->GetInt(propcol::kKind) : -1; }
