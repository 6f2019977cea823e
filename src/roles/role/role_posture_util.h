#pragma once
// Small reads of the model row shared by the hit, posture and death files.
#include <cstdint>
#include <cstring>

#include "core/txt_table.h"

namespace role_posture {

// Item i of a '*' list column; 65535 when the row, the column or the item
// is missing or empty.
inline int32_t Item(const CTxtRow* row, int col, int i) {
    if (!row) return kTxtEmptyInt;
    const char* s = row->GetStringItem(col, i);
    if (!s) return kTxtEmptyInt;
    while (*s == ' ') ++s;
    if (!*s) return kTxtEmptyInt;
    return row->GetIntItem(col, i);
}

inline bool InPlayerCamps(int32_t camp) { return camp >= 10000 && camp <= 60000; }

} // namespace role_posture
