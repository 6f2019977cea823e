#include "platform/timeline.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/input.h"

namespace plat {

namespace {

bool ParseNum(const std::string& s, long long lo, long long hi, long long* out) {
    if (s.empty() || s[0] == '+' || s[0] == ' ') return false;
    errno = 0;
    char* end = nullptr;
    // Base 10 unless "0x": a leading zero is not octal.
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    long long v = std::strtoll(s.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
    *out = v;
    return true;
}

struct KeyNameEntry {
    const char* name;
    int vk;
};

// The names the recorder writes; the first name of a code wins.
const KeyNameEntry kKeyNames[] = {
    {"esc", VK_ESCAPE}, {"enter", VK_RETURN}, {"space", VK_SPACE}, {"tab", VK_TAB}, {"back", VK_BACK},
    {"shift", VK_SHIFT}, {"ctrl", VK_CONTROL}, {"alt", VK_MENU}, {"left", VK_LEFT}, {"up", VK_UP},
    {"right", VK_RIGHT}, {"down", VK_DOWN}, {"kpplus", VK_ADD}, {"kpminus", VK_SUBTRACT},
    {"print", VK_SNAPSHOT}, {"grave", VK_OEM_3},
};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The line without its comment: '#' starts one unless a backslash escapes it.
std::string StripComment(const std::string& line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\') ++i;
        else if (line[i] == '#') return line.substr(0, i);
    }
    return line;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool UnescapeText(const std::string& in, std::string* out) {
    out->clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out->push_back(in[i]);
            continue;
        }
        if (i + 1 >= in.size()) return false;
        const char c = in[++i];
        if (c == '\\' || c == '#') {
            out->push_back(c);
        } else if (c == 'x') {
            if (i + 2 >= in.size()) return false;
            const int hi = HexDigit(in[i + 1]);
            const int lo = HexDigit(in[i + 2]);
            if (hi < 0 || lo < 0) return false;
            out->push_back(static_cast<char>(hi * 16 + lo));
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

bool ValidFramePath(const std::string& p) {
    if (p.empty() || p[0] == '/' || p[0] == '\\') return false;
    // No way out of the program folder.
    std::string part;
    for (size_t i = 0; i <= p.size(); ++i) {
        if (i == p.size() || p[i] == '/' || p[i] == '\\') {
            if (part == "..") return false;
            part.clear();
        } else {
            part.push_back(p[i]);
        }
    }
    return true;
}

using K = TimelineEvent::Kind;

// One event from the rest of a line. `at` is false for tick lines.
bool ParseEvent(std::istringstream& ls, bool at, TimelineEvent* e, std::vector<TimelineEvent>* extra,
                std::string* why) {
    std::string what, s1, s2;
    long long n = 0, m = 0;
    if (!(ls >> what)) return *why = "missing event", false;
    if (what == "keydown" || what == "keyup" || what == "key") {
        if (!(ls >> s1) || (n = ParseKeyName(s1)) == 0) return *why = "bad key '" + s1 + "'", false;
        e->kind = what == "keydown" ? K::KeyDown : what == "keyup" ? K::KeyUp : K::Key;
        e->a = static_cast<int>(n);
    } else if (what == "text") {
        std::string raw;
        std::getline(ls, raw);
        const size_t first = raw.find_first_not_of(" \t");
        const size_t last = raw.find_last_not_of(" \t");
        raw = first == std::string::npos ? std::string() : raw.substr(first, last - first + 1);
        if (!UnescapeText(raw, &e->text)) return *why = "bad escape in text", false;
        if (e->text.empty()) return *why = "empty text", false;
        e->kind = K::Text;
        return true;
    } else if (what == "move" || what == "ldown" || what == "lup" || what == "rdown" || what == "rup") {
        e->kind = what == "move" ? K::Move : what == "ldown" ? K::LDown : what == "lup" ? K::LUp
                : what == "rdown" ? K::RDown : K::RUp;
        if (ls >> s1) {
            if (!(ls >> s2) || !ParseNum(s1, -32768, 32767, &n) || !ParseNum(s2, -32768, 32767, &m))
                return *why = "bad position", false;
            e->a = static_cast<int>(n);
            e->b = static_cast<int>(m);
            e->hasPos = true;
        } else if (e->kind == K::Move) {
            return *why = "move needs a position", false;
        }
    } else if (what == "activate") {
        if (!(ls >> s1) || !ParseNum(s1, 0, 1, &n)) return *why = "activate needs 0 or 1", false;
        e->kind = K::Activate;
        e->a = static_cast<int>(n);
    } else if (what == "command") {
        if (!(ls >> s1) || !ParseNum(s1, 0, 0xFFFF, &n)) return *why = "bad command id", false;
        e->kind = K::Command;
        e->a = static_cast<int>(n);
    } else if (what == "close") {
        e->kind = K::Close;
    } else if (what == "jump") {
        if (!(ls >> s1) || !ParseNum(s1, 1, 0x7FFFFFFF, &n)) return *why = "jump needs milliseconds", false;
        e->kind = K::Jump;
        e->a = static_cast<int>(n);
    } else if (what == "frame") {
        if (!(ls >> s1) || !ValidFramePath(s1)) return *why = "frame needs a file under the program folder", false;
        e->kind = K::Frame;
        e->text = s1;
    } else if (what == "stroke") {
        if (!at) return *why = "stroke needs an at time", false;
        if (!(ls >> s1) || !ParseNum(s1, 0, 60000, &n)) return *why = "stroke needs milliseconds per point", false;
        const uint32_t per = static_cast<uint32_t>(n);
        uint32_t t = e->timeMs;
        int points = 0;
        while (ls >> s2) {
            const size_t comma = s2.find(',');
            long long x = 0, y = 0;
            if (comma == std::string::npos || !ParseNum(s2.substr(0, comma), -32768, 32767, &x) ||
                !ParseNum(s2.substr(comma + 1), -32768, 32767, &y))
                return *why = "bad stroke point '" + s2 + "'", false;
            if (points > 0) {
                if (t > 0xFFFFFFFFu - per) return *why = "stroke runs past the end of time", false;
                t += per;
            }
            TimelineEvent p;
            p.timeMs = t;
            p.kind = K::Move;
            p.a = static_cast<int>(x);
            p.b = static_cast<int>(y);
            p.hasPos = true;
            extra->push_back(p);
            ++points;
        }
        if (points == 0) return *why = "stroke needs points", false;
        return true;
    } else {
        return *why = "unknown event '" + what + "'", false;
    }
    std::string rest;
    if (ls >> rest) return *why = "unexpected '" + rest + "'", false;
    return true;
}

} // namespace

int ParseKeyName(const std::string& word) {
    const std::string w = Lower(word);
    if (w.size() == 1) {
        if (w[0] >= 'a' && w[0] <= 'z') return 'A' + (w[0] - 'a');
        if (w[0] >= '0' && w[0] <= '9') return w[0];
        return 0;
    }
    for (const KeyNameEntry& k : kKeyNames)
        if (w == k.name) return k.vk;
    long long n = 0;
    if (w.size() >= 2 && w[0] == 'f' && ParseNum(w.substr(1), 1, 12, &n) && w[1] != '0') return VK_F1 + static_cast<int>(n) - 1;
    if (w.size() == 3 && w[0] == 'k' && w[1] == 'p' && w[2] >= '0' && w[2] <= '9') return VK_NUMPAD0 + (w[2] - '0');
    if (ParseNum(w, 1, 255, &n)) return static_cast<int>(n);
    return 0;
}

std::string KeyName(int vk) {
    for (const KeyNameEntry& k : kKeyNames)
        if (k.vk == vk) return k.name;
    if (vk >= 'A' && vk <= 'Z') return std::string(1, static_cast<char>('a' + (vk - 'A')));
    if (vk >= '0' && vk <= '9') return std::string(1, static_cast<char>(vk));
    if (vk >= VK_F1 && vk <= VK_F12) return "f" + std::to_string(vk - VK_F1 + 1);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return "kp" + std::to_string(vk - VK_NUMPAD0);
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned>(vk & 0xFF));
    return buf;
}

std::string EscapeTimelineText(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const bool edgeSpace = (c == ' ' || c == '\t') && (i == 0 || i + 1 == utf8.size());
        if (c == '\\' || c == '#') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c < 0x20 || c == 0x7F || edgeSpace) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

std::string FormatTimelineEvent(const TimelineEvent& e) {
    auto pos = [&](const char* word) {
        return e.hasPos ? std::string(word) + " " + std::to_string(e.a) + " " + std::to_string(e.b) : std::string(word);
    };
    switch (e.kind) {
    case K::KeyDown: return "keydown " + KeyName(e.a);
    case K::KeyUp: return "keyup " + KeyName(e.a);
    case K::Key: return "key " + KeyName(e.a);
    case K::Text: return "text " + EscapeTimelineText(e.text);
    case K::Move: return "move " + std::to_string(e.a) + " " + std::to_string(e.b);
    case K::LDown: return pos("ldown");
    case K::LUp: return pos("lup");
    case K::RDown: return pos("rdown");
    case K::RUp: return pos("rup");
    case K::Activate: return "activate " + std::to_string(e.a != 0 ? 1 : 0);
    case K::Command: return "command " + std::to_string(e.a);
    case K::Close: return "close";
    case K::Jump: return "jump " + std::to_string(e.a);
    case K::Frame: return "frame " + e.text;
    }
    return "close";
}

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
        std::istringstream ls(StripComment(line));
        std::string word;
        if (!(ls >> word)) continue;
        long long n = 0, m = 0;
        std::string s1, s2, why;
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
        } else if (word == "seed") {
            if (!(ls >> s1) || !ParseNum(s1, 0, 0xFFFFFFFFLL, &n)) return fail("bad seed");
            t.seed = static_cast<uint32_t>(n);
            t.hasSeed = true;
        } else if (word == "at" || word == "tick") {
            const bool at = word == "at";
            TimelineEvent e;
            if (!(ls >> s1)) return fail(at ? "bad time" : "bad tick");
            if (at) {
                if (!ParseNum(s1, 0, 0xFFFFFFFFLL, &n)) return fail("bad time");
                e.timeMs = static_cast<uint32_t>(n);
            } else {
                const size_t plus = s1.find('+');
                if (!ParseNum(s1.substr(0, plus), 0, 0xFFFFFFFFLL, &n)) return fail("bad tick");
                if (plus != std::string::npos && !ParseNum(s1.substr(plus + 1), 0, 0x7FFFFFFF, &m))
                    return fail("bad tick offset");
                e.tick = static_cast<uint32_t>(n);
                e.tickOffsetMs = plus == std::string::npos ? 0 : static_cast<uint32_t>(m);
            }
            std::vector<TimelineEvent> stroke;
            if (!ParseEvent(ls, at, &e, &stroke, &why)) return fail(why);
            if (!stroke.empty()) t.events.insert(t.events.end(), stroke.begin(), stroke.end());
            else (at ? t.events : t.tickEvents).push_back(std::move(e));
        } else {
            return fail("unknown word '" + word + "'");
        }
        if (word != "at" && word != "tick") {
            std::string extra;
            if (ls >> extra) return fail("unexpected '" + extra + "'");
        }
    }
    std::stable_sort(t.events.begin(), t.events.end(),
                     [](const TimelineEvent& x, const TimelineEvent& y) { return x.timeMs < y.timeMs; });
    std::stable_sort(t.tickEvents.begin(), t.tickEvents.end(),
                     [](const TimelineEvent& x, const TimelineEvent& y) {
                         return x.tick != y.tick ? x.tick < y.tick : x.tickOffsetMs < y.tickOffsetMs;
                     });
    *out = std::move(t);
    return true;
}

} // namespace plat
