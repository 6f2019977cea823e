#include "random_input.h"

#include <algorithm>
#include <random>
#include <sstream>
#include <vector>

#include "platform/input.h"
#include "platform/timeline.h"

namespace vtest {

namespace {

using K = plat::TimelineEvent::Kind;

// Key names the game may see; "close" is never generated.
const char* const kKeys[] = {"esc",  "enter", "space", "tab", "back", "left", "up",     "right",   "down",
                             "f1",   "f2",    "f3",    "f5",  "f8",   "f10",  "f12",    "a",       "s",
                             "w",    "d",     "q",     "e",   "1",    "2",    "3",      "9",       "kp0",
                             "kp5",  "kp9",   "kpplus", "kpminus", "print", "grave", "shift", "ctrl", "alt"};

// UTF-8 text whose characters all exist in GBK.
const char* const kGbkText[] = {"\xE4\xB8\xAD\xE6\x96\x87",                     // zhongwen
                                "\xE4\xBD\xA0\xE5\xA5\xBD",                     // nihao
                                "\xE6\xB8\xB8\xE6\x88\x8F\xE6\xB5\x8B\xE8\xAF\x95",  // youxi ceshi
                                "\xEF\xBC\x8C\xE3\x80\x82",                     // full-width comma, stop
                                ("a\xE4\xB8\x80"
                                 "b")};  // one text: a, yi, b

class Gen {
public:
    explicit Gen(const RandomInputOptions& o) : o_(o), rng_(o.seed) {}

    std::string Run() {
        uint32_t t = o_.startMs;
        const uint32_t end = o_.startMs + o_.durationMs;
        while (t < end) {
            t += Range(o_.meanGapMs / 4, o_.meanGapMs * 7 / 4);
            if (t >= end) break;
            Action(t, end);
        }
        return out_.str();
    }

private:
    int Range(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    int X() { return Range(-o_.outside, o_.width - 1 + o_.outside); }
    int Y() { return Range(-o_.outside, o_.height - 1 + o_.outside); }

    void Line(uint32_t t, const plat::TimelineEvent& e) { out_ << "at " << t << " " << plat::FormatTimelineEvent(e) << "\n"; }
    void Simple(uint32_t t, K kind, int a = 0, int b = 0, bool pos = false) {
        plat::TimelineEvent e;
        e.kind = kind;
        e.a = a;
        e.b = b;
        e.hasPos = pos;
        Line(t, e);
    }
    void Key(uint32_t t, K kind, const std::string& name) {
        Simple(t, kind, plat::ParseKeyName(name));
    }
    void Text(uint32_t t, const std::string& utf8) {
        plat::TimelineEvent e;
        e.kind = K::Text;
        e.text = utf8;
        Line(t, e);
    }

    // Press held long enough for the game's per-tick poll to see it.
    void Click(uint32_t t, bool right) {
        const int x = X(), y = Y();
        Simple(t, K::Move, x, y, true);
        Simple(t, right ? K::RDown : K::LDown, x, y, true);
        Simple(t + Range(40, 160), right ? K::RUp : K::LUp, x, y, true);
    }

    void Action(uint32_t t, uint32_t end) {
        const int pick = Range(0, 99);
        if (pick < 30) {
            Simple(t, K::Move, X(), Y(), true);
        } else if (pick < 45) {
            Click(t, false);
        } else if (pick < 53) {
            Click(t, true);
        } else if (pick < 60) {
            // Drag: down, a stroke, up where it ends.
            int x = X(), y = Y();
            Simple(t, K::Move, x, y, true);
            Simple(t, K::LDown, x, y, true);
            const int points = Range(2, 10);
            const int per = Range(5, 40);
            out_ << "at " << t + 40 << " stroke " << per;
            for (int i = 0; i < points; ++i) {
                x = std::clamp(x + Range(-60, 60), -o_.outside, o_.width - 1 + o_.outside);
                y = std::clamp(y + Range(-60, 60), -o_.outside, o_.height - 1 + o_.outside);
                out_ << " " << x << "," << y;
            }
            out_ << "\n";
            Simple(t + 40 + static_cast<uint32_t>(per * points) + 40, K::LUp);
        } else if (pick < 75) {
            Key(t, K::Key, kKeys[Range(0, static_cast<int>(std::size(kKeys)) - 1)]);
        } else if (pick < 80) {
            // Held keys, sometimes with a modifier.
            const std::string key = kKeys[Range(0, static_cast<int>(std::size(kKeys)) - 1)];
            const char* mod = Range(0, 2) == 0 ? "shift" : Range(0, 1) == 0 ? "ctrl" : nullptr;
            if (mod) Key(t, K::KeyDown, mod);
            Key(t, K::KeyDown, key);
            Key(t + Range(40, 700), K::KeyUp, key);
            if (mod) Key(t + 720, K::KeyUp, mod);
        } else if (pick < 88) {
            std::string s;
            const int n = Range(1, 12);
            for (int i = 0; i < n; ++i) s.push_back(static_cast<char>(Range(0x20, 0x7E)));
            Text(t, s);
        } else if (pick < 95) {
            Text(t, kGbkText[Range(0, static_cast<int>(std::size(kGbkText)) - 1)]);
        } else if (t + 400 < end) {
            Simple(t, K::Activate, 0);
            Simple(t + Range(50, 300), K::Activate, 1);
        }
    }

    RandomInputOptions o_;
    std::mt19937 rng_;
    std::ostringstream out_;
};

} // namespace

std::string RandomInputTimeline(const RandomInputOptions& options) { return Gen(options).Run(); }

} // namespace vtest
