#pragma once
// A small world made current for a test (handle table and object manager),
// and recording fakes for the hooks the world calls upward. Everything is
// put back when the fixture ends.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "world/objects/game_obj.h"
#include "world/objects/handle_table.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace wtest {

// One world's current parts.
struct TestWorld {
    std::unique_ptr<CHandleTable> table = std::make_unique<CHandleTable>();
    std::unique_ptr<CObjMng> mng;

    TestWorld() : mng(std::make_unique<CObjMng>()) {}
    ~TestWorld() {
        // The objects go before the table their handles live in.
        CHandleTable* keepT = g_CurHandleTable;
        CObjMng* keepM = g_CurObjMng;
        CObjMng* mine = mng.get();
        MakeCurrent();
        mng.reset();
        g_CurHandleTable = keepT == table.get() ? nullptr : keepT;
        g_CurObjMng = keepM == mine ? nullptr : keepM;
    }
    void MakeCurrent() {
        g_CurHandleTable = table.get();
        g_CurObjMng = mng.get();
    }
};

// What the fakes saw, in order ("update 5" etc.).
struct HookLog {
    std::vector<std::string> calls;
    void Add(const std::string& s) { calls.push_back(s); }
};
HookLog& Log();

// Installs recording fakes for every hook (see world_fixture.cpp).
void InstallFakeHooks();

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_SavedHooks = g_WorldHooks;
        g_WorldHooks = CWorldHooks{};
        InstallFakeHooks();
        Log().calls.clear();
        m_World = std::make_unique<TestWorld>();
        m_World->MakeCurrent();
    }
    void TearDown() override {
        m_World.reset();
        ClearCurrentWorld();
        g_WorldHooks = m_SavedHooks;
    }
    CHandleTable& Table() { return *m_World->table; }
    CObjMng& Mng() { return *m_World->mng; }

    std::unique_ptr<TestWorld> m_World;
    CWorldHooks m_SavedHooks;
};

// A plain object that records its ticks into the log as "tick <name>".
class CTestObj : public CMapObj {
public:
    explicit CTestObj(int kind, const char* name = "") {
        m_Kind = kind;
        SetName(name);
    }
    ~CTestObj() override;
    int Tick() override;
};

} // namespace wtest
