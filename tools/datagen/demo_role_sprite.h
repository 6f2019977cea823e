#pragma once
// Role sprite test and demo data: part animations of solid-colour boxes in a
// resource library, and the demo role "HERO" (header, PLI file, library).
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

// One part variant's art: every frame of every sequence is a w x h RLE box
// of one colour (with an alpha plane of `alpha` when non-zero), drawn at
// (x, y) from the sprite's position. RLE, so every draw mode applies.
struct RolePartArt {
    uint16_t colour = 0;
    int32_t width = 4;
    int32_t height = 4;
    int32_t x = 0;
    int32_t y = 0;
    uint8_t alpha = 0;
    int32_t sequences = 2;
    int32_t frames = 2;
};

// Appends the part's frame table and animation table to `entries` (a
// library in slot `libSlot`); returns the animation's ResId.
uint32_t AddRolePartEntries(std::vector<std::string>* entries, uint32_t libSlot, const RolePartArt& art);

// A part whose sequences show different boxes (a standing, a kneeling and a
// lying pose, say): boxes[i] is picture i of the part's frame table, and
// sequences[s] lists the box shown by each frame of sequence s.
struct RolePartBox {
    int32_t width = 4;
    int32_t height = 4;
    int32_t x = 0;
    int32_t y = 0;
};
struct RolePartPoses {
    uint16_t colour = 0;
    std::vector<RolePartBox> boxes;
    std::vector<std::vector<int32_t>> sequences;
    uint32_t delay = 1;
    uint8_t alpha = 0;  // an alpha plane of this value when non-zero
};
uint32_t AddPosedRolePartEntries(std::vector<std::string>* entries, uint32_t libSlot, const RolePartPoses& art);

// The demo role's death animation: sequences 2-9 (one per facing) fall from
// standing through kneeling to lying, 10-17 lie ("Role.txt" columns 19 = 2
// and 43 below 3).
inline constexpr int32_t kDemoRoleDeathSeq = 2;

// The demo role: main parts "BD" (body, the main part), "HD" (head), "WP"
// (weapon, variants "001" and "002") and the overlay "WPS"; two actions of
// two frames; the weapon is drawn behind the body in action 1.
inline constexpr char kDemoRoleName[] = "HERO";
inline constexpr char kDemoRoleVariants[] = "001*001*001";
inline constexpr char kDemoRoleLibName[] = "role";

// Writes into the program folder (native): "slr/SprRole.h", the PLI file
// "slr/HERO/HERO_001.PLI" and "Zy/role.lib"; "role" is appended to the
// library list "Zy/idx.lib" (written by WriteDemoLibraries, which must run
// first) unless it is already listed. False on failure.
bool WriteDemoRoleSprite(const std::string& nativeProgramFolder);

} // namespace datagen
