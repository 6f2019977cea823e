// The panel manager: creation from the table, faults of the table, mouse
// routing, focus and pausing, Escape, the display-mode reload.
#include "ui_fixture.h"

#include "datagen/demo_title.h"

using namespace uitest;

namespace {

class MngTest : public UiTest {};

TEST_F(MngTest, DemoTablesMakeAllPanelsWithTheirPictures) {
    ASSERT_TRUE(datagen::WriteDemoUiTables(Dir()));
    ASSERT_EQ(g_JMMng.CreatePanels(), 1);
    EXPECT_EQ(g_JMMng.GetCount(), 35);
    for (const JMPanelSpec& s : JMDefaultPanels()) EXPECT_NE(g_JMMng.GetJM(s.rowId), nullptr) << s.rowId;
    ASSERT_NE(g_JMTitleMenu, nullptr);
    EXPECT_EQ(g_JMMng.GetJM(25), g_JMTitleMenu);
    EXPECT_NE(g_JMLoading, nullptr);
    EXPECT_NE(g_JMSettings, nullptr);
    EXPECT_NE(Captured().find("JM panels 35\n"), std::string::npos);
    // The title menu draws its picture over the whole screen.
    CSurface screen(640, 480, 1);
    screen.FillAll(0);
    g_JMTitleMenu->Show(1, 0);
    g_JMMng.Draw(&screen);
    const std::vector<uint16_t> px = Pixels(screen);
    const auto& c = datagen::kDemoTitleRgb;
    EXPECT_EQ(px[240 * 640 + 100], g_PixelFormat.FromRgb(c[0], c[1], c[2]));
    EXPECT_EQ(px[470 * 640 + 630], g_PixelFormat.FromRgb(c[0], c[1], c[2]));
    g_JMMng.ClearUp();
    EXPECT_EQ(g_JMTitleMenu, nullptr);
    EXPECT_EQ(g_JMMng.GetJM(25), nullptr);
    EXPECT_EQ(g_JMMng.ClearUp(), 1) << "a second clear-up finds nothing";
}

TEST_F(MngTest, DamagedTablesAreRefusedNamingTheFirstMissingRow) {
    const std::vector<datagen::PanelRow> good = datagen::DemoPanelRows(640);
    const auto without = [&good](const char* id) {
        std::vector<datagen::PanelRow> rows;
        for (const auto& r : good)
            if (r.id != id) rows.push_back(r);
        return rows;
    };
    const std::vector<datagen::PanelRow> noTitle = without("25");
    datagen::PanelRow huge = good[0];
    huge.id = "1500";
    std::vector<datagen::PanelRow> withHuge = good;
    withHuge.push_back(huge);
    struct Case {
        const char* name;
        std::function<void(const std::string&)> write;
        const char* missing;  // in the message: "JMMDL.txt: no row N"
    } cases[] = {
        {"missing", [](const std::string&) {}, "JMMDL.txt: no row 0"},
        {"short of row 25", [&](const std::string& p) { datagen::WritePanelTable(p, noTitle); }, "JMMDL.txt: no row 25"},
        // The settings window's first slider and its close button.
        {"short of row 171", [&](const std::string& p) { datagen::WritePanelTable(p, without("171")); },
         "JMMDL.txt: no row 171"},
        {"short of row 178", [&](const std::string& p) { datagen::WritePanelTable(p, without("178")); },
         "JMMDL.txt: no row 178"},
        {"truncated", [&](const std::string& p) {
             std::string t = datagen::BuildTable(datagen::BuildPanelTable(good));
             WriteFile(p, t.substr(0, t.size() / 3));
         }, "JMMDL.txt: no row"},
        {"garbage", [&](const std::string& p) { WriteFile(p, std::string("\x01\xFF\t\t*\r\n\x80\x80", 8)); },
         "JMMDL.txt: no row 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        plat::DeleteFile(Dir() + "mb/JMMDL.txt");
        c.write(Dir() + "mb/JMMDL.txt");
        plat::ClearRecordedMessageBoxes();
        EXPECT_EQ(g_JMMng.CreatePanels(), 0);
        EXPECT_EQ(g_JMMng.GetCount(), 0) << "nothing is made";
        ASSERT_FALSE(plat::RecordedMessageBoxes().empty());
        EXPECT_NE(plat::RecordedMessageBoxes().back().text.find(c.missing), std::string::npos)
            << plat::RecordedMessageBoxes().back().text;
        EXPECT_NE(Log().find(c.missing), std::string::npos);
    }
    // An id past the row-id map is refused with a log line; the rest works.
    ASSERT_TRUE(datagen::WritePanelTable(Dir() + "mb/JMMDL.txt", withHuge));
    ASSERT_EQ(g_JMMng.CreatePanels(), 1);
    RecPanel stray;
    stray.SetId(1500);
    stray.SetId(65535);
    EXPECT_EQ(g_JMMng.GetJM(1500), nullptr);
    EXPECT_NE(Log().find("JMMDL row id 1500 lies outside 0-999"), std::string::npos);
    EXPECT_NE(Log().find("JMMDL row id 65535 lies outside 0-999"), std::string::npos);
}

class RoutingTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        datagen::PanelRow button = Row(150, 0, 10, 10, 30, 20);
        button.kind = "6";
        button.picture = std::to_string(datagen::kDemoButtonAnim);
        datagen::PanelRow autoHide = Row(102, 0, 400, 300, 50, 50);
        autoHide.input = "1*1";
        datagen::PanelRow noInput = Row(103, 0, 0, 0, 640, 480);
        noInput.input = "0";
        WriteTable({Row(100, 0, 0, 0, 200, 200), Row(101, 0, 100, 100, 200, 200), autoHide, noInput,
                    Row(3, 2, 0, 60, 640, 60), Row(45, 5, 0, 0, 100, 100), Row(40, 0, 0, 0, 10, 10),
                    Row(41, 0, 0, 0, 10, 10), Row(44, 0, 0, 0, 10, 10), Row(60, 0, 0, 0, 10, 10), button});
        ASSERT_EQ(Make({100, 101, 102, 103, 3, 45, 40, 41, 44, 60}), 1);
    }
    int Down(int x, int y) {
        Cursor(x, y);
        return g_JMMng.OnLButtonDown(1, x, y);
    }
    int Up(int x, int y) {
        Cursor(x, y);
        return g_JMMng.OnLButtonUp(1, x, y);
    }
};

TEST_F(RoutingTest, OverlapModalAndUntakenClicks) {
    Get(100)->Show(1, 0);
    Get(101)->Show(1, 0);
    Get(103)->Show(1, 0);
    // Overlap: the panel created later takes the click.
    EXPECT_EQ(Down(150, 150), 1);
    EXPECT_EQ(Get(101)->downs, 1);
    EXPECT_EQ(Get(100)->downs, 0);
    EXPECT_EQ(Down(50, 50), 1);
    EXPECT_EQ(Get(100)->downs, 1);
    EXPECT_EQ(Get(101)->leaves, 1) << "the old hover panel is left";
    // Hidden panels and panels without column 13 never take clicks.
    EXPECT_EQ(Down(600, 450), 0);
    EXPECT_EQ(g_JMMng.m_ClickTaken, 0);
    // A modal panel takes every click, even outside its rectangle.
    g_JMMng.SetFocusPanel(Get(100), 1);
    EXPECT_EQ(Down(600, 450), 1);
    EXPECT_EQ(Get(100)->downs, 2);
    EXPECT_EQ(Get(100)->lastX, 600);
    g_JMMng.SetFocusPanel(Get(101), 0);
    EXPECT_EQ(g_JMMng.m_pFocus, Get(100)) << "only the focus panel clears the focus";
    g_JMMng.SetFocusPanel(Get(100), 0);
    EXPECT_EQ(g_JMMng.m_pFocus, nullptr);
    EXPECT_NE(Captured().find("JM focus 100\n"), std::string::npos);
    EXPECT_NE(Captured().find("JM focus -\n"), std::string::npos);
}

TEST_F(RoutingTest, AutoHideAfterAClickNoPanelTook) {
    Get(102)->Show(1, 0);
    EXPECT_EQ(Down(420, 320), 1);
    g_JMMng.Update();
    EXPECT_EQ(Get(102)->IsShown(), 1) << "its own click was taken";
    EXPECT_EQ(Down(600, 20), 0);
    g_JMMng.Update();
    EXPECT_EQ(Get(102)->IsShown(), 0);
    EXPECT_EQ(g_JMMng.m_ClickTaken, 1);
}

TEST_F(RoutingTest, TypeSixButtonIsReleasedWhereverTheButtonGoesUp) {
    RecPanel* p = Get(100);
    p->Show(1, 0);
    auto* b = dynamic_cast<CJMButton*>(p->AddChild(150));
    ASSERT_NE(b, nullptr);
    b->Show(1, 0);
    EXPECT_EQ(Down(20, 15), 1);
    EXPECT_EQ(b->m_Pressed, 1);
    EXPECT_EQ(b->m_Pic.m_CurSeq, 1);
    EXPECT_EQ(g_JMMng.m_pPressed, b);
    EXPECT_EQ(Up(630, 470), 0) << "no panel there";
    EXPECT_EQ(b->m_Pressed, 0);
    EXPECT_EQ(b->m_Pic.m_CurSeq, 0);
    EXPECT_EQ(g_JMMng.m_pPressed, nullptr);
}

TEST_F(RoutingTest, FocusPausesExceptTalkChoiceSkillListAndPrompt) {
    for (int id : {40, 41, 44, 60, 100}) {
        g_Paused.clear();
        g_JMMng.SetFocusPanel(g_JMMng.GetJM(id), 1);
        g_JMMng.SetFocusPanel(g_JMMng.GetJM(id), 0);
        if (id == 100) EXPECT_EQ(g_Paused, (std::vector<int>{1, 0}));
        else EXPECT_EQ(g_Paused, (std::vector<int>{0})) << id;
    }
}

TEST_F(RoutingTest, EscapeOpensTheSystemMenuOnlyWithTheHudOnThePressTick) {
    auto press = [] {
        g_KeyState.m_Keys[0x1B] = 0x80;
        g_KeyState.m_Held[0x1B] = 0;
    };
    press();
    g_JMMng.Update();
    EXPECT_EQ(g_JMMng.GetJM(45)->IsShown(), 0) << "no HUD";
    g_JMMng.GetJM(3)->Show(1, 0);
    g_KeyState.m_Held[0x1B] = 1;  // held from before
    g_JMMng.Update();
    EXPECT_EQ(g_JMMng.GetJM(45)->IsShown(), 0);
    press();
    g_JMMng.Update();
    EXPECT_EQ(g_JMMng.GetJM(45)->IsShown(), 1);
}

TEST_F(RoutingTest, HudCornerSquareGoesToTheHud) {
    // The HUD lies at the bottom; the 100 x 100 square at its right end
    // reaches up above it.
    g_JMMng.GetJM(3)->Show(1, 0);
    Get(101)->Show(1, 0);
    EXPECT_EQ(Down(600, 385), 1);
    EXPECT_EQ(g_JMMng.m_pHover, g_JMMng.GetJM(3));
    EXPECT_EQ(Down(530, 385), 0);
}

TEST_F(MngTest, ModeChangeReloadsTheTableInPlaceAndFailedReloadsKeepIt) {
    ASSERT_TRUE(datagen::WriteDemoUiTables(Dir()));
    std::vector<JMPanelSpec> specs;
    for (const JMPanelSpec& s : JMDefaultPanels())
        specs.push_back(s.rowId == 25 ? JMPanelSpec{25, [] { return static_cast<CJM*>(new RecPanel); }} : s);
    ASSERT_EQ(g_JMMng.CreatePanelsFrom(specs, {}), 1);
    auto* title = Get(25);
    CTxtRow* row = title->m_pRow;
    EXPECT_EQ(title->m_Pic.m_Id, datagen::kDemoTitleFullAnim);
    g_JMMng.ReceiveMsg(0, 800, 600);
    EXPECT_EQ(title->m_pRow, row) << "rows refilled in place";
    EXPECT_EQ(title->m_Pic.m_Id, datagen::kDemoTitleAnim800);
    EXPECT_EQ(title->m_X, (800 - datagen::kDemoTitleWidth) / 2);
    g_JMMng.ReceiveMsg(0, 1024, 768);
    EXPECT_EQ(title->m_Pic.m_Id, datagen::kDemoTitleAnim800) << "1024 keeps the 800 table";
    EXPECT_EQ(title->m_X, (1024 - datagen::kDemoTitleWidth) / 2);
    ASSERT_EQ(title->msgs.size(), 2u);
    EXPECT_EQ(title->msgs[1], (std::vector<int>{0, 1024, 768}));
    // The 640 table gone: the table stays as it was, and says so.
    plat::DeleteFile(Dir() + "mb/JMMDL.txt");
    g_JMMng.ReceiveMsg(0, 640, 480);
    EXPECT_EQ(g_JMMdl.GetRow(25), row);
    EXPECT_EQ(title->m_Pic.m_Id, datagen::kDemoTitleAnim800);
    EXPECT_NE(Log().find("JMMDL.txt does not load, the panel table stays"), std::string::npos);
    EXPECT_NE(Log().find("Begin CJMMng::ReceiveMsg\n"), std::string::npos);
}

} // namespace
