#pragma once
// Writers of a scene's key=value files: the descriptor "<scene>.scn" and its
// object list. Keys come out in the order the game reads them; DropKey and
// SwapKeys make the damaged files the reader must survive.
#include <string>
#include <utility>
#include <vector>

#include "datagen/ini_writer.h"

namespace datagen {

struct ScnPortalSpec {
    std::string name;
    int x = 0;
    int y = 0;
    int dir = 0;
};

struct ScnDescSpec {
    std::string mapFile;
    std::string bldFile;
    std::string objFile;
    std::vector<ScnPortalSpec> portals;
    int portalNum = -1;  // -1: the number of portals
    int radarId = -1;    // -1: no "RadarID" key
};
KeyValues BuildScnDesc(const ScnDescSpec& spec);

// One record of an object list. The logic keys written are those of
// `logic` (for types 10-17 only): 0 and 4 two "Logic_Init" and "Logic_Dir",
// 1 a rectangle, 2 a path, 3 a, s, d and a point.
struct ScnObjRecord {
    int type = 11;
    int modelId = 0;
    int x = 0;
    int y = 0;
    int logic = 0;
    int moveLevel = 0;
    int range[4] = {};  // MoveRangeX, Y, Cx, Cy
    std::string eventId;
    int array = 0;
    int group = 0;
    int data[3] = {};
    int init[2] = {};
    int dir = 0;
    int rect[4] = {};  // kind 1
    std::vector<std::pair<int, int>> path;  // kind 2
    int pathNum = -1;  // -1: the number of points
    int asd[3] = {};   // kind 3
    int point[2] = {};
};

// A record of the common keys; the rest stay at their defaults.
inline ScnObjRecord ObjRecord(int type, int model, int x, int y, int logic, const std::string& event = "") {
    ScnObjRecord r;
    r.type = type;
    r.modelId = model;
    r.x = x;
    r.y = y;
    r.logic = logic;
    r.eventId = event;
    return r;
}

struct ScnObjListSpec {
    std::string bldMdl;
    int bld = 0;
    std::vector<ScnObjRecord> cha;
    std::vector<ScnObjRecord> bea;
    std::vector<ScnObjRecord> prop;
};
// "All", "Bld", "CHA", "PROP", "Bea", "BldMdl", then the characters, the
// creatures and the props.
KeyValues BuildScnObjList(const ScnObjListSpec& spec);
KeyValues BuildScnObjRecord(const ScnObjRecord& rec);

// Removes the n-th (0-based) line with that key; -1 removes every one.
void DropKey(KeyValues* kv, const std::string& key, int nth = 0);
// Swaps the first lines with keys a and b.
void SwapKeys(KeyValues* kv, const std::string& a, const std::string& b);

} // namespace datagen
