#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

#include "core/log.h"
#include "platform/clock.h"
#include "platform/msgbox.h"
#include "support/test_env.h"

namespace {

class LogTest : public vtest::TempDirTest {};

TEST_F(LogTest, LinesAreAppendedBackToBackExactlyAsWritten) {
    WriteLog(kLogFile, "tamiro begin\n");
    WriteLog(kLogFile, "no newline");
    WriteLogNum(kLogFile, 42, "\t\tBeginLoading\n");
    WriteLogNum(kLogFile, -7, "");
    WriteLogNum(kLogFile, 0, "x\r\n");
    EXPECT_EQ(ReadFile(Dir() + "BugLog.ini"), "tamiro begin\nno newline42\t\tBeginLoading\n-70x\r\n");
}

TEST_F(LogTest, FileIsReopenedForEveryLine) {
    WriteLog(kLogFile, "one\n");
    // Something else touching the file between lines must be seen by the
    // next line: the log keeps no handle or buffer of its own.
    WriteFile(Dir() + "BugLog.ini", "replaced\n");
    WriteLog(kLogFile, "two\n");
    EXPECT_EQ(ReadFile(Dir() + "BugLog.ini"), "replaced\ntwo\n");
    std::remove((Dir() + "BugLog.ini").c_str());
    WriteLogNum(kLogFile, 3, "three\n");
    EXPECT_EQ(ReadFile(Dir() + "BugLog.ini"), "3three\n");
}

// A log that cannot be written loses its lines; the first failure is said
// once on stderr with the path and the reason, and the program goes on.
TEST_F(LogTest, UnwritableLogLosesTheLineAndSaysWhyOnce) {
    struct Case {
        const char* name;
        std::string prepare;  // "dir": the log's folder is missing; "full": the log is the full device
        std::string reason;
    };
    const Case cases[] = {{"NoSuchDir\\BugLog.ini", "dir", "No such file or directory"},
                          {"Full.ini", "full", "No space left on device"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.prepare == "full") {
            if (symlink("/dev/full", (Dir() + c.name).c_str()) != 0) GTEST_SKIP() << "no /dev/full link";
        }
        ResetLogFailureNotice();
        testing::internal::CaptureStderr();
        WriteLog(c.name, "lost\n");
        WriteLogNum(c.name, 1, "lost\n");
        WriteLog(kLogFile, nullptr);
        const std::string err = testing::internal::GetCapturedStderr();
        std::string path = Dir() + c.name;
        if (c.prepare == "dir") path = Dir() + "NoSuchDir/BugLog.ini";
        EXPECT_EQ(err, "vantrel: cannot write the log \"" + path + "\": " + c.reason + "; going on without it\n");
    }
    EXPECT_EQ(ReadFile(Dir() + "NoSuchDir/BugLog.ini"), "");
    // A log that works again takes the next line.
    WriteLog(kLogFile, "back\n");
    EXPECT_EQ(ReadFile(Dir() + "BugLog.ini"), "back\n");
}

TEST(AppClock, ResetReadsSecondsBaseAndResolution) {
    vtest::FakeClockScope clock(123456);
    g_AppClock.Reset();
    EXPECT_EQ(g_AppClock.m_StartSec, 123u);
    EXPECT_EQ(g_AppClock.m_CurSec, 123u);
    EXPECT_EQ(g_AppClock.m_BaseMs, 123456u);
    EXPECT_EQ(g_AppClock.m_LastMs, 123456u);
    // max(minimum period, 20) limited to the maximum period.
    const plat::TimerCaps caps = plat::GetTimerCaps();
    uint32_t expect = caps.periodMin > 20 ? caps.periodMin : 20;
    if (expect > caps.periodMax)
        expect = caps.periodMax;
    EXPECT_EQ(g_AppClock.m_Resolution, expect);
    g_AppClock.m_TimerId = 9;
    g_AppClock.KillTimer();
    EXPECT_EQ(g_AppClock.m_TimerId, 0);
}

// A clock that moves on by a fixed amount every time it is read, standing for
// time that passes while the log line is written.
class TickingClock final : public plat::Clock {
public:
    explicit TickingClock(uint32_t start, uint32_t tick) : now_(start), tick_(tick) {}
    uint32_t NowMs() override {
        const uint32_t t = now_;
        now_ += tick_;
        return t;
    }
    void SleepMs(uint32_t ms) override { now_ += ms; }
    void Advance(uint32_t ms) { now_ += ms; }

private:
    uint32_t now_;
    uint32_t tick_;
};

class LogTimerTest : public vtest::TempDirTest {
protected:
    void TearDown() override {
        plat::SetClock(nullptr);
        g_AppClock.Reset();
        vtest::TempDirTest::TearDown();
    }
};

TEST_F(LogTimerTest, LogsElapsedMillisecondsSinceMark) {
    TickingClock clock(5000, 0);
    plat::SetClock(&clock);
    g_AppClock.Reset();  // base 5000
    clock.Advance(250);
    CLogTimer t;  // mark 250
    EXPECT_EQ(t.m_Mark, 250);
    EXPECT_EQ(g_AppClock.m_LastMs, 5250u);
    clock.Advance(1234);
    t.LogElapsed("  SoundInitEnd\n");
    EXPECT_EQ(t.m_Last, 1484);
    EXPECT_EQ(g_AppClock.m_LastMs, 6484u);
    clock.Advance(16);
    t.LogElapsed("\tNext\n");
    EXPECT_EQ(ReadFile(Dir() + "BugLog.ini"), "1234  SoundInitEnd\n16\tNext\n");
}

TEST_F(LogTimerTest, TimeSpentWritingALineIsNotCountedInTheNextInterval) {
    // Every reading is 7 ms after the previous one.
    TickingClock clock(0, 7);
    plat::SetClock(&clock);
    g_AppClock.Reset();  // base 0, clock now 7
    CLogTimer t;         // mark 7
    t.LogElapsed("a\n");  // reads 14: logs 7; re-marks at 21
    t.LogElapsed("b\n");  // reads 28: logs 7, not 14
    EXPECT_EQ(ReadFile(Dir() + "BugLog.ini"), "7a\n7b\n");
}

class ErrorBoxTest : public ::testing::Test {
protected:
    void SetUp() override { plat::ClearRecordedMessageBoxes(); }
    void TearDown() override { plat::ClearRecordedMessageBoxes(); }
};

TEST_F(ErrorBoxTest, ComposesCodeTextAndBracketedName) {
    // "Map\xce\xc4\xbc\xfe:" is "Map文件:" in GBK.
    EXPECT_EQ(ErrorBox(nullptr, 1, "Map\xce\xc4\xbc\xfe:", "D"), plat::IDOK);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    const plat::MessageBoxRecord& r = plat::RecordedMessageBoxes()[0];
    EXPECT_EQ(r.text, "Error(1)Map\xce\xc4\xbc\xfe:<D>");
    EXPECT_EQ(r.caption, "ERROR");
    EXPECT_EQ(r.flags, plat::MB_OK);
}

TEST_F(ErrorBoxTest, NoBracketsWithoutSecondText) {
    ErrorBox(nullptr, 0, "LoadInt\xce\xc4\xbc\xfe:", nullptr);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "Error(0)LoadInt\xce\xc4\xbc\xfe:");
    EXPECT_EQ(ComposeErrorText(-12, "x", ""), "Error(-12)x<>");
}

TEST_F(ErrorBoxTest, LongPathIsShownWhole) {
    // A 256-byte path used to overrun a 164-byte message buffer.
    const std::string path = "C:\\" + std::string(253, 'p');
    ErrorBox(nullptr, 1, "Lib\xbf\xe2:", path.c_str());  // "Lib库:"
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "Error(1)Lib\xbf\xe2:<" + path + ">");
}

} // namespace
