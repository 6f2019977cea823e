#pragma once
// For the regression tests: the inputs a harness is replayed on. Saved
// findings live in tests/regress/<loader>/ (every input that once crashed,
// hung or tripped a sanitizer, expected now to be refused or handled); the
// seeds in fuzz/corpus/<target>/ are valid files every loader must accept.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fuzzreplay {

struct Input {
    std::string name;
    std::string bytes;
};

// The source tree, found from this header's own path.
inline std::filesystem::path SourceRoot() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
}

// Every file in the folder (relative to the source tree), sorted by name;
// none when the folder does not exist.
inline std::vector<Input> Inputs(const std::string& folder) {
    std::vector<Input> out;
    std::error_code ec;
    const std::filesystem::path dir = SourceRoot() / folder;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        out.push_back({e.path().filename().string(),
                       std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())});
    }
    std::sort(out.begin(), out.end(), [](const Input& a, const Input& b) { return a.name < b.name; });
    return out;
}

inline std::vector<Input> Findings(const std::string& loader) { return Inputs("tests/regress/" + loader); }
inline std::vector<Input> Seeds(const std::string& target) { return Inputs("fuzz/corpus/" + target); }

inline const uint8_t* Data(const Input& in) { return reinterpret_cast<const uint8_t*>(in.bytes.data()); }

} // namespace fuzzreplay
