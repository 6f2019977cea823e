#pragma once
// Inputs that stand for several files: the parts between form-feed bytes
// ('\f', which no table of the game uses), missing parts empty.
#include <string>
#include <vector>

namespace fuzzharness {

inline std::vector<std::string> SplitInputFiles(const std::string& bytes, size_t count) {
    std::vector<std::string> parts(count);
    size_t part = 0;
    for (char c : bytes) {
        if (c == '\f') {
            if (++part == count) break;
            continue;
        }
        parts[part].push_back(c);
    }
    return parts;
}

inline std::string JoinInputFiles(const std::vector<std::string>& parts) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out.push_back('\f');
        out += parts[i];
    }
    return out;
}

} // namespace fuzzharness
