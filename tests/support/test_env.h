#pragma once
// Shared test fixtures: a scratch folder that becomes the current directory,
// and a fake clock installed for the test's lifetime.
#include <gtest/gtest.h>

#include <string>

#include "platform/clock.h"

namespace vtest {

// Creates a fresh empty folder under the system temp folder, makes it the
// current directory and VANTREL_HOME, and removes it afterwards.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Absolute native path of the folder, ending in '/'.
    const std::string& Dir() const { return dir_; }
    // Whole file as bytes ("" when missing).
    static std::string ReadFile(const std::string& path);
    static void WriteFile(const std::string& path, const std::string& bytes);

private:
    std::string dir_;
    std::string oldCwd_;
};

class FakeClockScope {
public:
    explicit FakeClockScope(uint32_t start = 0) : clock_(start) { plat::SetClock(&clock_); }
    ~FakeClockScope() { plat::SetClock(nullptr); }
    plat::FakeClock& operator*() { return clock_; }
    plat::FakeClock* operator->() { return &clock_; }

private:
    plat::FakeClock clock_;
};

} // namespace vtest
