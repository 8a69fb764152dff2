#pragma once
// Real folders and files for the copier tests: a fresh folder under the
// temporary folder per test, removed afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backup/tree_copier.h"
#include "support/run_fixture.h"
#include "support/temp_folder.h"
#include "support/unix_links.h"
#include "win/file_system.h"

namespace yx::backup::testing {

inline bool Exists(const std::wstring& path) {
  return win::Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

// Bytes of a pattern that depends on `seed`, so two files of one size differ.
inline std::string Pattern(size_t size, unsigned seed = 0) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed * 13) & 0xFF);
  return bytes;
}

inline bool MakeFolder(const std::wstring& path) { return win::CreateOneFolder(path); }

inline bool WriteFile(const std::wstring& path, size_t size, unsigned seed = 0) {
  try {
    test::WriteWholeFile(path, Pattern(size, seed));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// The whole file, or "<missing>" when it cannot be read.
inline std::string ReadFile(const std::wstring& path) {
  try {
    return test::ReadWholeFile(path);
  } catch (const std::exception&) {
    return "<missing>";
  }
}

// A tree copier on a recording sink, with a fresh folder and the refresh
// by time stepped (SteppedTicks).
class CopierTest : public ::testing::Test {
 protected:
  [[nodiscard]] std::vector<std::string> Shown() const {
    std::vector<std::string> shown;
    for (const std::string& e : sink_.events)
      if (e != "report") shown.push_back(e);
    return shown;
  }

  // A new copier, as each run makes one, copying `threads` files at once.
  void NewCopier(int threads) {
    sink_.events.clear();
    copier_ = std::make_unique<TreeCopier>(sink_, test::SteppedTicks());
    copier_->SetCopyThreads(threads);
  }

  test::TempFolder temp_;
  test::UnixLinks links_;  // removed before the folder that holds them
  test::RecordingSink sink_;
  std::unique_ptr<TreeCopier> copier_;
};

}  // namespace yx::backup::testing
