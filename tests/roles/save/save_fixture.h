#pragma once
// A save-game fixture: a scratch save folder, a fixed wall time, and a
// stand-in role data record whose serialised bytes are whatever the test
// puts in it (a record layout built with datagen). The save manager reaches
// it through g_SaveRecordOps and the scene's record hook, as it reaches the
// real record; the HUD block goes through recording hooks in g_RoleHooks.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "datagen/save_writer.h"
#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/fs.h"
#include "roles/role_hooks.h"
#include "roles/save/record_link.h"
#include "roles/save_mgr.h"
#include "support/test_env.h"
#include "world/objects/game_obj.h"
#include "world/scene/scene_hooks.h"

namespace save_fixture {

struct StandInRecord {
    std::string bytes;
    int32_t level = 1;
    int applied = 0;
    static inline int live = 0;
    StandInRecord() { ++live; }
    ~StandInRecord() { --live; }
};

inline StandInRecord* AsStandIn(CRoleData* r) { return reinterpret_cast<StandInRecord*>(r); }
inline CRoleData* AsRecord(StandInRecord* r) { return reinterpret_cast<CRoleData*>(r); }

inline std::string ReadStream(FILE* f) {
    std::string out;
    char buf[4096];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) out.append(buf, n);
    return out;
}

inline CSaveRecordOps StandInOps() {
    CSaveRecordOps ops;
    ops.create = [] { return AsRecord(new StandInRecord); };
    ops.destroy = [](CRoleData* r) { delete AsStandIn(r); };
    ops.saveRole = [](CRoleData* r, FILE* f) {
        const std::string& b = AsStandIn(r)->bytes;
        return std::fwrite(b.data(), 1, b.size(), f) == b.size() ? 1 : 0;
    };
    // The manager hands over exactly the record's bytes.
    ops.loadRole = [](CRoleData* r, FILE* f) {
        AsStandIn(r)->bytes = ReadStream(f);
        return 1;
    };
    ops.level = [](const CRoleData* r) { return reinterpret_cast<const StandInRecord*>(r)->level; };
    ops.applyClassAndAct = [](CRoleData* r) { ++AsStandIn(r)->applied; };
    return ops;
}

// What the HUD hooks write and what they were given.
struct HudHooks {
    static inline std::string toWrite;
    static inline bool failWrite = false;
    static inline std::vector<std::string> read;
    static int Save(FILE* f) {
        if (failWrite) return 0;
        return std::fwrite(toWrite.data(), 1, toWrite.size(), f) == toWrite.size() ? 1 : 0;
    }
    static int Load(FILE* f) {
        read.push_back(ReadStream(f));
        return 1;
    }
};

// The record of the one player role, and the records a load handed over.
inline StandInRecord* g_PlayerRecord = nullptr;
inline std::vector<StandInRecord*> g_Restarted;

class SaveTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        m_Ops = g_SaveRecordOps;
        m_Scene = g_SceneHooks;
        m_Role = g_RoleHooks;
        m_Name = g_SaveMgr.m_SaveName;
        m_Slot = g_SaveMgr.m_Slot;
        m_Difficulty = g_SaveMgr.m_Difficulty;
        m_Dir = g_SaveMgr.m_SaveDir;
        g_SaveRecordOps = StandInOps();
        g_SceneHooks.getRecord = [](int32_t id) { return id == 1 ? AsRecord(g_PlayerRecord) : nullptr; };
        g_RoleHooks = CRoleHooks{};
        g_RoleHooks.restartHost = [](CRoleData* r) { g_Restarted.push_back(AsStandIn(r)); };
        HudHooks::toWrite.clear();
        HudHooks::failWrite = false;
        HudHooks::read.clear();
        g_PlayerRecord = &m_Record;
        m_Role1.m_DataId = 1;
        SetTime(1000000);
        g_SaveMgr.m_SaveDir = SaveDir();
        g_SaveMgr.m_SaveName = "hero";
        g_SaveMgr.m_Slot = 0;
        g_SaveMgr.m_Difficulty = 1;
        g_SaveMgr.m_PlaySeconds = 0;
        g_SaveMgr.m_PlayStamp = 1000000;
        g_SaveMgr.m_DeathCount = 0;
        g_SaveMgr.m_BirthMonth = 1;
        g_SaveMgr.m_BirthDay = 1;
        plat::ClearDebugCapture();
        m_Record.bytes = datagen::SaveRecordLayout(SampleRecord());
    }
    void TearDown() override {
        for (StandInRecord* r : g_Restarted) delete r;
        g_Restarted.clear();
        g_PlayerRecord = nullptr;
        g_SaveRecordOps = m_Ops;
        g_SceneHooks = m_Scene;
        g_RoleHooks = m_Role;
        g_SaveMgr.m_SaveName = m_Name;
        g_SaveMgr.m_Slot = m_Slot;
        g_SaveMgr.m_Difficulty = m_Difficulty;
        g_SaveMgr.m_SaveDir = m_Dir;
        plat::SetWallTime(nullptr);
        plat::SetFileFaultPoint(0);
        TempDirTest::TearDown();
    }

    std::string SaveDir() const { return Dir() + "Save\\"; }
    std::string SaveFile(const std::string& leaf) const { return Dir() + "Save/" + leaf; }
    static void SetTime(uint32_t seconds) {
        plat::WallTime t;
        t.seconds = seconds;
        t.year = 2026;
        t.month = 12;
        t.day = 11;
        t.hour = 13;
        t.minute = 5;
        t.second = 9;
        plat::SetWallTime(&t);
    }
    static datagen::SaveRecord SampleRecord() {
        datagen::SaveRecord r;
        r.name = "hero";
        r.picture = "p";
        r.spritePart = "901";
        r.level = 12;
        r.money = 345;
        r.skills = {101, 102};
        r.flags = {{1, 7, "OWN1"}, {0, 8, "3BQ3"}};
        r.slots[0] = 0;
        r.slots[50] = 1;
        r.items = {{59, 1, 0, 3, 100, 0, 0, "ATB AP 10"}, {12, 4, 1, 1, 5, 0, 0, ""}};
        return r;
    }
    // The HUD hooks installed, writing this block.
    static void InstallHud(const std::string& block) {
        HudHooks::toWrite = block;
        g_RoleHooks.SaveHudState = HudHooks::Save;
        g_RoleHooks.LoadHudState = HudHooks::Load;
    }

    StandInRecord m_Record;
    CGameObj m_Role1;

private:
    CSaveRecordOps m_Ops;
    CSceneHooks m_Scene;
    CRoleHooks m_Role;
    std::string m_Name, m_Dir;
    int32_t m_Slot = 0, m_Difficulty = 1;
};

} // namespace save_fixture
