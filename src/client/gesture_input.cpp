// PLACEHOLDER bodies (see gesture_input.h).
#include "client/gesture_input.h"

CGestureInput g_GestureInput;

void CGestureInput::Update() {}
void CGestureInput::SetFreeDraw(int on) { m_FreeDraw = on; }
void CGestureInput::DrawTrail2D(CSurface*) {}

void PollGestureInput() { g_GestureInput.Update(); }
void DrawGestureTrail(CSurface* surface) { g_GestureInput.DrawTrail2D(surface); }
