#pragma once
// Roles on a small world without a scene: a handle table, an 8 x 8 grid of
// grass, an object manager, the model tables written by the test, and a
// one-part composed sprite "BOX" (a 6 x 10 box, 24 sequences of 4 frames).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/directories.h"
#include "core/txt_table.h"
#include "datagen/fixture_game.h"
#include "datagen/demo_role_sprite.h"
#include "datagen/lib_writer.h"
#include "datagen/pli_writer.h"
#include "datagen/table_writer.h"
#include "gfx/color_tables.h"
#include "gfx/res_lib.h"
#include "gfx/role_sprite.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "roles/role.h"
#include "roles/save_mgr.h"
#include "roles/tables/model_tables.h"
#include "roles/tables/role_effect_table.h"
#include "support/test_env.h"
#include "world/map/map_grid.h"
#include "world/objects/handle_table.h"
#include "world/objects/obj_desc.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace role_fixture {

constexpr uint16_t kBoxColour = 0xF800;
constexpr int32_t kBoxW = 6, kBoxH = 10, kBoxX = -3, kBoxY = -10;
constexpr int32_t kSeqs = 24, kFrames = 4;

// A "Role.txt" row of the box sprite: eight directions, stand 0, alerted
// 8, walk 16 (sequences of eight), camp 1.
inline datagen::RoleMdlRow BoxRow(const std::string& name, int id) {
    return datagen::RoleMdlRow()
        .Name(name)
        .Id(id)
        .SpriteName("BOX")
        .Variants("001")
        .Preload(1)
        .StandAnim(0)
        .WalkAnim(8)
        .RunAnim(16)
        .AttackAnim(16)
        .HurtAnim(16)
        .GuardAnim(8)
        .SizeClass(40)
        .MoveClass(1)
        .RoleCamp(1)
        .LyingClass(0);
}

class RoleFixture : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        m_Hooks = g_WorldHooks;
        m_SceneHooks = g_SceneHooks;
        m_Difficulty = g_SaveMgr.m_Difficulty;
        InstallRoleHooks();
        plat::SRand(1);
        plat::ClearRecordedMessageBoxes();
        SetProgramDirectory(0);
        BuildColorTables();
        g_DrawAlphaSpriteParts = 1;

        std::vector<std::string> e(1);
        const uint32_t id = datagen::AddRolePartEntries(
            &e, 0, {kBoxColour, kBoxW, kBoxH, kBoxX, kBoxY, 0, kSeqs, kFrames});
        m_BoxAnimId = static_cast<int32_t>(id);
        ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/anim.lib", e));
        ASSERT_TRUE(datagen::WriteIdxLib(Dir() + "Zy/idx.lib", {"anim"}));
        ASSERT_EQ(g_ResList.Init("Zy\\idx.lib"), 1);
        ASSERT_TRUE(datagen::WriteSprRoleHeader(Dir() + "slr/SprRole.h",
                                                {{"BOX", "BD", "001", static_cast<int32_t>(id), "X"}}));
        ASSERT_TRUE(datagen::WritePli(datagen::PliNativePath(Dir(), "BOX"), {"BOX", "BD", {"BD"}, {{{0}}}}));
        ASSERT_EQ(LoadSprRoleHeader((Dir() + "slr/SprRole.h").c_str()), 1);

        m_Table = std::make_unique<CHandleTable>();
        m_Grid = std::make_unique<CMapGrid>();
        ASSERT_EQ(m_Grid->Create(8, 8), 1);
        g_CurHandleTable = m_Table.get();
        g_CurMapGrid = m_Grid.get();
        m_Mng = std::make_unique<CObjMng>();
        g_CurObjMng = m_Mng.get();
    }
    void TearDown() override {
        m_Mng.reset();
        m_Grid.reset();
        m_Table.reset();
        ClearCurrentWorld();
        g_RoleMdlTable.Clear();
        g_RolePrivateTable.Clear();
        g_RoleSkillListTable.Clear();
        g_RoleEffectFile.Clear();
        g_RoleEffectTable.Clear();
        g_RoleSprMng.Clear();
        g_ResList.Destroy();
        g_WorldHooks = m_Hooks;
        g_SceneHooks = m_SceneHooks;
        g_SaveMgr.m_Difficulty = m_Difficulty;
        CRole::s_ConfusedCamp = 99;
        plat::ClearRecordedMessageBoxes();
        TempDirTest::TearDown();
    }

    void LoadRoles(const std::vector<datagen::RoleMdlRow>& roles,
                   const std::vector<datagen::RolePrivateRow>& levels = {}) {
        datagen::Table t{{"Name", "Id"}};
        for (const auto& r : roles) t.push_back(r.Cells());
        ASSERT_TRUE(datagen::WriteTable(Dir() + "Role.txt", t));
        ASSERT_EQ(g_RoleMdlTable.Load("Role.txt", 1, 1, 1), 1);
        datagen::Table l{{"Name", "Id"}, {"Unused", "999"}};
        for (const auto& r : levels) l.push_back(r.Cells());
        ASSERT_TRUE(datagen::WriteTable(Dir() + "RolePrivate.txt", l));
        ASSERT_EQ(g_RolePrivateTable.Load("RolePrivate.txt", 1, 1, 1), 1);
    }
    // "RoleEffectMdl.txt" rows, each {state, {column, value}...}.
    void LoadEffects(const std::vector<std::vector<std::string>>& rows) {
        datagen::Table t{{"Name", "State"}};
        for (const auto& r : rows) t.push_back(r);
        ASSERT_TRUE(datagen::WriteTable(Dir() + "RoleEffectMdl.txt", t));
        ASSERT_EQ(g_RoleEffectFile.Load((Dir() + "RoleEffectMdl.txt").c_str()), 1);
        BuildRoleEffectTable();
    }
    int32_t m_BoxAnimId = 0;  // the box animation's id in the library
    CRole* Add(uint16_t model, int x, int y) { return AsRole(m_Mng->AddRole(model, x, y, 0, 0, 0, -1, -1)); }
    // A placed role with its own record (type 12).
    CRole* AddPlaced(uint16_t model, int x, int y, int logic, int item, int skill, int dir, const char* picture) {
        auto* d = new CObjDesc12;
        d->m_Type = 12;
        d->m_ModelId = model;
        d->m_X = x;
        d->m_Y = y;
        d->m_Logic = logic;
        d->m_PatrolX = static_cast<uint16_t>(item);
        d->m_PatrolY = static_cast<uint16_t>(skill);
        d->m_Dir = dir;
        d->SetText(picture);
        return AsRole(m_Mng->AddObj(d, 40, -1, 0, -1));
    }

    CWorldHooks m_Hooks;
    CSceneHooks m_SceneHooks;
    int32_t m_Difficulty = 1;
    std::unique_ptr<CHandleTable> m_Table;
    std::unique_ptr<CMapGrid> m_Grid;
    std::unique_ptr<CObjMng> m_Mng;
};

} // namespace role_fixture
