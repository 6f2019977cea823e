#pragma once
// The panel manager and the few panels the game object talks to.
// PLACEHOLDER until the user interface lands: there are no panels; mouse
// events are never taken, the loading window and the settings panel do not
// exist (null pointers). The later work replaces the bodies and the panel
// classes, not the callers.
#include <cstdint>

class CSurface;

// Base of every panel.
class CJM {
public:
    virtual ~CJM() = default;
    virtual void Show(int shown, int mode) {
        m_Shown = shown;
        (void)mode;
    }
    int IsShown() const { return m_Shown; }

    int m_Shown = 0;
};

// The loading window.
class CJMLoading : public CJM {
public:
    // Adds n to the progress; non-zero while it is below 16.
    int AddProgress(int n) {
        m_Progress += n;
        return m_Progress < 16;
    }
    int m_Progress = 0;
};

// The settings panel.
class CJMSettings : public CJM {
public:
    void ApplyGamma() {}
};

class CJMVersionPanel : public CJM {};

class CJMMng {
public:
    int CreatePanels();
    void Update();
    void Draw(CSurface* surface);
    void ReceiveMsg(int code, int width, int height);
    void ShowAll(int value);
    int OnLButtonDown(int flags, int x, int y);
    int OnLButtonUp(int flags, int x, int y);
    int OnRButtonDown(int flags, int x, int y);
    int OnRButtonUp(int flags, int x, int y);
    int OnMouseMove(int flags, int x, int y);
    int OnKey(uint32_t message, uint32_t wParam, uint32_t lParam, intptr_t* extra);
    int ClearUp();

    // The modal panel that holds the input focus, or null.
    CJM* m_pFocus = nullptr;
};

extern CJMMng g_JMMng;
extern CJMLoading* g_JMLoading;
extern CJMSettings* g_JMSettings;
extern CJMVersionPanel* g_JMVersionPanel;
