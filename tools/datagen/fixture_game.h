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

#include "datagen/scene_tables.h"
#include "datagen/scn_writer.h"
#include "datagen/table_writer.h"

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
    RoleMdlRow& DeathSequence(int seq) { return Set(19, seq); }
    RoleMdlRow& SizeClass(int value) { return Set(26, value); }
    RoleMdlRow& LyingClass(int value) { return Set(43, value); }
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
};

// "ActMdl.txt" (key column 1): an act of the story.
struct ActMdlRow : FixtureRow<ActMdlRow> {
    ActMdlRow& Name(const std::string& gbk) { return Set(0, gbk); }
    ActMdlRow& Id(int id) { return Set(1, id); }
    // The revive scene: a name, or "a*b" chosen by the flag a.
    ActMdlRow& ReviveScene(const std::string& names) { return Set(2, names); }
};

// "RoleEffectMdl.txt": the role states.
struct RoleEffectRow : FixtureRow<RoleEffectRow> {
    RoleEffectRow& Name(const std::string& gbk) { return Set(0, gbk); }
    RoleEffectRow& Id(int id) { return Set(1, id); }
};

struct FixtureGame {
    std::vector<TextRow> texts;
    std::vector<RoleMdlRow> roles;
    std::vector<BeastieMdlRow> beasties;
    std::vector<PropMdlRow> props;
    std::vector<ActMdlRow> acts;
    std::vector<RoleEffectRow> roleEffects;
    // The scene "Start": its "ScnInfo.txt" row, map (16 rows of 16, the
    // characters of BuildMapFromAscii), descriptor and object list.
    ScnInfoRow scene;
    std::vector<std::string> map;
    ScnDescSpec desc;
    ScnObjListSpec objects;
};

// The name of the fixture's one role model (model 1), in GBK: "侠客".
extern const char* const kFixtureHeroName;
// Cells of the portals of the default fixture.
constexpr int kFixtureNullX = 8, kFixtureNullY = 8;
constexpr int kFixtureDeadX = 4, kFixtureDeadY = 4;
// Creature model of the fixture's flying bird (row 1 of "BeastieMdl.txt").
constexpr int kFixtureBirdModel = 20001;

// The default fixture: the texts the start-up reads, one role model (the
// hero), the demo's bird among ASCII-named creatures, three items, one
// act whose revive scene is "Start", and "Start": grass with a wall along
// its edge, type 2, no weather, no sounds, the portals "NULL" and "DEAD",
// and an empty object list.
FixtureGame DefaultFixtureGame();
// A roaming object-list record (type 13, logic 1) in a box of `half` cells
// around its cell.
ScnObjRecord FixtureRoamer(int model, int x, int y, const std::string& event, int half = 3);
// The rows of a keyed table with spare rows added, so that every key is
// below row count + 20. `header` is the first row; keys are read from
// `keyColumn` of the other rows.
Table PadKeyedTable(const std::vector<std::string>& header, const Table& rows, int keyColumn, int spareNameColumn);
// Writes the folder (native path). False with a message in *error.
bool WriteFixtureGame(const std::string& folder, const FixtureGame& game, std::string* error);

} // namespace datagen
