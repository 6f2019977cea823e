#include "datagen/demo_bld.h"

#include <fstream>

#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"

namespace datagen {

namespace {

ImageFrame Solid(int32_t w, int32_t h, uint16_t body, uint16_t edge, bool rle) {
    ImageFrame f;
    f.width = w;
    f.height = h;
    f.rle = rle;
    f.pixels.assign(static_cast<size_t>(w) * h, body);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) f.pixels[static_cast<size_t>(y) * w + x] = edge;
    // Keyed corners so the run-length rows have more than one run.
    if (w > 2 && h > 2) f.pixels[0] = f.pixels[static_cast<size_t>(w) - 1] = kKey565;
    return f;
}

uint32_t Id(uint32_t lib, uint32_t entry) { return (lib << 20) | entry; }

AnimFrameSpec Frame(uint32_t lib, uint32_t entry, uint32_t delay) {
    AnimFrameSpec f;
    f.delay = delay;
    f.resId = Id(lib, entry);
    return f;
}

BldPartSpec Part(uint16_t id, uint16_t kind, const char* name) {
    BldPartSpec p;
    p.name = BldNameField(name);
    p.partId = id;
    p.partKind = kind;
    p.labelEnable = 1;
    p.anchorX = 1, p.anchorY = 1;
    p.gridW = 3;
    p.gridH = 3;
    p.rectX = -40, p.rectY = -70, p.rectW = 80, p.rectH = 90;
    return p;
}

} // namespace

std::vector<std::string> BuildBldLibEntries(uint32_t lib) {
    std::vector<std::string> e(10);
    e[0] = EncodeFrame(Solid(64, 32, Rgb16(120, 100, 80), Rgb16(60, 50, 40), false));
    e[1] = EncodeFrame(Solid(48, 40, Rgb16(200, 180, 150), Rgb16(90, 70, 50), true));
    e[2] = BuildAnimTable({{0, {Frame(lib, 4, 4)}}, {0, {Frame(lib, 4, 3), Frame(lib, 5, 3), Frame(lib, 6, 3)}},
                           {0, {Frame(lib, 6, 4)}}});
    ImageFrame roof = Solid(56, 20, Rgb16(180, 40, 40), Rgb16(100, 20, 20), true);
    roof.alpha.assign(roof.pixels.size(), 0xC0);
    e[3] = EncodeFrame(roof);
    e[4] = EncodeFrame(Solid(24, 32, Rgb16(100, 60, 20), Rgb16(50, 30, 10), true));
    e[5] = EncodeFrame(Solid(16, 32, Rgb16(100, 60, 20), Rgb16(50, 30, 10), true));
    e[6] = EncodeFrame(Solid(6, 32, Rgb16(100, 60, 20), Rgb16(50, 30, 10), true));
    e[7] = BuildAnimTable({{0, {Frame(lib, 8, 3), Frame(lib, 9, 3)}}});
    e[8] = EncodeFrame(Solid(8, 10, Rgb16(255, 220, 80), Rgb16(255, 140, 0), true));
    e[9] = EncodeFrame(Solid(8, 10, Rgb16(255, 240, 140), Rgb16(255, 160, 0), true));
    return e;
}

BldModelSpec BuildDemoBldModel(uint32_t lib) {
    const uint16_t solid = 128 | 1, entrance = 128 | 2, pick = 128 | 8 | 1;
    BldModelSpec m;

    BldPartSpec portal = Part(kDemoPortalPart, 130, "portal");
    portal.gridW = portal.gridH = 1;
    portal.anchorX = portal.anchorY = 0;
    portal.mask = {entrance};
    portal.subs = {{"base", 0, Id(lib, 0), -32, -16}, {"gate", 1, Id(lib, 2), -12, -40}};
    portal.middleStart = 1;
    portal.lightKind = 3;

    BldPartSpec house = Part(kDemoHousePart, 11, "house");
    house.mask = {solid, solid, solid, solid, pick, solid, 128, entrance, 128};
    house.subs = {{"ground", 0, Id(lib, 0), -32, -16}, {"wall", 0, Id(lib, 1), -24, -50}, {"roof", 0, Id(lib, 3), -28, -70}};
    house.middleStart = 1;
    house.topCount = 1;
    house.lineDx = 0, house.lineDy = 1;
    house.labelColour = 1;

    BldPartSpec chest = Part(kDemoChestPart, 132, "chest");
    chest.gridW = chest.gridH = 1;
    chest.anchorX = chest.anchorY = 0;
    chest.mask = {pick};
    chest.subs = {{"lid", 1, Id(lib, 2), -12, -30}};
    chest.useSound = 5;

    BldPartSpec door = Part(kDemoDoorPart, 131, "door");
    door.gridW = 3, door.gridH = 1;
    door.anchorY = 0;
    door.mask = {solid, pick, solid};
    door.subs = {{"frame", 0, Id(lib, 1), -24, -40}, {"leaf", 1, Id(lib, 2), -12, -32}};
    door.middleStart = 1;

    BldPartSpec lamp = Part(kDemoLampPart, 11, "lamp");
    lamp.gridW = lamp.gridH = 1;
    lamp.anchorX = lamp.anchorY = 0;
    lamp.mask = {solid};
    lamp.subs = {{"post", 0, Id(lib, 5), -8, -40}, {"flame", 1, Id(lib, 7), -4, -50}};
    lamp.middleStart = 1;
    lamp.lightKind = 2;
    lamp.lightX = 0, lamp.lightY = 0;

    BldPartSpec sign = Part(kDemoSignPart, 11, "sign");
    sign.gridW = sign.gridH = 1;
    sign.anchorX = sign.anchorY = 0;
    sign.mask = {pick};
    sign.nameTextId = 12;
    sign.subs = {{"board", 0, Id(lib, 4), -12, -32}};
    sign.labelColour = 0;

    // The offsets above are from the record cell's diamond centre; a
    // building draws from the top-left of the cell's 64 x 32 box, half a
    // diamond up and left of that centre.
    for (BldPartSpec* p : {&portal, &house, &chest, &door, &lamp, &sign}) {
        for (BldSubSpec& sub : p->subs) sub.x += 32, sub.y += 16;
        p->rectX += 32, p->rectY += 16;
    }
    m.records = {{3, portal}, {3, house}, {3, chest}, {1, {}}, {3, door}, {3, lamp}, {3, sign}};
    return m;
}

BldInitSpec BuildDemoBldInit(const std::string& modelFile, int32_t cx, int32_t cy) {
    BldInitSpec s;
    s.modelFile = modelFile;
    s.records = {{3, kDemoHousePart, cx - 3, cy - 3, 0, "", -1, ""},
                 {3, kDemoChestPart, cx + 2, cy - 2, 0, std::string("\x01\x00" "5", 3), -1, ""},
                 {3, kDemoDoorPart, cx, cy + 3, 0, "", -1, ""},
                 {3, kDemoLampPart, cx + 3, cy + 1, 0, "", -1, ""},
                 {4, kDemoSignPart, cx - 2, cy + 2, 0, "", -1, "Inn"},
                 {3, kDemoPortalPart, cx + 4, cy + 4, 0, "", -1, ""}};
    return s;
}

bool WriteDemoBuildings(const std::string& nativeFolder) {
    const std::string root = nativeFolder + (nativeFolder.empty() || nativeFolder.back() == '/' ? "" : "/");
    const std::string idx = root + "Zy/idx.lib";
    std::vector<std::string> names;
    {
        std::ifstream in(idx, std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind("name=", 0) == 0) names.push_back(line.substr(5));
        }
    }
    size_t slot = 0;
    while (slot < names.size() && names[slot] != "bld") ++slot;
    if (slot == names.size()) names.push_back("bld");
    if (slot > 15) return false;
    const uint32_t lib = static_cast<uint32_t>(slot);
    return WriteLib(root + "Zy/bld.lib", BuildBldLibEntries(lib)) && WriteIdxLib(idx, names) &&
           WriteBldModel(root + "mb/" + kDemoBldModelFile, BuildDemoBldModel(lib)) &&
           WriteBldInit(root + "cj/Start.int", BuildDemoBldInit(kDemoBldModelFile, 20, 20));
}

} // namespace datagen
