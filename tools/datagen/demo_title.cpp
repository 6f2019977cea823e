#include "datagen/demo_title.h"

#include <algorithm>

#include "datagen/image_encoder.h"
#include "platform/font.h"

namespace datagen {

const DemoText kDemoTitleTexts[29] = {
    {113, "\xD0\xD5\xC3\xFB"},  // 姓名
    {114, "\xC4\xD1\xB6\xC8"},  // 难度
    {115, "\xBC\xF2\xB5\xA5"},  // 简单
    {116, "\xC6\xD5\xCD\xA8"},  // 普通
    {117, "\xC0\xA7\xC4\xD1"},  // 困难
    {118, "\xB5\xD8\xD3\xFC"},  // 地狱
    // 这个名字的存档已经存在
    {119, "\xD5\xE2\xB8\xF6\xC3\xFB\xD7\xD6\xB5\xC4\xB4\xE6\xB5\xB5\xD2\xD1\xBE\xAD\xB4\xE6\xD4\xDA"},
    // 名字里有不能用的字符
    {187, "\xC3\xFB\xD7\xD6\xC0\xEF\xD3\xD0\xB2\xBB\xC4\xDC\xD3\xC3\xB5\xC4\xD7\xD6\xB7\xFB"},
    {274, "\xC7\xEB\xCA\xE4\xC8\xEB\xC3\xFB\xD7\xD6"},  // 请输入名字
    {334, "\xC9\xFA\xC8\xD5"},                          // 生日
    {335, "\xD4\xC2"},                                  // 月
    {336, "\xC8\xD5"},                                  // 日
    {337, "\xC8\xD5\xC6\xDA\xB2\xBB\xB6\xD4"},          // 日期不对
    {378, "\xC1\xD6\xD2\xDD\xB7\xE7"},                  // 林逸风
    {379, "\xCB\xD5\xC7\xE7"},                          // 苏晴
    {380, "\xD5\xD4\xCC\xFA\xC9\xBD"},                  // 赵铁山
    {381, "\xC1\xF8\xC8\xE7\xD1\xCC"},                  // 柳如烟
    {382, "\xBA\xAB\xC7\xE0"},                          // 韩青
    {383, "\xBF\xAA\xCA\xBC\xD0\xC2\xD3\xCE\xCF\xB7"},  // 开始新游戏
    {384, "\xD3\xCE\xCF\xB7\xC9\xE8\xD6\xC3"},          // 游戏设置
    {385, "\xCD\xCB\xB3\xF6\xD3\xCE\xCF\xB7"},          // 退出游戏
    {386, "\xB6\xC1\xC8\xA1\xBD\xF8\xB6\xC8"},          // 读取进度
    {387, "\xD6\xC6\xD7\xF7\xC8\xCB\xD4\xB1"},          // 制作人员
    {388, "\xBB\xAD\xB2\xE1"},                          // 画册
    {389, "\xD1\xA1\xD4\xF1\xD6\xB0\xD2\xB5"},          // 选择职业
    {396, "<"},
    {397, ">"},
    {398, "\xBF\xAA\xCA\xBC"},  // 开始
    {399, "\xB7\xB5\xBB\xD8"},  // 返回
};

namespace {

struct Canvas {
    ImageFrame f;
    Canvas(int w, int h, int r, int g, int b) {
        f.width = w;
        f.height = h;
        f.rle = true;
        f.pixels.assign(static_cast<size_t>(w) * h, Rgb16(r, g, b));
    }
    void Rect(int x, int y, int w, int h, int r, int g, int b) {
        const uint16_t c = Rgb16(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        for (int j = std::max(0, y); j < std::min(f.height, y + h); ++j)
            for (int i = std::max(0, x); i < std::min(f.width, x + w); ++i) f.pixels[static_cast<size_t>(j) * f.width + i] = c;
    }
    // A two-pixel frame in the colour.
    void Frame(int x, int y, int w, int h, int r, int g, int b) {
        Rect(x, y, w, 2, r, g, b);
        Rect(x, y + h - 2, w, 2, r, g, b);
        Rect(x, y, 2, h, r, g, b);
        Rect(x + w - 2, y, 2, h, r, g, b);
    }
};

enum Frame : uint32_t {
    kTitleButtonNormal, kTitleButtonLit, kFirstPortrait, kCredits = kFirstPortrait + 3 * kDemoPortraitCount, kFirstSlide,
    kTitleFull = kFirstSlide + 2 * kDemoSlideCount, kClassMenu, kNewGame
};

const int kPortraitRgb[kDemoPortraitCount][3] = {
    {200, 60, 50}, {60, 110, 220}, {60, 180, 80}, {150, 70, 200}, {220, 190, 60}};
const int kSlideRgb[kDemoSlideCount][3] = {{180, 90, 40}, {40, 140, 120}, {120, 50, 140}};

std::string Portrait(int k, int level) {
    const int* c = kPortraitRgb[k];
    const int scale = 40 + 30 * level;  // percent: dim while not hovered
    Canvas p(kDemoPortraitW, kDemoPortraitH, 25, 25, 30);
    const int r = c[0] * scale / 100, g = c[1] * scale / 100, b = c[2] * scale / 100;
    p.Rect(28, 14, 40, 40, r + 40, g + 40, b + 40);  // head
    p.Rect(18, 58, 60, 62, r, g, b);                 // body
    p.Frame(0, 0, kDemoPortraitW, kDemoPortraitH, r + 60, g + 60, b + 60);
    return EncodeFrame(p.f);
}

} // namespace

std::vector<std::string> BuildDemoTitleFrames() {
    std::vector<std::string> out;
    {
        Canvas n(kDemoTitleButtonW, kDemoTitleButtonH, 30, 45, 110);
        n.Frame(0, 0, kDemoTitleButtonW, kDemoTitleButtonH, 120, 140, 210);
        out.push_back(EncodeFrame(n.f));
        Canvas l(kDemoTitleButtonW, kDemoTitleButtonH, kDemoButtonLitRgb[0], kDemoButtonLitRgb[1], kDemoButtonLitRgb[2]);
        l.Frame(0, 0, kDemoTitleButtonW, kDemoTitleButtonH, 255, 240, 180);
        out.push_back(EncodeFrame(l.f));
    }
    for (int k = 0; k < kDemoPortraitCount; ++k)
        for (int level = 0; level < 3; ++level) out.push_back(Portrait(k, level));
    {
        // Credits: lines of "text" in blocks, as a rolling list of names.
        Canvas c(320, kDemoCreditsHeight, 10, 10, 20);
        for (int y = 40, i = 0; y < kDemoCreditsHeight - 40; y += 24, ++i) {
            const bool heading = i % 5 == 0;
            const int w = heading ? 180 : 90 + (i * 37) % 110;
            c.Rect((320 - w) / 2, y, w, heading ? 10 : 6, heading ? 230 : 180, heading ? 200 : 180, heading ? 120 : 200);
        }
        out.push_back(EncodeFrame(c.f));
    }
    for (int s = 0; s < kDemoSlideCount; ++s)
        for (int f = 0; f < 2; ++f) {
            const int* c = kSlideRgb[s];
            Canvas p(480, 360, c[0] / 3, c[1] / 3, c[2] / 3);
            // A sun rising between the two frames over a hill.
            p.Rect(60 + 120 * s, 120 - 30 * f, 80, 80, 250, 220, 120);
            p.Rect(0, 240, 480, 120, c[0], c[1], c[2]);
            p.Frame(0, 0, 480, 360, 220, 220, 220);
            out.push_back(EncodeFrame(p.f));
        }
    {
        Canvas t(640, 480, kDemoTitleRgb[0], kDemoTitleRgb[1], kDemoTitleRgb[2]);
        // The frame stays clear of the strip along the top, where the menu
        // writes the version centred 20 pixels from the right edge.
        t.Frame(kDemoTitleFrameInset[0], kDemoTitleFrameInset[1], 640 - 2 * kDemoTitleFrameInset[0],
                480 - kDemoTitleFrameInset[1] - kDemoTitleFrameInset[0], kDemoTitleFrameRgb[0], kDemoTitleFrameRgb[1],
                kDemoTitleFrameRgb[2]);
        // The name plate and its shadow.
        t.Rect(130, 54, 390, 80, 10, 15, 50);
        t.Rect(120, 44, 400, 80, 200, 160, 60);
        t.Rect(130, 54, 380, 60, 120, 30, 30);
        t.Frame(120, 44, 400, 80, 255, 230, 150);
        // The game's name on the plate, with a shadow. Without a font file
        // the plate stays plain.
        const plat::Font font(-40, plat::FW_BOLD, "");
        const std::string name = "\xB7\xB2\xCC\xD8\xB6\xFB\xB4\xAB\xC6\xE6";  // 凡特尔传奇
        const int tx = 130 + (380 - font.MeasureGbk(name).cx) / 2, ty = 54 + (60 - font.CellHeight()) / 2;
        auto* px = reinterpret_cast<uint8_t*>(t.f.pixels.data());
        font.DrawGbk(px, 2 * 640, 640, 480, tx + 2, ty + 2, name, Rgb16(40, 10, 10));
        font.DrawGbk(px, 2 * 640, 640, 480, tx, ty, name, Rgb16(255, 220, 120));
        out.push_back(EncodeFrame(t.f));
    }
    {
        Canvas m(640, 480, kDemoClassMenuRgb[0], kDemoClassMenuRgb[1], kDemoClassMenuRgb[2]);
        m.Frame(0, 0, 640, 480, 90, 160, 160);
        m.Rect(30, 140, 580, 148, 10, 40, 40);
        out.push_back(EncodeFrame(m.f));
    }
    {
        Canvas g(640, 480, kDemoNewGameRgb[0], kDemoNewGameRgb[1], kDemoNewGameRgb[2]);
        g.Frame(0, 0, 640, 480, 140, 120, 190);
        g.Frame(56, 116, kDemoPortraitW + 8, kDemoPortraitH + 8, 200, 180, 240);
        for (const int* box : {kDemoNameBox, kDemoMonthBox, kDemoDayBox}) {
            g.Rect(box[0] - 2, box[1] - 2, box[2] + 4, box[3] + 4, 120, 110, 160);
            g.Rect(box[0], box[1], box[2], box[3], 15, 12, 25);
        }
        out.push_back(EncodeFrame(g.f));
    }
    return out;
}

void AddDemoTitleAnims(std::vector<std::string>& anim, uint32_t lib, uint32_t firstEntry) {
    const auto frame = [lib, firstEntry](uint32_t entry, uint32_t delay) {
        AnimFrameSpec s;
        s.delay = delay;
        s.resId = (lib << 20) | (firstEntry + entry);
        return s;
    };
    const auto put = [&anim](uint32_t id, std::string table) {
        if (anim.size() <= id) anim.resize(id + 1);
        anim[id] = std::move(table);
    };
    put(kDemoTitleButtonAnim, BuildAnimTable({{0, {frame(kTitleButtonNormal, 4)}}, {0, {frame(kTitleButtonLit, 4)}}}));
    std::vector<AnimSeqSpec> portraits;
    for (uint32_t k = 0; k < kDemoPortraitCount; ++k) {
        AnimSeqSpec s;
        for (uint32_t level = 0; level < 3; ++level) s.frames.push_back(frame(kFirstPortrait + 3 * k + level, 2));
        portraits.push_back(s);
    }
    put(kDemoPortraitAnim, BuildAnimTable(portraits));
    put(kDemoCreditsAnim, BuildAnimTable({{0, {frame(kCredits, 4)}}}));
    std::vector<AnimSeqSpec> slides;
    for (uint32_t s = 0; s < kDemoSlideCount; ++s)
        slides.push_back({0, {frame(kFirstSlide + 2 * s, 28), frame(kFirstSlide + 2 * s + 1, 28)}});
    put(kDemoSlidesAnim, BuildAnimTable(slides));
    put(kDemoTitleFullAnim, BuildAnimTable({{0, {frame(kTitleFull, 4)}}}));
    put(kDemoClassMenuAnim, BuildAnimTable({{0, {frame(kClassMenu, 4)}}}));
    put(kDemoNewGameAnim, BuildAnimTable({{0, {frame(kNewGame, 4)}}}));
}

void AddDemoTitleRows(std::vector<PanelRow>& rows, int screenWidth) {
    const auto full = [](PanelRow& r, uint32_t pic) {
        r.picture = std::to_string(pic);
        r.anchor = "5";
        r.x = "0";
        r.y = "0";
        r.width = "640";
        r.height = "480";
    };
    for (PanelRow& r : rows) {
        if (r.id == "25" && screenWidth == 640) full(r, kDemoTitleFullAnim);
        else if (r.id == "26") full(r, kDemoClassMenuAnim);
        else if (r.id == "156") {
            full(r, kDemoNewGameAnim);
            // Items: the panel, the labels' offset from their boxes, the
            // portrait, the difficulty name's offset from its buttons.
            r.x = "0*-70*60*0";
            r.y = "0*3*120*30";
        } else if (r.id == "28") {
            r.picture = std::to_string(kDemoCreditsAnim);
            r.anchor = "6";
            r.y = "0";
            r.width = "320";
            r.height = std::to_string(kDemoCreditsHeight);
        } else if (r.id == "166") {
            r.picture = std::to_string(kDemoSlidesAnim);
            r.width = "480";
            r.height = "360";
        }
    }
    const auto control = [&rows](int id, const char* name, const char* kind, std::string picture, int x, int y) {
        PanelRow r;
        r.name = name;
        r.id = std::to_string(id);
        r.kind = kind;
        r.picture = std::move(picture);
        r.x = std::to_string(x);
        r.y = std::to_string(y);
        r.shown = "1";
        rows.push_back(r);
        return &rows.back();
    };
    for (const DemoTitleButton& b : kDemoTitleButtons) {
        PanelRow* r = control(b.id, "TitleButton", "3", std::to_string(kDemoTitleButtonAnim), kDemoTitleButtonX, b.y);
        r->caption = std::to_string(b.caption);
        r->font = "4";
        r->centred = "1";
        if (b.id == 167) r->shown = "0";
    }
    for (int k = 0; k < kDemoPortraitCount; ++k) {
        const DemoClassChoice& c = kDemoClassChoices[k];
        PanelRow* r = control(c.id, "ClassPortrait", "7", std::to_string(kDemoPortraitAnim) + "*" + std::to_string(k),
                              DemoPortraitX(k), kDemoPortraitY);
        r->extra = {std::to_string(c.classId)};
        if (c.id == 226) r->shown = "0";
    }
    const auto edit = [&](int id, const char* name, const int* box) {
        PanelRow* r = control(id, name, "11", std::to_string(kDemoCaretAnim), box[0], box[1]);
        r->width = std::to_string(box[2]);
        r->height = std::to_string(box[3]);
        r->font = "2";
    };
    edit(157, "NameBox", kDemoNameBox);
    edit(223, "MonthBox", kDemoMonthBox);
    edit(224, "DayBox", kDemoDayBox);
    const auto button = [&](int id, const char* name, const int* at, int caption) {
        PanelRow* r = control(id, name, "6", std::to_string(kDemoButtonAnim), at[0], at[1]);
        r->caption = std::to_string(caption);
        r->centred = "1";
    };
    button(159, "PrevDifficulty", kDemoPrevDifficulty, 396);
    button(179, "NextDifficulty", kDemoNextDifficulty, 397);
    button(160, "StartGame", kDemoStartButton, 398);
    button(161, "Back", kDemoBackButton, 399);
}

} // namespace datagen
