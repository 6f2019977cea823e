#pragma once
// The demo's buildings: the frame pictures in one library, the model file
// and the init file.
//
// Library entries (bare frames unless noted):
//   0 ground slab (raw 64 x 32)           1 wall (RLE 48 x 40)
//   2 door animation table: sequence 0 closed (entry 4), 1 opening
//     (entries 4, 5, 6), 2 open (entry 6)
//   3 roof (RLE 56 x 20 with an alpha plane: an additive image)
//   4-6 door frames closed, half open, open (RLE 24 x 32)
//   7 lamp animation table: one sequence flickering between entries 8, 9
//   8-9 lamp flames (RLE 8 x 10)
#include <cstdint>
#include <string>
#include <vector>

#include "datagen/bld_writer.h"

namespace datagen {

// The entries above; animation tables refer to library `libIndex`.
std::vector<std::string> BuildBldLibEntries(uint32_t libIndex);

// Part ids of the demo model.
enum DemoBldPart : uint16_t {
    kDemoPortalPart = 0,  // model id 0: a portal (part kind 130)
    kDemoHousePart = 1,   // plain house (kind 11)
    kDemoChestPart = 2,   // chest: a mechanism with drops (kind 132)
    kDemoDoorPart = 3,    // door that opens a passage (kind 131)
    kDemoLampPart = 4,    // lamp with light kind 2 (kind 11)
    kDemoSignPart = 5,    // labelled building: name text id 12 (kind 11)
};

// The demo model's parts, their frames in library `libIndex`.
BldModelSpec BuildDemoBldModel(uint32_t libIndex);
// One building of each part, placed around (cx, cy), in part order with the
// portal last; the sign (a text building) is labelled with UI text 12.
BldInitSpec BuildDemoBldInit(const std::string& modelFile, int32_t cx, int32_t cy);

inline constexpr char kDemoBldModelFile[] = "Start.mdl";
// "Zy/bld.lib" (appended to "Zy/idx.lib" when not listed yet), the model
// "mb/Start.mdl" (frames in that library) and the init file "cj/Start.int"
// (its buildings around cell (20, 20) of the demo map).
bool WriteDemoBuildings(const std::string& nativeFolder);

} // namespace datagen
