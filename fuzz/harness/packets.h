#pragma once
// Packets: one input is a loading flag (bit 0 of byte 0) and then a
// recorded packet stream (u32 length, body; markers skipped, a length past
// the end cut to what is left). A recording client on a small world (a
// 12 x 12 map, two bare roles at handles 0x0101 and 0x8102) handles every
// body in a heap buffer of exactly its length, so a read past a packet's
// end shows under the sanitizers, then steps once.
#include <cstdint>
#include <cstring>
#include <vector>

#include "client/recording_client.h"
#include "roles/role.h"
#include "world/objects/handle_table.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"

namespace fuzzharness {

inline int RunPackets(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const bool s_hooks = [] {
        InstallRoleHooks();
        return true;
    }();
    (void)s_hooks;
    CWorld world;
    world.MakeCurrent();
    world.m_MapGrid.Create(12, 12);
    CRole a, b;
    a.m_Kind = 31;
    b.m_Kind = 60;
    a.m_X = b.m_X = 5 * 64 + 32;
    a.m_Y = b.m_Y = 5 * 64 + 32;
    a.m_Handle = world.m_pHandles->Attach(&a, 0x0101);
    b.m_Handle = world.m_pHandles->Attach(&b, 0x8102);
    int handled = 0;
    {
        CRecordingClient client;
        client.SetLoading(data[0] & 1);
        client.m_pWorld = &world;
        size_t at = 1;
        while (at + 4 <= size && handled < 4096) {
            uint32_t n = 0;
            std::memcpy(&n, data + at, 4);
            at += 4;
            if (n > size - at) n = static_cast<uint32_t>(size - at);
            std::vector<uint8_t> body(data + at, data + at + n);
            at += n;
            if (!body.empty() && body[0] == 0x40) continue;
            client.HandlePacket(body.empty() ? nullptr : body.data(), static_cast<int>(n));
            ++handled;
        }
        client.Step();
        world.MakeCurrent();
    }
    world.m_pHandles->Free(a.m_Handle, &a);
    world.m_pHandles->Free(b.m_Handle, &b);
    return handled > 0 ? 1 : 0;
}

} // namespace fuzzharness
