#include "platform/random.h"

#include "platform/debug.h"

namespace plat {

namespace {
uint32_t g_state = 1;
uint64_t g_draws = 0;
std::vector<int> g_script;
size_t g_scriptAt = 0;
bool g_scripted = false;
int g_overruns = 0;
RandOverrunHandler g_overrunHandler = nullptr;
} // namespace

void SRand(uint32_t seed) { g_state = seed; }

int Rand() {
    ++g_draws;
    if (g_scripted) {
        if (g_scriptAt < g_script.size()) return g_script[g_scriptAt++] & kRandMax;
        ++g_overruns;
        DebugPrintf("rand: draw %llu is past the end of a script of %zu values\n",
                    static_cast<unsigned long long>(g_draws), g_script.size());
        if (g_overrunHandler) g_overrunHandler(g_draws);
    }
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFF);
}

uint32_t RandState() { return g_state; }

uint64_t RandDrawCount() { return g_draws; }

void ResetRandDrawCount() { g_draws = 0; }

void ScriptRand(const std::vector<int>& values) {
    g_script = values;
    g_scriptAt = 0;
    g_scripted = !values.empty();
    g_overruns = 0;
}

size_t ScriptedRandLeft() { return g_scripted ? g_script.size() - g_scriptAt : 0; }

int IsRandScripted() { return g_scripted ? 1 : 0; }

void SetRandOverrunHandler(RandOverrunHandler handler) { g_overrunHandler = handler; }

int RandOverruns() { return g_overruns; }

void ResetRand() {
    g_state = 1;
    g_draws = 0;
    g_script.clear();
    g_scriptAt = 0;
    g_scripted = false;
    g_overruns = 0;
    g_overrunHandler = nullptr;
}

} // namespace plat
