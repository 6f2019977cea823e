#include "platform/input.h"

#include <SDL.h>

#include <cstring>

namespace plat {

namespace {

struct InputState {
    uint8_t keys[256] = {};
    uint8_t pressedSinceAsked[256] = {};
    // Side-specific presses behind a neutral code: bit 0 left, bit 1 right.
    uint8_t sides[3] = {};
    Point cursor;
};

InputState& State() {
    static InputState s;
    return s;
}

void SetRaw(int vk, bool down) {
    InputState& s = State();
    uint8_t& b = s.keys[vk];
    const bool was = (b & 0x80) != 0;
    if (down && !was) {
        b = static_cast<uint8_t>((b ^ 0x01) | 0x80);
        s.pressedSinceAsked[vk] = 1;
    } else if (!down && was) {
        b = static_cast<uint8_t>(b & 0x01);
    }
}

} // namespace

void GetKeyboardState(uint8_t out[256]) { std::memcpy(out, State().keys, 256); }

int16_t GetAsyncKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    InputState& s = State();
    int r = (s.keys[vk] & 0x80) ? 0x8000 : 0;
    if (s.pressedSinceAsked[vk]) r |= 1;
    s.pressedSinceAsked[vk] = 0;
    return static_cast<int16_t>(r);
}

bool GetCursorPos(Point* out) {
    if (!out) return false;
    *out = State().cursor;
    return true;
}

bool MouseButtonsSwapped() { return false; }

namespace {
int g_cursorCount = 0;
} // namespace

int ShowCursor(bool show) {
    g_cursorCount += show ? 1 : -1;
    // Only where a real window may exist: SDL's cursor calls need video.
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(g_cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return g_cursorCount;
}

bool SystemCursorShown() { return g_cursorCount >= 0; }

void SetKeyDown(int vk, bool down) {
    if (vk < 0 || vk > 255) return;
    SetRaw(vk, down);
    if (vk >= VK_LSHIFT && vk <= VK_RMENU) {
        const int pair = (vk - VK_LSHIFT) / 2;  // 0 shift, 1 control, 2 menu
        const uint8_t bit = static_cast<uint8_t>(1u << ((vk - VK_LSHIFT) % 2));
        uint8_t& sides = State().sides[pair];
        sides = down ? static_cast<uint8_t>(sides | bit) : static_cast<uint8_t>(sides & ~bit);
        SetRaw(VK_SHIFT + pair, sides != 0);
    }
}

void SetCursorPos(int x, int y) { State().cursor = Point{x, y}; }

void ResetInput() { State() = InputState{}; }

} // namespace plat
