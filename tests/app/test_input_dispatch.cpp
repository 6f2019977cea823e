// The input-message dispatcher and the keyboard snapshot.
#include <gtest/gtest.h>

#include <vector>

#include "core/key_state.h"
#include "core/msg_dispatcher.h"
#include "platform/input.h"

namespace {

std::vector<int> g_calls;

struct Probe : CMsgHandler {
    Probe(int id, int priority, int result = 1) : id(id), result(result) { m_Priority = priority; }
    int OnMessage(uint32_t message, uint32_t, uint32_t) override {
        g_calls.push_back(id);
        if (stopPass) dispatcher->StopPass();
        if (consume) dispatcher->SetConsumed(1);
        (void)message;
        return result;
    }
    int id;
    int result;
    bool stopPass = false;
    bool consume = false;
    CMsgDispatcher* dispatcher = nullptr;
};

TEST(MsgDispatcher, PriorityOrderAndUnlinkOnZero) {
    g_calls.clear();
    CMsgDispatcher d;
    Probe a(5, 5), b(-1, -1), c(3, 3), e(30, 3, 0), f(31, 3);
    for (Probe* p : {&a, &b, &c, &e, &f}) d.AddHandler(p);
    d.Send(1, 0, 0);
    // 3-priority handlers keep their registration order; the one that
    // returned 0 is unlinked but the next one is still called.
    EXPECT_EQ(g_calls, (std::vector<int>{3, 30, 31, 5, -1}));
    EXPECT_FALSE(e.IsLinked());
    g_calls.clear();
    d.Send(0, 0, 0);
    EXPECT_EQ(g_calls, (std::vector<int>{3, 31, 5, -1}));
    EXPECT_EQ(d.Layer(0).count, 4);
    CMsgDispatcher::RemoveHandler(&a);
    CMsgDispatcher::RemoveHandler(&b);
    CMsgDispatcher::RemoveHandler(&c);
    CMsgDispatcher::RemoveHandler(&f);
}

TEST(MsgDispatcher, QueuedMessagesHonourCaptureConsumeAndStop) {
    g_calls.clear();
    CMsgDispatcher d;
    Probe a(1, 1), b(2, 2), c(3, 3);
    for (Probe* p : {&a, &b, &c}) {
        p->dispatcher = &d;
        d.AddHandler(p);
    }
    d.DispatchQueued();  // empty queue: nothing
    EXPECT_TRUE(g_calls.empty());

    a.consume = true;
    d.Post(513, 0, 0);     // a mouse button stops when consumed
    d.Post(0x100, 0, 0);   // other messages ignore the consumed flag
    d.DispatchQueued();
    EXPECT_EQ(g_calls, (std::vector<int>{1, 1, 2, 3}));
    EXPECT_EQ(d.QueuedCount(), 0u);

    g_calls.clear();
    a.consume = false;
    b.stopPass = true;
    d.Post(0x100, 0, 0);
    d.DispatchQueued();
    EXPECT_EQ(g_calls, (std::vector<int>{1, 2}));

    g_calls.clear();
    b.stopPass = false;
    d.SetCapture(&c);
    d.Post(514, 0, 0);   // captured: only the capturing handler
    d.Post(0x200, 0, 0); // not a button message: everyone
    d.DispatchQueued();
    EXPECT_EQ(g_calls, (std::vector<int>{3, 1, 2, 3}));
    d.SetCapture(nullptr);
}

TEST(MsgDispatcher, ActivateRegistersWithTheGlobalDispatcherAndDestructorUnlinks) {
    g_calls.clear();
    {
        Probe p(7, -1);
        p.Activate();
        EXPECT_TRUE(p.IsLinked());
        g_MsgDispatcher.Send(1, 0, 0);
        p.Deactivate();
        g_MsgDispatcher.Send(1, 0, 0);
        p.Activate();
    }
    g_MsgDispatcher.Send(1, 0, 0);  // the destroyed handler is gone
    EXPECT_EQ(g_calls, (std::vector<int>{7}));
}

TEST(KeyState, NewPressOnlyInTheFirstSnapshotAndAfterLatch) {
    plat::ResetInput();
    CKeyState k;
    plat::SetKeyDown('Q', true);
    k.Snapshot();
    EXPECT_TRUE(k.IsNewPress('Q'));
    k.Snapshot();
    EXPECT_TRUE(k.IsDown('Q'));
    EXPECT_FALSE(k.IsNewPress('Q'));
    k.Snapshot();
    EXPECT_FALSE(k.IsNewPress('Q'));
    plat::SetKeyDown('Q', false);
    k.Snapshot();
    plat::SetKeyDown('W', true);
    k.Snapshot();
    EXPECT_TRUE(k.IsNewPress('W'));
    EXPECT_EQ(k.LatchDownKeys(), 256);
    EXPECT_FALSE(k.IsNewPress('W'));
    EXPECT_EQ(k.m_Keys[static_cast<int>('W')], 0x81) << "state bytes as read";
    plat::ResetInput();
}

} // namespace
