#include "restore/backup_tree.h"

#include <algorithm>

#include "restore/restore_plan.h"

namespace yx::restore {

BackupTree TreeOf(const std::vector<StoredEntry>& entries) {
  BackupTree tree;
  std::vector<const StoredEntry*> sorted;
  sorted.reserve(entries.size());
  for (const StoredEntry& e : entries) sorted.push_back(&e);
  std::sort(sorted.begin(), sorted.end(),
            [](const StoredEntry* a, const StoredEntry* b) { return a->path < b->path; });
  std::map<std::u16string, size_t> folders;
  const auto parent_folder = [](std::u16string_view path) {
    const std::u16string_view parent = ParentOf(path);
    return parent.substr(0, parent.empty() ? 0 : parent.size() - 1);
  };
  const auto add = [&](std::u16string path, bool folder, size_t parent) {
    tree.nodes.push_back({std::move(path), folder, 0, 0, parent});
    tree.children[parent].push_back(tree.nodes.size() - 1);
    return tree.nodes.size() - 1;
  };
  // The node of a folder path, made (with its parents) when the backup has
  // no entry of its own for it.
  const auto folder_node = [&](auto& self, std::u16string_view path) -> size_t {
    if (path.empty()) return BackupTree::kTop;
    const std::u16string key(path);
    if (const auto found = folders.find(key); found != folders.end()) return found->second;
    const size_t parent = self(self, parent_folder(path));
    const size_t node = add(key, true, parent);
    folders.emplace(key, node);
    return node;
  };
  for (const StoredEntry* e : sorted) {
    if (e->folder) {
      (void)folder_node(folder_node, e->path);
      continue;
    }
    const size_t node = add(e->path, false, folder_node(folder_node, parent_folder(e->path)));
    tree.nodes[node].size = e->size;
    tree.nodes[node].modified = e->modified;
  }
  return tree;
}

}  // namespace yx::restore
