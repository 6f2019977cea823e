#pragma once
// The screen presenter: puts the finished back buffer on the screen once
// per drawn frame, and is the listener of the display-mode change events
// (1 before, 0 after), which it hands on to everything that holds video
// memory. Between the two events it holds no display surface, so no frame
// is presented from a surface that is being remade.
#include <cstdint>

#include "core/msg_dispatcher.h"

class CSurface;
namespace plat { class Window; }

class CScreen : public CMsgHandler {
public:
    // Always 1: the presenter stays registered.
    int OnMessage(uint32_t code, uint32_t a, uint32_t b) override;
    // Reads the screen size, takes the display surface of the game object
    // and registers with the dispatcher. Returns 1.
    virtual int Init();
    // Blits the display surface to the window; the blit's result (0 without
    // a display surface).
    int Present(plat::Window* window);

    int32_t m_X = 0;
    int32_t m_Y = 0;
    int32_t m_Width = 0;
    int32_t m_Height = 0;
    int32_t m_Area = 0;
    CSurface* m_pDisplay = nullptr;
    int32_t m_Presents = 0;  // frames handed to Present (diagnostics)

private:
    void ReadScreenSize();
    // Restores the primary surface when it reports itself lost.
    void RestoreLostSurfaces();
};

extern CScreen g_Screen;
