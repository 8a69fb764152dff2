#pragma once
// A backup's entries as its tree shows them: each folder's files and
// folders by name, and the folders the entries imply where the backup has
// no entry of its own for one (an archive without folder entries). Made
// once per backup, off the window's thread; the tree control makes items
// from it a folder at a time.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "restore/stored_entry.h"

namespace yx::restore {

struct BackupTree {
  static constexpr size_t kTop = static_cast<size_t>(-1);
  struct Node {
    std::u16string path;
    bool folder = false;
    uint64_t size = 0, modified = 0;
    size_t parent = kTop;
  };
  std::vector<Node> nodes;
  std::map<size_t, std::vector<size_t>> children;  // of each folder (kTop: the top), in order
};

[[nodiscard]] BackupTree TreeOf(const std::vector<StoredEntry>& entries);

}  // namespace yx::restore
