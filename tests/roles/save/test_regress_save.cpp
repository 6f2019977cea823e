// Replays what the save fuzz target found and its seeds, so a fixed finding
// stays fixed without clang.
#include <gtest/gtest.h>

#include "../../../fuzz/harness/save.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace test_regress_save {

class RegressSave : public vtest::TempDirTest {};

TEST_F(RegressSave, SavedFindingsAreRefusedOrHandled) { vtest::ExpectFindingsHandled("save", fuzzharness::RunSave); }

TEST_F(RegressSave, SeedsLoadSaveAgainAndLoadTheSame) {
    vtest::ExpectSeedsLoadEverywhere("save", fuzzharness::RunSave);
}

} // namespace test_regress_save
