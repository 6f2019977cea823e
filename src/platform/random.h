#pragma once
// The one process-wide random generator, with the classic 15-bit behaviour:
// state = state * 214013 + 2531011; result = (state >> 16) & 0x7FFF.
#include <cstdint>

namespace plat {

constexpr int kRandMax = 32767;

void SRand(uint32_t seed);
int Rand();
uint32_t RandState();  // for tests and save/restore

} // namespace plat
