#pragma once
// The game object: display mode, game states, the fixed 35 ms logic tick
// and the order in which one frame is ticked and drawn. The message loop
// calls Step whenever no window message waits; everything the game does
// happens inside that call.
#include <cstdint>
#include <string>

#include "gfx/screen_transition.h"

class CSurface;
namespace plat { struct Point; }

enum GameState : int32_t {
    GS_NONE = -1,
    GS_STARTUP = 0,
    GS_RUNNING = 1,
    GS_TITLE = 2,
    GS_INGAME = 3,
    GS_SHUTDOWN = 4,
    GS_DEAD = 5,
    GS_MOVIE = 6,
};

// 3 gives the display back; 4 640x480, 5 800x600, 6 1024x768; any other
// value counts as 640x480. Always 16 bits per pixel.
enum DisplayMode : int32_t { DM_DESKTOP = 3, DM_640 = 4, DM_800 = 5, DM_1024 = 6, DM_NONE = 7 };

class CGameMain {
public:
    CGameMain();
    ~CGameMain();
    CGameMain(const CGameMain&) = delete;
    CGameMain& operator=(const CGameMain&) = delete;

    // One pass of the main loop; 0 ends the program.
    int Step();
    // Milliseconds the loop may wait for input before the next Step has
    // work due (the next logic tick); 0 when something is due now.
    uint32_t MsUntilDue();
    void ChangeState(int newState);
    int TickAndDraw();
    void StrategyTick();
    void ProcessInput();

    int SetDisplayMode(int mode, int force);
    void SetDisplayOption(int option);

    void AddZoom(float delta);
    void SetZoomTarget(float value);
    void RestoreZoomTarget();
    void AdjustZoomTarget(float delta, int saveCurrent);
    void UnzoomPoint(plat::Point* point) const;

    float GetBrightness() const { return m_Brightness; }
    void SetBrightnessTarget(float target, float step);
    void ResetBrightness(float step);

    int PlayMusic(const char* name, int loop);
    int IsMusicPlaying();
    int PlayMovie(const char* path);
    void StopMovie();
    // Ends the movie state: back to the state saved by PlayMovie. A return
    // to the game (state 3) is made directly, without leave or enter
    // actions, so the running game is kept.
    void FinishMovie();

    void StartScreenEffect(int kind);
    void CountHit(int force);
    void MarkMapBuilt() { m_MapBuiltMark = m_CatchUpCalls; }
    void TakeScreenshot(int width, int height);

    int GetCatchUpLimit();
    int IsClientInactive();
    void DrawGame();
    void UpdateUi();
    void DrawUi();
    int StepLoadingWindow();
    void DrawLoadingProgress(int n);
    void OnKeyMessage(uint32_t message, uint32_t wParam, uint32_t lParam, intptr_t* result);
    void OnDisplayRestored();
    void OnDisplayReleasing();

    // Start-up loading and shutdown (states 0 and 4).
    int StartApp();
    void Shutdown();

    // Fields, in the game's declared order.
    CSurface* m_pDisplay = nullptr;
    int32_t m_CurDisplayMode = DM_NONE;
    int32_t m_ReqDisplayMode = DM_NONE;
    int32_t m_CurState = GS_NONE;
    int32_t m_ReqState = GS_STARTUP;
    int32_t m_Reserved = -1;
    char m_ErrorText[512] = {};
    int32_t m_ErrorCode = 0;
    int32_t m_DisplayOption = 2;
    int32_t m_TickCount = 0;
    int32_t m_ScreenWidth = 0;
    int32_t m_ScreenHeight = 0;
    int32_t m_Bpp = 0;
    float m_Zoom = 0.0f;
    float m_ZoomTarget = 0.0f;
    float m_SavedZoom = 0.0f;
    int32_t m_ZoomCap = 1;
    CScreenTransition m_Transition;
    int32_t m_EffectCountdown = 0;
    int32_t m_MapBuiltMark = 0;
    int32_t m_HitQuietTicks = 0;
    int32_t m_HitCount = 0;
    int32_t m_LastHitTick = 0;
    int32_t m_LastSeenHitCount = 0;
    int32_t m_MovieReturnState = 0;
    int32_t m_MovieSavedDisplayMode = 0;
    int32_t m_InGameDisplayMode = DM_640;
    std::string m_MoviePath;
    std::string m_MusicName;
    std::string m_SaveName;
    float m_Brightness = 1.0f;
    float m_BrightnessTarget = 1.0f;
    float m_BrightnessStep = 0.1f;
    // Used by the player controller's keys and the view port.
    int32_t m_ControlValue1 = 0;
    int32_t m_ControlValue2 = 0;
    int32_t m_FrameCapture = 0;
    int32_t m_DevMode = 0;
    int32_t HiddenModeFlag1 = 0;
    int32_t HiddenModeFlag2 = 1;
    int32_t m_MovieCountdown = 0;
    // Ticks a held key waits before it repeats in the message list and the
    // journal: a quarter second.
    int32_t m_KeyRepeatDelay = 7;

    // Bookkeeping of the frame loop.
    int32_t m_LogicTimeDone = 0;
    int32_t m_LogicTimeSet = 0;  // 0 until the first tick routine call
    int32_t m_CatchUpCalls = 0;
    // Frames drawn since start (diagnostics; tests read it).
    int32_t m_FramesDrawn = 0;
    // Set once Step has returned 0: every later call returns 0 at once.
    int32_t m_Finished = 0;

private:
    void RunLogicTick();
    void MovieStep();
    void EnterState(int state);
    void LeaveState(int state, int newState);
    void BeforeStrategy();
    void AfterStrategy();
};

extern CGameMain g_GameMain;

// Shows the loading window; the world loader calls it (through its hook)
// before a long load, and the game object then draws it until its progress
// is full.
void ShowLoadingWindow();

// The mouse record of the input pass.
struct CMouseRecord {
    int32_t x = 0;
    int32_t y = 0;
    int32_t prevX = 0;
    int32_t prevY = 0;
    int32_t leftVk = 1;
    int32_t rightVk = 2;
    int32_t moved = 1;
    int32_t leftDown = 0;
    int32_t rightDown = 0;
};
extern CMouseRecord g_MouseRecord;

// Clock reading of the frame loop: milliseconds since the program clock's
// base.
int32_t FrameClockNow();
