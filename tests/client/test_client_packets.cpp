// What the client does with each server packet, and with malformed ones.
#include "client/client_fixture.h"

#include "client/selection.h"
#include "host/game_host.h"
#include "world/objects/game_obj.h"
#include "world/scene/world.h"

namespace clienttest {

namespace {

std::vector<int> g_Timer;
std::vector<int> g_Banner;

} // namespace

TEST_F(ClientTest, TheJoinAttachedTheScenesWorldAndMadeTheOwnRoleTheSelections) {
    CRecordingClient* c = Client();
    EXPECT_EQ(c->IsActive(), 1);
    EXPECT_EQ(c->m_pWorld, run.Scene()->m_pWorld) << "loading: the server scene's own world";
    ASSERT_NE(g_Selection, nullptr);
    EXPECT_EQ(g_Selection->GetRole(), run.Hero());
    EXPECT_EQ(g_Client, c);
}

TEST_F(ClientTest, TextLinesNameTheNextRoleOnlyAndBlanksRunTogether) {
    Client()->SetLoading(0);
    Text("pic   shown  part");
    Appear(0x0101, 5 * 64 + 32, 6 * 64 + 32, 2, 10001);
    CRole* a = RoleAt(0x0101);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->m_Name, "shown");
    EXPECT_STREQ(a->GetPictureName(), "pic");
    EXPECT_EQ(a->m_Camp, 10001);
    EXPECT_EQ(a->m_X / 64, 5);
    EXPECT_EQ(Client()->GetTextCount(), 0) << "the packet used the line up";
    Appear(0x0102, 6 * 64 + 32, 6 * 64 + 32);
    CRole* b = RoleAt(0x0102);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->m_Name, "") << "no new line, no names";
    EXPECT_STREQ(b->GetPictureName(), "");
}

TEST_F(ClientTest, AnAppearanceAtAHandleInUseUpdatesThatRoleInsteadOfADuplicate) {
    Client()->SetLoading(0);
    Appear(0x0101, 5 * 64 + 32, 6 * 64 + 32, 2, 1);
    CRole* a = RoleAt(0x0101);
    ASSERT_NE(a, nullptr);
    const int roles = Client()->m_pWorld->m_ObjMng.m_Roles.GetCount();
    Text("pic again");
    Appear(0x0101, 7 * 64 + 32, 6 * 64 + 32, 2, 20002);
    EXPECT_EQ(Client()->m_pWorld->m_ObjMng.m_Roles.GetCount(), roles);
    EXPECT_EQ(RoleAt(0x0101), a);
    EXPECT_EQ(a->m_Camp, 20002);
    EXPECT_EQ(a->m_Name, "again");
}

TEST_F(ClientTest, WhileLoadingOnlyJoinWeatherNoticesAndDeactivationPass) {
    Client()->SetLoading(0);
    Appear(0x0101, 5 * 64 + 32, 6 * 64 + 32);
    Client()->SetLoading(1);
    Text("dropped too");
    EXPECT_EQ(Client()->GetTextCount(), 0) << "text is the server's too";
    Client()->AddTextLine("kept");
    PacketFields remove;
    remove.type = kPacketObjRemove;
    remove.handle = 0x0101;
    Hand(WritePacket(remove));
    EXPECT_NE(RoleAt(0x0101), nullptr) << "a removal is the server's to apply while loading";
    EXPECT_EQ(Client()->GetTextCount(), 1) << "a dropped packet leaves the lines";
    g_ClientHooks.setTimer = [](int s) { g_Timer.push_back(s); };
    g_Timer.clear();
    PacketFields timer;
    timer.type = kPacketReset;
    timer.sub = kNoticeTimer;
    timer.value = -1;
    Hand(WritePacket(timer));
    EXPECT_EQ(g_Timer, std::vector<int>{-1}) << "negative, sign-extended";
    EXPECT_EQ(Client()->GetTextCount(), 0);
    PacketFields off;
    off.type = kPacketLeaveAck;
    off.sub = 1;
    Hand(WritePacket(off));
    EXPECT_EQ(Client()->IsActive(), 0);
}

TEST_F(ClientTest, ARemovalWhoseGenerationBitDiffersRemovesNothing) {
    Client()->SetLoading(0);
    Appear(0x0101, 5 * 64 + 32, 6 * 64 + 32);
    CRole* a = RoleAt(0x0101);
    ASSERT_NE(a, nullptr);
    PacketFields f;
    f.type = kPacketObjRemove;
    f.handle = 0x8101;
    Hand(WritePacket(f));
    EXPECT_EQ(a->m_Removed, 0);
    f.handle = 0x0101;
    Hand(WritePacket(f));
    EXPECT_NE(a->m_Removed, 0);
}

TEST_F(ClientTest, RoleSubCommandsReachTheRole) {
    Client()->SetLoading(0);
    Appear(0x0101, 5 * 64 + 32, 6 * 64 + 32);
    CRole* a = RoleAt(0x0101);
    ASSERT_NE(a, nullptr);
    PacketFields f;
    f.type = kPacketRoleState;
    f.handle = 0x0101;
    f.sub = kRoleSubCamp;
    f.value = 20002;
    Hand(WritePacket(f));
    EXPECT_EQ(a->m_Camp, 20002);
    PacketFields s;
    s.type = kPacketStateCode;
    s.handle = 0x0101;
    s.value = 3 + 128;
    Hand(WritePacket(s));
    EXPECT_NE(a->HasState(3), 0);
    s.value = 3;
    Hand(WritePacket(s));
    EXPECT_EQ(a->HasState(3), 0);
}

TEST_F(ClientTest, VersusBannerGetsTheSignedValue) {
    g_ClientHooks.showVersusBanner = [](int on) { g_Banner.push_back(on); };
    g_Banner.clear();
    PacketFields f;
    f.type = kPacketReset;
    f.sub = kNoticeVersus;
    f.value = 1;
    Hand(WritePacket(f));
    f.sub = 20;
    Hand(WritePacket(f));
    EXPECT_EQ(g_Banner, std::vector<int>{1}) << "other sub-types are ignored";
}

// ---------------------------------------------------------------- faults

TEST_F(ClientTest, PacketsShorterThanTheirLayoutAreDroppedWithADebuggerLine) {
    Client()->SetLoading(0);
    Appear(0x0101, 5 * 64 + 32, 6 * 64 + 32);
    const struct {
        std::vector<uint8_t> bytes;
    } cases[] = {
        {{2, 0x01}},                       // removal cut after one handle byte
        {{1, 0x01, 0x01}},                 // no sub-type byte
        {{1, 0x01, 0x01, 0, 2, 0}},        // an appearance cut short
        {{3, 0x01, 0x01, 101, 0x11}},      // camp without its high byte
        {{4, 0x01, 0x01, 0, 0, 0, 0}},     // cell
        {{14, 57, 0xFF}},                  // timer
        {{1, 0x01, 0x01, 2}},              // 1/2: no layout at all
        {{3, 0x01, 0x01, 151}},            // 3/151
        {{99, 0, 0, 0}},                   // no such type
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        Text("line");
        plat::ClearDebugCapture();
        // A heap copy of exactly that size, so a read past it shows under
        // the sanitizers.
        std::vector<uint8_t> exact(c.bytes);
        Client()->HandlePacket(exact.data(), static_cast<int>(exact.size()));
        EXPECT_EQ(DebugLinesWith("dropped"), 1);
        EXPECT_EQ(Client()->GetTextCount(), 0) << "dropped like an ignored packet";
    }
    CRole* a = RoleAt(0x0101);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->m_Removed, 0);
    EXPECT_EQ(a->m_Camp, 0);
}

TEST_F(ClientTest, ATextPacketWithoutItsNulIsRefused) {
    Client()->SetLoading(0);
    const std::vector<uint8_t> cut{10, 'a', 'b', 'c'};
    Hand(cut);
    EXPECT_EQ(Client()->GetTextCount(), 0);
    EXPECT_EQ(DebugLinesWith("dropped"), 1);
    Hand({10, 'a', 'b', 0, 'z'});
    ASSERT_EQ(Client()->GetTextCount(), 1);
    EXPECT_STREQ(Client()->GetTextLine(0), "ab") << "up to the NUL, inside the length";
}

TEST_F(ClientTest, SpriteSetAndSceneBuildWithoutALineAreIgnored) {
    Client()->SetLoading(0);
    Appear(0x0101, 5 * 64 + 32, 6 * 64 + 32);
    CWorld* before = Client()->m_pWorld;
    PacketFields sprite;
    sprite.type = kPacketRoleState;
    sprite.sub = kRoleSubSprite;
    sprite.handle = 0x0101;
    Hand(WritePacket(sprite));
    PacketFields build;
    build.type = kPacketLeaveAck;
    build.sub = 2;
    Hand(WritePacket(build));
    EXPECT_EQ(Client()->m_pWorld, before) << "no scene named, nothing built";
}

TEST_F(ClientTest, ReceiveHandlesEachPendingLineOnceThenThePacket) {
    Client()->SetLoading(0);
    Client()->m_Received.clear();
    Client()->AddTextLine("pic1 first");
    Client()->AddTextLine("second");
    PacketFields f;
    f.type = kPacketRole;
    f.sub = 0;
    f.handle = 0x0103;
    f.id = 2;
    f.x = 5 * 64 + 32;
    f.y = 5 * 64 + 32;
    const std::vector<uint8_t> bytes = WritePacket(f);
    Client()->Send(bytes.data(), 0);
    ASSERT_EQ(Client()->m_Received.size(), 1u);
    EXPECT_EQ(Client()->m_Received[0].textBefore, (std::vector<std::string>{"pic1 first", "second"}))
        << "each line once, in order";
    EXPECT_EQ(Client()->GetTextCount(), 0);
    CRole* r = RoleAt(0x0103);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->m_Name, "first") << "line 0 names the role";
}

TEST_F(ClientTest, ADeactivatedClientLeavesTheSelectionAndTheHostUnpaused) {
    g_GameHost.SetPaused(1);
    Client()->SetActive(0);
    EXPECT_EQ(g_GameHost.m_Paused, 0) << "deactivation unpauses the host";
    EXPECT_EQ(Client()->Draw(nullptr), 0);
}

TEST_F(ClientTest, TheOwnRoleGoneShowsTheMessagePanelOnce) {
    static int shown = 0;
    shown = 0;
    g_ClientHooks.showMessagePanel = [] { ++shown; };
    g_ClientHooks.isMessagePanelShown = [] { return 0; };
    Client()->Step();
    EXPECT_EQ(g_OwnRolePresent, 1);
    Client()->m_RoleHandle = 0x7001;  // resolves to nothing
    Client()->Step();
    Client()->Step();
    EXPECT_EQ(shown, 1);
}

} // namespace clienttest
