#pragma once
// Colour tables: every lighting, fading and tinting of a 16-bit pixel is one
// lookup in a 65,536-entry table indexed by the pixel value of the layout the
// table was built for.
//
//   0-15   brightness levels L[0..15] of the current ambient mode (15 brightest)
//   16-31  blend fractions T[0..15]: every channel x k/16 (g_BlendTables)
//   32     grey: every channel = max(R, G, B)
//   33-38  tint, brighten, blue, red, green, yellow
//
// A table is built for the pixel layout in force when it is built; a later
// change of layout does not rebuild it.
#include <cstdint>

inline constexpr int kColorTableCount = 39;
inline constexpr int kColorTableEntries = 65536;
inline constexpr int kFirstBlendTable = 16;
inline constexpr int kGreyTable = 32;
inline constexpr int kLastColorTable = 38;

// 39 pointers to the tables; null until BuildColorTables.
extern uint16_t** g_ColorTables;
// g_ColorTables + 16: T[0..15].
extern uint16_t** g_BlendTables;

// Allocates the 39 tables when they do not exist yet and fills them: the
// brightness levels for ambient mode 0 (so nothing ever reads unfilled
// memory), the blend, grey and tint tables. A later call does nothing.
// The layout is that of g_PixelFormat.
void BuildColorTables();
// The same for an explicit format code (16 = 5-6-5; any other = 5-5-5).
void BuildColorTables(int32_t formatCode);

// Frees the tables and sets the pointers back to null (the light grid does
// this at exit).
void FreeColorTables();

// Rebuilds L[0..15] for ambient mode 0-5 in the layout of g_PixelFormat (or
// the given format code). Other modes, or tables not yet built: nothing.
void BuildBrightnessTables(int32_t mode);
void BuildBrightnessTables(int32_t mode, int32_t formatCode);

// Table k (0-38); null when k is out of range or the tables are not built.
const uint16_t* GetColorTable(int32_t k);
// Blend table T[level] with the level clamped into 0..15 (-1, the usual
// "none" level, gives T[0]); null when the tables are not built.
const uint16_t* GetBlendTable(int32_t level);
// Brightness table L[level] with the level clamped into 0..15; null when the
// tables are not built.
const uint16_t* GetBrightnessTable(int32_t level);
