#pragma once
// Keyboard and mouse state as the game reads it: Windows virtual-key codes,
// one state byte per key (0x80 down, 0x01 toggled by each press), the
// "pressed since last asked" bit of the asynchronous query, and the cursor
// position in screen pixels. The window backends feed it; tests inject.
#include <cstdint>

namespace plat {

enum : int {
    VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_MBUTTON = 0x04,
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D,
    VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
    VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
    VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
    VK_F1 = 0x70, VK_F11 = 0x7A, VK_F12 = 0x7B,
    VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4, VK_RMENU = 0xA5,
    VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE,
};

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

// 256 state bytes: bit 7 down, bit 0 toggled.
void GetKeyboardState(uint8_t out[256]);
// Bit 15 while down; bit 0 when the key went down since the previous query
// of that key (the query clears it).
int16_t GetAsyncKeyState(int vk);
bool GetCursorPos(Point* out);
// True when the user swapped the left and right mouse buttons. Never on this
// platform; kept so callers read the buttons the way the game expects.
bool MouseButtonsSwapped();

// The system cursor over the game's window, as ShowCursor: each call adds
// one (show) or takes one away (hide) from a display count that starts at
// 0; the cursor shows while the count is 0 or more. Returns the new count.
// The SDL backend hides its cursor accordingly; the game draws its own.
int ShowCursor(bool show);
bool SystemCursorShown();

// Feeding the state (backends, tests). A left or right Shift, Ctrl or Alt
// also drives the side-neutral code.
void SetKeyDown(int vk, bool down);
void SetCursorPos(int x, int y);
// All keys up, toggles and pressed bits cleared, cursor at (0, 0).
void ResetInput();

} // namespace plat
