#pragma once
// Writer of the panel tables "JMMDL.txt" / "JMMDL800.txt" (one header row,
// keyed by column 1) and of the font table "Font.txt". Cells are text so a
// row can hold '*'-separated values; an empty cell reads as missing (65535).
#include <string>
#include <vector>

#include "datagen/table_writer.h"

namespace datagen {

struct PanelRow {
    std::string name;            // 0: not read by the game
    std::string id;              // 1: row id (the key)
    std::string kind = "0";      // 2: control kind, "*threshold" of a bar
    std::string picture;         // 3: animation id, "*start sequence"
    std::string anchor = "0";    // 4
    std::string x = "0";         // 5
    std::string y = "0";         // 6
    std::string width;           // 7
    std::string height;          // 8
    std::string drawMode = "0";  // 9
    std::string drawLevel;       // 10
    std::string showMode = "0";  // 11
    std::string shown = "0";     // 12
    std::string input = "1";     // 13: "takes mouse*auto-hide"
    std::string font = "0";      // 14
    std::string centred = "0";   // 15
    std::string tip;             // 16
    std::string sound;           // 17
    std::string caption;         // 18
    std::vector<std::string> extra;  // 19 on: read by single panels
};

Table BuildPanelTable(const std::vector<PanelRow>& rows);
bool WritePanelTable(const std::string& nativePath, const std::vector<PanelRow>& rows);

struct FontRow {
    std::string points;      // 1
    std::string widthFactor; // 2
    std::string face;        // 3: GBK face name
};
bool WriteFontTable(const std::string& nativePath, const std::vector<FontRow>& rows);

} // namespace datagen
