// The atomic write's steps: a failure at any step leaves the old file whole
// and no temporary behind; the steps are counted so a crash test can land
// on each; the wall time that save games stamp can be fixed by tests.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "platform/clock.h"
#include "platform/fs.h"
#include "support/test_env.h"

namespace test_fs_atomic {

class AtomicWriteTest : public vtest::TempDirTest {
protected:
    void TearDown() override {
        plat::SetFileFaultPoint(0);
        TempDirTest::TearDown();
    }
};

TEST_F(AtomicWriteTest, AFailureAtAnyStepBeforeTheRenameKeepsTheOldFileWhole) {
    ASSERT_TRUE(plat::WriteFileAtomic("a.sav", "old", 3));
    // Three chunks of data: 3 writes, flush, fsync, rename, folder fsync.
    const std::string big(4096 * 2 + 100, 'n');
    plat::SetFileFaultPoint(0);
    ASSERT_TRUE(plat::WriteFileAtomic("a.sav", big.data(), big.size()));
    EXPECT_EQ(plat::FileStepCount(), 7);
    ASSERT_TRUE(plat::WriteFileAtomic("a.sav", "old", 3));
    for (int n = 1; n <= 7; ++n) {
        plat::SetFileFaultPoint(n, plat::FileFault::Fail);
        EXPECT_FALSE(plat::WriteFileAtomic("a.sav", big.data(), big.size())) << "step " << n;
        // Up to the rename the old file stands; the folder sync comes after it.
        EXPECT_EQ(ReadFile(Dir() + "a.sav"), n < 7 ? "old" : big) << "step " << n;
        EXPECT_FALSE(std::filesystem::exists(Dir() + "a.sav.tmp")) << "step " << n;
        plat::SetFileFaultPoint(0);
        ASSERT_TRUE(plat::WriteFileAtomic("a.sav", "old", 3));
    }
    plat::SetFileFaultPoint(99, plat::FileFault::Fail);
    EXPECT_TRUE(plat::WriteFileAtomic("a.sav", "", 0)) << "an empty file has no write step";
    EXPECT_EQ(plat::FileStepCount(), 4);
    EXPECT_EQ(ReadFile(Dir() + "a.sav"), "");
}

TEST_F(AtomicWriteTest, TheWallTimeIsTheClocksOrTheOneATestFixed) {
    const time_t before = std::time(nullptr);
    const plat::WallTime now = plat::GetWallTime();
    EXPECT_GE(now.seconds, static_cast<uint32_t>(before));
    EXPECT_LE(now.seconds, static_cast<uint32_t>(std::time(nullptr)));
    EXPECT_GE(now.year, 2024);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    plat::WallTime fixed;
    fixed.seconds = 42;
    fixed.year = 1999;
    fixed.minute = 7;
    plat::SetWallTime(&fixed);
    EXPECT_EQ(plat::GetWallTime().seconds, 42u);
    EXPECT_EQ(plat::GetWallTime().year, 1999);
    EXPECT_EQ(plat::GetWallTime().minute, 7);
    plat::SetWallTime(nullptr);
    EXPECT_GE(plat::GetWallTime().seconds, static_cast<uint32_t>(before));
}

} // namespace test_fs_atomic
