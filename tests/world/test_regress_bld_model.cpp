// Replays what the building model fuzz target found and its seeds, so a
// fixed finding stays fixed without clang.
#include <gtest/gtest.h>

#include "../../fuzz/harness/bld_model.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace {

class RegressBldModel : public vtest::TempDirTest {};

TEST_F(RegressBldModel, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("bld_model", fuzzharness::RunBldModel);
}

TEST_F(RegressBldModel, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("bld_model", fuzzharness::RunBldModel);
}

} // namespace
