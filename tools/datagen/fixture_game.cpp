#include "datagen/fixture_game.h"

#include <algorithm>
#include <cstdlib>

#include "datagen/bld_writer.h"
#include "datagen/demo_bld.h"
#include "datagen/demo_creatures.h"
#include "datagen/demo_role_sprite.h"
#include "datagen/demo_settings.h"
#include "datagen/demo_title.h"
#include "datagen/demo_ui.h"
#include "datagen/ini_writer.h"
#include "datagen/lib_writer.h"
#include "datagen/map_writer.h"
#include "datagen/sound_table_writer.h"

namespace datagen {

// "侠客"
const char* const kFixtureHeroName = "\xcf\xc0\xbf\xcd";

namespace {

// The key of a row, or -1 when its key cell is empty or not a number.
int KeyOf(const std::vector<std::string>& row, int keyColumn) {
    if (keyColumn < 0 || static_cast<size_t>(keyColumn) >= row.size() || row[size_t(keyColumn)].empty()) return -1;
    char* end = nullptr;
    const long v = std::strtol(row[size_t(keyColumn)].c_str(), &end, 10);
    return end && *end == '\0' && v >= 0 && v < 1000000 ? static_cast<int>(v) : -1;
}

} // namespace

ScnObjRecord FixtureRoamer(int model, int x, int y, const std::string& event, int half) {
    ScnObjRecord r = ObjRecord(13, model, x, y, 1, event);
    r.moveLevel = 1;
    r.rect[0] = x - half, r.rect[1] = y - half, r.rect[2] = 2 * half, r.rect[3] = 2 * half;
    r.range[0] = x - half, r.range[1] = y - half, r.range[2] = 2 * half, r.range[3] = 2 * half;
    return r;
}

ScnObjRecord FixtureIdlePlacement(int model, int x, int y, int mode, int skill) {
    static const int kTypes[5] = {12, 13, 14, 15, 12};
    ScnObjRecord r = ObjRecord(kTypes[mode < 0 || mode > 4 ? 0 : mode], model, x, y, mode);
    switch (mode) {
    case 1: r = FixtureRoamer(model, x, y, "", 2); break;
    case 2: r.path = {{x, y}, {x + 3, y}, {x, y + 3}}; break;
    case 3: r.asd[1] = 0, r.asd[2] = 2; break;
    case 4: r.init[1] = skill; break;
    default: break;
    }
    return r;
}

ScnObjRecord FixtureWithHomeBox(ScnObjRecord r, int x, int y, int w, int h) {
    r.range[0] = x, r.range[1] = y, r.range[2] = w, r.range[3] = h;
    return r;
}

std::vector<ScnObjRecord> FixturePack(int model, int x, int y, int group) {
    std::vector<ScnObjRecord> pack;
    for (int i = 0; i < 4; ++i) {
        ScnObjRecord r = ObjRecord(12, model, x + i % 2, y + i / 2, 0);
        r.array = 1;
        r.group = group;
        pack.push_back(r);
    }
    return pack;
}

Table PadKeyedTable(const std::vector<std::string>& header, const Table& rows, int keyColumn, int spareNameColumn) {
    Table out;
    if (!header.empty()) out.push_back(header);
    int maxKey = -1;
    for (const auto& r : rows) maxKey = std::max(maxKey, KeyOf(r, keyColumn));
    out.insert(out.end(), rows.begin(), rows.end());
    // Rows after the header that the table will hold.
    size_t count = rows.size();
    const size_t width = std::max<size_t>(static_cast<size_t>(std::max(keyColumn, spareNameColumn)) + 1, 2);
    while (maxKey >= 0 && static_cast<size_t>(maxKey) >= count + 20) {
        std::vector<std::string> spare(width);
        spare[size_t(spareNameColumn)] = "Spare";
        out.push_back(spare);
        ++count;
    }
    return out;
}

FixtureGame DefaultFixtureGame() {
    FixtureGame g;
    // The texts the panels and the start-up read, as the demo has them.
    for (const DemoText& t : kDemoUiTexts) g.texts.push_back(TextRow().Id(t.id).Text(t.gbk));
    for (const DemoText& t : kDemoTitleTexts) g.texts.push_back(TextRow().Id(t.id).Text(t.gbk));
    for (const DemoText& t : kDemoSettingsTexts) g.texts.push_back(TextRow().Id(t.id).Text(t.gbk));
    g.texts.push_back(TextRow().Id(1).Text("Start"));

    g.roles.push_back(RoleMdlRow()
                          .Name(kFixtureHeroName)
                          .Id(1)
                          .Camp(10000)
                          .SpriteName(kDemoRoleName)
                          .Variants(kDemoRoleVariants)
                          .Preload(1)
                          .StandAnim(100)
                          .WalkAnim(108)
                          .RunAnim(116)
                          .AttackAnim(124)
                          .HurtAnim(132)
                          .DeathSequence(kDemoRoleDeathSeq)
                          .SizeClass(40)
                          .MoveClass(1)
                          .WalkSpeed(16)
                          .LyingClass(0));
    auto monster = [](const char* name, int id) {
        return RoleMdlRow()
            .Name(name)
            .Id(id)
            .Camp(1)
            .SpriteName(kDemoRoleName)
            .Variants(kDemoRoleVariants)
            .StandAnim(100)
            .WalkAnim(108)
            .RunAnim(116)
            .AttackAnim(124)
            .HurtAnim(132)
            .DeathSequence(kDemoRoleDeathSeq)
            .SizeClass(40)
            .RoleCamp(1)
            .WalkSpeed(16)
            .LyingClass(0);
    };
    g.roles.push_back(monster("Melee", kFixtureMeleeModel).MoveClass(1));
    g.roles.push_back(monster("Archer", kFixtureArcherModel).MoveClass(1));
    g.roles.push_back(monster("Statue", kFixtureStatueModel));
    g.roles.push_back(monster("Ghost", kFixtureGhostModel).MoveClass(1).ModelClass(50));
    g.roles.push_back(monster("Bomber", kFixtureDeathActionModel).MoveClass(1).DeathAction(kFixtureStrikeSkill));
    g.roles.push_back(monster("Grabber", kFixtureGrabberModel).MoveClass(1).GrabAnims("124*132"));
    auto thinker = [&](const char* name, int id, int aiKind) {
        return monster(name, id).MoveClass(1).Set(2, 1).Set(31, aiKind);
    };
    g.roles.push_back(thinker("Keeper", kFixtureKeeperModel, 1));
    g.roles.push_back(thinker("Collector", kFixtureCollectorModel, 20));
    g.roles.push_back(thinker("Caster", kFixtureCasterModel, 30));
    g.roles.push_back(thinker("Seer", kFixtureSeerModel, 31));
    for (int level = 0; level <= 5; ++level)
        g.roles.push_back(thinker("Reaction", kFixtureReactionModel + level, 0));
    g.roles.push_back(thinker("Wolf", kFixtureWolfModel, 0));
    for (int id = 1; id <= kFixtureWolfModel; ++id) {
        if (id > kFixtureGrabberModel && id < kFixtureKeeperModel) continue;
        const int reaction = id >= kFixtureReactionModel && id <= kFixtureReactionModel + 5 ? id - kFixtureReactionModel : 2;
        g.rolePrivates.push_back(RolePrivateRow().Name("Level").Id(id).Sight(8).CastPeriod(reaction).StandAnim(100));
    }
    for (int id = kFixtureReactionModel; id <= kFixtureReactionModel + 5; ++id)
        g.roleSkillLists.push_back(RoleSkillListRow().Id(id).Skills({1}));
    g.roleSkillLists.push_back(RoleSkillListRow().Id(kFixtureKeeperModel).Skills({1}));
    g.roleSkillLists.push_back(RoleSkillListRow().Id(kFixtureCollectorModel).Skills({1, kFixtureGatherGroup}));
    g.roleSkillLists.push_back(RoleSkillListRow().Id(kFixtureCasterModel).Skills({1}));
    g.roleSkillLists.push_back(RoleSkillListRow().Id(kFixtureSeerModel).Skills({1}));
    g.roleSkillLists.push_back(RoleSkillListRow().Id(kFixtureWolfModel).Skills({kFixtureClawGroup}));
    g.roleSkillLists.push_back(RoleSkillListRow().Id(kFixtureMeleeModel).Skills({kFixtureStrikeSkill}));
    g.roleSkillLists.push_back(RoleSkillListRow().Id(kFixtureArcherModel).Skills({kFixtureArrowSkill}));
    g.roleSkillLists.push_back(RoleSkillListRow().Id(kFixtureGrabberModel).Skills({kFixtureStrikeSkill}));
    // Melee skills hit the target ahead within reach on frame 1 (effect
    // class 0) and sound there: every sequence of the fixture sprite has a
    // frame 1, and a sound alone never hurts. Their scales are 1.0: an empty
    // scale reads 65535 and a blow would take AP x 65535.
    const std::vector<SkillEffectSpec> kFixtureBlow = {{0, 1, 0, 0, 0, 0}, {0, 1, 1, 10, 0, 0}};
    g.skills.push_back(SkillRow()
                           .ClassWord(4)
                           .Name("Strike")
                           .Kind(0)
                           .Id(kFixtureStrikeSkill)
                           .Group(1)
                           .AnimBase(kFixtureSkillAnimBase)
                           .Range(64)
                           .Scales("1.0", "1.0", "1.0")
                           .Effects(kFixtureBlow));
    g.skills.push_back(SkillRow()
                           .ClassWord(4)
                           .Name("Arrow")
                           .Kind(0)
                           .Id(kFixtureArrowSkill)
                           .Group(1)
                           .AnimBase(kFixtureSkillAnimBase)
                           .Range(320)
                           .Effects({{0, 2, 2, kFixtureArrowChild, 0, 0}}));
    g.skillChildren.push_back(
        SkillChildRow().ClassWord(5).Name("ArrowFly").Kind(201).Id(kFixtureArrowChild).Anim(1).ShadowAnim(83).Params(1, 0, 0)
            .Bytes({2, 40, 0, 12, 0, 0}).Effects({{1, 1, 1, 10, 0, 0}}));
    g.skills.push_back(SkillRow().ClassWord(4).Name("Claw").Kind(5).Id(kFixtureClawSkill).Group(kFixtureClawGroup).AnimBase(kFixtureSkillAnimBase)
                           .Range(64).Scales("1.0", "1.0", "1.0").Effects(kFixtureBlow));
    g.skills.push_back(SkillRow().ClassWord(4).Name("Gather").Kind(6).Id(kFixtureGatherSkill).Group(kFixtureGatherGroup)
                           .AnimBase(kFixtureSkillAnimBase).Range(128).Effects({{0, 2, 1, 10, 0, 0}}));
    g.skillGroups.push_back(SkillGopRow().ClassWord(7).Name("Basic").Picture(1).Id(1).TimeMs(1000).Category(1)
                                .Values({kFixtureStrikeSkill, kFixtureArrowSkill}));
    g.skillGroups.push_back(SkillGopRow().ClassWord(7).Name("Claws").Picture(1).Id(kFixtureClawGroup).TimeMs(1000).Category(1)
                                .Values({kFixtureClawSkill}));
    g.skillGroups.push_back(SkillGopRow().ClassWord(7).Name("Gather").Picture(1).Id(kFixtureGatherGroup).TimeMs(1000)
                                .Category(1).Values({kFixtureGatherSkill}));
    for (auto& file : g.equipStrs) file.push_back(EquipStrRow().Id(1).Key("0").Upper(100).Lower(0).Text("R1"));
    g.beasties.push_back(BeastieMdlRow()
                             .Name("Bird")
                             .Id(kFixtureBirdModel - 20000)
                             .Anim(static_cast<int>(kDemoBirdAnim))
                             .MoveClass(1)
                             .DrawMode(0)
                             .Speed(3)
                             .FastSpeed(9)
                             .Light(0)
                             .Reaction(1)
                             .Behaviour(0)
                             .HighestHeight(56)
                             .LowestHeight(40));
    g.props.push_back(PropMdlRow().Name("Stick").Id(1).Kind(0).Picture(0).Stacks(0));
    g.props.push_back(PropMdlRow().Name("Potion").Id(2).Kind(0).Picture(1).Stacks(1));
    g.props.push_back(PropMdlRow().Name("Gem").Id(3).Kind(0).Picture(2).Stacks(1));
    g.acts.push_back(ActMdlRow().Name("Act1").Id(1).ReviveScene("Start"));
    g.roleEffects.push_back(RoleEffectRow().Name("None").Id(0));
    g.classes = DefaultClassRows();
    g.playerSkills = DefaultPlayerSkills();
    g.flags = DefaultFlagNames();

    g.scene.name = "Start";
    g.scene.id = 1;
    g.scene.type = 2;
    g.scene.nameText = 1;
    g.map.assign(16, std::string(16, '.'));
    for (int i = 0; i < 16; ++i) {
        g.map[0][size_t(i)] = g.map[15][size_t(i)] = '#';
        g.map[size_t(i)][0] = g.map[size_t(i)][15] = '#';
    }
    g.desc.mapFile = "Start.map";
    g.desc.bldFile = "Start.int";
    g.desc.objFile = "Start.obj";
    g.desc.portals = {{"NULL", kFixtureNullX, kFixtureNullY, 4}, {"DEAD", kFixtureDeadX, kFixtureDeadY, 4}};
    g.objects.bldMdl = kDemoBldModelFile;
    g.objects.bld = 0;
    return g;
}

FixtureScene FixtureSceneNamed(const FixtureGame& game, const std::string& name, int id, int nameText) {
    FixtureScene s;
    s.scene = game.scene;
    s.scene.name = name;
    s.scene.id = id;
    s.scene.nameText = nameText;
    s.map = game.map;
    s.desc = game.desc;
    s.desc.mapFile = name + ".map";
    s.desc.bldFile = name + ".int";
    s.desc.objFile = name + ".obj";
    s.objects.bldMdl = kDemoBldModelFile;
    s.objects.bld = 0;
    return s;
}

BldInitRecord FixtureBuilding(uint16_t part, int32_t x, int32_t y, const std::string& name) {
    BldInitRecord r;
    r.type = 3;
    r.modelId = part;
    r.x = x;
    r.y = y;
    r.data = std::string("\x01\x00", 2) + name;
    return r;
}

namespace {

bool WriteFixtureScene(const std::string& root, const FixtureScene& s) {
    const std::string cj = root + "cj/";
    BldInitSpec blds;
    blds.modelFile = kDemoBldModelFile;
    blds.records = s.buildings;
    if (!s.triggers.empty() &&
        !WriteTable(root + "mb/trigger/scene/" + s.scene.name + ".txt", BuildSceneScript(s.triggers)))
        return false;
    return WriteMap(cj + s.desc.mapFile, BuildMapFromAscii(s.map)) && WriteBldInit(cj + s.desc.bldFile, blds) &&
           WriteIni(cj + s.scene.name + ".scn", BuildScnDesc(s.desc), false) &&
           WriteIni(cj + s.desc.objFile, BuildScnObjList(s.objects), false);
}

} // namespace

bool WriteFixtureGame(const std::string& folder, const FixtureGame& g, std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error) *error = "cannot write " + what;
        return false;
    };
    std::string root = folder;
    if (!root.empty() && root.back() != '/') root += '/';
    const std::string mb = root + "mb/";

    if (!WriteIni(root + "tamiro.ini", {{"BeginScn", "0"}, {"Version", "2.0"}}, false)) return fail("tamiro.ini");
    if (!WriteIni(mb + "define.ini",
                  {{"MaxIceDp", "50"}, {"MaxFireDp", "50"}, {"MaxPoisonDp", "50"}, {"PoisonRate", "90"},
                   {"FireRate", "60"}},
                  false))
        return fail("mb/define.ini");
    if (!WriteIni(root + "DisplayCapability.INI",
                  {{"3dFunc", "0"}, {"VedioMemory", "0"}, {"ZoomCap", "0"}, {"AlphaCap", "1"}, {"DXVersion", "8.1"}},
                  false))
        return fail("DisplayCapability.INI");

    // Every start reads the panel tables and opens the libraries; the
    // demo's serve, with its role sprite and its building model.
    if (!WriteDemoUiTables(root)) return fail("mb/ panel and font tables");
    if (!WriteDemoLibraries(root)) return fail("Zy/ libraries");
    if (!WriteDemoRoleSprite(root)) return fail("slr/ role sprite");
    if (!WriteDemoEffectTextures(root)) return fail("th/ effect textures");
    if (!WriteDemoBuildings(root)) return fail("the demo building model");
    if (!WriteLib(root + "Zy/maptile.lib", DemoTileEntries())) return fail("Zy/maptile.lib");
    // The sound table, empty: scenario runs record their sounds instead.
    if (!WriteSoundTable(root + "SY/SoundMdl.sy", {})) return fail("SY/SoundMdl.sy");

    Table scnRows = {BuildScnInfoRow(g.scene)};
    for (const FixtureScene& more : g.moreScenes) scnRows.push_back(BuildScnInfoRow(more.scene));
    struct File {
        const char* path;
        Table rows;
    };
    const std::vector<File> tables = {
        {"Text.txt", PadKeyedTable({}, RowsOf(g.texts), 0, 1)},
        {"Role.txt", PadKeyedTable({"Name", "Id"}, RowsOf(g.roles), 1, 0)},
        {"BeastieMdl.txt", PadKeyedTable({"Name", "Id"}, RowsOf(g.beasties), 1, 0)},
        {"PropMdl.txt", PadKeyedTable({"Name", "Id"}, RowsOf(g.props), 1, 0)},
        {"ActMdl.txt", PadKeyedTable({"Name", "Id", "Revive"}, RowsOf(g.acts), 1, 0)},
        {"RoleEffectMdl.txt", PadKeyedTable({"State", "Id"}, RowsOf(g.roleEffects), 1, 0)},
        {"RolePrivate.txt", PadKeyedTable({"Name", "Id"}, RowsOf(g.rolePrivates), 1, 0)},
        {"Role.rmd", PadKeyedTable({}, RowsOf(g.roleSkillLists), 0, 1)},
        {"Skill.ini", RowsOf(g.skills)},
        {"SkillChild.ini", RowsOf(g.skillChildren)},
        {"Skill.gop", RowsOf(g.skillGroups)},
        {"EquipStr901.txt", PadKeyedTable({"Id", "Key", "Upper", "Lower", "Text"}, RowsOf(g.equipStrs[0]), 0, 4)},
        {"EquipStr902.txt", PadKeyedTable({"Id", "Key", "Upper", "Lower", "Text"}, RowsOf(g.equipStrs[1]), 0, 4)},
        {"EquipStr903.txt", PadKeyedTable({"Id", "Key", "Upper", "Lower", "Text"}, RowsOf(g.equipStrs[2]), 0, 4)},
        {"EquipStr904.txt", PadKeyedTable({"Id", "Key", "Upper", "Lower", "Text"}, RowsOf(g.equipStrs[3]), 0, 4)},
        {"EquipStr905.txt", PadKeyedTable({"Id", "Key", "Upper", "Lower", "Text"}, RowsOf(g.equipStrs[4]), 0, 4)},
        {"ScnInfo.txt", PadKeyedTable(ScnInfoHeader(), scnRows, 1, 0)},
        {"ScnSoundMdl.txt", {ScnSoundHeader(), BuildScnSoundRow(ScnSoundRow{0, "Quiet", {}})}},
        // Start-up reads these; nothing in the fixture uses them yet.
        {"PropGemFunc.txt", {{"1", "Gem1", "0"}}},
        {"Player/init.txt", PlayerInitTable(g.classes)},
        {"Player/Skill.txt", PlayerSkillTable(g.playerSkills)},
        {"trigger/flag.txt", BuildFlagTable(g.flags)},
        {"randprop.txt", {{"Name", "Id"}, {"None", "1"}}},
        {"TriggerQuest.txt", {{"Name", "Id"}, {"First", "1"}}},
        {"RoleQuest.txt", {{"Name", "Id"}, {"First", "1"}}},
    };
    for (const File& f : tables)
        if (!WriteTable(mb + f.path, f.rows)) return fail(std::string("mb/") + f.path);
    for (const TalkScriptSpec& talk : g.talks)
        if (!WriteTable(mb + "trigger/talk/" + talk.picture + ".txt", BuildTalkScript(talk.rows)))
            return fail("mb/trigger/talk/" + talk.picture);

    FixtureScene start;
    start.scene = g.scene;
    start.map = g.map;
    start.desc = g.desc;
    start.objects = g.objects;
    start.buildings = g.buildings;
    start.triggers = g.triggers;
    if (!WriteFixtureScene(root, start)) return fail("cj/ scene " + g.scene.name);
    for (const FixtureScene& more : g.moreScenes)
        if (!WriteFixtureScene(root, more)) return fail("cj/ scene " + more.scene.name);
    return true;
}

} // namespace datagen
