// CSoundMng with its table on the null device: load modes, copies per sound,
// volume and pan on the chosen buffer, and the table faults.
#include "platform/debug.h"
#include "platform/msgbox.h"
#include "sound_fixture.h"

namespace {

class SoundMngTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        WriteSound("a", Constant(2000, 20000));
        WriteSound("b", Constant(2000, 1000));
    }
    int Init() { return InitSound("SY\\", nullptr); }
    int Loaded(int id) {
        CSoundRecord* rec = g_SoundMng.FindRecord(id);
        int n = 0;
        for (auto& b : rec->buffers) n += b ? 1 : 0;
        return n;
    }
};

} // namespace

TEST_F(SoundMngTest, LoadModesAndLazyLoad) {
    WriteTable({{"res", 1, "a", 0, ""}, {"lazy", 2, "b", 1, ""}, {"model", 3, "a*b", 2, "100*7"}});
    ASSERT_EQ(Init(), 1);
    EXPECT_EQ(g_SoundMng.GetRecordCount(), 3);
    EXPECT_EQ(Loaded(1), 1);
    EXPECT_EQ(Loaded(2), 0);
    EXPECT_EQ(Mixer().VoiceCount(), 1);
    // First play of a load-at-play sound loads it, then plays it.
    g_SoundMng.Play(2, 0, 100, 0);
    EXPECT_EQ(Loaded(2), 1);
    EXPECT_EQ(Mixer().PlayingCount(), 1);
    EXPECT_EQ(g_SoundMng.FindRecord(2)->loaded, 1);
    // A model's sounds load the second time the model is prepared, and only
    // for an exact item ("10" is not "100").
    g_SoundMng.LoadModelSounds(100);
    EXPECT_EQ(Loaded(3), 0);
    g_SoundMng.LoadModelSounds(10);
    g_SoundMng.LoadModelSounds(10);
    EXPECT_EQ(Loaded(3), 0);
    g_SoundMng.LoadModelSounds(100);
    EXPECT_EQ(Loaded(3), 2);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
}

TEST_F(SoundMngTest, ThreeCopiesThenTheFourthIsDropped) {
    WriteTable({{"step", 12, "a*a*a", 0, ""}});
    ASSERT_EQ(Init(), 1);
    ASSERT_EQ(Loaded(12), 3);
    for (int i = 0; i < 3; ++i) g_SoundMng.Play(12, 0, 100, 0);
    EXPECT_EQ(Mixer().PlayingCount(), 3);
    EXPECT_GE(g_SoundMng.FindRecord(12)->current, 0);
    g_SoundMng.Play(12, 0, 100, 0);
    EXPECT_EQ(Mixer().PlayingCount(), 3);
    EXPECT_EQ(g_SoundMng.FindRecord(12)->current, -1);
    g_SoundMng.Stop(12);
    EXPECT_EQ(Mixer().PlayingCount(), 0);
}

TEST_F(SoundMngTest, EmptyAndSparseNameCells) {
    // "a**b" is two buffers, not three; an empty cell never plays or complains.
    WriteTable({{"sparse", 5, "a**b", 0, ""}, {"empty", 6, "", 1, ""}, {"stars", 7, "**", 1, ""}});
    ASSERT_EQ(Init(), 1);
    EXPECT_EQ(g_SoundMng.FindRecord(5)->count, 2);
    EXPECT_EQ(Loaded(5), 2);
    EXPECT_EQ(g_SoundMng.FindRecord(6)->count, 0);
    EXPECT_EQ(g_SoundMng.FindRecord(7)->count, 0);
    EXPECT_EQ(g_SoundMng.Play(6, 1, 100, 0), 1);
    EXPECT_EQ(g_SoundMng.Play(7, 1, 100, 0), 1);
    EXPECT_EQ(g_SoundMng.LoadOneSound(6), 1);
    EXPECT_EQ(Mixer().PlayingCount(), 0);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
}

TEST_F(SoundMngTest, UnknownAndUnindexableIds) {
    // Two rows give an index of 22 slots: id 40 cannot be reached and is
    // reported instead of silently lost; a repeated id keeps its first row.
    WriteTable({{"far", 40, "a", 0, ""}, {"one", 1, "a", 0, ""}, {"again", 1, "b", 0, ""}});
    ASSERT_EQ(Init(), 1);
    EXPECT_EQ(g_SoundMng.GetRecordCount(), 1);
    bool far = false, twice = false;
    for (const auto& line : plat::DebugCaptured()) {
        far |= line.find("sound id 40 outside") != std::string::npos;
        twice |= line.find("sound id 1 listed twice") != std::string::npos;
    }
    EXPECT_TRUE(far);
    EXPECT_TRUE(twice);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());  // the skipped row is not loaded either
    EXPECT_EQ(g_SoundMng.Play(40, 0, 100, 0), 1);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
    EXPECT_EQ(g_SoundMng.LoadOneSound(99), 0);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "LoadOneSound99");
}

TEST_F(SoundMngTest, VolumeIsClampedAndAppliedToTheChosenBuffer) {
    WriteTable({{"a", 1, "a", 0, ""}});
    ASSERT_EQ(Init(), 1);
    const struct {
        int volume, pan;
        int32_t attenuation;
    } cases[] = {{150, 0, 0}, {100, 10, 0}, {60, -300, -4000}, {1, 1, -9900}, {0, 2, -10000}, {-5, 3, -10000}};
    for (const auto& c : cases) {
        g_SoundMng.Stop(1);
        g_SoundMng.Play(1, 0, c.volume, c.pan);
        EXPECT_EQ(VolumeOf(1, 0), c.attenuation) << c.volume;
        EXPECT_EQ(PanOf(1, 0), c.pan) << c.volume;
        EXPECT_EQ(g_SoundMng.FindRecord(1)->volume, std::clamp(c.volume, 0, 100));
    }
    g_SoundMng.SetVolumeAll(1, 50);
    EXPECT_EQ(VolumeOf(1, 0), -5000);
}

// The mixed output of a played sound, sample by sample: volume 90 is -1000
// (Q15 gain 10362), pan 3000 takes the left side to -4000 (gain 328).
TEST_F(SoundMngTest, MixedOutputIsSampleExact) {
    WriteTable({{"a", 1, "a", 0, ""}});
    ASSERT_EQ(Init(), 1);
    g_SoundMng.Play(1, 0, 90, 3000);
    device_->SetCapture(true);
    device_->Advance(4);
    EXPECT_EQ(device_->Captured(), (std::vector<int16_t>{200, 6324, 200, 6324, 200, 6324, 200, 6324}));
}

// A looping sound with every buffer busy is raised on the first buffer that
// exists; a first buffer that failed to load must not be touched.
TEST_F(SoundMngTest, LouderLoopSkipsABufferThatFailedToLoad) {
    WriteTable({{"half", 8, "missing*a", 0, ""}});
    ASSERT_EQ(Init(), 1);
    ASSERT_EQ(Loaded(8), 1);
    EXPECT_EQ(g_SoundMng.FindRecord(8)->buffers[0], nullptr);
    g_SoundMng.Play(8, 1, 30, 0);
    EXPECT_EQ(Mixer().PlayingCount(), 1);
    EXPECT_EQ(VolumeOf(8, 1), -7000);
    g_SoundMng.Play(8, 1, 80, -500);  // no free buffer: louder, re-panned
    EXPECT_EQ(g_SoundMng.FindRecord(8)->current, 1);
    EXPECT_EQ(VolumeOf(8, 1), -2000);
    EXPECT_EQ(PanOf(8, 1), -500);
    g_SoundMng.Play(8, 1, 50, 700);  // quieter: nothing changes
    EXPECT_EQ(VolumeOf(8, 1), -2000);
    EXPECT_EQ(Mixer().PlayingCount(), 1);
}

TEST_F(SoundMngTest, UnloadReleaseAndNoDevice) {
    WriteTable({{"res", 1, "a", 0, ""}, {"lazy", 2, "b", 1, ""}});
    ASSERT_EQ(Init(), 1);
    g_SoundMng.Play(2, 1, 100, 0);
    ASSERT_EQ(Loaded(2), 1);
    // Without "all" the sounds that load on demand go; resident ones stay.
    EXPECT_EQ(g_SoundMng.UnloadSounds(0), 1);
    EXPECT_EQ(Loaded(1), 1);
    EXPECT_EQ(Loaded(2), 0);
    g_SoundMng.Play(2, 0, 100, 0);  // reloads on demand
    EXPECT_EQ(Loaded(2), 1);
    EXPECT_EQ(g_SoundMng.UnloadSounds(1), 1);
    EXPECT_EQ(Mixer().VoiceCount(), 0);
    EXPECT_EQ(g_SoundMng.Release(), 1);
    EXPECT_EQ(g_SoundMng.Release(), 0);
    EXPECT_EQ(g_SoundMng.UnloadSounds(1), 0);
    EXPECT_EQ(g_SoundMng.LoadResident(), 0);

    // No device: Init fails and every call is a quiet no-op.
    noDevice_ = true;
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(g_SoundMng.IsInitialised(), 0);
    EXPECT_EQ(g_SoundMng.Play(1, 0, 100, 0), 1);
    PlayEffect(1, 0, 100, 0);
}

TEST_F(SoundMngTest, MissingTableFailsInit) {
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(g_SoundMng.GetRecordCount(), 0);
}

// The demo set that mkdemo writes loads and every sound in it plays.
TEST_F(SoundMngTest, DemoSoundsLoadAndPlay) {
    ASSERT_TRUE(datagen::WriteDemoSounds(Dir() + "SY"));
    ASSERT_EQ(Init(), 1);
    // Spare rows fill the ids up to 149, so the title's 144, 147 and 149 fit the index.
    ASSERT_EQ(g_SoundMng.GetRecordCount(), 132);
    for (int id : {1, 12, 20, 21, 22, 144, 147, 149}) {
        g_SoundMng.Play(id, 0, 100, 0);
        EXPECT_GE(g_SoundMng.FindRecord(id)->current, 0) << id;
    }
    EXPECT_EQ(Mixer().PlayingCount(), 8);
    g_SoundMng.Play(100, 0, 100, 0);  // a spare row: nothing to play, nothing said
    EXPECT_EQ(Mixer().PlayingCount(), 8);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
    EXPECT_TRUE(plat::DebugCaptured().empty());
}
