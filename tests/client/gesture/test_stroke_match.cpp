// Stroke matching against "MethodPoint.txt" rows, the segment angles of the
// four axes, and the stroke and trail rules of the gesture input.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "client/gesture/stroke_match.h"
#include "client/gesture_input.h"
#include "core/txt_table.h"
#include "datagen/table_writer.h"
#include "platform/fs.h"
#include "platform/input.h"

namespace {

// A pattern table in memory: header row, then rows {name, key, pairs...}.
class Patterns {
public:
    explicit Patterns(const datagen::Table& rows) {
        datagen::Table all{{"name", "id", "a0", "t0"}};
        all.insert(all.end(), rows.begin(), rows.end());
        const std::string text = datagen::BuildTable(all);
        plat::FileOverlay overlay;
        overlay.Put("mp.txt", text);
        plat::InstallFileOverlay(&overlay);
        table.Load("mp.txt", 1, 1, 1);
        plat::InstallFileOverlay(nullptr);
    }
    const CTxtRow* Row(int key) const { return table.GetRow(key); }
    CTxtTable table;
};

std::vector<StrokePoint> Stroke(const std::vector<std::pair<int, int>>& pts) {
    std::vector<StrokePoint> out;
    for (auto [x, y] : pts) out.push_back({0, x, y});
    return out;
}

int Match(const CTxtRow* row, const std::vector<StrokePoint>& stroke) {
    std::vector<float> f, b;
    BuildStrokeAngles(stroke, &f, &b);
    return MatchStroke(row, f, b);
}

} // namespace

TEST(StrokeMatch, TheFourAxesAndTheSeamOfStraightDown) {
    // Segment from p to q: dx = p.x - q.x, dy = p.y - q.y.
    EXPECT_FLOAT_EQ(SegmentAngle(0, 0, 10, 0), -kGesturePi / 2) << "right";
    EXPECT_FLOAT_EQ(SegmentAngle(10, 0, 0, 0), kGesturePi / 2) << "left";
    EXPECT_FLOAT_EQ(SegmentAngle(0, 0, 0, 10), -kGesturePi) << "down";
    EXPECT_FLOAT_EQ(SegmentAngle(0, 10, 0, 0), 0.0f) << "up";
    // One pixel left of straight down lands on the other side of the seam.
    EXPECT_GT(SegmentAngle(0, 0, -1, 40), 3.0f);
    EXPECT_NEAR(std::fabs(AngleDifference(SegmentAngle(0, 0, -1, 40), -kGesturePi)), 0.025f, 0.01f);
    EXPECT_FLOAT_EQ(AngleDifference(0.5f, 0.2f), 0.3f) << "small differences keep their meaning";
}

TEST(StrokeMatch, ForwardReverseTooManyPairsAndNearVerticalDown) {
    // 1: right then down; 2: right, down, left (three pairs); 3: straight down.
    Patterns p({{"rd", "1", "-1.5707963", "0.4", "-3.1415925", "0.4"},
                {"rdl", "2", "-1.5707963", "0.4", "-3.1415925", "0.4", "1.5707963", "0.4"},
                {"d", "3", "-3.1415925", "0.3"}});
    const auto rightDown = Stroke({{100, 100}, {200, 100}, {200, 200}});
    EXPECT_EQ(Match(p.Row(1), rightDown), 1) << "forward";
    // Drawn in reverse: up then left; read backward it is right then down.
    const auto upLeft = Stroke({{200, 200}, {200, 100}, {100, 100}});
    EXPECT_EQ(Match(p.Row(1), upLeft), 1) << "backward pass";
    EXPECT_EQ(Match(p.Row(2), rightDown), 0) << "more pairs than segments";
    EXPECT_EQ(Match(p.Row(1), Stroke({{100, 100}, {200, 100}})), 0) << "fewer segments than pairs, no reverse";
    // The seam: a stroke one pixel off straight down (+3.04) matches -pi.
    EXPECT_EQ(Match(p.Row(3), Stroke({{100, 100}, {99, 140}})), 1);
    EXPECT_EQ(Match(p.Row(3), Stroke({{100, 100}, {101, 140}})), 1);
    EXPECT_EQ(Match(p.Row(3), Stroke({{100, 100}, {140, 100}})), 0);
    EXPECT_EQ(Match(p.Row(3), {}), 0) << "no segment, no match";
    EXPECT_EQ(Match(nullptr, rightDown), 0);
}

class GestureInputTest : public ::testing::Test {
protected:
    void TearDown() override {
        plat::SetKeyDown(plat::VK_LBUTTON, false);
        plat::SetKeyDown(plat::VK_CONTROL, false);
    }
    CGestureInput g;
};

TEST_F(GestureInputTest, APlainClickFailsWithState2AndEightPixelsLayNoSprite) {
    g.m_LastX = 100;
    g.m_LastY = 100;
    g.LayTrail(0, 108, 100);
    EXPECT_TRUE(g.m_Trail.empty()) << "8 pixels: nothing";
    g.LayTrail(0, 130, 100);
    EXPECT_EQ(g.m_Trail.size(), 2u) << "every 9 pixels until less than 21 remain";
    // Without a client there is no own role: the stroke cannot cast.
    EXPECT_EQ(g.CastByGesture(), -1);
}

TEST_F(GestureInputTest, AStrokeKeepsAtMost19PointsAndDropsOldOnes) {
    g.m_LastX = 0;
    g.m_LastY = 0;
    g.AddPoint(0, 0);
    ASSERT_EQ(g.m_Stroke.size(), 1u);
    // A zigzag: every new point turns, so the previous cursor point is a corner.
    for (int i = 1; i < 40; ++i) {
        const int x = i * 30, y = (i % 2) * 60;
        g.AddPoint(x, y);
        g.m_LastX = x;
        g.m_LastY = y;
    }
    EXPECT_LE(g.m_Stroke.size(), kStrokeMaxPoints);
    EXPECT_GE(g.m_Stroke.size(), 10u);
}
