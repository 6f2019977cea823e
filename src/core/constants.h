#pragma once
// Angle constants and the named 16-bit colour words shared by every source
// file.
//
// Two approximations of pi are in use and must stay apart: kPi1 (float bits
// 0x40490FDB) and kPi2 (0x40490FDA). Every product is formed in double
// precision from the float value and then stored as a float, so for example
// kPi2 * 0.125 is 0.39269906f while kPi1 * 0.125 is 0.39269909f.
#include <cstdint>

namespace angle_detail {
constexpr float Mul(float pi, double factor) { return static_cast<float>(static_cast<double>(pi) * factor); }
constexpr float Sixteenths(float pi, int k) { return static_cast<float>(static_cast<double>(pi) * k / 16.0); }
} // namespace angle_detail

constexpr float kPi1 = 3.1415927f;
constexpr float kPi1x4 = angle_detail::Mul(kPi1, 4.0);
constexpr float kPi1x3 = angle_detail::Mul(kPi1, 3.0);
constexpr float kPi1x2 = angle_detail::Mul(kPi1, 2.0);
constexpr float kPi1x1_5 = angle_detail::Mul(kPi1, 1.5);
constexpr float kPi1x0_75 = angle_detail::Mul(kPi1, 0.75);
constexpr float kPi1x2_3 = angle_detail::Mul(kPi1, 2.0 / 3.0);
constexpr float kPi1x0_5 = angle_detail::Mul(kPi1, 0.5);
constexpr float kPi1x1_3 = angle_detail::Mul(kPi1, 1.0 / 3.0);
constexpr float kPi1x0_25 = angle_detail::Mul(kPi1, 0.25);
constexpr float kPi1x1_6 = angle_detail::Mul(kPi1, 1.0 / 6.0);
constexpr float kPi1x0_125 = angle_detail::Mul(kPi1, 0.125);
constexpr float kPi1x0_0625 = angle_detail::Mul(kPi1, 0.0625);

constexpr float kPi2 = 3.1415925f;
// kPi2 * k / 16 for k = 1..32 (index 0 unused and 0): kPi2Sixteenths[16] is
// kPi2 itself, [32] is 2 * kPi2.
constexpr float kPi2Sixteenths[33] = {
    0.0f,
    angle_detail::Sixteenths(kPi2, 1),  angle_detail::Sixteenths(kPi2, 2),  angle_detail::Sixteenths(kPi2, 3),
    angle_detail::Sixteenths(kPi2, 4),  angle_detail::Sixteenths(kPi2, 5),  angle_detail::Sixteenths(kPi2, 6),
    angle_detail::Sixteenths(kPi2, 7),  angle_detail::Sixteenths(kPi2, 8),  angle_detail::Sixteenths(kPi2, 9),
    angle_detail::Sixteenths(kPi2, 10), angle_detail::Sixteenths(kPi2, 11), angle_detail::Sixteenths(kPi2, 12),
    angle_detail::Sixteenths(kPi2, 13), angle_detail::Sixteenths(kPi2, 14), angle_detail::Sixteenths(kPi2, 15),
    angle_detail::Sixteenths(kPi2, 16), angle_detail::Sixteenths(kPi2, 17), angle_detail::Sixteenths(kPi2, 18),
    angle_detail::Sixteenths(kPi2, 19), angle_detail::Sixteenths(kPi2, 20), angle_detail::Sixteenths(kPi2, 21),
    angle_detail::Sixteenths(kPi2, 22), angle_detail::Sixteenths(kPi2, 23), angle_detail::Sixteenths(kPi2, 24),
    angle_detail::Sixteenths(kPi2, 25), angle_detail::Sixteenths(kPi2, 26), angle_detail::Sixteenths(kPi2, 27),
    angle_detail::Sixteenths(kPi2, 28), angle_detail::Sixteenths(kPi2, 29), angle_detail::Sixteenths(kPi2, 30),
    angle_detail::Sixteenths(kPi2, 31), angle_detail::Sixteenths(kPi2, 32),
};
constexpr float kPi2x0_001 = angle_detail::Mul(kPi2, 0.001);

// Largest zoom the combat zoom asks for: the zoom limit 0.15 times 0.25.
constexpr float kCombatZoomLimit = static_cast<float>(0.15 * 0.25);

// A colour as a 555 word and a 565 word. The 565 green is not always twice
// the 555 one; the words are used as listed.
struct ColourWords {
    uint16_t w555;
    uint16_t w565;
    constexpr uint16_t Pick(bool is565) const { return is565 ? w565 : w555; }
};

//                                      555     565       (r, g, b) in 555
constexpr ColourWords kColWhite       {0x7FFF, 0xFFFF}; // 31, 31, 31
constexpr ColourWords kColNearBlack   {0x0421, 0x0861}; //  1,  1,  1
constexpr ColourWords kColBlue        {0x001F, 0x001F}; //  0,  0, 31
constexpr ColourWords kColDarkBlue    {0x000D, 0x002D}; //  0,  0, 13
constexpr ColourWords kColLightBlue   {0x4A5F, 0x94BF}; // 18, 18, 31
constexpr ColourWords kColYellow      {0x7FE0, 0xFFE0}; // 31, 31,  0
constexpr ColourWords kColOlive       {0x4A40, 0x94A0}; // 18, 18,  0
constexpr ColourWords kColLightYellow {0x7FEF, 0xFFEF}; // 31, 31, 15
constexpr ColourWords kColGreen       {0x03E0, 0x07E0}; //  0, 31,  0
constexpr ColourWords kColDarkGreen   {0x05E1, 0x0BC1}; //  1, 15,  1
constexpr ColourWords kColLightGreen  {0x3FAF, 0x7F6F}; // 15, 29, 15
constexpr ColourWords kColRed         {0x7C00, 0xF800}; // 31,  0,  0
constexpr ColourWords kColDarkRed     {0x3400, 0x6820}; // 13,  0,  0
constexpr ColourWords kColLightRed    {0x7D4A, 0xFA8A}; // 31, 10, 10
constexpr ColourWords kColSteelBlue   {0x0DB7, 0x1B57}; //  3, 13, 23
constexpr ColourWords kColGreyBlue    {0x42DC, 0x859C}; // 16, 22, 28
constexpr ColourWords kColMagenta     {0x7C1F, 0xF81F}; // 31,  0, 31 (the colour key)
constexpr ColourWords kColRust        {0x7183, 0xE323}; // 28, 12,  3
constexpr ColourWords kColCream       {0x7FB4, 0xFF74}; // 31, 29, 20
constexpr ColourWords kColOrange      {0x7F08, 0xFE28}; // 31, 24,  8
constexpr ColourWords kColDarkBrown   {0x1C62, 0x38E2}; //  7,  3,  2
constexpr ColourWords kColCrimson     {0x7065, 0xE0C5}; // 28,  3,  5
constexpr ColourWords kColGrey        {0x35AD, 0x6B4D}; // 13, 13, 13
constexpr ColourWords kColPeach       {0x7F92, 0xFF12}; // 31, 28, 18

// The same 24 colours in their customary order.
constexpr ColourWords kColourTable[24] = {
    kColWhite,     kColNearBlack, kColBlue,      kColDarkBlue,  kColLightBlue,   kColYellow,
    kColOlive,     kColLightYellow, kColGreen,   kColDarkGreen, kColLightGreen,  kColRed,
    kColDarkRed,   kColLightRed,  kColSteelBlue, kColGreyBlue,  kColMagenta,     kColRust,
    kColCream,     kColOrange,    kColDarkBrown, kColCrimson,   kColGrey,        kColPeach,
};
