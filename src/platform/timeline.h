#pragma once
// Scripted input for the headless backend: events at fixed times of the
// fake clock. Text form, one item per line ('#' starts a comment):
//   step <ms>              fake milliseconds per idle loop pass (default 1)
//   screen <w> <h>         screen size reported (default 1024 768)
//   limit <ms>             safety net: close the window at that time
//   at <ms> keydown <vk>   key down (vk decimal or 0x hex)
//   at <ms> keyup <vk>
//   at <ms> key <vk>       down and up
//   at <ms> text <utf-8>   typed text, delivered as GBK WM_CHAR bytes
//   at <ms> move <x> <y>   cursor position
//   at <ms> ldown | lup | rdown | rup [<x> <y>]
//   at <ms> activate <0|1> the window gains or loses activation
//   at <ms> command <id>   WM_COMMAND
//   at <ms> close          the user closes the window
//   at <ms> jump <ms>      the fake clock leaps forward (a stall or a
//                          suspended machine)
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

struct TimelineEvent {
    enum class Kind { KeyDown, KeyUp, Key, Text, Move, LDown, LUp, RDown, RUp, Activate, Command, Close, Jump };
    uint32_t timeMs = 0;
    Kind kind = Kind::Close;
    int a = 0;
    int b = 0;
    bool hasPos = false;
    std::string text;  // UTF-8
};

struct Timeline {
    uint32_t stepMs = 1;
    int screenWidth = 1024;
    int screenHeight = 768;
    uint32_t limitMs = 0;  // 0: none
    std::vector<TimelineEvent> events;  // sorted by time, file order kept
};

// False with a message naming the line when the text is malformed.
bool ParseTimeline(const std::string& text, Timeline* out, std::string* error);

} // namespace plat
