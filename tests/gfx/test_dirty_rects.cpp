#include <gtest/gtest.h>

#include <vector>

#include "gfx/dirty_rects.h"

namespace {

struct R5 {
    int32_t x, y, w, h, area;
};

std::vector<R5> Records(const CDirtyRectList& list) {
    std::vector<R5> out;
    for (int32_t i = 0; i < list.m_Count; ++i) {
        const CDirtyRect& r = list.m_pRects[i];
        out.push_back({r.x, r.y, r.width, r.height, r.area});
    }
    return out;
}

bool operator==(const R5& a, const R5& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h && a.area == b.area;
}

void PrintTo(const R5& r, std::ostream* os) {
    *os << "{" << r.x << "," << r.y << "," << r.w << "," << r.h << " area " << r.area << "}";
}

// A 640 x 480 view.
CDirtyRectList& MakeList(CDirtyRectList& list, int32_t capacity) {
    list.Create(capacity);
    list.SetBounds(CDirtyRect{0, 0, 640, 480, 640 * 480});
    return list;
}

TEST(DirtyRectHelpers, IntersectionUsesInclusiveCornersAndLeavesOutAlone) {
    const CDirtyRect a{0, 0, 10, 10, 7}, b{5, 8, 10, 10, 9}, touching{10, 0, 5, 5, 0};
    CDirtyRect out{-1, -1, -1, -1, 42};
    EXPECT_EQ(IntersectRect5(&out, &a, &b), 1);
    EXPECT_EQ(out.x, 5);
    EXPECT_EQ(out.y, 8);
    EXPECT_EQ(out.width, 5);
    EXPECT_EQ(out.height, 2);
    EXPECT_EQ(out.area, 42);
    const CDirtyRect before = out;
    EXPECT_EQ(IntersectRect5(&out, &a, &touching), 0);
    EXPECT_EQ(out.x, before.x);
    EXPECT_EQ(out.width, before.width);

    CDirtyRect copy;
    CopyRect5(&copy, &b);
    EXPECT_EQ(copy.area, 9);
    EXPECT_EQ(copy.y, 8);
}

TEST(DirtyRectList, AddClipsToTheBoundsAndIgnoresWhatLiesOutside) {
    CDirtyRectList list;
    MakeList(list, 8);
    EXPECT_EQ(list.Add(640, 0, 10, 10, 1), nullptr);
    EXPECT_EQ(list.Add(-20, -20, 20, 20, 1), nullptr);  // ends at -1, -1
    EXPECT_EQ(list.m_Count, 0);

    CDirtyRect* r = list.Add(-5, 470, 20, 20, 123);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Records(list), (std::vector<R5>{{0, 470, 15, 10, 123}}));
    EXPECT_EQ(r, &list.m_pRects[0]);
}

TEST(DirtyRectList, QuietListMergesOnlyWhenTheUnionWastesNoMoreThanTheOverlap) {
    CDirtyRectList list;
    MakeList(list, 30);
    // Equal rectangles: one record with the computed area.
    list.Add(10, 10, 20, 20, 5);
    list.Add(10, 10, 20, 20, 5);
    EXPECT_EQ(Records(list), (std::vector<R5>{{10, 10, 20, 20, 400}}));

    // Touching along an edge: kept apart, caller's area untouched.
    list.Add(30, 10, 20, 20, 77);
    EXPECT_EQ(Records(list), (std::vector<R5>{{10, 10, 20, 20, 400}, {30, 10, 20, 20, 77}}));

    // A corner overlap whose union wastes more than it shares stays apart,
    // but both areas are written by the test.
    list.Create(30);
    list.Add(0, 0, 10, 10, 1);
    list.Add(8, 8, 10, 10, 2);  // I = 4, U = 324, A + B = 200
    EXPECT_EQ(Records(list), (std::vector<R5>{{0, 0, 10, 10, 100}, {8, 8, 10, 10, 100}}));

    // Half overlap of equal rectangles side by side: U - A - B = 150 - 200 <= 50.
    list.Create(30);
    list.Add(0, 0, 10, 10, 1);
    list.Add(5, 0, 10, 10, 2);
    EXPECT_EQ(Records(list), (std::vector<R5>{{0, 0, 15, 10, 150}}));
}

TEST(DirtyRectList, AMergedRectangleIsTestedAgainstTheRecordThatMovedIntoPlace) {
    CDirtyRectList list;
    MakeList(list, 30);
    list.Add(0, 0, 10, 10, 1);     // A
    list.Add(12, 0, 10, 10, 1);    // C, touches nothing
    list.Add(100, 0, 10, 10, 1);   // B, far away
    ASSERT_EQ(list.m_Count, 3);
    // R covers A fully; the union (A absorbed) then overlaps C as well,
    // which has moved into A's place.
    list.Add(0, 0, 15, 10, 1);
    EXPECT_EQ(Records(list), (std::vector<R5>{{100, 0, 10, 10, 1}, {0, 0, 22, 10, 220}}));
}

TEST(DirtyRectList, CapacityFourFillsThenCollapsesToTheBounds) {
    CDirtyRectList list;
    MakeList(list, 4);
    EXPECT_EQ(list.m_Threshold, 2);
    list.Add(0, 0, 10, 10, 1);
    list.Add(20, 0, 10, 10, 2);
    list.Add(40, 0, 10, 10, 3);  // count 2 is at the threshold: still quiet
    EXPECT_EQ(list.m_Count, 3);
    CDirtyRect* fourth = list.Add(60, 0, 10, 10, 4);  // crowded, room left
    EXPECT_EQ(list.m_Count, 4);
    EXPECT_EQ(fourth, &list.m_pRects[3]);
    CDirtyRect* fifth = list.Add(80, 0, 10, 10, 5);  // crowded and full
    ASSERT_EQ(fifth, &list.m_pRects[0]);
    EXPECT_EQ(Records(list), (std::vector<R5>{{0, 0, 640, 480, 640 * 480}}));
}

TEST(DirtyRectList, CrowdedListSwallowsEveryOverlappingRecord) {
    CDirtyRectList list;
    MakeList(list, 4);
    list.Add(0, 0, 10, 10, 1);
    list.Add(20, 0, 10, 10, 2);
    list.Add(100, 100, 10, 10, 3);
    // Overlaps the first two only slightly (a quiet list would not merge);
    // crowded, it absorbs both and keeps the caller's area.
    CDirtyRect* r = list.Add(5, 5, 20, 2, 99);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Records(list), (std::vector<R5>{{100, 100, 10, 10, 3}, {0, 0, 30, 10, 99}}));
    EXPECT_EQ(r, &list.m_pRects[1]);
}

TEST(DirtyRectList, RemoveAtReportsWhetherRecordsFollowed) {
    CDirtyRectList list;
    MakeList(list, 10);
    list.Add(0, 0, 1, 1, 1);
    list.Add(10, 0, 1, 1, 2);
    list.Add(20, 0, 1, 1, 3);
    EXPECT_EQ(list.RemoveAt(0), 1);
    EXPECT_EQ(Records(list), (std::vector<R5>{{10, 0, 1, 1, 2}, {20, 0, 1, 1, 3}}));
    EXPECT_EQ(list.RemoveAt(1), 0);
    EXPECT_EQ(list.RemoveAt(5), 0);
    EXPECT_EQ(list.RemoveAt(-1), 0);
    EXPECT_EQ(list.m_Count, 1);
}

TEST(DirtyRectList, NothingIsAddedBeforeCreateOrWithoutRoom) {
    CDirtyRectList list;
    list.SetBounds(CDirtyRect{0, 0, 100, 100, 0});
    EXPECT_EQ(list.Add(0, 0, 10, 10, 1), nullptr);
    list.Create(0);
    EXPECT_EQ(list.Add(0, 0, 10, 10, 1), nullptr);
    list.Create(1);  // threshold 0: the second add is crowded and collapses
    EXPECT_NE(list.Add(0, 0, 10, 10, 1), nullptr);
    EXPECT_NE(list.Add(50, 50, 10, 10, 1), nullptr);
    EXPECT_EQ(Records(list), (std::vector<R5>{{0, 0, 100, 100, 0}}));
    list.Release();
    EXPECT_EQ(list.Add(0, 0, 10, 10, 1), nullptr);
}

} // namespace
