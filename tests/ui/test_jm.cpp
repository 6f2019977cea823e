// The panel base class: placement, showing, links, colour codes, text and
// bars.
#include "ui_fixture.h"

#include <algorithm>

using namespace uitest;

namespace {

class JMTest : public UiTest {};

TEST_F(JMTest, AnchorsPlaceTopLevelPanelsAndChildrenFollowTheirParent) {
    struct Case {
        int anchor, x, y, w, h;
        CGameRect want;
    } cases[] = {
        {0, 10, 20, 100, 50, {10, 20, 100, 50}},   {1, 110, 20, 100, 50, {530, 20, 100, 50}},
        {2, 10, 70, 100, 50, {10, 410, 100, 50}},  {3, 110, 70, 100, 50, {530, 410, 100, 50}},
        {5, 4, -6, 100, 50, {274, 209, 100, 50}},  {6, 9, 30, 100, 50, {270, 30, 100, 50}},
        {9, 10, 20, 100, 50, {0, 0, 100, 50}},  // unknown anchor: position kept
    };
    std::vector<datagen::PanelRow> rows;
    std::vector<int> ids;
    int id = 100;
    for (const Case& c : cases) {
        rows.push_back(Row(id, c.anchor, c.x, c.y, c.w, c.h));
        ids.push_back(id++);
    }
    // A control with anchor 3 still sits at its parent + (column 5, 6).
    datagen::PanelRow child = Row(150, 3, 7, 9, 20, 10);
    child.kind = "7";
    rows.push_back(child);
    WriteTable(rows);
    ASSERT_EQ(Make(ids), 1);
    id = 100;
    for (const Case& c : cases) {
        CJM* p = g_JMMng.GetJM(id++);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ((CGameRect{p->m_X, p->m_Y, p->m_Width, p->m_Height}), c.want) << "anchor " << c.anchor;
    }
    CJM* parent = g_JMMng.GetJM(103);
    CJM* c = parent->AddChild(150);
    EXPECT_EQ(c->m_X, 530 + 7);
    EXPECT_EQ(c->m_Y, 410 + 9);
    EXPECT_EQ(g_JMMng.GetJM(150), c) << "controls register under their ids too";
}

TEST_F(JMTest, PictureGivesTheSizeWhenTheRowHasNone) {
    datagen::PanelRow r = Row(100, 0, 5, 5, 0, 0);
    r.width = r.height = "";
    r.picture = std::to_string(datagen::kDemoButtonAnim);
    datagen::PanelRow neg = Row(101, 0, 0, 100, 40, -12);
    WriteTable({r, neg});
    ASSERT_EQ(Make({100, 101}), 1);
    EXPECT_EQ(g_JMMng.GetJM(100)->m_Width, 80);
    EXPECT_EQ(g_JMMng.GetJM(100)->m_Height, 24);
    // A negative height keeps the screen height and moves the hit rectangle.
    CJM* p = g_JMMng.GetJM(101);
    EXPECT_EQ(p->m_Height, 480);
    EXPECT_EQ(p->GetHitRect().y, 112);
}

TEST_F(JMTest, ShowHideAndPinnedModes) {
    WriteTable({Row(100, 0, 0, 0, 10, 10), Row(101, 0, 0, 0, 10, 10)});
    ASSERT_EQ(Make({100, 101}), 1);
    RecPanel* p = Get(100);
    p->Show(1, 0);
    p->Show(1, 0);
    EXPECT_EQ(p->shows, 1) << "showing a shown panel does nothing";
    p->Show(0, 0);
    p->Show(0, 0);
    EXPECT_EQ(p->hides, 1) << "hiding a hidden panel does nothing";

    // Modes 1-3 count a hidden panel as shown until its next Update.
    p->Show(1, 2);
    p->Show(0, 2);
    EXPECT_EQ(p->IsShown(), 1);
    p->Update();
    EXPECT_EQ(p->IsShown(), 0);
    // Modes of 4 and above keep it counted until shown and hidden with 0.
    p->Show(1, 4);
    p->Show(0, 4);
    p->Update();
    EXPECT_EQ(p->IsShown(), 1);
    p->Show(1, 0);
    p->Show(0, 0);
    EXPECT_EQ(p->IsShown(), 0);
    EXPECT_NE(Captured().find("JM show 100\n"), std::string::npos);
    EXPECT_NE(Captured().find("JM hide 100\n"), std::string::npos);
}

TEST_F(JMTest, LinkedPanelHidesOnItsNextUpdateAndForgetsTheLink) {
    WriteTable({Row(100, 0, 0, 0, 10, 10), Row(101, 0, 0, 0, 10, 10), Row(102, 0, 0, 0, 10, 10)});
    ASSERT_EQ(Make({100, 101, 102}), 1);
    RecPanel* a = Get(100);
    RecPanel* b = Get(101);
    a->Show(1, 0);
    b->Show(1, 0);
    a->SetLinkedJM(101, 100, 102);
    EXPECT_EQ(a->m_Linked[0], 101);
    EXPECT_EQ(a->m_Linked[1], 102);
    b->Show(0, 0);
    EXPECT_EQ(a->IsShown(), 1);
    a->Update();
    EXPECT_EQ(a->IsShown(), 0);
    EXPECT_EQ(a->m_Linked[0], -1);
}

TEST(JMColorCodes, FirstCodeInOrderColoursTheLineAndOnlyItsOccurrencesGo) {
    struct Case {
        const char* in;
        const char* out;
        uint32_t colour;
    } cases[] = {
        {"$Yabc$Gdef", "$Yabcdef", plat::Rgb(80, 255, 80)},
        {"$Rx$Ry", "xy", plat::Rgb(255, 50, 50)},
        {"$Hgrey$W", "$Hgrey", plat::Rgb(255, 255, 255)},
        {"plain", "plain", 0x123456},
        {"$Bblue", "blue", plat::Rgb(120, 120, 255)},
    };
    for (const Case& c : cases) {
        std::string line = c.in;
        EXPECT_EQ(ApplyColorCode(line, 0x123456), c.colour) << c.in;
        EXPECT_EQ(line, c.out) << c.in;
    }
}

// Rows of a surface that hold a pixel other than the background.
std::vector<int> InkRows(const std::vector<uint16_t>& px, int w, uint16_t bg) {
    std::vector<int> rows;
    for (size_t i = 0; i < px.size(); ++i)
        if (px[i] != bg && (rows.empty() || rows.back() != static_cast<int>(i) / w)) rows.push_back(static_cast<int>(i) / w);
    return rows;
}

TEST_F(JMTest, ColourCodeAndCentredLinesGrowUpwards) {
    WriteTable({Row(100, 0, 0, 0, 10, 10)});
    ASSERT_EQ(Make({100}), 1);
    CJM* p = g_JMMng.GetJM(100);
    CSurface s(200, 100, 1);
    s.FillAll(0);
    p->DrawColorText(&s, 100, 60, "$Y\xD6\xD0$Gtext", 0);  // "$Y中$Gtext"
    const std::vector<uint16_t> px = Pixels(s);
    const uint16_t green = g_PixelFormat.FromRgb(80, 255, 80);
    const uint16_t yellow = g_PixelFormat.FromRgb(255, 255, 80);
    EXPECT_GT(std::count(px.begin(), px.end(), green), 10);
    EXPECT_EQ(std::count(px.begin(), px.end(), yellow), 0);

    // Two centred lines: the second is drawn above the first.
    CSurface a(200, 100, 1), b(200, 100, 1);
    a.FillAll(0);
    b.FillAll(0);
    p->DrawColorText(&a, 100, 60, "first", 1);
    p->DrawColorText(&b, 100, 60, "first\n\nsecond", 1);
    const std::vector<int> one = InkRows(Pixels(a), 200, 0);
    const std::vector<int> two = InkRows(Pixels(b), 200, 0);
    ASSERT_FALSE(one.empty());
    ASSERT_FALSE(two.empty());
    EXPECT_LT(two.front(), one.front() - 10) << "second line above";
    EXPECT_EQ(two.back(), one.back());
}

TEST_F(JMTest, BarsClampAndZeroShowsOnlyTheEmptyImage) {
    WriteTable({Row(100, 0, 0, 0, 10, 10)});
    ASSERT_EQ(Make({100}), 1);
    CJM* p = g_JMMng.GetJM(100);
    p->SetDrawMode(1, -1);
    CSurface full(50, 4, 1), empty(50, 4, 1);
    const uint16_t red = g_PixelFormat.FromRgb(255, 0, 0), grey = g_PixelFormat.FromRgb(80, 80, 80);
    full.FillAll(red);
    empty.FillAll(grey);
    struct Case {
        int percent, vertical, redCount, greyCount;
    } cases[] = {
        {150, 0, 200, 0}, {0, 0, 0, 200}, {40, 0, 80, 120}, {50, 1, 100, 0},
    };
    for (const Case& c : cases) {
        CSurface dst(60, 10, 1);
        dst.FillAll(0);
        p->DrawBar(&dst, 0, 0, &full, c.vertical ? nullptr : &empty, c.percent, c.vertical);
        const std::vector<uint16_t> px = Pixels(dst);
        EXPECT_EQ(std::count(px.begin(), px.end(), red), c.redCount) << c.percent;
        EXPECT_EQ(std::count(px.begin(), px.end(), grey), c.greyCount) << c.percent;
    }
}

TEST_F(JMTest, TipStaysOnScreen) {
    WriteTable({Row(100, 0, 0, 0, 10, 10)});
    ASSERT_EQ(Make({100}), 1);
    CJM* p = g_JMMng.GetJM(100);
    CSurface s(640, 480, 1);
    s.FillAll(0);
    p->DrawTip(&s, "a rather long tip text", 635, 5, 0);
    const std::vector<uint16_t> px = Pixels(s);
    int minX = 640, maxX = -1, minY = 480;
    for (int i = 0; i < 640 * 480; ++i)
        if (px[i]) {
            minX = std::min(minX, i % 640);
            maxX = std::max(maxX, i % 640);
            minY = std::min(minY, i / 640);
        }
    ASSERT_GE(maxX, 0);
    EXPECT_LE(maxX, 639);
    EXPECT_GT(maxX, 600) << "moved just far enough";
    EXPECT_GE(minY, 0);
}

} // namespace
