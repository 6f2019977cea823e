#pragma once
// A small data folder for the record's tests: items of each kind group,
// the five classes, two acts, the player's skills and the flags, loaded
// into the start-up tables; g_SaveMgr and the record hooks are put back
// after each test.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/directories.h"
#include "core/txt_table.h"
#include "datagen/fixture_game.h"
#include "datagen/record_tables.h"
#include "datagen/table_writer.h"
#include "platform/debug.h"
#include "platform/msgbox.h"
#include "roles/record/record_hooks.h"
#include "roles/record/role_data.h"
#include "roles/save_mgr.h"
#include "support/test_env.h"

namespace record_fixture {

// PropMdl ids of the fixture.
constexpr int kGold = 1;      // kind 0: money
constexpr int kPotion = 10;   // kind 10, stackable
constexpr int kHerb = 20;     // kind 20, stackable, first pick-up sets "herbs"
constexpr int kSword = 30;    // kind 30, grade 4
constexpr int kRing = 31;     // kind 30
constexpr int kLetter = 50;   // kind 50, not stackable
constexpr int kScroll = 59;   // kind 50: the return scroll
constexpr int kStone = 62;    // kind 20, stackable: the portal stone

inline datagen::Table PropRows() {
    auto row = [](const std::string& name, int id, int kind, int stack, int grade, const std::string& attrs,
                  const std::string& flag = "") {
        std::vector<std::string> r(16);
        r[0] = name;
        r[1] = std::to_string(id);
        r[2] = std::to_string(kind);
        r[5] = "1";
        r[6] = std::to_string(stack);
        r[7] = "100";
        r[8] = std::to_string(grade);
        r[10] = attrs;
        r[11] = "1";
        r[15] = flag;
        return r;
    };
    // Keys index below the row count + 20 only: spare rows fill up to 62.
    return datagen::PadKeyedTable({"Name", "Id", "Kind"}, {row("Gold", kGold, 0, 1, 1, ""),
            row("Potion", kPotion, 10, 1, 1, "AddHP 50"),
            row("Herb", kHerb, 20, 1, 1, "", "herbs"),
            row("Sword", kSword, 30, 0, 4, "ATB AP 10"),
            row("Ring", kRing, 30, 0, 2, "ATB MAXHP 20%"),
            row("Letter", kLetter, 50, 0, 1, ""),
            row("Scroll", kScroll, 50, 0, 1, ""),
            row("Stone", kStone, 20, 1, 1, "")}, 1, 0);
}

class RecordTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        const std::string mb = Dir() + "mb/";
        std::vector<datagen::PlayerSkillSpec> skills = datagen::DefaultPlayerSkills();
        ASSERT_TRUE(datagen::WriteTable(mb + "PropMdl.txt", PropRows()));
        ASSERT_TRUE(datagen::WriteTable(mb + "Player/init.txt", datagen::PlayerInitTable(datagen::DefaultClassRows())));
        ASSERT_TRUE(datagen::WriteTable(mb + "Player/Skill.txt", datagen::PlayerSkillTable(skills)));
        ASSERT_TRUE(datagen::WriteTable(mb + "ActMdl.txt", {{"Name", "Id", "Revive"},
                                                             {"Act1", "1", "Start"},
                                                             {"Act2", "2", "gate*Town"}}));
        std::vector<std::string> flags = datagen::DefaultFlagNames();
        flags.push_back("herbs");
        flags.push_back("gate");
        ASSERT_TRUE(datagen::WriteTable(mb + "trigger/flag.txt", datagen::BuildFlagTable(flags)));
        SetProgramDirectory(0);
        ASSERT_EQ(g_PropMdlTable.Load("mb\\PropMdl.txt", 1, 1, 1), 1);
        ASSERT_EQ(g_PlayerInitTable.Load("mb\\player\\init.txt", -1, 1, 1), 1);
        ASSERT_EQ(g_PlayerSkillTable.Load("mb\\Player\\Skill.txt", 1, 1, 1), 1);
        ASSERT_EQ(g_ActMdlTable.Load("mb\\ActMdl.txt", 1, 1, 1), 1);
        m_Hooks = g_RecordHooks;
        m_Difficulty = g_SaveMgr.m_Difficulty;
        m_Deaths = g_SaveMgr.m_DeathCount;
        plat::ClearRecordedMessageBoxes();
        plat::ClearDebugCapture();
    }
    void TearDown() override {
        g_PropMdlTable.Clear();
        g_PlayerInitTable.Clear();
        g_PlayerSkillTable.Clear();
        g_ActMdlTable.Clear();
        g_RecordHooks = m_Hooks;
        g_SaveMgr.m_Difficulty = m_Difficulty;
        g_SaveMgr.m_DeathCount = m_Deaths;
        TempDirTest::TearDown();
    }

    // The record's bytes as WriteRecord writes them.
    static std::string Bytes(const CRoleData& r, int32_t x = 0, int32_t y = 0) {
        char* buf = nullptr;
        size_t len = 0;
        FILE* f = open_memstream(&buf, &len);
        const int ok = r.WriteRecord(f, x, y);
        std::fclose(f);
        std::string s(buf, len);
        std::free(buf);
        return ok ? s : std::string();
    }
    // LoadRole over the bytes.
    static int Load(CRoleData& r, const std::string& bytes) {
        FILE* f = std::tmpfile();
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::rewind(f);
        const int ok = r.LoadRole(f);
        std::fclose(f);
        return ok;
    }

    CRecordHooks m_Hooks;
    int32_t m_Difficulty = 1;
    int32_t m_Deaths = 0;
};

} // namespace record_fixture
