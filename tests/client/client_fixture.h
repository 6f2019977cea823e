#pragma once
// The client on a small running game: the scenario runner's fixture game,
// started and stepped once, so the host's client has attached the "Start"
// world. Tests hand the client packets built with the codec; with the
// loading flag cleared every packet applies to that world.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "client/client_hooks.h"
#include "client/recording_client.h"
#include "core/packet.h"
#include "platform/debug.h"
#include "roles/role.h"
#include "scenario/scenario.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"

namespace clienttest {

class ClientTest : public scenario::ScenarioTest {
protected:
    void SetUp() override {
        m_Hooks = g_ClientHooks;
        ASSERT_TRUE(run.Start());
        run.Tick();
        ASSERT_NE(Client(), nullptr);
        ASSERT_NE(Client()->m_pWorld, nullptr);
        plat::ClearDebugCapture();
    }
    void TearDown() override {
        g_ClientHooks = m_Hooks;
        scenario::ScenarioTest::TearDown();
    }
    CRecordingClient* Client() { return run.Client(); }
    void Hand(const std::vector<uint8_t>& bytes) {
        Client()->HandlePacket(bytes.data(), static_cast<int>(bytes.size()));
    }
    void Text(const std::string& line) { Hand(WritePacket(TextFields(line))); }
    static PacketFields TextFields(const std::string& line) {
        PacketFields f;
        f.type = kPacketText;
        f.text = line;
        return f;
    }
    // A role appears at pixel (x, y) under handle `h` (model 2, the melee
    // fighter, unless given).
    void Appear(uint32_t h, int x, int y, int model = 2, int camp = 0) {
        PacketFields f;
        f.type = kPacketRole;
        f.sub = 0;
        f.handle = h;
        f.id = model;
        f.x = x;
        f.y = y;
        f.camp = camp;
        Hand(WritePacket(f));
    }
    CRole* RoleAt(uint32_t h) {
        Client()->m_pWorld->MakeCurrent();
        CGameObj* obj = Client()->m_pWorld->m_pHandles->Resolve16(static_cast<uint16_t>(h));
        return obj ? dynamic_cast<CRole*>(obj) : nullptr;
    }
    int DebugLinesWith(const std::string& part) {
        int n = 0;
        for (const std::string& line : plat::DebugCaptured())
            if (line.find(part) != std::string::npos) ++n;
        return n;
    }
    CClientHooks m_Hooks;
};

} // namespace clienttest
