#include "datagen/demo_data.h"

#include <filesystem>
#include <string>
#include <vector>

#include "datagen/demo_bld.h"
#include "datagen/demo_creatures.h"
#include "datagen/demo_fighters.h"
#include "datagen/demo_gesture.h"
#include "datagen/demo_role_sprite.h"
#include "datagen/demo_title.h"
#include "datagen/demo_settings.h"
#include "datagen/demo_ui.h"
#include "datagen/demo_world.h"
#include "datagen/ini_writer.h"
#include "datagen/lib_writer.h"
#include "datagen/map_writer.h"
#include "datagen/media_writer.h"
#include "datagen/record_tables.h"
#include "datagen/sound_table_writer.h"
#include "datagen/table_writer.h"
#include "datagen/trigger_writer.h"

namespace datagen {

// "您的DirectX版本低于8.1，游戏可能无法正常运行。" (GBK)
const char* const kDemoOldDirectXText =
    "\xC4\xFA\xB5\xC4" "DirectX" "\xB0\xE6\xB1\xBE\xB5\xCD\xD3\xDA" "8.1"
    "\xA3\xAC\xD3\xCE\xCF\xB7\xBF\xC9\xC4\xDC\xCE\xDE\xB7\xA8\xD5\xFD\xB3\xA3\xD4\xCB\xD0\xD0\xA1\xA3";

namespace {

Table Join(Table a, const Table& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The record's flags and the quest's.
std::vector<std::string> DemoFlagNames() {
    std::vector<std::string> names = DefaultFlagNames();
    names.push_back(kDemoQuestFlag);
    return names;
}

struct TableFile {
    const char* path;  // relative to mb/
    Table rows;
};

std::vector<TableFile> StartupTables() {
    return {
        // No header row: the game hands -1, which the table reads as 0.
        {"PropGemFunc.txt", {{"1", "Gem1", "0"}, {"2", "Gem2", "0"}}},
        {"Player/init.txt", PlayerInitTable(DefaultClassRows())},
        {"Player/Skill.txt", PlayerSkillTable(DefaultPlayerSkills())},
        {"trigger/flag.txt", BuildFlagTable(DemoFlagNames())},
        {"ScnInfo.txt", DemoScnInfoTable()},
        {"ScnSoundMdl.txt", DemoScnSoundRows()},
        {"PropMdl.txt", DemoPropTable()},
        {"randprop.txt", Join({{"Name", "Id"}, {"None", "1"}}, DemoFighterDropRows())},
        // The act's revive scene and where return gates stand in it.
        {"ActMdl.txt", {{"Name", "Id", "Revive", "GateX", "GateY"}, {"Stand", "1", "Start", "20", "24"}}},
        // Columns 3 and 4: walking and running speed, so a clicked hero walks.
        {"RolePrivate.txt",
         Join({{"Name", "Id", "Col2", "Speed", "Run"}, {"Hero", "1", "0", "16", "24"}}, DemoFighterLevelRows())},
        {"TriggerQuest.txt", {{"Name", "Id"}, {"First", "1"}}},
        {"RoleQuest.txt", {{"Name", "Id"}, {"First", "1"}}},
        {"RoleEffectMdl.txt", {{"State", "Effect"}, {"0", "0"}}},
        // The columns the world reads: 0 name, 1 model id, 6 preload,
        // 7-11 and 13 animation ids.
        {"Role.txt",
         {{"Name", "Id", "Kind", "Camp", "Sprite", "Variant", "Preload", "Stand", "Walk", "Run", "Attack", "Hurt",
           "Speed", "Skills"},
          {"Hero", "1", "31", "10000", "Hero", "0", "1", "100", "108", "116", "124", "132", "4", "140*148"}}},
        {"BeastieMdl.txt", DemoBeastieRows()},
        // The skill tables and the role skill lists (no header rows): the
        // hero's strike, in skill group 1.
        {"Role.rmd", Join({{"1", "1", "1"}}, DemoFighterSkillLists())},
        {"Skill.ini", Join({{"4", "Strike", "0", "1", "0", "1", "", "", "", "", "124", "64", "", "", "", "", "", "", "",
                        "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "0"}},
                          DemoFighterSkills())},
        // The spark (the sparkle's star, shown where a hit lands); an arrow (kind 201, sub-kind 1: height 40, speed 12,
        // with its shadow); a blast that stays on its target role.
        {"SkillChild.ini",
         {{"5", "Spark", "300", "17", std::to_string(kDemoSparkleAnim), "", "", "", "", "1", "0", "1", "0", "0", "0", "0"},
          {"5", "Arrow", "201", "1", std::to_string(kDemoArrowAnim), std::to_string(kDemoArrowShadowAnim), "1", "0", "0",
           "0", "40", "0", "12", "0", "0", "0"},
          {"5", "Blast", "300", "2", std::to_string(kDemoBlastAnim), "", "", "", "", "1", "2", "0", "2", "0", "1", "0"}}},
        {"Skill.gop", Join({{"7", "Basic", "1", "1", "1000", "1", "1", "1"}}, DemoFighterSkillGroups())},
    };
}

// The columns a corpse reads beyond those above: 5 the default variant list
// (body parts take it), 19 first death sequence, 26 size class, 43
// lying-sequence class (below 3: lying = death + 8).
void AddCorpseColumns(Table& rows) {
    for (Table::value_type& row : rows) row.resize(44);
    rows[0][19] = "Death";
    rows[0][26] = "Size";
    rows[0][43] = "Lying";
    for (size_t i = 1; i < rows.size(); ++i) {
        rows[i][5] = kDemoRoleVariants;
        rows[i][19] = std::to_string(kDemoRoleDeathSeq);
        rows[i][26] = "40";
        rows[i][43] = "0";
    }
    // 25: the head list whose parts a death flings.
    rows[0][25] = "Heads";
    for (size_t i = 1; i < rows.size(); ++i) rows[i][25] = "HD*WP";
    // 27: the move class; a role without it cannot be thrown and its death
    // leaves it lying where it fell instead of a corpse.
    rows[0][27] = "Move";
    for (size_t i = 1; i < rows.size(); ++i) rows[i][27] = "1";
    // 28: the walking speed the walk animation was drawn for.
    rows[0][28] = "WalkSpeed";
    for (size_t i = 1; i < rows.size(); ++i) rows[i][28] = "8";
}

} // namespace

bool WriteDemoDataSet(const std::string& folder, const DemoOptions& options, std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error) *error = "cannot write " + what;
        return false;
    };
    std::string root = folder;
    if (!root.empty() && root.back() != '/') root += '/';

    if (!WriteIni(root + "tamiro.ini", {{"BeginScn", "0"}, {"Version", "2.0"}}, false)) return fail("tamiro.ini");
    if (!WriteIni(root + "mb/define.ini",
                  {{"MaxIceDp", "50"}, {"MaxFireDp", "50"}, {"MaxPoisonDp", "50"}, {"PoisonRate", "90"},
                   {"FireRate", "60"}},
                  false))
        return fail("mb/define.ini");
    if (!options.dxVersion.empty() &&
        !WriteIni(root + "DisplayCapability.INI",
                  {{"3dFunc", "0"}, {"VedioMemory", "0"}, {"ZoomCap", "0"}, {"AlphaCap", "1"},
                   {"DXVersion", options.dxVersion}},
                  false))
        return fail("DisplayCapability.INI");

    Table text;
    for (int i = 0; i < kDemoTextRows; ++i)
        text.push_back({std::to_string(i), i == kDemoTextOldDirectXRow ? kDemoOldDirectXText : "Text" + std::to_string(i)});
    for (const DemoText& t : kDemoUiTexts) text[static_cast<size_t>(t.id)][1] = t.gbk;
    for (const DemoText& t : kDemoTitleTexts) text[static_cast<size_t>(t.id)][1] = t.gbk;
    for (const DemoText& t : kDemoSettingsTexts) text[static_cast<size_t>(t.id)][1] = t.gbk;
    for (int i = 0; i < 3; ++i) text[static_cast<size_t>(kDemoQuestText + i)][1] = kDemoQuestTexts[i];
    // What a script's "Acquire" notice starts with: "获得" (got).
    text[123][1] = "\xBB\xF1\xB5\xC3";
    if (!WriteTable(root + "mb/Text.txt", text)) return fail("mb/Text.txt");
    if (!WriteTable(root + "mb/trigger/scene/Start.txt", BuildSceneScript(DemoStartTriggers())))
        return fail("mb/trigger/scene/Start.txt");
    // The player's settings are the game's own once it has run: a file
    // that exists is kept. Brightness 50 gives the plain gamma ramp.
    if (!std::filesystem::exists(root + "set.ini") && !WriteSettingsIni(root + "set.ini", SettingsFile{}))
        return fail("set.ini");

    if (!WriteDemoUiTables(root)) return fail("mb/ panel and font tables");
    for (TableFile& t : StartupTables()) {
        if (std::string(t.path) == "Role.txt") {
            AddCorpseColumns(t.rows);
            for (const auto& row : DemoFighterRoleRows()) t.rows.push_back(row);
        }
        if (std::string(t.path) == "Skill.ini") AddDemoGestureFields(t.rows);
        if (!WriteTable(root + "mb/" + t.path, t.rows)) return fail(std::string("mb/") + t.path);
    }

    if (options.libraries && !WriteDemoLibraries(root)) return fail("Zy/ libraries");
    if (options.libraries && !WriteDemoRoleSprite(root)) return fail("slr/ role sprite");
    if (options.libraries && !WriteDemoMap(root)) return fail("Zy/maptile.lib, cj/Start.map");
    if (options.libraries && !WriteDemoEffectTextures(root)) return fail("th/ effect textures");
    if (!WriteDemoMethodPoints(root)) return fail("mb/MethodPoint.txt");
    if (options.libraries && !WriteDemoTrailPicture(root)) return fail("th/effect.bmp");
    if (options.libraries && !WriteDemoBuildings(root)) return fail("Zy/bld.lib, mb/Start.mdl, cj/Start.int");
    if (!WriteDemoWorld(root)) return fail("cj/ scenes Start and Field");
    if (options.sounds && !WriteDemoSounds(root + "SY")) return fail("SY/ sounds");
    if (options.music && !WriteDemoMusic(root)) return fail("yy/ music");
    return true;
}

} // namespace datagen
