// PLACEHOLDER bodies (see player_control.h).
#include "client/player_control.h"

CPlayerControl* g_PlayerControl = nullptr;

CPlayerControl::CPlayerControl() { g_PlayerControl = this; }
CPlayerControl::~CPlayerControl() {
    if (g_PlayerControl == this) g_PlayerControl = nullptr;
}
void CPlayerControl::HandleMouse() {}
void CPlayerControl::OnLButtonDown(int, int, int) {}
void CPlayerControl::OnLButtonUp(int, int, int) {}
void CPlayerControl::OnMouseMove(int, int, int) {}
void CPlayerControl::OnRButtonDown(int, int, int) {}
void CPlayerControl::OnRButtonUp(int, int, int) {}
void CPlayerControl::ResetCursor() {}
void CPlayerControl::HandleKeys() {}
void CPlayerControl::HandleHiddenKeys() {}
