#pragma once
// The demo's title screen: the full-screen title, class choice and
// new-game pictures, the title buttons with Chinese captions, five class
// portraits with their default names, a credits picture and three
// picture-show pictures.
#include <cstdint>
#include <string>
#include <vector>

#include "datagen/demo_ui.h"
#include "datagen/panel_table_writer.h"

namespace datagen {

// Animation ids (library 0).
constexpr uint32_t kDemoTitleButtonAnim = 710;  // normal, lit
constexpr uint32_t kDemoPortraitAnim = 711;     // one sequence per class
constexpr uint32_t kDemoCreditsAnim = 712;
constexpr uint32_t kDemoSlidesAnim = 713;       // three sequences
constexpr uint32_t kDemoTitleFullAnim = 715;
constexpr uint32_t kDemoClassMenuAnim = 716;
constexpr uint32_t kDemoNewGameAnim = 717;

constexpr int kDemoPortraitCount = 5;
constexpr int kDemoSlideCount = 3;
constexpr int kDemoCreditsHeight = 720;
// Body colours (RGB) for probes.
constexpr uint8_t kDemoClassMenuRgb[3] = {20, 70, 70};
constexpr uint8_t kDemoNewGameRgb[3] = {50, 40, 70};
constexpr uint8_t kDemoButtonLitRgb[3] = {200, 160, 60};
// Title buttons (row id, Text id of the caption, y on the title), top down.
struct DemoTitleButton {
    int id, caption, y;
};
constexpr DemoTitleButton kDemoTitleButtons[6] = {
    {31, 383, 180}, {34, 386, 220}, {32, 384, 260}, {35, 387, 300}, {33, 385, 340}, {167, 388, 380},
};
// The full-screen title's frame: inset from the sides and the bottom, and
// from the top below the version line.
constexpr int kDemoTitleFrameInset[2] = {4, 20};
constexpr uint8_t kDemoTitleFrameRgb[3] = {140, 160, 230};
constexpr int kDemoTitleButtonX = 240;
constexpr int kDemoTitleButtonW = 160;
constexpr int kDemoTitleButtonH = 28;
// Class portraits on the class choice: (row id, class id), left to right;
// the portrait index is the position.
struct DemoClassChoice {
    int id, classId;
};
constexpr DemoClassChoice kDemoClassChoices[kDemoPortraitCount] = {
    {225, 4}, {36, 30}, {37, 40}, {168, 223}, {226, 1},
};
constexpr int kDemoPortraitW = 96, kDemoPortraitH = 128;
constexpr int kDemoPortraitY = 150;
inline int DemoPortraitX(int k) { return 40 + 116 * k; }
// The new-game form's controls (relative to the full-screen form).
constexpr int kDemoNameBox[4] = {300, 120, 160, 20};
constexpr int kDemoMonthBox[4] = {300, 170, 40, 20};
constexpr int kDemoDayBox[4] = {380, 170, 40, 20};
constexpr int kDemoPrevDifficulty[2] = {300, 220};
constexpr int kDemoNextDifficulty[2] = {400, 220};
constexpr int kDemoStartButton[2] = {300, 300};
constexpr int kDemoBackButton[2] = {400, 300};

// Texts of the title screen (GBK).
extern const DemoText kDemoTitleTexts[29];

// Frames of the pictures above, placed by the UI library writer after the
// panel frames; AddDemoTitleAnims points the animations at them.
std::vector<std::string> BuildDemoTitleFrames();
void AddDemoTitleAnims(std::vector<std::string>& animEntries, uint32_t lib, uint32_t firstEntry);
// The title screen's rows: the panels' pictures and the controls.
void AddDemoTitleRows(std::vector<PanelRow>& rows, int screenWidth);

} // namespace datagen
