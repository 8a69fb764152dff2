#pragma once
// What an archive a run wrote holds, as the stored paths of its entries.
#include <string>
#include <vector>

namespace yx::test {

// The stored path of every entry of `archive`, in the archive's order, '\\'
// between folders; a folder's entry ends in '\\'. An archive that cannot be
// read fails the test and holds nothing.
[[nodiscard]] std::vector<std::string> StoredPaths(const std::wstring& archive);

}  // namespace yx::test
