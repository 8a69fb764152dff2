#pragma once
// What the exclusions left out of a backup: the files and their bytes (a
// folder left out counts with every file in it), in all and for each rule,
// with the first few paths each rule took. The run logs the sum; the
// settings window's 確認 shows each rule.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace yx::backup {

struct ExclusionTally {
  static constexpr size_t kFirstShown = 5;

  struct Rule {
    uint64_t files = 0;
    uint64_t bytes = 0;
    std::vector<std::wstring> first;  // full paths, a folder's ending in '\\'
  };
  uint64_t files = 0;
  uint64_t bytes = 0;
  // By the pattern's row, or Exclusions::kTooLarge.
  std::map<int, Rule> rules;

  // `path` was left out by `rule`; it held `more_files` files of `more_bytes`.
  void Add(int rule, const std::wstring& path, uint64_t more_files, uint64_t more_bytes) {
    Rule& r = rules[rule];
    if (r.first.size() < kFirstShown) r.first.push_back(path);
    r.files += more_files;
    r.bytes += more_bytes;
    files += more_files;
    bytes += more_bytes;
  }
};

}  // namespace yx::backup
