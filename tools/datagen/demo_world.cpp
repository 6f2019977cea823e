#include "datagen/demo_world.h"

#include "datagen/bld_writer.h"
#include "datagen/demo_bld.h"
#include "datagen/demo_creatures.h"
#include "datagen/demo_fighters.h"
#include "datagen/map_writer.h"

namespace datagen {

namespace {

// A roamer (type 13, logic 1) in a box around its cell.
ScnObjRecord Roamer(int model, int x, int y, const std::string& event, int rest) {
    ScnObjRecord r = ObjRecord(13, model, x, y, 1, event);
    r.moveLevel = rest;
    r.rect[0] = x - 3, r.rect[1] = y - 3, r.rect[2] = 6, r.rect[3] = 6;
    r.range[0] = x - 3, r.range[1] = y - 3, r.range[2] = 6, r.range[3] = 6;
    return r;
}

} // namespace

ScnDescSpec DemoStartDesc() {
    ScnDescSpec s;
    s.mapFile = "Start.map";
    s.bldFile = "Start.int";
    s.objFile = "Start.obj";
    s.portals = {{"NULL", 22, 26, 4}, {"DEAD", 24, 28, 4}, {"CSD", 26, 22, 2}, {"Field", 26, 26, 3}};
    s.radarId = -1;
    return s;
}

ScnObjListSpec DemoStartObjects() {
    ScnObjListSpec s;
    s.bldMdl = kDemoBldModelFile;
    s.bld = 6;
    ScnObjRecord elder = ObjRecord(12, 1, 18, 24, 0, "Elder");
    elder.dir = 2;
    s.cha = {elder, Roamer(1, 36, 36, "Guard", 2)};
    s.bea = {Roamer(20001, 40, 44, "Bird1", 1), Roamer(20001, 44, 40, "Bird2", 1),
             Roamer(1500, 50, 50, "Ambush", 4)};
    // The creatures of demo_creatures.h: a lit firefly going round a path
    // beside the start, a pushable beetle in a box, a fish in the pond and
    // a frog on its bank that jumps in when the player comes near.
    ScnObjRecord firefly = ObjRecord(14, kDemoFireflyModel, 30, 28, 2, "Firefly");
    firefly.path = {{36, 28}, {36, 36}, {30, 36}, {30, 28}};
    ScnObjRecord fish = Roamer(kDemoFishModel, 46, 16, "Fish", 0);
    fish.rect[0] = 41, fish.rect[1] = 11, fish.rect[2] = 10, fish.rect[3] = 10;
    s.bea.push_back(firefly);
    s.bea.push_back(Roamer(kDemoBeetleModel, 34, 38, "Beetle", 1));
    s.bea.push_back(fish);
    s.bea.push_back(Roamer(kDemoFrogModel, 38, 18, "Frog", 2));
    s.prop = {ObjRecord(11, 1, 22, 30, 0, "Stick1"), ObjRecord(11, 1, 24, 30, 0, "Stick2")};
    // The fight by the pond, out of the arriving hero's sight: a guard of the
    // hero's camp and two wolves of camp 1, in each other's sight.
    s.cha.push_back(ObjRecord(12, kDemoGuardModel, kDemoGuardCell[0], kDemoGuardCell[1], 0, kDemoGuardPicture));
    for (const auto& cell : kDemoWolfCells)
        s.cha.push_back(ObjRecord(12, kDemoWolfModel, cell[0], cell[1], 0, kDemoWolfPicture));
    return s;
}

ScnDescSpec DemoFieldDesc() {
    ScnDescSpec s;
    s.mapFile = "Field.map";
    s.bldFile = "Field.int";
    s.objFile = "Field.obj";
    s.portals = {{"Start", 8, 10, 6}};
    return s;
}

ScnObjListSpec DemoFieldObjects() {
    ScnObjListSpec s;
    s.bldMdl = kDemoBldModelFile;
    s.bld = 1;
    s.bea = {Roamer(20001, 14, 14, "Bird3", 1)};
    return s;
}

std::vector<ScnInfoRow> DemoScnInfoRows() {
    ScnInfoRow start;
    start.name = "Start";
    start.id = 1;
    start.type = 2;
    start.nightLevel = 4;
    // Weather: rain 20, storm 10, flakes 15, wind 15 (kinds 1, 3, 4, 9);
    // the rest of 100 stays clear. Ambient sounds from sound row 1.
    start.weights[0] = 20;
    start.weights[2] = 10;
    start.weights[3] = 15;
    start.weights[8] = 15;
    start.soundRow = 1;
    ScnInfoRow field;
    field.name = "Field";
    field.id = 2;
    field.type = 1;
    field.soundRow = 0;
    field.nightLevel = 6;
    return {start, field};
}

std::vector<std::vector<std::string>> DemoScnInfoTable() {
    std::vector<std::vector<std::string>> t = {ScnInfoHeader()};
    for (const ScnInfoRow& r : DemoScnInfoRows()) t.push_back(BuildScnInfoRow(r));
    return t;
}

bool WriteDemoWorld(const std::string& nativeFolder) {
    const std::string cj = nativeFolder + (nativeFolder.empty() || nativeFolder.back() == '/' ? "" : "/") + "cj/";
    // The field: 24 x 24 grass with a road to its portal.
    std::vector<std::string> art(24, std::string(24, '.'));
    for (int i = 1; i < 23; ++i) art[10][size_t(i)] = ',';
    BldInitSpec fieldBld;
    fieldBld.modelFile = kDemoBldModelFile;
    fieldBld.records = {{3, kDemoPortalPart, 6, 12, 0, "", -1, ""}};
    return WriteIni(cj + "Start.scn", BuildScnDesc(DemoStartDesc()), false) &&
           WriteIni(cj + "Start.obj", BuildScnObjList(DemoStartObjects()), false) &&
           WriteIni(cj + "Field.scn", BuildScnDesc(DemoFieldDesc()), false) &&
           WriteIni(cj + "Field.obj", BuildScnObjList(DemoFieldObjects()), false) &&
           WriteMap(cj + "Field.map", BuildMapFromAscii(art)) && WriteBldInit(cj + "Field.int", fieldBld);
}

} // namespace datagen
