#include "datagen/define_writer.h"

#include "datagen/bytes.h"

namespace datagen {

std::string BuildDefineHeader(const std::vector<DefineItem>& items, const std::vector<std::string>& preamble) {
    std::string out;
    for (const std::string& line : preamble) out += line + "\r\n";
    for (const DefineItem& item : items) out += "#define " + item.name + " " + std::to_string(item.value) + "\r\n";
    return out;
}

bool WriteDefineHeader(const std::string& path, const std::vector<DefineItem>& items,
                       const std::vector<std::string>& preamble) {
    return WriteBytes(path, BuildDefineHeader(items, preamble));
}

} // namespace datagen
