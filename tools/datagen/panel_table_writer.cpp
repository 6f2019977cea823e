#include "datagen/panel_table_writer.h"

namespace datagen {

Table BuildPanelTable(const std::vector<PanelRow>& rows) {
    Table t;
    t.push_back({"Name", "Id", "Kind", "Pic", "Anchor", "X", "Y", "W", "H", "Mode", "Level", "ShowMode", "Shown",
                 "Input", "Font", "Centre", "Tip", "Sound", "Caption"});
    for (const PanelRow& r : rows) {
        std::vector<std::string> cells = {r.name,   r.id,      r.kind,     r.picture,  r.anchor,   r.x,
                                          r.y,      r.width,   r.height,   r.drawMode, r.drawLevel, r.showMode,
                                          r.shown,  r.input,   r.font,     r.centred,  r.tip,      r.sound,
                                          r.caption};
        cells.insert(cells.end(), r.extra.begin(), r.extra.end());
        // Trailing empty cells would only end the row in TABs.
        while (!cells.empty() && cells.back().empty()) cells.pop_back();
        t.push_back(cells);
    }
    return t;
}

bool WritePanelTable(const std::string& nativePath, const std::vector<PanelRow>& rows) {
    return WriteTable(nativePath, BuildPanelTable(rows));
}

bool WriteFontTable(const std::string& nativePath, const std::vector<FontRow>& rows) {
    Table t;
    t.push_back({"No", "Size", "Width", "Face"});
    int i = 0;
    for (const FontRow& r : rows) t.push_back({std::to_string(i++), r.points, r.widthFactor, r.face});
    return WriteTable(nativePath, t);
}

} // namespace datagen
