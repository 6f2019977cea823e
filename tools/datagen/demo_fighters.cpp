#include "datagen/demo_fighters.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "datagen/fixture_game.h"
#include "datagen/image_encoder.h"
#include "datagen/item_tables.h"
#include "datagen/pli_writer.h"

namespace datagen {

// 301 "狼群守着渡口。" (the wolves hold the ford), GBK.
const char* const kDemoQuestTexts[3] = {
    "\xC0\xC7\xC8\xBA\xCA\xD8\xD7\xC5\xB6\xC9\xBF\xDA\xA1\xA3",
    "The wolves are dead. The ford is free: take this token.",
    "Welcome back.",
};

namespace {

// ---------------------------------------------------------------- drawing

struct Rgb {
    float r, g, b;
};

// A point of the figure: forward along its facing, sideways to its right,
// up from the ground (pixels).
struct P3 {
    float f, s, z;
};

// A picture the figure is drawn into: shaded balls with a depth buffer (the
// nearer surface wins), then a dark outline round the silhouette.
class Canvas {
public:
    static constexpr int kW = 112, kH = 88, kOx = 56, kOy = 76;

    explicit Canvas(int dir) : px_(size_t(kW) * kH, kKey565), depth_(size_t(kW) * kH, -1e9f) {
        // Direction d faces 45 x d degrees anticlockwise from screen-right
        // (0 right, 2 up, 4 left, 6 down); the ground is flattened by half.
        const double a = dir * std::numbers::pi / 4;
        fx_ = static_cast<float>(std::cos(a)), fy_ = static_cast<float>(-0.5 * std::sin(a));
        sx_ = static_cast<float>(std::sin(a)), sy_ = static_cast<float>(0.5 * std::cos(a));
    }

    void Ball(P3 p, float r, Rgb c) {
        const float cx = kOx + p.f * fx_ + p.s * sx_;
        const float ground = p.f * fy_ + p.s * sy_;
        const float cy = kOy + ground - p.z;
        const int x0 = static_cast<int>(std::floor(cx - r)), x1 = static_cast<int>(std::ceil(cx + r));
        const int y0 = static_cast<int>(std::floor(cy - r)), y1 = static_cast<int>(std::ceil(cy + r));
        for (int y = std::max(y0, 0); y <= std::min(y1, kH - 1); ++y)
            for (int x = std::max(x0, 0); x <= std::min(x1, kW - 1); ++x) {
                const float dx = (x + 0.5f - cx) / r, dy = (y + 0.5f - cy) / r;
                const float d2 = dx * dx + dy * dy;
                if (d2 > 1.0f) continue;
                const float nz = std::sqrt(1.0f - d2);
                const float depth = ground + nz * r;
                float& at = depth_[size_t(y) * kW + x];
                if (depth <= at) continue;
                at = depth;
                // Light from the upper left, towards the viewer.
                const float lit = std::max(0.0f, -0.45f * dx - 0.55f * dy + 0.70f * nz);
                const float k = 0.35f + 0.75f * lit;
                px_[size_t(y) * kW + x] = Rgb16(Clamp(c.r * k), Clamp(c.g * k), Clamp(c.b * k));
            }
    }

    // A limb: balls along the segment.
    void Limb(P3 a, P3 b, float r, Rgb c) {
        const float len = std::hypot(b.f - a.f, b.s - a.s, b.z - a.z);
        const int n = std::max(2, static_cast<int>(len / (r * 0.6f)) + 1);
        for (int i = 0; i < n; ++i) {
            const float t = static_cast<float>(i) / static_cast<float>(n - 1);
            Ball({a.f + (b.f - a.f) * t, a.s + (b.s - a.s) * t, a.z + (b.z - a.z) * t}, r, c);
        }
    }

    ImageFrame Finish() const {
        ImageFrame out;
        out.width = kW;
        out.height = kH;
        out.rle = true;
        out.pixels = px_;
        const uint16_t dark = Rgb16(24, 18, 14);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                if (px_[size_t(y) * kW + x] != kKey565) continue;
                const auto solid = [&](int u, int v) {
                    return u >= 0 && v >= 0 && u < kW && v < kH && px_[size_t(v) * kW + u] != kKey565;
                };
                if (solid(x - 1, y) || solid(x + 1, y) || solid(x, y - 1) || solid(x, y + 1))
                    out.pixels[size_t(y) * kW + x] = dark;
            }
        return out;
    }

private:
    static int Clamp(float v) { return std::clamp(static_cast<int>(v), 0, 255); }
    std::vector<uint16_t> px_;
    std::vector<float> depth_;
    float fx_, fy_, sx_, sy_;
};

// What a frame shows: the action group, its frame and how far a fall has
// rolled the figure onto its side.
struct Pose {
    int group = 0;
    int frame = 0;
};

struct FrameStyle {
    float swing = 0;   // legs forward/back
    float lunge = 0;   // body forward (attack)
    float recoil = 0;  // body back (hit)
    float roll = 0;    // degrees onto the right side (death)
    float tint = 1.0f;
    bool flash = false;
};

FrameStyle StyleOf(const Pose& p) {
    FrameStyle s;
    switch (p.group) {
    case kFighterWalkSeq: s.swing = std::sin(p.frame * std::numbers::pi_v<float> / 2) * 6.0f; break;
    case kFighterAttackSeq: s.lunge = (const float[]){2.0f, 8.0f, 3.0f}[p.frame]; break;
    case kFighterHitSeq:
        s.recoil = p.frame == 0 ? 4.0f : 2.0f;
        s.flash = p.frame == 0;
        break;
    case kFighterDeathSeq: s.roll = (const float[]){15.0f, 40.0f, 65.0f, 88.0f}[p.frame], s.tint = 0.85f; break;
    case kFighterDeathSeq + 8: s.roll = 90.0f, s.tint = 0.7f; break;
    default: s.swing = 0; break;
    }
    return s;
}

// The figure's points pass through this: the lunge or recoil, then the fall
// (a roll about the forward axis onto the right side, resting on the ground).
struct Body {
    FrameStyle st;
    P3 operator()(P3 p) const {
        p.f += st.lunge - st.recoil;
        if (st.roll == 0) return p;
        const float a = st.roll * std::numbers::pi_v<float> / 180;
        return {p.f, p.s * std::cos(a) + p.z * std::sin(a), -p.s * std::sin(a) + p.z * std::cos(a) + 6.0f * std::sin(a)};
    }
    Rgb operator()(Rgb c) const {
        if (st.flash) return {std::min(255.0f, c.r * 1.3f + 60), c.g * 0.8f, c.b * 0.8f};
        return {c.r * st.tint, c.g * st.tint, c.b * st.tint};
    }
};

void DrawWolf(Canvas& c, const Pose& pose) {
    const FrameStyle st = StyleOf(pose);
    const Body t{st};
    const Rgb fur{130, 118, 104}, belly{170, 160, 140}, legs{90, 82, 74}, dark{40, 34, 30}, eye{250, 210, 60};
    const float bite = pose.group == kFighterAttackSeq && pose.frame == 1 ? -3.0f : 0.0f;
    // Legs: fore pair and hind pair, each pair swinging against the other.
    for (int i = 0; i < 4; ++i) {
        const float f = i < 2 ? 9.0f : -9.0f;
        const float side = i % 2 ? 3.5f : -3.5f;
        const float sw = (i == 0 || i == 3 ? 1 : -1) * st.swing;
        c.Limb(t(P3{f, side, 12}), t(P3{f + sw, side, 1.5f}), 2.2f, t(legs));
    }
    // Tail, body from rump to chest, belly.
    c.Limb(t(P3{-13, 0, 15}), t(P3{-22, 0, 9 + st.swing * 0.3f}), 2.4f, t(fur));
    for (int i = 0; i <= 6; ++i) {
        const float f = -11.0f + i * 3.5f;
        c.Ball(t(P3{f, 0, 14.0f + i * 0.4f}), 6.5f + i * 0.15f, t(fur));
    }
    c.Ball(t(P3{0, 0, 10}), 5.0f, t(belly));
    // Head, snout, nose, ears, eyes.
    c.Ball(t(P3{15, 0, 19 + bite}), 5.5f, t(fur));
    c.Ball(t(P3{21, 0, 16.5f + bite}), 3.2f, t(belly));
    c.Ball(t(P3{24, 0, 16.5f + bite}), 1.6f, t(dark));
    for (float side : {-2.8f, 2.8f}) {
        c.Ball(t(P3{13.5f, side, 25 + bite}), 2.0f, t(fur));
        c.Ball(t(P3{18.5f, side * 0.9f, 20.5f + bite}), 1.1f, t(eye));
    }
}

void DrawGuard(Canvas& c, const Pose& pose) {
    const FrameStyle st = StyleOf(pose);
    const Body t{st};
    const Rgb boots{60, 48, 40}, hose{70, 80, 110}, mail{150, 152, 165}, tabard{40, 90, 170}, skin{225, 182, 140},
        helm{175, 178, 190}, shaft{130, 90, 50}, steel{215, 220, 230}, shield{170, 40, 40};
    // Legs.
    for (float side : {-3.5f, 3.5f}) {
        const float sw = (side < 0 ? 1 : -1) * st.swing;
        c.Limb(t(P3{0, side, 19}), t(P3{sw, side, 5}), 3.0f, t(hose));
        c.Ball(t(P3{sw + 1.0f, side, 2.5f}), 3.0f, t(boots));
    }
    // Body: mail with a tabard over the front.
    c.Limb(t(P3{0, 0, 21}), t(P3{0, 0, 33}), 7.0f, t(mail));
    c.Ball(t(P3{2.5f, 0, 25}), 5.5f, t(tabard));
    // Head and helmet.
    c.Ball(t(P3{0.5f, 0, 41}), 4.8f, t(skin));
    c.Ball(t(P3{0, 0, 43.5f}), 4.6f, t(helm));
    // Shield arm on the left, spear arm on the right; the thrust levels the
    // spear and drives it forward.
    c.Limb(t(P3{0, -7.5f, 33}), t(P3{4, -9, 25}), 2.4f, t(mail));
    c.Ball(t(P3{6, -9.5f, 25}), 6.0f, t(shield));
    const bool thrust = pose.group == kFighterAttackSeq;
    const P3 hand = thrust ? P3{9, 6, 28} : P3{4, 8.5f, 24};
    c.Limb(t(P3{0, 7.5f, 33}), t(hand), 2.4f, t(mail));
    const P3 butt = thrust ? P3{-10, 6, 27} : P3{2, 9, 2};
    const P3 tip = thrust ? P3{32, 6, 29} : P3{6, 9, 50};
    c.Limb(t(butt), t(tip), 1.1f, t(shaft));
    c.Limb(t(tip), t(P3{tip.f + (thrust ? 4.0f : 0.6f), tip.s, tip.z + (thrust ? 0.0f : 4.0f)}), 1.8f, t(steel));
}

constexpr int kGroupFrames[6] = {2, 4, 3, 2, 4, 1};
constexpr uint32_t kGroupDelay[6] = {8, 3, 3, 3, 4, 8};

// Frame table and animation table of one figure; the animation's ResId.
uint32_t AddFighter(std::vector<std::string>* entries, uint32_t lib, const std::function<void(Canvas&, const Pose&)>& draw) {
    std::vector<std::string> pictures;
    std::vector<AnimSeqSpec> seqs(kFighterSeqCount);
    for (int g = 0; g < 6; ++g)
        for (int d = 0; d < 8; ++d)
            for (int f = 0; f < kGroupFrames[g]; ++f) {
                Canvas canvas(d);
                draw(canvas, Pose{g * 8, f});
                pictures.push_back(EncodeFrame(canvas.Finish()));
                AnimFrameSpec fr;
                fr.delay = kGroupDelay[g];
                fr.resId = static_cast<uint32_t>(pictures.size()) << 24;  // entry filled in below
                fr.x = -Canvas::kOx;
                fr.y = -Canvas::kOy;
                seqs[size_t(g * 8 + d)].frames.push_back(fr);
            }
    const uint32_t frameEntry = static_cast<uint32_t>(entries->size());
    entries->push_back(BuildFrameTable(pictures));
    for (AnimSeqSpec& s : seqs)
        for (AnimFrameSpec& fr : s.frames) fr.resId |= (lib & 0xF) << 20 | frameEntry;
    const uint32_t animEntry = static_cast<uint32_t>(entries->size());
    entries->push_back(BuildAnimTable(seqs));
    return (lib & 0xF) << 20 | animEntry;
}

} // namespace

bool AddDemoFighterSprites(std::vector<std::string>* entries, uint32_t libSlot, std::vector<SprRoleItem>* items,
                           const std::string& nativeRoot) {
    const uint32_t wolf = AddFighter(entries, libSlot, DrawWolf);
    const uint32_t guard = AddFighter(entries, libSlot, DrawGuard);
    items->push_back({kDemoWolfSprite, "BD", "001", static_cast<int32_t>(wolf), "WOLF"});
    items->push_back({kDemoGuardSprite, "BD", "001", static_cast<int32_t>(guard), "GUARD"});
    // One part: every action and frame draws it alone.
    const PliSpec wolfPli{kDemoWolfSprite, "BD", {"BD"}, {{{0}}}};
    const PliSpec guardPli{kDemoGuardSprite, "BD", {"BD"}, {{{0}}}};
    return WritePli(PliNativePath(nativeRoot, kDemoWolfSprite), wolfPli) &&
           WritePli(PliNativePath(nativeRoot, kDemoGuardSprite), guardPli);
}

// ---------------------------------------------------------------- tables

namespace {

RoleMdlRow Fighter(const char* name, int id, const char* sprite, int camp) {
    return RoleMdlRow()
        .Name(name)
        .Id(id)
        .Camp(camp)
        .SpriteName(sprite)
        .Variants("001")
        .Preload(1)
        .StandAnim(kFighterStandSeq)
        .Set(8, kFighterStandSeq)   // alerted standing
        .Set(9, kFighterWalkSeq)    // walking
        .Set(10, kFighterWalkSeq)   // alerted walking
        .Set(11, kFighterWalkSeq)   // running
        .GuardAnim(kFighterStandSeq)
        .Set(17, kFighterHitSeq)    // knocked down
        .DeathSequence(kFighterDeathSeq)
        .SizeClass(40)
        .MoveClass(1)
        .WalkSpeed(8)
        .RoleCamp(camp)
        .LyingClass(0)
        .Set(2, 1)    // may use its skills
        .Set(31, 0);  // thinks as a plain melee monster
}

} // namespace

Table DemoFighterRoleRows() {
    return RowsOf(std::vector<RoleMdlRow>{Fighter("Wolf", kDemoWolfModel, kDemoWolfSprite, 1),
                                          Fighter("Guard", kDemoGuardModel, kDemoGuardSprite, 10000)});
}

Table DemoFighterLevelRows() {
    // Sight 8 cells, reaction 0 (a look every 14 ticks); 3 walk and 4 run
    // speed, 9 HP, 10 AP, 11 DP, 13 hit rate. The guard outlasts both
    // wolves many times over and kills each in a few thrusts.
    auto level = [](const char* name, int id, int hp, int ap, int dp, int hr) {
        return RolePrivateRow().Name(name).Id(id).Sight(8).CastPeriod(0).StandAnim(kFighterStandSeq)
            .Set(3, 8).Set(4, 12).Set(9, hp).Set(10, ap).Set(11, dp).Set(13, hr);
    };
    return RowsOf(std::vector<RolePrivateRow>{level("Wolf", kDemoWolfModel, 60, 6, 2, 60),
                                              level("Guard", kDemoGuardModel, 3000, 40, 20, 100)});
}

Table DemoFighterSkillLists() {
    return RowsOf(std::vector<RoleSkillListRow>{RoleSkillListRow().Id(kDemoWolfModel).Skills({kDemoBiteSkill}),
                                                RoleSkillListRow().Id(kDemoGuardModel).Skills({kDemoThrustSkill})});
}

Table DemoFighterSkills() {
    // Hit the target ahead on frame 1, with a sound there; scales 1.0 (an
    // empty scale reads 65535).
    const std::vector<SkillEffectSpec> blow = {{0, 1, 0, 0, 0, 0}, {0, 1, 1, 10, 0, 0}};
    auto skill = [&](const char* name, int id, int range) {
        return SkillRow().ClassWord(4).Name(name).Kind(0).Id(id).Group(id).AnimBase(kFighterAttackSeq).Range(range)
            .Scales("1.0", "1.0", "1.0").Effects(blow);
    };
    return RowsOf(std::vector<SkillRow>{skill("Bite", kDemoBiteSkill, 64), skill("Thrust", kDemoThrustSkill, 128)});
}

Table DemoFighterSkillGroups() {
    auto group = [](const char* name, int id) {
        return SkillGopRow().ClassWord(7).Name(name).Picture(1).Id(id).TimeMs(1000).Category(1).Values({id});
    };
    return RowsOf(std::vector<SkillGopRow>{group("Bite", kDemoBiteSkill), group("Thrust", kDemoThrustSkill)});
}

Table DemoFighterDropRows() {
    // A wolf drops money and one grade-1 item every time (the chances of
    // 100 hold at every difficulty).
    return RowsOf(std::vector<RandPropRow>{
        RandPropRow().Name("Wolf").Id(kDemoWolfModel).Items(100, 1, 1).Money(100, 20, 60).GradeWeights({"100"})});
}

Table DemoPropTable() {
    // Columns: 0 name, 1 id, 2 kind, 3 picture sequence of animation 14,
    // 4 landing sound, 6 stacks, 8 grade.
    std::vector<PropMdlRow> rows = {
        PropMdlRow().Name("Coins").Id(0).Kind(0).Picture(2).Stacks(1),
        PropMdlRow().Name("Stick").Id(1).Kind(0).Picture(0).LandSound(20).Stacks(0),
        PropMdlRow().Name("Potion").Id(2).Kind(0).Picture(1).LandSound(22).Stacks(1),
        PropMdlRow().Name("Gem").Id(3).Kind(0).Picture(2).Stacks(1),
        PropMdlRow().Name("Herb").Id(10).Kind(10).Picture(1).Stacks(1).Grade(1).Price(5),
        PropMdlRow().Name("Arrow").Id(20).Kind(20).Picture(0).Stacks(1).Grade(1).Price(1),
        PropMdlRow().Name("Fang").Id(30).Kind(30).Picture(2).Stacks(0).Grade(1).Price(12),
        PropMdlRow().Name("Token").Id(kDemoRewardProp).Kind(40).Picture(2).Stacks(0).Price(0),
    };
    return PadKeyedTable({"Name", "Id", "Kind", "Pic", "Land", "X", "Stack"}, RowsOf(rows), 1, 0);
}

std::vector<SceneTriggerRow> DemoStartTriggers() {
    const std::string flag = kDemoQuestFlag;
    return {
        {"IsScnIn Start 1*IsFlag " + flag + " 0", "OutText " + std::to_string(kDemoQuestText), "0"},
        {std::string("IsDead ") + kDemoWolfPicture + "*IsFlag " + flag + " 0",
         "SetFlag " + flag + " 1*Acquire " + std::to_string(kDemoRewardProp) + " 1*OutText " +
             std::to_string(kDemoQuestText + 1),
         "0"},
        {"IsScnIn Start*IsFlag " + flag + " 1", "OutText " + std::to_string(kDemoQuestText + 2), "0"},
    };
}

} // namespace datagen
