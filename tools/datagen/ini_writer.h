#pragma once
// Writer of key=value files. Plain form: "key=value" lines ending in CR LF
// (what the game's own text-mode writer leaves on disk). Scrambled form: the
// marker byte 0x80, then the plain text with LF line ends, every byte XORed
// with kIniScrambleKey (the same constant the game's reader uses).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace datagen {

constexpr uint8_t kIniScrambleKey = 0xA5;
constexpr uint8_t kIniScrambleMarker = 0x80;

using KeyValues = std::vector<std::pair<std::string, std::string>>;

// "key=value" + eol for each pair, in order.
std::string BuildIniText(const KeyValues& pairs, const std::string& eol = "\r\n");
// Marker byte, then every byte of `plain` XORed with the key.
std::string ScrambleIni(const std::string& plain);
// Plain: CR LF lines. Scrambled: LF lines, scrambled.
std::string BuildIni(const KeyValues& pairs, bool scrambled);
// `path` is native.
bool WriteIni(const std::string& path, const KeyValues& pairs, bool scrambled);

} // namespace datagen
