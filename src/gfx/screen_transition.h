#pragma once
// Full-screen cross-fades of 31 frames run by the game object. Two
// off-screen surfaces of the screen's size: a fixed picture A (black, or a
// snapshot of the screen) and a working picture B, blended toward A at a
// level that follows the counter and then copied to the screen.
//
// Modes: 1 fade in from black (level 15 - counter / 2; stops at 0),
// 2 fade to black (level counter / 2; holds at 0 until stopped), 3 the
// frozen screen (level 15 - counter / 2; stops at 0), 5 a 31-frame pause
// that draws nothing. Other modes create nothing and run nothing.
#include <cstdint>

class CSurface;

class CScreenTransition {
public:
    static constexpr int32_t kFrames = 31;

    CScreenTransition() = default;
    ~CScreenTransition() { Stop(); }
    CScreenTransition(const CScreenTransition&) = delete;
    CScreenTransition& operator=(const CScreenTransition&) = delete;

    // Stops any running transition and starts `mode` on the screen surface.
    // 0.
    int Start(int mode, CSurface* screen);
    // Modes 1-3: B = T[l][B] + T[15 - l][A], then B is copied to the
    // screen. A screen whose size is no longer A's stops the transition
    // (mode 2 only skips the draw).
    void Draw(CSurface* screen);
    // 1 when finished (or idle), 0 while running.
    int Step();
    void Stop();
    // The level Draw uses now (-1 when it draws nothing).
    int32_t Level() const;
    // The working surface the game view is drawn onto while the transition
    // has its surfaces; null otherwise.
    CSurface* GetDrawTarget() const { return m_pB; }

    CSurface* m_pA = nullptr;
    CSurface* m_pB = nullptr;
    int32_t m_Counter = 0;
    int32_t m_StartCounter = 0;
    // Lowered by every Draw, never below 0; nothing depends on it.
    int32_t m_DrawCountdown = 0;
    int32_t m_Mode = 0;
};
