#pragma once
// The player controller: mouse and keyboard control of the player's role.
// The game host creates it (published in g_PlayerControl).
// PLACEHOLDER until the player controller lands: the handlers do nothing.
class CPlayerControl {
public:
    CPlayerControl();
    virtual ~CPlayerControl();
    void HandleMouse();
    void OnLButtonDown(int flags, int x, int y);
    void OnLButtonUp(int flags, int x, int y);
    void OnMouseMove(int flags, int x, int y);
    void OnRButtonDown(int flags, int x, int y);
    void OnRButtonUp(int flags, int x, int y);
    void ResetCursor();
    void HandleKeys();
    // The hidden developer-mode keys.
    void HandleHiddenKeys();
};

extern CPlayerControl* g_PlayerControl;
