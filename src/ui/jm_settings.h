#pragma once
// Row 170: the settings window (screen size, zoom, effect and music
// volume, brightness) and the settings file "set.ini" it reads at start-up
// and writes at shutdown, which also carries three game-progress values.
#include <cstdint>

#include "platform/display.h"
#include "ui/jm.h"

class CJMButton;
class CJMScrollBar;

// Game-progress values kept in "set.ini": 0 at program start. Value 1 is
// set by the game-completion panel (the new-game form then offers a fourth
// difficulty); values 2 and 3 become 126 through the trigger actions
// "ShowHideRole" and "ShowHideOption", and the title menus test them.
extern int32_t g_ProgressValue1;
extern int32_t g_ProgressValue2;
extern int32_t g_ProgressValue3;

// The display's gamma ramp as it was when the settings window was made;
// the brightness scales this copy.
extern plat::GammaRamp g_SavedGammaRamp;

// The game object's settings the window reads and writes, installed by the
// application. Unset: modes and switches read 0 and are not stored, the
// brightness reads 1.0.
struct CJMSettingsHooks {
    int (*getDisplayMode)() = nullptr;         // current display mode
    void (*requestDisplayMode)(int mode) = nullptr;
    int (*getInGameDisplayMode)() = nullptr;   // applied when a game starts
    void (*setInGameDisplayMode)(int mode) = nullptr;
    int (*getZoomSwitch)() = nullptr;
    void (*setZoomSwitch)(int on) = nullptr;
    float (*getBrightness)() = nullptr;        // the brightness fade's factor
};
extern CJMSettingsHooks g_JMSettingsHooks;

class CJMSettings : public CJM {
public:
    // Children 171-178: three sliders, then the buttons 640x480, 800x600,
    // zoom on, zoom off and close.
    static constexpr int kFirstChild = 171;
    static constexpr int kChildCount = 8;

    CJMSettings();
    ~CJMSettings() override;
    void Update() override;
    int Draw(CSurface* surface) override;
    void Release() override;
    int Init(int rowId) override;
    int ReceiveMsg(int msg, int a, int b) override;
    void Show(int shown, int mode) override;
    int OnLButtonDown(int flags, int x, int y) override;
    int OnLButtonUp(int flags, int x, int y) override;
    int OnMouseMove(int flags, int x, int y) override;

    // "set.ini" in the program folder.
    void LoadSettings();
    // 0 when the file could not be written.
    int SaveSettings();
    void SetModeChoice(int mode);
    void SetZoomChoice(int on);
    // The saved ramp x brightness x (slider / 100 + 0.5), when the display
    // has a gamma control.
    void ApplyGamma();
    float GammaFactor() const;
    void Close();

    // Slider value 0..100 (0 without the slider); child of a row id.
    int SliderValue(int rowId) const;
    CJMScrollBar* Slider(int rowId) const;
    CJMButton* Button(int rowId) const;

    // The child that takes the mouse events (kept while a drag holds the
    // button).
    CJM* m_pTarget = nullptr;
    CJM* m_pChild[kChildCount] = {};
    int32_t m_Loaded = 0;  // set by Init; the file is written only then
    // Slider value of an unchanged screen (factor 1.0).
    static constexpr int kNeutralBrightness = 50;

private:
    // Sets the slider (clamped to 0..100) and answers its value.
    int SetSlider(int rowId, int value);
    void ApplySliders();
    // A "set.ini" that is there but holds no settings: logged, defaults.
    void UnreadableSettings(const char* why);
};

extern CJMSettings* g_JMSettings;

// A display mode read from "set.ini": 4, 5 or 6 as read, anything else 4.
int SettingsDisplayMode(int mode);
