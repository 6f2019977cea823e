#pragma once
// The demo's settings window (row 170 with its sliders and buttons 171-178,
// labels from "Text.txt" 144-152), the layered loading picture of row 27,
// and the settings file "set.ini".
#include <cstdint>
#include <string>
#include <vector>

#include "datagen/demo_ui.h"

namespace datagen {

// Animation ids in library 0.
constexpr uint32_t kDemoSettingsAnim = 720;  // the settings window, 640 x 480
constexpr uint32_t kDemoSliderAnim = 721;    // track, thumb
constexpr uint32_t kDemoLoadingAnim = 722;   // 8 layers
// The settings window's body colour and its controls, for probes: sliders
// at (kDemoSliderX, kDemoSliderY + 50 i), i = 0..2, tracks kDemoTrackWidth
// wide, the thumb kDemoThumbWidth; the buttons 174-177 at (260 + 100 c,
// 280 + 50 r), the close button 178 at (280, 400).
constexpr uint8_t kDemoSettingsRgb[3] = {40, 50, 60};
constexpr int kDemoSliderX = 260, kDemoSliderY = 120, kDemoTrackWidth = 240, kDemoThumbWidth = 12;
constexpr int kDemoCloseX = 280, kDemoCloseY = 400;
// Loading picture: a 320 x 240 box and seven segments of a bar along its
// foot, layer k (1-7) at (20 + 40 (k - 1), 200) in the picture, 36 x 20.
constexpr uint8_t kDemoLoadingSegmentRgb[3] = {230, 200, 40};

extern const DemoText kDemoSettingsTexts[9];

// The settings window's rows (row 170 rewritten, 171-178 added).
void AddDemoSettingsRows(std::vector<PanelRow>& rows, int screenWidth);
// The pictures: frames appended to library `lib` from `firstEntry` on.
void AddDemoSettingsAnims(std::vector<std::string>& animEntries, uint32_t lib, uint32_t firstEntry);
std::vector<std::string> BuildDemoSettingsFrames();

// "set.ini": eight "?=value" lines, CR LF, plain.
struct SettingsFile {
    int mode = 4;
    int zoom = 0;
    int effect = 100;
    int music = 100;
    int brightness = 50;
    int progress[3] = {0, 0, 0};
};
std::string BuildSettingsIni(const SettingsFile& s);
bool WriteSettingsIni(const std::string& nativePath, const SettingsFile& s);

} // namespace datagen
