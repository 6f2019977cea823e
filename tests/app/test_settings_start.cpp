// The settings file at start-up: the music volume reaches the title music,
// the brightness the display's gamma ramp; the loading window over the
// running frame loop.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "app_fixture.h"
#include "core/directories.h"
#include "core/txt_table.h"
#include "datagen/demo_data.h"
#include "datagen/demo_settings.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "platform/audio.h"
#include "platform/present.h"
#include "sound/sound_play.h"
#include "ui/jm_loading.h"
#include "ui/jm_settings.h"

namespace {

class SettingsStartTest : public GameMainTest {
protected:
    void SetUp() override {
        GameMainTest::SetUp();
        SetProgramDirectory(0);
        plat::SetAudioDeviceFactory([this]() -> std::unique_ptr<plat::AudioDevice> {
            auto d = std::make_unique<plat::NullAudioDevice>();
            device_ = d.get();
            return d;
        });
        plat::SetDisplayPresenter(&presenter_);
    }
    void TearDown() override {
        g_GameMain.Shutdown();
        plat::SetDisplayPresenter(nullptr);
        plat::SetAudioDeviceFactory({});
        g_TextTable.Clear();
        SetMusicVolume(100, 0);
        SetEffectVolume(100);
        g_MediaMng.Release();
        GameMainTest::TearDown();
    }
    void Start(const datagen::SettingsFile& settings, bool music) {
        datagen::DemoOptions o;
        o.music = music;
        std::string error;
        ASSERT_TRUE(datagen::WriteDemoDataSet(Dir(), o, &error)) << error;
        ASSERT_TRUE(datagen::WriteSettingsIni(Dir() + "set.ini", settings));
        ASSERT_EQ(g_GameMain.StartApp(), 2);
        g_GameMain.m_CurState = GS_STARTUP;
        g_GameMain.ChangeState(GS_TITLE);
    }
    // Sum of |sample| the null device mixes over `ticks` logic ticks.
    int64_t Energy(int ticks) {
        device_->SetCapture(true);
        device_->ClearCaptured();
        for (int i = 0; i < ticks; ++i) {
            Clock().Advance(35);
            g_MediaMng.FadeStep();
            device_->AdvanceMs(35);
        }
        int64_t e = 0;
        for (int16_t s : device_->Captured()) e += std::abs(static_cast<int>(s));
        return e;
    }

    plat::NullAudioDevice* device_ = nullptr;
    plat::HeadlessPresenter presenter_{""};
};

TEST_F(SettingsStartTest, MusicVolumeZeroLeavesTheTitleMusicSilent) {
    datagen::SettingsFile s;
    s.music = 0;
    s.effect = 0;  // the title's own loop sound is an effect: keep it out of the sum
    Start(s, true);
    EXPECT_EQ(GetMusicVolume(), 0);
    ASSERT_EQ(g_MediaMng.IsPlaying(), 1) << "the title music plays";
    EXPECT_EQ(Energy(40), 0);
    // Raised in the settings window, the same track is heard.
    SetMusicVolume(100, 1);
    EXPECT_GT(Energy(40), 100000);
}

// With the music off, what the title still plays is its loop effect (demo sound 144).
TEST_F(SettingsStartTest, TitleLoopEffectIsHeardWithTheMusicOff) {
    datagen::SettingsFile s;
    s.music = 0;
    Start(s, true);
    EXPECT_GT(Energy(40), 100000);
}

TEST_F(SettingsStartTest, BrightnessScalesTheGammaRampFromStartUp) {
    datagen::SettingsFile s;
    s.brightness = 0;
    Start(s, false);
    ASSERT_NE(CSurface::s_pGammaControl, nullptr);
    plat::GammaRamp ramp;
    ASSERT_EQ(CSurface::s_pGammaControl->GetGammaRamp(0, &ramp), plat::DD_OK);
    // Slider 0: half the saved (plain) ramp.
    EXPECT_EQ(ramp.green[255], static_cast<uint16_t>(g_SavedGammaRamp.green[255] * 0.5f));
    EXPECT_EQ(ramp.red[128], static_cast<uint16_t>(g_SavedGammaRamp.red[128] * 0.5f));
    // The brightness fade of the game object moves the ramp in game.
    g_GameMain.m_CurState = GS_INGAME;
    g_GameMain.SetBrightnessTarget(0.5f, 0.25f);
    g_GameMain.StrategyTick();
    ASSERT_EQ(CSurface::s_pGammaControl->GetGammaRamp(0, &ramp), plat::DD_OK);
    EXPECT_EQ(ramp.green[255], static_cast<uint16_t>(g_SavedGammaRamp.green[255] * (0.75f * 0.5f)));
    g_GameMain.m_CurState = GS_TITLE;
}

TEST_F(SettingsStartTest, LoadingWindowShowsItsLayersFrameByFrameThenHides) {
    Start(datagen::SettingsFile{}, false);
    ASSERT_NE(g_JMLoading, nullptr);
    ShowLoadingWindow();
    ASSERT_EQ(g_JMLoading->IsShown(), 1);
    // The seventh layer's probe point on the 640 x 480 frame.
    const int x = g_JMLoading->m_X + 20 + 40 * 6 + 18, y = g_JMLoading->m_Y + 210;
    const uint16_t seg = g_PixelFormat.FromRgb(datagen::kDemoLoadingSegmentRgb[0], datagen::kDemoLoadingSegmentRgb[1],
                                               datagen::kDemoLoadingSegmentRgb[2]);
    std::vector<int> lastLayerAt;
    for (int pass = 1; pass <= 20 && g_JMLoading->IsShown(); ++pass) {
        g_GameMain.m_LogicTimeSet = 0;
        g_FrameDirty = 1;
        const int before = presenter_.FrameCount();
        g_GameMain.TickAndDraw();
        // Each pass's picture is on screen at once: handed over, or the
        // same as the one shown already.
        ASSERT_LE(presenter_.FrameCount(), before + 1);
        const plat::Frame f = presenter_.LastFrame();
        const plat::DDSurface* primary = CSurface::s_pPrimary;
        ASSERT_NE(primary, nullptr);
        for (int32_t row = 0; row < f.height; ++row)
            ASSERT_EQ(std::memcmp(f.pixels + static_cast<size_t>(row) * f.pitch,
                                  primary->Pixels() + static_cast<size_t>(row) * primary->Pitch(), size_t(f.width) * 2),
                      0)
                << "row " << row << " of pass " << pass;
        uint16_t p;
        std::memcpy(&p, f.pixels + static_cast<size_t>(y) * f.pitch + x * 2, 2);
        if (p == seg) lastLayerAt.push_back(g_JMLoading->m_Progress);
    }
    EXPECT_EQ(g_JMLoading->IsShown(), 0) << "hidden once the progress is full";
    ASSERT_FALSE(lastLayerAt.empty());
    EXPECT_EQ(lastLayerAt.front(), 14) << "the last layer once the progress exceeds 13";
}

} // namespace
