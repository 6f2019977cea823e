#include "datagen/demo_ui.h"

#include "datagen/demo_title.h"
#include "datagen/demo_settings.h"
#include "datagen/image_encoder.h"

namespace datagen {

const DemoText kDemoUiTexts[3] = {
    {11, "\xC8\xA1\xCF\xFB"},
    {22, "\xC8\xB7\xB6\xA8"},
    {48, "\xD6\xAA\xB5\xC0\xC1\xCB"},
};

namespace {

struct DemoPanel {
    int id;
    const char* name;
    int anchor, x, y, w, h;  // picture size w x h; 0 x 0: no picture
    int r, g, b;
    bool shown;
    bool input;
};

// In creation order. Sizes fit a 640 x 480 screen.
const DemoPanel kPanels[] = {
    {0, "ComboCounter", 1, 120, 40, 0, 0, 0, 0, 0, false, false},
    {2, "NearbyBars", 0, 8, 8, 0, 0, 0, 0, 0, false, false},
    {1, "MiniMap", 1, 168, 0, 168, 128, 20, 50, 30, false, true},
    {18, "InputLine", 2, 10, 90, 400, 24, 30, 30, 30, false, true},
    {91, "Accessory", 0, 330, 40, 200, 160, 60, 50, 40, false, true},
    {86, "Shop", 0, 20, 40, 300, 320, 70, 50, 30, false, true},
    {180, "Storage", 0, 20, 40, 300, 320, 50, 50, 70, false, true},
    {61, "Exchange", 5, 0, 0, 320, 240, 60, 40, 60, false, true},
    {62, "Equip", 0, 330, 40, 280, 300, 50, 60, 50, false, true},
    {20, "ItemGrid", 0, 330, 200, 280, 200, 40, 40, 60, false, true},
    {92, "AttribSheet", 0, 20, 40, 280, 320, 40, 60, 40, false, true},
    {125, "CharPage", 5, 0, 0, 480, 360, 30, 40, 70, false, true},
    {103, "TravelMap", 5, 0, 0, 480, 360, 40, 70, 40, false, true},
    {3, "Hud", 2, 0, 60, 640, 60, 60, 40, 20, true, true},
    {25, "TitleMenu", 5, 0, 0, kDemoTitleWidth, kDemoTitleHeight, kDemoTitleRgb[0], kDemoTitleRgb[1], kDemoTitleRgb[2],
     false, true},
    {148, "SaveList", 5, 0, 0, 400, 320, 40, 40, 80, false, true},
    {152, "NumberEntry", 5, 0, 0, 240, 120, 50, 50, 50, false, true},
    {156, "NewGame", 5, 0, 0, 420, 320, 30, 50, 80, false, true},
    {26, "StartMenu", 5, 0, 0, 480, 320, 30, 60, 60, false, true},
    {27, "Loading", 5, 0, 0, 320, 240, 10, 10, 30, false, true},
    {41, "Choice", 6, 0, 40, 400, 200, 40, 40, 40, false, true},
    {40, "Talk", 2, 20, 200, 600, 180, 40, 30, 20, false, true},
    {44, "SkillList", 0, 100, 100, 240, 240, 30, 30, 60, false, true},
    {60, "Prompt", 5, 0, 0, 300, 100, 60, 60, 30, false, true},
    {57, "Timer", 6, 0, 4, 120, 24, 20, 20, 20, false, false},
    {58, "Blank", 0, 0, 0, 0, 0, 0, 0, 0, false, true},
    {219, "Ending", 5, 0, 0, 320, 240, 0, 0, 20, false, true},
    {85, "Popup", 5, 0, 0, 300, 140, 50, 40, 30, false, true},
    {19, "Notice", 0, 0, 0, 0, 0, 0, 0, 0, true, false},
    {24, "MsgList", 0, 0, 0, 0, 0, 0, 0, 0, true, false},
    {170, "Settings", 5, 0, 0, 360, 280, 40, 50, 60, false, true},
    {45, "SystemMenu", 5, 0, 0, 200, 240, 50, 50, 60, false, true},
    {99, "Quest", 5, 0, 0, 420, 320, 60, 50, 30, false, true},
    {28, "Scroller", 5, 0, 0, 320, 240, 20, 20, 40, false, true},
    {166, "SlideShow", 5, 0, 0, 320, 240, 30, 20, 20, false, true},
};

uint16_t Rgb(int r, int g, int b) { return Rgb16(r, g, b); }

// A w x h box with a lighter two-pixel border.
ImageFrame FramedBox(int w, int h, int r, int g, int b) {
    ImageFrame f;
    f.width = w;
    f.height = h;
    f.rle = true;
    const uint16_t body = Rgb(r, g, b);
    const uint16_t edge = Rgb(r + (255 - r) / 2, g + (255 - g) / 2, b + (255 - b) / 2);
    f.pixels.assign(static_cast<size_t>(w) * h, body);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (x < 2 || y < 2 || x >= w - 2 || y >= h - 2) f.pixels[static_cast<size_t>(y) * w + x] = edge;
    return f;
}

ImageFrame Solid(int w, int h, int r, int g, int b) {
    ImageFrame f;
    f.width = w;
    f.height = h;
    f.pixels.assign(static_cast<size_t>(w) * h, Rgb(r, g, b));
    return f;
}

// Frames of library "jm", in this order; AddDemoUiAnims refers to them by
// index.
enum UiFrame : uint32_t {
    kFrameTop, kFrameBottom, kFrameLeft, kFrameRight, kGlow0, kGlow1, kButtonNormal, kButtonPressed,
    kButtonLit, kBarFull, kBarEmpty, kTitle800, kCaretOn, kFirstPanelFrame
};

} // namespace

std::vector<std::string> BuildDemoUiFrames() {
    std::vector<std::string> f;
    // Each edge is drawn once and clipped to its box: as long as the
    // largest screen, so a box of any size gets its whole frame.
    f.push_back(EncodeFrame(Solid(kDemoFrameEdgeLength, 2, 220, 180, 60)));
    f.push_back(EncodeFrame(Solid(kDemoFrameEdgeLength, 2, 220, 180, 60)));
    f.push_back(EncodeFrame(Solid(2, kDemoFrameEdgeLength, 220, 180, 60)));
    f.push_back(EncodeFrame(Solid(2, kDemoFrameEdgeLength, 220, 180, 60)));
    f.push_back(EncodeFrame(FramedBox(80, 24, 255, 255, 160)));
    f.push_back(EncodeFrame(FramedBox(80, 24, 255, 220, 120)));
    f.push_back(EncodeFrame(FramedBox(80, 24, 60, 90, 160)));
    f.push_back(EncodeFrame(FramedBox(80, 24, 30, 50, 110)));
    f.push_back(EncodeFrame(FramedBox(80, 24, 90, 130, 210)));
    f.push_back(EncodeFrame(Solid(100, 8, 220, 40, 40)));
    f.push_back(EncodeFrame(Solid(100, 8, 70, 70, 70)));
    f.push_back(EncodeFrame(FramedBox(kDemoTitleWidth, kDemoTitleHeight, kDemoTitle800Rgb[0], kDemoTitle800Rgb[1],
                                      kDemoTitle800Rgb[2])));
    f.push_back(EncodeFrame(Solid(2, 14, kDemoCaretRgb[0], kDemoCaretRgb[1], kDemoCaretRgb[2])));
    for (const DemoPanel& p : kPanels) {
        // Panels without a picture keep their slot so indexes stay fixed.
        const int w = p.w > 0 ? p.w : 4, h = p.h > 0 ? p.h : 4;
        f.push_back(EncodeFrame(FramedBox(w, h, p.r, p.g, p.b)));
    }
    for (std::string& t : BuildDemoTitleFrames()) f.push_back(std::move(t));
    return f;
}

void AddDemoUiAnims(std::vector<std::string>& anim, uint32_t lib, uint32_t firstEntry) {
    const auto frame = [lib, firstEntry](uint32_t entry) {
        AnimFrameSpec s;
        s.delay = 4;
        s.resId = (lib << 20) | (firstEntry + entry);
        return s;
    };
    const auto put = [&anim](uint32_t id, std::string table) {
        if (anim.size() <= id) anim.resize(id + 1);
        anim[id] = std::move(table);
    };
    put(kDemoFrameAnim, BuildAnimTable({{0, {frame(kFrameTop)}},
                                        {0, {frame(kFrameBottom)}},
                                        {0, {frame(kFrameLeft)}},
                                        {0, {frame(kFrameRight)}}}));
    put(kDemoHighlightAnim, BuildAnimTable({{0, {frame(kGlow0), frame(kGlow1)}}}));
    put(kDemoButtonAnim,
        BuildAnimTable({{0, {frame(kButtonNormal)}}, {0, {frame(kButtonPressed)}}, {0, {frame(kButtonLit)}}}));
    put(kDemoBarFullAnim, BuildAnimTable({{0, {frame(kBarFull)}}}));
    put(kDemoBarEmptyAnim, BuildAnimTable({{0, {frame(kBarEmpty)}}}));
    put(kDemoTitleAnim800, BuildAnimTable({{0, {frame(kTitle800)}}}));
    put(kDemoCaretAnim, BuildAnimTable({{0, {frame(kCaretOn), frame(kCaretOn)}}}));
    uint32_t i = 0;
    for (const DemoPanel& p : kPanels) {
        if (p.w > 0) put(kDemoPanelAnimBase + i, BuildAnimTable({{0, {frame(kFirstPanelFrame + i)}}}));
        ++i;
    }
    AddDemoTitleAnims(anim, lib, firstEntry + kFirstPanelFrame + i);
}

std::vector<PanelRow> DemoPanelRows(int screenWidth) {
    std::vector<PanelRow> rows;
    uint32_t i = 0;
    for (const DemoPanel& p : kPanels) {
        PanelRow r;
        r.name = p.name;
        r.id = std::to_string(p.id);
        if (p.w > 0) {
            uint32_t pic = kDemoPanelAnimBase + i;
            if (p.id == 25 && screenWidth != 640) pic = kDemoTitleAnim800;
            r.picture = std::to_string(pic);
        }
        r.anchor = std::to_string(p.anchor);
        r.x = std::to_string(p.x);
        r.y = std::to_string(p.y);
        if (p.w > 0) {
            r.width = std::to_string(p.w);
            r.height = std::to_string(p.h);
        }
        r.shown = p.shown ? "1" : "0";
        r.input = p.input ? "1" : "0";
        rows.push_back(r);
        ++i;
    }
    for (PanelRow& r : rows) {
        if (r.id == "19") {  // notices: a column at the lower left, lines 18 apart
            r.x = "20";
            r.y = "260";
            r.width = "600";
            r.height = "100*18";
        } else if (r.id == "152") {  // prompt at (20, 12)
            r.x = "0*20";
            r.y = "0*12";
        }
    }
    AddDemoSettingsRows(rows, screenWidth);
    // Controls: the pop-up's line, the number entry's edit box and buttons.
    PanelRow line;
    line.name = "PopupLine";
    line.id = "42";
    line.input = "0";
    rows.push_back(line);
    PanelRow edit;
    edit.name = "NumberEdit";
    edit.id = "153";
    edit.kind = "11";
    edit.picture = std::to_string(kDemoCaretAnim);
    edit.x = "20";
    edit.y = "40";
    edit.width = "200";
    edit.height = "20";
    rows.push_back(edit);
    for (int b = 0; b < 2; ++b) {
        PanelRow r;
        r.name = b ? "NumberCancel" : "NumberOk";
        r.id = b ? "155" : "154";
        r.kind = "6";
        r.picture = std::to_string(kDemoButtonAnim);
        r.x = b ? "140" : "20";
        r.y = "80";
        r.caption = b ? "11" : "22";
        r.centred = "1";
        rows.push_back(r);
    }
    AddDemoTitleRows(rows, screenWidth);
    // The table indexes keys below its row count + 20 only, as the game's
    // own tables, which hold every control, always had rows enough. The
    // demo's rows for controls not built yet are spare rows.
    std::vector<bool> used(kDemoPanelRowIdLimit, false);
    for (const PanelRow& r : rows) used[std::stoi(r.id)] = true;
    for (int id = 0; id < kDemoPanelRowIdLimit && static_cast<int>(rows.size()) + 20 < kDemoPanelRowIdLimit; ++id) {
        if (used[id]) continue;
        PanelRow r;
        r.name = "Spare";
        r.id = std::to_string(id);
        r.input = "0";
        rows.push_back(r);
    }
    return rows;
}

std::vector<FontRow> DemoFontRows() {
    const std::string song = "\xCB\xCE\xCC\xE5";  // 宋体
    const std::string hei = "\xBA\xDA\xCC\xE5";   // 黑体
    return {{"9", "0", song}, {"9", "0", hei}, {"12", "0", song}, {"12", "0", hei}, {"14", "0", hei}, {"10", "0", song}};
}

bool WriteDemoUiTables(const std::string& root) {
    std::string r = root;
    if (!r.empty() && r.back() != '/') r += '/';
    return WritePanelTable(r + "mb/JMMDL.txt", DemoPanelRows(640)) &&
           WritePanelTable(r + "mb/JMMDL800.txt", DemoPanelRows(800)) && WriteFontTable(r + "mb/Font.txt", DemoFontRows());
}

} // namespace datagen
