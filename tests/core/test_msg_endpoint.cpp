#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/msg_endpoint.h"
#include "core/msg_lists.h"

namespace {

// Records what the endpoint sends.
class RecordingEndpoint : public CMsgEndpoint {
public:
    void Send(const uint8_t* packet, int target) override {
        sent.emplace_back(packet, packet + GetPacketLength(packet));
        targets.push_back(target);
        textAtSend.push_back(GetTextCount());
    }
    std::vector<std::vector<uint8_t>> sent;
    std::vector<int> targets;
    std::vector<int> textAtSend;
};

struct FakeObj {
    int kind = 11;
    int active = 1;
    uint8_t state = 0;
    int fixed = -1;
};

class FakeObjects : public CEndpointObjects {
public:
    int GetKind(CWorld*, uint32_t h) override { return objs.count(h) ? objs[h].kind : -1; }
    int IsActive(CWorld*, uint32_t h) override { return objs[h].active; }
    uint8_t GetState(CWorld*, uint32_t h) override { return objs[h].state; }
    void SetFixedHandle(CWorld*, uint32_t h, int on) override { objs[h].fixed = on; }
    int GetRoleAppear(uint32_t h, RoleAppearFields* f, std::string* pic, std::string* name,
                      std::string* part) override {
        if (!roles.count(h)) return 0;
        *f = roles[h];
        *pic = "pic";
        *name = "\xC4\xE3";  // GBK
        *part = "p1";
        return 1;
    }
    void SetRoleFixedHandle(uint32_t h, int on) override { roleFixed[h] = on; }
    void SendRoleStates(uint32_t h, CMsgEndpoint*, int target, int direct) override {
        stateCalls.push_back({static_cast<int>(h), target, direct});
    }
    std::map<uint32_t, FakeObj> objs;
    std::map<uint32_t, RoleAppearFields> roles;
    std::map<uint32_t, int> roleFixed;
    std::vector<std::vector<int>> stateCalls;
};

class EndpointTest : public ::testing::Test {
protected:
    void SetUp() override { g_EndpointObjects = &objects; }
    void TearDown() override { g_EndpointObjects = nullptr; }
    FakeObjects objects;
    RecordingEndpoint ep;
};

TEST_F(EndpointTest, TextLines) {
    EXPECT_EQ(ep.m_Id, -1);
    EXPECT_EQ(ep.m_pWorld, nullptr);
    EXPECT_EQ(ep.IsTextEmpty(), 1);
    ep.AddTextLine("one");
    ep.AddTextLine(nullptr);
    EXPECT_EQ(ep.GetTextCount(), 2);
    EXPECT_EQ(ep.IsTextEmpty(), 0);
    EXPECT_STREQ(ep.GetTextLine(0), "one");
    EXPECT_STREQ(ep.GetTextLine(1), "");
    EXPECT_EQ(ep.GetTextLine(2), nullptr);
    EXPECT_EQ(ep.GetTextLine(-1), nullptr);
    ep.ClearTextLines();
    EXPECT_EQ(ep.IsTextEmpty(), 1);
}

TEST_F(EndpointTest, RemovalOfAGoneObjectIsStillSent) {
    ep.SendObjRemove(0x10005, 4);
    ASSERT_EQ(ep.sent.size(), 1u);
    EXPECT_EQ(ep.sent[0], (std::vector<uint8_t>{2, 0x05, 0x00}));
    EXPECT_EQ(ep.targets[0], 4);
    // Without the world's objects installed nothing resolves either.
    g_EndpointObjects = nullptr;
    ep.SendObjRemove(7, 1);
    EXPECT_EQ(ep.sent.size(), 2u);
}

TEST_F(EndpointTest, RemovalOfAnInactiveObjectOnlyClearsItsFlag) {
    objects.objs[9] = FakeObj{11, 0, 0, 1};
    ep.SendObjRemove(9, 1);
    EXPECT_TRUE(ep.sent.empty());
    EXPECT_EQ(objects.objs[9].fixed, 0);
    objects.objs[9].active = 1;
    ep.SendObjRemove(9, 1);
    EXPECT_EQ(ep.sent.size(), 1u);
}

TEST_F(EndpointTest, StateOnlyForMechanismsAndPortals) {
    objects.objs[1] = FakeObj{11, 1, 5, -1};
    objects.objs[2] = FakeObj{12, 1, 6, -1};
    objects.objs[3] = FakeObj{13, 1, 7, -1};
    ep.SendObjState(1, 0);
    EXPECT_TRUE(ep.sent.empty()) << "a plain building sends nothing";
    EXPECT_EQ(objects.objs[1].fixed, -1);
    ep.SendObjState(2, 0);
    ep.SendObjState(3, 0);
    ep.SendObjState(99, 0);
    ASSERT_EQ(ep.sent.size(), 2u);
    EXPECT_EQ(ep.sent[0], (std::vector<uint8_t>{7, 2, 0, 6}));
    EXPECT_EQ(ep.sent[1], (std::vector<uint8_t>{7, 3, 0, 7}));
    EXPECT_EQ(objects.objs[2].fixed, 1);
}

TEST_F(EndpointTest, RoleAppearAddsItsLineBeforeThePacketAndThenTheStates) {
    RoleAppearFields f;
    f.descId = 3;
    f.x = 100;
    f.camp = 2;
    objects.roles[0x10007] = f;
    ep.m_SendMode = 0;
    ep.SendRoleAppear(0x10007, 5);
    ASSERT_EQ(ep.sent.size(), 1u);
    EXPECT_EQ(ep.textAtSend[0], 1) << "the line waits ahead of the packet";
    EXPECT_STREQ(ep.GetTextLine(0), "pic \xC4\xE3 p1");
    EXPECT_EQ(ep.sent[0][1], 0x07);
    EXPECT_EQ(ep.sent[0][2], 0x00) << "only the low 16 bits of the handle";
    EXPECT_EQ(ep.sent[0][4], 3);
    EXPECT_EQ(objects.roleFixed[0x10007], 1);
    ASSERT_EQ(objects.stateCalls.size(), 1u);
    EXPECT_EQ(objects.stateCalls[0], (std::vector<int>{0x10007, 5, 0}));

    ep.m_SendMode = 1;
    ep.SendRoleAppear(0x10007, 5);
    EXPECT_EQ(objects.stateCalls[1][2], 1) << "direct to the client";

    ep.SendRoleAppear(12345, 5);
    EXPECT_EQ(ep.sent.size(), 2u) << "no role, nothing happens";
}

TEST(MsgLists, PostedBytesAreCopiesInPostingOrder) {
    g_ClientMsgList.RemoveAll();
    g_ServerCmdList.RemoveAll();
    uint8_t buf[4] = {7, 1, 0, 2};
    PostClientMessage(buf, 4);
    buf[3] = 9;  // the sender may reuse its buffer at once
    PostClientMessage(buf, 2);
    PostClientMessage(nullptr, 3);
    PostClientMessage(buf, 0);
    ASSERT_EQ(g_ClientMsgList.GetCount(), 2);
    auto* a = static_cast<CClientMsgNode*>(g_ClientMsgList.Head());
    auto* b = static_cast<CClientMsgNode*>(a->Next());
    EXPECT_EQ(std::vector<uint8_t>(a->m_pData, a->m_pData + a->m_Length), (std::vector<uint8_t>{7, 1, 0, 2}));
    EXPECT_EQ(b->m_Length, 2);

    std::string text = "#CreateClient 1 2 3";
    PostServerCommand(text.c_str(), 4);
    text[0] = 'X';
    auto* c = static_cast<CServerCmdNode*>(g_ServerCmdList.Head());
    EXPECT_EQ(c->m_Text, "#CreateClient 1 2 3");
    EXPECT_EQ(c->m_Sender, 4);
    g_ClientMsgList.RemoveAll();
    g_ServerCmdList.RemoveAll();
}

TEST(MsgLists, LockIsReentrantForItsThread) {
    plat::LockGuard outer(g_MsgListLock);
    uint8_t p[3] = {2, 1, 0};
    PostClientMessage(p, 3);  // takes the lock again: must not deadlock
    EXPECT_EQ(g_ClientMsgList.GetCount(), 1);
    g_ClientMsgList.RemoveAll();
}

} // namespace
