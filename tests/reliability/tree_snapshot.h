#pragma once
// What a folder holds, taken before and after a run, so a test can say that
// the sources came through byte for byte and that nothing was deleted but the
// expired backups.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace yx::test {

struct Entry {
  bool folder = false;
  bool link = false;                 // a link is recorded, never entered
  std::optional<std::string> bytes;  // a file's content, unless another process holds it
  DWORD attributes = 0;
};

// Relative path (backslash-separated, no leading one) -> entry.
using Tree = std::map<std::wstring, Entry>;

// `skip`: relative paths left out (the program itself, the log folder).
[[nodiscard]] Tree Snapshot(const std::wstring& folder, const std::vector<std::wstring>& skip = {});

// Same paths, kinds, attributes and bytes.
[[nodiscard]] ::testing::AssertionResult SameTree(const Tree& before, const Tree& after);

// Every entry of `before` is still in `after` with the same bytes, except
// those under one of `gone` (relative paths of expired backups), which must
// be gone. Entries under `rewritten` may have changed, those under `may_go`
// may be gone (a sweep that was killed half-way).
[[nodiscard]] ::testing::AssertionResult NothingLostBut(
    const Tree& before, const Tree& after, const std::vector<std::wstring>& gone,
    const std::vector<std::wstring>& rewritten = {}, const std::vector<std::wstring>& may_go = {});

// Every file of `copy` is byte for byte the file of the same path in `source`;
// `whole`: and every file of `source` is in `copy`.
[[nodiscard]] ::testing::AssertionResult IsCopyOf(const Tree& copy, const Tree& source, bool whole);

[[nodiscard]] size_t FileCount(const Tree& tree);

}  // namespace yx::test
