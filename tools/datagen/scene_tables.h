#pragma once
// Row builders for the scene tables: "ScnInfo.txt" (one row per scene; its
// weather, light levels, sound row, name text and first-entry flag) and
// "ScnSoundMdl.txt" (the ambient sounds of a scene). Cells the game does
// not read stay empty.
#include <string>
#include <utility>
#include <vector>

namespace datagen {

struct ScnInfoRow {
    std::string name;
    int id = 0;
    int type = 0;         // column 2
    int ambientMode = 0;  // 3
    int dayLevel = 15;    // 4
    int nightLevel = 15;  // 5
    int column6 = 0;      // 6
    // Columns 7-16: weights of weather kinds 1-10 in percent; -1 leaves the
    // cell empty.
    int weights[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int soundRow = -1;     // 17: key of the "ScnSoundMdl.txt" row (also the music row); -1 empty
    int nameText = -1;     // 19: "Text.txt" id of the shown name; -1 empty
    std::string flagName;  // 21: flag set on the first entry
};

// Columns 0-21.
std::vector<std::string> BuildScnInfoRow(const ScnInfoRow& row);
// The header row of "ScnInfo.txt".
std::vector<std::string> ScnInfoHeader();

// A "ScnSoundMdl.txt" row: key, name, column 2 empty, then (sound id,
// period) pairs from column 3; period -1 is a looping track, above 2 the
// mean ticks between random plays. The list ends at an id of 65535 or the
// end of the row.
struct ScnSoundRow {
    int id = 0;
    std::string name;
    std::vector<std::pair<int, int>> sounds;
};
std::vector<std::string> BuildScnSoundRow(const ScnSoundRow& row);
std::vector<std::string> ScnSoundHeader();

} // namespace datagen
