// Fast kernels against the reference kernels, byte for byte: random
// pictures, levels, tables, windows, strides and both layouts, with the
// vector paths on and off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "datagen/image_encoder.h"
#include "gfx/color_tables.h"
#include "gfx/fast_kernels.h"
#include "gfx/kernels.h"
#include "gfx/light_grid.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "platform/display.h"
#include "platform/fast_stretch.h"
#include "platform/window.h"
#include "support/test_env.h"

namespace {

// Small deterministic generator (tests must not depend on the game's one).
struct Gen {
    uint64_t s;
    explicit Gen(uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ULL + 1) {}
    uint32_t Next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<uint32_t>(s >> 16);
    }
    int32_t In(int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(Next() % static_cast<uint32_t>(hi - lo + 1)); }
    bool Chance(int32_t percent) { return In(0, 99) < percent; }
};

// A block of memory with a picture somewhere inside: random pitch (often
// odd, so pixels sit at unaligned addresses) and random bytes around it, all
// of which take part in the comparison.
struct Plane {
    int32_t w, h, pitch, offset;
    std::vector<uint8_t> mem;
    Plane(Gen& g, int32_t w_, int32_t h_) : w(w_), h(h_) {
        pitch = 2 * w + g.In(0, 9);
        offset = g.In(0, 5);
        mem.resize(static_cast<size_t>(pitch) * h + offset + 16);
        for (uint8_t& b : mem) b = static_cast<uint8_t>(g.Next());
    }
    uint8_t* At(int32_t x, int32_t y) { return mem.data() + offset + static_cast<ptrdiff_t>(y) * pitch + 2 * x; }
    void Put(int32_t x, int32_t y, uint16_t v) { std::memcpy(At(x, y), &v, 2); }
};

// Random pixels of a layout with a share of key pixels, runs of one colour
// and the pure field extremes that table edges live on.
uint16_t RandomPixel(Gen& g, bool is565, uint16_t key, int32_t keyPercent) {
    if (g.Chance(keyPercent)) return key;
    static const uint16_t kEdges[] = {0x0000, 0xFFFF, 0x7FFF, 0x8000, 0x001F, 0x07E0, 0xF800, 0x7C00, 0x03E0, 0x0001};
    if (g.Chance(10)) return kEdges[g.In(0, 9)];
    const uint16_t v = static_cast<uint16_t>(g.Next());
    // 5-5-5 pictures usually leave bit 15 clear; some do not.
    return is565 || g.Chance(20) ? v : static_cast<uint16_t>(v & 0x7FFF);
}

void FillPicture(Gen& g, Plane& p, bool is565, uint16_t key, int32_t keyPercent) {
    for (int32_t y = 0; y < p.h; ++y)
        for (int32_t x = 0; x < p.w; ++x) p.Put(x, y, RandomPixel(g, is565, key, keyPercent));
}

struct Layout {
    int32_t format;
    bool is565;
    uint16_t key;
};
const Layout kLayouts[] = {{16, true, 0xF81F}, {15, false, 0x7C1F}};

// Every table a kernel may be given: the 39 of the colour set, plus a
// caller's own random table.
const uint16_t* PickTable(Gen& g, const std::vector<uint16_t>& own) {
    const int32_t k = g.In(0, kColorTableCount);
    return k == kColorTableCount ? own.data() : g_ColorTables[k];
}

class FastKernelTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        fast::UseVectorPaths(GetParam());
        own_.resize(kColorTableEntries);
        Gen g(77);
        for (uint16_t& v : own_) v = static_cast<uint16_t>(g.Next());
    }
    void TearDown() override {
        fast::UseVectorPaths(true);
        FreeColorTables();
    }
    static void Build(const Layout& l, int32_t mode) {
        FreeColorTables();
        BuildColorTables(l.format);
        BuildBrightnessTables(mode, l.format);
    }
    std::vector<uint16_t> own_;
};

// Runs ref and fast on copies of the same memory and compares all of it.
template <class Fn>
void ExpectSame(const std::vector<uint8_t>& before, Plane& dst, Fn&& run, const std::string& what) {
    dst.mem = before;
    run(true);
    const std::vector<uint8_t> want = dst.mem;
    dst.mem = before;
    run(false);
    ASSERT_TRUE(dst.mem == want) << what;
}

TEST_P(FastKernelTest, RawRowKernelsMatchTheReference) {
    for (const Layout& l : kLayouts) {
        Gen g(l.format * 1000 + GetParam());
        for (int32_t round = 0; round < 150; ++round) {
            if (round % 25 == 0) Build(l, g.In(0, 5));
            const int32_t w = g.In(1, 70), h = g.In(1, 6);
            Plane src(g, w, h), dst(g, w, h);
            FillPicture(g, src, l.is565, l.key, g.In(0, 60));
            FillPicture(g, dst, l.is565, l.key, 0);
            const uint32_t key = g.Chance(15) ? 0xFFFFFFFFu : l.key;
            const int32_t level = g.In(0, 15);
            // Mostly the blit's pair; sometimes any two tables.
            const uint16_t* dt = g.Chance(70) ? g_BlendTables[level] : PickTable(g, own_);
            const uint16_t* st = g.Chance(70) ? g_BlendTables[15 - level] : PickTable(g, own_);
            const uint16_t* mt = PickTable(g, own_);
            const std::vector<uint8_t> before = dst.mem;
            const std::string at = "layout " + std::to_string(l.format) + " round " + std::to_string(round);
            ExpectSame(before, dst, [&](bool r) {
                (r ? ref::KeyedCopy16 : fast::KeyedCopy16)(dst.At(0, 0), src.At(0, 0), w, h, dst.pitch, src.pitch, key);
            }, "keyed copy, " + at);
            ExpectSame(before, dst, [&](bool r) {
                (r ? ref::BlendCopy16 : fast::BlendCopy16)(dst.At(0, 0), src.At(0, 0), w, h, dst.pitch, src.pitch, dt,
                                                           st, key);
            }, "blend, " + at);
            ExpectSame(before, dst, [&](bool r) {
                (r ? ref::TableMap16 : fast::TableMap16)(dst.At(0, 0), w, h, dst.pitch, mt);
            }, "table map, " + at);
        }
    }
}

TEST_P(FastKernelTest, OverlappingCopiesWithinOnePictureMatchTheReference) {
    // A picture copied onto itself shifted by a pixel or a row: the result
    // depends on the order pixels are read and written in.
    Build(kLayouts[0], 0);
    Gen g(5);
    for (int32_t round = 0; round < 40; ++round) {
        Plane p(g, 40, 8);
        FillPicture(g, p, true, 0xF81F, 20);
        const int32_t dx = g.In(-2, 2), dy = g.In(-1, 1);
        const int32_t w = 30, h = 5;
        uint8_t* d = p.At(4 + dx, 2 + dy);
        const uint8_t* s = p.At(4, 2);
        const std::vector<uint8_t> before = p.mem;
        ExpectSame(before, p, [&](bool r) {
            (r ? ref::KeyedCopy16 : fast::KeyedCopy16)(d, s, w, h, p.pitch, p.pitch, 0xF81F);
        }, "keyed copy overlap");
        ExpectSame(before, p, [&](bool r) {
            (r ? ref::BlendCopy16 : fast::BlendCopy16)(d, s, w, h, p.pitch, p.pitch, g_BlendTables[7], g_BlendTables[8],
                                                       0xF81F);
        }, "blend overlap");
    }
}

// A random RLE picture with its compressed alpha plane, as images store them.
struct RlePicture {
    int32_t w, h;
    std::string plane, alpha;
    RlePicture(Gen& g, const Layout& l, int32_t w_, int32_t h_) : w(w_), h(h_) {
        std::vector<uint16_t> px(static_cast<size_t>(w) * h);
        std::vector<uint8_t> al(px.size());
        // Runs of transparent and opaque pixels of random lengths.
        bool clear = g.Chance(50);
        int32_t left = 0;
        for (size_t i = 0; i < px.size(); ++i) {
            if (left-- <= 0) {
                clear = !clear;
                left = g.In(0, g.Chance(20) ? 40 : 6);
            }
            px[i] = clear ? l.key : RandomPixel(g, l.is565, l.key, 0);
            al[i] = g.Chance(15) ? 0 : static_cast<uint8_t>(g.Next());
        }
        plane = datagen::EncodeRleRows(px, w, h, l.key);
        alpha = datagen::EncodeRleAlpha(al, w, h);
    }
    RleRows Rows(int32_t first) const {
        const auto* p = reinterpret_cast<const uint8_t*>(plane.data());
        return RleRows{p + 4 * h, p + 4 * first};
    }
    RleRows AlphaRows(int32_t first) const {
        const auto* p = reinterpret_cast<const uint8_t*>(alpha.data());
        return RleRows{p + 4 * h, p + 4 * first};
    }
};

TEST_P(FastKernelTest, RleKernelsMatchTheReferenceInAnyWindow) {
    for (const Layout& l : kLayouts) {
        Gen g(l.format * 31 + GetParam());
        for (int32_t round = 0; round < 120; ++round) {
            if (round % 20 == 0) Build(l, g.In(0, 5));
            const int32_t w = g.In(1, 90), h = g.In(1, 6);
            const RlePicture pic(g, l, w, h);
            const auto* plane = reinterpret_cast<const uint8_t*>(pic.plane.data());
            ASSERT_TRUE(RleRowsValid(plane, uint32_t(pic.plane.size()), h, 2 * w, 2));
            // The visible window: a column range and a row range.
            const int32_t sx = g.In(0, w - 1), vw = g.In(1, w - sx);
            const int32_t sy = g.In(0, h - 1), vh = g.In(1, h - sy);
            Plane dst(g, vw, vh);
            FillPicture(g, dst, l.is565, l.key, 0);
            const RleRows rows = pic.Rows(sy), alpha = pic.AlphaRows(sy);
            const uint16_t* table = PickTable(g, own_);
            const int32_t k = g.In(0, 15);
            const uint16_t* st = g.Chance(80) ? g_BlendTables[k] : PickTable(g, own_);
            const uint16_t* dt = g.Chance(80) ? g_BlendTables[15 - k] : PickTable(g, own_);
            const int32_t fade = g.In(-2, 17);
            const std::vector<uint8_t> before = dst.mem;
            const std::string at = "layout " + std::to_string(l.format) + " round " + std::to_string(round);
            uint8_t* d = dst.At(0, 0);
            ExpectSame(before, dst, [&](bool r) {
                (r ? ref::RleCopy : fast::RleCopy)(d, rows, 2 * vw, vh, dst.pitch, 2 * sx);
            }, "copy, " + at);
            ExpectSame(before, dst, [&](bool r) {
                (r ? ref::RleTable16 : fast::RleTable16)(d, rows, 2 * vw, vh, dst.pitch, 2 * sx, table);
            }, "table, " + at);
            ExpectSame(before, dst, [&](bool r) {
                (r ? ref::RleBlend16 : fast::RleBlend16)(d, rows, 2 * vw, vh, dst.pitch, 2 * sx, st, dt);
            }, "blend, " + at);
            ExpectSame(before, dst, [&](bool r) {
                (r ? ref::RleAlpha16 : fast::RleAlpha16)(d, rows, alpha, 2 * vw, vh, dst.pitch, w, 2 * sx);
            }, "alpha, " + at);
            ExpectSame(before, dst, [&](bool r) {
                (r ? ref::RleAlphaFaded16 : fast::RleAlphaFaded16)(d, rows, alpha, 2 * vw, vh, dst.pitch, w, 2 * sx,
                                                                   fade);
            }, "alpha faded, " + at);
        }
    }
}

TEST_P(FastKernelTest, LightApplyMatchesTheReference) {
    for (const Layout& l : kLayouts) {
        Gen g(l.format * 7 + GetParam());
        for (int32_t round = 0; round < 60; ++round) {
            if (round % 10 == 0) Build(l, g.In(0, 5));
            // Level bytes as the grid holds them: mostly ambient with lit
            // patches, now and then a tint number or a byte past the tables.
            std::vector<const uint16_t*> tables(256);
            for (int32_t k = 0; k < 256; ++k) tables[k] = k <= kLastColorTable ? g_ColorTables[k] : g_ColorTables[15];
            const int32_t cell = g.Chance(70) ? 8 : g.In(1, 17);
            const int32_t W = g.In(1, 120), H = g.In(1, 40);
            const int32_t cols = std::max(1, W / cell), gridRows = H / cell + 100 / cell + 1;
            std::vector<uint8_t> map(static_cast<size_t>(cols) * gridRows);
            const uint8_t ambient = static_cast<uint8_t>(g.In(0, 15));
            for (uint8_t& b : map) {
                b = ambient;
                if (g.Chance(30)) b = static_cast<uint8_t>(g.In(0, 15));
                if (g.Chance(3)) b = static_cast<uint8_t>(g.Chance(50) ? 33 : g.In(0, 255));
            }
            const int32_t x = g.In(0, W - 1), y = g.In(0, H - 1);
            const int32_t w = g.In(1, W - x), h = g.In(1, H - y);
            Plane src(g, W, H), dst(g, W, H);
            FillPicture(g, src, l.is565, l.key, 5);
            const bool inPlace = g.Chance(30);
            Plane& target = inPlace ? src : dst;
            const std::vector<uint8_t> before = target.mem;
            const std::string at = "layout " + std::to_string(l.format) + " round " + std::to_string(round);
            ExpectSame(before, target, [&](bool r) {
                const LightApplyArgs a{target.At(x, y), target.pitch, src.At(x, y), src.pitch, x, y, w, h,
                                       map.data(), cols, gridRows, cell, tables.data()};
                (r ? LightApply16Reference : fast::LightApply16)(a);
            }, "apply, " + at);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(VectorOnAndOff, FastKernelTest, ::testing::Bool());

// ---- Tables ----

TEST(FastKernelTables, EveryTableButGreyIsPerFieldAndBlendTablesAreScales) {
    for (const Layout& l : kLayouts) {
        for (int32_t mode = 0; mode <= 5; ++mode) {
            FreeColorTables();
            BuildColorTables(l.format);
            BuildBrightnessTables(mode, l.format);
            for (int32_t k = 0; k < kColorTableCount; ++k) {
                const fast::TableTraits t = fast::DescribeTable(g_ColorTables[k]);
                EXPECT_EQ(t.separable, k != kGreyTable) << "table " << k << " format " << l.format;
                // Some tables fit both layouts (T[0] is all zeros; red kept
                // whole reads the same either way); a blend fraction must be
                // seen in its own layout for the arithmetic blend to run.
                if (k > kFirstBlendTable && k < kGreyTable) {
                    EXPECT_EQ(t.is565, l.is565) << "table " << k;
                }
                // (Brightness levels of 4/16, 8/16 and 12/16 in mode 1 are
                // fractions too.)
                if (k >= kFirstBlendTable && k < kGreyTable) {
                    EXPECT_EQ(t.scale, k - kFirstBlendTable) << "table " << k;
                } else if (k > kGreyTable) {
                    EXPECT_EQ(t.scale, -1) << "table " << k;
                }
                // Brightness and tint tables are each channel times a
                // factor: they take the multiply path, not the lookups.
                if (k != kGreyTable && t.scale < 0) {
                    EXPECT_TRUE(t.multiplied) << "table " << k << " mode " << mode << " format " << l.format;
                }
            }
        }
    }
    // A caller's own table is looked up as it is.
    std::vector<uint16_t> own(kColorTableEntries, 0);
    EXPECT_FALSE(fast::DescribeTable(own.data()).separable);
    FreeColorTables();
}

TEST(FastKernelTables, TablesRebuiltInPlaceAreSeenAfresh) {
    // A fast kernel that kept what it learnt of a table across a rebuild
    // would draw with the old contents. Every change of ambient mode and
    // layout, in place or with the whole set rebuilt (likely at the same
    // address), is followed by a map through each table.
    Gen g(9);
    std::vector<uint16_t> px(2048), want, got;
    for (uint16_t& v : px) v = static_cast<uint16_t>(g.Next());
    auto check = [&](int32_t first, int32_t last, const std::string& what) {
        for (int32_t k = first; k <= last; ++k) {
            want = px;
            got = px;
            ref::TableMap16(want.data(), 2048, 1, 4096, g_ColorTables[k]);
            fast::TableMap16(got.data(), 2048, 1, 4096, g_ColorTables[k]);
            ASSERT_TRUE(got == want) << what << ", table " << k;
        }
    };
    FreeColorTables();
    BuildColorTables(16);
    check(0, kLastColorTable, "set");
    // Brightness states: mode x layout; every ordered pair of them, the
    // second rebuilt over the first in place.
    std::vector<std::pair<int32_t, int32_t>> states;
    for (int32_t mode = 0; mode <= 5; ++mode)
        for (const Layout& l : kLayouts) states.emplace_back(mode, l.format);
    for (const auto& from : states)
        for (const auto& to : states) {
            BuildBrightnessTables(from.first, from.second);
            // The kernels learn the tables of `from`...
            uint16_t scratch = 0;
            for (int32_t k = 0; k < 16; ++k) fast::TableMap16(&scratch, 1, 1, 2, g_ColorTables[k]);
            // ...and must see that they changed.
            BuildBrightnessTables(to.first, to.second);
            check(0, 15, "mode " + std::to_string(from.first) + "/" + std::to_string(from.second) + " then " +
                             std::to_string(to.first) + "/" + std::to_string(to.second));
        }
    for (int32_t flip = 0; flip < 4; ++flip) {
        FreeColorTables();
        BuildColorTables(kLayouts[flip % 2].format);
        check(0, kLastColorTable, "flip " + std::to_string(flip));
    }
    FreeColorTables();
}

TEST(FastKernelTables, PerFieldTablesMapLikeTheReferenceWithOrWithoutFactors) {
    // Tables of the set rewritten field by field: factors with a clamp, a
    // factor past 1 on six bits, and maps no factor gives (a field that is
    // not 0 at 0, one that falls).
    struct Case {
        const char* what;
        bool multiplied;
        int32_t (*field)(int32_t v, int32_t most, int32_t which);
    };
    const Case cases[] = {
        {"clamped", true, [](int32_t v, int32_t most, int32_t which) {
             return std::min(most, static_cast<int32_t>(v * (which == 0 ? 1.9 : which == 1 ? 1.2 : 0.37)));
         }},
        {"offset", false, [](int32_t v, int32_t most, int32_t) { return std::min(most, v + 1); }},
        {"falling", false, [](int32_t v, int32_t most, int32_t) { return most - v; }},
    };
    Gen g(31);
    std::vector<uint16_t> px(1000), want, got;
    for (const Layout& l : kLayouts) {
        FreeColorTables();
        BuildColorTables(l.format);
        for (const Case& c : cases) {
            uint16_t* t = g_ColorTables[36];
            const int32_t gMost = l.is565 ? 63 : 31, rShift = l.is565 ? 11 : 10;
            for (uint32_t v = 0; v < 65536; ++v) {
                const int32_t r = (v >> rShift) & 31, gr = (v >> 5) & gMost, b = v & 31;
                t[v] = static_cast<uint16_t>(c.field(r, 31, 0) << rShift | c.field(gr, gMost, 1) << 5 |
                                             c.field(b, 31, 2));
            }
            const fast::TableTraits traits = fast::DescribeTable(t);
            EXPECT_TRUE(traits.separable) << c.what;
            EXPECT_EQ(traits.multiplied, c.multiplied) << c.what << " format " << l.format;
            for (uint16_t& v : px) v = static_cast<uint16_t>(g.Next());
            px[3] = 0;
            want = got = px;
            ref::TableMap16(want.data(), 1000, 1, 2000, t);
            fast::TableMap16(got.data(), 1000, 1, 2000, t);
            EXPECT_TRUE(got == want) << c.what << " format " << l.format;
        }
    }
    FreeColorTables();
}

TEST(FastKernelSelection, SelectorSwitchesEveryKernel) {
    const KernelSet before = SelectedKernels();
    // The environment picks the set the program starts with.
    const char* env = std::getenv("VANTREL_KERNELS");
    EXPECT_EQ(before, env && std::string(env) == "reference" ? KernelSet::Reference : KernelSet::Fast);
    SelectKernels(KernelSet::Reference);
    EXPECT_EQ(g_Kernels.rleAlpha16, &ref::RleAlpha16);
    EXPECT_STREQ(KernelSetName(), "reference");
    EXPECT_FALSE(plat::FastStretchSelected());
    SelectKernels(KernelSet::Fast);
    EXPECT_EQ(g_Kernels.rleAlpha16, &fast::RleAlpha16);
    EXPECT_EQ(g_Kernels.lightApply16, &fast::LightApply16);
    EXPECT_TRUE(plat::FastStretchSelected());
    SelectKernels(before);
}

// The light grid's own Apply against the fast kernel given the same grid,
// so the kernel's reading of the grid (cells from the rectangle's left edge,
// the last column and row for pixels beyond the grid) is the grid's.
class FastApplyGridTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        plat::UseHeadlessBackend();
        display_ = std::make_unique<CSurface>();
        // The device lives while any off-screen surface does.
        keeper_ = std::make_unique<CSurface>(1, 1, 1);
    }
    void TearDown() override {
        keeper_.reset();
        display_.reset();
        plat::SetDisplayLayout(plat::PixelLayout::k565);
        g_PixelFormat.m_Format = kFormat565;
        FreeColorTables();
        TempDirTest::TearDown();
    }
    static std::vector<uint8_t> Bytes(CSurface& s) {
        uint8_t* p = s.Lock(nullptr);
        std::vector<uint8_t> v(p, p + static_cast<size_t>(s.m_Pitch) * s.m_Height);
        s.Unlock();
        return v;
    }
    static void Load(CSurface& s, const std::vector<uint8_t>& v) {
        std::memcpy(s.Lock(nullptr), v.data(), v.size());
        s.Unlock();
    }
    std::unique_ptr<CSurface> display_;
    std::unique_ptr<CSurface> keeper_;
};

TEST_F(FastApplyGridTest, GridApplyAndFastKernelAgree) {
    for (const Layout& l : kLayouts) {
        plat::SetDisplayLayout(l.is565 ? plat::PixelLayout::k565 : plat::PixelLayout::k555);
        g_PixelFormat.m_Format = l.is565 ? kFormat565 : kFormat555;
        FreeColorTables();
        BuildColorTables(l.format);
        Gen g(l.format);
        for (int32_t round = 0; round < 12; ++round) {
            auto grid = std::make_unique<CLightGrid>();
            const int32_t cell = g.Chance(60) ? 8 : g.In(1, 12);
            const int32_t W = g.In(cell, 90), H = g.In(1, 50);
            grid->Init(cell, W, H);
            grid->SetAmbientMode(g.In(0, 5), nullptr);
            for (uint8_t& b : grid->m_Map.m_Levels)
                b = static_cast<uint8_t>(g.Chance(90) ? g.In(0, 15) : g.In(16, 255));
            CSurface src(W, H, 1), dst(W, H, 1);
            std::vector<uint8_t> pixels = Bytes(src);
            for (uint8_t& b : pixels) b = static_cast<uint8_t>(g.Next());
            Load(src, pixels);
            const bool inPlace = g.Chance(30);
            CSurface& target = inPlace ? src : dst;
            const std::vector<uint8_t> before = Bytes(target);
            // Rectangles may reach past the surfaces; Apply clips them.
            const CGameRect rect{g.In(0, W - 1), g.In(0, H - 1), g.In(1, W + 8), g.In(1, H + 8)};
            ASSERT_EQ(grid->Apply(&target, &src, &grid->m_Map, rect), 1);
            const std::vector<uint8_t> want = Bytes(target);

            Load(target, before);
            const int32_t x = rect.x, y = rect.y;
            const int32_t w = std::min(rect.width, W - x), h = std::min(rect.height, H - y);
            std::vector<const uint16_t*> tables(256);
            for (int32_t k = 0; k < 256; ++k) tables[k] = k <= kLastColorTable ? g_ColorTables[k] : g_ColorTables[15];
            uint8_t* d = target.Lock(nullptr);
            const uint8_t* sp = inPlace ? d : src.Lock(nullptr);
            const LightApplyArgs a{d + static_cast<ptrdiff_t>(y) * target.m_Pitch + 2 * x, target.m_Pitch,
                                   sp + static_cast<ptrdiff_t>(y) * src.m_Pitch + 2 * x, src.m_Pitch, x, y, w, h,
                                   grid->m_Map.m_Levels.data(), grid->m_Map.m_Width, grid->m_Map.m_Height, cell,
                                   tables.data()};
            fast::LightApply16(a);
            if (!inPlace) src.Unlock();
            target.Unlock();
            ASSERT_TRUE(Bytes(target) == want) << "layout " << l.format << " round " << round;
            grid.reset();  // frees the colour tables, as at exit
            BuildColorTables(l.format);
        }
    }
}

// ---- Stretch ----

class FastStretchTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        plat::UseHeadlessBackend();
        plat::SetDisplayLayout(plat::PixelLayout::k565);
        ASSERT_EQ(plat::DirectDrawCreate(&dd_), plat::DD_OK);
    }
    void TearDown() override {
        for (plat::DDSurface* s : made_) s->Release();
        dd_->Release();
        plat::SetDisplayPresenter(nullptr);
        plat::SelectFastStretch(true);
        TempDirTest::TearDown();
    }
    plat::DDSurface* Off(int w, int h) {
        plat::DDSurfaceDesc d;
        d.flags = plat::DDSD_CAPS | plat::DDSD_WIDTH | plat::DDSD_HEIGHT;
        d.caps = plat::DDSCAPS_OFFSCREENPLAIN;
        d.width = static_cast<uint32_t>(w);
        d.height = static_cast<uint32_t>(h);
        plat::DDSurface* s = nullptr;
        EXPECT_EQ(dd_->CreateSurface(&d, &s), plat::DD_OK);
        made_.push_back(s);
        return s;
    }
    static void Fill(Gen& g, plat::DDSurface* s, int32_t keyPercent) {
        for (int y = 0; y < s->Height(); ++y)
            for (int x = 0; x < s->Width(); ++x) {
                const uint16_t v = g.Chance(keyPercent) ? 0xF81F : static_cast<uint16_t>(g.Next());
                std::memcpy(s->MutablePixels() + y * s->Pitch() + x * 2, &v, 2);
            }
    }
    static std::vector<uint8_t> Bytes(plat::DDSurface* s) {
        return std::vector<uint8_t>(s->Pixels(), s->Pixels() + static_cast<size_t>(s->Pitch()) * s->Height());
    }
    plat::DisplayDevice* dd_ = nullptr;
    std::vector<plat::DDSurface*> made_;
};

TEST_F(FastStretchTest, StretchedAndKeyedBltsMatchTheReference) {
    Gen g(3);
    plat::DDSurface* src = Off(37, 23);
    plat::DDSurface* dst = Off(61, 45);
    plat::DDClipper* clipper = nullptr;
    ASSERT_EQ(dd_->CreateClipper(0, &clipper), plat::DD_OK);
    const plat::DDColorKey key{0xF81F, 0xF81F};
    src->SetColorKey(plat::DDCKEY_SRCBLT, &key);
    for (int32_t round = 0; round < 80; ++round) {
        Fill(g, src, 20);
        Fill(g, dst, 0);
        const bool self = g.Chance(20);
        plat::DDSurface* from = self ? dst : src;
        const int32_t fw = from->Width(), fh = from->Height();
        const int32_t sl = g.In(0, fw - 1), st = g.In(0, fh - 1);
        const plat::Rect sr{sl, st, g.In(sl + 1, fw), g.In(st + 1, fh)};
        // Destination rectangles partly off the surface are clipped.
        const int32_t dl = g.In(-10, 55), dt = g.In(-10, 40);
        const plat::Rect dr{dl, dt, dl + g.In(1, 80), dt + g.In(1, 60)};
        const uint32_t flags = g.Chance(50) ? uint32_t(plat::DDBLT_KEYSRC) : 0u;
        dst->SetClipper(clipper);
        const std::vector<uint8_t> before = Bytes(dst);
        plat::SelectFastStretch(false);
        ASSERT_EQ(dst->Blt(&dr, from, &sr, flags, nullptr), plat::DD_OK);
        const std::vector<uint8_t> want = Bytes(dst);
        std::memcpy(dst->MutablePixels(), before.data(), before.size());
        plat::SelectFastStretch(true);
        ASSERT_EQ(dst->Blt(&dr, from, &sr, flags, nullptr), plat::DD_OK);
        ASSERT_TRUE(Bytes(dst) == want) << "round " << round;
    }
    dst->SetClipper(nullptr);
    clipper->Release();
}

} // namespace
