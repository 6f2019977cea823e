#pragma once
// The demo's scenes: "Start" (type 2) on the 64 x 64 demo map with the demo
// buildings, and the small "Field" (type 1) with a portal back. Each has a
// descriptor, an object list and its "ScnInfo.txt" row.
//
// Start's portals: "NULL" (a new game), "DEAD" (after death), "CSD" and
// "Field" (arriving from the field). Its object list holds two characters
// (model 1), two birds (creature row 1, model id 20001), the creatures of
// demo_creatures.h (models 20002-20005), one creature
// kept for scripts (model id 1500, event "Ambush") and props for scripts
// (prop 1, events "Stick1", "Stick2").
#include <string>
#include <vector>

#include "datagen/scene_tables.h"
#include "datagen/scn_writer.h"

namespace datagen {

ScnDescSpec DemoStartDesc();
ScnObjListSpec DemoStartObjects();
ScnDescSpec DemoFieldDesc();
ScnObjListSpec DemoFieldObjects();
// "Start" (id 1) and "Field" (id 2), the scene name in column 0.
std::vector<ScnInfoRow> DemoScnInfoRows();
// "ScnInfo.txt": the header and DemoScnInfoRows.
std::vector<std::vector<std::string>> DemoScnInfoTable();

// cj/Start.scn, cj/Start.obj, cj/Field.scn, cj/Field.obj, cj/Field.map and
// cj/Field.int under the native folder (the Start map, buildings and the
// building model come from WriteDemoMap and WriteDemoBuildings).
bool WriteDemoWorld(const std::string& nativeFolder);

} // namespace datagen
