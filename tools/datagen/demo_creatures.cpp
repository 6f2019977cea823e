#include "datagen/demo_creatures.h"

#include <cmath>
#include <functional>

#include "datagen/bytes.h"
#include "datagen/image_encoder.h"
#include "datagen/scene_tables.h"
#include "datagen/texture_writer.h"

namespace datagen {

namespace {

// A keyed w x h picture whose pixel is fn(x, y) (kKey565 = transparent).
ImageFrame Pic(int32_t w, int32_t h, const std::function<uint16_t(int32_t, int32_t)>& fn) {
    ImageFrame f;
    f.width = w;
    f.height = h;
    f.rle = true;
    f.pixels.resize(static_cast<size_t>(w) * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) f.pixels[static_cast<size_t>(y) * w + x] = fn(x, y);
    return f;
}

// Unit steps of the eight facings as the game numbers them (world axes
// turned onto the screen: +x goes right-down, +y left-down).
const int kFaceX[8] = {1, 0, -1, -1, -1, 0, 1, 1};
const int kFaceY[8] = {-1, -1, -1, 0, 1, 1, 1, 0};

// A creature body: an ellipse of `body` with a `head` dot toward the facing,
// the legs (or fins) moved by `step`; `flat` squashes it.
ImageFrame Critter(int32_t w, int32_t h, int dir, int step, uint16_t body, uint16_t head, bool flat) {
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    const double rx = w / 2.0 - 1.5, ry = (flat ? h / 4.0 : h / 2.0) - 1.5;
    // Screen direction of the facing.
    const double sx = (kFaceX[dir] - kFaceY[dir]) * 0.7, sy = (kFaceX[dir] + kFaceY[dir]) * 0.35;
    return Pic(w, h, [&](int32_t x, int32_t y) {
        const double dx = x - cx, dy = y - (flat ? cy + h / 4.0 : cy);
        const double hx = dx - sx * rx * 0.6, hy = dy - sy * ry * 0.9;
        if (hx * hx + hy * hy <= 4.5) return head;
        const double e = (dx * dx) / (rx * rx) + (dy * dy) / (ry * ry);
        if (e <= 1.0) return e > 0.7 ? Rgb16(20, 20, 20) : body;
        // Little legs that move with the step.
        if (!flat && e <= 1.5 && ((x + y + step) % 4 == 0)) return Rgb16(40, 30, 20);
        return kKey565;
    });
}

struct Maker {
    std::vector<std::string>& anim;
    std::vector<std::string>& frames;
    uint32_t lib;
    bool ok = true;

    // Adds a frame table of `pics`; returns the resource id of picture 0
    // (picture i is that + (i << 24)).
    uint32_t Table(const std::vector<ImageFrame>& pics) {
        std::vector<std::string> enc;
        for (const ImageFrame& p : pics) enc.push_back(EncodeFrame(p));
        frames.push_back(BuildFrameTable(enc));
        return (lib << 20) | static_cast<uint32_t>(frames.size() - 1);
    }
    static AnimFrameSpec Frame(uint32_t table, int pic, uint32_t delay, int32_t hotX, int32_t hotY) {
        AnimFrameSpec f;
        f.resId = table | (static_cast<uint32_t>(pic + 1) << 24);
        f.delay = delay;
        f.hotX = hotX;
        f.hotY = hotY;
        return f;
    }
    void Put(uint32_t id, const std::vector<AnimSeqSpec>& seqs) {
        if (anim.size() <= id) anim.resize(id + 1);
        if (!anim[id].empty()) ok = false;
        anim[id] = BuildAnimTable(seqs);
    }

    // groups x 8 facings, two pictures each; a 25th sequence (squashed,
    // facing 0) when `squash`.
    void Creature(uint32_t id, int groups, bool squash, int32_t w, int32_t h, uint16_t body,
                  const std::vector<uint16_t>& heads, uint32_t delay) {
        std::vector<ImageFrame> pics;
        for (int g = 0; g < groups; ++g)
            for (int d = 0; d < 8; ++d)
                for (int s = 0; s < 2; ++s) pics.push_back(Critter(w, h, d, s * 2, body, heads[size_t(g)], false));
        if (squash) pics.push_back(Critter(w, h, 0, 0, Rgb16(90, 40, 30), Rgb16(60, 20, 20), true));
        const uint32_t t = Table(pics);
        std::vector<AnimSeqSpec> seqs;
        for (int g = 0; g < groups; ++g)
            for (int d = 0; d < 8; ++d) {
                const int first = (g * 8 + d) * 2;
                seqs.push_back({0, {Frame(t, first, delay, w / 2, h - 2), Frame(t, first + 1, delay, w / 2, h - 2)}});
            }
        if (squash) {
            while (seqs.size() < 24) seqs.push_back(seqs[seqs.size() - 8]);
            seqs.push_back({0, {Frame(t, static_cast<int>(pics.size()) - 1, 8, w / 2, h - 2)}});
        }
        Put(id, seqs);
    }

    // n rings growing out of the middle, the last fading.
    void Rings(uint32_t id, int n, int32_t w, int32_t h, uint16_t colour, int seqCount) {
        std::vector<ImageFrame> pics;
        for (int i = 0; i < n; ++i) {
            const double r = 1.0 + (i + 1) * (w / 2.0 - 1.0) / n;
            pics.push_back(Pic(w, h, [&](int32_t x, int32_t y) {
                const double dx = x - w / 2.0, dy = (y - h / 2.0) * 2.0;
                const double d = std::sqrt(dx * dx + dy * dy);
                return std::fabs(d - r) < 1.0 ? colour : kKey565;
            }));
        }
        const uint32_t t = Table(pics);
        std::vector<AnimSeqSpec> seqs(static_cast<size_t>(seqCount));
        for (auto& s : seqs)
            for (int i = 0; i < n; ++i) s.frames.push_back(Frame(t, i, 3, w / 2, h / 2));
        Put(id, seqs);
    }
};

} // namespace

bool AddDemoCreatureAnims(std::vector<std::string>& anim, std::vector<std::string>& frames, uint32_t framesLib) {
    Maker m{anim, frames, framesLib};
    const uint16_t key = kKey565;

    // Item pictures: a stick, a potion, a gem.
    {
        std::vector<ImageFrame> pics;
        pics.push_back(Pic(16, 16, [&](int32_t x, int32_t y) {
            return std::abs(x - y) <= 1 && x > 1 && x < 14 ? Rgb16(150, 100, 50) : key;
        }));
        pics.push_back(Pic(12, 16, [&](int32_t x, int32_t y) {
            if (y < 4) return x >= 4 && x <= 7 ? Rgb16(200, 200, 200) : key;
            const int dx = x - 6, dy = y - 10;
            return dx * dx + dy * dy <= 25 ? Rgb16(220, 30, 40) : key;
        }));
        pics.push_back(Pic(12, 12, [&](int32_t x, int32_t y) {
            return std::abs(x - 6) + std::abs(y - 6) <= 5 ? Rgb16(60, 140, 255) : key;
        }));
        const uint32_t t = m.Table(pics);
        m.Put(kDemoItemPictureAnim, {{0, {Maker::Frame(t, 0, 8, 8, 12)}},
                                     {0, {Maker::Frame(t, 1, 8, 6, 14)}},
                                     {0, {Maker::Frame(t, 2, 8, 6, 10)}}});
    }
    // Sparkle: a small star hopping round the item.
    {
        std::vector<ImageFrame> pics;
        for (int i = 0; i < 4; ++i)
            pics.push_back(Pic(5, 5, [&](int32_t x, int32_t y) {
                const bool star = x == 2 || y == 2;
                return star ? (x == 2 && y == 2 ? Rgb16(255, 255, 255) : Rgb16(255, 255, 160 + 30 * i)) : key;
            }));
        const uint32_t t = m.Table(pics);
        m.Put(kDemoSparkleAnim, {{0,
                                  {Maker::Frame(t, 0, 3, 6, 14), Maker::Frame(t, 1, 3, -2, 10),
                                   Maker::Frame(t, 2, 3, 2, 18), Maker::Frame(t, 3, 3, -4, 16)}}});
    }
    m.Rings(kDemoSplashAnim, 4, 24, 12, Rgb16(220, 240, 255), 1);
    m.Rings(kDemoWaterMarkAnim, 3, 20, 10, Rgb16(180, 210, 255), 1);
    m.Rings(kDemoRainSplashAnim, 3, 8, 4, Rgb16(200, 200, 220), 1);
    m.Rings(kDemoRainWaterAnim, 3, 12, 6, Rgb16(200, 220, 255), 1);
    // Lightning strike: three bolts.
    {
        std::vector<ImageFrame> pics;
        for (int b = 0; b < 3; ++b)
            pics.push_back(Pic(12, 40, [&](int32_t x, int32_t y) {
                const int bx = 6 + ((y / 6 + b) % 2 ? 2 : -2);
                return std::abs(x - bx) <= 1 ? Rgb16(255, 255, 200) : key;
            }));
        const uint32_t t = m.Table(pics);
        std::vector<AnimSeqSpec> seqs;
        for (int b = 0; b < 3; ++b) seqs.push_back({0, {Maker::Frame(t, b, 2, 6, 40), Maker::Frame(t, b, 2, 6, 38)}});
        m.Put(kDemoLightningAnim, seqs);
    }
    // Footprints: one print per facing, then its fade in three steps.
    {
        std::vector<ImageFrame> pics;
        for (int d = 0; d < 8; ++d)
            for (int shade = 0; shade < 4; ++shade) {
                const int c = 60 + 40 * shade;
                pics.push_back(Pic(10, 6, [&](int32_t x, int32_t y) {
                    const int ox = 5 + kFaceX[d] - kFaceY[d], oy = 3;
                    const int dx = x - ox, dy = (y - oy) * 2;
                    return dx * dx + dy * dy <= 5 ? Rgb16(c, c - 20, c - 40) : key;
                }));
            }
        const uint32_t t = m.Table(pics);
        std::vector<AnimSeqSpec> seqs;
        for (int d = 0; d < 8; ++d) seqs.push_back({0, {Maker::Frame(t, d * 4, 8, 5, 3)}});
        for (int d = 0; d < 8; ++d)
            seqs.push_back({0, {Maker::Frame(t, d * 4 + 1, 6, 5, 3), Maker::Frame(t, d * 4 + 2, 6, 5, 3),
                                Maker::Frame(t, d * 4 + 3, 6, 5, 3)}});
        m.Put(kDemoFootprintAnim, seqs);
    }
    // Magic: an arrow for each 16-way direction (halfway steps between the
    // eight facings) and its shadow; a blast of fire rings.
    {
        std::vector<ImageFrame> arrows, shadows;
        for (int d = 0; d < 16; ++d) {
            const int a = d / 2, b = (d / 2 + (d & 1)) % 8;
            const double fx = (kFaceX[a] + kFaceX[b]) / 2.0, fy = (kFaceY[a] + kFaceY[b]) / 2.0;
            double sx = fx - fy, sy = (fx + fy) / 2.0;
            const double len = std::sqrt(sx * sx + sy * sy);
            sx /= len;
            sy /= len;
            auto line = [&](uint16_t body, uint16_t tip) {
                return Pic(25, 25, [&, body, tip](int32_t x, int32_t y) {
                    const double dx = x - 12.0, dy = y - 12.0;
                    const double along = dx * sx + dy * sy, across = dx * -sy + dy * sx;
                    if (std::abs(across) > 1.0 || std::abs(along) > 11.0) return kKey565;
                    return along > 7.0 ? tip : body;
                });
            };
            arrows.push_back(line(Rgb16(200, 160, 100), Rgb16(240, 240, 255)));
            shadows.push_back(line(Rgb16(20, 20, 20), Rgb16(20, 20, 20)));
        }
        const uint32_t t = m.Table(arrows);
        const uint32_t ts = m.Table(shadows);
        std::vector<AnimSeqSpec> seqs, shadowSeqs;
        for (int d = 0; d < 16; ++d) {
            seqs.push_back({0, {Maker::Frame(t, d, 2, 12, 12)}});
            shadowSeqs.push_back({0, {Maker::Frame(ts, d, 2, 12, 12)}});
        }
        m.Put(kDemoArrowAnim, seqs);
        m.Put(kDemoArrowShadowAnim, shadowSeqs);
    }
    m.Rings(kDemoBlastAnim, 5, 48, 24, Rgb16(255, 150, 40), 1);
    // The creatures: idle, moving and fleeing heads in different colours.
    m.Creature(kDemoBirdAnim, 1, false, 16, 10, Rgb16(140, 110, 90), {Rgb16(240, 200, 60)}, 3);
    m.Creature(kDemoFireflyAnim, 2, false, 12, 10, Rgb16(250, 240, 90), {Rgb16(255, 255, 255), Rgb16(255, 120, 40)},
               2);
    m.Creature(kDemoBeetleAnim, 3, true, 18, 12, Rgb16(120, 60, 30), {Rgb16(40, 20, 10), Rgb16(200, 40, 20),
                                                                       Rgb16(255, 220, 0)},
               4);
    m.Creature(kDemoFishAnim, 1, false, 20, 10, Rgb16(120, 160, 220), {Rgb16(230, 240, 255)}, 5);
    m.Creature(kDemoFrogAnim, 2, false, 16, 12, Rgb16(60, 170, 60), {Rgb16(20, 80, 20), Rgb16(240, 240, 80)}, 4);
    m.Creature(kDemoFrogShadowAnim, 2, false, 16, 12, Rgb16(30, 30, 30), {Rgb16(10, 10, 10), Rgb16(10, 10, 10)}, 4);
    return m.ok;
}

Table DemoBeastieRows() {
    // Columns: 0 name, 1 id, 2 animation, 3 movement class (1 flying, 0
    // walking, 2 water only), 4 drawing (0 plain, 1 lit, 2 translucent),
    // 5 speed, 6 flight speed, 7 light, 8-9 unused, 10 reaction (1 flee),
    // 11 behaviour (1 acts, 2 seeks water, 3 pushable), 12 acts / push
    // divisor / jump pose frame, 13 idle sound, 14 flight sound, 15 death
    // sound, 16 companion animation, 17-18 highest and lowest height.
    auto n = [](uint32_t v) { return std::to_string(v); };
    return {
        {"Name", "Id", "Anim", "Move", "Draw", "Speed", "Fast", "Light", "a", "b", "React", "Behave", "Acts", "Idle",
         "Flight", "Death", "Companion", "High", "Low"},
        {"Bird", "1", n(kDemoBirdAnim), "1", "0", "3", "9", "0", "", "", "1", "0", "", "", "", "", "", "56", "40"},
        {"Firefly", "2", n(kDemoFireflyAnim), "1", "1", "3", "9", "1", "", "", "1", "0", "", "21", "12", "", "", "48",
         "24"},
        {"Beetle", "3", n(kDemoBeetleAnim), "0", "0", "2", "6", "0", "", "", "1", "3", "4", "", "12", "20", "", "",
         ""},
        {"Fish", "4", n(kDemoFishAnim), "2", "2", "2", "5", "0", "", "", "0", "0", "", "", "", "", "", "", ""},
        {"Frog", "5", n(kDemoFrogAnim), "0", "0", "3", "8", "0", "", "", "1", "2", "1", "22", "12", "20",
         n(kDemoFrogShadowAnim), "", ""},
    };
}

Table DemoScnSoundRows() {
    ScnSoundRow quiet{0, "Quiet", {}};
    ScnSoundRow meadow{1, "Meadow", {{21, -1}, {22, 400}}};
    return {ScnSoundHeader(), BuildScnSoundRow(quiet), BuildScnSoundRow(meadow)};
}

bool WriteDemoEffectTextures(const std::string& nativeFolder) {
    const std::string root = nativeFolder + (nativeFolder.empty() || nativeFolder.back() == '/' ? "" : "/");
    // A rain streak: a bright line down the middle fading to the sides.
    const RgbaImage streak = MakeImage(16, 16, [](int32_t x, int32_t) {
        const int d = std::abs(2 * x - 15);
        const uint32_t v = d <= 1 ? 255u : d <= 5 ? 160u : 0u;
        return 0xFF000000u | (v << 16) | (v << 8) | v;
    });
    // A flake: a soft round spot.
    const RgbaImage flake = MakeImage(16, 16, [](int32_t x, int32_t y) {
        const double dx = x - 7.5, dy = y - 7.5;
        const double d = std::sqrt(dx * dx + dy * dy);
        const uint32_t v = d >= 8.0 ? 0u : static_cast<uint32_t>(255.0 * (1.0 - d / 8.0));
        return 0xFF000000u | (v << 16) | (v << 8) | v;
    });
    return WriteBytes(root + "th/effect1.bmp", BmpBytes(streak)) && WriteBytes(root + "th/effect2.bmp", BmpBytes(flake));
}

} // namespace datagen
