// Controls, the message box, the number entry, notices and the message
// list, on the demo panel tables.
#include "ui_fixture.h"

#include <algorithm>

#include "datagen/demo_data.h"
#include "platform/random.h"
#include "platform/text.h"
#include "datagen/fixture_game.h"
#include "roles/tables/skill_table.h"
#include "ui/jm_dialogs.h"
#include "world/scene/world_hooks.h"

using namespace uitest;

namespace {

class ControlTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        std::string error;
        ASSERT_TRUE(WriteDemoTables(&error)) << error;
        ASSERT_EQ(g_TextTable.Load((Dir() + "mb/Text.txt").c_str(), 0, 0, 1), 1);
        ASSERT_EQ(g_JMMng.CreatePanels(), 1);
        g_JMHooks.tickCount = [] { return s_tick; };
    }
    void TearDown() override {
        g_TextTable.Clear();
        UiTest::TearDown();
    }
    // A control of the given kind on the title menu (row 200 rewritten).
    template <class T>
    T* Control(const std::string& kind, const std::string& picture, int w, int h) {
        datagen::PanelRow r = Row(200, 0, 10, 10, w, h);
        r.kind = kind;
        r.picture = picture;
        std::vector<datagen::PanelRow> rows = datagen::DemoPanelRows(640);
        rows.erase(std::remove_if(rows.begin(), rows.end(), [](const auto& x) { return x.id == "200"; }), rows.end());
        rows.push_back(r);
        EXPECT_TRUE(datagen::WritePanelTable(Dir() + "mb/JMMDL.txt", rows));
        g_JMMng.ReceiveMsg(0, 640, 480);
        CJM* host = g_JMMng.GetJM(25);
        host->Show(1, 0);
        auto* c = dynamic_cast<T*>(host->AddChild(200));
        EXPECT_NE(c, nullptr);
        c->Show(1, 0);
        return c;
    }
    static inline int s_tick = 0;
};

// Owner that counts its answers.
class Owner : public CJMPanel {
public:
    void OnConfirm() override { ++yes; }
    void OnDecline() override { ++no; }
    int yes = 0, no = 0;
};

TEST_F(ControlTest, BarsDrawTheIncreaseAndBlinkBelowTheThreshold) {
    auto* bar = Control<CJMControl>("1*30", std::to_string(datagen::kDemoBarFullAnim), 100, 8);
    CSurface s(640, 480, 1);
    s.FillAll(0);
    bar->m_Value = 0;
    bar->m_Increase = 30;
    bar->Draw(&s);
    std::vector<uint16_t> px = Pixels(s);
    for (int x = 0; x < 100; ++x) EXPECT_EQ(px[(bar->m_Y + 2) * 640 + bar->m_X + x] != 0, x < 30) << x;
    struct Case {
        int value, tick, mode;
    } cases[] = {{29, 2, 4}, {29, 3, 0}, {30, 2, 0}, {0, 0, 4}};
    for (const Case& c : cases) {
        bar->m_Value = c.value;
        s_tick = c.tick;
        bar->Draw(&s);
        EXPECT_EQ(bar->m_DrawMode, c.mode) << c.value << " at " << c.tick;
    }
}

TEST_F(ControlTest, ButtonPressedAgainWithoutForceOnlyDropsItsHighlight) {
    auto* b = Control<CJMButton>("3", std::to_string(datagen::kDemoButtonAnim), 80, 24);
    b->SetState(1, 0);
    EXPECT_EQ(b->m_Pic.m_CurSeq, 1);
    b->SetHighlight(1);
    EXPECT_EQ(b->m_Pic.m_CurSeq, 2);
    ASSERT_NE(b->m_pHighlight, nullptr);
    b->SetState(1, 0);
    EXPECT_EQ(b->m_pHighlight, nullptr);
    EXPECT_EQ(b->m_Pressed, 1);
    EXPECT_EQ(b->m_Pic.m_CurSeq, 0) << "the highlight's end shows the normal picture";
    b->SetState(0, 0);
    EXPECT_EQ(b->m_Pressed, 0);
}

TEST_F(ControlTest, ScrollBarPagesAndDragsStayOnTheTrack) {
    auto* sb = Control<CJMScrollBar>("8", std::to_string(datagen::kDemoButtonAnim), 400, 24);
    struct Case {
        int range, start, clickX, want;
    } cases[] = {{5, 0, 300, 1}, {100, 0, 300, 10}, {100, 50, 11, 40}, {100, 95, 399, 100}, {0, 0, 300, 0}};
    for (const Case& c : cases) {  // clicks along the track from its left end
        sb->SetRange(c.range);
        sb->SetValue(c.start);
        sb->OnLButtonUp(1, sb->m_X + c.clickX, sb->m_Y + 5);
        EXPECT_EQ(sb->m_Pos, c.want) << c.range << " from " << c.start;
    }
    sb->SetRange(10);
    sb->SetValue(5);
    plat::SetKeyDown(plat::VK_LBUTTON, true);
    sb->OnLButtonDown(1, sb->m_ThumbX + 1, sb->m_ThumbY + 1);
    ASSERT_EQ(sb->m_Dragging, 1);
    sb->OnMouseMove(1, 5000, 15);
    EXPECT_EQ(sb->m_Pos, 10) << "a drag far past the end stops at the range";
    EXPECT_LE(sb->m_ThumbX + 80, sb->m_X + sb->m_Width);
    sb->OnMouseMove(1, -5000, 15);
    EXPECT_EQ(sb->m_Pos, 0);
    plat::SetKeyDown(plat::VK_LBUTTON, false);
    sb->OnMouseMove(1, 0, 0);
    EXPECT_EQ(sb->m_Dragging, 0);
}

TEST_F(ControlTest, ListSelectionClampsAndEmptyListsSelectNothing) {
    auto* l = Control<CJMList>("10", "", 200, 100);
    l->Select(0);
    EXPECT_EQ(l->GetSelectedValue(), -1);
    EXPECT_EQ(l->GetSelectedItem(), nullptr);
    for (int i = 0; i < 3; ++i) l->AddItem("item" + std::to_string(i), 10 + i);
    l->Select(7);
    EXPECT_EQ(l->m_Selected, 2);
    EXPECT_EQ(l->GetSelectedValue(), 12);
    EXPECT_EQ(l->m_Changed, 1);
    l->Update();
    EXPECT_EQ(l->m_Changed, 0);
    l->Select(-4);
    EXPECT_EQ(l->m_Selected, 0);
}

// Sends GBK bytes as the window's WM_CHAR messages through the manager.
void Type(const std::string& gbk) {
    for (unsigned char c : gbk) g_JMMng.OnKey(kJMWmChar, c, 1, nullptr);
}
void Key(uint32_t vk) { g_JMMng.OnKey(kJMWmKeyDown, vk, 1, nullptr); }

TEST_F(ControlTest, EditTakesTypedChineseAndDrawsTheCaretAfterIt) {
    auto* e = dynamic_cast<CJMEdit*>(g_JMMng.GetJM(153));
    ASSERT_NE(e, nullptr);
    g_JMNumberEntry->Open(nullptr, "", 0);
    e->SetCaption("");
    ASSERT_EQ(g_JMMng.m_pKeyFocus, e);
    EXPECT_EQ(e->m_Limit, 200 / 6);
    const std::string zhong = "\xD6\xD0", wen = "\xCE\xC4";  // 中 文
    Type("a" + zhong + wen);
    EXPECT_EQ(e->Text(), "a" + zhong + wen);
    Type("\x08");
    EXPECT_EQ(e->Text(), "a" + zhong) << "Backspace takes a whole character";
    Key(0x25);  // Left
    EXPECT_EQ(e->m_SelStart, 1);
    Key(0x2E);  // Delete
    EXPECT_EQ(e->Text(), "a");
    Type(zhong + wen);
    e->Update();
    EXPECT_EQ(e->m_Caption, "a" + zhong + wen) << "the caption follows on the next tick";
    // Drawn: glyph ink, then the caret right after the last character.
    CSurface s(640, 480, 1);
    s.FillAll(0);
    g_JMMng.Draw(&s);
    const std::vector<uint16_t> px = Pixels(s);
    const int caretX = e->m_X + 2 + 6 + 24;
    const uint16_t white = g_PixelFormat.FromRgb(255, 255, 255);
    EXPECT_EQ(px[(e->m_Y + 5) * 640 + caretX], white);
    int ink = 0;
    for (int y = e->m_Y + 3; y < e->m_Y + 17; ++y)
        for (int x = e->m_X + 8; x < caretX - 1; ++x) ink += px[y * 640 + x] == white;
    EXPECT_GT(ink, 30) << "two Chinese glyphs";

    // Shown again, it is a new, empty edit: the old text neither shows
    // after the next tick nor takes the next key.
    e->Show(0, 0);
    e->Show(1, -1);
    EXPECT_EQ(e->Text(), "");
    EXPECT_EQ(e->m_SelStart, 0);
    e->Update();
    EXPECT_EQ(e->m_Caption, "");
    Type("7");
    EXPECT_EQ(e->Text(), "7");
}

TEST_F(ControlTest, RandomKeysNeverLeaveASplitCharacter) {
    auto* e = dynamic_cast<CJMEdit*>(g_JMMng.GetJM(153));
    g_JMNumberEntry->Open(nullptr, "", 0);
    e->m_Limit = 8;
    e->SetCaption("");
    plat::SRand(7);
    const uint32_t keys[] = {0x25, 0x27, 0x24, 0x23, 0x2E};
    for (int i = 0; i < 10000; ++i) {
        const int r = plat::Rand();
        if (r % 5 == 0) Key(keys[(r / 5) % 5]);
        else g_JMMng.OnKey(kJMWmChar, static_cast<uint32_t>((r >> 3) & 0xFF), 1, nullptr);
        const std::string& t = e->Text();
        ASSERT_LE(t.size(), 8u);
        // Walk the characters: the caret lies on a boundary, none is split.
        bool caretOk = e->m_SelStart == 0;
        size_t k = 0;
        while (k < t.size()) {
            const bool lead = plat::IsGbkLead(static_cast<unsigned char>(t[k]));
            ASSERT_TRUE(!lead || k + 1 < t.size()) << "split character after " << i;
            k += lead ? 2 : 1;
            if (static_cast<int>(k) == e->m_SelStart) caretOk = true;
        }
        ASSERT_TRUE(caretOk) << i;
        for (unsigned char c : t) ASSERT_TRUE(c >= 0x20) << "no control characters";
    }
}

TEST_F(ControlTest, NumberEntryParsesSaturatingAndOnlyOkCallsTheOwner) {
    Owner owner;
    struct Case {
        const char* typed;
        int32_t want;
    } cases[] = {{"abc", 0}, {"-42", -42}, {"+7", 7}, {"99999999999", 2147483647}, {"-99999999999", INT32_MIN},
                 {"12a", 0}, {"", 0}};
    for (const Case& c : cases) {
        g_JMNumberEntry->Open(&owner, "?", 5);
        EXPECT_EQ(g_JMNumberEntry->m_pEdit->Text(), "5");
        g_JMNumberEntry->m_pEdit->SetCaption(c.typed);
        g_KeyState.m_Keys[plat::VK_RETURN] = 0x80;
        g_KeyState.m_Held[plat::VK_RETURN] = 0;
        g_JMNumberEntry->Update();
        g_KeyState = CKeyState{};
        EXPECT_EQ(g_JMNumberEntry->GetValue(), c.want) << c.typed;
        EXPECT_EQ(g_JMNumberEntry->IsShown(), 0);
    }
    EXPECT_EQ(owner.yes, 7);
    g_JMNumberEntry->Open(&owner, "?", 5);
    g_KeyState.m_Keys[plat::VK_ESCAPE] = 0x80;
    g_JMNumberEntry->Update();
    EXPECT_EQ(g_JMNumberEntry->IsShown(), 0);
    EXPECT_EQ(owner.yes, 7) << "Escape never calls the owner";
    EXPECT_EQ(g_JMNumberEntry->m_pOwner, &owner) << "the owner stays until the next OK";
}

TEST_F(ControlTest, PopupLinesChoicesStylesAndScreenEdges) {
    Owner owner;
    g_JMPopup->Open(&owner, "one\n\ntwo", 320, 240);
    std::vector<std::pair<std::string, int>> lines;
    for (CObjNode* n = g_JMPopup->m_Children.Head(); n; n = n->Next())
        lines.push_back({static_cast<CJMControl*>(n)->m_Caption, static_cast<CJM*>(n)->GetUserValue()});
    const std::string yes = datagen::kDemoUiTexts[1].gbk, no = datagen::kDemoUiTexts[0].gbk;
    EXPECT_EQ(lines, (std::vector<std::pair<std::string, int>>{{"one", -1}, {"two", -1}, {yes, 1}, {no, 0}}));
    EXPECT_EQ(g_JMMng.m_pFocus, g_JMPopup);
    CSurface s(640, 480, 1);
    s.FillAll(0);
    g_JMPopup->Draw(&s);
    // Clicks: a plain line does nothing, the yes line answers the owner.
    auto clickOn = [&](int index) {
        CObjNode* n = g_JMPopup->m_Children.Head();
        for (int i = 0; i < index; ++i) n = n->Next();
        CJM* c = static_cast<CJM*>(n);
        Cursor(c->m_X + 2, c->m_Y + 2);
        g_JMPopup->OnLButtonUp(1, c->m_X + 2, c->m_Y + 2);
    };
    clickOn(0);
    EXPECT_EQ(g_JMPopup->IsShown(), 1);
    clickOn(2);
    EXPECT_EQ(g_JMPopup->IsShown(), 0);
    EXPECT_EQ(owner.yes, 1);
    EXPECT_EQ(g_JMMng.m_pFocus, nullptr);

    // The red result style with only the "no" line, reset by hiding.
    g_JMPopup->SetChoices(-1, 48, 255, 60, 60);
    g_JMPopup->Open(nullptr, "failed", 320, 240);
    EXPECT_EQ(g_JMPopup->m_Children.GetCount(), 2);
    s.FillAll(0);
    g_JMPopup->Draw(&s);
    const std::vector<uint16_t> px = Pixels(s);
    EXPECT_GT(std::count(px.begin(), px.end(), g_PixelFormat.FromRgb(255, 60, 60)), 10);
    clickOn(1);
    EXPECT_EQ(g_JMPopup->IsShown(), 0);
    g_JMPopup->Open(nullptr, "again", 320, 240);
    EXPECT_EQ(g_JMPopup->m_Children.GetCount(), 3) << "default yes and no again";

    // Opened at a corner: wholly on screen with its frame. The box and its
    // frame show the same pixels as one opened in the middle, moved so the
    // frame ends at the screen's edge, and nothing else is drawn.
    const char* longText = "a long line of text near the edge";
    Cursor(0, 240);
    g_JMPopup->Open(nullptr, longText, 320, 240);
    s.FillAll(0);
    g_JMPopup->Draw(&s);
    const CGameRect mid = g_JMPopup->Box();
    const std::vector<uint16_t> midPx = Pixels(s);
    const uint16_t frameColour = g_PixelFormat.FromRgb(220, 180, 60);
    // Frame pixels in the 2-pixel strips where the four edges are drawn:
    // the top edge at the box's top, the bottom one below it, the left and
    // right ones beside it.
    const auto edges = [&](const std::vector<uint16_t>& px, const CGameRect& r) {
        const CGameRect strips[4] = {{r.x, r.y, r.width, 2},
                                     {r.x, r.y + r.height, r.width, 2},
                                     {r.x - 2, r.y - 2, 2, r.height + 4},
                                     {r.x + r.width, r.y - 2, 2, r.height + 4}};
        std::vector<int> n(4, 0);
        for (int i = 0; i < 4; ++i)
            for (int y = std::max(0, strips[i].y); y < std::min(480, strips[i].y + strips[i].height); ++y)
                for (int x = std::max(0, strips[i].x); x < std::min(640, strips[i].x + strips[i].width); ++x)
                    n[i] += px[static_cast<size_t>(y) * 640 + x] == frameColour;
        return n;
    };
    const std::vector<int> midEdges = edges(midPx, mid);
    for (int i = 0; i < 4; ++i) EXPECT_GT(midEdges[i], 0) << "edge " << i;
    const struct {
        const char* name;
        int x, y;
        int wantLeft, wantTop;  // -1: the frame ends at the right or bottom edge
    } corners[] = {{"top right", 630, 5, -1, 2}, {"bottom left", 5, 479, 2, -1}};
    for (const auto& c : corners) {
        SCOPED_TRACE(c.name);
        g_JMPopup->Open(nullptr, longText, c.x, c.y);
        s.FillAll(0);
        g_JMPopup->Draw(&s);
        const std::vector<uint16_t> edgePx = Pixels(s);
        const CGameRect edge = g_JMPopup->Box();
        ASSERT_EQ(edge.width, mid.width);
        ASSERT_EQ(edge.height, mid.height);
        EXPECT_EQ(edge.x, c.wantLeft >= 0 ? c.wantLeft : 640 - 2 - edge.width);
        EXPECT_EQ(edge.y, c.wantTop >= 0 ? c.wantTop : 480 - 2 - edge.height);
        int differing = 0, lit = 0, outside = 0, offScreen = 0;
        for (int y = -2; y < edge.height + 2; ++y)
            for (int x = -2; x < edge.width + 2; ++x) {
                const int ex = edge.x + x, ey = edge.y + y;
                if (ex < 0 || ey < 0 || ex >= 640 || ey >= 480) {
                    ++offScreen;
                    continue;
                }
                const uint16_t a = midPx[static_cast<size_t>(mid.y + y) * 640 + mid.x + x];
                const uint16_t b = edgePx[static_cast<size_t>(ey) * 640 + ex];
                differing += a != b;
                lit += b != 0;
            }
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const bool inFramedBox = x >= edge.x - 2 && x < edge.x + edge.width + 2 && y >= edge.y - 2 &&
                                         y < edge.y + edge.height + 2;
                outside += !inFramedBox && edgePx[static_cast<size_t>(y) * 640 + x] != 0;
            }
        EXPECT_EQ(offScreen, 0) << "the frame lies on screen";
        EXPECT_EQ(differing, 0) << "no part of the box, its frame or its lines cut off";
        EXPECT_GT(lit, 100) << "the lines were drawn";
        EXPECT_EQ(outside, 0);
        EXPECT_EQ(edges(edgePx, edge), midEdges) << "the frame on all four sides";
        for (CObjNode* n = g_JMPopup->m_Children.Head(); n; n = n->Next()) {
            CJM* l = static_cast<CJM*>(n);
            EXPECT_GE(l->m_X, 2);
            EXPECT_LE(l->m_X + l->m_Width, 638);
            EXPECT_GE(l->m_Y, 2);
            EXPECT_LE(l->m_Y + l->m_Height, 478);
        }
    }
}

TEST_F(ControlTest, NoticesSplitSkipRepeatsExpireAndStayBounded) {
    CJMNotice* n = g_JMNotice;
    ASSERT_NE(n, nullptr);
    n->SplitAndAddMessage("A//B", 0);
    ASSERT_EQ(n->m_Lines.size(), 2u);
    EXPECT_EQ(n->m_Lines.front().text, "B") << "B newest, drawn lowest";
    n->SplitAndAddMessage("b", 0);
    EXPECT_EQ(n->m_Lines.size(), 2u) << "equals the newest line, case aside";
    n->SplitAndAddMessage("B", 1);
    EXPECT_EQ(n->m_Lines.size(), 3u);
    for (int i = 0; i < 300; ++i) n->SplitAndAddMessage(std::to_string(i).c_str(), 0);
    EXPECT_EQ(n->m_Lines.size(), CJMNotice::kMaxLines);
    EXPECT_EQ(n->m_Lines.front().text, "299");
    n->RemoveAll();
    n->SplitAndAddMessage("x", 0);
    n->SplitAndAddMessage("y", 0);
    for (int t = 0; t < 280; ++t) n->Update();
    EXPECT_EQ(n->m_Lines.size(), 1u) << "one line leaves per tick";
    n->Update();
    EXPECT_TRUE(n->m_Lines.empty());
    // The banner lives 56 ticks however many frames are drawn.
    g_JMHooks.getVersusNames = [](std::string* a, std::string* b) {
        *a = "Wolf";
        *b = "Hero";
        return 1;
    };
    n->ShowVersusBanner(1);
    EXPECT_EQ(n->m_Banner, "Wolf VS Hero");
    CSurface s(640, 480, 1);
    for (int f = 0; f < 200; ++f) n->Draw(&s);
    EXPECT_FALSE(n->m_Banner.empty());
    for (int t = 0; t < 55; ++t) n->Update();
    EXPECT_FALSE(n->m_Banner.empty());
    n->Update();
    EXPECT_TRUE(n->m_Banner.empty());
    g_JMHooks.getVersusNames = [](std::string*, std::string*) { return 0; };
    n->ShowVersusBanner(1);
    EXPECT_TRUE(n->m_Banner.empty());
}

TEST_F(ControlTest, MessageLinesLiveOneTickOrFollowTheirRole) {
    CJMMsgList* m = g_JMMsgList;
    ASSERT_NE(m, nullptr);
    static bool roleAlive = true;
    g_JMHooks.getRoleHeadPoint = [](uint16_t, int* x, int* y) {
        *x = 100;
        *y = 50;
        return roleAlive ? 1 : 0;
    };
    m->Show(1, 0);
    m->AddMessageLine("once", 10, 10, 0, 0, 0);
    m->AddMessageLine("follow", 10, 10, 1, 7, 0);
    m->Update();
    ASSERT_EQ(m->m_Records.size(), 1u);
    EXPECT_EQ(m->m_Records.front().x, 100);
    EXPECT_EQ(m->m_Records.front().y, 54);
    m->AddMessageLine("once", 10, 10, 0, 0, 0);
    m->Show(0, 0);
    EXPECT_EQ(m->m_Records.size(), 1u) << "hiding keeps the following lines";
    for (int t = 1; t < 224; ++t) m->Update();
    EXPECT_TRUE(m->m_Records.empty()) << "8 seconds of ticks";
    m->AddMessageLine("follow", 10, 10, 1, 7, 0);
    roleAlive = false;
    m->Update();
    EXPECT_TRUE(m->m_Records.empty()) << "the role is gone";
    roleAlive = true;
    for (int i = 0; i < 300; ++i) m->AddMessageLine("x", 0, 0, 0, 0, 0);
    EXPECT_EQ(m->m_Records.size(), CJMMsgList::kMaxRecords);
    // The world's hooks reach the panels.
    ASSERT_NE(g_WorldHooks.showNotice, nullptr);
    g_WorldHooks.showNotice("from the world");
    EXPECT_EQ(g_JMNotice->m_Lines.front().text, "from the world");
}

} // namespace

namespace {

// Skill rows with the columns the description reads (2, 5, 11-13, 20, 21);
// the name comes from the "Skill.ini" definition column 2 names.
TEST_F(ControlTest, SkillDescriptionsReadTheirColumnsAndTheDefinitionsName) {
    const std::vector<datagen::SkillRow> defs = {datagen::SkillRow().ClassWord(7).Name("%48").Id(7),  // UI text 48
                                                 datagen::SkillRow().ClassWord(4).Name("Fire").Id(8)};
    ASSERT_TRUE(datagen::WriteTable(Dir() + "Skill.ini", datagen::RowsOf(defs)));
    g_SkillTable.Load((Dir() + "Skill.ini").c_str());
    ASSERT_EQ(g_SkillTable.GetCount(), 2);
    struct Case {
        const char* name;
        std::vector<std::string> cells;  // columns 2, 5, 11, 12, 13, 20, 21
        int withName;
        std::string want;
    };
    const std::string known = datagen::kDemoUiTexts[2].gbk;
    const Case cases[] = {
        {"every part", {"7", "2", "5", "0", "128", "3", "3"}, 1,
         known + "\nText206 3\nText111\nText1 5\nText72 2\nText207 3"},
        {"without the name", {"7", "1", "", "9", "63", "3", "2"}, 0, "Text110\nText2 9"},
        {"plain name, thresholds not passed", {"8", "", "0", "", "", "1", "3"}, 1, "Fire\n\nText207 3"},
        {"no definition", {"9", "", "", "", "", "", ""}, 1, "\n"},
    };
    datagen::Table table;
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::vector<std::string> row(22);
        row[0] = std::to_string(i);
        const int cols[7] = {2, 5, 11, 12, 13, 20, 21};
        for (int k = 0; k < 7; ++k) row[static_cast<size_t>(cols[k])] = cases[i].cells[static_cast<size_t>(k)];
        row[1] = "x";
        table.push_back(row);
    }
    ASSERT_TRUE(datagen::WriteTable(Dir() + "skills.txt", table));
    CTxtTable rows;
    ASSERT_EQ(rows.Load((Dir() + "skills.txt").c_str(), 0, 0, 1), 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        std::string out = "stale";
        BuildSkillDescription(rows.GetRow(static_cast<int>(i)), &out, cases[i].withName);
        EXPECT_EQ(out, cases[i].want);
    }
    std::string out = "stale";
    FormatTextRef(&out, nullptr);
    EXPECT_EQ(out, "");
    g_SkillTable.Clear();
}

} // namespace
