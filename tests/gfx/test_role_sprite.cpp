#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/directories.h"
#include "datagen/demo_role_sprite.h"
#include "datagen/define_writer.h"
#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "datagen/pli_writer.h"
#include "gfx/role_sprite.h"
#include "platform/random.h"
#include "test_image_fixture.h"

using namespace imgtest;

namespace {

constexpr uint16_t kRed = 0xF800, kGreen = 0x07E0, kBlue = 0x001F, kGrey = 0x8410, kWhite = 0xFFFF;
constexpr int32_t kW = 20, kH = 16;

struct Box {
    uint16_t colour;
    int32_t x, y, w, h;
};
// Parts of R1 in part order A, B, C (offsets from the sprite's position).
const Box kA{kRed, 0, 0, 4, 4};
const Box kB{kGreen, 2, 1, 4, 4};
const Box kC{kBlue, 1, 2, 4, 4};
const Box kBGrey{kGrey, 2, 1, 4, 4};

std::vector<uint16_t> Paint(std::vector<uint16_t> px, int32_t x, int32_t y, const std::vector<Box>& boxes) {
    for (const Box& b : boxes)
        for (int32_t dy = 0; dy < b.h; ++dy)
            for (int32_t dx = 0; dx < b.w; ++dx) {
                const int32_t px0 = x + b.x + dx, py0 = y + b.y + dy;
                if (px0 >= 0 && px0 < kW && py0 >= 0 && py0 < kH) px[static_cast<size_t>(py0) * kW + px0] = b.colour;
            }
    return px;
}

datagen::PliSpec R1Pli() {
    datagen::PliSpec s;
    s.roleName = "R1";
    s.mainPart = "A";
    s.partNames = {"A", "B", "C"};
    // Action 0: two frames (the second names a part that does not exist);
    // action 1: one frame.
    s.actions = {{{0, 1, 2}, {2, 9, 0}}, {{1, 0, 2}}};
    return s;
}

class RoleSpriteTest : public ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        SetProgramDirectory(0);
        g_DrawAlphaSpriteParts = 1;
        std::vector<std::string> e;
        const auto art = [&](const Box& b, uint8_t alpha = 0) {
            return datagen::AddRolePartEntries(&e, 0, {b.colour, b.w, b.h, b.x, b.y, alpha, 3, 2});
        };
        ids_["A"] = art(kA);
        ids_["B"] = art(kB);
        ids_["B2"] = art(kBGrey);
        ids_["C"] = art(kC);
        ids_["BS"] = art({kWhite, 6, 6, 2, 2}, 0xC0);
        ids_["TRBD"] = art({kRed, 0, 0, 2, 2});
        ids_["TRJQ"] = art({kBlue, 0, 0, 2, 2});
        ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/role.lib", e));
        ASSERT_TRUE(datagen::WriteIdxLib(Dir() + "Zy/idx.lib", {"role"}));
        ASSERT_EQ(g_ResList.Init("Zy\\idx.lib"), 1);
        WriteHeader({});
        WriteR1Pli(R1Pli());
    }
    void TearDown() override {
        g_RoleSprMng.Clear();
        g_DrawAlphaSpriteParts = 1;
        ImageTest::TearDown();
    }

    int32_t Id(const char* k) { return static_cast<int32_t>(ids_[k]); }
    std::vector<datagen::SprRoleItem> Items() {
        return {{"R1", "A", "001", Id("A"), "X"},      {"R1", "B", "001", Id("B"), "X"},
                {"R1", "B", "002", Id("B2"), "X"},     {"R1", "BS", "001", Id("BS"), "X"},
                {"R1", "C", "001", Id("C"), "X"},      {"TR", "BD", "001", Id("TRBD"), ""},
                {"TR", "JQ", "001", Id("TRJQ"), ""}};
    }
    // Writes "slr/SprRole.h" with Items() plus `extra` and reads it.
    int WriteHeader(const std::vector<datagen::SprRoleItem>& extra) {
        std::vector<datagen::SprRoleItem> items = Items();
        items.insert(items.end(), extra.begin(), extra.end());
        EXPECT_TRUE(datagen::WriteSprRoleHeader(Dir() + "slr/SprRole.h", items));
        return LoadSprRoleHeader(HeaderPath().c_str());
    }
    static std::string HeaderPath() { return std::string(GetProgramDirectory()) + "slr\\SprRole.h"; }
    void WriteR1Pli(const datagen::PliSpec& s, bool older = false) {
        ASSERT_TRUE(datagen::WritePli(datagen::PliNativePath(Dir(), "R1"), s, older));
    }
    // The drawing of `spr` at (3, 2) over the pattern.
    std::vector<uint16_t> Drawn(CRoleSprite* spr, int (*draw)(CRoleSprite*, CSurface*, int32_t, int32_t,
                                                               const CGameRect*, int32_t) = DrawRoleSprite) {
        auto s = PatternSurface(kW, kH);
        draw(spr, s.get(), 3, 2, nullptr, 0);
        return Read(*s);
    }
    static void SetActionFrame(CRoleSprite* spr, int32_t seq, int32_t frame) {
        CTrailAnim* a = GetRoleSpriteAnim(spr);
        a->m_CurSeq = seq;
        if (CAnimPlayer* p = a->Player(seq < a->m_SeqCount ? seq : 0)) p->m_CurFrame = frame;
    }

    std::map<std::string, uint32_t> ids_;
};

TEST_F(RoleSpriteTest, HeaderBuildsTemplatesByRunsOfRoles) {
    // A second run of R1 makes a third template that is never found by name.
    ASSERT_EQ(WriteHeader({{"R1", "Z", "001", Id("A"), "X"}}), 1);
    ASSERT_EQ(g_RoleSprMng.TemplateCount(), 3);
    const CRoleSprite* r1 = g_RoleSprMng.Template(0);
    EXPECT_EQ(r1->m_RoleName, "R1");
    ASSERT_EQ(r1->m_Parts.size(), 3u);
    EXPECT_EQ(r1->m_Parts[1]->m_Name, "B");
    ASSERT_EQ(r1->m_Parts[1]->m_Variants.size(), 2u);
    EXPECT_EQ(r1->m_Parts[1]->m_Variants[1]->variant, "002");
    EXPECT_EQ(r1->m_Parts[1]->m_Variants[1]->value, ids_["B2"]);
    ASSERT_EQ(r1->m_Overlays.size(), 1u);
    EXPECT_EQ(r1->m_Overlays[0]->m_Name, "BS");
    EXPECT_EQ(g_RoleSprMng.Template(1)->m_RoleName, "TR");
    EXPECT_EQ(g_RoleSprMng.Template(2)->m_RoleName, "R1");
    EXPECT_EQ(g_RoleSprMng.Template(2)->m_Parts[0]->m_Name, "Z");

    CRoleSprite* spr = CreateRoleSprite("r1", "001", nullptr);
    ASSERT_NE(spr, nullptr);
    EXPECT_EQ(GetRoleSpritePartCount(spr), 3);
    EXPECT_EQ(GetRoleSpriteName(spr), "r1");
    // No variant list: nothing equipped, no main part, nothing to draw.
    EXPECT_EQ(GetRoleSpriteAnim(spr), nullptr);
    EXPECT_EQ(DrawRoleSprite(spr, keeper_.get(), 0, 0, nullptr), 0);
    DestroyRoleSprite(&spr);
    EXPECT_EQ(spr, nullptr);
}

TEST_F(RoleSpriteTest, HeaderFailures) {
    plat::ClearRecordedMessageBoxes();
    EXPECT_EQ(LoadSprRoleHeader(""), 0);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());

    const std::string missing = std::string(GetProgramDirectory()) + "slr\\None.h";
    EXPECT_EQ(LoadSprRoleHeader(missing.c_str()), 0);
    EXPECT_EQ(g_RoleSprMng.TemplateCount(), 0);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 2u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, missing);
    EXPECT_EQ(plat::RecordedMessageBoxes()[1].text, "\xB4\xF2\xBF\xAA" "SprRole.h" "\xCA\xA7\xB0\xDC" "!");

    // A header without constants.
    ASSERT_TRUE(datagen::WriteDefineHeader(Dir() + "slr/SprRole.h", {}, {"// nothing"}));
    plat::ClearRecordedMessageBoxes();
    EXPECT_EQ(LoadSprRoleHeader(HeaderPath().c_str()), 0);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, kSprRoleOpenFailedText);
    EXPECT_EQ(CreateRoleSprite("R1", "001", "001*001*001"), nullptr);
}

TEST_F(RoleSpriteTest, CreationRefusesBadNamesAndVariantLists) {
    struct Case {
        const char* role;
        const char* variants;
        bool ok;
    };
    const Case cases[] = {
        {"R1", "001*001*001", true},
        {"r1", "001 002-001", true},  // any separator; role ignoring case
        {"", "001*001*001", false},
        {"R9", "001*001*001", false},
        {"R1", "001*003*001", false},  // B has no variant 003
        // Lists too short for three parts are refused, not read past.
        {"R1", "001*001", false},
        {"R1", "001*001*00", false},
        {"R1", "001*001*", false},
    };
    for (const Case& c : cases) {
        // Exactly as long as the text, so a read past it is caught.
        const std::string text = c.variants;
        std::unique_ptr<char[]> exact(new char[text.size() + 1]);
        std::memcpy(exact.get(), text.c_str(), text.size() + 1);
        CRoleSprite* spr = CreateRoleSprite(c.role, "001", exact.get());
        EXPECT_EQ(spr != nullptr, c.ok) << c.role << " " << c.variants;
        DestroyRoleSprite(&spr);
    }
}

TEST_F(RoleSpriteTest, PliFileAcceptanceAndRefusal) {
    struct Case {
        const char* what;
        datagen::PliSpec spec;
        bool older;
        bool ok;
    };
    datagen::PliSpec otherRole = R1Pli(), lowerRole = R1Pli(), noMain = R1Pli(), tooMany = R1Pli(), olderBad = R1Pli();
    otherRole.roleName = "R2";
    lowerRole.roleName = "r1";
    noMain.mainPart = "Q";
    tooMany.partNames = {"A", "B", "C", "D"};
    tooMany.actions = {{{0, 1, 2, 3}}};
    olderBad.partNames = {"A", "B"};
    olderBad.actions = {{{0, 1}}};
    const Case cases[] = {
        {"current form", R1Pli(), false, true},
        {"role name in other case", lowerRole, false, true},
        {"older form", R1Pli(), true, true},
        {"another role's file", otherRole, false, false},
        {"main part unknown", noMain, false, false},
        {"more parts than the template", tooMany, false, false},
        {"older form, part count differs", olderBad, true, false},
    };
    for (const Case& c : cases) {
        // A fresh header: a filled record would be reused without a read.
        ASSERT_EQ(WriteHeader({}), 1);
        WriteR1Pli(c.spec, c.older);
        CRoleSprite* spr = CreateRoleSprite("R1", "001", "001*001*001");
        EXPECT_EQ(spr != nullptr, c.ok) << c.what;
        if (spr) {
            EXPECT_EQ(GetRoleSpriteAnim(spr), &spr->m_Parts[0]->m_Anim) << c.what;
        }
        DestroyRoleSprite(&spr);
    }
    // A missing file is refused; a record filled by an earlier read is
    // reused without the file (the older form's gets the role name).
    ASSERT_EQ(WriteHeader({}), 1);
    std::filesystem::remove(datagen::PliNativePath(Dir(), "R1"));
    EXPECT_EQ(CreateRoleSprite("R1", "001", "001*001*001"), nullptr);
    WriteR1Pli(R1Pli(), true);
    CRoleSprite* first = CreateRoleSprite("R1", "001", "001*001*001");
    ASSERT_NE(first, nullptr);
    std::filesystem::remove(datagen::PliNativePath(Dir(), "R1"));
    CRoleSprite* second = CreateRoleSprite("R1", "001", "001*002*001");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->m_pHeader, first->m_pHeader);
    EXPECT_EQ(GetRoleSpritePartName(second, 2), "C");
    DestroyRoleSprite(&first);
    DestroyRoleSprite(&second);
}

TEST_F(RoleSpriteTest, DrawsPartsInTheOrderOfTheActionAndFrame) {
    CRoleSprite* spr = CreateRoleSprite("R1", "001", "001*001*001");
    ASSERT_NE(spr, nullptr);
    ASSERT_EQ(GetRoleSpriteAnim(spr)->m_SeqCount, 3);
    struct Case {
        int32_t seq, frame;
        std::vector<Box> order;
    };
    const Case cases[] = {
        {0, 0, {kA, kB, kC}},
        {0, 1, {kC, kA}},      // index 9 names no part: skipped
        {1, 0, {kB, kA, kC}},
        {1, 1, {kB, kA, kC}},  // action 1 has one frame in the file: frame 0
        {2, 0, {kA, kB, kC}},  // action 2 is not in the file: action 0
        {2, 1, {kC, kA}},
        {7, 0, {kA, kB, kC}},  // beyond the animation's sequences: action 0
    };
    const std::vector<uint16_t> base = Pixels(kW, kH);
    for (const Case& c : cases) {
        SetActionFrame(spr, c.seq, c.frame);
        EXPECT_EQ(Drawn(spr), Paint(base, 3, 2, c.order)) << c.seq << "/" << c.frame;
    }
    // A hidden part is skipped; its overlay twin goes with it.
    SetActionFrame(spr, 0, 0);
    ASSERT_EQ(ShowRoleSpritePart(spr, "b", 0), 1);
    EXPECT_EQ(IsRoleSpritePartShown(spr, "BS"), 0);
    EXPECT_EQ(Drawn(spr), Paint(base, 3, 2, {kA, kC}));
    EXPECT_EQ(Drawn(spr, DrawRoleSpriteOverlays), base);
    DestroyRoleSprite(&spr);
}

TEST_F(RoleSpriteTest, EmptyOrderListsDrawNothing) {
    datagen::PliSpec s = R1Pli();
    s.partNames.clear();
    s.actions = {{{}, {}}};
    WriteR1Pli(s);
    CRoleSprite* spr = CreateRoleSprite("R1", "001", "001*001*001");
    ASSERT_NE(spr, nullptr);
    EXPECT_EQ(Drawn(spr), Pixels(kW, kH));
    DestroyRoleSprite(&spr);
}

TEST_F(RoleSpriteTest, VariantsPartNumbersAndTheirText) {
    CRoleSprite* spr = CreateRoleSprite("R1", "001", "001*000*001");
    ASSERT_NE(spr, nullptr);
    // "000" hides the part and its twin; its text says it wears nothing.
    EXPECT_EQ(IsRoleSpritePartShownAt(spr, 1), 0);
    EXPECT_EQ(IsRoleSpritePartShown(spr, "BS"), 0);
    EXPECT_EQ(GetRolePartFileName(spr), "001_001_031*000_001_031*001_001_031");
    EXPECT_EQ(Drawn(spr), Paint(Pixels(kW, kH), 3, 2, {kA, kC}));

    // Variant 002 with part number 35: drawn through colour table 35; the
    // twin has no 002 and keeps its first variant.
    ASSERT_EQ(SetRoleSpriteParts(spr, "B_002_001_035"), 1);
    EXPECT_EQ(IsRoleSpritePartShown(spr, "B"), 1);
    EXPECT_EQ(IsRoleSpritePartShown(spr, "BS"), 1);
    Box tinted = kBGrey;
    tinted.colour = GetColorTable(35)[kGrey];
    ASSERT_NE(tinted.colour, kGrey);
    EXPECT_EQ(Drawn(spr), Paint(Pixels(kW, kH), 3, 2, {kA, tinted, kC}));
    EXPECT_EQ(GetRolePartFileName(spr, true), "A_001_001_031*B_002_001_035*C_001_001_031");
    // The long form goes back in as it came out.
    ASSERT_EQ(SetRoleSpriteParts(spr, "A_001_001_031*B_001_001_035*C_001_001_031"), 1);
    EXPECT_EQ(Drawn(spr), Paint(Pixels(kW, kH), 3, 2, {kA, {GetColorTable(35)[kGreen], 2, 1, 4, 4}, kC}));
    EXPECT_EQ(SetRoleSpriteParts(spr, "B_007"), 0);
    EXPECT_EQ(SetRoleSpriteParts(spr, "Q_001"), 0);
    // An empty variant hides.
    ASSERT_EQ(SetRoleSpriteParts(spr, "C_"), 1);
    EXPECT_EQ(IsRoleSpritePartShown(spr, "C"), 0);

    // Tinted parts keep their table unless forced.
    SetRoleSpriteDrawMode(spr, kDrawCopy, -1, 0);
    EXPECT_EQ(spr->m_Parts[1]->m_DrawMode, kDrawTable);
    EXPECT_EQ(spr->m_Parts[1]->m_Table, 35);
    SetRoleSpriteDrawMode(spr, kDrawCopy, -1, 1);
    EXPECT_EQ(spr->m_Parts[1]->m_DrawMode, kDrawCopy);

    EXPECT_EQ(FormatRolePartNo(-4), "000");
    EXPECT_EQ(FormatRolePartNo(7), "007");
    EXPECT_EQ(FormatRolePartNo(123), "123");
    EXPECT_EQ(GetRolePartDefaultNo(spr), "001");
    DestroyRoleSprite(&spr);
}

TEST_F(RoleSpriteTest, ColourEffects) {
    const std::map<int32_t, std::pair<int32_t, int32_t>> table = {
        {1, {4, 36}}, {2, {4, 37}}, {3, {4, 35}}, {4, {4, 38}}, {5, {4, 33}}, {6, {4, 34}},
        {7, {2, -1}}, {8, {4, 32}}, {9, {3, 8}},  {10, {4, 19}}, {0, {0, -1}}, {11, {0, -1}},
    };
    for (const auto& [kind, want] : table) {
        int32_t mode = -9, t = -9;
        RoleColorEffectMode(kind, &mode, &t);
        EXPECT_EQ(std::make_pair(mode, t), want) << kind;
    }
    plat::SRand(5);
    std::map<std::pair<int32_t, int32_t>, int> seen;
    for (int i = 0; i < 400; ++i) {
        int32_t mode = 0, t = 0;
        RoleColorEffectMode(31, &mode, &t);
        ++seen[{mode, t}];
    }
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_GT(seen[std::make_pair(4, 34)], seen[std::make_pair(4, 38)]);
    EXPECT_GT(seen[std::make_pair(4, 34)], seen[std::make_pair(0, -1)]);

    CRoleSprite* spr = CreateRoleSprite("R1", "001", "001*001*001");
    ASSERT_NE(spr, nullptr);
    ASSERT_EQ(SetRoleSpriteColorEffect(spr, 2, "a"), 1);
    ASSERT_NE(GetColorTable(37)[kRed], kRed);
    EXPECT_EQ(Drawn(spr), Paint(Pixels(kW, kH), 3, 2, {{GetColorTable(37)[kRed], 0, 0, 4, 4}, kB, kC}));
    ASSERT_EQ(SetRoleSpriteColorEffect(spr, 8), 1);
    const auto grey = [](Box b) {
        b.colour = GetColorTable(32)[b.colour];
        return b;
    };
    ASSERT_NE(grey(kA).colour, kRed);
    EXPECT_EQ(Drawn(spr), Paint(Pixels(kW, kH), 3, 2, {grey(kA), grey(kB), grey(kC)}));
    EXPECT_EQ(SetRoleSpriteColorEffect(spr, 1, "nope"), 0);
    DestroyRoleSprite(&spr);
}

TEST_F(RoleSpriteTest, AlphaPartsFollowTheProcessSwitch) {
    CRoleSprite* spr = CreateRoleSprite("R1", "001", "001*001*001");
    ASSERT_NE(spr, nullptr);
    // The overlay carries an alpha plane: drawn blended, whatever its mode.
    SetRoleSpriteOverlayDrawMode(spr, kDrawTable, 36);
    const std::vector<uint16_t> on = Drawn(spr, DrawRoleSpriteOverlays);
    EXPECT_NE(on, Pixels(kW, kH));
    auto s = PatternSurface(kW, kH);
    const CAnimFrame* f = spr->m_Overlays[0]->FrameOf(0, 0, false);
    ASSERT_NE(f, nullptr);
    f->Draw(s.get(), 3, 2, kDrawAlpha, -1, nullptr);
    EXPECT_EQ(on, Read(*s));
    g_DrawAlphaSpriteParts = 0;
    EXPECT_EQ(Drawn(spr, DrawRoleSpriteOverlays), Pixels(kW, kH));
    DestroyRoleSprite(&spr);
}

TEST_F(RoleSpriteTest, Rectangles) {
    CRoleSprite* spr = CreateRoleSprite("R1", "001", "001*001*001");
    ASSERT_NE(spr, nullptr);
    CGameRect r;
    ASSERT_EQ(GetRoleSpriteRect(spr, {10, 20}, &r), 1);
    EXPECT_EQ(r, (CGameRect{10, 20, 6, 6}));
    ASSERT_EQ(GetRoleSpriteRect(spr, {10, 20}, &r, "B"), 1);
    EXPECT_EQ(r, (CGameRect{12, 21, 4, 4}));
    EXPECT_EQ(GetRoleSpriteRect(spr, {10, 20}, &r, "Q"), 0);
    ASSERT_EQ(GetRoleSpriteBounds(spr, {10, 20}, &r), 1);
    EXPECT_EQ(r, (CGameRect{16, 26, 2, 2}));
    ASSERT_EQ(GetRoleSpriteFullRect(spr, {10, 20}, &r), 1);
    EXPECT_EQ(r, (CGameRect{10, 20, 8, 8}));
    DestroyRoleSprite(&spr);
    CRoleSprite* bare = CreateRoleSprite("R1", "001", "");
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(GetRoleSpriteRect(bare, {0, 0}, &r), 0);
    EXPECT_EQ(PreloadRoleSpriteFrames(bare, 0, -1), 0);
    DestroyRoleSprite(&bare);
}

TEST_F(RoleSpriteTest, PreloadLoadsTheFramesOfShownParts) {
    CRoleSprite* spr = CreateRoleSprite("R1", "001", "001*001*001");
    ASSERT_NE(spr, nullptr);
    ShowRoleSpritePart(spr, "C", 0);
    CResLib* lib = g_ResList.GetLib(0);
    // Frame tables sit one entry before their animation tables.
    const auto loaded = [&](const char* part) {
        const CLibEntry* e = lib->FindEntry(ResIdEntry(ids_[part]) - 1);
        return e && e->m_LoadState == kEntryLoaded;
    };
    EXPECT_FALSE(loaded("A"));
    ASSERT_EQ(PreloadRoleSpriteFrames(spr, 1, -1), 1);
    EXPECT_TRUE(loaded("A"));
    EXPECT_TRUE(loaded("B"));
    EXPECT_TRUE(loaded("BS"));
    EXPECT_FALSE(loaded("C"));
    DestroyRoleSprite(&spr);
}

TEST_F(RoleSpriteTest, TrailsOfShownMainPartsButJQ) {
    datagen::PliSpec s;
    s.roleName = "TR";
    s.mainPart = "BD";
    s.partNames = {"BD", "JQ"};
    s.actions = {{{0, 1}}};
    ASSERT_TRUE(datagen::WritePli(datagen::PliNativePath(Dir(), "TR"), s));
    CRoleSprite* spr = CreateRoleSprite("TR", "001", "001*001");
    ASSERT_NE(spr, nullptr);
    EXPECT_FALSE(HasRoleSpriteTrail(spr));
    ASSERT_EQ(EnableRoleSpriteTrail(spr, 2, 10, 2, 1), 1);
    EXPECT_TRUE(HasRoleSpriteTrail(spr));
    CTrailAnim* jq = GetRoleSpritePartAnim(spr, "jq");
    ASSERT_NE(jq, nullptr);
    ASSERT_NE(jq->m_pTrail, nullptr);
    EXPECT_EQ(jq->m_pTrail->m_Limit, 4);
    const CGamePoint p{64, 64};
    for (CTrailAnim* a : {GetRoleSpriteAnim(spr), jq})
        for (int i = 0; i < 3; ++i) a->m_pTrail->Push(&p, a->Player(0)->CurrentFrame());
    auto surf = PatternSurface(kW, kH);
    EXPECT_EQ(DrawRoleSpriteTrail(spr, surf.get(), 0, 0, nullptr), 1);
    ASSERT_EQ(DisableRoleSpriteTrail(spr), 1);
    EXPECT_FALSE(HasRoleSpriteTrail(spr));
    EXPECT_EQ(jq->m_pTrail, nullptr);
    // A hidden part gets no trail.
    ShowRoleSpritePart(spr, "JQ", 0);
    EnableRoleSpriteTrail(spr, 2, 10, 2, 0);
    EXPECT_EQ(jq->m_pTrail, nullptr);
    EXPECT_TRUE(HasRoleSpriteTrail(spr));
    DestroyRoleSprite(&spr);
}

TEST_F(RoleSpriteTest, DemoRoleSprite) {
    g_ResList.Destroy();
    ASSERT_TRUE(datagen::WriteDemoLibraries(Dir()));
    ASSERT_TRUE(datagen::WriteDemoRoleSprite(Dir()));
    ASSERT_TRUE(datagen::WriteDemoRoleSprite(Dir()));  // listed once
    ASSERT_EQ(InitResourceLibraries(), 1);
    ASSERT_EQ(g_ResList.Count(), 4);
    ASSERT_EQ(LoadSprRoleHeader(HeaderPath().c_str()), 1);
    CRoleSprite* spr = CreateRoleSprite(datagen::kDemoRoleName, "001", datagen::kDemoRoleVariants);
    ASSERT_NE(spr, nullptr);
    EXPECT_EQ(GetRoleSpritePartCount(spr), 3);
    auto s = std::make_unique<CSurface>(40, 50, 1);
    s->FillAll(0);
    const uint16_t body = datagen::Rgb16(40, 80, 220), sword = datagen::Rgb16(220, 40, 40);
    const auto at = [&](int32_t x, int32_t y) { return Read(*s)[static_cast<size_t>(y) * 40 + x]; };
    // The sword overlaps the body at x 6-7 from the feet: in front in
    // action 0, behind in action 1.
    EXPECT_EQ(DrawRoleSprite(spr, s.get(), 20, 45, nullptr), 3);
    EXPECT_EQ(at(26, 30), sword);
    SetActionFrame(spr, 1, 0);
    EXPECT_EQ(DrawRoleSprite(spr, s.get(), 20, 45, nullptr), 3);
    EXPECT_EQ(at(26, 30), body);
    EXPECT_EQ(DrawRoleSpriteOverlays(spr, s.get(), 20, 45, nullptr), 1);
    DestroyRoleSprite(&spr);
}

} // namespace
