#pragma once
// The title screen's panels: the title menu, the class choice, the
// scrolling credits picture and the picture show.
#include <cstdint>

#include "ui/jm.h"

// Row 25: the title menu. Buttons 31-35 and 167 (167 only once the options
// were opened by the story); a type-3 button lights while hovered.
class CJMTitleMenu : public CJM {
public:
    int Draw(CSurface* surface) override;
    int Init(int rowId) override;
    void Show(int shown, int mode) override;
    int OnLButtonUp(int flags, int x, int y) override;
    int OnMouseMove(int flags, int x, int y) override;
    void Choose(int id);

    CJM* m_pHovered = nullptr;
    int32_t m_PendingChoice = -1;
};

// Row 26: the class choice. Each child carries its class id in column 19
// and its portrait (picture id, sequence) in column 3.
class CJMStartMenu : public CJM {
public:
    CJMStartMenu();
    ~CJMStartMenu() override;
    void Update() override;
    int Draw(CSurface* surface) override;
    int Init(int rowId) override;
    void Show(int shown, int mode) override;
    int OnLButtonUp(int flags, int x, int y) override;

    // The class a new game starts with (read by the game host).
    int32_t m_ChosenClass = 0;
};

// Row 28: a tall picture scrolling up over a black screen, wrapping.
class CJMScroller : public CJM {
public:
    void Update() override;
    int Draw(CSurface* surface) override;
    void Show(int shown, int mode) override;

    int32_t m_Offset = 480;
};

// Row 166: the sequences of its picture one after another over a black
// screen; clicks step forward (left) and back (right).
class CJMSlideShow : public CJM {
public:
    void Update() override;
    int Draw(CSurface* surface) override;
    void Show(int shown, int mode) override;
    int OnLButtonUp(int flags, int x, int y) override;
    int OnRButtonUp(int flags, int x, int y) override;
    void Go(int index);

    int32_t m_Index = 0;
};

extern CJMStartMenu* g_JMStartMenu;

// Sounds of the title screen.
constexpr int kSoundTitleLoop = 144;
constexpr int kSoundTitleHover = 147;
constexpr int kSoundClassChosen = 149;
