#pragma once
// The screen presenter: puts the finished back buffer on the screen once
// per drawn frame and passes the display-mode change events on.
// PLACEHOLDER until the presenter is built: Present shows nothing yet.
#include <cstdint>

#include "core/msg_dispatcher.h"

class CSurface;
namespace plat { class Window; }

class CScreen : public CMsgHandler {
public:
    int OnMessage(uint32_t code, uint32_t a, uint32_t b) override;
    virtual int Init();
    int Present(plat::Window* window);

    int32_t m_X = 0;
    int32_t m_Y = 0;
    int32_t m_Width = 0;
    int32_t m_Height = 0;
    int32_t m_Area = 0;
    CSurface* m_pDisplay = nullptr;
    int32_t m_Presents = 0;  // frames handed to Present (diagnostics)
};

extern CScreen g_Screen;
