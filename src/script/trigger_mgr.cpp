#include "script/trigger_mgr.h"

#include "script/trigger_actions.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

#include "core/directories.h"
#include "core/log.h"
#include "core/packet.h"
#include "core/txt_table.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "platform/text.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "world/buildings/bld.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/sky/game_clock.h"
#include "world/things/anim_map_obj.h"

namespace {

constexpr int kTicksPerSecond = 28;
constexpr uint32_t kNoSubject = 0xFFFFFFFFu;

// The scene made current for a call and the previous one restored after.
class CSceneScope {
public:
    explicit CSceneScope(CScene* scene) : prev_(g_CurScene) {
        if (scene) SetCurrentScene(scene);
    }
    ~CSceneScope() {
        if (g_CurScene != prev_) SetCurrentScene(prev_);
    }
    CSceneScope(const CSceneScope&) = delete;
    CSceneScope& operator=(const CSceneScope&) = delete;

private:
    CScene* prev_;
};

bool Same(const std::string& a, const char* b) { return b && plat::EqualsNoCase(a, b); }

CRoleData* RecordOf(CGameObj* role) {
    if (!role || !g_SceneHooks.getRecord) return nullptr;
    return g_SceneHooks.getRecord(role->m_DataId);
}

bool LivingRole(CGameObj* obj) {
    if (!obj || obj->m_Removed || !obj->IsRole()) return false;
    auto* role = dynamic_cast<CRole*>(obj);
    return !role || !role->m_Dead;
}

bool NameIs(CGameObj* obj, const std::string& name) {
    const char* pic = obj->GetPictureName();
    return pic && plat::EqualsNoCase(pic, name);
}

CGameObj* FirstLivingRole(const std::string& name) {
    if (!g_CurObjMng) return nullptr;
    for (CObjNode* n = g_CurObjMng->m_Roles.Head(); n; n = n->Next()) {
        auto* obj = static_cast<CGameObj*>(n);
        if (LivingRole(obj) && NameIs(obj, name)) return obj;
    }
    return nullptr;
}

// Truncated distance in 64 bits: script coordinates may be anything.
int64_t Distance(int64_t dx, int64_t dy) {
    const double d2 = double(dx) * double(dx) + double(dy) * double(dy);
    return int64_t(std::floor(std::sqrt(d2)));
}

// cmp missing: equal; 1: below; 2: above; any other: false.
bool Compare(int32_t v, int32_t n, int cmp, bool hasCmp) {
    if (!hasCmp) return v == n;
    if (cmp == 1) return v < n;
    if (cmp == 2) return v > n;
    return false;
}

} // namespace

int32_t ScriptInt(const std::vector<std::string>& tok, size_t i) {
    if (i >= tok.size()) return -1;
    const char* s = tok[i].c_str();
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(s, &end, 10);
    if (end == s) return 0;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return int32_t(v);
}

std::vector<std::string> SplitScript(const std::string& text, const char* seps) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : text) {
        if (std::strchr(seps, c) && c != '\0') {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

CTriggerMgr::CTriggerMgr(CScene* scene) : m_pScene(scene) {}

CTriggerMgr::~CTriggerMgr() {
    m_BldNames.clear();
    for (auto& t : m_Triggers) t->listed = 0;
    m_Triggers.clear();
    m_Waits.clear();
    m_Weighted.clear();
}

int CTriggerMgr::LoadSceneTriggers(const char* scnName) {
    for (auto& t : m_Triggers) t->listed = 0;
    m_Triggers.clear();
    m_Weighted.clear();
    m_ScriptPath = std::string(GetMbDirectory()) + "trigger\\scene\\" + (scnName ? scnName : "") + ".txt";
    if (!plat::PathExists(m_ScriptPath)) return 0;
    CTxtFile file;
    if (!file.Load(m_ScriptPath.c_str())) return 0;  // the load showed the path
    for (int row = 1; row < file.GetRowCount(); ++row) {
        auto rec = std::make_shared<CTriggerRec>();
        const std::string* c = file.Cell(row, 0);
        const std::string* a = file.Cell(row, 1);
        if (c) rec->condition = *c;
        if (a) rec->action = *a;
        int repeat = 0;
        file.GetInt(row, 2, &repeat);
        rec->repeat = repeat;
        m_Triggers.push_back(std::move(rec));
    }
    m_FirstRun = 1;
    return 1;
}

int CTriggerMgr::Tick() {
    // An idle timer stays idle: a new manager counts up from -2, which
    // would make the next tick an expiry and then a running stopwatch.
    if (m_Timer >= 0 && m_TimerCountsUp) {
        if (m_Timer < INT32_MAX) ++m_Timer;
    } else if (m_Timer >= 0) {
        const int32_t was = m_Timer--;
        if (was == 1) SetTimer(-1);
    } else if (m_Timer == -1) {
        m_Timer = -2;
    }
    if (m_RunPending) {
        RunAll();
        m_RunPending = 0;
        m_FirstRun = 0;
        return 1;
    }
    if (GetGameTickCount() % kTicksPerSecond == 2) RequestRun();
    return 1;
}

int CTriggerMgr::RunAll() {
    const uint32_t serial = ++m_PassSerial;
    // A copy of the list: records that leave it during the walk (IsHitBox,
    // a reload from an action) are skipped, the running one is kept alive.
    const std::vector<std::shared_ptr<CTriggerRec>> walk = m_Triggers;
    for (const auto& rec : walk) {
        if (!rec->listed) continue;
        if (rec->fired && rec->repeat == 0) continue;
        const int r = EvalCondition(rec->condition.c_str(), kNoSubject);
        if (r < 0) {
            AddWeightedAction(-int64_t(r) > INT32_MAX ? INT32_MAX : -r, rec->action.c_str());
            rec->listed = 0;
            for (size_t i = 0; i < m_Triggers.size(); ++i)
                if (m_Triggers[i] == rec) {
                    m_Triggers.erase(m_Triggers.begin() + std::ptrdiff_t(i));
                    break;
                }
        } else if (r > 0) {
            rec->fired = 1;
            ExecuteActions(rec->action.c_str(), nullptr);
            // A nested pass walked the list to its end: this one stops.
            if (m_PassSerial != serial) break;
        }
    }
    return 1;
}

void CTriggerMgr::RunTriggersBlack() {
    m_Black = 1;
    RunAll();
    m_Black = 0;
}

void CTriggerMgr::RunSceneTransitionTriggers(const char* scnName, int created) {
    m_NewScene = created;
    m_DeadRoleFlag = 0;
    m_RunReason = 1;
    if (scnName) m_TransitionScene = scnName;
    RunAll();
    m_RunReason = 0;
}

void CTriggerMgr::SetTimer(int32_t seconds) {
    m_Timer = seconds;
    PacketFields f;
    f.type = kPacketReset;
    f.sub = 57;
    uint8_t packet[4];
    if (seconds >= 0) {
        if (seconds >= 3 && m_pScene) {
            f.value = seconds;
            WritePacket(f, packet, 4);
            m_pScene->Broadcast(packet);
        }
        const int64_t ticks = int64_t(seconds) * kTicksPerSecond;
        m_Timer = ticks > INT32_MAX ? INT32_MAX : int32_t(ticks);
    } else {
        RequestRun();
        if (m_pScene) {
            f.value = -1;
            WritePacket(f, packet, 4);
            m_pScene->Broadcast(packet);
        }
    }
    m_TimerCountsUp = m_Timer == 0 ? 1 : 0;
}

void CTriggerMgr::NoteBldStatusChange(int32_t frame, const char* name) {
    if (frame != m_BldFrame) m_BldNames.clear();
    m_BldFrame = frame;
    m_BldNames.emplace_back(name ? name : "");
}

void CTriggerMgr::AddWeightedAction(int32_t weight, const char* action) {
    m_Weighted.push_back({weight, action ? action : ""});
}

void CTriggerMgr::RunWeightedAction() {
    const int64_t r = plat::Rand() % 100;
    int64_t sum = 0;
    for (size_t i = 0; i < m_Weighted.size(); ++i) {
        sum += m_Weighted[i].weight;
        if (r < sum) {
            const std::string action = m_Weighted[i].action;
            ExecuteActions(action.c_str(), nullptr);
            return;
        }
    }
}

void CTriggerMgr::AddArrival(int32_t x, int32_t y, uint32_t role) { m_Waits.push_back({x, y, role}); }

int CTriggerMgr::EvalCondition(const char* text, uint32_t subject) {
    CSceneScope scope(m_pScene);
    CGameObj* role = subject != kNoSubject ? GetRoleByHandle(subject) : nullptr;
    if (!role && m_DefaultSubject != kNoSubject) role = GetRoleByHandle(m_DefaultSubject);
    if (!role) return 0;
    for (const std::string& clause : SplitScript(text ? text : "", "*")) {
        const std::vector<std::string> tok = SplitScript(clause, " \t\r\n");
        if (tok.empty()) continue;
        int hitBox = 0;
        const int held = EvalClause(tok, role, subject, &hitBox);
        if (hitBox) {
            const int32_t n = ScriptInt(tok, 1);
            return n == INT32_MIN ? INT32_MAX : -n;
        }
        if (!held) return 0;
    }
    return 1;
}

int CTriggerMgr::EvalClause(const std::vector<std::string>& tok, CGameObj* subj, uint32_t subject, int* hitBox) {
    const std::string& key = tok[0];
    const bool hasArg2 = tok.size() > 2;
    if (Same(key, "IsProp") || Same(key, "IsPropInBody")) {
        CRoleData* rec = RecordOf(subj);
        if (!rec) return 0;
        const int32_t id = ScriptInt(tok, 1);
        const bool body = Same(key, "IsPropInBody");
        const int slot = body ? rec->FindCarriedItemById(id) : rec->FindItemById(id);
        const bool has = slot >= 0;
        return (hasArg2 && ScriptInt(tok, 2) == 0) ? !has : has;
    }
    if (Same(key, "IsSeePlayer")) {
        if (tok.size() < 2 || !g_CurObjMng) return 0;
        for (CObjNode* n = g_CurObjMng->m_Roles.Head(); n; n = n->Next()) {
            auto* obj = static_cast<CGameObj*>(n);
            if (!LivingRole(obj) || !NameIs(obj, tok[1])) continue;
            auto* role = dynamic_cast<CRole*>(obj);
            if (role && role->m_PlayerSeen) return 1;
        }
        return 0;
    }
    if (Same(key, "IsBlack")) return m_Black ? 1 : 0;
    if (Same(key, "IsSurFaceObjNum")) {
        if (!g_CurObjMng) return 0;
        return g_CurObjMng->CountLiveBeasties() == ScriptInt(tok, 1);
    }
    if (Same(key, "IsArrive")) {
        const int32_t x = ScriptInt(tok, 1), y = ScriptInt(tok, 2), r = ScriptInt(tok, 3);
        const bool held = Distance(int64_t(subj->m_X) - x, int64_t(subj->m_Y) - y) <= r;
        if (held && m_FirstRun) AddArrival(x, y, kNoSubject);
        return held;
    }
    if (Same(key, "IsArriveRole")) {
        if (tok.size() < 2) return 0;
        CGameObj* other = FirstLivingRole(tok[1]);
        if (!other) return 0;
        const bool held = Distance(int64_t(other->m_X) - subj->m_X, int64_t(other->m_Y) - subj->m_Y) <= ScriptInt(tok, 2);
        if (held && m_FirstRun) AddArrival(0, 0, other->m_Handle);
        return held;
    }
    if (Same(key, "IsScn")) return tok.size() >= 2 && plat::EqualsNoCase(tok[1], m_TransitionScene);
    if (Same(key, "IsScnIn")) {
        if (m_RunReason != 1) return 0;
        if (tok.size() < 2) return 1;
        if (!plat::EqualsNoCase(tok[1], m_TransitionScene) && !plat::EqualsNoCase(tok[1], "NULL")) return 0;
        if (hasArg2 && ScriptInt(tok, 2) == 1) return m_NewScene ? 1 : 0;
        return 1;
    }
    if (Same(key, "IsScnOut")) {
        if (m_RunReason != 2) return 0;
        return tok.size() < 2 || plat::EqualsNoCase(tok[1], m_TransitionScene);
    }
    if (Same(key, "IsFlag")) {
        CRoleData* rec = RecordOf(subj);
        if (!rec || tok.size() < 2) return 0;
        return Compare(rec->GetFlag(tok[1].c_str()), ScriptInt(tok, 2), ScriptInt(tok, 3), tok.size() > 3);
    }
    if (Same(key, "IsDead")) {
        if (tok.size() < 2) return GetRoleByHandle(subject) ? 0 : 1;
        if (plat::EqualsNoCase(tok[1], "Auto")) return m_DeadRoleFlag ? 1 : 0;
        return FirstLivingRole(tok[1]) ? 0 : 1;
    }
    if (Same(key, "IsVsFlag")) return m_pScene && m_pScene->GetState() == ScriptInt(tok, 1);
    if (Same(key, "IsTimer")) return m_Timer == -1;
    if (Same(key, "IsTimerOpen")) return ScriptInt(tok, 1) == 1 ? m_Timer >= 0 : m_Timer < 0;
    if (Same(key, "IsLevel")) {
        CRoleData* rec = RecordOf(subj);
        return rec && rec->m_Level >= ScriptInt(tok, 1);
    }
    if (Same(key, "IsHitBox")) {
        *hitBox = 1;
        return 0;
    }
    if (Same(key, "IsBldStatus")) {
        if (tok.size() < 2 || !g_CurObjMng) return 0;
        const int32_t status = ScriptInt(tok, 2);
        bool found = false;
        for (CGameObj* o = g_CurObjMng->FindFirstObjByName(tok[1].c_str()); o; o = g_CurObjMng->FindNextObjByName()) {
            auto* bld = dynamic_cast<CMechBld*>(o);
            if (bld && bld->m_State == status) {
                found = true;
                break;
            }
        }
        if (!found) return 0;
        if (tok.size() > 3) return 1;
        if (m_BldFrame != GetGameTickCount()) return 0;
        for (const std::string& n : m_BldNames)
            if (plat::EqualsNoCase(n, tok[1])) return 1;
        return 0;
    }
    if (Same(key, "IsMoney")) {
        CRoleData* rec = RecordOf(subj);
        if (!rec) return 0;
        return Compare(rec->m_Money, ScriptInt(tok, 1), ScriptInt(tok, 2), hasArg2);
    }
    plat::MessageBox(key, "", plat::MB_OK);
    return 0;
}

int CTriggerMgr::ExecuteActions(const char* text, CGameObj* subject) {
    CSceneScope scope(m_pScene);
    if (!subject && m_DefaultSubject != kNoSubject) subject = GetRoleByHandle(m_DefaultSubject);
    if (!subject) return 0;
    // The log keeps the latest texts only: a scene runs for hours.
    if (m_ActionLog.size() >= kActionLogSize) m_ActionLog.erase(m_ActionLog.begin(), m_ActionLog.begin() + kActionLogSize / 2);
    m_ActionLog.emplace_back(text ? text : "");
    const std::string copy = m_ActionLog.back();
    if (m_OnAction) m_OnAction(copy);
    RunActionText(this, copy.c_str(), subject);
    return 1;
}

// ---------------------------------------------------------------- talk

namespace {

// Talk scripts keep for the run: the files do not change while the game runs.
std::map<std::string, std::unique_ptr<CTxtTable>>& TalkCache() {
    static std::map<std::string, std::unique_ptr<CTxtTable>> cache;
    return cache;
}

CTxtTable* TalkScript(const char* picture) {
    const std::string path = std::string(GetMbDirectory()) + "trigger\\talk\\" + picture + ".txt";
    auto& cache = TalkCache();
    auto it = cache.find(path);
    if (it != cache.end()) return it->second.get();
    std::unique_ptr<CTxtTable> table;
    if (plat::PathExists(path)) {
        table = std::make_unique<CTxtTable>();
        if (!table->Load(path.c_str(), 0, 1, 1)) table.reset();
    }
    CTxtTable* out = table.get();
    cache.emplace(path, std::move(table));
    return out;
}

} // namespace

void ForgetTalkScripts() { TalkCache().clear(); }

int32_t FindTalkId(CGameObj* role) {
    if (!role) return -1;
    const char* picture = role->GetPictureName();
    if (!picture || !*picture) return -1;
    CTxtTable* table = TalkScript(picture);
    if (!table) return -1;
    CTriggerMgr* mgr = g_CurScene ? g_CurScene->m_pTriggers : nullptr;
    if (!mgr) return -1;
    for (int i = 0; i < table->GetRowCount(); ++i) {
        CTxtRow* row = table->GetRowAt(i);
        if (!row || row->GetInt(7) != 1) continue;
        const char* cond = row->GetString(1);
        if (mgr->EvalCondition(cond ? cond : "", kNoSubject) != 0) return row->GetInt(0);
    }
    return -1;
}

// ---------------------------------------------------------------- hooks

void InstallTriggerHooks() {
    ForgetTalkScripts();
    g_SceneHooks.createTriggers = [](CScene* scene) { return new CTriggerMgr(scene); };
    g_SceneHooks.deleteTriggers = [](CTriggerMgr* t) { delete t; };
    g_SceneHooks.tickTriggers = [](CTriggerMgr* t) {
        if (t) t->Tick();
    };
    g_SceneHooks.loadSceneTriggers = [](CTriggerMgr* t, const char* name) {
        if (t) t->LoadSceneTriggers(name);
    };
    g_SceneHooks.runTransitionTriggers = [](CTriggerMgr* t, const char* name, int created) {
        if (t) t->RunSceneTransitionTriggers(name, created);
    };
    g_SceneHooks.setPlayerHandle = [](CTriggerMgr* t, uint32_t h) {
        if (t) t->SetPlayerHandle(h);
    };
    g_SceneHooks.evalCondition = [](CTriggerMgr* t, const char* text, uint32_t h) {
        return t ? t->EvalCondition(text, h) : 0;
    };
    g_SceneHooks.executeActions = [](CTriggerMgr* t, const char* text, CGameObj* s) {
        return t ? t->ExecuteActions(text, s) : 0;
    };
    g_WorldHooks.executeActions = [](CScene* scene, const char* text, CGameObj* s) {
        return scene && scene->m_pTriggers ? scene->m_pTriggers->ExecuteActions(text, s) : 0;
    };
    g_WorldHooks.requestRun = [](CScene* scene) {
        if (scene && scene->m_pTriggers) scene->m_pTriggers->RequestRun();
    };
    g_WorldHooks.noteBldStatusChange = [](CScene* scene, const char* name, int32_t tick) {
        if (scene && scene->m_pTriggers) scene->m_pTriggers->NoteBldStatusChange(tick, name);
    };
    g_WorldHooks.runWeightedAction = [](CScene* scene) {
        if (scene && scene->m_pTriggers) scene->m_pTriggers->RunWeightedAction();
    };
    g_RoleHooks.setTriggerDeathFlag = [](CTriggerMgr* t) {
        if (t) t->m_DeadRoleFlag = 1;
    };
    g_RoleHooks.findTalkId = [](CGameObj* role) { return FindTalkId(role); };
}
