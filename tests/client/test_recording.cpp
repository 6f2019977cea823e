// The recorded packet stream: tick markers, the viewer-id marker, the
// packets as handled, and a record file that cannot be written.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "client/client_hooks.h"
#include "client/recording_client.h"
#include "core/packet.h"
#include "support/play.h"
#include "support/test_env.h"

namespace recordtest {

namespace {

uint32_t g_Tick = 0;

// Records of a stream: each body's bytes.
std::vector<std::vector<uint8_t>> Records(const std::string& bytes) {
    std::vector<std::vector<uint8_t>> out;
    size_t at = 0;
    while (at + 4 <= bytes.size()) {
        const uint32_t n = GetU32(reinterpret_cast<const uint8_t*>(bytes.data() + at));
        at += 4;
        if (at + n > bytes.size()) break;
        out.emplace_back(bytes.begin() + at, bytes.begin() + at + n);
        at += n;
    }
    EXPECT_EQ(at, bytes.size()) << "the stream ends on a record";
    return out;
}

std::vector<uint8_t> Marker(uint8_t kind, uint32_t v) {
    std::vector<uint8_t> m{0x40, kind, 0, 0, 0, 0};
    PutU32(m.data() + 2, v);
    return m;
}

} // namespace

class RecordingTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        m_Hooks = g_ClientHooks;
        g_ClientHooks = {};
        g_ClientHooks.tickCount = [] { return g_Tick; };
        g_Tick = 7;
    }
    void TearDown() override {
        CloseRecordFile();
        g_ClientHooks = m_Hooks;
        TempDirTest::TearDown();
    }
    CClientHooks m_Hooks;
};

TEST_F(RecordingTest, MarkersPrecedeThePacketsOfEachTick) {
    const std::string path = Dir() + "rec.bin";
    ASSERT_EQ(OpenRecordFile(path.c_str()), 1);
    EXPECT_EQ(GetRecordMode(), kRecordOn);
    {
        CRecordingClient c;
        c.SetLoading(0);
        const std::vector<uint8_t> weather{12, 4, 0x10, 0}, clock{11, 1, 0, 2, 3, 4, 5, 0};
        g_Tick = 8;
        c.HandlePacket(weather.data(), 4);
        c.HandlePacket(clock.data(), 8);
        g_Tick = 9;
        c.HandlePacket(weather.data(), 4);
    }
    CloseRecordFile();
    EXPECT_EQ(GetRecordMode(), kRecordOff);
    const std::vector<std::vector<uint8_t>> want{Marker(0, 7),
                                                 Marker(5, 0xFFFFFFFFu),
                                                 Marker(0, 8),
                                                 {12, 4, 0x10, 0},
                                                 {11, 1, 0, 2, 3, 4, 5, 0},
                                                 Marker(0, 9),
                                                 {12, 4, 0x10, 0}};
    EXPECT_EQ(Records(vtest::ReadWholeFile(path)), want);
}

TEST_F(RecordingTest, ModeOffWritesNothingAndHandlesAsTheClientDoes) {
    EXPECT_EQ(GetRecordMode(), kRecordOff);
    CRecordingClient c;
    c.SetLoading(0);
    const std::vector<uint8_t> weather{12, 4, 0x10, 0};
    c.HandlePacket(weather.data(), 4);
    ASSERT_EQ(c.m_Received.size(), 1u);
    EXPECT_EQ(c.m_Received[0].bytes, weather);
}

TEST_F(RecordingTest, AnUnwritableFileIsNamedOnceAndTheGameGoesOn) {
    const std::string path = Dir() + "no-such-folder/rec.bin";
    testing::internal::CaptureStderr();
    EXPECT_EQ(OpenRecordFile(path.c_str()), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(path), std::string::npos) << err;
    EXPECT_NE(err.find("No such file"), std::string::npos) << "the reason: " << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_EQ(GetRecordMode(), kRecordOff);
    CRecordingClient c;  // records nothing, fails nothing
    EXPECT_EQ(c.m_ViewerId, -1);
}

} // namespace recordtest
