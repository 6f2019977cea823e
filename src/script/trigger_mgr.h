#pragma once
// The trigger system of one live scene: its scene script (conditions,
// actions, repeat flags), the scene timer, the condition interpreter and
// the talk scripts' lookups.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CScene;
class CGameObj;

// A record of the wait list (IsArrive / IsArriveRole on the first run).
struct CArrivalRec {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t role = 0;
};

struct CTriggerRec {
    std::string condition;
    std::string action;
    int32_t repeat = 0;
    int32_t fired = 0;
    // 0 once the record has moved to the weighted list.
    int32_t listed = 1;
};

struct CWeightedAction {
    int32_t weight = 0;
    std::string action;
};

class CTriggerMgr {
public:
    explicit CTriggerMgr(CScene* scene = nullptr);
    ~CTriggerMgr();
    CTriggerMgr(const CTriggerMgr&) = delete;
    CTriggerMgr& operator=(const CTriggerMgr&) = delete;

    int LoadSceneTriggers(const char* scnName);
    int Tick();
    void RequestRun() { m_RunPending = 1; }
    int RunAll();
    void RunTriggersBlack();
    void RunSceneTransitionTriggers(const char* scnName, int created);
    void SetPlayerHandle(uint32_t handle) { m_DefaultSubject = handle; }
    void SetTimer(int32_t seconds);
    void NoteBldStatusChange(int32_t frame, const char* name);
    void AddWeightedAction(int32_t weight, const char* action);
    void RunWeightedAction();
    void AddArrival(int32_t x, int32_t y, uint32_t role);

    // 1, 0 or -n for an IsHitBox n clause.
    int EvalCondition(const char* text, uint32_t subject);
    // 1, or 0 when there is no subject.
    int ExecuteActions(const char* text, CGameObj* subject);

    std::vector<CArrivalRec> m_Waits;
    // Shared so that a pass holds the record whose action runs even when a
    // nested pass takes it out of the list.
    std::vector<std::shared_ptr<CTriggerRec>> m_Triggers;
    std::vector<CWeightedAction> m_Weighted;
    int32_t m_FirstRun = 0;
    int32_t m_RunPending = 0;
    std::string m_ScriptPath;
    int32_t m_RunReason = 0;
    std::string m_TransitionScene;
    uint32_t m_DefaultSubject = 0xFFFFFFFFu;
    int32_t m_TimerCountsUp = 1;
    int32_t m_Timer = -2;
    CScene* m_pScene = nullptr;
    int32_t m_DeadRoleFlag = 0;
    int32_t m_NewScene = 0;
    int32_t m_BldFrame = 0;
    std::vector<std::string> m_BldNames;
    int32_t m_Black = 0;
    // Counts passes: a pass stops after an action that started another.
    uint32_t m_PassSerial = 0;

    // The latest action texts ExecuteActions ran (oldest first; tests and
    // the debugger read them), and a receiver of each before it runs.
    static constexpr size_t kActionLogSize = 512;
    std::vector<std::string> m_ActionLog;
    std::function<void(const std::string&)> m_OnAction;

private:
    int EvalClause(const std::vector<std::string>& tok, CGameObj* subjectRole, uint32_t subject, int* hitBox);
};

// The talk id a role offers (its talk script in the current scene's
// manager); -1 for none.
int32_t FindTalkId(CGameObj* role);
// Drops the talk scripts kept since the last start.
void ForgetTalkScripts();

// atoi that saturates at the int range; -1 for a missing token.
int32_t ScriptInt(const std::vector<std::string>& tok, size_t i);
// Splits at any of `seps`, runs counted as one, empty pieces skipped.
std::vector<std::string> SplitScript(const std::string& text, const char* seps);

// Installs the bodies of the scene, world and role seams of the trigger
// system (idempotent).
void InstallTriggerHooks();
