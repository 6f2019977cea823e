#include <gtest/gtest.h>

#include <vector>

#include "core/containers.h"

namespace {

struct TestNode : CObjNode {
    explicit TestNode(int id, int* deaths = nullptr) : id(id), deaths(deaths) {}
    ~TestNode() override {
        if (deaths)
            ++*deaths;
    }
    int id;
    int* deaths;
};

int Id(CObjNode* n) { return n ? static_cast<TestNode*>(n)->id : -1; }

// Ids head to tail, checking the back links and owners on the way.
std::vector<int> Ids(const CObjList& list) {
    std::vector<int> ids;
    CObjNode* prev = nullptr;
    for (CObjNode* n = list.Head(); n; n = n->Next()) {
        EXPECT_EQ(n->Prev(), prev);
        EXPECT_EQ(n->Owner(), &list);
        ids.push_back(Id(n));
        prev = n;
    }
    EXPECT_EQ(list.Tail(), prev);
    EXPECT_EQ(static_cast<int>(ids.size()), list.GetCount());
    return ids;
}

TEST(ObjList, AddTailInsertAtCursorAndMoveBetweenLists) {
    CObjList a, b;
    TestNode n1(1), n2(2), n3(3), n4(4);
    a.AddTail(&n1);
    EXPECT_EQ(a.Cursor(), &n1);
    a.AddTail(&n2);
    a.AddTail(&n3);
    EXPECT_EQ(a.Cursor(), &n1);  // only the first node sets the cursor
    EXPECT_EQ(Ids(a), (std::vector<int>{1, 2, 3}));

    a.InsertAtCursor(&n4);  // cursor is the head: n4 becomes the head
    EXPECT_EQ(Ids(a), (std::vector<int>{4, 1, 2, 3}));
    a.SetCursor(&n3);
    b.AddTail(&n2);  // moves out of a
    EXPECT_EQ(Ids(a), (std::vector<int>{4, 1, 3}));
    EXPECT_EQ(Ids(b), (std::vector<int>{2}));
    a.InsertAtCursor(&n2);
    EXPECT_EQ(Ids(a), (std::vector<int>{4, 1, 2, 3}));
    EXPECT_EQ(b.GetCount(), 0);
    EXPECT_EQ(b.Head(), nullptr);
    a.DetachAll();
    EXPECT_EQ(n1.Owner(), nullptr);
}

TEST(ObjList, UnlinkMovesHeadTailAndCursor) {
    CObjList l;
    TestNode n1(1), n2(2), n3(3), n4(4);
    for (TestNode* n : {&n1, &n2, &n3, &n4})
        l.AddTail(n);

    // A removed head moves the cursor to the new head even when it stood
    // elsewhere.
    l.SetCursor(&n3);
    n1.Unlink();
    EXPECT_EQ(l.Head(), &n2);
    EXPECT_EQ(l.Cursor(), &n2);
    // A removed tail moves the cursor to the new tail.
    l.SetCursor(&n2);
    n4.Unlink();
    EXPECT_EQ(l.Tail(), &n3);
    EXPECT_EQ(l.Cursor(), &n3);
    // A middle cursor node moves the cursor to the next node.
    l.AddTail(&n4);
    l.SetCursor(&n3);
    n3.Unlink();
    EXPECT_EQ(l.Cursor(), &n4);
    EXPECT_EQ(Ids(l), (std::vector<int>{2, 4}));
    EXPECT_EQ(n3.Next(), nullptr);
    EXPECT_EQ(n3.Prev(), nullptr);
    l.DetachAll();
}

TEST(ObjList, RemovingTheOnlyNodeEmptiesTheList) {
    int deaths = 0;
    CObjList l;
    l.AddTail(new TestNode(1, &deaths));
    EXPECT_EQ(l.RemoveCurrent(), nullptr);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(l.GetCount(), 0);
    EXPECT_EQ(l.Head(), nullptr);
    EXPECT_EQ(l.Tail(), nullptr);
    EXPECT_EQ(l.Cursor(), nullptr);
    EXPECT_EQ(l.RemoveCurrent(), nullptr);  // no cursor
    EXPECT_EQ(l.DetachCurrent(), nullptr);
}

TEST(ObjList, RemoveDestroysDetachHandsBack) {
    int deaths = 0;
    CObjList l;
    for (int i = 1; i <= 4; ++i)
        l.AddTail(new TestNode(i, &deaths));
    l.SetCursor(l.Head()->Next());  // 2
    EXPECT_EQ(Id(l.RemoveCurrent()), 3);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(Ids(l), (std::vector<int>{1, 3, 4}));

    l.SetCursor(l.Tail());
    CObjNode* d = l.DetachCurrent();
    EXPECT_EQ(Id(d), 4);
    EXPECT_EQ(d->Owner(), nullptr);
    EXPECT_EQ(deaths, 1);
    delete d;

    l.RemoveAll();
    EXPECT_EQ(deaths, 4);
    EXPECT_EQ(l.GetCount(), 0);
    EXPECT_EQ(l.Head(), nullptr);
}

TEST(ObjList, DestroyingALinkedNodeOrTheListLeavesNothingDangling) {
    TestNode keep(9);
    {
        CObjList l;
        auto* n = new TestNode(1);
        l.AddTail(n);
        l.AddTail(&keep);
        delete n;  // unlinks itself
        EXPECT_EQ(Ids(l), (std::vector<int>{9}));
    }  // the list detaches what is left without destroying it
    EXPECT_EQ(keep.Owner(), nullptr);
    EXPECT_EQ(keep.id, 9);
}

TEST(PtrTable, SetAtAddNextAndSearchOrder) {
    int v[8];
    CPtrTable t;
    t.SetSize(5);
    EXPECT_EQ(t.SetAt(3, &v[0]), 3);
    EXPECT_EQ(t.SetAt(3, &v[1]), -1);  // taken: left alone
    EXPECT_EQ(t.GetAt(3), &v[0]);
    EXPECT_EQ(t.GetHighWater(), 4);
    // AddNext searches from index 1; slot 0 is never handed out by it.
    EXPECT_EQ(t.AddNext(&v[1]), 1);
    EXPECT_EQ(t.AddNext(&v[2]), 2);
    EXPECT_EQ(t.AddNext(&v[3]), 4);
    EXPECT_EQ(t.GetHighWater(), 5);
    EXPECT_EQ(t.AddNext(&v[4]), 0);  // full
    EXPECT_EQ(t.GetCount(), 4);
    t.RemoveAt(2);
    t.RemoveAt(2);  // already free: the count does not drift
    EXPECT_EQ(t.GetCount(), 3);
    EXPECT_EQ(t.AddNext(&v[5]), 2);
    EXPECT_EQ(t.GetAs<int>(2), &v[5]);
    EXPECT_EQ(t.SetAt(0, &v[6]), 0);  // SetAt may use slot 0
    t.RemoveAll();
    EXPECT_EQ(t.GetCount(), 0);
    EXPECT_EQ(t.GetHighWater(), 0);
    EXPECT_EQ(t.GetAt(3), nullptr);
}

TEST(PtrTable, OutOfRangeAndNullAreRefused) {
    int v;
    CPtrTable t(4);
    for (int i : {-1, 4, 100000})
        EXPECT_EQ(t.SetAt(i, &v), -1) << i;
    EXPECT_EQ(t.SetAt(1, nullptr), -1);
    EXPECT_EQ(t.AddNext(nullptr), 0);
    EXPECT_EQ(t.GetAt(-1), nullptr);
    EXPECT_EQ(t.GetAt(4), nullptr);
    t.RemoveAt(-1);
    t.RemoveAt(4);
    EXPECT_EQ(t.GetCount(), 0);
    EXPECT_EQ(t.GetHighWater(), 0);
    t.SetSize(0);
    EXPECT_EQ(t.AddNext(&v), 0);
}

TEST(PairList, BlocksHandOutNodesInAddressOrder) {
    CPairList l(3);
    CPairList::Node* n0 = l.AddTail(1, 10);
    CPairList::Node* n1 = l.AddTail(2, 20);
    CPairList::Node* n2 = l.AddTail(3, 30);
    EXPECT_EQ(n1, n0 + 1);
    EXPECT_EQ(n2, n0 + 2);
    CPairList::Node* n3 = l.AddTail(4, 5);  // a second block
    EXPECT_EQ(l.GetCount(), 4);
    EXPECT_EQ(l.GetAt(0), n0);
    EXPECT_EQ(l.GetAt(3), n3);
    EXPECT_EQ(l.GetAt(4), nullptr);
    EXPECT_EQ(l.GetAt(-1), nullptr);

    l.RemoveNode(n1);
    EXPECT_EQ(l.GetAt(1), n2);
    EXPECT_EQ(n0->next, n2);
    EXPECT_EQ(n2->prev, n0);
    EXPECT_EQ(l.AddTail(7, 70), n1);  // freed node is reused first
    EXPECT_EQ(l.Tail(), n1);
}

TEST(PairList, FindExtremeFirstWinsTies) {
    CPairList l(4);
    EXPECT_EQ(l.FindExtreme(0), nullptr);
    CPairList::Node* a = l.AddTail(0, 5);
    CPairList::Node* b = l.AddTail(1, 9);
    l.AddTail(2, 5);
    l.AddTail(3, 9);
    EXPECT_EQ(l.FindExtreme(0), a);
    EXPECT_EQ(l.FindExtreme(1), b);
}

TEST(PairList, EmptyingFreesBlocksAndStartsOver) {
    CPairList l(2);
    CPairList::Node* a = l.AddTail(1, 1);
    CPairList::Node* b = l.AddTail(2, 2);
    l.RemoveNode(a);
    l.RemoveNode(b);
    EXPECT_EQ(l.GetCount(), 0);
    EXPECT_EQ(l.Head(), nullptr);
    EXPECT_EQ(l.Tail(), nullptr);
    CPairList::Node* c = l.AddTail(3, 3);
    EXPECT_EQ(c->a, 3);
    EXPECT_EQ(l.Head(), c);
    l.RemoveAll();
    EXPECT_EQ(l.GetCount(), 0);
}

TEST(SlotTable60, SetAtFindFreeAndClear) {
    CSlotTable60 t;
    EXPECT_EQ(t.m_EmptyValue, -1);
    EXPECT_EQ(t.m_Values[59], -1);
    EXPECT_EQ(t.SetAt(0, 100), 1);
    EXPECT_EQ(t.SetAt(0, 101), 0);
    EXPECT_EQ(t.m_Values[0], 100);
    EXPECT_EQ(t.SetAt(60, 1), 0);
    EXPECT_EQ(t.SetAt(-1, 1), 0);
    EXPECT_EQ(t.m_Count, 1);
    EXPECT_EQ(t.FindFree(), 1);

    // From the cursor to 59, then wrapping to 0; the cursor stays.
    t.m_Cursor = 58;
    EXPECT_EQ(t.SetAt(58, 1), 1);
    EXPECT_EQ(t.FindFree(), 59);
    EXPECT_EQ(t.SetAt(59, 1), 1);
    EXPECT_EQ(t.FindFree(), 1);
    EXPECT_EQ(t.m_Cursor, 58);
    for (int i = 0; i < 60; ++i)
        t.SetAt(i, i);
    EXPECT_EQ(t.m_Count, 60);
    EXPECT_EQ(t.FindFree(), -1);

    t.SetEmptyValue(7);
    EXPECT_EQ(t.m_Count, 0);
    EXPECT_EQ(t.m_Cursor, 0);
    EXPECT_EQ(t.m_Values[30], 7);
    EXPECT_EQ(t.m_Used[30], 0);
}

TEST(SlotTable60, ExResetsItsExtrasThroughTheVirtualSlots) {
    CSlotTable60Ex t;
    EXPECT_EQ(t.m_Extra1, -1);
    EXPECT_EQ(t.m_ExtraB[59], -1);
    t.m_Extra1 = 3;
    t.m_Extra2 = 4;
    t.m_ExtraA[5] = 5;
    t.m_ExtraB[6] = 6;
    t.SetAt(2, 9);
    CSlotTable60& base = t;
    base.Clear();
    EXPECT_EQ(t.m_Extra1, -1);
    EXPECT_EQ(t.m_Extra2, -1);
    EXPECT_EQ(t.m_ExtraA[5], -1);
    EXPECT_EQ(t.m_ExtraB[6], -1);
    EXPECT_EQ(t.m_Count, 0);
    t.m_ExtraA[0] = 1;
    base.SetEmptyValue(0);
    EXPECT_EQ(t.m_ExtraA[0], -1);
    EXPECT_EQ(t.m_Values[2], 0);
}

} // namespace
