#pragma once
// Writer of C header files of constants, as the game's "#define" reader
// takes them ("slr\SprRole.h"): one "#define NAME VALUE" line per constant,
// every line (the last included) ending in CR LF.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace datagen {

struct DefineItem {
    std::string name;
    int32_t value = 0;
};

// "#define " + name + " " + value + CR LF per item, in order; `preamble`
// lines (comments, include guards) come first, each ending in CR LF.
std::string BuildDefineHeader(const std::vector<DefineItem>& items, const std::vector<std::string>& preamble = {});
// Native path; parent folders are created.
bool WriteDefineHeader(const std::string& path, const std::vector<DefineItem>& items,
                       const std::vector<std::string>& preamble = {});

} // namespace datagen
