#include "datagen/scn_writer.h"

#include <algorithm>

namespace datagen {

namespace {

std::string N(int v) { return std::to_string(v); }

} // namespace

KeyValues BuildScnDesc(const ScnDescSpec& spec) {
    KeyValues kv = {{"MapFile", spec.mapFile}, {"BldFile", spec.bldFile}, {"ObjFile", spec.objFile}};
    kv.push_back({"PortalNum", N(spec.portalNum >= 0 ? spec.portalNum : int(spec.portals.size()))});
    for (const ScnPortalSpec& p : spec.portals) {
        kv.push_back({"PreScn", p.name});
        kv.push_back({"MapX", N(p.x)});
        kv.push_back({"MapY", N(p.y)});
        kv.push_back({"Dir", N(p.dir)});
    }
    if (spec.radarId != -1) kv.push_back({"RadarID", N(spec.radarId)});
    return kv;
}

KeyValues BuildScnObjRecord(const ScnObjRecord& r) {
    KeyValues kv = {{"Type", N(r.type)}, {"ModelID", N(r.modelId)}, {"MapX", N(r.x)}, {"MapY", N(r.y)}};
    if (r.type < 10 || r.type > 17) return kv;
    kv.push_back({"Logic", N(r.logic)});
    kv.push_back({"MoveLevel", N(r.moveLevel)});
    kv.push_back({"MoveRangeX", N(r.range[0])});
    kv.push_back({"MoveRangeY", N(r.range[1])});
    kv.push_back({"MoveRangeCx", N(r.range[2])});
    kv.push_back({"MoveRangeCy", N(r.range[3])});
    kv.push_back({"EventID", r.eventId});
    kv.push_back({"Array", N(r.array)});
    kv.push_back({"Group", N(r.group)});
    kv.push_back({"data1", N(r.data[0])});
    kv.push_back({"data2", N(r.data[1])});
    kv.push_back({"data3", N(r.data[2])});
    switch (r.logic) {
    case 0:
    case 4:
        kv.push_back({"Logic_Init", N(r.init[0])});
        kv.push_back({"Logic_Init", N(r.init[1])});
        kv.push_back({"Logic_Dir", N(r.dir)});
        break;
    case 1:
        kv.push_back({"Logic_x", N(r.rect[0])});
        kv.push_back({"Logic_y", N(r.rect[1])});
        kv.push_back({"Logic_cx", N(r.rect[2])});
        kv.push_back({"Logic_cy", N(r.rect[3])});
        break;
    case 2:
        kv.push_back({"Logic_PathNum", N(r.pathNum >= 0 ? r.pathNum : int(r.path.size()))});
        for (const auto& [x, y] : r.path) {
            kv.push_back({"Logic_PathMapX", N(x)});
            kv.push_back({"Logic_PathMapY", N(y)});
        }
        break;
    case 3:
        kv.push_back({"Logic_a", N(r.asd[0])});
        kv.push_back({"Logic_s", N(r.asd[1])});
        kv.push_back({"Logic_d", N(r.asd[2])});
        kv.push_back({"Logic_x", N(r.point[0])});
        kv.push_back({"Logic_y", N(r.point[1])});
        break;
    default: break;
    }
    return kv;
}

KeyValues BuildScnObjList(const ScnObjListSpec& s) {
    const int all = int(s.cha.size() + s.bea.size() + s.prop.size()) + s.bld;
    KeyValues kv = {{"All", N(all)},
                    {"Bld", N(s.bld)},
                    {"CHA", N(int(s.cha.size()))},
                    {"PROP", N(int(s.prop.size()))},
                    {"Bea", N(int(s.bea.size()))},
                    {"BldMdl", s.bldMdl}};
    for (const auto* group : {&s.cha, &s.bea, &s.prop})
        for (const ScnObjRecord& r : *group) {
            const KeyValues rec = BuildScnObjRecord(r);
            kv.insert(kv.end(), rec.begin(), rec.end());
        }
    return kv;
}

void DropKey(KeyValues* kv, const std::string& key, int nth) {
    int seen = 0;
    for (auto it = kv->begin(); it != kv->end();) {
        if (it->first == key && (nth < 0 || seen++ == nth)) {
            it = kv->erase(it);
            if (nth >= 0) return;
        } else {
            ++it;
        }
    }
}

void SwapKeys(KeyValues* kv, const std::string& a, const std::string& b) {
    auto ia = std::find_if(kv->begin(), kv->end(), [&](const auto& p) { return p.first == a; });
    auto ib = std::find_if(kv->begin(), kv->end(), [&](const auto& p) { return p.first == b; });
    if (ia != kv->end() && ib != kv->end()) std::iter_swap(ia, ib);
}

} // namespace datagen
