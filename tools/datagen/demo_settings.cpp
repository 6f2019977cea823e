#include "datagen/demo_settings.h"

#include <algorithm>

#include "datagen/bytes.h"
#include "datagen/image_encoder.h"
#include "datagen/ini_writer.h"

namespace datagen {

const DemoText kDemoSettingsTexts[9] = {
    {144, "\xC6\xC1\xC4\xBB"},  // 屏幕
    {145, "640x480"},
    {146, "800x600"},
    {147, "\xCB\xF5\xB7\xC5"},  // 缩放
    {148, "\xBF\xAA"},          // 开
    {149, "\xB9\xD8"},          // 关
    {150, "\xD2\xF4\xD0\xA7"},  // 音效
    {151, "\xD2\xF4\xC0\xD6"},  // 音乐
    {152, "\xC1\xC1\xB6\xC8"},  // 亮度
};

namespace {

ImageFrame Fill(int w, int h, uint16_t body, uint16_t edge, bool rle) {
    ImageFrame f;
    f.width = w;
    f.height = h;
    f.rle = rle;
    f.pixels.assign(static_cast<size_t>(w) * h, body);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (x < 2 || y < 2 || x >= w - 2 || y >= h - 2) f.pixels[static_cast<size_t>(y) * w + x] = edge;
    return f;
}

enum SettingsFrame : uint32_t { kWindow, kTrack, kThumb, kLoadingBox, kSegment, kFrameCount };

PanelRow Control(int id, const char* kind, uint32_t picture, int x, int y) {
    PanelRow r;
    r.name = "Settings" + std::to_string(id);
    r.id = std::to_string(id);
    r.kind = kind;
    r.picture = std::to_string(picture);
    r.x = std::to_string(x);
    r.y = std::to_string(y);
    r.shown = "1";
    return r;
}

} // namespace

std::vector<std::string> BuildDemoSettingsFrames() {
    std::vector<std::string> f(kFrameCount);
    const uint16_t body = Rgb16(kDemoSettingsRgb[0], kDemoSettingsRgb[1], kDemoSettingsRgb[2]);
    f[kWindow] = EncodeFrame(Fill(640, 480, body, Rgb16(120, 140, 160), true));
    f[kTrack] = EncodeFrame(Fill(kDemoTrackWidth, 16, Rgb16(20, 20, 20), Rgb16(90, 90, 90), false));
    f[kThumb] = EncodeFrame(Fill(kDemoThumbWidth, 16, Rgb16(230, 230, 230), Rgb16(255, 255, 255), false));
    f[kLoadingBox] = EncodeFrame(Fill(320, 240, Rgb16(10, 10, 30), Rgb16(130, 130, 150), true));
    const uint16_t seg = Rgb16(kDemoLoadingSegmentRgb[0], kDemoLoadingSegmentRgb[1], kDemoLoadingSegmentRgb[2]);
    f[kSegment] = EncodeFrame(Fill(36, 20, seg, seg, false));
    return f;
}

void AddDemoSettingsAnims(std::vector<std::string>& anim, uint32_t lib, uint32_t firstEntry) {
    const auto frame = [lib, firstEntry](uint32_t entry, int x = 0, int y = 0) {
        AnimFrameSpec s;
        s.delay = 4;
        s.resId = (lib << 20) | (firstEntry + entry);
        s.x = x;
        s.y = y;
        return s;
    };
    const auto put = [&anim](uint32_t id, std::string table) {
        if (anim.size() <= id) anim.resize(id + 1);
        anim[id] = std::move(table);
    };
    put(kDemoSettingsAnim, BuildAnimTable({{0, {frame(kWindow)}}}));
    put(kDemoSliderAnim, BuildAnimTable({{0, {frame(kTrack)}}, {0, {frame(kThumb)}}}));
    std::vector<AnimSeqSpec> layers = {{0, {frame(kLoadingBox)}}};
    for (int k = 0; k < 7; ++k) layers.push_back({0, {frame(kSegment, 20 + 40 * k, 200)}});
    put(kDemoLoadingAnim, BuildAnimTable(layers));
}

void AddDemoSettingsRows(std::vector<PanelRow>& rows, int) {
    for (PanelRow& r : rows) {
        if (r.id == "170") {
            r.picture = std::to_string(kDemoSettingsAnim);
            r.width = "640";
            r.height = "480";
            // Labels 150-152 beside the sliders, 144-146 for the screen
            // size and its two buttons, 147-149 for the zoom and its two.
            r.x = "0*200*200*200*200*300*400*200*300*400";
            r.y = "0*120*170*220*284*284*284*334*334*334";
        } else if (r.id == "27") {
            r.picture = std::to_string(kDemoLoadingAnim);
        }
    }
    for (int i = 0; i < 3; ++i)
        rows.push_back(Control(171 + i, "8", kDemoSliderAnim, kDemoSliderX, kDemoSliderY + 50 * i));
    // Kind 3: the panel alone shows which choice is pressed.
    for (int i = 0; i < 4; ++i)
        rows.push_back(Control(174 + i, "3", kDemoButtonAnim, 260 + 100 * (i % 2), 280 + 50 * (i / 2)));
    PanelRow close = Control(178, "3", kDemoButtonAnim, kDemoCloseX, kDemoCloseY);
    close.caption = "22";
    close.centred = "1";
    rows.push_back(close);
    for (PanelRow& r : rows) {
        const int id = std::stoi(r.id);
        if (id >= 171 && id <= 178) r.width = id <= 173 ? std::to_string(kDemoTrackWidth) : "80";
    }
}

std::string BuildSettingsIni(const SettingsFile& s) {
    const int values[8] = {s.mode, s.zoom, s.effect, s.music, s.brightness, s.progress[0], s.progress[1], s.progress[2]};
    KeyValues pairs;
    for (int v : values) pairs.push_back({"?", std::to_string(v)});
    return BuildIni(pairs, false);
}

bool WriteSettingsIni(const std::string& nativePath, const SettingsFile& s) {
    return WriteBytes(nativePath, BuildSettingsIni(s));
}

} // namespace datagen
