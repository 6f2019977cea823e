// The settings window with its file "set.ini", and the loading window, on
// the demo panel tables.
#include "ui_fixture.h"

#include <algorithm>

#include "core/frame_globals.h"
#include "datagen/demo_data.h"
#include "datagen/demo_settings.h"
#include "sound/media_mng.h"
#include "sound/sound_play.h"
#include "ui/jm_loading.h"
#include "ui/jm_settings.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace uitest;

// Every fsync of this test program while recording: the file's name and
// its size at the time.
namespace settings_sync {
bool recording = false;
std::vector<std::pair<std::string, long>> synced;
} // namespace settings_sync

extern "C" int fsync(int fd) {
    using Fn = int (*)(int);
    static const Fn next = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "fsync"));
    if (settings_sync::recording) {
        char target[4096];
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        struct stat st {};
        const long size = fstat(fd, &st) == 0 ? static_cast<long>(st.st_size) : -1;
        settings_sync::synced.emplace_back(n > 0 ? std::string(target, static_cast<size_t>(n)) : "", size);
    }
    return next ? next(fd) : 0;
}

namespace {

// The game object as the settings window sees it.
struct FakeGame {
    int state = 2;
    int curMode = 4;
    int reqMode = 0;
    int inGameMode = 4;
    int zoom = 1;
    float brightness = 1.0f;
};
FakeGame g_Fake;

class SettingsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        std::string error;
        ASSERT_TRUE(WriteDemoTables(&error)) << error;
        ASSERT_EQ(g_TextTable.Load((Dir() + "mb/Text.txt").c_str(), 0, 0, 1), 1);
        g_Fake = FakeGame{};
        g_JMHooks.gameState = [] { return g_Fake.state; };
        g_JMSettingsHooks.getDisplayMode = [] { return g_Fake.curMode; };
        g_JMSettingsHooks.requestDisplayMode = [](int m) { g_Fake.reqMode = m; };
        g_JMSettingsHooks.getInGameDisplayMode = [] { return g_Fake.inGameMode; };
        g_JMSettingsHooks.setInGameDisplayMode = [](int m) { g_Fake.inGameMode = m; };
        g_JMSettingsHooks.getZoomSwitch = [] { return g_Fake.zoom; };
        g_JMSettingsHooks.setZoomSwitch = [](int on) { g_Fake.zoom = on; };
        g_JMSettingsHooks.getBrightness = [] { return g_Fake.brightness; };
        ResetValues();
    }
    void TearDown() override {
        UiTest::TearDown();
        g_JMSettingsHooks = CJMSettingsHooks{};
        g_TextTable.Clear();
        ResetValues();
        g_MediaMng.SetVolume(0, 0);
    }
    static void ResetValues() {
        SetEffectVolume(100);
        SetMusicVolume(100, 0);
        g_ProgressValue1 = g_ProgressValue2 = g_ProgressValue3 = 0;
    }
    std::string SetIni() { return Dir() + "set.ini"; }
    CJMSettings* Panel() { return g_JMSettings; }
    // Cursor on the centre of a child, seen by the panel.
    void PointAt(int rowId) {
        CJM* c = g_JMMng.GetJM(rowId);
        ASSERT_NE(c, nullptr);
        Cursor(c->m_X + c->m_Width / 2, c->m_Y + c->m_Height / 2);
        g_JMMng.OnMouseMove(1, c->m_X + c->m_Width / 2, c->m_Y + c->m_Height / 2);
    }
    void Click(int rowId) {
        PointAt(rowId);
        plat::Point p;
        plat::GetCursorPos(&p);
        g_JMMng.OnLButtonUp(1, p.x, p.y);
    }
    static int Pressed(int rowId) { return dynamic_cast<CJMButton*>(g_JMMng.GetJM(rowId))->m_Pressed; }
};

TEST_F(SettingsTest, FileEdgeCases) {
    struct Case {
        const char* name;
        const char* file;  // null: no file
        int mode, zoom, effect, music, bright;
        int progress[3];
    };
    const Case cases[] = {
        {"no file: the defaults stand", nullptr, 4, 1, 100, 100, 0, {5, 5, 5}},
        {"every line, 250 clamped", "?=5\r\n?=0\r\n?=30\r\n?=250\r\n?=70\r\n?=1\r\n?=126\r\n?=126\r\n", 5, 0, 30, 100, 70,
         {1, 126, 126}},
        {"another key is skipped", "?=5\r\nzoom=0\r\n?=1\r\n?=-4\r\n?=0\r\n?=40\r\n", 5, 1, 0, 0, 40, {0, 0, 0}},
        {"mode 9 and zoom 7", "?=9\r\n?=7\r\n", 4, 1, 100, 100, 0, {0, 0, 0}},
        {"mode 6 stays", "?=6\r\n?=0\r\n", 6, 0, 100, 100, 0, {0, 0, 0}},
        {"not numbers", "?=abc\r\n?=x\r\n", 4, 0, 100, 100, 0, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_JMMng.ClearUp();
        plat::DeleteFile(SetIni());
        if (c.file) WriteFile(SetIni(), c.file);
        g_Fake = FakeGame{};
        g_Fake.inGameMode = 4;
        ResetValues();
        g_ProgressValue1 = g_ProgressValue2 = g_ProgressValue3 = 5;
        ASSERT_EQ(g_JMMng.CreatePanels(), 1);
        ASSERT_NE(Panel(), nullptr);
        EXPECT_EQ(g_Fake.inGameMode, c.mode);
        EXPECT_EQ(g_Fake.zoom, c.zoom);
        EXPECT_EQ(GetEffectVolume(), c.effect);
        EXPECT_EQ(GetMusicVolume(), c.music);
        EXPECT_EQ(g_MediaMng.GetVolume(), MusicAttenuation(c.music)) << "kept by the media manager";
        EXPECT_EQ(Panel()->SliderValue(173), c.bright);
        EXPECT_FLOAT_EQ(Panel()->GammaFactor(), static_cast<float>(c.bright) / 100.0f + 0.5f);
        EXPECT_EQ(g_ProgressValue1, c.progress[0]);
        EXPECT_EQ(g_ProgressValue2, c.progress[1]);
        EXPECT_EQ(g_ProgressValue3, c.progress[2]);
        if (!c.file) continue;  // the buttons show the choice from the next showing on
        EXPECT_EQ(Pressed(174), c.mode == 4);
        EXPECT_EQ(Pressed(175), c.mode != 4);
        EXPECT_EQ(Pressed(176), c.zoom);
        EXPECT_EQ(Pressed(177), 1 - c.zoom);
    }
}

TEST_F(SettingsTest, ReleaseWritesEightPlainLinesThroughATemporaryFile) {
    ASSERT_EQ(g_JMMng.CreatePanels(), 1);
    EXPECT_EQ(Panel()->SliderValue(173), 50) << "the demo file";
    g_Fake.inGameMode = 4;
    g_Fake.zoom = 1;
    SetMusicVolume(0, 1);
    g_ProgressValue3 = 126;  // "ShowHideOption" ran
    settings_sync::synced.clear();
    settings_sync::recording = true;
    g_JMMng.ClearUp();
    settings_sync::recording = false;
    const std::string written = "?=4\r\n?=1\r\n?=100\r\n?=0\r\n?=50\r\n?=0\r\n?=0\r\n?=126\r\n";
    EXPECT_EQ(ReadFile(SetIni()), written);
    EXPECT_FALSE(plat::PathExists(SetIni() + ".tmp"));
    // The whole new file reached the disk under its temporary name before
    // it replaced the old one, so a power cut leaves one or the other.
    const auto tmp = std::find_if(settings_sync::synced.begin(), settings_sync::synced.end(), [](const auto& f) {
        return f.first.size() >= 12 && f.first.compare(f.first.size() - 12, 12, "/set.ini.tmp") == 0;
    });
    ASSERT_NE(tmp, settings_sync::synced.end()) << "set.ini is not synced before the rename";
    EXPECT_EQ(tmp->second, static_cast<long>(written.size()));
    EXPECT_EQ(g_JMSettings, nullptr);
    // The written file reads back the same.
    g_ProgressValue3 = 0;
    g_Fake.zoom = 0;
    ASSERT_EQ(g_JMMng.CreatePanels(), 1);
    EXPECT_EQ(GetMusicVolume(), 0);
    EXPECT_EQ(g_Fake.zoom, 1);
    EXPECT_EQ(g_ProgressValue3, 126);
}

TEST_F(SettingsTest, ChoicesAndClosingOnTheTitleAndInGame) {
    ASSERT_EQ(g_JMMng.CreatePanels(), 1);
    SetEffectVolume(40);
    CJM* title = g_JMMng.GetJM(25);
    Panel()->Show(1, 0);
    EXPECT_EQ(g_JMMng.m_pFocus, Panel());
    EXPECT_EQ(g_Paused.back(), 1);
    EXPECT_EQ(Panel()->SliderValue(171), 40) << "the current volume on showing";
    EXPECT_EQ(Pressed(174), 1);
    Click(175);
    EXPECT_EQ(g_Fake.inGameMode, 5);
    EXPECT_EQ(Pressed(174), 0);
    EXPECT_EQ(Pressed(175), 1);
    Click(177);
    EXPECT_EQ(g_Fake.zoom, 0);
    EXPECT_EQ(Pressed(176), 0);

    // Escape on the title screen: back to the title menu, no mode change.
    plat::SetKeyDown(plat::VK_ESCAPE, true);
    g_KeyState.Snapshot();
    g_JMMng.Update();
    plat::SetKeyDown(plat::VK_ESCAPE, false);
    EXPECT_EQ(Panel()->IsShown(), 0);
    EXPECT_EQ(title->IsShown(), 1);
    EXPECT_EQ(g_JMMng.m_pFocus, nullptr);
    EXPECT_EQ(g_Paused.back(), 0);
    EXPECT_EQ(g_Fake.reqMode, 0);

    // In game the close button turns the changed mode into a request, and
    // an unchanged mode into none.
    g_Fake.state = 3;
    title->Show(0, 0);
    Panel()->Show(1, 0);
    Click(178);
    EXPECT_EQ(Panel()->IsShown(), 0);
    EXPECT_EQ(title->IsShown(), 0);
    EXPECT_EQ(g_Fake.reqMode, 5);
    g_Fake.reqMode = 0;
    g_Fake.curMode = 5;
    Panel()->Show(1, 0);
    Click(178);
    EXPECT_EQ(g_Fake.reqMode, 0);
}

TEST_F(SettingsTest, DraggedSliderSetsTheVolumeWhileItMoves) {
    ASSERT_EQ(g_JMMng.CreatePanels(), 1);
    Panel()->Show(1, 0);
    auto* bar = dynamic_cast<CJMScrollBar*>(g_JMMng.GetJM(172));
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->m_Pos, 100);
    const int y = bar->m_ThumbY + 8;
    int x = bar->m_ThumbX + 6;
    Cursor(x, y);
    g_JMMng.OnMouseMove(1, x, y);
    plat::SetKeyDown(plat::VK_LBUTTON, true);
    g_JMMng.OnLButtonDown(1, x, y);
    // Two ticks of a drag to the left: each held tick sets the volume.
    for (int step = 0; step < 2; ++step) {
        const int before = bar->m_Pos;
        x -= 57;
        Cursor(x, y);
        g_JMMng.OnMouseMove(1, x, y);
        EXPECT_EQ(g_LButtonHeld, 1);
        g_JMMng.OnLButtonDown(1, x, y);
        EXPECT_LT(bar->m_Pos, before - 20);
        EXPECT_EQ(GetMusicVolume(), bar->m_Pos);
        EXPECT_EQ(g_MediaMng.GetVolume(), MusicAttenuation(bar->m_Pos));
    }
    plat::SetKeyDown(plat::VK_LBUTTON, false);
    g_JMMng.OnLButtonUp(1, x, y);
    g_JMMng.OnMouseMove(1, x, y);
    EXPECT_EQ(g_LButtonHeld, 0);
    // The brightness slider, paged by a click on its track, moves the gamma
    // factor with it.
    g_Fake.brightness = 0.5f;
    auto* bright = dynamic_cast<CJMScrollBar*>(g_JMMng.GetJM(173));
    Cursor(bright->m_ThumbX + 40, bright->m_ThumbY + 8);
    g_JMMng.OnMouseMove(1, bright->m_ThumbX + 40, bright->m_ThumbY + 8);
    g_JMMng.OnLButtonUp(1, bright->m_ThumbX + 40, bright->m_ThumbY + 8);
    EXPECT_EQ(bright->m_Pos, 60);
    EXPECT_FLOAT_EQ(Panel()->GammaFactor(), 0.5f * 1.1f);
}

TEST_F(SettingsTest, DrawsItsPictureSlidersAndLabels) {
    ASSERT_EQ(g_JMMng.CreatePanels(), 1);
    Panel()->Show(1, 0);
    CSurface s(640, 480, 1);
    s.FillAll(0);
    g_JMMng.Draw(&s);
    const std::vector<uint16_t> px = Pixels(s);
    auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * 640 + x]; };
    const uint16_t body = g_PixelFormat.FromRgb(datagen::kDemoSettingsRgb[0], datagen::kDemoSettingsRgb[1],
                                                datagen::kDemoSettingsRgb[2]);
    EXPECT_EQ(at(100, 440), body);
    // The brightness thumb at 50 of 100 along the free part of its track.
    const int thumbX = datagen::kDemoSliderX + (datagen::kDemoTrackWidth - datagen::kDemoThumbWidth) / 2;
    EXPECT_EQ(at(thumbX + 6, datagen::kDemoSliderY + 100 + 8), g_PixelFormat.FromRgb(230, 230, 230));
    EXPECT_EQ(at(thumbX - 6, datagen::kDemoSliderY + 100 + 8), g_PixelFormat.FromRgb(20, 20, 20));
    // Each label "音效", "音乐", "亮度" draws text around its point.
    for (int i = 0; i < 3; ++i) {
        int lit = 0;
        for (int y = 120 + 50 * i; y < 136 + 50 * i; ++y)
            for (int x = 180; x < 220; ++x) lit += at(x, y) != body;
        EXPECT_GT(lit, 20) << i;
    }
}

// ---------------------------------------------------------------- loading

TEST_F(SettingsTest, LoadingWindowLayersFollowTheProgress) {
    ASSERT_EQ(g_JMMng.CreatePanels(), 1);
    CJMLoading* w = g_JMLoading;
    ASSERT_NE(w, nullptr);
    CJM* hud = g_JMMng.GetJM(3);
    hud->Show(1, 0);
    w->m_Progress = 9;
    w->Show(1, 0);
    EXPECT_EQ(w->m_Progress, 0);
    EXPECT_EQ(hud->IsShown(), 0);
    EXPECT_EQ(w->m_Pic.m_SeqCount, 8);
    // Layer k (1-7) stands at (20 + 40 (k - 1), 200) of the picture.
    const uint16_t seg = g_PixelFormat.FromRgb(datagen::kDemoLoadingSegmentRgb[0], datagen::kDemoLoadingSegmentRgb[1],
                                               datagen::kDemoLoadingSegmentRgb[2]);
    const struct {
        int progress, layers;
    } cases[] = {{0, 1}, {2, 1}, {3, 2}, {12, 6}, {13, 7}, {14, 8}, {40, 8}};
    CSurface s(640, 480, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.progress);
        w->m_Progress = c.progress;
        EXPECT_EQ(w->LayerCount(), c.layers);
        s.FillAll(0);
        w->Draw(&s);
        const std::vector<uint16_t> px = Pixels(s);
        for (int k = 1; k <= 7; ++k) {
            const int x = w->m_X + 20 + 40 * (k - 1) + 18, y = w->m_Y + 210;
            EXPECT_EQ(px[static_cast<size_t>(y) * 640 + x] == seg, k < c.layers) << "layer " << k;
        }
        EXPECT_EQ(px[0], 0) << "a 640 screen is not filled";
    }
    w->m_Progress = 0;
    EXPECT_EQ(w->AddProgress(15), 1);
    EXPECT_EQ(w->AddProgress(1), 0);
    // Other screens are filled black first.
    g_JMMng.m_ScreenW = 800;
    s.FillAll(0xFFFF);
    w->Draw(&s);
    EXPECT_EQ(Pixels(s)[0], 0);
    g_JMMng.m_ScreenW = 640;

    // Hiding shows the HUD again in game only.
    w->Show(0, 0);
    EXPECT_EQ(hud->IsShown(), 0);
    g_Fake.state = 3;
    w->Show(1, 0);
    w->Show(0, 0);
    EXPECT_EQ(hud->IsShown(), 1);
    // Hiding it again, hidden already, leaves a HUD that was hidden since.
    hud->Show(0, 0);
    w->Show(0, 0);
    EXPECT_EQ(hud->IsShown(), 0);
    // Showing it again, shown already, keeps its progress.
    w->Show(1, 0);
    w->m_Progress = 5;
    hud->Show(1, 0);
    w->Show(1, 0);
    EXPECT_EQ(w->m_Progress, 5);
    EXPECT_EQ(hud->IsShown(), 1);
}

} // namespace
