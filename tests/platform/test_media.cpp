// Media graph: opening and probing, seek units, audio streamed into the
// null device, completion events, and movie frames reaching the presenter.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "datagen/media_writer.h"
#include "platform/audio.h"
#include "platform/display.h"
#include "platform/media.h"
#include "platform/present.h"
#include "platform/window.h"
#include "support/test_env.h"

namespace {

using plat::MediaGraph;

class MediaGraphTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        clock_ = std::make_unique<vtest::FakeClockScope>(5000);
        device_.SetPrimaryFormat(2, 22050, 16);
        plat::ClearMessageQueue();
    }
    void TearDown() override {
        plat::ClearMessageQueue();
        plat::SetDisplayPresenter(nullptr);
        clock_.reset();
        TempDirTest::TearDown();
    }
    std::string Tone(const std::string& name, double seconds, int hz = 1000) {
        datagen::ToneSpec tone;
        tone.seconds = seconds;
        tone.frequency = hz;
        EXPECT_TRUE(datagen::WriteToneMusic(Dir() + name, tone));
        return Dir() + name;
    }
    // Plays `ms` in 50 ms slices: the clock moves, the graph is serviced,
    // the null device mixes.
    void Run(MediaGraph& g, uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 50) {
            (*clock_)->Advance(50);
            g.Update();
            device_.AdvanceMs(50);
        }
    }
    static int ZeroCrossings(const std::vector<int16_t>& stereo) {
        int n = 0;
        for (size_t i = 2; i < stereo.size(); i += 2) {
            if ((stereo[i - 2] < 0) != (stereo[i] < 0)) ++n;
        }
        return n;
    }
    static int64_t Energy(const std::vector<int16_t>& s) {
        int64_t e = 0;
        for (int16_t v : s) e += std::abs(static_cast<int>(v));
        return e;
    }

    std::unique_ptr<vtest::FakeClockScope> clock_;
    plat::NullAudioDevice device_;
};

TEST_F(MediaGraphTest, FilesThatDoNotRenderFail) {
    WriteFile(Dir() + "junk.mp3", std::string(3000, '\x5A'));
    WriteFile(Dir() + "empty.dhp", "");
    for (const char* name : {"missing.mp3", "junk.mp3", "empty.dhp"}) {
        MediaGraph g;
        EXPECT_EQ(g.RenderFile(Dir() + name, &device_.Mixer()), plat::VFW_E_CANNOT_RENDER) << name;
        EXPECT_FALSE(g.IsRendered());
        EXPECT_EQ(g.Run(), plat::VFW_E_NOT_CONNECTED);
        int64_t d = 0;
        EXPECT_LT(g.GetDuration(&d), 0);
    }
    EXPECT_EQ(device_.Mixer().VoiceCount(), 0);
}

TEST_F(MediaGraphTest, AudioOnlyFileHasNoVideoWindowAndSeeksInHundredNanoseconds) {
    // Windows-form name, any letter case: resolved like every game file.
    Tone("yy/Title.mp3", 1.5);
    MediaGraph g;
    ASSERT_EQ(g.RenderFile("YY\\title.MP3", &device_.Mixer()), plat::S_OK);
    EXPECT_TRUE(g.HasAudio());
    EXPECT_FALSE(g.HasVideo());
    EXPECT_EQ(g.SetMessageDrain(nullptr), plat::E_NOINTERFACE);
    EXPECT_EQ(g.SetVisible(true), plat::E_NOINTERFACE);
    int32_t w = 0, h = 0;
    EXPECT_EQ(g.GetVideoSize(&w, &h), plat::E_NOINTERFACE);

    int64_t d = 0;
    ASSERT_EQ(g.GetDuration(&d), plat::S_OK);
    EXPECT_NEAR(static_cast<double>(d), 15000000.0, 600000.0) << "1.5 s in 100-ns units";
    EXPECT_EQ(g.SetPositions(d + 1), plat::E_INVALIDARG);
    EXPECT_EQ(g.SetPositions(-1), plat::E_INVALIDARG);
    ASSERT_EQ(g.SetPositions(5000000), plat::S_OK);
    int64_t p = 0;
    g.GetCurrentPosition(&p);
    EXPECT_EQ(p, 5000000);
    ASSERT_EQ(g.Run(), plat::S_OK);
    (*clock_)->Advance(200);
    g.GetCurrentPosition(&p);
    EXPECT_EQ(p, 7000000) << "the position follows the clock from the seek point";
    g.Stop();
    (*clock_)->Advance(500);
    g.GetCurrentPosition(&p);
    EXPECT_EQ(p, 7000000) << "stopped: the position stays";
}

TEST_F(MediaGraphTest, MusicStreamsIntoTheMixerAtItsPitchAndVolume) {
    Tone("tone.mp3", 3.0, 1000);
    MediaGraph g;
    ASSERT_EQ(g.RenderFile(Dir() + "tone.mp3", &device_.Mixer()), plat::S_OK);
    device_.SetCapture(true);
    ASSERT_EQ(g.Run(), plat::S_OK);
    Run(g, 2600);  // longer than the 2 s ring: it must have been refilled
    const std::vector<int16_t> all = device_.Captured();
    ASSERT_EQ(all.size(), 2u * 52u * (22050u * 50u / 1000u));
    // Past the encoder's start-up, every 0.5 s slice holds the tone: about
    // 2 x 1000 zero crossings a second on each channel.
    for (int slice = 1; slice < 5; ++slice) {
        std::vector<int16_t> part(all.begin() + slice * 22050, all.begin() + (slice + 1) * 22050);
        EXPECT_NEAR(ZeroCrossings(part), 1000, 20) << "slice " << slice;
        EXPECT_GT(Energy(part) / static_cast<int64_t>(part.size()), 5000) << "slice " << slice;
    }
    // -10000 is silence.
    device_.ClearCaptured();
    ASSERT_EQ(g.SetVolume(-10000), plat::S_OK);
    Run(g, 200);
    EXPECT_EQ(Energy(device_.Captured()), 0);
    EXPECT_EQ(g.SetVolume(1), plat::E_INVALIDARG);
}

TEST_F(MediaGraphTest, CompletionIsRaisedOnceAndPostedThenSilence) {
    Tone("short.mp3", 0.5, 800);
    MediaGraph g;
    ASSERT_EQ(g.RenderFile(Dir() + "short.mp3", &device_.Mixer()), plat::S_OK);
    plat::UseHeadlessBackend();
    plat::WindowDesc desc;
    desc.width = 640;
    desc.height = 480;
    plat::Window* w = plat::CreateMainWindow(desc, nullptr);
    ASSERT_NE(w, nullptr);
    g.SetNotifyWindow(w, plat::WM_GRAPHNOTIFY, 7);
    device_.SetCapture(true);
    ASSERT_EQ(g.Run(), plat::S_OK);
    int32_t code = 0;
    intptr_t p1 = 0, p2 = 0;
    Run(g, 400);
    EXPECT_EQ(g.GetEvent(&code, &p1, &p2), plat::E_ABORT) << "not at the end yet";
    EXPECT_EQ(plat::QueuedMessageCount(), 0u);
    Run(g, 1600);
    ASSERT_EQ(plat::QueuedMessageCount(), 1u) << "posted once, however often it is serviced";
    plat::Msg m;
    ASSERT_TRUE(plat::GetMessage(&m));
    EXPECT_EQ(m.window, w);
    EXPECT_EQ(m.message, plat::WM_GRAPHNOTIFY);
    EXPECT_EQ(m.lParam, 7u);
    ASSERT_EQ(g.GetEvent(&code, &p1, &p2), plat::S_OK);
    EXPECT_EQ(code, plat::EC_COMPLETE);
    EXPECT_EQ(g.GetEvent(&code, &p1, &p2), plat::E_ABORT);
    // The track's samples were heard once; after the end only silence, so a
    // finished track never replays what the ring held.
    const std::vector<int16_t>& cap = device_.Captured();
    ASSERT_GE(cap.size(), 2u * 22050u);
    EXPECT_GT(Energy({cap.begin(), cap.begin() + 2 * 11025}), 0);
    EXPECT_EQ(Energy({cap.begin() + 2 * 16000, cap.end()}), 0);
    EXPECT_NEAR(static_cast<double>(g.DecodedAudioFrames()), 11025.0, 1200.0);
    plat::DestroyWindow(w);
}

TEST_F(MediaGraphTest, WithoutAMixerMusicStillRunsAndCompletes) {
    Tone("quiet.mp3", 0.5);
    MediaGraph g;
    ASSERT_EQ(g.RenderFile(Dir() + "quiet.mp3", nullptr), plat::S_OK);
    EXPECT_EQ(g.Voice(), nullptr);
    EXPECT_EQ(g.SetVolume(-500), plat::S_OK) << "the volume is still kept";
    ASSERT_EQ(g.Run(), plat::S_OK);
    (*clock_)->Advance(700);
    g.Update();
    int32_t code = 0;
    intptr_t p1 = 0, p2 = 0;
    ASSERT_EQ(g.GetEvent(&code, &p1, &p2), plat::S_OK);
    EXPECT_EQ(code, plat::EC_COMPLETE);
}

TEST_F(MediaGraphTest, MovieFramesReachThePresenterInTheVideoRectangle) {
    datagen::ClipSpec clip;
    clip.width = 160;
    clip.height = 120;
    clip.seconds = 1.0;
    ASSERT_TRUE(datagen::WriteTestClip(Dir() + "dhp/begin.dhp", clip));
    plat::HeadlessPresenter presenter("");
    plat::SetDisplayPresenter(&presenter);

    MediaGraph g;
    ASSERT_EQ(g.RenderFile("dhp\\begin.dhp", &device_.Mixer()), plat::S_OK);
    EXPECT_TRUE(g.HasVideo());
    EXPECT_TRUE(g.HasAudio());
    int32_t w = 0, h = 0;
    ASSERT_EQ(g.GetVideoSize(&w, &h), plat::S_OK);
    EXPECT_EQ(w, 160);
    EXPECT_EQ(h, 120);
    int64_t d = 0;
    g.GetDuration(&d);
    EXPECT_NEAR(static_cast<double>(d), 10000000.0, 1500000.0);
    // No owner and no display mode: the frame is as large as the rectangle
    // reaches.
    ASSERT_EQ(g.SetWindowPosition(20, 10, 160, 120), plat::S_OK);

    ASSERT_EQ(g.Run(), plat::S_OK);
    EXPECT_EQ(presenter.FrameCount(), 0) << "hidden video shows nothing";
    g.SetVisible(true);
    g.Update();
    ASSERT_EQ(presenter.FrameCount(), 1);
    EXPECT_EQ(presenter.Width(), 180);
    EXPECT_EQ(presenter.Height(), 130);
    const plat::Frame f = presenter.LastFrame();
    auto px = [&](int x, int y) { return reinterpret_cast<const uint16_t*>(f.pixels + y * f.pitch)[x]; };
    EXPECT_EQ(px(5, 5), 0) << "outside the rectangle: black";
    EXPECT_EQ(px(19, 60), 0);
    int lit = 0;
    for (int y = 10; y < 130; ++y) {
        for (int x = 20; x < 180; ++x) lit += px(x, y) != 0;
    }
    EXPECT_GT(lit, 160 * 120 * 9 / 10);
    const uint16_t first = px(100, 70);
    // Frames follow the clock: half a second later a dozen more were shown.
    Run(g, 500);
    EXPECT_GE(presenter.FrameCount(), 10);
    EXPECT_LE(presenter.FrameCount(), 14);
    EXPECT_NE(px(100, 70), first);
    EXPECT_GT(g.DecodedAudioFrames(), 0);
}

TEST_F(MediaGraphTest, HeadlessWithoutPresenterDecodesAndDrops) {
    datagen::ClipSpec clip;
    clip.withAudio = false;
    ASSERT_TRUE(datagen::WriteTestClip(Dir() + "clip.dhp", clip));
    MediaGraph g;
    ASSERT_EQ(g.RenderFile(Dir() + "clip.dhp", &device_.Mixer()), plat::S_OK);
    EXPECT_FALSE(g.HasAudio());
    EXPECT_EQ(g.SetVolume(0), plat::E_NOINTERFACE);
    g.SetWindowPosition(0, 0, 640, 480);
    g.SetVisible(true);
    ASSERT_EQ(g.Run(), plat::S_OK);
    Run(g, 1200);
    EXPECT_EQ(g.PresentedFrames(), 0);
    int32_t code = 0;
    intptr_t p1 = 0, p2 = 0;
    ASSERT_EQ(g.GetEvent(&code, &p1, &p2), plat::S_OK);
    EXPECT_EQ(code, plat::EC_COMPLETE);
    // Rewound, it plays again from the start.
    ASSERT_EQ(g.SetPositions(0), plat::S_OK);
    Run(g, 1200);
    ASSERT_EQ(g.GetEvent(&code, &p1, &p2), plat::S_OK);
}

} // namespace
