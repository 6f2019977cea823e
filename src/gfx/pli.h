#pragma once
// PLI files: the drawing order of a role sprite's parts for every action and
// frame. One file per role, "Slr\<role>\<role>_001.PLI".
//
// Current form (little-endian):
//   0   char[7]  "wuyong", NUL-terminated
//   7   char[10] role name (must match the sprite's, ignoring case)
//   17  char[10] main part name
//   27  u32      action count A
//   31  u32      part count P
//   35  P x char[5] part names
//   then A blocks: u32 frame count F, F order lists of P bytes (part indices,
//   back to front)
// Older form (anything not starting with "wuyong"):
//   0 char[10] magic "PLI", 10 char[20] name, 30 u16, 32 u16 (all unused),
//   34 u8 part count P (must equal the sprite's main part count),
//   35 char[5] main part name, 40 P x (char[5] part name, char[5] unused),
//   then 32 unused bytes, u16 A, A blocks of u16 F and F order lists of P bytes.
// Names are read up to their NUL or the end of their field, whichever comes
// first; a file's counts are checked against its length before anything is
// allocated for them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kPliHeaderBytes = 35;
constexpr int32_t kPliMagicSize = 7;
constexpr int32_t kPliRoleNameSize = 10;
constexpr int32_t kPliMainPartSize = 10;
constexpr int32_t kPliPartNameSize = 5;
constexpr int32_t kPliOldMagicSize = 10;
constexpr int32_t kPliOldNameSize = 20;
constexpr int32_t kPliOldGapBytes = 32;
inline constexpr char kPliMagic[] = "wuyong";

using PliPartName = std::array<char, kPliPartNameSize>;

// The text of a fixed field: up to its first NUL or its end.
std::string PliFieldText(const char* field, size_t size);

struct PliAction {
    uint32_t frameCount = 0;
    // frameCount order lists of the header's part count bytes each.
    std::vector<uint8_t> orders;
};

// The in-memory form of a PLI file. Every name field holds a NUL within its
// size.
struct PliHeader {
    char magic[kPliMagicSize] = {};
    char roleName[kPliRoleNameSize] = {};
    char mainPart[kPliMainPartSize] = {};
    uint32_t actionCount = 0;
    uint32_t partCount = 0;
    std::vector<PliPartName> partNames;
    std::vector<PliAction> actions;

    // Filled well enough to be reused for another sprite of `role`.
    bool IsFilledFor(const std::string& role) const;
    // The order list of (action, frame), its length in *length. An action
    // outside the file's actions reads action 0, a frame outside the action's
    // frames reads frame 0; null (length 0) when there is no such list.
    const uint8_t* FindOrder(int32_t action, int32_t frame, uint32_t* length) const;
};

// Parses a whole PLI file held in memory. `roleName` is the sprite's role
// (checked by the current form); `mainPartCount` is its number of main
// parts: the current form's part count must not exceed it (the order lists
// index the sprite's part array), the older form's must equal it. 1 and
// *out filled, or 0 with the reason in *why (when non-null) and *out left
// untouched.
int ParsePli(const uint8_t* data, size_t size, const std::string& roleName, int32_t mainPartCount, PliHeader* out,
             std::string* why);

// Reads the file through the pack-file object (mode "rb") and parses it;
// failures are written to the debugger output.
int ReadPliFile(const char* path, const std::string& roleName, int32_t mainPartCount, PliHeader* out);
