// The title screen's panels on the demo tables: the title menu's choices
// and hovering, the class choice, the new-game form's checks and
// difficulty, the credits scroller and the picture show.
#include "ui_fixture.h"

#include "datagen/demo_title.h"
#include "ui/jm_newgame.h"
#include "ui/jm_panels.h"
#include "ui/jm_title.h"

using namespace uitest;

namespace title_test {

struct HookLog {
    std::vector<int> states;
    std::vector<std::string> existsAsked;
    std::vector<std::pair<int, int>> dates;
    std::vector<std::pair<std::string, int>> newGames;
    std::string existing;  // the one save that exists
    bool dateOk = true;
    int completed = 0;
};
HookLog* g_Hooks = nullptr;

class TitleTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        hooks_ = HookLog{};
        g_Hooks = &hooks_;
        g_JMHooks.requestState = [](int s) { g_Hooks->states.push_back(s); };
        g_JMHooks.saveExists = [](const char* n) {
            g_Hooks->existsAsked.push_back(n);
            return n == g_Hooks->existing ? 1 : 0;
        };
        g_JMHooks.setMonthDay = [](int m, int d) {
            g_Hooks->dates.push_back({m, d});
            return g_Hooks->dateOk ? 1 : 0;
        };
        g_JMHooks.newGame = [](const char* n, int d) { g_Hooks->newGames.push_back({n, d}); };
        g_JMHooks.gameCompleted = [] { return g_Hooks->completed; };
        g_ProgressValue1 = g_ProgressValue2 = g_ProgressValue3 = 0;
        // Every key up to the highest: the table indexes keys below its
        // row count + 20 only.
        datagen::Table text;
        for (int i = 0; i < 400; ++i) text.push_back({std::to_string(i), "T" + std::to_string(i)});
        for (const datagen::DemoText& t : datagen::kDemoTitleTexts) text[static_cast<size_t>(t.id)][1] = t.gbk;
        ASSERT_TRUE(datagen::WriteTable(Dir() + "mb/Text.txt", text));
        ASSERT_TRUE(g_TextTable.Load((Dir() + "mb/Text.txt").c_str(), 0, 0, 1));
        ASSERT_TRUE(datagen::WriteDemoUiTables(Dir()));
        ASSERT_EQ(g_JMMng.CreatePanels(), 1);
        title_ = g_JMTitleMenu;
        start_ = g_JMStartMenu;
        form_ = g_JMNewGame;
        ASSERT_TRUE(title_ && start_ && form_);
    }
    void TearDown() override {
        g_ProgressValue1 = g_ProgressValue2 = g_ProgressValue3 = 0;
        g_TextTable.Clear();
        g_Hooks = nullptr;
        UiTest::TearDown();
    }
    static bool Shown(int id) { return g_JMMng.GetJM(id) && g_JMMng.GetJM(id)->IsShown(); }
    static CJM* Control(int id) { return g_JMMng.GetJM(id); }
    // A click (press and release) at the centre of a control.
    static void ClickOn(int id) {
        CJM* c = Control(id);
        const int x = c->m_X + c->m_Width / 2, y = c->m_Y + c->m_Height / 2;
        Cursor(x, y);
        g_JMMng.OnMouseMove(1, x, y);
        g_JMMng.OnLButtonDown(1, x, y);
        g_JMMng.OnLButtonUp(1, x, y);
    }
    static void PressEscape() {
        g_KeyState.m_Keys[0x1B] = 0x80;
        g_KeyState.m_Held[0x1B] = 0;
        g_JMMng.Update();
        g_KeyState.m_Keys[0x1B] = 0;
    }
    // The class choice's portrait k chosen; the form comes up.
    void ChoosePortrait(int k) {
        start_->Show(1, 0);
        ClickOn(datagen::kDemoClassChoices[k].id);
    }
    HookLog hooks_;
    CJMTitleMenu* title_ = nullptr;
    CJMStartMenu* start_ = nullptr;
    CJMNewGame* form_ = nullptr;
};

TEST_F(TitleTest, EachButtonOpensItsPanelAndQuitAsksForShutdown) {
    const struct {
        int button, opens;
    } cases[] = {{31, 26}, {32, 170}, {34, 148}, {35, 28}, {167, 166}};
    g_ProgressValue3 = 126;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        g_JMMng.ShowAll(0);
        title_->Show(1, 0);
        ClickOn(c.button);
        EXPECT_TRUE(Shown(c.opens));
        EXPECT_FALSE(title_->IsShown());
    }
    g_JMMng.ShowAll(0);
    title_->Show(1, 0);
    ClickOn(33);
    EXPECT_EQ(hooks_.states, std::vector<int>{4});
    EXPECT_TRUE(title_->IsShown()) << "the menu stays while the program closes";

    // While a choice is being acted on, clicks and hovering do nothing.
    title_->m_PendingChoice = 35;
    ClickOn(31);
    EXPECT_FALSE(Shown(26));
    EXPECT_FALSE(Shown(28));
    EXPECT_TRUE(title_->IsShown());
    EXPECT_EQ(title_->m_pHovered, nullptr);
}

TEST_F(TitleTest, HoveringLightsOneButtonAtATime) {
    title_->Show(1, 0);
    const auto seq = [](int id) { return Control(id)->m_Pic.m_CurSeq; };
    const auto moveTo = [](int id) {
        CJM* c = Control(id);
        Cursor(c->m_X + 5, c->m_Y + 5);
        g_JMMng.OnMouseMove(1, c->m_X + 5, c->m_Y + 5);
    };
    moveTo(31);
    EXPECT_EQ(seq(31), 1);
    moveTo(32);
    EXPECT_EQ(seq(31), 0);
    EXPECT_EQ(seq(32), 1);
    Cursor(5, 5);
    g_JMMng.OnMouseMove(1, 5, 5);
    EXPECT_EQ(seq(32), 0);
    title_->Show(0, 0);
    EXPECT_EQ(title_->m_pHovered, nullptr);
}

TEST_F(TitleTest, HiddenEntriesFollowTheProgressValues) {
    for (int v : {0, 125, 126}) {
        SCOPED_TRACE(v);
        g_ProgressValue2 = g_ProgressValue3 = v;
        g_JMMng.ShowAll(0);
        title_->Show(1, 0);
        start_->Show(1, 0);
        EXPECT_EQ(Shown(167), v == 126) << "picture show button";
        EXPECT_EQ(Shown(226), v == 126) << "hidden class";
        EXPECT_TRUE(Shown(31));
        EXPECT_TRUE(Shown(225));
    }
}

TEST_F(TitleTest, APortraitChoosesTheClassPortraitAndDefaultName) {
    g_ProgressValue2 = 126;
    // Portraits 2 and 4 carry each other's default names.
    const int names[datagen::kDemoPortraitCount] = {378, 379, 382, 381, 380};
    for (int k = 0; k < datagen::kDemoPortraitCount; ++k) {
        SCOPED_TRACE(k);
        g_JMMng.ShowAll(0);
        ChoosePortrait(k);
        EXPECT_EQ(start_->m_ChosenClass, datagen::kDemoClassChoices[k].classId);
        EXPECT_FALSE(start_->IsShown());
        ASSERT_TRUE(form_->IsShown());
        EXPECT_EQ(form_->m_PortraitIndex, k);
        EXPECT_EQ(form_->m_PortraitCount, datagen::kDemoPortraitCount);
        ASSERT_FALSE(UiText(names[k]).empty());
        EXPECT_EQ(form_->Edit(157)->Text(), UiText(names[k]));
        EXPECT_EQ(form_->Edit(223)->Text(), "1");
        EXPECT_EQ(form_->Edit(224)->Text(), "1");
        EXPECT_EQ(g_JMMng.m_pKeyFocus, form_->Edit(157)) << "typing goes to the name";
        EXPECT_EQ(form_->m_Difficulty, 1);
    }
    // Escape walks back: form, class choice, title.
    PressEscape();
    EXPECT_FALSE(form_->IsShown());
    EXPECT_TRUE(start_->IsShown());
    EXPECT_EQ(g_JMMng.m_pKeyFocus, nullptr) << "no key reaches a closed form";
    PressEscape();
    EXPECT_FALSE(start_->IsShown());
    EXPECT_TRUE(title_->IsShown());
}

TEST_F(TitleTest, SaveNamesWithPathCharactersAreUnsafe) {
    const struct {
        const char* name;
        bool safe;
    } cases[] = {
        {"hero", true},       {"\xD6\xD0\xCE\xC4", true},  {"\x81\x5C" "abc", true},  // a GBK trail 0x5C
        {"../x", false},      {"a\\b", false},             {"c:x", false},
        {"a\tb", false},      {"a\x7F", false},            {"\x81/", false},  // '/' is no trail byte
        {"a.b*", true},       {"a?", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSafeSaveName(c.name), c.safe) << c.name;
}

TEST_F(TitleTest, StartChecksInOrderAndUnsafeNamesNeverReachAFileCall) {
    const struct {
        const char* name;
        const char* month;
        const char* day;
        bool dateOk;
        int refusal;  // 0: the game starts
        bool asksFile;
    } cases[] = {
        {"", "1", "1", true, kTextNoName, false},
        {"../x", "1", "1", true, kTextBadName, false},
        {"a\\b", "1", "1", true, kTextBadName, false},
        {"c:x", "1", "1", true, kTextBadName, false},
        {"saved", "1", "1", true, kTextSaveExists, true},
        {"a.b", "2", "30", false, kTextBadDate, true},
        {"a.b", "2", "29", true, kTextBadName, true},
        {"a*b", "1", "1", true, kTextBadName, true},
        {"\x81\x5C" "x", "1", "1", true, 0, true},
    };
    hooks_.existing = "saved";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_JMMng.ShowAll(0);
        ChoosePortrait(0);
        hooks_.existsAsked.clear();
        hooks_.dates.clear();
        hooks_.newGames.clear();
        hooks_.states.clear();
        hooks_.dateOk = c.dateOk;
        plat::ClearDebugCapture();
        form_->Edit(157)->SetCaption(c.name);
        form_->Edit(223)->SetCaption(c.month);
        form_->Edit(224)->SetCaption(c.day);
        form_->StartNewGame();
        EXPECT_EQ(!hooks_.existsAsked.empty(), c.asksFile);
        if (c.refusal) {
            EXPECT_NE(Captured().find("JM new game refused " + std::to_string(c.refusal) + "\n"), std::string::npos)
                << Captured();
            EXPECT_TRUE(g_JMPopup->IsShown());
            EXPECT_EQ(g_JMPopup->m_pOwner, form_);
            EXPECT_TRUE(hooks_.newGames.empty());
            EXPECT_TRUE(hooks_.states.empty());
            EXPECT_TRUE(form_->IsShown()) << "the form keeps its inputs";
            g_JMPopup->Show(0, 0);
            g_JMMng.SetFocusPanel(g_JMPopup, 0);
        } else {
            EXPECT_EQ(hooks_.newGames, (std::vector<std::pair<std::string, int>>{{c.name, 1}}));
            EXPECT_EQ(hooks_.states, std::vector<int>{3});
        }
    }
    // The birthday is read as the number entry reads numbers: "3x" is no
    // number at all.
    g_JMMng.ShowAll(0);
    ChoosePortrait(1);
    hooks_.dates.clear();
    form_->Edit(223)->SetCaption("+02");
    form_->Edit(224)->SetCaption("3x");
    form_->StartNewGame();
    EXPECT_EQ(hooks_.dates, (std::vector<std::pair<int, int>>{{2, 0}})) << Captured();
}

TEST_F(TitleTest, DifficultyCyclesThreeOrFourWays) {
    const struct {
        int progress, from, dir, to;
    } cases[] = {
        {0, 0, 1, 1}, {0, 2, 1, 0}, {0, 0, -1, 2}, {0, 1, -1, 0},
        {1, 2, 1, 3}, {1, 3, 1, 0}, {1, 0, -1, 3}, {1, 3, -1, 2},
    };
    for (const auto& c : cases) {
        g_ProgressValue1 = c.progress;
        form_->SetDifficulty(c.from);
        form_->StepDifficulty(c.dir);
        EXPECT_EQ(form_->m_Difficulty, c.to) << c.progress << " " << c.from << " " << c.dir;
        EXPECT_EQ(form_->m_DifficultyName, UiText(115 + c.to));
    }
    // The buttons: 159 previous, 179 next; a completed game starts at 3.
    hooks_.completed = 1;
    g_ProgressValue1 = 1;
    ChoosePortrait(0);
    EXPECT_EQ(form_->m_Difficulty, 3);
    ClickOn(179);
    EXPECT_EQ(form_->m_Difficulty, 0);
    ClickOn(159);
    ClickOn(159);
    EXPECT_EQ(form_->m_Difficulty, 2);
}

TEST_F(TitleTest, CreditsScrollUpAndWrap) {
    auto* scroller = dynamic_cast<CJMScroller*>(Control(28));
    ASSERT_NE(scroller, nullptr);
    scroller->Show(1, 0);
    EXPECT_EQ(scroller->m_Offset, 480);
    g_JMMng.Update();
    EXPECT_EQ(scroller->m_Offset, 479);
    for (int i = 0; i < 479 + datagen::kDemoCreditsHeight; ++i) g_JMMng.Update();
    EXPECT_EQ(scroller->m_Offset, -datagen::kDemoCreditsHeight) << "the last row still shows";
    g_JMMng.Update();
    EXPECT_EQ(scroller->m_Offset, 480);
    // The screen is black around the picture.
    CSurface screen(640, 480, 1);
    screen.FillAll(0xFFFF);
    g_JMMng.Draw(&screen);
    EXPECT_EQ(Pixels(screen)[10 * 640 + 10], 0);
    PressEscape();
    EXPECT_FALSE(scroller->IsShown());
    EXPECT_TRUE(title_->IsShown()) << "outside a game the title comes back";
}

TEST_F(TitleTest, PictureShowStepsByTimeAndClicksAndEndsAtTheTitle) {
    auto* show = dynamic_cast<CJMSlideShow*>(Control(166));
    ASSERT_NE(show, nullptr);
    show->Show(1, 0);
    EXPECT_EQ(show->m_Index, 0);
    const int x = show->m_X + 10, y = show->m_Y + 10;
    Cursor(x, y);
    g_JMMng.OnLButtonUp(1, x, y);
    EXPECT_EQ(show->m_Index, 1);
    g_JMMng.OnRButtonUp(1, x, y);
    g_JMMng.OnRButtonUp(1, x, y);
    EXPECT_FALSE(show->IsShown()) << "back from the first picture";
    EXPECT_TRUE(title_->IsShown());

    // Each picture plays its two frames of a second, then the next one;
    // after the last the title comes back.
    title_->Show(0, 0);
    show->Show(1, 0);
    int ticks = 0;
    std::vector<int> seen;
    while (show->IsShown() && ticks < 1000) {
        if (seen.empty() || seen.back() != show->m_Index) seen.push_back(show->m_Index);
        g_JMMng.Update();
        ++ticks;
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
    EXPECT_NEAR(ticks, 3 * 56, 3);
    EXPECT_TRUE(title_->IsShown());
}

} // namespace title_test
