#include "platform/debug.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/text.h"

namespace plat {

namespace {
DebugHook& Hook() {
    static DebugHook hook;
    return hook;
}
std::vector<std::string>& Captured() {
    static std::vector<std::string> v;
    return v;
}
// Bounded so a long run with a noisy loader cannot grow without limit.
constexpr size_t kMaxCaptured = 10000;
} // namespace

void OutputDebugString(const std::string& textGbk) {
    auto& cap = Captured();
    if (cap.size() >= kMaxCaptured) cap.erase(cap.begin(), cap.begin() + kMaxCaptured / 2);
    cap.push_back(textGbk);
    if (Hook()) Hook()(textGbk);
    if (std::getenv("VANTREL_DEBUG")) {
        std::string u = GbkToUtf8(textGbk);
        std::fwrite(u.data(), 1, u.size(), stderr);
        if (u.empty() || u.back() != '\n') std::fputc('\n', stderr);
    }
}

void DebugPrintf(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string s;
    if (n > 0) {
        s.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(s.data(), s.size(), fmt, ap2);
        s.resize(static_cast<size_t>(n));
    }
    va_end(ap2);
    OutputDebugString(s);
}

void SetDebugHook(DebugHook hook) { Hook() = std::move(hook); }

const std::vector<std::string>& DebugCaptured() { return Captured(); }
void ClearDebugCapture() { Captured().clear(); }

} // namespace plat
