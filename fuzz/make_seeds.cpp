// Writes the seed corpora of the fuzz targets: small valid files of each
// kind, made with the datagen writers. Usage: fuzz_make_seeds <corpus folder>
// (fuzz/corpus in the source tree); each target's seeds go to a sub-folder
// named after it. The output is deterministic, so re-running it leaves the
// committed corpora unchanged.
#include <cstdio>
#include <string>
#include <vector>

#include "datagen/bld_writer.h"
#include "datagen/bytes.h"
#include "datagen/demo_bld.h"
#include "datagen/demo_world.h"
#include "datagen/define_writer.h"
#include "datagen/fixture_game.h"
#include "datagen/record_tables.h"
#include "datagen/image_encoder.h"
#include "datagen/ini_writer.h"
#include "datagen/item_tables.h"
#include "datagen/lib_writer.h"
#include "datagen/map_writer.h"
#include "datagen/method_point_writer.h"
#include "datagen/pack_writer.h"
#include "datagen/pli_writer.h"
#include "datagen/save_writer.h"
#include "datagen/packet_stream.h"
#include "datagen/trigger_writer.h"
#include "datagen/scn_writer.h"
#include "datagen/sound_table_writer.h"
#include "datagen/table_writer.h"
#include "datagen/texture_writer.h"
#include "datagen/timeline_writer.h"
#include "datagen/wave_writer.h"

namespace {

std::string g_root;
bool g_ok = true;

void Put(const std::string& target, const std::string& name, const std::string& bytes) {
    g_ok &= datagen::WriteBytes(g_root + "/" + target + "/" + name, bytes);
}
void Put(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
    Put(target, name, std::string(bytes.begin(), bytes.end()));
}

datagen::RgbaImage Picture(int w, int h, int colours) {
    return datagen::MakeImage(w, h, [&](int x, int y) {
        const uint32_t k = static_cast<uint32_t>((x / 2 + y) % colours);
        return 0xFF000000u | (k * 0x3F1F07u + 0x102030u) | ((x == 0) ? 0x00FFFFFFu : 0u);
    });
}

void IniSeeds() {
    const datagen::KeyValues full = {{"Version", "8.1"}, {"num", "3"},    {"name", "\xC4\xE3\xBA\xC3"},  // GBK text
                                     {"x", "-120"},      {"y", "65535"},  {"speed", "1.25"},
                                     {"value", "a=b"}};
    Put("ini", "plain.ini", datagen::BuildIni(full, false));
    Put("ini", "scrambled.ini", datagen::BuildIni(full, true));
    Put("ini", "partial.ini", datagen::BuildIni({{"num", "2"}, {"x", ""}, {"value", "12"}}, false));
    Put("ini", "lf.ini", datagen::BuildIniText({{"Version", "7"}, {"name", "demo"}}, "\n"));
}

void TableSeeds() {
    const datagen::Table items = {
        {"id", "name", "list", "rate", "note"},
        {"0", "sword", "1*2*3", "0.5", "\xB5\xB6"},  // GBK text
        {"1", "", "*4", "", "x"},
        {"7", "shield", "10**12", "1e3", ""},
        {"65535", "bad key", "5", "-1", "y"},
        {"3", "dup", "", "2.0"},
        {"1", "refill", "9", "0.25", "z"},
    };
    Put("txt_table", "items.txt", datagen::BuildTable(items));
    Put("txt_table", "text.txt", datagen::BuildTable({{"key", "text"}, {"0", "hello"}, {"1", "world"}, {"2", "\xC4\xE3"}}));
    Put("txt_table", "wide.txt", datagen::BuildTable({{"a", "b", "c", "d", "e", "f", "g", "h"}, {"5", "1", "2"}, {"6"}}));
}

void PackSeeds() {
    const std::vector<datagen::PackItem> items = {
        {"Role.txt", datagen::BuildTable({{"id", "name"}, {"1", "a"}, {"2", "b"}})},
        {"sub\\Setting.ini", datagen::BuildIni({{"name", "x"}, {"num", "4"}}, false)},
        {"data.bin", std::string("\x01\x02\x03\x04\x05\x06\x07", 7)},
        {"empty", ""},
    };
    Put("pack", "plain.fol", datagen::BuildPack(items, false));
    Put("pack", "scrambled.fol", datagen::BuildPack(items, true));
    Put("pack", "one.fol", datagen::BuildPack({{"a.txt", "id\tv\r\n1\t2\r\n"}}, true));
}

void TextureSeeds() {
    Put("bmp", "rgb24.bmp", datagen::BmpBytes(Picture(5, 3, 4), 24));
    Put("bmp", "rgb32_topdown.bmp", datagen::BmpBytes(Picture(4, 4, 3), 32, true));
    Put("bmp", "pal8.bmp", datagen::BmpBytes(Picture(7, 2, 5), 8));
    Put("bmp", "pal8_topdown.bmp", datagen::BmpBytes(Picture(3, 5, 2), 8, true));
    Put("tga", "plain24.tga", datagen::TgaBytes(Picture(5, 3, 4), 24, false));
    Put("tga", "plain32_topdown.tga", datagen::TgaBytes(Picture(4, 2, 3), 32, false, true));
    Put("tga", "rle24.tga", datagen::TgaBytes(Picture(9, 3, 2), 24, true));
    Put("tga", "rle32_id.tga", datagen::TgaBytes(Picture(6, 4, 3), 32, true, true, "seed"));
}

void WaveSeeds() {
    datagen::WaveSpec mono;
    Put("wave", "mono16.sy", datagen::WaveBytes(mono, datagen::Pcm16Bytes(datagen::SineWave(22050, 64, 440.0, 9000))));
    datagen::WaveSpec stereo8;
    stereo8.channels = 2;
    stereo8.bits = 8;
    stereo8.rate = 11025;
    std::vector<uint8_t> b8;
    for (int i = 0; i < 80; ++i) b8.push_back(static_cast<uint8_t>(128 + (i % 16) * 4));
    Put("wave", "stereo8.sy", datagen::WaveBytes(stereo8, b8));
    datagen::WaveSpec chunks;
    chunks.rate = 44100;
    chunks.otherChunks = {{"LIST", {'I', 'N', 'F', 'O', 'x'}}, {"fact", {1, 0, 0, 0}}};
    Put("wave", "chunks.sy", datagen::WaveBytes(chunks, datagen::Pcm16Bytes(datagen::SineWave(44100, 33, 880.0, 20000))));
    datagen::WaveSpec adpcm;
    adpcm.formatTag = 2;
    adpcm.bits = 4;
    adpcm.extra = {0xF4, 0x01};
    Put("wave", "nonpcm.sy", datagen::WaveBytes(adpcm, std::vector<uint8_t>(32, 0x11)));
}

void SoundTableSeeds() {
    const std::string tmp = g_root + "/sound_table/";
    g_ok &= datagen::WriteSoundTable(tmp + "demo.sy", {{"click", 1, "click", 0, ""},
                                                        {"step", 12, "step*step*step", 1, ""},
                                                        {"hit", 20, "hit*click", 2, "100*101"},
                                                        {"missing", 5, "nosuch", 0, ""},
                                                        {"empty", 6, "", 1, ""}});
    g_ok &= datagen::WriteSoundTable(tmp + "models.sy", {{"a", 0, "hit", 2, "7"},
                                                          {"b", 3, "step**click", 2, "7*8"},
                                                          {"c", 2, "click", 1, ""}});
}

void DefineSeeds() {
    Put("define_table", "sprrole.h",
        datagen::BuildDefineHeader({{"ROLE_BEGIN", 0}, {"ROLE_MAN", 1}, {"ROLE_WOMAN", 2}, {"ROLE_NPC", -7},
                                    {"ROLE_BIG", 2147483647}, {"ROLE_END", 5}},
                                   {"// roles", "#ifndef SPRROLE_H", "#define SPRROLE_H"}));
    Put("define_table", "tabs.h", "#define\tA\t1\r\n  #define B 2 extra\r\n#undef C 3\r\n#define D\r\n#define E 4\r\n");
}

datagen::ImageFrame MakeFrame(int32_t w, int32_t h, bool rle, bool alpha, bool compressAlpha) {
    datagen::ImageFrame f;
    f.width = w;
    f.height = h;
    f.rle = rle;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            f.pixels.push_back((x + y) % 3 == 0 ? datagen::kKey565 : datagen::Rgb16(40 * x, 30 * y, 200));
    if (alpha) {
        for (int32_t i = 0; i < w * h; ++i) f.alpha.push_back(static_cast<uint8_t>((i * 37) % 256));
        f.compressAlpha = compressAlpha;
    }
    return f;
}

void LibSeeds() {
    const std::string raw = datagen::EncodeFrame(MakeFrame(5, 4, false, false, false));
    const std::string rle = datagen::EncodeFrame(MakeFrame(6, 3, true, false, false));
    const std::string alpha = datagen::EncodeFrame(MakeFrame(4, 4, false, true, false));
    const std::string alphaRle = datagen::EncodeFrame(MakeFrame(7, 5, true, true, true));
    datagen::ImageFrame altered = MakeFrame(9, 6, true, false, false);
    altered.alterSize = true;
    altered.widthDiv = 2;
    altered.heightDiv = 1;
    altered.widthAdd = 3;
    altered.heightAdd = 1;
    const std::string alteredFrame = datagen::EncodeFrame(altered);
    const std::string table = datagen::BuildFrameTable({raw, rle, alphaRle});
    datagen::AnimSeqSpec walk;
    walk.attribute = 1;
    // Pictures in "tables.lib": entry 2 a bare frame, entry 0 a frame table.
    walk.frames = {{false, 2, 2, 1, 2, 0, 0}, {false, 3, 0u | 1u << 24, -1, 0, 2, 3}, {true, 1, 0, 0, 0, 0, 0}};
    datagen::AnimSeqSpec idle;
    idle.frames = {{false, 5, 0u | 3u << 24, 0, 0, 1, 1}};
    const std::string anim = datagen::BuildAnimTable({walk, idle});
    Put("res_lib", "frames.lib", datagen::BuildLib({raw, rle, alpha, alphaRle, alteredFrame}));
    Put("res_lib", "tables.lib", datagen::BuildLib({table, anim, raw}));
    Put("res_lib", "mixed.lib", datagen::BuildLib({raw, anim, table, "", rle}));
}

// The input is entry 0 of library 0; the harness (fuzz/harness/anim_table.h)
// puts a bare frame at entry 1 and a table of three frames at entry 2 of
// library 0, and in library 1 bare frames at entries 0-2 (raw, RLE, RLE with
// alpha), a table of two frames at entry 3 and a large raw frame at entry 4.
void AnimTableSeeds() {
    const auto frame = [](uint32_t resId, uint32_t delay, int32_t x = 0, int32_t y = 0, int32_t hx = 0, int32_t hy = 0) {
        return datagen::AnimFrameSpec{false, delay, resId, x, y, hx, hy};
    };
    const auto id = [](uint32_t lib, uint32_t entry, uint32_t f) { return (entry & 0xFFFFF) | lib << 20 | f << 24; };
    datagen::AnimSeqSpec walk;
    walk.attribute = 1;
    walk.frames = {frame(id(0, 1, 0), 2, 1, 2), frame(id(0, 2, 1), 1, -1, 0, 2, 3), frame(id(0, 2, 3), 3, 4, 4),
                   {true, 2, 0, 0, 0, 0, 0}};
    datagen::AnimSeqSpec idle;
    idle.frames = {frame(id(1, 0, 0), 3)};
    Put("anim_table", "walk.anim", datagen::BuildAnimTable({walk, idle}));

    datagen::AnimSeqSpec kinds;
    kinds.attribute = 2;
    kinds.frames = {frame(id(1, 0, 0), 1), frame(id(1, 1, 0), 2, 3, 1), frame(id(1, 2, 0), 1, 0, 0, 4, 4),
                    frame(id(1, 3, 1), 1, 2, 2), frame(id(1, 3, 2), 2), frame(id(1, 4, 0), 1, -30, -30)};
    datagen::AnimSeqSpec none;
    datagen::AnimSeqSpec one;
    one.attribute = 0xFFFF;
    one.frames = {frame(id(0, 2, 2), 0, -2, -3, 1, 1)};
    Put("anim_table", "libraries.anim", datagen::BuildAnimTable({kinds, none, one}));

    // Pictures that are not there: a library not in the list, an entry past
    // the library's end, a frame past a table's end, a frame table taken as
    // a bare frame and the animation itself taken as a picture. They draw
    // nothing; the table is still valid.
    datagen::AnimSeqSpec missing;
    missing.frames = {frame(id(5, 0, 0), 1), frame(id(0, 999, 0), 1), frame(id(0, 2, 9), 2), frame(id(0, 2, 0), 1),
                      frame(id(0, 0, 0), 1), frame(id(0, 1, 0), 1)};
    Put("anim_table", "missing.anim", datagen::BuildAnimTable({missing, walk}));
    Put("anim_table", "empty.anim", datagen::BuildAnimTable({}));
}

// The harness's role "R1" has the main parts A, B, C, D, E (in that order)
// and the overlay AS.
void PliSeeds() {
    datagen::PliSpec full;
    full.roleName = "R1";
    full.mainPart = "A";
    full.partNames = {"A", "B", "C", "D", "E"};
    full.actions = {{{0, 1, 2, 3, 4}, {4, 3, 2, 1, 0}, {2, 0, 1, 4, 3}},
                    {{1, 0, 2, 3, 4}},
                    {{0, 2, 1, 3, 4}, {3, 4, 0, 1, 2}},
                    {{4, 0, 3, 1, 2}, {0, 1, 2, 3, 4}, {1, 2, 3, 4, 0}}};
    Put("pli", "current.pli", datagen::BuildPli(full));
    Put("pli", "older.pli", datagen::BuildOlderPli(full));

    // Fewer parts than the sprite, names in other case, an index past the
    // parts and an action without frames.
    datagen::PliSpec subset;
    subset.roleName = "r1";
    subset.mainPart = "c";
    subset.partNames = {"c", "A", "b"};
    subset.actions = {{{0, 1, 2}, {2, 7, 0}}, {}, {{1, 2, 0}}};
    Put("pli", "subset.pli", datagen::BuildPli(subset));

    datagen::PliSpec older;
    older.mainPart = "B";
    older.partNames = {"B", "A", "E", "D", "C"};
    older.actions = {{{1, 0, 4, 3, 2}}, {{0, 0, 0, 0, 0}, {4, 4, 1, 1, 9}}};
    Put("pli", "older_main_b.pli", datagen::BuildOlderPli(older));
}

// Maps name the harness's tile library "maptile.lib" (the demo tiles).
void MapSeeds() {
    Put("map", "demo.map", datagen::BuildMap(datagen::BuildMapFromAscii(datagen::DemoMapArt())));
    datagen::MapSpec all = datagen::BuildMapFromAscii({"..,,~~##", ".2345678", "abcABC..", "~~~.....", "#...,,,,"});
    all.cells[9].tile1 = datagen::kTileRoad;
    all.cells[10].tile0 = 7;  // past the tile count: no tile
    all.cells[11].tile0 = 65535;
    all.cells[12].special = 2;
    all.cells[13].word = 0xBEEF;
    Put("map", "kinds.map", datagen::BuildMap(all));
    datagen::MapSpec narrow = datagen::BuildMapFromAscii({"..", "..", ".."});
    narrow.ids = {3, 2, 1, 0, 0, 9};  // entry 9 is not in the library
    narrow.cells[0].tile0 = 5;
    Put("map", "narrow.map", datagen::BuildMap(narrow));
    Put("map", "empty.map", datagen::BuildMap(datagen::BuildMapFromAscii({})));
}

datagen::BldPartSpec SeedPart(uint16_t id, uint16_t kind, int32_t subs) {
    datagen::BldPartSpec p;
    p.name = "seed";
    p.partKind = kind;
    p.partId = id;
    p.gridW = 3;
    p.gridH = 2;
    p.middleStart = 1;
    p.topCount = subs > 2 ? 1 : 0;
    p.labelEnable = 1;
    p.anchorX = 1, p.anchorY = 1;
    p.lineDx = 0, p.lineDy = 1;
    p.rectX = -40, p.rectY = -60, p.rectW = 80, p.rectH = 70;
    p.lightKind = static_cast<uint8_t>(id % 5);
    p.mask = {128 | 8 | 1, 128 | 1, 0, 128, 128 | 2, 128 | 1};
    for (int32_t i = 0; i < subs; ++i)
        p.subs.push_back({"f", static_cast<uint8_t>(i == subs - 1), static_cast<uint32_t>(i), -20 + i, -30 - 4 * i});
    return p;
}

// Model files with plain, mechanism and portal parts (ids 0-4), records of
// other kinds and an id taken twice.
void BldModelSeeds() {
    datagen::BldModelSpec m;
    m.records = {{3, SeedPart(1, 11, 3)}, {3, SeedPart(2, 128, 3)}, {5, {}}, {3, SeedPart(0, 130, 2)},
                 {3, SeedPart(3, 150, 1)}, {3, SeedPart(2, 11, 1)}};
    Put("bld_model", "town.mdl", datagen::BuildBldModel(m));
    datagen::BldModelSpec empty;
    empty.records = {{1, {}}, {2, {}}};
    Put("bld_model", "no_parts.mdl", datagen::BuildBldModel(empty));
    datagen::BldModelSpec one;
    datagen::BldPartSpec wide = SeedPart(4, 12, 2);
    wide.gridW = 5;
    wide.gridH = 4;
    wide.mask.assign(20, 128 | 1);
    wide.mask[7] = 128 | 2;
    wide.lineDx = 2, wide.lineDy = 0;
    one.records = {{3, wide}};
    Put("bld_model", "wide.mdl", datagen::BuildBldModel(one));
}

// Init files against the harness's fixed model (the demo's parts).
void BldInitSeeds() {
    Put("bld_init", "demo.int", datagen::BuildBldInit(datagen::BuildDemoBldInit("fuzz.mdl", 6, 6)));
    datagen::BldInitSpec s;
    s.modelFile = "FUZZ.MDL";
    s.records = {{4, datagen::kDemoDoorPart, 3, 3, 7, "", -1, "SetFlag 1 1"},
                 {3, datagen::kDemoChestPart, 8, 4, 0, std::string("\x07\x00%12\0", 6), -1, ""},
                 {2, 9, 0, 0, 0, "passed over", -1, ""},
                 {3, 77, 5, 5, 0, "", -1, ""},
                 {3, datagen::kDemoPortalPart, 11, 11, 0, "", 0xFFFFFFFF, ""}};
    Put("bld_init", "mixed.int", datagen::BuildBldInit(s));
}

// Scene descriptors: the demo's two, one with namesakes in mixed case and
// a minimap, one scrambled.
void ScnDescSeeds() {
    Put("scn_desc", "start.scn", datagen::BuildIni(datagen::BuildScnDesc(datagen::DemoStartDesc()), false));
    Put("scn_desc", "field.scn", datagen::BuildIni(datagen::BuildScnDesc(datagen::DemoFieldDesc()), true));
    datagen::ScnDescSpec s = datagen::DemoStartDesc();
    s.portals = {{"Gate", 1, 2, 3}, {"gate", 4, 5, 6}, {"DEAD", 7, 8, 0}, {"GATE", 9, 9, 1}};
    s.radarId = 4;
    Put("scn_desc", "namesakes.scn", datagen::BuildIni(datagen::BuildScnDesc(s), false));
}

// Object lists: the demo's, and one record of every logic kind in each group.
void ObjListSeeds() {
    Put("obj_list", "start.obj", datagen::BuildIni(datagen::BuildScnObjList(datagen::DemoStartObjects()), false));
    datagen::ScnObjListSpec s;
    s.bldMdl = "fuzz.mdl";
    for (int kind = 0; kind <= 4; ++kind) {
        datagen::ScnObjRecord r;
        r.type = kind == 0 ? 12 : kind == 4 ? 16 : 12 + kind;
        r.logic = kind;
        r.modelId = 1;
        r.x = 2 + kind;
        r.y = 3;
        r.eventId = "E" + std::to_string(kind);
        r.init[0] = 5, r.init[1] = 6, r.dir = 3;
        r.rect[0] = 1, r.rect[1] = 1, r.rect[2] = 4, r.rect[3] = 4;
        r.path = {{1, 1}, {5, 5}};
        r.asd[0] = 1, r.asd[1] = 2, r.asd[2] = 3;
        s.cha.push_back(r);
        r.modelId = kind == 2 ? 1500 : 20001;
        s.bea.push_back(r);
    }
    datagen::ScnObjRecord prop;
    prop.modelId = 1;
    prop.x = 4;
    prop.y = 4;
    prop.eventId = "Stick";
    s.prop = {prop, prop};
    s.prop[1].modelId = 2;
    s.prop[1].eventId = "stick";
    Put("obj_list", "kinds.obj", datagen::BuildIni(datagen::BuildScnObjList(s), true));
}

} // namespace

plat::TimelineEvent Event(plat::TimelineEvent::Kind kind, int a = 0, int b = 0, bool pos = false,
                          std::string text = {}) {
    plat::TimelineEvent e;
    e.kind = kind;
    e.a = a;
    e.b = b;
    e.hasPos = pos;
    e.text = std::move(text);
    return e;
}

void TimelineSeeds() {
    using K = plat::TimelineEvent::Kind;
    plat::Timeline script;
    script.stepMs = 2;
    script.limitMs = 9000;
    script.hasSeed = true;
    script.seed = 7;
    const plat::TimelineEvent timed[] = {
        Event(K::Move, 320, 240, true), Event(K::LDown), Event(K::LUp, 330, 250, true), Event(K::RDown, -4, 481, true),
        Event(K::RUp), Event(K::KeyDown, 0x10), Event(K::Key, 'A'), Event(K::KeyUp, 0x10),
        Event(K::Text, 0, 0, false, " a#\\\xE4\xB8\xAD "), Event(K::Activate, 0), Event(K::Activate, 1),
        Event(K::Command, 40001), Event(K::Frame, 0, 0, false, "shots/f.png"), Event(K::Jump, 5000),
        Event(K::Close)};
    uint32_t t = 100;
    for (plat::TimelineEvent e : timed) {
        e.timeMs = t;
        t += 35;
        script.events.push_back(e);
    }
    Put("timeline", "script.txt", datagen::BuildTimeline(script));
    // A record: seed, screen and tick lines with offsets.
    plat::Timeline record;
    record.hasSeed = true;
    record.seed = 1733875200;
    record.screenWidth = 1920;
    record.screenHeight = 1080;
    const plat::TimelineEvent ticked[] = {Event(K::Activate, 1), Event(K::Move, 100, 100, true),
                                          Event(K::LDown, 100, 100, true), Event(K::LUp, 100, 100, true),
                                          Event(K::KeyDown, 0x1B), Event(K::KeyUp, 0x1B), Event(K::Close)};
    uint32_t tick = 0;
    for (plat::TimelineEvent e : ticked) {
        e.tick = tick;
        e.tickOffsetMs = tick % 2 ? 12 : 0;
        tick += 3;
        record.tickEvents.push_back(e);
    }
    Put("timeline", "record.txt", datagen::BuildTimeline(record));
    Put("timeline", "hand.txt",
        "# written by hand\r\nstep 3\r\nat 10 stroke 20 1,1 5,5 9,9\r\nat 10 key esc  # escape\r\n"
        "tick 2+5 text \\x20x\r\nat 90 close\r\n");
}

namespace {

// Several files in one input: the parts between form-feed bytes.
std::string JoinFiles(const std::vector<std::string>& parts) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? "\f" : "") + parts[i];
    return out;
}

// Skill tables: the fixture's three files, and rows at the edges (an empty
// effect count, ids outside the map, a long GBK name, a release record).
void SkillTableSeeds() {
    const datagen::FixtureGame g = datagen::DefaultFixtureGame();
    Put("skill_tables", "fixture.txt",
        JoinFiles({datagen::BuildTable(datagen::RowsOf(g.skills)), datagen::BuildTable(datagen::RowsOf(g.skillChildren)),
                   datagen::BuildTable(datagen::RowsOf(g.skillGroups))}));
    std::string longName;
    for (int i = 0; i < 20; ++i) longName += "\xBC\xBC";  // GBK characters
    const std::vector<datagen::SkillRow> skills = {
        datagen::SkillRow().ClassWord(4).Name(longName).Id(5).Range(20).EffectCount("").Set(38, 4),
        datagen::SkillRow().ClassWord(7).Name("%3").Id(2999).Range(130).Effects({{4, -1, 3, 1, 2, 3}, {1, 1, 5, 0, 0, 0}}),
        datagen::SkillRow().Name("Out").Id(3000).Effects({}),
        datagen::SkillRow().Name("Empty id"),
        datagen::SkillRow().Name("Twice").Id(5).LevelPercent("10**").MagicValue2Push("3*").Scales("1.5", "", "0.25"),
    };
    const std::vector<datagen::SkillChildRow> children = {
        datagen::SkillChildRow().Name("Fly").Kind(201).Id(1999).Bytes({1, 300, 2, 3}).Effects({{2, -1, 1, 0, 0, 0}}),
        datagen::SkillChildRow().Name("Out").Kind(300).Id(2000).EffectsCountOnly(3),
    };
    const std::vector<datagen::SkillGopRow> groups = {
        datagen::SkillGopRow().Name("None").Id(0).Values({}),
        datagen::SkillGopRow().Name("Three").Id(12).Values({5, 2999, 5}),
        datagen::SkillGopRow().Name("Short").Id(13).Set(6, 40).Set(7, 1),
    };
    Put("skill_tables", "edges.txt",
        JoinFiles({datagen::BuildTable(datagen::RowsOf(skills)), datagen::BuildTable(datagen::RowsOf(children)),
                   datagen::BuildTable(datagen::RowsOf(groups))}));
}

// Model tables: the fixture's files (Role.txt, Role.rmd, BeastieMdl.txt,
// PropMdl.txt, RoleEffectMdl.txt, an equipment-text file).
void ModelTableSeeds() {
    const datagen::FixtureGame g = datagen::DefaultFixtureGame();
    const std::vector<std::string> equipHeader = {"Id", "Key", "Upper", "Lower", "Text"};
    std::vector<datagen::EquipStrRow> equip = {datagen::EquipStrRow().Id(1).Key("0").Upper(10).Lower(0).Text("R1"),
                                               datagen::EquipStrRow().Id(2).Key("0*1").Upper(20).Lower(5).Text("R2"),
                                               datagen::EquipStrRow().Id(3).Key("2").Upper(5).Lower(0).Text("R3")};
    std::vector<datagen::RoleEffectRow> effects = g.roleEffects;
    effects.push_back(datagen::RoleEffectRow().Name("Poison").Id(3).Anim(7));
    const std::vector<std::string> parts = {
        datagen::BuildTable(datagen::PadKeyedTable({"Name", "Id"}, datagen::RowsOf(g.roles), 1, 0)),
        datagen::BuildTable(datagen::RowsOf(g.roleSkillLists)),
        datagen::BuildTable(datagen::PadKeyedTable({"Name", "Id"}, datagen::RowsOf(g.beasties), 1, 0)),
        datagen::BuildTable(datagen::PadKeyedTable({"Name", "Id"}, datagen::RowsOf(g.props), 1, 0)),
        datagen::BuildTable(datagen::PadKeyedTable({"State", "Id"}, datagen::RowsOf(effects), 1, 0)),
        datagen::BuildTable(datagen::PadKeyedTable(equipHeader, datagen::RowsOf(equip), 0, 4)),
    };
    Put("model_tables", "fixture.txt", JoinFiles(parts));
    std::vector<std::string> second = parts;
    second[1] = datagen::BuildTable({{"2", "65535", "1"}, {"3", "2", "1"}, {"", "1", "1"}});
    Put("model_tables", "lists.txt", JoinFiles(second) + "pad");
}

// Role records: the record tables, then a record written by the datagen
// writer (after the fourth form feed, unsplit).
void RoleRecordSeeds() {
    std::vector<std::string> flags = datagen::DefaultFlagNames();
    flags.push_back("gate");
    std::vector<datagen::PlayerSkillSpec> skills = datagen::DefaultPlayerSkills();
    datagen::PlayerSkillSpec passive;
    passive.name = "Calm";
    passive.id = 3;
    passive.baseId = 3;
    passive.treeSlot = 17;
    passive.passiveIndex = 4;
    passive.passiveValue = 1.5f;
    passive.passive = -1;
    skills.push_back(passive);
    const std::string tables = JoinFiles({datagen::BuildTable(datagen::BuildFlagTable(flags)),
                                          datagen::BuildTable(datagen::PlayerInitTable(datagen::DefaultClassRows())),
                                          datagen::BuildTable(datagen::PlayerSkillTable(skills)),
                                          datagen::BuildTable({{"Name", "Id", "Revive"},
                                                               {"Act1", "1", "Start"},
                                                               {"Act2", "2", "gate*Town"}})});
    datagen::RoleRecordSpec empty;
    Put("role_record", "empty.rec", tables + "\f" + datagen::BuildRoleRecord(empty));

    datagen::RoleRecordSpec full;
    full.name = "Hero";
    full.picture = "Default";
    full.sprite = "R1";
    full.level = 12;
    full.exp = 9000;
    full.nextExp = 12000;
    full.money = 777;
    full.ap = 20.0f;
    full.dp = 9.0f;
    full.maxHP = 180.0f;
    full.classId = 30;
    full.act = 2;
    full.skills = {1, 3};
    for (size_t i = 0; i < flags.size(); ++i)
        full.flags.push_back({static_cast<int32_t>(i % 3), static_cast<int32_t>(i) + 1, flags[i]});
    full.flags.push_back({1, 99, "vanished"});
    for (int id = 1; id <= 12; ++id) {
        datagen::RecordItemSpec it;
        it.propId = id;
        it.count = id == 4 ? 9 : 1;
        it.pool = id * 3;
        it.level = 1;
        it.price = 100;
        it.text = id == 6 ? "ATB AP 7*ATB DP 2" : "";
        full.items.push_back(it);
    }
    full.slots[0] = 3;
    full.slots[50] = 6;
    full.slots[56] = 12;
    full.slots[69] = 18;
    full.slots[70] = 21;
    full.slots[81] = 33;
    full.slots[90] = 36;
    full.cursor = 9;
    Put("role_record", "full.rec", tables + "\f" + datagen::BuildRoleRecord(full));
}

// Item tables: the item fixture's four files, and rows at the edges
// (huge counts and amounts, wide id ranges, stocks past fifty, recipes
// whose percents never reach the draw, clauses without numbers).
void ItemTableSeeds() {
    const datagen::ItemFixture f = datagen::DefaultItemFixture();
    Put("item_tables", "fixture.txt",
        JoinFiles({datagen::BuildTable(datagen::PropMdlTable(f.props)), datagen::BuildTable(datagen::PropGemFuncTable(f.gemFuncs)),
                   datagen::BuildTable(datagen::RandPropTable(f.randProps)),
                   datagen::BuildTable(datagen::PropUpgradeTable(f.upgrades))}));
    std::vector<datagen::PropMdlRow> props = f.props;
    props.push_back(datagen::PropMdlRow().Name("Odd").Id(35).Kind(31).Grade(1).Price(2147483647)
                        .Attributes("ATB AP|ATB*|*ATB DP 9 -9*ATB HP 99999999999 5%*ATB").AttributeCount("1*2147483647"));
    props.push_back(datagen::PropMdlRow().Name("NoText").Id(36).Kind(30).Grade(1).Level(2147483647));
    props.push_back(datagen::PropMdlRow().Name("Twelve").Id(13).Kind(10).Grade(2).UpgradeKey("T5"));
    const std::vector<datagen::PropGemFuncRow> gems = {
        datagen::PropGemFuncRow().Name("NoText").Id(36).Range(0, "|-5", "").Range(12, "2147483647", "-2147483648"),
        datagen::PropGemFuncRow().Name("Empty").Id(36)};
    const std::vector<datagen::RandPropRow> rows = {
        datagen::RandPropRow().Name("Flood").Id(1).Items(100, 2000000000, 2100000000).Money(100, 2147483000, 2147483647)
            .GradeWeights({"2147483647", "-5"}).Grade10Weight(2147483647),
        datagen::RandPropRow().Name("Wide").Id(2).GradeWeights({"", "", "1"}).FixedStock("10*20*30*999", 2000000000)
            .RandomStock("0*2000000000*5", 100000),
        datagen::RandPropRow().Name("Bare").Id(3)};
    const std::vector<datagen::PropUpgradeRow> recipes = {
        datagen::PropUpgradeRow().Parts("T**|T5||*O").Result("J2*0*J1*-5").Lost("T*"),
        datagen::PropUpgradeRow().Parts("").Result(""),
        datagen::PropUpgradeRow().Parts("J1").Result("*50").Lost("*")};
    Put("item_tables", "edges.txt",
        JoinFiles({datagen::BuildTable(datagen::PropMdlTable(props)), datagen::BuildTable(datagen::PropGemFuncTable(gems)),
                   datagen::BuildTable(datagen::RandPropTable(rows)), datagen::BuildTable(datagen::PropUpgradeTable(recipes))}));
}
} // namespace

// A save game: u32 summary length, the summary, the slot file it names.
void SaveSeeds() {
    auto join = [](const std::string& summary, const std::string& slot) {
        datagen::Bytes b;
        b.U32(static_cast<uint32_t>(summary.size())).Raw(summary).Raw(slot);
        return b.str();
    };
    datagen::SaveRecord r;
    r.name = "hero";
    r.spritePart = "901";
    r.level = 12;
    r.skills = {101, 102, 205};
    r.flags = {{1, 7, "OWN1"}, {100, 8, "3BQ3"}};
    r.cursor = 2;
    r.slots[0] = 0;
    r.slots[50] = 1;
    r.items = {{59, 1, 0, 3, 100, 0, 0, "ATB AP 10*ATB DP 5"}, {12, 4, 1, 1, 5, 0, 0, ""}, {31, 1, 2, 8, 900, 0, 0, "x"}};
    datagen::SaveHud hud;
    hud.groups[0] = {101, 102};
    hud.groups[2] = {205};
    hud.left = 101;
    hud.right = -1;
    hud.selected = 7;
    hud.prevRight = 102;
    hud.hotkeys = {{101, 0x70, 1}, {205, 0x71, 0}};
    datagen::SaveSummary s;
    s.slot = 2;
    s.difficulty = 3;
    s.level = 12;
    s.days = 1, s.hours = 2, s.minutes = 3, s.seconds = 4;
    s.birthMonth = 2, s.birthDay = 29;
    Put("save", "trailer_hud.bin", join(datagen::BuildSaveSummary(s), datagen::BuildSaveSlot(r, &hud)));
    datagen::SaveFileOptions plain;
    plain.trailer = false;
    Put("save", "plain_no_hud.bin", join(datagen::BuildSaveSummary({}, plain), datagen::BuildSaveSlot({}, nullptr, plain)));
    Put("save", "trailer_no_hud.bin", join(datagen::BuildSaveSummary({}), datagen::BuildSaveSlot(r, nullptr)));
}

// Trigger scripts: a scene script and a talk script, joined by '\f'.
void TriggerSeeds() {
    const std::vector<datagen::SceneTriggerRow> scene = {
        {"", "Say hi 1*OutText 1*pct", "0"},
        {"IsArrive 400 300 30*IsLevel 1", "SetTimer 5*SetFlag local1 1", "1"},
        {"IsHitBox 30", "OutText 1*Acquire 1 2", "1"},
        {"IsHitBox 70", "AddItem 2|3 0 5 -1 -1 -1 3 1*Miss 1", ""},
        {"isflag local1 3 1*IsMoney 5 2*IsProp 1001 0", "Atb HP 50%*Atb MP -10%*atb maxnu*Atb All", "1"},
        {"IsScnIn NULL 1*IsTimer*IsTimerOpen 1*IsBlack", "go Second 0", "1"},
        {"IsDead Auto*IsDead Fuzz*IsSeePlayer Fuzz*IsArriveRole Fuzz 40", "talk Fuzz*talk Prologue*TalkFlag Elder", "1"},
        {"IsBldStatus 5 1*IsVsFlag 0*IsSurFaceObjNum 0*IsScn Fuzz*IsScnOut", "SetBldStatus 5 5*SetBldAni 5 1", "1"},
        {"IsArrive 2147483647 -2147483648 2147483647*Bogus", "Pct", "1"},
        {"IsFlag local2 0", "SetPropToObj Elder 1 3 4*SetLockTextID 5 9*SetExitTextID Second 9*SetExit Second 1",
         "1"},
        {"IsLevel 1", "RemItem Fuzz 2*ResetObj Fuzz*ResetAllObj*Trans Elder 3 3*TransToPlayer Elder 2", "1"},
        {"IsLevel 1", "ShowJM 12|13*ShowActForeword 5 1 2*PlayMp3*PlayAvi intro*PlaySound a 3*ScreenEffect 5", "1"},
        {"IsLevel 1", "SF 5 1*SetFlagTable Elder 5 0 3*UseSkill 4*UseSkill 5 Fuzz*UseMethod Fuzz 1", "1"},
        {"IsLevel 1", "SetGroup Fuzz 50*ChangeObjHp Fuzz*AddFellow Elder*AddFellow Elder 0*SetTumble", "1"},
        {"IsLevel 1", "AddEquipNum 1*AddWeaponNum 1*AddTransPortal Elder 0*SetPlayerID Fuzz Elder", "1"},
        {"IsLevel 1", "SetVSFlag 1*SetVSFlag 0*ReSetScn*SetPortal 4 4 0 Second*ShowHideRole*ShowHideOption", "0"},
        {"IsLevel 1", "3DEffect 1*SetMerchantItem Elder*AddExp 10*TransGo Second 0*ChangeAct 2", "0"}};
    const std::vector<datagen::TalkRow> talk = {{7, "IsLevel 999", 1}, {8, "", 0}, {9, "IsLevel 1", 1}};
    Put("trigger_scripts", "scene_and_talk.txt",
        JoinFiles({datagen::BuildTable(datagen::BuildSceneScript(scene)), datagen::BuildTable(datagen::BuildTalkScript(talk))}));
}

// Packets: a loading flag, then a recorded stream.
void PacketSeeds() {
    using namespace datagen;
    const std::vector<std::vector<uint8_t>> play = {
        StreamMarker(0, 1),
        StreamMarker(5, 0xFFFFFFFFu),
        PacketText("pic shown part"),
        PacketAppear(0x0103, 2, 5 * 64 + 32, 5 * 64 + 32, 10001),
        PacketRoleSub(0x0101, 101, 20002),
        PacketRoleSub(0x0101, 52, 3),
        PacketRoleSub(0x0101, 102, 4),
        PacketCell(0x0101, 352, 352, 5, 5, 44),
        {5, 0x01, 0x01, 131},
        {5, 0x02, 0x81, 3},
        {7, 0x01, 0x01, 1},
        {8, 1, 0, 100, 0, 100, 0},
        {9, 0x01, 0x01, 1, 0, 100, 0, 100, 0},
        {11, 0xD0, 0x07, 3, 4, 20, 2, 1},
        {12, 4, 0x10, 0},
        {14, 57, 0xFF, 0xFF},
        {14, 19, 1, 0},
        PacketText("new"),
        PacketRoleSub(0x0101, 1, 0),
        PacketRoleSub(0x0101, 51, 2),
        {2, 0x02, 0x81},
        {13, 3},
        {13, 1},
    };
    for (uint8_t loading : {0, 1}) {
        const std::string stream = BuildPacketStream(play);
        Put("packets", loading ? "loading_play.bin" : "own_world_play.bin", std::string(1, char(loading)) + stream);
    }
    Put("packets", "join_then_cut.bin",
        std::string(1, '\1') + BuildPacketStream({PacketJoin(0x0102, 0, 4, 300), {3, 0x01, 0x01, 101, 0x11}, {10, 'a'}}));
}

void MethodPointSeeds() {
    using datagen::GesturePattern;
    Put("method_point", "demo.txt", datagen::BuildMethodPoints(datagen::DemoGesturePatterns()));
    // Rows the game still has to live with: a pattern on the seam of straight
    // down, a long zigzag, a row with no pairs, a lone angle, a huge key.
    Put("method_point", "edges.txt",
        datagen::BuildMethodPoints({
            {"seam", 5, {{3.1416f, 0.2f}}},
            {"zigzag", 6, {{-2.3562f, 0.4f}, {-0.7854f, 0.4f}, {-2.3562f, 0.4f}, {-0.7854f, 0.4f}}},
            {"empty", 7, {}},
            {"wide", 65535, {{0.0f, 7.0f}}},
        }) + "lone\t8\t-1.5\r\n");
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    IniSeeds();
    TableSeeds();
    TriggerSeeds();
    PacketSeeds();
    PackSeeds();
    TextureSeeds();
    WaveSeeds();
    SoundTableSeeds();
    DefineSeeds();
    LibSeeds();
    AnimTableSeeds();
    PliSeeds();
    MapSeeds();
    BldModelSeeds();
    BldInitSeeds();
    ScnDescSeeds();
    ObjListSeeds();
    TimelineSeeds();
    SkillTableSeeds();
    ModelTableSeeds();
    ItemTableSeeds();
    RoleRecordSeeds();
    SaveSeeds();
    MethodPointSeeds();
    if (!g_ok) std::fprintf(stderr, "fuzz_make_seeds: some seeds were not written\n");
    return g_ok ? 0 : 1;
}
