#include "core/txt_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/ini_file.h"
#include "core/pack_file.h"
#include "core/strings.h"
#include "platform/debug.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "platform/text.h"

CTxtTable g_TextTable;
CTxtTable g_ScnInfoMdl;
CTxtTable g_ScnSoundMdl;
CTxtTable g_RandPropTable;
CTxtTable g_PropMdlTable;
CTxtTable g_RoleMdlTable;
CTxtTable g_BeastieMdlTable;
CTxtTable g_PropGemFuncTable;
CTxtTable g_ActMdlTable;
CTxtTable g_RolePrivateTable;
CTxtTable g_PlayerInitTable;
CTxtTable g_PlayerSkillTable;
CTxtTable g_TriggerQuestTable;
CTxtTable g_RoleQuestTable;
CTxtFile g_RoleEffectFile;

namespace {

// atoi of at most the first 255 characters.
int CellInt(const std::string& s) {
    if (s.size() <= 255) return IniAtoi(s.c_str());
    return IniAtoi(s.substr(0, 255).c_str());
}

// The integer of a cell: its first '*'-item, 65535 when that is empty.
int FirstItemInt(const std::string& s) {
    if (s.empty() || s[0] == '*') return kTxtEmptyInt;
    return CellInt(s);
}

}  // namespace

// ---------------------------------------------------------------------------
// CTxtFile

void CTxtFile::Clear() {
    rows_.clear();
    maxCols_ = 0;
    name_.clear();
}

int CTxtFile::Load(const char* path) {
    Clear();
    if (!path) path = "";
    name_ = path;
    if (g_SharedFile.Open(path, "rb") == -2) {
        plat::MessageBox(path, plat::kCannotOpenCaption, plat::MB_OK);
        return 0;
    }
    std::vector<char> buf(kTxtLineBuffer);
    std::string line;
    StringList cells;
    int lineNo = 0;
    for (;;) {
        int stop = kTxtLineOk;
        const int got = ReadTxtLine(buf.data(), kTxtLineBuffer, &stop);
        ++lineNo;
        if (!got) {
            if (stop == kTxtLineTooLong) {
                plat::DebugPrintf("CTxtFile::Load() : <%s> line %d : longer than %d bytes, the rest of the file is not read\n",
                                  path, lineNo, kTxtLineBuffer - 3);
            } else if (stop == kTxtLinePartial) {
                plat::DebugPrintf("CTxtFile::Load() : <%s> line %d : no CR LF at its end, the line is not read\n",
                                  path, lineNo);
            }
            break;
        }
        line.clear();
        for (const char* p = buf.data(); *p; ++p)
            if (*p != '\r' && *p != '\n') line.push_back(*p);
        SplitFields(line.c_str(), '\t', cells);
        bool any = false;
        for (const std::string& c : cells) {
            if (!c.empty()) {
                any = true;
                break;
            }
        }
        if (!any) continue;
        if (int(rows_.size()) >= kTxtMaxRows) {
            plat::DebugPrintf("CTxtFile::Load() : <%s> line %d : more than %d rows, the rest of the file is not read\n",
                              path, lineNo, kTxtMaxRows);
            break;
        }
        if (int(cells.size()) > maxCols_) maxCols_ = int(cells.size());
        rows_.emplace_back(cells.begin(), cells.end());
    }
    g_SharedFile.Close();
    return 1;
}

const std::vector<std::string>* CTxtFile::RowCells(int row) const {
    if (row < 0 || row >= int(rows_.size())) return nullptr;
    return &rows_[size_t(row)];
}

void CTxtFile::EraseRow(int row) {
    if (row < 0 || row >= int(rows_.size())) return;
    rows_.erase(rows_.begin() + row);
}

int CTxtFile::GetCellCount(int row) const {
    const auto* r = RowCells(row);
    return r ? int(r->size()) : 0;
}

const std::string* CTxtFile::Cell(int row, int col) const {
    const auto* r = RowCells(row);
    if (!r || col < 0 || col >= int(r->size())) return nullptr;
    return &(*r)[size_t(col)];
}

int CTxtFile::GetInt(int row, int col, int* out) const {
    const std::string* c = Cell(row, col);
    const bool ok = c && !c->empty();
    if (out) *out = ok ? CellInt(*c) : kTxtEmptyInt;
    return ok ? 1 : 0;
}

int CTxtFile::GetU16(int row, int col, uint16_t* out) const {
    int v;
    const int r = GetInt(row, col, &v);
    if (out) *out = uint16_t(uint32_t(v));
    return r;
}

int CTxtFile::GetU8(int row, int col, uint8_t* out) const {
    int v;
    const int r = GetInt(row, col, &v);
    if (out) *out = uint8_t(uint32_t(v));
    return r;
}

int CTxtFile::GetFloat(int row, int col, float* out) const {
    const std::string* c = Cell(row, col);
    const bool ok = c && !c->empty();
    if (out) *out = ok ? float(std::atof(c->c_str())) : kTxtEmptyFloat;
    return ok ? 1 : 0;
}

int CTxtFile::GetString(int row, int col, char* buffer, int size) const {
    if (!buffer || size < 1) return 0;
    std::memset(buffer, 0, size_t(size));
    const std::string* c = Cell(row, col);
    if (!c || c->empty()) return 0;
    const size_t n = std::min(c->size(), size_t(size - 1));
    std::memcpy(buffer, c->data(), n);
    return int(n);
}

int CTxtFile::GetIntList(int row, int col, int* out, int n) const {
    if (out)
        for (int i = 0; i < n; ++i) out[i] = kTxtEmptyInt;
    const std::string* c = Cell(row, col);
    if (!c || c->empty()) return 0;
    StringList items;
    SplitFields(c->c_str(), '*', items);
    if (out)
        for (int i = 0; i < n && i < int(items.size()); ++i)
            out[i] = items[size_t(i)].empty() ? kTxtEmptyInt : CellInt(items[size_t(i)]);
    return int(items.size());
}

int CTxtFile::FindRow(int col, int value, int startRow) const {
    for (int r = std::max(startRow, 0); r < int(rows_.size()); ++r) {
        int v;
        GetInt(r, col, &v);
        if (v == value) return r;
    }
    return -1;
}

// ---------------------------------------------------------------------------
// CTxtRow

void CTxtRow::Fill(const std::vector<std::string>& cells) {
    ints_.resize(cells.size());
    strings_.resize(cells.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        strings_[i] = cells[i].empty() ? std::string(" ") : cells[i];
        ints_[i] = FirstItemInt(cells[i]);
    }
}

int CTxtRow::GetInt(int col) const {
    if (col < 0 || col >= int(ints_.size())) return kTxtEmptyInt;
    return ints_[size_t(col)];
}

const char* CTxtRow::GetString(int col) const {
    if (col < 0 || col >= int(strings_.size())) return nullptr;
    return strings_[size_t(col)].c_str();
}

float CTxtRow::GetFloat(int col) const {
    if (col < 0 || col >= int(strings_.size())) return kTxtEmptyFloat;
    return float(std::atof(strings_[size_t(col)].c_str()));
}

int CTxtRow::GetIntItem(int col, int i) const {
    if (col < 0 || col >= int(strings_.size())) return kTxtEmptyInt;
    std::string_view item;
    if (!SplitFieldAt(strings_[size_t(col)], '*', i, item)) return kTxtEmptyInt;
    char buf[256];
    const size_t n = std::min<size_t>(item.size(), 255);
    item.copy(buf, n);
    buf[n] = 0;
    return IniAtoi(buf);
}

const char* CTxtRow::GetStringItem(int col, int i) const {
    static std::string s_item;
    if (col < 0 || col >= int(strings_.size())) return nullptr;
    std::string_view item;
    if (!SplitFieldAt(strings_[size_t(col)], '*', i, item)) return nullptr;
    s_item.assign(item);
    return s_item.c_str();
}

int CTxtRow::GetItemCount(int col) const {
    if (col < 0 || col >= int(strings_.size())) return 0;
    return SplitFieldCount(strings_[size_t(col)], '*');
}

int CTxtRow::HasValue(int col) const {
    if (col < 0 || col >= int(ints_.size())) return 0;
    return ints_[size_t(col)] != kTxtEmptyInt ? 1 : 0;
}

// ---------------------------------------------------------------------------
// CTxtTable

CTxtTable::~CTxtTable() = default;

void CTxtTable::Clear() {
    rows_.clear();
    index_.clear();
    cursor_ = 0;
}

CTxtRow* CTxtTable::NewRow() {
    rows_.push_back(std::make_unique<CTxtRow>());
    if (index_.size() < rows_.size() + 20) index_.resize(rows_.size() + 20, nullptr);
    return rows_.back().get();
}

int CTxtTable::Load(const char* path, int keyCol, int headerRows, int rebuild) {
    if (headerRows < 0) headerRows = 0;
    CTxtFile raw;
    if (!raw.Load(path)) {
        if (rebuild) Clear();
        return 0;
    }
    return Build(raw, keyCol, headerRows, rebuild);
}

int CTxtTable::Build(const CTxtFile& raw, int keyCol, int headerRows, int rebuild) {
    if (headerRows < 0) headerRows = 0;
    const int rawRows = raw.GetRowCount();
    if (rebuild) {
        Clear();
        const int count = rawRows - headerRows;
        if (count < 1) return 0;
        rows_.reserve(size_t(count));
        index_.assign(size_t(count) + 20, nullptr);
    }
    name_ = raw.GetName();
    if (headerRows >= rawRows) return 1;

    for (int r = headerRows; r < rawRows; ++r) {
        int key = kTxtEmptyInt;
        if (keyCol != -1) raw.GetInt(r, keyCol, &key);
        CTxtRow* row = nullptr;
        if (keyCol != -1 && !rebuild && key >= 0 && key < int(index_.size())) row = index_[size_t(key)];
        if (!row) {
            row = NewRow();
            row->rowNo_ = r - 1;
        }
        row->Fill(*raw.RowCells(r));
        if (keyCol != -1 && key >= 0 && key != kTxtEmptyInt && key < int(index_.size()) && !index_[size_t(key)])
            index_[size_t(key)] = row;
    }
    return 1;
}

CTxtRow* CTxtTable::GetRow(int key) const {
    if (key < 0 || key >= int(index_.size())) return nullptr;
    return index_[size_t(key)];
}

CTxtRow* CTxtTable::GetRowAt(int index) const {
    if (index < 0 || index >= int(rows_.size())) return nullptr;
    return rows_[size_t(index)].get();
}

const char* CTxtTable::GetCell(int key, int col) const {
    static const char s_empty[1] = {0};
    const CTxtRow* row = GetRow(key);
    return row ? row->GetString(col) : s_empty;
}

CTxtRow* CTxtTable::FindRowByString(const char* text, int col) const {
    if (!text) return nullptr;
    for (const auto& row : rows_) {
        const char* s = row->GetString(col);
        if (s && plat::EqualsNoCase(s, text)) return row.get();
    }
    return nullptr;
}

CTxtRow* CTxtTable::FindFirstRow(int value, int col, int start) {
    cursor_ = std::max(start, 0);
    return FindNextRow(value, col);
}

CTxtRow* CTxtTable::FindNextRow(int value, int col) {
    const int n = int(rows_.size());
    if (cursor_ < 0) cursor_ = 0;
    for (; cursor_ < n; ++cursor_) {
        CTxtRow* row = rows_[size_t(cursor_)].get();
        if (row->GetInt(col) == value) {
            ++cursor_;
            return row;
        }
    }
    cursor_ = n;
    return nullptr;
}

int CTxtTable::CountRows(int value, int col) {
    int count = 0;
    for (CTxtRow* row = FindFirstRow(value, col, 0); row; row = FindNextRow(value, col)) ++count;
    return count;
}

CTxtRow* CTxtTable::PickRandomRow(const int* cols, const int* values, int n) const {
    if (n > 0 && (!cols || !values)) return nullptr;
    auto matches = [&](const CTxtRow& row) {
        for (int i = 0; i < n; ++i)
            if (row.GetInt(cols[i]) != values[i]) return false;
        return true;
    };
    int count = 0;
    for (const auto& row : rows_)
        if (matches(*row)) ++count;
    if (count == 0) return nullptr;
    int k = plat::Rand() % count;
    for (const auto& row : rows_) {
        if (!matches(*row)) continue;
        if (k-- == 0) return row.get();
    }
    return nullptr;
}
