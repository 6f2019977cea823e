#pragma once
// The fixture game: a small data folder that starts through the game's real
// start-up sequence and holds one 16 x 16 scene "Start", for the scenario
// tests of roles and scripts. It carries what start-up reads ("Text.txt",
// the configuration files, the start-up tables, the panel tables, the
// demo's libraries and role sprite) and, in "Start", whatever objects a
// test puts in its object list.
//
// Table rows are set by column number through named setters, so a test
// reads as the columns' meaning; each piece of the game that reads more
// columns adds its setters. The tables are written as the game's files
// are: cells split by TABs, lines ending in CR LF. A table keyed by a
// column indexes keys below its row count + 20 only, so a table whose
// highest key is above that gets spare rows (empty key, name "Spare").
#include <string>
#include <vector>

#include "datagen/bld_writer.h"
#include "datagen/record_tables.h"
#include "datagen/scene_tables.h"
#include "datagen/scn_writer.h"
#include "datagen/table_writer.h"
#include "datagen/trigger_writer.h"

namespace datagen {

// A row whose cells are set by column number; the named setters of each
// table below call Set.
template <class Self>
class FixtureRow {
public:
    Self& Set(int column, const std::string& text) {
        if (column < 0) return static_cast<Self&>(*this);
        if (cells_.size() <= static_cast<size_t>(column)) cells_.resize(static_cast<size_t>(column) + 1);
        cells_[static_cast<size_t>(column)] = text;
        return static_cast<Self&>(*this);
    }
    Self& Set(int column, int value) { return Set(column, std::to_string(value)); }
    const std::vector<std::string>& Cells() const { return cells_; }

private:
    std::vector<std::string> cells_;
};

// "Text.txt": key column 0, the text (GBK) in column 1.
struct TextRow : FixtureRow<TextRow> {
    TextRow& Id(int id) { return Set(0, id); }
    TextRow& Text(const std::string& gbk) { return Set(1, gbk); }
};

// "Role.txt" (key column 1): the columns the world reads of a role model.
struct RoleMdlRow : FixtureRow<RoleMdlRow> {
    RoleMdlRow& Name(const std::string& gbk) { return Set(0, gbk); }
    RoleMdlRow& Id(int id) { return Set(1, id); }
    RoleMdlRow& Camp(int camp) { return Set(3, camp); }
    RoleMdlRow& SpriteName(const std::string& name) { return Set(4, name); }
    RoleMdlRow& Variants(const std::string& list) { return Set(5, list); }
    RoleMdlRow& Preload(int value) { return Set(6, value); }
    // Animation ids: standing, walking, running, attacking, hurt (7-11).
    RoleMdlRow& StandAnim(int id) { return Set(7, id); }
    RoleMdlRow& WalkAnim(int id) { return Set(8, id); }
    RoleMdlRow& RunAnim(int id) { return Set(9, id); }
    RoleMdlRow& AttackAnim(int id) { return Set(10, id); }
    RoleMdlRow& HurtAnim(int id) { return Set(11, id); }
    // 50: a ghost, which leaves no corpse.
    RoleMdlRow& ModelClass(int value) { return Set(8, value); }
    // Grab animations ('*' list, item = grab kind).
    RoleMdlRow& GrabAnims(const std::string& list) { return Set(15, list); }
    // The animation of an initial action (placement modes 0 and 4).
    RoleMdlRow& InitialActionAnim(int id) { return Set(12, id); }
    // Guard animation (state 106).
    RoleMdlRow& GuardAnim(int id) { return Set(16, id); }
    RoleMdlRow& DeathSequence(int seq) { return Set(19, seq); }
    RoleMdlRow& SizeClass(int value) { return Set(26, value); }
    // Movement class; a role without it cannot be thrown (a statue).
    RoleMdlRow& MoveClass(int value) { return Set(27, value); }
    // Walking speed in pixels per tick (what the walk animation was drawn for).
    RoleMdlRow& WalkSpeed(int pixels) { return Set(28, pixels); }
    RoleMdlRow& RoleCamp(int camp) { return Set(34, camp); }
    // Negative: a role of that model replaces the dead one; positive: a
    // skill cast on death.
    RoleMdlRow& DeathAction(int value) { return Set(40, value); }
    // Also the sprite's directions: below 3 eight, else sixteen.
    RoleMdlRow& LyingClass(int value) { return Set(43, value); }
    // 1: the start cell is entered whatever its class.
    RoleMdlRow& PlacementMode(int value) { return Set(44, value); }
};

// "RolePrivate.txt" (key column 1): a model's level row.
struct RolePrivateRow : FixtureRow<RolePrivateRow> {
    RolePrivateRow& Name(const std::string& gbk) { return Set(0, gbk); }
    RolePrivateRow& Id(int id) { return Set(1, id); }
    RolePrivateRow& Sight(int cells) { return Set(5, cells); }
    RolePrivateRow& CastPeriod(int units) { return Set(6, units); }
    RolePrivateRow& StandAnim(int id) { return Set(7, id); }
    RolePrivateRow& InitialState(const std::string& list) { return Set(8, list); }
    RolePrivateRow& CorpseLess(int value) { return Set(11, value); }
};

// "Role.rmd" (key column 0, no header): a model's skill list.
struct RoleSkillListRow : FixtureRow<RoleSkillListRow> {
    RoleSkillListRow& Id(int id) { return Set(0, id); }
    // The count in column 1, the ids from column 2.
    RoleSkillListRow& Skills(const std::vector<int>& ids) {
        Set(1, static_cast<int>(ids.size()));
        for (size_t i = 0; i < ids.size(); ++i) Set(2 + static_cast<int>(i), ids[i]);
        return *this;
    }
};

// One effect record of a skill row: {list, selector, class, p1, p2, p3};
// the two spare integers are written as -1.
struct SkillEffectSpec {
    int list = 0;
    int selector = -1;
    int effectClass = 0;
    int p1 = 0;
    int p2 = 0;
    int p3 = 0;
};

// "Skill.ini" (no header; key column 3).
struct SkillRow : FixtureRow<SkillRow> {
    SkillRow& ClassWord(int value) { return Set(0, value); }
    SkillRow& Name(const std::string& gbk) { return Set(1, gbk); }
    SkillRow& Kind(int value) { return Set(2, value); }
    SkillRow& Id(int id) { return Set(3, id); }
    SkillRow& Group(int id) { return Set(5, id); }
    SkillRow& AnimBase(int id) { return Set(10, id); }
    SkillRow& Range(int pixels) { return Set(11, pixels); }
    SkillRow& Distance2(int pixels) { return Set(12, pixels); }
    SkillRow& MagicValue1(int value) { return Set(13, value); }
    // "value2*push"
    SkillRow& MagicValue2Push(const std::string& items) { return Set(14, items); }
    SkillRow& Pattern(int value) { return Set(15, value); }
    SkillRow& PatternCount(int value) { return Set(16, value); }
    SkillRow& AlwaysState(const std::string& items) { return Set(17, items); }
    SkillRow& SideState(const std::string& items) { return Set(18, items); }
    SkillRow& SideStateChance(int percent) { return Set(19, percent); }
    SkillRow& TargetClamp(int value) { return Set(20, value); }
    SkillRow& DeathMode(int value) { return Set(23, value); }
    SkillRow& HitEffect(int id) { return Set(24, id); }
    SkillRow& GuardReaction(int value) { return Set(26, value); }
    SkillRow& Scales(const std::string& a, const std::string& c, const std::string& b) {
        return Set(28, a).Set(29, c).Set(30, b);
    }
    SkillRow& HeightRule(int value) { return Set(34, value); }
    SkillRow& LevelPercent(const std::string& items) { return Set(35, items); }
    // The count cell alone ("" leaves it empty).
    SkillRow& EffectCount(const std::string& cell) { return Set(37, cell); }
    // The count and the records from column 38.
    SkillRow& Effects(const std::vector<SkillEffectSpec>& records) {
        Set(37, static_cast<int>(records.size()));
        return SetEffects(this, 38, records);
    }

    template <class Row>
    static Row& SetEffects(Row* row, int first, const std::vector<SkillEffectSpec>& records) {
        for (size_t k = 0; k < records.size(); ++k) {
            const SkillEffectSpec& e = records[k];
            const int c = first + 8 * static_cast<int>(k);
            row->Set(c, e.list).Set(c + 1, e.selector).Set(c + 2, e.effectClass);
            row->Set(c + 3, e.p1).Set(c + 4, e.p2).Set(c + 5, e.p3).Set(c + 6, -1).Set(c + 7, -1);
        }
        return *row;
    }
};

// "SkillChild.ini" (no header; key column 3).
struct SkillChildRow : FixtureRow<SkillChildRow> {
    SkillChildRow& ClassWord(int value) { return Set(0, value); }
    SkillChildRow& Name(const std::string& gbk) { return Set(1, gbk); }
    SkillChildRow& Kind(int value) { return Set(2, value); }
    SkillChildRow& Id(int id) { return Set(3, id); }
    SkillChildRow& Anim(int id) { return Set(4, id); }
    SkillChildRow& ShadowAnim(int id) { return Set(5, id); }
    // Columns 6-8: sub-kind or child ids, by kind.
    SkillChildRow& Params(int a, int b, int c) { return Set(6, a).Set(7, b).Set(8, c); }
    // Columns 9-14, one byte each.
    SkillChildRow& Bytes(const std::vector<int>& values) {
        for (size_t i = 0; i < values.size() && i < 6; ++i) Set(9 + static_cast<int>(i), values[i]);
        return *this;
    }
    // The count cell alone, with no records written.
    SkillChildRow& EffectsCountOnly(int count) { return Set(15, count); }
    SkillChildRow& Effects(const std::vector<SkillEffectSpec>& records) {
        Set(15, static_cast<int>(records.size()));
        return SkillRow::SetEffects(this, 16, records);
    }
};

// "Skill.gop" (no header; key column 3): a skill group.
struct SkillGopRow : FixtureRow<SkillGopRow> {
    SkillGopRow& ClassWord(int value) { return Set(0, value); }
    SkillGopRow& Name(const std::string& gbk) { return Set(1, gbk); }
    SkillGopRow& Picture(int id) { return Set(2, id); }
    SkillGopRow& Id(int id) { return Set(3, id); }
    SkillGopRow& TimeMs(int ms) { return Set(4, ms); }
    SkillGopRow& Category(int value) { return Set(5, value); }
    SkillGopRow& Values(const std::vector<int>& values) {
        Set(6, static_cast<int>(values.size()));
        for (size_t i = 0; i < values.size(); ++i) Set(7 + static_cast<int>(i), values[i]);
        return *this;
    }
};

// "EquipStr901.txt" .. "EquipStr905.txt" (one header row).
struct EquipStrRow : FixtureRow<EquipStrRow> {
    EquipStrRow& Id(int id) { return Set(0, id); }
    // "key" or "key*special".
    EquipStrRow& Key(const std::string& items) { return Set(1, items); }
    EquipStrRow& Upper(int value) { return Set(2, value); }
    EquipStrRow& Lower(int value) { return Set(3, value); }
    EquipStrRow& Text(const std::string& text) { return Set(4, text); }
};

// "BeastieMdl.txt" (key column 1; a creature's model id is 20000 + key).
struct BeastieMdlRow : FixtureRow<BeastieMdlRow> {
    BeastieMdlRow& Name(const std::string& gbk) { return Set(0, gbk); }
    BeastieMdlRow& Id(int id) { return Set(1, id); }
    BeastieMdlRow& Anim(int id) { return Set(2, id); }
    // 1 flying, 0 walking, 2 water only.
    BeastieMdlRow& MoveClass(int value) { return Set(3, value); }
    // 0 plain, 1 lit, 2 translucent.
    BeastieMdlRow& DrawMode(int value) { return Set(4, value); }
    BeastieMdlRow& Speed(int value) { return Set(5, value); }
    BeastieMdlRow& FastSpeed(int value) { return Set(6, value); }
    BeastieMdlRow& Light(int value) { return Set(7, value); }
    // 1 flees from the player.
    BeastieMdlRow& Reaction(int value) { return Set(10, value); }
    BeastieMdlRow& Behaviour(int value) { return Set(11, value); }
    BeastieMdlRow& HighestHeight(int value) { return Set(17, value); }
    BeastieMdlRow& LowestHeight(int value) { return Set(18, value); }
};

// "PropMdl.txt" (key column 1): an item model.
struct PropMdlRow : FixtureRow<PropMdlRow> {
    PropMdlRow& Name(const std::string& gbk) { return Set(0, gbk); }
    PropMdlRow& Id(int id) { return Set(1, id); }
    PropMdlRow& Kind(int value) { return Set(2, value); }
    // Sequence of the item-picture animation.
    PropMdlRow& Picture(int seq) { return Set(3, seq); }
    PropMdlRow& LandSound(int id) { return Set(4, id); }
    // 1: one prop holds the whole count.
    PropMdlRow& Stacks(int value) { return Set(6, value); }
    PropMdlRow& Price(int value) { return Set(7, value); }
    PropMdlRow& Grade(int value) { return Set(8, value); }
    PropMdlRow& UpgradeKey(const std::string& key) { return Set(9, key); }
    // "ATB word value" clauses joined by '*'; equipment gives ranges
    // ("ATB AP 5 10") and '|' alternatives.
    PropMdlRow& Attributes(const std::string& text) { return Set(10, text); }
    PropMdlRow& Level(int value) { return Set(11, value); }
    // "count*minimum total" of rolled equipment.
    PropMdlRow& AttributeCount(const std::string& value) { return Set(13, value); }
    PropMdlRow& SetMarker(int value) { return Set(14, value); }
    PropMdlRow& FirstPickFlag(const std::string& name) { return Set(15, name); }
    PropMdlRow& DoublingKey(int value) { return Set(17, value); }
};

// "ActMdl.txt" (key column 1): an act of the story.
struct ActMdlRow : FixtureRow<ActMdlRow> {
    ActMdlRow& Name(const std::string& gbk) { return Set(0, gbk); }
    ActMdlRow& Id(int id) { return Set(1, id); }
    // The revive scene: a name, or "a*b" chosen by the flag a.
    ActMdlRow& ReviveScene(const std::string& names) { return Set(2, names); }
};

// "RoleEffectMdl.txt": the role states (key column 1, the state).
struct RoleEffectRow : FixtureRow<RoleEffectRow> {
    RoleEffectRow& Name(const std::string& gbk) { return Set(0, gbk); }
    RoleEffectRow& Id(int id) { return Set(1, id); }
    RoleEffectRow& Anim(int id) { return Set(2, id); }
};

// A further scene of the fixture game beside "Start": its "ScnInfo.txt" row,
// map, descriptor, object list, buildings and scene script, written as
// "Start"'s are.
struct FixtureScene {
    ScnInfoRow scene;
    std::vector<std::string> map;
    ScnDescSpec desc;
    ScnObjListSpec objects;
    std::vector<BldInitRecord> buildings;
    std::vector<SceneTriggerRow> triggers;
};

struct FixtureGame {
    std::vector<TextRow> texts;
    std::vector<RoleMdlRow> roles;
    std::vector<BeastieMdlRow> beasties;
    std::vector<PropMdlRow> props;
    std::vector<ActMdlRow> acts;
    std::vector<RoleEffectRow> roleEffects;
    std::vector<RolePrivateRow> rolePrivates;
    std::vector<RoleSkillListRow> roleSkillLists;
    std::vector<SkillRow> skills;
    std::vector<SkillChildRow> skillChildren;
    std::vector<SkillGopRow> skillGroups;
    // "EquipStr901.txt" .. "EquipStr905.txt", index 0 .. 4.
    std::vector<EquipStrRow> equipStrs[5];
    // "player\init.txt", "Player\Skill.txt" and "trigger\flag.txt".
    std::vector<PlayerInitSpec> classes;
    std::vector<PlayerSkillSpec> playerSkills;
    std::vector<std::string> flags;
    // The scene "Start": its "ScnInfo.txt" row, map (16 rows of 16, the
    // characters of BuildMapFromAscii), descriptor and object list.
    ScnInfoRow scene;
    std::vector<std::string> map;
    ScnDescSpec desc;
    ScnObjListSpec objects;
    // "trigger\scene\Start.txt" (not written when empty) and talk scripts.
    std::vector<SceneTriggerRow> triggers;
    std::vector<TalkScriptSpec> talks;
    // "Start"'s buildings ("cj/Start.int"), parts of the demo building model
    // (demo_bld.h); none by default.
    std::vector<BldInitRecord> buildings;
    // Scenes beside "Start" (FixtureSceneNamed makes one like it).
    std::vector<FixtureScene> moreScenes;
};

// The name of the fixture's one role model (model 1), in GBK: "侠客".
extern const char* const kFixtureHeroName;
// Cells of the portals of the default fixture.
constexpr int kFixtureNullX = 8, kFixtureNullY = 8;
constexpr int kFixtureDeadX = 4, kFixtureDeadY = 4;
// Creature model of the fixture's flying bird (row 1 of "BeastieMdl.txt").
constexpr int kFixtureBirdModel = 20001;
// Role models of the default fixture beside the hero (model 1).
constexpr int kFixtureMeleeModel = 2;
constexpr int kFixtureArcherModel = 3;
constexpr int kFixtureStatueModel = 4;   // no column 27: cannot be thrown
constexpr int kFixtureGhostModel = 5;    // model class 50: no corpse
constexpr int kFixtureDeathActionModel = 6;
constexpr int kFixtureGrabberModel = 7;
// Thinking monsters, ids above the ones scenario tests add (column 2 set: they may use skills; column 31 the AI
// kind): kind 1 keeps its distance, 20 collects, 30 casts ahead, 31 casts
// at its target, all of reaction 2; models 44-49 are melee monsters of
// reaction levels 0-5. The reaction level is level-row column 6 (at
// difficulty 1), which casters also read as their period in 56-tick units.
// Model 50 is a pack wolf with only the claw (use kind 5).
constexpr int kFixtureKeeperModel = 40;
constexpr int kFixtureCollectorModel = 41;
constexpr int kFixtureCasterModel = 42;
constexpr int kFixtureSeerModel = 43;
constexpr int kFixtureReactionModel = 44;  // + reaction level 0-5
constexpr int kFixtureWolfModel = 50;
// Skills of the default fixture: a melee strike and an arrow (with its
// projectile child), both in skill group 1.
constexpr int kFixtureStrikeSkill = 1;
// The animation base of the fixture's skills: the sprite's second group of
// eight. A skill's attached object ends as soon as its owner does not show
// that group, so a base past the sprite's sequences never lands.
constexpr int kFixtureSkillAnimBase = 8;
constexpr int kFixtureArrowSkill = 2;
constexpr int kFixtureArrowChild = 1;
// A claw of use kind 5 (what group and leash attacks choose), alone in
// its skill group, and a pick-up cast of use kind 6 in its own group
// (ids above the ones scenario tests add for themselves).
constexpr int kFixtureClawSkill = 40;
constexpr int kFixtureClawGroup = 40;
constexpr int kFixtureGatherSkill = 41;
constexpr int kFixtureGatherGroup = 41;

// The default fixture: the texts the start-up reads, the role models
// above with their level rows and skill lists, two skills, the demo's bird among ASCII-named creatures, three items, one
// act whose revive scene is "Start", the five classes and the player's
// skills and flags of the record tables, and "Start": grass with a wall along
// its edge, type 2, no weather, no sounds, the portals "NULL" and "DEAD",
// and an empty object list.
FixtureGame DefaultFixtureGame();
// A scene like the fixture's "Start" (map, portals "NULL" and "DEAD", empty
// object list, no buildings or script) under another name and id, its name
// shown from UI text `nameText`.
FixtureScene FixtureSceneNamed(const FixtureGame& game, const std::string& name, int id, int nameText);
// A building record of the demo model whose picture name is `name` (a tag-1
// text field): a chest named by a number makes drops of that table id.
BldInitRecord FixtureBuilding(uint16_t part, int32_t x, int32_t y, const std::string& name);
// A roaming object-list record (type 13, logic 1) in a box of `half` cells
// around its cell.
ScnObjRecord FixtureRoamer(int model, int x, int y, const std::string& event, int half = 3);
// The rows of a keyed table with spare rows added, so that every key is
// below row count + 20. `header` is the first row; keys are read from
// `keyColumn` of the other rows.
Table PadKeyedTable(const std::vector<std::string>& header, const Table& rows, int keyColumn, int spareNameColumn);
// The rows of one table, for tests that write a table of their own.
template <class Row>
Table RowsOf(const std::vector<Row>& rows) {
    Table t;
    for (const Row& r : rows) t.push_back(r.Cells());
    return t;
}
// Placements of a thinking role in idle mode 0-4 (record type 12, 13, 14,
// 15, 12): 1 wanders a box of 2 cells around its cell, 2 patrols its cell
// and the cells 3 to the right and 3 down, 3 follows a friend within 6
// cells at 2, 4 waits in ambush and opens with `skill`.
ScnObjRecord FixtureIdlePlacement(int model, int x, int y, int mode, int skill = 0);
// The placement with a home box ("MoveRange": x, y, width, height in
// cells): a role that leaves it with a target turns back.
ScnObjRecord FixtureWithHomeBox(ScnObjRecord r, int x, int y, int w, int h);
// Four members of circle group `group` (idle mode 0) in a 2 x 2 square
// from (x, y).
std::vector<ScnObjRecord> FixturePack(int model, int x, int y, int group);
// Writes the folder (native path). False with a message in *error.
bool WriteFixtureGame(const std::string& folder, const FixtureGame& game, std::string* error);

} // namespace datagen
