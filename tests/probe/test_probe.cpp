// capsprobe: the version ladder, the capability file and the program itself.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/ini_file.h"
#include "platform/debug.h"
#include "platform/msgbox.h"
#include "probe/probe.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

// The checks in ladder order; a fake fails the one it is told to.
enum Check {
    kNone = 0,
    kDisplayInit,
    kDisplayDriver,
    kDisplayPresent,
    kDisplayMode,
    kInputInit,
    kInputEvents,
    kRendererWindow,
    kRendererCreate,
    kRendererInfo,
    kRendererTexture,
    kAudioInit,
    kRenderDrivers,
    kReadCaps,
    kEffectRasteriser,
    kTextConverter,
};

// Keeps count of what is held so a test can see that every way out of the
// ladder gives it back.
class FakeBackend final : public CProbeBackend {
public:
    Check failAt = kNone;
    ProbeCaps caps{true, true, false, 256u << 20};
    std::vector<Check> called;
    int displayHeld = 0, inputHeld = 0, audioHeld = 0;
    bool window = false, renderer = false, texture = false;
    bool orderBroken = false;  // a renderer step ran without the one before it

    bool DisplayInit() override { return Step(kDisplayInit, &displayHeld); }
    bool DisplayDriver() override { return Step(kDisplayDriver); }
    bool DisplayPresent() override { return Step(kDisplayPresent); }
    bool DisplayMode() override { return Step(kDisplayMode); }
    void DisplayQuit() override { --displayHeld; }
    bool InputInit() override { return Step(kInputInit, &inputHeld); }
    bool InputEvents() override { return Step(kInputEvents); }
    void InputQuit() override { --inputHeld; }
    bool RendererWindow() override { return window = Step(kRendererWindow); }
    bool RendererCreate() override {
        orderBroken |= !window;
        return renderer = Step(kRendererCreate);
    }
    bool RendererInfo() override {
        orderBroken |= !renderer;
        return Step(kRendererInfo);
    }
    bool RendererTexture() override {
        orderBroken |= !renderer;
        return texture = Step(kRendererTexture);
    }
    void RendererRelease() override { window = renderer = texture = false; }
    bool AudioInit() override { return Step(kAudioInit, &audioHeld); }
    void AudioQuit() override { --audioHeld; }
    bool RenderDrivers() override { return Step(kRenderDrivers); }
    bool ReadCaps(ProbeCaps* out) override {
        // Like the real one, the query needs the display backend.
        called.push_back(kReadCaps);
        if (failAt == kReadCaps || failAt == kDisplayInit) return false;
        *out = caps;
        return true;
    }
    bool EffectRasteriser() override { return Step(kEffectRasteriser); }
    bool TextConverter() override { return Step(kTextConverter); }

    bool AllReleased() const {
        return displayHeld == 0 && inputHeld == 0 && audioHeld == 0 && !window && !renderer && !texture;
    }

private:
    bool Step(Check c, int* held = nullptr) {
        called.push_back(c);
        if (c == failAt) return false;
        if (held) ++*held;
        return true;
    }
};

struct LadderCase {
    Check missing;
    uint32_t version;
    const char* line;  // debugger output, null for none
};

const LadderCase kLadder[] = {
    {kNone, 0x801, nullptr},
    {kDisplayInit, 0, "Couldn't LoadLibrary DDraw\r\n"},
    {kDisplayDriver, 0, "Couldn't GetProcAddress DirectDrawCreate\r\n"},
    {kDisplayPresent, 0, "Couldn't create DDraw\r\n"},
    {kDisplayMode, 0x100, "Couldn't QI DDraw2\r\n"},
    {kInputInit, 0x200, "Couldn't LoadLibrary DInput\r\n"},
    {kInputEvents, 0x200, "Couldn't GetProcAddress DInputCreate\r\n"},
    {kRendererWindow, 0, "Couldn't Set coop level\r\n"},
    {kRendererCreate, 0, "Couldn't CreateSurface\r\n"},
    {kRendererInfo, 0x300, "Couldn't QI DDS3\r\n"},
    {kRendererTexture, 0x500, "Couldn't QI DDS4\r\n"},
    {kAudioInit, 0x600, "Couldn't create CLSID_DirectMusic\r\n"},
    {kRenderDrivers, 0x601, "Couldn't GetProcAddress DirectDrawCreateEx\r\n"},
    {kReadCaps, 0x601, "Couldn't DirectDrawCreateEx\r\n"},
    {kEffectRasteriser, 0x700, "Couldn't LoadLibrary D3D8.DLL\r\n"},
    {kTextConverter, 0x800, "Couldn't LoadLibrary dpnhpast.dll\r\n"},
};

TEST(ProbeLadder, EachMissingComponentStopsTheLadderAtItsVersion) {
    for (const LadderCase& c : kLadder) {
        SCOPED_TRACE(testing::Message() << "missing check " << int(c.missing));
        FakeBackend fake;
        fake.failAt = c.missing;
        plat::ClearDebugCapture();

        EXPECT_EQ(GetDXVersion(fake), c.version);

        std::vector<std::string> expected;
        if (c.line) expected.push_back(c.line);
        EXPECT_EQ(plat::DebugCaptured(), expected);
        EXPECT_TRUE(fake.AllReleased());
        EXPECT_FALSE(fake.orderBroken);
        // Nothing after the failing check was tried, everything before it was.
        const Check last = c.missing == kNone ? kTextConverter : c.missing;
        ASSERT_EQ(fake.called.size(), size_t(last));
        for (size_t i = 0; i < fake.called.size(); ++i) EXPECT_EQ(fake.called[i], Check(i + 1));
    }
}

TEST(ProbeLadder, VersionTextIsMajorPointMinor) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0x000, "0.0"}, {0x100, "1.0"}, {0x500, "5.0"}, {0x601, "6.1"}, {0x700, "7.0"}, {0x801, "8.1"},
    };
    for (const auto& [version, text] : cases) EXPECT_EQ(FormatDXVersion(version), text);
}

// Reads the file the way the game does: the five keys in order.
struct CapsFile {
    int func3d = -1, videoMemory = -1, zoom = -1, alpha = -1;
    std::string version;
};

std::optional<CapsFile> ReadCapsFile(const std::string& path) {
    CIniFile ini;
    if (!ini.OpenFileRead(path.c_str())) return std::nullopt;
    CapsFile f;
    char buf[64];
    if (!ini.ReadInt("3dFunc", &f.func3d) || !ini.ReadInt("VedioMemory", &f.videoMemory) ||
        !ini.ReadInt("ZoomCap", &f.zoom) || !ini.ReadInt("AlphaCap", &f.alpha) ||
        !ini.ReadLine("DXVersion", buf, sizeof buf))
        return std::nullopt;
    f.version = buf;
    return f;
}

class ProbeFile : public vtest::TempDirTest {
protected:
    std::string CapsPath() const { return Dir() + "DisplayCapability.INI"; }
};

TEST_F(ProbeFile, WritesTheFiveKeysInOrderBesideTheProgram) {
    FakeBackend fake;
    fake.caps = {true, true, false, 128u << 20};
    std::string why;
    ASSERT_EQ(RunCapsProbe(fake, &why), 0) << why;

    EXPECT_EQ(ReadFile(CapsPath()),
              "3dFunc=1\r\nVedioMemory=134217728\r\nZoomCap=1\r\nAlphaCap=1\r\nDXVersion=8.1\r\n");
    auto f = ReadCapsFile(CapsPath());
    ASSERT_TRUE(f);
    EXPECT_EQ(f->func3d, 1);
    EXPECT_EQ(f->videoMemory, 134217728);
    EXPECT_EQ(f->zoom, 1);
    EXPECT_EQ(f->alpha, 1);
    EXPECT_EQ(f->version, "8.1");
    EXPECT_FLOAT_EQ(float(std::atof(f->version.c_str())), 8.1f);
    EXPECT_TRUE(fake.AllReleased());
    EXPECT_FALSE(fs::exists(CapsPath() + ".tmp"));
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
}

TEST_F(ProbeFile, AMissingComponentStillWritesWhatWasFound) {
    struct Case {
        Check missing;
        const char* version;
        bool capsRead;
    };
    const Case cases[] = {
        {kDisplayInit, "0.0", false},     // no display: nothing measured
        {kAudioInit, "6.0", true},        // no audio: capabilities still read
        {kReadCaps, "6.1", false},        // capability query fails: all 0
        {kEffectRasteriser, "7.0", true},
        {kTextConverter, "8.0", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        FakeBackend fake;
        fake.failAt = c.missing;
        fake.caps = {true, false, false, 64u << 20};
        std::string why;
        ASSERT_EQ(RunCapsProbe(fake, &why), 0) << why;
        auto f = ReadCapsFile(CapsPath());
        ASSERT_TRUE(f);
        EXPECT_EQ(f->version, c.version);
        EXPECT_EQ(f->func3d, c.capsRead ? 1 : 0);
        EXPECT_EQ(f->zoom, c.capsRead ? 1 : 0);
        EXPECT_EQ(f->alpha, 0);
        EXPECT_EQ(f->videoMemory, c.capsRead ? (64 << 20) : 0);
    }
}

TEST_F(ProbeFile, VideoMemoryBeyondTheIntRangeIsCappedNotWrapped) {
    FakeBackend fake;
    fake.caps.videoMemory = uint64_t(8) << 30;  // 8 GiB
    ASSERT_EQ(RunCapsProbe(fake, nullptr), 0);
    auto f = ReadCapsFile(CapsPath());
    ASSERT_TRUE(f);
    EXPECT_EQ(f->videoMemory, 2147483647);
}

TEST_F(ProbeFile, HardwareColourKeyShowsTheHardBox) {
    FakeBackend fake;
    fake.caps.hardwareColourKey = true;
    ASSERT_EQ(RunCapsProbe(fake, nullptr), 0);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "Hard!");
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].caption, "ok");
}

// Root ignores permission bits, so the always-run case is a program folder
// whose parent is a regular file: no one can create a file there.
TEST_F(ProbeFile, UnwritableFolderFailsWithAReason) {
    WriteFile(Dir() + "plain", "x");
    const std::string home = Dir() + "plain/sub/";
    setenv("VANTREL_HOME", home.c_str(), 1);
    FakeBackend fake;
    std::string why;
    EXPECT_NE(RunCapsProbe(fake, &why), 0);
    EXPECT_NE(why.find(home + "DisplayCapability.INI"), std::string::npos) << why;
    EXPECT_NE(why.find("not a folder"), std::string::npos) << why;
    EXPECT_TRUE(fake.AllReleased());
}

TEST_F(ProbeFile, ReadOnlyFolderFails) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    const std::string home = Dir() + "ro/";
    fs::create_directory(home);
    chmod(home.c_str(), 0555);
    setenv("VANTREL_HOME", home.c_str(), 1);
    FakeBackend fake;
    std::string why;
    EXPECT_NE(RunCapsProbe(fake, &why), 0);
    EXPECT_NE(why.find("ermission"), std::string::npos) << why;
    chmod(home.c_str(), 0755);
    EXPECT_FALSE(fs::exists(home + "DisplayCapability.INI"));
}

// A write that fails after the open (a full disk) must not report success
// nor damage the file of an earlier run.
TEST_F(ProbeFile, FailedWriteKeepsTheOldFileAndFails) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    WriteFile(CapsPath(), "old");
    fs::create_symlink("/dev/full", CapsPath() + ".tmp");
    FakeBackend fake;
    std::string why;
    EXPECT_NE(RunCapsProbe(fake, &why), 0);
    EXPECT_NE(why.find("DisplayCapability.INI"), std::string::npos) << why;
    EXPECT_EQ(ReadFile(CapsPath()), "old");
    EXPECT_FALSE(fs::exists(fs::symlink_status(CapsPath() + ".tmp")));
}

TEST_F(ProbeFile, VideoMemoryComesFromTheFirstCardThatReportsIt) {
    const std::string drm = Dir() + "drm";
    EXPECT_EQ(ReadVideoMemory(drm), 0u);  // no such folder
    fs::create_directories(drm + "/card0/device");  // reports nothing
    WriteFile(drm + "/card0-DP-1/device/mem_info_vram_total", "999\n");  // a connector
    WriteFile(drm + "/card10/device/mem_info_vram_total", "4096\n");
    EXPECT_EQ(ReadVideoMemory(drm), 4096u);
    WriteFile(drm + "/card2/device/mem_info_vram_total", "-5\n");  // not a number: skipped
    EXPECT_EQ(ReadVideoMemory(drm), 4096u);
    WriteFile(drm + "/card1/device/mem_info_vram_total", "8589934592\n");
    EXPECT_EQ(ReadVideoMemory(drm), 8589934592u);
}

#ifdef CAPSPROBE_EXE
// The real program on SDL's dummy drivers, in a child process.
class ProbeProgram : public vtest::TempDirTest {
protected:
    struct Run {
        int exitCode = -1;
        std::string stderrText;
    };

    Run Start(std::vector<std::pair<std::string, std::optional<std::string>>> env) {
        const std::string errPath = Dir() + "stderr.txt";
        env.insert(env.begin(), {{"VANTREL_HOME", Dir()},
                                 {"VANTREL_DEBUG", "1"},
                                 {"SDL_VIDEODRIVER", "dummy"},
                                 {"SDL_AUDIODRIVER", "dummy"},
                                 {"SDL_RENDER_DRIVER", std::nullopt}});
        fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            for (const auto& [name, value] : env) {
                if (value)
                    setenv(name.c_str(), value->c_str(), 1);
                else
                    unsetenv(name.c_str());
            }
            if (!freopen(errPath.c_str(), "w", stderr)) _exit(126);
            execl(CAPSPROBE_EXE, "capsprobe", static_cast<char*>(nullptr));
            _exit(127);
        }
        Run run;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
        run.stderrText = ReadFile(errPath);
        return run;
    }
};

TEST_F(ProbeProgram, HeadlessReportsTheSoftwareRenderer) {
    Run run = Start({});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    auto f = ReadCapsFile(Dir() + "DisplayCapability.INI");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->func3d, 0);  // the dummy driver only has the software renderer
    EXPECT_EQ(f->zoom, 0);
    EXPECT_EQ(f->alpha, 1);  // which blends
    EXPECT_GE(f->videoMemory, 0);
    EXPECT_EQ(f->version, "8.1");
}

TEST_F(ProbeProgram, RealMissingComponentsStopTheLadder) {
    struct Case {
        const char* var;
        const char* version;
        const char* line;
        int alpha;
    };
    const Case cases[] = {
        {"SDL_AUDIODRIVER", "6.0", "Couldn't create CLSID_DirectMusic", 1},
        {"SDL_VIDEODRIVER", "0.0", "Couldn't LoadLibrary DDraw", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.var);
        Run run = Start({{c.var, "no-such-driver"}});
        ASSERT_EQ(run.exitCode, 0) << run.stderrText;
        EXPECT_NE(run.stderrText.find(c.line), std::string::npos) << run.stderrText;
        auto f = ReadCapsFile(Dir() + "DisplayCapability.INI");
        ASSERT_TRUE(f);
        EXPECT_EQ(f->version, c.version);
        EXPECT_EQ(f->alpha, c.alpha);
    }
}

TEST_F(ProbeProgram, UnwritableFolderExitsNonZeroAndSaysWhy) {
    WriteFile(Dir() + "plain", "x");
    Run run = Start({{"VANTREL_HOME", Dir() + "plain/sub"}});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.stderrText.find("capsprobe: cannot write"), std::string::npos) << run.stderrText;
}
#endif

} // namespace
