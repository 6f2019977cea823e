// The running fixture game saved twice and loaded: the record with its
// flags, items and skills comes back equal, the HUD block written and read
// through the HUD hooks comes back byte-equal, and without those hooks no
// block is written.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "datagen/save_writer.h"
#include "roles/items/prop_rec.h"
#include "roles/record/role_data.h"
#include "roles/role_hooks.h"
#include "roles/save/save_format.h"
#include "roles/save_mgr.h"
#include "scenario/scenario.h"
#include "world/objects/game_obj.h"
#include "world/scene/scene_hooks.h"

namespace test_save_scenario {

using scenario::ScenarioTest;

constexpr int kPotionId = 10, kHerbId = 11, kSwordId = 12;

datagen::FixtureGame GameWithItems() {
    datagen::FixtureGame g = datagen::DefaultFixtureGame();
    g.props.push_back(datagen::PropMdlRow().Name("Draught").Id(kPotionId).Kind(10).Picture(0).Stacks(1).Set(7, 20));
    g.props.push_back(datagen::PropMdlRow().Name("Herb").Id(kHerbId).Kind(20).Picture(0).Stacks(1).Set(7, 5));
    g.props.push_back(datagen::PropMdlRow().Name("Blade").Id(kSwordId).Kind(30).Picture(0).Stacks(0).Set(7, 300));
    return g;
}

// What a record holds that a save must carry.
struct Snapshot {
    int32_t level, exp, money, bank, classId, act, skillPoints, cursor;
    std::vector<int32_t> slots, skills;
    std::map<std::string, int32_t> flags;
    std::map<int32_t, std::string> items;  // pool index -> id, count, level, price, text
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const CRoleData& r) {
    Snapshot s{r.m_Level, r.m_Exp, r.m_Money, r.m_BankMoney, r.m_ClassId, r.m_Act, r.m_SkillPoints, r.m_CursorItem,
               std::vector<int32_t>(std::begin(r.m_Slots), std::end(r.m_Slots)), r.m_LearnedSkills, {}, {}};
    for (const CObjNode* n = r.m_Flags.Head(); n; n = n->m_Next) {
        const auto* f = static_cast<const RoleFlag*>(n);
        s.flags[f->m_Name] = f->m_Value;
    }
    for (int i = 0; i < kItemPoolSize; ++i)
        if (const PropRec* p = r.GetItem(i))
            s.items[i] = std::to_string(p->m_Id) + "/" + std::to_string(p->m_Count) + "/" +
                         std::to_string(p->m_RequiredLevel) + "/" + std::to_string(p->m_Price) + "/" + p->m_Text;
    return s;
}

struct Hud {
    static inline std::string block;
    static inline std::vector<std::string> read;
    static int Save(FILE* f) { return std::fwrite(block.data(), 1, block.size(), f) == block.size() ? 1 : 0; }
    static int Load(FILE* f) {
        std::string b;
        char buf[256];
        size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) b.append(buf, n);
        read.push_back(b);
        return 1;
    }
};

CRoleData* PlayerRecord() { return g_SceneHooks.getRecord ? g_SceneHooks.getRecord(1) : nullptr; }

TEST_F(ScenarioTest, TheRunningGameSavedTwiceLoadsBackEqualWithItsHudBlock) {
    ASSERT_TRUE(run.Start(GameWithItems()));
    g_SaveMgr.m_SaveName = "fixture";
    g_SaveMgr.m_Slot = 0;
    run.Tick();
    ASSERT_NE(run.Hero(), nullptr);
    // Placing the hero saved the game once already (slot 1).
    EXPECT_EQ(g_SaveMgr.m_Slot, 1) << g_SaveMgr.LastError();
    CRoleData* record = PlayerRecord();
    ASSERT_NE(record, nullptr);

    record->AddMoney(1234, 0);
    record->AddBankMoney(77);
    record->AddItem(kPotionId, 3, 0, nullptr, -1, -1);
    record->AddItem(kHerbId, 12, 0, nullptr, -1, -1);
    record->AddItem(kSwordId, 1, 0, "ATB AP 10", 7, 450);
    record->SetFlag("local3", 5);
    record->SetFlag("1-6s", 100);
    record->AddLearnedSkill(1);
    record->AddExp(50);
    const Snapshot saved = Take(*record);
    ASSERT_EQ(saved.items.size(), 4u) << "potion, herb in two stacks, blade";

    datagen::SaveHud hud;
    hud.groups[0] = {1, 2};
    hud.left = 1;
    hud.right = -1;
    hud.hotkeys = {{2, 0x70, 0}};
    Hud::block = datagen::SaveHudLayout(hud);
    Hud::read.clear();
    g_RoleHooks.SaveHudState = Hud::Save;
    g_RoleHooks.LoadHudState = Hud::Load;
    ASSERT_EQ(g_SaveMgr.Save(run.Hero()), 1) << g_SaveMgr.LastError();
    ASSERT_EQ(g_SaveMgr.Save(run.Hero()), 1) << g_SaveMgr.LastError();
    EXPECT_EQ(g_SaveMgr.m_Slot, 3);

    // Changes after the save do not come back.
    record->AddMoney(999, 0);
    record->SetFlag("local3", 9);
    ASSERT_EQ(g_SaveMgr.Load("fixture"), 1) << g_SaveMgr.LastError();
    run.Tick();
    CRoleData* loaded = PlayerRecord();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Take(*loaded), saved);
    ASSERT_EQ(Hud::read.size(), 1u);
    EXPECT_EQ(Hud::read[0], Hud::block);
    ASSERT_NE(run.Hero(), nullptr) << "the restarted game placed the hero again";
    EXPECT_EQ(g_SaveMgr.m_Level, saved.level);

    // Without the HUD hooks the slot file is the record and the trailer.
    g_RoleHooks.SaveHudState = nullptr;
    g_RoleHooks.LoadHudState = nullptr;
    ASSERT_EQ(g_SaveMgr.Save(run.Hero()), 1) << g_SaveMgr.LastError();
    std::string file;
    if (FILE* f = std::fopen((run.Folder() + "Save/fixture.00" + std::to_string(g_SaveMgr.m_Slot)).c_str(), "rb")) {
        char buf[4096];
        size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) file.append(buf, n);
        std::fclose(f);
    }
    std::string_view layout;
    std::string reason;
    ASSERT_TRUE(savefmt::SplitLayout(file, &layout, &reason)) << reason;
    savefmt::Reader r(layout);
    ASSERT_TRUE(savefmt::CheckRecord(r)) << r.error();
    EXPECT_EQ(r.left(), 0u) << "no HUD block";
    Hud::read.clear();
}

} // namespace test_save_scenario
