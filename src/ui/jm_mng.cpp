// PLACEHOLDER bodies (see jm_mng.h).
#include "ui/jm_mng.h"

CJMMng g_JMMng;
CJMLoading* g_JMLoading = nullptr;
CJMSettings* g_JMSettings = nullptr;
CJMVersionPanel* g_JMVersionPanel = nullptr;

int CJMMng::CreatePanels() { return 1; }
void CJMMng::Update() {}
void CJMMng::Draw(CSurface*) {}
void CJMMng::ReceiveMsg(int, int, int) {}
void CJMMng::ShowAll(int) {}
int CJMMng::OnLButtonDown(int, int, int) { return 0; }
int CJMMng::OnLButtonUp(int, int, int) { return 0; }
int CJMMng::OnRButtonDown(int, int, int) { return 0; }
int CJMMng::OnRButtonUp(int, int, int) { return 0; }
int CJMMng::OnMouseMove(int, int, int) { return 0; }
int CJMMng::OnKey(uint32_t, uint32_t, uint32_t, intptr_t*) { return 1; }
int CJMMng::ClearUp() { return 1; }
