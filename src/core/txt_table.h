#pragma once
// Tab-separated text tables. Every line, the last included, ends in CR LF;
// cells are split at single TABs (a trailing TAB adds no cell); a cell may
// hold '*'-separated items. A missing or empty integer reads as 65535 and a
// missing float as 65535.0 throughout the program.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr int kTxtEmptyInt = 65535;
constexpr float kTxtEmptyFloat = 65535.0f;
constexpr int kTxtLineBuffer = 10240;
constexpr int kTxtMaxRows = 10000;

// The raw rows of a file, before any indexing.
class CTxtFile {
public:
    // 0 (after a message box showing the path) when the file does not open.
    // A load that stops early (a line too long, text after the last CR LF,
    // more than kTxtMaxRows rows) keeps the rows before it and still
    // returns 1, but says so on the debugger output with file and line.
    int Load(const char* path);
    void Clear();

    int GetRowCount() const { return int(rows_.size()); }
    int GetMaxCols() const { return maxCols_; }
    const std::string& GetName() const { return name_; }
    int GetCellCount(int row) const;
    // The cell text, or null when row or column is outside the file.
    const std::string* Cell(int row, int col) const;

    // 1 with the value stored; 0 with 65535 (65535.0) when the cell is
    // empty or absent.
    int GetInt(int row, int col, int* out) const;
    int GetU16(int row, int col, uint16_t* out) const;
    int GetU8(int row, int col, uint8_t* out) const;
    int GetFloat(int row, int col, float* out) const;
    // Copies the text (at most size - 1 bytes) and returns its length; a
    // zero-filled buffer and 0 when empty or absent.
    int GetString(int row, int col, char* buffer, int size) const;
    // The cell's '*'-items as n integers, 65535 for each empty or missing
    // one. Returns the number of items the cell holds.
    int GetIntList(int row, int col, int* out, int n) const;
    // First row from startRow whose cell in col has the integer value; -1.
    int FindRow(int col, int value, int startRow) const;

    // The cells of a row; null outside the rows.
    const std::vector<std::string>* RowCells(int row) const;
    // Drops a row (nothing outside the rows), for a table built from a
    // filtered copy.
    void EraseRow(int row);

private:
    std::vector<std::vector<std::string>> rows_;
    int maxCols_ = 0;
    std::string name_;
};

class CTxtRow {
public:
    int GetInt(int col) const;
    // The cell text (" " for an empty cell); null when col is out of range.
    const char* GetString(int col) const;
    float GetFloat(int col) const;
    int GetIntItem(int col, int i) const;
    // The i-th item in one shared string, valid until the next call; null
    // when missing.
    const char* GetStringItem(int col, int i) const;
    int GetItemCount(int col) const;
    // 1 when the cell's integer is not 65535; 0 also for a column outside
    // the row.
    int HasValue(int col) const;

    int GetRowNo() const { return rowNo_; }
    int GetCellCount() const { return int(ints_.size()); }

private:
    friend class CTxtTable;
    void Fill(const std::vector<std::string>& cells);

    int rowNo_ = 0;
    std::vector<int> ints_;
    std::vector<std::string> strings_;
};

class CTxtTable {
public:
    CTxtTable() = default;
    ~CTxtTable();
    CTxtTable(const CTxtTable&) = delete;
    CTxtTable& operator=(const CTxtTable&) = delete;

    // keyCol -1: no key index. A negative header count counts as 0.
    // With rebuild 0 an existing table is updated: rows whose key is
    // already present are refilled in place (their pointers stay valid),
    // other rows are appended.
    int Load(const char* path, int keyCol, int headerRows, int rebuild);
    int Build(const CTxtFile& raw, int keyCol, int headerRows, int rebuild);
    void Clear();

    int GetRowCount() const { return int(rows_.size()); }
    const std::string& GetName() const { return name_; }
    CTxtRow* GetRow(int key) const;
    CTxtRow* GetRowAt(int index) const;
    // Cell text of the keyed row; "" when the row is absent, null when the
    // column is out of range.
    const char* GetCell(int key, int col) const;
    CTxtRow* FindRowByString(const char* text, int col) const;
    // Searches run through this table's own cursor.
    CTxtRow* FindFirstRow(int value, int col, int start);
    CTxtRow* FindNextRow(int value, int col);
    int CountRows(int value, int col);
    // A random row among those whose integers match all n (col, value)
    // pairs; null when none.
    CTxtRow* PickRandomRow(const int* cols, const int* values, int n) const;

private:
    CTxtRow* NewRow();

    std::vector<std::unique_ptr<CTxtRow>> rows_;  // file order; rows never move
    std::vector<CTxtRow*> index_;                 // slot = key; rows + 20 slots
    std::string name_;
    int cursor_ = 0;
};

// Text tables loaded at start-up.
extern CTxtTable g_TextTable;  // "Text.txt": key column 0, text in column 1
extern CTxtTable g_ScnInfoMdl;
extern CTxtTable g_ScnSoundMdl;
extern CTxtTable g_RandPropTable;
extern CTxtTable g_PropMdlTable;
// "Role.txt" and "BeastieMdl.txt" (one header row, key column 1).
extern CTxtTable g_RoleMdlTable;
extern CTxtTable g_BeastieMdlTable;
extern CTxtTable g_PropGemFuncTable;
extern CTxtTable g_ActMdlTable;
extern CTxtTable g_RolePrivateTable;
extern CTxtTable g_PlayerInitTable;
extern CTxtTable g_PlayerSkillTable;
extern CTxtTable g_TriggerQuestTable;
extern CTxtTable g_RoleQuestTable;
// Raw rows of "RoleEffectMdl.txt", one per role state.
extern CTxtFile g_RoleEffectFile;
