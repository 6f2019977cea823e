#pragma once
// The game host: creates and destroys one running game's server side (the
// scene manager) and client side (the client), runs both once per in-game
// logic tick and hands the messages between them over (core/msg_lists.h).
//
// The host sits below the application and the interface. Where it affects
// them it keeps state they read (the zoom target request, read by the
// game object's in-game tick) or calls hooks they install (g_HostUiHooks).
#include <cstdint>
#include <string>

class CClient;
class CRecordingClient;
class CScnMng;
class CRoleData;
class CPlayerControl;
class CSurface;

// Interface calls of the host; each may stay null.
struct CHostUiHooks {
    // The class chosen on the new-game screen (CJMClassPanel).
    int (*getNewCharacterClass)() = nullptr;
    // CJMHud::ClearShortcutSlots.
    void (*clearShortcutSlots)() = nullptr;
    // ResetQuestJM.
    void (*resetQuestJM)() = nullptr;
};
extern CHostUiHooks g_HostUiHooks;

// GameMode: server and client in one process.
constexpr int kGameModeLocal = 1;
int GetGameMode();

class CGameHost {
public:
    CGameHost();
    ~CGameHost();
    CGameHost(const CGameHost&) = delete;
    // A fresh host over this one (tests): the running game is destroyed.
    CGameHost& operator=(CGameHost&& other) noexcept;

    int Start(CRoleData* record);
    int FrameStep();
    void DrainServerCommands();
    void DrainClientMessages();
    void CreateServer();
    void CreateClient(int loading);
    void DestroyServer();
    void DestroyClient();
    void Shutdown();

    void SetPaused(int on) { m_Paused = on; }
    void SetCombatZoom(int on);
    void UpdateCombatZoom();
    void SetWaitFlag(int value) { m_WaitFlag = value; }
    void SetStartMode(const char* name, int mode);

    // Display-mode events from the screen presenter (1 before, 0 after).
    int OnActivate(int code, int a, int b);
    void Draw(CSurface* surface);
    int ClientsShareScene();

    // Zoom target for the game object: set by the combat zoom, taken by
    // the in-game tick (CGameMain::StrategyTick) right after FrameStep.
    // 1 with the value when one is waiting.
    int TakeZoomRequest(float* value);

    CScnMng* m_pServer = nullptr;
    CRecordingClient* m_pClient = nullptr;
    CPlayerControl* m_pControl = nullptr;
    int32_t m_Paused = 1;
    CScnMng* m_pServer2 = nullptr;
    CClient* m_pClient2 = nullptr;
    int32_t m_StartMode = 0;
    std::string m_StartFile;
    int32_t m_WaitFlag = 0;
    int32_t m_CombatZoom = 0;

    int32_t m_ZoomRequestPending = 0;
    float m_ZoomRequest = 0.0f;
    // Diagnostics that tests read: 1 from Start to Shutdown; FrameStep calls.
    int32_t m_Running = 0;
    int32_t m_FrameSteps = 0;

private:
    void FreeParts();
};

extern CGameHost g_GameHost;
extern CRoleData* g_LocalPlayerRecord;

// Combat zoom target for the distance between the player's role and its
// target: (1 - d / 320) x 0.15 up to 320 pixels (d at least 128, taken as
// the truncated straight distance), 0 beyond; at most 0.0375.
float CombatZoomForDistance(int dx, int dy);

// The server step on g_GameHost.
void ServerStep();
// The one player record whatever the id; null for -1.
CRoleData* GetPlayerRecord(int id);
// The record of the client's controlled role; null when any link is missing.
CRoleData* GetLocalPlayerRecord();
