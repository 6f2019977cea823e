#pragma once
// Roles that fight on the role fixture's small world: the skill tables and
// "Player\Skill.txt" written by the test, a player record served to data
// id 1 through g_SceneHooks.getRecord, and magic objects the test builds
// itself (no factory, no attached magic yet).
#include <memory>
#include <string>
#include <vector>

#include "core/define_values.h"
#include "datagen/record_tables.h"
#include "roles/magic/effect_calls.h"
#include "roles/magic/magic.h"
#include "roles/record/role_data.h"
#include "roles/role_hooks.h"
#include "roles/tables/skill_table.h"
#include "platform/random.h"
#include "roles/role/role_fixture.h"
#include "world/scene/world_sound.h"

namespace combat_fixture {

inline CRoleData* g_Record = nullptr;

class CombatFixture : public role_fixture::RoleFixture {
protected:
    void SetUp() override {
        RoleFixture::SetUp();
        m_RoleHooks = g_RoleHooks;
        m_Probe = g_EffectProbe;
        m_Sound = g_WorldSound;
        ResetDefineValues();
        m_Record = std::make_unique<CRoleData>();
        g_Record = m_Record.get();
        g_SceneHooks.getRecord = [](int32_t id) -> CRoleData* { return id == 1 ? g_Record : nullptr; };
    }
    void TearDown() override {
        m_Magics.clear();
        RoleFixture::TearDown();
        g_Record = nullptr;
        m_Record.reset();
        g_SkillTable.Clear();
        g_SkillGopTable.Clear();
        g_PlayerSkillTable.Clear();
        g_TextTable.Clear();
        g_RoleHooks = m_RoleHooks;
        g_EffectProbe = m_Probe;
        g_WorldSound = m_Sound;
        ResetDefineValues();
        plat::ScriptRand({});
    }

    void LoadSkills(const std::vector<datagen::SkillRow>& skills, const std::vector<datagen::SkillGopRow>& groups = {}) {
        ASSERT_TRUE(datagen::WriteTable(Dir() + "Skill.ini", datagen::RowsOf(skills)));
        g_SkillTable.Load((Dir() + "Skill.ini").c_str());
        ASSERT_TRUE(datagen::WriteTable(Dir() + "Skill.gop", datagen::RowsOf(groups)));
        g_SkillGopTable.Load((Dir() + "Skill.gop").c_str());
    }
    // "Player\Skill.txt" rows: each {id, group, extra cells by column}.
    struct PlayerSkill {
        int id;
        int group;
        std::vector<std::pair<int, std::string>> cells;
    };
    void LoadPlayerSkills(const std::vector<PlayerSkill>& skills) {
        datagen::Table t{datagen::PlayerSkillHeader()};
        for (const PlayerSkill& s : skills) {
            datagen::PlayerSkillSpec spec;
            spec.id = s.id;
            spec.baseId = s.id;
            spec.group = s.group;
            std::vector<std::string> row = datagen::BuildPlayerSkillRow(spec);
            for (const auto& [col, v] : s.cells) {
                if (row.size() <= static_cast<size_t>(col)) row.resize(static_cast<size_t>(col) + 1);
                row[static_cast<size_t>(col)] = v;
            }
            t.push_back(row);
        }
        ASSERT_TRUE(datagen::WriteTable(Dir() + "PSkill.txt", t));
        ASSERT_EQ(g_PlayerSkillTable.Load("PSkill.txt", 1, 1, 1), 1);
    }
    // The role takes the test's record (data id 1).
    void GiveRecord(CRole* role, const std::vector<int32_t>& learnt = {}, int32_t level = 1) {
        role->m_DataId = 1;
        m_Record->m_LearnedSkills = learnt;
        m_Record->m_Level = level;
    }
    // A magic object of a skill, owned by `owner`, standing at (x, y).
    CMagic* Magic(const CGameObj* owner, int skillId, int32_t x, int32_t y) {
        auto m = std::make_unique<CMagic>();
        m->m_OwnerHandle = owner ? owner->m_Handle : 0;
        m->SetSkill(g_SkillTable.GetAt(skillId));
        if (m->GetSkill()) m->SetupEffectLists(m->GetSkill()->effects.data(), static_cast<int>(m->GetSkill()->effects.size()));
        m->m_X = x;
        m->m_Y = y;
        m_Magics.push_back(std::move(m));
        return m_Magics.back().get();
    }

    std::unique_ptr<CRoleData> m_Record;
    std::vector<std::unique_ptr<CMagic>> m_Magics;
    CRoleHooks m_RoleHooks;
    CEffectProbe m_Probe;
    CWorldSoundCalls m_Sound;
};

} // namespace combat_fixture
