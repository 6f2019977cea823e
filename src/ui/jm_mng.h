#pragma once
// The panel manager: owns every panel in creation order, loads the panel
// table and the fonts, routes mouse events and keyboard messages to the
// panels before the world sees them, and finds panels and controls by
// their table row id.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/containers.h"
#include "core/txt_table.h"
#include "gfx/anim.h"
#include "ui/jm.h"
#include "ui/jm_panels.h"

// The panel-table row of the in-game bar, and the game state of a running
// game, as the panels test them.
constexpr int kRowHud = 3;
constexpr int kStateInGame = 3;

class CSurface;
namespace plat { class Font; }

// Calls of the panels into the game object and the game host, installed by
// the application at start-up. An unset hook does nothing (answers 0).
struct CJMHooks {
    void (*setPaused)(int on) = nullptr;
    int (*tickCount)() = nullptr;
    int (*screenWidth)() = nullptr;
    int (*screenHeight)() = nullptr;
    void (*requestState)(int state) = nullptr;
    // The versus banner's names (opponent, player): 0 when there is no
    // player role, no opponent near or more than two roles about.
    int (*getVersusNames)(std::string* opponent, std::string* player) = nullptr;
    // A followed role's head point on the screen: 0 when the role is gone.
    int (*getRoleHeadPoint)(uint16_t handle, int* x, int* y) = nullptr;
    // The title screen's calls: the game state now, the configured version,
    // and the save manager's part of a new game (a save of that name
    // exists; a valid birthday is stored (1) or refused (0); the name and
    // difficulty become the save's and no save is to be loaded); 1 once a
    // game has been completed in this run.
    int (*gameState)() = nullptr;
    float (*gameVersion)() = nullptr;
    int (*saveExists)(const char* name) = nullptr;
    int (*setMonthDay)(int month, int day) = nullptr;
    void (*newGame)(const char* name, int difficulty) = nullptr;
    int (*gameCompleted)() = nullptr;
};
extern CJMHooks g_JMHooks;

// One entry of the list of panels to create.
struct JMPanelSpec {
    int rowId;
    std::function<CJM*()> make;
};

constexpr int kJMFontCount = 6;
constexpr int kJMIdMapSize = 1000;

class CJMMng : public CObjList {
public:
    CJMMng();
    ~CJMMng() override;

    // Start-up: the table, the fonts, the frame animation and the 35 panels.
    // 0 (after a message box and a log line naming the file and the first
    // missing row) when the table lacks a row the panels read; nothing is
    // created then.
    int CreatePanels();
    // The same with a list of panels of the caller's (tests) and the rows
    // they need besides their own.
    int CreatePanelsFrom(const std::vector<JMPanelSpec>& panels, const std::vector<int>& otherRows);
    CJM* GetJM(int rowId) const;
    void Update();
    void Draw(CSurface* surface);
    int ReceiveMsg(int code, int width, int height);
    void ShowAll(int value);
    void SetFocusPanel(CJM* panel, int on);
    int OnLButtonDown(int flags, int x, int y);
    int OnLButtonUp(int flags, int x, int y);
    int OnRButtonDown(int flags, int x, int y);
    int OnRButtonUp(int flags, int x, int y);
    int OnMouseMove(int flags, int x, int y);
    int OnKey(uint32_t message, uint32_t wParam, uint32_t lParam, intptr_t* extra);
    int ClearUp();
    void AddKeyWindow(CJM* control);
    void RemoveKeyWindow(CJM* control);
    void CloseSceneJM();
    void ResetQuestJM();

    // Registers a panel or control under its row id (the first one stays).
    // False, with a log line, for an id outside the map.
    bool Register(int rowId, CJM* panel);
    void Unregister(CJM* panel);

    int ScreenWidth() const;
    int ScreenHeight() const;
    int TickCount() const { return g_JMHooks.tickCount ? g_JMHooks.tickCount() : 0; }

    // The modal panel that holds the input focus, or null.
    CJM* m_pFocus = nullptr;
    CJM* m_pHover = nullptr;
    CJM* m_pPressed = nullptr;
    std::vector<CJM*> m_KeyWindows;
    // The edit box that takes the keys (the last shown or clicked one).
    CJM* m_pKeyFocus = nullptr;
    CPtrTable m_IdMap;
    // 0 from a left press that no panel took until the next Update.
    int32_t m_ClickTaken = 1;
    int32_t m_ScreenW = 640, m_ScreenH = 480;

    // The panel under a screen point, or null.
    CJM* GetTargetPanel(int x, int y);
    // The panel fonts again ("Font.txt").
    void LoadFonts();

private:
    void Route(CJM* target);
    int CheckRows(const char* fileName, const std::vector<int>& rows);
};

extern CJMMng g_JMMng;
// The panel table in use ("JMMDL.txt" or "JMMDL800.txt").
extern CTxtTable g_JMMdl;
// The six UI fonts (null until loaded).
extern std::unique_ptr<plat::Font> g_JMFonts[kJMFontCount];
// The box frame edges: sequences 0-3 top, bottom, left, right.
extern CAnimRes g_JMFrameAnim;

// The rows the panels read: the 35 panel rows and their controls.
const std::vector<JMPanelSpec>& JMDefaultPanels();
const std::vector<int>& JMRequiredControlRows();

// "Font.txt": six fonts at most; sizes in points (pixels = points x 96 /
// 72) clamped to 6-72 pixels. Without the file, six 12-pixel fonts.
void LoadJMFonts(const std::string& path);
plat::Font* JMFont(int index);
