#pragma once
// Text tables: load a table the way the start-up tables are loaded (key
// column 0, one header row), look rows up by key, by string and through
// the search cursor, read every cell in every form, then update the table
// in place from the same file and check that rows kept their addresses.
#include <string>
#include <vector>

#include "core/txt_table.h"
#include "env.h"

namespace fuzzharness {

inline int RunTxtTable(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzenv::PlacedFiles files("mb", {{"Table.txt", bytes}}, fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;
    const std::string path = files.Path();

    CTxtFile raw;
    if (!raw.Load(path.c_str())) return 0;
    char text[64];
    int ints[4];
    for (int r = 0; r < raw.GetRowCount(); ++r) {
        for (int c = 0; c <= raw.GetCellCount(r); ++c) {
            int i;
            uint16_t u16;
            uint8_t u8;
            float f;
            raw.GetInt(r, c, &i);
            raw.GetU16(r, c, &u16);
            raw.GetU8(r, c, &u8);
            raw.GetFloat(r, c, &f);
            const int n = raw.GetString(r, c, text, sizeof text);
            if (n < 0 || n >= int(sizeof text) || text[n] != 0) fuzzenv::Fail("GetString overran its buffer");
            raw.GetIntList(r, c, ints, 4);
        }
    }

    CTxtTable table;
    const int accepted = table.Load(path.c_str(), 0, 1, 1);
    if (accepted) {
        std::vector<CTxtRow*> rows;
        for (int i = 0; i < table.GetRowCount(); ++i) {
            CTxtRow* row = table.GetRowAt(i);
            if (!row) fuzzenv::Fail("GetRowAt gave null inside the row count");
            rows.push_back(row);
            const int key = row->GetInt(0);
            table.GetRow(key);
            table.GetCell(key, 1);
            for (int c = 0; c <= row->GetCellCount(); ++c) {
                row->GetString(c);
                row->GetFloat(c);
                row->HasValue(c);
                const int items = row->GetItemCount(c);
                for (int k = 0; k <= items && k < 4; ++k) {
                    row->GetIntItem(c, k);
                    row->GetStringItem(c, k);
                }
            }
        }
        if (!rows.empty()) {
            const char* s = rows[0]->GetString(1);
            if (s) table.FindRowByString(std::string(s).c_str(), 1);
            const int v = rows.back()->GetInt(1);
            table.CountRows(v, 1);
            for (CTxtRow* row = table.FindFirstRow(v, 1, 0); row; row = table.FindNextRow(v, 1)) row->GetRowNo();
            const int cols[2] = {1, 2};
            const int values[2] = {rows[0]->GetInt(1), rows[0]->GetInt(2)};
            if (!table.PickRandomRow(cols, values, 2)) fuzzenv::Fail("PickRandomRow missed a row that matches");
        }
        // Update in place: rows whose key is present are refilled, their
        // addresses stay valid.
        const int before = table.GetRowCount();
        table.Load(path.c_str(), 0, 1, 0);
        if (table.GetRowCount() < before) fuzzenv::Fail("an update lost rows");
        for (int i = 0; i < before; ++i)
            if (table.GetRowAt(i) != rows[size_t(i)]) fuzzenv::Fail("an update moved a row");
        for (CTxtRow* row : rows) row->GetString(0);
    }

    // Without a key index, as the sound table is read.
    CTxtTable plain;
    if (plain.Build(raw, -1, 0, 1))
        for (int i = 0; i < plain.GetRowCount(); ++i) plain.GetRowAt(i)->GetInt(0);
    return accepted;
}

} // namespace fuzzharness
