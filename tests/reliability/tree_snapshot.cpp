#include <windows.h>

#include <algorithm>

#include "reliability/tree_snapshot.h"

#include "support/temp_folder.h"
#include "win/file_system.h"
#include "win/tree_walk.h"
#include "win/text.h"

namespace yx::test {
namespace {

void Walk(const std::wstring& root, const std::vector<std::wstring>& skip, Tree& tree) {
  // On a stack of its own: some trees are thousands of folders deep.
  win::TreeWalk walk(root);
  for (;;) {
    const win::TreeWalk::Step step = walk.Next();
    if (step == win::TreeWalk::Step::kEnd) return;
    if (step != win::TreeWalk::Step::kEntry) continue;
    const win::TreeWalk::Entry& e = walk.Current();
    const std::wstring path = walk.Relative() + e.name;
    if (std::find(skip.begin(), skip.end(), path) != skip.end()) continue;
    Entry& entry = tree[path];
    entry.folder = e.IsFolder();
    entry.link = e.IsLink();
    entry.attributes = e.attributes & ~FILE_ATTRIBUTE_ARCHIVE;
    if (entry.folder && !entry.link) walk.Descend();
    if (!entry.folder) {
      try {
        entry.bytes = ReadWholeFile(root + path);
      } catch (const std::exception&) {
        // Held open without sharing by the test itself: compared by name only.
      }
    }
  }
}

bool Under(const std::wstring& path, const std::vector<std::wstring>& prefixes) {
  for (const std::wstring& p : prefixes)
    if (path == p || path.starts_with(p + L"\\")) return true;
  return false;
}

std::string Show(const std::wstring& path) { return win::FromWide(path); }

}  // namespace

Tree Snapshot(const std::wstring& folder, const std::vector<std::wstring>& skip) {
  Tree tree;
  Walk(folder.back() == L'\\' ? folder : folder + L"\\", skip, tree);
  return tree;
}

::testing::AssertionResult SameTree(const Tree& before, const Tree& after) {
  for (const auto& [path, entry] : before) {
    const auto it = after.find(path);
    if (it == after.end()) return ::testing::AssertionFailure() << Show(path) << " is gone";
    if (it->second.folder != entry.folder || it->second.bytes != entry.bytes)
      return ::testing::AssertionFailure() << Show(path) << " changed";
    if (it->second.attributes != entry.attributes)
      return ::testing::AssertionFailure() << Show(path) << " changed its attributes";
  }
  for (const auto& [path, entry] : after)
    if (!before.contains(path)) return ::testing::AssertionFailure() << Show(path) << " appeared";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult NothingLostBut(const Tree& before, const Tree& after,
                                          const std::vector<std::wstring>& gone,
                                          const std::vector<std::wstring>& rewritten,
                                          const std::vector<std::wstring>& may_go) {
  for (const auto& [path, entry] : before) {
    const auto it = after.find(path);
    if (Under(path, gone)) {
      if (it != after.end())
        return ::testing::AssertionFailure() << Show(path) << " should have been swept";
      continue;
    }
    if (it == after.end() && Under(path, may_go)) continue;
    if (it == after.end()) return ::testing::AssertionFailure() << Show(path) << " was deleted";
    if (Under(path, rewritten)) continue;
    if (it->second.bytes != entry.bytes)
      return ::testing::AssertionFailure() << Show(path) << " was changed";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult IsCopyOf(const Tree& copy, const Tree& source, bool whole) {
  for (const auto& [path, entry] : copy) {
    const auto it = source.find(path);
    if (it == source.end())
      return ::testing::AssertionFailure() << Show(path) << " is in the copy but not the source";
    if (entry.folder != it->second.folder || (!entry.folder && entry.bytes != it->second.bytes))
      return ::testing::AssertionFailure() << Show(path) << " differs from its source";
  }
  if (whole)
    for (const auto& [path, entry] : source)
      if (!entry.link && !copy.contains(path))
        return ::testing::AssertionFailure() << Show(path) << " was not copied";
  return ::testing::AssertionSuccess();
}

size_t FileCount(const Tree& tree) {
  size_t files = 0;
  for (const auto& [path, entry] : tree) files += entry.folder ? 0 : 1;
  return files;
}

}  // namespace yx::test
