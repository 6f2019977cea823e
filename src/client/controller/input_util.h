#pragma once
// Small reads the controller and the gesture input share: the game tick,
// the key snapshot, direct key polls and the command send.
#include <cstdint>

#include "client/client_hooks.h"
#include "client/selection.h"
#include "core/key_state.h"
#include "platform/input.h"

namespace ctl {

inline uint32_t Tick() { return g_ClientHooks.tickCount ? g_ClientHooks.tickCount() : 0; }
inline int32_t Now() { return static_cast<int32_t>(Tick()); }
inline bool AsyncDown(int vk) { return (plat::GetAsyncKeyState(vk) & 0x8000) != 0; }
inline bool Down(int vk) { return g_KeyState.IsDown(vk); }
inline bool NewPress(int vk) { return g_KeyState.IsNewPress(vk); }
inline int Send(int code, int32_t a, int32_t b, int32_t c) {
    return g_Selection ? g_Selection->SendCommand(code, a, b, c) : 0;
}

} // namespace ctl
