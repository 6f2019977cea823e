#pragma once
// Writers of role sprite data: PLI files (drawing orders of a role's parts,
// current "wuyong" form and the older "PLI" form) and the "#define" header
// "slr\SprRole.h" that lists every role's parts and variants.
//
// Current form: char[7] "wuyong", char[10] role, char[10] main part, u32 A,
// u32 P, P x char[5] part names, then per action u32 F and F order lists.
// Older form: char[10] "PLI", char[20] name, u16 0, u16 0, u8 P, char[5]
// main part, P x (char[5] name, char[5] 0), 32 bytes 0, u16 A, then per
// action u16 F and F order lists. Order lists are written as given (tests
// build odd files on purpose); names are NUL-padded or cut to their field.
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

struct PliSpec {
    std::string roleName;
    std::string mainPart;
    std::vector<std::string> partNames;
    // actions[a][f]: the order list of frame f of action a (part indices,
    // back to front).
    std::vector<std::vector<std::vector<uint8_t>>> actions;
};

std::string BuildPli(const PliSpec& spec);
std::string BuildOlderPli(const PliSpec& spec);
// <folder>/slr/<role>/<role>_001.PLI (native; the game matches folder and
// file names without regard to case).
std::string PliNativePath(const std::string& nativeFolder, const std::string& role);
bool WritePli(const std::string& nativePath, const PliSpec& spec, bool older = false);

// One constant of "SprRole.h": SPR_ROLE_<role>_<part>_<variant>_<suffix>
// = value (the ResId of the part's animation in that variant).
struct SprRoleItem {
    std::string role;
    std::string part;
    std::string variant;
    int32_t value = 0;
    std::string suffix;
};
std::string SprRoleConstantName(const SprRoleItem& item);
// CR LF "#define" lines in the given order (the game groups lines into
// roles by runs of the same role name).
std::string BuildSprRoleHeader(const std::vector<SprRoleItem>& items);
bool WriteSprRoleHeader(const std::string& nativePath, const std::vector<SprRoleItem>& items);

} // namespace datagen
