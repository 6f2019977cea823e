#pragma once
// Scripted input for the headless backend: events at fixed times of the
// fake clock, or after given logic ticks of the game. Text form, one item
// per line ('#' starts a comment):
//   step <ms>              fake milliseconds per idle loop pass (default 1)
//   screen <w> <h>         screen size reported (default 1024 768)
//   limit <ms>             safety net: close the window at that time
//   seed <n>               seed of the random generator (a scripted run
//                          without it uses kScriptSeed, so it repeats)
//   at <ms> <event>        the event once the fake clock reaches <ms>
//   tick <n>[+<ms>] <event>  the event once the game has run logic tick
//                          <n> and, with "+<ms>", the loop has seen tick <n>
//                          for <ms> more milliseconds (the recorder's form;
//                          needs the game's tick source). One file may mix
//                          both forms.
// Events:
//   keydown <key>          key down: a name (below) or a virtual-key code,
//   keyup <key>            decimal of two or more digits or 0x hex
//   key <key>              down and up
//   text <utf-8>           typed text, delivered as GBK WM_CHAR bytes;
//                          "\\", "\#" and "\xNN" (a byte) escape, so a
//                          space at either end is written "\x20"
//   move <x> <y>           cursor position (before the first, the pointer
//                          rests at the centre of the window's frame)
//   ldown | lup | rdown | rup [<x> <y>]
//   activate <0|1>         the window gains or loses activation
//   command <id>           WM_COMMAND
//   close                  the user closes the window
//   jump <ms>              the fake clock leaps forward (a stall or a
//                          suspended machine)
//   frame <file.png>       the headless presenter writes the frame shown at
//                          that moment (a relative path, under the program
//                          folder), so one run leaves several pictures
//   stroke <ms-per-point> <x,y> <x,y> ...   (at lines only) cursor moves,
//                          the first at <ms>, each next one <ms-per-point>
//                          later: drags and gestures
// Key names (any letter case): esc enter space tab back shift ctrl alt
// left up right down f1-f12 a-z 0-9 (one digit is the digit key) kp0-kp9
// kpplus kpminus print grave.
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// The seed of a scripted run that names none.
constexpr uint32_t kScriptSeed = 20061;

struct TimelineEvent {
    enum class Kind { KeyDown, KeyUp, Key, Text, Move, LDown, LUp, RDown, RUp, Activate, Command, Close, Jump, Frame };
    uint32_t timeMs = 0;  // at lines
    uint32_t tick = 0;    // tick lines
    uint32_t tickOffsetMs = 0;
    Kind kind = Kind::Close;
    int a = 0;
    int b = 0;
    bool hasPos = false;
    std::string text;  // UTF-8 typed text; the file of a frame
};

struct Timeline {
    uint32_t stepMs = 1;
    int screenWidth = 1024;
    int screenHeight = 768;
    uint32_t limitMs = 0;  // 0: none
    bool hasSeed = false;
    uint32_t seed = kScriptSeed;
    std::vector<TimelineEvent> events;      // at lines, sorted by time, file order kept
    std::vector<TimelineEvent> tickEvents;  // tick lines, sorted by tick and offset, file order kept
};

// False with a message naming the line when the text is malformed.
bool ParseTimeline(const std::string& text, Timeline* out, std::string* error);

// Virtual-key code of a key name or number (see above); 0 when neither.
int ParseKeyName(const std::string& word);
// The name of a key when it has one, else "0x" and two hex digits.
std::string KeyName(int vk);

// The event part of a line ("keydown esc", "text a\#b", "ldown 3 4"), as
// ParseTimeline reads it back. Stroke points are single moves.
std::string FormatTimelineEvent(const TimelineEvent& e);
// Typed text with the escapes ParseTimeline undoes.
std::string EscapeTimelineText(const std::string& utf8);

} // namespace plat
