#pragma once
// The client's recorded packet stream: records of {u32 length n, n bytes},
// each body a packet as the client handled it or a 6-byte marker {0x40,
// kind, u32 value} (kind 0 the game tick, 5 the viewer id). Packets are
// laid out here by hand, apart from the game's codec.
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

std::string BuildPacketStream(const std::vector<std::vector<uint8_t>>& bodies);
std::vector<uint8_t> StreamMarker(uint8_t kind, uint32_t value);

// A few packets by hand, as the server writes them.
std::vector<uint8_t> PacketText(const std::string& text);
std::vector<uint8_t> PacketAppear(uint16_t handle, uint16_t model, uint16_t x, uint16_t y, uint16_t camp);
std::vector<uint8_t> PacketJoin(uint16_t handle, uint16_t scene, uint8_t weather, uint16_t ticks);
std::vector<uint8_t> PacketRoleSub(uint16_t handle, uint8_t sub, uint16_t value);
std::vector<uint8_t> PacketCell(uint16_t handle, uint16_t x, uint16_t y, uint16_t cx, uint16_t cy, uint8_t speed);

} // namespace datagen
