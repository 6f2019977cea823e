#pragma once
// Gesture casting input: cursor sampling and the drawn trail.
// PLACEHOLDER until the client subsystem lands: nothing is sampled or drawn.
// PollGestureInput and DrawGestureTrail live here rather than with the
// graphics engine's 3D layer because they call into the client side.
class CSurface;

class CGestureInput {
public:
    void Update();
    void SetFreeDraw(int on);
    void DrawTrail2D(CSurface* surface);

    int m_FreeDraw = 0;
};

extern CGestureInput g_GestureInput;

// Once per logic tick: the gesture input's update.
void PollGestureInput();
// Once per presented frame: the gesture trail.
void DrawGestureTrail(CSurface* surface);
