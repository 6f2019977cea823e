#include "core/key_state.h"

#include "platform/input.h"

CKeyState g_KeyState;

void CKeyState::Snapshot() {
    for (int k = 0; k < 256; ++k) m_Held[k] = m_Keys[k] > 15 ? 1 : 0;
    plat::GetKeyboardState(m_Keys);
}

int CKeyState::LatchDownKeys() {
    for (int k = 0; k < 256; ++k) {
        if (m_Keys[k] > 15) m_Held[k] = 1;
    }
    return 256;
}
