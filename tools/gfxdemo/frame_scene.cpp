#include "gfxdemo/frame_scene.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/directories.h"
#include "datagen/define_writer.h"
#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "datagen/pli_writer.h"
#include "gfx/color_tables.h"
#include "gfx/fast_kernels.h"
#include "gfx/image.h"
#include "gfx/image_ref.h"
#include "gfx/light_grid.h"
#include "gfx/mouse_cursor.h"
#include "gfx/pixel_format.h"
#include "gfx/res_lib.h"
#include "gfx/role_sprite.h"
#include "gfx/screen_transition.h"
#include "gfx/surface.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/random.h"

namespace gfxdemo {

namespace {

constexpr uint32_t kLib = 0;  // the scene's one library, slot 0 of the list
constexpr char kLibName[] = "scene";
constexpr int32_t kTileW = 64, kTileH = 32;
constexpr int32_t kTileCols = 15, kTileRows = 42;  // 630 tiles
constexpr int32_t kTileVariants = 8;
constexpr int32_t kLightCell = 8;
constexpr int32_t kLightSpots = 30;
constexpr int32_t kEffects = 20;
constexpr int32_t kCursorX = 412, kCursorY = 305;
// The transition is held at counter 7: level 15 - 7 / 2 = 12.
constexpr int32_t kTransitionSteps = CScreenTransition::kFrames - 7;
constexpr int32_t kPanelDim = 6;

// ---- Art: 8-bit RGB pictures, converted to either layout at the end ----

struct Rgb8 {
    int32_t r, g, b;
};

struct Art {
    Art(int32_t w, int32_t h) : w(w), h(h), px(static_cast<size_t>(w) * h, -1) {}
    void Set(int32_t x, int32_t y, Rgb8 c) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        const auto cl = [](int32_t v) { return std::clamp(v, 0, 255); };
        px[static_cast<size_t>(y) * w + x] = cl(c.r) << 16 | cl(c.g) << 8 | cl(c.b);
    }
    void SetAlpha(int32_t x, int32_t y, int32_t a) {
        if (alpha.empty()) alpha.assign(px.size(), 0);
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        alpha[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(std::clamp(a, 0, 255));
    }
    int32_t w, h;
    std::vector<int32_t> px;  // 0xRRGGBB, -1 transparent
    std::vector<uint8_t> alpha;  // empty: no alpha plane
};

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}
// -n .. n, from the position.
int32_t Noise(uint32_t seed, int32_t x, int32_t y, int32_t n) {
    return static_cast<int32_t>(Hash(seed, static_cast<uint32_t>(x), static_cast<uint32_t>(y)) % (2u * n + 1)) - n;
}
Rgb8 Scale(Rgb8 c, float f) {
    return {static_cast<int32_t>(c.r * f), static_cast<int32_t>(c.g * f), static_cast<int32_t>(c.b * f)};
}
Rgb8 Add(Rgb8 c, int32_t d) { return {c.r + d, c.g + d, c.b + d}; }

// A shaded ellipse inscribed in (x0, y0, w, h): lit from the upper left,
// outlined, a little grain.
void Ellipse(Art& a, int32_t x0, int32_t y0, int32_t w, int32_t h, Rgb8 c, uint32_t seed, bool outline = true) {
    const float rx = w / 2.0f, ry = h / 2.0f;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const float nx = (x + 0.5f - rx) / rx, ny = (y + 0.5f - ry) / ry;
            const float d = nx * nx + ny * ny;
            if (d > 1.0f) continue;
            const float shade = 1.1f - 0.3f * (nx + ny);
            Rgb8 p = Scale(c, outline && d > 0.78f ? 0.5f : shade);
            a.Set(x0 + x, y0 + y, Add(p, Noise(seed, x, y, 6)));
        }
}
void Box(Art& a, int32_t x0, int32_t y0, int32_t w, int32_t h, Rgb8 c, uint32_t seed) {
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            const float shade = 1.15f - 0.3f * x / std::max(w - 1, 1);
            a.Set(x0 + x, y0 + y, Add(Scale(c, edge ? 0.5f : shade), Noise(seed, x, y, 5)));
        }
}

// The 16-bit pixel of the layout; a colour that would land on the layout's
// colour key is nudged off it (the same way in both layouts).
uint16_t Pixel(int32_t rgb, int32_t format) {
    int32_t r = rgb >> 16 & 255, g = rgb >> 8 & 255, b = rgb & 255;
    if (r >= 248 && b >= 248 && g < 8) g = 8;
    return datagen::Rgb16(r, g, b, format);
}

std::string Encode(const Art& a, int32_t format, bool rle) {
    datagen::ImageFrame f;
    f.width = a.w;
    f.height = a.h;
    f.rle = rle;
    f.format = static_cast<uint8_t>(format);
    f.colorKey = format == kFormat565 ? datagen::kKey565 : datagen::kKey555;
    f.pixels.reserve(a.px.size());
    for (int32_t v : a.px) f.pixels.push_back(v < 0 ? static_cast<uint16_t>(f.colorKey) : Pixel(v, format));
    if (!a.alpha.empty()) {
        f.alpha = a.alpha;
        for (size_t i = 0; i < a.px.size(); ++i)
            if (a.px[i] < 0) f.alpha[i] = 0;
        f.compressAlpha = true;
    }
    return datagen::EncodeFrame(f);
}

// ---- The pictures of the scene ----

// Iso ground: a 64 x 32 diamond, two pixels fatter on each side than the
// lattice needs, so neighbours overlap and leave no gaps.
Art GroundTile(int32_t v) {
    static const Rgb8 kBase[kTileVariants] = {{70, 120, 50}, {84, 132, 58}, {62, 108, 46}, {120, 96, 64},
                                              {132, 108, 72}, {118, 118, 122}, {96, 98, 104}, {78, 126, 84}};
    Art a(kTileW, kTileH);
    const Rgb8 c = kBase[v];
    for (int32_t y = 0; y < kTileH; ++y) {
        const int32_t hw = std::min(2 * (y < kTileH / 2 ? y + 1 : kTileH - y) + 2, kTileW / 2);
        for (int32_t x = kTileW / 2 - hw; x < kTileW / 2 + hw; ++x) {
            Rgb8 p = Add(c, Noise(100 + v, x, y, 14));
            if (v >= 5 && (Hash(v, x / 6, y / 3) & 7) == 0) p = Scale(p, 0.8f);  // paving
            if ((Hash(200 + v, x, y) & 63) == 0) p = Add(p, 40);                  // pebbles, flowers
            a.Set(x, y, p);
        }
    }
    return a;
}

// Translucent pictures: 0, 1 raw clouds (keyed outside an ellipse), 2, 3 RLE
// rings of light.
Art Effect(int32_t v) {
    if (v < 2) {
        Art a(96, 64);
        const Rgb8 c = v == 0 ? Rgb8{210, 220, 240} : Rgb8{250, 190, 90};
        for (int32_t y = 0; y < a.h; ++y)
            for (int32_t x = 0; x < a.w; ++x) {
                const float nx = (x + 0.5f - 48) / 48, ny = (y + 0.5f - 32) / 32;
                const float d = nx * nx + ny * ny;
                if (d <= 1.0f) a.Set(x, y, Add(Scale(c, 1.1f - 0.4f * d), Noise(300 + v, x, y, 10)));
            }
        return a;
    }
    Art a(80, 80);
    const Rgb8 c = v == 2 ? Rgb8{120, 200, 255} : Rgb8{255, 120, 200};
    for (int32_t y = 0; y < a.h; ++y)
        for (int32_t x = 0; x < a.w; ++x) {
            const float d = std::sqrt((x + 0.5f - 40) * (x + 0.5f - 40) + (y + 0.5f - 40) * (y + 0.5f - 40));
            if (d >= 22 && d <= 39) a.Set(x, y, Scale(c, 1.2f - std::fabs(d - 30.5f) / 17));
        }
    return a;
}

Art PanelBorder(int32_t w, int32_t h) {
    Art a(w, h);
    static const Rgb8 kRing[4] = {{40, 28, 16}, {208, 184, 120}, {150, 116, 64}, {70, 50, 26}};
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int32_t ring = std::min({x, y, w - 1 - x, h - 1 - y});
            if (ring < 4) a.Set(x, y, kRing[ring]);
            else if (y >= 4 && y < 18) a.Set(x, y, Add(Rgb8{60, 44, 30}, Noise(400, x, y, 4)));  // title strip
        }
    return a;
}

Art Icon(int32_t v) {
    static const Rgb8 kGem[3] = {{220, 40, 40}, {40, 120, 230}, {60, 200, 90}};
    Art a(32, 32);
    Box(a, 0, 0, 32, 32, {90, 80, 70}, 500 + v);
    Ellipse(a, 6, 6, 20, 20, kGem[v], 510 + v);
    for (int32_t i = 0; i < 3; ++i) a.px[static_cast<size_t>(i)] = -1;  // keyed corner
    return a;
}

Art CursorArt(int32_t frame) {
    Art a(16, 24);
    const Rgb8 fill = frame == 0 ? Rgb8{250, 250, 250} : Rgb8{220, 220, 200};
    const Rgb8 black{0, 0, 0};
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x <= y / 2 + 1; ++x) a.Set(x, y, x == 0 || x == y / 2 + 1 || y == 19 ? black : fill);
    // The tail.
    for (int32_t y = 14; y < 24; ++y) {
        a.Set(y / 2 - 3, y, black);
        a.Set(y / 2 - 2, y, fill);
        a.Set(y / 2 - 1, y, black);
    }
    return a;
}

// ---- Role sprites: three roles of six parts ----

constexpr int32_t kRoles = 3;
const char* const kRoleNames[kRoles] = {"KNIGHT", "ARCHER", "MAGE"};
constexpr int32_t kMageRole = 2;  // its aura and staff have alpha planes
constexpr int32_t kParts = 6;
const char* const kPartNames[kParts] = {"SH", "LG", "CP", "BD", "HD", "WP"};
constexpr char kVariants[] = "001*001*001*001*001*001";
constexpr int32_t kActions = 2, kFrames = 2;

struct PartPicture {
    Art art;
    int32_t x, y;  // top-left from the feet
};

PartPicture RolePart(int32_t role, int32_t part, int32_t action, int32_t frame) {
    static const Rgb8 kCloth[kRoles] = {{70, 90, 170}, {70, 130, 60}, {120, 60, 160}};
    static const Rgb8 kCape[kRoles] = {{150, 30, 30}, {100, 80, 50}, {60, 30, 100}};
    const Rgb8 cloth = kCloth[role], cape = kCape[role];
    const uint32_t seed = static_cast<uint32_t>(1000 + role * 100 + part * 10 + action * 2 + frame);
    const int32_t swing = action == 1 ? (frame == 0 ? 2 : -2) : 0;
    switch (part) {
    case 0:
        if (role == kMageRole) {
            // A glowing aura under the feet, opaque at the centre.
            PartPicture p{Art(60, 28), -30, -14};
            for (int32_t y = 0; y < 28; ++y)
                for (int32_t x = 0; x < 60; ++x) {
                    const float nx = (x + 0.5f - 30) / 30, ny = (y + 0.5f - 14) / 14;
                    const float d = nx * nx + ny * ny;
                    if (d > 1.0f) continue;
                    p.art.Set(x, y, Add(Rgb8{110, 170, 255}, static_cast<int32_t>(90 * (1 - d))));
                    p.art.SetAlpha(x, y, static_cast<int32_t>(240 * (1 - d)) + 16 * frame);
                }
            return p;
        } else {
            PartPicture p{Art(40, 14), -20, -7};
            Ellipse(p.art, 0, 0, 40, 14, {28, 26, 34}, seed, false);
            return p;
        }
    case 1: {
        PartPicture p{Art(22, 28), -11, -28};
        Box(p.art, 1, 2 + swing, 8, 24, Scale(cloth, 0.7f), seed);
        Box(p.art, 13, 2 - swing, 8, 24, Scale(cloth, 0.7f), seed + 1);
        Box(p.art, 1, 21 + swing, 8, 5, {50, 36, 24}, seed + 2);
        Box(p.art, 13, 21 - swing, 8, 5, {50, 36, 24}, seed + 3);
        return p;
    }
    case 2: {
        PartPicture p{Art(32, 38), -16, -54};
        for (int32_t y = 0; y < 38; ++y) {
            const int32_t hw = 9 + y / 6, shift = swing * y / 14;
            for (int32_t x = 16 - hw; x < 16 + hw; ++x)
                p.art.Set(x + shift, y, Add(Scale(cape, 1.0f - 0.2f * y / 38), Noise(seed, x, y, 6)));
        }
        return p;
    }
    case 3: {
        PartPicture p{Art(26, 30), -13, -54};
        Ellipse(p.art, 0, 0, 26, 30, cloth, seed);
        Box(p.art, 3, 18, 20, 3, {90, 60, 30}, seed + 1);  // belt
        return p;
    }
    case 4: {
        PartPicture p{Art(16, 17), -8, -68};
        Ellipse(p.art, 0, 1, 16, 16, {230, 190, 150}, seed);
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 2 + (5 - y) / 2; x < 14 - (5 - y) / 2; ++x)
                p.art.Set(x, y, Add(Scale(cape, 0.9f), Noise(seed, x, y, 8)));  // hair or helmet
        if (action == 0) {
            p.art.Set(5, 9, {20, 20, 20});
            p.art.Set(10, 9, {20, 20, 20});
        }
        return p;
    }
    default: {
        if (role == 0) {
            PartPicture p{Art(8, 46), 10, -60 + swing};
            Box(p.art, 2, 0, 4, 36, {200, 205, 215}, seed);
            Box(p.art, 0, 34, 8, 3, {210, 170, 50}, seed + 1);
            Box(p.art, 3, 37, 2, 9, {90, 60, 30}, seed + 2);
            return p;
        }
        if (role == 1) {
            PartPicture p{Art(14, 44), 10, -58 + swing};
            for (int32_t y = 0; y < 44; ++y) {
                const float t = (y - 21.5f) / 22;
                const int32_t x = static_cast<int32_t>(10 * (1 - t * t));
                p.art.Set(x, y, {120, 80, 40});
                p.art.Set(x + 1, y, {150, 100, 50});
                p.art.Set(x + 2, y, {90, 60, 30});
                p.art.Set(0, y, {230, 230, 220});  // string
            }
            return p;
        }
        // A staff with a glowing orb: alpha plane over the whole picture.
        PartPicture p{Art(18, 52), 8, -66 + swing};
        for (int32_t y = 14; y < 52; ++y)
            for (int32_t x = 8; x < 11; ++x) {
                p.art.Set(x, y, Add(Rgb8{110, 76, 40}, Noise(seed, x, y, 8)));
                p.art.SetAlpha(x, y, 255);
            }
        for (int32_t y = 0; y < 18; ++y)
            for (int32_t x = 0; x < 18; ++x) {
                const float nx = (x + 0.5f - 9) / 9, ny = (y + 0.5f - 9) / 9;
                const float d = nx * nx + ny * ny;
                if (d > 1.0f) continue;
                p.art.Set(x, y, Add(Rgb8{150, 220, 255}, static_cast<int32_t>(100 * (1 - d))));
                p.art.SetAlpha(x, y, static_cast<int32_t>(255 * (1 - d * d)));
            }
        return p;
    }
    }
}

uint32_t Id(uint32_t entry, uint32_t frame = 0) { return MakeResId(kLib, entry, frame); }

// What WriteData wrote, by entry.
struct SceneIds {
    std::vector<uint32_t> tiles, effects, borders, icons;
    uint32_t cursorAnim = 0;
};

bool WriteData(const std::string& root, int32_t format, const std::vector<std::pair<int32_t, int32_t>>& panelSizes,
               SceneIds* ids, std::string* error) {
    std::vector<std::string> e;
    const auto add = [&](const std::string& bytes) {
        e.push_back(bytes);
        return static_cast<uint32_t>(e.size() - 1);
    };
    for (int32_t v = 0; v < kTileVariants; ++v) ids->tiles.push_back(add(Encode(GroundTile(v), format, true)));
    for (int32_t v = 0; v < 4; ++v) ids->effects.push_back(add(Encode(Effect(v), format, v >= 2)));
    for (const auto& [w, h] : panelSizes) ids->borders.push_back(add(Encode(PanelBorder(w, h), format, false)));
    for (int32_t v = 0; v < 3; ++v) ids->icons.push_back(add(Encode(Icon(v), format, false)));

    {
        const uint32_t table = add(datagen::BuildFrameTable({Encode(CursorArt(0), format, true),
                                                             Encode(CursorArt(1), format, true)}));
        datagen::AnimSeqSpec seq;
        for (uint32_t f = 0; f < 2; ++f) {
            datagen::AnimFrameSpec fr;
            fr.delay = 4;
            fr.resId = Id(table, f + 1);
            seq.frames.push_back(fr);
        }
        ids->cursorAnim = Id(add(datagen::BuildAnimTable({seq})));
    }

    std::vector<datagen::SprRoleItem> items;
    for (int32_t role = 0; role < kRoles; ++role) {
        for (int32_t part = 0; part < kParts; ++part) {
            std::vector<std::string> frames;
            std::vector<datagen::AnimSeqSpec> seqs(kActions);
            for (int32_t a = 0; a < kActions; ++a)
                for (int32_t f = 0; f < kFrames; ++f) {
                    const PartPicture p = RolePart(role, part, a, f);
                    frames.push_back(Encode(p.art, format, true));
                    datagen::AnimFrameSpec fr;
                    fr.delay = 3;
                    fr.x = p.x;
                    fr.y = p.y;
                    seqs[static_cast<size_t>(a)].frames.push_back(fr);
                }
            const uint32_t table = add(datagen::BuildFrameTable(frames));
            uint32_t n = 1;
            for (auto& s : seqs)
                for (auto& fr : s.frames) fr.resId = Id(table, n++);
            const uint32_t anim = add(datagen::BuildAnimTable(seqs));
            items.push_back({kRoleNames[role], kPartNames[part], "001", static_cast<int32_t>(Id(anim)), ""});
        }
        datagen::PliSpec pli;
        pli.roleName = kRoleNames[role];
        pli.mainPart = "BD";
        pli.partNames.assign(kPartNames, kPartNames + kParts);
        // Back to front: facing the viewer the cape hangs behind; turned
        // away the weapon is behind the body and the cape in front.
        const std::vector<uint8_t> front = {0, 2, 1, 3, 4, 5}, back = {0, 1, 5, 3, 4, 2};
        pli.actions = {{front, front}, {back, back}};
        if (!datagen::WritePli(datagen::PliNativePath(root, kRoleNames[role]), pli)) {
            *error = "cannot write the PLI file of " + std::string(kRoleNames[role]);
            return false;
        }
    }
    if (!datagen::WriteLib(root + "Zy/" + kLibName + ".lib", e) ||
        !datagen::WriteIdxLib(root + "Zy/idx.lib", {kLibName})) {
        *error = "cannot write the scene library";
        return false;
    }
    if (!datagen::WriteSprRoleHeader(root + "slr/SprRole.h", items)) {
        *error = "cannot write slr/SprRole.h";
        return false;
    }
    return true;
}

struct PanelSpec {
    int32_t x, y, w, h;
};
// Ten panels: status bars, a mini-map, a chat box and five action slots.
constexpr PanelSpec kPanels[] = {{10, 10, 200, 60},    {10, 78, 200, 44},    {600, 10, 190, 140},
                                 {600, 158, 190, 100}, {10, 372, 300, 124},  {10, 506, 150, 84},
                                 {168, 506, 150, 84},  {326, 506, 150, 84},  {484, 506, 150, 84},
                                 {642, 506, 148, 84}};

std::unique_ptr<CImageRef> Bind(uint32_t entry) {
    auto ref = std::make_unique<CImageRef>();
    ref->SetById(Id(entry));
    return ref;
}

} // namespace

FrameScene::FrameScene() = default;
FrameScene::~FrameScene() { Release(); }

bool FrameScene::Build(const std::string& nativeFolder, const FrameSceneOptions& options, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    Release();
    m_Options = options;
    if (options.format != kFormat565 && options.format != kFormat555) {
        *error = "format must be 16 (5-6-5) or 15 (5-5-5)";
        return false;
    }
    std::error_code ec;
    const std::filesystem::path abs = std::filesystem::absolute(nativeFolder, ec);
    std::filesystem::create_directories(abs, ec);
    std::string root = abs.string();
    if (root.empty() || root.back() != '/') root += '/';

    // The layout first: surfaces and colour tables follow it.
    plat::SetDisplayLayout(options.format == kFormat565 ? plat::PixelLayout::k565 : plat::PixelLayout::k555);
    g_PixelFormat.m_Format = options.format;
    FreeColorTables();
    BuildColorTables(options.format);

    std::vector<std::pair<int32_t, int32_t>> sizes;
    for (const PanelSpec& p : kPanels) sizes.emplace_back(p.w, p.h);
    SceneIds ids;
    if (!WriteData(root, options.format, sizes, &ids, error)) return false;

    setenv("VANTREL_HOME", root.c_str(), 1);
    SetProgramDirectory(0);
    m_Display = std::make_unique<CSurface>();
    m_Back = std::make_unique<CSurface>(kFrameWidth, kFrameHeight, 1);
    if (!m_Back->Lock(nullptr)) {
        *error = "no 800 x 600 back buffer";
        Release();
        return false;
    }
    m_Back->Unlock();
    m_Built = true;

    if (InitResourceLibraries() != 1) {
        *error = "the scene library does not load";
        Release();
        return false;
    }
    const std::string header = std::string(GetProgramDirectory()) + "slr\\SprRole.h";
    if (LoadSprRoleHeader(header) != 1) {
        *error = "slr\\SprRole.h does not load";
        Release();
        return false;
    }
    for (uint32_t t : ids.tiles) m_Tiles.push_back(Bind(t));
    for (uint32_t t : ids.effects) m_Effects.push_back(Bind(t));
    for (uint32_t t : ids.borders) m_Borders.push_back(Bind(t));
    for (uint32_t t : ids.icons) m_Icons.push_back(Bind(t));
    for (const auto* refs : {&m_Tiles, &m_Effects, &m_Borders, &m_Icons})
        for (const auto& r : *refs)
            if (!r->GetImage()) {
                *error = "a scene picture does not load";
                Release();
                return false;
            }
    m_Cursor = std::make_unique<CMouseCursor>();
    m_Cursor->SetAnim(ids.cursorAnim);
    if (!m_Cursor->ShapePlayer()) {
        *error = "the cursor animation does not load";
        Release();
        return false;
    }

    // Night: ambient mode 1 at level 4, lit by spots.
    g_LightGrid.Init(kLightCell, kFrameWidth, kFrameHeight);
    g_LightGrid.m_AmbientMode = -1;  // the tables were rebuilt above
    g_LightGrid.SetAmbientMode(1, m_Back.get());
    g_LightGrid.Fill(4);

    plat::SRand(options.seed);
    static const uint32_t kLightColours[4] = {0xFFE0A0, 0x80C0FF, 0xA06040, 0xFFFFFF};
    for (int32_t i = 0; i < kLightSpots; ++i) {
        const int32_t radius = 160 + 32 * (plat::Rand() % 5);
        const uint32_t colour = kLightColours[plat::Rand() % 4];
        CLightMap* spot = g_LightGrid.GetSpot(radius, colour);
        const int32_t x = plat::Rand() % kFrameWidth;
        const int32_t y = plat::Rand() % kFrameHeight;
        g_LightGrid.Stamp(spot, x, y);
    }
    m_Counts.lightSpots = kLightSpots;

    // The ground, scrolled so the outer tiles are cut by the frame edges.
    for (int32_t r = 0; r < kTileRows; ++r)
        for (int32_t c = 0; c < kTileCols; ++c) {
            const int32_t v = static_cast<int32_t>(Hash(7, static_cast<uint32_t>(c), static_cast<uint32_t>(r)) % kTileVariants);
            m_Ground.push_back({c * kTileW + (r & 1) * (kTileW / 2) - 96, r * (kTileH / 2) - 32, v});
        }
    m_Counts.groundTiles = static_cast<int32_t>(m_Ground.size());

    g_DrawAlphaSpriteParts = 1;
    for (int32_t i = 0; i < options.sprites; ++i) {
        const int32_t role = i % kRoles;
        CRoleSprite* spr = CreateRoleSprite(kRoleNames[role], "001", kVariants);
        if (!spr) {
            *error = std::string("role sprite ") + kRoleNames[role] + " does not build";
            Release();
            return false;
        }
        const int32_t x = plat::Rand() % (kFrameWidth + 40) - 20;
        const int32_t y = plat::Rand() % (kFrameHeight + 40) + 20;
        const int32_t action = plat::Rand() % kActions;
        const int32_t frame = plat::Rand() % kFrames;
        CTrailAnim* anim = GetRoleSpriteAnim(spr);
        anim->m_CurSeq = action;
        if (CAnimPlayer* p = anim->Player(action)) p->m_CurFrame = frame;
        if (role == kMageRole) ++m_Counts.alphaSprites;
        if (i % 4 == 1) {
            // Drawn at the light level of the cell under its feet.
            SetRoleSpriteDrawMode(spr, kDrawTable, g_LightGrid.LevelAt(x, y), 1);
            ++m_Counts.litSprites;
        } else if (i % 10 == 7) {
            SetRoleSpriteDrawMode(spr, kDrawBlend, 9, 1);
            ++m_Counts.ghostSprites;
        }
        m_Sprites.push_back({spr, x, y});
    }
    // Back to front.
    std::stable_sort(m_Sprites.begin(), m_Sprites.end(), [](const Sprite& a, const Sprite& b) { return a.y < b.y; });
    m_Counts.sprites = options.sprites;

    for (int32_t i = 0; i < kEffects; ++i) {
        const int32_t x = plat::Rand() % (kFrameWidth + 60) - 60;
        const int32_t y = plat::Rand() % (kFrameHeight + 40) - 40;
        m_Placed.push_back({x, y, i % 4, kDrawBlend, 5 + (i * 3) % 8});
    }
    m_Counts.translucent = kEffects;

    for (size_t i = 0; i < std::size(kPanels); ++i)
        m_Panels.push_back({kPanels[i].x, kPanels[i].y, kPanels[i].w, kPanels[i].h, static_cast<int32_t>(i)});
    m_Counts.panels = static_cast<int32_t>(m_Panels.size());

    // A fade in from black, held part-way.
    m_Transition = std::make_unique<CScreenTransition>();
    m_Transition->Start(1, m_Back.get());
    for (int32_t i = 0; i < kTransitionSteps; ++i) m_Transition->Step();
    if (!m_Transition->GetDrawTarget()) {
        *error = "the transition has no surfaces";
        Release();
        return false;
    }
    return true;
}

CSurface* FrameScene::ViewTarget() const {
    CSurface* target = m_Transition ? m_Transition->GetDrawTarget() : nullptr;
    return target ? target : m_Back.get();
}

const char* FramePhaseName(int32_t phase) {
    static const char* const kNames[kPhaseCount] = {"ground", "light", "sprites", "effects", "transition",
                                                    "panels", "cursor"};
    return phase >= 0 && phase < kPhaseCount ? kNames[phase] : "";
}

void FrameScene::Compose(double* phaseMs) {
    if (!m_Built || !m_Transition) return;
    using Clock = std::chrono::steady_clock;
    Clock::time_point mark = phaseMs ? Clock::now() : Clock::time_point();
    const auto lap = [&](int32_t phase) {
        if (!phaseMs) return;
        const Clock::time_point now = Clock::now();
        phaseMs[phase] = std::chrono::duration<double, std::milli>(now - mark).count();
        mark = now;
    };
    CSurface* world = ViewTarget();
    // No colour table is rebuilt while a frame draws: the fast kernels check
    // each table once per frame instead of once per picture.
    const fast::StableTablesScope stableTables;

    for (const Tile& t : m_Ground)
        if (CImage* img = m_Tiles[static_cast<size_t>(t.variant)]->GetImage())
            img->Draw(world, t.x, t.y, kDrawCopy, -1, nullptr);
    lap(kPhaseGround);
    // The ground through the light grid; roles then draw at their own level.
    g_LightGrid.Apply(world, world, &g_LightGrid.Map(), m_View);
    lap(kPhaseLight);
    for (const Sprite& s : m_Sprites) DrawRoleSprite(s.sprite, world, s.x, s.y, &m_View);
    lap(kPhaseSprites);
    for (const Placed& p : m_Placed)
        if (CImage* img = m_Effects[static_cast<size_t>(p.image)]->GetImage())
            img->Draw(world, p.x, p.y, p.mode, p.level, &m_View);
    lap(kPhaseEffects);

    m_Transition->Draw(m_Back.get());
    lap(kPhaseTransition);

    for (const Panel& p : m_Panels) {
        m_Back->DimRect(p.x, p.y, p.w, p.h, kPanelDim);
        if (CImage* img = m_Borders[static_cast<size_t>(p.border)]->GetImage())
            img->Draw(m_Back.get(), p.x, p.y, kDrawCopy, -1, nullptr);
        for (int32_t j = 0; 8 + 40 * j + 32 <= p.w && p.h >= 60; ++j)
            if (CImage* icon = m_Icons[static_cast<size_t>((p.border + j) % 3)]->GetImage())
                icon->Draw(m_Back.get(), p.x + 8 + 40 * j, p.y + 22, kDrawCopy, -1, nullptr);
    }
    lap(kPhasePanels);

    plat::SetCursorPos(kCursorX, kCursorY);
    if (CAnimPlayer* p = m_Cursor->ShapePlayer()) p->Start(false);
    m_Cursor->Draw(m_Back.get());
    lap(kPhaseCursor);
}

void FrameScene::Release() {
    if (m_Cursor) m_Cursor->Clear();
    m_Cursor.reset();
    for (Sprite& s : m_Sprites) DestroyRoleSprite(&s.sprite);
    m_Sprites.clear();
    g_RoleSprMng.Clear();
    m_Tiles.clear();
    m_Effects.clear();
    m_Borders.clear();
    m_Icons.clear();
    m_Ground.clear();
    m_Placed.clear();
    m_Panels.clear();
    m_Transition.reset();
    if (m_Built) g_ResList.Destroy();
    g_LightGrid.m_Spots.clear();
    m_Back.reset();
    m_Display.reset();
    m_Counts = {};
    m_Built = false;
}

std::vector<uint16_t> FrameScene::Pixels() const {
    std::vector<uint16_t> v(static_cast<size_t>(kFrameWidth) * kFrameHeight);
    if (!m_Back) return v;
    uint8_t* p = m_Back->Lock(nullptr);
    if (!p) return v;
    const size_t pitch = static_cast<size_t>(m_Back->m_PitchFactor) * m_Back->m_Pitch;
    for (int32_t y = 0; y < kFrameHeight; ++y)
        std::memcpy(&v[static_cast<size_t>(y) * kFrameWidth], p + pitch * y, 2 * static_cast<size_t>(kFrameWidth));
    m_Back->Unlock();
    return v;
}

std::vector<uint8_t> FrameScene::Rgb() const {
    const std::vector<uint16_t> px = Pixels();
    const plat::PixelLayout layout = m_Options.format == kFormat565 ? plat::PixelLayout::k565 : plat::PixelLayout::k555;
    std::vector<uint8_t> rgb(px.size() * 3);
    for (size_t i = 0; i < px.size(); ++i) plat::UnpackPixel(layout, px[i], &rgb[3 * i], &rgb[3 * i + 1], &rgb[3 * i + 2]);
    return rgb;
}

void FrameScene::PlainCopy(CSurface* dst) const {
    if (!m_Back || !dst || dst->m_Width < kFrameWidth || dst->m_Height < kFrameHeight) return;
    uint8_t* d = dst->Lock(nullptr);
    if (!d) return;
    uint8_t* s = m_Back->Lock(nullptr);
    if (s) {
        const size_t dp = static_cast<size_t>(dst->m_PitchFactor) * dst->m_Pitch;
        const size_t sp = static_cast<size_t>(m_Back->m_PitchFactor) * m_Back->m_Pitch;
        for (int32_t y = 0; y < kFrameHeight; ++y) std::memcpy(d + dp * y, s + sp * y, 2 * static_cast<size_t>(kFrameWidth));
        m_Back->Unlock();
    }
    dst->Unlock();
}

} // namespace gfxdemo
