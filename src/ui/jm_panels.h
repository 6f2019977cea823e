#pragma once
// The game's panels. PLACEHOLDER: a panel whose own work has not landed is
// a named class on its table row that draws its picture and its children
// and takes no input of its own; the later work fills the class in.
#include "ui/jm.h"

// A panel that draws its picture, then its children.
class CJMPanel : public CJM {
public:
    int Draw(CSurface* surface) override;
};

// Row 0: hit-combo counter.
class CJMComboCounter : public CJMPanel {};

// Row 2: nearby enemy bars.
class CJMNearbyBars : public CJMPanel {};

// Row 1: minimap.
class CJMMiniMap : public CJMPanel {};

// Row 18: text input line.
class CJMInputLine : public CJMPanel {};

// Row 91: accessory window.
class CJMAccessory : public CJMPanel {};

// Row 86: shop.
class CJMShop : public CJMPanel {};

// Row 180: storage window.
class CJMStorage : public CJMPanel {};

// Row 61: exchange and combine panel.
class CJMExchange : public CJMPanel {};

// Row 62: equipment window.
class CJMEquip : public CJMPanel {};

// Row 20: item grid.
class CJMItemGrid : public CJMPanel {};

// Row 92: attribute sheet.
class CJMAttribSheet : public CJMPanel {};

// Row 125: character page.
class CJMCharPage : public CJMPanel {};

// Row 103: travel map.
class CJMTravelMap : public CJMPanel {};

// Row 3: head-up display.
class CJMHud : public CJMPanel {};

// A placeholder that a key or a button opens. It is modal while shown, so
// no click or key reaches past it, and Escape or a right click closes it and
// hands the keys back: a panel with nothing to choose must not be a dead end.
class CJMPlaceholderDialog : public CJMPanel {
public:
    void Update() override;
    void Show(int shown, int mode) override;
    int OnRButtonUp(int flags, int x, int y) override;

protected:
    // What the player sees once it closed.
    virtual void AfterClose() {}

private:
    void Close();
};

// Row 148: load-game panel, opened from the title menu, which it shows again
// when it closes.
class CJMSaveList : public CJMPlaceholderDialog {
protected:
    void AfterClose() override;
};


// Row 41: scrolling text box.
class CJMChoice : public CJMPanel {};

// Row 40: talk window.
class CJMTalk : public CJMPanel {};

// Row 44: skill list.
class CJMSkillList : public CJMPanel {};

// Row 60: prompt.
class CJMPrompt : public CJMPanel {};

// Row 57: timer.
class CJMTimer : public CJMPanel {};

// Row 58: blank click-catcher.
class CJMBlank : public CJMPanel {};

// Row 219: game-completion sequence.
class CJMEnding : public CJMPanel {};

// Row 45: system menu, opened with Escape.
class CJMSystemMenu : public CJMPlaceholderDialog {};

// Row 99: journal.
class CJMQuest : public CJMPanel {};

#include "ui/jm_dialogs.h"
#include "ui/jm_newgame.h"
#include "ui/jm_loading.h"
#include "ui/jm_settings.h"
#include "ui/jm_title.h"

extern CJMTitleMenu* g_JMTitleMenu;
