#include "gfx/define_table.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/pack_file.h"
#include "platform/debug.h"
#include "platform/msgbox.h"

namespace {

constexpr int kLineBufferSize = 1000;

bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

// Which lines of the file belong to the section, walked the same way by the
// counting and the storing pass.
class SectionWalk {
public:
    SectionWalk(const char* start, const char* end)
        : start_(start && *start ? start : nullptr), end_(end && *end ? end : nullptr), started_(!start_) {}

    // For one "#define" line with name `name`: true when the line belongs to
    // the section. After the end line, done() is true.
    bool Take(const std::string& name) {
        if (done_) return false;
        if (!started_) {
            if (name != start_) return false;
            started_ = true;
            sawStart_ = true;
        }
        if (end_ && name == end_) {
            sawEnd_ = true;
            done_ = true;
        }
        return true;
    }
    bool done() const { return done_; }
    // Every named marker was met.
    bool Complete() const { return (!start_ || sawStart_) && (!end_ || sawEnd_); }

private:
    const char* start_;
    const char* end_;
    bool started_;
    bool sawStart_ = false;
    bool sawEnd_ = false;
    bool done_ = false;
};

// Reads the next accepted "#define" line from g_SharedFile; false at the end
// of the file (or at a line too long for the buffer, which ends the reading).
bool NextDefine(char* line, std::string* name, std::string* value) {
    std::string keyword;
    while (ReadTxtLine(line, kLineBufferSize)) {
        keyword.clear();
        name->clear();
        value->clear();
        SplitDefineLine(line, &keyword, name, value);
        if (keyword.empty() || name->empty() || value->empty()) continue;
        if (keyword != "#define") continue;
        return true;
    }
    return false;
}

// Leading sign and digits, as atoi reads them; out-of-range values are
// clamped rather than left to the library.
int32_t ReadValue(const std::string& text) {
    const long v = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long>(v, INT32_MIN, INT32_MAX));
}

} // namespace

bool SplitDefineLine(const char* line, std::string* word1, std::string* word2, std::string* word3) {
    std::string* words[3] = {word1, word2, word3};
    for (std::string* w : words) w->clear();
    const char* p = line;
    for (std::string* w : words) {
        while (*p && IsSeparator(*p)) ++p;
        while (*p && !IsSeparator(*p)) w->push_back(*p++);
    }
    return !word1->empty() && !word2->empty();
}

int32_t CDefineTable::Load(const char* fileName, const char* startName, const char* endName,
                           std::vector<DefineRecord>* out) {
    out->clear();
    if (!fileName) return -1;
    if (g_SharedFile.Open(fileName, "rb") == -2) {
        plat::MessageBox(fileName, plat::kCannotOpenCaption, plat::MB_OK);
        return -1;
    }
    char line[kLineBufferSize];
    std::string name, value;

    int32_t count = 0;
    SectionWalk counting(startName, endName);
    while (!counting.done() && NextDefine(line, &name, &value)) {
        if (counting.Take(name)) ++count;
    }
    if (!counting.Complete()) {
        plat::DebugPrintf("CDefineTable: section markers missing in %s\n", fileName);
        g_SharedFile.Close();
        return -1;
    }

    out->resize(static_cast<size_t>(count));
    g_SharedFile.Seek(0, 0);
    int32_t stored = 0;
    SectionWalk storing(startName, endName);
    while (stored < count && !storing.done() && NextDefine(line, &name, &value)) {
        if (!storing.Take(name)) continue;
        DefineRecord& rec = (*out)[static_cast<size_t>(stored++)];
        // Longer names are cut to fit the record.
        const size_t n = std::min(name.size(), static_cast<size_t>(DefineRecord::kNameSize - 1));
        std::memcpy(rec.name, name.data(), n);
        rec.name[n] = 0;
        rec.value = ReadValue(value);
    }
    g_SharedFile.Close();
    out->resize(static_cast<size_t>(stored));
    return stored;
}

CDefineTable::CDefineTable(const char* fileName, const char* startName, const char* endName) {
    m_Count = Load(fileName, startName, endName, &m_Records);
    if (m_Count <= 0 || !startName || !*startName) return;
    // Keep only what lies strictly between the markers: drop the start
    // record, and the end record when an end marker was asked for (and is
    // not the start line itself).
    const bool endRecord = endName && *endName && m_Count > 1;
    m_Records.erase(m_Records.begin());
    if (endRecord) m_Records.pop_back();
    m_Count = static_cast<int32_t>(m_Records.size());
}

const DefineRecord* CDefineTable::GetRecord(int32_t i) const {
    if (i < 0 || i >= m_Count) return nullptr;
    return &m_Records[static_cast<size_t>(i)];
}
