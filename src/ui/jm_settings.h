#pragma once
// Row 170: the settings window (screen size, zoom, effect and music
// volume, brightness) and the settings file "set.ini" it reads at start-up
// and writes at shutdown, which also carries three game-progress values.
#include <cstdint>

#include "ui/jm.h"

// Game-progress values kept in "set.ini": 0 at program start. Value 1 is
// set by the game-completion panel (the new-game form then offers a fourth
// difficulty); values 2 and 3 become 126 through the trigger actions
// "ShowHideRole" and "ShowHideOption", and the title menus test them.
extern int32_t g_ProgressValue1;
extern int32_t g_ProgressValue2;
extern int32_t g_ProgressValue3;

// PLACEHOLDER until the settings window lands: a named panel on its row.
class CJMSettings : public CJM {
public:
    int Draw(CSurface* surface) override;
    void ApplyGamma() {}
};

extern CJMSettings* g_JMSettings;
