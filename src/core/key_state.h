#pragma once
// Keyboard snapshot taken once per logic tick, with the previous snapshot's
// "held" marks so callers can tell a new press from a key held down.
#include <cstdint>

class CKeyState {
public:
    // held[k] = 1 where the key was down in the previous snapshot, then the
    // new states are read.
    void Snapshot();
    // Marks every key that is down now as held, so it does not count as a
    // new press until released and pressed again. Returns 256.
    int LatchDownKeys();

    // A key is down when its state byte is above 15.
    bool IsDown(int vk) const { return vk >= 0 && vk < 256 && m_Keys[vk] > 15; }
    bool IsNewPress(int vk) const { return IsDown(vk) && m_Held[vk] == 0; }

    int m_Reserved1 = 0;
    int m_Reserved2 = 0;
    uint8_t m_Keys[256] = {};
    uint8_t m_Held[256] = {};
};

extern CKeyState g_KeyState;
