#pragma once
// GBK text helpers. Game text is GBK bytes in std::string; it becomes
// Unicode only at the platform edge. Case folding touches ASCII letters only
// and never the trail byte of a double-byte character.
#include <string>
#include <string_view>

namespace plat {

inline bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Conversions through iconv. Invalid sequences become U+FFFD / '?' rather
// than failing, so a bad byte never loses a whole line.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);
std::u32string GbkToUtf32(std::string_view gbk);

void ToUpperGbk(std::string& s);
void ToLowerGbk(std::string& s);
std::string UpperGbk(std::string_view s);
// In-place upper-casing of a NUL-terminated buffer.
void ToUpperGbk(char* s);

// strcmp-style, ASCII case ignored, GBK pairs compared as bytes.
int CompareNoCase(std::string_view a, std::string_view b);
inline bool EqualsNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) == 0; }

} // namespace plat
