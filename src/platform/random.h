#pragma once
// The one process-wide random generator, with the classic 15-bit behaviour:
// state = state * 214013 + 2531011; result = (state >> 16) & 0x7FFF.
//
// Game rules depend on which draw lands where, so every caller keeps two
// habits: never two draws in one expression (the order in which C++
// evaluates the operands is unspecified), and the draws in the order the
// rule's text gives them, one statement each.
//
// Tests fix the draws in two ways: SRand with a seed, or a script, a list
// of values handed out by the next draws in order instead of the
// generator's; a draw past the script's end is reported to the overrun
// handler (a test fails there) and then falls back to the generator.
// Every draw, scripted or not, counts, so a run can be checked for how
// many draws it made.
#include <cstdint>
#include <vector>

namespace plat {

constexpr int kRandMax = 32767;

void SRand(uint32_t seed);
int Rand();
uint32_t RandState();  // for tests and save/restore

// Draws since the last ResetRandDrawCount.
uint64_t RandDrawCount();
void ResetRandDrawCount();

// The next draws return these values, in order (each masked to 0..32767).
// The generator's state does not move while the script lasts. An empty list
// ends scripting.
void ScriptRand(const std::vector<int>& values);
// Values of the script not yet drawn; 0 when none is set.
size_t ScriptedRandLeft();
int IsRandScripted();
// Called once per draw past the end of a script; null: a line on the
// debugger output only.
using RandOverrunHandler = void (*)(uint64_t drawNumber);
void SetRandOverrunHandler(RandOverrunHandler handler);
// Draws made past a script's end since the script was set.
int RandOverruns();

// State, script, counter and handler back to start (seed 1, no script).
void ResetRand();

} // namespace plat
