// Replays what the gesture pattern fuzz target found and its seeds (which
// also proves the file is read from the data folder's pack, not only from
// disk), and holds the demo's four patterns to the strokes they are drawn as.
#include <gtest/gtest.h>

#include "../../fuzz/harness/method_point.h"
#include "datagen/method_point_writer.h"
#include "support/regress_replay.h"
#include "support/test_env.h"

namespace test_regress_method_point {

class RegressMethodPoint : public vtest::TempDirTest {};

TEST_F(RegressMethodPoint, SavedFindingsAreRefusedOrHandled) {
    vtest::ExpectFindingsHandled("method_point", fuzzharness::RunMethodPoint);
}

TEST_F(RegressMethodPoint, SeedsLoadFromDiskAndFromBothKindsOfPack) {
    vtest::ExpectSeedsLoadEverywhere("method_point", fuzzharness::RunMethodPoint);
}

TEST_F(RegressMethodPoint, DemoPatternsMatchTheirStrokesOnly) {
    const std::string text = datagen::BuildMethodPoints(datagen::DemoGesturePatterns());
    SetProgramDirectory(0);
    fuzzenv::PlacedFiles files("mb", {{"MethodPoint.txt", text}}, fuzzenv::Place::Disk);
    ASSERT_EQ(g_GestureInput.LoadMethodPoints(), 1);
    ASSERT_EQ(g_GestureInput.m_Patterns.GetRowCount(), 4);
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> points;
        int pattern;  // the only pattern id it matches
    };
    const Case cases[] = {
        {"rightward", {{0, 0}, {120, 3}}, 1},
        {"downward, a pixel left of straight", {{0, 0}, {-1, 120}}, 2},
        {"right then down", {{0, 0}, {120, 0}, {118, 120}}, 3},
        {"down-right then up-right", {{0, 0}, {60, 60}, {120, 0}}, 4},
        {"upward: the drop drawn the other way", {{0, 120}, {0, 0}}, 2},
        {"up-left", {{120, 120}, {0, 0}}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<StrokePoint> stroke;
        for (auto [x, y] : c.points) stroke.push_back({0, x, y});
        std::vector<float> f, b;
        BuildStrokeAngles(stroke, &f, &b);
        for (int id = 1; id <= 4; ++id)
            EXPECT_EQ(MatchStroke(g_GestureInput.m_Patterns.GetRow(id), f, b), id == c.pattern ? 1 : 0) << id;
    }
    g_GestureInput.m_Patterns.Clear();
}

TEST_F(RegressMethodPoint, AMissingFileLeavesNoPatterns) {
    SetProgramDirectory(0);
    EXPECT_EQ(g_GestureInput.LoadMethodPoints(), 1);
    EXPECT_EQ(g_GestureInput.m_Patterns.GetRowCount(), 0);
}

} // namespace test_regress_method_point
