#include "datagen/ini_writer.h"

#include "datagen/bytes.h"

namespace datagen {

std::string BuildIniText(const KeyValues& pairs, const std::string& eol) {
    std::string out;
    for (const auto& [k, v] : pairs) out += k + "=" + v + eol;
    return out;
}

std::string ScrambleIni(const std::string& plain) {
    std::string out(1, char(kIniScrambleMarker));
    for (char c : plain) out.push_back(char(uint8_t(c) ^ kIniScrambleKey));
    return out;
}

std::string BuildIni(const KeyValues& pairs, bool scrambled) {
    return scrambled ? ScrambleIni(BuildIniText(pairs, "\n")) : BuildIniText(pairs, "\r\n");
}

bool WriteIni(const std::string& path, const KeyValues& pairs, bool scrambled) {
    return WriteBytes(path, BuildIni(pairs, scrambled));
}

} // namespace datagen
