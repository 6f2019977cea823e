#pragma once
// The demo data set that tools/mkdemo writes and the end-to-end tests run
// the game on: the start-up configuration, "Text.txt", the start-up tables
// (header rows, a few data rows), the resource libraries, sounds and music.
#include <string>

namespace datagen {

// Row of "Text.txt" shown when DirectX is older than 8.1, and its text.
constexpr int kDemoTextOldDirectXRow = 321;
// Rows of the demo "Text.txt" (keys 0 .. kDemoTextRows - 1).
constexpr int kDemoTextRows = 400;
extern const char* const kDemoOldDirectXText;

struct DemoOptions {
    // "DisplayCapability.INI"; an empty version writes no file.
    std::string dxVersion = "8.1";
    bool libraries = true;
    bool sounds = true;
    bool music = true;
};

// Writes the set into `folder` (native). False with a message in *error.
bool WriteDemoDataSet(const std::string& folder, const DemoOptions& options, std::string* error);

} // namespace datagen
