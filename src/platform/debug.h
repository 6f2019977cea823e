#pragma once
// Debugger output: the game's soft-failure messages. Always delivered to the
// capture hook (tests read it); also to stderr when VANTREL_DEBUG is set.
#include <functional>
#include <string>
#include <vector>

namespace plat {

void OutputDebugString(const std::string& textGbk);
void DebugPrintf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

using DebugHook = std::function<void(const std::string&)>;
// Installs a hook (replacing any previous one); an empty hook removes it.
void SetDebugHook(DebugHook hook);

// Capture buffer for tests: every message since the last clear, in order.
const std::vector<std::string>& DebugCaptured();
void ClearDebugCapture();

} // namespace plat
