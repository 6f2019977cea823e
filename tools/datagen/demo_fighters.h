#pragma once
// The demo's fighters: a wolf and a guard drawn by procedure (shaded balls
// and limbs seen from the isometric camera, turned for each of 8
// directions), their table rows, and the quest round them in "Start".
#include <cstdint>
#include <string>
#include <vector>

#include "datagen/pli_writer.h"
#include "datagen/table_writer.h"
#include "datagen/trigger_writer.h"

namespace datagen {

// Role models ("Role.txt" column 1) beside the hero's model 1.
inline constexpr int kDemoWolfModel = 2;
inline constexpr int kDemoGuardModel = 3;
// Sprite names ("slr\WOLF", "slr\GUARD"), one main part "BD" each.
inline constexpr char kDemoWolfSprite[] = "WOLF";
inline constexpr char kDemoGuardSprite[] = "GUARD";
// Picture names of the placements (what "IsDead" finds).
inline constexpr char kDemoWolfPicture[] = "Wolf";
inline constexpr char kDemoGuardPicture[] = "Sentry";

// Sequence groups of eight (one per direction) of both sprites; lying is
// death + 8 ("Role.txt" column 43 below 3).
inline constexpr int kFighterStandSeq = 0;
inline constexpr int kFighterWalkSeq = 8;
inline constexpr int kFighterAttackSeq = 16;
inline constexpr int kFighterHitSeq = 24;
inline constexpr int kFighterDeathSeq = 32;
inline constexpr int kFighterSeqCount = 48;

// Skills (id = group id): the wolf's bite and the guard's spear thrust.
inline constexpr int kDemoBiteSkill = 2;
inline constexpr int kDemoThrustSkill = 3;

// The fight in "Start": the guard and the two wolves, away from the "NULL"
// portal (22, 26) where the hero arrives.
inline constexpr int kDemoGuardCell[2] = {46, 28};
inline constexpr int kDemoWolfCells[2][2] = {{50, 27}, {50, 29}};

// "PropMdl.txt": the money piles 0-3, three drop items of grade 1 (kinds
// 10, 20, 30, one of which any drop picks) and the quest's reward.
inline constexpr int kDemoRewardProp = 40;
// "Text.txt" rows of the quest: 301 (GBK) on first entry, 302 when the
// wolves are dead, 303 on entry once the quest is done.
inline constexpr int kDemoQuestText = 301;
extern const char* const kDemoQuestTexts[3];
inline constexpr char kDemoQuestFlag[] = "q1";

// Appends the two sprites' frame and animation tables to `entries` (library
// slot `libSlot`), their "SprRole.h" lines to `items`, and writes their PLI
// files under `nativeRoot` (ending in '/'). False when a PLI does not write.
bool AddDemoFighterSprites(std::vector<std::string>* entries, uint32_t libSlot, std::vector<SprRoleItem>* items,
                           const std::string& nativeRoot);

// Table rows (no header) for "Role.txt" (44+ columns), "RolePrivate.txt",
// "Role.rmd", "Skill.ini", "Skill.gop" and "randprop.txt".
Table DemoFighterRoleRows();
Table DemoFighterLevelRows();
Table DemoFighterSkillLists();
Table DemoFighterSkills();
Table DemoFighterSkillGroups();
Table DemoFighterDropRows();
// "PropMdl.txt" whole (header, rows, spare rows to fit the reward's id).
Table DemoPropTable();
// "trigger\scene\Start.txt".
std::vector<SceneTriggerRow> DemoStartTriggers();

} // namespace datagen
