#pragma once
// Writer of the sound table "SoundMdl.sy" and of the demo sound set.
#include <string>
#include <vector>

namespace datagen {

struct SoundRow {
    std::string label;  // column 0, free text (GBK)
    int id = 0;         // column 1
    std::string names;  // column 2, '*'-separated file names without ".sy"
    int loadMode = 0;   // column 3: 0 start-up, 1 first play, 2 with a model
    std::string models; // column 4, '*'-separated model ids
};

// The table with its header row; `path` is native.
bool WriteSoundTable(const std::string& path, const std::vector<SoundRow>& rows);

// Writes a few generated sounds (".sy" WAVE files) and their "SoundMdl.sy"
// into `folder` (native, the game's "SY\" folder). False on failure.
bool WriteDemoSounds(const std::string& folder);

} // namespace datagen
