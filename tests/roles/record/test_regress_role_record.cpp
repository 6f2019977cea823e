// Replays what the role_record fuzz target found and its seeds, so a fixed
// finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../../fuzz/harness/role_record.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace test_regress_role_record {

class RegressRoleRecord : public vtest::TempDirTest {};

TEST_F(RegressRoleRecord, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("role_record", fuzzharness::RunRoleRecord);
}

TEST_F(RegressRoleRecord, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("role_record", fuzzharness::RunRoleRecord);
}

} // namespace test_regress_role_record
