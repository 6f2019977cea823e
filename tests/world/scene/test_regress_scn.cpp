// Replays what the scene descriptor and object list fuzz targets found and
// their seeds, so a fixed finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../../fuzz/harness/obj_list.h"
#include "../../../fuzz/harness/scn_desc.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace {

class RegressScn : public vtest::TempDirTest {
protected:
    void TearDown() override {
        g_PropMdlTable.Clear();
        TempDirTest::TearDown();
    }
};

TEST_F(RegressScn, DescriptorFindingsAndSeeds) {
    vtest::ExpectFindingsHandled("scn_desc", fuzzharness::RunScnDesc);
    vtest::ExpectSeedsLoadEverywhere("scn_desc", fuzzharness::RunScnDesc);
}

TEST_F(RegressScn, ObjectListFindingsAndSeeds) {
    vtest::ExpectFindingsHandled("obj_list", fuzzharness::RunObjList);
    vtest::ExpectSeedsLoadEverywhere("obj_list", fuzzharness::RunObjList);
}

} // namespace
