#pragma once
// Test-side reading of the server-to-client packets through the game's one
// codec (core/packet.h, whose layouts its own tests pin byte by byte):
// every byte of a packet shows in its decoded line, so comparing lines
// compares bytes, and a failure reads as field names.
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// One packet: "join h=5 scene=0 ...", "appear ...", "remove h=..", "motion
// h=.. m=..", "death h=.. mode=..", "cell h=.. x=.. y=.. cx=.. cy=.. speed=..", "text \"...\"",
// ...; a length that does not fit its type decodes as "bad ...".
std::string DecodePacket(const std::vector<uint8_t>& bytes);
std::vector<std::string> DecodePackets(const std::vector<std::vector<uint8_t>>& packets);

// Byte builders for the expected side of a test.
std::vector<uint8_t> JoinBytes(uint16_t handle, uint16_t scene, uint16_t ambient, uint8_t night, uint8_t day,
                               uint8_t column6, uint8_t weather, uint16_t countdown);
std::vector<uint8_t> ClockBytes(uint16_t year, uint8_t month, uint8_t day, uint8_t hour, uint16_t tick);

} // namespace testsupport
