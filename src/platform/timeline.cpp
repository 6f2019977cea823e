#include "platform/timeline.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace plat {

namespace {

bool ParseNum(const std::string& s, long long lo, long long hi, long long* out) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
    *out = v;
    return true;
}

} // namespace

bool ParseTimeline(const std::string& text, Timeline* out, std::string* error) {
    Timeline t;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        if (error) *error = "timeline line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string rest = line;
        if (auto hash = rest.find('#'); hash != std::string::npos) rest.erase(hash);
        std::istringstream ls(rest);
        std::string word;
        if (!(ls >> word)) continue;
        long long n = 0, m = 0;
        std::string s1, s2;
        if (word == "step") {
            if (!(ls >> s1) || !ParseNum(s1, 1, 60000, &n)) return fail("bad step");
            t.stepMs = static_cast<uint32_t>(n);
        } else if (word == "screen") {
            if (!(ls >> s1 >> s2) || !ParseNum(s1, 1, 16384, &n) || !ParseNum(s2, 1, 16384, &m))
                return fail("bad screen size");
            t.screenWidth = static_cast<int>(n);
            t.screenHeight = static_cast<int>(m);
        } else if (word == "limit") {
            if (!(ls >> s1) || !ParseNum(s1, 1, 0xFFFFFFFFLL, &n)) return fail("bad limit");
            t.limitMs = static_cast<uint32_t>(n);
        } else if (word == "at") {
            TimelineEvent e;
            if (!(ls >> s1) || !ParseNum(s1, 0, 0xFFFFFFFFLL, &n)) return fail("bad time");
            e.timeMs = static_cast<uint32_t>(n);
            std::string what;
            if (!(ls >> what)) return fail("missing event");
            using K = TimelineEvent::Kind;
            auto readVk = [&]() { return (ls >> s1) && ParseNum(s1, 1, 255, &n); };
            if (what == "keydown" || what == "keyup" || what == "key") {
                if (!readVk()) return fail("bad virtual key");
                e.kind = what == "keydown" ? K::KeyDown : what == "keyup" ? K::KeyUp : K::Key;
                e.a = static_cast<int>(n);
            } else if (what == "text") {
                std::getline(ls, e.text);
                const size_t first = e.text.find_first_not_of(' ');
                e.text = first == std::string::npos ? std::string() : e.text.substr(first);
                if (e.text.empty()) return fail("empty text");
                e.kind = K::Text;
            } else if (what == "move" || what == "ldown" || what == "lup" || what == "rdown" || what == "rup") {
                e.kind = what == "move" ? K::Move : what == "ldown" ? K::LDown : what == "lup" ? K::LUp
                       : what == "rdown" ? K::RDown : K::RUp;
                if (ls >> s1) {
                    if (!(ls >> s2) || !ParseNum(s1, -32768, 32767, &n) || !ParseNum(s2, -32768, 32767, &m))
                        return fail("bad position");
                    e.a = static_cast<int>(n);
                    e.b = static_cast<int>(m);
                    e.hasPos = true;
                } else if (e.kind == K::Move) {
                    return fail("move needs a position");
                }
            } else if (what == "activate") {
                if (!(ls >> s1) || !ParseNum(s1, 0, 1, &n)) return fail("activate needs 0 or 1");
                e.kind = K::Activate;
                e.a = static_cast<int>(n);
            } else if (what == "command") {
                if (!(ls >> s1) || !ParseNum(s1, 0, 0xFFFF, &n)) return fail("bad command id");
                e.kind = K::Command;
                e.a = static_cast<int>(n);
            } else if (what == "close") {
                e.kind = K::Close;
            } else if (what == "jump") {
                if (!(ls >> s1) || !ParseNum(s1, 1, 0x7FFFFFFF, &n)) return fail("jump needs milliseconds");
                e.kind = K::Jump;
                e.a = static_cast<int>(n);
            } else {
                return fail("unknown event '" + what + "'");
            }
            if (e.kind != K::Text) {
                std::string extra;
                if (ls >> extra) return fail("unexpected '" + extra + "'");
            }
            t.events.push_back(std::move(e));
        } else {
            return fail("unknown word '" + word + "'");
        }
    }
    std::stable_sort(t.events.begin(), t.events.end(),
                     [](const TimelineEvent& x, const TimelineEvent& y) { return x.timeMs < y.timeMs; });
    *out = std::move(t);
    return true;
}

} // namespace plat
