#include "world_fixture.h"

namespace wtest {

HookLog& Log() {
    static HookLog log;
    return log;
}

CTestObj::~CTestObj() { Log().Add("delete " + m_Name); }

int CTestObj::Tick() {
    Log().Add("tick " + m_Name);
    return 1;
}

void InstallFakeHooks() {
    g_WorldHooks.requestRun = [](CScene*) { Log().Add("requestRun"); };
    g_WorldHooks.executeActions = [](CScene*, const char* text, CGameObj* subject) {
        Log().Add(std::string("actions ") + text + " " + subject->m_Name);
        return 7;
    };
    g_WorldHooks.roleUpdate = [](CGameObj* o) { Log().Add("op11 " + o->m_Name); };
    g_WorldHooks.roleClientStep = [](CGameObj* o) { Log().Add("op47 " + o->m_Name); };
    g_WorldHooks.magicUpdate = [](CGameObj* o) { Log().Add("op18 " + o->m_Name); };
    g_WorldHooks.magicClientStep = [](CGameObj* o) { Log().Add("op19 " + o->m_Name); };
    g_WorldHooks.updateClientSlots = [] { Log().Add("clientSlots"); };
    g_WorldHooks.updateTalkId = [](CGameObj* o) { Log().Add("talk " + o->m_Name); };
    g_WorldHooks.roleEnterCell = [](CGameObj* o, int mode) {
        Log().Add("enter " + o->m_Name + " " + std::to_string(mode));
    };
    g_WorldHooks.roleSetAppearance = [](CGameObj* o, int32_t extra) {
        Log().Add("op26 " + std::to_string(o->m_Kind) + " " + std::to_string(extra));
    };
}

} // namespace wtest
