#pragma once
// The demo's user interface: the panel tables "JMMDL.txt" (640 x 480) and
// "JMMDL800.txt" (800 x 600 and 1024 x 768), "Font.txt", and the panels'
// pictures: animation tables in library 0 at the ids the rows name, their
// frames in library 1 after the start-up images.
#include <cstdint>
#include <string>
#include <vector>

#include "datagen/panel_table_writer.h"

namespace datagen {

// Animation ids of the demo pictures.
constexpr uint32_t kDemoFrameAnim = 526;      // box frame edges, 4 sequences
constexpr int kDemoFrameEdgeLength = 1024;     // each edge picture's length
constexpr uint32_t kDemoHighlightAnim = 460;  // button highlight
constexpr uint32_t kDemoButtonAnim = 700;     // normal, pressed, highlighted
constexpr uint32_t kDemoBarFullAnim = 701;
constexpr uint32_t kDemoBarEmptyAnim = 702;
constexpr uint32_t kDemoPanelAnimBase = 600;  // + position in the panel list
constexpr uint32_t kDemoTitleAnim800 = 640;   // the title picture of the 800 table
constexpr uint32_t kDemoCaretAnim = 703;      // the edit box's caret
constexpr uint8_t kDemoCaretRgb[3] = {255, 255, 255};
// The title menu picture's size and body colour (RGB), for probes.
constexpr int kDemoTitleWidth = 400;
constexpr int kDemoTitleHeight = 300;
constexpr uint8_t kDemoTitleRgb[3] = {40, 60, 150};
constexpr uint8_t kDemoTitle800Rgb[3] = {150, 60, 40};

// One past the highest row id of the demo tables.
constexpr int kDemoPanelRowIdLimit = 240;

// Texts of "Text.txt" the panels use, in GBK: 11 "取消" (no), 22 "确定"
// (yes), 48 "知道了" (dismiss a result).
struct DemoText {
    int id;
    const char* gbk;
};
extern const DemoText kDemoUiTexts[3];

// The 35 panel rows (and the controls the built panels read) for a screen
// width of 640 or 800.
std::vector<PanelRow> DemoPanelRows(int screenWidth);
// The six demo fonts.
std::vector<FontRow> DemoFontRows();

// Puts the UI animation tables into library 0's entries (grown as needed);
// their frames are the entries BuildDemoUiFrames makes, placed in library
// `lib` from entry `firstEntry` on.
void AddDemoUiAnims(std::vector<std::string>& animEntries, uint32_t lib, uint32_t firstEntry);
std::vector<std::string> BuildDemoUiFrames();

// "mb/JMMDL.txt", "mb/JMMDL800.txt", "mb/Font.txt" under the folder.
bool WriteDemoUiTables(const std::string& root);

} // namespace datagen
