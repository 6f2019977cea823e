#pragma once
// Full-screen fades run by the game object.
// PLACEHOLDER until the graphics engine's transition lands: it keeps the
// mode and the 31-frame counter so the frame loop's timing is right, but
// owns no surfaces and draws nothing. The later work replaces the bodies.
#include <cstdint>

class CSurface;

class CScreenTransition {
public:
    CScreenTransition() = default;
    ~CScreenTransition() { Stop(); }
    CScreenTransition(const CScreenTransition&) = delete;
    CScreenTransition& operator=(const CScreenTransition&) = delete;

    // Stops any running transition and starts `mode` on the screen surface.
    int Start(int mode, CSurface* screen);
    void Draw(CSurface* screen);
    // 1 when finished (or idle), 0 while running.
    int Step();
    void Stop();
    // The working surface the game view is drawn onto while the transition
    // has its surfaces; null otherwise.
    CSurface* GetDrawTarget() const { return m_pB; }

    CSurface* m_pA = nullptr;
    CSurface* m_pB = nullptr;
    int32_t m_Counter = 0;
    int32_t m_StartCounter = 0;
    int32_t m_DrawCountdown = 0;
    int32_t m_Mode = 0;
};
