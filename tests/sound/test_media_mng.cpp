// Music cross-fades, looping, the movie player and the title tune, on the
// null audio device and a fake clock.
#include <cmath>
#include <memory>

#include "datagen/media_writer.h"
#include "platform/present.h"
#include "platform/window.h"
#include "sound/media_mng.h"
#include "sound_fixture.h"

namespace {

class MediaMngTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        clock_ = std::make_unique<vtest::FakeClockScope>(1000);
        WriteSound("e", Constant(100, 0));
        WriteTable({{"e", 1, "e", 0, ""}});
        ASSERT_EQ(InitSound("SY\\", nullptr), 1);
        plat::ClearMessageQueue();
        g_MediaMng.Release();
        for (const char* name : {"a", "b", "c"}) {
            datagen::ToneSpec tone;
            tone.seconds = 1.0;
            ASSERT_TRUE(datagen::WriteToneMusic(Dir() + "yy/" + name + ".mp3", tone));
        }
    }
    void TearDown() override {
        g_MediaMng.Release();
        plat::ClearMessageQueue();
        plat::SetDisplayPresenter(nullptr);
        clock_.reset();
        SoundTest::TearDown();
    }
    static std::string Music(const char* name) { return std::string("yy\\") + name + ".mp3"; }
    CMediaPlayer& Cur() { return g_MediaMng.Player(g_MediaMng.GetCurrent()); }
    CMediaPlayer& Old() { return g_MediaMng.Player(1 - g_MediaMng.GetCurrent()); }

    struct Levels {
        std::vector<int> out;  // levels the outgoing player was given
        std::vector<int> in;   // levels the incoming player was given
        int outPlayingAtEnd = -1;
    };
    // Runs fade steps until both fades are over (or `limit` steps).
    Levels Fade(int limit = 1000) {
        Levels l;
        for (int i = 0; i < limit && (g_MediaMng.GetFadeOutStep() >= 0 || g_MediaMng.GetFadeInStep() >= 0); ++i) {
            const int before = Old().IsOpen() ? Old().GetVolume() : 1;
            g_MediaMng.FadeStep();
            if (Old().IsOpen()) {
                EXPECT_EQ(Old().IsPlaying(), 1);
                l.out.push_back(Old().GetVolume());
            } else if (before != 1 && l.outPlayingAtEnd < 0) {
                l.outPlayingAtEnd = Old().IsPlaying();
            }
            l.in.push_back(Cur().GetVolume());
        }
        return l;
    }
    // First music, faded in completely.
    void StartFirst(const char* name) {
        ASSERT_EQ(g_MediaMng.CrossFadeTo(Music(name), 1), 1);
        Fade();
        ASSERT_EQ(Cur().IsPlaying(), 1);
        ASSERT_EQ(Cur().GetVolume(), g_MediaMng.GetVolume());
    }

    std::unique_ptr<vtest::FakeClockScope> clock_;
};

TEST_F(MediaMngTest, FactorsFollowTheVolume) {
    EXPECT_FLOAT_EQ(g_MediaMng.GetFadeOutFactor(), 0.2f);
    EXPECT_FLOAT_EQ(g_MediaMng.GetFadeInFactor(), static_cast<float>(8000 / std::sqrt(200.0)));
    EXPECT_EQ(g_MediaMng.SetVolume(-2000, 0), 1);
    EXPECT_FLOAT_EQ(g_MediaMng.GetFadeOutFactor(), 0.15f);
    EXPECT_EQ(g_MediaMng.SetVolume(-20000, 0), 0) << "outside the attenuation range";
    EXPECT_EQ(g_MediaMng.GetVolume(), -2000);
}

// A level set while nothing plays, and kept through a release (and Init),
// reaches every track opened afterwards.
TEST_F(MediaMngTest, VolumeSetWithoutATrackReachesTheNextTracks) {
    ASSERT_EQ(g_MediaMng.SetVolume(-10000, 1), 1) << "stored without a player";
    g_MediaMng.Release();
    EXPECT_EQ(g_MediaMng.GetVolume(), -10000);
    ASSERT_EQ(g_MediaMng.CrossFadeTo(Music("a"), 1), 1);
    EXPECT_EQ(Cur().GetVolume(), -10000);
    device_->SetCapture(true);
    for (int tick = 0; tick < 30; ++tick) {
        (*clock_)->Advance(35);
        g_MediaMng.FadeStep();
        device_->AdvanceMs(35);
    }
    ASSERT_EQ(Cur().IsPlaying(), 1);
    ASSERT_FALSE(device_->Captured().empty());
    for (int16_t s : device_->Captured()) ASSERT_EQ(s, 0);
    g_MediaMng.SetVolume(0, 0);
}

TEST_F(MediaMngTest, FullCrossFadeAtBothVolumes) {
    for (const int v : {0, -2000}) {
        SCOPED_TRACE(v);
        g_MediaMng.Release();
        g_MediaMng.SetVolume(v, 0);
        StartFirst("a");
        ASSERT_EQ(g_MediaMng.CrossFadeTo(Music("b"), 1), 1);
        EXPECT_EQ(Cur().IsPlaying(), 0) << "the new track starts at the next step";
        EXPECT_EQ(Old().IsPlaying(), 1) << "the old one plays on";
        EXPECT_EQ(g_MediaMng.GetFadeOutStep(), 0);
        EXPECT_EQ(g_MediaMng.GetFadeInStep(), 0);
        const Levels l = Fade();
        // Out: v - n^2 k over 200 audible steps, then released and left alone.
        ASSERT_EQ(l.out.size(), 200u);
        EXPECT_EQ(l.out[0], v);
        EXPECT_EQ(l.out[100], v - (v + 8000) / 4);
        EXPECT_EQ(l.out[199], static_cast<int>(v - 39601.0f * ((v + 8000) / 40000.0f)));
        EXPECT_GT(l.out[199], -8000);
        for (size_t i = 1; i < l.out.size(); ++i) ASSERT_LE(l.out[i], l.out[i - 1]) << i;
        EXPECT_EQ(l.outPlayingAtEnd, 0);
        EXPECT_EQ(Old().IsOpen(), 0) << "released after the fade-out";
        // In: sqrt(m) k - 8000 from -8000 up to v in 200 steps (the 201st
        // level is v itself).
        ASSERT_EQ(l.in.size(), 201u);
        EXPECT_EQ(l.in[0], -8000);
        EXPECT_EQ(l.in[200], v);
        EXPECT_LT(l.in[199], v);
        for (size_t i = 1; i < l.in.size(); ++i) ASSERT_GT(l.in[i], l.in[i - 1]) << i;
        // sqrt curve: half the way up after a quarter of the steps.
        EXPECT_NEAR(l.in[50], -8000 + (v + 8000) / 2, 1);
        EXPECT_EQ(Cur().IsPlaying(), 1);
        EXPECT_EQ(g_MediaMng.FadeStep(), 0) << "nothing more to do";
    }
}

TEST_F(MediaMngTest, RestartInMidFadeContinuesTheOutgoingLevel) {
    StartFirst("a");
    ASSERT_EQ(g_MediaMng.CrossFadeTo(Music("b"), 1), 1);
    int lastIn = 0;
    for (int i = 0; i < 50; ++i) {
        g_MediaMng.FadeStep();
        lastIn = Cur().GetVolume();
    }
    ASSERT_EQ(g_MediaMng.GetFadeInStep(), 50);
    ASSERT_EQ(g_MediaMng.CrossFadeTo(Music("c"), 1), 1);
    // n = sqrt((v + 8000 - sqrt(50) kIn) / kOut) = sqrt(4000 / 0.2) = 141.
    EXPECT_EQ(g_MediaMng.GetFadeOutStep(), 141);
    const Levels l = Fade();
    ASSERT_FALSE(l.out.empty());
    EXPECT_LT(l.out[0], -3900) << "not from full volume";
    EXPECT_NEAR(l.out[0], lastIn, 100) << "about where the fade-in had got to";
    EXPECT_EQ(l.out.size(), 200u - 141u);
    EXPECT_EQ(l.in.size(), 201u);
}

TEST_F(MediaMngTest, FailedOpenKeepsTheOldTrackCurrent) {
    StartFirst("a");
    const int cur = g_MediaMng.GetCurrent();
    EXPECT_EQ(g_MediaMng.CrossFadeTo(Music("missing"), 1), 0);
    WriteFile(Dir() + "yy/bad.mp3", "not music at all");
    EXPECT_EQ(g_MediaMng.CrossFadeTo(Music("bad"), 1), 0);
    EXPECT_EQ(g_MediaMng.Open(Music("missing"), nullptr), 0);
    EXPECT_EQ(g_MediaMng.GetCurrent(), cur);
    EXPECT_EQ(g_MediaMng.GetFadeOutStep(), -1);
    EXPECT_EQ(g_MediaMng.GetFadeInStep(), -1);
    for (int i = 0; i < 5; ++i) g_MediaMng.FadeStep();
    EXPECT_EQ(g_MediaMng.IsPlaying(), 1);
    EXPECT_EQ(Cur().GetVolume(), 0);
    EXPECT_EQ(Old().IsOpen(), 0);
}

TEST_F(MediaMngTest, SilentVolumeSwitchesTracksWithoutAFade) {
    ASSERT_EQ(g_MediaMng.SetVolume(-10000, 0), 1);
    StartFirst("a");
    ASSERT_EQ(g_MediaMng.CrossFadeTo(Music("b"), 1), 1);
    EXPECT_EQ(Cur().IsPlaying(), 1) << "plays at once";
    EXPECT_EQ(Cur().GetVolume(), -10000);
    EXPECT_EQ(Old().IsOpen(), 0);
    EXPECT_EQ(g_MediaMng.GetFadeOutStep(), -1);
    EXPECT_EQ(g_MediaMng.GetFadeInStep(), -1);
    EXPECT_EQ(g_MediaMng.FadeStep(), 0);
    EXPECT_EQ(Cur().GetVolume(), -10000);

    // Silenced in the middle of a fade: the fade ends at once, silent.
    g_MediaMng.Release();
    StartFirst("a");
    ASSERT_EQ(g_MediaMng.CrossFadeTo(Music("b"), 1), 1);
    for (int i = 0; i < 10; ++i) g_MediaMng.FadeStep();
    ASSERT_EQ(g_MediaMng.SetVolume(-10000, 1), 1);
    g_MediaMng.FadeStep();
    EXPECT_EQ(Old().IsOpen(), 0);
    EXPECT_EQ(Cur().GetVolume(), -10000);
    EXPECT_EQ(Cur().IsPlaying(), 1);
    EXPECT_EQ(g_MediaMng.GetFadeInStep(), -1);
}

TEST_F(MediaMngTest, CompletionEventLoopsOrStops) {
    for (const int loop : {1, 0}) {
        SCOPED_TRACE(loop);
        g_MediaMng.Release();
        plat::ClearMessageQueue();
        plat::UseHeadlessBackend();
        plat::WindowDesc desc;
        plat::Window* w = plat::CreateMainWindow(desc, nullptr);
        ASSERT_EQ(g_MediaMng.Init(w, w), 1);
        ASSERT_EQ(g_MediaMng.CrossFadeTo(Music("a"), loop), 1);
        Fade();
        ASSERT_EQ(g_MediaMng.IsPlaying(), 1);
        (*clock_)->Advance(1100);
        EXPECT_EQ(g_MediaMng.IsPlaying(), 1) << "until the event is handled";
        ASSERT_EQ(plat::QueuedMessageCount(), 1u);
        plat::Msg m;
        ASSERT_TRUE(plat::GetMessage(&m));
        EXPECT_EQ(g_MediaMng.OnWindowMessage(m.message, m.wParam, m.lParam), 1);
        EXPECT_EQ(g_MediaMng.IsPlaying(), loop);
        int64_t pos = -1;
        Cur().Graph()->GetCurrentPosition(&pos);
        EXPECT_EQ(pos, 0) << "rewound";
        if (loop) {
            (*clock_)->Advance(300);
            Cur().Graph()->GetCurrentPosition(&pos);
            EXPECT_EQ(pos, 3000000) << "running again from the start";
        }
        EXPECT_EQ(g_MediaMng.OnWindowMessage(plat::WM_KEYDOWN, 0x1B, 0), 0) << "other messages pass";
        g_MediaMng.Release();
        plat::DestroyWindow(w);
    }
}

TEST_F(MediaMngTest, AudioOnlyHasNoVideoWindowAndSeekCountsHundredthsOfASecond) {
    ASSERT_EQ(g_MediaMng.Open(Music("a"), nullptr), 1);
    EXPECT_EQ(Cur().HasNoVideo(), 1);
    EXPECT_EQ(g_MediaMng.SetVideoWindow(nullptr, 0, 640, 480), 0);
    const int64_t d = Cur().GetDuration();
    ASSERT_GT(d, 9000000);
    const struct {
        int t, ok;
        int64_t pos;
    } cases[] = {{50, 1, 5000000}, {0, 1, 0}, {-1, 0, 0}, {static_cast<int>(d / 100000) + 1, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(Cur().Seek(c.t), c.ok) << c.t;
        int64_t pos = -1;
        Cur().Graph()->GetCurrentPosition(&pos);
        if (c.ok) {
            EXPECT_EQ(pos, c.pos) << c.t;
        }
    }
    EXPECT_EQ(Cur().SetVolume(-10001), 0);
    EXPECT_EQ(Cur().SetVolume(1), 0);
}

TEST_F(MediaMngTest, MoviePlaysOverTheScreenAndReplacesTheMusic) {
    datagen::ClipSpec clip;
    ASSERT_TRUE(datagen::WriteTestClip(Dir() + "dhp/begin.dhp", clip));
    plat::HeadlessPresenter presenter("");
    plat::SetDisplayPresenter(&presenter);
    plat::UseHeadlessBackend();
    plat::WindowDesc desc;
    desc.width = 640;
    desc.height = 480;
    plat::Window* w = plat::CreateMainWindow(desc, nullptr);
    ASSERT_EQ(g_MediaMng.Init(w, w), 1);
    StartFirst("a");
    ASSERT_EQ(g_MediaMng.Open("dhp\\begin.dhp", nullptr), 1);
    EXPECT_EQ(Cur().HasNoVideo(), 0);
    ASSERT_EQ(g_MediaMng.SetVideoWindow(nullptr, 0, 640, 480), 1);
    int32_t x = 0, y = 0, vw = 0, vh = 0;
    Cur().Graph()->GetWindowPosition(&x, &y, &vw, &vh);
    EXPECT_EQ(x, 240) << "native size, centred";
    EXPECT_EQ(y, 180);
    EXPECT_EQ(vw, 160);
    EXPECT_EQ(vh, 120);
    ASSERT_EQ(g_MediaMng.Play(0), 1);
    EXPECT_EQ(Old().IsOpen(), 0) << "the music was released";
    g_MediaMng.HideCursor(0);
    EXPECT_TRUE(Cur().Graph()->CursorHidden());
    EXPECT_GE(presenter.FrameCount(), 1);
    EXPECT_EQ(presenter.Width(), 640);
    EXPECT_EQ(presenter.Height(), 480);
    g_MediaMng.Stop();
    g_MediaMng.Release();
    plat::DestroyWindow(w);
}

// The title tune the demo data set carries, heard through the null device.
TEST_F(MediaMngTest, DemoTitleTuneReachesTheSoundDevice) {
    ASSERT_TRUE(datagen::WriteDemoMusic(Dir()));
    ASSERT_EQ(g_MediaMng.CrossFadeTo("yy\\25_HERO.mp3", 1), 1);
    device_->SetCapture(true);
    int64_t energy = 0;
    for (int tick = 0; tick < 60; ++tick) {
        (*clock_)->Advance(35);
        g_MediaMng.FadeStep();
        device_->AdvanceMs(35);
    }
    for (int16_t s : device_->Captured()) energy += std::abs(static_cast<int>(s));
    EXPECT_GT(energy, 1000000);
    EXPECT_GT(Cur().GetDuration(), 100000000) << "a tune of more than ten seconds";
}

} // namespace
