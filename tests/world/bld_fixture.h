#pragma once
// Building parts and model files shared by the building tests.
#include <string>

#include "datagen/bld_writer.h"

namespace bldtest {

// A 3 x 2 footprint: a pick cell, a solid cell, an entrance, and cells
// that belong (mask exactly 128) or do not belong to the building.
inline datagen::BldPartSpec SamplePart(uint16_t id, uint16_t kind) {
    datagen::BldPartSpec p;
    p.name = datagen::BldNameField("House");
    p.partKind = kind;
    p.partId = id;
    p.middleStart = 1;
    p.word46 = 0x1234;
    p.topCount = 1;
    p.labelEnable = 1;
    p.bytes51 = "twenty-byte-block-51";
    p.bytes71 = "8bytes71";
    p.gridW = 3;
    p.gridH = 2;
    p.nameTextId = 12;
    p.anchorX = 1, p.anchorY = 1;
    p.lineDx = 0, p.lineDy = 2;
    p.originX = 0, p.originY = 0;
    p.rectX = -40, p.rectY = -60, p.rectW = 80, p.rectH = 70;
    p.lightX = 1, p.lightY = -1;
    p.useSound = 7;
    p.ambientSound = 9;
    p.rest = {15, 16, 17, 18, 19, 20};
    p.mask = {128 | 8 | 1, 128 | 1, 0, 128, 128 | 2, 5};
    p.trailing = 0xBEEF;
    p.lightKind = 2;
    p.labelColour = 5;
    p.subs = {{"ground", 0, 0x00000001u, -32, -16}, {"wall", 0, 0x00000002u, -30, -50}, {"top", 1, 0x00000003u, -20, -70}};
    return p;
}

} // namespace bldtest
