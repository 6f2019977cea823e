#pragma once
// Writer of tab-separated tables: cells joined by single TABs, every row
// (the last included) ending in CR LF. Cells are bytes (GBK for text).
#include <string>
#include <vector>

namespace datagen {

using Table = std::vector<std::vector<std::string>>;

std::string BuildTable(const Table& rows);
// `path` is native.
bool WriteTable(const std::string& path, const Table& rows);

} // namespace datagen
