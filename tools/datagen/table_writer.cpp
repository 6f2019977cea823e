#include "datagen/table_writer.h"

#include "datagen/bytes.h"

namespace datagen {

std::string BuildTable(const Table& rows) {
    std::string out;
    for (const auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i) out.push_back('\t');
            out += row[i];
        }
        out += "\r\n";
    }
    return out;
}

bool WriteTable(const std::string& path, const Table& rows) { return WriteBytes(path, BuildTable(rows)); }

} // namespace datagen
